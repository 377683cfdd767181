#pragma once

#include <QAction>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "DockedWindow.h"

class QTabBar;

namespace dorum::gui {

// The editor container ("Edytor"): a window whose tab area gathers the
// source editors and, on request, the other windows as tabs, with dock
// panels along its right and bottom edges. Any of them can be dragged out to
// float and docked back by dragging or from its title bar.
class TFormEditor final : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr Qt::DockWidgetArea kTabArea = Qt::LeftDockWidgetArea;

  explicit TFormEditor(QWidget* parent = nullptr);
  ~TFormEditor() override;

  // The commands of the tab menu that belong to the main window.
  void SetFileCommands(QAction* open, QAction* save);

  // Docks the window as a new tab, made the active one.
  void DockAsTab(TDockedWindow* window);
  void DockRight(TDockedWindow* window);
  void DockBottom(TDockedWindow* window);

  // The windows docked as tabs, in tab order, and the one in front.
  [[nodiscard]] QList<TDockedWindow*> Tabs() const;
  [[nodiscard]] TDockedWindow* ActiveTab() const;
  void ActivateTab(TDockedWindow* window);
  [[nodiscard]] bool HoldsAsTab(const TDockedWindow* window) const;
  // The window in front of the tabs the window is one of (this container's,
  // or a floating group's dragged out of it); the window itself when it
  // stands alone.
  [[nodiscard]] TDockedWindow* FrontOf(TDockedWindow* window) const;

  // "Następny", "Poprzedni" (wrapping around) and "Zamknij".
  void NextTab();
  void PreviousTab();
  void CloseActiveTab();

  // The window keeps its top edge at or below this line (the main window's
  // strip above it).
  void SetTopLimit(int top);

  // Every window given, in that order, as the tabs of the tab area, the
  // first in front; the windows not given keep their places.
  void TabAll(const QList<TDockedWindow*>& windows);
  // The layout of saveState(), with the windows it names taken in as this
  // container's own; false when the state could not be read.
  bool RestoreLayout(const QByteArray& state);
  // The tab bars of the windows' tabs, on this window and on floating
  // groups of tabs dragged out of it.
  [[nodiscard]] QList<QTabBar*> TabBars() const;
  // The window on a tab of one of those tab bars; none for another tab.
  [[nodiscard]] TDockedWindow* WindowOfTab(const QTabBar* bar, int index) const;

  [[nodiscard]] QAction* CloseAction() const noexcept { return close_; }
  [[nodiscard]] QAction* NextAction() const noexcept { return next_; }
  [[nodiscard]] QAction* PreviousAction() const noexcept { return previous_; }

 Q_SIGNALS:
  void ActiveTabChanged(dorum::gui::TDockedWindow* window);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Adopt(TDockedWindow* window);
  void TabActivated(TDockedWindow* window);
  void WindowLeftTabs(TDockedWindow* window);
  void FollowCaption();
  // The keys go to what is seen: a focus left in a tab now behind moves to
  // the tab in front.
  void FocusFront(TDockedWindow* front);
  [[nodiscard]] bool TabsAlike(const TDockedWindow* a, const TDockedWindow* b) const;
  void ShowTabMenu(const QPoint& globalAt);
  void KeepBelowTopLimit();
  void NumberDocuments();
  void PlaceChanged(TDockedWindow* window);
  // The tab bars are made anew as tabs come and go: each one is set to
  // scroll rather than elide the names, and shows the windows' full names
  // and icons.
  void ScheduleTabBarTuning();
  void TuneTabBars();

  QList<QPointer<TDockedWindow>> order_;  // tab order as the windows were docked
  QPointer<TDockedWindow> active_;
  QAction* open_ = nullptr;
  QAction* save_ = nullptr;
  QAction* close_;
  QAction* next_;
  QAction* previous_;
  int topLimit_ = 0;
  QTimer tuneTimer_;
  bool numbering_ = false;
  // The caption names the tab in front from a window's docking as a tab
  // until a window leaves the container with fewer than two tabs behind it.
  bool captionFollowsTab_ = true;
};

}  // namespace dorum::gui
