#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

#include "control/ControlUnit.h"

namespace dorum::bench {

// The loop every speed benchmark runs: "0: dod 5; 1: sob 0" on the default
// machine.
inline void StoreEndlessLoop(TMachine& machine) {
  machine.Memory().Store(0, 1 * 32 + 5);  // dod 5
  machine.Memory().Store(1, 5 * 32 + 0);  // sob 0
  machine.Memory().Store(5, 1);
}

// Runs "Program" for `cycles` clock cycles per iteration (`run` performs it,
// the cycle limit ends it) and reports the cycles per second.
inline void MeasureRuns(benchmark::State& state, TController& control, std::uint64_t cycles,
                        const std::function<void()>& run) {
  std::uint64_t performed = 0;
  for (auto _ : state) {
    const std::uint64_t before = control.CyclesPerformed();
    control.LimitCycles(cycles);
    run();
    performed += control.CyclesPerformed() - before;
  }
  state.counters["cycles/s"] =
      benchmark::Counter(static_cast<double>(performed), benchmark::Counter::kIsRate);
}

// "Program" run headless: the limit's message ends it.
inline void RunHeadless(TController& control) {
  try {
    control.ExecuteProgram(-1);
  } catch (const EDorumError&) {
    // the cycle limit ends each run
  }
}

}  // namespace dorum::bench
