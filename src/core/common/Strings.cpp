#include "common/Strings.h"

#include <algorithm>
#include <charconv>

namespace dorum {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) noexcept {
  return (b & 0xC0) == 0x80;
}

// The length of the valid sequence at i, or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) noexcept {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // the allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;   // overlong
    if (b0 == 0xED) high = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;   // overlong
    if (b0 == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  const auto b1 = static_cast<unsigned char>(text[i + 1]);
  if (b1 < low || b1 > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return 0;
  }
  return length;
}

}  // namespace

char32_t NextChar(std::string_view text, std::size_t& i) noexcept {
  const std::size_t length = SequenceLength(text, i);
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (length == 0) {
    ++i;
    return kReplacement;
  }
  if (length == 1) {
    ++i;
    return b0;
  }
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k)
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += length;
  return c;
}

void AppendChar(std::string& text, char32_t c) {
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (c >> 18)));
    text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string CharText(char32_t c) {
  std::string text;
  AppendChar(text, c);
  return text;
}

std::size_t CharCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) (void)NextChar(text, i);
  return count;
}

std::size_t ByteOffsetOfChar(std::string_view text, std::size_t index) noexcept {
  std::size_t i = 0;
  for (std::size_t n = 0; n < index && i < text.size(); ++n) (void)NextChar(text, i);
  return i;
}

bool IsValidUtf8(std::string_view bytes, std::size_t* validPrefix) noexcept {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t length = SequenceLength(bytes, i);
    if (length == 0) break;
    i += length;
  }
  if (validPrefix != nullptr) *validPrefix = i;
  return i == bytes.size();
}

std::string_view TrimBlanks(std::string_view text) noexcept {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string_view Trimmed(std::string_view text) noexcept {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    parts.emplace_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string result;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += separator;
    result += parts[i];
  }
  return result;
}

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
  if (what.empty()) return text;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
  return text;
}

std::string ToText(std::int64_t value) {
  char buffer[24];
  const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value).ptr;
  return {buffer, end};
}

std::string ToText(std::uint64_t value) {
  char buffer[24];
  const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value).ptr;
  return {buffer, end};
}

std::string ToText(std::uint64_t value, int base, int width) {
  char buffer[72];
  const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value, base).ptr;
  std::string digits(buffer, end);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return digits;
}

}  // namespace dorum
