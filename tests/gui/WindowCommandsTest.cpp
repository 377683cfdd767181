// How the main window reaches the other windows: the window list, the keys
// of the tool windows beside the main window's, a run that stops in an
// editor, and the tool bar.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "AppCore.h"
#include "DockedWindow.h"
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
#include "WindowList.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

using test::TDesktop;

// The windows the window list is offered: all but the main window.
std::vector<QWidget*> Candidates(const TFormMain& main) {
  std::vector<QWidget*> windows = main.Windows();
  windows.erase(windows.begin());
  return windows;
}

// Every action the menu bar reaches, submenus included.
QList<QAction*> MenuActions(const QMenuBar& bar) {
  QList<QAction*> found;
  std::vector<const QMenu*> menus;
  for (const QAction* entry : bar.actions())
    if (entry->menu() != nullptr) menus.push_back(entry->menu());
  while (!menus.empty()) {
    const QMenu* menu = menus.back();
    menus.pop_back();
    for (QAction* action : menu->actions()) {
      if (action->menu() != nullptr) {
        menus.push_back(action->menu());
      } else if (!action->isSeparator()) {
        found.append(action);
      }
    }
  }
  return found;
}

// The control an action of a tool window belongs to (not its menu).
QWidget* OwnerOf(const QAction* action) {
  for (QObject* object : action->associatedObjects()) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr && qobject_cast<QMenu*>(widget) == nullptr) return widget;
  }
  return nullptr;
}

// How many pixels of a picture stand out from a background: drawn over it,
// they differ from it clearly in lightness.
int StandingOut(const QImage& picture, const QColor& background) {
  int count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      const double alpha = pixel.alphaF();
      const double light = alpha * pixel.lightnessF() + (1 - alpha) * background.lightnessF();
      if (std::abs(light - background.lightnessF()) > 0.25) ++count;
    }
  }
  return count;
}

// Clicks the window's tab in the container's tab bar, as the mouse does.
bool ClickTab(const TFormEditor& container, const TDockedWindow* window) {
  for (QTabBar* bar : container.TabBars()) {
    for (int i = 0; i < bar->count(); ++i) {
      if (container.WindowOfTab(bar, i) != window) continue;
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
      return true;
    }
  }
  return false;
}

// An endless program: "dod" and "sob" in a loop.
void StoreEndlessLoop(TMachine& m) {
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
}

}  // namespace

class WindowCommandsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theListIsSavedWithItsExtensionWhenTheNameHasNone() {
    TDesktop app;
    QTemporaryDir dir;
    const struct {
      const char* Typed;
      const char* Written;
    } names[] = {{"moja", "moja.lst"}, {"inna.txt", "inna.txt"}, {"trzecia.lst", "trzecia.lst"}};
    for (const auto& n : names) {
      app.User.FileNames = {dir.filePath(QString::fromLatin1(n.Typed))};
      app.Action("ActionSaveList")->trigger();
      QVERIFY2(QFileInfo::exists(dir.filePath(QString::fromLatin1(n.Written))), n.Written);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    // Both list dialogs propose a list named as the program.
    app.Action("ActionLoadList")->trigger();
    QCOMPARE(app.User.FileDialogStarts.size(), 4);
    for (const QString& start : app.User.FileDialogStarts)
      QCOMPARE(QFileInfo(start).fileName(),
               QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                   QStringLiteral(".lst"));
    QVERIFY(app.User.Errors.isEmpty());
  }

  void theSearchDialogsProposeTheSelectionOrTheWordAtTheCaretOrKeepTheirText() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    TSourceEditor* memo = editor->Memo();
    memo->setText(QStringLiteral("pob suma\n\ndod jeden"));
    memo->setSelection(0, 4, 0, 6);  // "su"
    editor->ShowFindDialog();
    QCOMPARE(editor->FindDialog()->Text(), QStringLiteral("su"));
    memo->setCursorPosition(2, 5);  // in "jeden"
    editor->ShowFindDialog();
    QCOMPARE(editor->FindDialog()->Text(), QStringLiteral("jeden"));
    // A selection over lines is no text to look for: the word at the caret.
    memo->setSelection(0, 0, 2, 2);
    editor->ShowReplaceDialog();
    QCOMPARE(editor->ReplaceDialog()->Text(), QStringLiteral("dod"));
    // Nothing at the caret: the text looked for last stays.
    memo->setCursorPosition(1, 0);
    editor->ShowFindDialog();
    QCOMPARE(editor->FindDialog()->Text(), QStringLiteral("jeden"));
    editor->ShowReplaceDialog();
    QCOMPARE(editor->ReplaceDialog()->Text(), QStringLiteral("dod"));
  }

  void theWindowListBringsUpEachOfTwoFloatingEditors() {
    TDesktop app;
    const std::vector<TFormProgramEditor*> editors{app.Main->NewProgram(), app.Main->NewProgram()};
    for (TFormProgramEditor* editor : editors) {
      TDockedWindow* frame = app.FrameOf(editor);
      frame->setFloating(true);
      frame->show();
    }
    QStringList names;
    for (QWidget* w : app.Main->Windows()) names.append(w->objectName());
    QCOMPARE(names.removeDuplicates(), 0);
    // The two share their caption and are listed in the order of their
    // names, which is the order they were made in.
    for (const int chosen : {1, 0}) {
      QApplication::setActiveWindow(app.FrameOf(editors[static_cast<std::size_t>(1 - chosen)]));
      TFormWindowList dialog(Candidates(*app.Main));
      const int first = static_cast<int>(dialog.Captions().indexOf(QStringLiteral("Noname.prg")));
      QVERIFY(first >= 0);
      QCOMPARE(dialog.Captions().value(first + 1), QStringLiteral("Noname.prg"));
      dialog.List()->setCurrentRow(first + chosen);
      dialog.ActivateSelected();
      TDockedWindow* wanted = app.FrameOf(editors[static_cast<std::size_t>(chosen)]);
      QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(wanted));
      // Typing goes into the chosen editor's text.
      QCOMPARE(QApplication::focusWidget(),
               static_cast<QWidget*>(editors[static_cast<std::size_t>(chosen)]->Memo()));
    }
  }

  void everyKeyOfAToolWindowIsItsOwnWhileItHasTheFocus() {
    TDesktop app;
    app.Main->UpdateActions();
    TFormMicroprogram& list = app.Main->InstructionListWindow();
    std::vector<std::pair<QAction*, std::unique_ptr<QSignalSpy>>> mainCommands;
    for (QAction* action : app.Main->Actions())
      mainCommands.emplace_back(action, std::make_unique<QSignalSpy>(action, &QAction::triggered));
    QWidget* tools[] = {&app.Main->MachineWindow(), &app.Main->Console(), &list,
                        &app.Main->WatchesWindow(), &app.Main->HelpWindow()};
    QStringList tried;
    for (QWidget* tool : tools) {
      app.Main->ShowDockedForm(tool);
      list.Commands()->setCurrentRow(0);  // "stp", for "Usuń rozkaz"
      for (QAction* action : tool->findChildren<QAction*>()) {
        QWidget* owner = OwnerOf(action);
        if (action->shortcut().isEmpty() || owner == nullptr) continue;
        QApplication::setActiveWindow(owner->window());
        owner->setFocus();
        QVERIFY2(owner->hasFocus(), qPrintable(action->text()));
        action->setEnabled(true);
        QSignalSpy own(action, &QAction::triggered);
        const QKeyCombination key = action->shortcut()[0];
        QTest::keyClick(owner, key.key(), key.keyboardModifiers());
        QVERIFY2(own.count() == 1, qPrintable(action->text()));
        tried.append(action->text());
      }
    }
    for (const auto& [action, spy] : mainCommands)
      QVERIFY2(spy->isEmpty(), qPrintable(action->objectName()));
    // Del, which the main window's edit commands carry too, asked about the
    // selected instruction (and the answer kept it).
    QVERIFY(tried.contains(QStringLiteral("Usuń rozkaz")));
    QCOMPARE(
        app.User.Questions,
        QStringList{QStringLiteral("Rzeczywiście chcesz usunąć rozkaz stp z listy rozkazów ?")});
    QCOMPARE(list.Commands()->count(), 8);
  }

  void aBreakpointStopBringsTheBoundEditorsTabForward() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    editor->Memo()->setText(QStringLiteral("pob x\ndod x\nsob 0\nx: rst 1\n"));
    editor->ActionCompile->trigger();
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
    editor->Memo()->setCursorPosition(1, 0);
    editor->ActionBreakpoint->trigger();
    app.Main->ShowDockedForm(&app.Main->MachineWindow());
    QCOMPARE(app.Container().ActiveTab()->Content(), &app.Main->MachineWindow());
    app.Core.Control().SetTrackingLevel(0);
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.User.Errors,
             QStringList{QStringLiteral("Program doszedł do punktu zatrzymania.")});
    QCOMPARE(app.Container().ActiveTab()->Content(), static_cast<QWidget*>(editor));
    QVERIFY(editor->Memo()->isVisible());
  }

  void aFloatingBoundEditorComesToTheFrontAtTheCursor() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    editor->Memo()->setText(QStringLiteral("pob x\ndod x\nsob 0\nx: rst 1\n"));
    editor->ActionCompile->trigger();
    TDockedWindow* frame = app.FrameOf(editor);
    frame->setFloating(true);
    frame->show();
    editor->Memo()->setCursorPosition(2, 0);
    QApplication::setActiveWindow(&app.Container());
    app.Main->UpdateActions();
    app.Action("ActionRunToCursor")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY(app.User.Errors.isEmpty());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(frame));
  }

  void theToolBarsButtonsAreTheMenusCommandsWithPicturesAndKeys() {
    TDesktop app;
    app.Main->UpdateActions();
    const auto* tools = app.Main->findChild<QToolBar*>(QStringLiteral("ToolBar"));
    QVERIFY(tools != nullptr);
    const QList<QAction*> inMenus = MenuActions(*app.Main->menuBar());
    const QColor light = QApplication::palette().color(QPalette::Window);
    QStringList shown;
    for (QAction* action : tools->actions()) {
      if (action->isSeparator()) continue;
      const QString name = action->objectName();
      shown.append(name);
      // "Kompiluj" is the current editor's command, in no menu of the strip.
      QVERIFY2(inMenus.contains(action) != (name == QStringLiteral("ActionCompile")),
               qPrintable(name));
      const auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(action));
      QVERIFY2(button != nullptr && button->defaultAction() == action, qPrintable(name));
      // Drawn sharp at twice the size, and seen on a light and a dark face.
      const QImage picture = action->icon().pixmap(QSize(48, 48)).toImage();
      QVERIFY2(picture.width() == 48, qPrintable(name));
      QVERIFY2(StandingOut(picture, light) > 48 * 48 / 8, qPrintable(name));
      QVERIFY2(StandingOut(picture, QColor(0x2a, 0x2a, 0x2a)) > 48 * 48 / 8, qPrintable(name));
      const QString key = action->shortcut().toString(QKeySequence::NativeText);
      QVERIFY2(key.isEmpty() || action->toolTip().endsWith(QStringLiteral(" (%1)").arg(key)),
               qPrintable(action->toolTip()));
    }
    QCOMPARE(shown,
             (QStringList{"ActionNewProgram", "ActionFileOpen", "ActionFileSave", "ActionCompile",
                          "ActionRunCycle", "ActionRunInstruction", "ActionRunProject",
                          "ActionRunToCursor", "ActionAbort", "ActionReset", "ActionStepBackCycle",
                          "ActionStepBackInstruction"}));
    QCOMPARE(app.Action("ActionRunCycle")->toolTip(), QStringLiteral("Takt (F7)"));
  }

  void everyToolBarButtonHasANameOfItsOwnForScreenReaders() {
    TDesktop app;
    const auto* tools = app.Main->findChild<QToolBar*>(QStringLiteral("ToolBar"));
    QVERIFY(tools != nullptr);
    QStringList names;
    for (QAction* action : tools->actions()) {
      if (action->isSeparator()) continue;
      QAccessibleInterface* button =
          QAccessible::queryAccessibleInterface(tools->widgetForAction(action));
      QVERIFY(button != nullptr);
      const QString name = button->text(QAccessible::Name);
      QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(name));
      names.append(name);
    }
    QCOMPARE(names.size(), 12);
  }
  void ctrlF9CompilesInAnEditorOnly() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    editor->Memo()->setText(QStringLiteral("x: rst 1\n"));
    app.Main->UpdateActions();
    QCOMPARE(app.Action("ActionCompile")->toolTip(), QStringLiteral("Kompiluj (Ctrl+F9)"));
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    QTest::keyClick(editor->Memo(), Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(app.User.Informations.size(), 1);
    // The key is the editor's: with the instruction list in front it does
    // nothing.
    app.Main->ShowDockedForm(&app.Main->InstructionListWindow());
    QWidget* list = app.Main->InstructionListWindow().Commands();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(app.User.Informations.size(), 1);
  }

  void theToolBarFollowsTheRunAndTheCurrentDocument() {
    TDesktop app;
    app.Main->UpdateActions();
    auto* tools = app.Main->findChild<QToolBar*>(QStringLiteral("ToolBar"));
    QVERIFY(tools != nullptr);
    const auto button = [&](const char* name) { return tools->widgetForAction(app.Action(name)); };
    // Saving and compiling need an editor in front.
    QVERIFY(!button("ActionFileSave")->isEnabled());
    QVERIFY(!button("ActionCompile")->isEnabled());
    TFormProgramEditor* editor = app.Main->NewProgram();
    app.Main->UpdateActions();
    QVERIFY(button("ActionCompile")->isEnabled());
    editor->Memo()->setText(QStringLiteral("x: rst 1\n"));
    QTest::mouseClick(button("ActionCompile"), Qt::LeftButton);
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
    // A run greys the run buttons; "Przerwij" ends it and they come back.
    StoreEndlessLoop(app.Core.Machine());
    app.Core.Control().SetTrackingLevel(0);
    app.Main->UpdateActions();
    QTest::mouseClick(button("ActionRunProject"), Qt::LeftButton);
    QVERIFY(app.Core.RunInProgress());
    for (const char* name : {"ActionRunCycle", "ActionRunInstruction", "ActionRunProject"})
      QVERIFY2(!button(name)->isEnabled(), name);
    QVERIFY(button("ActionAbort")->isEnabled());
    QTest::mouseClick(button("ActionAbort"), Qt::LeftButton);
    QVERIFY(test::WaitForRunEnd(app.Core));
    for (const char* name : {"ActionRunCycle", "ActionRunInstruction", "ActionRunProject"})
      QVERIFY2(button(name)->isEnabled(), name);
    // By hand only single cycles run.
    app.Core.Control().SetManualControl(true);
    app.Main->UpdateActions();
    QVERIFY(!button("ActionRunProject")->isEnabled());
    QVERIFY(button("ActionRunCycle")->isEnabled());
  }

  void theDocumentCommandsFollowTheTabInFrontHoweverTheWindowWasActivated() {
    TDesktop app;
    TFormProgramEditor* editor = app.Main->NewProgram();
    editor->Memo()->setText(QStringLiteral("x: rst 1\n"));
    QApplication::setActiveWindow(&app.Container());
    editor->Memo()->setFocus();
    app.Main->UpdateActions();
    QVERIFY(app.Action("ActionCompile")->isEnabled());
    TDockedWindow* machine = app.FrameOf(&app.Main->MachineWindow());
    QVERIFY(ClickTab(app.Container(), machine));
    QCOMPARE(app.Container().ActiveTab(), machine);
    // Whatever activates the container now (the window manager after the
    // click, or a return from another window), the machine is in front.
    const auto greyed = [&](const char* when) {
      for (const char* name : {"ActionFileSave", "ActionFileSaveAs", "ActionCompile"})
        QVERIFY2(!app.Action(name)->isEnabled(),
                 qPrintable(QString::fromLatin1(name) + u' ' + QString::fromLatin1(when)));
    };
    greyed("after the click");
    QApplication::setActiveWindow(app.Main.get());
    greyed("with the strip active");
    QApplication::setActiveWindow(&app.Container());
    greyed("with the container activated again");
    // The keys go to what is seen, not into the text behind the machine.
    QVERIFY(!editor->isAncestorOf(QApplication::focusWidget()));
    app.Action("ActionCompile")->trigger();
    app.Action("ActionFileSave")->trigger();
    QVERIFY(app.User.Informations.isEmpty());
    QCOMPARE(app.User.FileDialogs, 0);
    // Back on the editor's tab the commands are the editor's again.
    QVERIFY(ClickTab(app.Container(), app.FrameOf(editor)));
    QApplication::setActiveWindow(app.Main.get());
    QApplication::setActiveWindow(&app.Container());
    QVERIFY(app.Action("ActionCompile")->isEnabled());
    app.Action("ActionCompile")->trigger();
    QCOMPARE(app.User.Informations, QStringList{QStringLiteral("Program został skompilowany")});
  }
};

QTEST_MAIN(WindowCommandsTest)
#include "WindowCommandsTest.moc"
