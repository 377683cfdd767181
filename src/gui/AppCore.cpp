#include "AppCore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace dorum::gui {

TAppCore::TAppCore(QObject* parent) : QObject(parent) {
  control_.BuildDefaultInstructions();
  control_.SetHost(this);
  (void)machine_.TakeChanges();
}

TAppCore::~TAppCore() {
  control_.SetHost(nullptr);
}

bool TAppCore::Run(QWidget* parent, const std::function<void()>& command) {
  if (running_) return false;
  running_ = true;
  Q_EMIT RunStateChanged(true);
  refresh_.SetRunning(true);
  QString failure;
  bool failed = false;
  try {
    command();
  } catch (const EDorumError& e) {
    failure = e.Message();
    failed = true;
  } catch (const std::exception& e) {
    failure = QString::fromLocal8Bit(e.what());
    failed = true;
  }
  running_ = false;
  refresh_.SetRunning(false);
  Q_EMIT RunStateChanged(false);
  if (failed) errors_.Report(parent, failure);
  std::vector<std::function<void()>> pending;
  pending.swap(afterRun_);
  for (const auto& action : pending) action();
  return true;
}

bool TAppCore::StepBack(bool wholeInstruction) {
  if (running_) return false;
  const bool undone = wholeInstruction ? history_.UndoInstruction() : history_.UndoStep();
  if (!undone) return false;
  refresh_.Flush();
  return true;
}

void TAppCore::RequestStop() {
  control_.RequestStop();
  if (pause_ != nullptr) pause_->quit();
}

void TAppCore::AfterStoppingRun(std::function<void()> action) {
  if (!running_) {
    action();
    return;
  }
  afterRun_.push_back(std::move(action));
  RequestStop();
}

void TAppCore::SetAnimationDelay(int ms) {
  ms = std::clamp(ms, 0, kMaxAnimationDelay);
  if (ms == animationDelay_) return;
  animationDelay_ = ms;
  Q_EMIT AnimationDelayChanged(ms);
}

void TAppCore::HandleOneMessage() {
  // Each cycle is shown, then the run pauses for the animation delay while
  // the application goes on answering the user.
  refresh_.Flush();
  if (animationDelay_ <= 0 || control_.StopRequested()) {
    QCoreApplication::processEvents();
    return;
  }
  QEventLoop pause;
  pause_ = &pause;
  QTimer::singleShot(animationDelay_, &pause, &QEventLoop::quit);
  pause.exec();
  pause_ = nullptr;
}

void TAppCore::ProcessMessages() {
  // The control unit asks after every instruction at the middle tracking
  // level; the views repaint from their own clock anyway, so a few hundred
  // times a second is as often as the user can tell.
  const auto now = std::chrono::steady_clock::now();
  if (now - lastMessages_ < kMessageInterval) return;
  lastMessages_ = now;
  QCoreApplication::processEvents();
}

}  // namespace dorum::gui
