// The assembler over arbitrary program texts, on the default machine.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "control/ControlUnit.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  static TMachine machine;
  static TController control(machine);
  static bool ready = false;
  if (!ready) {
    control.BuildDefaultInstructions();
    ready = true;
  }
  TWatchList watches;
  TProgram program(machine, control.Instructions(), watches);
  TProgramDocument document;
  document.SetTexts(fuzz::Lines(data, size));
  try {
    CompileProgram(program, control, document);
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
