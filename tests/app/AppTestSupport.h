#pragma once

#include <chrono>
#include <string>

#include "TempDir.h"
#include "app/Application.h"

namespace dorum::test {

// An example's file as the page would hand it over.
inline std::string Example(const std::string& name) {
  return FileBytes(std::string(DORUM_EXAMPLES_DIR) + '/' + name);
}

// A slice of `ms` milliseconds, as a clock of the page's might ask.
inline TRunStep Slice(TApplication& app, int ms) {
  return app.Slice(TSliceBudget{.Time = std::chrono::milliseconds(ms)});
}

// Slices of a millisecond until the run ends or waits for input.
inline TRunStep Finish(TApplication& app, TRunStep state) {
  for (int slice = 0; state.Running() && state.Next != TRunNext::Input && slice < 10000; ++slice)
    state = Slice(app, 1);
  return state;
}

}  // namespace dorum::test
