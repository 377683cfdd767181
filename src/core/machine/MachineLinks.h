#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "common/Strings.h"

namespace dorum {

enum class TRegisterId : std::uint8_t { AK, I, L, A, S, WS, X, Y, RZ, RM, RP, AP, RB, G, F };
inline constexpr int kRegisterCount = 15;

enum class TBusId : std::uint8_t { S, A, AS };
inline constexpr int kBusCount = 3;

// What changed in the machine since a view last collected its changes
// (TMachine::TakeChanges). Runs record changes as plain bits, so a view
// repaints at its own pace and a headless run pays nothing for it.
struct TMachineChanges {
  std::uint32_t Registers = 0;  // bit 1 << TRegisterId: value, written mark or display mode
  std::uint32_t Buses = 0;      // bit 1 << TBusId: driven or released
  std::uint64_t Signals = 0;    // switched on or off
  // Memory words read or written, by the machine or the user: none while
  // FirstCell > LastCell.
  int FirstCell = std::numeric_limits<int>::max();
  int LastCell = -1;
  // The word of the last read or write by a signal or an entered value, so
  // that a memory view can bring it into sight; -1 when none.
  int AccessedCell = -1;
  bool Alu = false;            // input or result latched or released
  bool Words = false;          // words changed without an access (a program stored)
  bool Configuration = false;  // widths, memory size or components shown
  bool Reset = false;
  // The instruction list changed: words and I read with other names.
  bool Instructions = false;
  // The control unit's modes changed (manual control, the tracking level).
  bool Control = false;
  // The bound program's current line moved.
  bool Line = false;
  // The control unit wishes the bound program's editor brought forward: a
  // breakpoint of the program or the target of "Do kursora" was reached.
  bool Focus = false;

  [[nodiscard]] bool AnyCells() const noexcept { return FirstCell <= LastCell; }
  [[nodiscard]] bool Any() const noexcept {
    return Registers != 0 || Buses != 0 || Signals != 0 || AnyCells() || Alu || Words ||
           Configuration || Reset || Instructions || Control || Line || Focus;
  }
  void TouchCell(int cell) noexcept {
    if (cell < FirstCell) FirstCell = cell;
    if (cell > LastCell) LastCell = cell;
  }
  void Access(int cell) noexcept {
    TouchCell(cell);
    AccessedCell = cell;
  }
};

// A view of the machine (the machine window, the watches). During runs the
// machine never calls it; it is told only when a user's action between
// runs changed something (an edit, a new configuration, a reset, a stored
// program), so that it can collect the changes at once.
class IMachineObserver {
 public:
  virtual ~IMachineObserver() = default;
  virtual void MachineChanged() = 0;
};

// Whoever keeps the history of a run learns of every user action on the
// machine between cycles (an entered value, a switched signal, a typed
// character, an interrupt button), so that it can be undone in turn.
class IStepRecorder {
 public:
  virtual ~IStepRecorder() = default;
  // Before anything changes; `cell` is a memory word the action writes.
  virtual void BeginUserAction(int cell) = 0;
  virtual void EndUserAction() = 0;
  // A reset, a new configuration or a program stored: the steps before can
  // no longer be undone.
  virtual void StartAfresh() = 0;
};

// What the machine needs of the control unit: the waiting-for-input flag it
// keeps, the end of a program, the reset of its sequencing, and the names of
// the instructions for showing words as instructions.
class IControlLink {
 public:
  virtual ~IControlLink() = default;
  [[nodiscard]] virtual bool WaitingForInput() const = 0;
  virtual void SetWaitingForInput(bool waiting) = 0;
  virtual void ProgramFinished() = 0;
  virtual void ResetControl() = 0;
  [[nodiscard]] virtual int InstructionCount() const = 0;
  [[nodiscard]] virtual std::string InstructionName(int code) const = 0;
};

// The link of a machine that runs without a control unit (signals switched
// by hand or by a script): it keeps the flag and knows no instructions.
class TStandaloneControl final : public IControlLink {
 public:
  [[nodiscard]] bool WaitingForInput() const override { return waiting_; }
  void SetWaitingForInput(bool waiting) override { waiting_ = waiting; }
  void ProgramFinished() override {}
  void ResetControl() override {}
  [[nodiscard]] int InstructionCount() const override { return 0; }
  [[nodiscard]] std::string InstructionName(int /*code*/) const override { return {}; }

 private:
  bool waiting_ = false;
};

}  // namespace dorum
