#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <sstream>
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

// Only a program's output is cut as a whole, after 4096 characters; a
// message, however long, keeps its end.
TEST(ReportText, OnlyOutputIsCutAsAWhole) {
  const QString words = QStringLiteral("ab ").repeated(2000);
  EXPECT_EQ(Readable(words), words);
  EXPECT_EQ(Readable(words, true), words.left(4096) + QStringLiteral("…"));
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

namespace {

// A class of two, a suite of two cases: "a" worth 2, "=b" worth 1.
struct TClassReport {
  TTestSuite Suite;
  std::vector<TSubmission> Submissions;
  std::vector<TCaseResult> Results;

  TClassReport() {
    Suite.Path = QStringLiteral("/k/zestaw.json");
    Suite.Name = QStringLiteral("zestaw");
    dorum::TGradingCase first;
    first.Name = "a";
    first.Points = 2;
    dorum::TGradingCase second;
    second.Name = "=b";
    Suite.Cases = {first, second};
    for (const QString& name : {QStringLiteral("ala"), QStringLiteral("-jan")}) {
      TSubmission submission;
      submission.Name = name;
      submission.Path = submission.Program = QStringLiteral("/k/") + name;
      Submissions.push_back(submission);
    }
  }
  void Result(TOutcome outcome, double points, const QString& message = {}) {
    TCaseResult result;
    result.Outcome = outcome;
    result.Points = points;
    result.Message = message;
    Results.push_back(result);
  }
  [[nodiscard]] TGradeReport Report() const { return {Suite, Submissions, Results, 1.5}; }
};

// "ala" passes both; "-jan" fails "a" by a wrong value and crashes in "=b",
// which JUnit counts as an error.
TClassReport OnePassedOneNot() {
  TClassReport c;
  c.Result(TOutcome::Passed, 2);
  c.Result(TOutcome::Passed, 1);
  c.Result(TOutcome::Wrong, 0, QStringLiteral("oczekiwano \"x\"=1"));
  c.Result(TOutcome::Crash, 0, QStringLiteral("awaria procesu"));
  return c;
}

QByteArray BytesOf(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

// The text, a byte order mark taken off by the decoding.
QString ReadBack(const QString& path) {
  return QString::fromUtf8(BytesOf(path));
}

}  // namespace

// The table's rows and totals: each submission's passed cases of its own,
// each case's passed submissions of the class, and only wholly passed
// submissions counted as such.
TEST(ReportText, SummaryCountsEachSubmissionAndEachCaseOfTheClass) {
  const TClassReport c = OnePassedOneNot();
  std::ostringstream out;
  c.Report().PrintSummary(out);
  const QString text = QString::fromStdString(out.str());
  EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\nala +ok +ok +2/2 +3/3\n"))))
      << out.str();
  EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\nrazem +1/2 +1/2 +2/4 +3/6\n"))))
      << out.str();
  EXPECT_TRUE(text.contains(QStringLiteral("Zaliczone w całości: 1 z 2 zgłoszeń")));
  // The legend names the marks used, and none other.
  const QString legend = text.section(QStringLiteral("Oznaczenia:"), 1);
  EXPECT_TRUE(legend.contains(QStringLiteral("źle - ")));
  EXPECT_FALSE(legend.contains(QStringLiteral("limit - ")));
}

// JUnit counts an error apart from a failure, in the whole and per
// submission; a case is named by its suite and submission.
TEST(ReportText, JunitCountsFailuresAndErrorsApart) {
  const TClassReport c = OnePassedOneNot();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("raport.xml"));
  c.Report().WriteJunit(path);
  const QString xml = ReadBack(path);
  EXPECT_TRUE(xml.contains(
      QStringLiteral("<testsuites name=\"zestaw\" tests=\"4\" failures=\"1\" errors=\"1\"")))
      << xml.toStdString();
  EXPECT_TRUE(xml.contains(
      QStringLiteral("<testsuite name=\"-jan\" tests=\"2\" failures=\"1\" errors=\"1\"")));
  EXPECT_TRUE(
      xml.contains(QStringLiteral("<testsuite name=\"ala\" tests=\"2\" failures=\"0\" "
                                  "errors=\"0\"")));
  EXPECT_TRUE(xml.contains(QStringLiteral("classname=\"zestaw.-jan\"")));
}

// A case's points and what it was worth, passed or not.
TEST(ReportText, JsonGivesEachCasesPointsAndItsWorth) {
  const TClassReport c = OnePassedOneNot();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("raport.json"));
  c.Report().WriteJson(path);
  const QJsonObject report = QJsonDocument::fromJson(ReadBack(path).toUtf8()).object();
  const QJsonObject jan = report[QStringLiteral("submissions")].toArray()[1].toObject();
  const QJsonObject failed = jan[QStringLiteral("cases")].toArray()[0].toObject();
  EXPECT_EQ(failed[QStringLiteral("points")].toDouble(), 0);
  EXPECT_EQ(failed[QStringLiteral("max_points")].toDouble(), 2);
  EXPECT_EQ(jan[QStringLiteral("max_points")].toDouble(), 3);
  EXPECT_EQ(report[QStringLiteral("passed")].toInt(), 2);
  EXPECT_EQ(report[QStringLiteral("total")].toInt(), 4);
}

// Plain CSV keeps a name as it is and quotes only what needs it; Excel's
// dialect keeps a name that starts like a formula ("=", "+", "-", "@")
// from running as one.
TEST(ReportText, GradebookGuardsFormulasOnlyForASpreadsheet) {
  TClassReport c = OnePassedOneNot();
  c.Submissions[0].Name = QStringLiteral("a\"la");
  c.Submissions[0].Person = QStringLiteral("Ala");
  c.Submissions[0].Id = QStringLiteral("7");
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("oceny.csv"));
  c.Report().WriteCsv(path, TCsvFormat::Csv);
  EXPECT_EQ(ReadBack(path), QStringLiteral("zgloszenie,osoba,id,a,=b,suma,maksimum\r\n"
                                           "\"a\"\"la\",Ala,7,2,1,3,3\r\n"
                                           "-jan,,,0,0,0,3\r\n"));
  c.Report().WriteCsv(path, TCsvFormat::Excel);
  EXPECT_TRUE(BytesOf(path).startsWith("\xEF\xBB\xBFzgloszenie;"));
  EXPECT_EQ(ReadBack(path), QStringLiteral("zgloszenie;osoba;id;a;'=b;suma;maksimum\r\n"
                                           "\"a\"\"la\";Ala;7;2;1;3;3\r\n"
                                           "'-jan;;;0;0;0;3\r\n"));
}

// A suite worth nothing at all gives the grade 0, not VPL's maximum.
TEST(ReportText, VplGradeOfASuiteWorthNothingIsZero) {
  TClassReport c;
  c.Suite.Cases.resize(1);
  c.Suite.Cases[0].Name = "a";
  c.Suite.Cases[0].Points = 0;
  c.Submissions.resize(1);
  c.Result(TOutcome::Passed, 0);
  std::ostringstream out;
  c.Report().PrintVpl(out, 10.0);
  EXPECT_EQ(out.str(), "Comment :=>>-a (ok)\nGrade :=>> 0\n");
}
