#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Strings.h"

namespace dorum {

class TMachine;

// Where the labels of the bound program lie. The session answers from its
// watches, so the conditions need nothing from the layer of programs.
class ILabelAddresses {
 public:
  ILabelAddresses() = default;
  ILabelAddresses(const ILabelAddresses&) = default;
  ILabelAddresses& operator=(const ILabelAddresses&) = default;
  virtual ~ILabelAddresses() = default;
  // The label's word, whatever the case of its letters; -1 when there is none.
  [[nodiscard]] virtual int AddressOf(const std::string& name) const = 0;
};

// How a stop condition tests its value.
enum class TStopOp : std::uint8_t {
  Equal,         // NAME=V
  NotEqual,      // NAME!=V
  Less,          // NAME<V
  LessEqual,     // NAME<=V
  Greater,       // NAME>V
  GreaterEqual,  // NAME>=V
  Changed,       // changed(NAME)
  Signal,        // signal(NAME)
};

// A condition as written, before its name is looked up.
struct TStopConditionText {
  std::string Name;
  TStopOp Op = TStopOp::Equal;
  std::int32_t Value = 0;
};

// Reads "NAME<op>V", "changed(NAME)" or "signal(NAME)"; raises an error
// that says what is wrong with the text.
[[nodiscard]] TStopConditionText ParseStopCondition(const std::string& text);

// A condition compiled against the machine, checked after every cycle of a
// run: plain data, so that the check neither allocates nor formats text.
// Values are compared within the width of the register or memory word as
// unsigned numbers; a negative V compares both as two's complement signed
// numbers of that width, and so do NAME<0 and NAME>=0 (AK<0 holds when the
// sign bit of AK is set), which unsigned would never or always hold. V must
// fit the width either way.
struct TStopTest {
  enum class TSource : std::uint8_t { Register, Memory, Signal };
  TSource Source = TSource::Register;
  TStopOp Op = TStopOp::Equal;
  int Index = 0;  // register id, memory address or signal number
  int Bits = 0;
  std::uint32_t Mask = 0;
  bool Signed = false;
  std::int64_t Value = 0;  // V as compared: sign-extended when Signed
  std::uint32_t Last = 0;  // for changed(): the value at the end of the previous cycle
};

struct TStopCondition {
  std::string Text;
  // The user's choice; a condition with a problem is not checked whatever
  // it says, and is checked again, as chosen, once its names resolve.
  bool Enabled = true;
  // Why the condition no longer compiles against the machine and the
  // labels (a label gone, a register the configuration dropped); empty
  // while it compiles.
  std::string Problem;
  TStopTest Test;

  [[nodiscard]] bool Active() const noexcept { return Enabled && Problem.empty(); }
};

// The user's stop conditions of a session. The control unit checks the
// enabled ones at the end of every cycle of a run; the first that holds
// ends the run after that cycle.
class TStopConditions {
 public:
  // Compiles against the machine as it is configured now and the program's
  // labels (none: registers and mem[...] only); raises an error that says
  // what is wrong, leaving the list as it was.
  void Add(const std::string& text, const TMachine& machine, const ILabelAddresses* labels);
  // As Add, but a condition the list holds already (IndexOf) is enabled
  // instead of added twice; its place either way.
  int AddOrEnable(const std::string& text, const TMachine& machine, const ILabelAddresses* labels);
  // A condition kept from before (the page keeps them across a reload):
  // added as Add does, but one whose names do not resolve now stays with
  // its problem, as after Recompile, until they do. A malformed text, or
  // one the list holds already, is left out; whether it was added.
  bool Restore(const std::string& text, bool enabled, const TMachine& machine,
               const ILabelAddresses* labels);
  void Remove(int index);
  void Clear();
  // Compiles every condition again, after the program was assembled anew
  // or the configuration changed: texts and choices stay, names find their
  // new places, and one whose names no longer resolve gets a problem.
  void Recompile(const TMachine& machine, const ILabelAddresses* labels);
  // The place of a condition that reads as the text does (names in any
  // case, blanks aside), or -1; a malformed text is in no list.
  [[nodiscard]] int IndexOf(const std::string& text) const;
  // A condition enabled during a run compares its changed() with the value
  // now, not with the one it last saw before it was disabled. One with a
  // problem keeps the choice but stays unchecked.
  void SetEnabled(int index, bool enabled, const TMachine& machine);
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(list_.size()); }
  // Which conditions are checked now, by place; after something renamed,
  // the message naming those checked before that no longer are (each with
  // its problem), or empty when none was lost.
  [[nodiscard]] std::vector<bool> ActiveNow() const;
  [[nodiscard]] std::string LostSince(const std::vector<bool>& before) const;
  [[nodiscard]] const TStopCondition& At(int index) const {
    return list_.at(static_cast<std::size_t>(index));
  }

  // Whether any active condition asks to be checked.
  [[nodiscard]] bool Armed() const noexcept { return !active_.empty(); }
  // A run starts: changed() compares its first cycle with the values now.
  void Begin(const TMachine& machine) noexcept;
  // The enabled conditions can only come to hold in a cycle in which one of
  // these signals is active (a changed() of a place these signals alone
  // write, a signal()); none: some condition must be checked every cycle.
  [[nodiscard]] std::optional<std::uint64_t> WatchedSignals() const noexcept { return watched_; }
  // Whether every changed() still sees the value it saw last: nothing
  // changed its place between two cycles.
  [[nodiscard]] bool Unchanged(const TMachine& machine) const noexcept;
  // After a cycle: the index of the first enabled condition that holds, or
  // -1. Every changed() takes the new value for the next cycle.
  [[nodiscard]] int Check(const TMachine& machine) noexcept;

 private:
  void Rebuild();

  std::vector<TStopCondition> list_;
  // The places of the enabled conditions in the list, in its order. The
  // tests stay in the list, so that changed() keeps its last value when
  // another condition is enabled or removed.
  std::vector<std::size_t> active_;
  std::optional<std::uint64_t> watched_ = 0;
};

}  // namespace dorum
