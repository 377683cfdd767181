#pragma once

#include <QWidget>

#include "machine/IOConsole.h"
#include "machine/MachineLinks.h"

class QLineEdit;
class QPlainTextEdit;

namespace dorum::gui {

class TAppCore;

// The console of the machine's character devices ("Konsola wejścia/wyjścia"):
// what the user types into "Wejście" is the input device's queue, and what a
// program writes to the output port appears in "Wyjście". During a run the
// output is gathered and shown on the views' clock, never per character.
class TFormIOConsole final : public QWidget, private IConsoleObserver {
  Q_OBJECT

 public:
  explicit TFormIOConsole(TAppCore& core, QWidget* parent = nullptr);
  ~TFormIOConsole() override;

  [[nodiscard]] QLineEdit* InputField() const noexcept { return input_; }
  [[nodiscard]] QPlainTextEdit* OutputText() const noexcept { return output_; }
  // "Clear" of the output's menu.
  void ClearOutput();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // IConsoleObserver
  void InputChanged() override { inputStale_ = true; }
  void OutputAppended(char32_t c) override;
  void OutputCleared() override;

  void OnRefresh();
  void ShowInput();
  void ShowWholeOutput();
  // Line breaks a program writes (CR, LF or both) become line breaks here.
  [[nodiscard]] QString Displayed(const QString& text);

  TAppCore& core_;
  QLineEdit* input_;
  QPlainTextEdit* output_;
  QString pending_;  // written since the last refresh
  bool outputStale_ = false;
  bool inputStale_ = false;
  // What the field showed after its last refresh or edit: the program may
  // have read from the machine's input since.
  QString shownInput_;
  bool afterReturn_ = false;  // the last character shown was a CR
  TSubscribers<IConsoleObserver>::TSubscription subscription_;
};

}  // namespace dorum::gui
