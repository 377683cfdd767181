// The assembler over arbitrary program texts, on the default machine.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  // One session for all inputs, as a student compiles one program after
  // another on one machine.
  static TSession session;
  TMachine& machine = session.Machine();
  TController& control = session.Control();
  TWatchList& watches = session.Watches();
  TProgramDocument document;
  const std::optional<TLines> lines = fuzz::Lines(data, size);
  if (!lines) return 0;
  document.SetTexts(*lines);
  try {
    CompileProgram(session.Assembler(), control, document);
    for (int i = 0; i < watches.Count(); ++i) (void)watches.ContentText(i, machine);
    control.SetTrackingLevel(0);
    control.LimitCycles(256);
    control.ExecuteProgram(-1);
  } catch (const EDorumError&) {
  }
  for (int line = 0; line <= document.LineCount() + 1; ++line)
    (void)document.Debugger().LineFlags(line);
  return 0;
}
