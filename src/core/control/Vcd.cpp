#include "control/Vcd.h"

namespace dorum {

namespace {

// Identifier codes: printable characters from '!' on, in base 94.
std::string CodeOf(std::size_t index) {
  constexpr std::size_t kDigits = 94;
  std::string code;
  do {
    code.push_back(static_cast<char>('!' + index % kDigits));
    index /= kDigits;
  } while (index > 0);
  return code;
}

std::string Binary(std::uint32_t bits) {
  return ToText(bits, 2);
}

}  // namespace

TCycleSample TCycleSample::Of(const TMachine& machine) {
  TCycleSample sample;
  sample.Signals = machine.ActiveSignals();
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = machine.Register(static_cast<TRegisterId>(r));
    sample.Registers[r] = reg.Content() & reg.Mask();
  }
  for (std::size_t b = 0; b < kBusCount; ++b) {
    const auto id = static_cast<TBusId>(b);
    sample.Buses[b] = machine.Bus(id).RawValue();
    if (machine.BusDriven(id)) sample.DrivenBuses |= 1u << b;
  }
  return sample;
}

TVcdWriter::TVcdWriter(const TMachine& machine, std::ostream& out) : out_(out) {
  AddVariables(machine);
  last_.resize(variables_.size());
}

std::string TVcdWriter::SignalName(const TSignal& signal) {
  const std::string caption(signal.CaptionLatin1());
  return caption.substr(0, caption.find(' '));
}

std::string TVcdWriter::BusName(const TBus& bus) {
  return ReplaceAll(bus.CaptionLatin1(), " ", "_");
}

void TVcdWriter::AddVariables(const TMachine& machine) {
  const auto add = [this](TKind kind, int index, int bits, std::string name) {
    variables_.push_back({kind, index, bits, std::move(name), CodeOf(variables_.size())});
  };
  for (int n = 0; n < kSignalCount; ++n) {
    const TSignal& signal = machine.Signal(n);
    if (signal.Visible()) add(TKind::Signal, n, 1, SignalName(signal));
  }
  for (int r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = machine.Register(static_cast<TRegisterId>(r));
    if (reg.Visible()) add(TKind::Register, r, reg.Bits(), reg.CaptionLatin1());
  }
  for (int b = 0; b < kBusCount; ++b) {
    const TBus& bus = machine.Bus(static_cast<TBusId>(b));
    if (bus.Visible()) add(TKind::Bus, b, bus.Bits(), BusName(bus));
  }
}

void TVcdWriter::WriteScope(const char* scope, TKind kind) {
  out_ << "$scope module " << scope << " $end\n";
  for (const TVariable& v : variables_) {
    if (v.Kind != kind) continue;
    out_ << "$var " << (kind == TKind::Register ? "reg " : "wire ") << v.Bits << ' ' << v.Code
         << ' ' << v.Name << " $end\n";
  }
  out_ << "$upscope $end\n";
}

void TVcdWriter::Start(const TCycleSample& initial) {
  // No $date: the same run gives the same file.
  out_ << "$version Maszyna Dorum $end\n"
          "$comment czas k: stan po takcie zegara k; czas 0: stan przed pierwszym taktem $end\n"
          "$timescale 1 ns $end\n"
          "$scope module dorum $end\n";
  WriteScope("sygnaly", TKind::Signal);
  WriteScope("rejestry", TKind::Register);
  WriteScope("magistrale", TKind::Bus);
  out_ << "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
  for (std::size_t v = 0; v < variables_.size(); ++v) {
    last_[v] = ValueOf(variables_[v], initial);
    WriteValue(variables_[v], last_[v]);
  }
  out_ << "$end\n";
}

TVcdWriter::TValue TVcdWriter::ValueOf(const TVariable& variable, const TCycleSample& sample) {
  const auto index = static_cast<std::size_t>(variable.Index);
  switch (variable.Kind) {
    case TKind::Signal:
      return {static_cast<std::uint32_t>((sample.Signals >> variable.Index) & 1u), true};
    case TKind::Register:
      return {sample.Registers[index], true};
    case TKind::Bus:
      break;
  }
  if ((sample.DrivenBuses >> variable.Index & 1u) == 0) return {};
  return {sample.Buses[index], true};
}

void TVcdWriter::WriteValue(const TVariable& variable, TValue value) {
  if (variable.Kind == TKind::Signal) {
    out_ << (value.Known ? (value.Bits != 0 ? '1' : '0') : 'x') << variable.Code << '\n';
    return;
  }
  out_ << 'b' << (value.Known ? Binary(value.Bits) : "x") << ' ' << variable.Code << '\n';
}

void TVcdWriter::WriteChanges(const TCycleSample& sample) {
  for (std::size_t v = 0; v < variables_.size(); ++v) {
    const TValue value = ValueOf(variables_[v], sample);
    if (value == last_[v]) continue;
    last_[v] = value;
    WriteValue(variables_[v], value);
  }
}

void TVcdWriter::Cycle(std::uint64_t number, const TCycleSample& sample) {
  time_ = number;
  out_ << '#' << number << '\n';
  WriteChanges(sample);
}

void TVcdWriter::Finish(std::uint64_t end) {
  if (end > time_) out_ << '#' << end << '\n';
  out_.flush();
}

TVcdRecorder::TVcdRecorder(const TMachine& machine, TController& control, std::ostream& out)
    : machine_(machine), writer_(machine, out) {
  // Nothing has run yet: no signal is active and no bus driven.
  TCycleSample initial = TCycleSample::Of(machine_);
  initial.Signals = 0;
  initial.DrivenBuses = 0;
  writer_.Start(initial);
  recording_ = control.RecordCycles(*this);
}

TVcdRecorder::~TVcdRecorder() {
  recording_.End();
  Finish();
}

void TVcdRecorder::Finish() {
  if (finished_) return;
  finished_ = true;
  writer_.Finish(number_ + 1);
}

void TVcdRecorder::EndCycle(const EDorumError* /*error*/) {
  ++number_;
  writer_.Cycle(number_, TCycleSample::Of(machine_));
}

}  // namespace dorum
