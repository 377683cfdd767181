#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

#include "app/GradingSuite.h"

namespace dorum::cli {

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
  std::vector<TGradingCase> Cases;
  // What is wrong with the suite, a line each, all of them, so the teacher
  // mends them in one go; the suite must not be graded while any is left.
  QStringList Mistakes;
};

// A mistake of one case as it is told: "SUITE:case NAME:KEY: what".
[[nodiscard]] QString CaseMistake(const QString& suiteFile, const QString& caseName,
                                  const QString& key, const QString& what);

// Reads and checks a suite; EDorumError says what is wrong with it.
[[nodiscard]] TTestSuite LoadTestSuite(const QString& path);
// The suite file's JSON object, read as a teacher may have saved it (UTF-8
// with or without a byte order mark, or code page 1250).
[[nodiscard]] QJsonObject ReadSuiteObject(const QString& path);
// The keys a suite's top level and each case may hold.
[[nodiscard]] const QStringList& SuiteKeys();
[[nodiscard]] const QStringList& CaseKeys();

}  // namespace dorum::cli
