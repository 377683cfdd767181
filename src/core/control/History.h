#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "control/ControlUnit.h"
#include "machine/Machine.h"

namespace dorum {

class TController;

// The history of a run, for stepping back: every clock cycle and every user
// action between cycles (an entered value, a switched signal, a typed
// character, an interrupt button) is a step, and a step remembers only what
// it changed, so a million cycles fit in a few tens of megabytes. Stepping
// back restores exactly the state before the step: registers with their
// marks, buses, the arithmetic unit, memory words, the signals shown, the
// control unit's place in the microprogram, the interrupt registers and the
// console. A cycle refused by a rule after it had done part of its work is
// undone together with the step before it, so that it is no step of its own.
// Older steps are dropped first when the memory budget is spent.
class TRunHistory final : public IStepRecorder, public ICycleRecorder {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;

  TRunHistory(TMachine& machine, TController& control, std::size_t budget = kDefaultBudget);
  ~TRunHistory() override;
  TRunHistory(const TRunHistory&) = delete;
  TRunHistory& operator=(const TRunHistory&) = delete;

  // A new history: after assembling a program, loading a list, changing the
  // configuration or a reset.
  void Clear() noexcept;

  // Steps that can be undone: clock cycles (and user actions), and whole
  // instructions (back to the start of the instruction before).
  [[nodiscard]] std::uint64_t UndoableCycles() const noexcept { return cycles_; }
  [[nodiscard]] std::uint64_t UndoableInstructions() const noexcept { return instructions_; }
  [[nodiscard]] std::uint64_t UndoableSteps() const noexcept { return steps_; }
  [[nodiscard]] std::size_t BytesUsed() const noexcept { return bytes_; }
  // What the history holds allocated, never more than the budget.
  [[nodiscard]] std::size_t BytesAllocated() const noexcept { return Capacity(); }
  [[nodiscard]] std::size_t Budget() const noexcept { return budget_; }

  // "Cofnij takt": undoes the last step; false when there is none.
  bool UndoStep();
  // "Cofnij rozkaz": undoes steps back to the start of the last instruction
  // begun; false when there is none.
  bool UndoInstruction();

  // ICycleRecorder: the control unit's clock cycles. The end of the program
  // is a cycle like any other; a refused one is no step of its own.
  void BeginCycle(const TCyclePlan* plan) override;
  void EndCycle(const EDorumError* error) override;

  // IStepRecorder: the machine's user actions.
  void BeginUserAction(int cell) override;
  void EndUserAction() override;
  void StartAfresh() override;

 private:
  struct TSnapshot;
  struct TChunk;

  void Capture(TSnapshot& snapshot, bool full, int cell) const;
  void Commit(const TSnapshot& before, bool userAction, bool attached);
  // Room for a record of at most `bound` bytes at the end of the newest chunk.
  [[nodiscard]] std::uint8_t* Reserve(std::size_t bound);
  [[nodiscard]] std::size_t Capacity() const noexcept;
  void DropOldest();
  void Count(std::uint32_t size, std::uint32_t flags, bool attached);
  // Undoes the newest record; returns its flags.
  std::uint32_t UndoRecord();
  void Restore(const std::uint8_t* record, std::size_t size);
  void TellViews();

  TMachine& machine_;
  TController& control_;
  std::size_t budget_;
  std::unique_ptr<TSnapshot> before_;
  int userDepth_ = 0;
  bool recordingCycle_ = false;
  bool restoring_ = false;
  std::deque<TChunk> chunks_;
  TChunk* newest_ = nullptr;  // chunks_.back(), where records are written
  std::unique_ptr<std::uint8_t[]> spare_;  // a chunk's memory kept for the next one
  std::size_t spareSize_ = 0;
  // The record of a planned cycle, written before the cycle runs.
  const TCyclePlan* planned_ = nullptr;
  std::uint8_t* plannedRecord_ = nullptr;
  std::size_t plannedSize_ = 0;
  TControlPlace plannedPlace_;
  std::size_t bytes_ = 0;
  std::uint64_t cycles_ = 0;
  std::uint64_t instructions_ = 0;
  std::uint64_t steps_ = 0;
};

}  // namespace dorum
