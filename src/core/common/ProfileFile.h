#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

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
  explicit TProfileFile(TLines lines) : lines_(std::move(lines)) { BuildIndex(); }

  // A file that does not exist reads as an empty profile; one that exists
  // but cannot be read raises the plain error.
  [[nodiscard]] static TProfileFile Load(const std::string& path);
  // Writes the whole profile to a new file that then replaces the old one,
  // in the encoding and with the line ends of the file it was loaded from.
  void Save(const std::string& path) const;

  [[nodiscard]] std::optional<std::string> ReadString(std::string_view section,
                                                      std::string_view key) const;
  [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                       std::string_view fallback) const;
  // Decimal, or hexadecimal after "$" or "0x"; anything else counts as missing.
  [[nodiscard]] int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  [[nodiscard]] const TLines& Lines() const noexcept { return lines_; }
  // Where in Lines() the key that reading takes stands, or its section's
  // header when the key is missing (none without the section); the column
  // (from 0) is where the value's text begins, or 0.
  struct TPlace {
    std::size_t Line = 0;
    std::size_t ValueColumn = 0;  // in characters
  };
  [[nodiscard]] std::optional<TPlace> PlaceOf(std::string_view section, std::string_view key) const;

  // How a value is written so that reading gives it back unchanged: values
  // with blanks at either end, or with quotation marks at both ends, are
  // enclosed in double quotes.
  [[nodiscard]] static std::string EncodeValue(std::string_view value);
  // The reading rules applied to the raw text after "=".
  [[nodiscard]] static std::string DecodeValue(std::string_view raw);

 private:
  // Where each section's header and each key's line are, by lower-case
  // names; the first of repeated sections or keys is the one that counts.
  // Kept up to date by writes, so reading and writing a large list stay fast.
  struct TSectionIndex {
    std::size_t Header = 0;
    std::map<std::string, std::size_t, std::less<>> Keys;
  };
  using TIndex = std::map<std::string, TSectionIndex, std::less<>>;
  void BuildIndex();
  // One past the last line that belongs to the section starting at header.
  [[nodiscard]] std::size_t SectionEnd(std::size_t header) const;
  void InsertLine(std::size_t at, std::string line);

  TLines lines_;
  TIndex index_;
  TTextEncoding encoding_ = TTextEncoding::Cp1250;
  TLineEnd lineEnd_ = TLineEnd::CrLf;
};

}  // namespace dorum
