#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "control/ControlUnit.h"

namespace dorum::cli {

// Writes one JSON object per clock cycle (JSON Lines) as the run goes: the
// cycle's number, L before it, the instruction and its cycle index, the
// signals in table order, the registers that changed with their new values,
// the memory words written, the characters output and, for a cycle that
// ended in an error, its message. Nothing is kept between cycles.
class TCycleTrace final : public ICycleRecorder {
 public:
  TCycleTrace(TMachine& machine, TController& control, std::ostream& out);
  TCycleTrace(const TCycleTrace&) = delete;
  TCycleTrace& operator=(const TCycleTrace&) = delete;

  void BeginCycle() override;
  void EndCycle(const EDorumError* error) override;

 private:
  TMachine& machine_;
  TController& control_;
  std::ostream& out_;
  std::uint64_t number_ = 0;
  // Before the cycle.
  std::array<std::uint32_t, kRegisterCount> registers_{};
  bool atFetch_ = false;
  int cycle_ = 0;
  int code_ = 0;
  int cell_ = 0;
  std::uint32_t word_ = 0;
  std::size_t output_ = 0;  // bytes of the output already traced
  // Last: the cycles are heard once everything above is ready.
  TController::TRecording recording_;
};

}  // namespace dorum::cli
