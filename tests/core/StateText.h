#pragma once

#include <QString>
#include <QStringList>

#include "control/ControlUnit.h"
#include "machine/Machine.h"
#include "program/ProgramDocument.h"

namespace dorum::test {

// Everything a step can change, as one text, so a difference shows itself.
inline QString StateText(const TMachine& m, const TController& control,
                         const TProgramDocument* program) {
  QStringList parts;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    parts.append(QStringLiteral("%1=%2/%3")
                     .arg(reg.Caption())
                     .arg(reg.Content())
                     .arg(static_cast<int>(reg.DisplayMode())));
  }
  for (std::size_t b = 0; b < kBusCount; ++b)
    parts.append(QStringLiteral("bus%1=%2").arg(b).arg(m.Bus(static_cast<TBusId>(b)).RawValue()));
  parts.append(QStringLiteral("alu=%1,%2").arg(m.Alu().Input()).arg(m.Alu().Result()));
  parts.append(QStringLiteral("marks=%1 signals=%2").arg(m.CycleMarks()).arg(m.ActiveSignals()));
  QStringList words;
  for (int cell = 0; cell < m.Memory().Size(); ++cell)
    words.append(QString::number(m.Memory().Raw(cell)));
  parts.append(words.join(u','));
  parts.append(
      QStringLiteral("in=[%1] out=[%2]").arg(m.Console().InputText(), m.Console().OutputText()));
  const TControlPlace place = control.Place();
  parts.append(QStringLiteral("place=%1,%2,%3,%4,%5")
                   .arg(place.Cycles)
                   .arg(place.Instructions)
                   .arg(place.CurrentCycle)
                   .arg(place.Flags)
                   .arg(place.CurrentLine));
  if (program != nullptr) parts.append(QStringLiteral("line=%1").arg(program->CurrentLine()));
  return parts.join(u' ');
}

}  // namespace dorum::test
