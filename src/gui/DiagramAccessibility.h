#pragma once

#include <QAccessibleWidget>
#include <vector>

namespace dorum::gui {

class TMachineDiagram;

// The diagram as a screen reader sees it: its child widgets, and one
// accessible child for every register, bus, memory row and signal shown,
// named by what it shows («AK : 15», «mag S = 37», «czyt»), a signal checked
// while it is active, the part under the keyboard's mark focused.
class TDiagramAccessible final : public QAccessibleWidget {
 public:
  explicit TDiagramAccessible(TMachineDiagram* diagram);
  ~TDiagramAccessible() override;

  [[nodiscard]] int childCount() const override;
  [[nodiscard]] QAccessibleInterface* child(int index) const override;
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
  [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
  // The part the keyboard's mark stands on while the diagram has the focus.
  [[nodiscard]] QAccessibleInterface* focusChild() const override;

  // The factory the application installs once.
  static QAccessibleInterface* Create(const QString& className, QObject* object);

 private:
  class TPart;
  // What the children stand for, made again as the machine's shown items change.
  void Rebuild() const;

  TMachineDiagram* diagram_;
  mutable std::vector<TPart*> parts_;
};

}  // namespace dorum::gui
