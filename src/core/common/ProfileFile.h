#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

#include "common/Text.h"

namespace dorum {

// A profile file: "[section]" lines, each followed by "key=value" lines.
// Section and key names are compared without regard to case. Reading takes
// the text after the first "=", drops the blanks around it and one pair of
// enclosing quotation marks, and keeps at most 2047 characters. Writing
// changes a key in place, appends a new key to its section and a new section
// to the file, and leaves every other line as it was.
class TProfileFile {
 public:
  static constexpr int kMaxValueLength = 2047;

  TProfileFile() = default;
  explicit TProfileFile(QStringList lines) : lines_(std::move(lines)) { BuildIndex(); }

  // A file that does not exist reads as an empty profile; one that exists
  // but cannot be read raises the plain error.
  [[nodiscard]] static TProfileFile Load(const QString& path);
  // Writes the whole profile to a new file that then replaces the old one,
  // in the encoding and with the line ends of the file it was loaded from.
  void Save(const QString& path) const;

  [[nodiscard]] std::optional<QString> ReadString(const QString& section, const QString& key) const;
  [[nodiscard]] QString ReadString(const QString& section, const QString& key,
                                   const QString& fallback) const;
  // Decimal, or hexadecimal after "$" or "0x"; anything else counts as missing.
  [[nodiscard]] int ReadInteger(const QString& section, const QString& key, int fallback) const;
  [[nodiscard]] bool ReadBool(const QString& section, const QString& key, bool fallback) const;

  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);

  [[nodiscard]] const QStringList& Lines() const noexcept { return lines_; }
  // Where in Lines() the key that reading takes stands, or its section's
  // header when the key is missing (none without the section); the column
  // (from 0) is where the value's text begins, or 0.
  struct TPlace {
    qsizetype Line = 0;
    qsizetype ValueColumn = 0;
  };
  [[nodiscard]] std::optional<TPlace> PlaceOf(const QString& section, const QString& key) const;

  // How a value is written so that reading gives it back unchanged: values
  // with blanks at either end, or with quotation marks at both ends, are
  // enclosed in double quotes.
  [[nodiscard]] static QString EncodeValue(const QString& value);
  // The reading rules applied to the raw text after "=".
  [[nodiscard]] static QString DecodeValue(const QString& raw);

 private:
  // Where each section's header and each key's line are, by lower-case
  // names; the first of repeated sections or keys is the one that counts.
  // Kept up to date by writes, so reading and writing a large list stay fast.
  struct TSectionIndex {
    qsizetype Header = 0;
    std::map<QString, qsizetype> Keys;
  };
  using TIndex = std::map<QString, TSectionIndex>;
  void BuildIndex();
  // One past the last line that belongs to the section starting at header.
  [[nodiscard]] qsizetype SectionEnd(qsizetype header) const;
  void InsertLine(qsizetype at, const QString& line);

  QStringList lines_;
  TIndex index_;
  TTextEncoding encoding_ = TTextEncoding::Cp1250;
  TLineEnd lineEnd_ = TLineEnd::CrLf;
};

}  // namespace dorum
