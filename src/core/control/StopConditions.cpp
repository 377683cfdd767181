#include "control/StopConditions.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "machine/Machine.h"
#include "machine/SignalTable.h"

namespace dorum {

namespace {

struct TOperatorText {
  const char* Text;
  TStopOp Op;
};
// Two-character operators first, so that "<=" is not read as "<".
constexpr std::array<TOperatorText, 6> kOperators{{{"!=", TStopOp::NotEqual},
                                                   {"<=", TStopOp::LessEqual},
                                                   {">=", TStopOp::GreaterEqual},
                                                   {"=", TStopOp::Equal},
                                                   {"<", TStopOp::Less},
                                                   {">", TStopOp::Greater}}};

[[noreturn]] void Malformed(const std::string& text, const std::string& why) {
  throw EDorumError(Texts::MalformedStopCondition(text, why));
}

// "changed(NAME)" or "signal(NAME)": the name, or an empty text when the
// condition is not of that form.
std::string Inside(const std::string& text, std::string_view function) {
  if (!EqualsIgnoringAsciiCase(std::string_view(text).substr(0, function.size()), function))
    return {};
  const std::string_view rest = Trimmed(std::string_view(text).substr(function.size()));
  if (!rest.starts_with('(') || !rest.ends_with(')')) return {};
  std::string name(Trimmed(rest.substr(1, rest.size() - 2)));
  if (name.empty()) Malformed(text, Texts::NoNameInParentheses());
  return name;
}

TStopConditionText ParseComparison(const std::string& text) {
  std::size_t at = std::string::npos;
  const TOperatorText* found = nullptr;
  for (const TOperatorText& op : kOperators) {
    const std::size_t i = text.find(op.Text);
    if (i < at) {
      at = i;
      found = &op;
    }
  }
  if (found == nullptr) Malformed(text, Texts::NoComparison());
  TStopConditionText parsed;
  parsed.Op = found->Op;
  parsed.Name = Trimmed(std::string_view(text).substr(0, at));
  if (parsed.Name.empty()) Malformed(text, Texts::NoNameBeforeComparison());
  const std::string value(
      Trimmed(std::string_view(text).substr(at + std::string_view(found->Text).size())));
  if (value.empty()) Malformed(text, Texts::NoValueAfterComparison());
  if (!TryStrToInt(value, parsed.Value)) Malformed(text, Texts::NotAnIntegerValue(value));
  return parsed;
}

[[nodiscard]] std::int64_t SignExtend(std::uint32_t value, int bits) noexcept {
  if (bits <= 0 || bits >= 64) return value;
  const std::uint64_t sign = std::uint64_t{1} << (bits - 1);
  return static_cast<std::int64_t>((std::uint64_t{value} ^ sign)) - static_cast<std::int64_t>(sign);
}

[[nodiscard]] std::uint32_t Read(const TStopTest& test, const TMachine& machine) noexcept {
  switch (test.Source) {
    case TStopTest::TSource::Register:
      return machine.Register(static_cast<TRegisterId>(test.Index)).Content() & test.Mask;
    case TStopTest::TSource::Memory:
      return machine.Memory().Word(test.Index) & test.Mask;
    case TStopTest::TSource::Signal:
      return machine.SignalActive(test.Index) ? 1u : 0u;
  }
  return 0;
}

[[nodiscard]] bool Compare(const TStopTest& test, std::uint32_t raw) noexcept {
  const std::int64_t actual = test.Signed ? SignExtend(raw, test.Bits) : std::int64_t{raw};
  switch (test.Op) {
    case TStopOp::Equal:
      return actual == test.Value;
    case TStopOp::NotEqual:
      return actual != test.Value;
    case TStopOp::Less:
      return actual < test.Value;
    case TStopOp::LessEqual:
      return actual <= test.Value;
    case TStopOp::Greater:
      return actual > test.Value;
    case TStopOp::GreaterEqual:
      return actual >= test.Value;
    case TStopOp::Changed:
      return raw != test.Last;
    case TStopOp::Signal:
      return raw != 0;
  }
  return false;
}

// A label's word, as --expect finds it: case does not matter.
int LabelAddress(const ILabelAddresses* labels, const std::string& name) {
  return labels == nullptr ? -1 : labels->AddressOf(name);
}

void SetMemory(TStopTest& test, const std::string& text, const TMachine& machine, int address) {
  if (address < 0 || address >= machine.Memory().Size())
    Malformed(text, Texts::AddressOutsideMemory(address));
  test.Source = TStopTest::TSource::Memory;
  test.Index = address;
  test.Bits = machine.WordBits();
}

void SetRegister(TStopTest& test, const std::string& text, const TMachine& machine, int r) {
  const TRegister& reg = machine.Register(static_cast<TRegisterId>(r));
  // A register the machine does not show never changes.
  if (!reg.Visible()) Malformed(text, Texts::MachineLacksRegister(reg.Caption()));
  test.Source = TStopTest::TSource::Register;
  test.Index = r;
  test.Bits = reg.Bits();
}

// The name as --expect reads it: mem[ADDRESS]; a register written exactly
// as its caption; a label of the program; a register in another case.
void Locate(TStopTest& test, const std::string& text, const std::string& name,
            const TMachine& machine, const ILabelAddresses* labels) {
  if (EqualsIgnoringAsciiCase(std::string_view(name).substr(0, 4), "mem[") && name.ends_with(']')) {
    std::int32_t address = 0;
    if (!TryStrToInt(Trimmed(std::string_view(name).substr(4, name.size() - 5)), address))
      Malformed(text, Texts::AddressNotANumber(name));
    SetMemory(test, text, machine, address);
    return;
  }
  // A register written as its caption comes before a label of that name,
  // and a label before a register written in another case.
  const int r = TMachine::FindRegister(name);
  const bool caption = r >= 0 && machine.Register(static_cast<TRegisterId>(r)).Caption() == name;
  if (const int address = caption ? -1 : LabelAddress(labels, name); address >= 0) {
    SetMemory(test, text, machine, address);
  } else if (r >= 0) {
    SetRegister(test, text, machine, r);
  } else {
    Malformed(text, Texts::NoRegisterOrLabel(name));
  }
}

void SetValue(TStopTest& test, const std::string& text, std::int32_t value) {
  test.Mask = WidthMask(test.Bits);
  const std::int64_t lowest = -(std::int64_t{1} << (test.Bits - 1));
  if (value < lowest || (value >= 0 && static_cast<std::uint32_t>(value) > test.Mask))
    Malformed(text, Texts::ValueTooWide(value, test.Bits));
  // Unsigned, NAME<0 would never hold and NAME>=0 always would: against
  // zero these two ask about the sign bit.
  test.Signed =
      value < 0 || (value == 0 && (test.Op == TStopOp::Less || test.Op == TStopOp::GreaterEqual));
  test.Value = value;
}

TStopTest Compile(const std::string& text, const TMachine& machine, const ILabelAddresses* labels) {
  const TStopConditionText parsed = ParseStopCondition(text);
  TStopTest test;
  test.Op = parsed.Op;
  if (parsed.Op == TStopOp::Signal) {
    test.Source = TStopTest::TSource::Signal;
    test.Index = TMachine::FindSignal(parsed.Name);
    if (test.Index < 0) Malformed(text, Texts::NoSuchSignal(parsed.Name));
    test.Bits = 1;
    test.Mask = 1;
    return test;
  }
  Locate(test, text, parsed.Name, machine, labels);
  if (parsed.Op == TStopOp::Changed) {
    test.Mask = WidthMask(test.Bits);
  } else {
    SetValue(test, text, parsed.Value);
  }
  return test;
}

}  // namespace

TStopConditionText ParseStopCondition(const std::string& written) {
  const std::string text(Trimmed(written));
  if (text.empty()) throw EDorumError(Texts::EmptyStopCondition());
  TStopConditionText parsed;
  if (std::string name = Inside(text, "changed"); !name.empty()) {
    parsed.Name = std::move(name);
    parsed.Op = TStopOp::Changed;
  } else if (std::string signal = Inside(text, "signal"); !signal.empty()) {
    parsed.Name = std::move(signal);
    parsed.Op = TStopOp::Signal;
  } else {
    parsed = ParseComparison(text);
  }
  return parsed;
}

void TStopConditions::Add(const std::string& text, const TMachine& machine,
                          const ILabelAddresses* labels) {
  TStopCondition condition;
  condition.Text = Trimmed(text);
  condition.Test = Compile(condition.Text, machine, labels);
  condition.Test.Last = Read(condition.Test, machine);
  list_.push_back(std::move(condition));
  Rebuild();
}

bool TStopConditions::Restore(const std::string& text, bool enabled, const TMachine& machine,
                              const ILabelAddresses* labels) {
  // IndexOf knows no malformed text: the parse tells those apart.
  try {
    (void)ParseStopCondition(text);
  } catch (const EDorumError&) {
    return false;
  }
  if (IndexOf(text) >= 0) return false;
  TStopCondition condition;
  condition.Text = Trimmed(text);
  condition.Enabled = enabled;
  try {
    condition.Test = Compile(condition.Text, machine, labels);
    condition.Test.Last = Read(condition.Test, machine);
  } catch (const EDorumError& e) {
    condition.Problem = e.Message();
  }
  list_.push_back(std::move(condition));
  Rebuild();
  return true;
}

int TStopConditions::AddOrEnable(const std::string& text, const TMachine& machine,
                                 const ILabelAddresses* labels) {
  if (const int present = IndexOf(text); present >= 0) {
    SetEnabled(present, true, machine);
    return present;
  }
  Add(text, machine, labels);
  return Count() - 1;
}

std::vector<bool> TStopConditions::ActiveNow() const {
  std::vector<bool> active;
  active.reserve(list_.size());
  for (const TStopCondition& condition : list_) active.push_back(condition.Active());
  return active;
}

std::string TStopConditions::LostSince(const std::vector<bool>& before) const {
  std::vector<std::string> lost;
  for (std::size_t i = 0; i < list_.size() && i < before.size(); ++i) {
    if (before[i] && !list_[i].Active()) lost.push_back(list_[i].Text + " — " + list_[i].Problem);
  }
  return lost.empty() ? std::string() : Texts::LostStopConditions(lost);
}

void TStopConditions::Remove(int index) {
  (void)At(index);  // raises for an index beyond the list
  list_.erase(list_.begin() + index);
  Rebuild();
}

void TStopConditions::Clear() {
  list_.clear();
  Rebuild();
}

void TStopConditions::SetEnabled(int index, bool enabled, const TMachine& machine) {
  TStopCondition& condition = list_.at(static_cast<std::size_t>(index));
  // A test with a problem may point outside the machine: it is not read.
  if (enabled && !condition.Enabled && condition.Problem.empty())
    condition.Test.Last = Read(condition.Test, machine);
  condition.Enabled = enabled;
  Rebuild();
}

void TStopConditions::Recompile(const TMachine& machine, const ILabelAddresses* labels) {
  for (TStopCondition& condition : list_) {
    try {
      condition.Test = Compile(condition.Text, machine, labels);
      condition.Test.Last = Read(condition.Test, machine);
      condition.Problem.clear();
    } catch (const EDorumError& e) {
      // The old test may name a word or a register the machine no longer
      // has; it stays, unread, until the names resolve again.
      condition.Problem = e.Message();
    }
  }
  Rebuild();
}

int TStopConditions::IndexOf(const std::string& text) const {
  TStopConditionText wanted;
  try {
    wanted = ParseStopCondition(text);
  } catch (const EDorumError&) {
    return -1;
  }
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const TStopConditionText have = ParseStopCondition(list_[i].Text);
    if (have.Op == wanted.Op && have.Value == wanted.Value &&
        EqualsIgnoringAsciiCase(have.Name, wanted.Name))
      return static_cast<int>(i);
  }
  return -1;
}

namespace {

// The signals that write the place a test reads, from the signal table;
// none when something else may change it within a cycle: the flags follow
// the accumulator, the device sets G, and interrupt lines set RZ.
[[nodiscard]] std::optional<std::uint64_t> WritersOf(const TStopTest& test) noexcept {
  TPlace place = Place::kMemory;
  if (test.Source == TStopTest::TSource::Register) {
    const auto id = static_cast<TRegisterId>(test.Index);
    if (id == TRegisterId::F || id == TRegisterId::G || id == TRegisterId::RZ) return std::nullopt;
    place = Place::Reg(id);
  }
  std::uint64_t writers = 0;
  for (const TSignalRow& row : kSignalTable) {
    if (std::find(row.Writes.begin(), row.Writes.end(), place) != row.Writes.end())
      writers |= SignalBit(row.Id);
  }
  return writers;
}

// What a test watches for, or none when it must be checked every cycle: a
// comparison may hold from the first cycle on, whatever changes.
[[nodiscard]] std::optional<std::uint64_t> WatchedBy(const TStopTest& test) noexcept {
  if (test.Op == TStopOp::Signal) return std::uint64_t{1} << test.Index;
  if (test.Op == TStopOp::Changed) return WritersOf(test);
  return std::nullopt;
}

}  // namespace

void TStopConditions::Rebuild() {
  active_.clear();
  watched_ = 0;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (!list_[i].Active()) continue;
    active_.push_back(i);
    const std::optional<std::uint64_t> watched = WatchedBy(list_[i].Test);
    watched_ = watched && watched_ ? std::optional(*watched_ | *watched) : std::nullopt;
  }
}

bool TStopConditions::Unchanged(const TMachine& machine) const noexcept {
  return std::all_of(active_.begin(), active_.end(), [&](std::size_t i) {
    const TStopTest& test = list_[i].Test;
    return test.Op != TStopOp::Changed || Read(test, machine) == test.Last;
  });
}

void TStopConditions::Begin(const TMachine& machine) noexcept {
  for (const std::size_t i : active_) list_[i].Test.Last = Read(list_[i].Test, machine);
}

int TStopConditions::Check(const TMachine& machine) noexcept {
  int held = -1;
  for (const std::size_t i : active_) {
    TStopTest& test = list_[i].Test;
    const std::uint32_t raw = Read(test, machine);
    if (held < 0 && Compare(test, raw)) held = static_cast<int>(i);
    test.Last = raw;
  }
  return held;
}

}  // namespace dorum
