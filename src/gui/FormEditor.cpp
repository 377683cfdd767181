#include "FormEditor.h"

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
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
  });
  connect(window, &QDockWidget::visibilityChanged, this, [this, window](bool visible) {
    // A tab brought to the front shows its window.
    if (visible && HoldsAsTab(window) && window != active_) TabActivated(window);
  });
  connect(window, &QDockWidget::dockLocationChanged, this, [this, window](Qt::DockWidgetArea area) {
    if (area == Qt::RightDockWidgetArea && window->width() < 30)
      resizeDocks({window}, {120}, Qt::Horizontal);
  });
  connect(window, &QWidget::windowTitleChanged, this, [this, window] {
    if (window == active_) FollowCaption();
  });
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
  FollowCaption();
  Q_EMIT ActiveTabChanged(window);
}

void TFormEditor::WindowLeftTabs(TDockedWindow* window) {
  if (active_ == window) active_ = nullptr;
  if (Tabs().size() < 2) {
    setWindowTitle(kCaption);
  } else {
    FollowCaption();
  }
  Q_EMIT ActiveTabChanged(ActiveTab());
}

void TFormEditor::FollowCaption() {
  const TDockedWindow* tab = ActiveTab();
  setWindowTitle(tab != nullptr ? tab->windowTitle() : kCaption);
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

void TFormEditor::UpdateTabMenu() {
  const qsizetype tabs = Tabs().size();
  for (QAction* action : {next_, previous_}) {
    action->setEnabled(tabs >= 2);
    action->setVisible(tabs >= 2);
  }
  close_->setEnabled(tabs >= 1);
  close_->setVisible(tabs >= 1);
}

void TFormEditor::ShowTabMenu(const QPoint& globalAt) {
  UpdateTabMenu();
  QMenu menu(this);
  if (open_ != nullptr) menu.addAction(open_);
  if (save_ != nullptr) menu.addAction(save_);
  menu.addAction(close_);
  menu.addAction(next_);
  menu.addAction(previous_);
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
