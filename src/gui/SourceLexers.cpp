#include "SourceLexers.h"

#include <string>
#include <string_view>
#include <vector>

#include "CoreText.h"
#include "common/Text.h"
#include "program/Colouring.h"

namespace dorum::gui {

namespace {

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// The styles of the words are the core's kinds, in the same order.
static_assert(static_cast<int>(TWordKind::Semicolon) == ssSemicolon);

int StyleOf(TWordKind kind) {
  return static_cast<int>(kind);
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
  const std::string_view line(bytes.constData(), static_cast<std::size_t>(end));
  const std::vector<TWordSpan> spans = ColourLine(line, inBraces, [this](std::string_view word) {
    return static_cast<TWordKind>(WordStyle(Q(std::string(word))));
  });
  if (lineStyle >= 0) {
    setStyling(static_cast<int>(bytes.size()), lineStyle);
    return inBraces;
  }
  for (const TWordSpan& span : spans) setStyling(static_cast<int>(span.Length), StyleOf(span.Kind));
  // The line break keeps the plain style.
  if (bytes.size() > end) setStyling(static_cast<int>(bytes.size() - end), ssDefault);
  return inBraces;
}

int TInstructionLexer::WordStyle(const QString& word) const {
  return StyleOf(InstructionWordKind(U8(word)));
}

int TProgramLexer::WordStyle(const QString& word) const {
  return StyleOf(ProgramWordKind(U8(word), mnemonics_));
}

void TProgramLexer::SetMnemonics(std::vector<std::string> mnemonics) {
  mnemonics_ = std::move(mnemonics);
}

}  // namespace dorum::gui
