#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/Strings.h"
#include "machine/CyclePlan.h"
#include "machine/MachineConfig.h"
#include "machine/MachineLinks.h"

namespace dorum {

// Signal numbers: the order in which active signals are performed.
// clang-format off
enum class TSignalId : std::uint8_t {
  czyt, pisz, wys, wyak, wyad, wyl, wyg, wyrb, wyx, wyy, wyls, wyws, wyrm, wyap, as, weja,
  dod, ode, przep, mno, dziel, shr, neg, lub, i, new1, new2, new3, new4, iak, dak, weak,
  wei, wea, wes, il, wel, wex, wey, werb, start, iws, dws, wews, werm, rint, eni, stop,
};
// clang-format on

// A level signal acts through the cycle (it drives a bus, the memory or the
// arithmetic unit); an impulse writes a register.
enum class TSignalKind : std::uint8_t { Level, Impulse };

// Something on the data path a signal reads or writes. Reading the memory
// or writing it is one access either way.
enum class TPlaceKind : std::uint8_t { None, Register, Bus, Memory, AluInput, AluResult };

struct TPlace {
  TPlaceKind Kind = TPlaceKind::None;
  std::uint8_t Index = 0;  // the register or the bus

  [[nodiscard]] constexpr TRegisterId RegisterId() const noexcept {
    return static_cast<TRegisterId>(Index);
  }
  [[nodiscard]] constexpr TBusId BusId() const noexcept { return static_cast<TBusId>(Index); }
  friend constexpr bool operator==(TPlace, TPlace) = default;
};

namespace Place {
[[nodiscard]] constexpr TPlace Reg(TRegisterId id) noexcept {
  return {TPlaceKind::Register, static_cast<std::uint8_t>(id)};
}
[[nodiscard]] constexpr TPlace Bus(TBusId id) noexcept {
  return {TPlaceKind::Bus, static_cast<std::uint8_t>(id)};
}
inline constexpr TPlace kMemory{TPlaceKind::Memory, 0};
inline constexpr TPlace kAluInput{TPlaceKind::AluInput, 0};
inline constexpr TPlace kAluResult{TPlaceKind::AluResult, 0};
}  // namespace Place

// What a signal makes of the places it reads. The simple moves are
// performed from the places alone; the others have an action of their own.
enum class TSignalOperation : std::uint8_t {
  Copy,       // the first place read to the place written
  Increment,  // the register read, plus one, back into it
  Decrement,
  Add,  // the arithmetic unit: accumulator and input into the result
  Subtract,
  Pass,
  Multiply,
  Divide,  // fails on a zero divisor, after its reads and before its write
  ShiftRight,
  Not,
  Or,
  And,
  ReadMemory,   // the word at the address read into the register written
  WriteMemory,  // the second register read to the word at the first
  Link,         // between buses A and S, in the direction of the one driven
  Ready,        // a copy that also tells the control unit whether to wait
  Device,       // the console device: what it does depends on the port
  Acknowledge,  // the interrupt accepted is done with
  Enable,       // the interrupt of highest priority is accepted
  Stop,
  Nothing,  // a reserve signal, wired to nothing
};

// One signal: its number (a position in the table), name, kind, option,
// the places its effect reads and writes, and what it does with them. The
// plans, the checked actions, the dispatch of planned steps and the text of
// the help page all follow from the row.
struct TSignalRow {
  TSignalId Id;
  const char* Name;
  TSignalKind Kind;
  int Option;
  TSignalOperation Operation;
  std::array<TPlace, 2> Reads;
  std::array<TPlace, 3> Writes;
};

namespace SignalRows {
using R = TRegisterId;
using B = TBusId;
using K = TSignalKind;
using O = TSignalOperation;
using S = TSignalId;
using Place::Bus;
using Place::kAluInput;
using Place::kAluResult;
using Place::kMemory;
using Place::Reg;

// clang-format off
inline constexpr std::array<TSignalRow, kSignalCount> kTable = {{
    {S::czyt,  "czyt",    K::Level,   0,  O::ReadMemory,  {Reg(R::A), kMemory},  {Reg(R::S)}},
    {S::pisz,  "pisz",    K::Level,   0,  O::WriteMemory, {Reg(R::A), Reg(R::S)}, {kMemory}},
    {S::wys,   "wys",     K::Level,   0,  O::Copy,        {Reg(R::S)},           {Bus(B::S)}},
    {S::wyak,  "wyak",    K::Level,   0,  O::Copy,        {Reg(R::AK)},          {Bus(B::S)}},
    {S::wyad,  "wyad",    K::Level,   0,  O::Copy,        {Reg(R::I)},           {Bus(B::A)}},
    {S::wyl,   "wyl",     K::Level,   0,  O::Copy,        {Reg(R::L)},           {Bus(B::A)}},
    {S::wyg,   "wyg",     K::Level,   9,  O::Ready,       {Reg(R::G)},           {Bus(B::S)}},
    {S::wyrb,  "wyrb",    K::Level,   9,  O::Copy,        {Reg(R::RB)},          {Bus(B::S)}},
    {S::wyx,   "wyx",     K::Level,   6,  O::Copy,        {Reg(R::X)},           {Bus(B::S)}},
    {S::wyy,   "wyy",     K::Level,   7,  O::Copy,        {Reg(R::Y)},           {Bus(B::S)}},
    {S::wyls,  "wyls",    K::Level,   5,  O::Copy,        {Reg(R::L)},           {Bus(B::S)}},
    {S::wyws,  "wyws",    K::Level,   5,  O::Copy,        {Reg(R::WS)},          {Bus(B::A)}},
    {S::wyrm,  "wyrm",    K::Level,   8,  O::Copy,        {Reg(R::RM)},          {Bus(B::A)}},
    {S::wyap,  "wyap",    K::Level,   8,  O::Copy,        {Reg(R::AP)},          {Bus(B::A)}},
    {S::as,    "as (sa)", K::Level,   1,  O::Link,        {},                    {Bus(B::AS)}},
    {S::weja,  "weja",    K::Level,   0,  O::Copy,        {Bus(B::S)},           {kAluInput}},
    {S::dod,   "dod",     K::Level,   0,  O::Add,         {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::ode,   "ode",     K::Level,   0,  O::Subtract,    {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::przep, "przep",   K::Level,   0,  O::Pass,        {kAluInput},           {kAluResult}},
    {S::mno,   "mno",     K::Level,   4,  O::Multiply,    {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::dziel, "dziel",   K::Level,   4,  O::Divide,      {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::shr,   "shr",     K::Level,   4,  O::ShiftRight,  {kAluInput},           {kAluResult}},
    {S::neg,   "neg",     K::Level,   3,  O::Not,         {kAluInput},           {kAluResult}},
    {S::lub,   "lub",     K::Level,   3,  O::Or,          {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::i,     "i",       K::Level,   3,  O::And,         {Reg(R::AK), kAluInput}, {kAluResult}},
    {S::new1,  "new1",    K::Level,   kReserveOption, O::Nothing, {}, {}},
    {S::new2,  "new2",    K::Level,   kReserveOption, O::Nothing, {}, {}},
    {S::new3,  "new3",    K::Level,   kReserveOption, O::Nothing, {}, {}},
    {S::new4,  "new4",    K::Level,   kReserveOption, O::Nothing, {}, {}},
    {S::iak,   "iak",     K::Impulse, 2,  O::Increment,   {Reg(R::AK)},          {Reg(R::AK)}},
    {S::dak,   "dak",     K::Impulse, 2,  O::Decrement,   {Reg(R::AK)},          {Reg(R::AK)}},
    {S::weak,  "weak",    K::Impulse, 0,  O::Copy,        {kAluResult},          {Reg(R::AK)}},
    {S::wei,   "wei",     K::Impulse, 0,  O::Copy,        {Bus(B::S)},           {Reg(R::I)}},
    {S::wea,   "wea",     K::Impulse, 0,  O::Copy,        {Bus(B::A)},           {Reg(R::A)}},
    {S::wes,   "wes",     K::Impulse, 0,  O::Copy,        {Bus(B::S)},           {Reg(R::S)}},
    {S::il,    "il",      K::Impulse, 0,  O::Increment,   {Reg(R::L)},           {Reg(R::L)}},
    {S::wel,   "wel",     K::Impulse, 0,  O::Copy,        {Bus(B::A)},           {Reg(R::L)}},
    {S::wex,   "wex",     K::Impulse, 6,  O::Copy,        {Bus(B::S)},           {Reg(R::X)}},
    {S::wey,   "wey",     K::Impulse, 7,  O::Copy,        {Bus(B::S)},           {Reg(R::Y)}},
    {S::werb,  "werb",    K::Impulse, 9,  O::Copy,        {Bus(B::S)},           {Reg(R::RB)}},
    {S::start, "start",   K::Impulse, 9,  O::Device,      {Reg(R::I), Reg(R::RB)}, {Reg(R::G), Reg(R::RB)}},
    {S::iws,   "iws",     K::Impulse, 5,  O::Increment,   {Reg(R::WS)},          {Reg(R::WS)}},
    {S::dws,   "dws",     K::Impulse, 5,  O::Decrement,   {Reg(R::WS)},          {Reg(R::WS)}},
    {S::wews,  "wews",    K::Impulse, 5,  O::Copy,        {Bus(B::A)},           {Reg(R::WS)}},
    {S::werm,  "werm",    K::Impulse, 8,  O::Copy,        {Bus(B::A)},           {Reg(R::RM)}},
    {S::rint,  "rint",    K::Impulse, 8,  O::Acknowledge, {Reg(R::RZ), Reg(R::RP)}, {Reg(R::RZ), Reg(R::RP), Reg(R::AP)}},
    {S::eni,   "eni",     K::Impulse, 8,  O::Enable,      {Reg(R::RZ), Reg(R::RM)}, {Reg(R::RP), Reg(R::AP), Reg(R::F)}},
    {S::stop,  "stop",    K::Level,   0,  O::Stop,        {},                    {}},
}};
// clang-format on
}  // namespace SignalRows

inline constexpr const std::array<TSignalRow, kSignalCount>& kSignalTable = SignalRows::kTable;

[[nodiscard]] constexpr const TSignalRow& SignalRow(int number) noexcept {
  return kSignalTable[static_cast<std::size_t>(number)];
}

// The numbers are the positions, so the enumeration and the table agree.
consteval bool NumbersArePositions() {
  for (std::size_t n = 0; n < kSignalTable.size(); ++n) {
    if (static_cast<std::size_t>(kSignalTable[n].Id) != n) return false;
  }
  return true;
}
static_assert(NumbersArePositions());

[[nodiscard]] constexpr std::uint64_t SignalBit(TSignalId id) noexcept {
  return std::uint64_t{1} << static_cast<int>(id);
}

// The cycles most microprograms are made of, beyond the fetch: each runs
// as one step when its plan is clean, its signals' actions written out
// one after another. Any other set runs signal by signal.
namespace CommonCycles {
using S = TSignalId;
template <S... Ids>
constexpr std::uint64_t Set() noexcept {
  return ((std::uint64_t{1} << static_cast<int>(Ids)) | ...);
}
// clang-format off
inline constexpr std::array<std::uint64_t, 14> kTable = {
    Set<S::wyad, S::wea>(),
    Set<S::czyt, S::wys, S::weja, S::przep, S::weak, S::wyl, S::wea>(),
    Set<S::czyt, S::wys, S::weja, S::dod, S::weak, S::wyl, S::wea>(),
    Set<S::czyt, S::wys, S::weja, S::ode, S::weak, S::wyl, S::wea>(),
    Set<S::pisz, S::wyl, S::wea>(),
    Set<S::czyt, S::wys, S::as, S::wea>(),
    Set<S::czyt, S::wys, S::as, S::wel, S::wea>(),
    Set<S::wyws, S::wea, S::iws>(),
    Set<S::wyad, S::wea, S::wyak, S::wes>(),
    Set<S::wyad, S::wea, S::wel>(),
    Set<S::wyl, S::wea>(),
    Set<S::wyws, S::wea, S::wyls, S::wes>(),
    Set<S::wyws, S::wea, S::wyak, S::wes>(),
    Set<S::pisz, S::wyad, S::wel, S::wea>(),
};
// clang-format on
}  // namespace CommonCycles
inline constexpr const std::array<std::uint64_t, 14>& kCommonCycles = CommonCycles::kTable;

// What the signal does, as a formula of the places of its row, the way the
// help page's table of signals writes it: "mag S ← AK", "AK ← AK + 1",
// "S ← PaO[A]", "wynik JAL = AK + wejście". Empty for a signal whose action
// takes words to tell.
[[nodiscard]] std::string SignalFormula(int number);

}  // namespace dorum
