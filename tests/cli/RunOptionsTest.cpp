#include <gtest/gtest.h>

#include <sstream>

#include "RunCommand.h"
#include "RunOptions.h"
#include "TestSuite.h"

using namespace dorum::cli;

namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// The help comes from the table: every option once, in the table's order,
// with its value's name and its description.
TEST(RunOptions, RunsHelpDescribesEachInTheTablesOrder) {
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunProgramCommand({QStringLiteral("--help")}, out, err), 0);
  const QString text = QString::fromStdString(out.str());
  const qsizetype options = text.indexOf(QStringLiteral("Options:"));
  ASSERT_GE(options, 0);
  const QString help =
      text.mid(options, text.indexOf(QStringLiteral("Arguments:")) - options).simplified();
  qsizetype last = -1;
  for (const TRunOption& option : RunOptions()) {
    QString entry = QStringLiteral("--") + Utf8(option.Name);
    if (!option.Value.empty()) entry += QStringLiteral(" <") + Utf8(option.Value) + u'>';
    const qsizetype at = help.indexOf(entry + u' ');
    ASSERT_GE(at, 0) << entry.toStdString();
    EXPECT_EQ(help.indexOf(entry + u' ', at + 1), -1) << entry.toStdString() << " twice";
    EXPECT_GT(at, last) << entry.toStdString() << " out of order";
    const QString words = Utf8(option.Help).simplified();
    EXPECT_EQ(help.mid(at + entry.size() + 1).simplified().indexOf(words.left(30)), 0)
        << entry.toStdString();
    last = at;
  }
}

// A suite passes an option to every run through a key it reads, and the
// flag it writes is one run takes.
TEST(RunOptions, EachSuiteKeyIsOneASuiteReads) {
  int keyed = 0;
  for (const TRunOption& option : RunOptions()) {
    if (option.SuiteKey.empty()) continue;
    ++keyed;
    const QString key = Utf8(option.SuiteKey);
    EXPECT_TRUE(SuiteKeys().contains(key) || CaseKeys().contains(key)) << key.toStdString();
    EXPECT_EQ(RunFlag(option.Name), QStringLiteral("--") + Utf8(option.Name));
  }
  EXPECT_GE(keyed, 9);
}
