#pragma once

#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

#include "machine/IOConsole.h"
#include "machine/Items.h"
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
inline constexpr int kSignalCount = 48;

[[nodiscard]] constexpr std::uint64_t SignalBit(TSignalId id) noexcept {
  return std::uint64_t{1} << static_cast<int>(id);
}

// Everything the machine holds, as one copyable value (a snapshot).
struct TMachineState {
  std::array<TRegister, kRegisterCount> Registers;
  std::array<TBus, kBusCount> Buses;
  TMemory Memory;
  TALU Alu;
  std::array<TSignal, kSignalCount> Signals;
  std::uint64_t ActiveSignals = 0;
  TInterruptVectors Vectors;
  TIOPorts IOPorts;
};

// The data path of the Dorum machine with its configuration, its signals and
// their actions, the interrupt lines and the console device.
class TMachine {
 public:
  TMachine();
  TMachine(const TMachine&) = delete;
  TMachine& operator=(const TMachine&) = delete;

  // Components.
  [[nodiscard]] TRegister& Register(TRegisterId id) noexcept { return s_.Registers[Index(id)]; }
  [[nodiscard]] const TRegister& Register(TRegisterId id) const noexcept {
    return s_.Registers[Index(id)];
  }
  [[nodiscard]] TBus& Bus(TBusId id) noexcept { return s_.Buses[static_cast<std::size_t>(id)]; }
  [[nodiscard]] const TBus& Bus(TBusId id) const noexcept {
    return s_.Buses[static_cast<std::size_t>(id)];
  }
  [[nodiscard]] TMemory& Memory() noexcept { return s_.Memory; }
  [[nodiscard]] const TMemory& Memory() const noexcept { return s_.Memory; }
  [[nodiscard]] const TALU& Alu() const noexcept { return s_.Alu; }
  [[nodiscard]] const TSignal& Signal(int number) const noexcept {
    return s_.Signals[static_cast<std::size_t>(number)];
  }
  [[nodiscard]] const TMachineState& State() const noexcept { return s_; }
  [[nodiscard]] TIOConsole& Console() noexcept { return console_; }
  [[nodiscard]] const TIOConsole& Console() const noexcept { return console_; }

  // Lookup by caption; -1 when there is none. Registers ignore case; signals
  // follow the lower-case rule and accept "as" and "sa" for "as (sa)".
  [[nodiscard]] static int FindRegister(const QString& caption);
  [[nodiscard]] static int FindSignal(const QString& name);
  // The signal whose name is exactly this one ("as (sa)" in full); -1 if none.
  [[nodiscard]] static int FindSignalExact(const QString& name);
  [[nodiscard]] static int FindBus(const QString& name);

  // Links: both may be null (no view; no control unit).
  void SetObserver(IMachineObserver* observer) noexcept { observer_ = observer; }
  void SetControl(IControlLink* control) noexcept { control_ = control ? control : &standalone_; }
  [[nodiscard]] IControlLink& Control() noexcept { return *control_; }
  [[nodiscard]] const IControlLink& Control() const noexcept { return *control_; }

  // Signals and the clock cycle.
  [[nodiscard]] bool SignalActive(int number) const noexcept {
    return (s_.ActiveSignals >> number) & 1u;
  }
  [[nodiscard]] std::uint64_t ActiveSignals() const noexcept { return s_.ActiveSignals; }
  void SetActive(int number, bool on);
  void SetActiveSignals(std::uint64_t mask);
  // Releases every mark of the previous cycle.
  void ClearCycle();
  // Performs every active signal in table order; an error ends the cycle at
  // that signal and keeps what was done before it.
  void PerformActiveSignals();
  void Perform(int number);
  // One clock cycle with exactly these signals switched on.
  void ExecuteSignals(std::uint64_t mask) {
    SetActiveSignals(mask);
    ClearCycle();
    PerformActiveSignals();
  }

  // What the machine window lets the user do between cycles.
  void EnterRegisterValue(TRegisterId id, const QString& text);
  void EnterMemoryValue(int address, const QString& text);
  void ZeroRegister(TRegisterId id);
  void SetDisplayMode(TRegisterId id, TDisplayMode mode);
  void RaiseInterrupt(int line);
  // Runs the machine's handling of a change of the console's input field.
  void ConsoleInputChanged();
  // The user types at the end of the input field.
  void TypeInput(const QString& text);

  // Display texts.
  [[nodiscard]] QString RegisterText(TRegisterId id) const;  // "AK : 15"
  [[nodiscard]] QString RegisterValueText(TRegisterId id) const;
  [[nodiscard]] QString RegisterGetCode(int value) const;
  [[nodiscard]] QString MemoryGetCode(int code) const;
  [[nodiscard]] QString CellText(int cell) const;

  // Configuration. Nothing is ever cleared by a change.
  [[nodiscard]] int AddressBits() const noexcept { return Register(TRegisterId::A).Bits(); }
  [[nodiscard]] int CodeBits() const noexcept {
    return Register(TRegisterId::S).Bits() - Register(TRegisterId::A).Bits();
  }
  [[nodiscard]] int WordBits() const noexcept { return Register(TRegisterId::S).Bits(); }
  void SetAddressBits(int bits);
  void SetCodeBits(int bits);
  [[nodiscard]] TComponentSet GetComponents() const;
  void SetComponents(TComponentSet components);
  [[nodiscard]] bool InterruptButtonsVisible() const noexcept { return buttonsVisible_; }
  [[nodiscard]] const TInterruptVectors& Vectors() const noexcept { return s_.Vectors; }
  void SetVectors(const TInterruptVectors& vectors) { s_.Vectors = vectors; }
  // Tells the views that words were stored without a machine access.
  void NotifyMemoryChanged() {
    if (observer_) observer_->MemoryChanged();
  }
  [[nodiscard]] const TIOPorts& IOPorts() const noexcept { return s_.IOPorts; }
  void SetIOPorts(const TIOPorts& ports) noexcept { s_.IOPorts = ports; }
  [[nodiscard]] TMachineConfig Config() const;
  // Every item to its reset state (memory contents stay), then the control
  // unit back to the fetch.
  void ResetMachine();

  // Signal actions, in table order.
  void SignalCzytAction();
  void SignalPiszAction();
  void SignalWysAction();
  void SignalWyakAction();
  void SignalWyadAction();
  void SignalWylAction();
  void SignalWygAction();
  void SignalWyrbAction();
  void SignalWyxAction();
  void SignalWyyAction();
  void SignalWylsAction();
  void SignalWywsAction();
  void SignalWyrmAction();
  void SignalWyapAction();
  void SignalAsAction();
  void SignalWejaAction();
  void SignalDodAction();
  void SignalOdeAction();
  void SignalPrzepAction();
  void SignalMnoAction();
  void SignalDzielAction();
  void SignalShrAction();
  void SignalNegAction();
  void SignalLubAction();
  void SignalIAction();
  void SignalNewAction();
  void SignalIakAction();
  void SignalDakAction();
  void SignalWeakAction();
  void SignalWeiAction();
  void SignalWeaAction();
  void SignalWesAction();
  void SignalIlAction();
  void SignalWelAction();
  void SignalWexAction();
  void SignalWeyAction();
  void SignalWerbAction();
  void SignalStartAction();
  void SignalIwsAction();
  void SignalDwsAction();
  void SignalWewsAction();
  void SignalWermAction();
  void SignalRintAction();
  void SignalEniAction();
  void SignalStopAction();

 private:
  template <int N>
  void PerformSignal();
  template <int... N>
  void PerformSignals(std::uint64_t mask, std::integer_sequence<int, N...> numbers);

  static constexpr std::size_t Index(TRegisterId id) noexcept {
    return static_cast<std::size_t>(id);
  }

  [[nodiscard]] std::int32_t Get(TRegisterId id) const { return Register(id).Value(); }
  void Put(TRegisterId id, std::int32_t value) {
    Register(id).SetValue(value);
    if (id == TRegisterId::AK) UpdateFlags();
    if (observer_) observer_->RegisterChanged(id);
  }
  [[nodiscard]] std::int32_t BusValue(TBusId id) const { return Bus(id).Value(); }
  void Drive(TBusId id, std::int32_t value) {
    Bus(id).Drive(value);
    if (observer_) observer_->BusChanged(id);
  }
  void SetAluInput(std::int32_t value) {
    s_.Alu.SetInput(value);
    if (observer_) observer_->AluChanged();
  }
  void SetAluResult(std::int32_t value) {
    s_.Alu.SetResult(value);
    if (observer_) observer_->AluChanged();
  }
  [[nodiscard]] std::int32_t AddressField(std::int32_t word) const noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(word) & WidthMask(AddressBits()));
  }
  // The accumulator's write sets Z from its sign bit and ZAK when it is zero.
  void UpdateFlags();
  void NotifyConfiguration() {
    if (observer_) observer_->ConfigurationChanged();
  }
  [[nodiscard]] TGetCodeEvent RegisterCodeEvent() const;
  [[nodiscard]] TGetCodeEvent MemoryCodeEvent() const;

  TMachineState s_;
  bool buttonsVisible_ = false;
  TIOConsole console_;
  TStandaloneControl standalone_;
  IControlLink* control_ = &standalone_;
  IMachineObserver* observer_ = nullptr;
};

}  // namespace dorum
