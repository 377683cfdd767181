// The check-only assembly the editors run as the user types: the same errors
// as an assembly, and nothing of the machine, the watches or the document
// touched.
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

class AssemblerCheck : public ::testing::Test {
 protected:
  std::string Check(const TLines& text) {
    return MessageOf([&] { program.Check(text); });
  }
  std::string Assemble(const TLines& text) {
    document.SetTexts(text);
    return MessageOf([&] { program.Assemble(document); });
  }

  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TWatchList& watches = session.Watches();
  TProgram& program = session.Assembler();
  TProgramDocument document;
};

}  // namespace

TEST_F(AssemblerCheck, ReportsTheFirstErrorExactlyAsAnAssembly) {
  const TLines texts[] = {
      {"start: pob x", "dod y", "x: rst 5"},            // unknown label y
      {"a: rpa", "A: rpa"},                             // redefinition
      {"pob 1", "nieznany 3"},                          // no instruction
      {"stp 5"},                                        // stp takes no operand
      {"rst 1 / 2"},                                    // lone slash
      {"rst brak", "x: x: y:"},                         // first error wins
      {"ap1: rpa", "ap2: rst ap1", "kon", "nieznany"},  // fine: nothing after kon
      {"// tylko komentarz"},
      {},
  };
  for (const TLines& text : texts) {
    const std::string checked = Check(text);
    EXPECT_EQ(checked, Assemble(text)) << Join(text, "|");
  }
  EXPECT_EQ(Check({"pob y"}), "2:0 Nie znaleziono etykiety y");
}

TEST_F(AssemblerCheck, ThePositionOfTheErrorIsCarried) {
  try {
    program.Check({"start: pob x", "", "  nieznany"});
    FAIL() << "no error";
  } catch (const EControlException& e) {
    EXPECT_EQ(e.Line(), 4);
    EXPECT_EQ(e.Column(), 0);
  }
}

TEST_F(AssemblerCheck, AProgramLargerThanTheMemoryIsRefused) {
  TLines full;
  for (int k = 0; k < 32; ++k) full.push_back("rpa");
  EXPECT_EQ(Check(full), "");
  full.push_back("rpa");
  EXPECT_EQ(Check(full), Assemble(full));
  EXPECT_FALSE(Check(full).empty());
}

TEST_F(AssemblerCheck, StoresNothingWhetherTheTextIsGoodOrNot) {
  // A machine and a document in a known state: an earlier assembly.
  ASSERT_EQ(Assemble({"start: pob x", "stp", "x: rst 5", "ap1: rpa"}), "");
  m.Register(TRegisterId::L).SetValue(3);
  m.Register(TRegisterId::AK).SetValue(11);
  document.SetCurrentLine(2);
  (void)m.TakeChanges();
  const TInterruptVectors vectors = m.Vectors();
  const std::vector<int> addresses = document.Addresses();
  std::vector<std::uint32_t> memory;
  for (int a = 0; a < m.Memory().Size(); ++a) memory.push_back(m.Memory().Word(a));
  int watchChanges = 0;
  watches.OnChange = [&] { ++watchChanges; };
  const int watchCount = watches.Count();

  const TLines texts[] = {
      {"ap2: rst 7", "ap1: rst 9", "inny: dod ap2", "stp"},  // good, with handler labels
      {"a: rst 1", "b: pob brak"},                           // fails in the second pass
      {"a: rst 1", "a: rst 2"},                              // fails in the first pass
  };
  for (const TLines& text : texts) {
    (void)Check(text);
    for (int a = 0; a < m.Memory().Size(); ++a)
      EXPECT_EQ(m.Memory().Word(a), memory[static_cast<std::size_t>(a)]) << a;
    EXPECT_EQ(m.Vectors(), vectors);
    EXPECT_EQ(m.Register(TRegisterId::L).Value(), 3);  // no reset
    EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 11);
    EXPECT_EQ(document.Addresses(), addresses);
    EXPECT_EQ(document.CurrentLine(), 2);
    EXPECT_EQ(watches.Count(), watchCount);
    EXPECT_EQ(watchChanges, 0);
    const TMachineChanges changes = m.TakeChanges();
    EXPECT_FALSE(changes.Any());
  }
}

TEST_F(AssemblerCheck, LabelsOfACheckDoNotReachTheNextAssembly) {
  // A failed check leaves its labels behind nowhere: the next assembly
  // defines the same names without a redefinition error.
  EXPECT_FALSE(Check({"x: rst 1", "y: pob brak"}).empty());
  EXPECT_EQ(Assemble({"x: rst 1", "y: pob x"}), "");
  EXPECT_EQ(Check({"y: pob x", "x: rst 1"}), "");
  EXPECT_EQ(Check({"pob x"}), "2:0 Nie znaleziono etykiety x");
}
