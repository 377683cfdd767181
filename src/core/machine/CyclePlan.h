#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace dorum {

inline constexpr int kSignalCount = 48;

// What one set of signals does in a clock cycle on one configuration,
// worked out in advance. A clean plan cannot break a once-per-cycle rule,
// so its steps run without checks and its marks are known beforehand; any
// other set runs signal by signal with every check.
//
// A plan fills one cache line; a set with more steps than it holds (no
// microprogram has such cycles) simply runs checked.
struct alignas(64) TCyclePlan {
  static constexpr int kMaxSteps = 41;

  std::uint64_t Signals = 0;
  std::uint32_t Generation = 0;           // the configuration it was made for; 0: none
  std::uint32_t Marks = 0;                // the marks the cycle leaves
  std::uint32_t MarksBeforeDivision = 0;  // the marks when "dziel" meets a zero divisor
  bool Clean = false;
  std::uint8_t StepCount = 0;
  // Signal numbers in table order, ended by kStepEnd; the link "as"
  // appears as one of its two directions (kStepAsFromA, kStepAsFromS), and
  // the reserve signals, wired to nothing, not at all.
  std::array<std::uint8_t, kMaxSteps + 1> Steps{};
};
static_assert(sizeof(TCyclePlan) == 64);
inline constexpr std::uint8_t kStepAsFromA = kSignalCount;
inline constexpr std::uint8_t kStepAsFromS = kSignalCount + 1;
inline constexpr std::uint8_t kStepEnd = kSignalCount + 2;
// The whole fetch as one step, in an instruction's plan only.
inline constexpr std::uint8_t kStepFetch = kSignalCount + 3;
// A whole cycle of those most microprograms are made of as one step:
// kStepCycle + its place in kCommonCycles.
inline constexpr std::uint8_t kStepCycle = kSignalCount + 4;
// The fetch and the common cycle after it as one step, in an instruction's
// plan only: kStepFetchThen + the cycle's place in kCommonCycles.
inline constexpr std::uint8_t kStepFetchThen = kStepCycle + 16;

// A whole instruction worked out in advance: its fetch and the cycles that
// follow it up to the next fetch, run as one straight sequence of steps
// numbered as a cycle's are. Numbers rather than the addresses of the
// steps' code: a call through a pointer cannot be inlined, and under
// WebAssembly it costs far more than one switch over every step. Only an
// instruction whose every cycle is clean, jumps on no condition, cannot
// fail on data, leaves I alone and needs nothing of the control unit has
// one; the others run cycle by cycle.
struct TInstructionPlan {
  static constexpr int kMaxCycles = 32;

  std::vector<std::uint8_t> Steps;  // ended by kStepEnd
  int Cycles = 0;                   // the fetch included
  // What cycle-by-cycle running would leave: the set and the marks of the
  // last cycle, the marks of those before it, and the signals switched
  // during the instruction (on in some of its cycles and off in others).
  std::uint64_t LastSignals = 0;
  std::uint64_t AnySignals = 0;
  std::uint64_t EverySignal = ~std::uint64_t{0};
  std::uint32_t LastMarks = 0;
  std::uint32_t EarlierMarks = 0;
};

}  // namespace dorum
