// The application's answers where both editions trust them whole:
// which breakpoints a run stops at, what a stop request left behind, which
// commands are open, what the stop conditions' dialog says and what a
// change of the options tells.

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TempDir.h"
#include "app/Application.h"
#include "machine/MachineConfig.h"

namespace dorum {
namespace {

using test::Example;
using test::Finish;
using test::Slice;
using test::TTempDir;

struct EngineRules : testing::Test {
  TTempDir folder;
  TApplication engine{folder.Path()};

  void Compile(const std::string& text, const std::vector<int>& breakpoints = {}) {
    const TOutcome outcome = engine.CompileProgram(text, breakpoints);
    ASSERT_TRUE(outcome.Ok) << outcome.Message;
  }
  [[nodiscard]] int AK() const {
    return engine.Session().Machine().Register(TRegisterId::AK).Value();
  }
};

// The breakpoints given replace those there were: from the start of the
// program a run passes a line no longer marked.
TEST_F(EngineRules, BreakpointsGivenAgainReplaceTheOldOnes) {
  Compile("POB x\nDOD x\nDOD x\nSTP\nx: RST 3\n", {2});
  engine.SetBreakpoints({3});
  TRunStep state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Error);
  EXPECT_EQ(engine.CurrentLine(), 3);
  EXPECT_EQ(AK(), 6);

  // A compile with none clears those set since.
  engine.SetBreakpoints({2, 3});
  Compile("POB x\nDOD x\nDOD x\nSTP\nx: RST 3\n");
  state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Information) << state.Message;
  EXPECT_EQ(AK(), 9);
}

// "Przerwij" with nothing running leaves nothing behind: the next "Takt"
// performs its cycle.
TEST_F(EngineRules, AStopWithoutARunIsForgotten) {
  Compile("POB x\nSTP\nx: RST 3\n", {2});
  engine.RequestStop();
  TRunStep state = engine.Start(TRunCommand::Cycle);
  EXPECT_EQ(state.Box, TBoxKind::None) << state.Message;
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), 1u);
  EXPECT_FALSE(state.Running());
}

// Manual control stops the run under way and leaves only "Takt" and "Do
// kursora" open; "Cofnij rozkaz" is open only over an instruction begun.
TEST_F(EngineRules, ManualControlEndsARunAndGreysTheLongerCommands) {
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  ASSERT_TRUE(Slice(engine, 1).Running());
  engine.SetManualControl(true);
  EXPECT_FALSE(engine.Running());
  EXPECT_FALSE(Slice(engine, 1).Running());
  EXPECT_TRUE(engine.Enabled(TCommandId::RunCycle));
  EXPECT_TRUE(engine.Enabled(TCommandId::RunToCursor));
  EXPECT_FALSE(engine.Enabled(TCommandId::RunInstruction));
  EXPECT_FALSE(engine.Enabled(TCommandId::RunProject));
  engine.SetManualControl(false);
  EXPECT_TRUE(engine.Enabled(TCommandId::RunProject));
  EXPECT_TRUE(engine.Enabled(TCommandId::RunInstruction));

  // A compile starts the history afresh; a value typed in is a step, but
  // no instruction.
  Compile("STP\n");
  ASSERT_TRUE(engine.EnterMemory(4, "7").Ok);
  EXPECT_TRUE(engine.Enabled(TCommandId::StepBackCycle));
  EXPECT_FALSE(engine.Enabled(TCommandId::StepBackInstruction));
  EXPECT_TRUE(engine.StepBack(false));
  EXPECT_EQ(engine.Session().Machine().Memory().Word(4), 0u);
  EXPECT_FALSE(engine.Enabled(TCommandId::StepBackCycle));
}

// An instruction compiled while a program runs ends the run first.
TEST_F(EngineRules, CompilingAnInstructionStopsTheRun) {
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  ASSERT_TRUE(Slice(engine, 1).Running());
  EXPECT_TRUE(engine.CompileInstruction("ROZKAZ STP;\nczyt wys wei il;\nstop;").Ok);
  EXPECT_FALSE(engine.Running());
  EXPECT_TRUE(engine.Enabled(TCommandId::RunProject));
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  ASSERT_TRUE(Slice(engine, 1).Running());
  EXPECT_TRUE(engine.DeleteInstruction(7).Ok);
  EXPECT_FALSE(engine.Running());
}

// The dialog tells whether a condition typed again was only selected or
// also checked, and lists each as checked or not.
TEST_F(EngineRules, TheStopConditionsDialogSaysWhatATypedConditionDid) {
  engine.EditStopConditions();
  ASSERT_TRUE(engine.AddStopCondition("AK=3").Ok);
  ASSERT_TRUE(engine.AddStopCondition("L>2").Ok);
  const TStopConditionAdded checked = engine.AddStopCondition("AK = 3");
  EXPECT_EQ(checked.Index, 0);
  EXPECT_EQ(checked.Message, "Warunek AK=3 jest już na liście; zaznaczono go.");
  engine.SetStopConditionChecked(1, false);
  std::vector<TStopConditionRow> rows = engine.StopConditionRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].Checked);
  EXPECT_FALSE(rows[1].Checked);
  EXPECT_TRUE(rows[1].Checkable);
  EXPECT_EQ(rows[1].Text, "L>2");
  const TStopConditionAdded enabled = engine.AddStopCondition("l>2");
  EXPECT_EQ(enabled.Index, 1);
  EXPECT_EQ(enabled.Message, "Warunek L>2 jest już na liście; zaznaczono go i włączono.");
  rows = engine.StopConditionRows();
  EXPECT_TRUE(rows[1].Checked);
  engine.SetStopConditionChecked(7, false);  // beyond the list: nothing
  EXPECT_EQ(engine.StopConditionRows().size(), 2u);
}

// Options that take a register away tell which conditions it silenced.
TEST_F(EngineRules, OptionsTellWhichStopConditionsTheyLeftUnchecked) {
  TMachineOptions options = engine.Session().Options();
  options.Components = *PresetComponents("Ombra");
  ASSERT_TRUE(engine.Configure(options, {"0", "0", "0", "0"}, {"1", "2", "3", "4"}).Ok);
  engine.EditStopConditions();
  ASSERT_TRUE(engine.AddStopCondition("X=1").Ok);
  ASSERT_TRUE(engine.AddStopCondition("AK=1").Ok);
  engine.CommitStopConditions();

  options.Components = TComponentSet().set(0);
  const TOutcome outcome = engine.Configure(options, {"0", "0", "0", "0"}, {"1", "2", "3", "4"});
  ASSERT_TRUE(outcome.Ok) << outcome.Message;
  EXPECT_EQ(outcome.Notice.rfind("Te warunki zatrzymania stały się nieczynne", 0), 0u)
      << outcome.Notice;
  EXPECT_NE(outcome.Notice.find("\nX=1 — "), std::string::npos) << outcome.Notice;
  EXPECT_EQ(outcome.Notice.find("AK=1"), std::string::npos) << outcome.Notice;
  // The same options again lose nothing more.
  EXPECT_EQ(engine.Configure(options, {"0", "0", "0", "0"}, {"1", "2", "3", "4"}).Notice, "");
}

// A width out of range is brought in, as a spin box brings it: the
// machine never gets a width it cannot have.
TEST_F(EngineRules, OptionsBringAWidthOutOfRangeIn) {
  TMachineOptions options = engine.Session().Options();
  options.AddressBits = kMaxAddressBits + 7;
  options.CodeBits = -3;
  ASSERT_TRUE(engine.Configure(options, {"0", "0", "0", "0"}, {"1", "2", "3", "4"}).Ok);
  EXPECT_EQ(engine.Session().Machine().AddressBits(), kMaxAddressBits);
  EXPECT_EQ(engine.Session().Machine().CodeBits(), kMinCodeBits);
}

// "Takt" through the last cycle of STP ends the program with its box, as a
// run does: the checks at the end of the instruction are made.
TEST_F(EngineRules, ACycleThroughTheStopSignalEndsTheProgram) {
  Compile("STP\n");
  TRunStep state;
  for (int cycle = 0; cycle < 8 && state.Box == TBoxKind::None; ++cycle)
    state = engine.Start(TRunCommand::Cycle);
  EXPECT_EQ(state.Box, TBoxKind::Information);
  EXPECT_EQ(state.Message, "Program został zakończony.");
  EXPECT_FALSE(engine.Running());
}

// A slice cut short by its time goes straight on: it is neither the tempo's
// pause nor a wait for a key.
TEST_F(EngineRules, ASliceCutByItsTimeIsNeitherAPauseNorAWait) {
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  const TRunStep state = Slice(engine, 1);
  EXPECT_TRUE(state.Running());
  EXPECT_FALSE((state.Next == TRunNext::Pause));
  EXPECT_FALSE((state.Next == TRunNext::Input));
  EXPECT_EQ(state.Box, TBoxKind::None);
}

// Under manual control "Do kursora" has nothing to run: the page must not
// wait for a run that never began.
TEST_F(EngineRules, UnderManualControlARunToTheCursorNeverBegins) {
  Compile("POB x\nDOD x\nSTP\nx: RST 3\n");
  engine.SetManualControl(true);
  const TRunStep state = engine.Start(TRunCommand::ToLine, 3);
  EXPECT_FALSE(state.Running());
  EXPECT_FALSE(engine.Running());
  EXPECT_TRUE(engine.Enabled(TCommandId::RunCycle));
}

// Any row of the stop conditions' dialog can be removed, the first too;
// a row beyond the list removes nothing.
TEST_F(EngineRules, AnyStopConditionRowIsRemoved) {
  engine.EditStopConditions();
  ASSERT_TRUE(engine.AddStopCondition("AK=3").Ok);
  ASSERT_TRUE(engine.AddStopCondition("L>2").Ok);
  ASSERT_TRUE(engine.AddStopCondition("A=1").Ok);
  engine.RemoveStopCondition(0);
  engine.RemoveStopCondition(-1);
  engine.RemoveStopCondition(2);
  std::vector<TStopConditionRow> rows = engine.StopConditionRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Text, "L>2");
  EXPECT_EQ(rows[1].Text, "A=1");
  engine.RemoveStopCondition(1);
  rows = engine.StopConditionRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Text, "L>2");
  // A row just past the end is no row: nothing is checked, nothing breaks.
  engine.SetStopConditionChecked(1, false);
  engine.RemoveStopCondition(1);
  rows = engine.StopConditionRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].Checked);
}

// Time 0 of a VCD file of the last cycles is the state before the first of
// them with no signal on, however many cycles came before.
TEST_F(EngineRules, AVcdOfTheLastCyclesStartsWithEverySignalOff) {
  Compile("POB x\nDOD x\nDOD x\nSTP\nx: RST 3\n");
  for (int cycle = 0; cycle < 5; ++cycle)
    ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  const std::string vcd = engine.TimingVcd(2);
  const std::size_t begin = vcd.find("$dumpvars\n");
  const std::size_t end = vcd.find("$end\n", begin);
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::string initial = vcd.substr(begin, end - begin);
  EXPECT_NE(initial.find("\n0"), std::string::npos) << initial;
  EXPECT_EQ(initial.find("\n1"), std::string::npos) << initial;
  // and no bus driven: Dorum's two buses are unknown there.
  std::size_t unknown = 0;
  for (std::size_t at = initial.find("\nbx "); at != std::string::npos;
       at = initial.find("\nbx ", at + 1))
    ++unknown;
  EXPECT_EQ(unknown, 2u) << initial;
  EXPECT_NE(vcd.find("\n#2\n"), std::string::npos);
  EXPECT_EQ(vcd.find("\n#4\n"), std::string::npos);
}

// A list saved again keeps the line ends of the file it was loaded from.
TEST_F(EngineRules, AListIsSavedOverTheFileItCameFrom) {
  std::string bytes = test::FileBytes(std::string(DORUM_EXAMPLES_DIR) + "/pelt/pelt.lst");
  std::string lineFeedsOnly;
  for (const char c : bytes)
    if (c != '\r') lineFeedsOnly += c;
  ASSERT_NE(lineFeedsOnly, bytes);
  ASSERT_TRUE(engine.LoadList("moja.lst", lineFeedsOnly).Ok);
  EXPECT_EQ(engine.SaveList(), lineFeedsOnly);
}

// A file refused before anything was read from it leaves the list saved
// over the file it did come from.
TEST_F(EngineRules, AListFileThatIsNoTextLeavesTheListSavedWhereItWas) {
  const std::string bytes = test::FileBytes(std::string(DORUM_EXAMPLES_DIR) + "/pelt/pelt.lst");
  ASSERT_TRUE(engine.LoadList("moja.lst", bytes).Ok);
  const std::string noText("[Rozkazy]\0\r\n", 12);
  EXPECT_FALSE(engine.LoadList("zla.lst", noText).Ok);
  EXPECT_EQ(engine.SaveList(), bytes);
  EXPECT_EQ(test::FileBytes(folder.FilePath("zla.lst")), noText);
}

// The default machine comes from no file: saving its list afterwards writes
// a list file of its own, not over the list it replaced.
TEST_F(EngineRules, TheDefaultMachinesListIsNotSavedOverTheOneItReplaced) {
  const std::string bytes = test::FileBytes(std::string(DORUM_EXAMPLES_DIR) + "/pelt/pelt.lst");
  ASSERT_TRUE(engine.LoadList("moja.lst", bytes).Ok);
  ASSERT_TRUE(engine.RestoreDefaultMachine().Ok);
  const std::string saved = engine.SaveList();
  EXPECT_NE(saved, bytes);
  EXPECT_EQ(test::FileBytes(folder.FilePath("moja.lst")), bytes);
  EXPECT_EQ(test::FileBytes(folder.FilePath("rozkazy.lst")), saved);
}

// The page names files only by their names: one called like a folder still
// opens, inside the engine's folder.
TEST_F(EngineRules, AFileNamedLikeAFolderStillOpens) {
  for (const char* name : {"..", ".", "a/", "x/.."}) {
    const TOpenedText opened = engine.OpenText(name, "POB 1\r\nSTP\r\n");
    EXPECT_TRUE(opened.Outcome.Ok) << name << ": " << opened.Outcome.Message;
    EXPECT_EQ(opened.Text, "POB 1\nSTP\n") << name;
  }
}

}  // namespace
}  // namespace dorum

namespace dorum {
namespace {

// The word an error is about is marked whole, whatever follows it.
TEST(EngineMarks, TheWordAtFaultIsMarkedExactly) {
  const TOutcome signal = TApplication::CheckInstruction("ROZKAZ A;\nczyt wys zly;");
  ASSERT_FALSE(signal.Ok);
  EXPECT_EQ(signal.Mark.Line, 2);
  EXPECT_EQ(signal.Mark.Begin, 9);
  EXPECT_EQ(signal.Mark.End, 12);
  TApplication engine;
  const TOutcome mnemonic = engine.CheckProgram("POB x\nXYZ;\nx: RST 1\n");
  ASSERT_FALSE(mnemonic.Ok);
  EXPECT_EQ(mnemonic.Mark.Line, 2);
  EXPECT_EQ(mnemonic.Mark.Begin, 0);
  EXPECT_EQ(mnemonic.Mark.End, 3);
}

}  // namespace
}  // namespace dorum
