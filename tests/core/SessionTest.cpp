#include <gtest/gtest.h>

#include <string>

#include "MachineTestSupport.h"
#include "TempDir.h"
#include "common/Error.h"
#include "common/Text.h"
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

// The options dialog's settings at once: the same again change nothing (the
// history keeps its steps), a new width makes a new machine.
TEST_F(TSessionTest, OptionsWrittenAgainKeepTheHistoryAndNewOnesTakeEffect) {
  machine.EnterMemoryValue(3, "7");
  ASSERT_EQ(session.History()->UndoableSteps(), 1u);
  TMachineOptions options = session.Options();
  EXPECT_EQ(options.AddressBits, machine.AddressBits());
  EXPECT_EQ(options.Components, machine.GetComponents());
  session.Configure(options);
  EXPECT_EQ(session.History()->UndoableSteps(), 1u);

  options.AddressBits = 7;
  options.CodeBits = 4;
  options.Components = *PresetComponents("Pelt");
  options.Vectors[2] = {12, "obsluga"};
  options.Ports = TIOPorts{5, 6, 1, 2};
  session.Configure(options);
  EXPECT_EQ(machine.AddressBits(), 7);
  EXPECT_EQ(machine.CodeBits(), 4);
  EXPECT_EQ(machine.GetComponents(), *PresetComponents("Pelt"));
  EXPECT_EQ(machine.Vectors()[2], (TInterruptVector{12, "obsluga"}));
  EXPECT_EQ(machine.IOPorts(), (TIOPorts{5, 6, 1, 2}));
  EXPECT_EQ(session.History()->UndoableSteps(), 0u);  // a new machine
  EXPECT_EQ(session.Options().CodeBits, 4);
}

// A breakpoint set at a line of the source belongs to the first cycle that
// begins there; a line where none begins sets nothing.
TEST_F(TSessionTest, ABreakpointAtALineIsThatOfTheFirstCycleBeginningThere) {
  session.CompileInstruction(
      {"ROZKAZ STP;", "czyt wys wei il;", "wyl wea; wyak weja;", "", "stop;"});
  const int code = 0;
  const auto breakpoints = [&] {
    std::string marks;
    for (const TMicroCode& cycle : session.Control().Instructions().At(code).Cycles())
      marks += cycle.Breakpoint ? '*' : '.';
    return marks;
  };
  ASSERT_EQ(breakpoints(), "....");
  EXPECT_TRUE(session.ToggleBreakpointAtLine(code, 2));
  EXPECT_EQ(breakpoints(), ".*..");
  EXPECT_TRUE(session.ToggleBreakpointAtLine(code, 4));
  EXPECT_EQ(breakpoints(), ".*.*");
  EXPECT_FALSE(session.ToggleBreakpointAtLine(code, 3));  // an empty line
  EXPECT_FALSE(session.ToggleBreakpointAtLine(code, 0));  // the header
  EXPECT_TRUE(session.ToggleBreakpointAtLine(code, 2));
  EXPECT_EQ(breakpoints(), "...*");
  EXPECT_EQ(MessageOf([&] { session.ToggleBreakpointAtLine(99, 1); }),
            Texts::ListIndexOutOfBounds(99));
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

// Recording is switched on and off as a whole: switching it on again keeps
// what was recorded, off forgets it, and a new recording starts empty.
TEST(Session, RecordingTheHistoryStartsEmptyAndKeepsItsBudget) {
  TSession session;
  EXPECT_EQ(session.History(), nullptr);
  session.RecordHistory(true, 1 << 20);
  ASSERT_NE(session.History(), nullptr);
  EXPECT_EQ(session.History()->Budget(), std::size_t{1} << 20);
  EXPECT_EQ(session.History()->UndoableSteps(), 0u);
  session.Machine().EnterMemoryValue(1, "4");
  TRunHistory* const recording = session.History();
  session.RecordHistory(true);
  EXPECT_EQ(session.History(), recording);
  EXPECT_EQ(session.History()->UndoableSteps(), 1u);
  session.RecordHistory(false);
  EXPECT_EQ(session.History(), nullptr);
  session.RecordHistory(true);
  ASSERT_NE(session.History(), nullptr);
  EXPECT_EQ(session.History()->UndoableSteps(), 0u);
  EXPECT_EQ(session.History()->Budget(), TRunHistory::kDefaultBudget);

  const TSession recorded(true);
  ASSERT_NE(recorded.History(), nullptr);
  EXPECT_EQ(recorded.History()->Budget(), TRunHistory::kDefaultBudget);
}

TEST_F(TSessionTest, ChangingTheComponentsLooksTheConditionsUpAgain) {
  session.SetComponents(*PresetComponents("Ombra"));
  session.AddStopCondition("X=1");
  ASSERT_TRUE(ProblemOf(0).empty());
  session.SetComponents(TComponentSet().set(0));
  EXPECT_TRUE(Contains(ProblemOf(0), "X")) << ProblemOf(0);
  session.SetComponents(*PresetComponents("Ombra"));
  EXPECT_TRUE(ProblemOf(0).empty()) << ProblemOf(0);

  // A list that loads whole brings its memory size with it.
  session.SetAddressBits(6);
  session.AddStopCondition("mem[40]=1");
  session.SetAddressBits(5);
  EXPECT_FALSE(ProblemOf(1).empty());
  ASSERT_TRUE(PutFileBytes(Path("dobra.lst"), "[Opcje]\r\nAdres=6\r\nKod=3\r\n"));
  session.LoadList(Path("dobra.lst"));
  EXPECT_EQ(machine.AddressBits(), 6);
  EXPECT_TRUE(ProblemOf(1).empty()) << ProblemOf(1);
}

// The program editor's compile: the document is bound, its lines know
// their addresses and the line of the reset L (address 0) is current.
TEST_F(TSessionTest, AnAssemblyBindsTheDocumentAndMarksTheLineOfL) {
  machine.Register(TRegisterId::L).SetValue(2);
  Assemble({"// start", "", "start: pob x", "stp", "x: rst 4"});
  EXPECT_EQ(session.Control().ProgramEditor(), &document);
  EXPECT_EQ(document.CurrentLine(), 3);
  EXPECT_EQ(machine.Register(TRegisterId::L).Value(), 0);
  EXPECT_EQ(session.Watches().Count(), 2);
  EXPECT_EQ(machine.Memory().Word(2), 4u);
  session.AddStopCondition("changed(x)");
  EXPECT_TRUE(ProblemOf(0).empty()) << ProblemOf(0);
}

// A wider or narrower word decides which values a condition on a word can
// compare with.
TEST_F(TSessionTest, ChangingTheWordWidthLooksTheConditionsUpAgain) {
  session.SetCodeBits(4);
  session.AddStopCondition("mem[0]=300");
  ASSERT_TRUE(ProblemOf(0).empty()) << ProblemOf(0);
  session.SetCodeBits(3);
  EXPECT_TRUE(Contains(ProblemOf(0), "300")) << ProblemOf(0);
  session.SetCodeBits(4);
  EXPECT_TRUE(ProblemOf(0).empty()) << ProblemOf(0);
  session.SetCodeBits(3);
  session.RestoreDefaultMachine();
  EXPECT_FALSE(ProblemOf(0).empty());
  session.SetAddressBits(6);  // two more bits of address widen the word too
  EXPECT_TRUE(ProblemOf(0).empty()) << ProblemOf(0);
}

// The views hear of stored words whether the assembly succeeds or stops
// half way; a program refused for its size stores nothing to tell of.
TEST_F(TSessionTest, AnAssemblyTellsTheViewsOfTheWordsItStored) {
  (void)machine.TakeChanges();
  Assemble({"rst 5"});
  TMachineChanges changes = machine.TakeChanges();
  EXPECT_TRUE(changes.Words);
  EXPECT_TRUE(changes.Reset);

  EXPECT_THROW(Assemble({"rst 6", "pob brak"}), EDorumError);
  changes = machine.TakeChanges();
  EXPECT_TRUE(changes.Words);
  EXPECT_FALSE(changes.Reset);
  EXPECT_EQ(machine.Memory().Word(0), 6u);

  TLines tooLarge(33, "rpa");
  EXPECT_THROW(Assemble(tooLarge), EDorumError);
  changes = machine.TakeChanges();
  EXPECT_FALSE(changes.Words);
  EXPECT_FALSE(changes.Reset);
}

// Each way a run ends is told in the desktop's box: the program's end is
// news, a stop the student did not ask for is an alert, "Przerwij" says
// nothing.
TEST_F(TSessionTest, EachEndOfARunIsToldInItsOwnBox) {
  TController& control = session.Control();
  control.SetTrackingLevel(0);
  Assemble({"POB x", "STP", "x: RST 3"});
  const TSliceEnd ended = control.ExecuteProgram(-1);
  ASSERT_EQ(ended, TSliceEnd::ProgramEnded);
  EXPECT_EQ(session.ReportEnd(ended).Box, TBoxKind::Information);
  EXPECT_EQ(session.ReportEnd(ended).Text, Texts::BoxText(Texts::ProgramFinished()));
  EXPECT_EQ(session.ReportEnd(TSliceEnd::Stopped).Box, TBoxKind::None);

  session.LoadList(ExamplePath("ombra/ombra.lst"));
  Assemble(ReadTextFile(ExamplePath("ombra/echo.prg")));
  control.SetStopWhenInputRunsOut(true);
  const TSliceEnd starved = control.ExecuteProgram(-1);
  ASSERT_EQ(starved, TSliceEnd::InputExhausted);
  const TEndReport report = session.ReportEnd(starved);
  EXPECT_EQ(report.Box, TBoxKind::Error);
  EXPECT_EQ(report.Text, Texts::BoxText(Texts::InputExhausted()));
}
