#include "machine/Machine.h"

#include <limits>

#include "common/Error.h"
#include "common/Text.h"
#include "control/Texts.h"

namespace dorum {

namespace {

using Action = void (TMachine::*)();

struct TSignalEntry {
  const char* Name;
  int Option;
  bool Impulse;
  const char* ComponentName;
  Action Handler;
};

// The signal table: numbers are positions, and the order is the order in
// which a cycle performs its active signals.
constexpr std::array<TSignalEntry, kSignalCount> kSignalTable = {{
    {"czyt", 0, false, "SignalCzyt", &TMachine::SignalCzytAction},
    {"pisz", 0, false, "SignalPisz", &TMachine::SignalPiszAction},
    {"wys", 0, false, "SignalWys", &TMachine::SignalWysAction},
    {"wyak", 0, false, "SignalWyak", &TMachine::SignalWyakAction},
    {"wyad", 0, false, "SignalWyad", &TMachine::SignalWyadAction},
    {"wyl", 0, false, "SignalWyl", &TMachine::SignalWylAction},
    {"wyg", 9, false, "SignalWyg", &TMachine::SignalWygAction},
    {"wyrb", 9, false, "SignalWyrb", &TMachine::SignalWyrbAction},
    {"wyx", 6, false, "SignalWyx", &TMachine::SignalWyxAction},
    {"wyy", 7, false, "SignalWyy", &TMachine::SignalWyyAction},
    {"wyls", 5, false, "SignalWyls", &TMachine::SignalWylsAction},
    {"wyws", 5, false, "SignalWyws", &TMachine::SignalWywsAction},
    {"wyrm", 8, false, "SignalWyrm", &TMachine::SignalWyrmAction},
    {"wyap", 8, false, "SignalWyap", &TMachine::SignalWyapAction},
    {"as (sa)", 1, false, "SignalAs", &TMachine::SignalAsAction},
    {"weja", 0, false, "SignalWeja", &TMachine::SignalWejaAction},
    {"dod", 0, false, "SignalDod", &TMachine::SignalDodAction},
    {"ode", 0, false, "SignalOde", &TMachine::SignalOdeAction},
    {"przep", 0, false, "SignalPrzep", &TMachine::SignalPrzepAction},
    {"mno", 4, false, "SignalMno", &TMachine::SignalMnoAction},
    {"dziel", 4, false, "SignalDziel", &TMachine::SignalDzielAction},
    {"shr", 4, false, "SignalShr", &TMachine::SignalShrAction},
    {"neg", 3, false, "SignalNeg", &TMachine::SignalNegAction},
    {"lub", 3, false, "SignalLub", &TMachine::SignalLubAction},
    {"i", 3, false, "SignalI", &TMachine::SignalIAction},
    {"new1", kReserveOption, false, "SignalNew1", &TMachine::SignalNewAction},
    {"new2", kReserveOption, false, "SignalNew2", &TMachine::SignalNewAction},
    {"new3", kReserveOption, false, "SignalNew3", &TMachine::SignalNewAction},
    {"new4", kReserveOption, false, "SignalNew4", &TMachine::SignalNewAction},
    {"iak", 2, true, "SignalIak", &TMachine::SignalIakAction},
    {"dak", 2, true, "SignalDak", &TMachine::SignalDakAction},
    {"weak", 0, true, "SignalWeak", &TMachine::SignalWeakAction},
    {"wei", 0, true, "SignalWei", &TMachine::SignalWeiAction},
    {"wea", 0, true, "SignalWea", &TMachine::SignalWeaAction},
    {"wes", 0, true, "SignalWes", &TMachine::SignalWesAction},
    {"il", 0, true, "SignalIl", &TMachine::SignalIlAction},
    {"wel", 0, true, "SignalWel", &TMachine::SignalWelAction},
    {"wex", 6, true, "SignalWex", &TMachine::SignalWexAction},
    {"wey", 7, true, "SignalWey", &TMachine::SignalWeyAction},
    {"werb", 9, true, "SignalWerb", &TMachine::SignalWerbAction},
    {"start", 9, true, "SignalStart", &TMachine::SignalStartAction},
    {"iws", 5, true, "SignalIws", &TMachine::SignalIwsAction},
    {"dws", 5, true, "SignalDws", &TMachine::SignalDwsAction},
    {"wews", 5, true, "SignalWews", &TMachine::SignalWewsAction},
    {"werm", 8, true, "SignalWerm", &TMachine::SignalWermAction},
    {"rint", 8, true, "SignalRint", &TMachine::SignalRintAction},
    {"eni", 8, true, "SignalEni", &TMachine::SignalEniAction},
    {"stop", 0, false, "SignalStop", &TMachine::SignalStopAction},
}};

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
      DefaultVectors(),
      TIOPorts{},
  };
}

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
  f.SetValue(8);
  f.ClearCycle();
  Register(TRegisterId::I).SetDisplayMode(TDisplayMode::dmInstruction);
  SetComponents(TComponentSet().set(0));
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

void TMachine::SetActive(int number, bool on) {
  const std::uint64_t bit = std::uint64_t{1} << number;
  s_.ActiveSignals = on ? (s_.ActiveSignals | bit) : (s_.ActiveSignals & ~bit);
  if (observer_) observer_->SignalChanged(number);
}

void TMachine::SetActiveSignals(std::uint64_t mask) {
  const std::uint64_t changed = s_.ActiveSignals ^ mask;
  s_.ActiveSignals = mask;
  if (!observer_) return;
  for (std::uint64_t pending = changed; pending != 0; pending &= pending - 1) {
    observer_->SignalChanged(std::countr_zero(pending));
  }
}

void TMachine::ClearCycle() {
  for (TRegister& r : s_.Registers) r.ClearCycle();
  for (TBus& b : s_.Buses) b.ClearCycle();
  s_.Memory.ClearCycle();
  s_.Alu.ClearCycle();
  if (observer_) observer_->CycleCleared();
}

template <int N>
void TMachine::PerformSignal() {
  if constexpr (kSignalTable[N].Handler != nullptr) {
    (this->*kSignalTable[N].Handler)();
  } else {
    throw EDorumError(Texts::NoSignalHandler(Signal(N).ComponentName()));
  }
}

template <int... N>
void TMachine::PerformSignals(std::uint64_t mask, std::integer_sequence<int, N...> /*numbers*/) {
  // One test per signal in table order, each calling its action directly:
  // well predicted for the repeating patterns of a running program, and the
  // actions can be inlined. An action that raises ends the cycle there.
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

// ---- user actions between cycles ----

void TMachine::EnterRegisterValue(TRegisterId id, const QString& text) {
  const std::int32_t value = StrToInt(text);
  Register(id).ClearCycle();
  Put(id, value);
}

void TMachine::EnterMemoryValue(int address, const QString& text) {
  const std::int32_t value = StrToInt(text);
  s_.Memory.ClearCycle();
  s_.Memory.Write(address, value);
  if (observer_) observer_->MemoryAccessed(s_.Memory.IndexOf(address));
}

void TMachine::ZeroRegister(TRegisterId id) {
  Register(id).Reset();
  if (observer_) observer_->RegisterChanged(id);
}

void TMachine::SetDisplayMode(TRegisterId id, TDisplayMode mode) {
  Register(id).SetDisplayMode(mode);
  if (observer_) observer_->RegisterChanged(id);
}

void TMachine::RaiseInterrupt(int line) {
  if (line < 1 || line > 4) throw EDorumError(Texts::UnknownInterruptLine(line));
  Register(TRegisterId::RZ).ClearCycle();
  Put(TRegisterId::RZ, Get(TRegisterId::RZ) | (1 << (4 - line)));
}

void TMachine::ConsoleInputChanged() {
  if (console_.InputText().isEmpty() || !control_->WaitingForInput()) return;
  if (AddressField(Get(TRegisterId::I)) != s_.IOPorts.InputPort) return;
  Register(TRegisterId::RB).ClearCycle();
  // The character leaves the field only once it has been stored.
  Put(TRegisterId::RB, console_.PeekInputChar());
  console_.DropInputChar();
  if (Get(TRegisterId::RB) != 0) {
    Register(TRegisterId::G).ClearCycle();
    Put(TRegisterId::G, 1);
    control_->SetWaitingForInput(false);
  }
}

void TMachine::TypeInput(const QString& text) {
  console_.AppendInput(text);
  ConsoleInputChanged();
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
  NotifyConfiguration();
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
  NotifyConfiguration();
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
  NotifyConfiguration();
}

TMachineConfig TMachine::Config() const {
  return {AddressBits(), CodeBits(), GetComponents()};
}

void TMachine::ResetMachine() {
  for (TRegister& r : s_.Registers) r.Reset();
  for (TBus& b : s_.Buses) b.Reset();
  s_.Memory.Reset();
  s_.Alu.Reset();
  SetActiveSignals(0);
  if (observer_) observer_->MachineReset();
  control_->ResetControl();
}

void TMachine::UpdateFlags() {
  const auto v = static_cast<std::uint32_t>(Get(TRegisterId::AK));
  const int w = Register(TRegisterId::AK).Bits();
  std::int32_t f = Get(TRegisterId::F);
  f = ((v >> (w - 1)) & 1u) ? (f | 1) : (f & 14);
  f = (v == 0) ? (f | 8) : (f & 7);
  Register(TRegisterId::F).SetValue(f);
  if (observer_) observer_->RegisterChanged(TRegisterId::F);
}

// ---- signal actions ----

void TMachine::SignalCzytAction() {
  const std::int32_t address = Get(TRegisterId::A);
  const std::int32_t word = s_.Memory.Read(address);
  if (observer_) observer_->MemoryAccessed(s_.Memory.IndexOf(address));
  Put(TRegisterId::S, word);
}

void TMachine::SignalPiszAction() {
  const std::int32_t address = Get(TRegisterId::A);
  s_.Memory.Write(address, Get(TRegisterId::S));
  if (observer_) observer_->MemoryAccessed(s_.Memory.IndexOf(address));
}

void TMachine::SignalWysAction() {
  Drive(TBusId::S, Get(TRegisterId::S));
}
void TMachine::SignalWyakAction() {
  Drive(TBusId::S, Get(TRegisterId::AK));
}
void TMachine::SignalWyadAction() {
  Drive(TBusId::A, Get(TRegisterId::I));
}
void TMachine::SignalWylAction() {
  Drive(TBusId::A, Get(TRegisterId::L));
}

void TMachine::SignalWygAction() {
  Drive(TBusId::S, Get(TRegisterId::G));
  control_->SetWaitingForInput(Get(TRegisterId::G) == 0);
}

void TMachine::SignalWyrbAction() {
  Drive(TBusId::S, Get(TRegisterId::RB));
}
void TMachine::SignalWyxAction() {
  Drive(TBusId::S, Get(TRegisterId::X));
}
void TMachine::SignalWyyAction() {
  Drive(TBusId::S, Get(TRegisterId::Y));
}
void TMachine::SignalWylsAction() {
  Drive(TBusId::S, Get(TRegisterId::L));
}
void TMachine::SignalWywsAction() {
  Drive(TBusId::A, Get(TRegisterId::WS));
}
void TMachine::SignalWyrmAction() {
  Drive(TBusId::A, Get(TRegisterId::RM));
}
void TMachine::SignalWyapAction() {
  Drive(TBusId::A, Get(TRegisterId::AP));
}

void TMachine::SignalAsAction() {
  // The link carries a value from whichever bus already has one.
  if (Bus(TBusId::A).Driven()) {
    Drive(TBusId::S, BusValue(TBusId::A));
  } else {
    Drive(TBusId::A, BusValue(TBusId::S));
  }
  Drive(TBusId::AS, BusValue(TBusId::S));
}

void TMachine::SignalWejaAction() {
  SetAluInput(BusValue(TBusId::S));
}

void TMachine::SignalDodAction() {
  const std::int32_t ak = Get(TRegisterId::AK);
  SetAluResult(Add(ak, s_.Alu.InputValue()));
}

void TMachine::SignalOdeAction() {
  const std::int32_t ak = Get(TRegisterId::AK);
  SetAluResult(Sub(ak, s_.Alu.InputValue()));
}

void TMachine::SignalPrzepAction() {
  SetAluResult(s_.Alu.InputValue());
}

void TMachine::SignalMnoAction() {
  const std::int64_t product = std::int64_t{Get(TRegisterId::AK)} * s_.Alu.InputValue();
  SetAluResult(
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(product))));
}

void TMachine::SignalDzielAction() {
  const std::int32_t ak = Get(TRegisterId::AK);
  const std::int32_t divisor = s_.Alu.InputValue();
  if (divisor == 0) throw EDorumError(Texts::DivisionByZero());
  if (divisor == -1 && ak == std::numeric_limits<std::int32_t>::min()) {
    SetAluResult(ak);  // the one quotient that does not fit wraps onto itself
    return;
  }
  SetAluResult(ak / divisor);
}

void TMachine::SignalShrAction() {
  SetAluResult(static_cast<std::int32_t>(static_cast<std::uint32_t>(s_.Alu.InputValue()) >> 1));
}

void TMachine::SignalNegAction() {
  SetAluResult(~s_.Alu.InputValue());
}

void TMachine::SignalLubAction() {
  const std::int32_t ak = Get(TRegisterId::AK);
  SetAluResult(ak | s_.Alu.InputValue());
}

void TMachine::SignalIAction() {
  const std::int32_t ak = Get(TRegisterId::AK);
  SetAluResult(ak & s_.Alu.InputValue());
}

// The reserve signals are wired to nothing.
void TMachine::SignalNewAction() {}

void TMachine::SignalIakAction() {
  Put(TRegisterId::AK, Add(Get(TRegisterId::AK), 1));
}
void TMachine::SignalDakAction() {
  Put(TRegisterId::AK, Sub(Get(TRegisterId::AK), 1));
}
void TMachine::SignalWeakAction() {
  Put(TRegisterId::AK, s_.Alu.ResultValue());
}
void TMachine::SignalWeiAction() {
  Put(TRegisterId::I, BusValue(TBusId::S));
}
void TMachine::SignalWeaAction() {
  Put(TRegisterId::A, BusValue(TBusId::A));
}
void TMachine::SignalWesAction() {
  Put(TRegisterId::S, BusValue(TBusId::S));
}
void TMachine::SignalIlAction() {
  Put(TRegisterId::L, Add(Get(TRegisterId::L), 1));
}
void TMachine::SignalWelAction() {
  Put(TRegisterId::L, BusValue(TBusId::A));
}
void TMachine::SignalWexAction() {
  Put(TRegisterId::X, BusValue(TBusId::S));
}
void TMachine::SignalWeyAction() {
  Put(TRegisterId::Y, BusValue(TBusId::S));
}
void TMachine::SignalWerbAction() {
  Put(TRegisterId::RB, BusValue(TBusId::S));
}

void TMachine::SignalStartAction() {
  control_->SetWaitingForInput(false);
  Put(TRegisterId::G, 0);
  const std::int32_t port = AddressField(Get(TRegisterId::I));
  if (port == s_.IOPorts.InputPort) {
    // The character leaves the input field only once RB holds it.
    Put(TRegisterId::RB, console_.PeekInputChar());
    console_.DropInputChar();
    if (Get(TRegisterId::RB) == 0) {
      control_->SetWaitingForInput(true);
      return;
    }
    Register(TRegisterId::G).ClearCycle();
    Put(TRegisterId::G, 1);
  } else if (port == s_.IOPorts.OutputPort) {
    console_.PutOutputChar(Get(TRegisterId::RB) & 0xFF);
    Register(TRegisterId::G).ClearCycle();
    Put(TRegisterId::G, 1);
  } else {
    throw EDorumError(Texts::UnknownPort());
  }
}

void TMachine::SignalIwsAction() {
  Put(TRegisterId::WS, Add(Get(TRegisterId::WS), 1));
}
void TMachine::SignalDwsAction() {
  Put(TRegisterId::WS, Sub(Get(TRegisterId::WS), 1));
}
void TMachine::SignalWewsAction() {
  Put(TRegisterId::WS, BusValue(TBusId::A));
}
void TMachine::SignalWermAction() {
  Put(TRegisterId::RM, BusValue(TBusId::A));
}

void TMachine::SignalRintAction() {
  Put(TRegisterId::RZ, Get(TRegisterId::RZ) & ~Get(TRegisterId::RP));
  Put(TRegisterId::RP, 0);
  Put(TRegisterId::AP, 0);
}

void TMachine::SignalEniAction() {
  const std::int32_t pending = Get(TRegisterId::RZ) & ~Get(TRegisterId::RM);
  for (int bit = Register(TRegisterId::RP).Bits() - 1; bit >= 0; --bit) {
    if (((pending >> bit) & 1) == 0) continue;
    Put(TRegisterId::RP, 1 << bit);
    // Bit 3 is line 1, the highest priority, whose handler is vector 1.
    Put(TRegisterId::AP, s_.Vectors[static_cast<std::size_t>(3 - bit)].Address);
    Put(TRegisterId::F, Get(TRegisterId::F) | 4);
    return;
  }
  Put(TRegisterId::F, Get(TRegisterId::F) & 11);
  Put(TRegisterId::RP, 0);
  Put(TRegisterId::AP, 0);
}

void TMachine::SignalStopAction() {
  control_->ProgramFinished();
  throw EDorumError(Texts::ProgramFinished());
}

}  // namespace dorum
