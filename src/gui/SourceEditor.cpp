#include "SourceEditor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <algorithm>
#include <memory>

#include "CoreText.h"
#include "control/CommentFilter.h"

namespace dorum::gui {

namespace {

constexpr int kGlyphWidth = 11;
constexpr int kGlyphHeight = 14;

QString WithoutLineBreak(QString line) {
  while (line.endsWith(u'\n') || line.endsWith(u'\r')) line.chop(1);
  return line;
}

QImage NewImage() {
  QImage image(kGlyphWidth, kGlyphHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void DrawDisc(QPainter& p, const QColor& fill) {
  p.setPen(QPen(fill.darker(160), 1));
  p.setBrush(fill);
  p.drawEllipse(QRectF(0.5, 2.5, 10, 10));
}

void DrawArrow(QPainter& p) {
  const QColor blue(0, 0, 255);
  QPainterPath arrow;
  arrow.moveTo(0.5, 5.5);
  arrow.lineTo(5.5, 5.5);
  arrow.lineTo(5.5, 2.5);
  arrow.lineTo(10.5, 7.5);
  arrow.lineTo(5.5, 12.5);
  arrow.lineTo(5.5, 9.5);
  arrow.lineTo(0.5, 9.5);
  arrow.closeSubpath();
  p.setPen(QPen(blue.darker(170), 1));
  p.setBrush(blue);
  p.drawPath(arrow);
}

}  // namespace

QByteArray RangeBytes(const QsciScintilla& editor, long start, long end) {
  if (end <= start) return {};
  // QScintilla's own copy carries a terminating NUL.
  return editor.bytes(static_cast<int>(start), static_cast<int>(end)).left(end - start);
}

QPixmap TSourceEditor::GlyphImage(int index) {
  QImage image = NewImage();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case 0:  // a line with code
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 0, 255));
      p.drawEllipse(QRectF(3.5, 5.5, 4, 4));
      break;
    case 1:  // the current line
      DrawArrow(p);
      break;
    case 2:  // the current line holds a breakpoint
      DrawDisc(p, QColor(255, 0, 0));
      DrawArrow(p);
      break;
    case 3:  // a breakpoint on code: it stops runs
      DrawDisc(p, QColor(255, 0, 0));
      p.setPen(QPen(QColor(0, 200, 0), 2));
      p.drawPolyline(QPolygonF({QPointF(2.5, 7.5), QPointF(4.5, 10), QPointF(8.5, 4.5)}));
      break;
    case 4:  // a breakpoint without code: it never stops anything
      p.setPen(QPen(QColor(128, 0, 0), 1));
      p.setBrush(QColor(255, 0, 0));
      p.drawRect(QRectF(0.5, 2.5, 10, 10));
      p.setPen(QPen(QColor(255, 255, 0), 2));
      p.drawLine(QPointF(3, 5), QPointF(8, 10));
      p.drawLine(QPointF(8, 5), QPointF(3, 10));
      break;
    default: {  // a disabled breakpoint, which nothing sets
      p.setPen(QPen(QColor(96, 96, 96), 1));
      p.setBrush(QColor(192, 192, 192));
      p.drawEllipse(QRectF(0.5, 2.5, 10, 10));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(128, 128, 128));
      for (int y = 0; y < 4; ++y)
        for (int x = (y % 2); x < 4; x += 2) p.drawRect(QRectF(2 + x * 2, 4 + y * 2, 2, 2));
      break;
    }
  }
  p.end();
  return QPixmap::fromImage(image);
}

QPixmap TSourceEditor::DigitImage(int digit) {
  QImage image = NewImage();
  QPainter p(&image);
  p.setPen(QColor(0, 0, 128));
  p.setBrush(QColor(255, 255, 192));
  p.drawRect(0, 1, kGlyphWidth - 1, kGlyphHeight - 2);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(0, 1, kGlyphWidth, kGlyphHeight - 2), Qt::AlignCenter, QString::number(digit));
  p.end();
  return QPixmap::fromImage(image);
}

TSourceEditor::TSourceEditor(QWidget* parent) : QsciScintilla(parent) {
  setUtf8(true);
  setEolMode(EolWindows);
  setIndentationsUseTabs(true);
  setTabWidth(8);
  setAutoIndent(false);
  setWrapMode(WrapNone);
  setFolding(NoFoldStyle);
  SetUpMargins();
  indicatorDefine(SquiggleIndicator, kErrorIndicator);
  setIndicatorForegroundColor(QColor(255, 0, 0), kErrorIndicator);
  // Ctrl+L is the application's "Znajdź następny"; the text control's own
  // binding of it cuts the line, and would take the key and the line with it.
  if (QsciCommand* lineCut =
          standardCommands()->boundTo(QKeyCombination(Qt::CTRL, Qt::Key_L).toCombined()))
    lineCut->setKey(0);
  SendScintilla(SCI_AUTOCSETIGNORECASE, 1L);
  SendScintilla(SCI_AUTOCSETORDER, static_cast<long>(SC_ORDER_PERFORMSORT));
  connect(this, &TSourceEditor::linesChanged, this, &TSourceEditor::FitNumberMargin);
  connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &TSourceEditor::OnCharacterAdded);
}

void TSourceEditor::setLexer(QsciLexer* lexer) {
  QsciScintilla::setLexer(lexer);
  SetMarginFont(marginFont_);
}

void TSourceEditor::SetMarginFont(const QFont& font) {
  marginFont_ = font;
  setMarginsFont(font);
  FitNumberMargin();
}

void TSourceEditor::SetUpMargins() {
  setMarginType(kNumberMargin, NumberMargin);
  setMarginLineNumbers(kNumberMargin, true);
  setMarginMarkerMask(kNumberMargin, 0);
  setMarginType(kBookmarkMargin, SymbolMargin);
  setMarginMarkerMask(kBookmarkMargin, static_cast<int>(kBookmarkMask));
  setMarginWidth(kBookmarkMargin, kGlyphWidth + 3);
  setMarginType(kGlyphMargin, SymbolMargin);
  setMarginMarkerMask(kGlyphMargin, static_cast<int>(kGlyphMask));
  setMarginWidth(kGlyphMargin, 0);
  for (int margin : {kNumberMargin, kBookmarkMargin, kGlyphMargin})
    setMarginSensitivity(margin, true);
  for (int k = 0; k < kGlyphCount; ++k)
    markerDefine(GlyphImage(k).toImage(), kFirstGlyphMarker + k);
  for (int d = 0; d < 10; ++d) markerDefine(DigitImage(d).toImage(), kFirstBookmarkMarker + d);
  FitNumberMargin();
}

void TSourceEditor::FitNumberMargin() {
  // Room for one digit more than the last line number needs.
  setMarginWidth(kNumberMargin, QString(QString::number(lines()).size() + 1, u'9') + u' ');
}

QStringList TSourceEditor::Lines() const {
  static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
  return text().split(kBreak);
}

void TSourceEditor::SetLines(const QStringList& lines) {
  setText(lines.join(QStringLiteral("\r\n")));
}

int TSourceEditor::CaretLine() const {
  int line = 0;
  int index = 0;
  getCursorPosition(&line, &index);
  return line + 1;
}

int TSourceEditor::CaretColumn() const {
  int line = 0;
  int index = 0;
  getCursorPosition(&line, &index);
  return index + 1;
}

void TSourceEditor::SetCaret(int line, int column) {
  const int count = lines();
  int index = std::max(0, column - 1);
  int at = line - 1;
  if (at >= count) {  // the end of the text
    at = count - 1;
    index = static_cast<int>(WithoutLineBreak(text(at)).size());
  }
  at = std::max(at, 0);
  index = std::min(index, static_cast<int>(WithoutLineBreak(text(at)).size()));
  setCursorPosition(at, index);
  ensureCursorVisible();
}

void TSourceEditor::MarkError(int line, int column) {
  ClearErrorMark();
  TLines texts;
  texts.reserve(static_cast<std::size_t>(lines()));
  for (int at = 0; at < lines(); ++at) texts.push_back(U8(WithoutLineBreak(text(at))));
  const TMarkRange mark = ErrorMarkRange(texts, line, column);
  errorMark_ = {mark.Line - 1, mark.Begin, mark.End};
  if (mark.Begin < mark.End)
    fillIndicatorRange(mark.Line - 1, mark.Begin, mark.Line - 1, mark.End, kErrorIndicator);
}

void TSourceEditor::ClearErrorMark() {
  errorMark_ = {-1, 0, 0};
  SendScintilla(SCI_SETINDICATORCURRENT, kErrorIndicator);
  SendScintilla(SCI_INDICATORCLEARRANGE, 0L, SendScintilla(SCI_GETTEXTLENGTH));
}

namespace {
int SearchFlags(const TSearchOptions& options) {
  return (options.MatchCase ? QsciScintillaBase::SCFIND_MATCHCASE : 0) |
         (options.WholeWord ? QsciScintillaBase::SCFIND_WHOLEWORD : 0);
}
}  // namespace

bool TSourceEditor::SearchForward(const QByteArray& text, int flags, long from) {
  SendScintilla(SCI_SETTARGETSTART, from);
  SendScintilla(SCI_SETTARGETEND, SendScintilla(SCI_GETTEXTLENGTH));
  SendScintilla(SCI_SETSEARCHFLAGS, flags);
  return SendScintilla(SCI_SEARCHINTARGET, static_cast<uintptr_t>(text.size()), text.constData()) >=
         0;
}

bool TSourceEditor::FindText(const QString& text, const TSearchOptions& options) {
  const QByteArray bytes = text.toUtf8();
  const long selectionStart = SendScintilla(SCI_GETSELECTIONSTART);
  const long selectionEnd = SendScintilla(SCI_GETSELECTIONEND);
  bool found = false;
  if (options.Backwards) {
    // A target that runs backwards makes Scintilla search backwards.
    SendScintilla(SCI_SETTARGETSTART, selectionStart);
    SendScintilla(SCI_SETTARGETEND, 0L);
    SendScintilla(SCI_SETSEARCHFLAGS, SearchFlags(options));
    found = SendScintilla(SCI_SEARCHINTARGET, static_cast<uintptr_t>(bytes.size()),
                          bytes.constData()) >= 0;
  } else {
    found = SearchForward(bytes, SearchFlags(options), selectionEnd);
  }
  if (!found) return false;
  SendScintilla(SCI_SETSEL, SendScintilla(SCI_GETTARGETSTART), SendScintilla(SCI_GETTARGETEND));
  return true;
}

int TSourceEditor::ReplaceText(const QString& text, const QString& replacement,
                               const TSearchOptions& options, bool all) {
  const QByteArray bytes = text.toUtf8();
  const QByteArray with = replacement.toUtf8();
  long from = SendScintilla(SCI_GETSELECTIONSTART);
  int count = 0;
  beginUndoAction();
  while (SearchForward(bytes, SearchFlags(options), from)) {
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.constData());
    from = SendScintilla(SCI_GETTARGETEND);
    ++count;
    if (!all) break;
  }
  endUndoAction();
  if (count > 0) SendScintilla(SCI_SETSEL, from, from);
  return count;
}

void TSourceEditor::AddOwnCommand(QAction* action) {
  // The key is carried out by the editor itself (keyPressEvent); in the
  // context menu the shortcut is only shown.
  action->setShortcutContext(Qt::WidgetShortcut);
  commands_.append(action);
}

QAction* TSourceEditor::OwnCommandFor(const QKeyEvent* e) const {
  const QKeySequence pressed(e->keyCombination().toCombined() & ~Qt::KeypadModifier);
  for (QAction* action : commands_) {
    if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
      return action;
  }
  return nullptr;
}

std::pair<int, bool> TSourceEditor::BookmarkKey(const QKeyEvent* e) {
  const auto modifiers = e->modifiers() & ~Qt::KeypadModifier;
  if (!(modifiers & Qt::ControlModifier) || (modifiers & (Qt::AltModifier | Qt::MetaModifier)))
    return {-1, false};
  const bool sets = (modifiers & Qt::ShiftModifier) != 0;
  const int key = e->key();
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return {key - Qt::Key_0, sets};
  // With Shift held most layouts report the digit key's symbol.
  static constexpr int kShifted[] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                                     Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                                     Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                     Qt::Key_ParenLeft};
  if (sets) {
    for (int d = 0; d < 10; ++d)
      if (key == kShifted[d]) return {d, true};
  }
  return {-1, false};
}

bool TSourceEditor::IsOwnKey(const QKeyEvent* e) const {
  if (OwnCommandFor(e) != nullptr || BookmarkKey(e).first >= 0) return true;
  return e->key() == Qt::Key_Space && (e->modifiers() & Qt::ControlModifier);
}

bool TSourceEditor::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && IsOwnKey(static_cast<QKeyEvent*>(e))) {
    e->accept();
    return true;
  }
  return QsciScintilla::event(e);
}

void TSourceEditor::keyPressEvent(QKeyEvent* e) {
  if (QAction* action = OwnCommandFor(e)) {
    action->trigger();
    return;
  }
  if (const auto [digit, sets] = BookmarkKey(e); digit >= 0) {
    if (sets) {
      ToggleBookmark(digit);
    } else {
      GoToBookmark(digit);
    }
    return;
  }
  if (e->key() == Qt::Key_Space && (e->modifiers() & Qt::ControlModifier)) {
    ShowCompletions(true);
    return;
  }
  const bool completing = SendScintilla(SCI_AUTOCACTIVE) != 0;
  if (tabMovesFocus_ && !completing && (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) &&
      !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    QWidget::focusNextPrevChild(e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
    return;
  }
  QsciScintilla::keyPressEvent(e);
  if (e->key() == Qt::Key_Insert) Q_EMIT OverwriteModeChanged();
}

std::unique_ptr<QMenu> TSourceEditor::ContextMenu() {
  // The editor's commands, then the editing of the text in the program's
  // own language (the control's own menu speaks English).
  auto menu = std::make_unique<QMenu>();
  menu->addActions(commands_);
  const bool writable = !isReadOnly();
  const bool selected = hasSelectedText();
  const struct {
    const char16_t* Caption;  // none: a separator
    QKeySequence::StandardKey Key;
    bool Enabled;
    void (*Perform)(TSourceEditor&);
  } entries[] = {
      {nullptr, {}, false, nullptr},
      {u"&Cofnij", QKeySequence::Undo, writable && isUndoAvailable(),
       [](TSourceEditor& e) { e.undo(); }},
      {u"&Ponów", QKeySequence::Redo, writable && isRedoAvailable(),
       [](TSourceEditor& e) { e.redo(); }},
      {nullptr, {}, false, nullptr},
      {u"Wy&tnij", QKeySequence::Cut, writable && selected, [](TSourceEditor& e) { e.cut(); }},
      {u"&Kopiuj", QKeySequence::Copy, selected, [](TSourceEditor& e) { e.copy(); }},
      {u"Wk&lej", QKeySequence::Paste, writable && SendScintilla(SCI_CANPASTE) != 0,
       [](TSourceEditor& e) { e.paste(); }},
      {u"&Usuń", QKeySequence::Delete, writable && selected,
       [](TSourceEditor& e) { e.removeSelectedText(); }},
      {nullptr, {}, false, nullptr},
      {u"Zaznacz &wszystko", QKeySequence::SelectAll, length() > 0,
       [](TSourceEditor& e) { e.selectAll(); }},
  };
  for (const auto& entry : entries) {
    if (entry.Caption == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf16(entry.Caption));
    // The key is only shown: the text control carries it out itself.
    action->setShortcut(entry.Key);
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setEnabled(entry.Enabled);
    connect(action, &QAction::triggered, this, [this, perform = entry.Perform] { perform(*this); });
  }
  return menu;
}

void TSourceEditor::contextMenuEvent(QContextMenuEvent* e) {
  ContextMenu()->exec(e->globalPos());
}

void TSourceEditor::ToggleBookmark(int digit) {
  if (digit < 0 || digit > 9) return;
  const int line = CaretLine() - 1;
  const int marker = kFirstBookmarkMarker + digit;
  const bool here = BookmarkLine(digit) - 1 == line;
  markerDeleteAll(marker);
  if (!here) markerAdd(line, marker);
}

void TSourceEditor::GoToBookmark(int digit) {
  const int line = BookmarkLine(digit);
  if (line < 1) return;
  setCursorPosition(line - 1, 0);
  ensureLineVisible(line - 1);
}

int TSourceEditor::BookmarkLine(int digit) const {
  if (digit < 0 || digit > 9) return -1;
  const int line = markerFindNext(0, 1u << (kFirstBookmarkMarker + digit));
  return line < 0 ? -1 : line + 1;
}

void TSourceEditor::SetCompletionWords(QStringList words) {
  completionWords_ = std::move(words);
}

void TSourceEditor::ShowCompletions(bool requested) {
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const long start = SendScintilla(SCI_WORDSTARTPOSITION, static_cast<unsigned long>(caret), 1L);
  const QByteArray typed = RangeBytes(*this, start, caret);
  const QString prefix = QString::fromUtf8(typed);
  if (!requested && prefix.size() < 2) return;
  QStringList matches;
  for (const QString& word : completionWords_) {
    if (word.startsWith(prefix, Qt::CaseInsensitive)) matches.append(word);
  }
  // A word typed out in full needs no list (and Enter then starts a line).
  const bool complete = matches.size() == 1 && matches[0].compare(prefix, Qt::CaseInsensitive) == 0;
  if ((!requested && complete) || matches.isEmpty() || !CaretOnScreen()) {
    SendScintilla(SCI_AUTOCCANCEL);
    return;
  }
  SendScintilla(SCI_AUTOCSETSEPARATOR, static_cast<long>(' '));
  SendScintilla(SCI_AUTOCSHOW, static_cast<uintptr_t>(typed.size()),
                matches.join(u' ').toUtf8().constData());
}

bool TSourceEditor::CaretOnScreen() const {
  // The list opens at the caret; QScintilla needs a screen there.
  if (!isVisible()) return false;
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const QPoint at(static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, caret)),
                  static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, caret)));
  return QGuiApplication::screenAt(viewport()->mapToGlobal(at)) != nullptr;
}

void TSourceEditor::OnCharacterAdded(int character) {
  if (completionWords_.isEmpty()) return;
  if (QChar::isLetterOrNumber(static_cast<char32_t>(character))) ShowCompletions(false);
}

bool TSourceEditor::SetGlyph(int line, int glyph) {
  const unsigned wanted =
      glyph >= 0 && glyph < kGlyphCount ? 1u << (kFirstGlyphMarker + glyph) : 0u;
  const unsigned present = markersAtLine(line) & kGlyphMask;
  if (present == wanted) return false;
  // Lines joined by a deletion bring their markers along, so a line may
  // hold several glyphs, and one of them more than once.
  for (int k = 0; k < kGlyphCount; ++k) {
    const unsigned bit = 1u << (kFirstGlyphMarker + k);
    if (bit == wanted) continue;
    while (markersAtLine(line) & bit) markerDelete(line, kFirstGlyphMarker + k);
  }
  if ((present & wanted) == 0 && wanted != 0) markerAdd(line, kFirstGlyphMarker + glyph);
  return true;
}

int TSourceEditor::Glyph(int line) const {
  const unsigned glyphs = markersAtLine(line) & kGlyphMask;
  for (int k = 0; k < kGlyphCount; ++k)
    if (glyphs & (1u << (kFirstGlyphMarker + k))) return k;
  return -1;
}

void TSourceEditor::RestyleLine(int line) {
  if (line < 0 || line >= lines()) return;
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  const long end = line + 1 < lines() ? SendScintilla(SCI_POSITIONFROMLINE, line + 1)
                                      : SendScintilla(SCI_GETTEXTLENGTH);
  recolor(static_cast<int>(start), static_cast<int>(end));
}

}  // namespace dorum::gui
