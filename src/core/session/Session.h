#pragma once

#include <memory>

#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/StopConditions.h"
#include "machine/Machine.h"
#include "program/Assembler.h"
#include "program/Watches.h"

namespace dorum {

// One simulated computer as the application starts it: the default machine
// with the eight built-in instructions compiled, its control unit, the
// watches, the assembler and, when asked for, the history of its runs. The
// members are declared in the order their references need: everything
// refers to the machine, the assembler to the control unit's list and the
// watches, the history to the machine and the control unit.
class TSession {
 public:
  // With `recordHistory` every cycle and user action can be stepped back.
  explicit TSession(bool recordHistory = false);
  ~TSession();
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  [[nodiscard]] TMachine& Machine() noexcept { return machine_; }
  [[nodiscard]] const TMachine& Machine() const noexcept { return machine_; }
  [[nodiscard]] TController& Control() noexcept { return control_; }
  [[nodiscard]] const TController& Control() const noexcept { return control_; }
  [[nodiscard]] TWatchList& Watches() noexcept { return watches_; }
  [[nodiscard]] TProgram& Assembler() noexcept { return assembler_; }

  // The stop conditions every run of the control unit checks.
  [[nodiscard]] TStopConditions& StopConditions() noexcept { return stopConditions_; }
  [[nodiscard]] const TStopConditions& StopConditions() const noexcept { return stopConditions_; }
  // Adds a condition whose names are the machine's registers and the labels
  // of the program assembled last; raises what is wrong with a bad one.
  void AddStopCondition(const QString& text) { stopConditions_.Add(text, machine_, &watches_); }
  // After an assembly (new labels) or a change of the configuration: the
  // conditions look their names up again.
  void RecompileStopConditions() { stopConditions_.Recompile(machine_, &watches_); }

  // Starts or ends recording; a new recording starts empty and keeps at
  // most `budget` bytes.
  void RecordHistory(bool on, std::size_t budget = TRunHistory::kDefaultBudget);
  // The history being recorded, or null.
  [[nodiscard]] TRunHistory* History() noexcept { return history_.get(); }
  [[nodiscard]] const TRunHistory* History() const noexcept { return history_.get(); }

 private:
  TMachine machine_;
  TStopConditions stopConditions_;
  TController control_{machine_};
  TWatchList watches_;
  TProgram assembler_{machine_, control_.Instructions(), watches_};
  std::unique_ptr<TRunHistory> history_;
};

}  // namespace dorum
