#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/GradingChecks.h"
#include "app/GradingSuite.h"
#include "app/GradingVerdict.h"

// A case of a grading run whole in memory: what the web page's "Sprawdź"
// does with a task's public cases, by the same rules as "dorum-cli test".
namespace dorum {

// The limit of a case that names none, as "dorum-cli run" has it.
inline constexpr std::uint64_t kDefaultGradingCycles = 100'000'000;

// A text file of a submission, already decoded to UTF-8.
struct TGradingFile {
  std::string Name;  // as the messages name it ("ddw.rzk")
  std::string Text;
};

// What a case is run with: the teacher's list and the student's files.
struct TGradingTask {
  std::optional<std::string> List;          // the list file's text; none: the default machine
  std::vector<TGradingFile> Instructions;   // compiled into the list in this order
  std::string Program;                      // the program's text
  std::string ProgramName = "program.prg";  // as the messages name it
};

// A case run: the verdict and what the run left.
struct TGradingRun {
  TCaseVerdict Verdict;
  TRunReport Report;
  std::uint64_t Cycles = 0;
  std::uint64_t Instructions = 0;
};

// Loads the list (or the default machine), compiles the instruction files,
// assembles the program, stores the case's data, runs it to its cycle limit
// with its input and interrupt presses, and judges it. The student's faults
// are verdicts; the teacher's (a list that does not load, a check the
// machine cannot make, a malformed press) raise EDorumError, as the command
// line refuses such a suite. A limit written as "reference*N" alone must be
// resolved by the caller first; without one the run gets the default.
[[nodiscard]] TGradingRun RunGradingCase(const TGradingTask& task, const TGradingCase& test);

// What the page's "Sprawdź" hands over: the public suite, the teacher's
// list and input files, and the student's current texts by file name.
struct TTaskCheck {
  std::string SuiteJson;
  std::string SuiteFile;                      // as the messages name it ("iloczyn.json")
  std::optional<std::string> List;            // the list's text; none: the default machine
  std::map<std::string, std::string> Inputs;  // input files by the suite's path
  std::map<std::string, std::string> Files;   // the student's texts by name
  // No case runs longer, whatever its own limit says: a forgotten limit
  // must not hold the page's engine for minutes.
  std::uint64_t CycleCap = kDefaultGradingCycles;
};

struct TTaskCaseResult {
  std::string Name;
  TCaseOutcome Outcome = TCaseOutcome::Error;
  std::string Message;
  double Points = 0;  // earned
  double MaxPoints = 0;
  std::uint64_t Cycles = 0;
  bool Capped = false;  // its limit was cut to the cap
};

struct TTaskCheckResult {
  // A suite that cannot be read at all; then there are no cases.
  std::string Error;
  std::vector<TTaskCaseResult> Cases;
};

// Every case of the suite against the student's texts, as "dorum-cli test"
// grades one submission: a file the suite names that the student lacks is
// "brak" ("Brak pliku ilo.rzk"), the suite's own mistakes are "zestaw".
[[nodiscard]] TTaskCheckResult CheckTask(const TTaskCheck& check);

}  // namespace dorum
