#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

namespace dorum::bench {

// The process's resident memory as the kernel counts it, in bytes: `field`
// is "VmRSS" (now) or "VmHWM" (the peak since the start or the last reset).
[[nodiscard]] inline std::uint64_t ResidentBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ':', 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// Measures the peak resident memory of what follows alone: the heap gives
// back what earlier runs freed, and the kernel's peak starts again from
// the memory resident now (writing 5 to clear_refs, Linux 4.0 on).
class TPeakMemory {
 public:
  TPeakMemory() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    before_ = ResidentBytes("VmRSS");
  }

  // The counters: the process's peak, and how far it rose above the start.
  void Report(benchmark::State& state) const {
    constexpr double kMiB = 1024.0 * 1024.0;
    const std::uint64_t peak = ResidentBytes("VmHWM");
    state.counters["peak_MiB"] = static_cast<double>(peak) / kMiB;
    state.counters["growth_MiB"] = static_cast<double>(peak - std::min(peak, before_)) / kMiB;
  }

 private:
  std::uint64_t before_ = 0;
};

}  // namespace dorum::bench
