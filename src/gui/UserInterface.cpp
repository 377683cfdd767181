#include "UserInterface.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QPointer>

#include "CoreText.h"
#include "common/Texts.h"

namespace dorum::gui {

QString ErrorBoxText(const QString& message) {
  return Q(Texts::BoxText(U8(message)));
}

namespace {

// Gives the keyboard back to the window and control that had it before a
// modal dialog. Window managers usually do this themselves; without one (or
// with a careless one) the keys of the run commands would go nowhere until
// the user clicked a window.
class TFocusReturn {
 public:
  // Dialogs may follow each other faster than the window system reports
  // the activation back, so with no active window the parent's stands in.
  explicit TFocusReturn(QWidget* parent) : window_(QApplication::activeWindow()) {
    if (!window_ && parent) window_ = parent->window();
    focus_ = QApplication::focusWidget();
    if (!focus_ && window_) focus_ = window_->focusWidget();
  }
  ~TFocusReturn() {
    if (window_ && window_->isVisible()) window_->activateWindow();
    if (focus_ && focus_->isVisible()) focus_->setFocus(Qt::OtherFocusReason);
  }
  TFocusReturn(const TFocusReturn&) = delete;
  TFocusReturn& operator=(const TFocusReturn&) = delete;

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
};

}  // namespace

TUserDialogs::TUserDialogs()
    : ShowError([](QWidget* parent, const QString& text) {
        const TFocusReturn focus(parent);
        QMessageBox::critical(parent, kApplicationTitle, text);
      }),
      ShowInformation([](QWidget* parent, const QString& text) {
        const TFocusReturn focus(parent);
        QMessageBox::information(parent, kApplicationTitle, text);
      }),
      AskText([](QWidget* parent, const QString& title, const QString& prompt,
                 const QString& text) -> std::optional<QString> {
        const TFocusReturn focus(parent);
        bool ok = false;
        const QString answer =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
        if (!ok) return std::nullopt;
        return answer;
      }),
      Ask([](QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons) {
        const TFocusReturn focus(parent);
        return QMessageBox::question(parent, kApplicationTitle, text, buttons);
      }),
      OpenFileName([](QWidget* parent, const QString& title, const QString& folderOrFile,
                      const QString& filter) -> std::optional<QString> {
        const TFocusReturn focus(parent);
        const QString name = QFileDialog::getOpenFileName(parent, title, folderOrFile, filter);
        if (name.isEmpty()) return std::nullopt;
        return name;
      }),
      SaveFileName([](QWidget* parent, const QString& title, const QString& folderOrFile,
                      const QString& filter) -> std::optional<QString> {
        const TFocusReturn focus(parent);
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
