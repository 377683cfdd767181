#include "session/Session.h"

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

void TSession::LoadList(const std::string& path) {
  Renaming([&] { LoadInstructionList(path, machine_, control_); });
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

void TSession::AssembleProgram(TProgramDocument& document) {
  Renaming([&] { CompileProgram(assembler_, control_, document); });
}

void TSession::ClearMemory() {
  TMemory& memory = machine_.Memory();
  for (int cell = 0; cell < memory.Size(); ++cell) memory.Store(cell, 0);
  machine_.NotifyMemoryChanged();
}

}  // namespace dorum
