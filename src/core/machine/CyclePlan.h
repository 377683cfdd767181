#pragma once

#include <array>
#include <cstdint>

namespace dorum {

inline constexpr int kSignalCount = 48;

// What one set of signals does in a clock cycle on one configuration,
// worked out in advance. A clean plan cannot break a once-per-cycle rule,
// so its steps run without checks and its marks are known beforehand; any
// other set runs signal by signal with every check.
struct TCyclePlan {
  std::uint32_t Generation = 0;  // the configuration it was made for; 0: none
  std::uint64_t Signals = 0;
  bool Clean = false;
  std::uint8_t StepCount = 0;
  std::uint32_t Marks = 0;                // the marks the cycle leaves
  std::uint32_t MarksBeforeDivision = 0;  // the marks when "dziel" meets a zero divisor
  // Signal numbers in table order; the link "as" appears as one of its two
  // directions (kStepAsFromA, kStepAsFromS).
  std::array<std::uint8_t, kSignalCount> Steps{};
};
inline constexpr std::uint8_t kStepAsFromA = kSignalCount;
inline constexpr std::uint8_t kStepAsFromS = kSignalCount + 1;

}  // namespace dorum
