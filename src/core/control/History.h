#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "control/Vcd.h"
#include "machine/Machine.h"

namespace dorum {

// One recorded clock cycle as a timing diagram shows it.
struct TRecordedCycle {
  std::uint64_t Number = 0;  // from 1, the first cycle of the history
  TCycleSample Sample;
  bool BeginsInstruction = false;  // a fetch
  std::string Instruction;         // the instruction the fetch brought into I
  int Line = -1;                   // its line in the bound program, if known
};

// The history of a run, for stepping back. Every clock cycle and every user
// action between cycles (an entered value, a switched signal, a typed
// character, an interrupt button) is a step. Stepping back restores exactly
// the state before the step: registers with their marks, buses, the
// arithmetic unit, memory words, the signals shown, the control unit's place
// in the microprogram, the interrupt registers, the console and the current
// line of the bound program.
//
// Cycles cost almost nothing to record: consecutive cycles form a segment
// that keeps the state before its first cycle, and a cycle is stepped back
// by restoring that state and performing the segment's cycles again, which
// gives exactly the same states, since nothing from outside entered between
// them (anything that does ends the segment). A user action keeps what it
// changed. A cycle refused by a rule after it had done part of its work is
// undone together with the step before it, so it is no step of its own.
// When the memory budget is spent the oldest steps are dropped first.
class TRunHistory final : public IStepRecorder, public ICycleRecorder {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;

  TRunHistory(TMachine& machine, TController& control, std::size_t budget = kDefaultBudget);
  ~TRunHistory() override;
  TRunHistory(const TRunHistory&) = delete;
  TRunHistory& operator=(const TRunHistory&) = delete;

  // A new history: after assembling a program, loading a list, changing the
  // configuration or the instructions, or a reset.
  void Clear() noexcept;

  // Steps that can be undone (cycles and user actions), the clock cycles
  // among them, and the instructions begun.
  [[nodiscard]] std::uint64_t UndoableSteps() const noexcept { return steps_; }
  [[nodiscard]] std::uint64_t UndoableCycles() const noexcept { return cycles_; }
  [[nodiscard]] std::uint64_t UndoableInstructions() const noexcept { return instructions_; }
  [[nodiscard]] std::size_t BytesUsed() const noexcept { return bytes_; }
  [[nodiscard]] std::size_t Budget() const noexcept { return budget_; }

  // "Cofnij takt": undoes the last step; false when there is none.
  bool UndoStep() { return UndoSteps(1) == 1; }
  // Undoes the last `count` steps (fewer when there are fewer); how many.
  std::uint64_t UndoSteps(std::uint64_t count);
  // "Cofnij rozkaz": undoes steps back to the start of the last instruction
  // begun; false when there is none.
  bool UndoInstruction();

  // The most cycles one look back returns.
  static constexpr std::size_t kMaxLookBack = 2000;
  // The last `count` recorded cycles (at most kMaxLookBack), oldest first,
  // as they were performed: the segments that hold them are performed
  // again, and the machine, the control unit, the history and the record
  // of changes are left exactly as they were. Nothing is spent on it while
  // a run goes on; a look costs at most one segment's cycles. `before`, if
  // given, receives the state before the first of them.
  [[nodiscard]] std::vector<TRecordedCycle> LookBack(std::size_t count,
                                                     TCycleSample* before = nullptr);
  // How many steps back lead to the end of the cycle of that number (the
  // user's actions after it undone too); none when it is not recorded.
  [[nodiscard]] std::optional<std::uint64_t> StepsBackTo(std::uint64_t number) const;
  // Cycles are numbered from the machine's last reset, as a run's trace
  // numbers them from 1, whatever else began a new history since: cycle n
  // is the control unit's cycle Origin() + n.
  [[nodiscard]] std::uint64_t Origin() const noexcept { return control_.CyclesAtReset(); }

  // ICycleRecorder: the control unit's clock cycles.
  void BeginCycle() override;
  // Only a cycle that ends in an error changes what BeginCycle recorded.
  void EndCycle(const EDorumError* error) override;
  [[nodiscard]] bool NeedsCycleEnds() const override { return false; }
  [[nodiscard]] bool TakesWholeInstructions() const override { return true; }
  std::uint64_t BeginWholeInstructions() override;
  void WholeInstructions(std::span<const std::uint8_t> cycles) override;
  void ControlChanged() override;
  void InstructionsChanged() override { Clear(); }

  // IStepRecorder: the machine's user actions.
  void BeginUserAction(int cell) override;
  void EndUserAction() override;
  void StartAfresh() override;

 private:
  struct TSnapshot;
  struct TSegment;
  struct TItem;

  // User actions.
  void Capture(TSnapshot& snapshot, int cell) const;
  void Commit(const TSnapshot& before);
  void Restore(const std::uint8_t* record);

  // Segments of cycles.
  // Whether the open segment can take this many more cycles.
  [[nodiscard]] bool OpenSegmentTakes(std::uint64_t cycles) const noexcept;
  [[gnu::noinline, gnu::cold]] void OpenSegment();
  // A cycle refused by a rule: no step of its own.
  [[gnu::noinline]] void EndRefusedCycle(TSegment& segment);
  void RestoreSegmentStart(const TSegment& segment);
  // The state after the first `cycles` cycles of the segment.
  void ReplayTo(TSegment& segment, std::uint64_t cycles);
  void UndoLastItem();
  // Marks the cycle at `index` of the segment as begun at a fetch or not.
  static void MarkFetchStart(TSegment& segment, std::uint64_t index, bool atFetch) noexcept;
  // At a fetch: keeps the bound program's current line when it is not the
  // line of L, where stepping back would otherwise put it.
  void NoteLineAtFetch(TSegment& segment, std::uint64_t index);
  void NoteLine(TSegment& segment, std::uint64_t index, int line);
  // The open segment took more memory: counted, and held to its share.
  [[gnu::noinline, gnu::cold]] void SegmentGrew(TSegment& segment);
  // The segment's cycles from `first` on, performed again from its start.
  void SampleSegment(const TSegment& segment, std::uint64_t first, std::vector<TRecordedCycle>& out,
                     TCycleSample* before);
  [[nodiscard]] static std::uint64_t CountedCycles(const TSegment& segment) noexcept;
  [[nodiscard]] static bool StartedAtFetch(const TSegment& segment, std::uint64_t cycle);
  // The line of the address in L in the bound program, where a run puts
  // the current line at the end of each instruction.
  [[nodiscard]] int LineOfL() const;

  void Push(TItem item);
  void KeepBudget();
  void DropOldest();

  TMachine& machine_;
  TController& control_;
  TController::TRecording recording_;
  std::size_t budget_;
  std::unique_ptr<TSnapshot> before_;
  int userDepth_ = 0;
  bool counted_ = false;  // BeginCycle counted the cycle as a step
  bool restoring_ = false;
  std::deque<TItem> items_;
  TSegment* open_ = nullptr;  // the segment the next cycle joins, if any
  std::uint64_t cycleIndex_ = 0;
  bool cycleAtFetch_ = false;
  std::size_t bytes_ = 0;
  std::uint64_t steps_ = 0;
  std::uint64_t cycles_ = 0;
  std::uint64_t instructions_ = 0;
};

}  // namespace dorum
