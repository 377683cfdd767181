#include "UserInterface.h"

#include <QFileDialog>
#include <QInputDialog>

#include "common/Text.h"

namespace dorum::gui {

QString ErrorBoxText(const QString& message) {
  if (message.isEmpty()) return message;
  // Compared as code page 1250 codes: letters and digits sort after ".",
  // blanks and most punctuation before it.
  const int last = CharToCp1250(message.back());
  if (last < 0 || last > '.') return message + QLatin1Char('.');
  return message;
}

TUserDialogs::TUserDialogs()
    : ShowError([](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, kApplicationTitle, text);
      }),
      ShowInformation([](QWidget* parent, const QString& text) {
        QMessageBox::information(parent, kApplicationTitle, text);
      }),
      AskText([](QWidget* parent, const QString& title, const QString& prompt,
                 const QString& text) -> std::optional<QString> {
        bool ok = false;
        const QString answer =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
        if (!ok) return std::nullopt;
        return answer;
      }),
      Ask([](QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons) {
        return QMessageBox::question(parent, kApplicationTitle, text, buttons);
      }),
      OpenFileName([](QWidget* parent, const QString& title, const QString& folderOrFile,
                      const QString& filter) -> std::optional<QString> {
        const QString name = QFileDialog::getOpenFileName(parent, title, folderOrFile, filter);
        if (name.isEmpty()) return std::nullopt;
        return name;
      }),
      SaveFileName([](QWidget* parent, const QString& title, const QString& folderOrFile,
                      const QString& filter) -> std::optional<QString> {
        const QString name = QFileDialog::getSaveFileName(parent, title, folderOrFile, filter);
        if (name.isEmpty()) return std::nullopt;
        return name;
      }) {}

void TErrorReporter::Report(QWidget* parent, const QString& message) const {
  dialogs_.ShowError(parent, ErrorBoxText(message));
}

void TErrorReporter::ReportSafely(QWidget* parent, const QString& message) const noexcept {
  try {
    Report(parent, message);
  } catch (...) {
    // Nothing more can be told: the box itself failed.
  }
}

}  // namespace dorum::gui
