#include "app/Application.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "AppTestSupport.h"
#include "TempDir.h"
#include "control/Instruction.h"
#include "control/InstructionList.h"
#include "diagram/DiagramItems.h"
#include "machine/MachineConfig.h"

namespace dorum {
namespace {

using test::Example;
using test::Finish;
using test::Slice;
using test::TTempDir;

struct EngineTest : testing::Test {
  TTempDir folder;
  TApplication engine{folder.Path()};

  void Compile(const std::string& text) {
    const TOutcome outcome = engine.CompileProgram(text);
    ASSERT_TRUE(outcome.Ok) << outcome.Message;
  }
  [[nodiscard]] int Word(int address) const {
    return static_cast<int>(engine.Session().Machine().Memory().Word(address));
  }
};

TEST_F(EngineTest, AnExampleOpensInItsEncodingCompilesAndRunsToTheInformationBox) {
  const TOpenedText opened = engine.OpenText("suma.prg", Example("dorum/suma.prg"));
  ASSERT_TRUE(opened.Outcome.Ok) << opened.Outcome.Message;
  EXPECT_EQ(opened.Encoding, TTextEncoding::Cp1250);
  EXPECT_NE(opened.Text.find("ŁAD z"), std::string::npos);  // decoded from code page 1250
  Compile(opened.Text);
  EXPECT_EQ(engine.CurrentLine(), 6);  // "start: POB x"

  const TRunStep state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_FALSE(state.Running());
  EXPECT_EQ(state.Box, TBoxKind::Information);
  EXPECT_EQ(state.Message, "Program został zakończony.");
  EXPECT_EQ(Word(6), 12);  // z := 5 + 7
  EXPECT_FALSE(engine.Running());
}

TEST_F(EngineTest, ACompileErrorTellsItsPlaceAndACycleErrorIsAnErrorBox) {
  const TOutcome wrong = engine.CompileProgram("POB 1\nXYZ 2\n");
  EXPECT_FALSE(wrong.Ok);
  EXPECT_EQ(wrong.Line, 2);
  EXPECT_GT(wrong.Column, 0);
  EXPECT_EQ(wrong.Mark.Line, 2);  // "XYZ" is marked
  EXPECT_EQ(wrong.Mark.Begin, 0);
  EXPECT_EQ(wrong.Mark.End, 3);
  EXPECT_FALSE(wrong.Message.empty());

  // STP replaced by an instruction whose second cycle reads an empty bus.
  const TOutcome bad = engine.CompileInstruction("ROZKAZ STP;\nczyt wys wei il;\nweja;");
  ASSERT_TRUE(bad.Ok) << bad.Message;
  Compile("STP 0\n");
  TRunStep state = engine.Start(TRunCommand::Cycle);  // the fetch
  EXPECT_EQ(state.Box, TBoxKind::None) << state.Message;
  state = engine.Start(TRunCommand::Cycle);
  EXPECT_EQ(state.Box, TBoxKind::Error);
  EXPECT_EQ(state.Message.back(), '.');
  EXPECT_FALSE(state.Running());
}

TEST_F(EngineTest, AProgramStopsAtTheBreakpointsItWasCompiledWithOrGivenLater) {
  ASSERT_TRUE(engine.CompileProgram("POB x\nDOD x\nSTP\nx: RST 3\n", {2}).Ok);
  TRunStep state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Error);  // before "DOD x"
  EXPECT_EQ(engine.CurrentLine(), 2);
  engine.SetBreakpoints({3});
  state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Error);
  EXPECT_EQ(engine.CurrentLine(), 3);  // not at 2 any more
  engine.SetBreakpoints({});
  EXPECT_EQ(Finish(engine, engine.Start(TRunCommand::Program)).Box, TBoxKind::Information);
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 6);
}

// The breakpoints given later replace those of the compile: one taken away
// no longer stops a run, whichever way the run goes.
TEST_F(EngineTest, ABreakpointTakenAwayNoLongerStopsARun) {
  ASSERT_TRUE(engine.CompileProgram("POB x\nDOD x\nSTP\nx: RST 3\n", {2, 3}).Ok);
  engine.SetBreakpoints({3});
  TRunStep state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Error);
  EXPECT_EQ(engine.CurrentLine(), 3);
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 6);
  // From the start again: none left, the program runs to its end.
  engine.SetBreakpoints({});
  ASSERT_TRUE(engine.Reset().Ok);
  state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Information) << state.Message;
}

TEST_F(EngineTest, ATextIsCheckedAsTypedWithoutChangingAnything) {
  const TOutcome program = engine.CheckProgram("POB x\nXYZ 1\nx: RST 2\n");
  EXPECT_FALSE(program.Ok);
  EXPECT_EQ(program.Mark.Line, 2);
  EXPECT_EQ(program.Mark.End, 3);
  EXPECT_TRUE(engine.CheckProgram("POB x\nx: RST 2\n").Ok);
  EXPECT_EQ(engine.Session().Machine().Memory().Word(1), 0u);  // nothing stored

  const int count = engine.Session().Control().Instructions().Count();
  const TOutcome instruction =
      TApplication::CheckInstruction("ROZKAZ NOWY;\nczyt wys wei il;\nskok @nigdzie;");
  EXPECT_FALSE(instruction.Ok);
  EXPECT_EQ(instruction.Line, 3);
  EXPECT_TRUE(TApplication::CheckInstruction("ROZKAZ NOWY;\nczyt wys wei il;").Ok);
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), count);  // the list as it was
}

TEST_F(EngineTest, ATextIsColouredLineByLineWithTheMnemonicsOfTheList) {
  const auto colours = engine.Colour(true, "start: POB x {a\nb} STP\r\nNIC");
  ASSERT_EQ(colours.size(), 3u);
  ASSERT_EQ(colours[0].size(), 5u);
  EXPECT_EQ(colours[0][0].Kind, TWordKind::LabelDefinition);
  EXPECT_EQ(colours[0][2].Kind, TWordKind::Mnemonic);
  EXPECT_EQ(colours[0][4].Kind, TWordKind::Comment);  // the brace comment runs on
  EXPECT_EQ(colours[1][0].Kind, TWordKind::Comment);
  EXPECT_EQ(colours[1][2].Kind, TWordKind::Mnemonic);
  EXPECT_EQ(colours[1][2].Length, 3u);  // the CR of a CR LF line is no part of it
  EXPECT_EQ(colours[2][0].Kind, TWordKind::Text);
  // An instruction beyond the codes stays in the list, but is no mnemonic.
  EXPECT_FALSE(engine.CompileInstruction("ROZKAZ NIC;\nczyt wys wei il;").Ok);
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), 9);
  EXPECT_EQ(engine.Colour(true, "NIC")[0][0].Kind, TWordKind::Text);
  EXPECT_EQ(engine.Colour(false, "czyt")[0][0].Kind, TWordKind::Signal);
}

// Whether the words are in order regardless of case, each once.
bool SortedOnceEach(const std::vector<std::string>& words) {
  for (std::size_t n = 1; n < words.size(); ++n)
    if (LowerCase(words[n - 1]) >= LowerCase(words[n])) return false;
  return true;
}

bool Has(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

TEST_F(EngineTest, TheEditorsCompleteTheWordsOfTheirLanguageSortedOnceEach) {
  const std::vector<std::string> instruction = engine.CompletionWords(false);
  EXPECT_TRUE(SortedOnceEach(instruction));
  for (const char* word : {"rozkaz", "jeżeli", "koniec", "czyt", "wyak", "as", "sa"})
    EXPECT_TRUE(Has(instruction, word)) << word;
  EXPECT_FALSE(Has(instruction, "as (sa)"));
  EXPECT_FALSE(Has(instruction, "pob"));

  const std::vector<std::string> program = engine.CompletionWords(true);
  EXPECT_TRUE(SortedOnceEach(program));
  for (const char* word : {"rpa", "rst", "kon", "pob", "stp"})
    EXPECT_TRUE(Has(program, word)) << word;
  EXPECT_FALSE(Has(program, "rozkaz"));
  EXPECT_FALSE(Has(program, "czyt"));
}

TEST_F(EngineTest, AProgramCompletesTheMnemonicsOfTheListAsItChanges) {
  const int last = engine.Session().Control().Instructions().Count() - 1;
  const std::string dropped = engine.Session().Control().Instructions().At(last).Name();
  ASSERT_TRUE(engine.DeleteInstruction(last).Ok);
  EXPECT_FALSE(Has(engine.CompletionWords(true), LowerCase(dropped)));
  ASSERT_TRUE(engine.CompileInstruction("ROZKAZ Nowy;\nczyt wys wei il;").Ok);
  EXPECT_TRUE(Has(engine.CompletionWords(true), "nowy"));
  // An instruction named as a directive is offered once.
  ASSERT_TRUE(engine.DeleteInstruction(last).Ok);
  ASSERT_TRUE(engine.CompileInstruction("ROZKAZ RPA;\nczyt wys wei il;").Ok);
  const std::vector<std::string> words = engine.CompletionWords(true);
  EXPECT_EQ(std::count(words.begin(), words.end(), "rpa"), 1);
  EXPECT_TRUE(SortedOnceEach(words));
  // Beyond the codes an instruction stays in the list but is no mnemonic.
  EXPECT_FALSE(engine.CompileInstruction("ROZKAZ NADMIAR;\nczyt wys wei il;").Ok);
  EXPECT_FALSE(Has(engine.CompletionWords(true), "nadmiar"));
}

TEST_F(EngineTest, ACycleIsDoneAtOnceAndSteppedBack) {
  Compile("POB x\nSTP\nx: RST 9\n");
  const TRunStep state = engine.Start(TRunCommand::Instruction);
  EXPECT_TRUE(state.Running());
  EXPECT_FALSE(Finish(engine, state).Running());
  const TMachine& machine = engine.Session().Machine();
  EXPECT_EQ(machine.Register(TRegisterId::AK).Value(), 9);
  EXPECT_FALSE(engine.Start(TRunCommand::Cycle).Running());
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), 4u);

  EXPECT_TRUE(engine.StepBack(true));  // the fetch of STP
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), 3u);
  EXPECT_TRUE(engine.StepBack(true));  // back to before "POB x"
  EXPECT_EQ(machine.Register(TRegisterId::AK).Value(), 0);
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), 0u);
  EXPECT_FALSE(engine.Enabled(TCommandId::StepBackCycle));
  EXPECT_FALSE(engine.StepBack(false));  // nothing left

  // Under manual control only single cycles run.
  engine.SetManualControl(true);
  EXPECT_TRUE(engine.Enabled(TCommandId::RunCycle));
  EXPECT_FALSE(engine.Enabled(TCommandId::RunInstruction));
  EXPECT_FALSE(engine.Enabled(TCommandId::RunProject));
  EXPECT_TRUE(engine.Start(TRunCommand::Cycle).Box == TBoxKind::None);
  EXPECT_TRUE(engine.Enabled(TCommandId::StepBackCycle));
}

TEST_F(EngineTest, AnEndlessLoopGoesOnSliceBySliceUntilStopped) {
  Compile("a: SOB a\n");
  TRunStep state = engine.Start(TRunCommand::Program);
  for (int slice = 0; slice < 3; ++slice) {
    ASSERT_TRUE(state.Running());
    state = Slice(engine, 2);
  }
  EXPECT_TRUE(state.Running());
  EXPECT_FALSE(engine.Enabled(TCommandId::StepBackCycle));
  EXPECT_FALSE(engine.Enabled(TCommandId::RunCycle));
  EXPECT_FALSE(engine.StepBack(false));  // refused while it runs
  // Another run command is refused too, and leaves the run going.
  EXPECT_TRUE(engine.Start(TRunCommand::Cycle).Running());
  engine.RequestStop();
  state = Slice(engine, 2);
  EXPECT_FALSE(state.Running());
  EXPECT_EQ(state.Box, TBoxKind::None);
  // The request outlives the run: the next "Takt" reports it instead of
  // running, the one after runs.
  const std::uint64_t before = engine.Session().Control().CyclesSinceReset();
  const TRunStep reported = engine.Start(TRunCommand::Cycle);
  EXPECT_EQ(reported.Box, TBoxKind::Error);
  EXPECT_EQ(reported.Message, "Napotkano punkt zatrzymania trakcie wykonywania rozkazu sob.");
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), before);
  const TRunStep next = engine.Start(TRunCommand::Cycle);
  EXPECT_EQ(next.Box, TBoxKind::None) << next.Message;
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), before + 1);
}

TEST_F(EngineTest, CommandsThatNeedTheMachineStopARunFirst) {
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  ASSERT_TRUE(Slice(engine, 1).Running());
  EXPECT_TRUE(engine.Reset().Ok);
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(Slice(engine, 1).Box, TBoxKind::None);
  EXPECT_EQ(engine.Session().Control().CyclesSinceReset(), 0u);

  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  Compile("STP\n");
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(Finish(engine, engine.Start(TRunCommand::Program)).Box, TBoxKind::Information);
}

TEST_F(EngineTest, ARegistersMenuChangesHowItShowsZeroesItAndTheMemoryIsCleared) {
  const TMachine& machine = engine.Session().Machine();
  ASSERT_TRUE(engine.EnterRegister(TRegisterId::AK, "-1").Ok);
  ASSERT_TRUE(engine.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmSigned).Ok);
  EXPECT_EQ(machine.Register(TRegisterId::AK).ValueText(), "-1");
  ASSERT_TRUE(engine.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmHexadecimal).Ok);
  EXPECT_EQ(machine.Register(TRegisterId::AK).ValueText(), "$FF");
  // Zeroing leaves the flags as they were, and is a step to take back.
  const std::uint32_t flags = machine.Register(TRegisterId::F).Content();
  ASSERT_TRUE(engine.ZeroRegister(TRegisterId::AK).Ok);
  EXPECT_EQ(machine.Register(TRegisterId::AK).Value(), 0);
  EXPECT_EQ(machine.Register(TRegisterId::F).Content(), flags);
  EXPECT_TRUE(engine.StepBack(false));
  EXPECT_EQ(machine.Register(TRegisterId::AK).ValueText(), "$FF");

  // Clearing the memory stops a run first and zeroes every word.
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.EnterMemory(7, "37").Ok);
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  engine.ClearMemory();
  EXPECT_FALSE(engine.Running());
  for (int address = 0; address < machine.Memory().Size(); ++address)
    ASSERT_EQ(Word(address), 0) << address;
}

TEST_F(EngineTest, StopConditionsAreEditedOnACopyAndEndARunWhereOneHolds) {
  Compile("a: DOD jeden\nSOB a\njeden: RST 1\n");
  engine.EditStopConditions();
  EXPECT_FALSE(engine.AddStopCondition("AK=").Ok);
  const TStopConditionAdded added = engine.AddStopCondition("AK=3");
  ASSERT_TRUE(added.Ok) << added.Message;
  EXPECT_EQ(added.Index, 0);
  EXPECT_EQ(added.Message, "");
  ASSERT_TRUE(engine.AddStopCondition("changed(jeden)").Ok);
  // Typed again, in other letters: enabled, not added twice.
  engine.SetStopConditionChecked(0, false);
  const TStopConditionAdded again = engine.AddStopCondition("ak = 3");
  EXPECT_EQ(again.Index, 0);
  EXPECT_EQ(again.Message, "Warunek AK=3 jest już na liście; zaznaczono go i włączono.");
  ASSERT_EQ(engine.StopConditionRows().size(), 2U);
  // Nothing reaches the session before OK.
  EXPECT_EQ(engine.Session().StopConditions().Count(), 0);
  engine.RemoveStopCondition(1);
  engine.RemoveStopCondition(5);  // beyond the list: nothing
  engine.CommitStopConditions();
  ASSERT_EQ(engine.Session().StopConditions().Count(), 1);

  const TRunStep ended = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(ended.Box, TBoxKind::Information);
  EXPECT_EQ(ended.Message.rfind("Warunek zatrzymania: AK=3", 0), 0U) << ended.Message;
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 3);

  // A label the program loses: the compile tells, the dialog shows why.
  engine.EditStopConditions();
  ASSERT_TRUE(engine.AddStopCondition("changed(jeden)").Ok);
  engine.CommitStopConditions();
  const TOutcome compiled = engine.CompileProgram("STP\n");
  ASSERT_TRUE(compiled.Ok);
  EXPECT_EQ(compiled.Notice.rfind("Te warunki zatrzymania stały się nieczynne", 0), 0U)
      << compiled.Notice;
  EXPECT_NE(compiled.Notice.find("\nchanged(jeden) — "), std::string::npos);
  EXPECT_EQ(engine.CompileProgram("STP\n").Notice, "");  // told once
  engine.EditStopConditions();
  const auto rows = engine.StopConditionRows();
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_TRUE(rows[0].Checkable);
  EXPECT_FALSE(rows[1].Checkable);
  EXPECT_FALSE(rows[1].Checked);
  EXPECT_EQ(rows[1].Text.rfind("changed(jeden) — nieczynny: ", 0), 0U);
  engine.ClearStopConditions();
  EXPECT_TRUE(engine.StopConditionRows().empty());
  EXPECT_EQ(engine.Session().StopConditions().Count(), 2);  // until OK
}

TEST_F(EngineTest, TheTimingDiagramShowsTheHistorysCyclesAndIsWrittenAsVcd) {
  EXPECT_TRUE(engine.Timing(50).Cycles.empty());
  EXPECT_EQ(engine.TimingVcd(50), "");
  Compile("POB x\nSTP\nx: RST 9\n");
  for (int cycle = 0; cycle < 4; ++cycle)
    ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  const std::vector<TRegisterId> ak = {TRegisterId::AK};
  const TApplication::TTiming timing = engine.Timing(50, ak);
  ASSERT_EQ(timing.Cycles.size(), 4U);
  EXPECT_EQ(timing.Cycles.front().Number, 1U);
  EXPECT_TRUE(timing.Cycles[0].BeginsInstruction);
  EXPECT_EQ(timing.Cycles[0].Instruction, "pob");
  EXPECT_TRUE(timing.Cycles[3].BeginsInstruction);  // the fetch of STP
  // Signals that were on, the buses, then the register chosen.
  ASSERT_FALSE(timing.Lanes.empty());
  EXPECT_EQ(timing.Lanes.front().Kind, TLaneKind::Signal);
  EXPECT_EQ(timing.Lanes.back(),
            (TTimingLane{TLaneKind::Register, static_cast<int>(TRegisterId::AK), "AK"}));
  EXPECT_EQ(LaneValue(timing.Lanes.back(), timing.Cycles[3].Sample), 9U);
  EXPECT_EQ(LaneValueText(engine.Session().Machine(), timing.Lanes.back(), 9), "9");
  // Only the last cycles, when fewer are asked for.
  EXPECT_EQ(engine.Timing(2).Cycles.front().Number, 3U);
  ASSERT_EQ(engine.Timing(50).Cycles.size(), 4U);
  // A click on the current cycle, or on cycle 0, changes nothing; on cycle
  // 2 it steps back to its end; on a later one it runs forward to it as
  // "Takt" would, and the cycles come back.
  const auto cycle = [&] { return engine.Session().Control().CyclesSinceReset(); };
  EXPECT_FALSE(engine.GoToCycle(4).Running());
  EXPECT_EQ(cycle(), 4U);
  EXPECT_FALSE(engine.GoesForward(2));
  EXPECT_FALSE(engine.GoesForward(4));
  (void)engine.GoToCycle(2);
  EXPECT_EQ(cycle(), 2U);
  // The cycles stepped back over stay after the current one.
  const TApplication::TTiming back = engine.Timing(50, ak);
  ASSERT_EQ(back.Cycles.size(), 4U);
  EXPECT_EQ(back.Current, 1U);
  EXPECT_EQ(back.Cycles[3].Number, 4U);
  EXPECT_EQ(LaneValue(back.Lanes.back(), back.Cycles[3].Sample), 9U);
  // Cycle 3 was stepped back over: going there is a run, as "Takt" is.
  EXPECT_TRUE(engine.GoesForward(3));
  (void)engine.GoToCycle(0);
  EXPECT_EQ(cycle(), 2U);
  const TRunStep forward = engine.GoToCycle(3);
  EXPECT_FALSE(forward.Running());
  EXPECT_EQ(forward.Box, TBoxKind::None);
  EXPECT_EQ(cycle(), 3U);
  const TApplication::TTiming ahead = engine.Timing(50);
  ASSERT_EQ(ahead.Cycles.size(), 4U);
  EXPECT_EQ(ahead.Current, 2U);
  const TCycleSample again = ahead.Cycles[2].Sample;
  EXPECT_EQ(again.Signals, timing.Cycles[2].Sample.Signals);
  EXPECT_EQ(again.Registers, timing.Cycles[2].Sample.Registers);
  // A cycle that comes out otherwise than before ends what was kept.
  (void)engine.GoToCycle(2);
  // Another address: cycle 3 reads another word into AK.
  ASSERT_TRUE(engine.EnterRegister(TRegisterId::A, "1").Ok);
  ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  const TApplication::TTiming other = engine.Timing(50);
  EXPECT_EQ(other.Cycles.size(), 3U);
  EXPECT_EQ(other.Current, 2U);
  (void)engine.GoToCycle(2);

  ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  const std::string vcd = engine.TimingVcd(50);
  EXPECT_NE(vcd.find("$enddefinitions"), std::string::npos);
  EXPECT_NE(vcd.find("\n#4\n"), std::string::npos);
  EXPECT_NE(vcd.find("\n#5\n"), std::string::npos);  // the last cycle closed
  EXPECT_EQ(vcd.find("\n#6\n"), std::string::npos);
}

// Going forward performs the cycles again, at most as many as the diagram
// shows; a click further on asks for more than it could show.
TEST_F(EngineTest, GoingForwardReachesAsFarAsTheTimingDiagramShows) {
  Compile("a: SOB a\n");
  const auto cycle = [&] { return engine.Session().Control().CyclesSinceReset(); };
  EXPECT_FALSE(engine.GoToCycle(kTimingDepth + 1).Running());
  EXPECT_EQ(cycle(), 0U);
  const TRunStep forward = engine.GoToCycle(kTimingDepth);
  EXPECT_FALSE(forward.Running());
  EXPECT_EQ(forward.Box, TBoxKind::None);
  EXPECT_EQ(cycle(), kTimingDepth);
}

// A diagram of `count` cycles keeps as many stepped back over after the
// current one, the furthest included.
TEST_F(EngineTest, TheTimingDiagramKeepsAsManyCyclesAheadAsItShows) {
  Compile("POB x\nSTP\nx: RST 9\n");
  for (int cycle = 0; cycle < 4; ++cycle)
    ASSERT_EQ(engine.Start(TRunCommand::Cycle).Box, TBoxKind::None);
  ASSERT_EQ(engine.Timing(4).Cycles.size(), 4U);
  (void)engine.GoToCycle(2);
  const TApplication::TTiming back = engine.Timing(2);
  ASSERT_EQ(back.Cycles.size(), 4U);
  EXPECT_EQ(back.Current, 1U);
  EXPECT_EQ(back.Cycles.back().Number, 4U);
}

TEST_F(EngineTest, AWatchStopsARunWhenItsWordChanges) {
  Compile("a: DOD jeden\nŁAD wynik\nSOB a\njeden: RST 1\nwynik: RST 0\n");
  const TWatchList& watches = engine.Session().Watches();
  int wynik = -1;
  for (int i = 0; i < watches.Count(); ++i)
    if (watches.At(i).Name == "wynik") wynik = i;
  ASSERT_GE(wynik, 0);
  // A watch written exactly as a register is watched through its address.
  const TMachine& machine = engine.Session().Machine();
  EXPECT_EQ(WatchChangeCondition({"AK", 5}, machine), "changed(mem[5])");
  EXPECT_EQ(WatchChangeCondition({"ak", 5}, machine), "changed(ak)");
  EXPECT_EQ(WatchChangeCondition({"wynik", 4}, machine), "changed(wynik)");
  ASSERT_TRUE(engine.StopOnChange(wynik).Ok);
  ASSERT_TRUE(engine.StopOnChange(wynik).Ok);  // enabled again, not added twice
  EXPECT_EQ(engine.Session().StopConditions().Count(), 1);
  EXPECT_FALSE(engine.StopOnChange(watches.Count()).Ok);
  const TRunStep ended = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(ended.Message.rfind("Warunek zatrzymania: changed(wynik)", 0), 0U) << ended.Message;
  EXPECT_EQ(Word(watches.At(wynik).Address), 1);
}

// The page keeps the conditions across a reload and puts them back before
// any program is compiled: one naming a label waits for it.
TEST_F(EngineTest, StopConditionsPutBackWaitForTheirLabelsAndKeepTheirChoice) {
  engine.RestoreStopConditions(
      {{"changed(wynik)", true}, {"AK<0", false}, {"AK<", true}, {"ak < 0", true}});
  const TStopConditions& conditions = engine.Session().StopConditions();
  ASSERT_EQ(conditions.Count(), 2);  // the malformed one and the repeated one are left out
  EXPECT_TRUE(conditions.At(0).Enabled);
  EXPECT_FALSE(conditions.At(0).Problem.empty());
  EXPECT_FALSE(conditions.At(1).Enabled);
  const std::vector<TApplication::TKeptStopCondition> kept = engine.KeptStopConditions();
  ASSERT_EQ(kept.size(), 2U);
  EXPECT_EQ(kept[0].Text, "changed(wynik)");
  EXPECT_TRUE(kept[0].Enabled);
  EXPECT_EQ(kept[1].Text, "AK<0");
  EXPECT_FALSE(kept[1].Enabled);
  Compile("a: DOD jeden\nŁAD wynik\nSOB a\njeden: RST 1\nwynik: RST 0\n");
  EXPECT_TRUE(engine.Session().StopConditions().At(0).Active());
  const TRunStep ended = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(ended.Message.rfind("Warunek zatrzymania: changed(wynik)", 0), 0U) << ended.Message;
}

// A change is counted from the value the place holds when the condition is
// put back, not from zero.
TEST_F(EngineTest, AStopOnChangePutBackWatchesFromTheValueThePlaceHoldsThen) {
  Compile("SOB koniec\nkoniec: STP\n");
  ASSERT_TRUE(engine.EnterRegister(TRegisterId::AK, "7").Ok);
  engine.RestoreStopConditions({{"changed(AK)", true}});
  ASSERT_TRUE(engine.Session().StopConditions().At(0).Active());
  const TRunStep ended = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(ended.Message.find("Warunek zatrzymania"), std::string::npos) << ended.Message;
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 7);
}

TEST_F(EngineTest, StepsBackOnlyAsFarAsTheCommandIsOffered) {
  Compile("STP\n");
  ASSERT_TRUE(engine.EnterRegister(TRegisterId::AK, "7").Ok);
  // No instruction begun: "Cofnij rozkaz" is greyed and takes nothing back.
  EXPECT_FALSE(engine.Enabled(TCommandId::StepBackInstruction));
  EXPECT_FALSE(engine.StepBack(true));
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 7);
  EXPECT_TRUE(engine.StepBack(false));
  EXPECT_EQ(engine.Session().Machine().Register(TRegisterId::AK).Value(), 0);
}

TEST(DisplayModeChoices, OnlyIOffersTheInstructionAndTheOrderIsTheMenus) {
  std::vector<std::string> captions;
  for (const TDisplayModeChoice& choice : DisplayModeChoices(TRegisterId::I))
    captions.emplace_back(choice.Caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Dziesiętnie bez znaku", "Dziesiętnie ze znakiem",
                                                "Binarnie", "Szestnastkowo", "Rozkaz"}));
  EXPECT_EQ(DisplayModeChoices(TRegisterId::I).back().Mode, TDisplayMode::dmInstruction);
  for (int id = 0; id < kRegisterCount; ++id) {
    if (static_cast<TRegisterId>(id) == TRegisterId::I) continue;
    const auto choices = DisplayModeChoices(static_cast<TRegisterId>(id));
    ASSERT_EQ(choices.size(), 4U) << id;
    EXPECT_EQ(choices[2].Mode, TDisplayMode::dmBinary);
  }
}

TEST_F(EngineTest, AnInstructionIsDeletedAndItsCyclesGetBreakpointsByLine) {
  Compile("a: SOB a\n");
  ASSERT_TRUE(engine.Start(TRunCommand::Program).Running());
  const int count = engine.Session().Control().Instructions().Count();
  EXPECT_TRUE(engine.DeleteInstruction(count - 1).Ok);  // stops the run first
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), count - 1);
  EXPECT_FALSE(engine.DeleteInstruction(count + 5).Ok);

  // "sob": its second cycle begins on line 4 of its source.
  const int sob = 5;
  ASSERT_EQ(engine.Session().Control().Instructions().At(sob).Name(), "sob");
  EXPECT_TRUE(engine.ToggleBreakpointAtLine(sob, 4));
  EXPECT_TRUE(engine.Session().Control().Instructions().At(sob).Cycle(1).Breakpoint);
  EXPECT_FALSE(engine.ToggleBreakpointAtLine(sob, 0));
  EXPECT_FALSE(engine.ToggleBreakpointAtLine(99, 1));
  const TRunStep state = Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(state.Box, TBoxKind::Error);
  EXPECT_EQ(state.Message, "Napotkano punkt zatrzymania trakcie wykonywania rozkazu sob.");
}

TEST_F(EngineTest, AListLoadsFromItsBytesAndSavesBackAsTheDesktopWritesIt) {
  const std::string bytes = Example("pelt/pelt.lst");
  const TOutcome loaded = engine.LoadList("pelt.lst", bytes);
  ASSERT_TRUE(loaded.Ok) << loaded.Message;
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), 14);
  EXPECT_EQ(engine.Session().Machine().AddressBits(), 6);
  EXPECT_EQ(engine.SaveList(), bytes);  // nothing changed, nothing rewritten

  const TOutcome broken = engine.LoadList("zly.lst",
                                          "[Rozkazy]\r\nLiczba=1\r\nNazwa1=x\r\n[x]\r\n"
                                          "linia1=ROZKAZ x;\r\nlinia2=czyt wys;\r\n");
  EXPECT_FALSE(broken.Ok);
  EXPECT_FALSE(broken.Message.empty());
}

// Whether the current list holds an instruction of that name, and its source.
[[nodiscard]] const TInstruction* Listed(const TApplication& engine, const std::string& name) {
  const TInstructionList& list = engine.Session().Control().Instructions();
  return list.Find(list.IndexOf(name));
}

struct ListKeepingTest : EngineTest {
  const std::string pelt = Example("pelt/pelt.lst");
  std::string ilo;

  void SetUp() override {
    ASSERT_TRUE(engine.LoadList("pelt.lst", pelt).Ok);
    ilo = engine.OpenText("ilo.rzk", Example("lab/iloczyn/wzorzec/ilo.rzk")).Text;
    const TOutcome compiled = engine.CompileInstruction(ilo);
    ASSERT_TRUE(compiled.Ok) << compiled.Message;
  }
};

TEST_F(ListKeepingTest, TheStudentsOwnInstructionSurvivesATasksListAndStillRuns) {
  const TOutcome loaded = engine.LoadListKeeping("pelt.lst", pelt, true);
  ASSERT_TRUE(loaded.Ok) << loaded.Message;
  EXPECT_EQ(loaded.Information, "");  // not a box for each instruction compiled again
  const TInstruction* kept = Listed(engine, "ilo");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), 15);  // the list's 14 and ILO
  // It is the compiled instruction, not a name: a program multiplies by it.
  Compile("POB a\nILO b\nŁAD w\nSTP\na: RST 6\nb: RST 7\nw: RPA\n");
  Finish(engine, engine.Start(TRunCommand::Program));
  EXPECT_EQ(Word(6), 42);
}

TEST_F(ListKeepingTest, TheInstructionsToKeepAreThoseTheTasksListLacks) {
  EXPECT_EQ(engine.InstructionsLacking("pelt.lst", pelt), std::vector<std::string>{"ilo"});
  // Nothing is loaded by asking.
  EXPECT_NE(Listed(engine, "ilo"), nullptr);
}

TEST_F(ListKeepingTest, ATaskAsksBeforeItsListReplacesAChangedOne) {
  EXPECT_EQ(engine.TaskQuestion("Lab 3", "pelt.lst"),
            "Zadanie „Lab 3” korzysta z listy rozkazów pelt.lst. Lista rozkazów została zmieniona. "
            "Załadować pelt.lst w jej miejsce?");
  ASSERT_TRUE(engine.LoadListKeeping("pelt.lst", pelt, false).Ok);
  EXPECT_EQ(engine.TaskQuestion("Lab 3", "pelt.lst"), "");
}

TEST_F(ListKeepingTest, WithoutKeepingTheTasksListReplacesTheWholeList) {
  ASSERT_TRUE(engine.LoadListKeeping("pelt.lst", pelt, false).Ok);
  EXPECT_EQ(Listed(engine, "ilo"), nullptr);
  EXPECT_EQ(engine.Session().Control().Instructions().Count(), 14);
}

TEST_F(ListKeepingTest, AnInstructionTheTasksListHasIsTheLists) {
  // The student's own DOD, changed: the task's list brings its own back.
  ASSERT_NE(Listed(engine, "dod"), nullptr);
  const TLines listed = Listed(engine, "dod")->Source();
  ASSERT_TRUE(engine.CompileInstruction("ROZKAZ DOD;\nczyt wys wei il;\nwyl wea;").Ok);
  ASSERT_TRUE(engine.LoadListKeeping("pelt.lst", pelt, true).Ok);
  const TInstruction* dod = Listed(engine, "dod");
  ASSERT_NE(dod, nullptr);
  EXPECT_EQ(dod->Source(), listed);
  EXPECT_NE(Listed(engine, "ilo"), nullptr);
}

// A kept instruction the task's list has no room for is told, not passed
// over (it stays listed, not to be used until there is room).
TEST_F(ListKeepingTest, AKeptInstructionTheTasksListHasNoRoomForIsTold) {
  ASSERT_TRUE(engine.LoadList("ombra.lst", Example("ombra/ombra.lst")).Ok);
  ASSERT_TRUE(engine.CompileInstruction(ilo).Ok);
  ASSERT_TRUE(engine.CompileInstruction("ROZKAZ PRZ;\nczyt wys wei il;\nrint;").Ok);
  const TOutcome loaded = engine.LoadListKeeping("pelt.lst", pelt, true);
  EXPECT_FALSE(loaded.Ok);
  EXPECT_EQ(loaded.Message,
            "Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie niedostępny)");
}

TEST_F(ListKeepingTest, AListTheLoaderStopsInStillKeepsTheStudentsInstruction) {
  const TOutcome broken = engine.LoadListKeeping("zly.lst", "[Rozkazy]\r\nLiczba=1\r\n", true);
  EXPECT_FALSE(broken.Ok);
  EXPECT_NE(Listed(engine, "ilo"), nullptr);
}

TEST_F(EngineTest, TextsAreOpenedAndSavedInTheirEncodingsAndRefusedWhole) {
  const TOpenedText utf8 = engine.OpenText("a.prg", "\xEF\xBB\xBF// żółw\r\nSTP\r\n");
  ASSERT_TRUE(utf8.Outcome.Ok);
  EXPECT_EQ(utf8.Encoding, TTextEncoding::Utf8WithBom);
  EXPECT_EQ(utf8.LineEnd, TLineEnd::CrLf);
  EXPECT_EQ(utf8.Text, "// żółw\nSTP\n");  // and the empty line to type on
  TOutcome outcome;
  EXPECT_EQ(TApplication::EncodeText(utf8.Text, utf8.Encoding, utf8.LineEnd, outcome),
            "\xEF\xBB\xBF// żółw\r\nSTP\r\n");
  EXPECT_TRUE(outcome.Ok);
  // A file without a last line break gets one, as on the desktop.
  const TOpenedText unended = engine.OpenText("c.prg", "STP\nSTP");
  EXPECT_EQ(unended.LineEnd, TLineEnd::Lf);
  EXPECT_EQ(TApplication::EncodeText(unended.Text, unended.Encoding, unended.LineEnd, outcome),
            "STP\nSTP\n");
  EXPECT_EQ(engine.OpenText("d.prg", "").Text, "");

  // Code page 1250 lacks "∑": saving asks whether to store the file in UTF-8.
  EXPECT_EQ(TApplication::SaveQuestion("// ∑\n", TTextEncoding::Cp1250, "a.prg"),
            "Znaku '∑' (U+2211) w pliku a.prg nie można zapisać w stronie kodowej 1250. "
            "Zapisać plik w kodowaniu UTF-8?");
  EXPECT_EQ(TApplication::SaveQuestion("// ∑\n", TTextEncoding::Utf8, "a.prg"), "");
  EXPECT_EQ(TApplication::SaveQuestion("// żółw\n", TTextEncoding::Cp1250, "a.prg"), "");

  const TOpenedText nul = engine.OpenText("b.prg", std::string("STP\0", 4));
  EXPECT_FALSE(nul.Outcome.Ok);
  EXPECT_NE(nul.Outcome.Message.find("b.prg"), std::string::npos);
  EXPECT_TRUE(nul.Text.empty());

  // Code page 1250 has no room for "∑".
  EXPECT_TRUE(
      TApplication::EncodeText("// ∑", TTextEncoding::Cp1250, TLineEnd::Lf, outcome).empty());
  EXPECT_FALSE(outcome.Ok);
  // A name with folders keeps only its own name, inside the engine's folder.
  EXPECT_TRUE(engine.OpenText("../../x.prg", "STP").Outcome.Ok);
}

TEST_F(EngineTest, AtTheHighestTrackingLevelEveryCycleIsAPause) {
  Compile("POB x\nSTP\nx: RST 3\n");
  engine.SetTrackingLevel(2);
  TRunStep state = engine.Start(TRunCommand::Program);
  int pauses = 0;
  while (state.Running() && pauses < 20) {
    state = Slice(engine, 50);
    if (state.Next == TRunNext::Pause) ++pauses;
    EXPECT_EQ(static_cast<int>(engine.Session().Control().CyclesSinceReset()),
              state.Running() ? pauses : pauses + 1)
        << "one cycle a slice";
  }
  EXPECT_EQ(state.Box, TBoxKind::Information);
  EXPECT_EQ(pauses, 4);  // POB's three cycles and STP's fetch; its second cycle ends the run
  EXPECT_FALSE(engine.RaiseInterrupt(9).Ok);
}

TEST_F(EngineTest, OptionsAreWrittenOnlyWhenEveryNumberReads) {
  TMachineOptions options = engine.Session().Options();
  options.AddressBits = 8;
  options.Components = *PresetComponents("Ombra");
  const TOutcome bad = engine.Configure(options, {"0", "0", "1a", "0"}, {"1", "2", "3", "4"});
  EXPECT_FALSE(bad.Ok);
  EXPECT_EQ(bad.Line, 3);  // the third vector's address
  EXPECT_EQ(bad.Message, "'1a' is not a valid integer value");
  EXPECT_EQ(engine.Session().Machine().AddressBits(), 5);  // nothing written

  ASSERT_TRUE(engine.Configure(options, {"0", "0", "$10", "0"}, {"1", "2", "3", "4"}).Ok);
  EXPECT_EQ(engine.Session().Machine().AddressBits(), 8);
  EXPECT_EQ(engine.Session().Machine().Vectors()[2].Address, 16);
  EXPECT_EQ(engine.Session().Machine().IOPorts(), (TIOPorts{1, 2, 3, 4}));
  EXPECT_TRUE(engine.Session().Machine().InterruptButtonsVisible());
}

}  // namespace
}  // namespace dorum
