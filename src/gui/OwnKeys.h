#pragma once

#include <QObject>

class QAction;
class QKeyEvent;
class QWidget;

namespace dorum::gui {

// The command a key stands for in the window holding the focus: an enabled
// action with that key of the focused control, or of one of its parents up
// to its window when the action holds over their children or the whole
// window. Null when the window has none; the main window's application-wide
// keys are not looked at.
[[nodiscard]] QAction* OwnCommandFor(QWidget* focus, const QKeyEvent& key);

// Lets the focused window's own keys win over the main window's, which hold
// in every window of the application: when both carry a key (Del deletes an
// instruction in the instruction list and is the edit commands' Del as well)
// the toolkit would call the key ambiguous and run neither. Installed on the
// application.
class TOwnKeys final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace dorum::gui
