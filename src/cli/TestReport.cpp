#include "TestReport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>
#include <algorithm>

#include "CoreText.h"
#include "common/Text.h"

namespace dorum::cli {

namespace {

struct TOutcomeText {
  TOutcome Outcome;
  const char* Cell;  // in the summary table
  const char* Type;  // of a JUnit failure or error and in the JSON report
  const char* Meaning;
  // JUnit's error rather than failure: the run did not end on its own, or
  // the teacher's suite was at fault, not the student's answer.
  bool JunitError;
  bool Teacher;  // the teacher's mistake, not the student's
};

constexpr TOutcomeText kOutcomes[] = {
    {TOutcome::Passed, "ok", "passed", "zaliczony", false, false},
    {TOutcome::Wrong, "źle", "wrong", "niespełnione sprawdzenie", false, false},
    {TOutcome::NoLabel, "etykieta", "missing_label", "w programie brak sprawdzanej etykiety", false,
     false},
    {TOutcome::Error, "błąd", "error", "błąd listy, rozkazu, asemblacji lub wykonania", false,
     false},
    {TOutcome::Limit, "limit", "limit", "wykonano limit taktów", false, false},
    {TOutcome::Input, "wejście", "input", "zabrakło danych wejściowych", false, false},
    {TOutcome::Timeout, "czas", "timeout", "przekroczony czas", true, false},
    {TOutcome::Crash, "awaria", "crash", "awaria procesu", true, false},
    {TOutcome::Missing, "brak", "missing", "brak pliku", false, false},
    {TOutcome::Suite, "zestaw", "suite", "błąd zestawu (nauczyciela)", true, true},
};

const TOutcomeText& TextOf(TOutcome outcome) {
  return *std::find_if(std::begin(kOutcomes), std::end(kOutcomes),
                       [outcome](const TOutcomeText& t) { return t.Outcome == outcome; });
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

}  // namespace

QString Readable(const QString& text, bool lines) {
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
    } else if (++word > kLongestWord) {
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

void TGradeReport::PrintSummary(std::ostream& out) const {
  const std::size_t cases = suite_.Cases.size();
  // One table: the header, a row per submission, the totals.
  std::vector<QStringList> rows;
  QStringList header{QStringLiteral("zgłoszenie")};
  for (const TTestCase& test : suite_.Cases) header.append(test.Name);
  header.append(QStringLiteral("zaliczone"));
  rows.push_back(header);
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    QStringList row{submissions_[s].Name};
    for (std::size_t c = 0; c < cases; ++c)
      row.append(QString::fromUtf8(TextOf(At(s, c).Outcome).Cell));
    row.append(Fraction(Passed(s * cases, cases), cases));
    rows.push_back(row);
  }
  QStringList totals{QStringLiteral("razem")};
  for (std::size_t c = 0; c < cases; ++c)
    totals.append(Fraction(PassedOfCase(c), submissions_.size()));
  totals.append(Fraction(Passed(0, results_.size()), results_.size()));
  rows.push_back(totals);
  std::vector<qsizetype> widths(header.size(), 0);
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
      out << "  " << submissions_[s].Name.toStdString() << " / "
          << suite_.Cases[c].Name.toStdString() << " (" << TextOf(r.Outcome).Cell
          << "): " << r.Message.toStdString() << '\n';
    }
  }
  // The legend names only the marks the table uses.
  out << "\nOznaczenia:";
  const char* separator = " ";
  for (const TOutcomeText& t : kOutcomes) {
    if (std::none_of(results_.begin(), results_.end(),
                     [&t](const TCaseResult& r) { return r.Outcome == t.Outcome; }))
      continue;
    out << separator << t.Cell << " - " << t.Meaning;
    separator = ", ";
  }
  out << '\n';
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
    xml.writeAttribute(QStringLiteral("type"), QString::fromUtf8(text.Type));
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
      WriteCase(xml, At(s, c), suite_.Cases[c].Name, suite_.Name + u'.' + submissions_[s].Name);
    xml.writeEndElement();
  }
  xml.writeEndElement();
  xml.writeEndDocument();
  WriteFileBytes(U8(path), Bytes(bytes));
}

namespace {

QJsonObject CaseJson(const TCaseResult& r, const QString& name) {
  const TOutcomeText& text = TextOf(r.Outcome);
  QJsonObject result{{QStringLiteral("name"), name},
                     {QStringLiteral("outcome"), QString::fromUtf8(text.Type)},
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
    for (std::size_t c = 0; c < cases; ++c)
      results.append(CaseJson(At(s, c), suite_.Cases[c].Name));
    submissions.append(
        QJsonObject{{QStringLiteral("name"), submissions_[s].Name},
                    {QStringLiteral("program"), base.relativeFilePath(submissions_[s].Program)},
                    {QStringLiteral("passed"), static_cast<qint64>(Passed(s * cases, cases))},
                    {QStringLiteral("total"), static_cast<qint64>(cases)},
                    {QStringLiteral("cases"), results}});
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
QString CsvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r'))
    return text;
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString CsvRow(const QStringList& fields) {
  QStringList quoted;
  for (const QString& field : fields) quoted.append(CsvField(field));
  return quoted.join(u',') + QStringLiteral("\r\n");
}

}  // namespace

void TGradeReport::WriteCsv(const QString& path) const {
  const std::size_t cases = suite_.Cases.size();
  QStringList header{QStringLiteral("zgłoszenie")};
  double most = 0;
  for (const TTestCase& test : suite_.Cases) {
    header.append(test.Name);
    most += test.Points;
  }
  header << QStringLiteral("suma") << QStringLiteral("maksimum");
  QString text = CsvRow(header);
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    QStringList row{submissions_[s].Name};
    double total = 0;
    for (std::size_t c = 0; c < cases; ++c) {
      row.append(QString::number(At(s, c).Points));
      total += At(s, c).Points;
    }
    row << QString::number(total) << QString::number(most);
    text += CsvRow(row);
  }
  WriteFileBytes(U8(path), U8(text));
}

}  // namespace dorum::cli
