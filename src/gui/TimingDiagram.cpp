#include "TimingDiagram.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "CoreText.h"
#include "DiagramLayout.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum::gui {

namespace {

constexpr int kPad = 6;       // around names and values
constexpr int kCrossing = 4;  // half the width of a value change
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
  MeasureText();
  colours_ = TimingColours(palette());
  static const bool accessible = [] {
    QAccessible::installFactory(&TTimingDiagram::CreateAccessible);
    return true;
  }();
  (void)accessible;
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { TellScreenReader(); });
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
  TellScreenReader();
}

void TTimingDiagram::SetRegisters(std::vector<TRegisterId> registers) {
  registers_ = std::move(registers);
  BuildLanes();
  UpdateScrollBars();
  viewport()->update();
  TellScreenReader();
}

void TTimingDiagram::SetEmptyText(const QString& text) {
  emptyText_ = text;
  viewport()->update();
}

void TTimingDiagram::BuildLanes() {
  std::vector<TLane> lanes;
  for (const TTimingLane& lane : TimingLanes(machine_, cycles_, registers_))
    lanes.push_back({lane.Kind, lane.Index, Q(lane.Name)});
  // During a run the lanes seldom change; measuring their names again
  // would cost more than the rest of a look back.
  if (lanes == lanes_) return;
  lanes_ = std::move(lanes);
  MeasureText();
}

void TTimingDiagram::MeasureText() {
  const QFontMetrics metrics = fontMetrics();
  textHeight_ = metrics.height();
  int widest = metrics.horizontalAdvance(QStringLiteral("takt"));
  for (const TLane& lane : lanes_) widest = std::max(widest, metrics.horizontalAdvance(lane.Name));
  nameWidth_ = widest + 2 * kPad;
}

QStringList TTimingDiagram::LaneNames() const {
  QStringList names;
  for (const TLane& lane : lanes_) names.append(lane.Name);
  return names;
}

std::optional<std::uint32_t> TTimingDiagram::ValueOf(const TLane& lane,
                                                     const TRecordedCycle& cycle) const {
  return LaneValue({lane.Kind, lane.Index, {}}, cycle.Sample);
}

QString TTimingDiagram::ValueText(const TLane& lane, std::uint32_t value) const {
  return Q(LaneValueText(machine_, {lane.Kind, lane.Index, {}}, value));
}

// ---- geometry ----

int TTimingDiagram::LaneHeight() const {
  return textHeight_ + 10;
}

int TTimingDiagram::RulerHeight() const {
  return 2 * (textHeight_ + 4);
}

int TTimingDiagram::ContentHeight() const {
  return RulerHeight() + static_cast<int>(lanes_.size()) * LaneHeight() + kPad;
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

void TTimingDiagram::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    MeasureText();
    UpdateScrollBars();
  } else if (event->type() == QEvent::PaletteChange) {
    colours_ = TimingColours(palette());
    viewport()->update();
  }
}

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
      if (cycle.BeginsInstruction) text += QStringLiteral(", rozkaz ") + Q(cycle.Instruction);
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
  QElapsedTimer cost;
  cost.start();
  const auto measure = qScopeGuard([&] { paintCost_ = cost.nsecsElapsed(); });
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), colours_.Paper);
  if (cycles_.empty()) {
    PaintEmpty(painter, viewport()->rect());
    return;
  }
  Paint(painter, FirstShown(), ShownCount(), viewport()->width(), viewport()->height(), LanesTop());
  if (hasFocus()) {
    painter.setPen(QPen(colours_.Focus, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
  }
}

void TTimingDiagram::PaintEmpty(QPainter& painter, const QRect& area) const {
  painter.setPen(colours_.Ink);
  painter.drawText(area.adjusted(4 * kPad, 4 * kPad, -4 * kPad, -4 * kPad),
                   Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
}

// Straight lines are drawn without antialiasing, one pixel sharp: a blurred
// line would stand out half as much as its colour does.
void TTimingDiagram::Paint(QPainter& painter, std::size_t first, std::size_t count, int width,
                           int height, int lanesTop) const {
  const int lane = LaneHeight();
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Nothing is drawn below the last lane.
  height = std::min(height, lanesTop + static_cast<int>(lanes_.size()) * lane);
  // The current cycle's column, under everything.
  if (current_ >= first && current_ < first + count)
    painter.fillRect(QRect(CellX(first, current_), 0, cellWidth_, height), colours_.CurrentColumn);
  std::vector<QRect> values;
  for (std::size_t l = 0; l < lanes_.size(); ++l) {
    const int top = lanesTop + static_cast<int>(l) * lane;
    if (top + lane < RulerHeight() || top > height) continue;
    painter.setPen(QPen(colours_.Grid, 1));
    painter.drawLine(0, top + lane, width, top + lane);
    PaintLane(painter, lanes_[l], top, first, count, values);
    painter.setPen(colours_.Ink);
    painter.drawText(QRect(kPad, top, NameWidth() - 2 * kPad, lane),
                     Qt::AlignLeft | Qt::AlignVCenter, lanes_[l].Name);
  }
  PaintInstructionLines(painter, first, count, height, values);
  PaintRuler(painter, first, count, width);
}

void TTimingDiagram::PaintInstructionLines(QPainter& painter, std::size_t first, std::size_t count,
                                           int height, const std::vector<QRect>& values) const {
  // The instructions' starts cross every lane, but no value written across
  // one: the line breaks off around it.
  for (std::size_t k = first; k < first + count; ++k) {
    if (!cycles_[k].BeginsInstruction) continue;
    const int x = CellX(first, k);
    painter.setPen(QPen(Faded(k) ? colours_.Faded : colours_.Ink, 1, Qt::DashLine));
    int from = RulerHeight() / 2;
    for (const QRect& value : values) {
      if (x < value.left() - 1 || x > value.right() + 1 || value.bottom() < from) continue;
      if (value.top() - 1 >= from) painter.drawLine(x, from, x, value.top() - 1);
      from = value.bottom() + 1;
    }
    if (from < height) painter.drawLine(x, from, x, height);
  }
}

void TTimingDiagram::PaintRuler(QPainter& painter, std::size_t first, std::size_t count,
                                int width) const {
  const int row = RulerHeight() / 2;
  painter.fillRect(QRect(0, 0, width, RulerHeight()), colours_.Ruler);
  painter.setPen(colours_.RulerInk);
  painter.drawText(QRect(kPad, row, NameWidth() - 2 * kPad, row), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("takt"));
  const QFont normal = painter.font();
  QFont bold = normal;
  bold.setBold(true);
  for (const TRulerLabel& label : RulerLabels(first, count, width)) {
    painter.setPen(label.Current        ? colours_.CurrentNumber
                   : Faded(label.Index) ? colours_.Faded
                                        : colours_.RulerInk);
    painter.setFont(label.Current ? bold : normal);
    painter.drawText(label.Rect, Qt::AlignCenter | Qt::TextDontClip, label.Text);
  }
  painter.setFont(normal);
  const QFontMetrics metrics = fontMetrics();
  for (std::size_t k = first; k < first + count; ++k) {
    if (!cycles_[k].BeginsInstruction) continue;
    // The name runs up to the next instruction's start.
    std::size_t end = k + 1;
    while (end < first + count && !cycles_[end].BeginsInstruction) ++end;
    const int x = CellX(first, k);
    const int room = CellX(first, end) - x - kPad;
    painter.setPen(Faded(k) ? colours_.Faded : colours_.RulerInk);
    painter.drawText(QRect(x + 3, 0, std::max(0, room), row), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(Q(cycles_[k].Instruction), Qt::ElideRight, room));
  }
  painter.setPen(QPen(colours_.Grid, 1));
  painter.drawLine(0, RulerHeight() - 1, width, RulerHeight() - 1);
  painter.drawLine(NameWidth() - 1, 0, NameWidth() - 1, RulerHeight());
}

std::vector<TTimingDiagram::TRulerLabel> TTimingDiagram::RulerLabels() const {
  return RulerLabels(FirstShown(), ShownCount(), viewport()->width());
}

// Numbers every so many cycles (1, 2, 5, 10, 20, ...), as many as their
// widths allow; the current cycle's always, bold. A number keeps clear of
// those placed before it and of the view's edges: near an edge it moves
// inwards, still over its own cycle, rather than be cut.
std::vector<TTimingDiagram::TRulerLabel> TTimingDiagram::RulerLabels(std::size_t first,
                                                                     std::size_t count,
                                                                     int width) const {
  std::vector<TRulerLabel> labels;
  if (count == 0) return labels;
  const int row = RulerHeight() / 2;
  QFont boldFont = font();
  boldFont.setBold(true);
  const QFontMetrics normal = fontMetrics();
  const QFontMetrics bold(boldFont);
  const int left = NameWidth() + 1;
  const int right = width - 1;
  const auto place = [&](std::size_t k, bool current) {
    const QString text = QString::number(cycles_[k].Number);
    const int textWidth = (current ? bold : normal).horizontalAdvance(text);
    const int column = CellX(first, k);
    int x = column + (cellWidth_ - textWidth) / 2;
    x = std::min(x, right - textWidth);
    x = std::max(x, left);
    // Written at least partly over its own column, or not at all.
    if (x + textWidth > right || x >= column + cellWidth_ || x + textWidth <= column) return;
    const QRect rect(x, row, textWidth, row);
    for (const TRulerLabel& other : labels) {
      if (rect.adjusted(-kPad, 0, kPad, 0).intersects(other.Rect)) return;
    }
    labels.push_back({k, text, rect, current});
  };
  const bool currentShown = current_ >= first && current_ < first + count;
  if (currentShown) place(current_, true);
  // The widest number in view (the last, with the most digits) sets the
  // step: 1, 2, 5, 10, 20, 50, ... cycles.
  const auto widest = static_cast<std::uint64_t>(
      bold.horizontalAdvance(QString::number(cycles_[first + count - 1].Number)) + kPad);
  const auto cell = static_cast<std::uint64_t>(cellWidth_);
  constexpr std::array<std::uint64_t, 3> kTimes = {1, 2, 5};
  std::uint64_t step = 1;
  for (std::uint64_t unit = 1; cell * step < widest; unit *= 10) {
    for (const std::uint64_t times : kTimes) {
      step = unit * times;
      if (cell * step >= widest) break;
    }
  }
  for (std::size_t k = first; k < first + count; ++k) {
    if (cycles_[k].Number % step == 0 && !(currentShown && k == current_)) place(k, false);
  }
  std::ranges::sort(labels, {}, [](const TRulerLabel& label) { return label.Rect.left(); });
  return labels;
}

void TTimingDiagram::PaintLane(QPainter& painter, const TLane& lane, int top, std::size_t first,
                               std::size_t count, std::vector<QRect>& values) const {
  painter.save();
  painter.setClipRect(QRect(NameWidth(), top, static_cast<int>(count) * cellWidth_, LaneHeight()));
  if (lane.Kind == TLaneKind::Signal) {
    PaintSignal(painter, lane, top, first, count);
  } else {
    PaintValues(painter, lane, top, first, count, values);
  }
  painter.restore();
}

void TTimingDiagram::PaintSignal(QPainter& painter, const TLane& lane, int top, std::size_t first,
                                 std::size_t count) const {
  const int high = top + 4;
  const int low = top + LaneHeight() - 4;
  for (std::size_t k = first; k < first + count; ++k) {
    const bool on = ValueOf(lane, cycles_[k]).value_or(0) != 0;
    const bool before = k > 0 && ValueOf(lane, cycles_[k - 1]).value_or(0) != 0;
    const int x = CellX(first, k);
    if (on) {
      const QColor& fill = k == current_ ? colours_.CurrentSignalFill
                           : Faded(k)    ? colours_.FadedSignalFill
                                         : colours_.SignalFill;
      painter.fillRect(QRect(x, high, cellWidth_, low - high), fill);
    }
    painter.setPen(QPen(Faded(k) ? colours_.Faded : colours_.Ink, on ? 2 : 1));
    painter.drawLine(x, on ? high : low, x + cellWidth_, on ? high : low);
    if (on != before && k > first) painter.drawLine(x, high, x, low);
  }
}

int TTimingDiagram::LanesTop() const {
  return RulerHeight() - verticalScrollBar()->value();
}

std::vector<TTimingDiagram::TValueBox> TTimingDiagram::ValueBoxes(const TLane& lane,
                                                                  std::size_t first,
                                                                  std::size_t count) const {
  std::vector<TValueBox> boxes;
  std::size_t k = first;
  while (k < first + count) {
    const std::optional<std::uint32_t> value = ValueOf(lane, cycles_[k]);
    std::size_t end = k + 1;
    while (end < first + count && ValueOf(lane, cycles_[end]) == value && Faded(end) == Faded(k))
      ++end;
    // A value that goes on beyond the view's edge has no crossing there.
    const bool changesIn = k > 0 && (k != first || ValueOf(lane, cycles_[k - 1]) != value);
    const bool changesOut =
        end < cycles_.size() && (end < first + count || ValueOf(lane, cycles_[end]) != value);
    boxes.push_back({k, end, value, CellX(first, k), CellX(first, end), changesIn ? kCrossing : 0,
                     changesOut ? kCrossing : 0});
    k = end;
  }
  return boxes;
}

// A value is written where no instruction's line crosses it: in the widest
// stretch of its box between those lines, if it fits there. Else it is
// written whole across the box, and the lines break off around it; it is
// shortened only when even the whole box is too narrow.
std::optional<TTimingDiagram::TValueLabel> TTimingDiagram::LabelOf(const TLane& lane,
                                                                   const TValueBox& box,
                                                                   int top) const {
  if (!box.Value) return std::nullopt;
  const QFontMetrics metrics = fontMetrics();
  const int high = top + 3;
  const int low = top + LaneHeight() - 3;
  // Clear of the crossings, and of a line by a pixel or two.
  constexpr int kClear = 2;
  const int from = box.Left + std::max(box.In, 1) + kClear;
  const int to = box.Right - box.Out - kClear;
  const QString whole = ValueText(lane, *box.Value);
  const int wholeWidth = metrics.horizontalAdvance(whole);
  int gapFrom = from;
  int bestFrom = from;
  int bestTo = from;
  for (std::size_t k = box.First; k <= box.End; ++k) {
    const bool line = k < box.End && k > box.First && cycles_[k].BeginsInstruction;
    if (!line && k != box.End) continue;
    const int gapTo =
        k == box.End ? to : box.Left + static_cast<int>(k - box.First) * cellWidth_ - kClear;
    if (gapTo - gapFrom > bestTo - bestFrom) {
      bestFrom = gapFrom;
      bestTo = gapTo;
    }
    gapFrom = gapTo + 2 * kClear + 1;
  }
  const auto at = [&](int left, int right, const QString& text, int textWidth) {
    const int x = left + (right - left - textWidth) / 2;
    return TValueLabel{text, whole, QRect(x, high, textWidth, low - high)};
  };
  if (bestTo - bestFrom >= wholeWidth) return at(bestFrom, bestTo, whole, wholeWidth);
  if (to - from >= wholeWidth) return at(from, to, whole, wholeWidth);
  if (to - from < metrics.horizontalAdvance(QStringLiteral("0…"))) return std::nullopt;
  const QString shortened = metrics.elidedText(whole, Qt::ElideRight, to - from);
  return at(from, to, shortened, metrics.horizontalAdvance(shortened));
}

std::vector<TTimingDiagram::TValueLabel> TTimingDiagram::ValueLabels(std::size_t lane) const {
  std::vector<TValueLabel> labels;
  if (lane >= lanes_.size() || lanes_[lane].Kind == TLaneKind::Signal) return labels;
  const int top = LanesTop() + static_cast<int>(lane) * LaneHeight();
  for (const TValueBox& box : ValueBoxes(lanes_[lane], FirstShown(), ShownCount())) {
    if (std::optional<TValueLabel> label = LabelOf(lanes_[lane], box, top))
      labels.push_back(std::move(*label));
  }
  return labels;
}

void TTimingDiagram::PaintValues(QPainter& painter, const TLane& lane, int top, std::size_t first,
                                 std::size_t count, std::vector<QRect>& values) const {
  const int high = top + 3;
  const int low = top + LaneHeight() - 3;
  const int middle = (high + low) / 2;
  // Runs of equal values: one box each, with the value written in it.
  for (const TValueBox& run : ValueBoxes(lane, first, count)) {
    // Half a pixel in, so the box's straight edges stay sharp while its
    // crossings are smoothed.
    QPainterPath box;
    box.moveTo(run.Left + 0.5, middle + 0.5);
    box.lineTo(run.Left + run.In + 0.5, high + 0.5);
    box.lineTo(run.Right - run.Out + 0.5, high + 0.5);
    box.lineTo(run.Right + 0.5, middle + 0.5);
    box.lineTo(run.Right - run.Out + 0.5, low + 0.5);
    box.lineTo(run.Left + run.In + 0.5, low + 0.5);
    box.closeSubpath();
    const QColor& ink = Faded(run.First) ? colours_.Faded : colours_.Ink;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(ink, 1));
    // Where nothing drives a bus the lane is hatched.
    painter.setBrush(run.Value ? QBrush(Qt::NoBrush) : QBrush(colours_.Hatching, Qt::BDiagPattern));
    painter.drawPath(box);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (const std::optional<TValueLabel> label = LabelOf(lane, run, top)) {
      painter.drawText(label->Rect, Qt::AlignCenter | Qt::TextDontClip, label->Text);
      values.push_back(label->Rect);
    }
  }
  painter.setBrush(Qt::NoBrush);
}

// ---- what a screen reader hears ----

QString TTimingDiagram::SpokenValue(const TLane& lane, const TRecordedCycle& cycle) const {
  const std::optional<std::uint32_t> value = ValueOf(lane, cycle);
  if (!value) return lane.Name + QStringLiteral(": bez wartości");
  return lane.Name + QStringLiteral(" = ") + ValueText(lane, *value);
}

QString TTimingDiagram::Summary() const {
  if (cycles_.empty()) return emptyText_;
  const std::size_t first = FirstShown();
  const std::size_t count = ShownCount();
  const auto range = [this](std::size_t from, std::size_t to) {
    return QStringLiteral("%1–%2").arg(cycles_[from].Number).arg(cycles_[to].Number);
  };
  const TRecordedCycle& now = cycles_[current_];
  QString text = count == 0
                     ? QString()
                     : QStringLiteral("Pokazane takty %1 z zapisanych %2; ")
                           .arg(range(first, first + count - 1), range(0, cycles_.size() - 1));
  text += QStringLiteral("bieżący takt %1").arg(now.Number);
  // The instruction the current cycle belongs to.
  for (std::size_t k = current_ + 1; k-- > 0;) {
    if (!cycles_[k].BeginsInstruction) continue;
    text += QStringLiteral(", rozkaz ") + Q(cycles_[k].Instruction);
    break;
  }
  if (current_ + 1 < cycles_.size())
    text += QStringLiteral("; takty %1 po nim są wyblakłe")
                .arg(range(current_ + 1, cycles_.size() - 1));
  QStringList names;
  QStringList active;
  QStringList values;
  for (const TLane& lane : lanes_) {
    names.append(lane.Name);
    if (lane.Kind != TLaneKind::Signal) {
      values.append(SpokenValue(lane, now));
    } else if (ValueOf(lane, now).value_or(0) != 0) {
      active.append(lane.Name);
    }
  }
  text += QStringLiteral(". Pasy: ") + names.join(QStringLiteral(", ")) + u'.';
  text += active.isEmpty() ? QStringLiteral(" W bieżącym takcie żaden sygnał nie jest aktywny")
                           : QStringLiteral(" W bieżącym takcie aktywne sygnały: ") +
                                 active.join(QStringLiteral(", "));
  if (!values.isEmpty()) text += QStringLiteral("; ") + values.join(QStringLiteral("; "));
  return text + u'.';
}

void TTimingDiagram::TellScreenReader() {
  // Only with a screen reader listening: a run changes the view often.
  if (!QAccessible::isActive()) return;
  QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&changed);
}

namespace {

// The diagram as a screen reader sees it: a chart named by the window,
// described by what it shows.
class TTimingAccessible final : public QAccessibleWidget {
 public:
  explicit TTimingAccessible(TTimingDiagram* diagram)
      : QAccessibleWidget(diagram, QAccessible::Chart), diagram_(diagram) {}

  [[nodiscard]] QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description) return diagram_->Summary();
    return QAccessibleWidget::text(t);
  }

 private:
  TTimingDiagram* diagram_;
};

}  // namespace

QAccessibleInterface* TTimingDiagram::CreateAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(TTimingDiagram::staticMetaObject.className())) {
    if (auto* diagram = qobject_cast<TTimingDiagram*>(object))
      return new TTimingAccessible(diagram);
  }
  return nullptr;
}

// ---- colours ----

TTimingColours TimingColours(const QPalette& palette) {
  TTimingColours c;
  const QColor highlight = palette.color(QPalette::Highlight);
  c.Paper = palette.color(QPalette::Base);
  c.Ruler = palette.color(QPalette::Window);
  // The marks of the current cycle and of a signal that is on are the
  // selection's colour, thinly laid over the paper.
  c.CurrentColumn = Blend(c.Paper, highlight, 0.24);
  c.SignalFill = Blend(c.Paper, highlight, 0.35);
  c.CurrentSignalFill = Blend(c.CurrentColumn, highlight, 0.35);
  c.FadedSignalFill = Blend(c.Paper, c.SignalFill, 0.35);
  c.Ink = Legible(palette.color(QPalette::Text),
                  {c.Paper, c.CurrentColumn, c.SignalFill, c.CurrentSignalFill}, kTextContrast);
  c.RulerInk = Legible(palette.color(QPalette::WindowText), {c.Ruler}, kTextContrast);
  c.CurrentNumber = Legible(highlight, {c.Ruler}, kTextContrast);
  // Faded as far as a line may be: the paper's own colour, darkened or
  // lightened until it stands out enough.
  c.Faded = Legible(c.Paper, {c.Paper, c.Ruler, c.FadedSignalFill}, kLineContrast);
  c.Grid = Legible(palette.color(QPalette::Mid), {c.Paper, c.Ruler}, kLineContrast);
  c.Hatching = Legible(palette.color(QPalette::Mid), {c.Paper, c.CurrentColumn}, kLineContrast);
  c.Focus = Legible(highlight, {c.Paper, c.Ruler}, kLineContrast);
  return c;
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
    painter.fillRect(all, colours_.Paper);
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
  const std::string path = U8(fileName);
  const std::string failed = Texts::CannotWriteFile(path, "błąd rysowania");
  if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(all.size());
    svg.setViewBox(all);
    svg.setTitle(QStringLiteral("Przebiegi czasowe"));
    QPainter painter(&svg);
    paint(painter);
    if (!painter.end()) throw EDorumError(failed);
    WriteFileBytes(path, Bytes(bytes.data()));
    return;
  }
  constexpr int kFactor = 2;
  QImage image(width * kFactor, height * kFactor, QImage::Format_ARGB32);
  {
    QPainter painter(&image);
    painter.scale(kFactor, kFactor);
    paint(painter);
  }
  if (!image.save(&bytes, "PNG")) throw EDorumError(failed);
  WriteFileBytes(path, Bytes(bytes.data()));
}

}  // namespace dorum::gui
