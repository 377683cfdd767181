#include "AppCore.h"

#include "CoreText.h"

namespace dorum::gui {

TAppCore::TAppCore(QObject* parent) : QObject(parent) {
  (void)Machine().TakeChanges();
  slice_.setSingleShot(true);
  connect(&slice_, &QTimer::timeout, this, &TAppCore::PerformSlice);
  connect(&refresh_, &TViewRefresh::UserChanged, this, &TAppCore::UserActed);
}

bool TAppCore::Perform(TCommand command, const std::function<void()>& action) {
  TRunStep ended;
  if (!app_.Admit(command, ended)) return false;
  Follow(ended);
  action();
  return true;
}

bool TAppCore::Start(QWidget* parent, TRunCommand command, int line) {
  if (app_.Running()) return false;
  if (command == TRunCommand::Cycle) BeginRun(parent);
  runParent_ = parent;
  const TRunStep step = app_.Start(command, line);
  if (step.Running() && !shownRunning_) BeginRun(parent);
  Follow(step);
  return true;
}

bool TAppCore::GoToCycle(QWidget* parent, std::uint64_t number) {
  if (!app_.Allows(TCommand::GoToCycle)) return false;
  const bool forward = app_.GoesForward(number);
  if (forward) BeginRun(parent);
  Follow(app_.GoToCycle(number));
  if (!forward) {
    refresh_.Flush();
    Q_EMIT ControlChanged();
  }
  return true;
}

bool TAppCore::Run(QWidget* parent, const std::function<TSliceEnd()>& command) {
  if (app_.Running()) return false;
  BeginRun(parent);
  Follow(app_.RunWhole(command));
  return true;
}

bool TAppCore::StartRun(QWidget* parent, const std::function<void()>& start) {
  if (app_.Running()) return false;
  runParent_ = parent;
  const TRunStep step = app_.StartWith(start);
  if (step.Running()) BeginRun(parent);
  Follow(step);
  return true;
}

void TAppCore::BeginRun(QWidget* parent) {
  runParent_ = parent;
  if (shownRunning_) return;
  shownRunning_ = true;
  Q_EMIT RunStateChanged(true);
  refresh_.SetRunning(true);
}

void TAppCore::Follow(const TRunStep& step) {
  switch (step.Next) {
    case TRunNext::Slice:
      slice_.start(0);
      return;
    case TRunNext::Pause:
      // Each cycle is shown, then the run pauses for the tempo.
      refresh_.Flush();
      slice_.start(step.DelayMs);
      return;
    case TRunNext::Input:
      // Nothing to do until the user types (or acts otherwise).
      refresh_.Flush();
      return;
    case TRunNext::Ended:
      break;
  }
  slice_.stop();
  if (shownRunning_) {
    shownRunning_ = false;
    refresh_.SetRunning(false);
    Q_EMIT RunStateChanged(false);
  }
  ReportEnd(step);
}

void TAppCore::ReportEnd(const TRunStep& step) {
  switch (step.Box) {
    case TBoxKind::None:
      return;
    case TBoxKind::Information:
      // A stop condition brought the program's editor forward: it shows the
      // line before the box opens.
      if (step.End == TSliceEnd::ConditionHeld && Control().ProgramEditor() != nullptr)
        refresh_.Flush();
      dialogs_.ShowInformation(runParent_, Q(step.Message));
      return;
    case TBoxKind::Error:
      errors_.Report(runParent_, Q(step.Message));
      return;
  }
}

void TAppCore::PerformSlice() {
  if (!app_.Running()) return;
  ++slices_;
  Follow(app_.Slice());
}

void TAppCore::UserActed() {
  if (app_.Waiting()) slice_.start(0);
}

bool TAppCore::StepBack(bool wholeInstruction) {
  if (!app_.StepBack(wholeInstruction)) return false;
  refresh_.Flush();
  Q_EMIT ControlChanged();
  return true;
}

void TAppCore::RequestStop() {
  // A run pausing for the tempo or for input ends now, not after the pause.
  if (app_.RequestStop()) slice_.start(0);
}

void TAppCore::AfterStoppingRun(const std::function<void()>& action) {
  (void)Perform(TCommand::Quit, action);
}

void TAppCore::SetManualControl(bool manual) {
  if (manual == Control().ManualControl()) return;
  Follow(app_.SetManualControl(manual));
  Q_EMIT ControlChanged();
}

void TAppCore::SetAnimationDelay(int ms) {
  if (app_.SetTempo(ms)) Q_EMIT AnimationDelayChanged(app_.Tempo());
}

}  // namespace dorum::gui
