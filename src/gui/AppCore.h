#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "UserInterface.h"
#include "ViewRefresh.h"
#include "app/Application.h"

namespace dorum::gui {

// The application's commands, as the core's table lists them.
using TCommand = TCommandId;

// The application's Qt side: the core's application (the session, the run
// as a state machine, the commands' rules), the dialogs and the error box,
// the clock of the views, and the timer that advances the run in slices
// from the event loop.
class TAppCore final : public QObject {
  Q_OBJECT

 public:
  explicit TAppCore(QObject* parent = nullptr);

  [[nodiscard]] dorum::TApplication& App() noexcept { return app_; }
  [[nodiscard]] const dorum::TApplication& App() const noexcept { return app_; }
  [[nodiscard]] TSession& Session() noexcept { return app_.Session(); }
  [[nodiscard]] TMachine& Machine() noexcept { return Session().Machine(); }
  [[nodiscard]] TController& Control() noexcept { return Session().Control(); }
  [[nodiscard]] TWatchList& Watches() noexcept { return Session().Watches(); }
  [[nodiscard]] TProgram& Assembler() noexcept { return Session().Assembler(); }
  [[nodiscard]] TUserDialogs& Dialogs() noexcept { return dialogs_; }
  [[nodiscard]] const TErrorReporter& Errors() const noexcept { return errors_; }
  [[nodiscard]] TViewRefresh& Refresh() noexcept { return refresh_; }
  // Every cycle and user action of the runs, for stepping back.
  [[nodiscard]] TRunHistory& History() noexcept { return *Session().History(); }

  // Whether the command may be given now, as its action is greyed.
  [[nodiscard]] bool Enabled(TCommand command, bool editor) const noexcept {
    return app_.Enabled(command, editor);
  }
  // Gives the command: refused during a run (false), or done after the run
  // has stopped. An error of the stopped run is shown first. A command that
  // may bring new labels or another configuration has the stop conditions
  // look their names up again after it.
  bool Perform(TCommand command, const std::function<void()>& action);

  // "Cofnij takt" and "Cofnij rozkaz"; false when there was nothing to undo.
  bool StepBack(bool wholeInstruction);

  // The runs: a run command, a click on a cycle of the timing diagram, a
  // run of one piece done at once, a run set up by `start`. Each is refused
  // (false) while another is in progress; the event loop advances it slice
  // by slice, and how it ended is shown once it has ended.
  bool Start(QWidget* parent, TRunCommand command, int line = 0);
  bool GoToCycle(QWidget* parent, std::uint64_t number);
  bool Run(QWidget* parent, const std::function<TSliceEnd()>& command);
  bool StartRun(QWidget* parent, const std::function<void()>& start);
  [[nodiscard]] bool RunInProgress() const noexcept { return app_.Running(); }
  // "Przerwij": the run ends at the next cycle boundary; without a run it
  // does nothing.
  void RequestStop();
  // Stops the run in progress, if any, and does the action at once (a
  // reset, a load, closing the application). An error of the stopped run is
  // shown first.
  void AfterStoppingRun(const std::function<void()>& action);
  // "Sterowanie ręczne": a run in progress stops first.
  void SetManualControl(bool manual);

  void SetAnimationDelay(int ms);

  // Whoever changes the instruction list (a compiled instruction, a loaded
  // list, a deleted instruction) says so here; the list window, the
  // editors' colouring and completion follow.
  void NotifyInstructionsChanged() { Q_EMIT InstructionsChanged(); }

  // The slices performed since start-up, for tests and measurements.
  [[nodiscard]] std::uint64_t SlicesPerformed() const noexcept { return slices_; }

 Q_SIGNALS:
  void RunStateChanged(bool running);
  void AnimationDelayChanged(int ms);
  void InstructionsChanged();
  // Manual control, the bound program or the history changed otherwise
  // than through the machine.
  void ControlChanged();

 private:
  [[nodiscard]] const TController& Control() const noexcept { return app_.Session().Control(); }
  // Follows where the run stands after a call of the application: the next
  // slice scheduled, or its end shown. `parent`: the window whose command
  // began the run.
  void Follow(const TRunStep& step);
  void BeginRun(QWidget* parent);
  // What ended a run: in an information box when the program came to its
  // stop or a stop condition held, in the error box for the other stops
  // and for an error.
  void ReportEnd(const TRunStep& step);
  void PerformSlice();
  // A run that waits for a character goes on once the user did something.
  void UserActed();

  dorum::TApplication app_;
  TUserDialogs dialogs_;
  TErrorReporter errors_{dialogs_};
  TViewRefresh refresh_{app_.Session().Machine()};
  bool shownRunning_ = false;  // what the views were last told
  QPointer<QWidget> runParent_;
  QTimer slice_;
  std::uint64_t slices_ = 0;
};

}  // namespace dorum::gui
