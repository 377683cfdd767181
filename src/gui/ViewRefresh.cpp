#include "ViewRefresh.h"

namespace dorum::gui {

TViewRefresh::TViewRefresh(TMachine& machine, QObject* parent)
    : QObject(parent), machine_(machine) {
  runTimer_.setInterval(kRunInterval);
  soon_.setSingleShot(true);
  soon_.setInterval(0);
  connect(&runTimer_, &QTimer::timeout, this, &TViewRefresh::Flush);
  connect(&soon_, &QTimer::timeout, this, &TViewRefresh::Flush);
  subscription_ = machine_.Subscribe(*this);
}

TViewRefresh::~TViewRefresh() = default;

void TViewRefresh::Schedule() {
  if (!soon_.isActive()) soon_.start();
}

void TViewRefresh::Flush() {
  soon_.stop();
  Q_EMIT Refresh(machine_.TakeChanges());
}

void TViewRefresh::SetRunning(bool running) {
  running_ = running;
  if (running) {
    runTimer_.start();
  } else {
    runTimer_.stop();
    Flush();
  }
}

}  // namespace dorum::gui
