#include "FormCommandEditor.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStatusBar>
#include <QVBoxLayout>

#include "AppCore.h"
#include "CoreText.h"
#include "FindDialogs.h"
#include "FormStopConditions.h"
#include "SourceLexers.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/Instruction.h"

namespace dorum::gui {

namespace {

constexpr int kPanelWidth = 80;

// The folder the user keeps documents in; the home folder when the system
// names none that exists.
QString DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// A name the save dialog returned without a folder lies in the program's.
QString InApplicationFolder(const QString& name) {
  if (QFileInfo(name).isAbsolute()) return name;
  return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QLabel* NewPanel(QStatusBar* bar, const QString& name, Qt::Alignment alignment, int stretch) {
  auto* panel = new QLabel(bar);
  panel->setObjectName(name);
  panel->setAccessibleName(name);
  panel->setAlignment(alignment | Qt::AlignVCenter);
  panel->setMinimumWidth(kPanelWidth);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  bar->addWidget(panel, stretch);
  return panel;
}

}  // namespace

QFont EditorFont(int pointSize) {
  QFont font = QFontDatabase::families().contains(QStringLiteral("Courier New"))
                   ? QFont(QStringLiteral("Courier New"))
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSize(pointSize);
  return font;
}

TFormCommandEditor::TFormCommandEditor(TAppCore& core, QWidget* parent)
    : TFormCommandEditor(
          core,
          {QStringLiteral("rzk"), QStringLiteral("pliki rozkazów (*.rzk);;wszystkie pliki (*.*)"),
           QStringLiteral("Tekst rozkazu"), true},
          new TInstructionLexer, parent) {
  setObjectName(QStringLiteral("FormCommandEditor"));
  memo_->SetCompletionWords(Q(core.App().CompletionWords(false)));
}

TFormCommandEditor::TFormCommandEditor(TAppCore& core, const TDocumentKind& kind,
                                       TSourceLexer* lexer, QWidget* parent)
    : QWidget(parent),
      core_(core),
      extension_(kind.Extension),
      saveFilter_(kind.SaveFilter),
      memo_(new TSourceEditor(this)) {
  setWindowTitle(QStringLiteral("Noname.") + extension_);
  unsavedStart_ = InApplicationFolder(windowTitle());
  memo_->setObjectName(QStringLiteral("Memo"));
  memo_->setAccessibleName(kind.TextName);
  memo_->SetTabMovesFocus(kind.TabMovesFocus);
  lexer->setParent(memo_);
  lexer->SetTextFont(EditorFont(10));
  memo_->SetMarginFont(EditorFont(8));
  memo_->setLexer(lexer);
  CreateActions();
  CreateStatusBar();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(memo_);
  layout->addWidget(statusBar_);
  setFocusProxy(memo_);

  checkTimer_.setSingleShot(true);
  checkTimer_.setInterval(kCheckDelay);
  connect(&checkTimer_, &QTimer::timeout, this, &TFormCommandEditor::CheckNow);
  connect(memo_, &QsciScintilla::textChanged, this, &TFormCommandEditor::OnTextChanged);
  connect(memo_, &QsciScintilla::cursorPositionChanged, this, &TFormCommandEditor::UpdateStatus);
  // The control tells of a caret moved by typing only when it paints; the
  // edit itself comes before the caret moves.
  connect(memo_, &QsciScintilla::textChanged, this, &TFormCommandEditor::UpdateStatus,
          Qt::QueuedConnection);
  connect(memo_, &QsciScintilla::modificationChanged, this, &TFormCommandEditor::UpdateStatus);
  connect(memo_, &TSourceEditor::OverwriteModeChanged, this, &TFormCommandEditor::UpdateStatus);
  UpdateStatus();
}

TFormCommandEditor::~TFormCommandEditor() {
  // The text control outlives this part of the window; it must not call in.
  disconnect(memo_, nullptr, this, nullptr);
}

void TFormCommandEditor::CreateActions() {
  const auto add = [this](const QString& caption, const QKeySequence& key, const char* name,
                          auto handler) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, handler);
    memo_->AddOwnCommand(action);
    return action;
  };
  // The same keys as the commands of the table these stand for.
  const auto key = [](TCommandId id) { return QKeySequence(Q(ShownKey(CommandRow(id)))); };
  ActionFind = add(QStringLiteral("Znajdź"), key(TCommandId::SearchFind), "ActionFind",
                   &TFormCommandEditor::ShowFindDialog);
  ActionReplace = add(QStringLiteral("Zamień"), key(TCommandId::SearchReplace), "ActionReplace",
                      &TFormCommandEditor::ShowReplaceDialog);
  ActionCompile = add(QStringLiteral("Kompiluj"), key(TCommandId::Compile), "ActionCompile",
                      &TFormCommandEditor::Compile);
  ActionSave = add(QStringLiteral("Zapisz"), key(TCommandId::FileSave), "ActionSave",
                   [this] { (void)Save(false); });
}

void TFormCommandEditor::CreateStatusBar() {
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QStringLiteral("StatusBar"));
  statusBar_->setAccessibleName(QStringLiteral("Pasek stanu"));
  statusBar_->setSizeGripEnabled(false);
  panelPosition_ = NewPanel(statusBar_, QStringLiteral("Pozycja"), Qt::AlignRight, 0);
  panelModified_ = NewPanel(statusBar_, QStringLiteral("Zmiany"), Qt::AlignLeft, 0);
  panelMode_ = NewPanel(statusBar_, QStringLiteral("Tryb"), Qt::AlignLeft, 0);
  panelMessage_ = NewPanel(statusBar_, QStringLiteral("Błąd"), Qt::AlignLeft, 1);
  panelPosition_->setFont(EditorFont(9));
}

void TFormCommandEditor::UpdateStatus() {
  panelPosition_->setText(QString::asprintf("%6d:%3d", CaretLine(), memo_->CaretColumn()));
  panelModified_->setText(Modified() ? QStringLiteral("Zmodyfikowane") : QString());
  panelMode_->setText(memo_->overwriteMode() ? QStringLiteral("Nadpisywanie")
                                             : QStringLiteral("Wstawianie"));
}

void TFormCommandEditor::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateStatus();
}

bool TFormCommandEditor::Modified() const {
  return memo_->isModified();
}

int TFormCommandEditor::CaretLine() const {
  return memo_->CaretLine();
}

QString TFormCommandEditor::ErrorMessage() const {
  return panelMessage_->text();
}

QString SaveDialogStart(const QString& filePath) {
  const QFileInfo file(filePath);
  const QFileInfo folder(file.absolutePath());
  if (folder.isDir() && folder.isWritable()) return filePath;
  return QDir(DocumentsFolder()).filePath(file.fileName());
}

void TFormCommandEditor::SetFilePath(const QString& path) {
  BindFile(path);
  setWindowTitle(path);
}

void TFormCommandEditor::BindFile(const QString& path) {
  const QString file = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  if (file == filePath_) return;
  filePath_ = file;
  Q_EMIT FilePathChanged(filePath_);
}

QStringList TFormCommandEditor::FileLines() const {
  QStringList lines = memo_->Lines();
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

void TFormCommandEditor::ReadIntoText(const QString& path) {
  const TDecodedText text = ReadEncodedTextFile(U8(path));
  QStringList lines = Q(text.Lines);
  // Every line of a file ends with a line break; the text shows the last
  // one as an empty line to go on typing in.
  if (!lines.isEmpty()) lines.append(QString());
  loading_ = true;
  memo_->SetLines(lines);
  loading_ = false;
  encoding_ = text.Encoding;
  lineEnd_ = text.LineEnd;
  memo_->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  memo_->setModified(false);
  memo_->setCursorPosition(0, 0);
  checkTimer_.stop();
  ClearError();
  TextLoaded();
  UpdateStatus();
}

bool TFormCommandEditor::LoadFile(const QString& path) {
  return core_.Errors().Run(this, [&] {
    ReadIntoText(path);
    BindFile(path);
  });
}

bool TFormCommandEditor::LoadCopy(const QString& path) {
  return core_.Errors().Run(this, [&] {
    ReadIntoText(path);
    BindFile({});
    unsavedStart_ = QDir(DocumentsFolder()).filePath(QFileInfo(path).fileName());
  });
}

std::optional<TTextEncoding> TFormCommandEditor::SaveEncoding(const QStringList& lines,
                                                              const QString& path) {
  if (encoding_ != TTextEncoding::Cp1250) return encoding_;
  const std::optional<char32_t> outside = FirstCharOutsideCp1250(U8(lines));
  if (!outside) return encoding_;
  // Writing "?" for it would lose the character without a word.
  const auto answer = core_.Dialogs().Ask(
      this, Q(Texts::SaveInUtf8Question(*outside, U8(QDir::toNativeSeparators(path)))),
      QMessageBox::Yes | QMessageBox::Cancel);
  if (answer != QMessageBox::Yes) return std::nullopt;
  return TTextEncoding::Utf8;
}

TFormCommandEditor::TSaveResult TFormCommandEditor::SaveText(bool saveAs) {
  QString path = filePath_;
  QString caption;
  if (saveAs || path.isEmpty()) {
    const auto chosen = core_.Dialogs().SaveFileName(
        this, QStringLiteral("Zapisz jako"), SaveDialogStart(path.isEmpty() ? unsavedStart_ : path),
        saveFilter_);
    if (!chosen) return TSaveResult::Cancelled;
    caption = *chosen;
    // The dialog's default extension, for a name typed without one.
    if (QFileInfo(caption).suffix().isEmpty()) caption += u'.' + extension_;
    path = InApplicationFolder(caption);
  }
  const QStringList lines = FileLines();
  const std::optional<TTextEncoding> encoding = SaveEncoding(lines, path);
  if (!encoding) return TSaveResult::Cancelled;
  WriteTextFile(U8(path), U8(lines), *encoding, lineEnd_);
  encoding_ = *encoding;
  BindFile(path);
  memo_->setModified(false);
  if (!caption.isEmpty()) {
    setWindowTitle(caption);
    Q_EMIT SavedAs(path);
  }
  return TSaveResult::Saved;
}

bool TFormCommandEditor::Save(bool saveAs) {
  bool saved = false;
  core_.Errors().Run(this, [&] { saved = SaveText(saveAs) == TSaveResult::Saved; });
  return saved;
}

bool TFormCommandEditor::CloseQuery() {
  if (!Modified()) return true;
  const auto answer = core_.Dialogs().Ask(this, Q(Texts::SaveModifiedQuestion(U8(windowTitle()))),
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::No) return true;
  if (answer != QMessageBox::Yes) return false;
  // A cancelled or failed save keeps the window, and the text, open.
  return Save(false);
}

void TFormCommandEditor::Compile() {
  // Compiling changes the instruction list or the memory, which a run in
  // progress is using: the run is stopped first.
  PerformRenaming(core_, this, TCommand::Compile,
                  [this] { core_.Errors().Run(this, [this] { CompileCommand(); }); });
}

void TFormCommandEditor::CompileCommand() {
  if (Modified()) (void)SaveText(false);  // a cancelled dialog still compiles
  checkTimer_.stop();
  ClearError();
  try {
    CompileText();
  } catch (const EControlException& e) {
    memo_->SetCaret(e.Line(), e.Column());
    MarkError(e);
    throw;
  } catch (const EDorumError& e) {
    MarkError(e);
    throw;
  }
}

void TFormCommandEditor::CompileText() {
  const QStringList lines = FileLines();
  // The list may have changed even when adding fails (an instruction beyond
  // the codes stays in the list), so the views hear of it either way.
  struct TNotify {
    TAppCore& Core;
    ~TNotify() { Core.NotifyInstructionsChanged(); }
  };
  {
    TNotify notify{core_};
    core_.Session().CompileInstruction(U8(lines));
  }
  core_.Dialogs().ShowInformation(this, Q(Texts::InstructionCompiled));
}

void TFormCommandEditor::CheckText() {
  // A compile of a copy: the syntax check and the labels of the jumps,
  // without touching the instruction list.
  const TInstruction checked(U8(FileLines()));
  (void)checked;
}

void TFormCommandEditor::CheckNow() {
  checkTimer_.stop();
  ClearError();
  try {
    CheckText();
  } catch (const EDorumError& e) {
    MarkError(e);
  } catch (const std::exception& e) {
    panelMessage_->setText(QString::fromLocal8Bit(e.what()));
  }
}

void TFormCommandEditor::MarkError(const EDorumError& error) {
  const QString message = Q(error.Message());
  panelMessage_->setText(message);
  panelMessage_->setToolTip(message);
  if (const auto* positioned = dynamic_cast<const EControlException*>(&error))
    memo_->MarkError(positioned->Line(), positioned->Column());
}

void TFormCommandEditor::ClearError() {
  panelMessage_->clear();
  panelMessage_->setToolTip(QString());
  memo_->ClearErrorMark();
}

void TFormCommandEditor::OnTextChanged() {
  if (loading_) return;
  // A mark belongs to the text it was found in.
  ClearError();
  checkTimer_.start();
}

TFindDialog* TFormCommandEditor::FindDialog() const noexcept {
  return findDialog_.data();
}

TReplaceDialog* TFormCommandEditor::ReplaceDialog() const noexcept {
  return replaceDialog_.data();
}

template <class TDialog>
void TFormCommandEditor::PrepareSearchDialog(TDialog* dialog) {
  // The selection, or the word at the caret, is what to look for.
  QString proposal = memo_->selectedText();
  if (proposal.isEmpty() || proposal.contains(u'\n') || proposal.contains(u'\r')) {
    int line = 0;
    int index = 0;
    memo_->getCursorPosition(&line, &index);
    proposal = memo_->wordAtLineIndex(line, index);
  }
  if (!proposal.isEmpty()) dialog->SetText(proposal);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  dialog->TextEdit->setFocus();
}

void TFormCommandEditor::ShowFindDialog() {
  if (findDialog_ == nullptr) {
    findDialog_ = new TFindDialog(this);
    connect(findDialog_, &TFindDialog::FindNext, this, [this] {
      core_.Errors().Run(findDialog_,
                         [&] { FindNext(findDialog_->Text(), findDialog_->Options()); });
    });
  }
  PrepareSearchDialog(findDialog_.data());
}

void TFormCommandEditor::ShowReplaceDialog() {
  if (replaceDialog_ == nullptr) {
    replaceDialog_ = new TReplaceDialog(this);
    const auto replace = [this](bool all) {
      core_.Errors().Run(replaceDialog_, [&] {
        Replace(replaceDialog_->Text(), replaceDialog_->Replacement(), replaceDialog_->Options(),
                all);
      });
    };
    connect(replaceDialog_, &TReplaceDialog::FindNext, this, [this] {
      core_.Errors().Run(replaceDialog_,
                         [&] { FindNext(replaceDialog_->Text(), replaceDialog_->Options()); });
    });
    connect(replaceDialog_, &TReplaceDialog::Replace, this, [replace] { replace(false); });
    connect(replaceDialog_, &TReplaceDialog::ReplaceAll, this, [replace] { replace(true); });
  }
  PrepareSearchDialog(replaceDialog_.data());
}

void TFormCommandEditor::FindAgain() {
  if (!lastSearch_) {
    ShowFindDialog();
    return;
  }
  const TSearch search = *lastSearch_;
  core_.Errors().Run(this, [&] { FindNext(search.Text, search.Options); });
}

void TFormCommandEditor::FindNext(const QString& text, const TSearchOptions& options) {
  if (text.isEmpty()) throw EDorumError(std::string(Texts::EmptyFind));
  lastSearch_ = TSearch{text, options};
  if (!memo_->FindText(text, options)) throw EDorumError(std::string(Texts::NotFound));
}

void TFormCommandEditor::Replace(const QString& text, const QString& replacement,
                                 const TSearchOptions& options, bool all) {
  if (text.isEmpty()) throw EDorumError(std::string(Texts::EmptyReplace));
  if (memo_->ReplaceText(text, replacement, options, all) == 0)
    throw EDorumError(std::string(Texts::NotFound));
}

}  // namespace dorum::gui
