#include "FormEditor.h"

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
#include <QSet>
#include <QTabBar>

namespace dorum::gui {

namespace {
const QString kCaption = QStringLiteral("Edytor");
}  // namespace

TFormEditor::TFormEditor(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormEditor"));
  setWindowTitle(kCaption);
  setAccessibleName(kCaption);
  setDockNestingEnabled(true);
  setDockOptions(QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks |
                 QMainWindow::AnimatedDocks | QMainWindow::GroupedDragging);
  setTabPosition(kTabArea, QTabWidget::North);
  // The tab area fills the window; the side panels take room only when a
  // window is docked into them.
  setCentralWidget(nullptr);

  close_ = new QAction(QStringLiteral("Zamknij"), this);
  close_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F3));
  next_ = new QAction(QStringLiteral("Następny"), this);
  next_->setShortcut(QKeySequence(Qt::Key_F6));
  previous_ = new QAction(QStringLiteral("Poprzedni"), this);
  previous_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
  for (QAction* action : {close_, next_, previous_}) {
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
  connect(close_, &QAction::triggered, this, &TFormEditor::CloseActiveTab);
  connect(next_, &QAction::triggered, this, &TFormEditor::NextTab);
  connect(previous_, &QAction::triggered, this, &TFormEditor::PreviousTab);

  connect(this, &QMainWindow::tabifiedDockWidgetActivated, this, [this](QDockWidget* dock) {
    if (auto* window = qobject_cast<TDockedWindow*>(dock)) TabActivated(window);
  });
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowTabMenu(mapToGlobal(at)); });
  tuneTimer_.setSingleShot(true);
  tuneTimer_.setInterval(0);
  connect(&tuneTimer_, &QTimer::timeout, this, &TFormEditor::TuneTabBars);
}

TFormEditor::~TFormEditor() {
  // The docked windows go with the container; they must not call back into
  // it while it is being taken apart.
  for (TDockedWindow* window : findChildren<TDockedWindow*>()) window->disconnect(this);
}

void TFormEditor::SetFileCommands(QAction* open, QAction* save) {
  open_ = open;
  save_ = save;
}

void TFormEditor::Adopt(TDockedWindow* window) {
  if (order_.contains(window)) return;
  order_.append(window);
  connect(window, &QDockWidget::topLevelChanged, this, [this, window](bool floating) {
    if (floating) WindowLeftTabs(window);
    ScheduleTabBarTuning();
  });
  connect(window, &QDockWidget::visibilityChanged, this, [this, window](bool visible) {
    // A tab brought to the front shows its window.
    if (visible && HoldsAsTab(window) && window != active_) TabActivated(window);
    // Closed by its own close box, a tab leaves as "Zamknij" takes it.
    if (!visible && window->isHidden() && !window->isFloating() && window->parentWidget() == this &&
        dockWidgetArea(window) == kTabArea)
      WindowLeftTabs(window);
  });
  connect(window, &QDockWidget::dockLocationChanged, this, [this, window](Qt::DockWidgetArea area) {
    if (area == Qt::RightDockWidgetArea && window->width() < 30)
      resizeDocks({window}, {120}, Qt::Horizontal);
    if (HoldsAsTab(window)) {
      // Dragged in as a tab: the container is named by its tabs again.
      captionFollowsTab_ = true;
      FollowCaption();
    } else if (window == active_) {
      // Dragged from a tab into a side panel: the container is named by
      // the tab in front now.
      WindowLeftTabs(window);
    }
    ScheduleTabBarTuning();
  });
  connect(window, &TDockedWindow::CaptionChanged, this, [this, window] {
    NumberDocuments();
    if (window == active_) FollowCaption();
    ScheduleTabBarTuning();
  });
  connect(window, &TDockedWindow::PlaceChanged, this, &TFormEditor::PlaceChanged);
  connect(window, &TDockedWindow::Disposing, this, [this, window] {
    window->hide();
    WindowLeftTabs(window);
  });
  connect(window, &TDockedWindow::DockRequested, this, &TFormEditor::DockAsTab);
  connect(window, &TDockedWindow::Leaving, this, [this](TDockedWindow* leaving) {
    order_.removeAll(leaving);
    if (active_ == leaving) {
      active_ = nullptr;
      FollowCaption();
    }
  });
  NumberDocuments();
  ScheduleTabBarTuning();
}

void TFormEditor::DockAsTab(TDockedWindow* window) {
  Adopt(window);
  const QList<TDockedWindow*> tabs = Tabs();
  if (!HoldsAsTab(window)) {
    addDockWidget(kTabArea, window);
    window->setFloating(false);
    // Tab order is docking order: the window goes after the last tab.
    for (auto it = tabs.crbegin(); it != tabs.crend(); ++it) {
      if (*it != window) {
        tabifyDockWidget(*it, window);
        break;
      }
    }
  }
  order_.removeAll(window);
  order_.append(window);
  window->show();
  captionFollowsTab_ = true;
  ActivateTab(window);
}

void TFormEditor::DockRight(TDockedWindow* window) {
  Adopt(window);
  addDockWidget(Qt::RightDockWidgetArea, window);
  window->setFloating(false);
  window->show();
  resizeDocks({window}, {std::max(120, width() - 840)}, Qt::Horizontal);
}

void TFormEditor::DockBottom(TDockedWindow* window) {
  Adopt(window);
  addDockWidget(Qt::BottomDockWidgetArea, window);
  window->setFloating(false);
  window->show();
  resizeDocks({window}, {std::max(80, height() - 550)}, Qt::Vertical);
}

bool TFormEditor::HoldsAsTab(const TDockedWindow* window) const {
  return window != nullptr && window->parentWidget() == this && !window->isFloating() &&
         !window->isHidden() && dockWidgetArea(const_cast<TDockedWindow*>(window)) == kTabArea;
}

QList<TDockedWindow*> TFormEditor::Tabs() const {
  QList<TDockedWindow*> tabs;
  for (const auto& window : order_) {
    if (HoldsAsTab(window)) tabs.append(window);
  }
  return tabs;
}

TDockedWindow* TFormEditor::FrontOf(TDockedWindow* window) const {
  if (HoldsAsTab(window)) return ActiveTab();
  for (QTabBar* bar : TabBars()) {
    if (bar->parentWidget() == this) continue;
    for (int i = 0; i < bar->count(); ++i) {
      if (WindowOfTab(bar, i) != window) continue;
      TDockedWindow* front = WindowOfTab(bar, bar->currentIndex());
      return front != nullptr ? front : window;
    }
  }
  return window;
}

TDockedWindow* TFormEditor::ActiveTab() const {
  if (HoldsAsTab(active_)) return active_;
  const QList<TDockedWindow*> tabs = Tabs();
  return tabs.isEmpty() ? nullptr : tabs.front();
}

void TFormEditor::ActivateTab(TDockedWindow* window) {
  if (!HoldsAsTab(window)) return;
  window->raise();
  TabActivated(window);
}

void TFormEditor::TabActivated(TDockedWindow* window) {
  active_ = window;
  FocusFront(window);
  FollowCaption();
  Q_EMIT ActiveTabChanged(window);
}

bool TFormEditor::TabsAlike(const TDockedWindow* a, const TDockedWindow* b) const {
  // Tabs of this container, or of one floating group of tabs.
  if (HoldsAsTab(a) || HoldsAsTab(b)) return HoldsAsTab(a) && HoldsAsTab(b);
  return a->parentWidget() == b->parentWidget() && a->parentWidget() != nullptr &&
         a->parentWidget()->inherits("QDockWidgetGroupWindow");
}

void TFormEditor::FocusFront(TDockedWindow* front) {
  // The focus of the window the tabs are in, active or not: activated
  // again, that window gives the focus back to where it was.
  QWidget* focus = front->window()->focusWidget();
  if (focus == nullptr || front->isAncestorOf(focus)) return;
  TDockedWindow* holder = nullptr;
  for (QWidget* w = focus; w != nullptr && holder == nullptr; w = w->parentWidget())
    holder = qobject_cast<TDockedWindow*>(w);
  if (holder == nullptr || holder == front || !TabsAlike(holder, front)) return;
  front->Content()->setFocus();
  // A window that takes no focus at least takes it from the one behind.
  if (holder->isAncestorOf(front->window()->focusWidget())) focus->clearFocus();
}

void TFormEditor::WindowLeftTabs(TDockedWindow* window) {
  if (active_ == window) active_ = nullptr;
  // Undocked or closed with fewer than two tabs behind it, the container
  // is "Edytor" again; one gone to a side panel leaves it named by its tab.
  if ((window->Detached() || window->isHidden()) && Tabs().size() < 2) captionFollowsTab_ = false;
  FollowCaption();
  Q_EMIT ActiveTabChanged(ActiveTab());
}

void TFormEditor::FollowCaption() {
  const TDockedWindow* tab = ActiveTab();
  setWindowTitle(captionFollowsTab_ && tab != nullptr ? tab->FullCaption() : kCaption);
}

void TFormEditor::PlaceChanged(TDockedWindow* window) {
  // A window may leave the container inside a floating group of tabs,
  // without becoming a floating window itself.
  if (!HoldsAsTab(window) && (window == active_ || Tabs().size() < 2)) {
    WindowLeftTabs(window);
  } else {
    FollowCaption();
  }
  ScheduleTabBarTuning();
}

void TFormEditor::NumberDocuments() {
  // A number once given stays while the name does, so a tab is not renamed
  // under the user's eyes when another one goes.
  if (numbering_) return;  // a number given renames the tab, which brings us back
  numbering_ = true;
  QHash<QString, QSet<int>> taken;
  QList<TDockedWindow*> unnumbered;
  for (const auto& window : order_) {
    if (window == nullptr || !window->Disposable()) continue;
    QSet<int>& numbers = taken[window->TabBaseName()];
    if (window->NumberedBase() == window->TabBaseName() && !numbers.contains(window->TabNumber())) {
      numbers.insert(window->TabNumber());
    } else {
      unnumbered.append(window);
    }
  }
  for (TDockedWindow* window : unnumbered) {
    QSet<int>& numbers = taken[window->TabBaseName()];
    int number = 1;
    while (numbers.contains(number)) ++number;
    numbers.insert(number);
    window->SetTabNumber(number);
  }
  numbering_ = false;
}

void TFormEditor::TabAll(const QList<TDockedWindow*>& windows) {
  for (TDockedWindow* window : windows) {
    Adopt(window);
    if (dockWidgetArea(window) != Qt::NoDockWidgetArea || window->parentWidget() != this)
      removeDockWidget(window);
  }
  for (TDockedWindow* window : windows) DockAsTab(window);
  if (!windows.isEmpty()) ActivateTab(windows.front());
}

bool TFormEditor::RestoreLayout(const QByteArray& state) {
  if (!restoreState(state)) return false;
  // The windows the layout placed are this container's; one it never held
  // (the start-up editor, never shown) must not take a tab's number.
  for (TDockedWindow* window : findChildren<TDockedWindow*>()) {
    if (dockWidgetArea(window) != Qt::NoDockWidgetArea || !window->isHidden()) Adopt(window);
  }
  captionFollowsTab_ = true;
  // The tabs go in the order the tab bar shows them, and the one in front
  // is the one it shows in front.
  for (QTabBar* bar : TabBars()) {
    for (int i = bar->count() - 1; i >= 0; --i) {
      TDockedWindow* window = WindowOfTab(bar, i);
      if (!HoldsAsTab(window)) continue;
      order_.removeAll(window);
      order_.prepend(window);
    }
    TDockedWindow* front = WindowOfTab(bar, bar->currentIndex());
    if (HoldsAsTab(front)) active_ = front;
  }
  FollowCaption();
  ScheduleTabBarTuning();
  Q_EMIT ActiveTabChanged(ActiveTab());
  return true;
}

QList<QTabBar*> TFormEditor::TabBars() const {
  QList<QTabBar*> bars;
  for (QTabBar* bar : findChildren<QTabBar*>()) {
    const QWidget* holder = bar->parentWidget();
    if (holder == this || (holder != nullptr && holder->inherits("QDockWidgetGroupWindow")))
      bars.append(bar);
  }
  return bars;
}

TDockedWindow* TFormEditor::WindowOfTab(const QTabBar* bar, int index) const {
  if (bar == nullptr || index < 0 || index >= bar->count()) return nullptr;
  // The tab bar tells its windows by their address; only a window of ours
  // is taken at its word.
  const auto address = bar->tabData(index).value<quintptr>();
  for (TDockedWindow* window : findChildren<TDockedWindow*>()) {
    if (reinterpret_cast<quintptr>(static_cast<QDockWidget*>(window)) == address) return window;
  }
  return nullptr;
}

void TFormEditor::ScheduleTabBarTuning() {
  tuneTimer_.start();
}

void TFormEditor::TuneTabBars() {
  // Only what differs is set: every change asks for a new layout, and the
  // layout brings us back here.
  for (QTabBar* bar : TabBars()) {
    if (bar->elideMode() != Qt::ElideNone) bar->setElideMode(Qt::ElideNone);
    if (!bar->usesScrollButtons()) bar->setUsesScrollButtons(true);
    for (int i = 0; i < bar->count(); ++i) {
      const TDockedWindow* window = WindowOfTab(bar, i);
      if (window == nullptr) continue;
      if (bar->tabToolTip(i) != window->FullCaption()) bar->setTabToolTip(i, window->FullCaption());
      if (bar->tabIcon(i).cacheKey() != window->TabIcon().cacheKey())
        bar->setTabIcon(i, window->TabIcon());
    }
  }
}

bool TFormEditor::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  // The tab bars are brought up to date when the layout is applied.
  if (event->type() == QEvent::LayoutRequest) ScheduleTabBarTuning();
  return handled;
}

void TFormEditor::NextTab() {
  const QList<TDockedWindow*> tabs = Tabs();
  if (tabs.size() < 2) return;
  const qsizetype at = tabs.indexOf(ActiveTab());
  ActivateTab(tabs[(at + 1) % tabs.size()]);
}

void TFormEditor::PreviousTab() {
  const QList<TDockedWindow*> tabs = Tabs();
  if (tabs.size() < 2) return;
  const qsizetype at = tabs.indexOf(ActiveTab());
  ActivateTab(tabs[(at + tabs.size() - 1) % tabs.size()]);
}

void TFormEditor::CloseActiveTab() {
  TDockedWindow* tab = ActiveTab();
  if (tab == nullptr || !tab->MayClose()) return;
  // The window leaves the container where the container stands; an editor
  // then goes for good, any other window only hides.
  const QPoint at = geometry().topLeft();
  tab->hide();
  tab->setFloating(true);
  tab->move(at);
  WindowLeftTabs(tab);
  if (tab->Disposable()) {
    Q_EMIT tab->Disposing(tab);
    tab->deleteLater();
  }
}

void TFormEditor::ShowTabMenu(const QPoint& globalAt) {
  // The menu offers only what the tabs allow now. The actions themselves
  // stay enabled and visible: their keys must work whatever this menu
  // showed last, and with too few tabs they find nothing to do.
  const qsizetype tabs = Tabs().size();
  QMenu menu(this);
  if (open_ != nullptr) menu.addAction(open_);
  if (save_ != nullptr) menu.addAction(save_);
  if (tabs >= 1) menu.addAction(close_);
  if (tabs >= 2) menu.addActions({next_, previous_});
  menu.exec(globalAt);
}

void TFormEditor::SetTopLimit(int top) {
  topLimit_ = top;
  KeepBelowTopLimit();
}

void TFormEditor::KeepBelowTopLimit() {
  if (isWindow() && !isFullScreen() && !isMaximized() && geometry().top() < topLimit_) {
    const QRect g = geometry();
    setGeometry(g.left(), topLimit_, g.width(), std::max(100, g.height() - (topLimit_ - g.top())));
  }
}

void TFormEditor::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  KeepBelowTopLimit();
}

}  // namespace dorum::gui
