#include "common/ProfileFile.h"

#include <QFileInfo>

#include "common/Text.h"

namespace dorum {

namespace {

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t';
}

QString TrimBlanks(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.mid(begin, end - begin);
}

bool IsQuote(QChar c) {
  return c == u'"' || c == u'\'';
}

// The name inside "[...]", or nothing when the line is not a section header.
std::optional<QString> SectionName(const QString& line) {
  const QString text = TrimBlanks(line);
  if (!text.startsWith(u'[')) return std::nullopt;
  // The last "]" closes the name, so a name may itself hold one.
  const qsizetype close = text.lastIndexOf(u']');
  if (close < 0) return std::nullopt;
  return TrimBlanks(text.mid(1, close - 1));
}

}  // namespace

TProfileFile TProfileFile::Load(const QString& path) {
  if (!QFileInfo::exists(path)) return TProfileFile();
  TDecodedText text = ReadEncodedTextFile(path);
  TProfileFile profile(std::move(text.Lines));
  profile.encoding_ = text.Encoding;
  profile.lineEnd_ = text.LineEnd;
  return profile;
}

void TProfileFile::Save(const QString& path) const {
  WriteTextFile(path, lines_, encoding_, lineEnd_);
}

QString TProfileFile::DecodeValue(const QString& raw) {
  QString value = TrimBlanks(raw);
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    value = value.mid(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.truncate(kMaxValueLength);
  return value;
}

QString TProfileFile::EncodeValue(const QString& value) {
  if (value.isEmpty()) return value;
  const bool blankEnds = IsBlank(value.front()) || IsBlank(value.back());
  const bool quotedEnds = IsQuote(value.front()) && IsQuote(value.back());
  if (blankEnds || quotedEnds) return QLatin1Char('"') + value + QLatin1Char('"');
  return value;
}

void TProfileFile::BuildIndex() {
  index_.clear();
  std::optional<QString> current;  // lower-case name of the section being read
  for (qsizetype n = 0; n < lines_.size(); ++n) {
    const QString& line = lines_[n];
    if (const auto name = SectionName(line)) {
      current = LowerCase(*name);
      if (index_.contains(*current)) {
        current.reset();  // a repeated section is never read
      } else {
        index_[*current].Header = n;
      }
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (!current || equals < 0) continue;
    auto& keys = index_[*current].Keys;
    const QString key = LowerCase(TrimBlanks(line.left(equals)));
    keys.try_emplace(key, n);  // the first of repeated keys counts
  }
}

qsizetype TProfileFile::SectionEnd(qsizetype header) const {
  qsizetype n = header + 1;
  while (n < lines_.size() && !SectionName(lines_[n])) ++n;
  return n;
}

void TProfileFile::InsertLine(qsizetype at, const QString& line) {
  lines_.insert(at, line);
  for (auto& [name, section] : index_) {
    if (section.Header >= at) ++section.Header;
    for (auto& [key, keyLine] : section.Keys) {
      if (keyLine >= at) ++keyLine;
    }
  }
}

std::optional<TProfileFile::TPlace> TProfileFile::PlaceOf(const QString& section,
                                                          const QString& key) const {
  const auto found = index_.find(LowerCase(section));
  if (found == index_.end()) return std::nullopt;
  const auto line = found->second.Keys.find(LowerCase(key));
  if (line == found->second.Keys.end()) return TPlace{found->second.Header, 0};
  const QString& text = lines_[line->second];
  const qsizetype raw = text.indexOf(u'=') + 1;
  const QString value = DecodeValue(text.mid(raw));
  const qsizetype at = value.isEmpty() ? -1 : text.indexOf(value, raw);
  return TPlace{line->second, at < 0 ? raw : at};
}

std::optional<QString> TProfileFile::ReadString(const QString& section, const QString& key) const {
  const auto found = index_.find(LowerCase(section));
  if (found == index_.end()) return std::nullopt;
  const auto line = found->second.Keys.find(LowerCase(key));
  if (line == found->second.Keys.end()) return std::nullopt;
  const QString& text = lines_[line->second];
  return DecodeValue(text.mid(text.indexOf(u'=') + 1));
}

QString TProfileFile::ReadString(const QString& section, const QString& key,
                                 const QString& fallback) const {
  return ReadString(section, key).value_or(fallback);
}

int TProfileFile::ReadInteger(const QString& section, const QString& key, int fallback) const {
  const auto text = ReadString(section, key);
  if (!text) return fallback;
  std::int32_t value = 0;
  return TryStrToInt(*text, value) ? value : fallback;
}

bool TProfileFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
  const QString line = key + QLatin1Char('=') + EncodeValue(value);
  const QString lowerSection = LowerCase(section);
  const QString lowerKey = LowerCase(key);
  auto found = index_.find(lowerSection);
  if (found == index_.end()) {
    TSectionIndex& added = index_[lowerSection];
    added.Header = lines_.size();
    lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
    added.Keys.emplace(lowerKey, lines_.size());
    lines_.append(line);
    return;
  }
  if (const auto existing = found->second.Keys.find(lowerKey);
      existing != found->second.Keys.end()) {
    lines_[existing->second] = line;
    return;
  }
  // A new key goes after the section's last non-empty line, so that an
  // empty line separating sections stays where it is.
  const qsizetype header = found->second.Header;
  qsizetype insertAt = SectionEnd(header);
  while (insertAt > header + 1 && TrimBlanks(lines_[insertAt - 1]).isEmpty()) --insertAt;
  InsertLine(insertAt, line);
  index_[lowerSection].Keys.emplace(lowerKey, insertAt);
}

void TProfileFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void TProfileFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace dorum
