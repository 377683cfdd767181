#pragma once

#include "FormCommandEditor.h"
#include "program/ProgramDocument.h"

namespace dorum {
struct TMachineChanges;
}

namespace dorum::gui {

class TProgramLexer;

// The editor of one program source (.prg). "Kompiluj" assembles the text
// into memory and binds this editor to the control unit, which then marks
// the line of the next instruction here and stops at this editor's
// breakpoints. Every line carries the address the last assembly recorded
// for it, moving with its line as lines are inserted and deleted above it;
// breakpoints stay on their line numbers. The gutter shows a glyph for the
// lines with code, the current line and the breakpoints, and those lines
// are coloured over the words' colours.
class TFormProgramEditor final : public TFormCommandEditor, private IProgramView {
  Q_OBJECT

 public:
  explicit TFormProgramEditor(TAppCore& core, QWidget* parent = nullptr);
  ~TFormProgramEditor() override;

  // The lines with their addresses, the current line and the breakpoints.
  [[nodiscard]] TProgramDocument& Document() noexcept { return document_; }
  [[nodiscard]] const TProgramDocument& Document() const noexcept { return document_; }

  // "Punkt zatrzymania": a breakpoint on the caret's line, or none.
  void ToggleBreakpointAtCaret();
  // Draws the glyphs and line colours as the document now says. Runs only
  // mark them out of date; the views' clock then calls this.
  void ShowDebugMarks();
  [[nodiscard]] bool DebugMarksOutOfDate() const noexcept { return marksOutOfDate_; }

  QAction* ActionBreakpoint;

  // The glyph of the gutter and the whole-line style for a line's flags
  // (-1 for none).
  [[nodiscard]] static int GlyphOf(const TLineFlags& flags);
  [[nodiscard]] static int LineStyleOf(const TLineFlags& flags);

 protected:
  void CompileText() override;
  void CheckText() override;
  void TextLoaded() override;
  void showEvent(QShowEvent* event) override;

 private:
  // IProgramView
  void RepaintAll() override;
  void RepaintLine(int line) override;
  void TakeFocus();

  // Keeps the document's lines in step with an edit of the text.
  void FollowEdit(int position, int type, const char* text, int length, int linesAdded);
  // The document's line texts as the control holds them.
  void SyncTexts();
  void UpdateMnemonics();
  void UpdateLineMark(int line);
  void UpdateAllLineMarks();
  void OnRefresh(const dorum::TMachineChanges& changes);
  [[nodiscard]] bool MarksStale() const;

  TProgramDocument document_;
  TProgramLexer* lexer_;
  bool marksOutOfDate_ = false;
  int shownCurrentLine_ = -1;
};

}  // namespace dorum::gui
