// The timing-diagram window: its lanes, stepping back and forward by a
// click, following a run, and its exports.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include "AppCore.h"
#include "AppSettings.h"
#include "FormMain.h"
#include "FormTiming.h"
#include "GuiTestSupport.h"
#include "TimingDiagram.h"
#include "control/Vcd.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Session.h"

#include <cerrno>
#include <sstream>

using namespace dorum;
using namespace dorum::gui;

namespace {

const QStringList kSum = {QStringLiteral("pob x"),    QStringLiteral("dod y"),
                          QString::fromUtf8("ład z"), QStringLiteral("stp"),
                          QStringLiteral("x: rst 5"), QStringLiteral("y: rst 7"),
                          QStringLiteral("z: rpa")};

struct TCore {
  TAppCore Core;
  test::TDialogScript User;
  TProgramDocument Program;
  TCore() {
    User.Install(Core.Dialogs());
    Program.SetTexts(kSum);
    CompileProgram(Core.Assembler(), Core.Control(), Program);
  }
  void RunToEnd() {
    Core.Control().SetTrackingLevel(0);
    Core.Run(nullptr, [this] { Core.Control().ExecuteProgram(-1); });
  }
};

bool SameSample(const TCycleSample& a, const TCycleSample& b) {
  return a.Signals == b.Signals && a.Registers == b.Registers && a.Buses == b.Buses &&
         a.DrivenBuses == b.DrivenBuses;
}

// The lanes a diagram of the program must have, found by running it apart,
// cycle by cycle: every signal active in some cycle, then the buses.
QStringList ExpectedLanes(const QStringList& source) {
  TSession session;
  TProgramDocument program;
  program.SetTexts(source);
  CompileProgram(session.Assembler(), session.Control(), program);
  std::uint64_t active = 0;
  for (int n = 0; n < 1000 && !session.Control().Finished(); ++n) {
    try {
      session.Control().ExecuteCycle();
    } catch (const EDorumError&) {
    }
    active |= session.Machine().ActiveSignals();
  }
  QStringList lanes;
  for (int s = 0; s < kSignalCount; ++s) {
    if ((active >> s) & 1u) lanes.append(session.Machine().Signal(s).Caption());
  }
  for (int b = 0; b < kBusCount; ++b) {
    const TBus& bus = session.Machine().Bus(static_cast<TBusId>(b));
    if (bus.Visible()) lanes.append(bus.Caption());
  }
  return lanes;
}

// The dump a run of the program writes as it goes, as dorum-cli run --vcd
// writes it.
QByteArray DumpOfRun(const QStringList& source) {
  TSession session;
  TProgramDocument program;
  program.SetTexts(source);
  CompileProgram(session.Assembler(), session.Control(), program);
  std::ostringstream out;
  {
    TVcdRecorder recorder(session.Machine(), session.Control(), out);
    try {
      session.Control().ExecuteProgram(-1);
    } catch (const EDorumError&) {
    }
  }
  return QByteArray::fromStdString(out.str());
}

}  // namespace

class TimingWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void withoutCyclesItSaysHowToGetSome() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    QVERIFY(timing.Diagram().Cycles().empty());
    QVERIFY(timing.Diagram().EmptyText().contains(QStringLiteral("„Takt”")));
    QVERIFY(timing.Diagram().EmptyText().contains(QStringLiteral("„Wykonaj”")));
  }

  void lanesAreTheSignalsOfTheRunAndTheBuses() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    QVERIFY(c.Core.Control().Finished());
    QCOMPARE(timing.Diagram().Cycles().size(), c.Core.Control().CyclesPerformed());
    const QStringList lanes = timing.Diagram().LaneNames();
    QCOMPARE(lanes, ExpectedLanes(kSum));
    QVERIFY(lanes.contains(QStringLiteral("czyt")));
    QVERIFY(!lanes.contains(QStringLiteral("mno")));
    // A register picked gets a lane of its own, at the end.
    timing.ShowRegister(TRegisterId::AK, true);
    QCOMPARE(timing.Diagram().LaneNames().back(), QStringLiteral("AK"));
    timing.ShowRegister(TRegisterId::AK, false);
    QCOMPARE(timing.Diagram().LaneNames(), lanes);
  }

  void aClickStepsBackToTheCycleAndAnotherForwardAgain() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.resize(1400, 500);
    timing.show();
    c.RunToEnd();
    TTimingDiagram& diagram = timing.Diagram();
    const std::vector<TRecordedCycle> all = diagram.Cycles();
    QVERIFY(all.size() > 10);
    diagram.SetCellWidth(TTimingDiagram::kMinCellWidth);
    diagram.ScrollToCycle(0);

    QTest::mouseClick(diagram.viewport(), Qt::LeftButton, {}, diagram.CyclePoint(4));
    QCOMPARE(c.Core.Control().CyclesPerformed(), all[4].Number);
    QVERIFY(SameSample(TCycleSample::Of(c.Core.Machine()), all[4].Sample));
    // The cycles after it stay, faded.
    QCOMPARE(diagram.Cycles().size(), all.size());
    QCOMPARE(diagram.Current(), std::size_t{4});

    QTest::mouseClick(diagram.viewport(), Qt::LeftButton, {}, diagram.CyclePoint(9));
    QCOMPARE(c.Core.Control().CyclesPerformed(), all[9].Number);
    QVERIFY(SameSample(TCycleSample::Of(c.Core.Machine()), all[9].Sample));
    QCOMPARE(diagram.Current(), std::size_t{9});
    QCOMPARE(diagram.Cycles().size(), all.size());

    // What runs differently from what was kept drops the rest.
    QVERIFY(timing.GoToCycle(2));
    c.Core.Machine().EnterMemoryValue(5, QStringLiteral("1"));  // y := 1
    c.Core.Run(nullptr, [&] { c.Core.Control().ExecuteInstruction(); });
    c.Core.Run(nullptr, [&] { c.Core.Control().ExecuteInstruction(); });
    c.Core.Refresh().Flush();
    QCOMPARE(diagram.Cycles().size(), diagram.Current() + 1);
  }

  void clicksAreRefusedDuringARun() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    const std::uint64_t cycles = c.Core.Control().CyclesPerformed();
    bool refused = false;
    c.Core.Run(nullptr, [&] { refused = !timing.GoToCycle(0); });
    QVERIFY(refused);
    QCOMPARE(c.Core.Control().CyclesPerformed(), cycles);
  }

  void itFollowsARun() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.Core.Control().SetTrackingLevel(0);
    c.Core.StartRun(nullptr, [&] { c.Core.Control().StartProgram(-1); });
    QTRY_VERIFY(!c.Core.RunInProgress());
    QCOMPARE(timing.Diagram().Cycles().size(), c.Core.Control().CyclesPerformed());
    QCOMPARE(timing.Diagram().Cycles().back().Number, c.Core.Control().CyclesPerformed());
  }

  void exportsArePicturesAndADump() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    timing.ShowRegister(TRegisterId::AK, true);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("p.png"));
    const QString svg = dir.filePath(QStringLiteral("p.svg"));
    const QString vcd = dir.filePath(QStringLiteral("p.vcd"));
    timing.SavePicture(png);
    QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > image.height());
    timing.SavePicture(svg);
    QFile svgFile(svg);
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svgFile);
    int texts = 0;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QStringLiteral("text")) ++texts;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(texts > 10);

    c.User.FileNames.push_back(vcd);
    timing.SaveVcd(vcd);
    QFile dump(vcd);
    QVERIFY(dump.open(QIODevice::ReadOnly));
    const QByteArray text = dump.readAll();
    QVERIFY(text.contains("$var wire 1 "));
    QVERIFY(text.contains(" czyt $end"));
    QVERIFY(text.contains(" mag_S $end"));
    // The whole run was recorded: the dump is the one the run wrote itself.
    QCOMPARE(text, DumpOfRun(kSum));
    // What the system refuses is told why, and the files written stay.
    const QString nowhere = dir.filePath(QStringLiteral("nie/ma/p.vcd"));
    QCOMPARE(test::MessageOf([&] { timing.SaveVcd(nowhere); }),
             QStringLiteral("Nie można zapisać pliku %1: %2")
                 .arg(nowhere, test::SystemReason("nie ma takiego pliku ani folderu", ENOENT)));
    const QString underFile = dir.filePath(QStringLiteral("p.png/p.svg"));
    QCOMPARE(test::MessageOf([&] { timing.SavePicture(underFile); }),
             QStringLiteral("Nie można zapisać pliku %1: %2")
                 .arg(underFile, test::SystemReason("część ścieżki nie jest folderem", ENOTDIR)));
    QCOMPARE(test::MessageOf([&] { timing.SavePicture(dir.path()); }),
             QStringLiteral("Nie można zapisać pliku %1: %2")
                 .arg(dir.path(), test::SystemReason("w miejscu pliku jest folder", EISDIR)));
    QVERIFY(!QImage(png).isNull());
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("vcd2fst"));
    if (!converter.isEmpty()) {
      const QString fst = dir.filePath(QStringLiteral("p.fst"));
      QCOMPARE(QProcess::execute(converter, {vcd, fst}), 0);
      QVERIFY(QFileInfo(fst).size() > 0);
    }
  }

  void theDumpDialogRemembersItsFolder() {
    TCore c;
    QTemporaryDir dir;
    auto settings = std::make_shared<TAppSettings>(dir.filePath(QStringLiteral("s.ini")));
    RememberFolders(c.Core.Dialogs(), settings);
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("zrzuty")));
    const QString folder = dir.filePath(QStringLiteral("zrzuty"));
    QAction* save = nullptr;
    for (QAction* action : timing.findChild<QToolBar*>()->actions()) {
      if (action->text() == QStringLiteral("Zapisz jako VCD...")) save = action;
    }
    QVERIFY(save != nullptr);
    c.User.FileNames.push_back(folder + QStringLiteral("/run"));
    save->trigger();
    QVERIFY(QFile::exists(folder + QStringLiteral("/run.vcd")));
    QCOMPARE(settings->LastFolder(TFolderKind::Dump), folder);
    save->trigger();  // cancelled, but it started where the last one was left
    QCOMPARE(c.User.FileDialogStarts.back(), folder + QStringLiteral("/przebiegi.vcd"));
  }

  void keysScrollAndZoom() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.resize(400, 300);
    timing.show();
    c.RunToEnd();
    TTimingDiagram& diagram = timing.Diagram();
    QCOMPARE(diagram.focusPolicy(), Qt::StrongFocus);
    QCOMPARE(diagram.accessibleName(), QStringLiteral("Przebiegi czasowe"));
    QScrollBar* bar = diagram.horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());  // the newest cycles in sight
    QTest::keyClick(&diagram, Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(&diagram, Qt::Key_Right);
    QCOMPARE(diagram.FirstShown(), std::size_t{1});
    QTest::keyClick(&diagram, Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(&diagram, Qt::Key_Plus);
    QVERIFY(diagram.CellWidth() > TTimingDiagram::kDefaultCellWidth);
    QTest::keyClick(&diagram, Qt::Key_Minus);
    QTest::keyClick(&diagram, Qt::Key_Minus);
    QVERIFY(diagram.CellWidth() < TTimingDiagram::kDefaultCellWidth);
    QTest::keyClick(&diagram, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(diagram.CellWidth(), TTimingDiagram::kDefaultCellWidth);
  }

  void theMainWindowShowsItDockedOnCtrlF12() {
    test::TApplication app;
    QAction* action = app.Action("ActionViewTiming");
    QVERIFY(action != nullptr);
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F12));
    action->trigger();
    QVERIFY(app.Main->TimingWindow().isVisible());
    QVERIFY(app.FrameOf(&app.Main->TimingWindow()) != nullptr);
  }
};

QTEST_MAIN(TimingWindowTest)
#include "TimingWindowTest.moc"
