#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>

#include "common/Strings.h"

namespace dorum {

// The set of component option numbers in force; 0, the basic machine, always.
using TComponentSet = std::bitset<256>;

struct TMachineConfig {
  int AddressBits = 5;
  int CodeBits = 3;
  TComponentSet Components = TComponentSet().set(0);
};

struct TInterruptVector {
  int Address = 0;
  std::string LabelName;
  friend bool operator==(const TInterruptVector&, const TInterruptVector&) = default;
};
using TInterruptVectors = std::array<TInterruptVector, 4>;

struct TIOPorts {
  int InputPort = 1;
  int OutputPort = 2;
  int InputInterrupt = 3;
  int OutputInterrupt = 4;
  friend bool operator==(const TIOPorts&, const TIOPorts&) = default;
};

inline constexpr int kMinAddressBits = 5;
inline constexpr int kMaxAddressBits = 16;
inline constexpr int kMinCodeBits = 3;
inline constexpr int kMaxCodeBits = 8;
inline constexpr int kOptionCount = 10;
// The four reserve signals carry this option number; no option shows them.
inline constexpr int kReserveOption = 11;

struct TComponentOption {
  int Number;
  const char* Label;  // the options dialog's check-list text
  const char* Key;    // the key in instruction list files
};

// Options 1..10 in order.
[[nodiscard]] const std::array<TComponentOption, kOptionCount>& ComponentOptions();

struct TPreset {
  const char* Name;
  TComponentSet Components;
};
[[nodiscard]] const std::array<TPreset, 4>& Presets();
// The preset of that name (compared without regard to case), if any.
[[nodiscard]] std::optional<TComponentSet> PresetComponents(const std::string& name);
// The name of the preset whose set equals the given one exactly, or empty.
[[nodiscard]] std::string PresetName(const TComponentSet& components);

[[nodiscard]] TInterruptVectors DefaultVectors();

}  // namespace dorum
