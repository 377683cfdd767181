// Cycles per second of the core alone on the yardstick loop, with the
// program and the tracking level of `dorum-cli run`. It needs nothing but
// the core, so the same source measures the native build and the
// WebAssembly one (tools/wasm.sh --speed) side by side.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Yardstick.h"

int main(int argc, char** argv) {
  const std::uint64_t cycles = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 50'000'000;
  const double speed = dorum::YardstickCyclesPerSecond(cycles);
  if (speed <= 0) {
    std::fprintf(stderr, "the loop did not run to its cycle limit\n");
    return 1;
  }
  std::printf("%.1f M cycles/s (%llu cycles in %.2f s)\n", speed / 1e6,
              static_cast<unsigned long long>(cycles), static_cast<double>(cycles) / speed);
  return 0;
}
