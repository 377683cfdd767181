#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "SourceEditor.h"

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

// The editor of one instruction source (.rzk). Its caption is the file
// name ("Noname.rzk" until the text is saved under a name of its own);
// "Kompiluj" hands the text to the control unit, which compiles it into the
// instruction list. The text is checked half a second after typing stops,
// and the first error is underlined and shown in the status bar.
class TFormCommandEditor : public QWidget {
  Q_OBJECT

 public:
  explicit TFormCommandEditor(TAppCore& core, QWidget* parent = nullptr);
  ~TFormCommandEditor() override;

  // Reads the file into the text (code page 1250 or UTF-8) and leaves it
  // unmodified. The caption is the shell's to set. False, after the error
  // box, when the file cannot be read.
  bool LoadFile(const QString& path);
  // Writes the text to the file its caption names, or, for a new text and
  // for save as, to the file chosen in the save dialog, whose name becomes
  // the caption. False when the dialog was cancelled or the writing failed
  // (the error box has then been shown; the old file and the modified
  // state are as they were).
  bool Save(bool saveAs);
  // Asks whether to save a modified text. True when the window may close:
  // the text was not modified, the user said No, or said Yes and it saved.
  bool CloseQuery();

  // "Kompiluj": saves a modified text, then compiles it; a syntax error puts
  // the caret at its place. During a run the run is stopped first.
  void Compile();
  void ShowFindDialog();
  void ShowReplaceDialog();
  // What the dialogs' buttons do; they raise the messages of a failed search.
  void FindNext(const QString& text, const TSearchOptions& options);
  void Replace(const QString& text, const QString& replacement, const TSearchOptions& options,
               bool all);
  // The check that runs half a second after typing stops, at once.
  void CheckNow();

  [[nodiscard]] QString FileExtension() const { return extension_; }
  // The caption as the file it names (a bare name lies in the program's folder).
  [[nodiscard]] QString FilePath() const;
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
  void CompileCommand();
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
  QTimer checkTimer_;
  bool loading_ = false;
};

// The font of the texts: Courier New when the system has it, else its
// monospace font.
[[nodiscard]] QFont EditorFont(int pointSize);

}  // namespace dorum::gui
