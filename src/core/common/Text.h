#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "common/Strings.h"

namespace dorum {

// Code page 1250 is the machine's character set: RB holds such codes and the
// system's files are stored in it.
[[nodiscard]] char32_t Cp1250ToChar(std::uint8_t code);
// Returns -1 when code page 1250 has no such character.
[[nodiscard]] int CharToCp1250(char32_t c);
// Like CharToCp1250, but a character outside the code page becomes "?".
[[nodiscard]] std::uint8_t CharToCp1250OrQuestion(char32_t c);

// Bytes in, UTF-8 text out; and back.
[[nodiscard]] std::string DecodeCp1250(std::string_view bytes);
// Raises the plain error when a character cannot be held by the code page.
[[nodiscard]] std::string EncodeCp1250(std::string_view text);

// The system's lower-case rule: A-Z and every upper-case letter of code page
// 1250 (Polish letters among them); everything else stays as it is.
[[nodiscard]] char32_t LowerChar(char32_t c);
[[nodiscard]] std::string LowerCase(std::string_view text);

// The standard integer conversion: leading blanks, an optional sign, then
// decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X";
// nothing may follow. Decimal values must fit a signed 32-bit integer; a
// hexadecimal value must fit 32 bits and is taken as a bit pattern.
// Raises "'%s' is not a valid integer value".
[[nodiscard]] std::int32_t StrToInt(std::string_view text);
// The same rule without raising: false when the text is not an integer.
[[nodiscard]] bool TryStrToInt(std::string_view text, std::int32_t& value);

// How a text file was stored, so that saving it writes it back the same way.
enum class TTextEncoding : std::uint8_t {
  Cp1250,       // also every file of plain ASCII, and new files
  Utf8,         // without a byte-order mark
  Utf8WithBom,  //
  Utf16Le,      // UTF-16 is only recognised by its byte-order mark, and
  Utf16Be,      // written with it
};

// The encoding's name as the messages give it.
[[nodiscard]] std::string EncodingName(TTextEncoding encoding);

// How a text file ended its lines, so that saving it keeps them: an editor
// on another system should not see every line of a file it wrote changed.
enum class TLineEnd : std::uint8_t {
  CrLf,  // also every file without a line break, and new files
  Lf,
  Cr,
};

struct TDecodedText {
  TLines Lines;
  TTextEncoding Encoding = TTextEncoding::Cp1250;
  // The first line break decides for a file that mixes them.
  TLineEnd LineEnd = TLineEnd::CrLf;
};

// Text files as lists of lines. Lines end at CR LF, LF or a lone CR; a line
// break at the very end does not start another line. A file that begins
// with a byte-order mark is read in its encoding (UTF-8, UTF-16 of either
// byte order); one that is valid UTF-8 and holds non-ASCII bytes is read as
// UTF-8; all others as code page 1250. Raises, with the reason and the line,
// when the text would not come back whole: a NUL character (the text
// controls end their text there), or bytes that are no text in the encoding
// the byte-order mark names.
[[nodiscard]] TDecodedText DecodeText(std::string_view bytes);
[[nodiscard]] TLines DecodeTextLines(std::string_view bytes);
// Every line ended by the line end, with the byte-order mark the encoding
// has. Raises the plain error for a character code page 1250 cannot hold.
[[nodiscard]] std::string EncodeText(const TLines& lines, TTextEncoding encoding,
                                     TLineEnd lineEnd = TLineEnd::CrLf);
// Code page 1250.
[[nodiscard]] std::string EncodeTextLines(const TLines& lines);
// The first character of the lines that code page 1250 cannot hold.
[[nodiscard]] std::optional<char32_t> FirstCharOutsideCp1250(const TLines& lines);
// Whether a failed operation meant to read the file or to write it.
enum class TFileAccess : std::uint8_t { Read, Write };

// Why the system refused an operation on the file at path, in Polish with
// the system's own text after it: "brak uprawnień (Permission denied)". The
// common causes (no such file, no permission, a read-only file, folder or
// file system, a full disk, a folder where a file was expected) have texts
// of their own; the path tells a read-only file or folder and a folder
// apart from other refusals.
[[nodiscard]] std::string FileErrorReason(std::error_code cause, const std::string& path,
                                          TFileAccess access);
// The same for errno as the failed call left it.
[[nodiscard]] std::string FileErrorReason(int errorNumber, const std::string& path,
                                          TFileAccess access);
// Raises "cannot read", with the reason, unless path is a file that can be
// opened for reading.
void RequireReadableFile(const std::string& path);

// The most any file is read to: far more than a program, a list or a
// suite ever takes.
inline constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
// The whole file. Raises "cannot read", naming the file and the reason, for
// a file that cannot be opened or read or holds more than kMaxFileBytes.
// Paths are UTF-8, as every text of the core.
[[nodiscard]] std::string ReadFileBytes(const std::string& path);
// The same, and "cannot load" for a file DecodeText refuses.
[[nodiscard]] TDecodedText ReadEncodedTextFile(const std::string& path);
[[nodiscard]] TLines ReadTextFile(const std::string& path);
// Writes a complete new file and then replaces the old one in one step, so a
// failed write leaves the old file as it was; a device or a pipe is written
// into, as nothing can take its place. Raises "cannot write" with the reason.
void WriteFileBytes(const std::string& path, std::string_view bytes);
// The same for lines of text.
void WriteTextFile(const std::string& path, const TLines& lines,
                   TTextEncoding encoding = TTextEncoding::Cp1250,
                   TLineEnd lineEnd = TLineEnd::CrLf);

}  // namespace dorum
