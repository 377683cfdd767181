#include "app/GradingVerdict.h"

#include <algorithm>

#include "common/Strings.h"
#include "common/Texts.h"

namespace dorum {

namespace {

// The checks that did not hold, each said as a person reads it.
std::vector<std::string> FailedChecks(const TRunReport& run, bool hideExpected,
                                      TCaseVerdict& verdict) {
  std::vector<std::string> failures;
  for (const TCheckReport& check : run.Checks) {
    if (check.Held) continue;
    verdict.FailedChecks.push_back(check);
    failures.push_back(hideExpected
                           ? Texts::CheckWrongValue(check.Name, check.Shown)
                           : Texts::CheckFailed(check.Name, check.ExpectedText, check.Shown));
  }
  return failures;
}

// The console output against what the case asks of it.
void CheckOutput(const TGradingCase& test, const std::string& output, bool hideExpected,
                 std::vector<std::string>& failures) {
  if (test.Output && output != *test.Output)
    failures.push_back(hideExpected ? Texts::OutputWrong(output)
                                    : Texts::OutputDiffers(*test.Output, output));
  if (test.OutputContains && output.find(*test.OutputContains) == std::string::npos)
    failures.push_back(hideExpected ? Texts::OutputLacksHidden()
                                    : Texts::OutputLacks(*test.OutputContains));
}

// A run that was to end otherwise and did not stop on its own.
TCaseVerdict EndedOtherwise(const TRunReport& run) {
  TCaseVerdict verdict;
  verdict.Outcome = run.End == TCaseEnd::Limit   ? TCaseOutcome::Limit
                    : run.End == TCaseEnd::Input ? TCaseOutcome::Input
                                                 : TCaseOutcome::Error;
  verdict.Message = run.Message;
  // Where a program waits, what it printed tells how far it got.
  if (verdict.Outcome == TCaseOutcome::Input)
    verdict.Message += "; " + Texts::PrintedSoFar(OutputTail(run.Output));
  return verdict;
}

}  // namespace

TCheckReport ReportOf(const TCheckResult& result) {
  TCheckReport report;
  report.Name = result.Check->Name;
  report.Expected = result.Check->Expected;
  if (result.Actual) report.Actual = *result.Actual;
  report.Shown = result.Shown();
  report.ExpectedText = ExpectedText(*result.Check);
  report.Held = result.Held;
  return report;
}

namespace {

constexpr TOutcomeMark kOutcomeMarks[] = {
    {TCaseOutcome::Passed, "ok", "passed", "zaliczony", false, false},
    {TCaseOutcome::Wrong, "źle", "wrong", "niespełnione sprawdzenie", false, false},
    {TCaseOutcome::MissingLabel, "etykieta", "missing_label",
     "w programie brak sprawdzanej etykiety", false, false},
    {TCaseOutcome::Error, "błąd", "error", "błąd listy, rozkazu, asemblacji lub wykonania", false,
     false},
    {TCaseOutcome::Limit, "limit", "limit", "wykonano limit taktów", false, false},
    {TCaseOutcome::Input, "wejście", "input", "zabrakło danych wejściowych", false, false},
    {TCaseOutcome::Timeout, "czas", "timeout", "przekroczony czas", true, false},
    {TCaseOutcome::Crash, "awaria", "crash", "awaria procesu", true, false},
    {TCaseOutcome::Missing, "brak", "missing", "brak pliku", false, false},
    {TCaseOutcome::Suite, "zestaw", "suite", "błąd zestawu (nauczyciela)", true, true},
};

}  // namespace

std::span<const TOutcomeMark> OutcomeMarks() noexcept {
  return kOutcomeMarks;
}

const TOutcomeMark& MarkOf(TCaseOutcome outcome) noexcept {
  for (const TOutcomeMark& mark : kOutcomeMarks)
    if (mark.Outcome == outcome) return mark;
  return kOutcomeMarks[static_cast<std::size_t>(TCaseOutcome::Error)];
}

std::string_view CaseOutcomeName(TCaseOutcome outcome) noexcept {
  return MarkOf(outcome).Type;
}

TCaseVerdict JudgeCase(const TRunReport& run, const TGradingCase& test, bool hideExpected) {
  std::vector<std::string> failures;
  if (run.End != test.Status) {
    // A run that was to end otherwise and stopped is a wrong answer.
    if (run.End != TCaseEnd::Stopped) return EndedOtherwise(run);
    failures.push_back(Texts::EndDiffers(CaseEndName(test.Status)));
  }
  TCaseVerdict verdict;
  for (std::string& failure : FailedChecks(run, hideExpected, verdict))
    failures.push_back(std::move(failure));
  for (const TMustExecute& must : run.MustExecute) {
    if (!must.Held()) failures.push_back(Texts::NotExecuted(must.Name));
  }
  CheckOutput(test, run.Output, hideExpected, failures);
  // Only labels the program lacks: the student named them otherwise.
  const bool onlyLabels = failures.size() == verdict.FailedChecks.size() &&
                          std::all_of(verdict.FailedChecks.begin(), verdict.FailedChecks.end(),
                                      [](const TCheckReport& c) { return !c.Actual; });
  verdict.Outcome = failures.empty() ? TCaseOutcome::Passed
                    : onlyLabels     ? TCaseOutcome::MissingLabel
                                     : TCaseOutcome::Wrong;
  verdict.Message = Join(failures, "; ");
  if (verdict.Outcome == TCaseOutcome::Passed) verdict.Points = test.Points;
  return verdict;
}

std::string OutputTail(std::string_view output) {
  constexpr std::size_t kShown = 60;
  // The characters' starts and each one's UTF-16 length.
  std::vector<std::pair<std::size_t, std::size_t>> chars;
  std::size_t units = 0;
  for (std::size_t i = 0; i < output.size();) {
    const std::size_t start = i;
    const char32_t c = NextChar(output, i);
    const std::size_t length = c > 0xFFFF ? 2 : 1;
    chars.emplace_back(start, length);
    units += length;
  }
  if (units <= kShown) return std::string(output);
  std::size_t kept = 0;
  std::size_t from = output.size();
  for (auto it = chars.rbegin(); it != chars.rend() && kept + it->second <= kShown; ++it) {
    kept += it->second;
    from = it->first;
  }
  return "…" + std::string(output.substr(from));
}

}  // namespace dorum
