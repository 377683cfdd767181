#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "machine/Machine.h"

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace dorum::gui {

class TAppCore;
class TFlowLayout;
class TMachineDiagram;

// The machine window ("Jednostka centralna"): the diagram of the data path,
// scaled to the window; above it the controls (manual control, tracking
// level, the pace of a traced run, the interrupt buttons), beside the memory
// its scroll bar, and below a line telling whether a run is in progress and
// how far it has got.
class TFormMachine final : public QWidget {
  Q_OBJECT

 public:
  explicit TFormMachine(TAppCore& core, QWidget* parent = nullptr);
  ~TFormMachine() override;

  [[nodiscard]] TMachineDiagram& Diagram() const noexcept { return *diagram_; }
  [[nodiscard]] QCheckBox* ManualControlBox() const noexcept { return manual_; }
  [[nodiscard]] QRadioButton* TrackingButton(int level) const;
  [[nodiscard]] QScrollBar* MemoryScrollBar() const noexcept { return scroll_; }
  [[nodiscard]] QPushButton* InterruptButton(int line) const;
  [[nodiscard]] QComboBox* TempoBox() const noexcept { return tempo_; }
  [[nodiscard]] QLabel* RunStatus() const noexcept { return status_; }
  // The strip above the diagram holding every control but the scroll bar.
  [[nodiscard]] QWidget* ControlStrip() const noexcept { return controls_; }

  // "Wpisz wartość" for a register, and the input box of a memory word.
  void EnterRegisterValue(TRegisterId id);
  void EnterMemoryValue(int address);
  // The register's context menu, its current display mode checked.
  [[nodiscard]] std::unique_ptr<QMenu> RegisterMenu(TRegisterId id);
  // The diagram's own menu: saving it as a picture, clearing the memory.
  [[nodiscard]] std::unique_ptr<QMenu> BackgroundMenu();
  // Brings the whole window up to date with the machine.
  void RefreshAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void BuildTracking(TFlowLayout& strip);
  void BuildTempo(QBoxLayout& column);
  void BuildInterruptButtons(TFlowLayout& strip);
  [[nodiscard]] int ScrollBarRoom() const;
  void PlaceControls();
  void OnRefresh(const TMachineChanges& changes);
  void SyncScrollBar();
  void SyncControls();
  void UpdateRunStatus();
  // The window's minimum size: the smallest the diagram is drawn for, or
  // more when the controls need it.
  void KeepControlsWhole();
  void ShowBackgroundMenu(const QPoint& globalAt);

  TAppCore& core_;
  TMachine& machine_;
  TMachineDiagram* diagram_;
  QWidget* controls_ = nullptr;  // the strip above the diagram
  QWidget* interruptPanel_ = nullptr;
  QCheckBox* manual_ = nullptr;
  QGroupBox* tracking_ = nullptr;
  QButtonGroup* trackingGroup_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  std::array<QPushButton*, 4> interrupts_{};
  QWidget* tempoPanel_ = nullptr;
  QComboBox* tempo_ = nullptr;
  QLabel* status_ = nullptr;
  bool stale_ = false;  // hidden while something changed
  std::uint64_t runCycles_ = 0;
  std::uint64_t runInstructions_ = 0;
  bool syncing_ = false;
};

}  // namespace dorum::gui
