#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <optional>

#include "CoreText.h"
#include "common/Error.h"

namespace dorum::gui {

// The application title: the caption of every error box.
inline const QString kApplicationTitle = QStringLiteral("Maszyna Dorum");

// The text an error box shows: the message with "." appended when its last
// character sorts after "." in the code page.
[[nodiscard]] QString ErrorBoxText(const QString& message);

// Everything that asks the user something or tells the user something in a
// dialog of its own. The windows go through it, so tests can answer in
// place of a user; each member starts with the real dialog.
struct TUserDialogs {
  // The error box: application title, error icon, OK.
  std::function<void(QWidget* parent, const QString& text)> ShowError;
  // An information box (successful compiles).
  std::function<void(QWidget* parent, const QString& text)> ShowInformation;
  // A one-line input box; no value when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& prompt,
                                       const QString& text)>
      AskText;
  // A question with the given standard buttons; the button pressed.
  std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons)>
      Ask;
  // File dialogs; no value when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                       const QString& folderOrFile, const QString& filter)>
      OpenFileName;
  std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                       const QString& folderOrFile, const QString& filter)>
      SaveFileName;

  TUserDialogs();
};

// The one place every error of every command goes: it shows the error box
// and the application carries on with what the command did before it.
class TErrorReporter {
 public:
  explicit TErrorReporter(const TUserDialogs& dialogs) : dialogs_(dialogs) {}

  void Report(QWidget* parent, const QString& message) const;

  // Runs a command; an error it raises is reported. True when it succeeded.
  template <class TCommand>
  bool Run(QWidget* parent, TCommand&& command) const noexcept {
    try {
      std::forward<TCommand>(command)();
      return true;
    } catch (const EDorumError& e) {
      ReportSafely(parent, Q(e.Message()));
    } catch (const std::exception& e) {
      ReportSafely(parent, QString::fromLocal8Bit(e.what()));
    }
    return false;
  }

 private:
  void ReportSafely(QWidget* parent, const QString& message) const noexcept;

  const TUserDialogs& dialogs_;
};

}  // namespace dorum::gui
