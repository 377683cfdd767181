#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/ControlUnit.h"
#include "machine/Machine.h"

namespace dorum {

class TController;
class TInstructionList;
class TWatchList;

// One "NAME=VALUE" of a grading: a value to store before a run (set) or to
// find after it (expect).
struct TGradingCheck {
  std::string Name;
  std::int32_t Expected = 0;
  // Where the value lives; a label is looked up after assembly and becomes a
  // memory word, or stays missing.
  enum class TKind : std::uint8_t { Register, Memory, Label, Missing } Kind = TKind::Register;
  TRegisterId Register = TRegisterId::AK;
  int Address = 0;
  // A value written as an instruction word ("ZAM 40"), made into a number
  // once the program and the student's instructions are compiled.
  std::string Word;
};

// A check after the run.
struct TCheckResult {
  const TGradingCheck* Check = nullptr;
  std::optional<std::uint32_t> Actual;  // none when the label is missing
  bool Held = false;
  int Bits = 32;  // the width it was compared in

  // The value as a person compares it with the expectation: against a
  // negative one, a word with its top bit set is shown signed as well,
  // "924 (-100)" for 10 bits.
  [[nodiscard]] std::string Shown() const;
};

// The expectation as the teacher wrote it: an instruction word with its
// number, "DDW y (261)", or the number.
[[nodiscard]] std::string ExpectedText(const TGradingCheck& check);

// The instruction a value written as an instruction word names ("ZAM" of
// "ZAM 40"); empty when the value is no such word.
[[nodiscard]] std::string InstructionOfWord(std::string_view value);

// Parses "NAME=VALUE,..." against the machine; label names wait for the
// program's labels (ResolveLabels). Raises the teacher's mistake.
[[nodiscard]] std::vector<TGradingCheck> ParseChecks(std::string_view text,
                                                     const TMachine& machine);
// A name that is neither a label nor a register names a label the program
// lacks: the check fails, the student's program is at fault.
void ResolveLabels(std::vector<TGradingCheck>& checks, const TMachine& machine,
                   const TWatchList& labels);
// Values written as instruction words, as the assembler would write them.
// Raises when the instruction or the label is not there.
void ResolveWords(std::vector<TGradingCheck>& checks, const TMachine& machine,
                  const TInstructionList& instructions, const TWatchList& labels);
[[nodiscard]] TCheckResult Evaluate(const TGradingCheck& check, const TMachine& machine);

// Stores test data after the assembly and before the first cycle, each value
// as the user would type it. The name of a label the program lacks, when one
// is met (nothing is stored from there on), else none.
[[nodiscard]] std::optional<std::string> ApplySettings(const std::vector<TGradingCheck>& settings,
                                                       TMachine& machine);

// An interrupt button pressed once the run has performed so many cycles.
struct TInterruptPress {
  int Line = 0;
  std::uint64_t Cycle = 0;
};
// "LINE@CYCLES" items, in the order of their cycles; raises a malformed one.
[[nodiscard]] std::vector<TInterruptPress> ParseInterruptPresses(
    const std::vector<std::string>& values);

// How a run in stretches ended: as the control unit ended it (the program's
// stop, an input run out, a breakpoint...), at the run's cycle limit, at
// its time limit, or at a cycle the machine refused. Message is the
// control unit's, the limit's or the refusal's (none for the time limit,
// which the caller words).
struct TStretchedEnd {
  enum class TKind : std::uint8_t { Control, CycleLimit, TimeLimit, Refused };
  TKind Kind = TKind::Control;
  TSliceEnd Slice = TSliceEnd::Stopped;  // with Control
  std::string Message;
};

// Runs the program from where it stands in stretches that end where an
// interrupt button is pressed and, under a time limit, often enough to
// read the clock; until the control unit ends the run, `limit` cycles are
// performed in all, the time is up or a cycle is refused.
[[nodiscard]] TStretchedEnd RunInStretches(
    TController& control, TMachine& machine, const std::vector<TInterruptPress>& presses,
    std::uint64_t limit, std::optional<std::chrono::milliseconds> timeLimit = std::nullopt);

// Counts how often each instruction was fetched, so a grader can ask that a
// student's instruction really ran and did not just sit in the list. It
// reads the control unit's own counts, so the run stays free of a recorder.
class TExecutionCount final {
 public:
  // Counts from now on.
  explicit TExecutionCount(const TController& control);

  // Times each instruction was fetched, by name, in list order.
  [[nodiscard]] std::vector<std::pair<std::string, std::uint64_t>> Counts() const;
  [[nodiscard]] std::uint64_t Count(std::string_view name) const;

 private:
  const TController& control_;
  std::vector<std::uint64_t> before_;  // the control unit's counts at the start, by code
};

// One instruction that had to run at least once.
struct TMustExecute {
  std::string Name;
  std::uint64_t Executed = 0;
  [[nodiscard]] bool Held() const noexcept { return Executed > 0; }
};

}  // namespace dorum
