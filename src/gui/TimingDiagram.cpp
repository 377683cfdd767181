#include "TimingDiagram.h"

#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum::gui {

namespace {

constexpr int kPad = 6;          // around names and values
constexpr int kCrossing = 4;     // half the width of a value change
constexpr double kFaded = 0.35;  // the opacity of cycles kept after the current one
constexpr double kZoomStep = 1.25;

}  // namespace

TTimingDiagram::TTimingDiagram(const TMachine& machine, QWidget* parent)
    : QAbstractScrollArea(parent), machine_(machine) {
  setObjectName(QStringLiteral("TimingDiagram"));
  setAccessibleName(QStringLiteral("Przebiegi czasowe"));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setFocusProxy(this);
  horizontalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setSingleStep(8);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// ---- contents ----

void TTimingDiagram::SetCycles(std::vector<TRecordedCycle> cycles, std::size_t current) {
  QScrollBar* bar = horizontalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum();
  cycles_ = std::move(cycles);
  current_ = cycles_.empty() ? 0 : std::min(current, cycles_.size() - 1);
  BuildLanes();
  UpdateScrollBars();
  // A view that followed the newest cycles goes on following them; the
  // current cycle is always brought into sight.
  if (atEnd) bar->setValue(bar->maximum());
  ScrollToCycle(current_);
  viewport()->update();
}

void TTimingDiagram::SetRegisters(std::vector<TRegisterId> registers) {
  registers_ = std::move(registers);
  BuildLanes();
  UpdateScrollBars();
  viewport()->update();
}

void TTimingDiagram::SetEmptyText(const QString& text) {
  emptyText_ = text;
  viewport()->update();
}

void TTimingDiagram::BuildLanes() {
  lanes_.clear();
  std::uint64_t active = 0;
  for (const TRecordedCycle& cycle : cycles_) active |= cycle.Sample.Signals;
  // The signal table's order, which is the order signals act in.
  for (int n = 0; n < kSignalCount; ++n) {
    if ((active >> n) & 1u) lanes_.push_back({TLaneKind::Signal, n, machine_.Signal(n).Caption()});
  }
  for (int b = 0; b < kBusCount; ++b) {
    const TBus& bus = machine_.Bus(static_cast<TBusId>(b));
    if (bus.Visible()) lanes_.push_back({TLaneKind::Bus, b, bus.Caption()});
  }
  for (const TRegisterId id : registers_) {
    const TRegister& reg = machine_.Register(id);
    if (reg.Visible()) lanes_.push_back({TLaneKind::Register, static_cast<int>(id), reg.Caption()});
  }
}

QStringList TTimingDiagram::LaneNames() const {
  QStringList names;
  for (const TLane& lane : lanes_) names.append(lane.Name);
  return names;
}

std::optional<std::uint32_t> TTimingDiagram::ValueOf(const TLane& lane,
                                                     const TRecordedCycle& cycle) const {
  const TCycleSample& s = cycle.Sample;
  const auto index = static_cast<std::size_t>(lane.Index);
  switch (lane.Kind) {
    case TLaneKind::Signal:
      return static_cast<std::uint32_t>((s.Signals >> lane.Index) & 1u);
    case TLaneKind::Bus:
      if (((s.DrivenBuses >> lane.Index) & 1u) == 0) return std::nullopt;
      return s.Buses[index];
    case TLaneKind::Register:
      return s.Registers[index];
  }
  return std::nullopt;
}

QString TTimingDiagram::ValueText(const TLane& lane, std::uint32_t value) const {
  if (lane.Kind == TLaneKind::Bus) return QString::number(value);
  // The register shows the value as the machine window would: a copy of
  // it holding the value formats it by its own display mode.
  const auto id = static_cast<TRegisterId>(lane.Index);
  TRegister shown = machine_.Register(id);
  shown.RestoreContent(value);
  if (id == TRegisterId::I)
    return shown.ValueText([this](int word) { return machine_.RegisterGetCode(word); }).trimmed();
  return shown.ValueText().trimmed();
}

// ---- geometry ----

int TTimingDiagram::LaneHeight() const {
  return fontMetrics().height() + 10;
}

int TTimingDiagram::RulerHeight() const {
  return 2 * (fontMetrics().height() + 4);
}

int TTimingDiagram::ContentHeight() const {
  return RulerHeight() + static_cast<int>(lanes_.size()) * LaneHeight() + kPad;
}

int TTimingDiagram::NameWidth() const {
  int widest = fontMetrics().horizontalAdvance(QStringLiteral("takt"));
  for (const TLane& lane : lanes_)
    widest = std::max(widest, fontMetrics().horizontalAdvance(lane.Name));
  return widest + 2 * kPad;
}

std::size_t TTimingDiagram::FirstShown() const {
  return static_cast<std::size_t>(std::max(0, horizontalScrollBar()->value()));
}

std::size_t TTimingDiagram::ShownCount() const {
  const int room = std::max(0, viewport()->width() - NameWidth());
  const auto fits = static_cast<std::size_t>(std::max(1, room / cellWidth_));
  const std::size_t first = FirstShown();
  return first >= cycles_.size() ? 0 : std::min(fits, cycles_.size() - first);
}

int TTimingDiagram::CellX(std::size_t first, std::size_t index) const {
  return NameWidth() + static_cast<int>(index - first) * cellWidth_;
}

void TTimingDiagram::UpdateScrollBars() {
  const int room = std::max(0, viewport()->width() - NameWidth());
  const int fits = std::max(1, room / cellWidth_);
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, static_cast<int>(cycles_.size()) - fits));
  h->setPageStep(fits);
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, ContentHeight() - viewport()->height()));
  v->setPageStep(viewport()->height());
}

void TTimingDiagram::SetCellWidth(int width) {
  width = std::clamp(width, kMinCellWidth, kMaxCellWidth);
  if (width == cellWidth_) return;
  // The zoom keeps the current cycle in sight.
  cellWidth_ = width;
  UpdateScrollBars();
  ScrollToCycle(current_);
  viewport()->update();
}

void TTimingDiagram::ScrollToCycle(std::size_t index) {
  const std::size_t first = FirstShown();
  const std::size_t count = std::max<std::size_t>(1, ShownCount());
  QScrollBar* bar = horizontalScrollBar();
  if (index < first) bar->setValue(static_cast<int>(index));
  if (index >= first + count) bar->setValue(static_cast<int>(index - count + 1));
}

std::optional<std::size_t> TTimingDiagram::CycleAt(QPoint point) const {
  const int x = point.x() - NameWidth();
  if (x < 0 || point.y() < 0) return std::nullopt;
  const std::size_t index = FirstShown() + static_cast<std::size_t>(x / cellWidth_);
  if (index >= cycles_.size()) return std::nullopt;
  return index;
}

QPoint TTimingDiagram::CyclePoint(std::size_t index) const {
  return {CellX(FirstShown(), index) + cellWidth_ / 2, RulerHeight() + LaneHeight() / 2};
}

// ---- input ----

void TTimingDiagram::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TTimingDiagram::keyPressEvent(QKeyEvent* event) {
  QScrollBar* h = horizontalScrollBar();
  const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  switch (event->key()) {
    case Qt::Key_Left:
      h->setValue(h->value() - 1);
      return;
    case Qt::Key_Right:
      h->setValue(h->value() + 1);
      return;
    case Qt::Key_Home:
      h->setValue(0);
      return;
    case Qt::Key_End:
      h->setValue(h->maximum());
      return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      SetCellWidth(static_cast<int>(std::lround(cellWidth_ * kZoomStep)));
      return;
    case Qt::Key_Minus:
      SetCellWidth(static_cast<int>(std::lround(cellWidth_ / kZoomStep)));
      return;
    case Qt::Key_0:
      if (control) {
        SetCellWidth(kDefaultCellWidth);
        return;
      }
      break;
    default:
      break;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TTimingDiagram::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return;
  if ((event->modifiers() & Qt::ControlModifier) != 0) {
    SetCellWidth(static_cast<int>(std::lround(cellWidth_ * std::pow(kZoomStep, steps))));
  } else if ((event->modifiers() & Qt::ShiftModifier) != 0) {
    verticalScrollBar()->setValue(verticalScrollBar()->value() - steps * LaneHeight());
  } else {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - steps * 3);
  }
  event->accept();
}

void TTimingDiagram::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  if (event->button() != Qt::LeftButton) return;
  if (const std::optional<std::size_t> index = CycleAt(event->position().toPoint()))
    Q_EMIT CycleClicked(*index);
}

bool TTimingDiagram::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<std::size_t> index = CycleAt(help->pos());
    if (index) {
      const TRecordedCycle& cycle = cycles_[*index];
      QString text = QStringLiteral("takt %1").arg(cycle.Number);
      if (cycle.BeginsInstruction) text += QStringLiteral(", rozkaz ") + cycle.Instruction;
      if (cycle.Line > 0) text += QStringLiteral(", wiersz %1").arg(cycle.Line);
      QToolTip::showText(help->globalPos(), text, viewport());
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

// ---- painting ----

void TTimingDiagram::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  if (cycles_.empty()) {
    PaintEmpty(painter, viewport()->rect());
    return;
  }
  Paint(painter, FirstShown(), ShownCount(), viewport()->width(), viewport()->height(),
        RulerHeight() - verticalScrollBar()->value());
  if (hasFocus()) {
    QPen pen(palette().color(QPalette::Highlight), 1, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
  }
}

void TTimingDiagram::PaintEmpty(QPainter& painter, const QRect& area) const {
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(area.adjusted(4 * kPad, 4 * kPad, -4 * kPad, -4 * kPad),
                   Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
}

void TTimingDiagram::Paint(QPainter& painter, std::size_t first, std::size_t count, int width,
                           int height, int lanesTop) const {
  const int lane = LaneHeight();
  const QColor text = palette().color(QPalette::Text);
  const QColor grid = palette().color(QPalette::Mid);
  // Nothing is drawn below the last lane.
  height = std::min(height, lanesTop + static_cast<int>(lanes_.size()) * lane);
  // The current cycle's column, under everything.
  if (current_ >= first && current_ < first + count) {
    QColor mark = palette().color(QPalette::Highlight);
    mark.setAlpha(60);
    painter.fillRect(QRect(CellX(first, current_), 0, cellWidth_, height), mark);
  }
  for (std::size_t l = 0; l < lanes_.size(); ++l) {
    const int top = lanesTop + static_cast<int>(l) * lane;
    if (top + lane < RulerHeight() || top > height) continue;
    painter.setPen(QPen(grid, 0.5));
    painter.drawLine(0, top + lane, width, top + lane);
    PaintLane(painter, lanes_[l], top, first, count);
    painter.setPen(text);
    painter.drawText(QRect(kPad, top, NameWidth() - 2 * kPad, lane),
                     Qt::AlignLeft | Qt::AlignVCenter, lanes_[l].Name);
  }
  // The instructions' starts cross every lane.
  for (std::size_t k = first; k < first + count; ++k) {
    if (!cycles_[k].BeginsInstruction) continue;
    painter.setOpacity(Faded(k) ? kFaded : 1.0);
    painter.setPen(QPen(text, 1, Qt::DashLine));
    painter.drawLine(CellX(first, k), RulerHeight() / 2, CellX(first, k), height);
  }
  painter.setOpacity(1.0);
  PaintRuler(painter, first, count, width);
}

void TTimingDiagram::PaintRuler(QPainter& painter, std::size_t first, std::size_t count,
                                int width) const {
  const int row = RulerHeight() / 2;
  const QColor text = palette().color(QPalette::Text);
  painter.fillRect(QRect(0, 0, width, RulerHeight()), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(QRect(kPad, row, NameWidth() - 2 * kPad, row), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("takt"));
  const QFontMetrics metrics = fontMetrics();
  // Numbers where they fit: every cycle, or every n-th when zoomed out.
  const int numberWidth =
      metrics.horizontalAdvance(QString::number(cycles_.empty() ? 0 : cycles_.back().Number)) + 4;
  const int every = std::max(1, (numberWidth + cellWidth_ - 1) / cellWidth_);
  for (std::size_t k = first; k < first + count; ++k) {
    const int x = CellX(first, k);
    painter.setOpacity(Faded(k) ? kFaded : 1.0);
    painter.setPen(k == current_ ? palette().color(QPalette::Highlight) : text);
    if (cycles_[k].Number % static_cast<std::uint64_t>(every) == 0 || k == current_) {
      QFont font = painter.font();
      font.setBold(k == current_);
      painter.setFont(font);
      painter.drawText(QRect(x - cellWidth_, row, 3 * cellWidth_, row), Qt::AlignCenter,
                       QString::number(cycles_[k].Number));
      font.setBold(false);
      painter.setFont(font);
    }
    if (!cycles_[k].BeginsInstruction) continue;
    // The name runs up to the next instruction's start.
    std::size_t end = k + 1;
    while (end < first + count && !cycles_[end].BeginsInstruction) ++end;
    const int room = CellX(first, end) - x - kPad;
    painter.setPen(text);
    painter.drawText(QRect(x + 3, 0, std::max(0, room), row), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(cycles_[k].Instruction, Qt::ElideRight, room));
  }
  painter.setOpacity(1.0);
  painter.setPen(QPen(palette().color(QPalette::Mid), 1));
  painter.drawLine(0, RulerHeight() - 1, width, RulerHeight() - 1);
  painter.drawLine(NameWidth() - 1, 0, NameWidth() - 1, RulerHeight());
}

void TTimingDiagram::PaintLane(QPainter& painter, const TLane& lane, int top, std::size_t first,
                               std::size_t count) const {
  painter.save();
  painter.setClipRect(QRect(NameWidth(), top, static_cast<int>(count) * cellWidth_, LaneHeight()));
  if (lane.Kind == TLaneKind::Signal) {
    PaintSignal(painter, lane, top, first, count);
  } else {
    PaintValues(painter, lane, top, first, count);
  }
  painter.restore();
}

void TTimingDiagram::PaintSignal(QPainter& painter, const TLane& lane, int top, std::size_t first,
                                 std::size_t count) const {
  const int high = top + 4;
  const int low = top + LaneHeight() - 4;
  QColor fill = palette().color(QPalette::Highlight);
  fill.setAlpha(90);
  const QColor ink = palette().color(QPalette::Text);
  for (std::size_t k = first; k < first + count; ++k) {
    const bool on = ValueOf(lane, cycles_[k]).value_or(0) != 0;
    const bool before = k > 0 && ValueOf(lane, cycles_[k - 1]).value_or(0) != 0;
    const int x = CellX(first, k);
    painter.setOpacity(Faded(k) ? kFaded : 1.0);
    if (on) painter.fillRect(QRect(x, high, cellWidth_, low - high), fill);
    painter.setPen(QPen(ink, on ? 2 : 1));
    painter.drawLine(x, on ? high : low, x + cellWidth_, on ? high : low);
    if (on != before && k > first) painter.drawLine(x, high, x, low);
  }
  painter.setOpacity(1.0);
}

void TTimingDiagram::PaintValues(QPainter& painter, const TLane& lane, int top, std::size_t first,
                                 std::size_t count) const {
  const int high = top + 3;
  const int low = top + LaneHeight() - 3;
  const int middle = (high + low) / 2;
  const QColor ink = palette().color(QPalette::Text);
  const QFontMetrics metrics = fontMetrics();
  // Runs of equal values: one box each, with the value written in it.
  std::size_t k = first;
  while (k < first + count) {
    const std::optional<std::uint32_t> value = ValueOf(lane, cycles_[k]);
    std::size_t end = k + 1;
    while (end < first + count && ValueOf(lane, cycles_[end]) == value && Faded(end) == Faded(k))
      ++end;
    const int left = CellX(first, k);
    const int right = CellX(first, end);
    // A value that goes on beyond the view's edge has no crossing there.
    const bool changesIn = k > 0 && (k != first || ValueOf(lane, cycles_[k - 1]) != value);
    const bool changesOut =
        end < cycles_.size() && (end < first + count || ValueOf(lane, cycles_[end]) != value);
    const int in = changesIn ? kCrossing : 0;
    const int out = changesOut ? kCrossing : 0;
    QPainterPath box;
    box.moveTo(left, middle);
    box.lineTo(left + in, high);
    box.lineTo(right - out, high);
    box.lineTo(right, middle);
    box.lineTo(right - out, low);
    box.lineTo(left + in, low);
    box.closeSubpath();
    painter.setOpacity(Faded(k) ? kFaded : 1.0);
    painter.setPen(QPen(ink, 1));
    // Where nothing drives a bus the lane is hatched.
    painter.setBrush(value ? QBrush(Qt::NoBrush)
                           : QBrush(palette().color(QPalette::Mid), Qt::BDiagPattern));
    painter.drawPath(box);
    if (value) {
      const int room = right - left - 2 * kCrossing - 2;
      const QString text = ValueText(lane, *value);
      if (room >= metrics.horizontalAdvance(QStringLiteral("0…"))) {
        painter.drawText(QRect(left + kCrossing + 1, high, std::max(0, room), low - high),
                         Qt::AlignCenter, metrics.elidedText(text, Qt::ElideRight, room));
      }
    }
    k = end;
  }
  painter.setOpacity(1.0);
  painter.setBrush(Qt::NoBrush);
}

// ---- export ----

void TTimingDiagram::SaveAs(const QString& fileName) const {
  const std::size_t first = FirstShown();
  const std::size_t count = ShownCount();
  const int width = NameWidth() + static_cast<int>(count) * cellWidth_ + kPad;
  const int height = ContentHeight();
  const QRect all(0, 0, width, height);
  const auto paint = [&](QPainter& painter) {
    painter.setFont(font());
    painter.fillRect(all, palette().color(QPalette::Base));
    if (cycles_.empty()) {
      PaintEmpty(painter, all);
    } else {
      Paint(painter, first, count, width, height, RulerHeight());
    }
  };
  // Drawn whole first: a file the system refuses is then told why, and a
  // failed write leaves the old picture as it was.
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  const QString failed = Texts::CannotWriteFile(fileName, QStringLiteral("błąd rysowania"));
  if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(all.size());
    svg.setViewBox(all);
    svg.setTitle(QStringLiteral("Przebiegi czasowe"));
    QPainter painter(&svg);
    paint(painter);
    if (!painter.end()) throw EDorumError(failed);
    WriteFileBytes(fileName, bytes.data());
    return;
  }
  constexpr int kFactor = 2;
  QImage image(width * kFactor, height * kFactor, QImage::Format_ARGB32);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(kFactor, kFactor);
    paint(painter);
  }
  if (!image.save(&bytes, "PNG")) throw EDorumError(failed);
  WriteFileBytes(fileName, bytes.data());
}

}  // namespace dorum::gui
