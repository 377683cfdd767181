// Commands given while a run goes on: each either is refused or stops the
// run at a cycle boundary and then acts, leaving a state that the same
// number of cycles performed one by one would leave; a program waiting for
// input goes on with what the user types; "Przerwij" cuts the tempo's pause.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>

#include "AppCore.h"
#include "CoreText.h"
#include "DockedWindow.h"
#include "FormCommandEditor.h"
#include "FormIOConsole.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "GuiTestSupport.h"
#include "SourceEditor.h"
#include "program/ProgramDocument.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

const QStringList& kLoop = test::kEndlessLoop;

QString Examples(const char* file) {
  return QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QString::fromLatin1(file));
}

// Everything a cycle can change that shows, as one text.
QString Fingerprint(const TMachine& m, const TController& control) {
  QStringList parts;
  for (int r = 0; r < kRegisterCount; ++r)
    parts.append(QString::number(m.Register(static_cast<TRegisterId>(r)).Content()));
  for (int cell = 0; cell < m.Memory().Size(); ++cell)
    parts.append(QString::number(m.Memory().Raw(cell)));
  parts.append(QStringLiteral("cycle %1 fetch %2 signals %3")
                   .arg(control.CurrentCycle())
                   .arg(control.AtFetch())
                   .arg(m.ActiveSignals()));
  return parts.join(u' ');
}

using test::TDesktop;

// The application with the loop compiled in a program editor (so that the
// editor is bound), running as "Program" at the lowest tracking level.
struct TRunningApplication : TDesktop {
  TFormProgramEditor* Editor = nullptr;
  // The machine when the run ended, and after how many cycles.
  QString AtStop;
  std::uint64_t CyclesAtStop = 0;

  TRunningApplication() {
    Editor = Main->NewProgram();
    Editor->Memo()->setText(kLoop.join(u'\n'));
    User.FileNames = {std::nullopt};  // compiling offers to save first: cancelled
    Editor->Compile();
    QObject::connect(&Core, &TAppCore::RunStateChanged, &Core, [this](bool running) {
      if (running) return;
      AtStop = Fingerprint(Core.Machine(), Core.Control());
      CyclesAtStop = Core.Control().CyclesPerformed();
    });
  }

  // Starts "Program" and lets it run for a few slices.
  [[nodiscard]] bool StartRun() {
    Core.Control().SetTrackingLevel(0);
    Main->UpdateActions();
    Main->Action(QStringLiteral("ActionRunProject"))->trigger();
    const std::uint64_t slices = Core.SlicesPerformed();
    return Core.RunInProgress() &&
           QTest::qWaitFor([&] { return Core.SlicesPerformed() >= slices + 3; });
  }

  // What the same number of cycles leave when performed one at a time.
  [[nodiscard]] QString OneByOne(std::uint64_t cycles) const {
    TSession session;
    TProgramDocument document;
    document.SetTexts(U8(kLoop));
    CompileProgram(session.Assembler(), session.Control(), document);
    for (std::uint64_t k = 0; k < cycles; ++k) session.Control().ExecuteCycle();
    return Fingerprint(session.Machine(), session.Control());
  }
};

}  // namespace

class RunCommandsTest : public QObject {
  Q_OBJECT

 private:
  // Runs the command during a run: afterwards no run is going on, nothing
  // runs on by itself, and the run ended where cycles performed one by one
  // would have left the machine.
  void CheckInterruptedBy(const char* what,
                          const std::function<void(TRunningApplication&)>& command) {
    TRunningApplication app;
    QVERIFY2(app.StartRun(), what);
    command(app);
    QVERIFY2(!app.Core.RunInProgress(), what);
    QVERIFY2(!app.Core.Control().Running(), what);
    QVERIFY2(app.CyclesAtStop > 0, what);
    QCOMPARE(app.AtStop, app.OneByOne(app.CyclesAtStop));
    const std::uint64_t cycles = app.Core.Control().CyclesPerformed();
    QTest::qWait(30);
    QCOMPARE(app.Core.Control().CyclesPerformed(), cycles);
    QVERIFY2(app.User.Errors.isEmpty(), qPrintable(app.User.Errors.join(u';')));
  }

 private Q_SLOTS:
  void everyCommandThatChangesWhatRunsStopsTheRunFirst() {
    CheckInterruptedBy("reset", [](TRunningApplication& app) {
      app.Main->Action(QStringLiteral("ActionReset"))->trigger();
      QVERIFY(app.Core.Control().AtFetch());
      QCOMPARE(app.Core.Machine().Register(TRegisterId::L).Content(), 0u);
    });
    CheckInterruptedBy("compile", [](TRunningApplication& app) {
      app.User.FileNames = {std::nullopt};
      app.Editor->Compile();
      QCOMPARE(app.User.Informations.size(), 2);
    });
    CheckInterruptedBy("delete an instruction", [](TRunningApplication& app) {
      TFormMicroprogram& list = app.Main->InstructionListWindow();
      list.Commands()->setCurrentRow(1);  // «dod», which the loop performs
      app.User.Answers = {QMessageBox::Yes};
      list.DeleteAction()->trigger();
      QCOMPARE(app.Core.Control().Instructions().Count(), 7);
    });
    CheckInterruptedBy("load a list", [](TRunningApplication& app) {
      app.User.FileNames = {Examples("pelt/pelt.lst")};
      app.Main->Action(QStringLiteral("ActionLoadList"))->trigger();
      QVERIFY(app.Core.Control().Instructions().Count() > 8);
    });
    CheckInterruptedBy("change the options", [](TRunningApplication& app) {
      QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
          dialog->accept();
      });
      app.Main->Action(QStringLiteral("ActionProjectOptions"))->trigger();
    });
    CheckInterruptedBy("manual control", [](TRunningApplication& app) {
      app.Core.SetManualControl(true);
      QVERIFY(app.Core.Control().ManualControl());
    });
    CheckInterruptedBy("close the bound editor", [](TRunningApplication& app) {
      TDockedWindow* frame = app.Main->FrameOf(app.Editor);
      app.User.Answers = {QMessageBox::No};  // the text is not saved
      frame->close();
      QTRY_VERIFY(app.Core.Control().ProgramEditor() == nullptr);
    });
    CheckInterruptedBy("quit", [](TRunningApplication& app) {
      app.User.Answers = {QMessageBox::No};
      QVERIFY(app.Main->close());
    });
  }

  // F9 on the endless loop, then a command that stops the run for the
  // application's own reasons, then F7: the cycle is performed, as no stop
  // request may stay behind. Only "Przerwij" leaves one, which the next
  // "Takt" reports instead of performing its cycle.
  void aRunTheApplicationStopsLeavesNoStopRequest() {
    const auto press = [](TRunningApplication& /*app*/, QWidget* target, Qt::Key key,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
      QApplication::setActiveWindow(target->window());
      QTest::keyClick(target, key, modifiers);
    };
    const auto acceptOrCancelDialog = [](bool accept) {
      QTimer::singleShot(0, [accept] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
          accept ? dialog->accept() : dialog->reject();
      });
    };
    struct TStop {
      const char* What;
      std::function<void(TRunningApplication&)> Command;
    };
    const std::vector<TStop> stops{
        {"Ctrl+F2",
         [&](TRunningApplication& app) {
           press(app, app.Editor->Memo(), Qt::Key_F2, Qt::ControlModifier);
         }},
        {"the Reset button",
         [](TRunningApplication& app) { app.Action("ActionReset")->trigger(); }},
        {"the options, cancelled",
         [&](TRunningApplication& app) {
           acceptOrCancelDialog(false);
           app.Action("ActionProjectOptions")->trigger();
         }},
        {"the options, accepted",
         [&](TRunningApplication& app) {
           acceptOrCancelDialog(true);
           app.Action("ActionProjectOptions")->trigger();
         }},
        {"manual control ticked and unticked",
         [](TRunningApplication& app) {
           app.Core.SetManualControl(true);
           app.Core.SetManualControl(false);
         }},
        {"Ctrl+F9 during the run",
         [&](TRunningApplication& app) {
           app.User.FileNames = {std::nullopt};
           press(app, app.Editor->Memo(), Qt::Key_F9, Qt::ControlModifier);
         }},
        {"loading a list",
         [](TRunningApplication& app) {
           // The list in use, saved and read back: another list's instruction
           // could lack the cycle the control unit stands at.
           const QTemporaryDir folder;
           const QString list = folder.filePath(QStringLiteral("dorum.lst"));
           app.User.FileNames = {list, list};
           app.Action("ActionSaveList")->trigger();
           QVERIFY(QFileInfo::exists(list));
           app.Action("ActionLoadList")->trigger();
           QVERIFY(app.User.FileNames.empty());
         }},
        {"closing the editor",
         [](TRunningApplication& app) {
           app.User.Answers = {QMessageBox::No};
           app.Main->FrameOf(app.Editor)->close();
           QTRY_VERIFY(app.Core.Control().ProgramEditor() == nullptr);
         }},
    };
    int level = 0;
    for (const TStop& stop : stops) {
      TRunningApplication app;
      // Every tracking level in turn.
      app.Core.Control().SetTrackingLevel(level++ % 3);
      app.Core.SetAnimationDelay(0);
      press(app, app.Editor->Memo(), Qt::Key_F9);
      QVERIFY2(app.Core.RunInProgress(), stop.What);
      const std::uint64_t slices = app.Core.SlicesPerformed();
      QVERIFY(QTest::qWaitFor([&] { return app.Core.SlicesPerformed() >= slices + 3; }));
      stop.Command(app);
      QVERIFY2(!app.Core.RunInProgress(), stop.What);
      QVERIFY2(!app.Core.Control().StopRequested(), stop.What);
      const std::uint64_t cycles = app.Core.Control().CyclesPerformed();
      press(app, app.Main.get(), Qt::Key_F7);
      QVERIFY2(app.User.Errors.isEmpty(),
               qPrintable(QString::fromUtf8(stop.What) + QStringLiteral(": ") +
                          app.User.Errors.join(u';')));
      QVERIFY2(app.Core.Control().CyclesPerformed() == cycles + 1, stop.What);
    }
    // "Przerwij" is the user's own request: the next "Takt" reports it, the
    // one after performs its cycle.
    TRunningApplication app;
    press(app, app.Editor->Memo(), Qt::Key_F9);
    QVERIFY(app.Core.RunInProgress());
    app.Action("ActionAbort")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    const std::uint64_t cycles = app.Core.Control().CyclesPerformed();
    press(app, app.Main.get(), Qt::Key_F7);
    QCOMPARE(app.User.Errors.size(), 1);
    QVERIFY(app.User.Errors.front().startsWith(
        QStringLiteral("Napotkano punkt zatrzymania trakcie wykonywania rozkazu")));
    QCOMPARE(app.Core.Control().CyclesPerformed(), cycles);
    press(app, app.Main.get(), Qt::Key_F7);
    QCOMPARE(app.Core.Control().CyclesPerformed(), cycles + 1);
  }

  // During a run the views see the machine where slices end: a counter
  // must be seen at many values, never locked to the loop's period.
  void theViewsSeeACounterChangeDuringARunAtEveryLevel() {
    const QStringList longer{QStringLiteral("start: DOD jeden"), QStringLiteral("       ŁAD suma"),
                             QStringLiteral("       POB suma"),  QStringLiteral("       SOB start"),
                             QStringLiteral("jeden: RST 1"),     QStringLiteral("suma:  RPA")};
    for (const QStringList* program : {&kLoop, &longer}) {
      for (const int level : {0, 1, 2}) {
        TRunningApplication app;
        app.Editor->Memo()->setText(program->join(u'\n'));
        app.User.FileNames = {std::nullopt};
        app.Editor->Compile();
        app.Core.Control().SetTrackingLevel(level);
        app.Core.SetAnimationDelay(0);
        std::set<std::int32_t> seen;
        int refreshes = 0;
        QObject::connect(&app.Core.Refresh(), &TViewRefresh::Refresh, &app.Core, [&] {
          ++refreshes;
          seen.insert(app.Core.Machine().Register(TRegisterId::AK).Value());
        });
        app.Main->UpdateActions();
        app.Action("ActionRunProject")->trigger();
        // At the highest level every cycle is shown: a pass takes eight.
        const int wanted = level == 2 ? 180 : 25;
        QVERIFY(QTest::qWaitFor([&] { return refreshes >= wanted; }, 60000));
        app.Action("ActionAbort")->trigger();
        QVERIFY(test::WaitForRunEnd(app.Core));
        QVERIFY2(seen.size() >= 10, qPrintable(QStringLiteral("level %1, %2 lines: %3 values")
                                                   .arg(level)
                                                   .arg(program->size())
                                                   .arg(seen.size())));
      }
    }
  }

  // The box of a stop condition numbers the cycle as the timing diagram
  // does (from the reset), and for a fetch names the instruction fetched.
  void theStopBoxNamesTheCycleAsTheTimingDiagramDoes() {
    TRunningApplication app;
    app.Core.Control().SetTrackingLevel(0);
    for (int k = 0; k < 5; ++k) app.Action("ActionRunCycle")->trigger();
    app.Action("ActionReset")->trigger();
    for (int k = 0; k < 3; ++k) app.Action("ActionRunCycle")->trigger();  // «dod»
    app.Core.Session().AddStopCondition("signal(il)");
    app.Main->UpdateActions();
    app.Action("ActionRunProject")->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY2(app.User.Errors.isEmpty(), qPrintable(app.User.Errors.join(u';')));
    const std::vector<TRecordedCycle> last = app.Core.History().LookBack(1);
    QCOMPARE(last.size(), std::size_t{1});
    QVERIFY(last.back().BeginsInstruction);
    QCOMPARE(last.back().Number, std::uint64_t{4});
    QCOMPARE(Q(last.back().Instruction), QStringLiteral("ład"));
    QCOMPARE(app.User.Informations.last(),
             QStringLiteral("Warunek zatrzymania: signal(il)\nWykonanie zatrzymano po takcie nr %1 "
                            "rozkazu %2 w wierszu %3 programu.")
                 .arg(last.back().Number)
                 .arg(Q(last.back().Instruction))
                 .arg(last.back().Line));
    QCOMPARE(last.back().Line, 2);
  }

  void stepsBackAndRunsAreRefusedWhileARunGoesOn() {
    TRunningApplication app;
    QVERIFY(app.StartRun());
    QVERIFY(!app.Core.App().Allows(TCommand::StepBackCycle));
    QVERIFY(!app.Core.StepBack(false));
    QVERIFY(!app.Core.Run(nullptr, [&] { return app.Core.Control().ExecuteCycle(); }));
    QVERIFY(!app.Core.StartRun(nullptr, [&] { app.Core.Control().StartInstruction(); }));
    QVERIFY(!app.Main->Action(QStringLiteral("ActionStepBackCycle"))->isEnabled());
    QVERIFY(app.Core.RunInProgress());
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY(app.Core.App().Allows(TCommand::StepBackCycle));
    QVERIFY(app.Main->Action(QStringLiteral("ActionStepBackCycle"))->isEnabled());
  }

  void aProgramWaitingForInputGoesOnWithWhatIsTyped() {
    TDesktop app;
    TAppCore& core = app.Core;
    const test::TDialogScript& user = app.User;
    TFormMain& main = *app.Main;
    QVERIFY(test::Succeeds(
        [&] { main.InstructionListWindow().LoadInstructionList(Examples("ombra/ombra.lst")); }));
    TFormCommandEditor* echo = main.OpenFile(Examples("ombra/echo.prg"));
    echo->Compile();
    main.Action(QStringLiteral("ActionViewConsole"))->trigger();
    core.Control().SetTrackingLevel(0);
    main.UpdateActions();
    main.Action(QStringLiteral("ActionRunProject"))->trigger();
    QTRY_VERIFY(core.App().Waiting());
    // Waiting costs nothing: no slice runs until the user types.
    const std::uint64_t slices = core.SlicesPerformed();
    QTest::qWait(50);
    QCOMPARE(core.SlicesPerformed(), slices);
    auto* input = main.Console().findChild<QLineEdit*>();
    QVERIFY(input != nullptr);
    QTest::keyClicks(input, QStringLiteral("ok"));
    QTRY_COMPARE(Q(core.Machine().Console().OutputText()), QStringLiteral("OK"));
    QTRY_VERIFY(core.App().Waiting());
    QTest::keyClicks(input, QStringLiteral("."));
    QVERIFY(test::WaitForRunEnd(core));
    QVERIFY(user.Errors.isEmpty());
    QCOMPARE(user.Informations.back(), QStringLiteral("Program został zakończony."));
    QCOMPARE(Q(core.Machine().Console().OutputText()), QStringLiteral("OK."));
  }

  void theEndOfAProgramIsNewsAndAFailureIsAnError() {
    TDesktop app;
    TAppCore& core = app.Core;
    const test::TDialogScript& user = app.User;
    TFormMain& main = *app.Main;
    TFormCommandEditor* editor = main.OpenFile(Examples("dorum/suma.prg"));
    editor->Compile();
    core.Control().SetTrackingLevel(0);
    main.Action(QStringLiteral("ActionRunProject"))->trigger();
    QVERIFY(test::WaitForRunEnd(core));
    QVERIFY(user.Errors.isEmpty());
    QCOMPARE(user.Informations.back(), QStringLiteral("Program został zakończony."));
    // Four instructions of two or three cycles and the stop's own cycle: as
    // many as the trace of dorum-cli has lines.
    QCOMPARE(core.Control().CyclesPerformed(), 11u);
    QVERIFY(main.MachineWindow().RunStatus()->text().contains(QStringLiteral("takty 11,")));
    // "Takt" repeats the stopping cycle, with the same news.
    main.Action(QStringLiteral("ActionRunCycle"))->trigger();
    QCOMPARE(user.Informations.back(), QStringLiteral("Program został zakończony."));
    QVERIFY(user.Errors.isEmpty());
    // The same words as an error of a cycle are an error.
    core.Machine().ResetMachine();
    QVERIFY(!core.Control().Finished());
    QVERIFY(
        core.Run(nullptr, []() -> TSliceEnd { throw EDorumError("Program został zakończony"); }));
    QCOMPARE(user.Errors, QStringList{QStringLiteral("Program został zakończony.")});
  }

  void abortingWithoutARunLeavesNothingPending() {
    TDesktop app;
    app.Action("ActionAbort")->trigger();
    QVERIFY(!app.Core.Control().StopRequested());
    app.Action("ActionRunCycle")->trigger();
    QVERIFY(app.User.Errors.isEmpty());
    QCOMPARE(app.Core.Control().CyclesPerformed(), 1u);
  }

  void abortingDuringTheTempoPauseEndsTheRunAtOnce() {
    TRunningApplication app;
    app.Core.SetAnimationDelay(kMaxTempo);
    app.Core.Control().SetTrackingLevel(2);
    app.Main->UpdateActions();
    app.Main->Action(QStringLiteral("ActionRunProject"))->trigger();
    QTRY_COMPARE(app.Core.Control().CyclesPerformed(), 1u);  // then a pause of 2 s
    const std::uint64_t slices = app.Core.SlicesPerformed();
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!app.Core.RunInProgress(), kMaxTempo / 2);
    QCOMPARE(app.Core.SlicesPerformed(), slices + 1);
    QCOMPARE(app.Core.Control().CyclesPerformed(), 1u);
  }

  // The cycle is on the screen for the whole pause, not from the run's
  // next periodic refresh: the slice that performed it shows it.
  void eachCycleIsShownBeforeTheTempoPause() {
    TRunningApplication app;
    app.Core.SetAnimationDelay(kMaxTempo);
    app.Core.Control().SetTrackingLevel(2);
    struct TSliceWatch final : QObject {
      const TAppCore& Core;
      std::uint64_t SlicesBefore = 0;
      explicit TSliceWatch(const TAppCore& core) : Core(core) {}
      bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Timer) SlicesBefore = Core.SlicesPerformed();
        return false;
      }
    } watch(app.Core);
    qApp->installEventFilter(&watch);
    bool shownBySlice = false;
    QObject::connect(&app.Core.Refresh(), &TViewRefresh::Refresh, &app.Core, [&] {
      if (app.Core.SlicesPerformed() != watch.SlicesBefore &&
          app.Core.Control().CyclesPerformed() == 1)
        shownBySlice = true;
    });
    app.Main->UpdateActions();
    app.Main->Action(QStringLiteral("ActionRunProject"))->trigger();
    QTRY_COMPARE(app.Core.Control().CyclesPerformed(), 1u);  // then a pause of 2 s
    qApp->removeEventFilter(&watch);
    QVERIFY(app.Core.RunInProgress());
    QVERIFY(shownBySlice);
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QTRY_VERIFY(!app.Core.RunInProgress());
  }

  // A value entered between two cycles wakes only a run waiting for input;
  // a run pausing for the tempo keeps its pause.
  void aValueEnteredDuringTheTempoPauseKeepsThePause() {
    TRunningApplication app;
    app.Core.SetAnimationDelay(kMaxTempo);
    app.Core.Control().SetTrackingLevel(2);
    app.Main->UpdateActions();
    app.Main->Action(QStringLiteral("ActionRunProject"))->trigger();
    QTRY_COMPARE(app.Core.Control().CyclesPerformed(), 1u);  // then a pause of 2 s
    const std::uint64_t slices = app.Core.SlicesPerformed();
    app.Core.Machine().EnterRegisterValue(TRegisterId::AK, "5");
    QTest::qWait(300);
    QVERIFY(app.Core.RunInProgress());
    QCOMPARE(app.Core.SlicesPerformed(), slices);
    QCOMPARE(app.Core.Control().CyclesPerformed(), 1u);
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QTRY_VERIFY(!app.Core.RunInProgress());
  }

  void theHighestLevelShowsEveryCycleAndEndsTheInstruction() {
    TRunningApplication app;
    app.Core.SetAnimationDelay(0);
    app.Core.Control().SetTrackingLevel(2);
    QSignalSpy refreshes(&app.Core.Refresh(), &TViewRefresh::Refresh);
    app.Main->UpdateActions();
    app.Main->Action(QStringLiteral("ActionRunInstruction"))->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    // «dod»: the fetch and two cycles, each shown, one slice each and the
    // check that ends the instruction.
    QCOMPARE(app.Core.Control().CyclesPerformed(), 3u);
    QVERIFY(refreshes.count() >= 3);
    QVERIFY(app.Core.Control().AtFetch());
    QCOMPARE(app.Editor->Document().CurrentLine(), 2);
  }
};

QTEST_MAIN(RunCommandsTest)
#include "RunCommandsTest.moc"
