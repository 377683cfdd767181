#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Strings.h"
#include "machine/CyclePlan.h"

namespace dorum {

// Signal numbers 0..255 of one clock cycle. The machine's signals all lie
// in the first word, which is what a cycle hands to the machine.
class TSignalSet {
 public:
  void Set(int number) noexcept { words_[Word(number)] |= Bit(number); }
  [[nodiscard]] bool Test(int number) const noexcept {
    return (words_[Word(number)] & Bit(number)) != 0;
  }
  [[nodiscard]] std::uint64_t Low() const noexcept { return words_[0]; }
  [[nodiscard]] bool Empty() const noexcept { return words_ == std::array<std::uint64_t, 4>{}; }
  friend bool operator==(const TSignalSet&, const TSignalSet&) = default;

 private:
  static constexpr std::size_t Word(int number) noexcept {
    return static_cast<std::size_t>(number & 255) >> 6;
  }
  static constexpr std::uint64_t Bit(int number) noexcept {
    return std::uint64_t{1} << (number & 63);
  }
  std::array<std::uint64_t, 4> words_{};
};

// Condition of a cycle's jump: which flag of F decides it.
enum class TCondition : std::uint8_t { None = 0, Z = 1, Zak = 2, Int = 3, V = 4 };

// One compiled clock cycle. A next-cycle number 0 ends the instruction.
struct TMicroCode {
  TSignalSet Signals;
  std::int32_t ElseCycle = 0;
  std::int32_t NextCycle = 0;
  TCondition Condition = TCondition::None;
  std::int32_t SourceLine = 0;  // 0-based line of the source
  bool Breakpoint = false;
  // The control unit's plan of the signals for the configuration it was
  // made for; a cache, remade when the configuration has changed.
  mutable TCyclePlan Plan;
};

// A machine instruction defined by its microprogram text. It is built whole
// by its constructor, which checks and compiles the text or raises.
class TInstruction {
 public:
  explicit TInstruction(const TLines& lines);

  [[nodiscard]] const std::string& Name() const noexcept { return name_; }
  [[nodiscard]] int ArgumentCount() const noexcept { return argumentCount_; }
  [[nodiscard]] const TLines& Source() const noexcept { return source_; }
  [[nodiscard]] bool Compiled() const noexcept { return compiled_; }
  [[nodiscard]] int CycleCount() const noexcept { return static_cast<int>(cycles_.size()); }
  [[nodiscard]] const TMicroCode& Cycle(int index) const {
    return cycles_.at(static_cast<std::size_t>(index));
  }
  [[nodiscard]] TMicroCode& Cycle(int index) { return cycles_.at(static_cast<std::size_t>(index)); }
  [[nodiscard]] const std::vector<TMicroCode>& Cycles() const noexcept { return cycles_; }

  // The syntax check: the argument count, or a positioned error.
  [[nodiscard]] static int CheckInstructionText(const TLines& lines);
  // Builds the cycles from the source; raises for a jump to an unknown label.
  void Compile();

 private:
  void SetSource(const TLines& lines);

  TLines source_;
  std::string name_;
  bool compiled_ = false;
  int argumentCount_ = 1;
  std::vector<TMicroCode> cycles_;
};

}  // namespace dorum
