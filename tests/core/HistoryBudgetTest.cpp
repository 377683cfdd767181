// The run history keeps its memory budget: on every preset and in every way
// a run reaches it, its own count of bytes stays within the budget, the heap
// grows no further than that, and after the oldest steps were dropped,
// stepping back still gives exactly the states the run passed through.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "MachineTestSupport.h"
#include "StateText.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/ListFile.h"
#include "machine/MachineConfig.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DORUM_HEAP_HIDDEN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DORUM_HEAP_HIDDEN 1
#endif

// The bytes the heap has handed out; none where the allocator does not say
// (a sanitizer's allocator keeps its own books).
std::optional<std::size_t> HeapInUse() {
#if defined(__GLIBC__) && !defined(DORUM_HEAP_HIDDEN)
  return mallinfo2().uordblks;
#else
  return std::nullopt;
#endif
}

// What the heap may hold beyond the history's own count: the control unit's
// plans made during the run, the deque's map, the allocator's rounding, and
// the freed blocks its per-thread cache keeps, which it counts as in use and
// whose number depends on what the test program allocated before (merely
// registering more tests moved it by some hundred bytes). A history that
// leaves its growth uncounted outgrows the budget many times over.
constexpr std::size_t kHeapSlack = std::size_t{32} << 10;

struct TPresetCase {
  const char* Preset;
  const char* List;  // empty: the built-in instructions
  const char* TestName;
};

constexpr TPresetCase kPresets[] = {
    {"Dorum", "", "Dorum"},
    {"Dorum+", "dorum-plus/dorum-plus.lst", "DorumPlus"},
    {"Pelt", "pelt/pelt.lst", "Pelt"},
    {"Ombra", "ombra/ombra.lst", "Ombra"},
};

// The ways a run reaches the history: "Takt" (every cycle told, the current
// line left where it was), "Rozkaz", and "Program" taking whole instructions
// at tracking levels 0 and 1, and with a stop condition armed that the loop
// never makes hold.
enum class TRunMode { Cycles, Instructions, ProgramLevel0, ProgramLevel1, ProgramWatched };

struct TModeCase {
  TRunMode Mode;
  const char* Name;
};

constexpr TModeCase kModes[] = {
    {TRunMode::Cycles, "Takt"},
    {TRunMode::Instructions, "Rozkaz"},
    {TRunMode::ProgramLevel0, "Program at level 0"},
    {TRunMode::ProgramLevel1, "Program at level 1"},
    {TRunMode::ProgramWatched, "Program with changed(x)"},
};

const TLines kEndlessLoop{"start: DOD x", "SOB start", "x: RST 1"};

// Where the run stood after a piece: the cycle and a digest of the state.
struct TCheckpoint {
  std::uint64_t Cycle = 0;
  std::size_t State = 0;
};

class TBudgetRun {
 public:
  TBudgetRun(const TPresetCase& preset, TRunMode mode, std::size_t budget) : mode_(mode) {
    const std::string list = preset.List;
    if (!list.empty()) LoadInstructionList(ExamplePath(list), machine_, control_);
    document_.SetTexts(kEndlessLoop);
    CompileProgram(session_.Assembler(), control_, document_);
    control_.SetTrackingLevel(mode == TRunMode::ProgramLevel1  ? 1
                              : mode == TRunMode::Cycles       ? 2
                              : mode == TRunMode::Instructions ? 2
                                                               : 0);
    if (mode == TRunMode::ProgramWatched) session_.AddStopCondition("changed(x)");
    session_.RecordHistory(true, budget);
    history_ = session_.History();
  }

  [[nodiscard]] std::string Preset() const { return PresetName(machine_.GetComponents()); }
  [[nodiscard]] TRunHistory& History() const { return *history_; }
  [[nodiscard]] std::uint64_t Cycle() const { return control_.CyclesPerformed(); }
  [[nodiscard]] std::size_t State() const {
    return std::hash<std::string>{}(StateText(machine_, control_, &document_));
  }

  // Pieces of at least `piece` cycles for as long as `afterPiece` says so.
  void Run(std::uint64_t piece, const std::function<bool()>& afterPiece) {
    const bool program = mode_ != TRunMode::Cycles && mode_ != TRunMode::Instructions;
    if (program) control_.StartProgram(-1);
    for (bool more = true; more;) {
      const std::uint64_t pieceEnd = Cycle() + piece;
      if (program) {
        ASSERT_EQ(control_.RunSlice(TSliceBudget{piece, {}}), TSliceEnd::Budget);
      } else if (mode_ == TRunMode::Cycles) {
        while (Cycle() < pieceEnd) control_.ExecuteCycle();
      } else {
        while (Cycle() < pieceEnd) control_.ExecuteInstruction();
      }
      more = afterPiece();
    }
    if (program) control_.StopRun();
  }

 private:
  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TProgramDocument document_;
  TRunMode mode_;
  TRunHistory* history_ = nullptr;
};

// Runs the loop until the history has dropped its oldest steps and then
// recorded as many cycles again as it holds, holding it to its budget after
// every piece; then steps back to every checkpoint still recorded, newest
// first.
void ExpectBudgetKept(const TPresetCase& preset, const TModeCase& mode, std::size_t budget) {
  SCOPED_TRACE(std::string(preset.Preset) + ", " + mode.Name);
  TBudgetRun run(preset, mode.Mode, budget);
  ASSERT_EQ(run.Preset(), preset.Preset);
  TRunHistory& history = run.History();
  std::vector<TCheckpoint> checkpoints;
  checkpoints.reserve(1000);
  checkpoints.push_back({run.Cycle(), run.State()});
  const std::optional<std::size_t> heapBefore = HeapInUse();
  std::size_t heapGrowth = 0;
  std::optional<std::uint64_t> firstDrop;
  run.Run(997, [&] {
    EXPECT_LE(history.BytesUsed(), history.Budget()) << "at cycle " << run.Cycle();
    if (heapBefore) heapGrowth = std::max(heapGrowth, *HeapInUse() - *heapBefore);
    checkpoints.push_back({run.Cycle(), run.State()});
    if (!firstDrop && history.UndoableCycles() < run.Cycle()) firstDrop = run.Cycle();
    return checkpoints.size() < checkpoints.capacity() &&
           (!firstDrop || run.Cycle() - *firstDrop < history.UndoableCycles());
  });
  if (::testing::Test::HasFatalFailure()) return;
  // A run's end may move the current line.
  checkpoints.back() = {run.Cycle(), run.State()};
  if (heapBefore) {
    EXPECT_LE(heapGrowth, budget + kHeapSlack);
  }
  const std::uint64_t end = run.Cycle();
  ASSERT_TRUE(firstDrop) << "nothing was dropped";
  ASSERT_GT(history.UndoableCycles(), 0u);
  ASSERT_EQ(history.UndoableSteps(), history.UndoableCycles());
  const std::uint64_t oldest = end - history.UndoableCycles();
  int visited = 0;
  for (auto point = checkpoints.rbegin(); point != checkpoints.rend(); ++point) {
    if (point->Cycle < oldest) break;
    // Stepping back moves run.Cycle(): the distance is taken before.
    const std::uint64_t back = run.Cycle() - point->Cycle;
    ASSERT_EQ(history.UndoSteps(back), back);
    ASSERT_EQ(run.State(), point->State) << "back at cycle " << point->Cycle;
    ++visited;
  }
  EXPECT_GE(visited, 2);
  const std::uint64_t rest = run.Cycle() - oldest;
  EXPECT_EQ(history.UndoSteps(~std::uint64_t{0}), rest);
  EXPECT_EQ(run.Cycle(), oldest);
  EXPECT_FALSE(history.UndoStep());
}

}  // namespace

// One test per preset, so that they run side by side.
class HistoryBudget : public ::testing::TestWithParam<TPresetCase> {};

TEST_P(HistoryBudget, EveryRunModeKeepsTheBudget) {
  // A small budget fills many times over in a short run; the default one
  // would take hundreds of millions of cycles. It holds a few segments.
  constexpr std::size_t kBudget = std::size_t{32} << 10;
  for (const TModeCase& mode : kModes) ExpectBudgetKept(GetParam(), mode, kBudget);
}

INSTANTIATE_TEST_SUITE_P(Presets, HistoryBudget, ::testing::ValuesIn(kPresets),
                         [](const ::testing::TestParamInfo<TPresetCase>& info) {
                           return std::string(info.param.TestName);
                         });
