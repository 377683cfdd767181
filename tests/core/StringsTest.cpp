#include "common/Strings.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace dorum {
namespace {

struct TUtf8Case {
  const char* Name;
  std::string_view Bytes;
  std::size_t ValidPrefix;  // equal to the size when the whole is valid
};

// Each boundary of the standard's table of well-formed sequences, on both
// sides: the first and last byte that may start a sequence of each length,
// and the narrowed second byte after E0, ED, F0 and F4.
TEST(Utf8, EveryBoundOfAWellFormedSequenceIsKept) {
  using namespace std::string_view_literals;
  const std::vector<TUtf8Case> cases = {
      {"ASCII", "a\x7F"sv, 2},
      {"NUL is a character", "a\0b"sv, 3},
      {"lone continuation byte", "a\x80"sv, 1},
      {"C0 is overlong", "\xC0\x80"sv, 0},
      {"C1 is overlong", "\xC1\xBF"sv, 0},
      {"C2 starts two bytes", "\xC2\x80"sv, 2},
      {"DF starts two bytes", "\xDF\xBF"sv, 2},
      {"two bytes, second not continuing", "\xC2\x41"sv, 0},
      {"two bytes, second past BF", "\xC2\xC0"sv, 0},
      {"two bytes cut short", "x\xC3"sv, 1},
      {"E0 A0 is the lowest three", "\xE0\xA0\x80"sv, 3},
      {"E0 9F is overlong", "\xE0\x9F\xBF"sv, 0},
      {"E1 80 is fine", "\xE1\x80\x80"sv, 3},
      {"EC BF BF is fine", "\xEC\xBF\xBF"sv, 3},
      {"ED 9F is below the surrogates", "\xED\x9F\xBF"sv, 3},
      {"ED A0 is a surrogate", "\xED\xA0\x80"sv, 0},
      {"EE 80 is fine", "\xEE\x80\x80"sv, 3},
      {"EF BF BF is fine", "\xEF\xBF\xBF"sv, 3},
      {"three bytes, third not continuing", "\xE2\x82\x41"sv, 0},
      {"three bytes cut short", "ab\xE2\x82"sv, 2},
      {"F0 90 is the lowest four", "\xF0\x90\x80\x80"sv, 4},
      {"F0 8F is overlong", "\xF0\x8F\xBF\xBF"sv, 0},
      {"F4 8F is the highest four", "\xF4\x8F\xBF\xBF"sv, 4},
      {"F4 90 is past U+10FFFF", "\xF4\x90\x80\x80"sv, 0},
      {"F1 BF is fine", "\xF1\xBF\xBF\xBF"sv, 4},
      {"F5 starts nothing", "\xF5\x80\x80\x80"sv, 0},
      {"FF starts nothing", "z\xFF"sv, 1},
      {"four bytes, fourth not continuing", "\xF0\x9F\x98\x41"sv, 0},
      {"four bytes cut short", "\xF0\x9F\x98"sv, 0},
      {"a fault after valid text", "żółw\xFF"sv, 7},
  };
  for (const TUtf8Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::size_t prefix = 12345;
    const bool valid = IsValidUtf8(c.Bytes, &prefix);
    EXPECT_EQ(prefix, c.ValidPrefix);
    EXPECT_EQ(valid, prefix == c.Bytes.size());
    EXPECT_EQ(IsValidUtf8(c.Bytes), c.ValidPrefix == c.Bytes.size());
  }
}

TEST(Utf8, CharactersDecodeAndEncodeAtEveryLength) {
  const std::vector<std::pair<char32_t, std::string_view>> cases = {
      {U'\0', std::string_view("\0", 1)},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {U'ż', "\xC5\xBC"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {U'€', "\xE2\x82\xAC"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {U'😀', "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& [c, bytes] : cases) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(CharText(c), bytes);
    std::size_t i = 0;
    EXPECT_EQ(NextChar(bytes, i), c);
    EXPECT_EQ(i, bytes.size());
  }
}

TEST(Utf8, AByteThatStartsNothingIsOneReplacementCharacter) {
  // A reader must move on one byte at a time, so that what follows a fault
  // is still read as it is.
  const std::string_view text =
      "a\xE2\x82"
      "b\xFF\xC5\xBC";
  std::vector<char32_t> read;
  for (std::size_t i = 0; i < text.size();) read.push_back(NextChar(text, i));
  EXPECT_EQ(read, (std::vector<char32_t>{U'a', 0xFFFD, 0xFFFD, U'b', 0xFFFD, U'ż'}));
  EXPECT_EQ(CharCount(text), 6U);
}

TEST(Utf8, ColumnsCountCharactersNotBytes) {
  const std::string_view text = "zażółć x";
  EXPECT_EQ(CharCount(text), 8U);
  EXPECT_EQ(CharCount(""), 0U);
  EXPECT_EQ(ByteOffsetOfChar(text, 0), 0U);
  EXPECT_EQ(ByteOffsetOfChar(text, 2), 2U);
  EXPECT_EQ(ByteOffsetOfChar(text, 3), 4U);  // past the two bytes of ż
  EXPECT_EQ(ByteOffsetOfChar(text, 6), 10U);
  EXPECT_EQ(ByteOffsetOfChar(text, 7), 11U);
  EXPECT_EQ(ByteOffsetOfChar(text, 8), text.size());
  EXPECT_EQ(ByteOffsetOfChar(text, 50), text.size());
}

TEST(Strings, TrimmingTakesOnlyItsOwnKindOfBlank) {
  EXPECT_EQ(TrimBlanks(" \tab c\t "), "ab c");
  EXPECT_EQ(TrimBlanks("abc"), "abc");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimBlanks(" a"), "a");
  EXPECT_EQ(TrimBlanks("a "), "a");
  // A line end or other control is not a blank here: it is part of the text.
  EXPECT_EQ(TrimBlanks("\ra\n"), "\ra\n");

  // A typed field loses controls and blanks at both ends, but not inside.
  EXPECT_EQ(Trimmed("\r\n\t a b \x01\x1F"), "a b");
  EXPECT_EQ(Trimmed("!x!"), "!x!");
  EXPECT_EQ(Trimmed(" \x7F "), "\x7F");
  EXPECT_EQ(Trimmed("\x01\x02"), "");
  EXPECT_EQ(Trimmed("żółw "), "żółw");
}

TEST(Strings, CaseIsFoldedForAsciiLettersOnly) {
  EXPECT_EQ(UpperAscii("az AZ @[`{ 09 żółw"), "AZ AZ @[`{ 09 żółW");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Mov", "mOV"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("mov", "movx"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("movx", "mov"));
  EXPECT_FALSE(
      EqualsIgnoringAsciiCase("@", "`"));  // 0x40 and 0x60 differ by 32, but are no letters
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("ż", "Ż"));
}

// Every letter from A to Z, the ends of the range included: a register is
// found by its caption in either case, RZ as much as AK.
TEST(Strings, EachAsciiLetterEqualsItsOtherCase) {
  for (char upper = 'A'; upper <= 'Z'; ++upper) {
    const std::string big(1, upper);
    const std::string small(1, static_cast<char>(upper - 'A' + 'a'));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(big, small)) << big;
    EXPECT_TRUE(EqualsIgnoringAsciiCase(small, big)) << big;
  }
}

TEST(Strings, SplitKeepsEveryEmptyPartAndJoinPutsThemBack) {
  const std::vector<std::pair<std::string_view, std::vector<std::string>>> cases = {
      {"", {""}},
      {"a", {"a"}},
      {",", {"", ""}},
      {"a,b", {"a", "b"}},
      {",a,,b,", {"", "a", "", "b", ""}},
  };
  for (const auto& [text, parts] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Split(text, ','), parts);
    EXPECT_EQ(Join(parts, ","), text);
  }
  EXPECT_EQ(Join({}, ", "), "");
  EXPECT_EQ(Join({"x", "y", "z"}, ", "), "x, y, z");
}

TEST(Strings, ReplaceAllReplacesEachOccurrenceOnceInOrder) {
  EXPECT_EQ(ReplaceAll("a%1b%1", "%1", "7"), "a7b7");
  EXPECT_EQ(ReplaceAll("%1%1", "%1", "%1%1"), "%1%1%1%1");  // no replacing within what was put in
  EXPECT_EQ(ReplaceAll("aaa", "a", "ba"), "bababa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "d", "x"), "abc");
  EXPECT_EQ(ReplaceAll("xx", "x", ""), "");
}

TEST(Strings, NumbersAreWrittenInEveryBaseAndWidth) {
  EXPECT_EQ(ToText(std::int64_t{-9223372036854775807LL - 1}), "-9223372036854775808");
  EXPECT_EQ(ToText(std::uint64_t{18446744073709551615ULL}), "18446744073709551615");
  EXPECT_EQ(ToText(-1), "-1");
  EXPECT_EQ(ToText(0U), "0");
  EXPECT_EQ(ToText(std::uint64_t{0xAB}, 16), "ab");
  EXPECT_EQ(ToText(std::uint64_t{0xAB}, 16, 4), "00ab");
  EXPECT_EQ(ToText(std::uint64_t{0xAB}, 16, 2), "ab");
  EXPECT_EQ(ToText(std::uint64_t{0xAB}, 16, 1), "ab");  // a width is no limit
  EXPECT_EQ(ToText(std::uint64_t{5}, 2, 8), "00000101");
  EXPECT_EQ(ToText(std::uint64_t{0}, 2, 3), "000");
  EXPECT_EQ(ToText(std::uint64_t{8}, 8), "10");
  EXPECT_EQ(ToText(std::uint64_t{35}, 36), "z");
  EXPECT_EQ(ToText(~std::uint64_t{0}, 2).size(), 64U);
}

}  // namespace
}  // namespace dorum
