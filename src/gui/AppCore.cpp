#include "AppCore.h"

#include <algorithm>
#include <chrono>

#include "CoreText.h"
#include "common/Texts.h"

namespace dorum::gui {

namespace {

// Every command the application gives while a run may be in progress. The
// run commands and stepping back would nest or undo under a run; the
// others change what the run performs (the stop conditions decide where it
// ends), so the run ends first.
struct TCommandRule {
  TCommand Command;
  TDuringRun Rule;
};
constexpr TCommandRule kCommandRules[] = {
    {TCommand::RunCycle, TDuringRun::Refused},
    {TCommand::RunInstruction, TDuringRun::Refused},
    {TCommand::RunProgram, TDuringRun::Refused},
    {TCommand::RunToCursor, TDuringRun::Refused},
    {TCommand::StepBack, TDuringRun::Refused},
    {TCommand::Reset, TDuringRun::StopsRun},
    {TCommand::Compile, TDuringRun::StopsRun},
    {TCommand::LoadList, TDuringRun::StopsRun},
    {TCommand::ProjectOptions, TDuringRun::StopsRun},
    {TCommand::DeleteInstruction, TDuringRun::StopsRun},
    {TCommand::ManualControl, TDuringRun::StopsRun},
    {TCommand::CloseBoundEditor, TDuringRun::StopsRun},
    {TCommand::Quit, TDuringRun::StopsRun},
    {TCommand::StopConditions, TDuringRun::StopsRun},
    {TCommand::ClearMemory, TDuringRun::StopsRun},
};

[[nodiscard]] const TCommandRule* RuleOf(TCommand command) noexcept {
  for (const TCommandRule& rule : kCommandRules) {
    if (rule.Command == command) return &rule;
  }
  return nullptr;
}

}  // namespace

TDuringRun DuringRun(TCommand command) noexcept {
  const TCommandRule* rule = RuleOf(command);
  return rule != nullptr ? rule->Rule : TDuringRun::StopsRun;
}

TAppCore::TAppCore(QObject* parent) : QObject(parent) {
  (void)Machine().TakeChanges();
  slice_.setSingleShot(true);
  connect(&slice_, &QTimer::timeout, this, &TAppCore::PerformSlice);
  connect(&refresh_, &TViewRefresh::UserChanged, this, &TAppCore::UserActed);
}

TAppCore::~TAppCore() = default;

TSliceBudget TAppCore::SliceBudget(int trackingLevel) noexcept {
  // Long enough that the turns of the event loop cost nothing, short
  // enough that the application answers at once. At the middle level the
  // views follow instructions, so the loop turns more often.
  using std::chrono::milliseconds;
  return TSliceBudget{.Time = trackingLevel <= 0 ? milliseconds(20) : milliseconds(8)};
}

bool TAppCore::Allows(TCommand command) const noexcept {
  return !running_ || DuringRun(command) != TDuringRun::Refused;
}

bool TAppCore::Perform(TCommand command, const std::function<void()>& action) {
  if (!Allows(command)) return false;
  AfterStoppingRun(action);
  return true;
}

bool TAppCore::Run(QWidget* parent, const std::function<TSliceEnd()>& command) {
  if (running_) return false;
  BeginRun(parent);
  Advance([&] {
    TSliceEnd end = command();
    // A run the command left behind ends with it: the whole run was one piece.
    if (const TSliceEnd stopped = Control().StopRun(); IsRunStop(stopped)) end = stopped;
    return IsRunStop(end) ? end : TSliceEnd::Finished;
  });
  return true;
}

bool TAppCore::StartRun(QWidget* parent, const std::function<void()>& start) {
  if (running_) return false;
  if (!errors_.Run(parent, start)) return true;
  if (!Control().Running()) return true;  // manual control: there is nothing to run
  BeginRun(parent);
  ScheduleSlice(0);
  return true;
}

void TAppCore::BeginRun(QWidget* parent) {
  running_ = true;
  waiting_ = false;
  runParent_ = parent;
  Q_EMIT RunStateChanged(true);
  refresh_.SetRunning(true);
}

void TAppCore::EndRun(TSliceEnd end, const std::optional<QString>& error) {
  slice_.stop();
  running_ = false;
  waiting_ = false;
  refresh_.SetRunning(false);
  Q_EMIT RunStateChanged(false);
  ReportEnd(end, error);
}

void TAppCore::ReportEnd(TSliceEnd end, const std::optional<QString>& error) {
  if (error) {
    errors_.Report(runParent_, *error);
    return;
  }
  const TEndReport report = session_.ReportEnd(end);
  switch (report.Box) {
    case TBoxKind::None:
      return;
    case TBoxKind::Information:
      // A stop condition brought the program's editor forward: it shows the
      // line before the box opens.
      if (end == TSliceEnd::ConditionHeld && Control().ProgramEditor() != nullptr) refresh_.Flush();
      dialogs_.ShowInformation(runParent_, Q(report.Text));
      return;
    case TBoxKind::Error:
      errors_.Report(runParent_, Q(report.Text));
      return;
  }
}

void TAppCore::ScheduleSlice(int delay) {
  slice_.start(delay);
}

void TAppCore::PerformSlice() {
  if (!running_) return;
  ++slices_;
  Advance([this] { return Control().RunSlice(SliceBudget(Control().TrackingLevel())); });
}

void TAppCore::Advance(const std::function<TSliceEnd()>& piece) {
  waiting_ = false;
  TSliceEnd end = TSliceEnd::Finished;
  try {
    end = piece();
  } catch (const EDorumError& e) {
    EndRun(TSliceEnd::Finished, Q(e.Message()));
    return;
  } catch (const std::exception& e) {
    EndRun(TSliceEnd::Finished, QString::fromLocal8Bit(e.what()));
    return;
  }
  // The piece may have ended the run itself (a command that stops it).
  if (!running_) return;
  switch (end) {
    case TSliceEnd::Budget:
      ScheduleSlice(0);
      return;
    case TSliceEnd::Tempo:
      // Each cycle is shown, then the run pauses for the tempo.
      refresh_.Flush();
      ScheduleSlice(Control().StopRequested() ? 0 : animationDelay_);
      return;
    case TSliceEnd::Waiting:
      // Nothing to do until the user types (or acts otherwise).
      waiting_ = true;
      refresh_.Flush();
      return;
    case TSliceEnd::Idle:
    case TSliceEnd::Finished:
    case TSliceEnd::Stopped:
    case TSliceEnd::ProgramEnded:
    case TSliceEnd::Breakpoint:
    case TSliceEnd::ProgramBreakpoint:
    case TSliceEnd::ConditionHeld:
    case TSliceEnd::CycleLimit:
    case TSliceEnd::InputExhausted:
      EndRun(end);
      return;
  }
}

void TAppCore::UserActed() {
  if (running_ && waiting_) ScheduleSlice(0);
}

void TAppCore::StopRunNow() {
  if (!running_) return;
  TSliceEnd end = TSliceEnd::Stopped;
  std::optional<QString> error;
  try {
    end = Control().StopRun();
  } catch (const EDorumError& e) {
    error = Q(e.Message());
  }
  EndRun(end, error);
}

bool TAppCore::StepBack(bool wholeInstruction) {
  if (!Allows(TCommand::StepBack)) return false;
  const bool undone = wholeInstruction ? History().UndoInstruction() : History().UndoStep();
  if (!undone) return false;
  refresh_.Flush();
  Q_EMIT ControlChanged();
  return true;
}

bool TAppCore::StepBackSteps(std::uint64_t steps) {
  if (!Allows(TCommand::StepBack) || History().UndoSteps(steps) == 0) return false;
  refresh_.Flush();
  Q_EMIT ControlChanged();
  return true;
}

void TAppCore::RequestStop() {
  // With no run there is nothing to stop; a request left pending would
  // make the next "Takt" report a breakpoint nobody set.
  if (!running_) return;
  Control().RequestStop();
  // A run pausing for the tempo or for input ends now, not after the pause.
  if (running_) ScheduleSlice(0);
}

void TAppCore::AfterStoppingRun(const std::function<void()>& action) {
  StopRunNow();
  action();
}

void TAppCore::SetManualControl(bool manual) {
  if (manual == Control().ManualControl()) return;
  AfterStoppingRun([this, manual] { Control().SetManualControl(manual); });
  Q_EMIT ControlChanged();
}

void TAppCore::SetAnimationDelay(int ms) {
  ms = std::clamp(ms, 0, kMaxAnimationDelay);
  if (ms == animationDelay_) return;
  animationDelay_ = ms;
  Q_EMIT AnimationDelayChanged(ms);
}

}  // namespace dorum::gui
