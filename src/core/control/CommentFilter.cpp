#include "control/CommentFilter.h"

#include "common/Text.h"
#include "common/Texts.h"

namespace dorum {

std::string TCommentFilter::PositionText() const {
  return ToText(LineNumber()) + ':' + ToText(Column());
}

EControlException TCommentFilter::CreateError(const std::string& message) const {
  return EControlException(PositionText() + ' ' + message, LineNumber(), Column(), WordPlace());
}

TWordPlace TCommentFilter::WordPlace() const {
  return {static_cast<int>(wordLine_) + 1, static_cast<int>(wordColumn_), word_, atEnd_};
}

std::string TCommentFilter::NextToken() {
  std::string word;
  for (const char32_t c : ReadToken()) AppendChar(word, c);
  atEnd_ = word.empty();
  if (!atEnd_) {
    word_ = word;
    wordLine_ = startLine_;
    wordColumn_ = startColumn_;
  }
  return word;
}

// Columns count characters, as an editor does, so a line is read as such.
const std::u32string& TCommentFilter::CurrentLine() {
  if (currentLine_ != line_) {
    const std::string& line = lines_[line_];
    current_.clear();
    for (std::size_t i = 0; i < line.size();) current_.push_back(NextChar(line, i));
    currentLine_ = line_;
  }
  return current_;
}

std::u32string TCommentFilter::ReadToken() {
  std::u32string result;
  std::size_t lowered = 0;  // result[0, lowered) is lower-case already
  while (!EndOfText()) {
    const std::u32string& s = CurrentLine();
    if (s.size() < column_) {  // past the end of the line
      NextLine(0);
      if (!result.empty()) return result;
      ++column_;
      continue;
    }
    if (inBraceComment_) {
      if (column_ > 0 && s[column_ - 1] == U'}') inBraceComment_ = false;
      ++column_;
      continue;
    }
    if (s.empty() && column_ == 0) {
      NextLine(1);
      continue;
    }
    const char32_t c = column_ == 0 ? U' ' : s[column_ - 1];
    switch (c) {
      case U' ':
      case U'\t':
      case U'\0':
        if (!result.empty()) return result;
        ++column_;
        break;
      case U'\r':
      case U'\n':
        NextLine(0);
        if (!result.empty()) return result;
        ++column_;
        break;
      case U'{':
        inBraceComment_ = true;
        if (!result.empty()) return result;
        ++column_;
        break;
      case U'/':
        if (column_ < s.size() && s[column_] == U'/') {
          NextLine(0);
          if (!result.empty()) return result;
          ++column_;
          break;
        }
        // The slash itself is the word at fault.
        word_ = "/";
        wordLine_ = line_;
        wordColumn_ = column_;
        atEnd_ = false;
        throw CreateError(Texts::UnexpectedSymbol());
      case U';':
        if (!result.empty()) return result;
        MarkWordStart();
        tokenLine_ = line_;
        ++column_;
        return U";";
      case U'\'':
        // The quoted character is taken as it is, whatever it is.
        if (result.empty()) MarkWordStart();
        result.push_back(c);
        if (column_ < s.size()) result.push_back(s[column_]);
        tokenLine_ = line_;
        column_ += 2;
        break;
      default:
        // A word is lower-cased whole, the quoted characters read into it
        // so far included; each character is lowered once.
        if (result.empty()) MarkWordStart();
        result.push_back(c);
        for (std::size_t k = lowered; k < result.size(); ++k) result[k] = LowerChar(result[k]);
        lowered = result.size();
        tokenLine_ = line_;
        ++column_;
        break;
    }
  }
  return result;
}

}  // namespace dorum
