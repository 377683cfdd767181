#include "program/Colouring.h"

#include <algorithm>

#include "common/Strings.h"
#include "common/Text.h"
#include "control/InstructionList.h"
#include "machine/Machine.h"

namespace dorum {

namespace {

bool IsBlankByte(char c) {
  return c == ' ' || c == '\t' || c == '\0';
}

// The end of the (UTF-8) character that starts at i.
std::size_t CharacterEnd(std::string_view bytes, std::size_t i) {
  ++i;
  while (i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) ++i;
  return i;
}

bool Contains(const std::vector<std::string>& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

bool IsNumber(std::string_view word) {
  std::int32_t value = 0;
  return TryStrToInt(word, value);
}

const std::vector<std::string>& Conditions() {
  static const std::vector<std::string> words = {"z", "zak", "int", "v"};
  return words;
}

// The end of the word that starts at i: up to a blank, ";", "{" or "//".
std::size_t WordEnd(std::string_view line, std::size_t i) {
  std::size_t j = i;
  while (j < line.size()) {
    const char d = line[j];
    if (d == '\'') {  // the quoted character belongs to the word, whatever it is
      j = j + 1 < line.size() ? CharacterEnd(line, j + 1) : j + 1;
      continue;
    }
    if (IsBlankByte(d) || d == ';' || d == '{') break;
    if (d == '/' && j + 1 < line.size() && line[j + 1] == '/') break;
    j = CharacterEnd(line, j);
  }
  return j;
}

}  // namespace

const std::vector<std::string>& InstructionKeywords() {
  static const std::vector<std::string> words = {"rozkaz", "argumenty", "jeżeli", "to",
                                                 "gdy",    "nie",       "dalej",  "koniec"};
  return words;
}

const std::vector<std::string>& ProgramDirectives() {
  static const std::vector<std::string> words = {"rpa", "rst", "kon"};
  return words;
}

TWordKind InstructionWordKind(std::string_view word) {
  const std::string lower = LowerCase(word);
  if (Contains(InstructionKeywords(), lower)) return TWordKind::Keyword;
  if (Contains(Conditions(), lower)) return TWordKind::Condition;
  if (lower.starts_with('@')) return TWordKind::Label;
  if (TMachine::FindSignal(lower) >= 0) return TWordKind::Signal;
  if (IsNumber(lower)) return TWordKind::Number;
  return TWordKind::Text;
}

TWordKind ProgramWordKind(std::string_view word, const std::vector<std::string>& mnemonics) {
  const std::string lower = LowerCase(word);
  if (lower.ends_with(':')) return TWordKind::LabelDefinition;
  if (Contains(ProgramDirectives(), lower)) return TWordKind::Directive;
  if (Contains(mnemonics, lower)) return TWordKind::Mnemonic;
  if (IsNumber(lower)) return TWordKind::Number;
  // One character between apostrophes, counted as characters.
  if (lower.size() >= 3 && lower.front() == '\'' && lower.back() == '\'' &&
      CharCount(std::string_view(lower).substr(1, lower.size() - 2)) == 1)
    return TWordKind::Character;
  return TWordKind::Text;
}

std::vector<TWordSpan> ColourLine(std::string_view line, bool& inBraces,
                                  const std::function<TWordKind(std::string_view word)>& wordKind) {
  std::vector<TWordSpan> spans;
  const auto add = [&spans](std::size_t begin, std::size_t length, TWordKind kind) {
    if (length == 0) return;
    if (!spans.empty() && spans.back().Kind == kind) {
      spans.back().Length += length;
    } else {
      spans.push_back({begin, length, kind});
    }
  };
  std::size_t i = 0;
  while (i < line.size()) {
    if (inBraces) {
      const std::size_t close = line.find('}', i);
      const std::size_t stop = close == std::string_view::npos ? line.size() : close + 1;
      add(i, stop - i, TWordKind::Comment);
      inBraces = close == std::string_view::npos;
      i = stop;
      continue;
    }
    const char c = line[i];
    if (IsBlankByte(c)) {
      add(i, 1, TWordKind::Text);
      ++i;
    } else if (c == '{') {
      add(i, 1, TWordKind::Comment);
      inBraces = true;
      ++i;
    } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
      add(i, line.size() - i, TWordKind::Comment);
      i = line.size();
    } else if (c == ';') {
      add(i, 1, TWordKind::Semicolon);
      ++i;
    } else {
      const std::size_t end = WordEnd(line, i);
      add(i, end - i, wordKind(line.substr(i, end - i)));
      i = end;
    }
  }
  return spans;
}

std::vector<std::string> AcceptedMnemonics(const TInstructionList& list, int codeBits) {
  const int accepted = std::min(1 << codeBits, list.Count());
  std::vector<std::string> names;
  for (int code = 0; code < accepted; ++code) names.push_back(LowerCase(list.At(code).Name()));
  return names;
}

}  // namespace dorum
