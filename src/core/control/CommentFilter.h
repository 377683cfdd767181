#pragma once

#include <QString>
#include <QStringList>

#include "common/Error.h"

namespace dorum {

// A syntax error with its place in the source: the message reads
// "line:column" + " " + the message proper, and the editors put the caret there.
class EControlException : public EDorumError {
 public:
  EControlException(const QString& message, int line, int column)
      : EDorumError(message), line_(line), column_(column) {}
  [[nodiscard]] int Line() const noexcept { return line_; }
  [[nodiscard]] int Column() const noexcept { return column_; }

 private:
  int line_;
  int column_;
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

  const QStringList& lines_;
  qsizetype line_ = 0;
  qsizetype column_ = 1;
  qsizetype tokenLine_ = 0;
  bool inBraceComment_ = false;
};

}  // namespace dorum
