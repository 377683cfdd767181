#pragma once

#include <QDialog>
#include <functional>

#include "AppCore.h"
#include "control/StopConditions.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace dorum::gui {

// Gives a command that may take away names the stop conditions use (an
// assembly, a list or an example loaded, the options), as TAppCore::Perform
// does, and tells the user in an information box which enabled conditions
// it left unchecked, with the reason for each.
bool PerformRenaming(TAppCore& core, QWidget* parent, TCommand command,
                     std::function<void()> action);

// "Warunki zatrzymania": the session's stop conditions, each with a check
// box that enables it, a field to add one, and commands that remove one or
// all. It shows the application's copy: "OK" puts it in place (adding what
// is still typed in the field), "Anuluj" leaves the conditions as they
// were.
class TFormStopConditions final : public QDialog {
  Q_OBJECT

 public:
  explicit TFormStopConditions(TAppCore& core, QWidget* parent = nullptr);

  [[nodiscard]] QListWidget* List() const noexcept { return list_; }
  [[nodiscard]] QLineEdit* Edit() const noexcept { return edit_; }
  // What is wrong with the condition last added, or that the list had it
  // already; empty when it was added.
  [[nodiscard]] QLabel* Message() const noexcept { return message_; }
  // The conditions as the dialog holds them now.
  [[nodiscard]] const TStopConditions& Conditions() const noexcept;

  // "Dodaj": the text of the field; false, with the message shown and the
  // text kept, when it is malformed.
  bool AddTyped();
  // "Usuń": the selected condition.
  void RemoveSelected();
  // "Usuń wszystkie".
  void RemoveAll();
  void accept() override;

 private:
  [[nodiscard]] QWidget* BuildEditRow();
  void Fill(int selected);
  // A fault in red, a note in the dialog's own colour.
  void ShowMessage(const QString& text, bool fault);
  void ItemChanged(QListWidgetItem* item);

  TAppCore& core_;
  QListWidget* list_;
  QLineEdit* edit_ = nullptr;
  QLabel* message_;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* clear_ = nullptr;
  bool filling_ = false;
};

}  // namespace dorum::gui
