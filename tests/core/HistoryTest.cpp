// Stepping back through a run: every step undone restores exactly the state
// before it, and running forward again gives the same states once more.
#include <gtest/gtest.h>

#include <functional>
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

// One thing a user does: a clock cycle, or an action between cycles.
struct TOperation {
  enum class TKind {
    Cycle,
    Interrupt,
    Type,
    Enter,
    Memory,
    Mode,
    Zero,
    Signal,
    Manual
  } Kind = TKind::Cycle;
  int A = 0;
  int B = 0;
};

class THistoryRun {
 public:
  explicit THistoryRun(std::uint32_t seed) : random_(seed) {
    LoadInstructionList(ExamplePath("ombra/ombra.lst"), machine_, control_);
    machine_.SetAddressBits(Pick(5, 7));
    // Random words run random instructions of the list, errors and all.
    for (int cell = 0; cell < machine_.Memory().Size(); ++cell)
      machine_.Memory().Store(cell, Pick(0, (1 << machine_.WordBits()) - 1));
    machine_.ResetMachine();
    control_.SetTrackingLevel(0);
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  TOperation RandomOperation() {
    TOperation op;
    const int roll = Pick(0, 99);
    if (roll < 80) return op;
    op.Kind = roll < 84   ? TOperation::TKind::Interrupt
              : roll < 88 ? TOperation::TKind::Type
              : roll < 92 ? TOperation::TKind::Enter
              : roll < 94 ? TOperation::TKind::Memory
              : roll < 96 ? TOperation::TKind::Mode
              : roll < 97 ? TOperation::TKind::Zero
              : roll < 99 ? TOperation::TKind::Signal
                          : TOperation::TKind::Manual;
    op.A = Pick(0, 100);
    op.B = Pick(-20, 300);
    return op;
  }

  void Perform(const TOperation& op) {
    const auto reg = static_cast<TRegisterId>(op.A % kRegisterCount);
    (void)MessageOf([&] {
      switch (op.Kind) {
        case TOperation::TKind::Cycle:
          control_.ExecuteCycle();
          break;
        case TOperation::TKind::Interrupt:
          machine_.RaiseInterrupt(1 + op.A % 4);
          break;
        case TOperation::TKind::Type:
          machine_.TypeInput(op.B % 2 == 0 ? "ż" : "ab");
          break;
        case TOperation::TKind::Enter:
          machine_.EnterRegisterValue(reg, std::to_string(op.B));
          break;
        case TOperation::TKind::Memory:
          machine_.EnterMemoryValue(op.A, op.B % 7 == 0 ? "x" : std::to_string(op.B));
          break;
        case TOperation::TKind::Mode:
          machine_.SetDisplayMode(reg, static_cast<TDisplayMode>(op.B & 3));
          break;
        case TOperation::TKind::Zero:
          machine_.ZeroRegister(reg);
          break;
        case TOperation::TKind::Signal:
          control_.ToggleSignal(op.A % kSignalCount);
          break;
        case TOperation::TKind::Manual:
          control_.SetManualControl(!control_.ManualControl());
          break;
      }
    });
  }

  // What the views show of the control unit belongs to the state as well.
  [[nodiscard]] std::string State() const {
    return StateText(machine_, control_, nullptr) +
           " shown=" + std::to_string(control_.ShownInstruction()) + ',' +
           std::to_string(control_.ShownCycleLine()) + ',' +
           std::to_string(control_.InstructionAddress());
  }

  TSession session_{true};
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TRunHistory& history_ = *session_.History();
  std::mt19937 random_;
};

}  // namespace

TEST(History, SteppingBackRestoresEachEarlierStateAndForwardRepeatsThem) {
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    THistoryRun run(seed);
    std::vector<TOperation> ops;
    std::vector<std::string> before;   // the state before each operation
    std::vector<std::uint64_t> steps;  // the steps recorded before each operation
    std::vector<bool> manual;          // a mode of the control unit, not a step
    for (int n = 0; n < 400; ++n) {
      const TOperation op = run.RandomOperation();
      before.push_back(run.State());
      steps.push_back(run.history_.UndoableSteps());
      manual.push_back(run.control_.ManualControl());
      ops.push_back(op);
      run.Perform(op);
    }
    before.push_back(run.State());
    steps.push_back(run.history_.UndoableSteps());
    ASSERT_GT(run.history_.UndoableSteps(), 30u) << "seed " << seed;

    // Back to the start of a random operation that made a step of its own.
    std::size_t target = ops.size();
    for (int tries = 0; tries < 100; ++tries) {
      const auto j = static_cast<std::size_t>(run.Pick(0, static_cast<int>(ops.size()) - 1));
      if (steps[j + 1] > steps[j] && steps[j] > 0) {
        target = j;
        break;
      }
    }
    ASSERT_LT(target, ops.size());
    while (run.history_.UndoableSteps() > steps[target]) ASSERT_TRUE(run.history_.UndoStep());
    ASSERT_EQ(run.State(), before[target]) << "seed " << seed << ", back to operation " << target;

    // The same operations again give the same states.
    run.control_.SetManualControl(manual[target]);
    for (std::size_t j = target; j < ops.size(); ++j) {
      run.Perform(ops[j]);
      ASSERT_EQ(run.State(), before[j + 1]) << "seed " << seed << ", again operation " << j;
    }
  }
}

TEST(History, EachStepBackIsTheStateOneStepEarlier) {
  THistoryRun run(77);
  std::vector<std::string> states{run.State()};
  for (int n = 0; n < 300; ++n) {
    const std::uint64_t stepsBefore = run.history_.UndoableSteps();
    const std::string stateBefore = run.State();
    run.Perform(run.RandomOperation());
    // A new step remembers the state before it; a refused cycle is part of
    // the step before it, so that step now ends where this one ended.
    if (run.history_.UndoableSteps() > stepsBefore) states.push_back(stateBefore);
  }
  while (run.history_.UndoableSteps() > 0) {
    ASSERT_TRUE(run.history_.UndoStep());
    ASSERT_EQ(run.State(), states.back()) << run.history_.UndoableSteps() << " steps left";
    states.pop_back();
  }
  EXPECT_FALSE(run.history_.UndoStep());
}

// Under manual control a click on a signal is a step of its own.
TEST(History, ASignalClickedUnderManualControlIsAStepUndoneAlone) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  control.SetManualControl(true);
  const int wyak = TMachine::FindSignalExact("wyak");
  const int wes = TMachine::FindSignalExact("wes");
  control.ToggleSignal(wyak);
  control.ToggleSignal(wes);
  ASSERT_TRUE(m.SignalActive(wyak));
  ASSERT_EQ(history.UndoableSteps(), 2u);
  ASSERT_TRUE(history.UndoStep());
  EXPECT_TRUE(m.SignalActive(wyak));
  EXPECT_FALSE(m.SignalActive(wes));
  ASSERT_TRUE(history.UndoStep());
  EXPECT_FALSE(m.SignalActive(wyak));
  EXPECT_FALSE(history.UndoStep());
}

TEST(History, UserActionsAreStepsUndoneInOrder) {
  TSession session(true);
  TMachine& m = session.Machine();
  TRunHistory& history = *session.History();
  m.EnterRegisterValue(TRegisterId::AK, "5");
  m.EnterMemoryValue(3, "37");
  m.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmHexadecimal);
  m.TypeInput("x");
  EXPECT_EQ(MessageOf([&] { m.EnterRegisterValue(TRegisterId::L, "abc"); }),
            "'abc' is not a valid integer value");
  EXPECT_EQ(history.UndoableSteps(), 4u);  // the refused entry changed nothing
  EXPECT_EQ(history.UndoableCycles(), 0u);

  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(m.Console().InputText(), "");
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(m.Register(TRegisterId::AK).DisplayMode(), TDisplayMode::dmUnsigned);
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(m.Memory().Word(3), 0u);
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 5);
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 0);
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 8);  // the flags went back with AK
  EXPECT_FALSE(history.UndoStep());
}

TEST(History, InstructionsAreUndoneWholeAndANewHistoryStartsOnReset) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(1, 5 * 32 + 0);  // sob 0
  m.Memory().Store(5, 1);
  const std::string start = StateText(m, control, nullptr);
  control.SetTrackingLevel(0);
  control.ExecuteInstruction();  // 3 cycles
  const std::string afterOne = StateText(m, control, nullptr);
  control.ExecuteInstruction();  // 2 cycles
  control.ExecuteCycle();        // the fetch of the next one
  EXPECT_EQ(history.UndoableCycles(), 6u);
  EXPECT_EQ(history.UndoableInstructions(), 3u);
  ASSERT_TRUE(history.UndoInstruction());  // the fetch begun
  ASSERT_TRUE(history.UndoInstruction());  // "sob"
  EXPECT_EQ(StateText(m, control, nullptr), afterOne);
  ASSERT_TRUE(history.UndoInstruction());
  EXPECT_EQ(StateText(m, control, nullptr), start);
  EXPECT_FALSE(history.UndoInstruction());

  control.ExecuteInstruction();
  EXPECT_EQ(history.UndoableCycles(), 3u);
  m.ResetMachine();
  EXPECT_EQ(history.UndoableSteps(), 0u);
  control.ExecuteCycle();
  m.SetComponents(TComponentSet().set(0).set(1));
  EXPECT_EQ(history.UndoableSteps(), 0u);
}

// An instruction begun in a run of cycles of its own goes back with all of
// them, so the next step back reaches what was done before that run.
TEST(History, AnInstructionAfterAnEntryGoesBackWholeAndThenTheEntryAndTheOneBefore) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(1, 1 * 32 + 5);  // dod 5
  m.Memory().Store(5, 1);
  control.SetTrackingLevel(0);
  const std::string start = StateText(m, control, nullptr);
  control.ExecuteInstruction();
  m.EnterRegisterValue(TRegisterId::AK, "7");
  const std::string entered = StateText(m, control, nullptr);
  control.ExecuteInstruction();
  EXPECT_EQ(history.UndoableInstructions(), 2u);

  ASSERT_TRUE(history.UndoInstruction());
  EXPECT_EQ(StateText(m, control, nullptr), entered);
  EXPECT_EQ(history.UndoableInstructions(), 1u);
  ASSERT_TRUE(history.UndoInstruction());  // the entry, then the first instruction
  EXPECT_EQ(StateText(m, control, nullptr), start);
  EXPECT_EQ(history.UndoableSteps(), 0u);
  EXPECT_FALSE(history.UndoInstruction());
}

TEST(History, TheBudgetBoundsTheMemoryAndDropsTheOldestSteps) {
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  m.SetAddressBits(16);  // the largest memory: what the history keeps grows with it
  session.RecordHistory(true, std::size_t{1} << 20);
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 65536 + 5);
  m.Memory().Store(1, 5 * 65536 + 0);
  m.Memory().Store(5, 1);
  control.SetTrackingLevel(0);
  control.LimitCycles(5'000'000);
  EXPECT_FALSE(EndOf(control, [&] { return control.ExecuteProgram(-1); }).empty());
  EXPECT_LE(history.BytesUsed(), history.Budget());
  EXPECT_LT(history.UndoableCycles(), 5'000'000u);  // the oldest were dropped
  EXPECT_GE(history.UndoableCycles(), 1'000'000u);
  const std::uint64_t cycles = control.CyclesPerformed();
  const std::uint64_t undoable = history.UndoableCycles();
  // Single steps back, then all the rest at once.
  const std::string before = StateText(m, control, nullptr);
  ASSERT_TRUE(history.UndoStep());
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(control.CyclesPerformed(), cycles - 2);
  control.ExecuteCycle();
  control.ExecuteCycle();
  EXPECT_EQ(StateText(m, control, nullptr), before);
  EXPECT_EQ(history.UndoSteps(undoable + 10), undoable);
  EXPECT_FALSE(history.UndoStep());
  EXPECT_EQ(control.CyclesPerformed(), cycles - undoable);
}

TEST(History, AMillionCyclesFitTheDefaultBudget) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
  control.SetTrackingLevel(0);
  control.LimitCycles(1'000'000);
  (void)EndOf(control, [&] { return control.ExecuteProgram(-1); });
  EXPECT_EQ(history.UndoableCycles(), 1'000'000u);
  EXPECT_LE(history.BytesUsed(), TRunHistory::kDefaultBudget);
}

TEST(History, TheConsoleGoesBackCharacterByCharacter) {
  // The echo example reads characters and writes them back in capitals.
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  LoadInstructionList(ExamplePath("ombra/ombra.lst"), m, control);
  TProgramDocument program;
  program.SetTexts(ReadTextFile(ExamplePath("ombra/echo.prg")));
  CompileProgram(session.Assembler(), control, program);
  session.RecordHistory(true);
  TRunHistory& history = *session.History();
  std::vector<std::string> states{StateText(m, control, &program)};
  m.TypeInput("ał.");  // typing is a step too
  control.SetTrackingLevel(0);
  std::string error;
  for (int n = 0; n < 5000 && error.empty(); ++n) {
    const std::uint64_t steps = history.UndoableSteps();
    const std::string before = StateText(m, control, &program);
    error = EndOf(control, [&] { return control.ExecuteCycle(); });
    if (history.UndoableSteps() > steps) states.push_back(before);
  }
  ASSERT_EQ(error, "Program został zakończony");
  ASSERT_EQ(m.Console().OutputText(), "Ał.");  // only a to z become capitals
  ASSERT_EQ(m.Console().InputText(), "");
  while (history.UndoableSteps() > 0) {
    ASSERT_TRUE(history.UndoStep());
    ASSERT_EQ(StateText(m, control, &program), states.back());
    states.pop_back();
  }
  EXPECT_EQ(m.Console().InputText(), "");
  EXPECT_EQ(m.Console().OutputText(), "");
}

TEST(History, AMachineSnapshotPutsBackEveryBitAndTheViewsHearOfIt) {
  TSession session;
  TMachine& m = session.Machine();
  const TController& control = session.Control();
  m.SetAddressBits(6);
  m.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmSigned);
  m.EnterRegisterValue(TRegisterId::AK, "-3");
  m.Memory().Store(40, 77);
  m.Console().SetInputText("ab");
  m.Console().PutOutputChar('x');
  ASSERT_EQ(Cycle(m, "wyak weja dod"), "");
  const std::string before = StateText(m, control, nullptr);
  const TMachineSnapshot snapshot = m.TakeSnapshot();
  EXPECT_EQ(snapshot.Words.size(), 64u);  // the words in use, no more

  ASSERT_EQ(Cycle(m, "czyt wys wei il"), "");
  m.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmHexadecimal);
  m.Memory().Store(40, 1);
  m.Memory().Store(63, 5);
  m.Memory().RestoreRaw(64, 9);  // past the size: no cycle reaches it
  m.Console().SetInputText("zz");
  m.Console().PutOutputChar('y');
  ASSERT_NE(StateText(m, control, nullptr), before);

  TCountingObserver seen;
  auto seenSubscription = m.Subscribe(seen);
  (void)m.TakeChanges();
  TMachine::TRestorer(m).Snapshot(snapshot);
  EXPECT_EQ(StateText(m, control, nullptr), before);
  EXPECT_EQ(m.Memory().Raw(64), 9u);
  EXPECT_EQ(seen.Calls, 0);  // a step is told only once it is all back
  m.NotifyRestored();
  EXPECT_EQ(seen.Calls, 1);
  const TMachineChanges changes = m.TakeChanges();
  EXPECT_EQ(changes.Registers, Marks::kRegisters);
  EXPECT_EQ(changes.Buses, Marks::kBuses >> 16);
  EXPECT_TRUE(changes.Alu);
  EXPECT_TRUE(changes.Words);
  EXPECT_EQ(changes.AccessedCell, -1);  // putting words back is no access
  seenSubscription.End();
}

TEST(History, EntriesIntoTheFirstAndTheLastWordAreUndone) {
  for (const int bits : {5, 16}) {
    TSession session(true);
    TMachine& m = session.Machine();
    m.SetAddressBits(bits);
    const int last = m.Memory().Size() - 1;
    m.Memory().Store(0, 11);
    m.Memory().Store(last, 22);
    session.History()->Clear();
    m.EnterMemoryValue(0, "33");
    m.EnterMemoryValue(last, "44");
    ASSERT_EQ(m.Memory().Raw(0), 33u);
    ASSERT_EQ(m.Memory().Raw(last), 44u);
    ASSERT_TRUE(session.History()->UndoStep());
    EXPECT_EQ(m.Memory().Raw(last), 22u) << bits;
    EXPECT_EQ(m.Memory().Raw(0), 33u) << bits;
    ASSERT_TRUE(session.History()->UndoStep());
    EXPECT_EQ(m.Memory().Raw(0), 11u) << bits;
    EXPECT_FALSE(session.History()->UndoStep());
  }
}

namespace {

// A second recorder that takes no whole instructions: beside it the
// history hears of every cycle one by one, as it would without them.
class TCycleByCycle final : public ICycleRecorder {
 public:
  void BeginCycle() override {}
  void EndCycle(const EDorumError* /*error*/) override {}
  [[nodiscard]] bool NeedsCycleEnds() const override { return false; }
};

struct TRecordedRun {
  TRecordedRun(const TLines& program, const std::string& list, bool cycleByCycle,
               std::uint64_t slice, std::uint64_t limit = 0) {
    if (!list.empty()) LoadInstructionList(ExamplePath(list), machine_, control_);
    document_.SetTexts(program);
    CompileProgram(session_.Assembler(), control_, document_);
    session_.RecordHistory(true);
    if (cycleByCycle) cycleByCycleRecording_ = control_.RecordCycles(cycleByCycle_);
    control_.SetTrackingLevel(0);
    if (limit > 0) control_.LimitCycles(limit);
    control_.StartProgram(-1);
    // Small slices end batches of whole instructions in odd places.
    while (control_.Running())
      (void)MessageOf([&] { (void)control_.RunSlice(TSliceBudget{slice, {}}); });
  }
  [[nodiscard]] std::string State() const { return StateText(machine_, control_, &document_); }

  TSession session_{true};
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TRunHistory& history_ = *session_.History();
  TCycleByCycle cycleByCycle_;
  TController::TRecording cycleByCycleRecording_;
  TProgramDocument document_;
};

TLines ExampleText(const std::string& name) {
  return ReadTextFile(ExamplePath(name));
}

void ExpectSameHistories(TRecordedRun& whole, TRecordedRun& byCycle) {
  ASSERT_GT(whole.control_.InstructionsRunWhole(), 0u);
  ASSERT_EQ(byCycle.control_.InstructionsRunWhole(), 0u);
  ASSERT_EQ(whole.history_.UndoableSteps(), byCycle.history_.UndoableSteps());
  ASSERT_EQ(whole.history_.UndoableInstructions(), byCycle.history_.UndoableInstructions());
  ASSERT_EQ(whole.State(), byCycle.State());
}

}  // namespace

TEST(History, WholeInstructionsAreRecordedAsTheCyclesTheyAre) {
  const std::pair<std::string, std::string> programs[] = {
      {"dorum/mnozenie.prg", std::string()},
      {"dorum-plus/tablica.prg", "dorum-plus/dorum-plus.lst"},
      {"pelt/podprogram.prg", "pelt/pelt.lst"},
  };
  for (const auto& [program, list] : programs) {
    SCOPED_TRACE(program);
    TRecordedRun whole(ExampleText(program), list, false, 23);
    TRecordedRun byCycle(ExampleText(program), list, true, 23);
    ExpectSameHistories(whole, byCycle);
    // Back through the run, by instructions and then by cycles: every
    // state on the way, the program's current line among it, is the same.
    int n = 0;
    while (whole.history_.UndoableSteps() > 0) {
      const bool byInstruction = n++ % 3 == 0;
      const bool undone =
          byInstruction ? whole.history_.UndoInstruction() : whole.history_.UndoStep();
      ASSERT_EQ(byInstruction ? byCycle.history_.UndoInstruction() : byCycle.history_.UndoStep(),
                undone);
      ASSERT_EQ(whole.State(), byCycle.State()) << "step " << n;
      ASSERT_EQ(whole.history_.UndoableSteps(), byCycle.history_.UndoableSteps());
    }
  }
}

TEST(History, LongBatchesOfWholeInstructionsCrossSegments) {
  // Batches longer than the recorder's buffer, and runs past a segment's
  // end, in slices of every size.
  const TLines loop{"start: DOD x", "SOB start", "x: RST 1"};
  for (const std::uint64_t slice : {std::uint64_t{997}, ~std::uint64_t{0}}) {
    TRecordedRun whole(loop, std::string(), false, slice, 80'000);
    TRecordedRun byCycle(loop, std::string(), true, slice, 80'000);
    ExpectSameHistories(whole, byCycle);
    for (int n = 0; n < 40; ++n) {
      ASSERT_EQ(whole.history_.UndoSteps(1999), byCycle.history_.UndoSteps(1999));
      ASSERT_EQ(whole.State(), byCycle.State()) << "back " << n;
      ASSERT_TRUE(whole.history_.UndoInstruction());
      ASSERT_TRUE(byCycle.history_.UndoInstruction());
      ASSERT_EQ(whole.State(), byCycle.State()) << "back " << n;
    }
  }
}

namespace {

// The loop above, assembled and bound, its history recording.
struct TBoundLoop {
  TBoundLoop() {
    document_.SetTexts({"start: DOD x", "SOB start", "x: RST 1"});
    CompileProgram(session_.Assembler(), control_, document_);
  }
  [[nodiscard]] std::string State() const { return StateText(machine_, control_, &document_); }

  TSession session_{true};
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TProgramDocument document_;
  TRunHistory& history_ = *session_.History();
};

}  // namespace

TEST(History, TheLineShownBeforeABatchOfWholeInstructionsIsPutBack) {
  // "Takt" leaves the current line on «dod» while L moves on to «sob»; a
  // batch of just «sob» brings L back to the line shown. Stepping back to
  // the batch's start must show «dod»'s line again, not the line of L.
  TBoundLoop run;
  for (int k = 0; k < 3; ++k) run.control_.ExecuteCycle();
  ASSERT_EQ(run.document_.CurrentLine(), 1);
  ASSERT_EQ(run.machine_.Register(TRegisterId::L).Value(), 1);
  const std::string beforeBatch = run.State();
  run.control_.SetTrackingLevel(0);
  run.control_.StartProgram(-1);
  ASSERT_EQ(run.control_.RunSlice(TSliceBudget{2, {}}), TSliceEnd::Budget);
  ASSERT_EQ(run.control_.InstructionsRunWhole(), 1u);
  ASSERT_EQ(run.machine_.Register(TRegisterId::L).Value(), 0);
  run.control_.StopRun();
  ASSERT_EQ(run.history_.UndoSteps(2), 2u);
  EXPECT_EQ(run.State(), beforeBatch);
}

TEST(History, ALineNotedAtAFetchSteppedBackToIsNotedOnceWhenRecordedAgain) {
  // Every «sob» fetch under "Takt" notes the line (it stays on «dod»). Back
  // to such a fetch and forward again, then back past it: each state is the
  // one the cycles passed through.
  TBoundLoop run;
  std::vector<std::string> states{run.State()};
  for (int k = 0; k < 10; ++k) {
    run.control_.ExecuteCycle();
    states.push_back(run.State());
  }
  ASSERT_TRUE(run.history_.UndoInstruction());  // back to the «sob» begun at cycle 8
  ASSERT_EQ(run.control_.CyclesPerformed(), 8u);
  ASSERT_EQ(run.State(), states[8]);
  states.resize(9);
  for (int k = 8; k < 20; ++k) {
    run.control_.ExecuteCycle();
    states.push_back(run.State());
  }
  for (int k = 19; k >= 0; --k) {
    ASSERT_TRUE(run.history_.UndoStep());
    ASSERT_EQ(run.State(), states[static_cast<std::size_t>(k)]) << "back at cycle " << k;
  }
}

TEST(History, StepsBackThroughAWholeSegmentGiveItsMemoryBackAndAnInstructionGoesOnBeyond) {
  // «dod» whole, then a value typed (a user action ends the segment), then
  // two cycles of «sob» in a segment of their own.
  TBoundLoop run;
  const std::string atStart = run.State();
  for (int k = 0; k < 3; ++k) run.control_.ExecuteCycle();
  run.machine_.EnterRegisterValue(TRegisterId::AK, "5");
  const std::string typed = run.State();
  const std::size_t bytesBefore = run.history_.BytesUsed();
  for (int k = 0; k < 2; ++k) run.control_.ExecuteCycle();
  ASSERT_GT(run.history_.BytesUsed(), bytesBefore);

  ASSERT_EQ(run.history_.UndoSteps(2), 2u);
  EXPECT_EQ(run.State(), typed);
  EXPECT_EQ(run.history_.BytesUsed(), bytesBefore);
  // Back past the typed value to the fetch of «dod».
  ASSERT_TRUE(run.history_.UndoInstruction());
  EXPECT_EQ(run.State(), atStart);
  EXPECT_EQ(run.history_.UndoableSteps(), 0u);
}

// A character typed while the program waits for it ends the wait: undoing
// the typing waits again with the field as it was, and typing once more
// delivers it the same way.
TEST(History, TypingThatEndsAWaitForInputIsUndoneWithTheWait) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  LoadInstructionList(ExamplePath("ombra/ombra.lst"), m, control);
  const int wpr = control.Instructions().IndexOf("wpr");
  ASSERT_GE(wpr, 0);
  m.Memory().Store(0, (wpr << m.AddressBits()) | m.IOPorts().InputPort);
  m.ResetMachine();
  for (int n = 0; n < 20 && !control.WaitingForInput(); ++n) control.ExecuteCycle();
  ASSERT_TRUE(control.WaitingForInput());
  const std::string waiting = StateText(m, control, nullptr);
  const std::uint64_t steps = history.UndoableSteps();

  m.TypeInput("a");
  EXPECT_FALSE(control.WaitingForInput());
  EXPECT_EQ(m.Register(TRegisterId::RB).Value(), 'a');
  EXPECT_EQ(m.Register(TRegisterId::G).Value(), 1);
  const std::string delivered = StateText(m, control, nullptr);
  EXPECT_EQ(history.UndoableSteps(), steps + 1);

  ASSERT_TRUE(history.UndoStep());
  EXPECT_TRUE(control.WaitingForInput());
  EXPECT_EQ(StateText(m, control, nullptr), waiting);
  m.TypeInput("a");
  EXPECT_EQ(StateText(m, control, nullptr), delivered);
}

// Stepping back over the cycle in which the input ran out forgets that it
// ran out, so that a character typed then lets the program go on.
TEST(History, SteppingBackOverTheInputRunningOutForgetsIt) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  LoadInstructionList(ExamplePath("ombra/ombra.lst"), m, control);
  const int wpr = control.Instructions().IndexOf("wpr");
  ASSERT_GE(wpr, 0);
  m.Memory().Store(0, (wpr << m.AddressBits()) | m.IOPorts().InputPort);
  m.ResetMachine();
  control.SetStopWhenInputRunsOut(true);
  (void)control.ExecuteProgram(-1);
  ASSERT_TRUE(control.InputRanOut());

  ASSERT_TRUE(history.UndoStep());
  EXPECT_FALSE(control.InputRanOut());
  m.TypeInput("a");
  control.ExecuteInstruction();
  EXPECT_FALSE(control.InputRanOut());
  EXPECT_EQ(m.Register(TRegisterId::L).Value(), 1);
}

// With a small budget the oldest entries go; the count of steps says how
// many can still be undone, one by one, and each goes to the value before.
TEST(History, TheBudgetDropsTheOldestEntriesAndCountsWhatIsLeft) {
  TSession session;
  TMachine& m = session.Machine();
  session.RecordHistory(true, std::size_t{4} << 10);
  TRunHistory& history = *session.History();
  constexpr int kEntries = 2000;
  for (int n = 1; n <= kEntries; ++n)
    m.EnterRegisterValue(TRegisterId::AK, std::to_string(n % 200));
  EXPECT_LE(history.BytesUsed(), history.Budget());
  const std::uint64_t steps = history.UndoableSteps();
  ASSERT_GT(steps, 0u);
  ASSERT_LT(steps, static_cast<std::uint64_t>(kEntries));  // the oldest were dropped
  for (std::uint64_t k = 1; k <= steps; ++k) {
    ASSERT_TRUE(history.UndoStep()) << k;
    EXPECT_EQ(m.Register(TRegisterId::AK).Value(), static_cast<int>((kEntries - k) % 200)) << k;
    EXPECT_EQ(history.UndoableSteps(), steps - k);
  }
  EXPECT_FALSE(history.UndoStep());
}

// A step that alone outweighs the budget (a segment of the largest memory
// under a small budget) stays all the same: the last thing done can always
// be undone, and only the steps before it make room.
TEST(History, TheNewestStepStaysWhenItAloneOutgrowsTheBudget) {
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  m.SetAddressBits(16);
  session.RecordHistory(true, std::size_t{16} << 10);
  TRunHistory& history = *session.History();
  m.EnterRegisterValue(TRegisterId::AK, "7");
  ASSERT_EQ(history.UndoableSteps(), 1u);
  const std::string before = StateText(m, control, nullptr);
  control.ExecuteCycle();
  EXPECT_GT(history.BytesUsed(), history.Budget());
  EXPECT_EQ(history.UndoableSteps(), 1u);  // the entry made room for the cycle
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(StateText(m, control, nullptr), before);
  EXPECT_FALSE(history.UndoStep());
}

// A stop at a cycle breakpoint disarms it for the cycle that follows; a step
// back to that moment keeps it disarmed, one further back arms it again, and
// the breakpoints themselves are no part of the history.
TEST(History, SteppingBackOverABreakpointStopPutsBackWhetherItIsArmed) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(5, 4);
  const auto state = [&] {
    return StateText(m, control, nullptr) + " shown=" + std::to_string(control.ShownInstruction()) +
           ',' + std::to_string(control.ShownCycleLine()) +
           " armed=" + std::to_string(control.BreakpointsArmed());
  };
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);  // the fetch
  const std::string afterFetch = state();
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  control.ToggleCycleBreakpoint(1, 2);
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);
  ASSERT_FALSE(control.BreakpointsArmed());
  const std::string stopped = state();
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  ASSERT_EQ(m.Register(TRegisterId::AK).Value(), 4);
  const std::string performed = state();

  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(state(), stopped);
  EXPECT_FALSE(control.BreakpointsArmed());
  EXPECT_EQ(control.CurrentCycle(), 2);
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 0);
  EXPECT_TRUE(control.Instructions().At(1).Cycle(2).Breakpoint);
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  EXPECT_EQ(state(), performed);

  // The refused stop goes back with the cycle before it.
  ASSERT_EQ(history.UndoSteps(2), 2u);
  EXPECT_EQ(state(), afterFetch);
  EXPECT_TRUE(control.BreakpointsArmed());
  EXPECT_TRUE(control.Instructions().At(1).Cycle(2).Breakpoint);
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);
  EXPECT_EQ(state(), stopped);
}

// Whatever the user does between cycles goes back one action at a time,
// each restoring exactly what it changed and keeping the rest: the value,
// the flags that follow the accumulator, the display modes, the memory
// cell and the console's fields.
TEST(History, EachKindOfUserActionIsUndoneExactlyAndDoneAgainTheSame) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  const auto state = [&] {
    return StateText(m, control, nullptr) + " shown=" + std::to_string(control.ShownInstruction()) +
           ',' + std::to_string(control.ShownCycleLine());
  };
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(5, 7);
  control.ExecuteCycle();
  control.ExecuteCycle();
  // Output a program wrote, for the clearing to take away.
  m.Console().PutOutputChar('h');
  m.Console().PutOutputChar('i');
  const std::vector<std::function<void()>> actions = {
      [&] { m.EnterRegisterValue(TRegisterId::AK, "-1"); },
      [&] { m.EnterRegisterValue(TRegisterId::AK, "0"); },
      [&] { m.EnterRegisterValue(TRegisterId::A, "31"); },
      [&] { m.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmSigned); },
      [&] { m.SetDisplayMode(TRegisterId::S, TDisplayMode::dmBinary); },
      [&] { m.SetDisplayMode(TRegisterId::L, TDisplayMode::dmHexadecimal); },
      [&] { m.EnterMemoryValue(31, "511"); },
      [&] { m.EnterMemoryValue(0, "3"); },
      [&] { m.ZeroRegister(TRegisterId::I); },
      [&] { m.TypeInput("ab"); },
      [&] { m.SetConsoleInput("xyz"); },
      [&] { m.ClearConsoleOutput(); },
      [&] { m.SetConsoleInput(""); },
      [&] { m.EnterRegisterValue(TRegisterId::AK, "64"); },
  };
  std::vector<std::string> states{state()};
  for (const auto& action : actions) {
    const std::uint64_t steps = history.UndoableSteps();
    action();
    ASSERT_EQ(history.UndoableSteps(), steps + 1);
    states.push_back(state());
    ASSERT_NE(states.back(), states[states.size() - 2]);
  }
  for (std::size_t n = actions.size(); n-- > 0;) {
    ASSERT_TRUE(history.UndoStep());
    EXPECT_EQ(state(), states[n]) << "undoing action " << n;
  }
  for (std::size_t n = 0; n < actions.size(); ++n) {
    actions[n]();
    EXPECT_EQ(state(), states[n + 1]) << "doing action " << n << " again";
  }
}

// A stop asked for outside a run waits for the next cycle; a cycle under
// manual control leaves it waiting. Stepping back over that cycle brings the
// request back even when it was taken back since, and the next cycle then
// reports it.
TEST(History, SteppingBackOverAManualCycleBringsBackAPendingStop) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  control.SetManualControl(true);
  control.ToggleSignal(TMachine::FindSignalExact("wyak"));
  control.RequestStop();
  ASSERT_EQ(control.ExecuteCycle(), TSliceEnd::Finished);
  ASSERT_TRUE(control.StopRequested());
  control.WithdrawStopRequest();
  ASSERT_FALSE(control.StopRequested());

  ASSERT_TRUE(history.UndoStep());
  EXPECT_TRUE(control.StopRequested());
  EXPECT_TRUE(m.SignalActive(TMachine::FindSignalExact("wyak")));
  control.SetManualControl(false);
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);
  EXPECT_FALSE(control.StopRequested());
}

// Stepping back performs recorded cycles again: a breakpoint set on one of
// them since does not stop that, and it stays set.
TEST(History, ABreakpointSetAfterTheCyclesRanDoesNotStopSteppingBack) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(5, 4);
  control.ExecuteCycle();
  control.ExecuteCycle();
  const std::string afterTwo = StateText(m, control, nullptr);
  control.ExecuteCycle();
  control.ToggleCycleBreakpoint(1, 1);
  control.ToggleCycleBreakpoint(1, 2);
  ASSERT_TRUE(history.UndoStep());
  EXPECT_EQ(StateText(m, control, nullptr), afterTwo);
  EXPECT_TRUE(control.Instructions().At(1).Cycle(1).Breakpoint);
  EXPECT_TRUE(control.Instructions().At(1).Cycle(2).Breakpoint);
  EXPECT_EQ(control.ExecuteCycle(), TSliceEnd::Breakpoint);
}

// The instruction stepped back is the last one begun, even when its fetch
// is the second cycle of a run of cycles: the cycle before it stays.
TEST(History, AnInstructionBegunInTheSecondCycleOfARunGoesBackAloneToItsFetch) {
  TSession session(true);
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TRunHistory& history = *session.History();
  m.Memory().Store(0, 1 * 32 + 5);  // dod 5
  m.Memory().Store(1, 1 * 32 + 5);  // dod 5
  m.Memory().Store(5, 4);
  control.ExecuteCycle();  // the fetch of the first
  control.ExecuteCycle();
  m.EnterMemoryValue(20, "3");  // ends the run of cycles
  control.ExecuteCycle();       // the last cycle of the first
  ASSERT_TRUE(control.AtFetch());
  const std::string firstDone = StateText(m, control, nullptr);
  control.ExecuteCycle();  // the fetch of the second
  control.ExecuteCycle();
  ASSERT_TRUE(history.UndoInstruction());
  EXPECT_EQ(StateText(m, control, nullptr), firstDone);
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 4);
}
