// Speed of the simulation core: clock cycles per second of a running
// program, with and without a view listening, and instruction compiles.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "EndlessLoop.h"
#include "PeakMemory.h"
#include "common/Error.h"
#include "control/CommentFilter.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/ListFile.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

namespace {

using namespace dorum;

constexpr std::uint64_t kCyclesPerRun = 1'000'000;

// A view that only counts what it is told, as a cheap window would.
struct TCountingObserver final : IMachineObserver {
  std::uint64_t Calls = 0;
  void MachineChanged() override { ++Calls; }
};

// A window as the application has it: the run goes in slices of a few
// milliseconds, and between them, about every 33 ms, the view collects the
// machine's changes and formats what it would repaint.
class TCollectingView {
 public:
  explicit TCollectingView(TMachine& machine) : machine_(machine) {}
  void BetweenSlices() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(33)) return;
    last_ = now;
    const TMachineChanges changes = machine_.TakeChanges();
    for (int r = 0; r < kRegisterCount; ++r) {
      if ((changes.Registers >> r) & 1u)
        benchmark::DoNotOptimize(machine_.RegisterText(static_cast<TRegisterId>(r)));
    }
    ++Collections;
  }
  std::uint64_t Collections = 0;

 private:
  TMachine& machine_;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// "Program" in slices as the application runs it, the view looking in
// between them; the limit's message ends it.
void RunInSlices(TController& control, TCollectingView& view) {
  try {
    control.StartProgram(-1);
    const TSliceBudget budget{.Time = std::chrono::milliseconds(20)};
    while (control.Running()) {
      (void)control.RunSlice(budget);
      view.BetweenSlices();
    }
  } catch (const EDorumError&) {
    // the cycle limit ends each run
  }
}

// The default machine with "0: dod 5; 1: sob 0", run as "Program" at the
// lowest tracking level, a million cycles per iteration.
void RunEndlessLoop(benchmark::State& state, IMachineObserver* observer,
                    bool collectingView = false, bool history = false) {
  TSession session(history);
  TMachine& machine = session.Machine();
  TController& control = session.Control();
  TCollectingView view(machine);
  bench::StoreEndlessLoop(machine);
  control.SetTrackingLevel(0);
  TSubscribers<IMachineObserver>::TSubscription watching;
  if (observer != nullptr) watching = machine.Subscribe(*observer);
  bench::MeasureRuns(state, control, kCyclesPerRun, [&] {
    if (collectingView) {
      RunInSlices(control, view);
    } else {
      bench::RunHeadless(control);
    }
  });
  benchmark::DoNotOptimize(machine.Register(TRegisterId::AK).Value());
}

void BM_EndlessLoopNoView(benchmark::State& state) {
  RunEndlessLoop(state, nullptr);
}
BENCHMARK(BM_EndlessLoopNoView)->Unit(benchmark::kMillisecond);

void BM_EndlessLoopCountingView(benchmark::State& state) {
  TCountingObserver observer;
  RunEndlessLoop(state, &observer);
  state.counters["notifications/cycle"] =
      static_cast<double>(observer.Calls) / static_cast<double>(state.iterations() * kCyclesPerRun);
}
BENCHMARK(BM_EndlessLoopCountingView)->Unit(benchmark::kMillisecond);

// Every cycle recorded for stepping back (the oldest dropped as the budget
// fills).
void BM_EndlessLoopWithHistory(benchmark::State& state) {
  RunEndlessLoop(state, nullptr, false, true);
}
BENCHMARK(BM_EndlessLoopWithHistory)->Unit(benchmark::kMillisecond);

// The history's memory over a long run: the loop assembled and bound (its
// current line followed), the history recording with its default budget,
// and the process's peak resident memory reported. Arguments: the machine
// (0 "Dorum" with the built-in instructions, 1 "Ombra" with its list, whose
// «sob» runs cycle by cycle), how the run goes (0 "Program" at level 0,
// 1 at level 1, 2 "Takt" after "Takt") and millions of cycles.
void BM_HistoryPeakMemory(benchmark::State& state) {
  const bench::TPeakMemory peak;
  const auto session = std::make_unique<TSession>(true);
  TController& control = session->Control();
  if (state.range(0) == 1) {
    LoadInstructionList(DORUM_EXAMPLES_DIR "/ombra/ombra.lst", session->Machine(), control);
  }
  TProgramDocument document;
  document.SetTexts({"start: DOD x", "SOB start", "x: RST 1"});
  CompileProgram(session->Assembler(), control, document);
  const int mode = static_cast<int>(state.range(1));
  const auto cycles = static_cast<std::uint64_t>(state.range(2)) * 1'000'000;
  control.SetTrackingLevel(mode);
  bench::MeasureRuns(state, control, cycles, [&] {
    if (mode == 2) {
      for (std::uint64_t k = 0; k < cycles; ++k) control.ExecuteCycle();
    } else {
      bench::RunHeadless(control);
    }
  });
  const TRunHistory& history = *session->History();
  state.counters["history_MiB"] = static_cast<double>(history.BytesUsed()) / (1024.0 * 1024.0);
  state.counters["kept_Mcycles"] = static_cast<double>(history.UndoableCycles()) / 1e6;
  peak.Report(state);
}
BENCHMARK(BM_HistoryPeakMemory)
    ->ArgNames({"machine", "mode", "Mcycles"})
    ->Args({0, 0, 600})
    ->Args({1, 1, 600})
    ->Args({1, 2, 200})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// One stop condition that never holds, checked after every cycle: the
// word the loop reads and never writes.
void BM_EndlessLoopStopWhenChanged(benchmark::State& state) {
  TSession session;
  bench::StoreEndlessLoop(session.Machine());
  session.Control().SetTrackingLevel(0);
  session.AddStopCondition("changed(mem[5])");
  bench::MeasureRuns(state, session.Control(), kCyclesPerRun,
                     [&] { bench::RunHeadless(session.Control()); });
  if (session.Control().HeldCondition() >= 0) state.SkipWithError("the condition held");
}
BENCHMARK(BM_EndlessLoopStopWhenChanged)->Unit(benchmark::kMillisecond);

void BM_EndlessLoopViewAt30Hz(benchmark::State& state) {
  RunEndlessLoop(state, nullptr, true);
}
BENCHMARK(BM_EndlessLoopViewAt30Hz)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A program as large as the largest memory: 65 536 words, 16 384 of them
// labelled, every instruction's operand a label.
TLines LargeProgram() {
  TLines lines;
  for (int k = 0; k < 16384; ++k) {
    lines.push_back("etykieta" + ToText(k) + ": dod etykieta" + ToText((k * 7919) % 16384));
    lines.push_back("  ode etykieta" + ToText((k * 31) % 16384));
    lines.push_back("  sob etykieta" + ToText(k));
    lines.push_back("  rst " + ToText(k));
  }
  return lines;
}

void BM_AssembleLargeProgram(benchmark::State& state) {
  TSession session;
  session.Machine().SetAddressBits(16);
  TProgramDocument document;
  document.SetTexts(LargeProgram());
  for (auto _ : state) session.Assembler().Assemble(document);
  state.counters["labels"] = static_cast<double>(session.Watches().Count());
}
BENCHMARK(BM_AssembleLargeProgram)->Unit(benchmark::kMillisecond);

void BM_ReadLongWord(benchmark::State& state) {
  const TLines lines{std::string(static_cast<std::size_t>(state.range(0)), 'A')};
  for (auto _ : state) {
    TCommentFilter reader(lines);
    benchmark::DoNotOptimize(reader.NextToken());
  }
  state.SetComplexityN(state.range(0));
  state.counters["ns/char"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadLongWord)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

void BM_CompileBuiltInInstructions(benchmark::State& state) {
  for (auto _ : state) {
    TInstructionList list;
    list.BuildDefaultInstructions(3);
    benchmark::DoNotOptimize(list.Count());
  }
  state.counters["sets/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompileBuiltInInstructions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
