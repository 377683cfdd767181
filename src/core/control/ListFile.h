#pragma once

#include <string>

#include "common/ProfileFile.h"
#include "common/Strings.h"
#include "control/CommentFilter.h"

namespace dorum {

class TMachine;
class TController;
class TInstructionList;

// A stored instruction that does not compile or does not fit. The message is
// the compiler's own, unchanged; the error also tells where in the file the
// instruction and the word at fault stand.
class EListFileError : public EDorumError {
 public:
  struct TPlace {
    std::string Section;      // the instruction's section, named by the instruction
    int FileLine = 0;         // from 1; 0 when the file holds nothing to point at
    int FileColumn = 0;       // from 1; 0 when only the line is known
    int TextLine = 0;         // the line within the instruction's text, from 1; 0 for none
    bool Positioned = false;  // the compiler's error, with its place in the text
    TWordPlace Word;          // when positioned
  };
  EListFileError(const std::string& message, TPlace place)
      : EDorumError(message), place_(std::move(place)) {}
  [[nodiscard]] const TPlace& Place() const noexcept { return place_; }

 private:
  TPlace place_;
};

// Instruction list files (.lst): the machine configuration an instruction
// set was written for and the source of every instruction, in code order.

// Writes the configuration and the list into the profile, updating keys in
// place and leaving whatever else it holds.
void WriteInstructionList(TProfileFile& profile, const TMachine& machine,
                          const TInstructionList& instructions);
// Opens the file (if any), writes into it and replaces it in one step; a
// failed write raises and leaves the old file as it was.
void SaveInstructionList(const std::string& path, const TMachine& machine,
                         const TInstructionList& instructions);

// Applies the configuration (one option at a time, then the widths), clears
// the list and adds the stored instructions in order. A compile error or the
// capacity message ends the load at that instruction and is raised; the
// configuration and the instructions before it stay.
void ReadInstructionList(const TProfileFile& profile, TMachine& machine, TController& control);
// A file that does not exist reads as empty.
void LoadInstructionList(const std::string& path, TMachine& machine, TController& control);

}  // namespace dorum
