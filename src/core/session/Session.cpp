#include "session/Session.h"

#include "common/Texts.h"
#include "control/ListFile.h"
#include "machine/MachineConfig.h"

namespace dorum {

TSession::TSession(bool recordHistory) {
  control_.BuildDefaultInstructions();
  control_.SetStopConditions(&stopConditions_);
  RecordHistory(recordHistory);
}

// The history detaches itself from the machine and the control unit first.
TSession::~TSession() = default;

void TSession::RecordHistory(bool on, std::size_t budget) {
  if (on && !history_) history_ = std::make_unique<TRunHistory>(machine_, control_, budget);
  if (!on) history_.reset();
}

template <class TChange>
void TSession::Renaming(TChange&& change) {
  struct TRecompile {
    TSession& Session;
    ~TRecompile() { Session.RecompileStopConditions(); }
  } recompile{*this};
  change();
}

bool TSession::ToggleBreakpointAtLine(int code, int line) {
  const TInstruction& instruction = control_.Instructions().At(code);
  for (int k = 0; k < instruction.CycleCount(); ++k) {
    if (instruction.Cycle(k).SourceLine != line) continue;
    control_.ToggleCycleBreakpoint(code, k);
    return true;
  }
  return false;
}

void TSession::LoadList(const std::string& path) {
  Renaming([&] { LoadInstructionList(path, machine_, control_); });
  // A list from a file is the file's, changes and all; one the loader
  // stopped in is still the student's as far as it went.
  listChanged_ = false;
}

void TSession::SaveList(const std::string& path) const {
  SaveInstructionList(path, machine_, control_.Instructions());
}

void TSession::RestoreDefaultMachine() {
  Renaming([&] {
    machine_.SetComponents(TComponentSet().set(0));
    machine_.SetAddressBits(kMinAddressBits);
    machine_.SetCodeBits(kMinCodeBits);
    control_.ClearInstructions();
    control_.BuildDefaultInstructions();
  });
  listChanged_ = false;
}

void TSession::SetAddressBits(int bits) {
  Renaming([&] { machine_.SetAddressBits(bits); });
}

void TSession::SetCodeBits(int bits) {
  Renaming([&] { machine_.SetCodeBits(bits); });
}

void TSession::SetComponents(TComponentSet components) {
  Renaming([&] { machine_.SetComponents(components); });
}

TMachineOptions TSession::Options() const {
  return {machine_.AddressBits(), machine_.CodeBits(), machine_.GetComponents(), machine_.Vectors(),
          machine_.IOPorts()};
}

void TSession::Configure(const TMachineOptions& options) {
  listChanged_ = true;
  Renaming([&] {
    if (options.AddressBits != machine_.AddressBits()) machine_.SetAddressBits(options.AddressBits);
    if (options.CodeBits != machine_.CodeBits()) machine_.SetCodeBits(options.CodeBits);
    if (options.Components != machine_.GetComponents()) machine_.SetComponents(options.Components);
    machine_.SetVectors(options.Vectors);
    machine_.SetIOPorts(options.Ports);
  });
}

void TSession::AssembleProgram(TProgramDocument& document) {
  Renaming([&] { CompileProgram(assembler_, control_, document); });
}

void TSession::ClearMemory() {
  TMemory& memory = machine_.Memory();
  for (int cell = 0; cell < memory.Size(); ++cell) memory.Store(cell, 0);
  machine_.NotifyMemoryChanged();
}

std::string WatchChangeCondition(const TWatch& watch, const TMachine& machine) {
  // A register written exactly as its caption comes before a label: a
  // label of that name is watched through its address.
  const int r = TMachine::FindRegister(watch.Name);
  if (r >= 0 && machine.Register(static_cast<TRegisterId>(r)).Caption() == watch.Name)
    return "changed(mem[" + std::to_string(watch.Address) + "])";
  return "changed(" + watch.Name + ")";
}

int TSession::StopOnChange(int watch) {
  if (watch < 0 || watch >= watches_.Count()) throw EDorumError(Texts::ListIndexOutOfBounds(watch));
  return stopConditions_.AddOrEnable(WatchChangeCondition(watches_.At(watch), machine_), machine_,
                                     &watches_);
}

TEndReport TSession::ReportEnd(TSliceEnd end) {
  switch (end) {
    case TSliceEnd::ProgramEnded:
      // The stop signal ends a program normally: that is news, not a failure.
      return {TBoxKind::Information, Texts::BoxText(control_.EndMessage())};
    case TSliceEnd::ConditionHeld:
      return ReportConditionStop();
    case TSliceEnd::Breakpoint:
    case TSliceEnd::ProgramBreakpoint:
    case TSliceEnd::CycleLimit:
    case TSliceEnd::InputExhausted:
      return {TBoxKind::Error, Texts::BoxText(control_.EndMessage())};
    case TSliceEnd::Idle:
    case TSliceEnd::Budget:
    case TSliceEnd::Tempo:
    case TSliceEnd::Waiting:
    case TSliceEnd::Finished:
    case TSliceEnd::Stopped:
      break;
  }
  return {};
}

TEndReport TSession::ReportConditionStop() {
  // Numbered as the timing diagram and the trace number it; the instruction
  // is the one under way, which after a fetch is the one it fetched.
  std::string text = control_.EndMessage() + "\nWykonanie zatrzymano po takcie nr " +
                     std::to_string(control_.CyclesSinceReset());
  if (const int code = control_.CurrentCode(); code >= 0 && code < control_.Instructions().Count())
    text += " rozkazu " + control_.Instructions().At(code).Name();
  if (IBoundProgram* program = control_.ProgramEditor()) {
    // The box names the line of the instruction in whose cycle the
    // condition held; the editor marks the instruction that runs next, as
    // after a breakpoint: that one still, when it stopped within it.
    const int line = program->LineOfAddress(control_.InstructionAddress());
    if (line > 0) text += " w wierszu " + std::to_string(line) + " programu";
    program->SetCurrentLine(program->LineOfAddress(control_.AtFetch()
                                                       ? machine_.Register(TRegisterId::L).Value()
                                                       : control_.InstructionAddress()));
    machine_.NotifyLineMoved();
    machine_.NotifyFocusWanted();
  }
  return {TBoxKind::Information, text + '.'};
}

}  // namespace dorum
