#include "control/InstructionList.h"

#include <utility>

#include "common/Error.h"
#include "common/Texts.h"

namespace dorum {

void TInstructionList::AddInstruction(const TLines& lines, int codeBits) {
  TInstruction instruction(lines);  // raises before the list is touched
  const int existing = IndexOf(instruction.Name());
  if (existing >= 0) {
    items_[static_cast<std::size_t>(existing)] = std::move(instruction);
    return;
  }
  items_.push_back(std::move(instruction));
  if ((std::int64_t{1} << codeBits) < Count()) throw EDorumError(Texts::NoRoomForInstruction());
}

void TInstructionList::DeleteInstruction(int index) {
  (void)At(index);
  items_.erase(items_.begin() + index);
}

void TInstructionList::BuildDefaultInstructions(int codeBits) {
  for (const TLines& lines : DefaultInstructionTexts()) AddInstruction(lines, codeBits);
}

const TInstruction& TInstructionList::At(int index) const {
  if (index < 0 || index >= Count()) throw EDorumError(Texts::ListIndexOutOfBounds(index));
  return items_[static_cast<std::size_t>(index)];
}

TInstruction& TInstructionList::At(int index) {
  return const_cast<TInstruction&>(std::as_const(*this).At(index));
}

int TInstructionList::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)].Name() == name) return i;
  }
  return -1;
}

const std::vector<TLines>& DefaultInstructionTexts() {
  static const std::vector<TLines> texts = {
      {"// zakończenie programu", "ROZKAZ STP;", "Argumenty 0;", "czyt wys wei il;", "stop;"},
      {"// (Ak)+((Ad))->Ak", "ROZKAZ DOD;", "czyt wys wei il;", "wyad wea;",
       "czyt wys weja dod weak wyl wea;"},
      {"// (Ak)-((Ad))->Ak", "ROZKAZ ODE;", "czyt wys wei il;", "wyad wea;",
       "czyt wys weja ode weak wyl wea;"},
      {"// ((Ad))->Ak", "ROZKAZ POB;", "czyt wys wei il;", "wyad wea;",
       "czyt wys weja przep weak wyl wea;"},
      {"// (Ak)->(Ad)", "ROZKAZ ŁAD;", "czyt wys wei il;", "wyad wea wyak wes;", "pisz wyl wea;"},
      {"// skok bezwarunkowy", "ROZKAZ SOB;", "Argumenty 1;", "czyt wys wei il;", "wyad wea wel;"},
      {"// skok gdy (AK) < 0", "ROZKAZ SOM;", "czyt wys wei il;",
       "JEŻELI Z TO @ujemne GDY NIE @dodatnie;", "@ujemne wyad wea wel KONIEC;",
       "@dodatnie wyl wea;"},
      {"// skok gdy (AK) = 0", "ROZKAZ SOZ;", "czyt wys wei il;",
       "JEŻELI zak TO @zero GDY NIE @niezero;", "@zero wyad wea wel KONIEC;", "@niezero wyl wea;"},
  };
  return texts;
}

}  // namespace dorum
