#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <ostream>

#include "common/Error.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "machine/Machine.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"
#include "session/Session.h"

namespace dorum::cli {

// Ends a command's cycle limit however the command ends.
class TCycleLimitScope {
 public:
  TCycleLimitScope(TController& control, std::uint64_t cycles) : control_(control) {
    control_.LimitCycles(cycles);
  }
  ~TCycleLimitScope() { control_.RemoveCycleLimit(); }
  TCycleLimitScope(const TCycleLimitScope&) = delete;
  TCycleLimitScope& operator=(const TCycleLimitScope&) = delete;

 private:
  TController& control_;
};

// "The command NAME takes the form USAGE".
[[nodiscard]] QString Usage(const QString& command, const QString& usage);

// Reads script commands, one a line, and runs them on one machine started
// as the application starts it. A failing command prints one line
// "error: MESSAGE" and the script goes on.
class TScriptRunner {
 public:
  explicit TScriptRunner(std::ostream& out);

  // Runs one line of a script; false when the command failed.
  bool RunLine(const QString& line);
  [[nodiscard]] bool AnyFailed() const noexcept { return anyFailed_; }
  [[nodiscard]] TMachine& Machine() noexcept { return machine_; }
  [[nodiscard]] TController& Control() noexcept { return control_; }
  // Relative file names in commands are taken from this folder (the
  // script's own), so a script and its files can move together.
  void SetBaseDirectory(const QString& directory) { baseDirectory_ = directory; }

  // Clock cycles that "run" and "step" may perform per command.
  static constexpr std::uint64_t kDefaultCycleLimit = 10'000'000;

 private:
  struct TCommand {
    QString Usage;
    std::function<void(const QStringList& args, const QString& rest)> Run;
  };

  void Print(const QString& line);
  void Register(const QString& name, const QString& usage,
                std::function<void(const QStringList&, const QString&)> run);
  void RegisterMachineCommands();
  void RegisterDeviceCommands();
  void RegisterInstructionCommands();
  void RegisterRunCommands();
  void RegisterProgramCommands();

  [[nodiscard]] TRegisterId RegisterArg(const QString& name) const;
  [[nodiscard]] int AddressArg(const QString& text) const;
  // An address, or a label of the program assembled last.
  [[nodiscard]] int CellArg(const QString& text) const;
  [[nodiscard]] int SignalArg(const QString& name) const;
  [[nodiscard]] const TInstruction& InstructionArg(const QString& name) const;
  [[nodiscard]] QString PathArg(const QString& rest, const QString& usage) const;
  [[nodiscard]] QString CycleText(const TInstruction& instruction, int k) const;
  // The history being recorded, or the error that none is.
  [[nodiscard]] TRunHistory& RecordedHistory();
  [[nodiscard]] static int CountArg(const QStringList& args, const QString& usage);
  static void NeedArgs(const QStringList& args, int min, int max, const QString& usage);
  // A script reports every stop of a run (the program's end, a breakpoint,
  // a condition, the limit) as the command's failure, with its message.
  void Ran(TSliceEnd end) const {
    if (IsRunStop(end)) throw EDorumError(control_.EndMessage());
  }

  void Config(const QStringList& args);
  void Help();

  // The history is recorded only when the script asks ("record").
  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TWatchList& watches_ = session_.Watches();
  TProgram& program_ = session_.Assembler();
  // The one program editor of a script; declared last, so it is destroyed
  // (and unbound) before the control unit.
  QString baseDirectory_;
  std::uint64_t cycleLimit_ = kDefaultCycleLimit;
  std::ostream& out_;
  std::map<QString, TCommand> commands_;
  bool anyFailed_ = false;
  TProgramDocument document_;
};

}  // namespace dorum::cli
