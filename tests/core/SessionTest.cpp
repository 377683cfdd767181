#include <gtest/gtest.h>

#include <string>

#include "MachineTestSupport.h"
#include "TempDir.h"
#include "common/Error.h"
#include "common/Texts.h"
#include "machine/MachineConfig.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

struct TSessionTest : ::testing::Test {
  TTempDir dir;
  TSession session{true};
  TMachine& machine = session.Machine();
  TProgramDocument document;

  [[nodiscard]] std::string Path(const char* name) const { return dir.FilePath(name); }
  void Assemble(const TLines& lines) {
    document.SetTexts(lines);
    session.AssembleProgram(document);
  }
  [[nodiscard]] const std::string& ProblemOf(int condition) const {
    return session.StopConditions().At(condition).Problem;
  }
};

}  // namespace

// Whatever brings or takes names looks the stop conditions up again by
// itself, also when it fails half way: a front end has nothing to remember.
TEST_F(TSessionTest, EveryRenamingUseCaseLooksTheConditionsUpAgainEvenWhenItFails) {
  Assemble({"z: RST 0"});
  session.AddStopCondition("changed(z)");
  // An assembly that fails after the label y keeps y, and z is gone.
  EXPECT_THROW(Assemble({"y: RST 0", "NIEZNANY 1"}), EDorumError);
  EXPECT_TRUE(Contains(ProblemOf(0), "z")) << ProblemOf(0);
  Assemble({"z: RST 0"});
  EXPECT_TRUE(ProblemOf(0).empty());

  session.SetAddressBits(6);
  session.AddStopCondition("mem[40]=1");
  EXPECT_TRUE(ProblemOf(1).empty());
  session.SetAddressBits(5);
  EXPECT_TRUE(Contains(ProblemOf(1), "poza pamięcią")) << ProblemOf(1);
  session.SetCodeBits(4);  // a wider word, memory as it was
  EXPECT_FALSE(ProblemOf(1).empty());

  // A list whose configuration is read before one of its instructions fails.
  session.SetAddressBits(6);
  ASSERT_TRUE(ProblemOf(1).empty());
  ASSERT_TRUE(
      PutFileBytes(Path("zla.lst"),
                   "[Opcje]\r\nAdres=5\r\nKod=3\r\n[Rozkazy]\r\nLiczba=1\r\nNazwa1=zly\r\n"
                   "[zly]\r\nLinie=2\r\nLinia1=ROZKAZ ZLY;\r\nLinia2=nieznany_sygnal;\r\n"));
  EXPECT_THROW(session.LoadList(Path("zla.lst")), EDorumError);
  EXPECT_EQ(machine.AddressBits(), 5);
  EXPECT_TRUE(Contains(ProblemOf(1), "poza pamięcią")) << ProblemOf(1);
}

TEST_F(TSessionTest, TheDefaultMachineComesBackWithItsInstructionsAndConditionsFollow) {
  session.SetComponents(*PresetComponents("Ombra"));
  session.SetAddressBits(8);
  session.SetCodeBits(5);
  session.DeleteInstruction(0);
  session.AddStopCondition("X=1");
  session.AddStopCondition("mem[200]=1");
  ASSERT_TRUE(ProblemOf(0).empty());

  session.RestoreDefaultMachine();
  EXPECT_EQ(machine.GetComponents(), TComponentSet().set(0));
  EXPECT_EQ(machine.AddressBits(), kMinAddressBits);
  EXPECT_EQ(machine.CodeBits(), kMinCodeBits);
  const TInstructionList& list = session.Control().Instructions();
  ASSERT_EQ(list.Count(), 8);
  EXPECT_EQ(list.At(0).Name(), "stp");
  EXPECT_EQ(list.At(7).Name(), "soz");
  EXPECT_FALSE(ProblemOf(0).empty());  // no register X
  EXPECT_FALSE(ProblemOf(1).empty());  // no word 200
}

// A code or a cycle the list does not have is refused before anything
// changes: the steps recorded so far can still be taken back.
TEST_F(TSessionTest, InstructionEditsOutsideTheListChangeNothing) {
  machine.EnterMemoryValue(3, "7");
  ASSERT_EQ(session.History()->UndoableSteps(), 1u);
  (void)machine.TakeChanges();
  const int count = session.Control().Instructions().Count();

  EXPECT_EQ(MessageOf([&] { session.DeleteInstruction(count); }),
            Texts::ListIndexOutOfBounds(count));
  EXPECT_EQ(MessageOf([&] { session.ToggleCycleBreakpoint(1, 3); }),
            Texts::ListIndexOutOfBounds(3));  // «dod» has cycles 0 to 2
  EXPECT_EQ(MessageOf([&] { session.ToggleCycleBreakpoint(1, -1); }),
            Texts::ListIndexOutOfBounds(-1));
  EXPECT_EQ(session.Control().Instructions().Count(), count);
  EXPECT_FALSE(machine.TakeChanges().Instructions);
  EXPECT_EQ(session.History()->UndoableSteps(), 1u);

  session.ToggleCycleBreakpoint(1, 2);
  EXPECT_TRUE(session.Control().Instructions().At(1).Cycle(2).Breakpoint);
  session.ToggleCycleBreakpoint(1, 2);
  EXPECT_FALSE(session.Control().Instructions().At(1).Cycle(2).Breakpoint);

  session.DeleteInstruction(count - 1);
  EXPECT_EQ(session.Control().Instructions().Count(), count - 1);
  EXPECT_TRUE(machine.TakeChanges().Instructions);
}

// Like a program stored: every word 0, the views told, and no step back
// beyond it.
TEST_F(TSessionTest, ClearingTheMemoryZeroesEveryWord) {
  session.SetAddressBits(6);
  machine.EnterMemoryValue(0, "5");
  machine.EnterMemoryValue(63, "-1");
  ASSERT_EQ(session.History()->UndoableSteps(), 2u);
  (void)machine.TakeChanges();

  session.ClearMemory();
  for (int cell = 0; cell < machine.Memory().Size(); ++cell)
    ASSERT_EQ(machine.Memory().Read(cell), 0) << "word " << cell;
  EXPECT_EQ(machine.Memory().Size(), 64);
  EXPECT_TRUE(machine.TakeChanges().Words);
  EXPECT_EQ(session.History()->UndoableSteps(), 0u);
}
