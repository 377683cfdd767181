#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace dorum {

// Code page 1250 is the machine's character set: RB holds such codes and the
// system's files are stored in it.
[[nodiscard]] QChar Cp1250ToChar(std::uint8_t code);
// Returns -1 when code page 1250 has no such character.
[[nodiscard]] int CharToCp1250(QChar c);
// Like CharToCp1250, but a character outside the code page becomes "?".
[[nodiscard]] std::uint8_t CharToCp1250OrQuestion(QChar c);

[[nodiscard]] QString DecodeCp1250(const QByteArray& bytes);
// Raises the plain error when a character cannot be held by the code page.
[[nodiscard]] QByteArray EncodeCp1250(const QString& text);

// The system's lower-case rule: A-Z and every upper-case letter of code page
// 1250 (Polish letters among them); everything else stays as it is.
[[nodiscard]] QChar LowerChar(QChar c);
[[nodiscard]] QString LowerCase(const QString& text);

// The standard integer conversion: leading blanks, an optional sign, then
// decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X";
// nothing may follow. Decimal values must fit a signed 32-bit integer; a
// hexadecimal value must fit 32 bits and is taken as a bit pattern.
// Raises "'%s' is not a valid integer value".
[[nodiscard]] std::int32_t StrToInt(const QString& text);
// The same rule without raising: false when the text is not an integer.
[[nodiscard]] bool TryStrToInt(const QString& text, std::int32_t& value);

// Text files as lists of lines. Lines end at CR LF, LF or a lone CR; a line
// break at the very end does not start another line. Files that begin with a
// UTF-8 byte-order mark, or that are valid UTF-8 and hold non-ASCII bytes, are
// read as UTF-8; all others as code page 1250.
[[nodiscard]] QStringList DecodeTextLines(const QByteArray& bytes);
// Code page 1250, every line ended by CR LF.
[[nodiscard]] QByteArray EncodeTextLines(const QStringList& lines);
[[nodiscard]] QStringList ReadTextFile(const QString& path);
// Writes a complete new file and then replaces the old one in one step, so a
// failed write leaves the old file as it was.
void WriteTextFile(const QString& path, const QStringList& lines);

}  // namespace dorum
