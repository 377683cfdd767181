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
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "AppCore.h"
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

using test::TApplication;

// The application with the loop compiled in a program editor (so that the
// editor is bound), running as "Program" at the lowest tracking level.
struct TRunningApplication : TApplication {
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
    document.SetTexts(kLoop);
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

  void stepsBackAndRunsAreRefusedWhileARunGoesOn() {
    TRunningApplication app;
    QVERIFY(app.StartRun());
    QVERIFY(!app.Core.Allows(TCommand::StepBack));
    QVERIFY(!app.Core.StepBack(false));
    QVERIFY(!app.Core.Run(nullptr, [&] { app.Core.Control().ExecuteCycle(); }));
    QVERIFY(!app.Core.StartRun(nullptr, [&] { app.Core.Control().StartInstruction(); }));
    QVERIFY(!app.Main->Action(QStringLiteral("ActionStepBackCycle"))->isEnabled());
    QVERIFY(app.Core.RunInProgress());
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QVERIFY(test::WaitForRunEnd(app.Core));
    QVERIFY(app.Core.Allows(TCommand::StepBack));
    QVERIFY(app.Main->Action(QStringLiteral("ActionStepBackCycle"))->isEnabled());
  }

  void aProgramWaitingForInputGoesOnWithWhatIsTyped() {
    TApplication app;
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
    QTRY_VERIFY(core.RunWaitsForInput());
    // Waiting costs nothing: no slice runs until the user types.
    const std::uint64_t slices = core.SlicesPerformed();
    QTest::qWait(50);
    QCOMPARE(core.SlicesPerformed(), slices);
    auto* input = main.Console().findChild<QLineEdit*>();
    QVERIFY(input != nullptr);
    QTest::keyClicks(input, QStringLiteral("ok"));
    QTRY_COMPARE(core.Machine().Console().OutputText(), QStringLiteral("OK"));
    QTRY_VERIFY(core.RunWaitsForInput());
    QTest::keyClicks(input, QStringLiteral("."));
    QVERIFY(test::WaitForRunEnd(core));
    QVERIFY(user.Errors.isEmpty());
    QCOMPARE(user.Informations.back(), QStringLiteral("Program został zakończony."));
    QCOMPARE(core.Machine().Console().OutputText(), QStringLiteral("OK."));
  }

  void theEndOfAProgramIsNewsAndAFailureIsAnError() {
    TApplication app;
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
    // The same words while no program has stopped are an error.
    core.Machine().ResetMachine();
    QVERIFY(!core.Control().Finished());
    QVERIFY(
        core.Run(nullptr, [] { throw EDorumError(QStringLiteral("Program został zakończony")); }));
    QCOMPARE(user.Errors, QStringList{QStringLiteral("Program został zakończony.")});
  }

  void abortingWithoutARunLeavesNothingPending() {
    TApplication app;
    app.Action("ActionAbort")->trigger();
    QVERIFY(!app.Core.Control().StopRequested());
    app.Action("ActionRunCycle")->trigger();
    QVERIFY(app.User.Errors.isEmpty());
    QCOMPARE(app.Core.Control().CyclesPerformed(), 1u);
  }

  void abortingDuringTheTempoPauseEndsTheRunAtOnce() {
    TRunningApplication app;
    app.Core.SetAnimationDelay(TAppCore::kMaxAnimationDelay);
    app.Core.Control().SetTrackingLevel(2);
    app.Main->UpdateActions();
    app.Main->Action(QStringLiteral("ActionRunProject"))->trigger();
    QTRY_COMPARE(app.Core.Control().CyclesPerformed(), 1u);  // then a pause of 2 s
    const std::uint64_t slices = app.Core.SlicesPerformed();
    app.Main->Action(QStringLiteral("ActionAbort"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!app.Core.RunInProgress(), TAppCore::kMaxAnimationDelay / 2);
    QCOMPARE(app.Core.SlicesPerformed(), slices + 1);
    QCOMPARE(app.Core.Control().CyclesPerformed(), 1u);
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
