#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/Error.h"
#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "control/InstructionList.h"
#include "machine/Machine.h"

namespace dorum::test {

// A file of the examples folder, by its path within it.
inline std::string ExamplePath(std::string_view name) {
  return std::string(DORUM_EXAMPLES_DIR "/").append(name);
}

// Whether the text holds the part anywhere.
inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The names of the list's instructions in code order.
inline TLines InstructionNames(const TInstructionList& list) {
  TLines names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.At(i).Name());
  return names;
}

inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EDorumError& e) {
    return e.Message();
  }
  return {};
}

// What a run or a cycle of the control unit ended with, in the system's
// words: the message of its stop or of its error; empty when it ended
// otherwise (the instruction done, the target reached, stopped).
inline std::string EndOf(const TController& control, const std::function<TSliceEnd()>& run) {
  try {
    const TSliceEnd end = run();
    return IsRunStop(end) ? control.EndMessage() : std::string();
  } catch (const EDorumError& e) {
    return e.Message();
  }
}

// Signal names separated by blanks, as a cycle's mask.
inline std::uint64_t Signals(const char* names) {
  std::uint64_t mask = 0;
  for (const std::string& name : Split(names, ' ')) {
    if (name.empty()) continue;
    const int number = TMachine::FindSignal(name);
    if (number < 0) throw EDorumError("no signal " + name);
    mask |= std::uint64_t{1} << number;
  }
  return mask;
}

// Runs one cycle and returns its error message (empty when none).
inline std::string Cycle(TMachine& m, const char* names) {
  return MessageOf([&] { m.ExecuteSignals(Signals(names)); });
}

// Sets a register between cycles, leaving no mark.
inline void Set(TMachine& m, TRegisterId id, int value) {
  m.Register(id).SetValue(value);
}

// Counts how often a view is told to look.
struct TCountingObserver : IMachineObserver {
  int Calls = 0;
  void MachineChanged() override { ++Calls; }
};

// A control unit stand-in that records what the machine tells it.
class TRecordingControl : public IControlLink {
 public:
  TLines Names;
  bool Waiting = false;
  int Finished = 0;
  int Resets = 0;
  [[nodiscard]] bool WaitingForInput() const override { return Waiting; }
  void SetWaitingForInput(bool waiting) override { Waiting = waiting; }
  void ProgramFinished() override { ++Finished; }
  void ResetControl() override { ++Resets; }
  [[nodiscard]] int InstructionCount() const override { return static_cast<int>(Names.size()); }
  [[nodiscard]] std::string InstructionName(int code) const override {
    return Names.at(static_cast<std::size_t>(code));
  }
};

}  // namespace dorum::test
