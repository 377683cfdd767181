#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/GradingChecks.h"
#include "app/GradingSuite.h"

// What a grading makes of one run of a case: the same verdict whether the
// run happened in a child process of the command line or in the page.
namespace dorum {

// One expectation after the run, as a report keeps it.
struct TCheckReport {
  std::string Name;
  std::int64_t Expected = 0;
  std::optional<std::int64_t> Actual;  // none: the program has no such label
  std::string Shown;                   // the value as the messages give it
  std::string ExpectedText;            // the expectation as the teacher wrote it
  bool Held = false;
};
[[nodiscard]] TCheckReport ReportOf(const TCheckResult& result);

// What a run left behind.
struct TRunReport {
  TCaseEnd End = TCaseEnd::Error;
  // What ended a run that did not stop on its own, with its place.
  std::string Message;
  std::string Output;  // the console output
  std::vector<TCheckReport> Checks;
  std::vector<TMustExecute> MustExecute;
};

enum class TCaseOutcome : std::uint8_t { Passed, Wrong, MissingLabel, Error, Limit, Input };
// "passed", "wrong", "missing_label"...: the report's value for programs.
[[nodiscard]] std::string_view CaseOutcomeName(TCaseOutcome outcome) noexcept;

struct TCaseVerdict {
  TCaseOutcome Outcome = TCaseOutcome::Error;
  std::string Message;  // the failures as a person reads them, "; " between
  std::vector<TCheckReport> FailedChecks;
  double Points = 0;  // earned: the case's when it passed
};

// The verdict on a case; with `hideExpected` the messages do not give the
// expected values away.
[[nodiscard]] TCaseVerdict JudgeCase(const TRunReport& run, const TGradingCase& test,
                                     bool hideExpected);

// The end of a long output: what was printed last tells where a program
// stands. At most 60 UTF-16 units (as the reports have always counted),
// "…" in front of a cut one.
[[nodiscard]] std::string OutputTail(std::string_view output);

}  // namespace dorum
