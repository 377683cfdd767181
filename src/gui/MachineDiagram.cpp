#include "MachineDiagram.h"

#include <QAccessible>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "AppCore.h"
#include "CoreText.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum::gui {

namespace {

// The text size of the diagram, in design units.
constexpr int kFontPixels = 11;

}  // namespace

TMachineDiagram::TMachineDiagram(TAppCore& core, QWidget* parent)
    : QWidget(parent), machine_(core.Machine()), memorySize_(machine_.Memory().Size()) {
  setObjectName(QStringLiteral("MachineDiagram"));
  setAccessibleName(QStringLiteral("Schemat maszyny"));
  colours_ = DiagramColours(palette());
  setMouseTracking(false);
  setAutoFillBackground(true);
  // Registers and the memory are reached from the keyboard too.
  setFocusPolicy(Qt::StrongFocus);
  // Smaller than this the texts could not be read even on a sharp screen.
  setMinimumSize(kDiagramWidth / 3, kDiagramHeight / 3);
  font_ = font();
  font_.setPixelSize(kFontPixels);
  // Rows and columns of the memory view follow the text's size.
  const QFontMetrics metrics(font_);
  rowHeight_ = metrics.height();
  // Addresses and words have at most five digits; the rest of the row is
  // left to the code column ("pobi 1023" must fit beside the scroll bar).
  columnStep_ = metrics.horizontalAdvance(QStringLiteral("65535  "));
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Memory) visibleRows_ = (Rect(item.Box).height() - 2) / rowHeight_;
  }
}

double TMachineDiagram::Scale() const {
  const int room = std::max(1, width() - rightMargin_);
  return std::min(static_cast<double>(room) / kDiagramWidth,
                  static_cast<double>(height()) / kDiagramHeight);
}

QTransform TMachineDiagram::Transform() const {
  const double s = Scale();
  const int room = std::max(1, width() - rightMargin_);
  QTransform t;
  t.translate((room - kDiagramWidth * s) / 2, (height() - kDiagramHeight * s) / 2);
  t.scale(s, s);
  return t;
}

void TMachineDiagram::SetRightMargin(int pixels) {
  if (pixels == rightMargin_) return;
  rightMargin_ = pixels;
  update();
}

QRectF TMachineDiagram::DrawingRect() const {
  return Transform().mapRect(QRectF(0, 0, kDiagramWidth, kDiagramHeight));
}

QRect TMachineDiagram::WidgetRect(const QRect& design) const {
  return Transform().mapRect(QRectF(design)).toAlignedRect();
}

bool TMachineDiagram::Shows(const TDiagramItem& item) const {
  return ItemShown(machine_, item);
}

QString TMachineDiagram::TextOf(const TDiagramItem& item) const {
  return Q(ItemText(machine_, item));
}

QString TMachineDiagram::MemoryRowText(int row) const {
  const int address = topRow_ + row;
  if (row < 0 || row >= visibleRows_ || address >= machine_.Memory().Size()) return {};
  return Q(dorum::MemoryRowText(machine_, address));
}

const TDiagramItem* TMachineDiagram::ItemAt(const QPointF& at) const {
  const QPointF design = Transform().inverted().map(at);
  const TDiagramItem* found = nullptr;
  // Later items are drawn over earlier ones, so the last hit wins; wires
  // take no clicks.
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Wire || !Shows(item)) continue;
    if (QRectF(Rect(item.Box)).contains(design)) found = &item;
  }
  return found;
}

int TMachineDiagram::MemoryAddressAt(const QPointF& at) const {
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind != TItemKind::Memory) continue;
    const QPointF design = Transform().inverted().map(at);
    const int row =
        std::clamp(static_cast<int>((design.y() - Rect(item.Box).top() - 1) / rowHeight_), 0,
                   visibleRows_ - 1);
    return topRow_ + row;
  }
  return -1;
}

// ---- painting ----

void TMachineDiagram::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // A new theme: the colours are chosen again, not on every paint.
  if (event->type() == QEvent::PaletteChange) {
    colours_ = DiagramColours(palette());
    update();
  }
}

void TMachineDiagram::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QTransform transform = Transform();
  painter.setTransform(transform);
  const QRectF exposed = transform.inverted().mapRect(QRectF(event->rect()));
  Paint(painter, exposed);
  // The focus mark is the screen's alone: no saved picture shows it.
  const QRect mark = FocusDesignRect();
  if (hasFocus() && !mark.isEmpty() && exposed.intersects(QRectF(mark).adjusted(-2, -2, 2, 2))) {
    painter.setPen(QPen(colours_.Focus, 1.5, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(mark).adjusted(-1.5, -1.5, 1.5, 1.5));
  }
}

void TMachineDiagram::Paint(QPainter& p, const QRectF& exposed) const {
  p.setFont(font_);
  for (const TDiagramItem& item : DiagramItems()) {
    if (!Shows(item) || !exposed.intersects(QRectF(Rect(item.Box)).adjusted(-2, -2, 2, 2)))
      continue;
    switch (item.Kind) {
      case TItemKind::Wire:
        PaintWire(p, item);
        break;
      case TItemKind::Bus:
        PaintBus(p, item);
        break;
      case TItemKind::Register:
        PaintRegister(p, item);
        break;
      case TItemKind::Memory:
        PaintMemory(p, item);
        break;
      case TItemKind::Alu:
        p.setPen(QPen(colours_.Ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(Rect(item.Box)).adjusted(0.5, 0.5, -0.5, -0.5));
        break;
      case TItemKind::Signal:
        PaintSignal(p, item);
        break;
    }
  }
}

void TMachineDiagram::PaintRegister(QPainter& p, const TDiagramItem& item) const {
  const QRectF box = QRectF(Rect(item.Box)).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(colours_.Ink, 1));
  p.setBrush(colours_.Box);
  p.drawRect(box);
  p.setPen(colours_.Text);
  p.drawText(box, Qt::AlignCenter, TextOf(item));
}

void TMachineDiagram::PaintBus(QPainter& p, const TDiagramItem& item) const {
  const bool driven = machine_.BusDriven(static_cast<TBusId>(item.Id));
  p.setPen(Qt::NoPen);
  p.setBrush(driven ? colours_.Active : colours_.IdleBus);
  p.drawRoundedRect(QRectF(Rect(item.Box)), 2, 2);
}

void TMachineDiagram::PaintMemory(QPainter& p, const TDiagramItem& item) const {
  const QRectF box = QRectF(Rect(item.Box)).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(colours_.Ink, 1));
  p.setBrush(colours_.Box);
  p.drawRect(box);
  p.save();
  p.setClipRect(Rect(item.Box).adjusted(1, 1, -1, -1));
  p.setPen(colours_.Text);
  const QFontMetrics metrics(font_);
  const TMemory& memory = machine_.Memory();
  for (int row = 0; row < visibleRows_; ++row) {
    const int address = topRow_ + row;
    if (address >= memory.Size()) break;
    const double baseline = Rect(item.Box).top() + row * rowHeight_ + 1 + metrics.ascent();
    const double left = Rect(item.Box).left();
    p.drawText(QPointF(left + 5, baseline), QString::number(address));
    p.drawText(QPointF(left + columnStep_ + 5, baseline), QString::number(memory.Word(address)));
    p.drawText(QPointF(left + 2 * columnStep_ + 5, baseline), Q(machine_.CodeText(address)));
  }
  p.restore();
}

void TMachineDiagram::PaintSignal(QPainter& p, const TDiagramItem& item) const {
  const bool active = machine_.SignalActive(item.Id);
  const QColor color = active ? colours_.Active : colours_.Ink;
  QFont font = font_;
  font.setBold(active);
  p.setFont(font);
  const QFontMetricsF metrics(font);
  const QRectF box(Rect(item.Box));
  const QString caption = Q(machine_.Signal(item.Id).Caption());
  const double textWidth = metrics.horizontalAdvance(caption);
  const double middle = box.top() + static_cast<int>(box.height()) / 2;
  const bool right = item.Direction == TSignalDirection::sdRight;
  p.setPen(color);
  p.drawText(box, Qt::AlignVCenter | (right ? Qt::AlignLeft : Qt::AlignRight), caption);
  // The line runs from the caption to the outer end, where an impulse has
  // a small triangle and a level a bar across the line.
  const double lineFrom = right ? box.left() + textWidth + 2 : box.left();
  const double lineTo = right ? box.right() : box.right() - textWidth - 2;
  p.setPen(QPen(color, 1));
  p.drawLine(QPointF(lineFrom, middle), QPointF(lineTo, middle));
  const double end = right ? box.right() : box.left();
  const double inward = right ? -1 : 1;
  if (machine_.Signal(item.Id).Impulse()) {
    QPainterPath triangle;
    triangle.moveTo(end, middle);
    triangle.lineTo(end + inward * 7, middle - 2);
    triangle.lineTo(end + inward * 7, middle + 2);
    triangle.closeSubpath();
    p.fillPath(triangle, color);
  } else {
    const double x = end + inward * 5;
    p.drawLine(QPointF(x, middle - 3), QPointF(x, middle + 3));
  }
  p.setFont(font_);
}

void TMachineDiagram::PaintWire(QPainter& p, const TDiagramItem& item) const {
  const QColor color = machine_.SignalActive(item.Id) ? colours_.Active : colours_.Ink;
  p.setPen(QPen(color, 1));
  const QRectF box(Rect(item.Box));
  if (item.Horizontal) {
    p.drawLine(QPointF(box.left() + 5, box.top()), QPointF(box.right(), box.top()));
    return;
  }
  const double x = box.left() + 5;
  p.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
  // An arrow head: two strokes 5 units long at the top or the bottom end.
  if (item.Arrow == TWireArrow::waStart) {
    p.drawLine(QPointF(x, box.top()), QPointF(x - 3.5, box.top() + 3.5));
    p.drawLine(QPointF(x, box.top()), QPointF(x + 3.5, box.top() + 3.5));
  } else if (item.Arrow == TWireArrow::waStop) {
    p.drawLine(QPointF(x, box.bottom()), QPointF(x - 3.5, box.bottom() - 3.5));
    p.drawLine(QPointF(x, box.bottom()), QPointF(x + 3.5, box.bottom() - 3.5));
  }
}

// ---- the memory view's rows ----

int TMachineDiagram::LastTopRow() const noexcept {
  return std::max(0, machine_.Memory().Size() - visibleRows_);
}

void TMachineDiagram::SetTopRow(int address) {
  const int top = std::clamp(address, 0, LastTopRow());
  if (top == topRow_) return;
  topRow_ = top;
  QRegion region;
  UpdateItems(region, TItemKind::Memory, 0);
  update(region);
}

bool TMachineDiagram::FollowMemory(const TMachineChanges& changes) {
  const int before = topRow_;
  const int size = machine_.Memory().Size();
  if (size != memorySize_) {
    memorySize_ = size;
    topRow_ = 0;
  }
  const int cell = changes.AccessedCell;
  if (cell >= 0 && (cell < topRow_ || cell >= topRow_ + visibleRows_))
    topRow_ = std::clamp(cell, 0, LastTopRow());
  return topRow_ != before;
}

// ---- repainting what changed ----

void TMachineDiagram::UpdateItems(QRegion& region, TItemKind kind, int id) const {
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Id != id) continue;
    if (item.Kind == kind || (kind == TItemKind::Signal && item.Kind == TItemKind::Wire))
      region += WidgetRect(Rect(item.Box).adjusted(-4, -4, 4, 4));
  }
}

void TMachineDiagram::ApplyChanges(const TMachineChanges& changes) {
  QRegion region;
  // Words and I are shown with the names of the instructions.
  if (changes.Configuration || changes.Reset || changes.Words || changes.Instructions) {
    region = rect();
  } else {
    for (int r = 0; r < kRegisterCount; ++r) {
      if ((changes.Registers >> r) & 1u) UpdateItems(region, TItemKind::Register, r);
    }
    for (int b = 0; b < kBusCount; ++b) {
      if ((changes.Buses >> b) & 1u) UpdateItems(region, TItemKind::Bus, b);
    }
    for (std::uint64_t s = changes.Signals; s != 0; s &= s - 1)
      UpdateItems(region, TItemKind::Signal, std::countr_zero(s));
    if (changes.AnyCells()) UpdateItems(region, TItemKind::Memory, 0);
  }
  lastUpdate_ = region;
  if (!region.isEmpty()) update(region);
}

// ---- user actions ----

void TMachineDiagram::mousePressEvent(QMouseEvent* event) {
  pressed_ = ItemAt(event->position());
  QWidget::mousePressEvent(event);
}

void TMachineDiagram::mouseReleaseEvent(QMouseEvent* event) {
  const TDiagramItem* item = ItemAt(event->position());
  const TDiagramItem* pressed = pressed_;
  pressed_ = nullptr;
  if (item == nullptr || item != pressed) return;
  switch (item->Kind) {
    case TItemKind::Memory:
      // Any button released over the memory asks for a word.
      Q_EMIT MemoryClicked(MemoryAddressAt(event->position()));
      break;
    case TItemKind::Register:
      if (event->button() == Qt::LeftButton)
        Q_EMIT RegisterClicked(static_cast<TRegisterId>(item->Id));
      break;
    case TItemKind::Signal:
      if (event->button() == Qt::LeftButton) Q_EMIT SignalClicked(item->Id);
      break;
    default:
      break;
  }
}

void TMachineDiagram::contextMenuEvent(QContextMenuEvent* event) {
  // The menu key opens the menu of the register the keyboard stands on.
  const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard && FocusItem() != nullptr;
  const TDiagramItem* item = byKeyboard ? FocusItem() : ItemAt(event->pos());
  if (byKeyboard && item->Kind == TItemKind::Register) {
    Q_EMIT RegisterMenuRequested(static_cast<TRegisterId>(item->Id),
                                 mapToGlobal(WidgetRect(item->Box).center()));
    return;
  }
  if (item != nullptr && item->Kind == TItemKind::Register) {
    Q_EMIT RegisterMenuRequested(static_cast<TRegisterId>(item->Id), event->globalPos());
  } else if (item == nullptr || item->Kind == TItemKind::Alu || item->Kind == TItemKind::Bus) {
    Q_EMIT BackgroundMenuRequested(event->globalPos());
  }
}

// ---- the keyboard ----

std::vector<const TDiagramItem*> TMachineDiagram::FocusStops() const {
  std::vector<const TDiagramItem*> stops;
  for (const TDiagramItem& item : DiagramItems()) {
    if ((item.Kind == TItemKind::Register || item.Kind == TItemKind::Memory) && Shows(item))
      stops.push_back(&item);
  }
  std::ranges::stable_sort(stops, [](const TDiagramItem* a, const TDiagramItem* b) {
    return std::pair{a->Box.Y, a->Box.X} < std::pair{b->Box.Y, b->Box.X};
  });
  return stops;
}

const TDiagramItem* TMachineDiagram::FocusItem() const {
  if (focusItem_ != nullptr && Shows(*focusItem_)) return focusItem_;
  const std::vector<const TDiagramItem*> stops = FocusStops();
  return stops.empty() ? nullptr : stops.front();
}

QRect TMachineDiagram::FocusDesignRect() const {
  const TDiagramItem* item = FocusItem();
  if (item == nullptr) return {};
  if (item->Kind != TItemKind::Memory) return Rect(item->Box);
  const int row = focusAddress_ - topRow_;
  if (row < 0 || row >= visibleRows_ || focusAddress_ >= machine_.Memory().Size()) return {};
  return MemoryRowBox(row).adjusted(2, 0, -2, 0);
}

QRect TMachineDiagram::MemoryRowBox(int row) const {
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Memory)
      return {Rect(item.Box).left(), Rect(item.Box).top() + 1 + row * rowHeight_,
              Rect(item.Box).width(), rowHeight_};
  }
  return {};
}

QRect TMachineDiagram::FocusRect() const {
  const QRect mark = FocusDesignRect();
  return mark.isEmpty() ? QRect() : WidgetRect(mark);
}

void TMachineDiagram::SetFocusTo(const TDiagramItem* item, int address, bool tell) {
  const QRect before = FocusDesignRect();
  focusItem_ = item;
  focusAddress_ = std::clamp(address, 0, std::max(0, machine_.Memory().Size() - 1));
  if (item != nullptr && item->Kind == TItemKind::Memory &&
      (focusAddress_ < topRow_ || focusAddress_ >= topRow_ + visibleRows_)) {
    SetTopRow(focusAddress_ < topRow_ ? focusAddress_ : focusAddress_ - visibleRows_ + 1);
    Q_EMIT TopRowChanged(topRow_);
  }
  for (const QRect& mark : {before, FocusDesignRect()}) {
    if (!mark.isEmpty()) update(WidgetRect(mark.adjusted(-4, -4, 4, 4)));
  }
  if (tell) TellFocus();
}

int TMachineDiagram::AddressInView() const noexcept {
  // Moving into the memory must not scroll it away from what the user sees.
  const bool inView = focusAddress_ >= topRow_ && focusAddress_ < topRow_ + visibleRows_;
  return inView ? focusAddress_ : topRow_;
}

bool TMachineDiagram::MoveFocus(int step) {
  const std::vector<const TDiagramItem*> stops = FocusStops();
  const auto at = std::ranges::find(stops, FocusItem());
  if (at == stops.end()) return false;
  const auto index = (at - stops.begin()) + step;
  if (index < 0 || index >= std::ssize(stops)) return false;
  SetFocusTo(stops[static_cast<std::size_t>(index)], AddressInView());
  return true;
}

void TMachineDiagram::MoveFocusAddress(int step) {
  // Back in view first, when the machine scrolled the word away.
  const int from = FocusDesignRect().isEmpty() ? topRow_ : focusAddress_ + step;
  SetFocusTo(FocusItem(), from);
}

void TMachineDiagram::ActivateFocus() {
  const TDiagramItem* item = FocusItem();
  if (item == nullptr) return;
  if (item->Kind == TItemKind::Register) {
    Q_EMIT RegisterClicked(static_cast<TRegisterId>(item->Id));
  } else if (!FocusDesignRect().isEmpty()) {
    Q_EMIT MemoryClicked(focusAddress_);
  }
}

void TMachineDiagram::TellFocus() {
  if (!hasFocus() || !QAccessible::isActive()) return;
  QAccessibleInterface* diagram = QAccessible::queryAccessibleInterface(this);
  QAccessibleInterface* part = diagram != nullptr ? diagram->focusChild() : nullptr;
  if (part == nullptr) return;
  QAccessibleEvent focus(part, QAccessible::Focus);
  QAccessible::updateAccessibility(&focus);
}

void TMachineDiagram::keyPressEvent(QKeyEvent* event) {
  const TDiagramItem* item = FocusItem();
  const bool inMemory = item != nullptr && item->Kind == TItemKind::Memory;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      ActivateFocus();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (inMemory) {
        MoveFocusAddress(event->key() == Qt::Key_Up ? -1 : 1);
      } else {
        MoveFocus(event->key() == Qt::Key_Up ? -1 : 1);
      }
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (inMemory) MoveFocusAddress(event->key() == Qt::Key_PageUp ? -visibleRows_ : visibleRows_);
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
      MoveFocus(event->key() == Qt::Key_Left ? -1 : 1);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

bool TMachineDiagram::focusNextPrevChild(bool next) {
  // Tab walks the registers and the memory, then leaves for the next control.
  if (hasFocus() && MoveFocus(next ? 1 : -1)) return true;
  return QWidget::focusNextPrevChild(next);
}

void TMachineDiagram::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  const std::vector<const TDiagramItem*> stops = FocusStops();
  const TDiagramItem* to = FocusItem();
  // Entered with Tab, the walk starts at the first stop; with Shift+Tab at the last.
  if (!stops.empty() && event->reason() == Qt::TabFocusReason) to = stops.front();
  if (!stops.empty() && event->reason() == Qt::BacktabFocusReason) to = stops.back();
  // The toolkit tells of the diagram's own focus after this handler; the
  // part is told after it, or a screen reader would stop at the diagram.
  SetFocusTo(to, AddressInView(), false);
  QMetaObject::invokeMethod(this, &TMachineDiagram::TellFocus, Qt::QueuedConnection);
}

void TMachineDiagram::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (const QRect mark = FocusDesignRect(); !mark.isEmpty())
    update(WidgetRect(mark.adjusted(-4, -4, 4, 4)));
}

bool TMachineDiagram::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const TDiagramItem* item = ItemAt(help->pos());
    // A bus tells its value while driven and its name otherwise.
    if (item != nullptr && item->Kind == TItemKind::Bus) {
      const auto id = static_cast<TBusId>(item->Id);
      QToolTip::showText(help->globalPos(),
                         machine_.BusDriven(id) ? QString::number(machine_.BusValue(id))
                                                : Q(machine_.Bus(id).Caption()),
                         this, WidgetRect(item->Box));
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

void TMachineDiagram::SaveAs(const QString& fileName) const {
  const QRectF all(0, 0, kDiagramWidth, kDiagramHeight);
  // Drawn whole first: a file the system refuses is then told why, and a
  // failed write leaves the old picture as it was.
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  const std::string path = U8(fileName);
  const std::string failed = Texts::CannotWriteFile(path, "błąd rysowania");
  if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(QSize(kDiagramWidth, kDiagramHeight));
    svg.setViewBox(all);
    svg.setTitle(QStringLiteral("Maszyna Dorum"));
    QPainter painter(&svg);
    painter.fillRect(all, colours_.Face);
    Paint(painter, all);
    if (!painter.end()) throw EDorumError(failed);
    WriteFileBytes(path, Bytes(bytes.data()));
    return;
  }
  constexpr int kFactor = 2;
  QImage image(kDiagramWidth * kFactor, kDiagramHeight * kFactor, QImage::Format_ARGB32);
  image.fill(colours_.Face);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(kFactor, kFactor);
    Paint(painter, all);
  }
  if (!image.save(&bytes, "PNG")) throw EDorumError(failed);
  WriteFileBytes(path, Bytes(bytes.data()));
}

}  // namespace dorum::gui
