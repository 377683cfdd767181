#pragma once

#include <QWidget>
#include <bitset>

#include "machine/MachineLinks.h"

class QAction;
class QListWidget;
class QMenu;
class QSplitter;

namespace dorum::gui {

class TAppCore;

// The instruction list window ("Lista rozkazów"): the names of the
// instructions in code order and, beside them, the source of the selected
// one. During a run it marks the instruction being performed and the line
// of its current cycle (on the views' clock). Cycle breakpoints are set
// here, instructions deleted, and instruction list files loaded and saved.
class TFormMicroprogram final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 13;

  explicit TFormMicroprogram(TAppCore& core, QWidget* parent = nullptr);

  [[nodiscard]] QListWidget* Commands() const noexcept { return commands_; }
  [[nodiscard]] QListWidget* Text() const noexcept { return text_; }
  [[nodiscard]] int MarkedInstruction() const noexcept { return markedInstruction_; }
  [[nodiscard]] int MarkedLine() const noexcept { return markedLine_; }
  [[nodiscard]] QAction* DeleteAction() const noexcept { return delete_; }
  [[nodiscard]] QAction* BreakpointAction() const noexcept { return breakpoint_; }
  [[nodiscard]] QAction* CopyAction() const noexcept { return copy_; }
  [[nodiscard]] QAction* RefreshAction() const noexcept { return refresh_; }

  // The control unit's place: the instruction, then the line of its cycle.
  void ShowInstruction(int code);
  void ShowCycleLine(int line);
  // The names again, from the control unit's list.
  void RefreshNames();
  // The source of instruction `index` in the text pane.
  void ShowText(int index);
  // Whether a line of the shown text begins a cycle.
  [[nodiscard]] bool IsCycleLine(int line) const;

  // "Usuń rozkaz", "Punkt zatrzymania", "Kopiuj tekst".
  void DeleteSelected();
  void ToggleBreakpoint();
  void CopyText();
  // Enables "Punkt zatrzymania" for the selected line, as the menu opens.
  void UpdateCycleMenu();

  // Instruction list files: the configuration and every instruction.
  void LoadInstructionList(const QString& fileName);
  void SaveInstructionList(const QString& fileName);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnRefresh();
  void FollowControl();

  TAppCore& core_;
  QSplitter* splitter_;
  QListWidget* commands_;
  QListWidget* text_;
  QMenu* commandMenu_;
  QMenu* cycleMenu_;
  QAction* delete_;
  QAction* refresh_;
  QAction* breakpoint_;
  QAction* copy_;
  std::bitset<256> cycleLines_;
  int shownIndex_ = -1;
  int markedInstruction_ = -1;
  int markedLine_ = -1;
};

}  // namespace dorum::gui
