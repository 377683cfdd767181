#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <ostream>

#include "machine/Machine.h"

namespace dorum::cli {

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

  [[nodiscard]] TRegisterId RegisterArg(const QString& name) const;
  [[nodiscard]] int AddressArg(const QString& text) const;
  static void NeedArgs(const QStringList& args, int min, int max, const QString& usage);

  void Config(const QStringList& args);
  void Help();

  TMachine machine_;
  std::ostream& out_;
  std::map<QString, TCommand> commands_;
  bool anyFailed_ = false;
};

}  // namespace dorum::cli
