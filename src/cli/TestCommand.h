#pragma once

#include <QStringList>
#include <ostream>

namespace dorum::cli {

// "dorum-cli test SUITE [SUBMISSION...]": runs every case of a suite file
// against every submission, each run a child process "dorum-cli run ...
// --json" with its own cycle limit and wall-clock timeout, several at a
// time, and reports a summary table and, on request, JUnit XML and JSON.
// Exit status: 0 when every case of every submission passed, 5 otherwise,
// 2 for a bad invocation or a broken suite. Needs a QCoreApplication (the
// children are this same executable).
[[nodiscard]] int TestSuiteCommand(const QStringList& arguments, std::ostream& out,
                                   std::ostream& err);

}  // namespace dorum::cli
