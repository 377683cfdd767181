// The windows' layout: dragging windows out of the container and back,
// the tabs named by their files, and what the application remembers
// between starts (layout, pace of runs, folders, recent files).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "AppSettings.h"
#include "DockedWindow.h"
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

using namespace dorum;
using namespace dorum::gui;

namespace {

using test::TDesktop;

QRect Screen() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// The window's area on the screen, and the title bar above it. The
// window system may shift a window by the width of its border.
bool OnScreen(const QWidget& window) {
  constexpr int kBorder = 4;
  const QRect screen = Screen().adjusted(-kBorder, -kBorder, kBorder, kBorder);
  return screen.contains(window.geometry()) && window.frameGeometry().top() >= screen.top();
}

// The tab bar holding the window's tab, and the tab's index there.
std::pair<QTabBar*, int> TabOf(const TFormEditor& container, const TDockedWindow* window) {
  for (QTabBar* bar : container.TabBars()) {
    for (int i = 0; i < bar->count(); ++i) {
      if (container.WindowOfTab(bar, i) == window) return {bar, i};
    }
  }
  return {nullptr, -1};
}

QString WriteSource(const QTemporaryDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write("; nic\n");
  return path;
}

// Drags the window by its title bar to a point of the screen and lets go
// there, as the user's mouse does.
void DragTitleBar(TDockedWindow* window, const QPoint& globalTarget) {
  const QWidget* bar = window->titleBarWidget();
  const QPoint start = bar->mapTo(window, QPoint(10, bar->height() / 2));
  QTest::mousePress(window, Qt::LeftButton, {}, start);
  const QPoint from = window->mapToGlobal(start);
  constexpr int kSteps = 20;
  for (int step = 1; step <= kSteps; ++step) {
    const QPoint at = from + (globalTarget - from) * step / kSteps;
    QTest::mouseMove(window, window->mapFromGlobal(at));
  }
  QTest::mouseRelease(window, Qt::LeftButton, {}, window->mapFromGlobal(globalTarget));
  QCoreApplication::processEvents();
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aTitleBarDraggedOutFloatsThatWindowAloneOnTheScreen() {
    TDesktop app;
    app.Action("ActionViewConsole")->trigger();
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    TDockedWindow* machine = app.FrameOf(&app.Main->MachineWindow());
    QVERIFY(app.Container().HoldsAsTab(console));
    QVERIFY(app.Container().HoldsAsTab(machine));
    // Let go near the screen's corner, where a window of its size cannot
    // lie whole.
    DragTitleBar(console, Screen().bottomRight() - QPoint(8, 8));
    QTRY_VERIFY(console->isFloating());
    QCOMPARE(console->parentWidget(), &app.Container());
    QVERIFY(console->isVisible());
    QVERIFY2(OnScreen(*console), qPrintable(QStringLiteral("at %1,%2 %3x%4")
                                                .arg(console->frameGeometry().x())
                                                .arg(console->frameGeometry().y())
                                                .arg(console->width())
                                                .arg(console->height())));
    // At a size of its own, not the container's, so the container shows.
    QVERIFY(console->width() <= Screen().width() * 3 / 4);
    QVERIFY(console->height() <= Screen().height() * 3 / 4);
    // The machine window stays behind as the container's only tab; a
    // window undocked with fewer than two tabs left makes it "Edytor" again.
    QVERIFY(app.Container().HoldsAsTab(machine));
    QCOMPARE(app.Container().Tabs(), QList<TDockedWindow*>{machine});
    QCOMPARE(app.Container().windowTitle(), QStringLiteral("Edytor"));
    // The next drag of a tab out of the tab bar may still take it alone.
    QVERIFY(app.Container().dockOptions() & QMainWindow::GroupedDragging);
  }

  void aWindowBroughtUpIsPlacedOnTheScreen() {
    TDesktop app;
    app.Action("ActionViewConsole")->trigger();
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    console->setFloating(true);
    console->move(Screen().right() + 400, Screen().bottom() + 300);
    QVERIFY(!OnScreen(*console));
    app.Action("ActionViewConsole")->trigger();  // F12
    QVERIFY(OnScreen(*console));
    // The container too, when it went astray.
    app.Container().move(-3000, Screen().top() + 100);
    app.Action("ActionViewEditor")->trigger();
    QVERIFY(OnScreen(app.Container()));
  }

  void restoringTheLayoutBringsEveryWindowBackAsAtStartUp() {
    TDesktop app;
    TFormEditor& c = app.Container();
    const QRect startUp = c.geometry();
    TDockedWindow* machine = app.FrameOf(&app.Main->MachineWindow());
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    TDockedWindow* watches = app.FrameOf(&app.Main->WatchesWindow());
    app.Action("ActionViewConsole")->trigger();
    TFormProgramEditor* editor = app.Main->NewProgram();
    // Windows floating far away, the container shrunk and moved, a tool
    // window closed.
    for (TDockedWindow* frame : {machine, console}) {
      frame->setFloating(true);
      frame->move(-2000, 5000);
    }
    c.setGeometry(Screen().left() + 300, Screen().top() + 300, 200, 150);
    watches->hide();
    app.Action("ActionViewRestoreLayout")->trigger();
    QCoreApplication::processEvents();
    QVERIFY(c.isVisible());
    QCOMPARE(c.geometry(), startUp);
    QCOMPARE(c.Tabs().first(), machine);
    QCOMPARE(c.ActiveTab(), machine);
    QVERIFY(c.HoldsAsTab(console));
    QVERIFY(c.HoldsAsTab(app.FrameOf(editor)));
    QVERIFY(!watches->isVisible());
    QCOMPARE(c.windowTitle(), QStringLiteral("Jednostka centralna"));
    QCOMPARE(app.Main->geometry().topLeft(), Screen().topLeft());
  }

  void aTabIsNamedByItsFileWithTheFullPathBeside() {
    TDesktop app;
    QTemporaryDir dir;
    const QString path = WriteSource(dir, QStringLiteral("suma.prg"));
    TFormCommandEditor* editor = app.Main->OpenFile(path);
    QVERIFY(editor != nullptr);
    TDockedWindow* frame = app.FrameOf(editor);
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QCOMPARE(frame->windowTitle(), QStringLiteral("suma.prg"));
    QCOMPARE(app.Container().windowTitle(), full);
    QCOMPARE(frame->FullCaption(), full);
    auto [bar, index] = TabOf(app.Container(), frame);
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->tabText(index), QStringLiteral("suma.prg"));
    QTRY_COMPARE(bar->tabToolTip(index), full);
    // Saved under another name, the tab follows.
    const QString other = dir.filePath(QStringLiteral("roznica.prg"));
    app.User.FileNames = {other};
    QVERIFY(editor->Save(true));
    QCOMPARE(frame->windowTitle(), QStringLiteral("roznica.prg"));
    std::tie(bar, index) = TabOf(app.Container(), frame);
    QTRY_COMPARE(bar->tabToolTip(index), QDir::toNativeSeparators(other));
  }

  void newDocumentsAreToldApartOnTheirTabsButKeepTheirCaption() {
    TDesktop app;
    TFormProgramEditor* first = app.Main->NewProgram();
    TFormProgramEditor* second = app.Main->NewProgram();
    TFormProgramEditor* third = app.Main->NewProgram();
    QCOMPARE(app.FrameOf(first)->windowTitle(), QStringLiteral("Noname.prg"));
    QCOMPARE(app.FrameOf(second)->windowTitle(), QStringLiteral("Noname.prg (2)"));
    QCOMPARE(app.FrameOf(third)->windowTitle(), QStringLiteral("Noname.prg (3)"));
    // The caption stays what saving takes as the name.
    QCOMPARE(second->windowTitle(), QStringLiteral("Noname.prg"));
    QCOMPARE(app.Container().windowTitle(), QStringLiteral("Noname.prg"));
    // Another kind of document is another name.
    TFormCommandEditor* instruction = app.Main->NewInstruction();
    QCOMPARE(app.FrameOf(instruction)->windowTitle(), QStringLiteral("Noname.rzk"));
    // A tab keeps its number when another goes; the free number is taken
    // by the next document.
    QPointer<TFormProgramEditor> gone = first;
    app.Container().ActivateTab(app.FrameOf(first));
    app.Container().CloseActiveTab();
    QTRY_VERIFY(gone.isNull());
    QCOMPARE(app.FrameOf(second)->windowTitle(), QStringLiteral("Noname.prg (2)"));
    TFormProgramEditor* fourth = app.Main->NewProgram();
    QCOMPARE(app.FrameOf(fourth)->windowTitle(), QStringLiteral("Noname.prg"));
  }

  void theFirstNewProgramIsNonameAfterALayoutReadBack() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    {
      TDesktop app(ExamplesFolder(), settings);
      app.Main->NewProgram();
      app.Main->StoreSettings();
    }
    TDesktop app(ExamplesFolder(), settings);
    TFormProgramEditor* first = app.Main->NewProgram();
    QCOMPARE(app.FrameOf(first)->windowTitle(), QStringLiteral("Noname.prg"));
    TFormProgramEditor* second = app.Main->NewProgram();
    QCOMPARE(app.FrameOf(second)->windowTitle(), QStringLiteral("Noname.prg (2)"));
  }

  void theTabBarScrollsInsteadOfShorteningTheNames() {
    TDesktop app;
    for (int i = 0; i < 12; ++i) app.Main->NewProgram();
    TDockedWindow* last = app.FrameOf(app.Main->NewInstruction());
    QTRY_VERIFY(TabOf(app.Container(), last).first != nullptr);
    QTabBar* bar = TabOf(app.Container(), last).first;
    QTRY_COMPARE(bar->elideMode(), Qt::ElideNone);
    QVERIFY(bar->usesScrollButtons());
    QCOMPARE(bar->count(), 14);
    // The names need more room than the window has: the bar scrolls.
    QVERIFY(bar->sizeHint().width() > bar->width());
    // A tab bar made later (the one of the right side) is set up alike.
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    TDockedWindow* watches = app.FrameOf(&app.Main->WatchesWindow());
    app.Container().DockRight(console);
    app.Container().DockRight(watches);
    app.Container().tabifyDockWidget(console, watches);
    QTRY_VERIFY(TabOf(app.Container(), watches).first != nullptr);
    QTRY_COMPARE(TabOf(app.Container(), watches).first->elideMode(), Qt::ElideNone);
  }

  void aTabsIconTellsAProgramFromAnInstruction() {
    TDesktop app;
    TDockedWindow* program = app.FrameOf(app.Main->NewProgram());
    TDockedWindow* instruction = app.FrameOf(app.Main->NewInstruction());
    TDockedWindow* another = app.FrameOf(app.Main->NewProgram());
    const auto icon = [&](TDockedWindow* w) {
      auto [bar, index] = TabOf(app.Container(), w);
      return bar != nullptr ? bar->tabIcon(index) : QIcon();
    };
    QTRY_VERIFY(!icon(program).isNull());
    QTRY_VERIFY(!icon(instruction).isNull());
    const QImage programImage = icon(program).pixmap(16, 16).toImage();
    QVERIFY(!programImage.isNull());
    QVERIFY(programImage != icon(instruction).pixmap(16, 16).toImage());
    QTRY_COMPARE(icon(another).pixmap(16, 16).toImage(), programImage);
  }

  void recentFilesKeepEightMostRecentFirst() {
    TRecentFiles recent;
    for (int i = 1; i <= 10; ++i) recent.Add(QStringLiteral("/p/%1.prg").arg(i));
    QCOMPARE(recent.Files().size(), 8);
    QCOMPARE(recent.Files().front(), QStringLiteral("/p/10.prg"));
    QCOMPARE(recent.Files().back(), QStringLiteral("/p/3.prg"));
    // Opened again, a file moves to the front and is there once.
    recent.Add(QStringLiteral("/p/5.prg"));
    QCOMPARE(recent.Files().size(), 8);
    QCOMPARE(recent.Files().front(), QStringLiteral("/p/5.prg"));
    QCOMPARE(recent.Files().count(QStringLiteral("/p/5.prg")), 1);
    QCOMPARE(recent.Files()[1], QStringLiteral("/p/10.prg"));
    // A list read back is cleaned the same way.
    recent.Assign({QStringLiteral("/a"), QString(), QStringLiteral("/b"), QStringLiteral("/a"),
                   QStringLiteral("/c"), QStringLiteral("/d"), QStringLiteral("/e"),
                   QStringLiteral("/f"), QStringLiteral("/g"), QStringLiteral("/h"),
                   QStringLiteral("/i")});
    QCOMPARE(recent.Files(), (QStringList{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h"}));
  }

  void theRecentMenuOpensAFileAndDropsOneThatIsGone() {
    QTemporaryDir dir;
    TDesktop app(ExamplesFolder(), dir.filePath(QStringLiteral("settings.ini")));
    const QString suma = WriteSource(dir, QStringLiteral("suma.prg"));
    const QString mnoz = WriteSource(dir, QStringLiteral("mnoz.rzk"));
    QVERIFY(app.Main->OpenFile(suma) != nullptr);
    QVERIFY(app.Main->OpenFile(mnoz) != nullptr);
    QCOMPARE(app.Main->RecentFiles().Files(), (QStringList{mnoz, suma}));
    auto* menu = app.Main->findChild<QMenu*>(QStringLiteral("MenuRecentFiles"));
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), QStringLiteral("Ostatnio otwierane"));
    QCOMPARE(menu->actions().size(), 2);
    QVERIFY(menu->actions()[0]->text().endsWith(QDir::toNativeSeparators(mnoz)));
    // Chosen from the menu, the file opens in a new editor.
    const qsizetype tabs = app.Container().Tabs().size();
    menu->actions()[1]->trigger();
    QCOMPARE(app.Container().Tabs().size(), tabs + 1);
    QCOMPARE(app.Main->RecentFiles().Files().front(), suma);
    // A file gone since is dropped, with a note, and opens nothing.
    QVERIFY(QFile::remove(mnoz));
    menu->actions()[1]->trigger();
    QCOMPARE(app.Container().Tabs().size(), tabs + 1);
    QCOMPARE(app.User.Informations.size(), 1);
    QVERIFY(app.User.Informations.front().contains(QDir::toNativeSeparators(mnoz)));
    QCOMPARE(app.Main->RecentFiles().Files(), QStringList{suma});
    QCOMPARE(menu->actions().size(), 1);
    QVERIFY(app.User.Errors.isEmpty());
  }

  void aRecentEntryThatIsNoFileIsSaidToBeWhatItIs() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    const QString folder = dir.filePath(QStringLiteral("programy"));
    QVERIFY(QDir().mkpath(folder));
    const QString device = QStringLiteral("/dev/zero");
    {
      TAppSettings remembered(settings);
      remembered.SetRecentFiles({folder, device});
      remembered.Sync();
    }
    TDesktop app(ExamplesFolder(), settings);
    QCOMPARE(app.Main->RecentFiles().Files(), (QStringList{folder, device}));
    const qsizetype tabs = app.Container().Tabs().size();
    app.Main->OpenRecent(folder);
    QCOMPARE(app.User.Informations.size(), 1);
    const QString aboutFolder = app.User.Informations.back();
    QVERIFY2(aboutFolder.contains(QDir::toNativeSeparators(folder)) &&
                 aboutFolder.contains(QStringLiteral("folder")) &&
                 !aboutFolder.contains(QStringLiteral("nie istnieje")),
             qPrintable(aboutFolder));
    app.Main->OpenRecent(device);
    QCOMPARE(app.User.Informations.size(), 2);
    const QString aboutDevice = app.User.Informations.back();
    QVERIFY2(aboutDevice.contains(device) &&
                 aboutDevice.contains(QStringLiteral("nie jest zwykłym plikiem")) &&
                 !aboutDevice.contains(QStringLiteral("nie istnieje")),
             qPrintable(aboutDevice));
    // Neither can ever be opened as a text: both are dropped, nothing opened.
    QVERIFY(app.Main->RecentFiles().Files().isEmpty());
    QCOMPARE(app.Container().Tabs().size(), tabs);
    // Chosen in the open dialog, they are refused as well.
    QVERIFY(app.Main->OpenFile(device) == nullptr);
    QVERIFY(app.Main->OpenFile(folder) == nullptr);
    QCOMPARE(app.User.Errors.size(), 2);
    // The same words as every other file read: the list's, the command line's.
    QCOMPARE(app.User.Errors[0],
             QStringLiteral("Nie można odczytać pliku %1: to nie jest zwykły plik.").arg(device));
    QVERIFY2(app.User.Errors[1].contains(QStringLiteral("folder")), qPrintable(app.User.Errors[1]));
    QCOMPARE(app.Container().Tabs().size(), tabs);
    QVERIFY(app.Main->RecentFiles().Files().isEmpty());
  }

  void aFileDialogStartsWhereItWasLastLeftAfterARestart() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("listy")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("programy")));
    const QString program = WriteSource(dir, QStringLiteral("programy/suma.prg"));
    {
      TDesktop app(ExamplesFolder(), settings);
      app.User.FileNames = {program};
      app.Action("ActionFileOpen")->trigger();
      // A list saved into another folder.
      app.User.FileNames = {dir.filePath(QStringLiteral("listy/moja.lst"))};
      app.Action("ActionSaveList")->trigger();
      QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("listy/moja.lst"))));
      app.Main->StoreSettings();
    }
    TDesktop app(ExamplesFolder(), settings);
    app.Action("ActionFileOpen")->trigger();
    app.Action("ActionLoadList")->trigger();
    QCOMPARE(app.User.FileDialogStarts.size(), 2);
    QCOMPARE(app.User.FileDialogStarts[0], dir.filePath(QStringLiteral("programy")));
    // The list dialog keeps its proposed name, in the folder last used.
    QCOMPARE(QFileInfo(app.User.FileDialogStarts[1]).absolutePath(),
             dir.filePath(QStringLiteral("listy")));
    // A new program's first save starts in the folder of programs saved
    // last, which none has been yet: where it always started.
    TFormProgramEditor* fresh = app.Main->NewProgram();
    app.User.FileNames = {dir.filePath(QStringLiteral("programy/nowy.prg"))};
    QVERIFY(fresh->Save(false));
    TFormProgramEditor* next = app.Main->NewProgram();
    QVERIFY(!next->Save(false));  // cancelled
    QCOMPARE(app.User.FileDialogStarts.back(), dir.filePath(QStringLiteral("programy/Noname.prg")));
  }

  void programsAndInstructionsEachRememberTheirOwnFolder() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("rozkazy")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("programy")));
    TDesktop app(ExamplesFolder(), dir.filePath(QStringLiteral("settings.ini")));
    app.User.FileNames = {dir.filePath(QStringLiteral("rozkazy/a.rzk"))};
    QVERIFY(app.Main->NewInstruction()->Save(false));
    app.User.FileNames = {dir.filePath(QStringLiteral("programy/b.prg"))};
    QVERIFY(app.Main->NewProgram()->Save(false));
    // Cancelled saves of new documents: where did each dialog start?
    QVERIFY(!app.Main->NewInstruction()->Save(false));
    QCOMPARE(QFileInfo(app.User.FileDialogStarts.back()).absolutePath(),
             dir.filePath(QStringLiteral("rozkazy")));
    QVERIFY(!app.Main->NewProgram()->Save(false));
    QCOMPARE(QFileInfo(app.User.FileDialogStarts.back()).absolutePath(),
             dir.filePath(QStringLiteral("programy")));
  }

  void eachFileDialogIsKnownByItsFilterAndStartsInItsFolder() {
    QCOMPARE(FolderKindOf(QStringLiteral(
                 "pliki rozkazów (*.rzk);;pliki programów (*.prg);;wszystkie pliki (*)")),
             TFolderKind::Open);
    QCOMPARE(FolderKindOf(QStringLiteral("pliki programów (*.prg);;wszystkie pliki (*.*)")),
             TFolderKind::Program);
    QCOMPARE(FolderKindOf(QStringLiteral("pliki rozkazów (*.rzk);;wszystkie pliki (*.*)")),
             TFolderKind::Instruction);
    QCOMPARE(FolderKindOf(QStringLiteral("pliki z listą rozkazów (*.lst)")), TFolderKind::List);
    QVERIFY(!FolderKindOf(QStringLiteral("obrazy PNG (*.png)")).has_value());

    QTemporaryDir dir;
    const QString last = dir.filePath(QStringLiteral("ostatni"));
    QVERIFY(QDir().mkpath(last));
    const QString existing = WriteSource(dir, QStringLiteral("suma.prg"));
    // A folder, or nothing, gives way to the folder last used.
    QCOMPARE(DialogStart(dir.path(), last), last);
    QCOMPARE(DialogStart(QString(), last), last);
    // A proposed name moves there; a file that exists stays where it is.
    QCOMPARE(DialogStart(dir.filePath(QStringLiteral("Noname.prg")), last),
             QDir(last).filePath(QStringLiteral("Noname.prg")));
    QCOMPARE(DialogStart(existing, last), existing);
    // A folder since removed, or none yet, changes nothing.
    QCOMPARE(DialogStart(dir.path(), dir.filePath(QStringLiteral("gone"))), dir.path());
    QCOMPARE(DialogStart(dir.path(), QString()), dir.path());
  }

  void thePaceOfRunsIsRememberedButNotTheMachine() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    {
      TDesktop app(ExamplesFolder(), settings);
      app.Main->MachineWindow().TrackingButton(2)->click();
      app.Core.SetAnimationDelay(500);
      app.Core.Machine().SetAddressBits(8);
      app.Main->StoreSettings();
    }
    TDesktop app(ExamplesFolder(), settings);
    QCOMPARE(app.Core.Control().TrackingLevel(), 2);
    QVERIFY(app.Main->MachineWindow().TrackingButton(2)->isChecked());
    QCOMPARE(app.Core.App().Tempo(), 500);
    QCOMPARE(app.Main->MachineWindow().TempoBox()->currentData().toInt(), 500);
    QCOMPARE(app.Core.Machine().AddressBits(), kMinAddressBits);
  }

  void aLayoutReadBackOffTheScreenIsPlacedOnIt() {
    QTemporaryDir dir;
    QRect strip;  // as the start-up places it
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    {
      TDesktop app(ExamplesFolder(), settings);
      app.Action("ActionViewConsole")->trigger();
      TDockedWindow* console = app.FrameOf(&app.Main->Console());
      console->setFloating(true);
      // Where a screen that is no longer there put it.
      console->move(Screen().right() + 900, Screen().top() + 50);
      app.Container().move(-2500, Screen().top() + 100);
      strip = app.Main->geometry();
      app.Main->move(Screen().left() - 3000, Screen().top() + 400);
      app.Main->StoreSettings();
    }
    TDesktop app(ExamplesFolder(), settings);
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    QVERIFY(console->isFloating());
    QVERIFY(console->isVisible());
    QVERIFY(OnScreen(*console));
    QVERIFY(OnScreen(app.Container()));
    // The strip goes back where it starts.
    QCOMPARE(app.Main->geometry(), strip);
  }

  void theContainerIsNamedByTheTabInFrontWhenAWindowGoesToASidePanel() {
    TDesktop app;
    app.Action("ActionViewConsole")->trigger();
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    QCOMPARE(app.Container().ActiveTab(), console);
    QCOMPARE(app.Container().windowTitle(), console->FullCaption());
    // As a drag into the bottom panel leaves it.
    app.Container().addDockWidget(Qt::BottomDockWidgetArea, console);
    QCoreApplication::processEvents();
    QVERIFY(!app.Container().HoldsAsTab(console));
    QCOMPARE(app.Container().windowTitle(), QStringLiteral("Jednostka centralna"));
  }

  void theApplicationComesBackAsItWasLeft() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    const QString suma = WriteSource(dir, QStringLiteral("suma.prg"));
    const QString dod = WriteSource(dir, QStringLiteral("dod.rzk"));
    const QPoint consoleAt(Screen().left() + 120, Screen().top() + 260);
    QRect container;
    {
      TDesktop app(ExamplesFolder(), settings);
      app.Action("ActionViewConsole")->trigger();
      // Tabs in another order than the windows' creation.
      app.Action("ActionViewWatches")->trigger();
      app.Action("ActionInstructions")->trigger();
      TDockedWindow* console = app.FrameOf(&app.Main->Console());
      DragTitleBar(console, Screen().center());
      QTRY_VERIFY(console->isFloating());
      console->move(consoleAt);
      app.Container().setGeometry(Screen().left() + 40, Screen().top() + 150, 500, 380);
      container = app.Container().geometry();
      app.User.FileNames = {suma};
      app.Action("ActionFileOpen")->trigger();
      app.User.FileNames = {dod};
      app.Action("ActionFileOpen")->trigger();
      QVERIFY(app.Main->close());
    }
    TDesktop app(ExamplesFolder(), settings);
    TDockedWindow* console = app.FrameOf(&app.Main->Console());
    TDockedWindow* watches = app.FrameOf(&app.Main->WatchesWindow());
    TDockedWindow* machine = app.FrameOf(&app.Main->MachineWindow());
    QVERIFY(console->isFloating());
    QVERIFY(console->isVisible());
    QCOMPARE(console->pos(), consoleAt);
    QCOMPARE(app.Container().geometry(), container);
    TDockedWindow* instructions = app.FrameOf(&app.Main->InstructionListWindow());
    QCOMPARE(app.Container().Tabs(), (QList<TDockedWindow*>{machine, watches, instructions}));
    QCOMPARE(app.Container().ActiveTab(), instructions);
    QVERIFY(!app.FrameOf(&app.Main->HelpWindow())->isVisible());
    // The start-up editor is not brought up by the editors left open.
    QCOMPARE(app.Container().windowTitle(), app.Container().ActiveTab()->FullCaption());
    auto* menu = app.Main->findChild<QMenu*>(QStringLiteral("MenuRecentFiles"));
    QCOMPARE(app.Main->RecentFiles().Files(), (QStringList{dod, suma}));
    QCOMPARE(menu->actions().size(), 2);
    QVERIFY(menu->isEnabled());
  }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
