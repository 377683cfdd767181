#include <gtest/gtest.h>

#include <string>

#include "common/ProfileFile.h"
#include "common/Strings.h"

using namespace dorum;

TEST(ProfileFile, ReadingRules) {
  struct Case {
    const char* Raw;  // the text after "="
    const char* Read;
  };
  const Case cases[] = {
      {"abc", "abc"},         {"   wyl wea;  ", "wyl wea;"},
      {"\t x \t", "x"},       {"\"  quoted  \"", "  quoted  "},
      {"'single'", "single"}, {"\"mixed'", "\"mixed'"},
      {"\"", "\""},           {"\"\"", ""},
      {"\"\"x\"\"", "\"x\""},  // only one pair goes
      {"a=b", "a=b"},         {"", ""},
  };
  for (const Case& c : cases) {
    const TProfileFile profile({"[S]", std::string("k=") + c.Raw});
    EXPECT_EQ(profile.ReadString("S", "k"), c.Read) << c.Raw;
  }
  const TProfileFile longValue({"[S]", "k=" + std::string(3000, 'x')});
  EXPECT_EQ(longValue.ReadString("S", "k")->size(),
            static_cast<std::size_t>(TProfileFile::kMaxValueLength));
}

TEST(ProfileFile, NamesIgnoreCaseAndTheFirstOfRepeatsCounts) {
  const TProfileFile profile({"; comment", "[Opcje]", "Połączenie=1", " KOD = 4 ", "kod=5", "[ŁAD]",
                              "Linie=2", "[opcje]", "Adres=9"});
  EXPECT_EQ(profile.ReadInteger("OPCJE", "połączenie", 0), 1);
  EXPECT_EQ(profile.ReadInteger("opcje", "Kod", 0), 4);
  EXPECT_EQ(profile.ReadInteger("ład", "LINIE", 0), 2);
  EXPECT_FALSE(profile.ReadString("Opcje", "Adres"));  // the repeated section is not read
  EXPECT_FALSE(profile.ReadString("Brak", "Kod"));
}

TEST(ProfileFile, IntegersAndBooleans) {
  const TProfileFile profile(
      {"[S]", "dec=12", "hex=$1F", "hex2=0x10", "neg=-3", "bad=12a", "empty=", "yes=7", "no=0"});
  EXPECT_EQ(profile.ReadInteger("S", "dec", -1), 12);
  EXPECT_EQ(profile.ReadInteger("S", "hex", -1), 31);
  EXPECT_EQ(profile.ReadInteger("S", "hex2", -1), 16);
  EXPECT_EQ(profile.ReadInteger("S", "neg", -1), -3);
  EXPECT_EQ(profile.ReadInteger("S", "bad", -1), -1);  // not an integer counts as missing
  EXPECT_EQ(profile.ReadInteger("S", "empty", -1), -1);
  EXPECT_EQ(profile.ReadInteger("S", "missing", -1), -1);
  EXPECT_TRUE(profile.ReadBool("S", "yes", false));
  EXPECT_FALSE(profile.ReadBool("S", "no", true));
  EXPECT_TRUE(profile.ReadBool("S", "bad", true));
}

TEST(ProfileFile, WritingKeepsEverythingElse) {
  TProfileFile profile({"; notes", "[A]", "x=1", "other=keep", "", "[B]", "y=2"});
  profile.WriteString("a", "X", "10");      // in place, under the name given
  profile.WriteString("A", "z", "3");       // appended to its section, before the blank line
  profile.WriteString("C", "w", "4");       // a new section at the end
  profile.WriteString("b", "y", "  pad ");  // blanks at the ends are kept by quoting
  EXPECT_EQ(profile.Lines(), TLines({"; notes", "[A]", "X=10", "other=keep", "z=3", "", "[B]",
                                     "y=\"  pad \"", "[C]", "w=4"}));
  EXPECT_EQ(profile.ReadString("A", "z"), "3");
  EXPECT_EQ(profile.ReadString("b", "Y"), "  pad ");
  EXPECT_EQ(profile.ReadString("c", "w"), "4");
}

TEST(ProfileFile, WrittenValuesReadBackUnchanged) {
  const std::string values[] = {"plain",  "   wyl wea;", "trailing ", "\"both\"", "'single'",
                                "\"open", "close'",      "\"",        "",         "'\"mixed'\""};
  TProfileFile profile;
  int n = 0;
  for (const std::string& value : values) profile.WriteString("S", std::to_string(n++), value);
  const TProfileFile reread(profile.Lines());
  n = 0;
  for (const std::string& value : values)
    EXPECT_EQ(reread.ReadString("S", std::to_string(n++)), value) << value;
  EXPECT_EQ(profile.Lines()[1], "0=plain");  // no quotes where none are needed
}

// Quotes are added only where reading would otherwise lose something: a
// quote at one end only reads back as it stands.
TEST(ProfileFile, OnlyValuesThatNeedThemAreQuoted) {
  const struct {
    const char* Value;
    const char* Line;
  } cases[] = {{"\"open", "k=\"open"},   {"close'", "k=close'"},   {"'both'", "k=\"'both'\""},
               {"\"a\"", "k=\"\"a\"\""}, {" lead", "k=\" lead\""}, {"in side", "k=in side"}};
  for (const auto& c : cases) {
    TProfileFile profile;
    profile.WriteString("S", "k", c.Value);
    ASSERT_EQ(profile.Lines().size(), 2u) << c.Value;
    EXPECT_EQ(profile.Lines()[1], c.Line) << c.Value;
    EXPECT_EQ(TProfileFile(profile.Lines()).ReadString("S", "k"), c.Value);
  }
}

// A key added to a section that runs straight into the next one lands
// before the next header, which keeps its place for later writes.
TEST(ProfileFile, KeysAddedToAdjacentSectionsStayInTheirOwn) {
  TProfileFile profile({"[A]", "x=1", "[B]", "y=2", "[C]"});
  profile.WriteString("A", "a2", "3");
  profile.WriteString("B", "b2", "4");
  profile.WriteString("A", "a3", "5");
  profile.WriteString("C", "c1", "6");
  EXPECT_EQ(profile.Lines(),
            TLines({"[A]", "x=1", "a2=3", "a3=5", "[B]", "y=2", "b2=4", "[C]", "c1=6"}));
  const TProfileFile reread(profile.Lines());
  EXPECT_EQ(reread.ReadString("B", "b2"), "4");
  EXPECT_EQ(reread.ReadString("A", "a3"), "5");
}

// The less common forms: a section name holding "]", a tab at a value's end,
// a negative number as a switch, blanks around a header.
TEST(ProfileFile, HeadersTabsAndNegativeSwitches) {
  const TProfileFile read({" [ a]b ] ", "k=1", "[T]", "on=-1", "off=0", "tab=\"\tx\t\""});
  EXPECT_EQ(read.ReadInteger("a]b", "k", 0), 1);
  EXPECT_TRUE(read.ReadBool("T", "on", false));
  EXPECT_FALSE(read.ReadBool("T", "off", true));
  EXPECT_EQ(read.ReadString("T", "tab"), "\tx\t");

  for (const char* value : {"\tx", "x\t", "'x'", "'x\""}) {
    TProfileFile written;
    written.WriteString("S", "k", value);
    EXPECT_EQ(TProfileFile(written.Lines()).ReadString("S", "k"), value) << value;
    EXPECT_NE(written.Lines()[1], std::string("k=") + value) << value;  // quoted
  }
}

// A list file's error is shown where its text stands in the file: the line
// of the key (or of its section's header) and the column, in characters,
// where the value the reading takes begins.
TEST(ProfileFile, PlacesOfKeysAndValues) {
  const TProfileFile profile({"; uwagi", "[Opcje]", "Kod=3", "Nazwa =  \"żółw\"", "Puste=", "Ł=ż x",
                              "ab=ab", "kod=5", "[Inna]", "x=1", "[opcje]", "Adres=9"});
  const struct {
    const char* Section;
    const char* Key;
    std::size_t Line;
    std::size_t Column;
  } cases[] = {
      {"opcje", "KOD", 2, 4},   {"Opcje", "nazwa", 3, 10},
      {"OPCJE", "puste", 4, 6}, {"Opcje", "ł", 5, 2},
      {"Opcje", "AB", 6, 3},    {"inna", "X", 9, 2},
      {"Opcje", "brak", 1, 0},  {"Inna", "Kod", 8, 0},
      {"opcje", "Adres", 1, 0},  // the repeated section is never read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Section) + "/" + c.Key);
    const auto place = profile.PlaceOf(c.Section, c.Key);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->Line, c.Line);
    EXPECT_EQ(place->ValueColumn, c.Column);
  }
  EXPECT_FALSE(profile.PlaceOf("Brak", "Kod").has_value());
}

TEST(ProfileFile, AValueIsCutAfterItsLastCharacterNotByte) {
  std::string letters;
  for (int i = 0; i < 3000; ++i) letters += "ż";
  const TProfileFile profile({"[S]", "k=" + letters, "e=" + std::string(2047, 'e')});
  const std::string read = *profile.ReadString("S", "k");
  EXPECT_EQ(CharCount(read), static_cast<std::size_t>(TProfileFile::kMaxValueLength));
  EXPECT_EQ(read.size(), 2U * TProfileFile::kMaxValueLength);
  EXPECT_EQ(profile.ReadString("S", "e")->size(), 2047U);  // just fits
}

TEST(ProfileFile, SwitchesAndNumbersAreWrittenAsTheyAreRead) {
  TProfileFile profile;
  profile.WriteBool("S", "on", true);
  profile.WriteBool("S", "off", false);
  profile.WriteInteger("S", "neg", -12);
  EXPECT_EQ(profile.Lines(), TLines({"[S]", "on=1", "off=0", "neg=-12"}));
  EXPECT_TRUE(profile.ReadBool("S", "on", false));
  EXPECT_FALSE(profile.ReadBool("S", "off", true));
  EXPECT_TRUE(profile.ReadBool("S", "missing", true));
  EXPECT_FALSE(profile.ReadBool("S", "missing", false));
  EXPECT_EQ(profile.ReadInteger("S", "neg", 0), -12);
}
