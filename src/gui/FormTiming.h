#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "control/History.h"
#include "machine/MachineLinks.h"

class QAction;
class QMenu;
class QToolBar;

namespace dorum::gui {

class TAppCore;
class TTimingDiagram;

// The timing-diagram window ("Przebiegi czasowe"): the last recorded cycles
// of the run from the history, following runs on the views' clock. A click
// on a cycle steps back to it through the history; the cycles after it stay
// in the window, faded, and a click on one of them runs forward to it.
class TFormTiming final : public QWidget {
  Q_OBJECT

 public:
  // The most cycles the window shows.
  static constexpr std::size_t kCycles = 2000;

  explicit TFormTiming(TAppCore& core, QWidget* parent = nullptr);
  ~TFormTiming() override;

  [[nodiscard]] TTimingDiagram& Diagram() const noexcept { return *diagram_; }
  // Reads the history afresh.
  void Reload();
  // Steps back or runs forward to the cycle of the diagram; false when it
  // was refused (a run in progress) or the cycle is not there.
  bool GoToCycle(std::size_t index);
  // Shows or hides a register's lane.
  void ShowRegister(TRegisterId id, bool shown);
  // The exports, to a file given: the pictures the cycles in view, the dump
  // every cycle the window holds, those after the current one included.
  // With nothing recorded they refuse with a message.
  void SavePicture(const QString& fileName);
  void SaveVcd(const QString& fileName);
  // "Pokaż rejestr" with an entry for each register of the machine.
  [[nodiscard]] std::unique_ptr<QMenu> RegisterMenu();

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnRefresh(const TMachineChanges& changes);
  void AskPicture(const QString& suffix);
  void AskVcd();
  // The export commands on a tool bar or a menu, enabled while there is
  // something to save.
  std::vector<QAction*> AddExportActions(QWidget* target);
  void UpdateExportActions();
  [[nodiscard]] bool HasCycles() const noexcept;
  void RefuseWithoutCycles() const;

  TAppCore& core_;
  TTimingDiagram* diagram_;
  QToolBar* tools_;
  // The state before the first cycle shown, where a dump starts.
  TCycleSample before_;
  std::vector<QAction*> exports_;  // the tool bar's
  bool stale_ = false;
  // What the last look back cost (its repaint is the diagram's to tell),
  // and when it ended: during a run the window looks again only after
  // several times both, so the run keeps its pace however long the
  // segments are and however much the view shows.
  QElapsedTimer sinceLook_;
  qint64 lookCost_ = 0;  // ns
};

}  // namespace dorum::gui
