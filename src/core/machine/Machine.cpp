#include "machine/Machine.h"

#include <limits>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum {

namespace {

struct TSignalEntry {
  const char* Name;
  int Option;
  bool Impulse;
  const char* ComponentName;
};

// The signal table: numbers are positions, and the order is the order in
// which a cycle performs its active signals.
constexpr std::array<TSignalEntry, kSignalCount> kSignalTable = {{
    {"czyt", 0, false, "SignalCzyt"},
    {"pisz", 0, false, "SignalPisz"},
    {"wys", 0, false, "SignalWys"},
    {"wyak", 0, false, "SignalWyak"},
    {"wyad", 0, false, "SignalWyad"},
    {"wyl", 0, false, "SignalWyl"},
    {"wyg", 9, false, "SignalWyg"},
    {"wyrb", 9, false, "SignalWyrb"},
    {"wyx", 6, false, "SignalWyx"},
    {"wyy", 7, false, "SignalWyy"},
    {"wyls", 5, false, "SignalWyls"},
    {"wyws", 5, false, "SignalWyws"},
    {"wyrm", 8, false, "SignalWyrm"},
    {"wyap", 8, false, "SignalWyap"},
    {"as (sa)", 1, false, "SignalAs"},
    {"weja", 0, false, "SignalWeja"},
    {"dod", 0, false, "SignalDod"},
    {"ode", 0, false, "SignalOde"},
    {"przep", 0, false, "SignalPrzep"},
    {"mno", 4, false, "SignalMno"},
    {"dziel", 4, false, "SignalDziel"},
    {"shr", 4, false, "SignalShr"},
    {"neg", 3, false, "SignalNeg"},
    {"lub", 3, false, "SignalLub"},
    {"i", 3, false, "SignalI"},
    {"new1", kReserveOption, false, "SignalNew1"},
    {"new2", kReserveOption, false, "SignalNew2"},
    {"new3", kReserveOption, false, "SignalNew3"},
    {"new4", kReserveOption, false, "SignalNew4"},
    {"iak", 2, true, "SignalIak"},
    {"dak", 2, true, "SignalDak"},
    {"weak", 0, true, "SignalWeak"},
    {"wei", 0, true, "SignalWei"},
    {"wea", 0, true, "SignalWea"},
    {"wes", 0, true, "SignalWes"},
    {"il", 0, true, "SignalIl"},
    {"wel", 0, true, "SignalWel"},
    {"wex", 6, true, "SignalWex"},
    {"wey", 7, true, "SignalWey"},
    {"werb", 9, true, "SignalWerb"},
    {"start", 9, true, "SignalStart"},
    {"iws", 5, true, "SignalIws"},
    {"dws", 5, true, "SignalDws"},
    {"wews", 5, true, "SignalWews"},
    {"werm", 8, true, "SignalWerm"},
    {"rint", 8, true, "SignalRint"},
    {"eni", 8, true, "SignalEni"},
    {"stop", 0, false, "SignalStop"},
}};

using Action = void (TMachine::*)();

// Each signal's action, by signal number.
template <bool Checked>
constexpr std::array<Action, kSignalCount> kActions = {
    &TMachine::SignalCzytAction<Checked>,  &TMachine::SignalPiszAction<Checked>,
    &TMachine::SignalWysAction<Checked>,   &TMachine::SignalWyakAction<Checked>,
    &TMachine::SignalWyadAction<Checked>,  &TMachine::SignalWylAction<Checked>,
    &TMachine::SignalWygAction<Checked>,   &TMachine::SignalWyrbAction<Checked>,
    &TMachine::SignalWyxAction<Checked>,   &TMachine::SignalWyyAction<Checked>,
    &TMachine::SignalWylsAction<Checked>,  &TMachine::SignalWywsAction<Checked>,
    &TMachine::SignalWyrmAction<Checked>,  &TMachine::SignalWyapAction<Checked>,
    &TMachine::SignalAsAction<Checked>,    &TMachine::SignalWejaAction<Checked>,
    &TMachine::SignalDodAction<Checked>,   &TMachine::SignalOdeAction<Checked>,
    &TMachine::SignalPrzepAction<Checked>, &TMachine::SignalMnoAction<Checked>,
    &TMachine::SignalDzielAction<Checked>, &TMachine::SignalShrAction<Checked>,
    &TMachine::SignalNegAction<Checked>,   &TMachine::SignalLubAction<Checked>,
    &TMachine::SignalIAction<Checked>,     &TMachine::SignalNewAction<Checked>,
    &TMachine::SignalNewAction<Checked>,   &TMachine::SignalNewAction<Checked>,
    &TMachine::SignalNewAction<Checked>,   &TMachine::SignalIakAction<Checked>,
    &TMachine::SignalDakAction<Checked>,   &TMachine::SignalWeakAction<Checked>,
    &TMachine::SignalWeiAction<Checked>,   &TMachine::SignalWeaAction<Checked>,
    &TMachine::SignalWesAction<Checked>,   &TMachine::SignalIlAction<Checked>,
    &TMachine::SignalWelAction<Checked>,   &TMachine::SignalWexAction<Checked>,
    &TMachine::SignalWeyAction<Checked>,   &TMachine::SignalWerbAction<Checked>,
    &TMachine::SignalStartAction<Checked>, &TMachine::SignalIwsAction<Checked>,
    &TMachine::SignalDwsAction<Checked>,   &TMachine::SignalWewsAction<Checked>,
    &TMachine::SignalWermAction<Checked>,  &TMachine::SignalRintAction<Checked>,
    &TMachine::SignalEniAction<Checked>,   &TMachine::SignalStopAction<Checked>,
};

template <std::size_t... N>
std::array<TSignal, kSignalCount> MakeSignals(std::index_sequence<N...>) {
  return {TSignal(kSignalTable[N].Name, kSignalTable[N].Option, kSignalTable[N].Impulse,
                  kSignalTable[N].ComponentName)...};
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

int TMachine::FindRegister(const QString& caption) {
  static const TMachineState names = InitialState();
  for (int r = 0; r < kRegisterCount; ++r) {
    if (caption.compare(names.Registers[static_cast<std::size_t>(r)].Caption(),
                        Qt::CaseInsensitive) == 0) {
      return r;
    }
  }
  return -1;
}

int TMachine::FindSignal(const QString& name) {
  const QString lower = LowerCase(name);
  if (lower == u"as" || lower == u"sa") return static_cast<int>(TSignalId::as);
  return FindSignalExact(lower);
}

int TMachine::FindSignalExact(const QString& name) {
  for (int n = 0; n < kSignalCount; ++n) {
    if (name == QLatin1String(kSignalTable[static_cast<std::size_t>(n)].Name)) return n;
  }
  return -1;
}

int TMachine::FindBus(const QString& name) {
  static const std::array<const char*, kBusCount> names = {"S", "A", "AS"};
  QString bare = name;
  if (bare.startsWith(QStringLiteral("mag "), Qt::CaseInsensitive)) bare = bare.mid(4);
  for (int b = 0; b < kBusCount; ++b) {
    if (bare.compare(QLatin1String(names[static_cast<std::size_t>(b)]), Qt::CaseInsensitive) == 0)
      return b;
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

template <int N>
void TMachine::PerformSignal() {
  constexpr Action action = kActions<true>[N];
  (this->*action)();
}

template <int... N>
void TMachine::PerformSignals(std::uint64_t mask, std::integer_sequence<int, N...> /*numbers*/) {
  // One test per signal in table order, each calling its action directly.
  // An action that raises ends the cycle there.
  ((mask & (std::uint64_t{1} << N) ? PerformSignal<N>() : void()), ...);
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
  void Move(TRegisterId from, TRegisterId to) {
    Read(from);
    Write(to);
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
  // An operation on the accumulator and the input.
  void Operate(bool withAccumulator) {
    if (withAccumulator) Read(TRegisterId::AK);
    NeedInput();
    Result();
  }
  void Unclean() { clean_ = false; }

  [[nodiscard]] bool Clean() const { return clean_; }
  [[nodiscard]] std::uint32_t MarksNow() const { return marks_; }

 private:
  const TMachineState& s_;
  std::uint32_t marks_ = 0;
  bool clean_ = true;
};

}  // namespace

TCyclePlan TMachine::MakePlan(std::uint64_t signals) const {
  using R = TRegisterId;
  using B = TBusId;
  using S = TSignalId;
  TCyclePlan plan;
  plan.Generation = planGeneration_;
  plan.Signals = signals;
  TPlanBuilder b(s_);
  // clang-format off
  for (std::uint64_t rest = signals; rest != 0 && b.Clean(); rest &= rest - 1) {
    const int n = std::countr_zero(rest);
    std::uint8_t step = static_cast<std::uint8_t>(n);
    switch (static_cast<S>(n)) {
      case S::czyt: b.Read(R::A); b.UseMemory(); b.Write(R::S); break;
      case S::pisz: b.Read(R::A); b.Read(R::S); b.UseMemory(); break;
      case S::wys: b.Read(R::S); b.Drive(B::S); break;
      case S::wyak: b.Read(R::AK); b.Drive(B::S); break;
      case S::wyad: b.Read(R::I); b.Drive(B::A); break;
      case S::wyl: b.Read(R::L); b.Drive(B::A); break;
      case S::wyg: b.Read(R::G); b.Drive(B::S); break;
      case S::wyrb: b.Read(R::RB); b.Drive(B::S); break;
      case S::wyx: b.Read(R::X); b.Drive(B::S); break;
      case S::wyy: b.Read(R::Y); b.Drive(B::S); break;
      case S::wyls: b.Read(R::L); b.Drive(B::S); break;
      case S::wyws: b.Read(R::WS); b.Drive(B::A); break;
      case S::wyrm: b.Read(R::RM); b.Drive(B::A); break;
      case S::wyap: b.Read(R::AP); b.Drive(B::A); break;
      case S::as:
        if (b.Driven(B::A)) {
          step = kStepAsFromA;
          b.ReadBus(B::A); b.Drive(B::S);
        } else {
          step = kStepAsFromS;
          b.ReadBus(B::S); b.Drive(B::A);
        }
        b.ReadBus(B::S); b.Drive(B::AS);
        break;
      case S::weja: b.ReadBus(B::S); b.LatchInput(); break;
      case S::dod: case S::ode: case S::mno: case S::lub: case S::i: b.Operate(true); break;
      case S::przep: case S::shr: case S::neg: b.Operate(false); break;
      case S::dziel:
        b.Read(R::AK);
        b.NeedInput();
        plan.MarksBeforeDivision = b.MarksNow();
        b.Result();
        break;
      case S::new1: case S::new2: case S::new3: case S::new4: continue;
      case S::iak: case S::dak: b.Move(R::AK, R::AK); break;
      case S::weak: b.NeedResult(); b.Write(R::AK); break;
      case S::wei: b.ReadBus(B::S); b.Write(R::I); break;
      case S::wea: b.ReadBus(B::A); b.Write(R::A); break;
      case S::wes: b.ReadBus(B::S); b.Write(R::S); break;
      case S::il: b.Move(R::L, R::L); break;
      case S::wel: b.ReadBus(B::A); b.Write(R::L); break;
      case S::wex: b.ReadBus(B::S); b.Write(R::X); break;
      case S::wey: b.ReadBus(B::S); b.Write(R::Y); break;
      case S::werb: b.ReadBus(B::S); b.Write(R::RB); break;
      // What the device does depends on the port in I and on the input.
      case S::start: b.Unclean(); break;
      case S::iws: case S::dws: b.Move(R::WS, R::WS); break;
      case S::wews: b.ReadBus(B::A); b.Write(R::WS); break;
      case S::werm: b.ReadBus(B::A); b.Write(R::RM); break;
      case S::rint:
        b.Read(R::RZ); b.Read(R::RP);
        b.Write(R::RZ); b.Write(R::RP); b.Write(R::AP);
        break;
      case S::eni:
        b.Read(R::RZ); b.Read(R::RM);
        b.Write(R::RP); b.Write(R::AP); b.Write(R::F);
        break;
      case S::stop: break;
      default: b.Unclean(); break;
    }
    if (plan.StepCount == TCyclePlan::kMaxSteps) {
      b.Unclean();
      break;
    }
    plan.Steps[plan.StepCount++] = step;
  }
  // clang-format on
  plan.Steps[plan.StepCount] = kStepEnd;
  plan.Clean = b.Clean();
  plan.Marks = b.MarksNow();
  return plan;
}

void TMachine::PerformPlannedFetch(const TCyclePlan& plan) {
  if (!plan.Clean) [[unlikely]] {
    PerformActiveSignals();
    return;
  }
  s_.Marks = plan.Marks;
  SignalCzytAction<false>();
  SignalWysAction<false>();
  SignalWeiAction<false>();
  SignalIlAction<false>();
}

void TMachine::RunPlanSteps(const TCyclePlan& plan) {
  using S = TSignalId;
  // clang-format off
  for (const std::uint8_t* step = plan.Steps.data();; ++step) {
    switch (*step) {
      case kStepEnd: return;
      case static_cast<int>(S::czyt): SignalCzytAction<false>(); break;
      case static_cast<int>(S::pisz): SignalPiszAction<false>(); break;
      case static_cast<int>(S::wys): SignalWysAction<false>(); break;
      case static_cast<int>(S::wyak): SignalWyakAction<false>(); break;
      case static_cast<int>(S::wyad): SignalWyadAction<false>(); break;
      case static_cast<int>(S::wyl): SignalWylAction<false>(); break;
      case static_cast<int>(S::wyg): SignalWygAction<false>(); break;
      case static_cast<int>(S::wyrb): SignalWyrbAction<false>(); break;
      case static_cast<int>(S::wyx): SignalWyxAction<false>(); break;
      case static_cast<int>(S::wyy): SignalWyyAction<false>(); break;
      case static_cast<int>(S::wyls): SignalWylsAction<false>(); break;
      case static_cast<int>(S::wyws): SignalWywsAction<false>(); break;
      case static_cast<int>(S::wyrm): SignalWyrmAction<false>(); break;
      case static_cast<int>(S::wyap): SignalWyapAction<false>(); break;
      case kStepAsFromA: LinkFromA<false>(); break;
      case kStepAsFromS: LinkFromS<false>(); break;
      case static_cast<int>(S::weja): SignalWejaAction<false>(); break;
      case static_cast<int>(S::dod): SignalDodAction<false>(); break;
      case static_cast<int>(S::ode): SignalOdeAction<false>(); break;
      case static_cast<int>(S::przep): SignalPrzepAction<false>(); break;
      case static_cast<int>(S::mno): SignalMnoAction<false>(); break;
      case static_cast<int>(S::dziel):
        if (s_.Alu.Input() == 0) [[unlikely]] {
          s_.Marks = plan.MarksBeforeDivision;
          throw EDorumError(Texts::DivisionByZero());
        }
        SignalDzielAction<false>();
        break;
      case static_cast<int>(S::shr): SignalShrAction<false>(); break;
      case static_cast<int>(S::neg): SignalNegAction<false>(); break;
      case static_cast<int>(S::lub): SignalLubAction<false>(); break;
      case static_cast<int>(S::i): SignalIAction<false>(); break;
      case static_cast<int>(S::iak): SignalIakAction<false>(); break;
      case static_cast<int>(S::dak): SignalDakAction<false>(); break;
      case static_cast<int>(S::weak): SignalWeakAction<false>(); break;
      case static_cast<int>(S::wei): SignalWeiAction<false>(); break;
      case static_cast<int>(S::wea): SignalWeaAction<false>(); break;
      case static_cast<int>(S::wes): SignalWesAction<false>(); break;
      case static_cast<int>(S::il): SignalIlAction<false>(); break;
      case static_cast<int>(S::wel): SignalWelAction<false>(); break;
      case static_cast<int>(S::wex): SignalWexAction<false>(); break;
      case static_cast<int>(S::wey): SignalWeyAction<false>(); break;
      case static_cast<int>(S::werb): SignalWerbAction<false>(); break;
      case static_cast<int>(S::iws): SignalIwsAction<false>(); break;
      case static_cast<int>(S::dws): SignalDwsAction<false>(); break;
      case static_cast<int>(S::wews): SignalWewsAction<false>(); break;
      case static_cast<int>(S::werm): SignalWermAction<false>(); break;
      case static_cast<int>(S::rint): SignalRintAction<false>(); break;
      case static_cast<int>(S::eni): SignalEniAction<false>(); break;
      case static_cast<int>(S::stop): SignalStopAction<false>(); break;
      default: __builtin_unreachable();  // a plan holds no other step
    }
  }
  // clang-format on
}

// ---- user actions between cycles ----

void TMachine::UserPut(TRegisterId id, std::int32_t value) {
  ReleaseRegister(id);
  Put<true>(id, value);
  pending_.Registers |= Marks::Register(id);
  if (id == TRegisterId::AK) pending_.Registers |= Marks::Register(TRegisterId::F);
}

void TMachine::EnterRegisterValue(TRegisterId id, const QString& text) {
  const TUserAction step(recorder_);
  UserPut(id, StrToInt(text));
  Notify();
}

void TMachine::EnterMemoryValue(int address, const QString& text) {
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
  if (console_.InputText().isEmpty() || !control_->WaitingForInput()) return;
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

void TMachine::TypeInput(const QString& text) {
  const TUserAction step(recorder_);
  console_.AppendInput(text);
  ConsoleInputChanged();
  // The field changed even when no character could be delivered yet.
  Notify();
}

void TMachine::SetConsoleInput(const QString& text) {
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
void TMachine::RestoreConsoleInput(const QString& text) {
  if (console_.InputText() != text) console_.RestoreInput(text);
}

void TMachine::RestoreConsoleOutput(const QString& text) {
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
  TQuiet quiet{pending_, pendingMarks_, reportedMarks_, observer_, console_.Observer()};
  observer_ = nullptr;
  console_.SetObserver(nullptr);
  return quiet;
}

void TMachine::EndQuiet(const TQuiet& quiet) noexcept {
  pending_ = quiet.Pending;
  pendingMarks_ = quiet.PendingMarks;
  reportedMarks_ = quiet.ReportedMarks;
  observer_ = quiet.Observer;
  console_.SetObserver(quiet.ConsoleObserver);
}

// ---- display texts ----

TGetCodeEvent TMachine::RegisterCodeEvent() const {
  return [this](int value) { return RegisterGetCode(value); };
}

TGetCodeEvent TMachine::MemoryCodeEvent() const {
  return [this](int code) { return MemoryGetCode(code); };
}

QString TMachine::RegisterValueText(TRegisterId id) const {
  // Only I shows words as instructions.
  if (id == TRegisterId::I) return Register(id).ValueText(RegisterCodeEvent());
  return Register(id).ValueText();
}

QString TMachine::RegisterText(TRegisterId id) const {
  return Register(id).Caption() + QStringLiteral(" : ") + RegisterValueText(id);
}

QString TMachine::RegisterGetCode(int value) const {
  const int size = s_.Memory.Size();
  if (value < 0 || value / size >= control_->InstructionCount()) return QStringLiteral("???");
  return QString::number(value) + QStringLiteral(" ( ") + control_->InstructionName(value / size) +
         QLatin1Char(' ') + QString::number(value & (size - 1)) + QStringLiteral(" ) ");
}

QString TMachine::MemoryGetCode(int code) const {
  if (code < 0 || code >= control_->InstructionCount()) return {};
  return control_->InstructionName(code);
}

QString TMachine::CodeText(int cell) const {
  return s_.Memory.CodeText(cell, MemoryCodeEvent());
}

QString TMachine::CellText(int cell) const {
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

template <bool C>
void TMachine::SignalCzytAction() {
  const std::int32_t address = Get<C>(TRegisterId::A);
  const std::int32_t word = ReadMemory<C>(address);
  Put<C>(TRegisterId::S, word);
}

template <bool C>
void TMachine::SignalPiszAction() {
  const std::int32_t address = Get<C>(TRegisterId::A);
  WriteMemory<C>(address, Get<C>(TRegisterId::S));
}

template <bool C>
void TMachine::SignalWysAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::S));
}
template <bool C>
void TMachine::SignalWyakAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::AK));
}
template <bool C>
void TMachine::SignalWyadAction() {
  Drive<C>(TBusId::A, Get<C>(TRegisterId::I));
}
template <bool C>
void TMachine::SignalWylAction() {
  Drive<C>(TBusId::A, Get<C>(TRegisterId::L));
}

template <bool C>
void TMachine::SignalWygAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::G));
  control_->SetWaitingForInput(Get<C>(TRegisterId::G) == 0);
}

template <bool C>
void TMachine::SignalWyrbAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::RB));
}
template <bool C>
void TMachine::SignalWyxAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::X));
}
template <bool C>
void TMachine::SignalWyyAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::Y));
}
template <bool C>
void TMachine::SignalWylsAction() {
  Drive<C>(TBusId::S, Get<C>(TRegisterId::L));
}
template <bool C>
void TMachine::SignalWywsAction() {
  Drive<C>(TBusId::A, Get<C>(TRegisterId::WS));
}
template <bool C>
void TMachine::SignalWyrmAction() {
  Drive<C>(TBusId::A, Get<C>(TRegisterId::RM));
}
template <bool C>
void TMachine::SignalWyapAction() {
  Drive<C>(TBusId::A, Get<C>(TRegisterId::AP));
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
void TMachine::SignalAsAction() {
  // The link carries a value from whichever bus already has one.
  if (BusDriven(TBusId::A)) {
    LinkFromA<C>();
  } else {
    LinkFromS<C>();
  }
}

template <bool C>
void TMachine::SignalWejaAction() {
  SetAluInput<C>(ReadBus<C>(TBusId::S));
}

template <bool C>
void TMachine::SignalDodAction() {
  const std::int32_t ak = Get<C>(TRegisterId::AK);
  SetAluResult<C>(Add(ak, AluInput<C>()));
}

template <bool C>
void TMachine::SignalOdeAction() {
  const std::int32_t ak = Get<C>(TRegisterId::AK);
  SetAluResult<C>(Sub(ak, AluInput<C>()));
}

template <bool C>
void TMachine::SignalPrzepAction() {
  SetAluResult<C>(AluInput<C>());
}

template <bool C>
void TMachine::SignalMnoAction() {
  const std::int64_t product = std::int64_t{Get<C>(TRegisterId::AK)} * AluInput<C>();
  SetAluResult<C>(
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(product))));
}

template <bool C>
void TMachine::SignalDzielAction() {
  const std::int32_t ak = Get<C>(TRegisterId::AK);
  const std::int32_t divisor = AluInput<C>();
  if (divisor == 0) throw EDorumError(Texts::DivisionByZero());
  if (divisor == -1 && ak == std::numeric_limits<std::int32_t>::min()) {
    SetAluResult<C>(ak);  // the one quotient that does not fit wraps onto itself
    return;
  }
  SetAluResult<C>(ak / divisor);
}

template <bool C>
void TMachine::SignalShrAction() {
  SetAluResult<C>(static_cast<std::int32_t>(static_cast<std::uint32_t>(AluInput<C>()) >> 1));
}

template <bool C>
void TMachine::SignalNegAction() {
  SetAluResult<C>(~AluInput<C>());
}

template <bool C>
void TMachine::SignalLubAction() {
  const std::int32_t ak = Get<C>(TRegisterId::AK);
  SetAluResult<C>(ak | AluInput<C>());
}

template <bool C>
void TMachine::SignalIAction() {
  const std::int32_t ak = Get<C>(TRegisterId::AK);
  SetAluResult<C>(ak & AluInput<C>());
}

// The reserve signals are wired to nothing.
template <bool C>
void TMachine::SignalNewAction() {}

template <bool C>
void TMachine::SignalIakAction() {
  Put<C>(TRegisterId::AK, Add(Get<C>(TRegisterId::AK), 1));
}
template <bool C>
void TMachine::SignalDakAction() {
  Put<C>(TRegisterId::AK, Sub(Get<C>(TRegisterId::AK), 1));
}
template <bool C>
void TMachine::SignalWeakAction() {
  Put<C>(TRegisterId::AK, AluResult<C>());
}
template <bool C>
void TMachine::SignalWeiAction() {
  Put<C>(TRegisterId::I, ReadBus<C>(TBusId::S));
}
template <bool C>
void TMachine::SignalWeaAction() {
  Put<C>(TRegisterId::A, ReadBus<C>(TBusId::A));
}
template <bool C>
void TMachine::SignalWesAction() {
  Put<C>(TRegisterId::S, ReadBus<C>(TBusId::S));
}
template <bool C>
void TMachine::SignalIlAction() {
  Put<C>(TRegisterId::L, Add(Get<C>(TRegisterId::L), 1));
}
template <bool C>
void TMachine::SignalWelAction() {
  Put<C>(TRegisterId::L, ReadBus<C>(TBusId::A));
}
template <bool C>
void TMachine::SignalWexAction() {
  Put<C>(TRegisterId::X, ReadBus<C>(TBusId::S));
}
template <bool C>
void TMachine::SignalWeyAction() {
  Put<C>(TRegisterId::Y, ReadBus<C>(TBusId::S));
}
template <bool C>
void TMachine::SignalWerbAction() {
  Put<C>(TRegisterId::RB, ReadBus<C>(TBusId::S));
}

template <bool C>
void TMachine::SignalStartAction() {
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
void TMachine::SignalIwsAction() {
  Put<C>(TRegisterId::WS, Add(Get<C>(TRegisterId::WS), 1));
}
template <bool C>
void TMachine::SignalDwsAction() {
  Put<C>(TRegisterId::WS, Sub(Get<C>(TRegisterId::WS), 1));
}
template <bool C>
void TMachine::SignalWewsAction() {
  Put<C>(TRegisterId::WS, ReadBus<C>(TBusId::A));
}
template <bool C>
void TMachine::SignalWermAction() {
  Put<C>(TRegisterId::RM, ReadBus<C>(TBusId::A));
}

template <bool C>
void TMachine::SignalRintAction() {
  Put<C>(TRegisterId::RZ, Get<C>(TRegisterId::RZ) & ~Get<C>(TRegisterId::RP));
  Put<C>(TRegisterId::RP, 0);
  Put<C>(TRegisterId::AP, 0);
}

template <bool C>
void TMachine::SignalEniAction() {
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

template <bool C>
void TMachine::SignalStopAction() {
  control_->ProgramFinished();
  throw EDorumError(Texts::ProgramFinished());
}

}  // namespace dorum
