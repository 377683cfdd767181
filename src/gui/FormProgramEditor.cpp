#include "FormProgramEditor.h"

#include <QAction>
#include <algorithm>

#include "AppCore.h"
#include "CoreText.h"
#include "SourceLexers.h"
#include "common/Texts.h"
#include "program/Assembler.h"
#include "program/Colouring.h"

namespace dorum::gui {

namespace {

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

TFormProgramEditor::TFormProgramEditor(TAppCore& core, QWidget* parent)
    : TFormCommandEditor(
          core,
          {QStringLiteral("prg"), QStringLiteral("pliki programów (*.prg);;wszystkie pliki (*.*)"),
           QStringLiteral("Tekst programu"), false},
          new TProgramLexer, parent),
      lexer_(static_cast<TProgramLexer*>(Memo()->lexer())) {
  setObjectName(QStringLiteral("FormProgramEditor"));
  TSourceEditor* memo = Memo();
  memo->setMarginWidth(TSourceEditor::kGlyphMargin, 16);

  ActionBreakpoint = new QAction(QStringLiteral("Punkt zatrzymania"), this);
  ActionBreakpoint->setObjectName(QStringLiteral("ActionBreakpoint"));
  ActionBreakpoint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F8));
  connect(ActionBreakpoint, &QAction::triggered, this,
          &TFormProgramEditor::ToggleBreakpointAtCaret);
  memo->AddOwnCommand(ActionBreakpoint);

  document_.SetTexts(U8(memo->Lines()));
  document_.SetView(this);
  document_.Debugger().OnBreakpointChange = [this](int line) { RepaintLine(line); };
  lexer_->LineStyle = [this](int line) {
    return LineStyleOf(document_.Debugger().LineFlags(line + 1));
  };

  connect(memo, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char* text, int length, int linesAdded, int, int,
                 int, int, int) { FollowEdit(position, type, text, length, linesAdded); });
  connect(memo, &QsciScintilla::marginClicked, this, [this](int, int line, Qt::KeyboardModifiers) {
    document_.Debugger().ToggleBreakpoint(line + 1);
  });
  connect(&core.Refresh(), &TViewRefresh::Refresh, this, &TFormProgramEditor::OnRefresh);
  connect(&core, &TAppCore::InstructionsChanged, this, &TFormProgramEditor::UpdateMnemonics);
  UpdateMnemonics();
}

TFormProgramEditor::~TFormProgramEditor() {
  // The text control and its lexer outlive the document; neither may call
  // into it any more.
  disconnect(Memo(), nullptr, this, nullptr);
  lexer_->LineStyle = nullptr;
  document_.SetView(nullptr);
  document_.Debugger().OnBreakpointChange = nullptr;
}

int TFormProgramEditor::GlyphOf(const TLineFlags& flags) {
  if (flags.Current) return flags.Breakpoint ? 2 : 1;
  if (flags.Breakpoint) return flags.Code ? 3 : 4;
  return flags.Code ? 0 : -1;
}

int TFormProgramEditor::LineStyleOf(const TLineFlags& flags) {
  if (flags.Current) return ssCurrentLine;
  if (flags.Breakpoint) return flags.Code ? ssBreakpointLine : ssBreakpointNoCodeLine;
  return -1;
}

void TFormProgramEditor::FollowEdit(int position, int type, const char* text, int length,
                                    int linesAdded) {
  constexpr int kTextChange =
      QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT;
  if ((type & kTextChange) == 0 || linesAdded == 0 || Loading()) return;
  TSourceEditor* memo = Memo();
  const long line = memo->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position);
  const bool atLineStart =
      memo->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line) == position;
  const bool wholeLines = text != nullptr && length > 0 && IsLineBreak(text[length - 1]);
  // Whole lines inserted or deleted at a line's start leave that line's
  // text, and so its address, whole below them; otherwise the line where
  // the edit began keeps its address and the lines after it come and go.
  const int index = static_cast<int>(atLineStart && wholeLines ? line : line + 1);
  for (int k = 0; k < linesAdded; ++k) document_.InsertLine(index, {});
  for (int k = 0; k < -linesAdded; ++k) document_.RemoveLine(index);
  const int lines = memo->lines();
  while (document_.LineCount() < lines) document_.InsertLine(document_.LineCount(), {});
  while (document_.LineCount() > lines) document_.RemoveLine(document_.LineCount() - 1);
  // Breakpoints keep their line numbers while the addresses moved.
  UpdateAllLineMarks();
}

void TFormProgramEditor::SyncTexts() {
  const TLines lines = U8(Memo()->Lines());
  const int count = static_cast<int>(lines.size());
  while (document_.LineCount() < count) document_.InsertLine(document_.LineCount(), {});
  while (document_.LineCount() > count) document_.RemoveLine(document_.LineCount() - 1);
  for (int k = 0; k < count; ++k) {
    const std::string& line = lines[static_cast<std::size_t>(k)];
    if (document_.Texts()[static_cast<std::size_t>(k)] != line) document_.SetLineText(k, line);
  }
}

void TFormProgramEditor::TextLoaded() {
  document_.SetTexts(U8(Memo()->Lines()));
  UpdateAllLineMarks();
}

void TFormProgramEditor::CompileText() {
  SyncTexts();
  Core().Session().AssembleProgram(document_);
  ShowDebugMarks();
  Core().Dialogs().ShowInformation(this, Q(Texts::ProgramCompiled));
}

void TFormProgramEditor::CheckText() {
  SyncTexts();
  Core().Assembler().Check(document_.Texts());
}

void TFormProgramEditor::ToggleBreakpointAtCaret() {
  document_.Debugger().ToggleBreakpoint(CaretLine());
}

void TFormProgramEditor::RepaintAll() {
  // The marks are drawn on the views' next tick.
  marksOutOfDate_ = true;
  if (!Core().Refresh().Running()) Core().Refresh().Schedule();
}

void TFormProgramEditor::RepaintLine(int line) {
  if (line >= 1 && line <= document_.LineCount()) {
    UpdateLineMark(line - 1);
  } else {
    UpdateAllLineMarks();
  }
}

void TFormProgramEditor::TakeFocus() {
  Memo()->setFocus();
  Q_EMIT FocusRequested();
}

void TFormProgramEditor::OnRefresh(const TMachineChanges& changes) {
  // Another code width changes which mnemonics the assembler accepts.
  if (changes.Configuration) UpdateMnemonics();
  if (isVisible() && MarksStale()) ShowDebugMarks();
  // A breakpoint of the program, or the target of "Do kursora", brings the
  // program's editor forward.
  if (changes.Focus && Core().Control().ProgramEditor() == &document_) TakeFocus();
}

void TFormProgramEditor::showEvent(QShowEvent* event) {
  TFormCommandEditor::showEvent(event);
  if (MarksStale()) ShowDebugMarks();
}

bool TFormProgramEditor::MarksStale() const {
  // The stop signal takes the current line away without a repaint; the
  // display still catches up.
  return marksOutOfDate_ || document_.CurrentLine() != shownCurrentLine_;
}

void TFormProgramEditor::ShowDebugMarks() {
  marksOutOfDate_ = false;
  UpdateAllLineMarks();
  const int current = document_.CurrentLine();
  if (current != shownCurrentLine_ && current >= 1 && current <= document_.LineCount())
    Memo()->ensureLineVisible(current - 1);
  shownCurrentLine_ = current;
}

void TFormProgramEditor::UpdateLineMark(int line) {
  // The glyph says which colours the line has, so both change together.
  if (Memo()->SetGlyph(line, GlyphOf(document_.Debugger().LineFlags(line + 1))))
    Memo()->RestyleLine(line);
}

void TFormProgramEditor::UpdateAllLineMarks() {
  const int lines = Memo()->lines();
  for (int line = 0; line < lines; ++line) UpdateLineMark(line);
}

void TFormProgramEditor::UpdateMnemonics() {
  lexer_->SetMnemonics(
      AcceptedMnemonics(Core().Control().Instructions(), Core().Machine().CodeBits()));
  Memo()->SetCompletionWords(Q(Core().App().CompletionWords(true)));
  Memo()->recolor();
}

}  // namespace dorum::gui
