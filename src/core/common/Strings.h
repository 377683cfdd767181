#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text is UTF-8 in std::string throughout the core; these are the few
// operations on it that the standard library lacks.
namespace dorum {

using TLines = std::vector<std::string>;

// The character that starts at i, moving i past it. A byte that starts no
// valid sequence is taken alone, as U+FFFD, so a reader always moves on.
[[nodiscard]] char32_t NextChar(std::string_view text, std::size_t& i) noexcept;
void AppendChar(std::string& text, char32_t c);
[[nodiscard]] std::string CharText(char32_t c);
// Characters, not bytes: what an editor counts when it names a column.
[[nodiscard]] std::size_t CharCount(std::string_view text) noexcept;
// The byte offset of the character with that index (the end when the text is shorter).
[[nodiscard]] std::size_t ByteOffsetOfChar(std::string_view text, std::size_t index) noexcept;
// Whether the bytes are UTF-8 as the standard defines it: no overlong forms,
// no surrogates, nothing past U+10FFFF. validPrefix is how many bytes
// before the first fault.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes, std::size_t* validPrefix = nullptr) noexcept;

[[nodiscard]] std::string_view TrimBlanks(std::string_view text) noexcept;  // spaces and tabs
// Blanks and control characters at both ends, as a typed field is trimmed.
[[nodiscard]] std::string_view Trimmed(std::string_view text) noexcept;
[[nodiscard]] std::string UpperAscii(std::string_view text);
[[nodiscard]] bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] std::vector<std::string> Split(std::string_view text, char separator);
[[nodiscard]] std::string Join(const std::vector<std::string>& parts, std::string_view separator);
// Every occurrence of what, in order.
[[nodiscard]] std::string ReplaceAll(std::string text, std::string_view what,
                                     std::string_view with);

// Numbers as the messages and the views write them.
[[nodiscard]] std::string ToText(std::int64_t value);
[[nodiscard]] std::string ToText(std::uint64_t value);
inline std::string ToText(int value) {
  return ToText(static_cast<std::int64_t>(value));
}
inline std::string ToText(unsigned value) {
  return ToText(static_cast<std::uint64_t>(value));
}
// Lower-case digits in base 2..36, at least width of them (zeros in front).
[[nodiscard]] std::string ToText(std::uint64_t value, int base, int width = 0);

}  // namespace dorum
