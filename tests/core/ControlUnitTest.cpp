#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MachineTestSupport.h"

#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

// Records what the control unit shows.
struct TRecordingHost : IControlHost {
  TController* Controller = nullptr;
  std::vector<int> Instructions, Lines;
  int Watches = 0;
  void ShowInstruction(int code) override { Instructions.push_back(code); }
  void ShowCycleLine(int line) override { Lines.push_back(line); }
  void RefreshWatches() override { ++Watches; }
};

class ControlUnit : public ::testing::Test {
 protected:
  ControlUnit() {
    host.Controller = &control;
    control.SetHost(&host);
  }
  void Program(std::initializer_list<std::pair<int, int>> words) {
    for (const auto& [address, word] : words) m.Memory().Store(address, word);
  }
  static int Word(int code, int address) { return code * 32 + address; }
  int Reg(R id) const { return m.Register(id).Value(); }

  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRecordingHost host;
};

}  // namespace

TEST_F(ControlUnit, FetchShowsThePreviousInstructionAndSelectsTheNewOnesFirstCycle) {
  Program({{0, Word(1, 5)}});
  control.ExecuteCycle();
  EXPECT_EQ(host.Instructions, std::vector<int>{0});  // I still held 0 («stp»)
  EXPECT_EQ(host.Lines, std::vector<int>{3});         // the line «czyt wys wei il;» of «stp»
  EXPECT_EQ(Reg(R::I), Word(1, 5));
  EXPECT_EQ(Reg(R::L), 1);
  EXPECT_FALSE(control.AtFetch());
  EXPECT_EQ(control.CurrentCycle(), 1);
  EXPECT_EQ(m.RegisterText(R::I), "I : 37 ( dod 5 ) ");
  EXPECT_EQ(m.CellText(0), "37 ( dod 5 )");
}

TEST_F(ControlUnit, RunsTheSumProgramToItsStop) {
  Program({{0, Word(3, 5)}, {1, Word(1, 6)}, {2, Word(4, 7)}, {3, Word(0, 0)}, {5, 3}, {6, 4}});
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Program został zakończony");
  EXPECT_EQ(m.Memory().Word(7), 7u);
  EXPECT_EQ(Reg(R::AK), 7);
  // The stopping cycle never completes: every later step repeats it.
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "Program został zakończony");
  m.ResetMachine();
  EXPECT_TRUE(control.AtFetch());
}

TEST_F(ControlUnit, ConditionalJumpFollowsTheFlags) {
  for (const int ak : {-1, 1}) {
    m.ResetMachine();
    Program({{0, Word(6, 9)}});
    m.EnterRegisterValue(R::AK, std::to_string(ak));
    control.ExecuteCycle();  // fetch of «som 9»
    EXPECT_EQ(control.CurrentCycle(), 1);
    control.ExecuteCycle();  // the JEŻELI cycle
    EXPECT_EQ(control.CurrentCycle(), ak < 0 ? 2 : 3) << ak;
    control.ExecuteInstruction();
    EXPECT_EQ(Reg(R::L), ak < 0 ? 9 : 1) << ak;
    EXPECT_TRUE(control.AtFetch());
  }
}

TEST_F(ControlUnit, CycleBreakpointStopsBeforeTheCycleAndTheNextStepPerformsIt) {
  Program({{0, Word(1, 5)}, {5, 4}});
  control.ToggleCycleBreakpoint(1, 2);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteInstruction(); }),
            "Napotkano punkt zatrzymania trakcie wykonywania rozkazu dod");
  EXPECT_FALSE(control.BreakpointsArmed());
  EXPECT_EQ(control.CurrentCycle(), 2);
  EXPECT_EQ(m.ActiveSignals(),
            control.Instructions().At(1).Cycle(2).Signals.Low());  // shown, not performed
  EXPECT_EQ(Reg(R::AK), 0);
  control.ExecuteCycle();
  EXPECT_EQ(Reg(R::AK), 4);
  EXPECT_TRUE(control.BreakpointsArmed());
  EXPECT_TRUE(control.AtFetch());
}

TEST_F(ControlUnit, PendingStopReportsOnceThenExecutes) {
  control.RequestStop();
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }),
            "Napotkano punkt zatrzymania trakcie wykonywania rozkazu stp");
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
}

TEST_F(ControlUnit, ManualControlPerformsTheUsersSignalsOnly) {
  control.SetManualControl(true);
  control.ExecuteInstruction();
  control.ExecuteProgram(-1);
  EXPECT_EQ(Reg(R::L), 0);
  m.SetActive(static_cast<int>(TSignalId::il), true);
  control.ExecuteCycle();
  EXPECT_EQ(Reg(R::L), 1);
  EXPECT_EQ(control.CurrentCycle(), 0);
  EXPECT_TRUE(control.AtFetch());  // the microprogram position does not move
}

TEST_F(ControlUnit, UnknownCodesAndEmptyLists) {
  m.SetCodeBits(4);
  Program({{0, 8 * 32}});
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "Nieznany kod rozkazu (8)");
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "List index out of bounds (8)");
  m.ResetMachine();
  control.ClearInstructions();
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "List index out of bounds (0)");
}

TEST_F(ControlUnit, DecodingUsesTheStoredBitsWhateverTheDisplay) {
  Program({{0, Word(7, 3)}});
  m.SetDisplayMode(R::I, TDisplayMode::dmSigned);
  control.ExecuteCycle();
  EXPECT_LT(Reg(R::I), 0);
  EXPECT_EQ(control.CurrentCode(), 7);
  EXPECT_EQ(control.CurrentCycle(), 1);
}

TEST_F(ControlUnit, RunToTargetAndTrackingLevels) {
  Program({{0, Word(5, 4)}, {4, Word(5, 4)}});  // «sob 4» at 0, then an endless «sob 4»
  control.SetTrackingLevel(2);
  control.StartProgram(4);
  // At the highest level every cycle is a slice of its own, to be shown.
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Tempo);
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Tempo);
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Finished);
  EXPECT_FALSE(control.Running());
  EXPECT_EQ(Reg(R::L), 4);
  EXPECT_EQ(host.Watches, 2);
  EXPECT_EQ(control.CyclesPerformed(), 2u);
}

TEST_F(ControlUnit, AnEndlessProgramStopsAtTheNextSliceAtTheLowestLevel) {
  Program({{0, Word(5, 0)}});  // «sob 0»: two cycles an instruction, for ever
  control.SetTrackingLevel(0);
  control.StartProgram(-1);
  EXPECT_EQ(control.RunSlice({.Cycles = 1001}), TSliceEnd::Budget);
  EXPECT_EQ(control.CyclesPerformed(), 1001u);  // inside the 501st instruction
  control.RequestStop();
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Stopped);
  EXPECT_EQ(control.CyclesPerformed(), 1001u);  // no cycle after the request
  EXPECT_FALSE(control.Running());
  EXPECT_TRUE(control.StopRequested());  // the abort ended the run and stays pending
  EXPECT_EQ(control.RunSlice({}), TSliceEnd::Idle);
}

TEST_F(ControlUnit, ClickingASignalTogglesItOnlyUnderManualControl) {
  const int wys = static_cast<int>(TSignalId::wys);
  control.ToggleSignal(wys);
  EXPECT_FALSE(m.SignalActive(wys));
  control.SetManualControl(true);
  control.ToggleSignal(wys);
  EXPECT_TRUE(m.SignalActive(wys));
  control.ToggleSignal(wys);
  EXPECT_FALSE(m.SignalActive(wys));
}

TEST_F(ControlUnit, CycleLimitEndsARunBetweenCycles) {
  Program({{0, Word(5, 0)}});  // sob 0: an endless loop of two-cycle instructions
  control.SetTrackingLevel(0);
  control.LimitCycles(7);
  const std::uint64_t start = control.CyclesPerformed();
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Przekroczono limit 7 taktów zegara; program przerwano");
  EXPECT_EQ(control.CyclesPerformed() - start, 7u);
  EXPECT_TRUE(control.CycleLimitReached());
  EXPECT_FALSE(control.AtFetch());  // stopped inside the fourth instruction
  control.RemoveCycleLimit();
  EXPECT_FALSE(control.CycleLimitReached());
  control.ExecuteCycle();  // single cycles are never limited, and go on from there
  EXPECT_TRUE(control.AtFetch());
}

TEST_F(ControlUnit, EveryConditionTestsItsOwnFlag) {
  // F's bits: 1 Z, 2 V, 4 INT, 8 ZAK. Each condition jumps on its bit alone.
  const struct {
    const char* Name;
    int Bit;
  } conditions[] = {{"Z", 1}, {"V", 2}, {"INT", 4}, {"ZAK", 8}};
  for (const auto& c : conditions) {
    control.ClearInstructions();
    control.AddInstruction({"ROZKAZ SKOK;", "czyt wys wei il;",
                            std::string("JEŻELI ") + c.Name + " TO @tak GDY NIE @nie;",
                            "@tak wyad wea wel KONIEC;", "@nie wyl wea;"});
    for (const int flags : {0, 1, 2, 4, 8, 15 - c.Bit, 15}) {
      m.ResetMachine();
      Program({{0, Word(0, 9)}});
      control.ExecuteCycle();  // the fetch
      m.Register(R::F).Store(flags);
      control.ExecuteInstruction();
      const bool jumps = (flags & c.Bit) != 0;
      EXPECT_EQ(Reg(R::L), jumps ? 9 : 1) << c.Name << " with F = " << flags;
    }
  }
}

TEST_F(ControlUnit, TheStopCycleCountsAndALimitOfThatManyCyclesLetsTheProgramEnd) {
  Program({{0, Word(3, 5)}, {1, Word(1, 6)}, {2, Word(4, 7)}, {3, Word(0, 0)}, {5, 3}, {6, 4}});
  control.SetTrackingLevel(0);
  (void)EndOf(control, [&] { return control.ExecuteProgram(-1); });
  ASSERT_TRUE(control.Finished());
  const std::uint64_t needed = control.CyclesPerformed();
  for (const std::uint64_t limit : {needed - 1, needed}) {
    m.ResetMachine();
    const std::uint64_t start = control.CyclesPerformed();
    control.LimitCycles(limit);
    (void)EndOf(control, [&] { return control.ExecuteProgram(-1); });
    EXPECT_EQ(control.Finished(), limit == needed) << limit;
    EXPECT_EQ(control.CyclesPerformed() - start, limit);
  }
}

TEST_F(ControlUnit, ARefusedCycleIsNotCountedButKnown) {
  Program({{0, Word(3, 5)}, {5, 3}});
  control.ExecuteCycle();  // the fetch of «pob» at address 0
  EXPECT_EQ(control.InstructionAddress(), 0);
  control.SetManualControl(true);
  control.ToggleSignal(TMachine::FindSignalExact("wea"));
  control.ToggleSignal(TMachine::FindSignalExact("wyak"));
  control.ToggleSignal(TMachine::FindSignalExact("wyl"));
  EXPECT_FALSE(EndOf(control, [&] { return control.ExecuteCycle(); }).empty());
  EXPECT_EQ(control.CyclesPerformed(), 1u);
  EXPECT_EQ(control.RefusedCycle(), 2u);
}

TEST_F(ControlUnit, AResetForgetsThatTheInputRanOut) {
  LoadInstructionList(ExamplePath("ombra/ombra.lst"), m, control);
  const int wpr = control.Instructions().IndexOf("wpr");
  ASSERT_GE(wpr, 0);
  // «wpr 1» waits on the input port with nothing typed.
  m.Memory().Store(0, (wpr << m.AddressBits()) | m.IOPorts().InputPort);
  control.SetTrackingLevel(0);
  control.SetStopWhenInputRunsOut(true);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Program czeka na znak z wejścia, a dane wejściowe się skończyły");
  EXPECT_TRUE(control.InputRanOut());
  m.ResetMachine();
  EXPECT_FALSE(control.InputRanOut());
  EXPECT_FALSE(control.Finished());
  // With input, the same program goes past the instruction.
  m.TypeInput("a");
  control.ExecuteInstruction();
  EXPECT_FALSE(control.InputRanOut());
  EXPECT_EQ(m.Register(R::L).Value(), 1);
}

// A reset goes back to the fetch with every breakpoint armed again, also
// the one the last run stopped at.
TEST_F(ControlUnit, AResetStartsAtTheFetchWithBreakpointsArmedAgain) {
  Program({{0, Word(1, 5)}, {5, 4}});
  control.ExecuteCycle();  // the fetch of «dod 5»
  control.ExecuteCycle();
  ASSERT_EQ(control.CurrentCycle(), 2);
  m.ResetMachine();
  EXPECT_EQ(control.CurrentCycle(), 0);
  EXPECT_TRUE(control.AtFetch());

  // After the reset I holds 0 («stp»), whose first cycle the fetch shows.
  control.ToggleCycleBreakpoint(0, 0);
  const std::string stop = "Napotkano punkt zatrzymania trakcie wykonywania rozkazu stp";
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), stop);
  EXPECT_FALSE(control.BreakpointsArmed());
  m.ResetMachine();
  EXPECT_TRUE(control.BreakpointsArmed());
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), stop);
  // Not reset: the next step performs the cycle it stopped before.
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
  EXPECT_EQ(Reg(R::I), Word(1, 5));
}

// Under manual control a cycle breakpoint does not stop the cycle the user
// chose; it stays requested, and the first cycle after manual control ends
// reports it. A manual cycle performed after a stop arms the breakpoints
// again.
TEST_F(ControlUnit, ABreakpointMetUnderManualControlIsReportedOnceItEnds) {
  Program({{0, Word(1, 5)}, {5, 4}});
  control.ExecuteCycle();  // the fetch
  ASSERT_EQ(control.CurrentCycle(), 1);
  control.ToggleCycleBreakpoint(1, 1);
  control.SetManualControl(true);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
  EXPECT_TRUE(control.StopRequested());
  EXPECT_TRUE(control.BreakpointsArmed());
  EXPECT_EQ(control.CurrentCycle(), 1);
  control.SetManualControl(false);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }),
            "Napotkano punkt zatrzymania trakcie wykonywania rozkazu dod");
  EXPECT_FALSE(control.StopRequested());
  EXPECT_FALSE(control.BreakpointsArmed());

  control.SetManualControl(true);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
  EXPECT_TRUE(control.BreakpointsArmed());
  EXPECT_FALSE(control.StopRequested());  // it was disarmed when the cycle began
  control.SetManualControl(false);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }),
            "Napotkano punkt zatrzymania trakcie wykonywania rozkazu dod");
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "");
  EXPECT_EQ(control.CurrentCycle(), 2);
}
