#pragma once

#include <QString>
#include <QStringList>

#include "common/Error.h"

namespace dorum {

// A syntax error with its place in the source: the message reads
// "line:column" + " " + the message proper, and the editors put the caret there.
// The word an error is about and where it starts (line and column from 1).
// At the end of the text (or before any word) there is no such word: AtEnd
// is set, and Word and its place are those of the last word read before
// (Word is empty when none was).
struct TWordPlace {
  int Line = 0;
  int Column = 0;
  QString Word;
  bool AtEnd = false;
};

class EControlException : public EDorumError {
 public:
  EControlException(const QString& message, int line, int column, TWordPlace word = {})
      : EDorumError(message), line_(line), column_(column), word_(std::move(word)) {}
  [[nodiscard]] int Line() const noexcept { return line_; }
  [[nodiscard]] int Column() const noexcept { return column_; }
  // The reader's place (above) is just behind the word; a person looks for
  // the word's start.
  [[nodiscard]] const TWordPlace& WordPlace() const noexcept { return word_; }

 private:
  int line_;
  int column_;
  TWordPlace word_;
};

// The word reader of both languages. It skips blanks, "{...}" comments
// (across lines) and "//" comments, lower-cases words, makes ";" a word of
// its own and lets an apostrophe quote the one character after it. It knows
// the line and column it stands on, so every syntax error carries a place.
class TCommentFilter {
 public:
  // The lines must outlive the reader and stay unchanged during the pass.
  explicit TCommentFilter(const QStringList& lines) : lines_(lines) {}

  [[nodiscard]] bool EndOfText() const noexcept { return line_ >= lines_.size(); }
  // The next word, or the empty word once the text is exhausted.
  QString NextToken();
  // The last word read and where it starts; see TWordPlace.
  [[nodiscard]] TWordPlace WordPlace() const;
  [[nodiscard]] int LineNumber() const noexcept { return static_cast<int>(line_) + 1; }
  // The line (from 1) holding the last character of the last word read.
  [[nodiscard]] int TokenLine() const noexcept { return static_cast<int>(tokenLine_) + 1; }
  // 1-based column of the next character; 0 is just before the first.
  [[nodiscard]] int Column() const noexcept { return static_cast<int>(column_); }
  [[nodiscard]] QString PositionText() const;
  // An error at the reader's place, for the caller to raise.
  [[nodiscard]] EControlException CreateError(const QString& message) const;

 private:
  void NextLine(qsizetype column) {
    ++line_;
    column_ = column;
  }
  QString ReadToken();
  void MarkWordStart() noexcept {
    startLine_ = line_;
    startColumn_ = column_;
  }

  const QStringList& lines_;
  qsizetype line_ = 0;
  qsizetype column_ = 1;
  qsizetype tokenLine_ = 0;
  bool inBraceComment_ = false;
  // The word being read starts here; the last non-empty word read, and its start.
  qsizetype startLine_ = 0;
  qsizetype startColumn_ = 0;
  QString word_;
  qsizetype wordLine_ = 0;
  qsizetype wordColumn_ = 0;
  bool atEnd_ = true;  // no word read yet
};

}  // namespace dorum
