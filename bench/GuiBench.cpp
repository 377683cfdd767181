// Speed of "Program" with the whole application attached: every window
// created and shown, the views refreshed from their clock, against the same
// run headless. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include <QDir>

#include "AppCore.h"
#include "EndlessLoop.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormMain.h"
#include "FormTiming.h"
#include "PeakMemory.h"
#include "common/Error.h"
#include "control/History.h"

namespace {

using namespace dorum;
using namespace dorum::gui;

// The second argument: millions of cycles a run. A short run pays for
// the repaint at its start and end; a long one shows what the windows
// cost while it goes.
[[nodiscard]] std::uint64_t CyclesPerRun(const benchmark::State& state) {
  return static_cast<std::uint64_t>(state.range(1)) * 1'000'000;
}

// "Program" as the menu starts it, advanced by the event loop until the
// cycle limit ends it, `cycles` cycles an iteration.
void RunProgramFromMenu(benchmark::State& state, TAppCore& core, TFormMain& main,
                        std::uint64_t cycles) {
  bench::MeasureRuns(state, core.Control(), cycles, [&] {
    QEventLoop wait;
    const QMetaObject::Connection ended =
        QObject::connect(&core, &TAppCore::RunStateChanged, &wait, [&](bool running) {
          if (!running) wait.quit();
        });
    main.Action(QStringLiteral("ActionRunProject"))->trigger();
    if (core.RunInProgress()) wait.exec();
    QObject::disconnect(ended);
  });
}

void BM_ProgramHeadless(benchmark::State& state) {
  // On the heap, as the application's is (the stack's placement of the
  // machine's state can cost a quarter of the speed).
  const auto session = std::make_unique<TSession>();
  TController& control = session->Control();
  bench::StoreEndlessLoop(session->Machine());
  control.SetTrackingLevel(static_cast<int>(state.range(0)));
  bench::MeasureRuns(state, control, CyclesPerRun(state), [&] { bench::RunHeadless(control); });
}
BENCHMARK(BM_ProgramHeadless)->ArgsProduct({{0, 1}, {2, 20}})->Unit(benchmark::kMillisecond);

void RunWithWindows(benchmark::State& state, bool timingInFront) {
  const auto owner = std::make_unique<TAppCore>();
  TAppCore& core = *owner;
  core.Dialogs().ShowError = [](QWidget*, const QString&) {};  // the limit's message
  TFormMain main(core);
  main.show();
  main.ArrangeWindows();
  // The other tool windows open too, as a student would have them (the
  // timing diagram as a tab behind the machine window: it reads the
  // history only while it shows).
  for (const char* view :
       {"ActionViewConsole", "ActionInstructions", "ActionViewWatches", "ActionViewTiming"})
    main.Action(QString::fromLatin1(view))->trigger();
  // A program editor bound to the control unit, its current line following
  // the run.
  core.Dialogs().ShowInformation = [](QWidget*, const QString&) {};
  TFormCommandEditor* editor = main.OpenFile(
      QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QStringLiteral("dorum/suma.prg")));
  editor->Compile();
  main.Action(QStringLiteral("ActionViewCPU"))->trigger();
  if (timingInFront) main.Container().ActivateTab(main.FrameOf(&main.TimingWindow()));
  QCoreApplication::processEvents();
  bench::StoreEndlessLoop(core.Machine());
  core.Control().SetTrackingLevel(static_cast<int>(state.range(0)));
  main.UpdateActions();
  RunProgramFromMenu(state, core, main, CyclesPerRun(state));
}
void BM_ProgramWithWindows(benchmark::State& state) {
  RunWithWindows(state, false);
}
void BM_ProgramTimingInFront(benchmark::State& state) {
  RunWithWindows(state, true);
}
BENCHMARK(BM_ProgramTimingInFront)->ArgsProduct({{0, 1}, {2, 20}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramWithWindows)->ArgsProduct({{0, 1}, {2, 20}})->Unit(benchmark::kMillisecond);

// The history's memory in the application: the "Ombra" list, whose «sob»
// runs cycle by cycle between whole «dod», the loop assembled in its editor,
// "Program" at tracking level 1 (as the testers ran it) for the argument's
// millions of cycles. Reports the process's peak resident memory.
void BM_HistoryPeakMemoryWithWindows(benchmark::State& state) {
  const bench::TPeakMemory peak;
  QTemporaryDir folder;
  const QString program = folder.filePath(QStringLiteral("petla.prg"));
  QFile file(program);
  if (!file.open(QIODevice::WriteOnly) || file.write("start: DOD x\nSOB start\nx: RST 1\n") < 0) {
    state.SkipWithError("no program file");
    return;
  }
  file.close();
  const auto owner = std::make_unique<TAppCore>();
  TAppCore& core = *owner;
  core.Dialogs().ShowError = [](QWidget*, const QString&) {};
  core.Dialogs().ShowInformation = [](QWidget*, const QString&) {};
  TFormMain main(core);
  main.show();
  main.ArrangeWindows();
  TFormCommandEditor* editor = main.OpenExample(
      QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QStringLiteral("ombra/ombra.lst")),
      program);
  editor->Compile();
  main.Action(QStringLiteral("ActionViewCPU"))->trigger();
  QCoreApplication::processEvents();
  core.Control().SetTrackingLevel(1);
  main.UpdateActions();
  RunProgramFromMenu(state, core, main, static_cast<std::uint64_t>(state.range(0)) * 1'000'000);
  const TRunHistory& history = core.History();
  state.counters["history_MiB"] = static_cast<double>(history.BytesUsed()) / (1024.0 * 1024.0);
  state.counters["kept_Mcycles"] = static_cast<double>(history.UndoableCycles()) / 1e6;
  peak.Report(state);
}
BENCHMARK(BM_HistoryPeakMemoryWithWindows)
    ->ArgName("Mcycles")
    ->Arg(600)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
