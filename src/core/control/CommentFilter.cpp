#include "control/CommentFilter.h"

#include "common/Text.h"
#include "common/Texts.h"

namespace dorum {

QString TCommentFilter::PositionText() const {
  return QString::number(LineNumber()) + QLatin1Char(':') + QString::number(Column());
}

EControlException TCommentFilter::CreateError(const QString& message) const {
  return EControlException(PositionText() + QLatin1Char(' ') + message, LineNumber(), Column(),
                           WordPlace());
}

TWordPlace TCommentFilter::WordPlace() const {
  return {static_cast<int>(wordLine_) + 1, static_cast<int>(wordColumn_), word_, atEnd_};
}

QString TCommentFilter::NextToken() {
  QString word = ReadToken();
  atEnd_ = word.isEmpty();
  if (!atEnd_) {
    word_ = word;
    wordLine_ = startLine_;
    wordColumn_ = startColumn_;
  }
  return word;
}

QString TCommentFilter::ReadToken() {
  QString result;
  qsizetype lowered = 0;  // result[0, lowered) is lower-case already
  while (!EndOfText()) {
    const QString& s = lines_.at(line_);
    if (s.size() < column_) {  // past the end of the line
      NextLine(0);
      if (!result.isEmpty()) return result;
      ++column_;
      continue;
    }
    if (inBraceComment_) {
      if (column_ > 0 && s.at(column_ - 1) == u'}') inBraceComment_ = false;
      ++column_;
      continue;
    }
    if (s.isEmpty() && column_ == 0) {
      NextLine(1);
      continue;
    }
    const QChar c = column_ == 0 ? QChar(u' ') : s.at(column_ - 1);
    switch (c.unicode()) {
      case u' ':
      case u'\t':
      case u'\0':
        if (!result.isEmpty()) return result;
        ++column_;
        break;
      case u'\r':
      case u'\n':
        NextLine(0);
        if (!result.isEmpty()) return result;
        ++column_;
        break;
      case u'{':
        inBraceComment_ = true;
        if (!result.isEmpty()) return result;
        ++column_;
        break;
      case u'/':
        if (column_ < s.size() && s.at(column_) == u'/') {
          NextLine(0);
          if (!result.isEmpty()) return result;
          ++column_;
          break;
        }
        // The slash itself is the word at fault.
        word_ = QStringLiteral("/");
        wordLine_ = line_;
        wordColumn_ = column_;
        atEnd_ = false;
        throw CreateError(Texts::UnexpectedSymbol());
      case u';':
        if (!result.isEmpty()) return result;
        MarkWordStart();
        tokenLine_ = line_;
        ++column_;
        return QStringLiteral(";");
      case u'\'':
        // The quoted character is taken as it is, whatever it is.
        if (result.isEmpty()) MarkWordStart();
        result.append(c);
        if (column_ < s.size()) result.append(s.at(column_));
        tokenLine_ = line_;
        column_ += 2;
        break;
      default:
        // A word is lower-cased whole, the quoted characters read into it
        // so far included; each character is lowered once.
        if (result.isEmpty()) MarkWordStart();
        result.append(c);
        for (qsizetype k = lowered; k < result.size(); ++k) result[k] = LowerChar(result[k]);
        lowered = result.size();
        tokenLine_ = line_;
        ++column_;
        break;
    }
  }
  return result;
}

}  // namespace dorum
