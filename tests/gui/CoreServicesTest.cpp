// The services every window relies on: the error box text, runs that do not
// nest, work deferred until a run has stopped, and the clock of the views.
#include <QSignalSpy>
#include <QTest>

#include "AppCore.h"
#include "GuiTestSupport.h"

using namespace dorum;
using namespace dorum::gui;

class CoreServicesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void errorBoxTextEndsWithAFullStopAfterLettersAndDigits() {
    const struct {
      const char16_t* message;
      const char16_t* shown;
    } cases[] = {
        {u"Najpierw skompiluj program", u"Najpierw skompiluj program."},
        {u"Nieznany kod rozkazu (9)", u"Nieznany kod rozkazu (9)"},  // ")" sorts before "."
        {u"Program został zakończony", u"Program został zakończony."},
        {u"1:5 Oczekiwany średnik.", u"1:5 Oczekiwany średnik."},
        {u"Wartość 7", u"Wartość 7."},
        {u"Co?", u"Co?."},  // "?" sorts after "."
        {u"Koniec ", u"Koniec "},
        {u"Zażółć", u"Zażółć."},
        {u"", u""},
    };
    for (const auto& c : cases)
      QCOMPARE(ErrorBoxText(QString::fromUtf16(c.message)), QString::fromUtf16(c.shown));
  }

  void aCommandsErrorReachesTheErrorBox() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    QVERIFY(!core.Errors().Run(nullptr, [] { throw EDorumError("Zły rozkaz"); }));
    QVERIFY(core.Errors().Run(nullptr, [] {}));
    QCOMPARE(user.Errors, QStringList{QStringLiteral("Zły rozkaz.")});
  }

  void aRunDoesNotNestAndReportsItsErrorAfterItHasEnded() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    QSignalSpy states(&core, &TAppCore::RunStateChanged);
    bool inner = false;
    bool runningWhenReported = true;
    core.Dialogs().ShowError = [&](QWidget*, const QString&) {
      runningWhenReported = core.RunInProgress();
    };
    bool nested = true;
    QVERIFY(core.Run(nullptr, [&]() -> TSliceEnd {
      nested = core.Run(nullptr, [&] {
        inner = true;
        return TSliceEnd::Finished;
      });
      throw EDorumError("Magistrala mag A jest pusta");
    }));
    QVERIFY(!nested);
    QVERIFY(!inner);
    QVERIFY(!runningWhenReported);
    QCOMPARE(states.count(), 2);
  }

  // Work asked for during a run stops it and is done at once; the command
  // that asked goes on, and the run ends once, not again after it.
  void workAskedForDuringARunStopsItAndIsDoneAtOnce() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    QSignalSpy states(&core, &TAppCore::RunStateChanged);
    QStringList order;
    bool runningAfterWork = true;
    core.Run(nullptr, [&] {
      core.AfterStoppingRun([&] { order.append(QStringLiteral("reset")); });
      runningAfterWork = core.RunInProgress();
      order.append(QStringLiteral("command goes on"));
      return TSliceEnd::ProgramEnded;
    });
    QVERIFY(!runningAfterWork);
    QVERIFY(!core.Control().StopRequested());
    QCOMPARE(order, (QStringList{QStringLiteral("reset"), QStringLiteral("command goes on")}));
    QCOMPARE(states.count(), 2);
    // The run was over before its command said how it ended: nothing is told.
    QVERIFY(user.Informations.isEmpty());
    core.AfterStoppingRun([&] { order.append(QStringLiteral("at once")); });
    QCOMPARE(order.back(), QStringLiteral("at once"));
  }

  void userActionsAreCollectedOnceAtTheNextTurnOfTheLoop() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    QSignalSpy refreshes(&core.Refresh(), &TViewRefresh::Refresh);
    core.Machine().EnterRegisterValue(TRegisterId::AK, "5");
    core.Machine().ZeroRegister(TRegisterId::L);
    QCOMPARE(refreshes.count(), 0);
    QTRY_COMPARE(refreshes.count(), 1);
    const auto changes = refreshes.at(0).at(0).value<TMachineChanges>();
    QVERIFY(changes.Registers & (1u << static_cast<int>(TRegisterId::AK)));
    QVERIFY(changes.Registers & (1u << static_cast<int>(TRegisterId::L)));
  }

  void aRunIsShownWhenItEnds() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    QSignalSpy refreshes(&core.Refresh(), &TViewRefresh::Refresh);
    core.Control().SetTrackingLevel(0);
    core.Run(nullptr, [&] { return core.Control().ExecuteInstruction(); });
    QVERIFY(refreshes.count() >= 1);
    const auto changes = refreshes.last().at(0).value<TMachineChanges>();
    QVERIFY(changes.Signals != 0);
  }

  // Going to the cycle the machine is at performs nothing: no run begins
  // and ends, so the run commands do not flicker.
  void goingToTheCurrentCycleIsNoRun() {
    TAppCore core;
    test::TDialogScript user;
    user.Install(core.Dialogs());
    for (int k = 0; k < 3; ++k)
      QVERIFY(core.Run(nullptr, [&] { return core.Control().ExecuteCycle(); }));
    const std::uint64_t cycles = core.Control().CyclesPerformed();
    QVERIFY(cycles > 0);
    QSignalSpy states(&core, &TAppCore::RunStateChanged);
    QVERIFY(core.GoToCycle(nullptr, cycles - core.History().Origin()));
    QCOMPARE(states.count(), 0);
    QCOMPARE(core.Control().CyclesPerformed(), cycles);
    // One cycle back is stepping back, not a run either.
    QVERIFY(core.GoToCycle(nullptr, cycles - 1 - core.History().Origin()));
    QCOMPARE(states.count(), 0);
    QCOMPARE(core.Control().CyclesPerformed(), cycles - 1);
  }
};

QTEST_MAIN(CoreServicesTest)
#include "CoreServicesTest.moc"
