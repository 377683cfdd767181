#pragma once

#include <array>
#include <cstdint>

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

}  // namespace dorum
