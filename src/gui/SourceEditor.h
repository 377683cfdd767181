#pragma once

#include <QAction>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <tuple>

// QScintilla's headers are written with Qt's lower-case keywords, which the
// project switches off; they get the macro forms while they are read.
#ifndef signals
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define DORUM_QSCI_KEYWORDS
#endif
#include <Qsci/qscilexercustom.h>
#include <Qsci/qsciscintilla.h>
#ifdef DORUM_QSCI_KEYWORDS
#undef signals
#undef slots
#undef DORUM_QSCI_KEYWORDS
#endif

class QKeyEvent;
class QMenu;

namespace dorum::gui {

// The bytes (UTF-8) of the text between two positions.
[[nodiscard]] QByteArray RangeBytes(const QsciScintilla& editor, long start, long end);

// How a search looks for its text.
struct TSearchOptions {
  bool MatchCase = false;
  bool WholeWord = false;
  bool Backwards = false;
};

// The text control of both source editors, over QScintilla: line numbers,
// digit bookmarks and (in a program editor) the debugger's glyphs in the
// gutter, the error mark under a word, searching and replacing from the
// caret, completion from a word list, and the editor's own keys, which win
// over the main window's shortcuts while the text has the focus.
class TSourceEditor final : public QsciScintilla {
  Q_OBJECT

 public:
  // Gutter margins, left to right.
  static constexpr int kNumberMargin = 0;
  static constexpr int kBookmarkMargin = 1;
  static constexpr int kGlyphMargin = 2;
  // Markers: the six debugger glyphs, then the ten digit bookmarks.
  static constexpr int kFirstGlyphMarker = 0;
  static constexpr int kGlyphCount = 6;
  static constexpr int kFirstBookmarkMarker = 10;
  static constexpr unsigned kGlyphMask = ((1u << kGlyphCount) - 1) << kFirstGlyphMarker;
  static constexpr unsigned kBookmarkMask = ((1u << 10) - 1) << kFirstBookmarkMarker;
  // The indicator that underlines the word of an error.
  static constexpr int kErrorIndicator = 8;

  explicit TSourceEditor(QWidget* parent = nullptr);

  // Setting a lexer restyles everything, the gutter's numbers too; they keep
  // their own (smaller) font.
  void setLexer(QsciLexer* lexer = nullptr) override;
  void SetMarginFont(const QFont& font);

  // The text as lines without their line breaks; an empty text is one
  // empty line.
  [[nodiscard]] QStringList Lines() const;
  // Replaces the text; the lines are joined with CR LF.
  void SetLines(const QStringList& lines);

  // The caret, both 1-based.
  [[nodiscard]] int CaretLine() const;
  [[nodiscard]] int CaretColumn() const;
  // Puts the caret where a syntax error was found: before the given 1-based
  // column of the 1-based line (column 0 is the start of the line), kept
  // inside the text.
  void SetCaret(int line, int column);

  // Underlines the word that ends just before the reader's position (line,
  // column) of an error; ClearErrorMark removes it.
  void MarkError(int line, int column);
  void ClearErrorMark();
  // The underlined range as (line, first index, last index + 1), 0-based;
  // the line is -1 when nothing is marked.
  [[nodiscard]] std::tuple<int, int, int> ErrorMark() const noexcept { return errorMark_; }

  // Searching from the caret; a match is selected. False when none.
  bool FindText(const QString& text, const TSearchOptions& options);
  // Replaces the first match from the caret on, or every one of them;
  // returns how many were replaced.
  int ReplaceText(const QString& text, const QString& replacement, const TSearchOptions& options,
                  bool all);

  // Commands of the editor's own: their keys win over the application's
  // shortcuts while the editor has the focus, and they head the context menu.
  void AddOwnCommand(QAction* action);
  // The context menu: those commands, then undo, redo and the clipboard,
  // each enabled when it can do something now.
  [[nodiscard]] std::unique_ptr<QMenu> ContextMenu();
  [[nodiscard]] const QList<QAction*>& OwnCommands() const noexcept { return commands_; }
  // The instruction editor's Tab moves the focus; the program editor's
  // inserts a tab character.
  void SetTabMovesFocus(bool moves) noexcept { tabMovesFocus_ = moves; }

  // Digit bookmarks: Ctrl+Shift+digit sets (or removes) one on the caret's
  // line, Ctrl+digit goes to it.
  void ToggleBookmark(int digit);
  void GoToBookmark(int digit);
  // The 1-based line holding the bookmark, or -1.
  [[nodiscard]] int BookmarkLine(int digit) const;

  // The words offered for completion (signal names, mnemonics, keywords),
  // in the order the list shows them.
  void SetCompletionWords(QStringList words);
  // Shows the words that begin like the word before the caret; typed words
  // get the list from their second character, Ctrl+Space at once.
  void ShowCompletions(bool requested);
  // Gives the (0-based) line this debugger glyph alone (-1: none); false
  // when it had just that already.
  bool SetGlyph(int line, int glyph);
  // The line's debugger glyph, -1 for none.
  [[nodiscard]] int Glyph(int line) const;
  // Styles the (0-based) line again (its colours depend on more than its text).
  void RestyleLine(int line);

  // The pictures of the gutter, for tests and the marker definitions.
  [[nodiscard]] static QPixmap GlyphImage(int index);
  [[nodiscard]] static QPixmap DigitImage(int digit);

 Q_SIGNALS:
  void OverwriteModeChanged();

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  [[nodiscard]] QAction* OwnCommandFor(const QKeyEvent* e) const;
  // The digit of a bookmark key and whether it sets; -1 when it is none.
  [[nodiscard]] static std::pair<int, bool> BookmarkKey(const QKeyEvent* e);
  [[nodiscard]] bool IsOwnKey(const QKeyEvent* e) const;
  void SetUpMargins();
  void FitNumberMargin();
  void OnCharacterAdded(int character);
  [[nodiscard]] bool CaretOnScreen() const;
  [[nodiscard]] bool SearchForward(const QByteArray& text, int flags, long from);

  QList<QAction*> commands_;
  QStringList completionWords_;
  QFont marginFont_;
  bool tabMovesFocus_ = false;
  std::tuple<int, int, int> errorMark_{-1, 0, 0};
};

}  // namespace dorum::gui
