// Runs as states advanced in slices: however a run is cut into slices, it
// performs the same cycles as a run in one go, and it ends at a cycle
// boundary whatever ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

#include "MachineTestSupport.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/ListFile.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

// A session with an example program assembled into memory and bound.
struct TExampleRun {
  TExampleRun(const char* program, const char* list = nullptr) {
    if (list != nullptr)
      LoadInstructionList(ExamplePath(list), Session.Machine(), Session.Control());
    Document.SetTexts(ReadTextFile(ExamplePath(program)));
    CompileProgram(Session.Assembler(), Session.Control(), Document);
  }
  [[nodiscard]] std::string State() const {
    const TMachine& m = Session.Machine();
    TLines parts;
    for (int r = 0; r < kRegisterCount; ++r)
      parts.push_back(std::to_string(m.Register(static_cast<R>(r)).Content()));
    for (int cell = 0; cell < m.Memory().Size(); ++cell)
      parts.push_back(std::to_string(m.Memory().Raw(cell)));
    parts.push_back(m.Console().OutputText());
    parts.push_back(std::to_string(Session.Control().CyclesPerformed()));
    parts.push_back(std::to_string(Document.CurrentLine()));
    return Join(parts, " ");
  }

  TSession Session;
  TProgramDocument Document;
};

// Drives the run in slices of `cycles` until it ends; the message of the
// stop or the error that ended it, if any.
std::string RunInSlices(TController& control, std::uint64_t cycles) {
  return EndOf(control, [&] {
    TSliceEnd end = TSliceEnd::Idle;
    while (control.Running()) end = control.RunSlice({.Cycles = cycles});
    return end;
  });
}

}  // namespace

TEST(RunSlices, SlicesOfAnySizeEndWhereARunInOneGoEnds) {
  TExampleRun whole("dorum/mnozenie.prg");
  whole.Session.Control().SetTrackingLevel(0);
  const std::string message =
      EndOf(whole.Session.Control(), [&] { return whole.Session.Control().ExecuteProgram(-1); });
  EXPECT_EQ(message, "Program został zakończony");
  for (const int level : {0, 1, 2}) {
    for (const std::uint64_t cycles : {1u, 2u, 7u, 1000u}) {
      TExampleRun sliced("dorum/mnozenie.prg");
      sliced.Session.Control().SetTrackingLevel(level);
      sliced.Session.Control().StartProgram(-1);
      EXPECT_EQ(RunInSlices(sliced.Session.Control(), cycles), message);
      EXPECT_EQ(sliced.State(), whole.State()) << level << ' ' << cycles;
      EXPECT_FALSE(sliced.Session.Control().Running());
    }
  }
}

TEST(RunSlices, AnInstructionEndsAtTheNextFetchWhateverTheSlices) {
  TExampleRun run("dorum/suma.prg");
  TController& control = run.Session.Control();
  control.SetTrackingLevel(1);
  control.StartInstruction();
  EXPECT_EQ(control.RunSlice({.Cycles = 1}), TSliceEnd::Budget);  // the fetch
  EXPECT_TRUE(control.Running());
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Finished);
  EXPECT_TRUE(control.AtFetch());
  EXPECT_EQ(run.Document.CurrentLine(), run.Document.LineOfAddress(1));
}

TEST(RunSlices, AStopBetweenTwoInstructionsOfAProgramEndsItWithoutAnotherCycle) {
  TExampleRun run("dorum/mnozenie.prg");
  TController& control = run.Session.Control();
  control.SetTrackingLevel(0);
  control.StartProgram(-1);
  // Slices ending on the last cycle of an instruction and inside one.
  for (const std::uint64_t cycles : {2u, 3u}) {
    control.StartProgram(-1);
    (void)control.RunSlice({.Cycles = cycles});
    const std::uint64_t performed = control.CyclesPerformed();
    control.RequestStop();
    EXPECT_EQ(control.RunSlice({}), TSliceEnd::Stopped);
    EXPECT_EQ(control.CyclesPerformed(), performed);
  }
  // "Rozkaz" forgets the pending request and runs its instruction.
  control.StartInstruction();
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Finished);
}

TEST(RunSlices, AnErrorEndsTheRunAtTheCycleItStoppedIn) {
  TExampleRun run("dorum/suma.prg");
  TController& control = run.Session.Control();
  control.ToggleCycleBreakpoint(1, 2);  // «dod», its last cycle
  control.StartProgram(-1);
  EXPECT_EQ(RunInSlices(control, 1000),
            "Napotkano punkt zatrzymania trakcie wykonywania rozkazu dod");
  EXPECT_FALSE(control.Running());
  EXPECT_EQ(control.CurrentCycle(), 2);
  // A program breakpoint ends it after the instruction, the same way.
  control.ToggleCycleBreakpoint(1, 2);
  run.Document.Debugger().ToggleBreakpoint(run.Document.LineOfAddress(3));
  control.StartProgram(-1);
  EXPECT_EQ(RunInSlices(control, 1), "Program doszedł do punktu zatrzymania");
  EXPECT_FALSE(control.Running());
  EXPECT_TRUE(control.AtFetch());
}

TEST(RunSlices, ManualControlStartsNoRunAndStopsOneBetweenSlices) {
  TExampleRun run("dorum/suma.prg");
  TController& control = run.Session.Control();
  control.SetManualControl(true);
  control.StartProgram(-1);
  EXPECT_FALSE(control.Running());
  control.SetManualControl(false);
  control.StartProgram(-1);
  (void)control.RunSlice({.Cycles = 1});
  control.SetManualControl(true);
  const std::uint64_t performed = control.CyclesPerformed();
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Stopped);
  EXPECT_EQ(control.CyclesPerformed(), performed);
}

TEST(RunSlices, AProgramWaitingForInputPausesAndGoesOnWithWhatIsTyped) {
  TExampleRun run("ombra/echo.prg", "ombra/ombra.lst");
  TController& control = run.Session.Control();
  TMachine& m = run.Session.Machine();
  control.SetTrackingLevel(0);
  control.StartProgram(-1);
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Waiting);
  EXPECT_TRUE(control.Running());
  m.TypeInput("ok.");
  EXPECT_EQ(RunInSlices(control, 50), "Program został zakończony");
  EXPECT_EQ(m.Console().OutputText(), "OK.");
}

TEST(RunSlices, StopRunEndsTheRunWhereItStands) {
  TExampleRun run("dorum/mnozenie.prg");
  TController& control = run.Session.Control();
  control.StartProgram(-1);
  (void)control.RunSlice({.Cycles = 5});
  const std::uint64_t performed = control.CyclesPerformed();
  control.StopRun();
  EXPECT_FALSE(control.Running());
  EXPECT_EQ(control.CyclesPerformed(), performed);
  control.StopRun();  // nothing to stop
  EXPECT_FALSE(control.Running());
}

TEST(Session, StartsAsTheApplicationDoesAndRecordsOnRequest) {
  TSession session;
  EXPECT_EQ(session.Control().Instructions().Count(), 8);
  EXPECT_EQ(session.Machine().AddressBits(), 5);
  EXPECT_EQ(session.History(), nullptr);
  session.RecordHistory(true);
  ASSERT_NE(session.History(), nullptr);
  session.Control().ExecuteCycle();
  EXPECT_EQ(session.History()->UndoableCycles(), 1u);
  session.RecordHistory(false);
  EXPECT_EQ(session.History(), nullptr);
  // Nobody records now, and nothing dangles (the cycle is «stp»'s stop).
  EXPECT_EQ(EndOf(session.Control(), [&] { return session.Control().ExecuteCycle(); }),
            "Program został zakończony");
  TSession recording(true);
  EXPECT_NE(recording.History(), nullptr);
}

TEST(RunSlices, AWaitLeftByAnAbortedRunDoesNotHoldTheNextOne) {
  TExampleRun run("ombra/echo.prg", "ombra/ombra.lst");
  TController& control = run.Session.Control();
  control.SetTrackingLevel(0);
  control.StartProgram(-1);
  ASSERT_EQ(control.RunSlice({}), TSliceEnd::Waiting);
  control.StopRun();
  run.Session.Machine().ResetMachine();
  ASSERT_TRUE(control.WaitingForInput());  // a reset leaves the flag alone
  // Another program, which reads nothing, runs on.
  run.Document.SetTexts({"start: SOB start"});
  CompileProgram(run.Session.Assembler(), control, run.Document);
  const std::uint64_t before = control.CyclesPerformed();
  control.StartProgram(-1);
  EXPECT_EQ(control.RunSlice({.Cycles = 100}), TSliceEnd::Budget);
  EXPECT_EQ(control.CyclesPerformed() - before, 100u);
}

namespace {

// An endless loop of eight cycles a pass (a counter that wraps at 256 in
// the default word), and one of eleven.
const TLines kCountingLoop{"petla: DOD jeden", "       ŁAD licznik", "       SOB petla",
                           "jeden: RST 1", "licznik: RPA"};
const TLines kLongerLoop{"petla: DOD jeden", "       ŁAD licznik", "       POB licznik",
                         "       SOB petla", "jeden: RST 1",       "licznik: RPA"};

struct TLoopRun {
  explicit TLoopRun(const TLines& program) {
    Document.SetTexts(program);
    CompileProgram(Session.Assembler(), Session.Control(), Document);
  }
  TSession Session;
  TProgramDocument Document;
};

}  // namespace

TEST(RunSlices, ARunTheApplicationStopsLeavesNoRequestButAnAbortDoes) {
  for (const int level : {0, 1, 2}) {
    for (const bool instruction : {false, true}) {
      TLoopRun run(kCountingLoop);
      TController& control = run.Session.Control();
      control.SetTrackingLevel(level);
      instruction ? control.StartInstruction() : control.StartProgram(-1);
      (void)control.RunSlice({.Cycles = 2});  // within the first instruction
      control.StopRun();
      EXPECT_FALSE(control.StopRequested()) << level << instruction;
      const std::uint64_t cycles = control.CyclesPerformed();
      EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "") << level << instruction;
      EXPECT_EQ(control.CyclesPerformed(), cycles + 1);
    }
  }
  // "Przerwij": the request ends the run and stays for the next cycle,
  // which reports it; the one after is performed.
  TLoopRun run(kCountingLoop);
  TController& control = run.Session.Control();
  control.SetTrackingLevel(0);
  control.StartProgram(-1);
  (void)control.RunSlice({.Cycles = 100});
  control.RequestStop();
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Stopped);
  const std::uint64_t cycles = control.CyclesPerformed();
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);
  EXPECT_TRUE(control.EndMessage().starts_with("Napotkano punkt zatrzymania trakcie wykonywania"));
  EXPECT_EQ(control.CyclesPerformed(), cycles);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
  EXPECT_EQ(control.CyclesPerformed(), cycles + 1);
}

TEST(RunSlices, SlicesThatRunOutOfTimeEndAtNoFixedPhaseOfALoop) {
  // The views see the machine where slices end: a counter must be seen at
  // many values, whatever the loop's period and the tracking level.
  for (const TLines* program : {&kCountingLoop, &kLongerLoop}) {
    for (const int level : {0, 1}) {
      TLoopRun run(*program);
      TController& control = run.Session.Control();
      control.SetTrackingLevel(level);
      control.StartProgram(-1);
      std::set<std::int32_t> seen;
      for (int slice = 0; slice < 40; ++slice) {
        ASSERT_EQ(control.RunSlice({.Time = std::chrono::steady_clock::duration::zero()}),
                  TSliceEnd::Budget);
        seen.insert(run.Session.Machine().Register(R::AK).Value());
      }
      EXPECT_GE(seen.size(), 20u) << program->size() << ' ' << level;
    }
  }
}

// "Rozkaz" stopped inside its instruction ends stopped, not finished: the
// next fetch has not come.
TEST(RunSlices, AnInstructionStoppedBeforeItsNextFetchEndsStopped) {
  TExampleRun run("dorum/suma.prg");
  TController& control = run.Session.Control();
  control.SetTrackingLevel(1);
  control.StartInstruction();
  EXPECT_EQ(control.RunSlice({.Cycles = 2}), TSliceEnd::Budget);
  const std::uint64_t performed = control.CyclesPerformed();
  control.RequestStop();
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Stopped);
  EXPECT_FALSE(control.AtFetch());
  EXPECT_FALSE(control.Running());
  EXPECT_EQ(control.CyclesPerformed(), performed);
}

// Each way a run stops comes back as a reason of its own, with the words the
// boxes show; only a cycle the machine refuses raises.
TEST(RunSlices, EachStopIsAReasonOfItsOwnAndOnlyARefusedCycleRaises) {
  const auto ended = [](TExampleRun& run, TSliceEnd expected, const std::string& message) {
    TController& control = run.Session.Control();
    control.SetTrackingLevel(0);
    EXPECT_EQ(control.ExecuteProgram(-1), expected) << message;
    EXPECT_EQ(control.EndMessage(), message);
    EXPECT_FALSE(control.Running());
  };
  TExampleRun ends("dorum/suma.prg");
  ended(ends, TSliceEnd::ProgramEnded, Texts::ProgramFinished());

  TExampleRun breakpoint("dorum/suma.prg");
  breakpoint.Session.ToggleCycleBreakpoint(1, 2);  // «dod», its last cycle
  ended(breakpoint, TSliceEnd::Breakpoint, Texts::BreakpointInInstruction("dod"));

  TExampleRun programBreakpoint("dorum/suma.prg");
  programBreakpoint.Document.Debugger().ToggleBreakpoint(
      programBreakpoint.Document.LineOfAddress(2));
  ended(programBreakpoint, TSliceEnd::ProgramBreakpoint, Texts::ProgramBreakpoint());

  TExampleRun condition("dorum/suma.prg");
  condition.Session.AddStopCondition("changed(z)");
  ended(condition, TSliceEnd::ConditionHeld, Texts::StopConditionHeld("changed(z)"));
  EXPECT_EQ(condition.Session.Control().HeldCondition(), 0);

  TExampleRun limit("dorum/suma.prg");
  limit.Session.Control().LimitCycles(3);
  ended(limit, TSliceEnd::CycleLimit, Texts::CycleLimitReached(3));

  TExampleRun input("ombra/echo.prg", "ombra/ombra.lst");
  input.Session.Control().SetStopWhenInputRunsOut(true);
  ended(input, TSliceEnd::InputExhausted, Texts::InputExhausted());

  // "Takt" says the same: the stop signal's cycle, then a request pending.
  TController& control = ends.Session.Control();
  ends.Session.Machine().ResetMachine();
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  control.RequestStop();
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);

  // A word with no instruction is a fault, not a stop.
  TExampleRun refused("dorum/suma.prg");
  refused.Session.DeleteInstruction(7);
  refused.Session.Machine().Memory().Store(0, 7 << 5);
  EXPECT_THROW((void)refused.Session.Control().ExecuteProgram(-1), EDorumError);
  EXPECT_FALSE(refused.Session.Control().Running());
}
