#include "machine/SignalTable.h"

namespace dorum {

namespace {

std::string PlaceName(TPlace place) {
  static constexpr std::array<const char*, kRegisterCount> registers = {
      "AK", "I", "L", "A", "S", "WS", "X", "Y", "RZ", "RM", "RP", "AP", "RB", "G", "F"};
  static constexpr std::array<const char*, kBusCount> buses = {"mag S", "mag A", "mag AS"};
  switch (place.Kind) {
    case TPlaceKind::Register:
      return registers[place.Index];
    case TPlaceKind::Bus:
      return buses[place.Index];
    case TPlaceKind::Memory:
      return "PaO";
    case TPlaceKind::AluInput:
      return "wejście";
    case TPlaceKind::AluResult:
      return "wynik";
    case TPlaceKind::None:
      break;
  }
  return {};
}

// The arithmetic unit's operator between the accumulator and the input.
std::string OperatorOf(TSignalOperation operation) {
  using O = TSignalOperation;
  switch (operation) {
    case O::Add:
      return " + ";
    case O::Subtract:
      return " − ";
    case O::Multiply:
      return " × ";
    case O::Divide:
      return " div ";
    case O::Or:
      return " or ";
    case O::And:
      return " and ";
    default:
      return {};
  }
}

}  // namespace

std::string SignalFormula(int number) {
  using O = TSignalOperation;
  const TSignalRow& row = SignalRow(number);
  const std::string read = PlaceName(row.Reads[0]);
  const std::string written = PlaceName(row.Writes[0]);
  switch (row.Operation) {
    case O::Copy:
    case O::Ready:
      return written + " ← " + read;
    case O::Increment:
      return written + " ← " + read + " + 1";
    case O::Decrement:
      return written + " ← " + read + " − 1";
    case O::ReadMemory:
      return written + " ← PaO[" + read + ']';
    case O::WriteMemory:
      return "PaO[" + read + "] ← " + PlaceName(row.Reads[1]);
    case O::Pass:
      return "wynik JAL = " + read;
    case O::Add:
    case O::Subtract:
    case O::Multiply:
    case O::Divide:
    case O::Or:
    case O::And:
      return "wynik JAL = " + read + OperatorOf(row.Operation) + PlaceName(row.Reads[1]);
    default:
      return {};
  }
}

}  // namespace dorum
