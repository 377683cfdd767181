// The stop conditions in the application: the dialog that edits them, the
// watches' "Zatrzymaj przy zmianie", the box a stop shows, and conditions
// that follow the labels of a program assembled anew.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "AppCore.h"
#include "CoreText.h"
#include "FormProgramEditor.h"
#include "FormStopConditions.h"
#include "FormWatches.h"
#include "GuiTestSupport.h"
#include "SourceEditor.h"
#include "program/ProgramDocument.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

const QStringList& kLoop = test::kEndlessLoop;

struct TCore {
  TAppCore Core;
  test::TDialogScript User;
  TCore() { User.Install(Core.Dialogs()); }
};

// What the core says about a condition it refuses.
QString RefusalOf(TAppCore& core, const QString& text) {
  TStopConditions scratch;
  try {
    scratch.Add(U8(text), core.Machine(), &core.Watches());
  } catch (const EDorumError& e) {
    return Q(e.Message());
  }
  return {};
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int k = 0; k < list->count(); ++k) rows.append(list->item(k)->text());
  return rows;
}

QStringList Texts(const TStopConditions& conditions) {
  QStringList texts;
  for (int k = 0; k < conditions.Count(); ++k) texts.append(Q(conditions.At(k).Text));
  return texts;
}

int LabelAddress(TAppCore& core, const QString& name) {
  const std::string wanted = U8(name);
  for (int k = 0; k < core.Watches().Count(); ++k) {
    if (core.Watches().At(k).Name == wanted) return core.Watches().At(k).Address;
  }
  return -1;
}

// The application with a program compiled in an editor, which binds it.
struct TProgramApplication : test::TDesktop {
  TFormProgramEditor* Editor = nullptr;

  explicit TProgramApplication(const QStringList& program = kLoop) {
    Editor = Main->NewProgram();
    Assemble(program);
    Core.Control().SetTrackingLevel(0);
  }
  void Assemble(const QStringList& program) {
    Editor->Memo()->setText(program.join(u'\n'));
    User.FileNames = {std::nullopt};  // compiling offers to save first: cancelled
    Editor->Compile();
  }
};

// The cycle after which the word first differs from its value at the start,
// with the program performed cycle by cycle; the instruction's address then.
struct TFirstChange {
  std::uint64_t Cycle = 0;
  std::int32_t InstructionAddress = -1;
};

TFirstChange FirstChangeOf(const QStringList& program, const QString& label) {
  TSession session;
  TProgramDocument document;
  document.SetTexts(U8(program));
  CompileProgram(session.Assembler(), session.Control(), document);
  const std::string wanted = U8(label);
  int address = -1;
  for (int k = 0; k < session.Watches().Count(); ++k) {
    if (session.Watches().At(k).Name == wanted) address = session.Watches().At(k).Address;
  }
  const std::uint32_t before = session.Machine().Memory().Word(address);
  while (session.Machine().Memory().Word(address) == before) session.Control().ExecuteCycle();
  return {session.Control().CyclesPerformed(), session.Control().InstructionAddress()};
}

}  // namespace

class StopConditionsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theDialogAddsEnablesAndRemovesOnACopyPutInPlaceByOk() {
    TCore c;
    {
      TFormStopConditions dialog(c.Core);
      dialog.show();
      QTest::keyClicks(dialog.Edit(), QStringLiteral("changed(AK)"));
      QTest::keyClick(dialog.Edit(), Qt::Key_Return);  // Enter adds, it does not close
      QVERIFY(dialog.isVisible());
      dialog.Edit()->setText(QStringLiteral("AK>=5"));
      QVERIFY(dialog.AddTyped());
      dialog.Edit()->setText(QStringLiteral("signal(weak)"));
      QVERIFY(dialog.AddTyped());
      QCOMPARE(Rows(dialog.List()),
               (QStringList{QStringLiteral("changed(AK)"), QStringLiteral("AK>=5"),
                            QStringLiteral("signal(weak)")}));
      QCOMPARE(dialog.Edit()->text(), QString());
      QCOMPARE(dialog.List()->item(0)->checkState(), Qt::Checked);

      dialog.List()->item(0)->setCheckState(Qt::Unchecked);  // as a click on its box
      QVERIFY(!dialog.Conditions().At(0).Enabled);
      dialog.List()->setCurrentRow(1);
      QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("RemoveButton")),
                        Qt::LeftButton);
      QCOMPARE(Rows(dialog.List()),
               (QStringList{QStringLiteral("changed(AK)"), QStringLiteral("signal(weak)")}));
      // Nothing is in place before "OK", which Enter is with nothing typed.
      QCOMPARE(c.Core.Session().StopConditions().Count(), 0);
      QTest::keyClick(dialog.Edit(), Qt::Key_Return);
      QVERIFY(!dialog.isVisible());
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    const TStopConditions& conditions = c.Core.Session().StopConditions();
    QCOMPARE(Texts(conditions),
             (QStringList{QStringLiteral("changed(AK)"), QStringLiteral("signal(weak)")}));
    QVERIFY(!conditions.At(0).Enabled);
    QVERIFY(conditions.At(1).Enabled);

    // "Usuń wszystkie" and then "Anuluj": the conditions stay as they were.
    TFormStopConditions again(c.Core);
    QCOMPARE(again.List()->item(0)->checkState(), Qt::Unchecked);
    QTest::mouseClick(again.findChild<QPushButton*>(QStringLiteral("ClearButton")), Qt::LeftButton);
    QCOMPARE(again.List()->count(), 0);
    again.reject();
    QCOMPARE(conditions.Count(), 2);
  }

  void addIsGreyedWhileNothingButBlanksIsTyped() {
    TCore c;
    TFormStopConditions dialog(c.Core);
    const auto* add = dialog.findChild<QPushButton*>(QStringLiteral("AddButton"));
    QVERIFY(add != nullptr);
    QVERIFY(!add->isEnabled());
    QTest::keyClicks(dialog.Edit(), QStringLiteral("  "));
    QVERIFY(!add->isEnabled());
    QTest::keyClicks(dialog.Edit(), QStringLiteral("AK=1"));
    QVERIFY(add->isEnabled());
    QVERIFY(dialog.AddTyped());
    // The box is emptied by the addition, and "Dodaj" is greyed with it.
    QCOMPARE(dialog.Edit()->text(), QString());
    QVERIFY(!add->isEnabled());
  }

  void removingAConditionSelectsTheOneInItsPlaceOrTheLast() {
    TCore c;
    TFormStopConditions dialog(c.Core);
    for (const QString& text : {QStringLiteral("AK=1"), QStringLiteral("AK=2"),
                                QStringLiteral("AK=3"), QStringLiteral("AK=4")}) {
      dialog.Edit()->setText(text);
      QVERIFY(dialog.AddTyped());
    }
    auto* remove = dialog.findChild<QPushButton*>(QStringLiteral("RemoveButton"));
    dialog.List()->setCurrentRow(1);
    remove->click();  // the one after it takes its place
    QCOMPARE(Rows(dialog.List()), (QStringList{"AK=1", "AK=3", "AK=4"}));
    QCOMPARE(dialog.List()->currentRow(), 1);
    dialog.List()->setCurrentRow(2);
    remove->click();  // the last: the new last is selected
    QCOMPARE(Rows(dialog.List()), (QStringList{"AK=1", "AK=3"}));
    QCOMPARE(dialog.List()->currentRow(), 1);
    QVERIFY(remove->isEnabled());
    remove->click();
    QCOMPARE(dialog.List()->currentRow(), 0);
    remove->click();
    QCOMPARE(dialog.List()->count(), 0);
    QCOMPARE(dialog.List()->currentRow(), -1);
    QVERIFY(!remove->isEnabled());
  }

  void aMalformedConditionIsRefusedInTheDialogWithTheTextKept() {
    TCore c;
    TFormStopConditions dialog(c.Core);
    dialog.show();
    for (const QString& bad : {QStringLiteral("AK<"), QStringLiteral("changed(nic)"),
                               QStringLiteral("signal(AK)"), QStringLiteral("AK")}) {
      dialog.Edit()->setText(bad);
      QVERIFY(!dialog.AddTyped());
      QCOMPARE(dialog.Message()->text(), RefusalOf(c.Core, bad));
      QVERIFY(!dialog.Message()->text().isEmpty());
      QCOMPARE(dialog.Edit()->text(), bad);
      QCOMPARE(dialog.List()->count(), 0);
    }
    QVERIFY(c.User.Errors.isEmpty());  // in the dialog, not in an error box
    // "OK" with a malformed one typed stays open; nothing is put in place.
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(c.Core.Session().StopConditions().Count(), 0);
    // Mended, the typed condition is not lost by pressing "OK" at once.
    dialog.Edit()->setText(QStringLiteral("AK<0"));
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Texts(c.Core.Session().StopConditions()), QStringList{QStringLiteral("AK<0")});
  }

  void aConditionListedAlreadyIsSaidSoAndSelected() {
    TCore c;
    TFormStopConditions dialog(c.Core);
    for (const QString& text : {QStringLiteral("AK>=5"), QStringLiteral("changed(AK)")}) {
      dialog.Edit()->setText(text);
      QVERIFY(dialog.AddTyped());
    }
    dialog.List()->item(0)->setCheckState(Qt::Unchecked);
    QVERIFY(dialog.Message()->text().isEmpty());
    // Written another way, it is the same condition: not added twice, but
    // enabled and selected, and the dialog says so.
    dialog.Edit()->setText(QStringLiteral("ak >= 5"));
    QVERIFY(dialog.AddTyped());
    QCOMPARE(dialog.List()->count(), 2);
    QCOMPARE(dialog.List()->currentRow(), 0);
    QCOMPARE(dialog.List()->item(0)->checkState(), Qt::Checked);
    QVERIFY2(dialog.Message()->text().contains(QStringLiteral("AK>=5")) &&
                 dialog.Message()->text().contains(QStringLiteral("już")),
             qPrintable(dialog.Message()->text()));
    QCOMPARE(dialog.Edit()->text(), QString());
    // A new one clears the note.
    dialog.Edit()->setText(QStringLiteral("AK=1"));
    QVERIFY(dialog.AddTyped());
    QVERIFY(dialog.Message()->text().isEmpty());
  }

  void theButtonsFollowTheListFromTheStart() {
    TCore c;
    const auto button = [](const TFormStopConditions& dialog, const char* name) {
      return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    {
      // Empty: nothing to remove; Enter is "OK".
      TFormStopConditions dialog(c.Core);
      QCOMPARE(dialog.List()->currentRow(), -1);
      QVERIFY(!button(dialog, "RemoveButton")->isEnabled());
      QVERIFY(!button(dialog, "ClearButton")->isEnabled());
      QVERIFY(button(dialog, "ButtonOK")->isDefault());
      QVERIFY(!button(dialog, "AddButton")->isDefault());
      dialog.Edit()->setText(QStringLiteral("AK=1"));
      // Typed: Enter adds.
      QVERIFY(button(dialog, "AddButton")->isDefault());
      QVERIFY(!button(dialog, "ButtonOK")->isDefault());
      QVERIFY(dialog.AddTyped());
      QVERIFY(button(dialog, "RemoveButton")->isEnabled());
      QVERIFY(button(dialog, "ClearButton")->isEnabled());
      QVERIFY(button(dialog, "ButtonOK")->isDefault());
      dialog.accept();
    }
    // Opened again with one: it is selected and can be removed.
    TFormStopConditions dialog(c.Core);
    QCOMPARE(dialog.List()->currentRow(), 0);
    QVERIFY(button(dialog, "RemoveButton")->isEnabled());
    QVERIFY(button(dialog, "ClearButton")->isEnabled());
    button(dialog, "ClearButton")->click();
    QVERIFY(!button(dialog, "RemoveButton")->isEnabled());
    QVERIFY(!button(dialog, "ClearButton")->isEnabled());
  }

  void aConditionTypedAgainIsAnsweredByWhetherItWasOn() {
    TCore c;
    TFormStopConditions dialog(c.Core);
    dialog.Edit()->setText(QStringLiteral("AK>=5"));
    QVERIFY(dialog.AddTyped());
    dialog.Edit()->setText(QStringLiteral("AK>=5"));
    QVERIFY(dialog.AddTyped());
    QCOMPARE(dialog.Message()->text(),
             QStringLiteral("Warunek AK>=5 jest już na liście; zaznaczono go."));
    QVERIFY(dialog.Message()->styleSheet().isEmpty());  // news, not a fault
    dialog.List()->item(0)->setCheckState(Qt::Unchecked);
    dialog.Edit()->setText(QStringLiteral("AK>=5"));
    QVERIFY(dialog.AddTyped());
    QCOMPARE(dialog.Message()->text(),
             QStringLiteral("Warunek AK>=5 jest już na liście; zaznaczono go i włączono."));
    QVERIFY(dialog.Conditions().At(0).Enabled);
    // A refusal is shown as a fault.
    dialog.Edit()->setText(QStringLiteral("AK<"));
    QVERIFY(!dialog.AddTyped());
    QVERIFY(dialog.Message()->styleSheet().contains(QStringLiteral("color")));
  }

  void anAssemblyThatLeavesConditionsUncheckedSaysWhich() {
    TProgramApplication app;
    TSession& session = app.Core.Session();
    session.AddStopCondition("changed(suma)");
    session.AddStopCondition("AK=3");
    session.AddStopCondition("suma>2");
    session.StopConditions().SetEnabled(2, false, app.Core.Machine());
    app.User.Informations.clear();
    QStringList without = kLoop;
    without[1] = QStringLiteral("       ŁAD jeden");
    without.removeLast();
    app.Assemble(without);
    // The enabled condition that lost its label is named with the reason;
    // the disabled one was not being checked anyway.
    QCOMPARE(app.User.Informations.size(), 2);
    QCOMPARE(app.User.Informations[0], QStringLiteral("Program został skompilowany"));
    const QString notice = app.User.Informations[1];
    QVERIFY2(notice.contains(QStringLiteral("changed(suma)")) &&
                 notice.contains(Q(session.StopConditions().At(0).Problem)),
             qPrintable(notice));
    QVERIFY2(!notice.contains(QStringLiteral("AK=3")) && !notice.contains(QStringLiteral("suma>2")),
             qPrintable(notice));
    // Nothing more is lost by the next assembly, so nothing more is said.
    app.Assemble(without);
    QCOMPARE(app.User.Informations.size(), 3);
    QVERIFY(app.User.Errors.isEmpty());
  }

  void theDialogIsOneOfTheRunCommandsAndStopsARunFirst() {
    QCOMPARE(CommandRow(TCommand::StopConditions).DuringRun, TDuringRun::StopsRun);
    TProgramApplication app;
    QAction* action = app.Action("ActionStopConditions");
    QVERIFY(action != nullptr);
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(app.Core.RunInProgress());
    bool runningInDialog = true;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TFormStopConditions*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      runningInDialog = app.Core.RunInProgress() || app.Core.Control().Running();
      dialog->Edit()->setText(QStringLiteral("changed(suma)"));
      dialog->accept();
    });
    action->trigger();
    QVERIFY(!runningInDialog);
    QCOMPARE(Texts(app.Core.Session().StopConditions()),
             QStringList{QStringLiteral("changed(suma)")});
    QVERIFY(app.User.Errors.isEmpty());
  }

  void theWatchesMenuAddsChangedOfTheLabelOnce() {
    TProgramApplication app;
    TFormWatches& watches = app.Main->WatchesWindow();
    app.Main->ShowDockedForm(&watches);
    auto* item = watches.List()->findChild<QAction*>(QStringLiteral("MenuItemStopOnChange"));
    QVERIFY(item != nullptr);
    QVERIFY(watches.List()->actions().contains(item));
    QVERIFY(!item->isEnabled());  // nothing selected
    int row = -1;
    for (int k = 0; k < app.Core.Watches().Count(); ++k) {
      if (app.Core.Watches().At(k).Name == "suma") row = k;
    }
    watches.List()->setCurrentIndex(watches.List()->model()->index(row, 0));
    QVERIFY(item->isEnabled());
    item->trigger();
    TStopConditions& conditions = app.Core.Session().StopConditions();
    QCOMPARE(Texts(conditions), QStringList{QStringLiteral("changed(suma)")});
    QCOMPARE(conditions.At(0).Test.Index, LabelAddress(app.Core, QStringLiteral("suma")));

    // Once more, with the condition disabled and a run going on: it is
    // enabled, not repeated, and the run goes on until the word changes.
    conditions.SetEnabled(0, false, app.Core.Machine());
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(QTest::qWaitFor([&] { return app.Core.Control().CyclesPerformed() > 20; }));
    QVERIFY(app.Core.RunInProgress());
    item->trigger();
    QVERIFY(app.Core.RunInProgress());
    QCOMPARE(conditions.Count(), 1);
    QVERIFY(conditions.At(0).Enabled);
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY(app.User.Informations.last().startsWith(
        QStringLiteral("Warunek zatrzymania: changed(suma)\n")));
    QVERIFY(app.User.Errors.isEmpty());
  }

  void aLabelNamedAsARegisterIsWatchedThroughItsAddress() {
    TCore c;
    // Only the register's exact caption would name the register itself.
    const struct {
      const char* Name;
      int Address;
      const char* Condition;
    } watches[] = {
        {"AK", 7, "changed(mem[7])"}, {"RZ", 12, "changed(mem[12])"}, {"ak", 7, "changed(ak)"},
        {"suma", 3, "changed(suma)"}, {"AKX", 4, "changed(AKX)"},
    };
    for (const auto& w : watches) {
      QCOMPARE(TFormWatches::ChangeCondition({w.Name, w.Address}, c.Core.Machine()),
               QString::fromLatin1(w.Condition));
    }
  }

  void theWatchesMenuItemIsGreyedOnceTheLabelsAreReadAgain() {
    TProgramApplication app;
    TFormWatches& watches = app.Main->WatchesWindow();
    app.Main->ShowDockedForm(&watches);
    auto* item = watches.List()->findChild<QAction*>(QStringLiteral("MenuItemStopOnChange"));
    QVERIFY(item != nullptr);
    watches.List()->setCurrentIndex(watches.List()->model()->index(0, 0));
    QVERIFY(item->isEnabled());
    // Compiling again makes the list anew, with no row selected.
    app.Assemble(kLoop);
    QVERIFY(!watches.List()->currentIndex().isValid());
    QVERIFY(!item->isEnabled());
    watches.List()->setCurrentIndex(watches.List()->model()->index(0, 0));
    QVERIFY(item->isEnabled());
  }

  void aRunStopsAfterTheCycleOfTheConditionAndTheBoxSaysWhere() {
    const TFirstChange change = FirstChangeOf(kLoop, QStringLiteral("suma"));
    TProgramApplication app;
    app.Core.Session().AddStopCondition("changed(suma)");
    const std::uint64_t before = app.Core.Control().CyclesPerformed();
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY2(app.User.Errors.isEmpty(), qPrintable(app.User.Errors.join(u';')));
    QCOMPARE(app.Core.Control().CyclesPerformed() - before, change.Cycle);
    QCOMPARE(app.User.Informations.size(), 2);  // the compile's, and the stop's
    const QString box = app.User.Informations.last();
    QVERIFY2(box.startsWith(QStringLiteral("Warunek zatrzymania: changed(suma)\n")),
             qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral("po takcie nr %1").arg(change.Cycle)), qPrintable(box));
    const TProgramDocument& document = app.Editor->Document();
    const int line = document.LineOfAddress(change.InstructionAddress);
    QVERIFY2(box.contains(QStringLiteral("w wierszu %1 programu").arg(line)), qPrintable(box));
    const TMachine& machine = app.Core.Machine();
    const int code =
        static_cast<int>(machine.Memory().Word(change.InstructionAddress) >> machine.AddressBits());
    const QString name = Q(app.Core.Control().Instructions().At(code).Name());
    QVERIFY2(box.contains(QStringLiteral(" rozkazu %1 ").arg(name)), qPrintable(box));
    // The editor marks the instruction that runs next, the diagram shows
    // the machine as the cycle left it.
    const TController& control = app.Core.Control();
    const int next =
        control.AtFetch() ? machine.Register(TRegisterId::L).Value() : control.InstructionAddress();
    QCOMPARE(document.CurrentLine(), document.LineOfAddress(next));
    QCOMPARE(test::StaleParts(app.Main->MachineWindow()), QString());

    // The next run goes on from there and stops at the next change.
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.User.Informations.size(), 3);
    QVERIFY(app.Core.Control().CyclesPerformed() - before > change.Cycle);
  }

  // The index of the condition that held stays from the run it ended; a
  // later failure of a single cycle is an error all the same.
  void aFailureAfterAConditionStopIsStillAnError() {
    TProgramApplication app;
    app.Core.Session().AddStopCondition("changed(suma)");
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.User.Informations.size(), 2);
    QCOMPARE(app.Core.Control().HeldCondition(), 0);
    QVERIFY(app.Core.Run(nullptr,
                         []() -> TSliceEnd { throw EDorumError("Magistrala mag A jest pusta"); }));
    QCOMPARE(app.User.Informations.size(), 2);
    QCOMPARE(app.User.Errors, QStringList{QStringLiteral("Magistrala mag A jest pusta.")});
  }

  // Loading a list changes the configuration: a register it drops leaves
  // its condition inactive, and one that brings it back revives it.
  void conditionsFollowTheConfigurationOfAListLoaded() {
    test::TDesktop app;
    const QString pelt =
        QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QStringLiteral("pelt/pelt.lst"));
    app.User.FileNames = {pelt};
    app.Action("ActionLoadList")->trigger();
    app.Core.Session().AddStopCondition("X=1");
    const TStopConditions& conditions = app.Core.Session().StopConditions();
    QVERIFY(conditions.At(0).Active());
    // The default machine, as "Przykłady" sets it up, has no register X.
    (void)app.Main->OpenExample(
        QString(),
        QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QStringLiteral("dorum/suma.prg")));
    const QString problem = Q(conditions.At(0).Problem);
    QVERIFY2(problem.contains(QStringLiteral("X")), qPrintable(problem));
    QVERIFY(!conditions.Armed());
    // The user hears which condition went out of use.
    QCOMPARE(app.User.Informations.size(), 1);
    QVERIFY2(app.User.Informations[0].contains(QStringLiteral("X=1")),
             qPrintable(app.User.Informations[0]));
    app.User.FileNames = {pelt};
    app.Action("ActionLoadList")->trigger();
    QVERIFY(conditions.At(0).Active());
    QVERIFY2(app.User.Errors.isEmpty(), qPrintable(app.User.Errors.join(u';')));
  }

  void conditionsFollowTheLabelsOfAProgramAssembledAnew() {
    TProgramApplication app;
    app.Core.Session().AddStopCondition("changed(suma)");
    const TStopConditions& conditions = app.Core.Session().StopConditions();
    const int old = LabelAddress(app.Core, QStringLiteral("suma"));
    QCOMPARE(conditions.At(0).Test.Index, old);

    // A word more before "suma": the condition watches its new place.
    QStringList moved = kLoop;
    moved.insert(3, QStringLiteral("dwa:   RST 2"));
    app.Assemble(moved);
    const int now = LabelAddress(app.Core, QStringLiteral("suma"));
    QCOMPARE(now, old + 1);
    QCOMPARE(conditions.At(0).Test.Index, now);
    const TFirstChange change = FirstChangeOf(moved, QStringLiteral("suma"));
    const std::uint64_t before = app.Core.Control().CyclesPerformed();
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QCOMPARE(app.Core.Control().CyclesPerformed() - before, change.Cycle);

    // Without the label the condition stays, unchecked, and says why.
    QStringList without = kLoop;
    without[1] = QStringLiteral("       ŁAD jeden");
    without.removeLast();
    app.Assemble(without);
    QCOMPARE(conditions.Count(), 1);
    QVERIFY(!conditions.At(0).Active());
    QVERIFY(!conditions.Armed());
    TFormStopConditions dialog(app.Core);
    QListWidgetItem* row = dialog.List()->item(0);
    QCOMPARE(row->checkState(), Qt::Unchecked);
    QVERIFY(!(row->flags() & Qt::ItemIsUserCheckable));
    const QString problem = Q(conditions.At(0).Problem);
    QVERIFY2(row->text().contains(problem), qPrintable(row->text()));
    QVERIFY(problem.contains(QStringLiteral("suma")));
    // Shown unchecked, it is still on: the list filled in is no click.
    QVERIFY(dialog.Conditions().At(0).Enabled);
    dialog.reject();

    // Back again, the condition is checked as before.
    app.Assemble(kLoop);
    QVERIFY(conditions.At(0).Active());
    QVERIFY(app.User.Errors.isEmpty());
  }
};

QTEST_MAIN(StopConditionsTest)
#include "StopConditionsTest.moc"
