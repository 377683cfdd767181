#include "RunTrace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CoreText.h"

namespace dorum::cli {

TCycleTrace::TCycleTrace(TMachine& machine, TController& control, std::ostream& out)
    : machine_(machine), control_(control), out_(out), recording_(control.RecordCycles(*this)) {}

void TCycleTrace::BeginCycle() {
  ++number_;
  for (std::size_t r = 0; r < kRegisterCount; ++r)
    registers_[r] = machine_.Register(static_cast<TRegisterId>(r)).Content();
  atFetch_ = control_.AtFetch();
  cycle_ = control_.CurrentCycle();
  code_ = control_.CurrentCode();
  // Only "pisz" writes memory, at the address A holds before the cycle.
  cell_ = machine_.Memory().IndexOf(
      static_cast<std::int32_t>(machine_.Register(TRegisterId::A).Content()));
  word_ = machine_.Memory().Raw(cell_);
  output_ = machine_.Console().OutputText().size();
}

void TCycleTrace::EndCycle(const EDorumError* error) {
  QJsonObject line;
  line[QStringLiteral("cycle")] = static_cast<qint64>(number_);
  const TRegister& l = machine_.Register(TRegisterId::L);
  line[QStringLiteral("L")] =
      static_cast<qint64>(registers_[static_cast<std::size_t>(TRegisterId::L)] & l.Mask());
  // A fetch is cycle 0 of the instruction it brings into I.
  const int code = atFetch_ ? control_.CurrentCode() : code_;
  const TInstruction* instruction = control_.Instructions().Find(code);
  line[QStringLiteral("instruction")] =
      instruction != nullptr ? QJsonValue(Q(instruction->Name())) : QJsonValue(QJsonValue::Null);
  line[QStringLiteral("step")] = atFetch_ ? 0 : cycle_;
  QJsonArray signals;
  for (int n = 0; n < kSignalCount; ++n) {
    if (machine_.SignalActive(n)) signals.append(Q(machine_.Signal(n).Caption()));
  }
  line[QStringLiteral("signals")] = signals;
  QJsonObject registers;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = machine_.Register(static_cast<TRegisterId>(r));
    if (reg.Content() != registers_[r])
      registers[Q(reg.Caption())] = static_cast<qint64>(reg.Content() & reg.Mask());
  }
  line[QStringLiteral("registers")] = registers;
  QJsonObject memory;
  if (machine_.Memory().Raw(cell_) != word_)
    memory[QString::number(cell_)] = static_cast<qint64>(machine_.Memory().Word(cell_));
  line[QStringLiteral("memory")] = memory;
  const std::string& output = machine_.Console().OutputText();
  if (output.size() > output_) line[QStringLiteral("output")] = Q(output.substr(output_));
  if (error != nullptr) line[QStringLiteral("error")] = Q(error->Message());
  out_ << QJsonDocument(line).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

}  // namespace dorum::cli
