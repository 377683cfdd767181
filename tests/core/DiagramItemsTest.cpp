#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "diagram/DiagramItems.h"
#include "diagram/TimingLanes.h"
#include "machine/Machine.h"
#include "machine/MachineConfig.h"
#include "machine/SignalTable.h"
#include "session/Session.h"

using namespace dorum;

namespace {

int CountOf(TItemKind kind, int id) {
  int count = 0;
  for (const TDiagramItem& item : DiagramItems()) count += item.Kind == kind && item.Id == id;
  return count;
}

}  // namespace

// Every front end draws, hit-tests and names the diagram from this table.
TEST(DiagramItems, EveryItemStandsInsideTheDiagramUnderANameOfItsOwn) {
  std::set<std::string> names;
  for (const TDiagramItem& item : DiagramItems()) {
    SCOPED_TRACE(item.Name);
    EXPECT_GE(item.Box.X, 0);
    EXPECT_GE(item.Box.Y, 0);
    EXPECT_GT(item.Box.Width, 0);
    EXPECT_GT(item.Box.Height, 0);
    EXPECT_LE(item.Box.X + item.Box.Width, kDiagramWidth);
    EXPECT_LE(item.Box.Y + item.Box.Height, kDiagramHeight);
    EXPECT_TRUE(names.insert(item.Name).second) << "named twice";
  }
}

TEST(DiagramItems, EveryRegisterAndBusIsDrawnOnceAndEverySignalHasItsCaption) {
  for (int r = 0; r < kRegisterCount; ++r) EXPECT_EQ(CountOf(TItemKind::Register, r), 1) << r;
  for (int b = 0; b < kBusCount; ++b) EXPECT_EQ(CountOf(TItemKind::Bus, b), 1) << b;
  EXPECT_EQ(CountOf(TItemKind::Memory, 0), 1);
  EXPECT_EQ(CountOf(TItemKind::Alu, 0), 1);
  for (const TDiagramItem& item : DiagramItems()) {
    // A wire belongs to a signal the diagram names.
    if (item.Kind == TItemKind::Wire) {
      EXPECT_EQ(CountOf(TItemKind::Signal, item.Id), 1) << item.Name;
    }
  }
}

namespace {

// A signal's caption without the other name it may carry: "as (sa)".
std::string Capitalized(std::string name) {
  name.resize(std::min(name.size(), name.find(' ')));
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

// The name a front end knows the item by, from its kind and number.
std::string ExpectedName(const TDiagramItem& item) {
  static const char* const kRegisters[] = {"AK", "I",  "L",  "A",  "S",  "WS", "X", "Y",
                                           "RZ", "RM", "RP", "AP", "RB", "G",  "F"};
  static const char* const kBuses[] = {"S", "A", "AS"};
  switch (item.Kind) {
    case TItemKind::Register:
      return std::string("Register") + kRegisters[item.Id];
    case TItemKind::Bus:
      return std::string("Bus") + kBuses[item.Id];
    case TItemKind::Memory:
      return "Memory";
    case TItemKind::Alu:
      return "Alu";
    case TItemKind::Signal:
      return "Signal" + Capitalized(kSignalTable[static_cast<std::size_t>(item.Id)].Name);
    case TItemKind::Wire:
      return "Wire" + Capitalized(kSignalTable[static_cast<std::size_t>(item.Id)].Name);
  }
  return {};
}

}  // namespace

// The table's rows are what their names say: a row with the wrong kind or
// number would light, name or hit-test another component.
TEST(DiagramItems, EachItemIsTheComponentItsNameSays) {
  for (std::size_t s = 0; s < kSignalTable.size(); ++s)
    ASSERT_EQ(static_cast<std::size_t>(kSignalTable[s].Id), s);
  for (const TDiagramItem& item : DiagramItems()) {
    SCOPED_TRACE(item.Name);
    std::string name = item.Name;
    // The pieces of one wire are numbered from 0.
    if (item.Kind == TItemKind::Wire && std::isdigit(static_cast<unsigned char>(name.back())))
      name.pop_back();
    EXPECT_EQ(name, ExpectedName(item));
    // Only wires carry arrows.
    if (item.Kind != TItemKind::Wire) {
      EXPECT_EQ(item.Arrow, TWireArrow::waNone);
    }
  }
  for (int s = 0; s < kSignalCount; ++s) EXPECT_EQ(CountOf(TItemKind::Signal, s), 1) << s;
  // A wire is drawn lengthwise: a horizontal one wider than high.
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Wire || item.Kind == TItemKind::Bus) {
      EXPECT_EQ(item.Horizontal, item.Box.Width > item.Box.Height) << item.Name;
    }
  }
}

// A signal switched on lights its own box and every piece of its wires, and
// nothing else: the registers, the memory and the ALU never light.
TEST(DiagramItems, ASignalSwitchedOnLightsItselfAndItsWiresOnly) {
  TMachine machine;
  const int wyak = static_cast<int>(TSignalId::wyak);
  const auto lit = [&machine](const TDiagramItem& item) { return ItemActive(machine, item); };
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind != TItemKind::Bus) {
      EXPECT_FALSE(lit(item)) << item.Name;
    }
  }
  machine.SetActive(wyak, true);
  int wires = 0;
  for (const TDiagramItem& item : DiagramItems()) {
    SCOPED_TRACE(item.Name);
    if (item.Kind == TItemKind::Bus) continue;  // lit by what drives it
    const bool itsOwn =
        (item.Kind == TItemKind::Signal || item.Kind == TItemKind::Wire) && item.Id == wyak;
    EXPECT_EQ(lit(item), itsOwn);
    wires += item.Kind == TItemKind::Wire && itsOwn;
  }
  EXPECT_EQ(wires, 3);  // WireWyak0, 1 and 2
}

// The timing diagram follows the machine as configured: a register chosen
// for a lane has none while the configuration leaves it out.
TEST(TimingLanes, AChosenRegisterHasALaneOnlyWhileTheMachineHasIt) {
  TMachine machine;
  const std::vector<TRegisterId> chosen = {TRegisterId::AK, TRegisterId::X, TRegisterId::RZ};
  const auto registerLanes = [&] {
    std::vector<std::string> names;
    for (const TTimingLane& lane : TimingLanes(machine, {}, chosen))
      if (lane.Kind == TLaneKind::Register) names.push_back(lane.Name);
    return names;
  };
  ASSERT_FALSE(machine.Register(TRegisterId::X).Visible());
  ASSERT_FALSE(machine.Register(TRegisterId::RZ).Visible());
  EXPECT_EQ(registerLanes(), std::vector<std::string>{"AK"});

  TComponentSet every = TComponentSet().set(0);
  for (const TComponentOption& option : ComponentOptions())
    every.set(static_cast<std::size_t>(option.Number));
  machine.SetComponents(every);
  ASSERT_TRUE(machine.Register(TRegisterId::X).Visible());
  ASSERT_TRUE(machine.Register(TRegisterId::RZ).Visible());
  std::vector<std::string> expected;
  for (const TRegisterId id : chosen) expected.push_back(machine.Register(id).Caption());
  EXPECT_EQ(registerLanes(), expected);
}

// A lane for each signal the cycles turned on, in the signals' order, then
// each bus the machine shows, then the registers chosen; a bus nobody drove
// has no value, and a register's value reads as the register shows it.
TEST(TimingLanes, LanesFollowTheCyclesAndShowValuesAsTheDiagramDoes) {
  TSession session;  // the instruction list names the codes
  TMachine& machine = session.Machine();
  const int czyt = static_cast<int>(TSignalId::czyt);
  const int wys = static_cast<int>(TSignalId::wys);
  std::vector<TRecordedCycle> cycles(2);
  cycles[0].Sample.Signals = std::uint64_t{1} << wys;
  cycles[1].Sample.Signals = std::uint64_t{1} << czyt;
  cycles[1].Sample.DrivenBuses = 1u << static_cast<int>(TBusId::S);
  cycles[1].Sample.Buses[static_cast<std::size_t>(TBusId::S)] = 12;
  cycles[1].Sample.Registers[static_cast<std::size_t>(TRegisterId::I)] = (3u << 5) | 4u;
  const std::vector<TRegisterId> chosen = {TRegisterId::I};
  const std::vector<TTimingLane> lanes = TimingLanes(machine, cycles, chosen);

  std::vector<int> signals;
  std::vector<std::string> buses;
  for (const TTimingLane& lane : lanes) {
    if (lane.Kind == TLaneKind::Signal) signals.push_back(lane.Index);
    if (lane.Kind == TLaneKind::Bus) buses.push_back(lane.Name);
  }
  EXPECT_EQ(signals, (std::vector<int>{std::min(czyt, wys), std::max(czyt, wys)}));
  std::vector<std::string> shownBuses;
  for (int b = 0; b < kBusCount; ++b)
    if (machine.Bus(static_cast<TBusId>(b)).Visible())
      shownBuses.push_back(machine.Bus(static_cast<TBusId>(b)).Caption());
  ASSERT_LT(shownBuses.size(), static_cast<std::size_t>(kBusCount));  // AS is not on Dorum
  EXPECT_EQ(buses, shownBuses);
  ASSERT_EQ(lanes.back().Kind, TLaneKind::Register);

  const auto laneOf = [&](TLaneKind kind, int index) {
    for (const TTimingLane& lane : lanes)
      if (lane.Kind == kind && lane.Index == index) return lane;
    ADD_FAILURE() << "no lane " << index;
    return TTimingLane{};
  };
  const TTimingLane bus = laneOf(TLaneKind::Bus, static_cast<int>(TBusId::S));
  EXPECT_EQ(LaneValue(bus, cycles[0].Sample), std::nullopt);
  EXPECT_EQ(LaneValue(bus, cycles[1].Sample), 12u);
  EXPECT_EQ(LaneValueText(machine, bus, 12), "12");
  const TTimingLane signal = laneOf(TLaneKind::Signal, czyt);
  EXPECT_EQ(LaneValue(signal, cycles[0].Sample), 0u);
  EXPECT_EQ(LaneValue(signal, cycles[1].Sample), 1u);

  // I shows its code as the instruction's name, as on the diagram; AK a number.
  machine.Register(TRegisterId::I).RestoreContent((3u << 5) | 4u);
  const std::string shown(Trimmed(machine.RegisterValueText(TRegisterId::I)));
  EXPECT_EQ(LaneValueText(machine, lanes.back(), (3u << 5) | 4u), shown);
  EXPECT_NE(shown.find("pob"), std::string::npos) << shown;
  const TTimingLane ak{TLaneKind::Register, static_cast<int>(TRegisterId::AK), "AK"};
  EXPECT_EQ(LaneValueText(machine, ak, 7), "7");
}
