#include "TestReport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamWriter>
#include <algorithm>

#include "CoreText.h"
#include "common/Text.h"

namespace dorum::cli {

namespace {

using TOutcomeText = TOutcomeMark;

const TOutcomeText& TextOf(TOutcome outcome) {
  return MarkOf(outcome);
}

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Padded(const QString& text, qsizetype width) {
  return text + QString(width - text.size() + 2, u' ');
}

QString Fraction(std::size_t part, std::size_t whole) {
  return QStringLiteral("%1/%2").arg(part).arg(whole);
}

// Characters shown as escapes: C0 and C1 controls (a terminal's commands
// among them), and those XML 1.0 has no place for.
bool Unprintable(char16_t c, bool pairedSurrogate) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF) return true;
  return QChar::isSurrogate(c) && !pairedSurrogate;
}

bool PairedSurrogate(const QString& text, qsizetype i) {
  const char16_t c = text[i].unicode();
  if (QChar::isHighSurrogate(c))
    return i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode());
  return QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
}

QString Escape(char16_t c) {
  return c < 0x100 ? QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QLatin1Char('0'))
                   : QStringLiteral("\\u%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
}

// The text with what cannot be shown escaped; with `cutWords`, a word
// longer than 40 characters cut.
QString Shown(const QString& text, bool lines, bool cutWords) {
  constexpr qsizetype kLongestWord = 40;
  constexpr qsizetype kLongestText = 4096;
  QString shown;
  qsizetype word = 0;  // characters of the word so far
  bool cut = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (lines && i == kLongestText) {
      shown += QStringLiteral("…");
      break;
    }
    if (lines && c == u'\n') {
      shown += QChar(c);
      word = 0;
      cut = false;
      continue;
    }
    // A path's folders are words of their own.
    if (c == u' ' || c == u'/') {
      word = 0;
      cut = false;
    } else if (cut) {
      continue;
    } else if (++word > kLongestWord && cutWords) {
      shown += QStringLiteral("…");
      cut = true;
      continue;
    }
    if (Unprintable(c, PairedSurrogate(text, i))) {
      shown += Escape(c);
    } else {
      shown += QChar(c);
    }
  }
  return shown;
}

// "Anna Nowak_123_assignsubmission_file_": the person's full name and
// Moodle's id of the submission.
bool SplitMoodle(TSubmission& submission, const QString& name) {
  static const QRegularExpression kMoodle(QStringLiteral("^(.+)_(\\d+)_assignsubmission_.*$"),
                                          QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch match = kMoodle.match(name);
  if (!match.hasMatch()) return false;
  submission.Person = ReadableName(match.captured(1));
  submission.Id = match.captured(2);
  return true;
}

// GitHub Classroom names each student's repository "ASSIGNMENT-LOGIN": the
// assignment is what every name shares up to its last '-'.
QString ClassroomPrefix(const QStringList& names) {
  if (names.size() < 2) return {};
  QString shared = names.front();
  for (const QString& name : names) {
    qsizetype same = 0;
    while (same < shared.size() && same < name.size() && shared[same] == name[same]) ++same;
    shared.truncate(same);
  }
  return shared.left(shared.lastIndexOf(u'-') + 1);
}

// The folder the paths share, with its separator.
QString CommonFolder(const QStringList& paths) {
  QString shared = paths.front();
  for (const QString& path : paths) {
    while (!path.startsWith(shared)) shared.chop(1);
  }
  return shared.left(shared.lastIndexOf(u'/') + 1);
}

// Names shared by more than one submission become their paths from the
// folder they share; a path given twice is numbered.
void MakeDistinct(std::vector<TSubmission>& submissions) {
  QHash<QString, QStringList> paths;  // name -> the paths that bear it
  for (const TSubmission& s : submissions) paths[s.Name].append(s.Path);
  for (TSubmission& s : submissions) {
    const QStringList& alike = paths.value(s.Name);
    if (alike.size() > 1) s.Name = ReadableName(s.Path.mid(CommonFolder(alike).size()));
  }
  QHash<QString, int> seen;
  for (TSubmission& s : submissions) {
    if (const int times = ++seen[s.Name]; times > 1) s.Name += QStringLiteral(" (%1)").arg(times);
  }
}

}  // namespace

QString Readable(const QString& text, bool lines) {
  return Shown(text, lines, true);
}

QString ReadableName(const QString& text) {
  return Shown(text, false, false);
}

void NameSubmissions(std::vector<TSubmission>& submissions) {
  QStringList names;
  for (const TSubmission& s : submissions) names.append(s.Name);
  const QString assignment = ClassroomPrefix(names);
  for (TSubmission& s : submissions) {
    const QString name = s.Name;
    s.Name = ReadableName(name);
    if (SplitMoodle(s, name) || assignment.isEmpty() || name.size() == assignment.size()) continue;
    // The login is the student's only name there, and what the roster
    // matches.
    s.Person = ReadableName(name.mid(assignment.size()));
    s.Id = s.Person;
  }
  MakeDistinct(submissions);
}

QString ErrorGist(const QByteArray& said) {
  QStringList lines = QString::fromUtf8(said).trimmed().split(u'\n');
  while (lines.size() > 3) lines.removeLast();
  return lines.join(QStringLiteral(" / "));
}

QString PointsText(double points) {
  return QString::number(points, 'g', 12);
}

std::size_t TGradeReport::Passed(std::size_t from, std::size_t count) const {
  return static_cast<std::size_t>(
      std::count_if(results_.begin() + static_cast<std::ptrdiff_t>(from),
                    results_.begin() + static_cast<std::ptrdiff_t>(from + count),
                    [](const TCaseResult& r) { return r.Outcome == TOutcome::Passed; }));
}

std::size_t TGradeReport::Errors(std::size_t from, std::size_t count) const {
  return static_cast<std::size_t>(
      std::count_if(results_.begin() + static_cast<std::ptrdiff_t>(from),
                    results_.begin() + static_cast<std::ptrdiff_t>(from + count),
                    [](const TCaseResult& r) { return TextOf(r.Outcome).JunitError; }));
}

std::size_t TGradeReport::PassedOfCase(std::size_t test) const {
  std::size_t passed = 0;
  for (std::size_t s = 0; s < submissions_.size(); ++s)
    passed += At(s, test).Outcome == TOutcome::Passed ? 1 : 0;
  return passed;
}

double TGradeReport::PointsOf(std::size_t submission) const {
  double points = 0;
  for (std::size_t c = 0; c < suite_.Cases.size(); ++c) points += At(submission, c).Points;
  return points;
}

double TGradeReport::MaxPoints() const {
  double most = 0;
  for (const TGradingCase& test : suite_.Cases) most += test.Points;
  return most;
}

// One table: the header, a row per submission, the totals.
std::vector<QStringList> TGradeReport::SummaryRows() const {
  const std::size_t cases = suite_.Cases.size();
  std::vector<QStringList> rows;
  QStringList header{QStringLiteral("zgłoszenie")};
  for (const TGradingCase& test : suite_.Cases) header.append(Q(test.Name));
  header << QStringLiteral("zaliczone") << QStringLiteral("punkty");
  rows.push_back(header);
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    QStringList row{submissions_[s].Name};
    for (std::size_t c = 0; c < cases; ++c) row.append(FromView(TextOf(At(s, c).Outcome).Mark));
    row << Fraction(Passed(s * cases, cases), cases)
        << PointsText(PointsOf(s)) + u'/' + PointsText(MaxPoints());
    rows.push_back(row);
  }
  QStringList totals{QStringLiteral("razem")};
  for (std::size_t c = 0; c < cases; ++c)
    totals.append(Fraction(PassedOfCase(c), submissions_.size()));
  double points = 0;
  for (std::size_t s = 0; s < submissions_.size(); ++s) points += PointsOf(s);
  totals << Fraction(Passed(0, results_.size()), results_.size())
         << PointsText(points) + u'/' +
                PointsText(MaxPoints() * static_cast<double>(submissions_.size()));
  rows.push_back(totals);
  return rows;
}

void TGradeReport::PrintSummary(std::ostream& out) const {
  const std::size_t cases = suite_.Cases.size();
  const std::vector<QStringList> rows = SummaryRows();
  std::vector<qsizetype> widths(rows.front().size(), 0);
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i)
      widths[static_cast<std::size_t>(i)] =
          std::max(widths[static_cast<std::size_t>(i)], row[i].size());
  }
  out << "Zestaw " << suite_.Name.toStdString() << ": zgłoszeń " << submissions_.size()
      << ", przypadków " << cases << "\n\n";
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i)
      line += Padded(row[i], widths[static_cast<std::size_t>(i)]);
    out << line.trimmed().toStdString() << '\n';
  }
  std::size_t whole = 0;
  for (std::size_t s = 0; s < submissions_.size(); ++s)
    whole += Passed(s * cases, cases) == cases ? 1 : 0;
  out << "\nZaliczone w całości: " << whole << " z " << submissions_.size() << " zgłoszeń\n";
  if (AllPassed()) return;
  out << "\nNiezaliczone:\n";
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    for (std::size_t c = 0; c < cases; ++c) {
      const TCaseResult& r = At(s, c);
      if (r.Outcome == TOutcome::Passed) continue;
      out << "  " << submissions_[s].Name.toStdString() << " / " << suite_.Cases[c].Name << " ("
          << TextOf(r.Outcome).Mark << "): " << r.Message.toStdString() << '\n';
    }
  }
  // The legend names only the marks the table uses.
  out << "\nOznaczenia:";
  const char* separator = " ";
  for (const TOutcomeText& t : OutcomeMarks()) {
    if (std::none_of(results_.begin(), results_.end(),
                     [&t](const TCaseResult& r) { return r.Outcome == t.Outcome; }))
      continue;
    out << separator << t.Mark << " - " << t.Meaning;
    separator = ", ";
  }
  out << '\n';
}

void TGradeReport::PrintVpl(std::ostream& out, std::optional<double> gradeMax) const {
  // Every line starts with VPL's own mark, and what a student wrote never
  // holds a line end here: no output can pass for a grade.
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    for (std::size_t c = 0; c < suite_.Cases.size(); ++c) {
      const TCaseResult& r = At(s, c);
      out << "Comment :=>>-" << suite_.Cases[c].Name << " (" << TextOf(r.Outcome).Mark << ')';
      if (r.Outcome != TOutcome::Passed) out << ": " << r.Message.toStdString();
      out << '\n';
    }
  }
  double points = 0;
  for (std::size_t s = 0; s < submissions_.size(); ++s) points += PointsOf(s);
  const double most = MaxPoints() * static_cast<double>(submissions_.size());
  double grade = points;
  if (gradeMax) grade = most > 0 ? points / most * *gradeMax : 0;
  // At most two decimals, with a dot, as VPL reads a number.
  QString shown = QString::number(grade, 'f', 2);
  while (shown.endsWith(u'0')) shown.chop(1);
  if (shown.endsWith(u'.')) shown.chop(1);
  out << "Grade :=>> " << shown.toStdString() << '\n';
}

namespace {

void WriteCounts(QXmlStreamWriter& xml, std::size_t tests, std::size_t failures, std::size_t errors,
                 double seconds) {
  xml.writeAttribute(QStringLiteral("tests"), QString::number(tests));
  xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
  xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
  xml.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
}

// One case: a failure or an error with its message, and what the program
// wrote with the message after it, as a reader shows a test's output.
void WriteCase(QXmlStreamWriter& xml, const TCaseResult& r, const QString& name,
               const QString& className) {
  xml.writeStartElement(QStringLiteral("testcase"));
  xml.writeAttribute(QStringLiteral("name"), name);
  xml.writeAttribute(QStringLiteral("classname"), className);
  xml.writeAttribute(QStringLiteral("time"), QString::number(r.Seconds, 'f', 3));
  if (r.Outcome != TOutcome::Passed) {
    const TOutcomeText& text = TextOf(r.Outcome);
    xml.writeStartElement(text.JunitError ? QStringLiteral("error") : QStringLiteral("failure"));
    xml.writeAttribute(QStringLiteral("message"), r.Message);
    xml.writeAttribute(QStringLiteral("type"), FromView(text.Type));
    xml.writeCharacters(r.Message);
    xml.writeEndElement();
  }
  QString said = r.Output;
  if (r.Outcome != TOutcome::Passed)
    said += (said.isEmpty() || said.endsWith(u'\n') ? QString() : QStringLiteral("\n")) + r.Message;
  if (!said.isEmpty()) xml.writeTextElement(QStringLiteral("system-out"), said);
  xml.writeEndElement();
}

}  // namespace

void TGradeReport::WriteJunit(const QString& path) const {
  QByteArray bytes;
  const std::size_t cases = suite_.Cases.size();
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.writeStartDocument();
  xml.writeStartElement(QStringLiteral("testsuites"));
  xml.writeAttribute(QStringLiteral("name"), suite_.Name);
  const std::size_t all = results_.size();
  const std::size_t errors = Errors(0, all);
  WriteCounts(xml, all, all - Passed(0, all) - errors, errors, seconds_);
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    double seconds = 0;
    for (std::size_t c = 0; c < cases; ++c) seconds += At(s, c).Seconds;
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), submissions_[s].Name);
    const std::size_t failed = cases - Passed(s * cases, cases);
    const std::size_t erred = Errors(s * cases, cases);
    WriteCounts(xml, cases, failed - erred, erred, seconds);
    xml.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
    for (std::size_t c = 0; c < cases; ++c)
      WriteCase(xml, At(s, c), Q(suite_.Cases[c].Name), suite_.Name + u'.' + submissions_[s].Name);
    xml.writeEndElement();
  }
  xml.writeEndElement();
  xml.writeEndDocument();
  WriteFileBytes(U8(path), Bytes(bytes));
}

namespace {

QJsonObject CaseJson(const TCaseResult& r, const TGradingCase& test) {
  const TOutcomeText& text = TextOf(r.Outcome);
  QJsonObject result{{QStringLiteral("name"), Q(test.Name)},
                     {QStringLiteral("points"), r.Points},
                     {QStringLiteral("max_points"), test.Points},
                     {QStringLiteral("outcome"), FromView(text.Type)},
                     {QStringLiteral("passed"), r.Outcome == TOutcome::Passed},
                     {QStringLiteral("teacher"), text.Teacher},
                     {QStringLiteral("message"), r.Message},
                     {QStringLiteral("output"), r.Output},
                     {QStringLiteral("cycles"), r.Cycles},
                     {QStringLiteral("time"), r.Seconds}};
  if (!r.Place.isEmpty()) result[QStringLiteral("place")] = r.Place;
  QJsonArray checks;
  for (const TFailedCheck& check : r.Checks) {
    checks.append(
        QJsonObject{{QStringLiteral("name"), check.Name},
                    {QStringLiteral("expected"), check.Expected},
                    {QStringLiteral("actual"),
                     check.Actual ? QJsonValue(*check.Actual) : QJsonValue(QJsonValue::Null)}});
  }
  if (!checks.isEmpty()) result[QStringLiteral("checks")] = checks;
  return result;
}

}  // namespace

void TGradeReport::WriteJson(const QString& path) const {
  const std::size_t cases = suite_.Cases.size();
  // Files are named relative to the suite, as the suite names them.
  const QDir base = QFileInfo(suite_.Path).absoluteDir();
  QJsonArray submissions;
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    QJsonArray results;
    for (std::size_t c = 0; c < cases; ++c) results.append(CaseJson(At(s, c), suite_.Cases[c]));
    const TSubmission& submission = submissions_[s];
    QJsonObject entry{{QStringLiteral("name"), submission.Name},
                      {QStringLiteral("program"), base.relativeFilePath(submission.Program)},
                      {QStringLiteral("passed"), static_cast<qint64>(Passed(s * cases, cases))},
                      {QStringLiteral("total"), static_cast<qint64>(cases)},
                      {QStringLiteral("points"), PointsOf(s)},
                      {QStringLiteral("max_points"), MaxPoints()},
                      {QStringLiteral("cases"), results}};
    if (!submission.Person.isEmpty()) {
      entry[QStringLiteral("person")] = submission.Person;
      entry[QStringLiteral("id")] = submission.Id;
    }
    submissions.append(entry);
  }
  const QJsonObject report{
      {QStringLiteral("suite"), QFileInfo(suite_.Path).fileName()},
      {QStringLiteral("passed"), static_cast<qint64>(Passed(0, results_.size()))},
      {QStringLiteral("total"), static_cast<qint64>(results_.size())},
      {QStringLiteral("time"), seconds_},
      {QStringLiteral("submissions"), submissions}};
  WriteFileBytes(U8(path), Bytes(QJsonDocument(report).toJson(QJsonDocument::Indented)));
}

namespace {

// A field as RFC 4180 writes it: quoted when it holds a separator, a quote
// or a line end.
QString CsvField(const QString& text, QChar separator) {
  if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r'))
    return text;
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// One table of the dialects' differences.
struct TCsvDialect {
  QChar Separator;
  QChar DecimalPoint;
  bool ByteOrderMark;  // how a spreadsheet knows the file is UTF-8
};

TCsvDialect DialectOf(TCsvFormat format) {
  return format == TCsvFormat::Excel ? TCsvDialect{u';', u',', true}
                                     : TCsvDialect{u',', u'.', false};
}

// A spreadsheet runs a cell that starts like a formula; a student's name
// must stay a name.
QString TextCell(const QString& text, TCsvFormat format) {
  static const QString kFormulaStart = QStringLiteral("=+-@");
  if (format == TCsvFormat::Excel && !text.isEmpty() && kFormulaStart.contains(text.front()))
    return u'\'' + text;
  return text;
}

QString CsvRow(const QStringList& fields, const TCsvDialect& dialect) {
  QStringList quoted;
  for (const QString& field : fields) quoted.append(CsvField(field, dialect.Separator));
  return quoted.join(dialect.Separator) + QStringLiteral("\r\n");
}

}  // namespace

void TGradeReport::WriteCsv(const QString& path, TCsvFormat format) const {
  const TCsvDialect dialect = DialectOf(format);
  const auto number = [&dialect](double points) {
    return PointsText(points).replace(u'.', dialect.DecimalPoint);
  };
  // Who a row is, where the names say it, for a course site to match.
  const bool people = std::any_of(submissions_.begin(), submissions_.end(),
                                  [](const TSubmission& s) { return !s.Person.isEmpty(); });
  QStringList header{QStringLiteral("zgloszenie")};
  if (people) header << QStringLiteral("osoba") << QStringLiteral("id");
  for (const TGradingCase& test : suite_.Cases) header.append(TextCell(Q(test.Name), format));
  header << QStringLiteral("suma") << QStringLiteral("maksimum");
  QString text =
      (dialect.ByteOrderMark ? QStringLiteral("\uFEFF") : QString()) + CsvRow(header, dialect);
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    const TSubmission& submission = submissions_[s];
    QStringList row{TextCell(submission.Name, format)};
    if (people) row << TextCell(submission.Person, format) << TextCell(submission.Id, format);
    for (std::size_t c = 0; c < suite_.Cases.size(); ++c) row.append(number(At(s, c).Points));
    row << number(PointsOf(s)) << number(MaxPoints());
    text += CsvRow(row, dialect);
  }
  WriteFileBytes(U8(path), U8(text));
}

}  // namespace dorum::cli
