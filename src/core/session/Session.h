#pragma once

#include <memory>
#include <string>

#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/StopConditions.h"
#include "machine/Machine.h"
#include "machine/MachineConfig.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"

namespace dorum {

// How the end of a run is told to the user.
enum class TBoxKind : std::uint8_t { None, Information, Error };
struct TEndReport {
  TBoxKind Box = TBoxKind::None;
  std::string Text;  // as the box shows it
};

// Everything the options dialog sets, at once.
struct TMachineOptions {
  int AddressBits = kMinAddressBits;
  int CodeBits = kMinCodeBits;
  TComponentSet Components;
  TInterruptVectors Vectors;
  TIOPorts Ports;
};

// One simulated computer as the application starts it: the default machine
// with the eight built-in instructions compiled, its control unit, the
// watches, the assembler and, when asked for, the history of its runs. The
// members are declared in the order their references need: everything
// refers to the machine, the assembler to the control unit's list and the
// watches, the history to the machine and the control unit.
// The condition that stops a run when a watch's word changes: a watch named
// exactly as a register is watched through its address.
[[nodiscard]] std::string WatchChangeCondition(const TWatch& watch, const TMachine& machine);

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
  [[nodiscard]] const TWatchList& Watches() const noexcept { return watches_; }
  [[nodiscard]] TProgram& Assembler() noexcept { return assembler_; }

  // The stop conditions every run of the control unit checks.
  [[nodiscard]] TStopConditions& StopConditions() noexcept { return stopConditions_; }
  [[nodiscard]] const TStopConditions& StopConditions() const noexcept { return stopConditions_; }
  // Adds a condition whose names are the machine's registers and the labels
  // of the program assembled last; raises what is wrong with a bad one.
  void AddStopCondition(const std::string& text) { stopConditions_.Add(text, machine_, &watches_); }
  // "Zatrzymaj przy zmianie" on a watch: its changed() condition added, or
  // enabled when the list holds it; the condition's place.
  int StopOnChange(int watch);

  // What the front ends do to the computer. Each keeps the rest in step
  // itself: the history and the views hear of a changed instruction list
  // (from the control unit), and the stop conditions look their names up
  // again after whatever may bring or take registers, words and labels,
  // also when it fails half way. Errors propagate.

  // Compiles an instruction's text into the list: a new code, or the
  // instruction of the same name replaced. A failed compile may still have
  // changed the list (an instruction beyond the codes stays in it).
  void CompileInstruction(const TLines& lines) {
    listChanged_ = true;
    control_.AddInstruction(lines);
  }
  void DeleteInstruction(int code) {
    control_.DeleteInstruction(code);
    listChanged_ = true;
  }
  // Whether the student changed the list (an instruction compiled or
  // deleted, the options written) since it was loaded from a file or the
  // default machine was restored.
  [[nodiscard]] bool ListChanged() const noexcept { return listChanged_; }
  void SetListChanged(bool changed) noexcept { listChanged_ = changed; }
  void ToggleCycleBreakpoint(int code, int cycle) { control_.ToggleCycleBreakpoint(code, cycle); }
  // The same for the cycle that begins on line `line` (from 0) of the
  // instruction's source, the first one when several do; false when none
  // begins there.
  bool ToggleBreakpointAtLine(int code, int line);
  // Reads a list file: its configuration, then its instructions. A list
  // that fails half way keeps what it got through.
  void LoadList(const std::string& path);
  void SaveList(const std::string& path) const;
  // The machine the application starts with: the first preset, the
  // narrowest words and the eight built-in instructions.
  void RestoreDefaultMachine();
  void SetAddressBits(int bits);
  void SetCodeBits(int bits);
  void SetComponents(TComponentSet components);
  [[nodiscard]] TMachineOptions Options() const;
  // Writes the options. A width or a set of components written anew is a
  // new machine, whose runs start a new history: only what differs is
  // written, so the same options again keep the history and what the views
  // show.
  void Configure(const TMachineOptions& options);
  // Assembles the document into memory and binds it to the control unit,
  // its current line where L points. A failed assembly keeps the labels it
  // read.
  void AssembleProgram(TProgramDocument& document);
  // Every memory word to 0; as after an assembly, the history cannot step
  // back past it.
  void ClearMemory();

  // What the box says when a run or a cycle ended so: the program's end and
  // a stop condition are news, the other stops errors; a slice that leaves
  // the run going, or a plain end, says nothing. A stop condition also
  // brings the bound program's current line to the instruction that runs
  // next and wishes its editor forward.
  [[nodiscard]] TEndReport ReportEnd(TSliceEnd end);

  // Starts or ends recording; a new recording starts empty and keeps at
  // most `budget` bytes.
  void RecordHistory(bool on, std::size_t budget = TRunHistory::kDefaultBudget);
  // The history being recorded, or null.
  [[nodiscard]] TRunHistory* History() noexcept { return history_.get(); }
  [[nodiscard]] const TRunHistory* History() const noexcept { return history_.get(); }

 private:
  // After an assembly (new labels) or a change of the configuration.
  [[nodiscard]] TEndReport ReportConditionStop();
  void RecompileStopConditions() { stopConditions_.Recompile(machine_, &watches_); }
  // Performs `change`, then has the stop conditions look their names up
  // again, whether it succeeded or not.
  template <class TChange>
  void Renaming(TChange&& change);

  TMachine machine_;
  TStopConditions stopConditions_;
  TController control_{machine_};
  TWatchList watches_;
  TProgram assembler_{machine_, control_.Instructions(), watches_};
  std::unique_ptr<TRunHistory> history_;
  bool listChanged_ = false;
};

}  // namespace dorum
