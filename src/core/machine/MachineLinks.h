#pragma once

#include <QString>
#include <cstdint>

namespace dorum {

enum class TRegisterId : std::uint8_t { AK, I, L, A, S, WS, X, Y, RZ, RM, RP, AP, RB, G, F };
inline constexpr int kRegisterCount = 15;

enum class TBusId : std::uint8_t { S, A, AS };
inline constexpr int kBusCount = 3;

// What a view of the machine (the machine window, the watches) learns. The
// machine calls these only while an observer is attached, so a headless run
// pays one pointer test per change.
class IMachineObserver {
 public:
  virtual ~IMachineObserver() = default;
  virtual void RegisterChanged(TRegisterId /*reg*/) {}
  virtual void BusChanged(TBusId /*bus*/) {}
  // A word was read or written (cell index, already wrapped to the size).
  virtual void MemoryAccessed(int /*cell*/) {}
  // Words changed without an access of the machine (user edits, loading).
  virtual void MemoryChanged() {}
  virtual void AluChanged() {}
  virtual void SignalChanged(int /*signal*/) {}
  // Every mark of the previous cycle was released.
  virtual void CycleCleared() {}
  // Widths, memory size or visibility changed.
  virtual void ConfigurationChanged() {}
  virtual void MachineReset() {}
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
  [[nodiscard]] virtual QString InstructionName(int code) const = 0;
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
  [[nodiscard]] QString InstructionName(int /*code*/) const override { return {}; }

 private:
  bool waiting_ = false;
};

}  // namespace dorum
