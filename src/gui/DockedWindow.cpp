#include "DockedWindow.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace dorum::gui {

TDockedWindow::TDockedWindow(QWidget* content, QWidget* parent)
    : QDockWidget(content->windowTitle(), parent), content_(content) {
  setObjectName(QStringLiteral("Dock") + content->objectName());
  setWidget(content);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  content->installEventFilter(this);
  BuildTitleBar();
}

void TDockedWindow::BuildTitleBar() {
  // Our own title bar, docked or floating alike, so that a floating window
  // can be docked back with a button or from its menu, not only by dragging.
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("TitleBar"));
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 2, 2, 2);
  layout->setSpacing(2);
  auto* caption = new QLabel(windowTitle(), bar);
  caption->setObjectName(QStringLiteral("Caption"));
  connect(this, &QWidget::windowTitleChanged, caption, &QLabel::setText);
  layout->addWidget(caption, 1);
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
  if (event->type() == QEvent::ParentChange && dockButton_ != nullptr) ShowDockState();
  return QDockWidget::event(event);
}

TDockedWindow::~TDockedWindow() {
  Q_EMIT Leaving(this);
}

void TDockedWindow::SetDisposable(TCloseQuery closeQuery) {
  closeQuery_ = std::move(closeQuery);
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
  if (watched == content_ && event->type() == QEvent::WindowTitleChange)
    setWindowTitle(content_->windowTitle());
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
