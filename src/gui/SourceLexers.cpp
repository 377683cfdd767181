#include "SourceLexers.h"

#include <string>
#include <string_view>
#include <vector>

#include "CoreText.h"
#include "common/Text.h"

namespace dorum::gui {

namespace {

bool IsBlankByte(char c) {
  return c == ' ' || c == '\t' || c == '\0';
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// The end of the (UTF-8) character that starts at i.
qsizetype CharacterEnd(const QByteArray& bytes, qsizetype i, qsizetype end) {
  ++i;
  while (i < end && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) ++i;
  return i;
}

struct TRun {
  qsizetype Length;
  int Style;
};

const QStringList& InstructionKeywords() {
  static const QStringList words = {QStringLiteral("rozkaz"), QStringLiteral("argumenty"),
                                    QStringLiteral("jeżeli"), QStringLiteral("to"),
                                    QStringLiteral("gdy"),    QStringLiteral("nie"),
                                    QStringLiteral("dalej"),  QStringLiteral("koniec")};
  return words;
}

const QStringList& Conditions() {
  static const QStringList words = {QStringLiteral("z"), QStringLiteral("zak"),
                                    QStringLiteral("int"), QStringLiteral("v")};
  return words;
}

const QStringList& Directives() {
  static const QStringList words = {QStringLiteral("rpa"), QStringLiteral("rst"),
                                    QStringLiteral("kon")};
  return words;
}

bool IsNumber(std::string_view word) {
  std::int32_t value = 0;
  return TryStrToInt(word, value);
}

}  // namespace

TSourceLexer::TSourceLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString TSourceLexer::description(int style) const {
  switch (style) {
    case ssDefault:
      return QStringLiteral("Tekst");
    case ssComment:
      return QStringLiteral("Komentarz");
    case ssKeyword:
      return QStringLiteral("Słowo kluczowe");
    case ssSignal:
      return QStringLiteral("Sygnał");
    case ssCondition:
      return QStringLiteral("Warunek");
    case ssLabel:
      return QStringLiteral("Etykieta");
    case ssNumber:
      return QStringLiteral("Liczba");
    case ssCharacter:
      return QStringLiteral("Znak");
    case ssDirective:
      return QStringLiteral("Dyrektywa");
    case ssMnemonic:
      return QStringLiteral("Rozkaz");
    case ssLabelDefinition:
      return QStringLiteral("Definicja etykiety");
    case ssSemicolon:
      return QStringLiteral("Średnik");
    case ssCurrentLine:
      return QStringLiteral("Bieżący wiersz");
    case ssBreakpointLine:
      return QStringLiteral("Punkt zatrzymania");
    case ssBreakpointNoCodeLine:
      return QStringLiteral("Punkt zatrzymania bez kodu");
    default:
      return {};
  }
}

QColor TSourceLexer::defaultColor(int style) const {
  switch (style) {
    case ssComment:
      return {0, 128, 0};
    case ssKeyword:
    case ssDirective:
      return {0, 0, 128};
    case ssSignal:
      return {128, 0, 128};
    case ssCondition:
      return {0, 128, 128};
    case ssLabel:
    case ssLabelDefinition:
      return {160, 80, 0};
    case ssNumber:
      return {0, 0, 255};
    case ssCharacter:
      return {160, 0, 160};
    case ssMnemonic:
      return {128, 0, 0};
    case ssSemicolon:
      return {96, 96, 96};
    case ssCurrentLine:
    case ssBreakpointLine:
    case ssBreakpointNoCodeLine:
      return {255, 255, 255};
    default:
      return {0, 0, 0};
  }
}

QColor TSourceLexer::defaultPaper(int style) const {
  switch (style) {
    case ssCurrentLine:
      return {0, 0, 255};
    case ssBreakpointLine:
      return {255, 0, 0};
    case ssBreakpointNoCodeLine:
      return {128, 128, 128};
    default:
      return {255, 255, 255};
  }
}

bool TSourceLexer::defaultEolFill(int style) const {
  // The debugger's colours cover the whole width of their line.
  return style == ssCurrentLine || style == ssBreakpointLine || style == ssBreakpointNoCodeLine;
}

QFont TSourceLexer::defaultFont(int style) const {
  QFont font = font_;
  font.setBold(style == ssKeyword || style == ssDirective || style == ssMnemonic ||
               style == ssCondition || style == ssLabelDefinition);
  return font;
}

void TSourceLexer::SetTextFont(const QFont& font) {
  font_ = font;
  // QScintilla keeps a style's font once it has asked for it, so each is set.
  for (int style = 0; style < kSourceStyleCount; ++style) setFont(defaultFont(style), style);
}

void TSourceLexer::styleText(int start, int end) {
  QsciScintilla* text = editor();
  if (text == nullptr) return;
  const long lineCount = text->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  const long length = text->SendScintilla(QsciScintillaBase::SCI_GETTEXTLENGTH);
  const long first = text->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
  const long last = text->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, end);
  bool inBraces =
      first > 0 && (text->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, first - 1) & 1) != 0;
  for (long line = first; line <= last && line < lineCount; ++line) {
    const long from = text->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long to = line + 1 < lineCount
                        ? text->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1)
                        : length;
    startStyling(static_cast<int>(from));
    const int lineStyle = LineStyle ? LineStyle(static_cast<int>(line)) : -1;
    inBraces = StyleLine(RangeBytes(*text, from, to), inBraces, lineStyle);
    text->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line),
                        inBraces ? 1L : 0L);
  }
}

bool TSourceLexer::StyleLine(const QByteArray& bytes, bool inBraces, int lineStyle) {
  qsizetype end = bytes.size();
  while (end > 0 && IsLineBreak(bytes[end - 1])) --end;
  std::vector<TRun> runs;
  const auto add = [&runs](qsizetype length, int style) {
    if (length <= 0) return;
    if (!runs.empty() && runs.back().Style == style) {
      runs.back().Length += length;
    } else {
      runs.push_back({length, style});
    }
  };
  qsizetype i = 0;
  while (i < end) {
    if (inBraces) {
      const qsizetype close = bytes.indexOf('}', i);
      const qsizetype stop = close < 0 || close >= end ? end : close + 1;
      add(stop - i, ssComment);
      inBraces = close < 0 || close >= end;
      i = stop;
      continue;
    }
    const char c = bytes[i];
    if (IsBlankByte(c)) {
      add(1, ssDefault);
      ++i;
    } else if (c == '{') {
      add(1, ssComment);
      inBraces = true;
      ++i;
    } else if (c == '/' && i + 1 < end && bytes[i + 1] == '/') {
      add(end - i, ssComment);
      i = end;
    } else if (c == ';') {
      add(1, ssSemicolon);
      ++i;
    } else {
      qsizetype j = i;
      while (j < end) {
        const char d = bytes[j];
        if (d == '\'') {  // the quoted character belongs to the word, whatever it is
          j = j + 1 < end ? CharacterEnd(bytes, j + 1, end) : j + 1;
          continue;
        }
        if (IsBlankByte(d) || d == ';' || d == '{') break;
        if (d == '/' && j + 1 < end && bytes[j + 1] == '/') break;
        j = CharacterEnd(bytes, j, end);
      }
      add(j - i, WordStyle(QString::fromUtf8(bytes.mid(i, j - i))));
      i = j;
    }
  }
  add(bytes.size() - end, ssDefault);
  if (lineStyle >= 0) {
    setStyling(static_cast<int>(bytes.size()), lineStyle);
  } else {
    for (const TRun& run : runs) setStyling(static_cast<int>(run.Length), run.Style);
  }
  return inBraces;
}

int TInstructionLexer::WordStyle(const QString& word) const {
  const std::string lower = LowerCase(U8(word));
  const QString w = Q(lower);
  if (InstructionKeywords().contains(w)) return ssKeyword;
  if (Conditions().contains(w)) return ssCondition;
  if (w.startsWith(u'@')) return ssLabel;
  if (TMachine::FindSignal(lower) >= 0) return ssSignal;
  if (IsNumber(lower)) return ssNumber;
  return ssDefault;
}

QStringList TInstructionLexer::Vocabulary(const TMachine& machine) {
  QStringList words = InstructionKeywords();
  for (int n = 0; n < kSignalCount; ++n) {
    const std::string caption = machine.Signal(n).Caption();
    if (TMachine::FindSignalExact(caption) != n) continue;
    if (n == static_cast<int>(TSignalId::as)) {
      words << QStringLiteral("as") << QStringLiteral("sa");
    } else {
      words << Q(caption);
    }
  }
  return words;
}

int TProgramLexer::WordStyle(const QString& word) const {
  const std::string lower = LowerCase(U8(word));
  const QString w = Q(lower);
  if (w.endsWith(u':')) return ssLabelDefinition;
  if (Directives().contains(w)) return ssDirective;
  if (mnemonics_.contains(w)) return ssMnemonic;
  if (IsNumber(lower)) return ssNumber;
  if (w.size() == 3 && w[0] == u'\'' && w[2] == u'\'') return ssCharacter;
  return ssDefault;
}

void TProgramLexer::SetMnemonics(const QStringList& mnemonics) {
  mnemonics_ = QSet<QString>(mnemonics.begin(), mnemonics.end());
}

QStringList TProgramLexer::Vocabulary() const {
  QStringList words = Directives();
  for (const QString& m : mnemonics_) words << m;
  return words;
}

}  // namespace dorum::gui
