#include "FormIOConsole.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>
#include <utility>

#include "AppCore.h"
#include "CoreText.h"

namespace dorum::gui {

TFormIOConsole::TFormIOConsole(TAppCore& core, QWidget* parent) : QWidget(parent), core_(core) {
  setObjectName(QStringLiteral("FormIOConsole"));
  setWindowTitle(QStringLiteral("Konsola wejścia/wyjścia"));
  setAccessibleName(windowTitle());

  auto* inputGroup = new QGroupBox(QStringLiteral("Wejście"), this);
  input_ = new QLineEdit(inputGroup);
  input_->setObjectName(QStringLiteral("EditInput"));
  input_->setAccessibleName(QStringLiteral("Wejście"));
  input_->setMaxLength(32767);
  auto* inputLayout = new QVBoxLayout(inputGroup);
  inputLayout->addWidget(input_);

  auto* outputGroup = new QGroupBox(QStringLiteral("Wyjście"), this);
  output_ = new QPlainTextEdit(outputGroup);
  output_->setObjectName(QStringLiteral("MemoOutput"));
  output_->setAccessibleName(QStringLiteral("Wyjście"));
  output_->setReadOnly(true);
  output_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* outputLayout = new QVBoxLayout(outputGroup);
  outputLayout->addWidget(output_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(inputGroup);
  layout->addWidget(outputGroup, 1);

  connect(input_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const QString before = std::exchange(shownInput_, text);
    core_.Errors().Run(this, [&] { (void)core_.App().SetConsoleInput(U8(before), U8(text)); });
    // The machine may have taken a character straight away.
    ShowInput();
  });
  connect(output_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Clear"), this, &TFormIOConsole::ClearOutput);
    menu.exec(output_->mapToGlobal(at));
  });
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormIOConsole::OnRefresh);
  subscription_ = core_.Machine().Console().Subscribe(*this);
  ShowInput();
  ShowWholeOutput();
}

TFormIOConsole::~TFormIOConsole() = default;

void TFormIOConsole::ClearOutput() {
  core_.Errors().Run(this, [this] { core_.App().ClearConsoleOutput(); });
  OnRefresh();
}

void TFormIOConsole::OutputAppended(char32_t c) {
  if (!outputStale_) pending_.append(Q(c));
}

void TFormIOConsole::OutputCleared() {
  // Read the whole text again on the next refresh.
  pending_.clear();
  outputStale_ = true;
}

void TFormIOConsole::OnRefresh() {
  if (!isVisible()) {
    // A hidden console does nothing; it reads everything when shown.
    if (!pending_.isEmpty()) {
      pending_.clear();
      outputStale_ = true;
    }
    return;
  }
  if (inputStale_) ShowInput();
  if (outputStale_) {
    ShowWholeOutput();
  } else if (!pending_.isEmpty()) {
    QTextCursor end(output_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(Displayed(pending_));
    pending_.clear();
    // The window follows the run.
    output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
  }
}

void TFormIOConsole::ShowInput() {
  inputStale_ = false;
  const QString text = Q(core_.Machine().Console().InputText());
  shownInput_ = text;
  if (input_->text() == text) return;
  const int fromEnd = static_cast<int>(input_->text().size()) - input_->cursorPosition();
  input_->setText(text);
  input_->setCursorPosition(std::max(0, static_cast<int>(text.size()) - fromEnd));
}

void TFormIOConsole::ShowWholeOutput() {
  outputStale_ = false;
  pending_.clear();
  afterReturn_ = false;
  output_->setPlainText(Displayed(Q(core_.Machine().Console().OutputText())));
  output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
}

QString TFormIOConsole::Displayed(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'\n') {
      // CR LF is one line break.
      if (!afterReturn_) shown.append(u'\n');
      afterReturn_ = false;
    } else if (c == u'\r') {
      shown.append(u'\n');
      afterReturn_ = true;
    } else {
      shown.append(c);
      afterReturn_ = false;
    }
  }
  return shown;
}

void TFormIOConsole::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowInput();
  if (outputStale_ || !pending_.isEmpty()) ShowWholeOutput();
}

}  // namespace dorum::gui
