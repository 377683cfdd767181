// The whole command set of the application at one glance: every main
// window action with its key and the states in which it may be used, every
// menu's entries in order, what each command does while a run goes on,
// and the windows' own commands with their keys.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdint>

#include "AppCore.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "FormWatches.h"
#include "GuiTestSupport.h"
#include "OwnKeys.h"
#include "SourceEditor.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

using test::TDesktop;

// The states the application passes through, as the columns of the table
// below: a letter per state, upper case where the action may be used.
enum TState : std::uint8_t {
  kStart,       // s: as started, before the first refresh of the actions
  kIdle,        // i: refreshed, the machine window in front, nothing done
  kEditor,      // e: a program editor in front
  kManual,      // m: the machine under manual control
  kRunning,     // r: "Program" running
  kValuesOnly,  // v: values entered by hand: steps to undo, no instruction
  kAfterCycle,  // c: a cycle performed: an instruction begun
  kStateCount
};
constexpr char kLetters[] = "siemrvc";

// The endless loop, stored without an editor.
void StoreEndlessLoop(TMachine& m) {
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
}

// Which actions may be used in `state`, as one letter per row of `names`.
QString EnabledIn(TState state, const QStringList& names) {
  const auto shownOf = [&names](const TFormMain& main) {
    QString shown;
    for (const QString& name : names) {
      const QAction* action = main.Action(name);
      if (action == nullptr) return QStringLiteral("no ") + name;
      shown.append(action->isEnabled() ? u'+' : u'-');
    }
    return shown;
  };
  if (state == kStart) {
    // Created, not yet shown: no refresh has come.
    TAppCore core;
    const TFormMain main(core, nullptr, QString());
    return shownOf(main);
  }
  TDesktop app;
  switch (state) {
    case kStart:
      break;
    case kIdle:
      app.Main->UpdateActions();
      break;
    case kEditor:
      (void)app.Main->NewProgram();
      app.Main->UpdateActions();
      break;
    case kManual:
      app.Core.Control().SetManualControl(true);
      app.Main->UpdateActions();
      break;
    case kRunning:
      StoreEndlessLoop(app.Core.Machine());
      app.Core.Control().SetTrackingLevel(0);
      app.Main->UpdateActions();
      app.Action("ActionRunProject")->trigger();
      if (!app.Core.RunInProgress()) return QStringLiteral("no run");
      app.Main->UpdateActions();
      break;
    case kValuesOnly:
      app.Core.Machine().EnterRegisterValue(TRegisterId::AK, "7");
      app.Core.Refresh().Flush();
      app.Main->UpdateActions();
      break;
    case kAfterCycle:
      app.Main->UpdateActions();
      app.Action("ActionRunCycle")->trigger();
      app.Main->UpdateActions();
      break;
    case kStateCount:
      break;
  }
  const QString shown = shownOf(*app.Main);
  if (state == kRunning) {
    app.Action("ActionAbort")->trigger();
    if (!test::WaitForRunEnd(app.Core)) return QStringLiteral("the run did not end");
  }
  return shown;
}

}  // namespace

class ActionTableTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everyActionHasItsKeyAndIsUsableInItsStates() {
    // The state letters: upper case where the action is enabled.
    const struct {
      const char* Name;
      QKeySequence Key;
      const char* States;  // one letter per state, in the order of TState
    } actions[] = {
        {"ActionNewProgram", {}, "SIEMRVC"},
        {"ActionNewInstruction", {}, "SIEMRVC"},
        {"ActionFileOpen", QKeySequence(Qt::Key_F3), "SIEMRVC"},
        {"ActionFileSave", QKeySequence(Qt::Key_F2), "siEmrvc"},
        {"ActionFileSaveAs", {}, "siEmrvc"},
        {"FileExit1", {}, "SIEMRVC"},
        {"ActionViewWindowList", QKeySequence(Qt::Key_F5), "SIEMRVC"},
        {"ActionViewEditor", {}, "SIEMRVC"},
        {"ActionInstructions", QKeySequence(Qt::Key_F10), "SIEMRVC"},
        {"ActionViewWatches", {}, "SIEMRVC"},
        {"ActionViewCPU", QKeySequence(Qt::Key_F11), "SIEMRVC"},
        {"ActionViewConsole", QKeySequence(Qt::Key_F12), "SIEMRVC"},
        {"ActionViewTiming", QKeySequence(Qt::CTRL | Qt::Key_F12), "SIEMRVC"},
        {"ActionCompile", {}, "siEmrvc"},
        {"ActionSaveList", {}, "SIEMRVC"},
        {"ActionLoadList", QKeySequence(Qt::CTRL | Qt::Key_F3), "SIEMRVC"},
        {"ActionProjectOptions", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F11), "SIEMRVC"},
        {"ActionRunProject", QKeySequence(Qt::Key_F9), "sIEmrVC"},
        {"ActionRunInstruction", QKeySequence(Qt::Key_F8), "sIEmrVC"},
        {"ActionRunCycle", QKeySequence(Qt::Key_F7), "SIEMrVC"},
        {"ActionRunToCursor", QKeySequence(Qt::Key_F4), "SIEMrVC"},
        {"ActionReset", QKeySequence(Qt::CTRL | Qt::Key_F2), "SIEMRVC"},
        {"ActionAbort", {}, "SIEMRVC"},
        {"ActionStepBackCycle", QKeySequence(Qt::SHIFT | Qt::Key_F7), "SiemrVC"},
        {"ActionStepBackInstruction", QKeySequence(Qt::SHIFT | Qt::Key_F8), "SiemrvC"},
        {"ActionStopConditions", {}, "SIEMRVC"},
        {"HelpContents1", {}, "SIEMRVC"},
        {"HelpTopicSearch1", {}, "SIEMRVC"},
        {"ActionHelpTopic", QKeySequence(Qt::Key_F1), "SIEMRVC"},
        {"ActionEditUndo", QKeySequence(Qt::CTRL | Qt::Key_Z), "SIEMRVC"},
        {"ActionEditCut", QKeySequence(Qt::CTRL | Qt::Key_X), "SIEMRVC"},
        {"ActionEditCopy", QKeySequence(Qt::CTRL | Qt::Key_C), "SIEMRVC"},
        {"ActionEditPaste", QKeySequence(Qt::CTRL | Qt::Key_V), "SIEMRVC"},
        {"ActionEditDelete", QKeySequence(Qt::Key_Delete), "SIEMRVC"},
        {"ActionEditSelectAll", QKeySequence(Qt::CTRL | Qt::Key_A), "SIEMRVC"},
        {"ActionSearchFind", QKeySequence(Qt::CTRL | Qt::Key_F), "sIEMRVC"},
        {"ActionSearchFindNext", QKeySequence(Qt::CTRL | Qt::Key_L), "SIEMRVC"},
        {"ActionSearchReplace", QKeySequence(Qt::CTRL | Qt::Key_H), "SIEMRVC"},
        {"ActionViewRestoreLayout", {}, "SIEMRVC"},
    };
    QStringList names;
    for (const auto& a : actions) names.append(QString::fromLatin1(a.Name));
    {
      // The table names every action, each once, and the keys are the
      // documented ones, held application-wide.
      TDesktop app;
      QStringList all;
      for (const QAction* action : app.Main->Actions()) all.append(action->objectName());
      QCOMPARE(all, names);
      for (const auto& a : actions) {
        const QAction* action = app.Action(a.Name);
        QVERIFY2(action->shortcut() == a.Key, a.Name);
        if (!a.Key.isEmpty()) QCOMPARE(action->shortcutContext(), Qt::ApplicationShortcut);
      }
    }
    for (int state = 0; state < kStateCount; ++state) {
      QString expected;
      for (const auto& a : actions) {
        const QString letters = QString::fromLatin1(a.States);
        const QChar letter = QChar::fromLatin1(kLetters[state]);
        expected.append(letters.contains(letter.toUpper()) ? u'+' : u'-');
      }
      const QString shown = EnabledIn(static_cast<TState>(state), names);
      // Name the actions that differ, not just the state.
      QStringList differing;
      for (qsizetype row = 0; row < names.size() && row < shown.size(); ++row) {
        if (shown.at(row) != expected.at(row))
          differing.append(names.at(row) + (shown.at(row) == u'+' ? " enabled" : " greyed"));
      }
      QVERIFY2(shown == expected,
               qPrintable(QStringLiteral("state %1: %2 (%3)")
                              .arg(QChar::fromLatin1(kLetters[state]))
                              .arg(differing.join(QStringLiteral(", ")), shown)));
    }
  }

  void theActionsFollowTheStateWithoutAMenuBeingOpened() {
    // No refresh is asked for here: the greying must follow by itself.
    TDesktop app;
    QAction* program = app.Action("ActionRunProject");
    QAction* cycle = app.Action("ActionRunCycle");
    QAction* back = app.Action("ActionStepBackCycle");
    QVERIFY(program->isEnabled());
    QVERIFY(!back->isEnabled());
    // Manual control, switched in the machine window.
    app.Main->MachineWindow().ManualControlBox()->click();
    QVERIFY(!program->isEnabled());
    app.Main->MachineWindow().ManualControlBox()->click();
    QVERIFY(program->isEnabled());
    // A value entered by hand: a step to undo, once the views are told.
    app.Core.Machine().EnterRegisterValue(TRegisterId::AK, "7");
    app.Core.Refresh().Flush();
    QVERIFY(back->isEnabled());
    // A run greys the run commands while it goes on.
    StoreEndlessLoop(app.Core.Machine());
    app.Core.Control().SetTrackingLevel(0);
    program->trigger();
    QVERIFY(app.Core.RunInProgress());
    QVERIFY(!cycle->isEnabled());
    QVERIFY(!back->isEnabled());
    app.Action("ActionAbort")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY(cycle->isEnabled());
    QVERIFY(back->isEnabled());
  }

  void everyMenuHoldsItsEntriesInOrder() {
    TDesktop app;
    const auto entries = [](const QMenu* menu) {
      QStringList shown;
      for (const QAction* action : menu->actions())
        shown.append(action->isSeparator() ? QStringLiteral("-") : action->text());
      return shown;
    };
    QList<QMenu*> menus;
    for (const QAction* action : app.Main->menuBar()->actions()) menus.append(action->menu());
    QCOMPARE(menus.size(), 5);
    QCOMPARE(entries(menus[0]).mid(0, 6), (QStringList{"&Nowy", "&Otwórz...", "Ostatnio otwierane",
                                                       "&Zapisz", "Z&apisz jako...", "-"}));
    QCOMPARE(entries(menus[0]).constLast(), QStringLiteral("&Wyjście"));
    QCOMPARE(entries(menus[0]->actions().constFirst()->menu()),
             (QStringList{"&Program", "R&ozkaz"}));
    QCOMPARE(entries(menus[1]),
             (QStringList{"&Lista okien", "&Okno edycyjne", "L&ista rozkazów",
                          "O&bserwowane zmienne", "&Jednostka centralna", "Ko&nsola we/wy",
                          "Przebie&gi czasowe", "-", "&Przywróć układ okien"}));
    QCOMPARE(entries(menus[2]),
             (QStringList{"&Zapisz listę rozkazów", "Ładuj listę rozkazów", "-", "&Opcje ..."}));
    QCOMPARE(entries(menus[3]),
             (QStringList{"&Program", "&Rozkaz", "&Takt", "&Do kursora", "R&eset", "Pr&zerwij", "-",
                          "&Cofnij takt", "Cofn&ij rozkaz", "-", "&Warunki zatrzymania..."}));
    QCOMPARE(entries(menus[4]), (QStringList{"&Zawartość", "&Szukaj tematu"}));
  }

  void theToolBarNamesEachButtonWithItsKey() {
    TDesktop app;
    auto* tools = app.Main->findChild<QToolBar*>(QStringLiteral("ToolBar"));
    QVERIFY(tools != nullptr);
    QStringList shown;
    for (QAction* action : tools->actions()) {
      if (action->isSeparator()) {
        shown.append(QStringLiteral("-"));
        continue;
      }
      shown.append(action->objectName() + u'|' + action->toolTip() + u'|' +
                   tools->widgetForAction(action)->accessibleName());
    }
    QCOMPARE(shown, (QStringList{
                        "ActionNewProgram|Nowy program|Nowy program",
                        "ActionFileOpen|Otwórz (F3)|Otwórz",
                        "ActionFileSave|Zapisz (F2)|Zapisz",
                        "ActionCompile|Kompiluj (Ctrl+F9)|Kompiluj",
                        "-",
                        "ActionRunCycle|Takt (F7)|Takt",
                        "ActionRunInstruction|Rozkaz (F8)|Rozkaz",
                        "ActionRunProject|Wykonaj program (F9)|Wykonaj program",
                        "ActionRunToCursor|Do kursora (F4)|Do kursora",
                        "ActionAbort|Przerwij|Przerwij",
                        "ActionReset|Reset (Ctrl+F2)|Reset",
                        "-",
                        "ActionStepBackCycle|Cofnij takt (Shift+F7)|Cofnij takt",
                        "ActionStepBackInstruction|Cofnij rozkaz (Shift+F8)|Cofnij rozkaz",
                    }));
  }

  void eachCommandIsRefusedOrStopsARunAsItsKindRequires() {
    // The run commands and stepping back would nest or undo under a run;
    // every other command first ends the run.
    const struct {
      TCommand Command;
      TDuringRun Rule;
    } commands[] = {
        {TCommand::RunCycle, TDuringRun::Refused},
        {TCommand::RunInstruction, TDuringRun::Refused},
        {TCommand::RunProject, TDuringRun::Refused},
        {TCommand::RunToCursor, TDuringRun::Refused},
        {TCommand::StepBackCycle, TDuringRun::Refused},
        {TCommand::Reset, TDuringRun::StopsRun},
        {TCommand::Compile, TDuringRun::StopsRun},
        {TCommand::LoadList, TDuringRun::StopsRun},
        {TCommand::ProjectOptions, TDuringRun::StopsRun},
        {TCommand::DeleteInstruction, TDuringRun::StopsRun},
        {TCommand::ManualControl, TDuringRun::StopsRun},
        {TCommand::CloseBoundEditor, TDuringRun::StopsRun},
        {TCommand::Quit, TDuringRun::StopsRun},
        {TCommand::StopConditions, TDuringRun::StopsRun},
    };
    TDesktop app;
    StoreEndlessLoop(app.Core.Machine());
    app.Core.Control().SetTrackingLevel(0);
    for (const auto& c : commands) {
      const int number = static_cast<int>(c.Command);
      QVERIFY2(CommandRow(c.Command).DuringRun == c.Rule, qPrintable(QString::number(number)));
      QVERIFY2(app.Core.App().Allows(c.Command), qPrintable(QString::number(number)));
    }
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(app.Core.RunInProgress());
    for (const auto& c : commands) {
      QVERIFY2(app.Core.App().Allows(c.Command) == (c.Rule == TDuringRun::StopsRun),
               qPrintable(QString::number(static_cast<int>(c.Command))));
    }
    app.Action("ActionAbort")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
  }

  void aWindowsOwnKeyIsFoundFromTheFocusUpToItsWindowOnly() {
    QWidget outer;
    auto* window = new QDialog(&outer);  // a window of its own inside another
    auto* panel = new QWidget(window);
    auto* edit = new QLineEdit(panel);
    const auto add = [](QWidget* owner, Qt::Key key, Qt::ShortcutContext context) {
      auto* action = new QAction(owner);
      action->setShortcut(QKeySequence(key));
      action->setShortcutContext(context);
      owner->addAction(action);
      return action;
    };
    QAction* own = add(edit, Qt::Key_F2, Qt::WidgetShortcut);
    QAction* panelOnly = add(panel, Qt::Key_F3, Qt::WidgetShortcut);
    QAction* panelWide = add(panel, Qt::Key_F4, Qt::WidgetWithChildrenShortcut);
    QAction* windowWide = add(window, Qt::Key_F5, Qt::WindowShortcut);
    (void)add(window, Qt::Key_F6, Qt::ApplicationShortcut);
    add(edit, Qt::Key_F7, Qt::WidgetShortcut)->setEnabled(false);
    add(edit, Qt::Key_F8, Qt::WidgetShortcut)->setVisible(false);
    (void)add(&outer, Qt::Key_F9, Qt::WindowShortcut);
    const auto found = [](QWidget* focus, Qt::Key key,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
      const QKeyEvent press(QEvent::KeyPress, key, modifiers);
      return OwnCommandFor(focus, press);
    };
    const struct {
      QWidget* Focus;
      Qt::Key Key;
      QAction* Action;
    } keys[] = {
        {edit, Qt::Key_F2, own},        {edit, Qt::Key_F3, nullptr},
        {panel, Qt::Key_F3, panelOnly}, {edit, Qt::Key_F4, panelWide},
        {edit, Qt::Key_F5, windowWide}, {edit, Qt::Key_F6, nullptr},
        {edit, Qt::Key_F7, nullptr},    {edit, Qt::Key_F8, nullptr},
        {edit, Qt::Key_F9, nullptr},    {panel, Qt::Key_F2, nullptr},
        {nullptr, Qt::Key_F2, nullptr}, {edit, Qt::Key_F10, nullptr},
    };
    for (const auto& k : keys) {
      QVERIFY2(found(k.Focus, k.Key) == k.Action,
               qPrintable(QKeySequence(k.Key).toString() +
                          (k.Focus == edit ? " in the field" : " elsewhere")));
    }
    // The keypad's keys are the keys themselves.
    QCOMPARE(found(edit, Qt::Key_F2, Qt::KeypadModifier), own);
    // An open menu handles its keys itself.
    QMenu menu;
    menu.addAction(own);
    QCOMPARE(found(&menu, Qt::Key_F2), nullptr);
  }

  void theWindowsOwnCommandsHaveTheirKeys() {
    TDesktop app;
    TFormProgramEditor* program = app.Main->NewProgram();
    TFormCommandEditor* instruction = app.Main->NewInstruction();
    // The caption and key of each command a window holds itself; `direct`:
    // only the window's own, not those of the windows docked into it.
    const auto keys = [](const QObject& window, bool direct = false) {
      QStringList shown;
      const auto options = direct ? Qt::FindDirectChildrenOnly : Qt::FindChildrenRecursively;
      for (const QAction* action : window.findChildren<QAction*>(QString(), options)) {
        if (action->shortcut().isEmpty() || action->text().isEmpty()) continue;
        shown.append(action->text() + u'=' + action->shortcut().toString());
      }
      shown.sort();
      return shown;
    };
    const QStringList editor{"Kompiluj=Ctrl+F9", "Zamień=Ctrl+H", "Zapisz=F2", "Znajdź=Ctrl+F"};
    QCOMPARE(keys(*instruction), editor);
    QStringList programKeys = editor;
    programKeys.append(QStringLiteral("Punkt zatrzymania=Ctrl+F8"));
    programKeys.sort();
    QCOMPARE(keys(*program), programKeys);
    QCOMPARE(keys(app.Container(), true),
             (QStringList{"Następny=F6", "Poprzedni=Shift+F6", "Zamknij=Alt+F3"}));
    QCOMPARE(keys(app.Main->InstructionListWindow()),
             (QStringList{"Kopiuj tekst=Ctrl+Ins", "Odśwież=Ctrl+R", "Punkt zatrzymania=Ctrl+F8",
                          "Usuń rozkaz=Del"}));
    QCOMPARE(keys(app.Main->WatchesWindow()), (QStringList{"Odśwież=Ctrl+R"}));
  }
};

QTEST_MAIN(ActionTableTest)
#include "ActionTableTest.moc"
