#pragma once

#include <QString>

#include "common/ProfileFile.h"

namespace dorum {

class TMachine;
class TController;
class TInstructionList;

// Instruction list files (.lst): the machine configuration an instruction
// set was written for and the source of every instruction, in code order.

// Writes the configuration and the list into the profile, updating keys in
// place and leaving whatever else it holds.
void WriteInstructionList(TProfileFile& profile, const TMachine& machine,
                          const TInstructionList& instructions);
// Opens the file (if any), writes into it and replaces it in one step; a
// failed write raises and leaves the old file as it was.
void SaveInstructionList(const QString& path, const TMachine& machine,
                         const TInstructionList& instructions);

// Applies the configuration (one option at a time, then the widths), clears
// the list and adds the stored instructions in order. A compile error or the
// capacity message ends the load at that instruction and is raised; the
// configuration and the instructions before it stay.
void ReadInstructionList(const TProfileFile& profile, TMachine& machine, TController& control);
// A file that does not exist reads as empty.
void LoadInstructionList(const QString& path, TMachine& machine, TController& control);

}  // namespace dorum
