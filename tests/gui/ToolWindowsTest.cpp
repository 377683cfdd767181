// The console, the watches window and the instruction list window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "AppCore.h"
#include "CoreText.h"
#include "FormIOConsole.h"
#include "FormMicroprogram.h"
#include "FormWatches.h"
#include "GuiTestSupport.h"
#include "common/Text.h"
#include "control/ListFile.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

struct TCore {
  TAppCore Core;
  test::TDialogScript User;
  TCore() { User.Install(Core.Dialogs()); }
};

QString Examples(const char* file) {
  return QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QString::fromLatin1(file));
}

// The console window over an Ombra machine, whose port 1 reads the input
// field and port 2 writes the output.
struct TConsoleRig {
  TCore c;
  TFormIOConsole console{c.Core};
  TMachine& m = c.Core.Machine();
  TConsoleRig() {
    console.show();
    m.SetComponents(*PresetComponents("Ombra"));
  }
  // "start" on a port, as the instruction that writes or reads does.
  void Start(int port) {
    m.EnterRegisterValue(TRegisterId::I, std::to_string(port));
    m.ExecuteSignals(SignalBit(TSignalId::start));
  }
  void Put(int code) {
    m.EnterRegisterValue(TRegisterId::RB, std::to_string(code));
    Start(2);
  }
};

// Whether the view's own "Odśwież" is bound to Ctrl+R and the key, pressed
// in the view, triggers it.
bool CtrlRRefreshes(QWidget& window, QWidget* view) {
  QAction* refresh = nullptr;
  for (QAction* action : view->actions()) {
    if (action->text() == QStringLiteral("Odśwież")) refresh = action;
  }
  if (refresh == nullptr || refresh->shortcut() != QKeySequence(Qt::CTRL | Qt::Key_R)) return false;
  const QSignalSpy triggered(refresh, &QAction::triggered);
  window.activateWindow();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
  return triggered.count() == 1;
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int k = 0; k < list->count(); ++k) rows.append(list->item(k)->text());
  return rows;
}

}  // namespace

class ToolWindowsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void typingFeedsAWaitingProgramAndTheOutputShowsLineBreaks() {
    TConsoleRig rig;
    TCore& c = rig.c;
    TFormIOConsole& console = rig.console;
    TMachine& m = rig.m;
    // "start" on the input port with nothing typed: the program waits.
    rig.Start(1);
    QVERIFY(c.Core.Control().WaitingForInput());
    QTest::keyClicks(console.InputField(), QStringLiteral("xy"));
    QCOMPARE(m.Register(TRegisterId::RB).Value(), 120);
    QCOMPARE(m.Register(TRegisterId::G).Value(), 1);
    QVERIFY(!c.Core.Control().WaitingForInput());
    QCOMPARE(console.InputField()->text(), QStringLiteral("y"));  // the rest waits its turn

    // Output: CR LF, a lone CR and a lone LF all end a line.
    for (const int code : {65, 13, 10, 66, 13, 67, 10, 68}) rig.Put(code);  // A CR LF B CR C LF D
    QCOMPARE(console.OutputText()->toPlainText(), QString());  // not yet: the views' clock
    c.Core.Refresh().Flush();
    QCOMPARE(console.OutputText()->toPlainText(), QStringLiteral("A\nB\nC\nD"));
    console.ClearOutput();
    QCOMPARE(Q(m.Console().OutputText()), QString());
    QCOMPARE(console.OutputText()->toPlainText(), QString());
  }

  void theCaretKeepsItsPlaceFromTheEndAsTheProgramTakesCharacters() {
    TConsoleRig rig;
    QLineEdit* input = rig.console.InputField();
    const auto take = [&] {
      rig.Start(1);
      rig.c.Core.Refresh().Flush();
    };
    // Typed ahead, before the program reads: it waits in the field.
    QTest::keyClicks(input, QStringLiteral("abcd"));
    QCOMPARE(input->cursorPosition(), 4);
    take();
    QCOMPARE(input->text(), QStringLiteral("bcd"));
    QCOMPARE(input->cursorPosition(), 3);  // still at the end
    input->setCursorPosition(1);           // between "b" and "c"
    take();
    QCOMPARE(input->text(), QStringLiteral("cd"));
    QCOMPARE(input->cursorPosition(), 0);  // still before "c"
    take();
    QCOMPARE(input->text(), QStringLiteral("d"));
    QCOMPARE(input->cursorPosition(), 0);  // not before the start
  }

  // The program may read before the views' clock shows it: what the
  // student types then is added to what is left, not to what was read.
  void typingWhileTheFieldIsBehindGivesNothingTwice() {
    TConsoleRig rig;
    QLineEdit* input = rig.console.InputField();
    QTest::keyClicks(input, QStringLiteral("ab"));
    rig.Start(1);  // reads "a"; the field still shows it
    QCOMPARE(input->text(), QStringLiteral("ab"));
    QTest::keyClicks(input, QStringLiteral("c"));
    QCOMPARE(Q(rig.m.Console().InputText()), QStringLiteral("bc"));
    rig.c.Core.Refresh().Flush();
    QCOMPARE(input->text(), QStringLiteral("bc"));
  }

  // A letter beyond ASCII is more than one byte of the core's text: the
  // field still counts characters from its end, and the output shows the
  // letters the program wrote, not their bytes.
  void lettersBeyondAsciiCrossTheConsoleWhole() {
    TConsoleRig rig;
    QLineEdit* input = rig.console.InputField();
    test::Type(input, QStringLiteral("żółw"));
    input->setCursorPosition(2);  // between "ó" and "ł"
    rig.Start(1);
    rig.c.Core.Refresh().Flush();
    QCOMPARE(rig.m.Register(TRegisterId::RB).Value() & 0xFF, 0xBF);  // "ż" in code page 1250
    QCOMPARE(input->text(), QStringLiteral("ółw"));
    QCOMPARE(input->cursorPosition(), 1);                     // still before "ł"
    for (const int code : {0xB3, 0xB9, 0x9C}) rig.Put(code);  // "ł", "ą", "ś"
    rig.c.Core.Refresh().Flush();
    QCOMPARE(rig.console.OutputText()->toPlainText(), QStringLiteral("łąś"));
    QCOMPARE(Q(rig.m.Console().OutputText()), QStringLiteral("łąś"));
  }

  void theOutputFollowsItsLastLineWhetherAddedOrShownWhole() {
    TConsoleRig rig;
    TCore& c = rig.c;
    TFormIOConsole& console = rig.console;
    console.resize(300, 200);
    const auto put = [&](int code) { rig.Put(code); };
    QScrollBar* scroll = console.OutputText()->verticalScrollBar();
    for (int line = 0; line < 40; ++line) {
      put(65 + line % 26);
      put(10);
      c.Core.Refresh().Flush();  // added to what is shown
    }
    QVERIFY(scroll->maximum() > 0);
    QCOMPARE(scroll->value(), scroll->maximum());
    scroll->setValue(0);
    put(90);
    c.Core.Refresh().Flush();
    QCOMPARE(scroll->value(), scroll->maximum());
    // Shown whole again once the window comes back.
    console.hide();
    for (int line = 0; line < 10; ++line) {
      put(66);
      put(10);
      c.Core.Refresh().Flush();
    }
    console.show();
    QCoreApplication::processEvents();
    QCOMPARE(scroll->value(), scroll->maximum());
    QVERIFY(console.OutputText()->toPlainText().endsWith(QStringLiteral("B\n")));
    // What came while hidden, before the views were told, shows at once.
    console.hide();
    put(67);
    console.show();
    QVERIFY(console.OutputText()->toPlainText().endsWith(QStringLiteral("B\nC")));
  }

  void aLineFeedAfterTheOutputIsClearedIsALineBreakOfItsOwn() {
    TConsoleRig rig;
    TFormIOConsole& console = rig.console;
    const auto put = [&](int code) {
      rig.Put(code);
      rig.c.Core.Refresh().Flush();
    };
    put(69);  // E
    put(13);  // CR
    QCOMPARE(console.OutputText()->toPlainText(), QStringLiteral("E\n"));
    console.ClearOutput();
    // The CR went with the text it ended: the LF has nothing to pair with.
    put(10);
    put(70);  // F
    QCOMPARE(console.OutputText()->toPlainText(), QStringLiteral("\nF"));
  }

  void watchesAreSortedAndFollowTheMemory() {
    TCore c;
    TFormWatches watches(c.Core);
    watches.show();
    TProgramDocument program;
    program.SetTexts({"b: pob A", "A: dod c", "c: rst 5"});
    CompileProgram(c.Core.Assembler(), c.Core.Control(), program);
    QCOMPARE(watches.List()->model()->rowCount(), 3);
    QCOMPARE(watches.RowText(0).section(QStringLiteral("  "), 0, 0), QStringLiteral("a [ 1 ]"));
    QCOMPARE(watches.RowText(1).section(QStringLiteral("  "), 0, 0), QStringLiteral("b [ 0 ]"));
    QCOMPARE(watches.RowText(2), QStringLiteral("c [ 2 ]  5 ( stp 5 )"));
    c.Core.Machine().EnterMemoryValue(2, "37");
    c.Core.Refresh().Flush();
    QCOMPARE(watches.RowText(2), QStringLiteral("c [ 2 ]  37 ( dod 5 )"));
    // A word beyond the memory is never read.
    c.Core.Watches().SetWatches({{"daleko", 40}});
    QCOMPARE(watches.RowText(0), QStringLiteral("daleko [ 40 ]  (poza pamięcią)"));
  }

  void ctrlRInTheWatchesRefreshesThem() {
    TCore c;
    TFormWatches watches(c.Core);
    watches.show();
    QVERIFY(QTest::qWaitForWindowExposed(&watches));
    QVERIFY(CtrlRRefreshes(watches, watches.List()));
  }

  void aLongLabelKeepsItsAddressInSightAndAShortOneItsColumn() {
    TCore c;
    TFormWatches watches(c.Core);
    watches.show();
    const QString label = QStringLiteral("bardzo_dluga_etykieta_zmiennej_wynik_posredni");
    c.Core.Watches().SetWatches({{"a", 3}, {U8(label), 4}});
    QListView* list = watches.List();
    QCoreApplication::processEvents();  // the rows are laid out
    const QImage shot = list->viewport()->grab().toImage();
    const QColor base = list->palette().color(QPalette::Base);
    // Columns of a row that hold some of its text.
    const auto inked = [&](int row, int from, int to) {
      const QRect box = list->visualRect(list->model()->index(row, 0));
      for (int x = std::max(from, 0); x < std::min(to, shot.width()); ++x) {
        for (int y = box.top(); y <= box.bottom(); ++y) {
          if (shot.pixelColor(x, y) != base) return true;
        }
      }
      return false;
    };
    const QFontMetrics metrics(list->font());
    const int end = 2 + metrics.horizontalAdvance(Q(c.Core.Watches().NameText(1)));
    QVERIFY(end >
            120 + metrics.horizontalAdvance(watches.RowText(1).section(QStringLiteral("  "), 1)));
    // The closing bracket after the address is drawn; the content follows.
    QVERIFY(inked(1, end - metrics.horizontalAdvance(u']'), end));
    QVERIFY(inked(1, end + 1, shot.width()));
    // A short name leaves the content in its column.
    QVERIFY(!inked(0, 2 + metrics.horizontalAdvance(Q(c.Core.Watches().NameText(0))) + 1, 120));
    QVERIFY(inked(0, 120, 130));
  }

  void ctrlRInTheInstructionListRefreshesTheNames() {
    TCore c;
    TFormMicroprogram list(c.Core);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(CtrlRRefreshes(list, list.Commands()));
  }

  void theListShowsTheInstructionsAndTheirCycleLines() {
    TCore c;
    TFormMicroprogram list(c.Core);
    list.show();
    QCOMPARE(Rows(list.Commands()),
             (QStringList{"stp", "dod", "ode", "pob", "ład", "sob", "som", "soz"}));
    list.Commands()->setCurrentRow(6);  // «som»
    QCOMPARE(list.Text()->count(), 6);
    QStringList cycleLines;
    for (int line = 0; line < list.Text()->count(); ++line) {
      if (list.IsCycleLine(line)) cycleLines.append(list.Text()->item(line)->text());
    }
    QCOMPARE(cycleLines.size(), 4);
    QVERIFY(!list.IsCycleLine(0));  // the comment
    QVERIFY(!list.IsCycleLine(1));  // «ROZKAZ SOM;»
    // The breakpoint command follows the selected line.
    list.Text()->setCurrentRow(1);
    QVERIFY(!list.BreakpointAction()->isEnabled());
    list.Text()->setCurrentRow(2);
    QVERIFY(list.BreakpointAction()->isEnabled());
    list.BreakpointAction()->trigger();
    QVERIFY(c.Core.Control().Instructions().At(6).Cycle(0).Breakpoint);
    QCOMPARE(list.Text()->currentRow(), 2);
    list.BreakpointAction()->trigger();
    QVERIFY(!c.Core.Control().Instructions().At(6).Cycle(0).Breakpoint);
    // Ctrl+F8 in the text does the same, as in the program editor.
    list.activateWindow();
    list.Text()->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTest::keyClick(list.Text(), Qt::Key_F8, Qt::ControlModifier);
    QVERIFY(c.Core.Control().Instructions().At(6).Cycle(0).Breakpoint);
    QTest::keyClick(list.Text(), Qt::Key_F8, Qt::ControlModifier);
    QVERIFY(!c.Core.Control().Instructions().At(6).Cycle(0).Breakpoint);
  }

  void copyingPutsTheTextWithLineEnds() {
    TCore c;
    TFormMicroprogram list(c.Core);
    list.Commands()->setCurrentRow(0);  // «stp»
    list.CopyAction()->trigger();
    const QString text = QApplication::clipboard()->text();
    QCOMPARE(text.count(QStringLiteral("\r\n")), 5);
    QVERIFY(text.startsWith(QStringLiteral("// zakończenie programu\r\nROZKAZ STP;\r\n")));
    QVERIFY(text.endsWith(QStringLiteral("stop;\r\n")));
  }

  void deletingAsksAndRenumbers() {
    TCore c;
    TFormMicroprogram list(c.Core);
    list.Commands()->setCurrentRow(1);
    c.User.Answers = {QMessageBox::No};
    list.DeleteAction()->trigger();
    c.User.Answers = {QMessageBox::Cancel};  // the box closed: nothing deleted either
    list.DeleteAction()->trigger();
    QCOMPARE(c.User.Questions.front(),
             QStringLiteral("Rzeczywiście chcesz usunąć rozkaz dod z listy rozkazów ?"));
    QCOMPARE(c.Core.Control().Instructions().Count(), 8);
    c.User.Answers = {QMessageBox::Yes};
    list.DeleteAction()->trigger();
    QCOMPARE(c.Core.Control().Instructions().Count(), 7);
    QCOMPARE(Rows(list.Commands()).mid(0, 3), (QStringList{"stp", "ode", "pob"}));
    QCOMPARE(Q(c.Core.Control().Instructions().At(1).Name()), QStringLiteral("ode"));
    QCOMPARE(list.Text()->count(), 0);  // the deleted instruction's text is gone
    // With no row selected the list's own error says so and nothing changes.
    list.Commands()->setCurrentRow(-1);
    list.DeleteAction()->trigger();
    QCOMPARE(c.User.Errors.back(), QStringLiteral("List index out of bounds (-1)"));
    QCOMPARE(c.Core.Control().Instructions().Count(), 7);
  }

  void listFilesLoadWithTheirConfigurationAndABadOneSaysWhy() {
    TCore c;
    TFormMicroprogram list(c.Core);
    QVERIFY(test::Succeeds([&] { list.LoadInstructionList(Examples("ombra/ombra.lst")); }));
    QCOMPARE(list.Commands()->count(), c.Core.Control().Instructions().Count());
    QVERIFY(Rows(list.Commands()).contains(QStringLiteral("wyp")));
    QVERIFY(c.Core.Machine().Register(TRegisterId::X).Visible());
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("zapis.lst"));
    list.SaveInstructionList(saved);
    QVERIFY(QFile::exists(saved));
    // A list whose instruction does not compile stops there with its message.
    WriteTextFile(U8(dir.filePath(QStringLiteral("zla.lst"))),
                  {"[Rozkazy]", "Liczba=2", "Nazwa1=stp", "Nazwa2=zly", "[stp]", "Linie=3",
                   "Linia1=ROZKAZ STP;", "Linia2=czyt wys wei il;", "Linia3=stop;", "[zly]",
                   "Linie=1", "Linia1=ROZKAZ ;"});
    QVERIFY(!c.Core.Errors().Run(
        nullptr, [&] { list.LoadInstructionList(dir.filePath(QStringLiteral("zla.lst"))); }));
    QCOMPARE(c.User.Errors.size(), 1);
    QCOMPARE(Rows(list.Commands()),
             QStringList{QStringLiteral("stp")});  // what was loaded before it
    // A file that is not there changes nothing at all.
    QVERIFY(!c.Core.Errors().Run(
        nullptr, [&] { list.LoadInstructionList(dir.filePath(QStringLiteral("brak.lst"))); }));
    QVERIFY(c.User.Errors.back().contains(QStringLiteral("brak.lst")));
    QCOMPARE(Rows(list.Commands()), QStringList{QStringLiteral("stp")});
  }

  void aRunMarksTheInstructionAndItsCycle() {
    TCore c;
    TFormMicroprogram list(c.Core);
    list.show();
    c.Core.Machine().Memory().Store(0, 1 * 32 + 5);  // dod 5
    c.Core.Control().SetTrackingLevel(0);
    c.Core.Run(nullptr, [&] {
      c.Core.Control().ExecuteCycle();
      return c.Core.Control().ExecuteCycle();
    });
    QCOMPARE(list.MarkedInstruction(), 1);
    QCOMPARE(list.Commands()->currentRow(), 1);
    QCOMPARE(list.MarkedLine(), 3);  // «wyad wea;»
    QCOMPARE(list.Text()->currentItem()->text(), QStringLiteral("wyad wea;"));
  }
};

QTEST_MAIN(ToolWindowsTest)
#include "ToolWindowsTest.moc"
