#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <ostream>
#include <vector>

#include "TestSuite.h"
#include "app/GradingVerdict.h"

namespace dorum::cli {

// How one case of one submission ended, as the core names and marks it.
using TOutcome = TCaseOutcome;

// A check that did not hold, for the JSON report.
struct TFailedCheck {
  QString Name;
  qint64 Expected = 0;
  std::optional<qint64> Actual;  // none: the program has no such label
};

struct TSubmission {
  QString Name;  // whole, and distinct among the class's once NameSubmissions has run
  QString Path;  // the folder or program file, absolute
  // Who it is, where the name says it: a Moodle download folder or a GitHub
  // Classroom repository; empty otherwise.
  QString Person;
  QString Id;
  QString Program;
  QStringList Instructions;
  QString Missing;  // what the submission lacks, if anything
};

struct TCaseResult {
  TOutcome Outcome = TOutcome::Error;
  QString Message;
  qint64 Cycles = -1;
  double Seconds = 0;
  double Points = 0;                 // earned: the case's points when it passed
  QString Output;                    // what the program wrote to the console
  QJsonObject Place;                 // where an error stood: file, line, column...
  std::vector<TFailedCheck> Checks;  // the checks that did not hold
};

// A student's text as the reports show it. What a terminal would take as a
// command, and what XML 1.0 forbids, is written as a visible escape
// ("\x01"); a word longer than 40 characters is cut with "…", so that one
// file with a megabyte on a line cannot swell every report.
// With `lines`, line ends stay (a program's output), and the text is cut
// after 4096 characters.
[[nodiscard]] QString Readable(const QString& text, bool lines = false);
// A name as the reports show it: escaped as Readable does, but never cut,
// since a course site matches its rows by it.
[[nodiscard]] QString ReadableName(const QString& text);

// Names the class's submissions for the reports: each escaped and whole,
// two alike told apart by their paths from the folder they share (a
// folder "x" beside a file "x.prg"), and the person and id taken from a
// Moodle download folder ("Anna Nowak_123_assignsubmission_file_") or a
// GitHub Classroom repository ("zadanie-1-anowak").
void NameSubmissions(std::vector<TSubmission>& submissions);

// The gradebook's dialect: RFC 4180, or what a spreadsheet set to Polish
// opens as it is (semicolons, a byte order mark, decimal commas).
enum class TCsvFormat { Csv, Excel };

// What a run that gave no report said on its error stream, as one line
// of the summary: its first three lines, joined by " / ".
[[nodiscard]] QString ErrorGist(const QByteArray& said);

// A number of points as the reports write it: "4.5", "7".
[[nodiscard]] QString PointsText(double points);

// The results of a suite: the summary table for people, JUnit XML and JSON
// for tools. Results go submission by submission, case by case.
class TGradeReport {
 public:
  TGradeReport(const TTestSuite& suite, const std::vector<TSubmission>& submissions,
               const std::vector<TCaseResult>& results, double seconds)
      : suite_(suite), submissions_(submissions), results_(results), seconds_(seconds) {}

  void PrintSummary(std::ostream& out) const;
  // What Moodle's VPL reads from an evaluation: a comment per case, then
  // the grade, scaled to `gradeMax` when VPL gives one.
  void PrintVpl(std::ostream& out, std::optional<double> gradeMax) const;
  // Each raises the plain error, with the system's reason, for a file it
  // cannot write.
  void WriteJunit(const QString& path) const;
  void WriteJson(const QString& path) const;
  // The gradebook: a row per submission with the points of each case, the
  // total and the most there were, as a spreadsheet or a course site reads.
  void WriteCsv(const QString& path, TCsvFormat format = TCsvFormat::Csv) const;
  [[nodiscard]] bool AllPassed() const { return Passed(0, results_.size()) == results_.size(); }

 private:
  [[nodiscard]] const TCaseResult& At(std::size_t submission, std::size_t test) const {
    return results_[submission * suite_.Cases.size() + test];
  }
  [[nodiscard]] std::size_t Passed(std::size_t from, std::size_t count) const;
  [[nodiscard]] std::size_t PassedOfCase(std::size_t test) const;
  [[nodiscard]] std::vector<QStringList> SummaryRows() const;
  [[nodiscard]] double PointsOf(std::size_t submission) const;
  [[nodiscard]] double MaxPoints() const;  // of one submission
  // Of `count` results from `from`: those JUnit calls errors (the run did
  // not end on its own, or the suite was at fault).
  [[nodiscard]] std::size_t Errors(std::size_t from, std::size_t count) const;

  const TTestSuite& suite_;
  const std::vector<TSubmission>& submissions_;
  const std::vector<TCaseResult>& results_;
  double seconds_;  // the whole grading's wall time
};

}  // namespace dorum::cli
