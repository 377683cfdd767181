// The instruction checker and compiler over arbitrary instruction texts.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "control/Instruction.h"
#include "session/Session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  const std::optional<TLines> read = fuzz::Lines(data, size);
  if (!read) return 0;
  const TLines& lines = *read;
  try {
    (void)TInstruction::CheckInstructionText(lines);
  } catch (const EDorumError&) {
  }
  try {
    // A compiled instruction must also run: every jump stays inside it.
    TSession session;
    TController& control = session.Control();
    control.ClearInstructions();
    control.AddInstruction(lines);
    control.SetTrackingLevel(0);
    control.LimitCycles(64);
    control.ExecuteProgram(-1);
  } catch (const EDorumError&) {
  }
  return 0;
}
