#include "DockedWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <utility>

namespace dorum::gui {

void KeepOnScreen(QWidget& window) {
  QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
  if (screen == nullptr) screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  // The window's own area must be on the screen, and the title bar the
  // window system puts above it too, to take it by.
  const QRect inner = window.geometry();
  const int titleBar = std::max(0, inner.top() - window.frameGeometry().top());
  const QSize size = inner.size()
                         .boundedTo(QSize(area.width(), area.height() - titleBar))
                         .expandedTo(window.minimumSize());
  const int left =
      std::clamp(inner.left(), area.left(), std::max(area.left(), area.right() + 1 - size.width()));
  const int top = std::clamp(inner.top(), area.top() + titleBar,
                             std::max(area.top() + titleBar, area.bottom() + 1 - size.height()));
  const QRect placed(left, top, size.width(), size.height());
  if (placed != inner) window.setGeometry(placed);
}

TDockedWindow::TDockedWindow(QWidget* content, QWidget* parent)
    : QDockWidget(content->windowTitle(), parent), content_(content) {
  setObjectName(QStringLiteral("Dock") + content->objectName());
  setWidget(content);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  content->installEventFilter(this);
  BuildTitleBar();
  ShowCaption();
}

QString TDockedWindow::FullCaption() const {
  return filePath_.isEmpty() ? content_->windowTitle() : QDir::toNativeSeparators(filePath_);
}

void TDockedWindow::SetFilePath(const QString& path) {
  filePath_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  ShowCaption();
}

QString TDockedWindow::TabBaseName() const {
  // Only documents are named by files; a tool window's caption may hold a
  // slash ("Konsola We/Wy").
  if (!Disposable()) return content_->windowTitle();
  return QFileInfo(QDir::fromNativeSeparators(content_->windowTitle())).fileName();
}

void TDockedWindow::SetTabNumber(int number) {
  tabNumber_ = std::max(1, number);
  numberedBase_ = TabBaseName();
  ShowCaption();
}

void TDockedWindow::ShowCaption() {
  const QString tab =
      tabNumber_ > 1 ? QStringLiteral("%1 (%2)").arg(TabBaseName()).arg(tabNumber_) : TabBaseName();
  if (tab != windowTitle()) setWindowTitle(tab);
  if (caption_ != nullptr) {
    caption_->setText(FullCaption());
    caption_->setToolTip(FullCaption());
  }
  Q_EMIT CaptionChanged(this);
}

void TDockedWindow::BuildTitleBar() {
  // Our own title bar, docked or floating alike, so that a floating window
  // can be docked back with a button or from its menu, not only by dragging.
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("TitleBar"));
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 2, 2, 2);
  layout->setSpacing(2);
  caption_ = new QLabel(windowTitle(), bar);
  caption_->setObjectName(QStringLiteral("Caption"));
  layout->addWidget(caption_, 1);
  dockButton_ = new QToolButton(bar);
  dockButton_->setObjectName(QStringLiteral("DockButton"));
  dockButton_->setAutoRaise(true);
  dockButton_->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
  ShowDockState();
  connect(this, &QDockWidget::topLevelChanged, this, &TDockedWindow::ShowDockState);
  connect(dockButton_, &QToolButton::clicked, this, [this] {
    if (Detached()) {
      Q_EMIT DockRequested(this);
    } else {
      setFloating(true);
    }
  });
  layout->addWidget(dockButton_);
  auto* closeButton = new QToolButton(bar);
  closeButton->setObjectName(QStringLiteral("CloseButton"));
  closeButton->setAutoRaise(true);
  closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  closeButton->setToolTip(QStringLiteral("Zamknij"));
  closeButton->setAccessibleName(QStringLiteral("Zamknij"));
  connect(closeButton, &QToolButton::clicked, this, &QWidget::close);
  layout->addWidget(closeButton);
  bar->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(bar, &QWidget::customContextMenuRequested, this,
          [this, bar](const QPoint& at) { ShowFrameMenu(bar->mapToGlobal(at)); });
  setTitleBarWidget(bar);
}

bool TDockedWindow::Detached() const {
  // Docked windows sit directly in a main window; a floating group of tabs
  // is a window of its own between them.
  return isFloating() || qobject_cast<const QMainWindow*>(parentWidget()) == nullptr;
}

void TDockedWindow::ShowDockState() {
  dockButton_->setToolTip(Detached() ? QStringLiteral("Dokuj w oknie edycyjnym")
                                     : QStringLiteral("Odłącz"));
  dockButton_->setAccessibleName(dockButton_->toolTip());
}

bool TDockedWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
      if (dockButton_ != nullptr) ShowDockState();
      Q_EMIT PlaceChanged(this);
      break;
    case QEvent::MouseButtonPress:
      BeginTitleDrag();
      break;
    case QEvent::MouseButtonRelease: {
      const bool handled = QDockWidget::event(event);
      EndTitleDrag();
      return handled;
    }
    default:
      break;
  }
  return QDockWidget::event(event);
}

void TDockedWindow::BeginTitleDrag() {
  // Grouped dragging lets a tab be dragged out of the tab bar, but it also
  // makes a drag of the title bar take every tab of the group along.
  auto* host = qobject_cast<QMainWindow*>(parentWidget());
  draggedFromDock_ = !isFloating() && host != nullptr;
  if (host == nullptr || isFloating() || !(host->dockOptions() & QMainWindow::GroupedDragging))
    return;
  groupedHost_ = host;
  host->setDockOptions(host->dockOptions() & ~QMainWindow::GroupedDragging);
}

void TDockedWindow::EndTitleDrag() {
  if (groupedHost_ != nullptr) {
    groupedHost_->setDockOptions(groupedHost_->dockOptions() | QMainWindow::GroupedDragging);
    groupedHost_ = nullptr;
  }
  const bool fromDock = std::exchange(draggedFromDock_, false);
  if (!isWindow() || !isVisible()) return;
  // A window taken out of the container floats at a size of its own, not
  // at the size of the whole container, so that what lies below shows.
  if (fromDock) {
    const QRect area = screen()->availableGeometry();
    if (width() > area.width() * 3 / 4 || height() > area.height() * 3 / 4)
      resize(std::min(width(), area.width() * 3 / 5), std::min(height(), area.height() * 3 / 5));
  }
  // Let go where it may, the window stays where it can be reached.
  KeepOnScreen(*this);
}

TDockedWindow::~TDockedWindow() {
  Q_EMIT Leaving(this);
}

void TDockedWindow::SetDisposable(TCloseQuery closeQuery) {
  closeQuery_ = std::move(closeQuery);
  ShowCaption();  // a document is named by its file
}

void TDockedWindow::closeEvent(QCloseEvent* event) {
  if (!closeQuery_) {
    QDockWidget::closeEvent(event);  // hides; the view command brings it back
    return;
  }
  if (!closeQuery_()) {
    event->ignore();
    return;
  }
  event->accept();
  Q_EMIT Disposing(this);
  deleteLater();
}

bool TDockedWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::WindowTitleChange) ShowCaption();
  return QDockWidget::eventFilter(watched, event);
}

void TDockedWindow::ShowFrameMenu(const QPoint& globalAt) {
  QMenu menu(this);
  if (Detached()) {
    menu.addAction(QStringLiteral("Dokuj w oknie edycyjnym"), this,
                   [this] { Q_EMIT DockRequested(this); });
  } else {
    menu.addAction(QStringLiteral("Odłącz"), this, [this] { setFloating(true); });
  }
  menu.addAction(QStringLiteral("Zamknij"), this, &QWidget::close);
  menu.exec(globalAt);
}

}  // namespace dorum::gui
