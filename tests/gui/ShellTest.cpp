// The application shell: start-up, the main window's actions with their
// keys and enabling, the editor container and docking, runs, opening files
// and the close query.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "AppCore.h"
#include "CoreText.h"
#include "DockedWindow.h"
#include "Examples.h"
#include "FindDialogs.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormHelp.h"
#include "FormIOConsole.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "FormWatches.h"
#include "GuiTestSupport.h"
#include "SourceEditor.h"
#include "common/Text.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

using test::TDesktop;

QString SourceExamples() {
  return QStringLiteral(DORUM_EXAMPLES_DIR);
}

// A writable copy of the examples, so that a save that should not happen
// cannot touch the source tree's.
void CopyFolder(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString file = it.next();
    const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
    QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
    QVERIFY(QFile::copy(file, target));
  }
}

// The user's documents in a folder of the test's own, by the system's rule
// for where they are.
class TDocumentsFolder {
 public:
  TDocumentsFolder() : oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    QDir(config_.path()).mkpath(QStringLiteral("Dokumenty"));
    QFile dirs(config_.filePath(QStringLiteral("user-dirs.dirs")));
    if (dirs.open(QIODevice::WriteOnly))
      dirs.write("XDG_DOCUMENTS_DIR=\"" + Path().toUtf8() + "\"\n");
    dirs.close();
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
  }
  ~TDocumentsFolder() {
    if (oldConfig_.isEmpty()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
  }
  TDocumentsFolder(const TDocumentsFolder&) = delete;
  TDocumentsFolder& operator=(const TDocumentsFolder&) = delete;

  [[nodiscard]] QString Path() const { return config_.filePath(QStringLiteral("Dokumenty")); }

 private:
  QTemporaryDir config_;
  QByteArray oldConfig_;
};

// The captions of the context menu that opens while `open` runs; the menu
// is closed again at once.
QStringList MenuShownBy(const std::function<void()>& open) {
  QStringList shown;
  QTimer::singleShot(0, [&shown] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->isVisible()) shown.append(action->text());
    }
    menu->close();
  });
  open();
  return shown;
}

// An endless program: "dod" and "sob" in a loop.
void StoreEndlessLoop(TMachine& m) {
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void startUpLeavesTheStripAndTheContainerWithTheMachineWindow() {
    TDesktop app;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(app.Main->height(), TFormMain::kHeight);
    QCOMPARE(app.Main->width(), screen.width());
    QCOMPARE(app.Main->windowTitle(), QStringLiteral("Maszyna Dorum"));
    QVERIFY(app.Container().isVisible());
    QCOMPARE(app.Container().Tabs().size(), 1);
    QCOMPARE(app.Container().ActiveTab()->Content(), &app.Main->MachineWindow());
    QCOMPARE(app.Container().windowTitle(), QStringLiteral("Jednostka centralna"));
    // The windows in their order of creation, each with a name of its own.
    QStringList names;
    for (QWidget* w : app.Main->Windows()) names.append(w->objectName());
    QCOMPARE(names, (QStringList{"FormMain", "FormEditor", "DockFormMachine", "DockFormIOConsole",
                                 "DockFormProgramEditor", "DockFormMicroprogram", "DockFormWatches",
                                 "DockFormHelp", "DockFormTiming"}));
    // The hidden start-up editor and the other tool windows stay hidden.
    QVERIFY(!app.FrameOf(&app.Main->Console())->isVisible());
  }

  void everyCommandHasItsCaptionKeyAndCategory() {
    TDesktop app;
    const struct {
      const char* name;
      const char* category;
      const char* caption;
      const char* menu;
      QKeySequence key;
    } actions[] = {
        {"ActionNewProgram", "Plik", "Program", "&Program", {}},
        {"ActionNewInstruction", "Plik", "Rozkaz", "R&ozkaz", {}},
        {"ActionFileOpen", "Plik", "&Otwórz...", "&Otwórz...", QKeySequence(Qt::Key_F3)},
        {"ActionFileSave", "Plik", "Zapisz", "&Zapisz", QKeySequence(Qt::Key_F2)},
        {"ActionFileSaveAs", "Plik", "Z&apisz jako...", "Z&apisz jako...", {}},
        {"FileExit1", "Plik", "Wyjście", "&Wyjście", {}},
        {"ActionViewWindowList", "Widok", "Lista okien", "&Lista okien", QKeySequence(Qt::Key_F5)},
        {"ActionViewEditor", "Widok", "Okno edycyjne", "&Okno edycyjne", {}},
        {"ActionInstructions", "Widok", "Rozkazy", "L&ista rozkazów", QKeySequence(Qt::Key_F10)},
        {"ActionViewWatches", "Widok", "Obserwowane zmienne", "O&bserwowane zmienne", {}},
        {"ActionViewCPU", "Widok", "Jednostka centralna", "&Jednostka centralna",
         QKeySequence(Qt::Key_F11)},
        {"ActionViewConsole", "Widok", "Konsola We/Wy", "Ko&nsola we/wy",
         QKeySequence(Qt::Key_F12)},
        {"ActionSaveList", "Projekt", "Zapisz listę rozkazów", "&Zapisz listę rozkazów", {}},
        {"ActionLoadList", "Projekt", "Ładuj listę rozkazów", "Ładuj listę rozkazów",
         QKeySequence(Qt::CTRL | Qt::Key_F3)},
        {"ActionProjectOptions", "Projekt", "Opcje ...", "&Opcje ...",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F11)},
        {"ActionRunProject", "Wykonaj", "Program", "&Program", QKeySequence(Qt::Key_F9)},
        {"ActionRunInstruction", "Wykonaj", "Rozkaz", "&Rozkaz", QKeySequence(Qt::Key_F8)},
        {"ActionRunCycle", "Wykonaj", "Takt", "&Takt", QKeySequence(Qt::Key_F7)},
        {"ActionRunToCursor", "Wykonaj", "Do kursora", "&Do kursora", QKeySequence(Qt::Key_F4)},
        {"ActionReset", "Wykonaj", "Reset", "R&eset", QKeySequence(Qt::CTRL | Qt::Key_F2)},
        {"ActionAbort", "Wykonaj", "Przerwij", "Pr&zerwij", {}},
        {"HelpContents1", "Pomoc", "Zawartość", "&Zawartość", {}},
        {"HelpTopicSearch1", "Pomoc", "Szukaj tematu", "&Szukaj tematu", {}},
        {"ActionEditUndo", "Edycja", "&Undo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"ActionSearchFind", "Szukaj", "Znajdź...", "Znajdź...",
         QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"ActionSearchFindNext", "Szukaj", "Znajdź następny", "Znajdź następny",
         QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"ActionSearchReplace", "Szukaj", "Zamień", "Zamień", QKeySequence(Qt::CTRL | Qt::Key_H)},
    };
    for (const auto& a : actions) {
      QAction* action = app.Action(a.name);
      QVERIFY2(action != nullptr, a.name);
      QCOMPARE(action->property("category").toString(), QString::fromUtf8(a.category));
      QCOMPARE(action->property("caption").toString(), QString::fromUtf8(a.caption));
      QCOMPARE(action->text(), QString::fromUtf8(a.menu));
      QCOMPARE(action->shortcut(), a.key);
      if (!a.key.isEmpty()) QCOMPARE(action->shortcutContext(), Qt::ApplicationShortcut);
    }
    // The menu bar holds only the five menus, in order.
    QStringList menus;
    for (QAction* menu : app.Main->menuBar()->actions()) menus.append(menu->text());
    QCOMPARE(menus, (QStringList{"&Plik", "&Widok", "P&rojekt", "W&ykonaj", "Po&moc"}));
    QVERIFY(app.Action("HelpContents1")->isEnabled());  // the program's own help
  }

  void manualControlGreysProgramAndInstructionButNotCycle() {
    TDesktop app;
    app.Main->UpdateActions();
    QVERIFY(app.Action("ActionRunProject")->isEnabled());
    QVERIFY(app.Action("ActionRunInstruction")->isEnabled());
    app.Core.Control().SetManualControl(true);
    app.Main->UpdateActions();
    QVERIFY(!app.Action("ActionRunProject")->isEnabled());
    QVERIFY(!app.Action("ActionRunInstruction")->isEnabled());
    QVERIFY(app.Action("ActionRunCycle")->isEnabled());
    const std::uint64_t before = app.Core.Control().CyclesPerformed();
    app.Action("ActionRunInstruction")->trigger();  // greyed: nothing happens
    QCOMPARE(app.Core.Control().CyclesPerformed(), before);
    app.Action("ActionRunCycle")->setEnabled(true);
    app.Action("ActionRunCycle")->trigger();
    QCOMPARE(app.Core.Control().CyclesPerformed(), before + 1);
  }

  void theMainWindowsKeysWorkFromAnotherWindowAndAnEditorsOwnKeysWin() {
    TDesktop app;
    app.Main->UpdateActions();
    TFormProgramEditor* editor = app.Main->NewProgram();
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    const std::uint64_t before = app.Core.Control().CyclesPerformed();
    QTest::keyClick(editor->Memo(), Qt::Key_F7);  // the main window's "Takt"
    QCOMPARE(app.Core.Control().CyclesPerformed(), before + 1);
    // F2 is the editor's own "Zapisz" while it has the focus.
    QSignalSpy mainSave(app.Action("ActionFileSave"), &QAction::triggered);
    QTest::keyClicks(editor->Memo(), QStringLiteral("stp"));
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QCOMPARE(mainSave.count(), 0);
    QCOMPARE(app.User.FileDialogs, 1);  // the editor's save dialog, cancelled
    QVERIFY(editor->Modified());
  }

  void ctrlLInAnEditorIsTheMenusFindNextAndCutsNoLine() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    test::Type(editor->Memo(), QStringLiteral("pob x"));
    QSignalSpy findNext(app.Action("ActionSearchFindNext"), &QAction::triggered);
    QTest::keyClick(editor->Memo(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(editor->Memo()->text(), QStringLiteral("pob x"));
    QCOMPARE(findNext.count(), 1);
  }

  void ctrlLFindsTheNextMatchOfTheSearchMadeBefore() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    TSourceEditor* memo = editor->Memo();
    memo->setText(QStringLiteral("dod x\npob x\ndod x\ndod y\n"));
    QApplication::setActiveWindow(&app.Container());
    memo->setFocus();
    memo->setCursorPosition(1, 0);
    const auto selection = [memo] {
      int line = 0;
      int from = 0;
      int lineTo = 0;
      int to = 0;
      memo->getSelection(&line, &from, &lineTo, &to);
      return QPoint(from, line);
    };
    // Without a search before, Ctrl+L asks what to look for.
    QTest::keyClick(memo, Qt::Key_L, Qt::ControlModifier);
    TFindDialog* dialog = editor->FindDialog();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    dialog->SetText(QStringLiteral("dod"));
    dialog->FindNextButton->click();  // the first match after the caret
    QCOMPARE(selection(), QPoint(0, 2));
    dialog->hide();
    QApplication::setActiveWindow(&app.Container());
    memo->setFocus();
    // Then each Ctrl+L goes on to the next match, the dialog closed.
    QTest::keyClick(memo, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(selection(), QPoint(0, 3));
    QVERIFY(!dialog->isVisible());
    // Past the last one it says so, and the selection stays.
    QTest::keyClick(memo, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(app.User.Errors, QStringList{QStringLiteral("Nie znaleziono szukanego tekstu.")});
    QCOMPARE(selection(), QPoint(0, 3));
    QVERIFY(!dialog->isVisible());
  }

  void runToCursorBeforeAnyCompileSaysSo() {
    TDesktop app;
    app.Action("ActionRunToCursor")->trigger();
    QCOMPARE(app.User.Errors, QStringList{QStringLiteral("Najpierw skompiluj program.")});
  }

  void resetByItsKeyResetsTheMachine() {
    TDesktop app;
    app.Core.Machine().EnterRegisterValue(TRegisterId::AK, "7");
    app.Action("ActionReset")->trigger();
    QCOMPARE(app.Core.Machine().Register(TRegisterId::AK).Value(), 0);
  }

  void aRunIsAbortedAtTheNextSliceAndNoSecondRunStarts() {
    TDesktop app;
    StoreEndlessLoop(app.Core.Machine());
    app.Core.Control().SetTrackingLevel(0);
    app.Main->UpdateActions();
    int runs = 0;
    connect(&app.Core, &TAppCore::RunStateChanged, this, [&](bool running) { runs += running; });
    app.Action("ActionRunProject")->trigger();
    QVERIFY(app.Core.RunInProgress());
    QTRY_VERIFY(app.Core.SlicesPerformed() >= 3);
    // A second run command while the run goes on is greyed and ignored.
    QVERIFY(!app.Action("ActionRunProject")->isEnabled());
    QVERIFY(!app.Action("ActionRunCycle")->isEnabled());
    app.Action("ActionRunCycle")->trigger();
    QMetaObject::invokeMethod(app.Action("ActionRunProject"), "trigger");
    QCOMPARE(runs, 1);
    // "Przerwij" ends it with the next slice, which performs no cycle.
    const std::uint64_t slices = app.Core.SlicesPerformed();
    const std::uint64_t cycles = app.Core.Control().CyclesPerformed();
    app.Action("ActionAbort")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.Core.SlicesPerformed(), slices + 1);
    QCOMPARE(app.Core.Control().CyclesPerformed(), cycles);
    QVERIFY(cycles > 1000);
    QCOMPARE(runs, 1);
    QVERIFY(app.User.Errors.isEmpty());
    QVERIFY(app.Action("ActionRunProject")->isEnabled());
  }

  void theSaveCommandsFollowTheEditorInFrontWithoutActivations() {
    // Nothing here activates a window: the offscreen platform reports no
    // activations, as some window managers do not.
    TDesktop app;
    QAction* save = app.Action("ActionFileSave");
    QAction* saveAs = app.Action("ActionFileSaveAs");
    TFormProgramEditor* editor = app.Main->NewProgram();
    QVERIFY(save->isEnabled());
    QVERIFY(saveAs->isEnabled());
    app.Container().ActivateTab(app.FrameOf(&app.Main->MachineWindow()));
    QVERIFY(!save->isEnabled());
    app.Container().ActivateTab(app.FrameOf(editor));
    QVERIFY(saveAs->isEnabled());
    // "Zapisz jako..." acts on that editor: the dialog it asks is answered
    // with a name.
    QTemporaryDir dir;
    app.User.FileNames = {dir.filePath(QStringLiteral("nowy.prg"))};
    saveAs->trigger();
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("nowy.prg"))));
  }

  void theMachineWindowComesBackDockedWhicheverWayItWasClosed() {
    TDesktop app;
    TDockedWindow* machine = app.FrameOf(&app.Main->MachineWindow());
    // Closed while floating: docked back as a new tab.
    machine->setFloating(true);
    machine->close();
    QVERIFY(!machine->isVisible());
    app.Action("ActionViewCPU")->trigger();
    QVERIFY(app.Container().HoldsAsTab(machine));
    QVERIFY(machine->isVisible());
    // Closed together with the container: the container returns with the
    // machine's tab in front.
    app.Action("ActionViewConsole")->trigger();
    QCOMPARE(app.Container().ActiveTab(), app.FrameOf(&app.Main->Console()));
    app.Container().close();
    app.Action("ActionViewCPU")->trigger();
    QVERIFY(app.Container().isVisible());
    QCOMPARE(app.Container().ActiveTab(), machine);
    QCOMPARE(app.Container().windowTitle(), QStringLiteral("Jednostka centralna"));
    // "Okno edycyjne" brings back a closed container with all its tabs.
    app.Container().close();
    app.Action("ActionViewEditor")->trigger();
    QVERIFY(app.Container().isVisible());
    QCOMPARE(app.Container().Tabs().size(), 2);
  }

  void aTabDraggedOutOfTheTabBarFloatsItsWindow() {
    TDesktop app;
    app.Action("ActionViewConsole")->trigger();
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    QTabBar* tabs = nullptr;
    for (QTabBar* bar : app.Container().findChildren<QTabBar*>())
      if (bar->isVisible() && bar->count() == 2) tabs = bar;
    QVERIFY(tabs != nullptr);
    int index = 0;
    while (index < tabs->count() && tabs->tabText(index) != console->windowTitle()) ++index;
    QVERIFY(index < tabs->count());
    const QPoint start = tabs->tabRect(index).center();
    QTest::mousePress(tabs, Qt::LeftButton, {}, start);
    // Down through the window, then up over the main window's strip, which
    // is no place to dock.
    for (int dy = 4; dy <= 200; dy += 4) QTest::mouseMove(tabs, start + QPoint(0, dy));
    const QPoint strip = tabs->mapFromGlobal(app.Main->mapToGlobal(app.Main->rect().center()));
    QTest::mouseMove(tabs, strip);
    QTest::mouseRelease(tabs, Qt::LeftButton, {}, strip);
    QTRY_VERIFY(console->isFloating());
    QVERIFY(!app.Container().HoldsAsTab(console));
    QVERIFY(app.Container().HoldsAsTab(app.FrameOf(&app.Main->MachineWindow())));
  }

  void nextAndPreviousWrapAndTheLastTabLeavesTheCaptionEdytor() {
    TDesktop app;
    TFormProgramEditor* first = app.Main->NewProgram();
    TFormCommandEditor* second = app.Main->NewInstruction();
    TFormEditor& c = app.Container();
    QCOMPARE(c.Tabs().size(), 3);
    QCOMPARE(c.ActiveTab()->Content(), second);
    QCOMPARE(c.windowTitle(), QStringLiteral("Noname.rzk"));
    c.NextTab();  // from the last to the first
    QCOMPARE(c.ActiveTab()->Content(), &app.Main->MachineWindow());
    c.PreviousTab();  // from the first to the last
    QCOMPARE(c.ActiveTab()->Content(), second);
    c.PreviousTab();
    QCOMPARE(c.ActiveTab()->Content(), first);
    // "Zamknij" on an editor destroys it; on the machine window only hides.
    QPointer<TFormProgramEditor> gone = first;
    c.CloseActiveTab();
    QTRY_VERIFY(gone.isNull());
    c.ActivateTab(app.FrameOf(&app.Main->MachineWindow()));
    c.CloseActiveTab();
    QVERIFY(!app.FrameOf(&app.Main->MachineWindow())->isVisible());
    QCOMPARE(c.Tabs().size(), 1);
    QCOMPARE(c.windowTitle(), QStringLiteral("Edytor"));
  }

  void odlaczWithOneTabLeftNamesTheContainerEdytor() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    TFormEditor& c = app.Container();
    QCOMPARE(c.windowTitle(), QStringLiteral("Noname.prg"));
    auto* dock = app.FrameOf(editor)->findChild<QToolButton*>(QStringLiteral("DockButton"));
    QVERIFY(dock != nullptr);
    QCOMPARE(dock->toolTip(), QStringLiteral("Odłącz"));
    dock->click();
    QCoreApplication::processEvents();
    QCOMPARE(c.Tabs().size(), 1);
    QCOMPARE(c.windowTitle(), QStringLiteral("Edytor"));
    // The tab left over comes to the front, and the container stays "Edytor".
    c.ActivateTab(c.Tabs().front());
    QCOMPARE(c.windowTitle(), QStringLiteral("Edytor"));
    // Docked back, the container is named by the tab in front again.
    QCOMPARE(dock->toolTip(), QStringLiteral("Dokuj w oknie edycyjnym"));
    dock->click();
    QCoreApplication::processEvents();
    QCOMPARE(c.Tabs().size(), 2);
    QCOMPARE(c.windowTitle(), QStringLiteral("Noname.prg"));
  }

  void theTabKeysWorkWhateverTheTabMenuShowedBefore() {
    TDesktop app;
    TFormEditor& c = app.Container();
    const auto tabMenu = [&] {
      return MenuShownBy([&] { Q_EMIT c.customContextMenuRequested(QPoint(10, 10)); });
    };
    // One tab can be closed, but there is no other to go to.
    QCOMPARE(c.Tabs().size(), 1);
    QCOMPARE(tabMenu(), (QStringList{QStringLiteral("&Otwórz..."), QStringLiteral("&Zapisz"),
                                     QStringLiteral("Zamknij")}));
    c.CloseActiveTab();  // the machine window: the container is empty
    QCOMPARE(c.Tabs().size(), 0);
    // An empty container offers no tab to close or to go to.
    QCOMPARE(tabMenu(), (QStringList{QStringLiteral("&Otwórz..."), QStringLiteral("&Zapisz")}));
    TFormProgramEditor* first = app.Main->NewProgram();
    TFormCommandEditor* second = app.Main->NewInstruction();
    app.Main->ShowDockedForm(&app.Main->MachineWindow());
    QCOMPARE(c.Tabs().size(), 3);
    QApplication::setActiveWindow(&c);
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
      QWidget* focus = c.ActiveTab()->Content()->focusWidget();
      if (focus == nullptr) focus = c.ActiveTab()->Content();
      focus->setFocus();
      QTest::keyClick(focus, key, modifiers);
    };
    press(Qt::Key_F6);  // from the last tab to the first
    QCOMPARE(c.ActiveTab()->Content(), static_cast<QWidget*>(first));
    press(Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(c.ActiveTab()->Content(), &app.Main->MachineWindow());
    press(Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(c.ActiveTab()->Content(), static_cast<QWidget*>(second));
    QPointer<TFormCommandEditor> gone = second;
    press(Qt::Key_F3, Qt::AltModifier);
    QTRY_VERIFY(gone.isNull());
    QCOMPARE(c.Tabs().size(), 2);
    // With two tabs the menu offers them all.
    QCOMPARE(tabMenu(), (QStringList{QStringLiteral("&Otwórz..."), QStringLiteral("&Zapisz"),
                                     QStringLiteral("Zamknij"), QStringLiteral("Następny"),
                                     QStringLiteral("Poprzedni")}));
  }

  void openingChoosesTheEditorByExtensionAndNamesItByFolder() {
    TDesktop app;
    QTemporaryDir dir;
    const struct {
      const char* name;
      bool program;
    } cases[] = {{"a.PRG", true},  {"b.prg", true},  {"c.Prg", true},
                 {"d.rzk", false}, {"e.txt", false}, {"bez_rozszerzenia", false}};
    for (const auto& c : cases) {
      const QString path = dir.filePath(QString::fromLatin1(c.name));
      WriteTextFile(U8(path), {"stp"});
      TFormCommandEditor* editor = app.Main->OpenFile(path);
      QVERIFY(editor != nullptr);
      QCOMPARE(qobject_cast<TFormProgramEditor*>(editor) != nullptr, c.program);
      // Another folder than the program's: the full path is the caption.
      QCOMPARE(editor->windowTitle(), QDir::toNativeSeparators(path));
    }
    // A file from the program's own folder is named by its bare name.
    const QString own = QCoreApplication::applicationDirPath() + QStringLiteral("/shell_own.prg");
    WriteTextFile(U8(own), {"stp"});
    TFormCommandEditor* editor = app.Main->OpenFile(own);
    QCOMPARE(editor->windowTitle(), QStringLiteral("shell_own.prg"));
    QFile::remove(own);
    // A file that cannot be read leaves no window behind.
    const qsizetype windows = app.Main->Windows().size();
    QVERIFY(app.Main->OpenFile(dir.filePath(QStringLiteral("brak.prg"))) == nullptr);
    QCOMPARE(app.Main->Windows().size(), windows);
    QCOMPARE(app.User.Errors.size(), 1);
  }

  void closingAsksTheModifiedEditorsInOrderAndStopsAtARefusal() {
    TDesktop app;
    TFormProgramEditor* first = app.Main->NewProgram();
    TFormCommandEditor* second = app.Main->NewInstruction();
    QTest::keyClicks(first->Memo(), QStringLiteral("stp"));
    QTest::keyClicks(second->Memo(), QStringLiteral("ROZKAZ X;"));
    app.User.Answers = {QMessageBox::Cancel};
    QVERIFY(!app.Main->close());
    QCOMPARE(app.User.Questions.size(), 1);  // the second editor was not asked
    QVERIFY(app.User.Questions.front().contains(QStringLiteral("Noname.prg")));
    QVERIFY(app.Main->isVisible());
  }

  void aProgramRunsToItsEndThroughTheMenuAndTheConsoleShowsItsOutput() {
    TDesktop app;
    const QDir examples(SourceExamples());
    QVERIFY(test::Succeeds([&] {
      app.Main->InstructionListWindow().LoadInstructionList(
          examples.filePath(QStringLiteral("ombra/ombra.lst")));
    }));
    TFormCommandEditor* editor =
        app.Main->OpenFile(examples.filePath(QStringLiteral("ombra/echo.prg")));
    QVERIFY(editor != nullptr);
    editor->Compile();
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
    app.Core.Machine().TypeInput("Ala.");
    app.Core.Control().SetTrackingLevel(0);
    app.Main->UpdateActions();
    app.Action("ActionViewConsole")->trigger();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    // The normal end is news, not an error.
    QVERIFY(app.User.Errors.isEmpty());
    QCOMPARE(app.User.Informations.back(), QStringLiteral("Program został zakończony."));
    QCOMPARE(Q(app.Core.Machine().Console().OutputText()), QStringLiteral("ALA."));
    const auto outputs = app.Main->Console().findChildren<QPlainTextEdit*>();
    QVERIFY(!outputs.isEmpty());
    QTRY_VERIFY(outputs.front()->toPlainText().contains(QStringLiteral("ALA.")));
  }

  void aStudentsRoundThroughTheWindowsOwnCommands() {
    TDesktop app;
    app.Main->UpdateActions();
    // The "Ombra" list, for its output instruction.
    app.User.FileNames = {QDir(SourceExamples()).filePath(QStringLiteral("ombra/ombra.lst"))};
    app.Action("ActionLoadList")->trigger();
    QVERIFY(app.User.Errors.isEmpty());
    // A new program, typed in.
    app.Action("ActionNewProgram")->trigger();
    auto* editor = qobject_cast<TFormProgramEditor*>(app.Container().ActiveTab()->Content());
    QVERIFY(editor != nullptr);
    for (const char* line :
         {"       POB x", "       DOD y", "       ŁAD z", "       POB znak", "       WYP 2",
          "       STP", "x:     RST 5", "y:     RST 7", "z:     RPA", "znak:  RST 'A'"}) {
      test::Type(editor->Memo(), QString::fromUtf8(line));
      QTest::keyClick(editor->Memo(), Qt::Key_Return);
    }
    // Compiled with its own key (the save dialog it asks first is cancelled).
    QTest::keyClick(editor->Memo(), Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
    // A breakpoint on the fourth line, then the watches and the console.
    editor->Memo()->setCursorPosition(3, 0);
    QTest::keyClick(editor->Memo(), Qt::Key_F8, Qt::ControlModifier);
    QVERIFY(editor->Document().Debugger().IsBreakpoint(4));
    app.Action("ActionViewWatches")->trigger();
    app.Action("ActionViewConsole")->trigger();
    app.Core.Control().SetTrackingLevel(0);
    // The run stops at the breakpoint with its message...
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.User.Errors,
             QStringList{QStringLiteral("Program doszedł do punktu zatrzymania.")});
    TFormWatches& watches = app.Main->WatchesWindow();
    int z = -1;
    for (int row = 0; row < app.Core.Watches().Count(); ++row) {
      if (app.Core.Watches().At(row).Name == "z") z = row;
    }
    QVERIFY(z >= 0);
    QVERIFY(watches.RowText(z).contains(QStringLiteral("  12 (")));
    QCOMPARE(editor->Document().CurrentLine(), 4);
    // ... and goes on to its end, the console showing what it wrote.
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.User.Informations.back(), QStringLiteral("Program został zakończony."));
    const auto outputs = app.Main->Console().findChildren<QPlainTextEdit*>();
    QCOMPARE(outputs.front()->toPlainText(), QStringLiteral("A"));
  }

  void everyExampleOpensReadyToCompileOnItsMachine() {
    TDesktop app;
    const std::vector<TExampleSet> sets = ExampleSets(ExamplesFolder());
    QCOMPARE(sets.size(), 4u);
    QStringList menu;
    for (QAction* a : app.Main->findChild<QMenu*>(QStringLiteral("MenuExamples"))->actions())
      menu.append(a->text());
    QCOMPARE(menu, (QStringList{"Dorum", "Dorum+", "Pelt", "Ombra"}));
    for (const TExampleSet& set : sets) {
      for (const QString& program : set.Programs) {
        TFormCommandEditor* editor = app.Main->OpenExample(set.ListFile, program);
        QVERIFY2(qobject_cast<TFormProgramEditor*>(editor) != nullptr, qPrintable(program));
        QCOMPARE(app.Container().ActiveTab()->Content(), editor);
        QCOMPARE(Q(PresetName(app.Core.Machine().GetComponents())), set.Machine);
        editor->Compile();
        QVERIFY2(app.User.Errors.isEmpty(), qPrintable(program + app.User.Errors.join(u';')));
      }
    }
    QCOMPARE(app.User.Informations.size(), 6);
  }

  // An example's machine replaces a list the student changed only after a
  // question: "Nie" opens the example on the list there is, "Anuluj" opens
  // nothing, "Tak" brings the example's machine; a list from a file asks
  // nothing.
  void anExamplesMachineReplacesAChangedListOnlyWhenTheStudentAgrees() {
    TDesktop app;
    const std::vector<TExampleSet> sets = ExampleSets(ExamplesFolder());
    const auto named = [&](const char* machine) {
      return *std::find_if(sets.begin(), sets.end(),
                           [&](const TExampleSet& set) { return set.Machine == machine; });
    };
    const TExampleSet pelt = named("Pelt");
    const TExampleSet dorum = named("Dorum");
    QVERIFY(app.Main->OpenExample(pelt.ListFile, pelt.Programs.front()) != nullptr);
    QVERIFY(app.User.Questions.isEmpty());
    app.Core.Session().CompileInstruction({"ROZKAZ NIC;", "czyt wys wei il;"});
    const int instructions = app.Core.Control().Instructions().Count();

    app.User.Answers.push_back(QMessageBox::Cancel);
    QCOMPARE(app.Main->OpenExample(dorum.ListFile, dorum.Programs.front()), nullptr);
    QCOMPARE(app.User.Questions.size(), 1);
    QVERIFY(app.User.Questions.back().contains(QStringLiteral("korzysta z domyślnej listy")));
    app.User.Answers.push_back(QMessageBox::No);
    QVERIFY(app.Main->OpenExample(dorum.ListFile, dorum.Programs.front()) != nullptr);
    QCOMPARE(app.Core.Control().Instructions().Count(), instructions);  // the list stays
    QCOMPARE(Q(PresetName(app.Core.Machine().GetComponents())), pelt.Machine);

    app.User.Answers.push_back(QMessageBox::Yes);
    QVERIFY(app.Main->OpenExample(dorum.ListFile, dorum.Programs.front()) != nullptr);
    QCOMPARE(app.User.Questions.size(), 3);
    QCOMPARE(Q(PresetName(app.Core.Machine().GetComponents())), dorum.Machine);
    QVERIFY(!app.Core.Session().ListChanged());
    // The default machine restored counts as unchanged: the next asks nothing.
    QVERIFY(app.Main->OpenExample(pelt.ListFile, pelt.Programs.front()) != nullptr);
    QCOMPARE(app.User.Questions.size(), 3);
  }

  // "Otwórz" of a list opens its text in an instruction editor: only
  // "Ładuj listę rozkazów" replaces the machine.
  void openingAListShowsItsTextAndKeepsTheMachine() {
    TDesktop app;
    const int instructions = app.Core.Control().Instructions().Count();
    TFormCommandEditor* editor =
        app.Main->OpenFile(ExamplesFolder() + QStringLiteral("/pelt/pelt.lst"));
    QVERIFY(editor != nullptr);
    QVERIFY(qobject_cast<TFormProgramEditor*>(editor) == nullptr);
    QVERIFY(editor->Memo()->text().contains(QStringLiteral("[")));
    QCOMPARE(app.Core.Control().Instructions().Count(), instructions);
  }

  // A package puts the program in /usr/bin and the examples in
  // /usr/share/maszyna-dorum; the same layout under a temporary root.
  void anInstalledProgramFindsTheExamplesInTheSharedDataFolder() {
    const QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString installed = root.filePath(QStringLiteral("usr/share/maszyna-dorum/examples"));
    QVERIFY(QDir().mkpath(bin));
    QCOMPARE(ExamplesFolderBeside(bin), QString());  // nothing installed yet
    CopyFolder(SourceExamples(), installed);
    QCOMPARE(ExamplesFolderBeside(bin), QDir(installed).absolutePath());
    QCOMPARE(ExampleSets(ExamplesFolderBeside(bin)).size(), ExampleSets(SourceExamples()).size());
    const std::vector<TExampleSet> sets = ExampleSets(ExamplesFolderBeside(bin));
    QVERIFY(!sets.empty());
    QVERIFY(LiesInFolder(sets.front().Programs.front(), ExamplesFolderBeside(bin)));
    // A program copied elsewhere alone finds no examples, not some other folder.
    const QString lone = root.filePath(QStringLiteral("opt/dorum"));
    QVERIFY(QDir().mkpath(lone));
    QCOMPARE(ExamplesFolderBeside(lone), QString());
    // One unpacked with its examples beside it finds those.
    CopyFolder(SourceExamples(), QDir(lone).filePath(QStringLiteral("examples")));
    QCOMPARE(ExamplesFolderBeside(lone), QDir(lone).filePath(QStringLiteral("examples")));
  }

  void anEditedExampleAsksForANameInTheDocumentsAndIsNeverWritten() {
    QTemporaryDir copy;
    CopyFolder(SourceExamples(), copy.path());
    const TDocumentsFolder documents;
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), documents.Path());
    TDesktop app(copy.path());
    const QString example = QDir(copy.path()).filePath(QStringLiteral("dorum/suma.prg"));
    const QByteArray original = test::FileBytes(example);
    // Through the menu, as a student would.
    auto* menu = app.Main->findChild<QMenu*>(QStringLiteral("MenuExamples"));
    QAction* suma = nullptr;
    for (QAction* machine : menu->actions()) {
      if (machine->text() != u"Dorum") continue;
      for (QAction* program : machine->menu()->actions())
        if (program->text() == u"suma.prg") suma = program;
    }
    QVERIFY(suma != nullptr);
    suma->trigger();
    auto* editor = qobject_cast<TFormProgramEditor*>(app.Container().ActiveTab()->Content());
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->windowTitle(), QStringLiteral("suma.prg"));
    QVERIFY(editor->FilePath().isEmpty());

    // A line typed, then Ctrl+F9: the save first asks for a name, starting
    // in the documents; cancelled, the example is compiled as it is shown.
    editor->Memo()->setCursorPosition(0, 0);
    test::Type(editor->Memo(), QStringLiteral("// moja wersja"));
    QTest::keyClick(editor->Memo(), Qt::Key_Return);
    QTest::keyClick(editor->Memo(), Qt::Key_F9, Qt::ControlModifier);
    const QString proposed = QDir(documents.Path()).filePath(QStringLiteral("suma.prg"));
    QCOMPARE(app.User.FileDialogStarts, QStringList{proposed});
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
    QVERIFY(editor->Modified());
    QCOMPARE(test::FileBytes(example), original);

    // F2 saves under the name chosen; the next F2 goes there without asking.
    app.User.FileNames = {proposed};
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QCOMPARE(editor->FilePath(), proposed);
    QCOMPARE(editor->windowTitle(), proposed);
    QVERIFY(!editor->Modified());
    QVERIFY(test::FileBytes(proposed).startsWith("// moja wersja\r\n"));
    test::Type(editor->Memo(), QStringLiteral("// i jeszcze"));
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QCOMPARE(app.User.FileDialogs, 2);
    QVERIFY(test::FileBytes(proposed).startsWith("// moja wersja\r\n// i jeszcze"));
    QCOMPARE(test::FileBytes(example), original);
    QVERIFY(app.User.Errors.isEmpty());
  }

  void anExamplesFirstSaveStartsInTheDocumentsWhateverSaveFailedBefore() {
    QTemporaryDir copy;
    CopyFolder(SourceExamples(), copy.path());
    const TDocumentsFolder documents;
    QTemporaryDir own;
    TDesktop app(copy.path(), own.filePath(QStringLiteral("settings.ini")));
    // A save that fails: the name chosen is a folder's.
    QVERIFY(QDir(own.path()).mkpath(QStringLiteral("zajete/suma.prg")));
    TFormProgramEditor* fresh = app.Main->NewProgram();
    test::Type(fresh->Memo(), QStringLiteral("// nowy"));
    app.User.FileNames = {own.filePath(QStringLiteral("zajete/suma.prg"))};
    QVERIFY(!fresh->Save(false));
    QCOMPARE(app.User.Errors.size(), 1);
    QVERIFY(fresh->Modified());
    // The example's first save proposes its name in the documents.
    TFormCommandEditor* example =
        app.Main->OpenFile(QDir(copy.path()).filePath(QStringLiteral("dorum/suma.prg")));
    QVERIFY(example != nullptr);
    test::Type(example->Memo(), QStringLiteral("// moja wersja"));
    QVERIFY(!example->Save(false));  // cancelled
    QCOMPARE(app.User.FileDialogStarts.back(),
             QDir(documents.Path()).filePath(QStringLiteral("suma.prg")));
    // A save that succeeds is where the next one starts, as before.
    QVERIFY(QDir(own.path()).mkpath(QStringLiteral("moje")));
    app.User.FileNames = {own.filePath(QStringLiteral("moje/nowy.prg"))};
    QVERIFY(fresh->Save(false));
    QVERIFY(!example->Save(false));  // cancelled
    QCOMPARE(app.User.FileDialogStarts.back(), own.filePath(QStringLiteral("moje/suma.prg")));
  }

  void aFileOpenedFromTheExamplesFolderIsACopyAndOneFromElsewhereIsNot() {
    QTemporaryDir copy;
    CopyFolder(SourceExamples(), copy.path());
    const TDocumentsFolder documents;
    TDesktop app(copy.path());
    const QString example = QDir(copy.path()).filePath(QStringLiteral("ombra/rozkazy/dns.rzk"));
    const QByteArray original = test::FileBytes(example);
    TFormCommandEditor* editor = app.Main->OpenFile(example);
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->windowTitle(), QStringLiteral("dns.rzk"));
    QVERIFY(editor->FilePath().isEmpty());
    test::Type(editor->Memo(), QStringLiteral("// zmiana"));
    QTest::keyClick(editor->Memo(), Qt::Key_F2);  // the dialog is cancelled
    QCOMPARE(app.User.FileDialogStarts,
             QStringList{QDir(documents.Path()).filePath(QStringLiteral("dns.rzk"))});
    QVERIFY(editor->Modified());
    QCOMPARE(editor->windowTitle(), QStringLiteral("dns.rzk"));
    // Closing asks, and "Yes" with the dialog cancelled keeps the window.
    app.User.Answers = {QMessageBox::Yes};
    QVERIFY(!editor->CloseQuery());
    QCOMPARE(test::FileBytes(example), original);

    // A file beside the examples, not in them, is the user's own.
    QTemporaryDir own;
    const QString path = own.filePath(QStringLiteral("dns.rzk"));
    QVERIFY(QFile::copy(example, path));
    editor = app.Main->OpenFile(path);
    QCOMPARE(editor->FilePath(), path);
    test::Type(editor->Memo(), QStringLiteral("// zmiana"));
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QCOMPARE(app.User.FileDialogs, 2);
    QVERIFY(test::FileBytes(path).startsWith("// zmiana"));
    QVERIFY(app.User.Errors.isEmpty());
  }

  void steppingBackRestoresTheMachineTheLineAndTheMarks() {
    TDesktop app;
    app.Main->UpdateActions();
    QVERIFY(!app.Action("ActionStepBackCycle")->isEnabled());  // nothing to undo yet
    TFormCommandEditor* editor =
        app.Main->OpenFile(QDir(SourceExamples()).filePath(QStringLiteral("dorum/suma.prg")));
    editor->Compile();
    auto& program = qobject_cast<TFormProgramEditor*>(editor)->Document();
    const auto state = [&] {
      const TMachine& m = app.Core.Machine();
      return QStringList{Q(m.RegisterText(TRegisterId::AK)), Q(m.RegisterText(TRegisterId::L)),
                         Q(m.RegisterText(TRegisterId::I)), QString::number(m.Memory().Word(6)),
                         QString::number(program.CurrentLine())};
    };
    std::vector<QStringList> states{state()};
    app.Core.Control().SetTrackingLevel(0);
    app.Action("ActionInstructions")->trigger();
    for (int k = 0; k < 3; ++k) {  // three instructions: pob, dod, ład
      app.Action("ActionRunInstruction")->trigger();
      QVERIFY(test::WaitForRunEnd(app.Core));
      states.push_back(state());
    }
    QCOMPARE(states.back().at(3), QStringLiteral("12"));  // z was written
    app.Main->UpdateActions();
    QVERIFY(app.Action("ActionStepBackCycle")->isEnabled());
    QVERIFY(app.Action("ActionStepBackInstruction")->isEnabled());
    app.Action("ActionStepBackInstruction")->trigger();
    QCOMPARE(state(), states[2]);  // «ład» undone: z is 0 again, the line is «ład z»
    app.Action("ActionStepBackCycle")->trigger();  // the last cycle of «dod»
    QCOMPARE(app.Main->InstructionListWindow().MarkedInstruction(), 1);
    app.Action("ActionStepBackInstruction")->trigger();  // the rest of «dod»
    QCOMPARE(state(), states[1]);
    // Running forward again gives the same states.
    app.Action("ActionRunInstruction")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    app.Action("ActionRunInstruction")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(state(), states[3]);
    // A reset starts a new history.
    app.Action("ActionReset")->trigger();
    app.Main->UpdateActions();
    QVERIFY(!app.Action("ActionStepBackCycle")->isEnabled());
    QVERIFY(!app.Action("ActionStepBackInstruction")->isEnabled());
  }

  void cofnijRozkazWaitsForAnInstructionBegun() {
    TDesktop app;
    // Values entered by hand are steps of their own, but no instruction.
    app.Core.Machine().EnterRegisterValue(TRegisterId::AK, "7");
    app.Core.Machine().EnterRegisterValue(TRegisterId::L, "3");
    app.Core.Refresh().Flush();
    app.Main->UpdateActions();
    QCOMPARE(app.Core.History().UndoableSteps(), std::uint64_t{2});
    QVERIFY(app.Action("ActionStepBackCycle")->isEnabled());
    QVERIFY(!app.Action("ActionStepBackInstruction")->isEnabled());
    // The first cycle begins an instruction: now there is one to undo.
    app.Action("ActionRunCycle")->trigger();
    app.Main->UpdateActions();
    QVERIFY(app.Action("ActionStepBackInstruction")->isEnabled());
    app.Action("ActionStepBackInstruction")->trigger();
    QCOMPARE(app.Core.Machine().Register(TRegisterId::L).Value(), 3);
    QVERIFY(!app.Action("ActionStepBackInstruction")->isEnabled());
    QVERIFY(app.Action("ActionStepBackCycle")->isEnabled());
  }

  void f1InAnEditorOpensTheEntryOfTheWordUnderTheCaret() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    test::Type(editor->Memo(), QStringLiteral("  dod x"));
    editor->Memo()->setCursorPosition(0, 3);
    QTest::keyClick(editor->Memo(), Qt::Key_F1);
    TDockedWindow* help = app.FrameOf(&app.Main->HelpWindow());
    QVERIFY(help->isVisible());
    QVERIFY(app.Main->HelpWindow().CurrentTitle().contains(QStringLiteral("dod")));
    // A word that is no topic shows the contents.
    editor->Memo()->setCursorPosition(0, 6);
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    QTest::keyClick(editor->Memo(), Qt::Key_F1);
    QVERIFY(!app.Main->HelpWindow().CurrentTitle().contains(QStringLiteral("dod")));
  }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
