#include "common/ProfileFile.h"

#include <filesystem>

#include "common/Text.h"

namespace dorum {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

// The name inside "[...]", or nothing when the line is not a section header.
std::optional<std::string> SectionName(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (!text.starts_with('[')) return std::nullopt;
  // The last "]" closes the name, so a name may itself hold one.
  const std::size_t close = text.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(TrimBlanks(text.substr(1, close - 1)));
}

// The raw text after the first "=" of a key's line.
std::string_view RawValue(std::string_view line) {
  return line.substr(line.find('=') + 1);
}

}  // namespace

TProfileFile TProfileFile::Load(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())),
                               ignored))
    return TProfileFile();
  TDecodedText text = ReadEncodedTextFile(path);
  TProfileFile profile(std::move(text.Lines));
  profile.encoding_ = text.Encoding;
  profile.lineEnd_ = text.LineEnd;
  return profile;
}

void TProfileFile::Save(const std::string& path) const {
  WriteTextFile(path, lines_, encoding_, lineEnd_);
}

std::string TProfileFile::DecodeValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, ByteOffsetOfChar(value, kMaxValueLength)));
}

std::string TProfileFile::EncodeValue(std::string_view value) {
  if (value.empty()) return {};
  const bool blankEnds = IsBlank(value.front()) || IsBlank(value.back());
  const bool quotedEnds = IsQuote(value.front()) && IsQuote(value.back());
  if (blankEnds || quotedEnds) return '"' + std::string(value) + '"';
  return std::string(value);
}

void TProfileFile::BuildIndex() {
  index_.clear();
  std::optional<std::string> current;  // lower-case name of the section being read
  for (std::size_t n = 0; n < lines_.size(); ++n) {
    const std::string& line = lines_[n];
    if (const auto name = SectionName(line)) {
      current = LowerCase(*name);
      if (index_.contains(*current)) {
        current.reset();  // a repeated section is never read
      } else {
        index_[*current].Header = n;
      }
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!current || equals == std::string::npos) continue;
    auto& keys = index_[*current].Keys;
    keys.try_emplace(LowerCase(TrimBlanks(std::string_view(line).substr(0, equals))), n);
  }
}

std::size_t TProfileFile::SectionEnd(std::size_t header) const {
  std::size_t n = header + 1;
  while (n < lines_.size() && !SectionName(lines_[n])) ++n;
  return n;
}

void TProfileFile::InsertLine(std::size_t at, std::string line) {
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  for (auto& [name, section] : index_) {
    if (section.Header >= at) ++section.Header;
    for (auto& [key, keyLine] : section.Keys) {
      if (keyLine >= at) ++keyLine;
    }
  }
}

std::optional<TProfileFile::TPlace> TProfileFile::PlaceOf(std::string_view section,
                                                          std::string_view key) const {
  const auto found = index_.find(LowerCase(section));
  if (found == index_.end()) return std::nullopt;
  const auto line = found->second.Keys.find(LowerCase(key));
  if (line == found->second.Keys.end()) return TPlace{found->second.Header, 0};
  const std::string& text = lines_[line->second];
  const std::size_t raw = text.find('=') + 1;
  const std::string value = DecodeValue(std::string_view(text).substr(raw));
  const std::size_t at = value.empty() ? std::string::npos : text.find(value, raw);
  return TPlace{line->second,
                CharCount(std::string_view(text).substr(0, at == std::string::npos ? raw : at))};
}

std::optional<std::string> TProfileFile::ReadString(std::string_view section,
                                                    std::string_view key) const {
  const auto found = index_.find(LowerCase(section));
  if (found == index_.end()) return std::nullopt;
  const auto line = found->second.Keys.find(LowerCase(key));
  if (line == found->second.Keys.end()) return std::nullopt;
  return DecodeValue(RawValue(lines_[line->second]));
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  if (auto value = ReadString(section, key)) return std::move(*value);
  return std::string(fallback);
}

int TProfileFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const auto text = ReadString(section, key);
  if (!text) return fallback;
  std::int32_t value = 0;
  return TryStrToInt(*text, value) ? value : fallback;
}

bool TProfileFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TProfileFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  std::string line = std::string(key) + '=' + EncodeValue(value);
  const std::string lowerSection = LowerCase(section);
  std::string lowerKey = LowerCase(key);
  auto found = index_.find(lowerSection);
  if (found == index_.end()) {
    TSectionIndex& added = index_[lowerSection];
    added.Header = lines_.size();
    lines_.push_back('[' + std::string(section) + ']');
    added.Keys.emplace(std::move(lowerKey), lines_.size());
    lines_.push_back(std::move(line));
    return;
  }
  if (const auto existing = found->second.Keys.find(lowerKey);
      existing != found->second.Keys.end()) {
    lines_[existing->second] = std::move(line);
    return;
  }
  // A new key goes after the section's last non-empty line, so that an
  // empty line separating sections stays where it is.
  const std::size_t header = found->second.Header;
  std::size_t insertAt = SectionEnd(header);
  while (insertAt > header + 1 && TrimBlanks(lines_[insertAt - 1]).empty()) --insertAt;
  InsertLine(insertAt, std::move(line));
  index_[lowerSection].Keys.emplace(std::move(lowerKey), insertAt);
}

void TProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, ToText(value));
}

void TProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace dorum
