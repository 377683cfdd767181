#pragma once

#include <string>
#include <vector>

#include "common/Strings.h"
#include "control/Instruction.h"

namespace dorum {

// The machine's instruction set: an instruction's position is its operation
// code. Names are unique; a new text for a known name replaces it in place.
class TInstructionList {
 public:
  // Compiles the lines and replaces the instruction of the same name, or
  // appends it. Appending beyond 2^codeBits instructions keeps the new one
  // in the list and then raises the "no room" message.
  void AddInstruction(const TLines& lines, int codeBits);
  void DeleteInstruction(int index);
  void ClearInstructions() noexcept { items_.clear(); }
  // The eight instructions every machine starts with.
  void BuildDefaultInstructions(int codeBits);

  [[nodiscard]] int Count() const noexcept { return static_cast<int>(items_.size()); }
  // Raises "List index out of bounds (%d)" for an index that has no instruction.
  [[nodiscard]] const TInstruction& At(int index) const;
  [[nodiscard]] TInstruction& At(int index);
  // The instruction with this code, or none.
  [[nodiscard]] const TInstruction* Find(int index) const noexcept {
    return static_cast<std::size_t>(index) < items_.size()
               ? &items_[static_cast<std::size_t>(index)]
               : nullptr;
  }
  // The code of the instruction with this (lower-case) name, or -1.
  [[nodiscard]] int IndexOf(const std::string& name) const;

 private:
  std::vector<TInstruction> items_;
};

// The sources of the built-in instructions, in code order.
[[nodiscard]] const std::vector<TLines>& DefaultInstructionTexts();

}  // namespace dorum
