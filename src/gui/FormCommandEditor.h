#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "SourceEditor.h"
#include "common/Text.h"

class QAction;
class QLabel;
class QStatusBar;

namespace dorum {
class EDorumError;
}

namespace dorum::gui {

class TAppCore;
class TFindDialog;
class TReplaceDialog;
class TSourceLexer;
// Where a save dialog first points for a file: the file itself, or, when
// its folder cannot be written (the executable's folder of an installed
// application), the same name in the user's documents.
[[nodiscard]] QString SaveDialogStart(const QString& filePath);

// The editor of one instruction source (.rzk). Its caption names the text
// ("Noname.rzk" for a new one); the file behind the text is kept apart from
// it, since a caption may be a bare name or an example's name with no file
// of the user's behind it. "Kompiluj" hands the text to the control unit,
// which compiles it into the instruction list. The text is checked half a
// second after typing stops, and the first error is underlined and shown in
// the status bar.
class TFormCommandEditor : public QWidget {
  Q_OBJECT

 public:
  explicit TFormCommandEditor(TAppCore& core, QWidget* parent = nullptr);
  ~TFormCommandEditor() override;

  // Reads the file into the text and leaves it unmodified; saves go back to
  // it in the encoding it was read in. The caption is the shell's to set.
  // False, after the error box, when the file cannot be read or would not
  // come back whole (a NUL byte, bytes that are no text): the text is then
  // as it was.
  bool LoadFile(const QString& path);
  // Reads the file as LoadFile does, but leaves no file behind the text:
  // the first save asks for a name, starting in the user's documents. The
  // bundled examples open so, and are never written.
  bool LoadCopy(const QString& path);
  // Writes the text to its file, or, for a text without one and for save
  // as, to the file chosen in the save dialog, whose name becomes the
  // caption. A text that code page 1250 cannot hold, to be saved in it,
  // asks first whether to save it in UTF-8 instead. False when the dialog
  // or the question was cancelled or the writing failed (the error box has
  // then been shown; the old file and the modified state are as they were).
  bool Save(bool saveAs);
  // Asks whether to save a modified text. True when the window may close:
  // the text was not modified, the user said No, or said Yes and it saved.
  bool CloseQuery();

  // "Kompiluj": saves a modified text, then compiles it; a syntax error puts
  // the caret at its place. During a run the run is stopped first.
  void Compile();
  void ShowFindDialog();
  void ShowReplaceDialog();
  // "Znajdź następny" (Ctrl+L): the next match of the search made last,
  // without a dialog; before any search, the find dialog.
  void FindAgain();
  // What the dialogs' buttons do; they raise the messages of a failed search.
  void FindNext(const QString& text, const TSearchOptions& options);
  void Replace(const QString& text, const QString& replacement, const TSearchOptions& options,
               bool all);
  // The check that runs half a second after typing stops, at once.
  void CheckNow();

  [[nodiscard]] QString FileExtension() const { return extension_; }
  // The file the text is saved to; empty while there is none (a new text,
  // an example's copy).
  [[nodiscard]] QString FilePath() const { return filePath_; }
  // Binds the text to a file, named in full by the caption: saves go there.
  void SetFilePath(const QString& path);
  [[nodiscard]] TTextEncoding Encoding() const noexcept { return encoding_; }
  [[nodiscard]] TLineEnd LineEnd() const noexcept { return lineEnd_; }
  [[nodiscard]] bool Modified() const;
  // The 1-based line holding the caret.
  [[nodiscard]] int CaretLine() const;
  // The message of the error marked in the text; empty when none.
  [[nodiscard]] QString ErrorMessage() const;

  [[nodiscard]] TSourceEditor* Memo() const noexcept { return memo_; }
  [[nodiscard]] QStatusBar* StatusBar() const noexcept { return statusBar_; }
  // The dialogs, once shown.
  [[nodiscard]] TFindDialog* FindDialog() const noexcept;
  [[nodiscard]] TReplaceDialog* ReplaceDialog() const noexcept;

  QAction* ActionFind;
  QAction* ActionReplace;
  QAction* ActionCompile;
  QAction* ActionSave;

  // The milliseconds between the last key and the check of the text.
  static constexpr int kCheckDelay = 500;

 Q_SIGNALS:
  // The control unit wants this editor in front (a run stopped at one of
  // its breakpoints or at the caret).
  void FocusRequested();
  // The file behind the text has changed (saved under a new name, read);
  // empty: none.
  void FilePathChanged(const QString& path);
  // The text was written to a file chosen in the save dialog.
  void SavedAs(const QString& path);

 protected:
  struct TDocumentKind {
    QString Extension;   // "rzk"
    QString SaveFilter;  // of the save dialog
    QString TextName;    // the accessible name of the text
    bool TabMovesFocus;  // else Tab inserts a tab character
  };
  TFormCommandEditor(TAppCore& core, const TDocumentKind& kind, TSourceLexer* lexer,
                     QWidget* parent);

  // Compiles the text and confirms it; raises the compiler's errors.
  virtual void CompileText();
  // Raises the first error of the text without changing anything.
  virtual void CheckText();
  // The text has just been replaced by a file's.
  virtual void TextLoaded() {}

  void showEvent(QShowEvent* event) override;

  [[nodiscard]] TAppCore& Core() const noexcept { return core_; }
  // The lines as a file holds them: a last, empty line only stands for the
  // line break that ends the line before it.
  [[nodiscard]] QStringList FileLines() const;
  [[nodiscard]] bool Loading() const noexcept { return loading_; }

 private:
  enum class TSaveResult { Saved, Cancelled };
  // Raises when the file cannot be written.
  TSaveResult SaveText(bool saveAs);
  // The encoding to save the lines in: the one read, or, when code page
  // 1250 cannot hold them, UTF-8 if the user agrees; none when not.
  [[nodiscard]] std::optional<TTextEncoding> SaveEncoding(const QStringList& lines,
                                                          const QString& path);
  // Raises when the file cannot be read or is no text.
  void ReadIntoText(const QString& path);
  void CompileCommand();
  void BindFile(const QString& path);
  void CreateActions();
  void CreateStatusBar();
  void UpdateStatus();
  void OnTextChanged();
  void MarkError(const EDorumError& error);
  void ClearError();
  template <class TDialog>
  void PrepareSearchDialog(TDialog* dialog);

  TAppCore& core_;
  QString extension_;
  QString saveFilter_;
  TSourceEditor* memo_;
  QStatusBar* statusBar_ = nullptr;
  QLabel* panelPosition_ = nullptr;
  QLabel* panelModified_ = nullptr;
  QLabel* panelMode_ = nullptr;
  QLabel* panelMessage_ = nullptr;
  QPointer<TFindDialog> findDialog_;
  QPointer<TReplaceDialog> replaceDialog_;
  struct TSearch {
    QString Text;
    TSearchOptions Options;
  };
  std::optional<TSearch> lastSearch_;  // none before the first search
  QTimer checkTimer_;
  bool loading_ = false;
  QString filePath_;  // absolute; empty: none yet
  TTextEncoding encoding_ = TTextEncoding::Cp1250;
  TLineEnd lineEnd_ = TLineEnd::CrLf;
  // Where the save dialog starts while there is no file.
  QString unsavedStart_;
};

// The font of the texts: Courier New when the system has it, else its
// monospace font.
[[nodiscard]] QFont EditorFont(int pointSize);

}  // namespace dorum::gui
