// Speed of the simulation core: clock cycles per second of a running
// program, with and without a view listening, and instruction compiles.
#include <benchmark/benchmark.h>

#include "common/Error.h"
#include "control/ControlUnit.h"

namespace {

using namespace dorum;

constexpr std::uint64_t kCyclesPerRun = 1'000'000;

// A view that only counts what it is told, as a cheap window would.
struct TCountingObserver final : IMachineObserver {
  std::uint64_t Calls = 0;
  void MachineChanged() override { ++Calls; }
};

// The default machine with "0: dod 5; 1: sob 0", run as "Program" at the
// lowest tracking level, a million cycles per iteration.
void RunEndlessLoop(benchmark::State& state, IMachineObserver* observer) {
  TMachine machine;
  TController control(machine);
  control.BuildDefaultInstructions();
  machine.Memory().Store(0, 1 * 32 + 5);  // dod 5
  machine.Memory().Store(1, 5 * 32 + 0);  // sob 0
  machine.Memory().Store(5, 1);
  control.SetTrackingLevel(0);
  machine.SetObserver(observer);
  std::uint64_t cycles = 0;
  for (auto _ : state) {
    const std::uint64_t before = control.CyclesPerformed();
    control.LimitCycles(kCyclesPerRun);
    try {
      control.ExecuteProgram(-1);
    } catch (const EDorumError&) {
      // the cycle limit ends each run
    }
    cycles += control.CyclesPerformed() - before;
  }
  state.counters["cycles/s"] =
      benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
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
