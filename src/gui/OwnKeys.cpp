#include "OwnKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <algorithm>

namespace dorum::gui {

namespace {

[[nodiscard]] bool Holds(const QAction* action, const QWidget* owner, const QWidget* focus) {
  switch (action->shortcutContext()) {
    case Qt::WidgetShortcut:
      return owner == focus;
    case Qt::WidgetWithChildrenShortcut:
    case Qt::WindowShortcut:
      return true;
    case Qt::ApplicationShortcut:
      break;
  }
  return false;
}

[[nodiscard]] bool Carries(const QAction* action, const QKeySequence& pressed) {
  if (!action->isEnabled() || !action->isVisible()) return false;
  const QList<QKeySequence> keys = action->shortcuts();
  return std::any_of(keys.begin(), keys.end(),
                     [&](const QKeySequence& key) { return key == pressed; });
}

}  // namespace

QAction* OwnCommandFor(QWidget* focus, const QKeyEvent& key) {
  // An open menu handles its keys itself.
  if (focus == nullptr || qobject_cast<QMenu*>(focus) != nullptr) return nullptr;
  const QKeySequence pressed(key.keyCombination().toCombined() & ~Qt::KeypadModifier);
  for (QWidget* owner = focus; owner != nullptr; owner = owner->parentWidget()) {
    for (QAction* action : owner->actions()) {
      if (Holds(action, owner, focus) && Carries(action, pressed)) return action;
    }
    if (owner->isWindow()) break;
  }
  return nullptr;
}

bool TOwnKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
  // Key events climb from the focus to its parents; the focus decides.
  QWidget* focus = QApplication::focusWidget();
  if (watched != focus) return false;
  QAction* action = OwnCommandFor(focus, *static_cast<QKeyEvent*>(event));
  if (action == nullptr) return false;
  if (type == QEvent::ShortcutOverride) {
    // Claimed: the key comes to the focus as a key press, not as a shortcut.
    event->accept();
    return true;
  }
  action->trigger();
  return true;
}

}  // namespace dorum::gui
