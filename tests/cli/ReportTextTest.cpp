#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

namespace {

std::vector<TSubmission> Named(const std::vector<std::pair<QString, QString>>& namesAndPaths) {
  std::vector<TSubmission> submissions;
  for (const auto& [name, path] : namesAndPaths) {
    TSubmission submission;
    submission.Name = name;
    submission.Path = path;
    submissions.push_back(submission);
  }
  NameSubmissions(submissions);
  return submissions;
}

}  // namespace

// A course site matches its rows by the name: it is escaped, never cut.
TEST(SubmissionNames, KeptWholeAndEscaped) {
  const std::vector<TSubmission> named =
      Named({{kLongWord + u'\x1b', QStringLiteral("/k/a")}, {QStringLiteral("b"), "/k/b"}});
  EXPECT_EQ(named[0].Name, kLongWord + QStringLiteral("\\x1b"));
  EXPECT_EQ(named[0].Person, QString());
}

// Two alike become their paths from the folder they share, wherever they
// stand; one path given twice is numbered, so no two rows ever merge.
TEST(SubmissionNames, AlikeToldApartByPath) {
  const std::vector<TSubmission> named = Named({{QStringLiteral("x"), QStringLiteral("/k/a/x")},
                                                {QStringLiteral("x"), QStringLiteral("/k/b/x")},
                                                {QStringLiteral("x"), QStringLiteral("/k/x.prg")},
                                                {QStringLiteral("x"), QStringLiteral("/k/a/x")},
                                                {QStringLiteral("y"), QStringLiteral("/k/y")}});
  QStringList names;
  for (const TSubmission& s : named) names.append(s.Name);
  EXPECT_EQ(names,
            QStringList({QStringLiteral("a/x"), QStringLiteral("b/x"), QStringLiteral("x.prg"),
                         QStringLiteral("a/x (2)"), QStringLiteral("y")}));
}

// The person and the id: Moodle's from the folder's own name, Classroom's
// login after what every repository shares up to a '-'; one repository
// alone shares nothing to tell the assignment by.
TEST(SubmissionNames, PersonFromMoodleAndClassroomNames) {
  const std::vector<TSubmission> moodle =
      Named({{QStringLiteral("Anna Maria Nowak_4127_assignsubmission_file_"), "/k/1"},
             {QStringLiteral("Jan_Kos_88_assignsubmission_onlinetext_"), "/k/2"}});
  EXPECT_EQ(moodle[0].Person, QStringLiteral("Anna Maria Nowak"));
  EXPECT_EQ(moodle[0].Id, QStringLiteral("4127"));
  EXPECT_EQ(moodle[1].Person, QStringLiteral("Jan_Kos"));
  EXPECT_EQ(moodle[1].Id, QStringLiteral("88"));
  const std::vector<TSubmission> classroom =
      Named({{QStringLiteral("lab-1-ala-k"), "/k/1"}, {QStringLiteral("lab-1-adam"), "/k/2"}});
  EXPECT_EQ(classroom[0].Person, QStringLiteral("ala-k"));
  EXPECT_EQ(classroom[1].Id, QStringLiteral("adam"));
  EXPECT_EQ(Named({{QStringLiteral("lab-1-ala"), "/k/1"}})[0].Person, QString());
}

// A run that died without its report is summed up by what it said first:
// enough lines for the error and where it happened, not a whole backtrace.
TEST(ReportText, ARunsErrorStreamIsSummedUpByItsFirstThreeLines) {
  EXPECT_EQ(ErrorGist("\nbrak pamięci\nw rozkazie DOD\nw wierszu 3\nstos: 1\nstos: 2\n"),
            QStringLiteral("brak pamięci / w rozkazie DOD / w wierszu 3"));
  EXPECT_EQ(ErrorGist("jedna linia"), QStringLiteral("jedna linia"));
  EXPECT_EQ(ErrorGist("  \n"), QString());
}
