#pragma once

#include <chrono>
#include <cstdint>

#include "control/ControlUnit.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

namespace dorum {

// The speed yardstick's loop (../shared/perf/loop.prg), run as `dorum-cli
// run` runs a program: the whole run in one go at tracking level 0, to its
// cycle limit. Cycles per second, or 0 when the loop did not reach the
// limit. The native benchmark and the web page's measure both run this.
inline double YardstickCyclesPerSecond(std::uint64_t cycles) {
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
  if (end != TSliceEnd::CycleLimit || took.count() <= 0) return 0;
  return static_cast<double>(cycles) / took.count();
}

}  // namespace dorum
