#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "MachineTestSupport.h"
#include "TempDir.h"
#include "common/Error.h"
#include "common/ProfileFile.h"
#include "common/Text.h"

using namespace dorum;

using dorum::test::Contains;
using dorum::test::MessageOf;
using dorum::test::TTempDir;
using namespace std::string_literals;
using namespace std::string_view_literals;

TEST(StrToInt, AcceptsTheStandardForms) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-42", -42},
      {"+7", 7},
      {"   12", 12},
      {"\t5", 5},
      {"$1F", 31},
      {"$ff", 255},
      {"x1f", 31},
      {"X1F", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"007", 7},
      {"$aA", 170},  // both ends of both ranges of letter digits
      {"$fF", 255},
      {"x09", 9},
      {"9", 9},
      {"-0", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
  }
}

TEST(StrToInt, RejectsEverythingElseWithTheStandardMessage) {
  const char* bad[] = {"",   "abc", "12a",        "12 ",         "- 1",        "$",   "0x",
                       "x",  "--1", "2147483648", "-2147483649", "$100000000", "1.5", "+",
                       "$g", "$G",  "x@",         "$`",          "/",          ":"};
  for (const char* text : bad) {
    EXPECT_EQ(MessageOf([&] { (void)StrToInt(text); }),
              "'"s + text + "' is not a valid integer value")
        << text;
  }
}

// Digits of other scripts are digits to Unicode but not in a number.
TEST(StrToInt, OnlyAsciiDigitsAreDigits) {
  for (const char* text : {"\u0663", "1\u0663", "\u0966", "\uFF13", "-\u0661", "$\u0661"}) {
    EXPECT_EQ(MessageOf([&] { (void)StrToInt(text); }),
              "'"s + text + "' is not a valid integer value")
        << text;
  }
}

TEST(CodePage1250, EveryByteRoundTrips) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(CharToCp1250(Cp1250ToChar(static_cast<std::uint8_t>(code))), code) << code;
  }
  EXPECT_EQ(CharToCp1250(U'ą'), 0xB9);
  EXPECT_EQ(CharToCp1250(U'Ł'), 0xA3);
  EXPECT_EQ(CharToCp1250(U'€'), 0x80);
  EXPECT_EQ(CharToCp1250(U'ж'), -1);
  EXPECT_EQ(CharToCp1250OrQuestion(U'ж'), '?');
}

TEST(LowerCase, CoversAsciiAndPolishLetters) {
  EXPECT_EQ(LowerCase("ROZKAZ DOD;"), "rozkaz dod;");
  EXPECT_EQ(LowerCase("ĄĆĘŁŃÓŚŹŻ"), "ąćęłńóśźż");
  EXPECT_EQ(LowerCase("JEŻELI Z TO @Ujemne"), "jeżeli z to @ujemne");
  // Letters the code page cannot hold are left alone.
  EXPECT_EQ(LowerCase("ЖΩ"), "ЖΩ");
}

TEST(TextLines, SplitAtEveryKindOfLineBreak) {
  const struct {
    std::string bytes;
    TLines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"a\n\n", {"a", ""}},
      {"a\n\rb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextLines(c.bytes), c.lines) << c.bytes;
}

TEST(TextLines, ChooseTheEncoding) {
  // Code page 1250 bytes for "żółw".
  EXPECT_EQ(DecodeTextLines("\xBF\xF3\xB3w"), TLines{"żółw"});
  // The same word saved by a modern editor.
  EXPECT_EQ(DecodeTextLines("żółw"), TLines{"żółw"});
  EXPECT_EQ(DecodeTextLines("\xEF\xBB\xBFok\r\n"), TLines{"ok"});
}

TEST(TextLines, EncodeInCodePage1250WithCrLf) {
  EXPECT_EQ(EncodeTextLines({"żółw", ""}), "\xBF\xF3\xB3w\r\n\r\n");
  EXPECT_EQ(MessageOf([] {
              (void)EncodeTextLines({"ab", "ж"});
            }),
            "Znaku 'ж' (U+0436) nie można zapisać w stronie kodowej 1250");
}

TEST(TextFiles, WriteReadAndKeepTheOldFileOnFailure) {
  const TTempDir dir;
  const std::string path = dir.FilePath("prog.prg");
  const TLines lines = {"ROZKAZ DOD;", "  // zażółć", ""};
  WriteTextFile(path, lines);
  EXPECT_EQ(ReadTextFile(path), lines);

  // A line the code page cannot hold is reported and the file stays as it was.
  EXPECT_FALSE(MessageOf([&] { WriteTextFile(path, {"ж"}); }).empty());
  EXPECT_EQ(ReadTextFile(path), lines);
  // Files the system refuses: FileErrorTest.
}

namespace {

// Text as UTF-16 code units, each in the byte order asked for, after its
// mark; given as units so that unpaired surrogates can be written too.
std::string Utf16(std::u16string_view units, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

// "żółw" and a character beyond the basic plane, as UTF-8 and as UTF-16.
const std::string kMixed = "żółw \U0001F600\r\nROZKAZ ŁAD;\r\n";
const std::u16string kMixed16 = u"żółw \U0001F600\r\nROZKAZ ŁAD;\r\n";

}  // namespace

TEST(TextEncodings, EachIsRecognisedAndSavedBackByteForByte) {
  const struct {
    const char* name;
    std::string bytes;
    TTextEncoding encoding;
    TLines lines;
  } cases[] = {
      {"code page 1250", "\xBF\xF3\xB3w\r\n", TTextEncoding::Cp1250, {"żółw"}},
      {"plain ASCII", "stp\r\n", TTextEncoding::Cp1250, {"stp"}},
      {"UTF-8", "żółw\r\n", TTextEncoding::Utf8, {"żółw"}},
      {"UTF-8 with its mark",
       "\xEF\xBB\xBF" + kMixed,
       TTextEncoding::Utf8WithBom,
       {"żółw \U0001F600", "ROZKAZ ŁAD;"}},
      {"UTF-16LE",
       Utf16(kMixed16, false),
       TTextEncoding::Utf16Le,
       {"żółw \U0001F600", "ROZKAZ ŁAD;"}},
      {"UTF-16BE",
       Utf16(kMixed16, true),
       TTextEncoding::Utf16Be,
       {"żółw \U0001F600", "ROZKAZ ŁAD;"}},
  };
  for (const auto& c : cases) {
    const TDecodedText text = DecodeText(c.bytes);
    EXPECT_EQ(text.Encoding, c.encoding) << c.name;
    EXPECT_EQ(text.Lines, c.lines) << c.name;
    EXPECT_EQ(EncodeText(text.Lines, text.Encoding), c.bytes) << c.name;
  }
}

TEST(TextEncodings, AByteOrderMarkAloneIsAnEmptyText) {
  EXPECT_EQ(DecodeText("\xFF\xFE").Lines, TLines());
  EXPECT_EQ(DecodeText("\xFE\xFF").Encoding, TTextEncoding::Utf16Be);
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF").Encoding, TTextEncoding::Utf8WithBom);
}

TEST(TextEncodings, ANulCharacterIsRefusedWithItsLine) {
  const std::string nul = "w wierszu 2 jest znak NUL (bajt zerowy); to nie jest plik tekstowy";
  const std::string withNul = "stp\r\nrst 1\0dalszy tekst\r\n"s;
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(withNul); }), nul);
  EXPECT_EQ(MessageOf([&] { (void)DecodeText("\xEF\xBB\xBF" + withNul); }), nul);
  const std::u16string_view utf16 = u"żółw\na\0"sv;
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(Utf16(utf16, false)); }), nul);
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(Utf16(utf16, true)); }), nul);
  // A NUL at the very start, before any line break, is on the first line.
  const std::string first = MessageOf([] { (void)DecodeText(std::string(1, '\0')); });
  EXPECT_NE(first.find("wierszu 1 "), std::string::npos) << first;
  // Lines are counted by every kind of line break, a CR LF as one.
  const auto lineOf = [](const std::string& text) {
    return MessageOf([&] { (void)DecodeText(text); }).substr(0, 12);
  };
  EXPECT_EQ(lineOf("a\rb\r\nc\nd\0"s), "w wierszu 4 ");
  EXPECT_EQ(lineOf("a\r\r\0"s), "w wierszu 3 ");
  EXPECT_EQ(lineOf("a\n\r\0"s), "w wierszu 3 ");
  EXPECT_EQ(lineOf("a\r\n\0"s), "w wierszu 2 ");
}

TEST(TextEncodings, BytesThatAreNoTextInTheMarkedEncodingAreRefused) {
  const auto message = [](const char* encoding, int line) {
    return "plik zaczyna się znacznikiem kodowania "s + encoding + ", ale w wierszu " +
           std::to_string(line) + " ma bajty, które nie są w nim poprawnym tekstem";
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"bad UTF-8 sequence", "\xEF\xBB\xBFstp\r\nab\xC0\xAF\r\n", message("UTF-8", 2)},
      {"UTF-8 cut short", "\xEF\xBB\xBFstp\r\n\r\n\xC5", message("UTF-8", 3)},
      // Well-formed in shape, but no character: a surrogate, an overlong
      // form and a code past U+10FFFF.
      {"UTF-8 surrogate", "\xEF\xBB\xBFstp\r\na\xED\xA0\x80\r\n", message("UTF-8", 2)},
      {"UTF-8 overlong", "\xEF\xBB\xBF\xE0\x80\xAF", message("UTF-8", 1)},
      {"UTF-8 past the last code", "\xEF\xBB\xBF\n\xF4\x90\x80\x80", message("UTF-8", 2)},
      {"odd UTF-16 length", Utf16(u"a\nb", false) + 'c', message("UTF-16LE", 2)},
      {"unpaired high surrogate",
       Utf16(u"a\n\xD83D"
             u"b",
             true),
       message("UTF-16BE", 2)},
      {"unpaired low surrogate", Utf16(u"\xDE00\na", false), message("UTF-16LE", 1)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] { (void)DecodeText(c.bytes); }), c.message) << c.name;
  }
  // Without a mark, bytes that are no UTF-8 are code page 1250 text.
  EXPECT_EQ(DecodeText("ab\xC0\xAF").Encoding, TTextEncoding::Cp1250);
  const TDecodedText surrogate = DecodeText("a\xED\xA0\x80");
  EXPECT_EQ(surrogate.Encoding, TTextEncoding::Cp1250);
  EXPECT_EQ(surrogate.Lines, TLines{"a\u00ED\u00A0\u20AC"});
}

TEST(TextEncodings, CharactersOutsideCodePage1250AreFound) {
  EXPECT_EQ(FirstCharOutsideCp1250({"żółw", "€"}), std::nullopt);
  EXPECT_EQ(FirstCharOutsideCp1250({"ok", "aжb中"}), U'ж');
}

TEST(TextFiles, AFileThatIsNoTextIsRefusedByNameAndEachEncodingIsWrittenBack) {
  const TTempDir dir;
  const std::string path = dir.FilePath("nul.rzk");
  ASSERT_TRUE(dorum::test::PutFileBytes(path, "ROZKAZ X;\r\n\0\r\n"sv));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(path); }),
            "Nie można wczytać pliku " + path +
                ": w wierszu 2 jest znak NUL (bajt zerowy); to nie jest plik tekstowy");

  const TLines lines = {"żółw \u0436", ""};
  for (const TTextEncoding encoding : {TTextEncoding::Utf8, TTextEncoding::Utf8WithBom,
                                       TTextEncoding::Utf16Le, TTextEncoding::Utf16Be}) {
    WriteTextFile(path, lines, encoding);
    const TDecodedText read = ReadEncodedTextFile(path);
    EXPECT_EQ(read.Lines, lines);
    EXPECT_EQ(read.Encoding, encoding);
  }
}

// A file comes back with the line ends it was read with: an editor on
// another system must not find every line of its file changed by a save.
TEST(TextLineEnds, EachFileIsSavedBackWithItsOwnLineEnds) {
  const struct {
    const char* name;
    std::string bytes;
    TLineEnd lineEnd;
  } cases[] = {
      {"LF", "ROZKAZ X;\n\xBF\xF3\xB3w\n\n", TLineEnd::Lf},
      {"CR LF", "ROZKAZ X;\r\n\xBF\xF3\xB3w\r\n\r\n", TLineEnd::CrLf},
      {"CR", "ROZKAZ X;\r\xBF\xF3\xB3w\r\r", TLineEnd::Cr},
      {"UTF-8 with LF", "żółw\nstp\n", TLineEnd::Lf},
      {"UTF-16LE with LF", Utf16(u"żółw\nstp\n", false), TLineEnd::Lf},
  };
  for (const auto& c : cases) {
    const TDecodedText text = DecodeText(c.bytes);
    EXPECT_EQ(text.LineEnd, c.lineEnd) << c.name;
    EXPECT_EQ(EncodeText(text.Lines, text.Encoding, text.LineEnd), c.bytes) << c.name;
  }
  // A file that mixes them is saved with its first; one without a line
  // break, like a new file, with CR LF.
  EXPECT_EQ(DecodeText("a\nb\r\nc\rd").LineEnd, TLineEnd::Lf);
  EXPECT_EQ(DecodeText("a\r\nb\nc").LineEnd, TLineEnd::CrLf);
  EXPECT_EQ(DecodeText("stp").LineEnd, TLineEnd::CrLf);
  EXPECT_EQ(DecodeText("").LineEnd, TLineEnd::CrLf);

  const TTempDir dir;
  const std::string path = dir.FilePath("lf.prg");
  ASSERT_TRUE(dorum::test::PutFileBytes(path, "stp\n// koniec\n"));
  TDecodedText read = ReadEncodedTextFile(path);
  read.Lines.push_back("rst 1");
  WriteTextFile(path, read.Lines, read.Encoding, read.LineEnd);
  EXPECT_EQ(dorum::test::FileBytes(path), "stp\n// koniec\nrst 1\n");
}

// A list saved over a list file keeps that file's line ends and encoding;
// a new list file gets code page 1250 and CR LF.
TEST(TextLineEnds, AProfileFileIsSavedAsItWasRead) {
  const TTempDir dir;
  const std::string path = dir.FilePath("lista.lst");
  ASSERT_TRUE(dorum::test::PutFileBytes(path, "[Opcje]\nAdres=5\n[dod]\nLinia1=// żółw\n"));
  TProfileFile profile = TProfileFile::Load(path);
  profile.WriteInteger("Opcje", "Kod", 3);
  profile.WriteString("dod", "Linia2", "ж");
  profile.Save(path);
  EXPECT_EQ(dorum::test::FileBytes(path),
            "[Opcje]\nAdres=5\nKod=3\n[dod]\nLinia1=// żółw\nLinia2=ж\n");

  const std::string fresh = dir.FilePath("nowa.lst");
  TProfileFile created = TProfileFile::Load(fresh);
  created.WriteString("Opcje", "Uwaga", "żółw");
  created.Save(fresh);
  EXPECT_EQ(dorum::test::FileBytes(fresh), "[Opcje]\r\nUwaga=\xBF\xF3\xB3w\r\n");
}

// The Polish letters by their code page 1250 codes, as a file from the
// original system holds them.
TEST(CodePage1250, ThePolishLettersHaveTheirCodes) {
  const std::string_view letters = "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";
  const std::uint8_t codes[] = {0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF,
                                0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF};
  std::size_t i = 0;
  for (const std::uint8_t code : codes) {
    const char32_t letter = NextChar(letters, i);
    EXPECT_EQ(Cp1250ToChar(code), letter) << int{code};
    EXPECT_EQ(CharToCp1250(letter), code) << int{code};
  }
  EXPECT_EQ(i, letters.size());
  EXPECT_EQ(DecodeCp1250("\x80\x81\x98\xA0\xFF"), "€\u0081\u0098\u00A0\u02D9");
  EXPECT_EQ(EncodeCp1250("a€ż"), "a\x80\xBF");
}

// In the code page a capital's small letter stands 0x10 further in the
// 0x8A..0x8F row, 0x20 further from 0xC0 on, and at four codes of their
// own in the 0xA0 row.
TEST(LowerCase, EveryCapitalOfTheCodePageHasItsSmallLetter) {
  std::vector<std::pair<int, int>> pairs = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
                                            {0x8F, 0x9F}, {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAA, 0xBA},
                                            {0xAF, 0xBF}, {0xBC, 0xBE}};
  for (int upper = 0xC0; upper <= 0xDE; ++upper) {
    if (upper != 0xD7) pairs.emplace_back(upper, upper + 0x20);  // × and ÷ are no letters
  }
  std::set<int> capitals;
  for (const auto& [upper, lower] : pairs) {
    const char32_t capital = Cp1250ToChar(static_cast<std::uint8_t>(upper));
    const char32_t small = Cp1250ToChar(static_cast<std::uint8_t>(lower));
    EXPECT_EQ(LowerChar(capital), small) << std::hex << upper;
    EXPECT_EQ(LowerChar(small), small) << std::hex << lower;
    EXPECT_EQ(LowerCase(CharText(capital) + "X"), CharText(small) + "x") << std::hex << upper;
    capitals.insert(upper);
  }
  // Every other code stays as it is.
  for (int code = 0x80; code <= 0xFF; ++code) {
    if (capitals.contains(code)) continue;
    const char32_t c = Cp1250ToChar(static_cast<std::uint8_t>(code));
    EXPECT_EQ(LowerChar(c), c) << std::hex << code;
  }
  for (char32_t c = 0; c < 0x80; ++c) {
    EXPECT_EQ(LowerChar(c), c >= U'A' && c <= U'Z' ? c + 32 : c) << static_cast<int>(c);
  }
  EXPECT_EQ(LowerCase("@AZ[`az{"), "@az[`az{");
  // Bytes that are no UTF-8 are kept as they are, so nothing is lost.
  EXPECT_EQ(LowerCase("A\xFF\xC5Ż\xE2\x82"), "a\xFF\xC5ż\xE2\x82");
}

// The ends of the surrogate ranges: a pair reaches from U+10000 to
// U+10FFFF; the units just outside them are characters of their own.
TEST(TextEncodings, Utf16SurrogatePairsAtTheirBounds) {
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian);
    const std::u16string units = u"\xD7FF\xD800\xDC00\xDBFF\xDFFF\xE000";
    const TDecodedText text = DecodeText(Utf16(units, bigEndian));
    EXPECT_EQ(text.Lines, TLines{"\uD7FF\U00010000\U0010FFFF\uE000"});
    EXPECT_EQ(EncodeText(text.Lines, text.Encoding), Utf16(units + u"\r\n", bigEndian));

    const auto refused = [&](std::u16string_view bad) {
      return MessageOf([&] { (void)DecodeText(Utf16(bad, bigEndian)); });
    };
    const std::string name = bigEndian ? "UTF-16BE" : "UTF-16LE";
    // A high surrogate as the last unit, or before a unit that is none.
    EXPECT_TRUE(Contains(refused(u"a\n\xDBFF"), name + ", ale w wierszu 2 "));
    EXPECT_TRUE(Contains(refused(u"a\xD800\xE000"), name + ", ale w wierszu 1 "));
    EXPECT_TRUE(Contains(refused(u"a\xD800\xDBFF"), name));
    EXPECT_TRUE(Contains(refused(u"\n\n\xDFFF"), name + ", ale w wierszu 3 "));
    // A high surrogate followed by a single byte.
    EXPECT_TRUE(
        Contains(MessageOf([&] { (void)DecodeText(Utf16(u"\xD800", bigEndian) + 'x'); }), name));
  }
}

TEST(StrToInt, HexadecimalIsABitPatternEvenWithASign) {
  EXPECT_EQ(StrToInt("-$FFFFFFFF"), 1);
  EXPECT_EQ(StrToInt("$80000000"), INT32_MIN);
  EXPECT_EQ(StrToInt("-0x80000000"), INT32_MIN);
  EXPECT_EQ(StrToInt(" \t+0X7fffffff"), INT32_MAX);
  std::int32_t value = 99;
  EXPECT_FALSE(TryStrToInt("0x1G", value));
  EXPECT_FALSE(TryStrToInt("\n5", value));  // a line break is no blank here
  EXPECT_FALSE(TryStrToInt("5\t", value));
  EXPECT_EQ(value, 99);  // untouched when the text is no integer
  EXPECT_TRUE(TryStrToInt("-2147483648", value));
  EXPECT_EQ(value, INT32_MIN);
}

// Saving replaces the file in one step, but what the user set up around
// it stays: its permissions, a link to it, the folder free of leftovers.
TEST(TextFiles, SavingKeepsPermissionsLinksAndNoTemporaryFile) {
  namespace fs = std::filesystem;
  const TTempDir dir;
  const std::string path = dir.FilePath("prog.prg");
  WriteTextFile(path, {"stp"});
  std::error_code error;
  // Not what a new file gets: the group may write, others may not read.
  const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::group_write;
  fs::permissions(path, shared, fs::perm_options::replace, error);
  ASSERT_FALSE(error);
  WriteTextFile(path, {"rst 1"});
  EXPECT_EQ(fs::status(path).permissions(), shared);
  EXPECT_EQ(dorum::test::FileBytes(path), "rst 1\r\n");

  const std::string link = dir.FilePath("skrot.prg");
  fs::create_symlink(path, link, error);
  const bool linked = !error;
  if (linked) {
    WriteTextFile(link, {"rst 2"});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(dorum::test::FileBytes(path), "rst 2\r\n");
  }
  WriteFileBytes(dir.FilePath("nowy.bin"), "\0\xFF"sv);
  EXPECT_EQ(dorum::test::FileBytes(dir.FilePath("nowy.bin")), "\0\xFF"sv);

  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.FilePath("")))
    names.insert(entry.path().filename().string());
  std::set<std::string> expected{"prog.prg", "nowy.bin"};
  if (linked) expected.insert("skrot.prg");
  EXPECT_EQ(names, expected);
}

TEST(TextEncodings, EachHasTheNameTheMessagesGive) {
  EXPECT_EQ(EncodingName(TTextEncoding::Cp1250), "Windows-1250");
  EXPECT_EQ(EncodingName(TTextEncoding::Utf8), "UTF-8");
  EXPECT_EQ(EncodingName(TTextEncoding::Utf8WithBom), "UTF-8");
  EXPECT_EQ(EncodingName(TTextEncoding::Utf16Le), "UTF-16LE");
  EXPECT_EQ(EncodingName(TTextEncoding::Utf16Be), "UTF-16BE");
}
