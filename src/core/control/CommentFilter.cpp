#include "control/CommentFilter.h"

#include "common/Text.h"
#include "common/Texts.h"

#include <algorithm>

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

namespace {

bool IsMarkBlank(char32_t c) {
  return c == U' ' || c == U'\t' || c == 0;
}

std::u32string Characters(std::string_view line) {
  std::u32string chars;
  for (std::size_t at = 0; at < line.size();) chars += NextChar(line, at);
  return chars;
}

// Where a line's code ends: at a "//" comment, if it has one. Quoted
// characters and brace comments are stepped over as the reader does.
int CodeEnd(const std::u32string& line) {
  bool inBraces = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char32_t c = line[i];
    if (inBraces) {
      inBraces = c != U'}';
    } else if (c == U'{') {
      inBraces = true;
    } else if (c == U'\'') {
      ++i;
    } else if (c == U'/' && i + 1 < line.size() && line[i + 1] == U'/') {
      return static_cast<int>(i);
    }
  }
  return static_cast<int>(line.size());
}

}  // namespace

TMarkRange ErrorMarkRange(const TLines& lines, int line, int column) {
  const int count = std::max(static_cast<int>(lines.size()), 1);
  const auto text = [&](int at) {
    return at >= 0 && at < static_cast<int>(lines.size())
               ? Characters(lines[static_cast<std::size_t>(at)])
               : std::u32string();
  };
  int at = line - 1;
  int end = 0;
  if (at >= count) {  // the text ended before the construct did
    at = count - 1;
    end = static_cast<int>(text(at).size());
  } else if (column <= 0 && at > 0) {
    // The reader had just passed a word at the end of the line before.
    --at;
    end = CodeEnd(text(at));
  } else {
    end = std::clamp(column - 1, 0, static_cast<int>(text(std::max(at, 0)).size()));
  }
  at = std::max(at, 0);
  const std::u32string s = text(at);
  while (end > 0 && IsMarkBlank(s[static_cast<std::size_t>(end - 1)])) --end;
  int begin = end;
  while (begin > 0 && !IsMarkBlank(s[static_cast<std::size_t>(begin - 1)])) --begin;
  if (begin == end) {  // no word there: mark the character at the place
    if (end < static_cast<int>(s.size())) {
      ++end;
    } else if (begin > 0) {
      --begin;
    }
  }
  return {at + 1, begin, end};
}

}  // namespace dorum
