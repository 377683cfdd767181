#pragma once

#include <QFont>
#include <QRegion>
#include <QTransform>
#include <QWidget>
#include <vector>

#include "DiagramLayout.h"
#include "machine/Machine.h"

namespace dorum::gui {

class TAppCore;

// The live diagram of the data path: every register, bus, the memory view,
// the arithmetic-logic unit, every signal and wire, drawn in design units
// and scaled to the widget (sharp at any resolution, since everything is
// drawn as vectors). Active signals, their wires and driven buses are red;
// hidden components leave their place empty. It repaints only what the
// machine's changes touch.
class TMachineDiagram final : public QWidget {
  Q_OBJECT

 public:
  explicit TMachineDiagram(TAppCore& core, QWidget* parent = nullptr);

  // Design units to widget coordinates: scaled to fit the widget less the
  // right margin, centred in it.
  [[nodiscard]] QTransform Transform() const;
  // Keeps a strip of the widget right of the drawing free (for the memory's
  // scroll bar).
  void SetRightMargin(int pixels);
  // Where the diagram is drawn, in widget coordinates.
  [[nodiscard]] QRectF DrawingRect() const;
  [[nodiscard]] QRect WidgetRect(const QRect& design) const;
  [[nodiscard]] QRect WidgetRect(const TBox& design) const { return WidgetRect(Rect(design)); }
  [[nodiscard]] double Scale() const;

  // The visible item under a point of the widget (signals before the boxes
  // they stand on), or none.
  [[nodiscard]] const TDiagramItem* ItemAt(const QPointF& at) const;
  // The address of the memory row under a point of the widget's memory view.
  [[nodiscard]] int MemoryAddressAt(const QPointF& at) const;
  [[nodiscard]] bool Shows(const TDiagramItem& item) const;
  // What an item shows, as a screen reader reads it: «AK : 15», «mag S = 37».
  [[nodiscard]] QString TextOf(const TDiagramItem& item) const;
  [[nodiscard]] QString MemoryRowText(int row) const;
  // Where a row of the memory view stands, in design units.
  [[nodiscard]] QRect MemoryRowBox(int row) const;
  [[nodiscard]] int VisibleRows() const noexcept { return visibleRows_; }
  // The address in the memory view's first row. Where the user looks is the
  // view's business alone: the machine only tells which word it accessed.
  [[nodiscard]] int TopRow() const noexcept { return topRow_; }
  // Shows the memory from this address on, never past the last full page.
  void SetTopRow(int address);
  // Keeps the memory view with the machine: a new memory size shows it from
  // the start, and a word accessed out of sight scrolls into view. Works
  // hidden too, so the window shows the right rows when it appears; true
  // when the first row moved.
  [[nodiscard]] bool FollowMemory(const TMachineChanges& changes);
  [[nodiscard]] const TMachine& Machine() const noexcept { return machine_; }

  // The keyboard's place in the diagram: a register, or the memory (then at
  // FocusAddress). Tab and the arrow keys move it, Enter asks for a value
  // as a click does. Null when no register or memory is shown.
  [[nodiscard]] const TDiagramItem* FocusItem() const;
  [[nodiscard]] int FocusAddress() const noexcept { return focusAddress_; }
  // Where the focus mark stands (an item's box or a memory row), in widget
  // coordinates; empty while the memory's focused word is out of view.
  [[nodiscard]] QRect FocusRect() const;

  // Repaints what the changes touch.
  void ApplyChanges(const TMachineChanges& changes);
  // The region asked to be repainted by the last ApplyChanges.
  [[nodiscard]] const QRegion& LastUpdate() const noexcept { return lastUpdate_; }

  // The colours it draws with, chosen against its palette.
  [[nodiscard]] const TDiagramColours& Colours() const noexcept { return colours_; }

  // The whole diagram in design units, for painting and for export.
  void Paint(QPainter& painter, const QRectF& exposed) const;
  // The diagram as a picture file: PNG (twice the design size) or SVG.
  void SaveAs(const QString& fileName) const;

 Q_SIGNALS:
  void RegisterClicked(dorum::TRegisterId id);
  void RegisterMenuRequested(dorum::TRegisterId id, const QPoint& globalAt);
  void MemoryClicked(int address);
  void SignalClicked(int signal);
  void BackgroundMenuRequested(const QPoint& globalAt);
  // The keyboard scrolled the memory view.
  void TopRowChanged(int top);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PaintRegister(QPainter& p, const TDiagramItem& item) const;
  void PaintBus(QPainter& p, const TDiagramItem& item) const;
  void PaintMemory(QPainter& p, const TDiagramItem& item) const;
  void PaintSignal(QPainter& p, const TDiagramItem& item) const;
  void PaintWire(QPainter& p, const TDiagramItem& item) const;
  void UpdateItems(QRegion& region, TItemKind kind, int id) const;
  [[nodiscard]] int LastTopRow() const noexcept;
  // The registers shown and the memory, in reading order.
  [[nodiscard]] std::vector<const TDiagramItem*> FocusStops() const;
  [[nodiscard]] QRect FocusDesignRect() const;
  // Moves the mark by `step` stops; false at either end.
  bool MoveFocus(int step);
  [[nodiscard]] int AddressInView() const noexcept;
  void MoveFocusAddress(int step);
  void SetFocusTo(const TDiagramItem* item, int address, bool tell = true);
  void ActivateFocus();
  void TellFocus();

  const TMachine& machine_;
  TDiagramColours colours_;
  QFont font_;  // in design units
  int rowHeight_ = 13;
  int columnStep_ = 48;
  int visibleRows_ = 15;
  int topRow_ = 0;
  int memorySize_;  // as last followed, to see a new size
  int rightMargin_ = 0;
  const TDiagramItem* focusItem_ = nullptr;
  int focusAddress_ = 0;
  QRegion lastUpdate_;
  const TDiagramItem* pressed_ = nullptr;
};

}  // namespace dorum::gui
