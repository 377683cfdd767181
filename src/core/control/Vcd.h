#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "machine/Machine.h"

namespace dorum {

// What a timing diagram shows of one clock cycle as it ended: the active
// signals, the registers and the buses with whether anything drove them.
struct TCycleSample {
  std::uint64_t Signals = 0;  // one bit per signal number
  std::array<std::uint32_t, kRegisterCount> Registers{};
  std::array<std::uint32_t, kBusCount> Buses{};
  std::uint32_t DrivenBuses = 0;  // one bit per bus

  [[nodiscard]] static TCycleSample Of(const TMachine& machine);
};

// Writes a Value Change Dump (IEEE 1364) of clock cycles: time 0 holds the
// state before the first cycle (every signal 0, every bus x), time k what
// cycle k left, and after the first dump only the values that changed. The
// variables are the signals, registers and buses of the configuration it
// was made with; it keeps one value per variable, nothing per cycle.
class TVcdWriter {
 public:
  TVcdWriter(const TMachine& machine, std::ostream& out);

  // The header and the dump at time 0.
  void Start(const TCycleSample& initial);
  void Cycle(std::uint64_t number, const TCycleSample& sample);
  // Closes the last cycle with a time stamp after it, so that a viewer
  // draws it as wide as the others.
  void Finish(std::uint64_t end);

  // A signal's name in the dump: "as" for "as (sa)".
  [[nodiscard]] static std::string SignalName(const TSignal& signal);
  // A bus's: "mag_AS" for "mag AS", as names hold no blanks.
  [[nodiscard]] static std::string BusName(const TBus& bus);

 private:
  enum class TKind : std::uint8_t { Signal, Register, Bus };
  struct TVariable {
    TKind Kind;
    int Index;
    int Bits;
    std::string Name;
    std::string Code;
  };
  struct TValue {
    std::uint32_t Bits = 0;
    bool Known = false;
    friend bool operator==(const TValue&, const TValue&) = default;
  };

  void AddVariables(const TMachine& machine);
  void WriteScope(const char* scope, TKind kind);
  [[nodiscard]] static TValue ValueOf(const TVariable& variable, const TCycleSample& sample);
  void WriteValue(const TVariable& variable, TValue value);
  void WriteChanges(const TCycleSample& sample);

  std::ostream& out_;
  std::vector<TVariable> variables_;
  std::vector<TValue> last_;  // as written last, one per variable
  std::uint64_t time_ = 0;
};

// Follows a run's clock cycles and dumps each as it ends (cycles that end in
// an error too, numbered as the trace numbers them). It passes every cycle
// on to the recorder that was there before it.
class TVcdRecorder final : public ICycleRecorder {
 public:
  TVcdRecorder(const TMachine& machine, TController& control, std::ostream& out);
  ~TVcdRecorder() override;
  TVcdRecorder(const TVcdRecorder&) = delete;
  TVcdRecorder& operator=(const TVcdRecorder&) = delete;

  void BeginCycle() override {}
  void EndCycle(const EDorumError* error) override;
  // Ends the dump after the last cycle; the destructor does so otherwise.
  void Finish();

 private:
  const TMachine& machine_;
  TVcdWriter writer_;
  std::uint64_t number_ = 0;
  bool finished_ = false;
  TController::TRecording recording_;
};

}  // namespace dorum
