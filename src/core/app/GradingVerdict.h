#pragma once

#include <cstdint>
#include <optional>
#include <span>
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

// How a case ended. The first six are what a run itself comes to; the
// rest are what a grader says of a run that could not come to an end of its
// own (out of time, a crashed process), of a file the submission lacks, and
// of a suite at fault.
enum class TCaseOutcome : std::uint8_t {
  Passed,
  Wrong,
  MissingLabel,
  Error,
  Limit,
  Input,
  Timeout,
  Crash,
  Missing,
  Suite
};

// What an outcome is called wherever a grading is shown: the command
// line's summary and reports and the page's "Sprawdź" share the one table.
struct TOutcomeMark {
  TCaseOutcome Outcome;
  std::string_view Mark;     // in a table of results: "ok", "źle"...
  std::string_view Type;     // for programs: "passed", "wrong"...
  std::string_view Meaning;  // the legend's words
  // A JUnit error rather than a failure: the run did not end on its own, or
  // the teacher's suite was at fault, not the student's answer.
  bool JunitError;
  bool Teacher;  // the teacher's mistake, not the student's
};
[[nodiscard]] std::span<const TOutcomeMark> OutcomeMarks() noexcept;
[[nodiscard]] const TOutcomeMark& MarkOf(TCaseOutcome outcome) noexcept;

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
