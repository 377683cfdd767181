#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

#include "UserInterface.h"
#include "ViewRefresh.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "machine/Machine.h"
#include "program/Assembler.h"
#include "program/Watches.h"

class QEventLoop;

namespace dorum::gui {

// The objects of the application that are not windows, created once and
// wired here: the machine, the control unit (with the eight built-in
// instructions), the watches and the assembler, the dialogs and the error
// box, the clock of the views and the run in progress.
class TAppCore final : public QObject, private IControlHost {
  Q_OBJECT

 public:
  // The pause between cycles at the highest tracking level, in ms.
  static constexpr int kDefaultAnimationDelay = 100;
  static constexpr int kMaxAnimationDelay = 2000;

  explicit TAppCore(QObject* parent = nullptr);
  ~TAppCore() override;

  [[nodiscard]] TMachine& Machine() noexcept { return machine_; }
  [[nodiscard]] TController& Control() noexcept { return control_; }
  [[nodiscard]] TWatchList& Watches() noexcept { return watches_; }
  [[nodiscard]] TProgram& Assembler() noexcept { return assembler_; }
  [[nodiscard]] TUserDialogs& Dialogs() noexcept { return dialogs_; }
  [[nodiscard]] const TErrorReporter& Errors() const noexcept { return errors_; }
  [[nodiscard]] TViewRefresh& Refresh() noexcept { return refresh_; }
  // Every cycle and user action of the runs, for stepping back.
  [[nodiscard]] TRunHistory& History() noexcept { return history_; }
  // "Cofnij takt" and "Cofnij rozkaz"; false when there was nothing to undo.
  bool StepBack(bool wholeInstruction);

  // Runs one command of the run family ("Takt", "Rozkaz", "Program", "Do
  // kursora"). While one is in progress another is ignored (false). Its
  // error is shown once the run has ended; the views are refreshed then.
  bool Run(QWidget* parent, const std::function<void()>& command);
  [[nodiscard]] bool RunInProgress() const noexcept { return running_; }
  // "Przerwij": the run ends at its next check.
  void RequestStop();
  // Does the action at once, or, during a run, stops the run and does it
  // when the run has ended (a reset, closing the application).
  void AfterStoppingRun(std::function<void()> action);

  [[nodiscard]] int AnimationDelay() const noexcept { return animationDelay_; }
  void SetAnimationDelay(int ms);

  // The instruction and the source line of its cycle that the control unit
  // performed last, for the instruction list window.
  [[nodiscard]] int ShownInstruction() const noexcept { return control_.ShownInstruction(); }
  [[nodiscard]] int ShownCycleLine() const noexcept { return control_.ShownCycleLine(); }

  // Whoever changes the instruction list (a compiled instruction, a loaded
  // list, a deleted instruction) says so here; the list window, the
  // editors' colouring and completion follow.
  void NotifyInstructionsChanged() { Q_EMIT InstructionsChanged(); }

 Q_SIGNALS:
  void RunStateChanged(bool running);
  void AnimationDelayChanged(int ms);
  void InstructionsChanged();

 private:
  // IControlHost: the views read the control unit's place when they repaint.
  [[nodiscard]] bool FollowsEveryCycle() const override { return false; }
  void HandleOneMessage() override;
  void ProcessMessages() override;

  TMachine machine_;
  TController control_{machine_};
  TWatchList watches_;
  TProgram assembler_{machine_, control_.Instructions(), watches_};
  TUserDialogs dialogs_;
  TErrorReporter errors_{dialogs_};
  TViewRefresh refresh_{machine_};
  TRunHistory history_{machine_, control_};
  bool running_ = false;
  int animationDelay_ = kDefaultAnimationDelay;
  QPointer<QEventLoop> pause_;  // the wait between cycles at level 2
  static constexpr std::chrono::milliseconds kMessageInterval{4};
  std::chrono::steady_clock::time_point lastMessages_{};
  std::vector<std::function<void()>> afterRun_;
};

}  // namespace dorum::gui
