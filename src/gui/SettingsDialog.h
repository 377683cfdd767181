#pragma once

#include <QDialog>
#include <array>

#include "machine/MachineConfig.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;

namespace dorum::gui {

class TAppCore;

// Up and down arrows with no text field, holding a position that a change
// may take only within its range; a label beside it shows the position.
class TUpDown final : public QWidget {
  Q_OBJECT

 public:
  TUpDown(int minimum, int maximum, QLabel* label, QWidget* parent = nullptr);
  [[nodiscard]] int Position() const noexcept { return position_; }
  // A value outside the range is refused: position and label stay.
  bool SetPosition(int position);
  [[nodiscard]] QToolButton* Up() const noexcept { return up_; }
  [[nodiscard]] QToolButton* Down() const noexcept { return down_; }

 private:
  int minimum_;
  int maximum_;
  int position_;
  QLabel* label_;
  QToolButton* up_;
  QToolButton* down_;
};

// The project options ("Opcje projektu"): the widths of the machine word,
// the components with the four preset machines, the interrupt handlers and
// the input/output devices. It reads the machine when it opens and writes it
// back on "OK", once every field has been checked.
class TFormSettings final : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSettings(TAppCore& core, QWidget* parent = nullptr);

  [[nodiscard]] QTabWidget* Tabs() const noexcept { return tabs_; }
  [[nodiscard]] TUpDown* AddressBits() const noexcept { return address_; }
  [[nodiscard]] TUpDown* CodeBits() const noexcept { return code_; }
  [[nodiscard]] QListWidget* CheckList() const noexcept { return options_; }
  // The selected preset (0 "Dorum" .. 3 "Ombra"), or -1 for none.
  [[nodiscard]] int SelectedPreset() const;
  void SelectPreset(int index);
  // Ticks option `number` (1..10) as a click on the check list does.
  void TickOption(int number, bool ticked);
  [[nodiscard]] TComponentSet TickedComponents() const;
  [[nodiscard]] QLineEdit* VectorLabel(int line) const {
    return vectorLabels_.at(static_cast<std::size_t>(line - 1));
  }
  [[nodiscard]] QLineEdit* VectorAddress(int line) const {
    return vectorAddresses_.at(static_cast<std::size_t>(line - 1));
  }
  [[nodiscard]] QLineEdit* InputPort() const noexcept { return inputPort_; }
  [[nodiscard]] QLineEdit* InputInterrupt() const noexcept { return inputInterrupt_; }
  [[nodiscard]] QLineEdit* OutputPort() const noexcept { return outputPort_; }
  [[nodiscard]] QLineEdit* OutputInterrupt() const noexcept { return outputInterrupt_; }

  // "OK": checks every field, then writes the machine and closes; a field
  // that is no integer is shown with the conversion error and nothing is
  // written.
  void Apply();

 private:
  QWidget* BuildArchitecture();
  QWidget* BuildComponents();
  QWidget* BuildAddresses();
  void ShowMachine();
  void ShowComponents(const TComponentSet& components);

  TAppCore& core_;
  QTabWidget* tabs_;
  TUpDown* address_ = nullptr;
  TUpDown* code_ = nullptr;
  QButtonGroup* presets_ = nullptr;
  QListWidget* options_ = nullptr;
  std::array<QLineEdit*, 4> vectorLabels_{};
  std::array<QLineEdit*, 4> vectorAddresses_{};
  QLineEdit* inputPort_ = nullptr;
  QLineEdit* inputInterrupt_ = nullptr;
  QLineEdit* outputPort_ = nullptr;
  QLineEdit* outputInterrupt_ = nullptr;
  bool showing_ = false;
};

}  // namespace dorum::gui
