#include "machine/SignalTable.h"

namespace dorum {

namespace {

QString PlaceName(TPlace place) {
  static constexpr std::array<const char*, kRegisterCount> registers = {
      "AK", "I", "L", "A", "S", "WS", "X", "Y", "RZ", "RM", "RP", "AP", "RB", "G", "F"};
  static constexpr std::array<const char*, kBusCount> buses = {"mag S", "mag A", "mag AS"};
  switch (place.Kind) {
    case TPlaceKind::Register:
      return QString::fromLatin1(registers[place.Index]);
    case TPlaceKind::Bus:
      return QString::fromLatin1(buses[place.Index]);
    case TPlaceKind::Memory:
      return QStringLiteral("PaO");
    case TPlaceKind::AluInput:
      return QStringLiteral("wejście");
    case TPlaceKind::AluResult:
      return QStringLiteral("wynik");
    case TPlaceKind::None:
      break;
  }
  return {};
}

// The arithmetic unit's operator between the accumulator and the input.
QString OperatorOf(TSignalOperation operation) {
  using O = TSignalOperation;
  switch (operation) {
    case O::Add:
      return QStringLiteral(" + ");
    case O::Subtract:
      return QStringLiteral(" − ");
    case O::Multiply:
      return QStringLiteral(" × ");
    case O::Divide:
      return QStringLiteral(" div ");
    case O::Or:
      return QStringLiteral(" or ");
    case O::And:
      return QStringLiteral(" and ");
    default:
      return {};
  }
}

}  // namespace

QString SignalFormula(int number) {
  using O = TSignalOperation;
  const TSignalRow& row = SignalRow(number);
  const QString read = PlaceName(row.Reads[0]);
  const QString written = PlaceName(row.Writes[0]);
  switch (row.Operation) {
    case O::Copy:
    case O::Ready:
      return written + QStringLiteral(" ← ") + read;
    case O::Increment:
      return written + QStringLiteral(" ← ") + read + QStringLiteral(" + 1");
    case O::Decrement:
      return written + QStringLiteral(" ← ") + read + QStringLiteral(" − 1");
    case O::ReadMemory:
      return written + QStringLiteral(" ← PaO[") + read + QLatin1Char(']');
    case O::WriteMemory:
      return QStringLiteral("PaO[") + read + QStringLiteral("] ← ") + PlaceName(row.Reads[1]);
    case O::Pass:
      return QStringLiteral("wynik JAL = ") + read;
    case O::Add:
    case O::Subtract:
    case O::Multiply:
    case O::Divide:
    case O::Or:
    case O::And:
      return QStringLiteral("wynik JAL = ") + read + OperatorOf(row.Operation) +
             PlaceName(row.Reads[1]);
    default:
      return {};
  }
}

}  // namespace dorum
