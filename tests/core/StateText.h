#pragma once

#include <string>

#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "machine/Machine.h"
#include "program/ProgramDocument.h"

namespace dorum::test {

// Everything a step can change, as one text, so a difference shows itself.
inline std::string StateText(const TMachine& m, const TController& control,
                             const TProgramDocument* program) {
  using std::to_string;
  TLines parts;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    parts.push_back(reg.Caption() + '=' + to_string(reg.Content()) + '/' +
                    to_string(static_cast<int>(reg.DisplayMode())));
  }
  for (std::size_t b = 0; b < kBusCount; ++b)
    parts.push_back("bus" + to_string(b) + '=' +
                    to_string(m.Bus(static_cast<TBusId>(b)).RawValue()));
  parts.push_back("alu=" + to_string(m.Alu().Input()) + ',' + to_string(m.Alu().Result()));
  parts.push_back("marks=" + to_string(m.CycleMarks()) +
                  " signals=" + to_string(m.ActiveSignals()));
  TLines words;
  for (int cell = 0; cell < m.Memory().Size(); ++cell)
    words.push_back(to_string(m.Memory().Raw(cell)));
  parts.push_back(Join(words, ","));
  parts.push_back("in=[" + m.Console().InputText() + "] out=[" + m.Console().OutputText() + ']');
  const TControlPlace place = control.Place();
  parts.push_back("place=" + to_string(place.Cycles) + ',' + to_string(place.Instructions) + ',' +
                  to_string(place.CurrentCycle) + ',' + to_string(place.Flags) + ',' +
                  to_string(place.CurrentLine));
  if (program != nullptr) parts.push_back("line=" + to_string(program->CurrentLine()));
  return Join(parts, " ");
}

}  // namespace dorum::test
