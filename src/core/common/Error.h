#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace dorum {

// The system's plain error: a failure that carries only its (Polish) message.
// Positioned syntax errors derive from it.
class EDorumError : public std::exception {
 public:
  explicit EDorumError(std::string message) : message_(std::move(message)) {}

  [[nodiscard]] const std::string& Message() const noexcept { return message_; }
  [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// The ways a run stops that break no rule.
enum class TRunStop : std::uint8_t {
  ProgramEnded,       // the stop signal: "Program został zakończony"
  Breakpoint,         // a cycle breakpoint of the microprogram, before its cycle
  ProgramBreakpoint,  // a breakpoint of the program, before its instruction
  ConditionHeld,      // a stop condition held after a cycle
  CycleLimit,         // the cycle limit a run was given
  InputExhausted,     // a run without a user waits for input when none is left
};

// Raised where such a stop happens, deep in a cycle, and caught by the
// control unit, which returns the stop as the reason its run ended: a front
// end never sees one. Recorders of cycles hear of it as of an error, with
// its message.
class ERunStop final : public EDorumError {
 public:
  ERunStop(TRunStop reason, std::string message)
      : EDorumError(std::move(message)), reason_(reason) {}
  [[nodiscard]] TRunStop Reason() const noexcept { return reason_; }

 private:
  TRunStop reason_;
};

}  // namespace dorum
