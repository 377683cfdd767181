#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstddef>
#include <functional>

namespace dorum::cli {

// How the run of one case ended, as the grading reads it: what the run
// printed, or why it printed nothing of use.
struct TCaseRunEnd {
  QByteArray Out;
  QByteArray Err;
  int ExitCode = 0;
  bool TimedOut = false;  // ended by the grading's clock
  bool Crashed = false;   // ended by a signal of its own (a fault, no memory left)
  QString StartError;     // not started at all: why
  double Seconds = 0;
};

// Each case runs on its own, as "dorum-cli run ARGUMENTS" would: a fault, a
// hang or a blow-up of memory ends that case only.
struct TCaseRunPlan {
  std::size_t Count = 0;                               // cases, numbered from 0
  int Jobs = 1;                                        // at most this many at once
  std::chrono::milliseconds Timeout{0};                // then the case is ended by force
  std::function<QStringList(std::size_t)> Arguments;   // of "run", for a case
  std::function<void(std::size_t, TCaseRunEnd)> Done;  // once for each case
};

// The ways of running a case: a copy of this process for each (fork, on
// POSIX systems: no start-up to pay), or a new process of this program
// ("dorum-cli run", as everywhere else, and where DORUM_GRADE_EXEC=1 asks
// for it).
enum class TCaseRunner { Fork, Exec };

[[nodiscard]] TCaseRunner ChosenCaseRunner();

// Runs every case of the plan, on the main thread; returns once all ended.
void RunCases(const TCaseRunPlan& plan, TCaseRunner runner);

// The address space each case may take, so that one program cannot take the
// grading machine down with it.
inline constexpr std::size_t kCaseMemoryBytes = std::size_t{1} << 30;

}  // namespace dorum::cli
