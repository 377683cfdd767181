// The instruction list loader over arbitrary list files.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "common/ProfileFile.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  TMachine machine;
  TController control(machine);
  control.BuildDefaultInstructions();
  TProfileFile profile(fuzz::Lines(data, size));
  try {
    ReadInstructionList(profile, machine, control);
  } catch (const EDorumError&) {
  }
  // Whatever was loaded can be written back.
  TProfileFile written;
  WriteInstructionList(written, machine, control.Instructions());
  return 0;
}
