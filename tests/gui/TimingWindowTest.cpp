// The timing-diagram window: its lanes, stepping back and forward by a
// click, following a run, and its exports.
#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include "AppCore.h"
#include "AppSettings.h"
#include "CoreText.h"
#include "FormMain.h"
#include "FormTiming.h"
#include "GuiTestSupport.h"
#include "TimingDiagram.h"
#include "control/Vcd.h"
#include "machine/MachineConfig.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

#include <cerrno>
#include <sstream>

using namespace dorum;
using namespace dorum::gui;

namespace {

const TLines kSum = {"pob x", "dod y", "ład z", "stp", "x: rst 5", "y: rst 7", "z: rpa"};

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
    Core.Run(nullptr, [this] { return Core.Control().ExecuteProgram(-1); });
  }
};

bool SameSample(const TCycleSample& a, const TCycleSample& b) {
  return a.Signals == b.Signals && a.Registers == b.Registers && a.Buses == b.Buses &&
         a.DrivenBuses == b.DrivenBuses;
}

// The lanes a diagram of the program must have, found by running it apart,
// cycle by cycle: every signal active in some cycle, then the buses.
QStringList ExpectedLanes(const TLines& source) {
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
    if ((active >> s) & 1u) lanes.append(Q(session.Machine().Signal(s).Caption()));
  }
  for (int b = 0; b < kBusCount; ++b) {
    const TBus& bus = session.Machine().Bus(static_cast<TBusId>(b));
    if (bus.Visible()) lanes.append(Q(bus.Caption()));
  }
  return lanes;
}

// The dump a run of the program writes as it goes, as dorum-cli run --vcd
// writes it.
QByteArray DumpOfRun(const TLines& source) {
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

// The window's own export buttons, by their captions.
QAction* ExportAction(TFormTiming& timing, const QString& caption) {
  for (QAction* action : timing.findChild<QToolBar*>()->actions()) {
    if (action->text() == caption) return action;
  }
  return nullptr;
}

const QStringList kExports = {QStringLiteral("Zapisz jako PNG..."),
                              QStringLiteral("Zapisz jako SVG..."),
                              QStringLiteral("Zapisz jako VCD...")};

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
    c.Core.Machine().EnterMemoryValue(5, "1");  // y := 1
    c.Core.Run(nullptr, [&] { return c.Core.Control().ExecuteInstruction(); });
    c.Core.Run(nullptr, [&] { return c.Core.Control().ExecuteInstruction(); });
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
    c.Core.Run(nullptr, [&] {
      refused = !timing.GoToCycle(0);
      return TSliceEnd::Finished;
    });
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

  void exportsWaitForRecordedCycles() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    for (const QString& caption : kExports) {
      QAction* action = ExportAction(timing, caption);
      QVERIFY2(action != nullptr, qPrintable(caption));
      QVERIFY2(!action->isEnabled(), qPrintable(caption));
    }
    // Called all the same, they refuse with a message and write nothing.
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("p.png"), QStringLiteral("p.svg")}) {
      const QString file = dir.filePath(name);
      QVERIFY_THROWS_EXCEPTION(EDorumError, timing.SavePicture(file));
      QVERIFY2(!QFile::exists(file), qPrintable(name));
    }
    const QString vcd = dir.filePath(QStringLiteral("p.vcd"));
    QVERIFY_THROWS_EXCEPTION(EDorumError, timing.SaveVcd(vcd));
    QVERIFY(!QFile::exists(vcd));

    c.RunToEnd();
    for (const QString& caption : kExports) QVERIFY(ExportAction(timing, caption)->isEnabled());
    // A new history has nothing to save again.
    c.Core.Machine().ResetMachine();
    c.Core.Refresh().Flush();
    QVERIFY(timing.Diagram().Cycles().empty());
    for (const QString& caption : kExports) QVERIFY(!ExportAction(timing, caption)->isEnabled());
  }

  void theExportsAskForANameAndAddTheirSuffixOnlyWhenItIsMissing() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    QTemporaryDir dir;
    // What the user types, and the file that is written.
    const struct {
      const char* Caption;
      const char* Typed;
      const char* Written;
    } exports[] = {
        {"Zapisz jako PNG...", "a", "a.png"}, {"Zapisz jako PNG...", "b.PNG", "b.PNG"},
        {"Zapisz jako SVG...", "c", "c.svg"}, {"Zapisz jako SVG...", "d.Svg", "d.Svg"},
        {"Zapisz jako VCD...", "e", "e.vcd"}, {"Zapisz jako VCD...", "f.VCD", "f.VCD"},
    };
    for (const auto& e : exports) {
      c.User.FileNames = {dir.filePath(QString::fromLatin1(e.Typed))};
      ExportAction(timing, QString::fromLatin1(e.Caption))->trigger();
      QVERIFY2(QFileInfo(dir.filePath(QString::fromLatin1(e.Written))).size() > 0, e.Written);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 6);
    // Cancelled, nothing is written.
    c.User.FileNames.clear();
    ExportAction(timing, QStringLiteral("Zapisz jako VCD..."))->trigger();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 6);
    QVERIFY(c.User.Errors.isEmpty());
  }

  void theRegisterMenuOffersTheRegistersTheMachineShows() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    const auto offered = [&] {
      QStringList captions;
      const std::unique_ptr<QMenu> menu = timing.RegisterMenu();
      for (const QAction* action : menu->actions()) {
        if (!action->isCheckable()) return QStringList{QStringLiteral("not checkable")};
        captions.append(action->text() + (action->isChecked() ? QStringLiteral("*") : QString()));
      }
      return captions;
    };
    QStringList basic = offered();
    QVERIFY(!basic.contains(QStringLiteral("X")));
    QVERIFY(!basic.contains(QStringLiteral("Y")));
    QVERIFY(basic.contains(QStringLiteral("AK")));
    timing.ShowRegister(TRegisterId::AK, true);
    QVERIFY(offered().contains(QStringLiteral("AK*")));
    c.Core.Machine().SetComponents(*PresetComponents("Ombra"));
    const QStringList ombra = offered();
    QVERIFY(ombra.contains(QStringLiteral("X")));
    QVERIFY(ombra.contains(QStringLiteral("Y")));
    QVERIFY(ombra.size() > basic.size());
  }

  void aClickOnTheCurrentCycleOrPastTheLastChangesNothing() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    const std::size_t count = timing.Diagram().Cycles().size();
    const std::uint64_t cycles = c.Core.Control().CyclesPerformed();
    QVERIFY(timing.GoToCycle(timing.Diagram().Current()));  // already there
    QVERIFY(!timing.GoToCycle(count));
    QCOMPARE(c.Core.Control().CyclesPerformed(), cycles);
    QCOMPARE(timing.Diagram().Current(), count - 1);
  }

  void theDumpHoldsTheFadedCyclesAsThePicturesDo() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.resize(1400, 500);
    timing.show();
    c.RunToEnd();
    const std::size_t all = timing.Diagram().Cycles().size();
    QVERIFY(timing.GoToCycle(4));
    QCOMPARE(timing.Diagram().Cycles().size(), all);
    QCOMPARE(timing.Diagram().ShownCount(), all);  // the picture shows the faded ones
    QTemporaryDir dir;
    const QString vcd = dir.filePath(QStringLiteral("p.vcd"));
    timing.SaveVcd(vcd);
    // Every cycle the window holds, up to the last faded one, as the whole
    // run wrote them.
    QCOMPARE(test::FileBytes(vcd), DumpOfRun(kSum));
  }

  void registerLanesFollowTheMachinesOrderNotTheOrderPicked() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.show();
    c.RunToEnd();
    const QStringList signalsAndBuses = timing.Diagram().LaneNames();
    // Picked as a student might: the address first, the accumulator last.
    const std::vector<TRegisterId> picked = {TRegisterId::L, TRegisterId::I, TRegisterId::AK,
                                             TRegisterId::A};
    QVERIFY(!std::ranges::is_sorted(picked));
    const std::unique_ptr<QMenu> menu = timing.RegisterMenu();
    for (const TRegisterId id : picked) {
      const QString caption = Q(c.Core.Machine().Register(id).Caption());
      for (QAction* action : menu->actions()) {
        if (action->text() == caption) action->trigger();
      }
    }
    QStringList expected = signalsAndBuses;
    for (int r = 0; r < kRegisterCount; ++r) {
      const auto id = static_cast<TRegisterId>(r);
      if (std::ranges::find(picked, id) != picked.end())
        expected.append(Q(c.Core.Machine().Register(id).Caption()));
    }
    QCOMPARE(timing.Diagram().LaneNames(), expected);
    // Taken away and picked again, a lane goes back to its place.
    timing.ShowRegister(TRegisterId::I, false);
    timing.ShowRegister(TRegisterId::I, true);
    QCOMPARE(timing.Diagram().LaneNames(), expected);
  }

  void aScreenReaderHearsTheCyclesTheLanesAndTheCurrentOne() {
    TCore c;
    TFormTiming timing(c.Core);
    timing.resize(1400, 500);
    timing.show();
    TTimingDiagram& diagram = timing.Diagram();
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&diagram);
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->text(QAccessible::Name), QStringLiteral("Przebiegi czasowe"));
    QVERIFY(shown->text(QAccessible::Description).contains(QStringLiteral("Nie zapisano")));

    c.RunToEnd();
    timing.ShowRegister(TRegisterId::AK, true);
    const auto said = [&] { return shown->text(QAccessible::Description); };
    const std::vector<TRecordedCycle>& cycles = diagram.Cycles();
    const QString last = QString::number(cycles.back().Number);
    QVERIFY2(said().contains(QStringLiteral("takty 1–") + last), qPrintable(said()));
    QVERIFY2(said().contains(QStringLiteral("bieżący takt ") + last), qPrintable(said()));
    for (const QString& lane : diagram.LaneNames())
      QVERIFY2(said().contains(lane), qPrintable(lane));
    // What the current cycle left: the signals active in it, the values.
    QVERIFY2(said().contains(QStringLiteral("stop")), qPrintable(said()));
    QVERIFY2(said().contains(QStringLiteral("AK = 12")), qPrintable(said()));

    QVERIFY(timing.GoToCycle(3));
    QVERIFY2(said().contains(QStringLiteral("bieżący takt 4")), qPrintable(said()));
    QVERIFY2(said().contains(QStringLiteral("AK = 5")), qPrintable(said()));
    // A narrower view says which cycles it shows.
    diagram.SetCellWidth(TTimingDiagram::kMaxCellWidth);
    QTest::keyClick(&diagram, Qt::Key_Home);
    const QString to = QString::number(cycles[diagram.ShownCount() - 1].Number);
    QVERIFY2(said().contains(QStringLiteral("takty 1–") + to), qPrintable(said()));
  }

  void rulerNumbersAreSpacedByTheirWidthAndNeverClipped() {
    TCore c;
    TTimingDiagram diagram(c.Core.Machine());
    diagram.resize(700, 300);
    diagram.show();
    QFont boldFont = diagram.font();
    boldFont.setBold(true);
    const QFontMetrics normal(diagram.font());
    const QFontMetrics bold(boldFont);
    const std::size_t current = 150;
    // Numbers of one, nine and ten digits.
    for (const std::uint64_t start : {1ull, 123'456'700ull, 4'294'967'200ull}) {
      std::vector<TRecordedCycle> cycles(300);
      for (std::size_t k = 0; k < cycles.size(); ++k) cycles[k].Number = start + k;
      diagram.SetCycles(cycles, current);
      for (const int width :
           {TTimingDiagram::kMinCellWidth, 20, 33, 45, TTimingDiagram::kDefaultCellWidth, 90}) {
        diagram.SetCellWidth(width);
        for (const std::size_t first : {std::size_t{0}, current - 3, cycles.size() - 1}) {
          diagram.horizontalScrollBar()->setValue(static_cast<int>(first));
          const QString where = QStringLiteral("from %1, cell %2, first %3")
                                    .arg(start)
                                    .arg(width)
                                    .arg(diagram.FirstShown());
          const std::vector<TTimingDiagram::TRulerLabel> labels = diagram.RulerLabels();
          QVERIFY2(!labels.empty(), qPrintable(where));
          // Left of the first cycle are the lanes' names.
          int before = diagram.CycleLeft(diagram.FirstShown()) - 1;
          bool currentShown = false;
          for (const TTimingDiagram::TRulerLabel& label : labels) {
            QCOMPARE(label.Text, QString::number(cycles[label.Index].Number));
            const int textWidth = (label.Current ? bold : normal).horizontalAdvance(label.Text);
            const int left = label.Rect.left() + (label.Rect.width() - textWidth) / 2;
            const int right = left + textWidth;
            QVERIFY2(left > before, qPrintable(where + QStringLiteral(": ") + label.Text));
            QVERIFY2(right <= diagram.viewport()->width(), qPrintable(where));
            // Written over its own cycle's column, if not centred on it.
            const int column = diagram.CycleLeft(label.Index);
            QVERIFY2(left < column + width && right > column, qPrintable(where));
            before = right;
            currentShown = currentShown || (label.Current && label.Index == current);
          }
          const bool currentInView = current >= diagram.FirstShown() &&
                                     current < diagram.FirstShown() + diagram.ShownCount();
          QCOMPARE(currentShown, currentInView);
          // Short numbers at the usual scale: every cycle has its number.
          if (start == 1 && width == TTimingDiagram::kDefaultCellWidth)
            QCOMPARE(labels.size(), diagram.ShownCount());
        }
      }
    }
  }

  void valuesStayOffTheInstructionLinesAndAreWholeWhereTheyFit() {
    TCore c;
    TTimingDiagram diagram(c.Core.Machine());
    diagram.resize(900, 400);
    diagram.show();
    diagram.SetRegisters({TRegisterId::AK, TRegisterId::I});
    // Instructions of two cycles: AK keeps its value all along, I takes a
    // new one at each fetch, mag S a new one in every cycle.
    std::vector<TRecordedCycle> cycles(24);
    for (std::size_t k = 0; k < cycles.size(); ++k) {
      TRecordedCycle& cycle = cycles[k];
      cycle.Number = k + 1;
      cycle.BeginsInstruction = k % 2 == 0;
      cycle.Instruction = "dod";
      cycle.Sample.Registers[static_cast<std::size_t>(TRegisterId::AK)] = 7;
      cycle.Sample.Registers[static_cast<std::size_t>(TRegisterId::I)] = (k / 2) % 2 ? 69 : 37;
      cycle.Sample.DrivenBuses = 1u << static_cast<int>(TBusId::S);
      cycle.Sample.Buses[static_cast<std::size_t>(TBusId::S)] = static_cast<std::uint32_t>(k * 11);
    }
    diagram.SetCycles(cycles, cycles.size() - 1);
    const QStringList lanes = diagram.LaneNames();
    const QFontMetrics metrics(diagram.font());
    // How many cycles a value of the lane lasts.
    const std::vector<std::pair<QString, std::size_t>> lasting = {
        {QStringLiteral("AK"), cycles.size()},
        {QStringLiteral("I"), 2},
        {QStringLiteral("mag S"), 1}};
    for (int width = TTimingDiagram::kMinCellWidth; width <= 120; width += 7) {
      diagram.SetCellWidth(width);
      diagram.horizontalScrollBar()->setValue(0);
      std::vector<int> lines;
      for (std::size_t k = 0; k < diagram.ShownCount(); ++k) {
        if (cycles[k].BeginsInstruction) lines.push_back(diagram.CycleLeft(k));
      }
      for (const auto& [name, cycleCount] : lasting) {
        const auto lane = static_cast<std::size_t>(lanes.indexOf(name));
        for (const TTimingDiagram::TValueLabel& label : diagram.ValueLabels(lane)) {
          // The part in view of the box the value is written in.
          const auto under =
              static_cast<std::size_t>((label.Rect.center().x() - diagram.CycleLeft(0)) / width);
          const std::size_t from = under - under % cycleCount;
          const int box =
              static_cast<int>(std::min(from + cycleCount, diagram.ShownCount()) - from) * width;
          const QString where =
              QStringLiteral("%1 at cell %2: %3").arg(name).arg(width).arg(label.Text);
          const int textWidth = metrics.horizontalAdvance(label.Text);
          const int left = label.Rect.left() + (label.Rect.width() - textWidth) / 2;
          for (const int x : lines)
            QVERIFY2(x < left - 1 || x > left + textWidth + 1, qPrintable(where));
          if (box >= metrics.horizontalAdvance(label.Whole) + 12)
            QVERIFY2(label.Text == label.Whole, qPrintable(where));
        }
      }
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
    test::TDesktop app;
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
