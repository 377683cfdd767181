#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "control/History.h"

// The lanes of a timing diagram, the same in every front end: what each
// shows and how its values read.
namespace dorum {

enum class TLaneKind : std::uint8_t { Signal, Bus, Register };

struct TTimingLane {
  TLaneKind Kind = TLaneKind::Signal;
  int Index = 0;  // signal number, TBusId or TRegisterId
  std::string Name;
  friend bool operator==(const TTimingLane&, const TTimingLane&) = default;
};

// A lane for each signal active in the cycles, in the signal table's order
// (the order signals act in), one for each bus the machine shows, then one
// for each chosen register it shows.
[[nodiscard]] std::vector<TTimingLane> TimingLanes(const TMachine& machine,
                                                   std::span<const TRecordedCycle> cycles,
                                                   std::span<const TRegisterId> registers = {});
// A lane's value in a cycle: a signal's 0 or 1, a bus's value while driven
// (none otherwise), a register's stored bits.
[[nodiscard]] std::optional<std::uint32_t> LaneValue(const TTimingLane& lane,
                                                     const TCycleSample& sample);
// A value as the lane writes it: a bus in decimal, a register as the
// machine window shows it, by its display mode.
[[nodiscard]] std::string LaneValueText(const TMachine& machine, const TTimingLane& lane,
                                        std::uint32_t value);

}  // namespace dorum
