// The instruction list loader over arbitrary list files.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "common/ProfileFile.h"
#include "control/ListFile.h"
#include "session/Session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  TSession session;
  const std::optional<TLines> lines = fuzz::Lines(data, size);
  if (!lines) return 0;
  TProfileFile profile(*lines);
  try {
    ReadInstructionList(profile, session.Machine(), session.Control());
  } catch (const EDorumError&) {
  }
  // Whatever was loaded can be written back.
  TProfileFile written;
  WriteInstructionList(written, session.Machine(), session.Control().Instructions());
  return 0;
}
