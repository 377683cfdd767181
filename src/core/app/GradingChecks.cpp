#include "app/GradingChecks.h"

#include <algorithm>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/ControlUnit.h"
#include "control/InstructionList.h"
#include "program/Watches.h"

namespace dorum {

namespace {

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\v' || c == U'\f' ||
         c == U'\u00A0';
}

// Letters of any script count, as a label's may be Polish.
bool IsLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0x80 && !IsSpace(c));
}

bool IsWordChar(char32_t c) {
  return IsLetter(c) || (c >= U'0' && c <= U'9') || c == U'_';
}

// The text split at runs of blanks, without empty parts.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextChar(text, i);
    if (IsSpace(c)) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      AppendChar(word, c);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// The label of that name, case aside; -1 when the program has none.
int FindLabel(const TWatchList& labels, const std::string& name) {
  for (int i = 0; i < labels.Count(); ++i) {
    if (CompareNamesIgnoringCase(labels.At(i).Name, name) == 0) return i;
  }
  return -1;
}

const TRegister& VisibleRegister(const TMachine& machine, int r, const std::string& name) {
  const TRegister& reg = machine.Register(static_cast<TRegisterId>(r));
  // A check of a register the machine does not show would compare a value
  // the program can never change.
  if (!reg.Visible()) throw EDorumError(Texts::CheckRegisterAbsent(name, reg.Caption()));
  return reg;
}

// A value wider than the place it is compared with could never be told
// apart from its lower bits: negative down to the sign bit, positive up to
// the whole width. A label is a memory word.
void RequireFit(const TGradingCheck& check, const TMachine& machine) {
  const int bits = check.Kind == TGradingCheck::TKind::Register
                       ? machine.Register(check.Register).Bits()
                       : machine.WordBits();
  const std::int64_t value = check.Expected;
  if (bits >= 32 ||
      (value < (std::int64_t{1} << bits) && value >= -(std::int64_t{1} << (bits - 1))))
    return;
  throw EDorumError(Texts::CheckValueTooWide(value, check.Name, bits));
}

// Where the named value lives: a memory word, a register written exactly as
// its caption, or else a label of the program.
void ReadPlace(TGradingCheck& check, const TMachine& machine) {
  const std::string lower = LowerCase(check.Name);
  if (lower.starts_with("mem[") && lower.ends_with(']')) {
    check.Kind = TGradingCheck::TKind::Memory;
    check.Address = StrToInt(std::string_view(check.Name).substr(4, check.Name.size() - 5));
    if (check.Address < 0 || check.Address >= machine.Memory().Size())
      throw EDorumError(Texts::CheckAddressOutsideMemory(check.Address, check.Name));
    return;
  }
  // A register is written exactly as its caption ("A", "AK"); any other
  // name is a label of the program ("a", "wynik"), so that a label the
  // student forgot is never taken for a register silently.
  const int r = TMachine::FindRegister(check.Name);
  if (r >= 0 && machine.Register(static_cast<TRegisterId>(r)).Caption() == check.Name) {
    (void)VisibleRegister(machine, r, check.Name);
    check.Register = static_cast<TRegisterId>(r);
    return;
  }
  // A name no program can define as a label is the teacher's slip.
  std::int32_t number = 0;
  const bool unfit = std::any_of(check.Name.begin(), check.Name.end(), [](char c) {
    return c == ':' || c == ';' || IsSpace(static_cast<unsigned char>(c));
  });
  if (unfit || TryStrToInt(check.Name, number)) throw EDorumError(Texts::CheckNotAName(check.Name));
  check.Kind = TGradingCheck::TKind::Label;
}

TGradingCheck ParseCheck(std::string_view item, const TMachine& machine) {
  const std::size_t equals = item.find('=');
  if (equals == std::string_view::npos || equals == 0)
    throw EDorumError(Texts::CheckNotAssignment(item));
  TGradingCheck check;
  check.Name = std::string(Trimmed(item.substr(0, equals)));
  const std::string value(Trimmed(item.substr(equals + 1)));
  if (std::int32_t number = 0; TryStrToInt(value, number))
    check.Expected = number;
  else if (!InstructionOfWord(value).empty())
    check.Word = value;
  else
    check.Expected = StrToInt(value);  // raises the usual message
  ReadPlace(check, machine);
  if (check.Word.empty()) RequireFit(check, machine);
  return check;
}

}  // namespace

std::string TCheckResult::Shown() const {
  if (!Actual) return Texts::NoLabelValue(Check->Name);
  std::string plain = ToText(static_cast<std::uint64_t>(*Actual));
  if (Check->Expected >= 0 || Bits >= 32 || ((*Actual >> (Bits - 1)) & 1U) == 0) return plain;
  const auto value = static_cast<std::int64_t>(*Actual) - (std::int64_t{1} << Bits);
  return plain + " (" + ToText(value) + ")";
}

std::string ExpectedText(const TGradingCheck& check) {
  return check.Word.empty() ? ToText(check.Expected)
                            : check.Word + " (" + ToText(check.Expected) + ")";
}

std::string InstructionOfWord(std::string_view value) {
  const std::vector<std::string> words = Words(value);
  if (words.empty() || words.size() > 2) return {};
  const std::string& name = words.front();
  std::size_t i = 0;
  if (!IsLetter(NextChar(name, i))) return {};
  while (i < name.size()) {
    if (!IsWordChar(NextChar(name, i))) return {};
  }
  return name;
}

std::vector<TGradingCheck> ParseChecks(std::string_view text, const TMachine& machine) {
  std::vector<TGradingCheck> checks;
  for (const std::string& item : Split(text, ',')) {
    if (!item.empty()) checks.push_back(ParseCheck(item, machine));
  }
  return checks;
}

void ResolveLabels(std::vector<TGradingCheck>& checks, const TMachine& machine,
                   const TWatchList& labels) {
  for (TGradingCheck& check : checks) {
    if (check.Kind != TGradingCheck::TKind::Label) continue;
    const int found = FindLabel(labels, check.Name);
    if (found >= 0 && labels.At(found).Address >= 0 &&
        labels.At(found).Address < machine.Memory().Size()) {
      check.Kind = TGradingCheck::TKind::Memory;
      check.Address = labels.At(found).Address;
    } else {
      check.Kind = TGradingCheck::TKind::Missing;
    }
  }
}

void ResolveWords(std::vector<TGradingCheck>& checks, const TMachine& machine,
                  const TInstructionList& instructions, const TWatchList& labels) {
  for (TGradingCheck& check : checks) {
    if (check.Word.empty()) continue;
    const std::vector<std::string> parts = Words(check.Word);
    const int code = instructions.IndexOf(LowerCase(parts.front()));
    if (code < 0)
      throw EDorumError(Texts::CheckWordNoInstruction(check.Word, check.Name, parts.front()));
    std::int32_t argument = 0;
    if (parts.size() > 1 && !TryStrToInt(parts[1], argument)) {
      const int found = FindLabel(labels, parts[1]);
      if (found < 0) throw EDorumError(Texts::CheckWordNoLabel(check.Word, check.Name, parts[1]));
      argument = labels.At(found).Address;
    }
    const auto address = static_cast<std::uint32_t>(argument) & WidthMask(machine.AddressBits());
    check.Expected = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(code) << machine.AddressBits()) | address);
  }
}

TCheckResult Evaluate(const TGradingCheck& check, const TMachine& machine) {
  if (check.Kind == TGradingCheck::TKind::Missing || check.Kind == TGradingCheck::TKind::Label)
    return {&check, std::nullopt, false};
  if (check.Kind == TGradingCheck::TKind::Memory) {
    const std::uint32_t actual = machine.Memory().Word(check.Address);
    const std::uint32_t mask = WidthMask(machine.WordBits());
    return {&check, actual, (static_cast<std::uint32_t>(check.Expected) & mask) == actual,
            machine.WordBits()};
  }
  const TRegister& reg = machine.Register(check.Register);
  const std::uint32_t mask = WidthMask(reg.Bits());
  const std::uint32_t actual = reg.Content() & mask;
  return {&check, actual, (static_cast<std::uint32_t>(check.Expected) & mask) == actual,
          reg.Bits()};
}

std::optional<std::string> ApplySettings(const std::vector<TGradingCheck>& settings,
                                         TMachine& machine) {
  for (const TGradingCheck& setting : settings) {
    const std::string text = ToText(setting.Expected);
    if (setting.Kind == TGradingCheck::TKind::Memory)
      machine.EnterMemoryValue(setting.Address, text);
    else if (setting.Kind == TGradingCheck::TKind::Register)
      machine.EnterRegisterValue(setting.Register, text);
    else
      return setting.Name;
  }
  return std::nullopt;
}

namespace {

// Decimal digits alone, blanks around them allowed.
std::optional<std::uint64_t> Digits(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::vector<TInterruptPress> ParseInterruptPresses(const std::vector<std::string>& values) {
  std::vector<TInterruptPress> presses;
  for (const std::string& value : values) {
    const std::vector<std::string> parts = Split(value, '@');
    const auto line = parts.size() == 2 ? Digits(parts[0]) : std::nullopt;
    const auto cycle = parts.size() == 2 ? Digits(parts[1]) : std::nullopt;
    if (!line || !cycle || *line < 1 || *line > 4) throw EDorumError(Texts::IrqMalformed(value));
    presses.push_back({static_cast<int>(*line), *cycle});
  }
  std::stable_sort(presses.begin(), presses.end(),
                   [](const auto& a, const auto& b) { return a.Cycle < b.Cycle; });
  return presses;
}

TStretchedEnd RunInStretches(TController& control, TMachine& machine,
                             const std::vector<TInterruptPress>& presses, std::uint64_t limit,
                             std::optional<std::chrono::milliseconds> timeLimit) {
  using TKind = TStretchedEnd::TKind;
  constexpr std::uint64_t kCyclesBetweenClocks = std::uint64_t{1} << 18;
  const auto start = std::chrono::steady_clock::now();
  std::size_t next = 0;
  while (true) {
    const std::uint64_t performed = control.CyclesPerformed();
    std::uint64_t until = next < presses.size() ? std::min(presses[next].Cycle, limit) : limit;
    if (timeLimit) until = std::min(until, performed + kCyclesBetweenClocks);
    control.LimitCycles(until > performed ? until - performed : 0);
    TSliceEnd end = TSliceEnd::Stopped;
    try {
      end = control.ExecuteProgram(-1);
    } catch (const EDorumError& e) {
      return {TKind::Refused, end, e.Message()};
    }
    if (end != TSliceEnd::CycleLimit) return {TKind::Control, end, control.EndMessage()};
    // The limit of this stretch, or of the whole run.
    if (control.CyclesPerformed() >= limit)
      return {TKind::CycleLimit, end, Texts::CycleLimitReached(limit)};
    if (timeLimit && std::chrono::steady_clock::now() - start >= *timeLimit)
      return {TKind::TimeLimit, end, {}};
    if (next < presses.size() && control.CyclesPerformed() >= presses[next].Cycle) {
      machine.RaiseInterrupt(presses[next].Line);
      ++next;
    }
  }
}

TExecutionCount::TExecutionCount(const TController& control) : control_(control) {
  // The control unit counts every fetch (a fetch brings the instruction
  // into I even when the cycle then fails); a run needs only the difference.
  for (int code = 0; code < (1 << kMaxCodeBits); ++code)
    before_.push_back(control_.FetchCount(code));
}

std::vector<std::pair<std::string, std::uint64_t>> TExecutionCount::Counts() const {
  std::vector<std::pair<std::string, std::uint64_t>> counts;
  const TInstructionList& list = control_.Instructions();
  for (int code = 0; code < list.Count(); ++code) {
    const std::uint64_t times = control_.FetchCount(code) - before_[static_cast<std::size_t>(code)];
    if (times > 0) counts.emplace_back(list.At(code).Name(), times);
  }
  return counts;
}

std::uint64_t TExecutionCount::Count(std::string_view name) const {
  std::uint64_t total = 0;
  const std::string wanted(name);
  for (const auto& [instruction, times] : Counts()) {
    if (CompareNamesIgnoringCase(instruction, wanted) == 0) total += times;
  }
  return total;
}

}  // namespace dorum
