#include "program/Colouring.h"

#include <gtest/gtest.h>

#include "control/InstructionList.h"

namespace dorum {
namespace {

using K = TWordKind;

// A line's pieces as "text:kind" joined by "|".
std::string Pieces(std::string_view line, bool& inBraces,
                   const std::function<TWordKind(std::string_view)>& kind) {
  std::string out;
  for (const TWordSpan& span : ColourLine(line, inBraces, kind)) {
    if (!out.empty()) out += '|';
    out += std::string(line.substr(span.Begin, span.Length)) + ':' +
           std::to_string(static_cast<int>(span.Kind));
  }
  return out;
}

std::string Kinds(std::initializer_list<std::pair<const char*, K>> pieces) {
  std::string out;
  for (const auto& [text, kind] : pieces) {
    if (!out.empty()) out += '|';
    out += std::string(text) + ':' + std::to_string(static_cast<int>(kind));
  }
  return out;
}

TEST(Colouring, InstructionLinesSplitAsTheWordReaderDoes) {
  bool braces = false;
  EXPECT_EQ(Pieces("JEŻELI Z TO @dalej GDY NIE @koniec;", braces, InstructionWordKind),
            Kinds({{"JEŻELI", K::Keyword},
                   {" ", K::Text},
                   {"Z", K::Condition},
                   {" ", K::Text},
                   {"TO", K::Keyword},
                   {" ", K::Text},
                   {"@dalej", K::Label},
                   {" ", K::Text},
                   {"GDY", K::Keyword},
                   {" ", K::Text},
                   {"NIE", K::Keyword},
                   {" ", K::Text},
                   {"@koniec", K::Label},
                   {";", K::Semicolon}}));
  EXPECT_EQ(Pieces("czyt wys\tsa 12 x // koniec", braces, InstructionWordKind),
            Kinds({{"czyt", K::Signal},
                   {" ", K::Text},
                   {"wys", K::Signal},
                   {"\t", K::Text},
                   {"sa", K::Signal},
                   {" ", K::Text},
                   {"12", K::Number},
                   {" x ", K::Text},
                   {"// koniec", K::Comment}}));
  EXPECT_FALSE(braces);
}

TEST(Colouring, BraceCommentsRunAcrossLines) {
  bool braces = false;
  EXPECT_EQ(Pieces("wyl {to jest", braces, InstructionWordKind),
            Kinds({{"wyl", K::Signal}, {" ", K::Text}, {"{to jest", K::Comment}}));
  EXPECT_TRUE(braces);
  EXPECT_EQ(
      Pieces("komentarz} wel;", braces, InstructionWordKind),
      Kinds({{"komentarz}", K::Comment}, {" ", K::Text}, {"wel", K::Signal}, {";", K::Semicolon}}));
  EXPECT_FALSE(braces);
  EXPECT_EQ(Pieces("", braces, InstructionWordKind), "");
}

// A brace ends the word before it, as the reader ends it there: no blank is
// needed on either side of a brace comment.
TEST(Colouring, ABraceCommentNeedsNoBlankAroundIt) {
  bool braces = false;
  EXPECT_EQ(Pieces("wyl{komentarz}wel;", braces, InstructionWordKind),
            Kinds({{"wyl", K::Signal},
                   {"{komentarz}", K::Comment},
                   {"wel", K::Signal},
                   {";", K::Semicolon}}));
  EXPECT_FALSE(braces);
}

TEST(Colouring, ProgramWordsAndQuotedCharacters) {
  const std::vector<std::string> mnemonics = {"pob", "ład", "stp"};
  const auto kind = [&](std::string_view word) { return ProgramWordKind(word, mnemonics); };
  bool braces = false;
  EXPECT_EQ(
      Pieces("start: ŁAD x", braces, kind),
      Kinds(
          {{"start:", K::LabelDefinition}, {" ", K::Text}, {"ŁAD", K::Mnemonic}, {" x", K::Text}}));
  // A quoted "/" belongs to its word; "ż" between quotes is one character,
  // and so is ";".
  EXPECT_EQ(Pieces("RST '/ // c", braces, kind),
            Kinds({{"RST", K::Directive}, {" '/ ", K::Text}, {"// c", K::Comment}}));
  EXPECT_EQ(Pieces("RST 'ż'", braces, kind),
            Kinds({{"RST", K::Directive}, {" ", K::Text}, {"'ż'", K::Character}}));
  EXPECT_EQ(Pieces("RST ';'", braces, kind),
            Kinds({{"RST", K::Directive}, {" ", K::Text}, {"';'", K::Character}}));
  EXPECT_EQ(Pieces("RST 'ab'", braces, kind), Kinds({{"RST", K::Directive}, {" 'ab'", K::Text}}));
  EXPECT_EQ(Pieces("rpa $1F dod", braces, kind),
            Kinds({{"rpa", K::Directive}, {" ", K::Text}, {"$1F", K::Number}, {" dod", K::Text}}));
}

TEST(Colouring, OnlyTheCodesTheOperationFieldHoldsAreMnemonics) {
  TInstructionList list;
  list.BuildDefaultInstructions(3);
  EXPECT_EQ(AcceptedMnemonics(list, 3),
            (std::vector<std::string>{"stp", "dod", "ode", "pob", "ład", "sob", "som", "soz"}));
  EXPECT_EQ(AcceptedMnemonics(list, 2), (std::vector<std::string>{"stp", "dod", "ode", "pob"}));
}

// "v" is a flag like "z"; "//" ends a word it follows at once.
TEST(Colouring, EveryFlagIsAConditionAndACommentCutsTheWordBeforeIt) {
  for (const char* flag : {"z", "ZAK", "int", "V"})
    EXPECT_EQ(InstructionWordKind(flag), K::Condition) << flag;
  EXPECT_EQ(InstructionWordKind("w"), K::Text);
  bool braces = false;
  EXPECT_EQ(Pieces("wys//x", braces, InstructionWordKind),
            Kinds({{"wys", K::Signal}, {"//x", K::Comment}}));
}

}  // namespace
}  // namespace dorum
