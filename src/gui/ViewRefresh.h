#pragma once

#include <QObject>
#include <QTimer>

#include "machine/Machine.h"

namespace dorum::gui {

// The one clock of the views. The machine records what changed; this
// collects it and tells every view at most about 30 times a second during a
// run, at once after a user's action between runs, and whenever a run ends,
// so painting never sets the pace of a run.
class TViewRefresh final : public QObject, public IMachineObserver {
  Q_OBJECT

 public:
  static constexpr int kRunInterval = 33;  // ms

  explicit TViewRefresh(TMachine& machine, QObject* parent = nullptr);
  ~TViewRefresh() override;

  // A flush at the next turn of the event loop (several requests, one flush).
  void Schedule();
  // Collects the changes and tells the views now.
  void Flush();
  // While a run is in progress the views are refreshed from the timer.
  void SetRunning(bool running);
  [[nodiscard]] bool Running() const noexcept { return running_; }

  // IMachineObserver: a user's action between cycles.
  void MachineChanged() override {
    Schedule();
    Q_EMIT UserChanged();
  }

 Q_SIGNALS:
  // Every view repaints what the changes touch and whatever it marked
  // dirty itself (a current line, new console output).
  void Refresh(const dorum::TMachineChanges& changes);
  // The user changed the machine (an entered value, a typed character, an
  // interrupt button); the views hear of it with the next Refresh.
  void UserChanged();

 private:
  TMachine& machine_;
  QTimer runTimer_;
  bool running_ = false;
  QTimer soon_;
  TSubscribers<IMachineObserver>::TSubscription subscription_;
};

}  // namespace dorum::gui

Q_DECLARE_METATYPE(dorum::TMachineChanges)
