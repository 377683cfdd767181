#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A grading suite as a teacher writes it (JSON): which list, which program
// file of each submission, which instruction files it brings, and the cases
// with their test data and what must come of each. Read here, from the text,
// by both the command line and the web page; what needs the file system
// (the input files, whether a path exists) stays with the caller.
namespace dorum {

// How a run must end, as the suite and "run --json" name it.
enum class TCaseEnd : std::uint8_t { Stopped, Limit, Input, Error };
[[nodiscard]] std::string_view CaseEndName(TCaseEnd end) noexcept;
[[nodiscard]] std::optional<TCaseEnd> CaseEndNamed(std::string_view name) noexcept;

// One set of test data and what must come of it.
struct TGradingCase {
  std::string Name;
  std::vector<std::string> Set;     // "NAME=VALUE" items, stored before the run
  std::string Input;                // for the input device
  std::string InputFile;            // where Input is to come from, as the suite names it
  std::vector<std::string> Irq;     // "LINE@CYCLES" presses
  std::vector<std::string> Expect;  // "NAME=VALUE" checks after the run
  std::optional<std::uint64_t> MaxCycles;
  // "reference*N": the limit is N times the cycles the reference took.
  std::optional<std::uint64_t> ReferenceFactor;
  std::vector<std::string> MustExecute;       // instructions that must run at least once
  std::optional<std::string> Output;          // the console output, exactly
  std::optional<std::string> OutputContains;  // a piece of the console output
  TCaseEnd Status = TCaseEnd::Stopped;
  double Points = 1;
  bool HideExpected = false;  // the case's own "hide_expected", else the suite's
  bool Public = false;        // given to students in the public suite
};

// A suite's own settings and its cases. Paths are as the file names them
// (relative to its folder, checked to stay inside it).
struct TGradingSuite {
  std::string List;  // empty: the default machine
  std::string Program;
  std::vector<std::string> Instructions;
  std::string Submissions;
  std::string Reference;
  double TimeoutSeconds = 10;
  bool HideExpected = false;
  std::vector<TGradingCase> Cases;
  // What is wrong with the suite, a line each, all of them, so the teacher
  // mends them in one go; the suite must not be graded while any is left.
  std::vector<std::string> Mistakes;
};

// A mistake of one case as it is told: "SUITE:case NAME:KEY: what".
[[nodiscard]] std::string CaseMistake(std::string_view suiteFile, std::string_view caseName,
                                      std::string_view key, std::string_view what);

// Paths in a suite stay inside its folder: the folder is what a teacher
// hands on, and a path out of it would reach for files others lack. The
// path cleaned ("a/./b" as "a/b"); raises for an absolute path or one that
// climbs out.
[[nodiscard]] std::string PathInsideFolder(std::string_view path);

// The keys a suite's top level and each case may hold, as the help lists them.
[[nodiscard]] const std::vector<std::string>& GradingSuiteKeys();
[[nodiscard]] const std::vector<std::string>& GradingCaseKeys();

// What reading a suite asks of the files beside it (paths as cleaned by
// PathInsideFolder); either may be left empty.
struct TSuiteFiles {
  // Refuses a list that is not there; what it raises stops the reading.
  std::function<void(const std::string& path)> CheckList;
  // An input file's text, raising what is wrong with it; without it the
  // input stays unread and InputFile names the file.
  std::function<std::string(const std::string& path)> ReadInput;
};

// Reads a suite from its JSON text (UTF-8). `suiteFile` names the file in
// the mistakes. A text that is no JSON object, an unknown key at the top,
// a list out of the folder or no cases raise; every other mistake is
// collected in Mistakes.
[[nodiscard]] TGradingSuite ReadGradingSuite(const std::string& json, std::string_view suiteFile,
                                             const TSuiteFiles& files = {});

}  // namespace dorum
