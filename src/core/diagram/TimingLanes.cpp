#include "diagram/TimingLanes.h"

#include "common/Strings.h"

namespace dorum {

std::vector<TTimingLane> TimingLanes(const TMachine& machine,
                                     std::span<const TRecordedCycle> cycles,
                                     std::span<const TRegisterId> registers) {
  std::vector<TTimingLane> lanes;
  std::uint64_t active = 0;
  for (const TRecordedCycle& cycle : cycles) active |= cycle.Sample.Signals;
  for (int n = 0; n < kSignalCount; ++n) {
    if ((active >> n) & 1u) lanes.push_back({TLaneKind::Signal, n, machine.Signal(n).Caption()});
  }
  for (int b = 0; b < kBusCount; ++b) {
    const TBus& bus = machine.Bus(static_cast<TBusId>(b));
    if (bus.Visible()) lanes.push_back({TLaneKind::Bus, b, bus.Caption()});
  }
  for (const TRegisterId id : registers) {
    const TRegister& reg = machine.Register(id);
    if (reg.Visible()) lanes.push_back({TLaneKind::Register, static_cast<int>(id), reg.Caption()});
  }
  return lanes;
}

std::optional<std::uint32_t> LaneValue(const TTimingLane& lane, const TCycleSample& sample) {
  const auto index = static_cast<std::size_t>(lane.Index);
  switch (lane.Kind) {
    case TLaneKind::Signal:
      return static_cast<std::uint32_t>((sample.Signals >> lane.Index) & 1u);
    case TLaneKind::Bus:
      if (((sample.DrivenBuses >> lane.Index) & 1u) == 0) return std::nullopt;
      return sample.Buses.at(index);
    case TLaneKind::Register:
      return sample.Registers.at(index);
  }
  return std::nullopt;
}

std::string LaneValueText(const TMachine& machine, const TTimingLane& lane, std::uint32_t value) {
  if (lane.Kind != TLaneKind::Register) return ToText(static_cast<std::int64_t>(value));
  // A copy of the register holding the value formats it by its own mode.
  const auto id = static_cast<TRegisterId>(lane.Index);
  TRegister shown = machine.Register(id);
  shown.RestoreContent(value);
  if (id == TRegisterId::I)
    return std::string(
        Trimmed(shown.ValueText([&machine](int word) { return machine.RegisterGetCode(word); })));
  return std::string(Trimmed(shown.ValueText()));
}

}  // namespace dorum
