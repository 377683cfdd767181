#include "machine/Machine.h"

#include <limits>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum {

namespace {

template <std::size_t... N>
std::array<TSignal, kSignalCount> MakeSignals(std::index_sequence<N...>) {
  return {TSignal(kSignalTable[N].Name, kSignalTable[N].Option,
                  kSignalTable[N].Kind == TSignalKind::Impulse)...};
}

// Registers in the order AK I L A S WS X Y RZ RM RP AP RB G F, with their
// option numbers and their widths for 5 address and 3 code bits.
TMachineState InitialState() {
  return TMachineState{
      {{TRegister("AK", 0, 8), TRegister("I", 0, 8), TRegister("L", 0, 5), TRegister("A", 0, 5),
        TRegister("S", 0, 8), TRegister("WS", 5, 5), TRegister("X", 6, 8), TRegister("Y", 7, 8),
        TRegister("RZ", 8, 4), TRegister("RM", 8, 4), TRegister("RP", 8, 4), TRegister("AP", 8, 5),
        TRegister("RB", 9, 8), TRegister("G", 9, 1), TRegister("F", 10, 4)}},
      {{TBus("mag S", 0, 8), TBus("mag A", 0, 5), TBus("mag AS", 1, 5)}},
      TMemory("PaO", 0),
      TALU("ALU", 0),
      MakeSignals(std::make_index_sequence<kSignalCount>{}),
      0,
      0,
      DefaultVectors(),
      TIOPorts{},
  };
}

// One user action between cycles, as one step of the run's history.
class TUserAction {
 public:
  TUserAction(IStepRecorder* recorder, int cell = -1) : recorder_(recorder) {
    if (recorder_ != nullptr) recorder_->BeginUserAction(cell);
  }
  ~TUserAction() {
    if (recorder_ != nullptr) recorder_->EndUserAction();
  }
  TUserAction(const TUserAction&) = delete;
  TUserAction& operator=(const TUserAction&) = delete;

 private:
  IStepRecorder* recorder_;
};

std::int32_t Add(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t Sub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace

TMachine::TMachine() : s_(InitialState()) {
  TRegister& f = Register(TRegisterId::F);
  f.SetFlag(true);
  f.Store(8);
  Register(TRegisterId::I).SetDisplayMode(TDisplayMode::dmInstruction);
  SetComponents(TComponentSet().set(0));
  pending_ = {};
}

int TMachine::FindRegister(const std::string& caption) {
  static const TMachineState names = InitialState();
  for (int r = 0; r < kRegisterCount; ++r) {
    if (EqualsIgnoringAsciiCase(caption, names.Registers[static_cast<std::size_t>(r)].Caption())) {
      return r;
    }
  }
  return -1;
}

int TMachine::FindSignal(const std::string& name) {
  const std::string lower = LowerCase(name);
  if (lower == "as" || lower == "sa") return static_cast<int>(TSignalId::as);
  return FindSignalExact(lower);
}

int TMachine::FindSignalExact(const std::string& name) {
  for (int n = 0; n < kSignalCount; ++n) {
    if (name == std::string_view(kSignalTable[static_cast<std::size_t>(n)].Name)) return n;
  }
  return -1;
}

int TMachine::FindBus(const std::string& name) {
  static const std::array<const char*, kBusCount> names = {"S", "A", "AS"};
  std::string_view bare = name;
  if (EqualsIgnoringAsciiCase(bare.substr(0, 4), "mag ")) bare.remove_prefix(4);
  for (int b = 0; b < kBusCount; ++b) {
    if (EqualsIgnoringAsciiCase(bare, names[static_cast<std::size_t>(b)])) return b;
  }
  return -1;
}

TMachineChanges TMachine::TakeChanges() noexcept {
  // Marks set since the last look are reported now; the next cycle's clear
  // reports them again as they go.
  const std::uint32_t marks = pendingMarks_ | (s_.Marks & ~reportedMarks_);
  reportedMarks_ = s_.Marks;
  pendingMarks_ = 0;
  TMachineChanges changes = pending_;
  pending_ = {};
  changes.Registers |= marks & Marks::kRegisters;
  changes.Buses |= (marks & Marks::kBuses) >> 16;
  changes.Alu = changes.Alu || (marks & (Marks::kAluInput | Marks::kAluResult)) != 0;
  return changes;
}

void TMachine::SetActive(int number, bool on) {
  const TUserAction step(recorder_);
  const std::uint64_t bit = std::uint64_t{1} << number;
  SetActiveSignals(on ? (s_.ActiveSignals | bit) : (s_.ActiveSignals & ~bit));
  Notify();
}

template <int... N>
void TMachine::PerformSignals(std::uint64_t mask, std::integer_sequence<int, N...> /*numbers*/) {
  // One test per signal in table order, each calling its action directly.
  // An action that raises ends the cycle there.
  ((mask & (std::uint64_t{1} << N) ? Act<N, true>() : void()), ...);
}

void TMachine::PerformActiveSignals() {
  PerformSignals(s_.ActiveSignals, std::make_integer_sequence<int, kSignalCount>());
}

void TMachine::Perform(int number) {
  if (number >= 0 && number < kSignalCount) {
    PerformSignals(std::uint64_t{1} << number, std::make_integer_sequence<int, kSignalCount>());
    return;
  }
  throw EDorumError(Texts::ListIndexOutOfBounds(number));
}

// ---- plans ----

namespace {

// The once-per-cycle rules followed through a set of signals without
// performing them: the marks they would set, and whether any rule could fail.
class TPlanBuilder {
 public:
  explicit TPlanBuilder(const TMachineState& s) : s_(s) {}

  void Read(TRegisterId id) {
    if (!s_.Registers[static_cast<std::size_t>(id)].Available()) clean_ = false;
  }
  void Write(TRegisterId id) {
    const TRegister& r = s_.Registers[static_cast<std::size_t>(id)];
    if (!r.Flag() && (!r.Visible() || (marks_ & Marks::Register(id)) != 0)) clean_ = false;
    marks_ |= Marks::Register(id);
    if (id == TRegisterId::AK) marks_ |= Marks::Register(TRegisterId::F);
  }
  void Drive(TBusId id) {
    if (Driven(id)) clean_ = false;
    marks_ |= Marks::Bus(id);
  }
  void ReadBus(TBusId id) {
    if (!Driven(id)) clean_ = false;
  }
  [[nodiscard]] bool Driven(TBusId id) const { return (marks_ & Marks::Bus(id)) != 0; }
  void UseMemory() {
    if ((marks_ & Marks::kMemory) != 0) clean_ = false;
    marks_ |= Marks::kMemory;
  }
  void LatchInput() { marks_ |= Marks::kAluInput; }
  void NeedInput() {
    if ((marks_ & Marks::kAluInput) == 0) clean_ = false;
  }
  void Result() {
    if ((marks_ & Marks::kAluResult) != 0) clean_ = false;
    marks_ |= Marks::kAluResult;
  }
  void NeedResult() {
    if ((marks_ & Marks::kAluResult) == 0) clean_ = false;
  }
  void Unclean() { clean_ = false; }
  void ReadPlace(TPlace place) {
    switch (place.Kind) {
      case TPlaceKind::Register:
        Read(place.RegisterId());
        break;
      case TPlaceKind::Bus:
        ReadBus(place.BusId());
        break;
      case TPlaceKind::Memory:
        UseMemory();
        break;
      case TPlaceKind::AluInput:
        NeedInput();
        break;
      case TPlaceKind::AluResult:
        NeedResult();
        break;
      case TPlaceKind::None:
        break;
    }
  }
  void WritePlace(TPlace place) {
    switch (place.Kind) {
      case TPlaceKind::Register:
        Write(place.RegisterId());
        break;
      case TPlaceKind::Bus:
        Drive(place.BusId());
        break;
      case TPlaceKind::Memory:
        UseMemory();
        break;
      case TPlaceKind::AluInput:
        LatchInput();
        break;
      case TPlaceKind::AluResult:
        Result();
        break;
      case TPlaceKind::None:
        break;
    }
  }
  // The link "as" carries bus A to bus S when A is driven, else S to A,
  // and drives AS from S.
  void Link() {
    if (Driven(TBusId::A)) {
      ReadBus(TBusId::A);
      Drive(TBusId::S);
    } else {
      ReadBus(TBusId::S);
      Drive(TBusId::A);
    }
    ReadBus(TBusId::S);
    Drive(TBusId::AS);
  }

  [[nodiscard]] bool Clean() const { return clean_; }
  [[nodiscard]] std::uint32_t MarksNow() const { return marks_; }

 private:
  const TMachineState& s_;
  std::uint32_t marks_ = 0;
  bool clean_ = true;
};

// A clean plan of a common cycle is that cycle's one step.
void UseCommonCycle(TCyclePlan& plan) {
  for (std::size_t k = 0; k < kCommonCycles.size(); ++k) {
    if (kCommonCycles[k] != plan.Signals) continue;
    plan.Steps[0] = static_cast<std::uint8_t>(kStepCycle + k);
    plan.Steps[1] = kStepEnd;
    plan.StepCount = 1;
    return;
  }
}

}  // namespace

TCyclePlan TMachine::MakePlan(std::uint64_t signals) const {
  TCyclePlan plan;
  plan.Generation = planGeneration_;
  plan.Signals = signals;
  TPlanBuilder b(s_);
  for (std::uint64_t rest = signals; rest != 0 && b.Clean(); rest &= rest - 1) {
    const int n = std::countr_zero(rest);
    const TSignalRow& row = SignalRow(n);
    auto step = static_cast<std::uint8_t>(n);
    switch (row.Operation) {
      case TSignalOperation::Nothing:
        continue;
      // What the device does depends on the port in I and on the input.
      case TSignalOperation::Device:
        b.Unclean();
        break;
      case TSignalOperation::Link:
        step = b.Driven(TBusId::A) ? kStepAsFromA : kStepAsFromS;
        b.Link();
        break;
      default:
        for (const TPlace place : row.Reads) b.ReadPlace(place);
        if (row.Operation == TSignalOperation::Divide) plan.MarksBeforeDivision = b.MarksNow();
        for (const TPlace place : row.Writes) b.WritePlace(place);
        break;
    }
    if (plan.StepCount == TCyclePlan::kMaxSteps) {
      b.Unclean();
      break;
    }
    plan.Steps[plan.StepCount++] = step;
  }
  plan.Steps[plan.StepCount] = kStepEnd;
  plan.Clean = b.Clean();
  plan.Marks = b.MarksNow();
  if (plan.Clean) UseCommonCycle(plan);
  return plan;
}

namespace {

// A clean plan's division meets a zero divisor: the step that raises it
// leaves the marks of the steps before it.
struct TPlannedDivisionByZero {};

}  // namespace

void TMachine::PerformPlannedFetch(const TCyclePlan& plan) {
  if (!plan.Clean) [[unlikely]] {
    PerformActiveSignals();
    return;
  }
  s_.Marks = plan.Marks;
  PlannedFetch();
}

inline void TMachine::PlannedFetch() {
  Act<static_cast<int>(TSignalId::czyt), false>();
  Act<static_cast<int>(TSignalId::wys), false>();
  Act<static_cast<int>(TSignalId::wei), false>();
  Act<static_cast<int>(TSignalId::il), false>();
}

// One case a signal; the cases are written out because nothing else makes
// a switch of a template's instances.
#define DORUM_STEP(n)  \
  case (n):            \
    Act<(n), false>(); \
    break;
#define DORUM_STEPS4(n) DORUM_STEP(n) DORUM_STEP((n) + 1) DORUM_STEP((n) + 2) DORUM_STEP((n) + 3)
#define DORUM_STEPS8(n) DORUM_STEPS4(n) DORUM_STEPS4((n) + 4)
#define DORUM_CYCLE(k)                             \
  case kStepCycle + (k):                           \
    RunCommonCycle<static_cast<std::size_t>(k)>(); \
    break;                                         \
  case kStepFetchThen + (k):                       \
    PlannedFetch();                                \
    RunCommonCycle<static_cast<std::size_t>(k)>(); \
    break;

namespace {

// The signals that drive bus A before the link in table order: with one
// of them in a cycle the link carries A to S, else S to A.
constexpr std::uint64_t BusADrivers() {
  std::uint64_t set = 0;
  for (int n = 0; n < static_cast<int>(TSignalId::as); ++n) {
    if (SignalRow(n).Writes[0] == Place::Bus(TBusId::A)) set |= std::uint64_t{1} << n;
  }
  return set;
}

// Whether a step may run inside a whole instruction: it cannot fail on data
// and does not talk to the control unit or the device.
constexpr bool FusableStep(std::uint8_t step) noexcept {
  if (step >= kSignalCount) return true;  // a direction of the link
  switch (SignalRow(step).Operation) {
    case TSignalOperation::Divide:
    case TSignalOperation::Ready:
    case TSignalOperation::Device:
    case TSignalOperation::Stop:
      return false;
    default:
      return true;
  }
}

// A common cycle runs as one step only if nothing in it can fail on data
// or needs the control unit, as in a whole instruction.
constexpr bool CommonCyclesRunUnchecked() {
  for (const std::uint64_t set : kCommonCycles) {
    for (int n = 0; n < kSignalCount; ++n) {
      if (((set >> n) & 1u) != 0 && !FusableStep(static_cast<std::uint8_t>(n))) return false;
    }
  }
  return true;
}
static_assert(CommonCyclesRunUnchecked());

}  // namespace

template <std::uint64_t Set, int N>
void TMachine::ActIn() {
  if constexpr (((Set >> N) & 1u) == 0) {
    return;
  } else if constexpr (N == static_cast<int>(TSignalId::as)) {
    if constexpr ((Set & BusADrivers()) != 0) {
      LinkFromA<false>();
    } else {
      LinkFromS<false>();
    }
  } else {
    Act<N, false>();
  }
}

template <std::size_t K>
void TMachine::RunCommonCycle() {
  [this]<int... N>(std::integer_sequence<int, N...>) {
    (ActIn<kCommonCycles[K], N>(), ...);
  }
  (std::make_integer_sequence<int, kSignalCount>());
}

void TMachine::RunSteps(const std::uint8_t* step) {
  // One switch inlines every step into this loop: no call a step, and
  // under WebAssembly a br_table instead of a call_indirect.
  static_assert(kSignalCount == 48, "a case for every signal");
  static_assert(kCommonCycles.size() == 14, "a case for every common cycle");
  for (;; ++step) {
    switch (*step) {
      DORUM_STEPS8(0)
      DORUM_STEPS8(8)
      DORUM_STEPS8(16)
      DORUM_STEPS8(24)
      DORUM_STEPS8(32)
      DORUM_STEPS8(40)
      case kStepAsFromA:
        LinkFromA<false>();
        break;
      case kStepAsFromS:
        LinkFromS<false>();
        break;
      case kStepFetch:
        PlannedFetch();
        break;
        DORUM_CYCLE(0)
        DORUM_CYCLE(1)
        DORUM_CYCLE(2)
        DORUM_CYCLE(3)
        DORUM_CYCLE(4)
        DORUM_CYCLE(5)
        DORUM_CYCLE(6)
        DORUM_CYCLE(7)
        DORUM_CYCLE(8)
        DORUM_CYCLE(9)
        DORUM_CYCLE(10)
        DORUM_CYCLE(11)
        DORUM_CYCLE(12)
        DORUM_CYCLE(13)
      default:
        return;
    }
  }
}

#undef DORUM_CYCLE
#undef DORUM_STEPS8
#undef DORUM_STEPS4
#undef DORUM_STEP

void TMachine::RunPlanSteps(const TCyclePlan& plan) {
  try {
    RunSteps(plan.Steps.data());
  } catch (const TPlannedDivisionByZero&) {
    s_.Marks = plan.MarksBeforeDivision;
    throw EDorumError(Texts::DivisionByZero());
  }
}

bool TMachine::MakeInstructionPlan(const std::vector<const TCyclePlan*>& cycles,
                                   TInstructionPlan& plan) const {
  plan = {};
  if (cycles.empty() || cycles.size() > TInstructionPlan::kMaxCycles) return false;
  for (std::size_t k = 0; k < cycles.size(); ++k) {
    const TCyclePlan& cycle = *cycles[k];
    if (!cycle.Clean || cycle.Generation != planGeneration_) return false;
    // A cycle after the fetch that writes I would change the instruction.
    if (k > 0 && (cycle.Marks & Marks::Register(TRegisterId::I)) != 0) return false;
    if (k == 0 && cycle.Signals == kFetchSignals) {
      plan.Steps.push_back(kStepFetch);
    } else {
      for (int n = 0; n < cycle.StepCount; ++n) {
        const std::uint8_t step = cycle.Steps[static_cast<std::size_t>(n)];
        if (!FusableStep(step)) return false;
        plan.Steps.push_back(step);
      }
    }
    if (k + 1 < cycles.size()) plan.EarlierMarks |= cycle.Marks;
    plan.AnySignals |= cycle.Signals;
    plan.EverySignal &= cycle.Signals;
  }
  // The fetch and a common cycle after it: one step.
  if (plan.Steps.size() >= 2 && plan.Steps[0] == kStepFetch && plan.Steps[1] >= kStepCycle &&
      plan.Steps[1] < kStepCycle + kCommonCycles.size()) {
    plan.Steps[1] = static_cast<std::uint8_t>(kStepFetchThen + (plan.Steps[1] - kStepCycle));
    plan.Steps.erase(plan.Steps.begin());
  }
  plan.Steps.push_back(kStepEnd);
  plan.Cycles = static_cast<int>(cycles.size());
  plan.LastSignals = cycles.back()->Signals;
  plan.LastMarks = cycles.back()->Marks;
  return true;
}

// ---- user actions between cycles ----

void TMachine::UserPut(TRegisterId id, std::int32_t value) {
  ReleaseRegister(id);
  Put<true>(id, value);
  pending_.Registers |= Marks::Register(id);
  if (id == TRegisterId::AK) pending_.Registers |= Marks::Register(TRegisterId::F);
}

void TMachine::EnterRegisterValue(TRegisterId id, const std::string& text) {
  const TUserAction step(recorder_);
  UserPut(id, StrToInt(text));
  Notify();
}

void TMachine::EnterMemoryValue(int address, const std::string& text) {
  const TUserAction step(recorder_, s_.Memory.IndexOf(address));
  const std::int32_t value = StrToInt(text);
  s_.Marks &= ~Marks::kMemory;
  WriteMemory<true>(address, value);
  Notify();
}

void TMachine::ZeroRegister(TRegisterId id) {
  const TUserAction step(recorder_);
  Register(id).Reset();
  pending_.Registers |= Marks::Register(id);
  Notify();
}

void TMachine::SetDisplayMode(TRegisterId id, TDisplayMode mode) {
  const TUserAction step(recorder_);
  Register(id).SetDisplayMode(mode);
  pending_.Registers |= Marks::Register(id);
  Notify();
}

void TMachine::RaiseInterrupt(int line) {
  if (line < 1 || line > 4) throw EDorumError(Texts::UnknownInterruptLine(line));
  const TUserAction step(recorder_);
  UserPut(TRegisterId::RZ, Get<true>(TRegisterId::RZ) | (1 << (4 - line)));
  Notify();
}

void TMachine::ConsoleInputChanged() {
  const TUserAction step(recorder_);
  if (console_.InputText().empty() || !control_->WaitingForInput()) return;
  if (AddressField(Get<true>(TRegisterId::I)) != s_.IOPorts.InputPort) return;
  // The character leaves the field only once it has been stored.
  UserPut(TRegisterId::RB, console_.PeekInputChar());
  console_.DropInputChar();
  if (Get<true>(TRegisterId::RB) != 0) {
    UserPut(TRegisterId::G, 1);
    control_->SetWaitingForInput(false);
  }
  Notify();
}

void TMachine::TypeInput(const std::string& text) {
  const TUserAction step(recorder_);
  console_.AppendInput(text);
  ConsoleInputChanged();
  // The field changed even when no character could be delivered yet.
  Notify();
}

void TMachine::SetConsoleInput(const std::string& text) {
  const TUserAction step(recorder_);
  console_.SetInputText(text);
  ConsoleInputChanged();
  Notify();
}

void TMachine::ClearConsoleOutput() {
  const TUserAction step(recorder_);
  console_.Clear();
  // A step the views offer to undo.
  Notify();
}

// ---- stepping back ----

TMachineSnapshot TMachine::TakeSnapshot() const {
  TMachineSnapshot snapshot;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    snapshot.Registers[r] = s_.Registers[r].Content();
    snapshot.Modes[r] = s_.Registers[r].DisplayMode();
  }
  for (std::size_t b = 0; b < kBusCount; ++b) snapshot.Buses[b] = s_.Buses[b].RawValue();
  snapshot.AluInput = s_.Alu.Input();
  snapshot.AluResult = s_.Alu.Result();
  snapshot.ActiveSignals = s_.ActiveSignals;
  snapshot.Marks = s_.Marks;
  // Words past the size are untouched by cycles.
  const int size = s_.Memory.Size();
  snapshot.Words.resize(static_cast<std::size_t>(size));
  for (int cell = 0; cell < size; ++cell)
    snapshot.Words[static_cast<std::size_t>(cell)] = s_.Memory.Raw(cell);
  snapshot.Input = console_.InputText();
  snapshot.Output = console_.OutputText();
  return snapshot;
}

void TMachine::RestoreSnapshot(const TMachineSnapshot& snapshot) {
  for (std::size_t r = 0; r < kRegisterCount; ++r)
    s_.Registers[r].RestoreContent(snapshot.Registers[r]);
  RestoreDisplayModes(snapshot.Modes);
  for (std::size_t b = 0; b < kBusCount; ++b) s_.Buses[b].RestoreValue(snapshot.Buses[b]);
  s_.Alu.SetInput(snapshot.AluInput);
  s_.Alu.SetResult(snapshot.AluResult);
  SetActiveSignals(snapshot.ActiveSignals);
  s_.Marks = snapshot.Marks;
  for (std::size_t cell = 0; cell < snapshot.Words.size(); ++cell)
    s_.Memory.RestoreRaw(static_cast<int>(cell), snapshot.Words[cell]);
  RestoreConsoleInput(snapshot.Input);
  RestoreConsoleOutput(snapshot.Output);
}

void TMachine::RestoreDisplayModes(const std::array<TDisplayMode, kRegisterCount>& modes) noexcept {
  for (std::size_t r = 0; r < kRegisterCount; ++r) s_.Registers[r].SetDisplayMode(modes[r]);
}

// The console's views hear of a restored text, so one left as it was is not
// restored at all.
void TMachine::RestoreConsoleInput(const std::string& text) {
  if (console_.InputText() != text) console_.RestoreInput(text);
}

void TMachine::RestoreConsoleOutput(const std::string& text) {
  if (console_.OutputText() != text) console_.RestoreOutput(text);
}

void TMachine::NotifyRestored() {
  pending_.Registers |= Marks::kRegisters;
  pending_.Buses |= Marks::kBuses >> 16;
  pending_.Signals |= ~std::uint64_t{0} >> (64 - kSignalCount);
  pending_.Alu = true;
  pending_.Words = true;
  reportedMarks_ = 0;
  Notify();
}

TMachine::TQuiet TMachine::BeginQuiet() noexcept {
  return TQuiet{pending_, pendingMarks_, reportedMarks_, observers_.Mute(true),
                console_.MuteObservers(true)};
}

void TMachine::EndQuiet(const TQuiet& quiet) noexcept {
  pending_ = quiet.Pending;
  pendingMarks_ = quiet.PendingMarks;
  reportedMarks_ = quiet.ReportedMarks;
  observers_.Mute(quiet.ObserversMuted);
  console_.MuteObservers(quiet.ConsoleMuted);
}

// ---- display texts ----

TGetCodeEvent TMachine::RegisterCodeEvent() const {
  return [this](int value) { return RegisterGetCode(value); };
}

TGetCodeEvent TMachine::MemoryCodeEvent() const {
  return [this](int code) { return MemoryGetCode(code); };
}

std::string TMachine::RegisterValueText(TRegisterId id) const {
  // Only I shows words as instructions.
  if (id == TRegisterId::I) return Register(id).ValueText(RegisterCodeEvent());
  return Register(id).ValueText();
}

std::string TMachine::RegisterText(TRegisterId id) const {
  return Register(id).Caption() + std::string(" : ") + RegisterValueText(id);
}

std::string TMachine::RegisterGetCode(int value) const {
  const int size = s_.Memory.Size();
  if (value < 0 || value / size >= control_->InstructionCount()) return std::string("???");
  return ToText(value) + std::string(" ( ") + control_->InstructionName(value / size) + ' ' +
         ToText(value & (size - 1)) + std::string(" ) ");
}

std::string TMachine::MemoryGetCode(int code) const {
  if (code < 0 || code >= control_->InstructionCount()) return {};
  return control_->InstructionName(code);
}

std::string TMachine::CodeText(int cell) const {
  return s_.Memory.CodeText(cell, MemoryCodeEvent());
}

std::string TMachine::CellText(int cell) const {
  return s_.Memory.CellText(cell, MemoryCodeEvent());
}

// ---- configuration ----

void TMachine::SetAddressBits(int bits) {
  if (bits < kMinAddressBits || bits > kMaxAddressBits)
    throw EDorumError(Texts::AddressBitsOutOfRange(bits));
  const int codeBits = CodeBits();
  for (const TRegisterId id : {TRegisterId::A, TRegisterId::L, TRegisterId::WS, TRegisterId::AP}) {
    Register(id).SetBits(bits);
  }
  Bus(TBusId::A).SetBits(bits);
  Bus(TBusId::AS).SetBits(bits);
  SetCodeBits(codeBits);
  s_.Memory.SetSize(1 << bits);
  ConfigurationChanged();
}

void TMachine::SetCodeBits(int bits) {
  if (bits < kMinCodeBits || bits > kMaxCodeBits)
    throw EDorumError(Texts::CodeBitsOutOfRange(bits));
  const int wordBits = AddressBits() + bits;
  for (const TRegisterId id :
       {TRegisterId::S, TRegisterId::I, TRegisterId::AK, TRegisterId::X, TRegisterId::Y}) {
    Register(id).SetBits(wordBits);
  }
  Bus(TBusId::S).SetBits(wordBits);
  s_.Memory.SetWordBits(wordBits);
  ConfigurationChanged();
}

TComponentSet TMachine::GetComponents() const {
  TComponentSet set;
  auto add = [&set](const TBaseItem& item) {
    if (item.Visible()) set.set(static_cast<std::size_t>(item.Tag()));
  };
  for (const TRegister& r : s_.Registers) add(r);
  for (const TBus& b : s_.Buses) add(b);
  add(s_.Memory);
  add(s_.Alu);
  for (const TSignal& sig : s_.Signals) add(sig);
  return set;
}

void TMachine::SetComponents(TComponentSet components) {
  components.set(0);  // the basic machine is always there
  auto apply = [&components](TBaseItem& item) {
    item.SetVisible(components.test(static_cast<std::size_t>(item.Tag())));
  };
  for (TRegister& r : s_.Registers) apply(r);
  for (TBus& b : s_.Buses) apply(b);
  apply(s_.Memory);
  apply(s_.Alu);
  for (TSignal& sig : s_.Signals) apply(sig);
  buttonsVisible_ = components.test(8);
  ConfigurationChanged();
}

TMachineConfig TMachine::Config() const {
  return {AddressBits(), CodeBits(), GetComponents()};
}

void TMachine::ResetMachine() {
  if (recorder_ != nullptr) recorder_->StartAfresh();
  for (TRegister& r : s_.Registers) r.Reset();
  ClearCycle();
  SetActiveSignals(0);
  pending_.Reset = true;
  pending_.Registers |= Marks::kRegisters;
  pending_.Buses |= (Marks::kBuses >> 16);
  pending_.Alu = true;
  control_->ResetControl();
  Notify();
}

// ---- signal actions ----

template <TPlace P, bool C, bool Whole>
std::int32_t TMachine::Fetch() const {
  if constexpr (P.Kind == TPlaceKind::Register && !C && !Whole) {
    const TRegister& r = Register(P.RegisterId());
    return static_cast<std::int32_t>(r.Content() & r.Mask());
  } else if constexpr (P.Kind == TPlaceKind::Register) {
    return Get<C>(P.RegisterId());
  } else if constexpr (P.Kind == TPlaceKind::Bus) {
    return ReadBus<C>(P.BusId());
  } else if constexpr (P.Kind == TPlaceKind::AluInput) {
    return AluInput<C>();
  } else {
    static_assert(P.Kind == TPlaceKind::AluResult, "a signal reads no other place by itself");
    return AluResult<C>();
  }
}

template <TPlace P, bool C>
void TMachine::StoreTo(std::int32_t value) {
  if constexpr (P.Kind == TPlaceKind::Register) {
    Put<C>(P.RegisterId(), value);
  } else if constexpr (P.Kind == TPlaceKind::Bus) {
    Drive<C>(P.BusId(), value);
  } else if constexpr (P.Kind == TPlaceKind::AluInput) {
    SetAluInput<C>(value);
  } else {
    static_assert(P.Kind == TPlaceKind::AluResult, "a signal writes no other place by itself");
    SetAluResult<C>(value);
  }
}

namespace {

[[noreturn, gnu::cold, gnu::noinline]] void ThrowDivisionByZero(bool planned) {
  if (planned) throw TPlannedDivisionByZero{};
  throw EDorumError(Texts::DivisionByZero());
}

// The arithmetic unit's operations: the accumulator (when the row reads
// it) and the input into the result.
template <TSignalOperation Op>
std::int32_t Compute(std::int32_t ak, std::int32_t input) noexcept {
  using O = TSignalOperation;
  if constexpr (Op == O::Add) return Add(ak, input);
  if constexpr (Op == O::Subtract) return Sub(ak, input);
  if constexpr (Op == O::Pass) return input;
  if constexpr (Op == O::Multiply) {
    const std::int64_t product = std::int64_t{ak} * input;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(product)));
  }
  if constexpr (Op == O::Divide) {
    // The one quotient that does not fit wraps onto itself.
    if (input == -1 && ak == std::numeric_limits<std::int32_t>::min()) return ak;
    return ak / input;
  }
  if constexpr (Op == O::ShiftRight)
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(input) >> 1);
  if constexpr (Op == O::Not) return ~input;
  if constexpr (Op == O::Or) return ak | input;
  if constexpr (Op == O::And) return ak & input;
}

// How wide a place is: as wide as a word, as an address (never wider
// than a word), or a width of its own.
enum class TWidthClass : std::uint8_t { Word, Address, Own };

constexpr TWidthClass WidthClass(TPlace place) noexcept {
  using R = TRegisterId;
  if (place.Kind == TPlaceKind::Bus) {
    return place.BusId() == TBusId::S ? TWidthClass::Word : TWidthClass::Address;
  }
  if (place.Kind != TPlaceKind::Register) return TWidthClass::Own;
  switch (place.RegisterId()) {
    case R::AK:
    case R::I:
    case R::S:
    case R::X:
    case R::Y:
      return TWidthClass::Word;
    case R::L:
    case R::A:
    case R::WS:
    case R::AP:
      return TWidthClass::Address;
    default:
      return TWidthClass::Own;
  }
}

// Whether a value read from one place and put in another keeps only bits
// within the first one's width, whatever the configuration.
constexpr bool WithinWidth(TPlace from, TPlace to) noexcept {
  const TWidthClass a = WidthClass(from);
  const TWidthClass b = WidthClass(to);
  if (a == TWidthClass::Own || b == TWidthClass::Own) return false;
  return a == b || b == TWidthClass::Address;
}

constexpr bool IsArithmetic(TSignalOperation op) noexcept {
  return op >= TSignalOperation::Add && op <= TSignalOperation::And;
}

}  // namespace

template <int N, bool C>
void TMachine::Act() {
  using O = TSignalOperation;
  constexpr TSignalRow row = kSignalTable[N];
  constexpr TPlace r0 = row.Reads[0];
  constexpr TPlace r1 = row.Reads[1];
  constexpr TPlace w0 = row.Writes[0];
  constexpr O op = row.Operation;
  // An address takes the low bits of the register it comes from, a word
  // written to memory those of S: as narrow as the places they come from.
  constexpr bool kAddressWhole = WidthClass(r0) == TWidthClass::Own;
  if constexpr (op == O::Copy) {
    StoreTo<w0, C>(Fetch<r0, C, !WithinWidth(r0, w0)>());
  } else if constexpr (op == O::Increment) {
    // Back into the same register: its own width.
    StoreTo<w0, C>(Add(Fetch<r0, C, false>(), 1));
  } else if constexpr (op == O::Decrement) {
    StoreTo<w0, C>(Sub(Fetch<r0, C, false>(), 1));
  } else if constexpr (IsArithmetic(op) && r1.Kind == TPlaceKind::None) {
    StoreTo<w0, C>(Compute<op>(0, Fetch<r0, C>()));
  } else if constexpr (IsArithmetic(op)) {
    const std::int32_t ak = Fetch<r0, C>();
    const std::int32_t input = Fetch<r1, C>();
    if constexpr (op == O::Divide) {
      if (input == 0) [[unlikely]]
        ThrowDivisionByZero(!C);
    }
    StoreTo<w0, C>(Compute<op>(ak, input));
  } else if constexpr (op == O::ReadMemory) {
    const std::int32_t address = Fetch<r0, C, kAddressWhole>();
    StoreTo<w0, C>(ReadMemory<C>(address));
  } else if constexpr (op == O::WriteMemory) {
    const std::int32_t address = Fetch<r0, C, kAddressWhole>();
    WriteMemory<C>(address, Fetch<r1, C, WidthClass(r1) != TWidthClass::Word>());
  } else if constexpr (op == O::Ready) {
    StoreTo<w0, C>(Fetch<r0, C>());
    control_->SetWaitingForInput(Fetch<r0, C>() == 0);
  } else if constexpr (op == O::Link) {
    LinkAction<C>();
  } else if constexpr (op == O::Device) {
    DeviceAction();
  } else if constexpr (op == O::Acknowledge) {
    AcknowledgeAction<C>();
  } else if constexpr (op == O::Enable) {
    EnableAction<C>();
  } else if constexpr (op == O::Stop) {
    StopAction();
  } else {
    static_assert(op == O::Nothing);
  }
}

template <bool C>
void TMachine::LinkFromA() {
  Drive<C>(TBusId::S, ReadBus<C>(TBusId::A));
  Drive<C>(TBusId::AS, ReadBus<C>(TBusId::S));
}

template <bool C>
void TMachine::LinkFromS() {
  Drive<C>(TBusId::A, ReadBus<C>(TBusId::S));
  Drive<C>(TBusId::AS, ReadBus<C>(TBusId::S));
}

template <bool C>
void TMachine::LinkAction() {
  // The link carries a value from whichever bus already has one.
  if (BusDriven(TBusId::A)) {
    LinkFromA<C>();
  } else {
    LinkFromS<C>();
  }
}

void TMachine::DeviceAction() {
  // Never planned: what the device does depends on the port and the input,
  // so the start signal always runs checked.
  control_->SetWaitingForInput(false);
  Put<true>(TRegisterId::G, 0);
  const std::int32_t port = AddressField(Get<true>(TRegisterId::I));
  if (port == s_.IOPorts.InputPort) {
    // The character leaves the input field only once RB holds it.
    Put<true>(TRegisterId::RB, console_.PeekInputChar());
    console_.DropInputChar();
    if (Get<true>(TRegisterId::RB) == 0) {
      control_->SetWaitingForInput(true);
      return;
    }
    ReleaseRegister(TRegisterId::G);
    Put<true>(TRegisterId::G, 1);
  } else if (port == s_.IOPorts.OutputPort) {
    console_.PutOutputChar(Get<true>(TRegisterId::RB) & 0xFF);
    ReleaseRegister(TRegisterId::G);
    Put<true>(TRegisterId::G, 1);
  } else {
    throw EDorumError(Texts::UnknownPort());
  }
}

template <bool C>
void TMachine::AcknowledgeAction() {
  Put<C>(TRegisterId::RZ, Get<C>(TRegisterId::RZ) & ~Get<C>(TRegisterId::RP));
  Put<C>(TRegisterId::RP, 0);
  Put<C>(TRegisterId::AP, 0);
}

template <bool C>
void TMachine::EnableAction() {
  const std::int32_t pending = Get<C>(TRegisterId::RZ) & ~Get<C>(TRegisterId::RM);
  for (int bit = Register(TRegisterId::RP).Bits() - 1; bit >= 0; --bit) {
    if (((pending >> bit) & 1) == 0) continue;
    Put<C>(TRegisterId::RP, 1 << bit);
    // Bit 3 is line 1, the highest priority, whose handler is vector 1.
    Put<C>(TRegisterId::AP, s_.Vectors[static_cast<std::size_t>(3 - bit)].Address);
    Put<C>(TRegisterId::F, Get<C>(TRegisterId::F) | 4);
    return;
  }
  Put<C>(TRegisterId::F, Get<C>(TRegisterId::F) & 11);
  Put<C>(TRegisterId::RP, 0);
  Put<C>(TRegisterId::AP, 0);
}

void TMachine::StopAction() {
  control_->ProgramFinished();
  throw ERunStop(TRunStop::ProgramEnded, Texts::ProgramFinished());
}

}  // namespace dorum
