// Looking back through the history: the last cycles come out as they were
// performed, and nothing the look touched stays touched.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "MachineTestSupport.h"
#include "StateText.h"
#include "common/Text.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/ListFile.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

// What stepping back restores, and what only a look back must leave alone
// too: the place shown and how the last run ended.
std::string FullStateText(const TMachine& m, const TController& control,
                          const TProgramDocument* program) {
  const TControlPlace place = control.Place();
  return StateText(m, control, program) + " shown=" + std::to_string(place.ShownCode) + ',' +
         std::to_string(place.ShownLine) + ',' + std::to_string(place.InstructionAddress) +
         " refused=" + std::to_string(control.RefusedCycle()) +
         " finished=" + std::to_string(control.Finished()) +
         " waiting=" + std::to_string(control.WaitingForInput());
}

std::string HistoryText(const TRunHistory& history) {
  return Join({std::to_string(history.UndoableSteps()), std::to_string(history.UndoableCycles()),
               std::to_string(history.UndoableInstructions()), std::to_string(history.BytesUsed())},
              " ");
}

std::string ChangesText(const TMachineChanges& c) {
  return Join(
      {std::to_string(c.Registers), std::to_string(c.Buses), std::to_string(c.Signals),
       std::to_string(c.FirstCell), std::to_string(c.LastCell), std::to_string(c.AccessedCell),
       std::to_string(c.Alu), std::to_string(c.Words), std::to_string(c.Configuration)},
      " ");
}

bool SameSample(const TCycleSample& a, const TCycleSample& b) {
  return a.Signals == b.Signals && a.Registers == b.Registers && a.Buses == b.Buses &&
         a.DrivenBuses == b.DrivenBuses;
}

struct TConsoleCount : IConsoleObserver {
  int Calls = 0;
  void InputChanged() override { ++Calls; }
  void OutputAppended(char32_t) override { ++Calls; }
  void OutputCleared() override { ++Calls; }
};

// The interrupt example run with the user's interrupts, typing and entered
// values between its cycles; the sample each counted cycle left, by its
// number.
class TSampledRun {
 public:
  explicit TSampledRun(std::uint32_t seed) : random_(seed) {
    LoadInstructionList(ExamplePath("ombra/ombra.lst"), machine_, control_);
    program_.SetTexts(ReadTextFile(ExamplePath("ombra/przerwanie.prg")));
    CompileProgram(session_.Assembler(), control_, program_);
    session_.RecordHistory(true);
    control_.SetTrackingLevel(0);
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void Step() {
    const int roll = Pick(0, 99);
    (void)MessageOf([&] {
      if (roll < 88) {
        const std::uint64_t before = control_.CyclesPerformed();
        try {
          control_.ExecuteCycle();
        } catch (...) {
          Note(before);
          throw;
        }
        Note(before);
      } else if (roll < 93) {
        machine_.RaiseInterrupt(Pick(1, 4));
      } else if (roll < 97) {
        machine_.TypeInput("q");
      } else {
        machine_.EnterMemoryValue(Pick(0, 31), std::to_string(Pick(0, 9)));
      }
    });
  }

  [[nodiscard]] TRunHistory& History() { return *session_.History(); }

  void Note(std::uint64_t before) {
    if (control_.CyclesPerformed() > before)
      samples_[control_.CyclesPerformed()] = TCycleSample::Of(machine_);
  }

  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TProgramDocument program_;
  std::map<std::uint64_t, TCycleSample> samples_;
  std::mt19937 random_;
};

// The sum example assembled and bound, its history recording.
struct TRecordedSuma {
  TRecordedSuma() {
    Program.SetTexts(ReadTextFile(ExamplePath("dorum/suma.prg")));
    CompileProgram(Session.Assembler(), Session.Control(), Program);
    Session.RecordHistory(true);
  }
  TSession Session;
  TProgramDocument Program;
};

}  // namespace

TEST(LookBack, TheLastCyclesComeOutAsTheyRanAndNothingStaysTouched) {
  int looked = 0;
  for (std::uint32_t seed = 1; seed <= 16; ++seed) {
    TSampledRun run(seed);
    for (int n = 0; n < 600; ++n) run.Step();
    // An entered word may end the program early.
    if (run.History().UndoableCycles() < 10) continue;
    ++looked;
    TCountingObserver seen;
    TConsoleCount console;
    auto seenSubscription = run.machine_.Subscribe(seen);
    auto consoleSubscription = run.machine_.Console().Subscribe(console);
    const std::string state = FullStateText(run.machine_, run.control_, &run.program_);
    const std::string history = HistoryText(run.History());
    const std::vector<TRecordedCycle> cycles = run.History().LookBack(300);
    EXPECT_EQ(FullStateText(run.machine_, run.control_, &run.program_), state) << "seed " << seed;
    EXPECT_EQ(HistoryText(run.History()), history) << "seed " << seed;
    EXPECT_EQ(seen.Calls, 0);
    EXPECT_EQ(console.Calls, 0);

    ASSERT_EQ(cycles.size(), std::min<std::size_t>(300, run.History().UndoableCycles()));
    for (std::size_t k = 0; k < cycles.size(); ++k) {
      if (k > 0) {
        EXPECT_GT(cycles[k].Number, cycles[k - 1].Number);
      }
      const auto kept = run.samples_.find(cycles[k].Number);
      ASSERT_NE(kept, run.samples_.end()) << "seed " << seed << " cycle " << cycles[k].Number;
      EXPECT_TRUE(SameSample(cycles[k].Sample, kept->second))
          << "seed " << seed << " cycle " << cycles[k].Number;
    }

    // Stepping back to one of them gives the state it shows.
    const TRecordedCycle& target = cycles[cycles.size() / 2];
    const std::optional<std::uint64_t> steps = run.History().StepsBackTo(target.Number);
    ASSERT_TRUE(steps.has_value());
    ASSERT_EQ(run.History().UndoSteps(*steps), *steps);
    EXPECT_EQ(run.control_.CyclesPerformed(), target.Number);
    EXPECT_TRUE(SameSample(TCycleSample::Of(run.machine_), target.Sample)) << "seed " << seed;
    EXPECT_FALSE(run.History().StepsBackTo(target.Number + 1).has_value());
  }
  EXPECT_GE(looked, 4);
}

TEST(LookBack, TheRecordOfChangesIsLeftAsItWas) {
  TSampledRun run(5);
  for (int n = 0; n < 200; ++n) run.Step();
  // Changes not yet collected by the views stay uncollected, no more, no less.
  const TMachineChanges pending = run.machine_.TakeChanges();
  run.machine_.EnterMemoryValue(3, "9");
  (void)run.History().LookBack(100);
  const TMachineChanges after = run.machine_.TakeChanges();
  EXPECT_EQ(after.FirstCell, 3);
  EXPECT_EQ(after.LastCell, 3);
  (void)run.History().LookBack(100);
  EXPECT_EQ(ChangesText(run.machine_.TakeChanges()), ChangesText(TMachineChanges{}));
  EXPECT_NE(ChangesText(pending), ChangesText(after));
}

TEST(LookBack, InstructionsAreNamedWithTheirLinesAndTheProgramKeepsItsLine) {
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TProgramDocument program;
  program.SetTexts(ReadTextFile(ExamplePath("dorum/suma.prg")));
  CompileProgram(session.Assembler(), control, program);
  session.RecordHistory(true);
  control.SetTrackingLevel(0);
  EXPECT_TRUE(session.History()->LookBack(50).empty());
  const std::string ended = EndOf(control, [&] { return control.ExecuteProgram(-1); });
  ASSERT_EQ(ended, "Program został zakończony");
  const std::string state = FullStateText(m, control, &program);
  const std::vector<TRecordedCycle> cycles = session.History()->LookBack(1000);
  EXPECT_EQ(FullStateText(m, control, &program), state);
  EXPECT_EQ(cycles.size(), control.CyclesPerformed());
  TLines names;
  std::vector<int> lines;
  for (const TRecordedCycle& cycle : cycles) {
    if (!cycle.BeginsInstruction) continue;
    names.push_back(cycle.Instruction);
    lines.push_back(cycle.Line);
  }
  EXPECT_EQ(names, TLines({"pob", "dod", "ład", "stp"}));
  EXPECT_EQ(lines, std::vector<int>({6, 7, 8, 9}));
  // Asking for fewer gives the newest, and the state before them.
  TCycleSample before;
  const std::vector<TRecordedCycle> last = session.History()->LookBack(3, &before);
  EXPECT_TRUE(SameSample(before, cycles[cycles.size() - 4].Sample));
  ASSERT_EQ(last.size(), 3u);
  EXPECT_EQ(last.back().Number, cycles.back().Number);
  EXPECT_TRUE(SameSample(last.front().Sample, cycles[cycles.size() - 3].Sample));
}

TEST(LookBack, ANewHistoryCountsItsCyclesFromOne) {
  TRecordedSuma suma;
  TSession& session = suma.Session;
  TController& control = suma.Session.Control();
  for (int n = 0; n < 7; ++n) control.ExecuteCycle();
  session.Machine().ResetMachine();
  for (int n = 0; n < 3; ++n) control.ExecuteCycle();
  ASSERT_EQ(control.CyclesPerformed(), 10u);
  const std::vector<TRecordedCycle> cycles = session.History()->LookBack(10);
  ASSERT_EQ(cycles.size(), 3u);
  EXPECT_EQ(cycles.front().Number, 1u);
  EXPECT_EQ(cycles.back().Number, 3u);
  EXPECT_EQ(session.History()->Origin(), 7u);
  EXPECT_EQ(session.History()->StepsBackTo(1), std::optional<std::uint64_t>(2));
  // Cycles are counted from 1: there is no cycle 0 to go back to.
  EXPECT_FALSE(session.History()->StepsBackTo(0).has_value());
}

TEST(LookBack, CyclesAreNumberedFromTheResetWhateverBeganANewHistory) {
  TRecordedSuma suma;
  TSession& session = suma.Session;
  TController& control = suma.Session.Control();
  for (int n = 0; n < 4; ++n) control.ExecuteCycle();
  session.Machine().ResetMachine();
  for (int n = 0; n < 3; ++n) control.ExecuteCycle();
  EXPECT_EQ(control.CyclesSinceReset(), 3u);
  // A compiled instruction begins a new history, not a new count.
  control.AddInstruction(control.Instructions().At(5).Source());
  for (int n = 0; n < 2; ++n) control.ExecuteCycle();
  const std::vector<TRecordedCycle> cycles = session.History()->LookBack(10);
  ASSERT_EQ(cycles.size(), 2u);
  EXPECT_EQ(cycles.front().Number, 4u);
  EXPECT_EQ(cycles.back().Number, control.CyclesSinceReset());
  EXPECT_EQ(session.History()->StepsBackTo(5), std::optional<std::uint64_t>(0));
  EXPECT_EQ(session.History()->StepsBackTo(4), std::optional<std::uint64_t>(1));
  // The last cycle before the new history is no longer recorded.
  EXPECT_FALSE(session.History()->StepsBackTo(3).has_value());
}

TEST(LookBack, AFetchPerformedAfterARefusedOneBeginsItsInstruction) {
  // An abort left pending makes the next "Takt" refuse the fetch it was to
  // perform; the fetch performed then still begins the instruction.
  TRecordedSuma suma;
  TSession& session = suma.Session;
  TController& control = suma.Session.Control();
  control.ExecuteInstruction();  // «pob»
  ASSERT_TRUE(control.AtFetch());
  control.RequestStop();
  ASSERT_FALSE(EndOf(control, [&] { return control.ExecuteCycle(); }).empty());
  const std::uint64_t instructions = session.History()->UndoableInstructions();
  control.ExecuteCycle();
  EXPECT_EQ(session.History()->UndoableInstructions(), instructions + 1);
  const std::vector<TRecordedCycle> cycles = session.History()->LookBack(1);
  ASSERT_EQ(cycles.size(), 1u);
  EXPECT_TRUE(cycles.back().BeginsInstruction);
  EXPECT_EQ(cycles.back().Instruction, "dod");
  EXPECT_EQ(cycles.back().Line, 7);
}

// A refused fetch began nothing: "Cofnij rozkaz" is greyed by the count of
// instructions, so one counted for it would offer an undo of nothing, or go
// back past the instruction the user meant.
TEST(LookBack, ARefusedFetchBeginsNoInstructionToUndo) {
  {
    TRecordedSuma suma;
    TController& control = suma.Session.Control();
    control.RequestStop();
    ASSERT_FALSE(EndOf(control, [&] { return control.ExecuteCycle(); }).empty());
    EXPECT_EQ(suma.Session.History()->UndoableSteps(), 0u);
    EXPECT_EQ(suma.Session.History()->UndoableInstructions(), 0u);
  }
  TRecordedSuma suma;
  TSession& session = suma.Session;
  TController& control = session.Control();
  control.ExecuteInstruction();  // «pob»
  ASSERT_TRUE(control.AtFetch());
  const std::uint64_t instructions = session.History()->UndoableInstructions();
  const std::uint64_t cycles = session.History()->UndoableCycles();
  ASSERT_EQ(instructions, 1u);
  control.RequestStop();
  ASSERT_FALSE(EndOf(control, [&] { return control.ExecuteCycle(); }).empty());
  EXPECT_EQ(session.History()->UndoableInstructions(), instructions);
  EXPECT_EQ(session.History()->UndoableCycles(), cycles);
  // Undone, «pob» leaves nothing more to undo.
  ASSERT_TRUE(session.History()->UndoInstruction());
  EXPECT_EQ(control.CyclesPerformed(), 0u);
  EXPECT_EQ(session.History()->UndoableInstructions(), 0u);
  EXPECT_EQ(session.History()->UndoableCycles(), 0u);
}

// However many are asked for, a look back returns at most its limit: the
// newest cycles, numbered up to the last one performed.
TEST(LookBack, AtMostTheLimitOfTheNewestCyclesComeBack) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  ASSERT_EQ(TRunHistory::kMaxLookBack, 2000u);  // the timing window draws that many
  // «dod 5» then «sob 0»: an endless loop.
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
  control.SetTrackingLevel(0);
  const std::uint64_t total = TRunHistory::kMaxLookBack + 500;
  for (std::uint64_t n = 0; n < total; ++n) control.ExecuteCycle();
  for (const std::size_t asked :
       {TRunHistory::kMaxLookBack, TRunHistory::kMaxLookBack + 1, TRunHistory::kMaxLookBack * 2}) {
    const std::vector<TRecordedCycle> cycles = session.History()->LookBack(asked);
    ASSERT_EQ(cycles.size(), TRunHistory::kMaxLookBack) << asked;
    EXPECT_EQ(cycles.back().Number, total) << asked;
    EXPECT_EQ(cycles.front().Number, total - TRunHistory::kMaxLookBack + 1) << asked;
  }
}
