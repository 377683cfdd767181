#include "diagram/DiagramItems.h"

#include <array>

#include "machine/Machine.h"

namespace dorum {

namespace {

using K = TItemKind;
using D = TSignalDirection;
using A = TWireArrow;

constexpr int R(TRegisterId id) {
  return static_cast<int>(id);
}
constexpr int B(TBusId id) {
  return static_cast<int>(id);
}
constexpr int S(TSignalId id) {
  return static_cast<int>(id);
}

// clang-format off
const std::array<TDiagramItem, 93> kItems = {{
    // Wires first, then the buses, the boxes and the signals over them.
    {K::Wire, S(TSignalId::wea), TBox{662, 103, 12, 32}, D::sdLeft, A::waStop, false, "WireWea"},
    {K::Wire, S(TSignalId::wes), TBox{674, 374, 12, 37}, D::sdLeft, A::waStart, false, "WireWes"},
    {K::Wire, S(TSignalId::wys), TBox{649, 374, 13, 37}, D::sdLeft, A::waStop, false, "WireWys"},
    {K::Wire, S(TSignalId::weja), TBox{360, 379, 12, 31}, D::sdLeft, A::waStart, false, "WireWeja"},
    {K::Wire, S(TSignalId::wyak), TBox{423, 187, 12, 37}, D::sdLeft, A::waNone, false, "WireWyak0"},
    {K::Wire, S(TSignalId::wyak), TBox{423, 187, 96, 13}, D::sdLeft, A::waNone, true, "WireWyak1"},
    {K::Wire, S(TSignalId::wyak), TBox{514, 187, 13, 222}, D::sdLeft, A::waStop, false, "WireWyak2"},
    {K::Wire, S(TSignalId::wel), TBox{122, 104, 14, 30}, D::sdLeft, A::waStop, false, "WireWel"},
    {K::Wire, S(TSignalId::wyl), TBox{87, 104, 12, 30}, D::sdLeft, A::waStart, false, "WireWyl"},
    {K::Wire, S(TSignalId::wei), TBox{129, 374, 12, 36}, D::sdLeft, A::waStart, false, "WireWei"},
    {K::Wire, S(TSignalId::wyad), TBox{197, 104, 10, 250}, D::sdLeft, A::waStart, false, "WireWyad"},
    {K::Wire, S(TSignalId::wyls), TBox{43, 154, 12, 256}, D::sdLeft, A::waStop, false, "WireWyls"},
    {K::Wire, S(TSignalId::wews), TBox{416, 102, 13, 32}, D::sdLeft, A::waStop, false, "WireWews"},
    {K::Wire, S(TSignalId::wyws), TBox{380, 102, 10, 32}, D::sdLeft, A::waStart, false, "WireWyws"},
    {K::Wire, S(TSignalId::wex), TBox{134, 415, 10, 35}, D::sdLeft, A::waStop, false, "WireWex"},
    {K::Wire, S(TSignalId::wyx), TBox{99, 415, 10, 35}, D::sdLeft, A::waStart, false, "WireWyx"},
    {K::Wire, S(TSignalId::wey), TBox{334, 415, 10, 35}, D::sdLeft, A::waStop, false, "WireWey"},
    {K::Wire, S(TSignalId::wyy), TBox{298, 415, 10, 35}, D::sdLeft, A::waStart, false, "WireWyy"},
    {K::Wire, S(TSignalId::werm), TBox{122, 68, 10, 32}, D::sdLeft, A::waStart, false, "WireWerm"},
    {K::Wire, S(TSignalId::wyrm), TBox{87, 68, 10, 32}, D::sdLeft, A::waStop, false, "WireWyrm"},
    {K::Wire, S(TSignalId::wyap), TBox{302, 68, 10, 32}, D::sdLeft, A::waStop, false, "WireWyap"},
    {K::Wire, S(TSignalId::werb), TBox{577, 415, 10, 35}, D::sdLeft, A::waStop, false, "WireWerb"},
    {K::Wire, S(TSignalId::wyrb), TBox{542, 415, 10, 35}, D::sdLeft, A::waStart, false, "WireWyrb"},
    {K::Wire, S(TSignalId::start), TBox{717, 415, 10, 35}, D::sdLeft, A::waStop, false, "WireStart"},
    {K::Wire, S(TSignalId::wyg), TBox{695, 415, 10, 35}, D::sdLeft, A::waStart, false, "WireWyg"},
    {K::Bus, B(TBusId::A), TBox{10, 100, 780, 5}, D::sdLeft, A::waNone, true, "BusA"},
    {K::Bus, B(TBusId::S), TBox{8, 410, 782, 6}, D::sdLeft, A::waNone, true, "BusS"},
    {K::Bus, B(TBusId::AS), TBox{232, 105, 7, 305}, D::sdLeft, A::waNone, false, "BusAS"},
    {K::Register, R(TRegisterId::AK), TBox{300, 223, 149, 20}, D::sdLeft, A::waNone, false, "RegisterAK"},
    {K::Register, R(TRegisterId::I), TBox{61, 354, 150, 20}, D::sdLeft, A::waNone, false, "RegisterI"},
    {K::Register, R(TRegisterId::L), TBox{37, 134, 150, 20}, D::sdLeft, A::waNone, false, "RegisterL"},
    {K::Register, R(TRegisterId::A), TBox{584, 134, 169, 20}, D::sdLeft, A::waNone, false, "RegisterA"},
    {K::Register, R(TRegisterId::S), TBox{584, 355, 169, 20}, D::sdLeft, A::waNone, false, "RegisterS"},
    {K::Register, R(TRegisterId::WS), TBox{328, 134, 150, 20}, D::sdLeft, A::waNone, false, "RegisterWS"},
    {K::Register, R(TRegisterId::X), TBox{49, 449, 150, 20}, D::sdLeft, A::waNone, false, "RegisterX"},
    {K::Register, R(TRegisterId::Y), TBox{245, 449, 150, 20}, D::sdLeft, A::waNone, false, "RegisterY"},
    {K::Register, R(TRegisterId::RZ), TBox{37, 12, 150, 20}, D::sdLeft, A::waNone, false, "RegisterRZ"},
    {K::Register, R(TRegisterId::RM), TBox{37, 48, 150, 20}, D::sdLeft, A::waNone, false, "RegisterRM"},
    {K::Register, R(TRegisterId::RP), TBox{230, 12, 150, 20}, D::sdLeft, A::waNone, false, "RegisterRP"},
    {K::Register, R(TRegisterId::AP), TBox{230, 48, 150, 20}, D::sdLeft, A::waNone, false, "RegisterAP"},
    {K::Register, R(TRegisterId::RB), TBox{491, 449, 150, 20}, D::sdLeft, A::waNone, false, "RegisterRB"},
    {K::Register, R(TRegisterId::G), TBox{691, 449, 43, 20}, D::sdLeft, A::waNone, false, "RegisterG"},
    {K::Register, R(TRegisterId::F), TBox{300, 202, 117, 20}, D::sdLeft, A::waNone, false, "RegisterF"},
    {K::Memory, 0, TBox{584, 155, 169, 200}, D::sdLeft, A::waNone, false, "Memory"},
    {K::Alu, 0, TBox{300, 244, 150, 136}, D::sdLeft, A::waNone, false, "Alu"},
    {K::Signal, S(TSignalId::czyt), TBox{756, 224, 50, 25}, D::sdLeft, A::waNone, false, "SignalCzyt"},
    {K::Signal, S(TSignalId::pisz), TBox{756, 261, 50, 25}, D::sdLeft, A::waNone, false, "SignalPisz"},
    {K::Signal, S(TSignalId::wys), TBox{604, 381, 50, 20}, D::sdRight, A::waNone, false, "SignalWys"},
    {K::Signal, S(TSignalId::wyak), TBox{520, 220, 50, 24}, D::sdLeft, A::waNone, false, "SignalWyak"},
    {K::Signal, S(TSignalId::wyad), TBox{140, 291, 62, 24}, D::sdRight, A::waNone, false, "SignalWyad"},
    {K::Signal, S(TSignalId::wyl), TBox{32, 108, 61, 25}, D::sdRight, A::waNone, false, "SignalWyl"},
    {K::Signal, S(TSignalId::wyg), TBox{650, 423, 50, 20}, D::sdRight, A::waNone, false, "SignalWyg"},
    {K::Signal, S(TSignalId::wyrb), TBox{497, 423, 50, 20}, D::sdRight, A::waNone, false, "SignalWyrb"},
    {K::Signal, S(TSignalId::wyx), TBox{54, 423, 50, 20}, D::sdRight, A::waNone, false, "SignalWyx"},
    {K::Signal, S(TSignalId::wyy), TBox{253, 423, 50, 20}, D::sdRight, A::waNone, false, "SignalWyy"},
    {K::Signal, S(TSignalId::wyls), TBox{49, 162, 62, 24}, D::sdLeft, A::waNone, false, "SignalWyls"},
    {K::Signal, S(TSignalId::wyws), TBox{342, 109, 44, 25}, D::sdRight, A::waNone, false, "SignalWyws"},
    {K::Signal, S(TSignalId::wyrm), TBox{31, 74, 61, 25}, D::sdRight, A::waNone, false, "SignalWyrm"},
    {K::Signal, S(TSignalId::wyap), TBox{245, 74, 62, 25}, D::sdRight, A::waNone, false, "SignalWyap"},
    {K::Signal, S(TSignalId::as), TBox{238, 111, 61, 25}, D::sdLeft, A::waNone, false, "SignalAs"},
    {K::Signal, S(TSignalId::weja), TBox{316, 382, 50, 24}, D::sdRight, A::waNone, false, "SignalWeja"},
    {K::Signal, S(TSignalId::dod), TBox{250, 260, 50, 25}, D::sdRight, A::waNone, false, "SignalDod"},
    {K::Signal, S(TSignalId::ode), TBox{250, 280, 50, 25}, D::sdRight, A::waNone, false, "SignalOde"},
    {K::Signal, S(TSignalId::przep), TBox{250, 300, 50, 24}, D::sdRight, A::waNone, false, "SignalPrzep"},
    {K::Signal, S(TSignalId::mno), TBox{250, 320, 50, 25}, D::sdRight, A::waNone, false, "SignalMno"},
    {K::Signal, S(TSignalId::dziel), TBox{250, 340, 50, 24}, D::sdRight, A::waNone, false, "SignalDziel"},
    {K::Signal, S(TSignalId::shr), TBox{250, 360, 50, 25}, D::sdRight, A::waNone, false, "SignalShr"},
    {K::Signal, S(TSignalId::neg), TBox{449, 241, 50, 24}, D::sdLeft, A::waNone, false, "SignalNeg"},
    {K::Signal, S(TSignalId::lub), TBox{449, 261, 50, 25}, D::sdLeft, A::waNone, false, "SignalLub"},
    {K::Signal, S(TSignalId::i), TBox{449, 281, 50, 25}, D::sdLeft, A::waNone, false, "SignalI"},
    {K::Signal, S(TSignalId::new1), TBox{449, 301, 50, 24}, D::sdLeft, A::waNone, false, "SignalNew1"},
    {K::Signal, S(TSignalId::new2), TBox{449, 321, 50, 25}, D::sdLeft, A::waNone, false, "SignalNew2"},
    {K::Signal, S(TSignalId::new3), TBox{449, 341, 50, 24}, D::sdLeft, A::waNone, false, "SignalNew3"},
    {K::Signal, S(TSignalId::new4), TBox{449, 361, 50, 25}, D::sdLeft, A::waNone, false, "SignalNew4"},
    {K::Signal, S(TSignalId::iak), TBox{249, 220, 50, 25}, D::sdRight, A::waNone, false, "SignalIak"},
    {K::Signal, S(TSignalId::dak), TBox{449, 221, 50, 25}, D::sdLeft, A::waNone, false, "SignalDak"},
    {K::Signal, S(TSignalId::weak), TBox{250, 240, 50, 24}, D::sdRight, A::waNone, false, "SignalWeak"},
    {K::Signal, S(TSignalId::wei), TBox{84, 380, 50, 24}, D::sdRight, A::waNone, false, "SignalWei"},
    {K::Signal, S(TSignalId::wea), TBox{668, 108, 50, 25}, D::sdLeft, A::waNone, false, "SignalWea"},
    {K::Signal, S(TSignalId::wes), TBox{680, 381, 50, 20}, D::sdLeft, A::waNone, false, "SignalWes"},
    {K::Signal, S(TSignalId::il), TBox{5, 134, 31, 25}, D::sdRight, A::waNone, false, "SignalIl"},
    {K::Signal, S(TSignalId::wel), TBox{129, 108, 62, 25}, D::sdLeft, A::waNone, false, "SignalWel"},
    {K::Signal, S(TSignalId::wex), TBox{141, 423, 50, 20}, D::sdLeft, A::waNone, false, "SignalWex"},
    {K::Signal, S(TSignalId::wey), TBox{340, 423, 50, 20}, D::sdLeft, A::waNone, false, "SignalWey"},
    {K::Signal, S(TSignalId::werb), TBox{584, 423, 50, 20}, D::sdLeft, A::waNone, false, "SignalWerb"},
    {K::Signal, S(TSignalId::start), TBox{724, 423, 50, 20}, D::sdLeft, A::waNone, false, "SignalStart"},
    {K::Signal, S(TSignalId::iws), TBox{286, 134, 42, 25}, D::sdRight, A::waNone, false, "SignalIws"},
    {K::Signal, S(TSignalId::dws), TBox{478, 134, 41, 25}, D::sdLeft, A::waNone, false, "SignalDws"},
    {K::Signal, S(TSignalId::wews), TBox{423, 109, 47, 25}, D::sdLeft, A::waNone, false, "SignalWews"},
    {K::Signal, S(TSignalId::werm), TBox{129, 74, 62, 25}, D::sdLeft, A::waNone, false, "SignalWerm"},
    {K::Signal, S(TSignalId::rint), TBox{416, 17, 61, 25}, D::sdLeft, A::waNone, false, "SignalRint"},
    {K::Signal, S(TSignalId::eni), TBox{416, 38, 61, 25}, D::sdLeft, A::waNone, false, "SignalEni"},
    {K::Signal, S(TSignalId::stop), TBox{77, 247, 61, 24}, D::sdLeft, A::waNone, false, "SignalStop"},
}};
// clang-format on

}  // namespace

std::span<const TDiagramItem> DiagramItems() {
  return kItems;
}

bool ItemShown(const TMachine& machine, const TDiagramItem& item) {
  switch (item.Kind) {
    case TItemKind::Register:
      return machine.Register(static_cast<TRegisterId>(item.Id)).Visible();
    case TItemKind::Bus:
      return machine.Bus(static_cast<TBusId>(item.Id)).Visible();
    case TItemKind::Signal:
    case TItemKind::Wire:
      return machine.Signal(item.Id).Visible();
    case TItemKind::Memory:
    case TItemKind::Alu:
      return true;
  }
  return true;
}

bool ItemActive(const TMachine& machine, const TDiagramItem& item) {
  switch (item.Kind) {
    case TItemKind::Bus:
      return machine.BusDriven(static_cast<TBusId>(item.Id));
    case TItemKind::Signal:
    case TItemKind::Wire:
      return machine.SignalActive(item.Id);
    case TItemKind::Register:
    case TItemKind::Memory:
    case TItemKind::Alu:
      return false;
  }
  return false;
}

std::string ItemText(const TMachine& machine, const TDiagramItem& item) {
  if (!ItemShown(machine, item)) return {};
  switch (item.Kind) {
    case TItemKind::Register:
      return machine.RegisterText(static_cast<TRegisterId>(item.Id));
    case TItemKind::Bus: {
      const auto id = static_cast<TBusId>(item.Id);
      const std::string caption = machine.Bus(id).Caption();
      return machine.BusDriven(id) ? caption + " = " + std::to_string(machine.BusValue(id))
                                   : caption;
    }
    case TItemKind::Signal:
      return machine.Signal(item.Id).Caption();
    case TItemKind::Memory:
      return machine.Memory().Caption();
    case TItemKind::Alu:
      return "JAL";
    case TItemKind::Wire:
      return item.Name;
  }
  return {};
}

std::string MemoryRowText(const TMachine& machine, int address) {
  return std::to_string(address) + "  " + std::to_string(machine.Memory().Word(address)) + "  " +
         machine.CodeText(address);
}

}  // namespace dorum

namespace dorum {

std::vector<TDisplayModeChoice> DisplayModeChoices(TRegisterId id) {
  static constexpr std::array<TDisplayModeChoice, 5> kChoices = {{
      {"Dziesiętnie bez znaku", TDisplayMode::dmUnsigned},
      {"Dziesiętnie ze znakiem", TDisplayMode::dmSigned},
      {"Binarnie", TDisplayMode::dmBinary},
      {"Szestnastkowo", TDisplayMode::dmHexadecimal},
      {"Rozkaz", TDisplayMode::dmInstruction},
  }};
  std::vector<TDisplayModeChoice> offered;
  for (const TDisplayModeChoice& choice : kChoices)
    if (choice.Mode != TDisplayMode::dmInstruction || id == TRegisterId::I)
      offered.push_back(choice);
  return offered;
}

}  // namespace dorum
