// Speed of "Program" with the whole application attached: every window
// created and shown, the views refreshed from their clock, against the same
// run headless. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <memory>

#include <QDir>

#include "AppCore.h"
#include "EndlessLoop.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormMain.h"
#include "FormTiming.h"
#include "common/Error.h"

namespace {

using namespace dorum;
using namespace dorum::gui;

// The second argument: millions of cycles a run. A short run pays for
// the repaint at its start and end; a long one shows what the windows
// cost while it goes.
[[nodiscard]] std::uint64_t CyclesPerRun(const benchmark::State& state) {
  return static_cast<std::uint64_t>(state.range(1)) * 1'000'000;
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
  // "Program" as the menu starts it, advanced by the event loop until the
  // cycle limit ends it.
  bench::MeasureRuns(state, core.Control(), CyclesPerRun(state), [&] {
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
void BM_ProgramWithWindows(benchmark::State& state) {
  RunWithWindows(state, false);
}
void BM_ProgramTimingInFront(benchmark::State& state) {
  RunWithWindows(state, true);
}
BENCHMARK(BM_ProgramTimingInFront)->ArgsProduct({{0, 1}, {2, 20}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramWithWindows)->ArgsProduct({{0, 1}, {2, 20}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
