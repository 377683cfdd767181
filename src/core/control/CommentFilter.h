#pragma once

#include <cstddef>
#include <string>

#include "common/Error.h"
#include "common/Strings.h"

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
  std::string Word;
  bool AtEnd = false;
};

class EControlException : public EDorumError {
 public:
  EControlException(const std::string& message, int line, int column, TWordPlace word = {})
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
  explicit TCommentFilter(const TLines& lines) : lines_(lines) {}

  [[nodiscard]] bool EndOfText() const noexcept { return line_ >= lines_.size(); }
  // The next word, or the empty word once the text is exhausted.
  std::string NextToken();
  // The last word read and where it starts; see TWordPlace.
  [[nodiscard]] TWordPlace WordPlace() const;
  [[nodiscard]] int LineNumber() const noexcept { return static_cast<int>(line_) + 1; }
  // The line (from 1) holding the last character of the last word read.
  [[nodiscard]] int TokenLine() const noexcept { return static_cast<int>(tokenLine_) + 1; }
  // 1-based column of the next character; 0 is just before the first.
  [[nodiscard]] int Column() const noexcept { return static_cast<int>(column_); }
  [[nodiscard]] std::string PositionText() const;
  // An error at the reader's place, for the caller to raise.
  [[nodiscard]] EControlException CreateError(const std::string& message) const;

 private:
  void NextLine(std::size_t column) {
    ++line_;
    column_ = column;
  }
  std::u32string ReadToken();
  // The line being read, as characters.
  const std::u32string& CurrentLine();
  void MarkWordStart() noexcept {
    startLine_ = line_;
    startColumn_ = column_;
  }

  const TLines& lines_;
  std::size_t line_ = 0;
  std::size_t column_ = 1;
  std::size_t tokenLine_ = 0;
  bool inBraceComment_ = false;
  // The word being read starts here; the last non-empty word read, and its start.
  std::size_t startLine_ = 0;
  std::size_t startColumn_ = 0;
  std::string word_;
  std::size_t wordLine_ = 0;
  std::size_t wordColumn_ = 0;
  bool atEnd_ = true;  // no word read yet
  std::u32string current_;
  std::size_t currentLine_ = static_cast<std::size_t>(-1);
};

// The characters an editor marks for a syntax error at (line, column), as
// the error reports its place: the reader stands just behind the word at
// fault, so the mark covers the word before the place, or the character at
// it when no word is there. A place past the text's end marks the end of
// the last line; column 0 on a later line, the end of the code on the line
// before. Lines count from 1, columns from 0 in characters, End excluded.
struct TMarkRange {
  int Line = 1;
  int Begin = 0;
  int End = 0;
};
[[nodiscard]] TMarkRange ErrorMarkRange(const TLines& lines, int line, int column);

}  // namespace dorum
