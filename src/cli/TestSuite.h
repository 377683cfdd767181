#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace dorum::cli {

// One set of test data and what must come of it.
struct TTestCase {
  QString Name;
  QStringList Set;     // "NAME=VALUE" items, stored before the run
  QString Input;       // for the input device
  QStringList Irq;     // "LINE@CYCLES" presses
  QStringList Expect;  // "NAME=VALUE" checks after the run
  std::optional<std::uint64_t> MaxCycles;
  // "reference*N": the limit is N times the cycles the reference took.
  std::optional<std::uint64_t> ReferenceFactor;
  QStringList MustExecute;                     // instructions that must run at least once
  std::optional<QString> Output;               // the console output, exactly
  std::optional<QString> OutputContains;       // a piece of the console output
  QString Status = QStringLiteral("stopped");  // how the run must end, as run --json says it
  double Points = 1;
};

// A suite file: which list, which program file in each submission, which
// instruction files each submission must bring, and the cases. Paths are
// absolute once loaded (the file names them relative to itself).
struct TTestSuite {
  QString Path;
  QString Name;              // the file's base name, for the reports
  QString List;              // empty: the default machine
  QString Program;           // relative to a submission folder
  QStringList Instructions;  // relative to a submission folder
  QString Submissions;       // a folder of submissions, used when none are named
  QString Reference;         // a submission that must pass every case, if any
  double TimeoutSeconds = 10;
  bool HideExpected = false;
  std::vector<TTestCase> Cases;
};

// Reads and checks a suite; EDorumError says what is wrong with it.
[[nodiscard]] TTestSuite LoadTestSuite(const QString& path);
// The keys a suite's top level and each case may hold.
[[nodiscard]] const QStringList& SuiteKeys();
[[nodiscard]] const QStringList& CaseKeys();

}  // namespace dorum::cli
