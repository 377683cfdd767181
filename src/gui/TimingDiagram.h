#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "control/History.h"
#include "diagram/TimingLanes.h"

class QAccessibleInterface;
class QPainter;

namespace dorum::gui {

// The colours of the timing diagram under a palette: every line and
// hatching stands out at least kLineContrast from what it is drawn on (the
// faded ones after the current cycle too), every text kTextContrast.
struct TTimingColours {
  QColor Paper;              // under the lanes
  QColor Ruler;              // under the ruler
  QColor CurrentColumn;      // under the current cycle's lanes
  QColor SignalFill;         // under a signal while it is on
  QColor CurrentSignalFill;  // the same in the current cycle
  QColor FadedSignalFill;    // the same after the current cycle
  QColor Ink;                // the lanes' lines, values and names, the instructions' lines
  QColor RulerInk;           // cycle numbers and instructions' names
  QColor CurrentNumber;      // the current cycle's number
  QColor Faded;              // lines, values and numbers after the current cycle
  QColor Grid;               // between lanes, under the ruler, beside the names
  QColor Hatching;           // where nothing drives a bus
  QColor Focus;              // the keyboard's mark
};
[[nodiscard]] TTimingColours TimingColours(const QPalette& palette);

// The recorded cycles as a timing diagram: a lane for each signal active
// in them, one for each bus and for each register chosen, cycle numbers on
// a ruler and the instructions' starts as labelled lines. The cycles after
// the current one (kept after stepping back) are drawn faded. It scrolls by
// cycles and zooms; a click on a cycle is passed on.
class TTimingDiagram final : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kDefaultCellWidth = 56;
  static constexpr int kMinCellWidth = 14;
  static constexpr int kMaxCellWidth = 320;

  explicit TTimingDiagram(const TMachine& machine, QWidget* parent = nullptr);

  // The cycles, oldest first; those after `current` are drawn faded. The
  // view stays at the newest cycles when it was there.
  void SetCycles(std::vector<TRecordedCycle> cycles, std::size_t current);
  [[nodiscard]] const std::vector<TRecordedCycle>& Cycles() const noexcept { return cycles_; }
  [[nodiscard]] std::size_t Current() const noexcept { return current_; }
  void SetRegisters(std::vector<TRegisterId> registers);
  [[nodiscard]] const std::vector<TRegisterId>& Registers() const noexcept { return registers_; }
  // What the window says instead of a diagram when there are no cycles.
  void SetEmptyText(const QString& text);
  [[nodiscard]] const QString& EmptyText() const noexcept { return emptyText_; }

  // Lanes as named on the diagram, top to bottom.
  [[nodiscard]] QStringList LaneNames() const;
  // The cycles in view: the first and how many.
  [[nodiscard]] std::size_t FirstShown() const;
  [[nodiscard]] std::size_t ShownCount() const;
  [[nodiscard]] int CellWidth() const noexcept { return cellWidth_; }
  void SetCellWidth(int width);
  void ScrollToCycle(std::size_t index);
  // The cycle under a point of the viewport, if any.
  [[nodiscard]] std::optional<std::size_t> CycleAt(QPoint point) const;
  // The centre of a cycle's column in the viewport.
  [[nodiscard]] QPoint CyclePoint(std::size_t index) const;
  // The left edge of a cycle's column in the viewport, where the line of an
  // instruction beginning in it stands.
  [[nodiscard]] int CycleLeft(std::size_t index) const { return CellX(FirstShown(), index); }

  // A cycle's number on the ruler: the text, written centred in `Rect`
  // (viewport coordinates), bold for the current cycle.
  struct TRulerLabel {
    std::size_t Index;
    QString Text;
    QRect Rect;
    bool Current;
  };
  // The numbers the ruler shows for the cycles in view, left to right.
  [[nodiscard]] std::vector<TRulerLabel> RulerLabels() const;
  // A value written in a lane: the text written (elided where there is no
  // room), the whole value, and where it is written centred.
  struct TValueLabel {
    QString Text;
    QString Whole;
    QRect Rect;
  };
  // The values written in a lane for the cycles in view, left to right.
  [[nodiscard]] std::vector<TValueLabel> ValueLabels(std::size_t lane) const;

  // The cycles in view as a picture file: PNG (twice the size) or SVG.
  void SaveAs(const QString& fileName) const;

  // What the last paint of the view took, in nanoseconds: a run lets the
  // window look back only as often as it can afford both.
  [[nodiscard]] qint64 PaintCost() const noexcept { return paintCost_; }

  [[nodiscard]] const TTimingColours& Colours() const noexcept { return colours_; }
  // What the view shows, in words, for a screen reader: the cycles in view
  // and those recorded, the current cycle with its instruction, the lanes,
  // and what the current cycle left in them.
  [[nodiscard]] QString Summary() const;
  // The factory of its accessible interface, installed once.
  static QAccessibleInterface* CreateAccessible(const QString& className, QObject* object);

 Q_SIGNALS:
  void CycleClicked(std::size_t index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct TLane {
    TLaneKind Kind;
    int Index;
    QString Name;
    friend bool operator==(const TLane&, const TLane&) = default;
  };
  // A run of equal values in a lane: cycles [First, End), drawn from Left
  // to Right, with the crossings of a change at either end or none.
  struct TValueBox {
    std::size_t First;
    std::size_t End;
    std::optional<std::uint32_t> Value;
    int Left;
    int Right;
    int In;
    int Out;
  };
  // A lane's value in a cycle; none where a bus is not driven.
  [[nodiscard]] std::optional<std::uint32_t> ValueOf(const TLane& lane,
                                                     const TRecordedCycle& cycle) const;
  [[nodiscard]] QString ValueText(const TLane& lane, std::uint32_t value) const;

  void BuildLanes();
  // The widths and heights that follow the font and the lanes' names,
  // measured once: painting asks for them for every cell.
  void MeasureText();
  void UpdateScrollBars();
  [[nodiscard]] int NameWidth() const noexcept { return nameWidth_; }
  [[nodiscard]] int LaneHeight() const;
  [[nodiscard]] int RulerHeight() const;
  [[nodiscard]] int ContentHeight() const;

  // Paints cycles [first, first + count) with the names at x = 0, the
  // ruler at y = 0 and the lanes from `lanesTop` down.
  void Paint(QPainter& painter, std::size_t first, std::size_t count, int width, int height,
             int lanesTop) const;
  void PaintRuler(QPainter& painter, std::size_t first, std::size_t count, int width) const;
  // A lane; the places of the values written in it are added to `values`.
  void PaintLane(QPainter& painter, const TLane& lane, int top, std::size_t first,
                 std::size_t count, std::vector<QRect>& values) const;
  void PaintSignal(QPainter& painter, const TLane& lane, int top, std::size_t first,
                   std::size_t count) const;
  void PaintValues(QPainter& painter, const TLane& lane, int top, std::size_t first,
                   std::size_t count, std::vector<QRect>& values) const;
  [[nodiscard]] std::vector<TValueBox> ValueBoxes(const TLane& lane, std::size_t first,
                                                  std::size_t count) const;
  [[nodiscard]] std::optional<TValueLabel> LabelOf(const TLane& lane, const TValueBox& box,
                                                   int top) const;
  [[nodiscard]] std::vector<TRulerLabel> RulerLabels(std::size_t first, std::size_t count,
                                                     int width) const;
  [[nodiscard]] int LanesTop() const;
  // The instructions' dashed lines, broken where a value is written across.
  void PaintInstructionLines(QPainter& painter, std::size_t first, std::size_t count, int height,
                             const std::vector<QRect>& values) const;
  // The screen reader hears of a change of what is shown.
  void TellScreenReader();
  void PaintEmpty(QPainter& painter, const QRect& area) const;
  [[nodiscard]] int CellX(std::size_t first, std::size_t index) const;
  [[nodiscard]] bool Faded(std::size_t index) const noexcept { return index > current_; }
  // What a lane shows in a cycle, in words: «AK = 12», «mag A: bez wartości».
  [[nodiscard]] QString SpokenValue(const TLane& lane, const TRecordedCycle& cycle) const;

  const TMachine& machine_;
  std::vector<TRecordedCycle> cycles_;
  std::size_t current_ = 0;
  std::vector<TRegisterId> registers_;
  std::vector<TLane> lanes_;
  QString emptyText_;
  int cellWidth_ = kDefaultCellWidth;
  TTimingColours colours_;
  int nameWidth_ = 0;
  int textHeight_ = 0;
  qint64 paintCost_ = 0;
};

}  // namespace dorum::gui
