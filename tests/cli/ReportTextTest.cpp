#include <gtest/gtest.h>

#include "TestReport.h"

using namespace dorum::cli;

namespace {

// A word one character past the limit would do; ten past shows that the
// whole rest of the word goes, not one character of it.
const QString kLongWord(50, u'a');
const QString kShortened = QString(40, u'a') + QStringLiteral("…");

}  // namespace

// Only the long word is cut: a blank or a folder's slash starts the next
// word afresh, so a message keeps what it says after a student's long name.
TEST(ReportText, OnlyTheLongWordIsCutNotWhatFollowsIt) {
  EXPECT_EQ(Readable(kLongWord + QStringLiteral(" wynik 42")),
            kShortened + QStringLiteral(" wynik 42"));
  EXPECT_EQ(Readable(kLongWord + QStringLiteral("/program.prg")),
            kShortened + QStringLiteral("/program.prg"));
  EXPECT_EQ(Readable(kLongWord + u' ' + kLongWord + QStringLiteral(" koniec")),
            kShortened + u' ' + kShortened + QStringLiteral(" koniec"));
}

// In a program's output the same holds within a line, not only after its
// line break.
TEST(ReportText, OutputKeepsTheRestOfALineAfterALongWord) {
  const QString output =
      kLongWord + QStringLiteral(" wynik 42\n") + kLongWord + QStringLiteral("/dalej\nkoniec");
  EXPECT_EQ(Readable(output, true), kShortened + QStringLiteral(" wynik 42\n") + kShortened +
                                        QStringLiteral("/dalej\nkoniec"));
}
