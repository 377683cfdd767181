// The program editor as the debugger's display: addresses that move with
// their lines, breakpoints that stay on their line numbers, the gutter
// glyphs and line colours, the current line following runs on the views'
// clock, and the colouring of both languages.
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "AppCore.h"
#include "FormCommandEditor.h"
#include "FormProgramEditor.h"
#include "GuiTestSupport.h"
#include "SourceLexers.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

const QStringList kSuma = {"// suma", "start: POB x", "DOD y",    "ŁAD z",
                           "STP",     "x: RST 5",     "y: RST 7", "z: RPA"};

int StyleAt(TSourceEditor& memo, int line, int index) {
  memo.recolor();
  return static_cast<int>(memo.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT,
                                             memo.positionFromLineIndex(line, index)));
}

// Glyph of every line, as one string ("." for none).
QString Glyphs(TSourceEditor& memo) {
  QString glyphs;
  for (int line = 0; line < memo.lines(); ++line) {
    const int glyph = memo.Glyph(line);
    glyphs += glyph < 0 ? QChar(u'.') : QChar(u'0' + glyph);
  }
  return glyphs;
}

}  // namespace

class EditorDebugTest : public QObject {
  Q_OBJECT

  TAppCore* core_ = nullptr;
  test::TDialogScript* user_ = nullptr;

  // A program editor holding the summing program, compiled.
  std::unique_ptr<TFormProgramEditor> CompiledSuma() {
    auto editor = std::make_unique<TFormProgramEditor>(*core_);
    editor->Memo()->SetLines(kSuma);
    editor->Memo()->setModified(false);
    editor->ActionCompile->trigger();
    return editor;
  }

 private Q_SLOTS:
  void everyCombinationOfFlagsHasItsGlyphAndColours() {
    // Current first, then a breakpoint on code or not, then code alone.
    const struct {
      bool Current, Breakpoint, Code;
      int Glyph;
      int Style;
    } lines[] = {
        {false, false, false, -1, -1},
        {false, false, true, 0, -1},
        {false, true, false, 4, ssBreakpointNoCodeLine},
        {false, true, true, 3, ssBreakpointLine},
        {true, false, false, 1, ssCurrentLine},
        {true, false, true, 1, ssCurrentLine},
        {true, true, false, 2, ssCurrentLine},
        {true, true, true, 2, ssCurrentLine},
    };
    for (const auto& l : lines) {
      const TLineFlags flags{l.Current, l.Breakpoint, l.Code};
      const QByteArray which = QByteArray::number(l.Current) + QByteArray::number(l.Breakpoint) +
                               QByteArray::number(l.Code);
      QVERIFY2(TFormProgramEditor::GlyphOf(flags) == l.Glyph, which.constData());
      QVERIFY2(TFormProgramEditor::LineStyleOf(flags) == l.Style, which.constData());
    }
  }

  void init() {
    core_ = new TAppCore;
    user_ = new test::TDialogScript;
    user_->Install(core_->Dialogs());
  }
  void cleanup() {
    delete user_;
    delete core_;
  }

  void addressesMoveWithTheirLines() {
    const auto editor = CompiledSuma();
    TSourceEditor& memo = *editor->Memo();
    const TProgramDocument& document = editor->Document();
    QCOMPARE(document.Addresses(), (std::vector<int>{-1, 0, 1, 2, 3, 4, 5, 6}));
    const struct {
      const char* name;
      std::function<void()> edit;
      std::vector<int> addresses;
    } cases[] = {
        {"Enter at the start of a line moves it down",
         [&] { memo.insertAt(QStringLiteral("\r\n"), 2, 0); },
         {-1, 0, -1, 1, 2, 3, 4, 5, 6}},
        {"Enter at the end of a line opens a new line below",
         [&] { memo.insertAt(QStringLiteral("\r\n"), 1, 12); },
         {-1, 0, -1, -1, 1, 2, 3, 4, 5, 6}},
        {"pasted whole lines at a line's start",
         [&] { memo.insertAt(QStringLiteral("rpa\r\nrpa\r\n"), 0, 0); },
         {-1, -1, -1, 0, -1, -1, 1, 2, 3, 4, 5, 6}},
        {"deleting whole lines",
         [&] {
           memo.setSelection(0, 0, 2, 0);
           memo.removeSelectedText();
         },
         {-1, 0, -1, -1, 1, 2, 3, 4, 5, 6}},
        {"joining a line to the one above keeps the upper line's address",
         [&] {
           memo.setSelection(5, 5, 6, 0);  // "ŁAD z" + "STP"
           memo.removeSelectedText();
         },
         {-1, 0, -1, -1, 1, 2, 4, 5, 6}},
        {"typing within a line changes nothing",
         [&] { memo.insertAt(QStringLiteral(" // x"), 1, 12); },
         {-1, 0, -1, -1, 1, 2, 4, 5, 6}},
        {"undo brings lines back without addresses",
         [&] {
           memo.undo();
           memo.undo();
         },
         {-1, 0, -1, -1, 1, 2, -1, 4, 5, 6}},
    };
    for (const auto& c : cases) {
      c.edit();
      QVERIFY2(document.Addresses() == c.addresses, c.name);
      QCOMPARE(document.LineCount(), memo.lines());
    }
    // The compile after the edits sees the edited text.
    editor->ActionCompile->trigger();
    QCOMPARE(document.LineOfAddress(0), 2);
  }

  void breakpointsStayOnTheirLinesWithGlyphsAndColours() {
    const auto editor = CompiledSuma();
    TSourceEditor& memo = *editor->Memo();
    // Line 2 is current (address 0), lines 3..8 hold code.
    QCOMPARE(editor->Document().CurrentLine(), 2);
    QCOMPARE(Glyphs(memo), QStringLiteral(".1000000"));
    QCOMPARE(StyleAt(memo, 1, 0), int(ssCurrentLine));

    memo.setCursorPosition(2, 0);
    editor->ActionBreakpoint->trigger();                                         // on code
    Q_EMIT memo.marginClicked(TSourceEditor::kGlyphMargin, 0, Qt::NoModifier);   // a comment
    Q_EMIT memo.marginClicked(TSourceEditor::kNumberMargin, 1, Qt::NoModifier);  // the current line
    QCOMPARE(editor->Document().Debugger().Breakpoints(), (std::vector<int>{1, 2, 3}));
    QCOMPARE(Glyphs(memo), QStringLiteral("42300000"));
    QCOMPARE(StyleAt(memo, 0, 3), int(ssBreakpointNoCodeLine));
    QCOMPARE(StyleAt(memo, 1, 3), int(ssCurrentLine));
    QCOMPARE(StyleAt(memo, 2, 0), int(ssBreakpointLine));
    QCOMPARE(StyleAt(memo, 3, 0), int(ssMnemonic));

    // A line inserted above: the breakpoints and the current line keep their
    // numbers while the code moves down a line.
    memo.insertAt(QStringLiteral("\r\n"), 0, 0);
    QCOMPARE(editor->Document().Debugger().Breakpoints(), (std::vector<int>{1, 2, 3}));
    QCOMPARE(Glyphs(memo), QStringLiteral("423000000"));
    QCOMPARE(StyleAt(memo, 0, 0), int(ssBreakpointNoCodeLine));
    QCOMPARE(StyleAt(memo, 1, 3), int(ssCurrentLine));
    QCOMPARE(StyleAt(memo, 2, 0), int(ssBreakpointLine));
    QCOMPARE(StyleAt(memo, 3, 0), int(ssMnemonic));  // its breakpoint stayed above
    memo.setCursorPosition(2, 0);
    QTest::keyClick(&memo, Qt::Key_F8, Qt::ControlModifier);
    QCOMPARE(Glyphs(memo), QStringLiteral("420000000"));
    QCOMPARE(StyleAt(memo, 2, 0), int(ssLabelDefinition));
  }

  void theCurrentLineFollowsRunsOnTheViewsClock() {
    const auto editor = CompiledSuma();
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    TSourceEditor& memo = *editor->Memo();
    core_->Control().SetTrackingLevel(0);
    core_->Run(editor.get(), [&] { return core_->Control().ExecuteInstruction(); });
    QCOMPARE(editor->Document().CurrentLine(), 3);
    QTRY_COMPARE(Glyphs(memo), QStringLiteral(".0100000"));
    QCOMPARE(StyleAt(memo, 2, 0), int(ssCurrentLine));
    QCOMPARE(StyleAt(memo, 1, 8), int(ssMnemonic));

    // A run only marks the display out of date; the clock draws it.
    editor->Document().ShowAddress(3);
    QVERIFY(editor->DebugMarksOutOfDate());
    QCOMPARE(Glyphs(memo), QStringLiteral(".0100000"));
    QTRY_COMPARE(Glyphs(memo), QStringLiteral(".0001000"));

    // A reset takes the mark away.
    core_->Machine().ResetMachine();
    QTRY_COMPARE(Glyphs(memo), QStringLiteral(".0000000"));
    QCOMPARE(StyleAt(memo, 4, 0), int(ssMnemonic));

    // So does the stop signal at the program's end, which repaints nothing.
    core_->Machine().Register(TRegisterId::L).SetValue(3);
    core_->Machine().Register(TRegisterId::A).SetValue(3);  // where the fetch reads
    editor->Document().ShowAddress(3);
    QTRY_COMPARE(Glyphs(memo), QStringLiteral(".0001000"));
    core_->Run(editor.get(), [&] { return core_->Control().ExecuteInstruction(); });
    QCOMPARE(editor->Document().CurrentLine(), -1);
    QTRY_COMPARE(Glyphs(memo), QStringLiteral(".0000000"));
    QCOMPARE(StyleAt(memo, 4, 0), int(ssMnemonic));

    // A hidden editor catches up when it is shown again.
    editor->hide();
    editor->Document().ShowAddress(0);
    QTest::qWait(60);
    QCOMPARE(Glyphs(memo), QStringLiteral(".0000000"));
    editor->show();
    QCOMPARE(Glyphs(memo), QStringLiteral(".1000000"));
  }

  void aRunStopsAtABreakpointAndCallsTheEditorForward() {
    const auto editor = CompiledSuma();
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QSignalSpy forward(editor.get(), &TFormCommandEditor::FocusRequested);
    editor->Memo()->setCursorPosition(3, 0);
    editor->ActionBreakpoint->trigger();  // "ŁAD z", address 2
    core_->Control().SetTrackingLevel(0);
    core_->Run(editor.get(), [&] { return core_->Control().ExecuteProgram(-1); });
    QCOMPARE(user_->Errors, QStringList{QStringLiteral("Program doszedł do punktu zatrzymania.")});
    QCOMPARE(forward.count(), 1);
    QCOMPARE(editor->Document().CurrentLine(), 4);
    QTRY_COMPARE(Glyphs(*editor->Memo()), QStringLiteral(".0020000"));
    // "Do kursora" asks the editor for the caret's line.
    editor->Memo()->setCursorPosition(4, 0);
    QCOMPARE(editor->Document().AddressOfLine(editor->CaretLine()), 3);
  }

  void theWordsOfBothLanguagesAreColoured() {
    TFormCommandEditor instruction(*core_);
    TSourceEditor& text = *instruction.Memo();
    text.SetLines({"ROZKAZ SKOK; {komentarz", "na dwa wiersze} Argumenty 1;", "czyt wys wei il;",
                   "JEŻELI zak TO @tak; // dalej", "@tak sa wyad wea wel;", "   // cały wiersz"});
    const struct {
      int line, index, style;
    } words[] = {
        {0, 0, ssKeyword}, {0, 7, ssDefault},   {0, 11, ssSemicolon}, {0, 13, ssComment},
        {1, 3, ssComment}, {1, 16, ssKeyword},  {1, 26, ssNumber},    {2, 0, ssSignal},
        {3, 0, ssKeyword}, {3, 7, ssCondition}, {3, 14, ssLabel},     {3, 20, ssComment},
        {4, 5, ssSignal},  {5, 0, ssDefault},   {5, 3, ssComment},    {5, 16, ssComment},
    };
    for (const auto& w : words)
      QVERIFY2(StyleAt(text, w.line, w.index) == w.style,
               qPrintable(QStringLiteral("%1:%2 is %3")
                              .arg(w.line)
                              .arg(w.index)
                              .arg(StyleAt(text, w.line, w.index))));
    QCOMPARE(text.lexer()->color(ssComment), QColor(0, 128, 0));

    TFormProgramEditor program(*core_);
    TSourceEditor& source = *program.Memo();
    source.SetLines({"start: pob x // x", "rst 'A'", "x: rst $1F", "soz start"});
    QCOMPARE(StyleAt(source, 0, 0), int(ssLabelDefinition));
    QCOMPARE(StyleAt(source, 0, 7), int(ssMnemonic));
    QCOMPARE(StyleAt(source, 0, 11), int(ssDefault));
    QCOMPARE(StyleAt(source, 0, 13), int(ssComment));
    QCOMPARE(StyleAt(source, 1, 0), int(ssDirective));
    QCOMPARE(StyleAt(source, 1, 4), int(ssCharacter));
    QCOMPARE(StyleAt(source, 2, 7), int(ssNumber));
    QCOMPARE(StyleAt(source, 3, 0), int(ssMnemonic));
    // The mnemonics are those of the instruction list as it is now.
    core_->Control().DeleteInstruction(7);
    core_->NotifyInstructionsChanged();
    QCOMPARE(StyleAt(source, 3, 0), int(ssDefault));
  }

  void renderedEditorShowsColoursAndGlyphs() {
    const auto editor = CompiledSuma();
    editor->Document().Debugger().ToggleBreakpoint(4);
    editor->Document().Debugger().ToggleBreakpoint(1);
    editor->resize(520, 260);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QImage image = editor->grab().toImage();
    const QString out = QDir::temp().filePath(QStringLiteral("dorum-program-editor.png"));
    image.save(out);
    // Somewhere on the current line's row the background is blue, and on
    // the breakpoint's row red.
    const auto rowHas = [&](int line, QColor colour) {
      const int height = static_cast<int>(editor->Memo()->SendScintilla(
          QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
      const int y =
          editor->Memo()->mapTo(editor.get(), QPoint(0, 0)).y() + line * height + height / 2;
      for (int x = image.width() / 2; x < image.width() - 20; ++x)
        if (image.pixelColor(x, y) == colour) return true;
      return false;
    };
    QVERIFY(rowHas(1, QColor(0, 0, 255)));
    QVERIFY(rowHas(3, QColor(255, 0, 0)));
    QVERIFY(rowHas(0, QColor(128, 128, 128)));
    QVERIFY(!rowHas(2, QColor(255, 0, 0)));

    // The instruction language, with an error found as it was typed.
    TFormCommandEditor instruction(*core_);
    instruction.Memo()->SetLines({"// skok gdy (AK) < 0", "ROZKAZ SOM;", "czyt wys wei il;",
                                  "JEŻELI Z TO @ujemne GDY NIE @dodatnie;",
                                  "@ujemne wyad wea wel KONIEC;", "@dodatnie wyl wea zle;"});
    instruction.CheckNow();
    instruction.resize(520, 200);
    instruction.show();
    QVERIFY(QTest::qWaitForWindowExposed(&instruction));
    instruction.grab().save(QDir::temp().filePath(QStringLiteral("dorum-instruction-editor.png")));
    QCOMPARE(instruction.ErrorMessage(), QStringLiteral("6:22  Nieoczekiwana nazwa sygnału: zle"));
  }
};

QTEST_MAIN(EditorDebugTest)
#include "EditorDebugTest.moc"
