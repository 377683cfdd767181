// Cycles per second of the core alone on the yardstick loop, with the
// program and the tracking level of `dorum-cli run`. It needs nothing but
// the core, so the same source measures the native build and the
// WebAssembly one (tools/wasm.sh --speed) side by side.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "control/ControlUnit.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

int main(int argc, char** argv) {
  using namespace dorum;
  const std::uint64_t cycles = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 50'000'000;
  TSession session;
  TProgramDocument document;
  document.SetTexts({"start: DOD jeden", "       SOB start", "jeden: RST 1"});
  CompileProgram(session.Assembler(), session.Control(), document);
  TController& control = session.Control();
  control.SetTrackingLevel(0);
  control.LimitCycles(cycles);
  const auto start = std::chrono::steady_clock::now();
  const TSliceEnd end = control.ExecuteProgram(-1);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (end != TSliceEnd::CycleLimit) {
    std::fprintf(stderr, "the loop did not run to its cycle limit\n");
    return 1;
  }
  std::printf("%.1f M cycles/s (%llu cycles in %.2f s)\n",
              static_cast<double>(cycles) / took.count() / 1e6,
              static_cast<unsigned long long>(cycles), took.count());
  return 0;
}
