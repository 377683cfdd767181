#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "SourceEditor.h"

namespace dorum::gui {

// The styles of both source languages, and the whole-line colours of the
// debugger, which stand over the words' colours.
enum TSourceStyle : int {
  ssDefault = 0,
  ssComment,
  ssKeyword,
  ssSignal,
  ssCondition,
  ssLabel,
  ssNumber,
  ssCharacter,
  ssDirective,
  ssMnemonic,
  ssLabelDefinition,
  ssSemicolon,
  ssCurrentLine,
  ssBreakpointLine,
  ssBreakpointNoCodeLine,
  kSourceStyleCount
};

// Colours a source text word by word, splitting it where the word reader
// does: blanks and tabs part words, ";" is a word of its own, an apostrophe
// takes the next character into the word, "//" comments to the end of the
// line and "{" up to the next "}", across lines. Each line remembers
// whether it ends inside braces, so a line is styled without those above.
class TSourceLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  explicit TSourceLexer(QObject* parent = nullptr);

  void styleText(int start, int end) override;
  [[nodiscard]] QString description(int style) const override;
  [[nodiscard]] QColor defaultColor(int style) const override;
  [[nodiscard]] QColor defaultPaper(int style) const override;
  [[nodiscard]] bool defaultEolFill(int style) const override;
  [[nodiscard]] QFont defaultFont(int style) const override;

  // The font of every style (some of them bold).
  void SetTextFont(const QFont& font);
  // The style of a whole (0-based) line that has colours of its own, or -1.
  std::function<int(int line)> LineStyle;

  // The style of one word as written in the text.
  [[nodiscard]] virtual int WordStyle(const QString& word) const = 0;

 private:
  // Styles one line (its bytes, line break included); returns whether the
  // line ends inside a brace comment.
  bool StyleLine(const QByteArray& bytes, bool inBraces, int lineStyle);

  QFont font_;
};

// The instruction language: keywords, signal names, conditions, labels,
// numbers and comments.
class TInstructionLexer final : public TSourceLexer {
  Q_OBJECT

 public:
  using TSourceLexer::TSourceLexer;
  [[nodiscard]] const char* language() const override { return "Rozkaz"; }
  [[nodiscard]] int WordStyle(const QString& word) const override;
};

// The assembly language: the directives, the mnemonics of the instruction
// list, label definitions, numbers, quoted characters and comments.
class TProgramLexer final : public TSourceLexer {
  Q_OBJECT

 public:
  using TSourceLexer::TSourceLexer;
  [[nodiscard]] const char* language() const override { return "Program"; }
  [[nodiscard]] int WordStyle(const QString& word) const override;
  // The mnemonics the assembler accepts now (lower case).
  void SetMnemonics(std::vector<std::string> mnemonics);

 private:
  std::vector<std::string> mnemonics_;
};

}  // namespace dorum::gui
