#include "DiagramAccessibility.h"

#include <QPointer>

#include "MachineDiagram.h"

namespace dorum::gui {

// One register, bus, memory row or signal of the diagram.
class TDiagramAccessible::TPart final : public QAccessibleInterface {
 public:
  // `item` is null for a memory row.
  TPart(TMachineDiagram* diagram, const TDiagramItem* item, int row)
      : diagram_(diagram), item_(item), row_(row) {}

  [[nodiscard]] bool Shown() const {
    if (diagram_ == nullptr) return false;
    if (item_ == nullptr) return !diagram_->MemoryRowText(row_).isEmpty();
    return diagram_->Shows(*item_);
  }

  [[nodiscard]] bool isValid() const override { return diagram_ != nullptr; }
  [[nodiscard]] QObject* object() const override { return nullptr; }
  [[nodiscard]] QWindow* window() const override {
    return diagram_ != nullptr ? diagram_->window()->windowHandle() : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* focusChild() const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(diagram_);
  }
  [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return 0; }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  [[nodiscard]] QString text(QAccessible::Text t) const override {
    if (diagram_ == nullptr || t != QAccessible::Name) return {};
    return item_ == nullptr ? diagram_->MemoryRowText(row_) : diagram_->TextOf(*item_);
  }
  void setText(QAccessible::Text, const QString&) override {}

  [[nodiscard]] QRect rect() const override {
    if (diagram_ == nullptr) return {};
    // A memory row is as high as the diagram draws it.
    const QRect box =
        diagram_->WidgetRect(item_ != nullptr ? Rect(item_->Box) : diagram_->MemoryRowBox(row_));
    return QRect(diagram_->mapToGlobal(box.topLeft()), box.size());
  }

  [[nodiscard]] QAccessible::Role role() const override {
    if (item_ == nullptr) return QAccessible::ListItem;
    return item_->Kind == TItemKind::Signal ? QAccessible::CheckBox : QAccessible::StaticText;
  }

  [[nodiscard]] QAccessible::State state() const override {
    QAccessible::State state;
    state.invisible = !Shown();
    state.focusable = item_ == nullptr || item_->Kind == TItemKind::Register;
    state.focused = HasFocus();
    if (item_ != nullptr && item_->Kind == TItemKind::Signal && diagram_ != nullptr) {
      state.checkable = true;
      state.checked = diagram_->Shows(*item_) && SignalActive();
    }
    return state;
  }

 private:
  [[nodiscard]] bool SignalActive() const;

 public:
  // Whether the keyboard's mark stands on this part.
  [[nodiscard]] bool HasFocus() const {
    if (diagram_ == nullptr || !Shown()) return false;
    const TDiagramItem* focus = diagram_->FocusItem();
    if (focus == nullptr) return false;
    if (item_ == nullptr)
      return focus->Kind == TItemKind::Memory &&
             diagram_->FocusAddress() == diagram_->TopRow() + row_ &&
             !diagram_->FocusRect().isEmpty();
    return item_ == focus;
  }

 private:
  QPointer<TMachineDiagram> diagram_;
  const TDiagramItem* item_;
  int row_;
};

bool TDiagramAccessible::TPart::SignalActive() const {
  return diagram_ != nullptr && item_ != nullptr && diagram_->Machine().SignalActive(item_->Id);
}

TDiagramAccessible::TDiagramAccessible(TMachineDiagram* diagram)
    : QAccessibleWidget(diagram, QAccessible::Graphic, diagram->accessibleName()),
      diagram_(diagram) {}

TDiagramAccessible::~TDiagramAccessible() {
  for (TPart* part : parts_) {
    const QAccessible::Id id = QAccessible::uniqueId(part);
    QAccessible::deleteAccessibleInterface(id);
  }
}

void TDiagramAccessible::Rebuild() const {
  if (!parts_.empty()) return;
  // Every register, bus and signal, and each row of the memory view; the
  // parts not shown on the present machine are left out of the children.
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Register || item.Kind == TItemKind::Bus ||
        item.Kind == TItemKind::Signal) {
      parts_.push_back(new TPart(diagram_, &item, 0));
    }
  }
  for (int row = 0; row < diagram_->VisibleRows(); ++row)
    parts_.push_back(new TPart(diagram_, nullptr, row));
  for (TPart* part : parts_) QAccessible::registerAccessibleInterface(part);
}

// The child widgets (the memory's scroll bar) come first, as the toolkit
// lists them, then the parts the diagram draws.
int TDiagramAccessible::childCount() const {
  Rebuild();
  int count = QAccessibleWidget::childCount();
  for (const TPart* part : parts_) count += part->Shown() ? 1 : 0;
  return count;
}

QAccessibleInterface* TDiagramAccessible::child(int index) const {
  Rebuild();
  const int widgets = QAccessibleWidget::childCount();
  if (index < widgets) return QAccessibleWidget::child(index);
  index -= widgets;
  for (TPart* part : parts_) {
    if (!part->Shown()) continue;
    if (index-- == 0) return part;
  }
  return nullptr;
}

int TDiagramAccessible::indexOfChild(const QAccessibleInterface* child) const {
  Rebuild();
  if (const int widget = QAccessibleWidget::indexOfChild(child); widget >= 0) return widget;
  int index = QAccessibleWidget::childCount();
  for (const TPart* part : parts_) {
    if (!part->Shown()) continue;
    if (part == child) return index;
    ++index;
  }
  return -1;
}

QAccessibleInterface* TDiagramAccessible::childAt(int x, int y) const {
  if (QAccessibleInterface* widget = QAccessibleWidget::childAt(x, y)) return widget;
  const int count = childCount();
  for (int k = QAccessibleWidget::childCount(); k < count; ++k) {
    QAccessibleInterface* part = child(k);
    if (part->rect().contains(x, y)) return part;
  }
  return nullptr;
}

QAccessibleInterface* TDiagramAccessible::focusChild() const {
  if (!diagram_->hasFocus()) return QAccessibleWidget::focusChild();
  Rebuild();
  for (TPart* part : parts_) {
    if (part->HasFocus()) return part;
  }
  return nullptr;
}

QAccessibleInterface* TDiagramAccessible::Create(const QString& className, QObject* object) {
  if (className == QLatin1String(TMachineDiagram::staticMetaObject.className())) {
    if (auto* diagram = qobject_cast<TMachineDiagram*>(object))
      return new TDiagramAccessible(diagram);
  }
  return nullptr;
}

}  // namespace dorum::gui
