#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "machine/CyclePlan.h"
#include "machine/IOConsole.h"
#include "machine/Items.h"
#include "machine/MachineConfig.h"
#include "machine/MachineLinks.h"
#include "machine/SignalTable.h"

namespace dorum {

// The signals of the fetch that starts every instruction.
inline constexpr std::uint64_t kFetchSignals = SignalBit(TSignalId::czyt) |
                                               SignalBit(TSignalId::wys) |
                                               SignalBit(TSignalId::wei) | SignalBit(TSignalId::il);

// The marks a clock cycle leaves on the data path, one bit each: which
// registers were written, which buses driven, whether the memory was used
// and whether the arithmetic-logic unit holds an input and a result. A new
// cycle starts by clearing them all at once.
namespace Marks {
[[nodiscard]] constexpr std::uint32_t Register(TRegisterId id) noexcept {
  return std::uint32_t{1} << static_cast<int>(id);
}
[[nodiscard]] constexpr std::uint32_t Bus(TBusId id) noexcept {
  return std::uint32_t{1} << (16 + static_cast<int>(id));
}
inline constexpr std::uint32_t kRegisters = 0x7FFFu;
inline constexpr std::uint32_t kBuses = 0x70000u;
inline constexpr std::uint32_t kMemory = 1u << 20;
inline constexpr std::uint32_t kAluInput = 1u << 21;
inline constexpr std::uint32_t kAluResult = 1u << 22;
}  // namespace Marks

// Everything the machine holds, as one copyable value (a snapshot).
struct TMachineState {
  std::array<TRegister, kRegisterCount> Registers;
  std::array<TBus, kBusCount> Buses;
  TMemory Memory;
  TALU Alu;
  std::array<TSignal, kSignalCount> Signals;
  std::uint64_t ActiveSignals = 0;
  std::uint32_t Marks = 0;  // of the current cycle, see Marks::
  TInterruptVectors Vectors;
  TIOPorts IOPorts;
};

// What clock cycles can change in the machine, as plain values: the
// history of a run keeps one before a segment of cycles and puts it back to
// perform them again. Widths, components, vectors and ports are not in it:
// a change of any of them starts the history afresh.
struct TMachineSnapshot {
  std::array<std::uint32_t, kRegisterCount> Registers{};  // the stored bits, as Content()
  std::array<TDisplayMode, kRegisterCount> Modes{};       // a signed register reads signed
  std::array<std::uint32_t, kBusCount> Buses{};
  std::int32_t AluInput = 0;
  std::int32_t AluResult = 0;
  std::uint64_t ActiveSignals = 0;
  std::uint32_t Marks = 0;
  std::vector<std::uint32_t> Words;  // the words in use, stored bits
  std::string Input;
  std::string Output;
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

  // The marks of the current cycle.
  [[nodiscard]] std::uint32_t CycleMarks() const noexcept { return s_.Marks; }
  [[nodiscard]] bool RegisterWritten(TRegisterId id) const noexcept {
    return (s_.Marks & Marks::Register(id)) != 0;
  }
  [[nodiscard]] bool BusDriven(TBusId id) const noexcept {
    return (s_.Marks & Marks::Bus(id)) != 0;
  }
  // The bus's value; "Magistrala ... jest pusta" unless it is driven.
  [[nodiscard]] std::int32_t BusValue(TBusId id) const { return ReadBus<true>(id); }
  [[nodiscard]] bool MemoryBusy() const noexcept { return (s_.Marks & Marks::kMemory) != 0; }
  [[nodiscard]] bool AluInputValid() const noexcept { return (s_.Marks & Marks::kAluInput) != 0; }
  [[nodiscard]] bool AluResultValid() const noexcept { return (s_.Marks & Marks::kAluResult) != 0; }

  // Lookup by caption; -1 when there is none. Registers ignore case; signals
  // follow the lower-case rule and accept "as" and "sa" for "as (sa)".
  [[nodiscard]] static int FindRegister(const std::string& caption);
  [[nodiscard]] static int FindSignal(const std::string& name);
  // The signal whose name is exactly this one ("as (sa)" in full); -1 if none.
  [[nodiscard]] static int FindSignalExact(const std::string& name);
  [[nodiscard]] static int FindBus(const std::string& name);

  // Links: both may be null (no view; no control unit).
  // Views hear of changes for as long as their subscription lives; they
  // take the record of changes when they repaint.
  [[nodiscard]] TSubscribers<IMachineObserver>::TSubscription Subscribe(
      IMachineObserver& observer) {
    return observers_.Subscribe(observer);
  }
  void SetControl(IControlLink* control) noexcept { control_ = control ? control : &standalone_; }
  [[nodiscard]] IControlLink& Control() noexcept { return *control_; }
  [[nodiscard]] const IControlLink& Control() const noexcept { return *control_; }

  // Everything that changed since the last call.
  [[nodiscard]] TMachineChanges TakeChanges() noexcept;

  // Signals and the clock cycle.
  [[nodiscard]] bool SignalActive(int number) const noexcept {
    return (s_.ActiveSignals >> number) & 1u;
  }
  [[nodiscard]] std::uint64_t ActiveSignals() const noexcept { return s_.ActiveSignals; }
  // A signal switched by hand between cycles.
  void SetActive(int number, bool on);
  // The set of a cycle about to run.
  void SetActiveSignals(std::uint64_t mask) noexcept {
    pending_.Signals |= s_.ActiveSignals ^ mask;
    s_.ActiveSignals = mask;
  }
  // Releases every mark of the previous cycle.
  void ClearCycle() noexcept {
    pendingMarks_ |= s_.Marks;
    reportedMarks_ = 0;
    s_.Marks = 0;
  }
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

  // Plans. A change of configuration makes every plan made before it stale.
  [[nodiscard]] std::uint32_t PlanGeneration() const noexcept { return planGeneration_; }
  [[nodiscard]] TCyclePlan MakePlan(std::uint64_t signals) const;
  // Performs the active signals, which must be the plan's, after
  // ClearCycle; the outcome is exactly PerformActiveSignals'.
  void PerformPlanned(const TCyclePlan& plan) {
    if (!plan.Clean) [[unlikely]] {
      PerformActiveSignals();
      return;
    }
    s_.Marks = plan.Marks;
    RunPlanSteps(plan);
  }
  // The same for the plan of the fetch, which starts every instruction.
  void PerformPlannedFetch(const TCyclePlan& plan);
  // The plan of an instruction from the plans of its cycles, the fetch
  // first; false when the instruction must run cycle by cycle.
  [[nodiscard]] bool MakeInstructionPlan(const std::vector<const TCyclePlan*>& cycles,
                                         TInstructionPlan& plan) const;
  // Runs a whole instruction from the fetch on, leaving exactly what its
  // cycles performed one by one leave.
  void PerformInstruction(const TInstructionPlan& plan) {
    // The cycle before it and its own but the last are past.
    pendingMarks_ |= s_.Marks | plan.EarlierMarks;
    reportedMarks_ = 0;
    s_.Marks = plan.LastMarks;
    const std::uint64_t before = s_.ActiveSignals;
    pending_.Signals |= (plan.AnySignals | before) & ~(plan.EverySignal & before);
    s_.ActiveSignals = plan.LastSignals;
    RunSteps(plan.Steps.data());
  }
  // The operation code the next fetch brings into I.
  [[nodiscard]] int CodeToFetch() const noexcept {
    // The memory cuts the address to its size, so A's sign does not matter;
    // S and I, through which the word goes to I, are as wide as a word.
    const auto address = static_cast<std::int32_t>(Register(TRegisterId::A).Content());
    const auto word = static_cast<std::uint32_t>(s_.Memory.Read(address));
    return static_cast<int>(word >> AddressBits());
  }

  // What the machine window lets the user do between cycles.
  void EnterRegisterValue(TRegisterId id, const std::string& text);
  void EnterMemoryValue(int address, const std::string& text);
  void ZeroRegister(TRegisterId id);
  void SetDisplayMode(TRegisterId id, TDisplayMode mode);
  void RaiseInterrupt(int line);
  // Runs the machine's handling of a change of the console's input field.
  void ConsoleInputChanged();
  // The user types at the end of the input field.
  void TypeInput(const std::string& text);
  // The user edits the input field into this text.
  void SetConsoleInput(const std::string& text);
  // "Clear" of the console's output.
  void ClearConsoleOutput();
  // The history of the run, told of every user action; may be null.
  void SetRecorder(IStepRecorder* recorder) noexcept { recorder_ = recorder; }

  // A snapshot is what a segment of cycles starts from.
  [[nodiscard]] TMachineSnapshot TakeSnapshot() const;
  // Everything may have changed: every view draws the machine afresh, and
  // the marks of the restored cycle are reported again.
  void NotifyRestored();
  // A look back through the history performs recorded cycles again and
  // then puts everything back: neither the views nor the record of changes
  // may hear of it.
  struct TQuiet {
    TMachineChanges Pending;
    std::uint32_t PendingMarks = 0;
    std::uint32_t ReportedMarks = 0;
    bool ObserversMuted = false;
    bool ConsoleMuted = false;
  };

  // Stepping back, the one way in: a snapshot put back whole, the single
  // restores that put back what one user action changed (bits exactly as
  // they were), and the quiet of a look back. None of them tells the
  // history or the views: once a whole step is back, NotifyRestored tells
  // the views. Only the history of a run (and its tests) makes one.
  class TRestorer {
   public:
    explicit TRestorer(TMachine& machine) noexcept : m_(machine) {}
    void Snapshot(const TMachineSnapshot& snapshot) { m_.RestoreSnapshot(snapshot); }
    void Register(TRegisterId id, std::uint32_t content) noexcept {
      m_.Register(id).RestoreContent(content);
    }
    void Bus(TBusId id, std::uint32_t raw) noexcept { m_.Bus(id).RestoreValue(raw); }
    void AluInput(std::int32_t value) noexcept { m_.s_.Alu.SetInput(value); }
    void AluResult(std::int32_t value) noexcept { m_.s_.Alu.SetResult(value); }
    void Marks(std::uint32_t marks) noexcept { m_.s_.Marks = marks; }
    void Word(int cell, std::uint32_t raw) noexcept { m_.s_.Memory.RestoreRaw(cell, raw); }
    void DisplayModes(const std::array<TDisplayMode, kRegisterCount>& modes) noexcept {
      m_.RestoreDisplayModes(modes);
    }
    void ConsoleInput(const std::string& text) { m_.RestoreConsoleInput(text); }
    void ConsoleOutput(const std::string& text) { m_.RestoreConsoleOutput(text); }
    [[nodiscard]] TQuiet BeginQuiet() noexcept { return m_.BeginQuiet(); }
    void EndQuiet(const TQuiet& quiet) noexcept { m_.EndQuiet(quiet); }

   private:
    TMachine& m_;
  };

  // Display texts.
  [[nodiscard]] std::string RegisterText(TRegisterId id) const;  // "AK : 15"
  [[nodiscard]] std::string RegisterValueText(TRegisterId id) const;
  [[nodiscard]] std::string RegisterGetCode(int value) const;
  [[nodiscard]] std::string MemoryGetCode(int code) const;
  [[nodiscard]] std::string CellText(int cell) const;
  // "name address" of a cell shown as an instruction, as the memory view has it.
  [[nodiscard]] std::string CodeText(int cell) const;

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
  // New handlers or ports change what later cycles do: the steps before
  // can no longer be performed again.
  void SetVectors(const TInterruptVectors& vectors) {
    if (recorder_ != nullptr && vectors != s_.Vectors) recorder_->StartAfresh();
    s_.Vectors = vectors;
  }
  // The control unit tells the views, through the record of changes, of a
  // new instruction list and of its modes.
  void NotifyInstructionsChanged() {
    pending_.Instructions = true;
    Notify();
  }
  void NotifyControlChanged() {
    pending_.Control = true;
    Notify();
  }
  // The control unit moved the bound program's current line, or wishes its
  // editor brought forward: the views read both from the record of changes.
  void NotifyLineMoved() {
    pending_.Line = true;
    Notify();
  }
  void NotifyFocusWanted() {
    pending_.Focus = true;
    Notify();
  }
  // Tells the views that words were stored without a machine access.
  void NotifyMemoryChanged() {
    if (recorder_ != nullptr) recorder_->StartAfresh();
    pending_.Words = true;
    Notify();
  }
  [[nodiscard]] const TIOPorts& IOPorts() const noexcept { return s_.IOPorts; }
  void SetIOPorts(const TIOPorts& ports) {
    if (recorder_ != nullptr && !(ports == s_.IOPorts)) recorder_->StartAfresh();
    s_.IOPorts = ports;
  }
  [[nodiscard]] TMachineConfig Config() const;
  // Every item to its reset state (memory contents stay), then the control
  // unit back to the fetch.
  void ResetMachine();

 private:
  // Signal N's action, as its row describes it. The checked form enforces
  // every once-per-cycle rule and sets the marks; the unchecked form is
  // what a clean plan runs.
  template <int N, bool Checked>
  void Act();
  // Runs the unchecked steps of a plan up to kStepEnd.
  void RunSteps(const std::uint8_t* step);
  // A common cycle, kCommonCycles[K], as one step.
  template <std::size_t K>
  void RunCommonCycle();
  template <std::uint64_t Set, int N>
  void ActIn();
  // With Whole false, only the bits within the place's width matter to
  // what takes the value (it is that narrow or narrower): an unchecked read
  // of a register then skips the sign a signed display would give them.
  template <TPlace P, bool Checked, bool Whole = true>
  [[nodiscard]] std::int32_t Fetch() const;
  template <TPlace P, bool Checked>
  void StoreTo(std::int32_t value);
  template <bool Checked>
  void LinkAction();
  void DeviceAction();
  template <bool Checked>
  void AcknowledgeAction();
  template <bool Checked>
  void EnableAction();
  [[noreturn]] void StopAction();
  template <int... N>
  void PerformSignals(std::uint64_t mask, std::integer_sequence<int, N...> numbers);
  void RunPlanSteps(const TCyclePlan& plan);
  // The two directions of the link "as".
  template <bool Checked>
  void LinkFromA();
  template <bool Checked>
  void LinkFromS();
  // The fetch, the first cycle of every instruction, as one step; inlined
  // into the loop of steps, which every instruction passes through.
  [[gnu::always_inline]] inline void PlannedFetch();

  static constexpr std::size_t Index(TRegisterId id) noexcept {
    return static_cast<std::size_t>(id);
  }

  template <bool Checked>
  [[nodiscard]] std::int32_t Get(TRegisterId id) const {
    if constexpr (Checked) {
      return Register(id).Value();
    } else {
      return Register(id).CurrentValue();
    }
  }
  template <bool Checked>
  void Put(TRegisterId id, std::int32_t value) {
    TRegister& r = Register(id);
    if constexpr (Checked) {
      if (!r.Flag()) {
        if (!r.Visible()) r.ThrowNotAvailable();
        if ((s_.Marks & Marks::Register(id)) != 0) r.ThrowActiveAlready();
      }
      s_.Marks |= Marks::Register(id);
    }
    r.Store(value);
    if (id == TRegisterId::AK) UpdateFlags<Checked>();
  }
  // Lets a register be written again in this cycle (a user's edit, the
  // input device's second write of G).
  void ReleaseRegister(TRegisterId id) noexcept { s_.Marks &= ~Marks::Register(id); }
  // A write by a user's action between cycles. The register keeps the mark
  // of the cycle's own write, which a view may have collected already, so
  // the write is reported on its own, with the flags for the accumulator.
  void UserPut(TRegisterId id, std::int32_t value);
  template <bool Checked>
  [[nodiscard]] std::int32_t ReadBus(TBusId id) const {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::Bus(id)) == 0) Bus(id).ThrowEmpty();
    }
    return static_cast<std::int32_t>(Bus(id).RawValue());
  }
  template <bool Checked>
  void Drive(TBusId id, std::int32_t value) {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::Bus(id)) != 0) Bus(id).ThrowBusy();
      s_.Marks |= Marks::Bus(id);
    }
    Bus(id).Store(value);
  }
  template <bool Checked>
  void UseMemory() {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::kMemory) != 0) TMemory::ThrowBusy();
      s_.Marks |= Marks::kMemory;
    }
  }
  template <bool Checked>
  [[nodiscard]] std::int32_t ReadMemory(std::int32_t address) {
    UseMemory<Checked>();
    pending_.Access(s_.Memory.IndexOf(address));
    return s_.Memory.Read(address);
  }
  template <bool Checked>
  void WriteMemory(std::int32_t address, std::int32_t value) {
    UseMemory<Checked>();
    pending_.Access(s_.Memory.IndexOf(address));
    s_.Memory.Write(address, value);
  }
  template <bool Checked>
  void SetAluInput(std::int32_t value) noexcept {
    if constexpr (Checked) s_.Marks |= Marks::kAluInput;
    s_.Alu.SetInput(value);
  }
  template <bool Checked>
  [[nodiscard]] std::int32_t AluInput() const {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::kAluInput) == 0) TALU::ThrowNoInput();
    }
    return s_.Alu.Input();
  }
  template <bool Checked>
  void SetAluResult(std::int32_t value) {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::kAluResult) != 0) TALU::ThrowActiveAlready();
      s_.Marks |= Marks::kAluResult;
    }
    s_.Alu.SetResult(value);
  }
  template <bool Checked>
  [[nodiscard]] std::int32_t AluResult() const {
    if constexpr (Checked) {
      if ((s_.Marks & Marks::kAluResult) == 0) TALU::ThrowNoResult();
    }
    return s_.Alu.Result();
  }
  [[nodiscard]] std::int32_t AddressField(std::int32_t word) const noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(word) & WidthMask(AddressBits()));
  }
  // The accumulator's write sets Z from its sign bit and ZAK when it is zero.
  // Both are available here (the write of AK succeeded, F always is), and
  // their stored bits say as much as their values.
  template <bool Checked>
  void UpdateFlags() {
    const TRegister& ak = Register(TRegisterId::AK);
    const std::uint32_t v = ak.Content();
    TRegister& flags = Register(TRegisterId::F);
    std::uint32_t f = flags.Content() & ~9u;
    f |= (v >> (ak.Bits() - 1)) & 1u;
    f |= v == 0 ? 8u : 0u;
    flags.Store(static_cast<std::int32_t>(f));
    if constexpr (Checked) s_.Marks |= Marks::Register(TRegisterId::F);
  }
  void ConfigurationChanged() {
    if (recorder_ != nullptr) recorder_->StartAfresh();
    ++planGeneration_;
    pending_.Configuration = true;
    Notify();
  }
  void Notify() {
    observers_.Tell([](IMachineObserver& o) { o.MachineChanged(); });
  }
  // Stepping back, through TRestorer.
  void RestoreSnapshot(const TMachineSnapshot& snapshot);
  void RestoreDisplayModes(const std::array<TDisplayMode, kRegisterCount>& modes) noexcept;
  void RestoreConsoleInput(const std::string& text);
  void RestoreConsoleOutput(const std::string& text);
  [[nodiscard]] TQuiet BeginQuiet() noexcept;
  void EndQuiet(const TQuiet& quiet) noexcept;
  [[nodiscard]] TGetCodeEvent RegisterCodeEvent() const;
  [[nodiscard]] TGetCodeEvent MemoryCodeEvent() const;

  TMachineState s_;
  bool buttonsVisible_ = false;
  std::uint32_t planGeneration_ = 1;
  // Changes not yet collected by a view: the marks of past cycles and those
  // of the present one not yet reported go into pendingMarks_.
  TMachineChanges pending_;
  std::uint32_t pendingMarks_ = 0;
  std::uint32_t reportedMarks_ = 0;
  TIOConsole console_;
  TStandaloneControl standalone_;
  IControlLink* control_ = &standalone_;
  TSubscribers<IMachineObserver> observers_;
  IStepRecorder* recorder_ = nullptr;
};

}  // namespace dorum
