#include <gtest/gtest.h>

#include "MachineTestSupport.h"
#include "control/CommentFilter.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

class Assembler : public ::testing::Test {
 protected:
  // Assembles the text; returns the error message (empty when none).
  std::string Assemble(const TLines& text) {
    document.SetTexts(text);
    return MessageOf([&] { program.Assemble(document); });
  }
  std::uint32_t Word(int address) const { return m.Memory().Word(address); }
  TLines WatchNames() const {
    TLines names;
    for (int i = 0; i < watches.Count(); ++i) names.push_back(watches.NameText(i));
    return names;
  }

  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TWatchList& watches = session.Watches();
  TProgram& program = session.Assembler();
  TProgramDocument document;
};

}  // namespace

TEST_F(Assembler, WorkedExampleWordsAndLineMap) {
  m.Register(TRegisterId::L).SetValue(9);
  ASSERT_EQ(Assemble({"// suma", "start: POB x", "DOD y", "ŁAD z", "STP", "x: RST 5", "y: RST 7",
                      "z: RPA"}),
            "");
  const std::uint32_t words[] = {100, 37, 134, 0, 5, 7, 0};
  for (int a = 0; a < 7; ++a) EXPECT_EQ(Word(a), words[a]) << a;
  EXPECT_EQ(document.Addresses(), (std::vector<int>{-1, 0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(WatchNames(), TLines({"start [ 0 ]", "x [ 4 ]", "y [ 5 ]", "z [ 6 ]"}));
  EXPECT_EQ(m.Register(TRegisterId::L).Value(), 0);  // the machine was reset

  // "kon" ends the program: nothing after it is read, not even for errors.
  ASSERT_EQ(Assemble({"// suma", "start: POB x", "DOD y", "ŁAD z", "STP", "x: RST 5", "y: RST 7",
                      "z: RPA", "KON", "zły tekst x: x: nieznana"}),
            "");
  EXPECT_EQ(document.Addresses().back(), -1);
}

TEST_F(Assembler, OperandFormsAndWidths) {
  struct Case {
    const char* Text;
    std::uint32_t Word;
  };
  const Case cases[] = {
      {"rst -1", 255},
      {"rst $1F", 31},
      {"rst x1f", 31},
      {"rst 0x1F", 31},
      {"rst 'A'", 65},
      {"rst 'a'", 97},
      {"rst 'Ł'", 163},
      {"rst +7", 7},
      {"rst 300", 300 & 255},
      {"ode 40", 2 * 32 + 8},
      {"sob -1", 5 * 32 + 31},
      {"x1f: rst x1f", 31},  // a number, even where a label of that name exists
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Assemble({c.Text}), "") << c.Text;
    EXPECT_EQ(Word(0), c.Word) << c.Text;
  }
  // Sixteen address bits and eight code bits: the full widths.
  m.SetAddressBits(16);
  m.SetCodeBits(8);
  EXPECT_EQ(Assemble({"rst -1", "pob 65535", "rst $12345678"}), "");
  EXPECT_EQ(Word(0), 0xFFFFFFu);
  EXPECT_EQ(Word(1), (3u << 16) | 65535u);
  EXPECT_EQ(Word(2), 0x345678u);
}

TEST_F(Assembler, LabelsForwardCaseAndLines) {
  EXPECT_EQ(Assemble({"Start: sob Koniec", "", "koniec:", "  dalej: stp // komentarz"}), "");
  EXPECT_EQ(Word(0), 5u * 32 + 1);
  EXPECT_EQ(document.Addresses(), (std::vector<int>{0, -1, -1, 1}));
  EXPECT_EQ(WatchNames(), TLines({"dalej [ 1 ]", "koniec [ 1 ]", "start [ 0 ]"}));
}

TEST_F(Assembler, InstructionsWithOtherArgumentCounts) {
  m.SetCodeBits(4);
  control.AddInstruction({"ROZKAZ DWA;", "Argumenty 2;", "czyt wys wei il;"});
  EXPECT_EQ(Assemble({"dwa 3 'B'", "stp"}), "");
  EXPECT_EQ(Word(0), 8u * 32 + 3);
  EXPECT_EQ(Word(1), 66u);
  EXPECT_EQ(Word(2), 0u);
  EXPECT_EQ(document.Addresses(), (std::vector<int>{1, 2}));  // the line keeps the last word
  // The operands may stand on lines of their own: each word is recorded
  // against the line of its own last word.
  EXPECT_EQ(Assemble({"dwa", "3", "4"}), "");
  EXPECT_EQ(document.Addresses(), (std::vector<int>{-1, 0, 1}));
}

TEST_F(Assembler, EveryMessageWithItsPosition) {
  struct Case {
    TLines Text;
    const char* Message;
  };
  const Case cases[] = {
      {{"a: rpa", "A: rpa"}, "2:3 Próba redefinicji etykiety a"},
      {{"Start: rpa", "start: rpa"}, "2:7 Próba redefinicji etykiety start"},
      {{"rpa", "  skocz 3"}, "2:8  Oczekiwany rozkaz"},
      {{"stp 5 // argumentu nie ma"}, "1:6  Oczekiwany rozkaz"},
      {{"stp", "5"}, "3:0  Oczekiwany rozkaz"},  // past the end of the last line
      {{"pob nigdzie // x"}, "1:12 Nie znaleziono etykiety nigdzie"},
      {{"rst 'A' ", "stp"}, "2:0 Nie znaleziono etykiety 'A' "},  // the quote took the blank
      {{"pob"}, "2:0 Nie znaleziono etykiety "},
      // Three characters with a quote first but not last are no character.
      {{"rst 'ab"}, "2:0 Nie znaleziono etykiety 'ab"},
      {{"rst 'a'b"}, "2:0 Nie znaleziono etykiety 'a'b"},
      // Nor are two characters between the quotes.
      {{"rst 'ab'"}, "2:0 Nie znaleziono etykiety 'ab'"},
      {{"rpa / 2"}, "1:5  Nieoczekiwany symbol"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Assemble(c.Text), c.Message) << Join(c.Text, "|");
  }
}

TEST_F(Assembler, OnlyTheCodesTheOperationFieldHoldsAreMnemonics) {
  m.SetCodeBits(4);
  control.AddInstruction({"ROZKAZ NOWY;", "czyt wys wei il;"});  // code 8
  m.SetCodeBits(3);
  EXPECT_EQ(Assemble({"nowy 1"}), "1:5  Oczekiwany rozkaz");
}

TEST_F(Assembler, ProgramThatDoesNotFitLeavesMemoryUntouched) {
  TLines full;
  for (int i = 0; i < 32; ++i) full.push_back("rst " + std::to_string(i + 1));
  EXPECT_EQ(Assemble(full), "");  // exactly 2^A words
  EXPECT_EQ(Word(31), 32u);

  m.Memory().Store(0, 77);
  full.push_back("x: rpa");
  document.SetTexts(full);
  document.SetAddresses({});
  const std::vector<int> before = document.Addresses();
  EXPECT_EQ(MessageOf([&] { program.Assemble(document); }),
            "Kod programu nie mieści się w pamięci operacyjnej (Zwiększ liczbę "
            "bitów adresu)");
  EXPECT_EQ(Word(0), 77u);  // nothing wrapped around
  EXPECT_EQ(document.Addresses(), before);
  EXPECT_EQ(WatchNames(), TLines({"x [ 32 ]"}));  // every label of the program
}

TEST_F(Assembler, FailuresKeepWhatWasDoneBefore) {
  ASSERT_EQ(Assemble({"a: rst 1", "b: rst 2"}), "");
  const std::vector<int> map = document.Addresses();
  m.Register(TRegisterId::L).SetValue(5);

  // A duplicate label in the first pass: labels before it only, memory untouched.
  document.SetTexts({"p: rst 9", "q: rpa", "p: rpa", "r: rpa"});
  document.SetAddresses(map);
  EXPECT_FALSE(MessageOf([&] { program.Assemble(document); }).empty());
  EXPECT_EQ(WatchNames(), TLines({"p [ 0 ]", "q [ 1 ]"}));
  EXPECT_EQ(Word(0), 1u);

  // An undefined operand in the second pass: earlier words stay written,
  // every label is listed, the map and the machine are unchanged.
  document.SetTexts({"p: rst 9", "pob brak", "r: rpa"});
  document.SetAddresses(map);
  const std::vector<int> before = document.Addresses();
  EXPECT_FALSE(MessageOf([&] { program.Assemble(document); }).empty());
  EXPECT_EQ(Word(0), 9u);
  EXPECT_EQ(WatchNames(), TLines({"p [ 0 ]", "r [ 2 ]"}));
  EXPECT_EQ(document.Addresses(), before);
  EXPECT_EQ(m.Register(TRegisterId::L).Value(), 5);
}

TEST_F(Assembler, EmptyTextAndInterruptVectorLabels) {
  m.Register(TRegisterId::L).SetValue(3);
  EXPECT_EQ(Assemble({"", "// tylko komentarz", "{ i taki }"}), "");
  EXPECT_EQ(document.Addresses(), (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(m.Vectors(), DefaultVectors());
  EXPECT_EQ(m.Register(TRegisterId::L).Value(), 0);

  EXPECT_EQ(Assemble({"sob 0", "rpa", "ap1: rpa", "AP2: rpa"}), "");
  EXPECT_EQ(m.Vectors()[0].Address, 2);
  EXPECT_EQ(m.Vectors()[1].Address, 3);
  EXPECT_EQ(m.Vectors()[2].Address, 3);  // untouched
}

TEST_F(Assembler, ErrorsKnowTheWordAndWhereItStarts) {
  struct Case {
    TLines Text;
    const char* Position;  // as the message shows it, just behind the word
    int Line;
    int Column;
    const char* Word;
    bool AtEnd;
  };
  const Case cases[] = {
      // A word at the end of its line: the reader already stands on the next.
      {{"start: POB x", "DOD y", "x: RST 1"}, "3:0", 2, 5, "y", false},
      {{"rpa", "  skocz 3"}, "2:8", 2, 3, "skocz", false},
      {{"rst 'A' ", "stp"}, "2:0", 1, 5, "'A' ", false},
      {{"rpa / 2"}, "1:5", 1, 5, "/", false},
      // Nothing follows the mnemonic: no word, the place of the one before.
      {{"x: rpa", "  pob"}, "3:0", 2, 3, "pob", true},
  };
  for (const Case& c : cases) {
    document.SetTexts(c.Text);
    try {
      program.Assemble(document);
      ADD_FAILURE() << "no error for " << Join(c.Text, "|");
    } catch (const EControlException& e) {
      EXPECT_TRUE(e.Message().starts_with(std::string(c.Position) + ' ')) << e.Message();
      EXPECT_EQ(e.WordPlace().Line, c.Line) << Join(c.Text, "|");
      EXPECT_EQ(e.WordPlace().Column, c.Column) << Join(c.Text, "|");
      EXPECT_EQ(e.WordPlace().Word, c.Word);
      EXPECT_EQ(e.WordPlace().AtEnd, c.AtEnd);
    }
  }
}

// Vectors may be named alike; a label then points the first of them only,
// and the others keep the addresses they were given.
TEST_F(Assembler, ALabelPointsOnlyTheFirstVectorNamedLikeIt) {
  TInterruptVectors vectors = m.Vectors();
  vectors[1] = {7, "Obsluga"};
  vectors[3] = {9, "obsluga"};
  m.SetVectors(vectors);
  EXPECT_EQ(Assemble({"sob 0", "rpa", "OBSLUGA: rpa"}), "");
  EXPECT_EQ(m.Vectors()[1].Address, 2);
  EXPECT_EQ(m.Vectors()[3].Address, 9);
  EXPECT_EQ(m.Vectors()[0], DefaultVectors()[0]);
}

// A character in quotes is its code page 1250 code, whatever its length in
// bytes; one the code page lacks is stored as "?".
TEST_F(Assembler, QuotedCharactersAreCodePageCodes) {
  const struct {
    const char* Text;
    std::uint32_t Word;
  } cases[] = {{"rst 'ż'", 0xBF}, {"rst 'Ś'", 0x8C}, {"rst '€'", 0x80},
               {"rst 'ж'", '?'},  {"rst '😀'", '?'},  {"rst '0'", '0'}};
  for (const auto& c : cases) {
    EXPECT_EQ(Assemble({c.Text}), "") << c.Text;
    EXPECT_EQ(Word(0), c.Word) << c.Text;
  }
  EXPECT_EQ(Assemble({"rst 'żó'"}), "2:0 Nie znaleziono etykiety 'żó'");
}
