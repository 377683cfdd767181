#include "TestCommand.h"
#include "RunOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "CaseRunner.h"
#include "CoreText.h"
#include "PublicSuite.h"
#include "RunCommand.h"
#include "TestReport.h"
#include "TestSuite.h"
#include "app/GradingVerdict.h"
#include "common/Error.h"
#include "common/Texts.h"
#include "control/ListFile.h"
#include "session/Session.h"

namespace dorum::cli {

namespace {

const char* const kDescription =
    "Ocenia zgłoszenia (foldery z programem albo same pliki programu) zestawem\n"
    "przypadków testowych z pliku SUITE (JSON). Każdy przypadek każdego zgłoszenia\n"
    "wykonuje osobny proces \"dorum-cli run ... --json\" z własnym limitem taktów\n"
    "i limitem czasu; kilka naraz (--jobs). Awaria albo zawieszenie jednego nie\n"
    "zatrzymuje pozostałych.\n"
    "\n"
    "Plik zestawu (ścieżki względem niego):\n"
    "  {\n"
    "    \"list\": \"kurs.lst\",              lista rozkazów (pominięta: maszyna domyślna)\n"
    "    \"program\": \"program.prg\",        plik programu w folderze zgłoszenia\n"
    "    \"instructions\": [\"dod2.rzk\"],    pliki rozkazów ze zgłoszenia, kompilowane\n"
    "                                     do listy przed asemblacją (nieobowiązkowe)\n"
    "    \"submissions\": \"zgloszenia\",     folder zgłoszeń, gdy nie podano ich\n"
    "    \"reference\": \"wzorzec\",          rozwiązanie nauczyciela: musi zaliczyć każdy\n"
    "                                     przypadek, inaczej ocena się nie zaczyna (kod 2)\n"
    "    \"timeout\": 10,                   sekundy na jeden przypadek (domyślnie 10)\n"
    "    \"max_cycles\": 100000,            limit taktów każdego przypadku; \"reference*N\":\n"
    "                                     N razy tyle taktów, ile zajął wzorzec\n"
    "    \"hide_expected\": false,          raport bez oczekiwanych wartości\n"
    "    \"cases\": [ { \"name\": \"dodatnie\", \"set\": {\"x\": 5}, \"input\": \"ab\",\n"
    "                 \"irq\": [\"2@100\"], \"expect\": {\"wynik\": 12},\n"
    "                 \"max_cycles\": 1000, \"must_execute\": [\"DOD2\"] } ]\n"
    "  }\n"
    "set i expect jak --set i --expect polecenia run (obiekt albo tekst\n"
    "\"NAZWA=WARTOŚĆ,...\"; wartość może być słowem rozkazu, np. \"ZAM 40\");\n"
    "przypadek musi coś sprawdzać. Ponadto w przypadku:\n"
    "    \"input_file\": \"dane.txt\"        wejście z pliku (zamiast input)\n"
    "    \"output\": \"ALA.\"               wyjście konsoli, dokładnie\n"
    "    \"output_contains\": \"A\"         fragment wyjścia konsoli\n"
    "    \"status\": \"input\"              jak ma się skończyć wykonanie: stopped\n"
    "                                     (domyślnie), limit, input albo error\n"
    "    \"points\": 2                     punkty za przypadek (domyślnie 1; --csv)\n"
    "    \"hide_expected\": true           bez oczekiwanych wartości (zamiast ustawienia zestawu)\n"
    "    \"public\": true                  przypadek dla studentów (--public -o FOLDER)\n"
    "W folderze zgłoszeń liczą się foldery i pliki .prg; ukryte, __MACOSX\n"
    "i inne pliki są pomijane (podane na końcu podsumowania).\n"
    "\n"
    "Kod wyjścia: 0 gdy wszystkie przypadki wszystkich zgłoszeń zaliczone,\n"
    "5 gdy któryś nie, 2 przy błędnym wywołaniu albo zestawie (wypisuje, co\n"
    "jest nie tak).";

// A case that ended without a report of the run.
TCaseResult Ended(TOutcome outcome, const QString& message) {
  TCaseResult result;
  result.Outcome = outcome;
  result.Message = message;
  return result;
}

// Where the child's error stood, as the fields of its report say it.
QJsonObject PlaceOf(const QJsonObject& report) {
  QJsonObject place;
  for (const char* key : {"stage", "file", "line", "column", "word", "instruction", "step",
                          "program_line", "cycle"}) {
    const QString name = QString::fromLatin1(key);
    if (report.contains(name)) place[name] = report.value(name);
  }
  // The file as the submission names it.
  if (place.contains(QStringLiteral("file")))
    place[QStringLiteral("file")] =
        QFileInfo(place.value(QStringLiteral("file")).toString()).fileName();
  return place;
}

// The checks as the child's report gives them.
std::vector<TCheckReport> ReportedChecks(const QJsonObject& report) {
  std::vector<TCheckReport> checks;
  for (const QJsonValue value : report.value(QStringLiteral("expectations")).toArray()) {
    const QJsonObject check = value.toObject();
    TCheckReport reported;
    reported.Name = U8(check.value(QStringLiteral("name")).toString());
    reported.Expected = check.value(QStringLiteral("expected")).toInteger();
    // No value at all is a missing label, said as the run says it, not 0.
    const QJsonValue actual = check.value(QStringLiteral("actual"));
    if (actual.isDouble()) reported.Actual = actual.toInteger();
    reported.Shown = U8(check.value(QStringLiteral("shown")).toString());
    reported.ExpectedText = U8(check.value(QStringLiteral("expected_text")).toString());
    reported.Held = check.value(QStringLiteral("held")).toBool();
    checks.push_back(std::move(reported));
  }
  return checks;
}

std::vector<TMustExecute> ReportedMustExecute(const QJsonObject& report) {
  std::vector<TMustExecute> musts;
  for (const QJsonValue value : report.value(QStringLiteral("must_execute")).toArray()) {
    const QJsonObject must = value.toObject();
    const bool held = must.value(QStringLiteral("held")).toBool();
    const qint64 executed = must.value(QStringLiteral("executed")).toInteger();
    musts.push_back({U8(must.value(QStringLiteral("name")).toString()),
                     held ? static_cast<std::uint64_t>(std::max<qint64>(1, executed)) : 0});
  }
  return musts;
}

// What one child's report says of its case: the core's verdict on what the
// run left, or an end only the command line knows.
TCaseResult Interpret(const QJsonObject& report, const TGradingCase& test, bool hideExpected) {
  TCaseResult result;
  result.Cycles = report.value(QStringLiteral("cycles")).toInteger(-1);
  result.Output = report.value(QStringLiteral("output")).toString();
  result.Place = PlaceOf(report);
  const QString status = report.value(QStringLiteral("status")).toString();
  // The runner's own reading of an error names the file and the place; the
  // file is named as in the submission's folder.
  QString message = report.value(QStringLiteral("diagnostic")).toString();
  const QString file = report.value(QStringLiteral("file")).toString();
  if (message.isEmpty())
    message = report.value(QStringLiteral("message")).toString();
  else if (!file.isEmpty() && message.startsWith(file))
    message.replace(0, file.size(), QFileInfo(file).fileName());
  const std::optional<TCaseEnd> end = CaseEndNamed(U8(status));
  if (!end) {
    result.Outcome = status == u"timeout" ? TOutcome::Timeout
                     : status == u"usage" ? TOutcome::Suite
                                          : TOutcome::Error;
    result.Message = message;
    return result;
  }
  TRunReport run;
  run.End = *end;
  run.Message = U8(message);
  run.Output = U8(result.Output);
  run.Checks = ReportedChecks(report);
  run.MustExecute = ReportedMustExecute(report);
  const TCaseVerdict verdict = JudgeCase(run, test, hideExpected);
  result.Outcome = verdict.Outcome;
  result.Message = Q(verdict.Message);
  result.Points = verdict.Points;
  for (const TCheckReport& check : verdict.FailedChecks)
    result.Checks.push_back({Q(check.Name), check.Expected, check.Actual});
  return result;
}

// What the command line asks of a grading.
struct TGradeOptions {
  QString Suite;
  QStringList Submissions;
  QStringList Cases;  // --case: only these; none: every case
  int Jobs = std::max(1, QThread::idealThreadCount());
  QString Junit;
  QString Json;
  QString Csv;
  TCsvFormat CsvFormat = TCsvFormat::Csv;
  bool Vpl = false;                // --format vpl: what Moodle's VPL reads
  std::optional<double> GradeMax;  // VPL's VPL_GRADEMAX, when set
  QString PublicFolder;            // --public -o FOLDER: write the students' suite there
};

// The choices of an option with a fixed set of values.
template <typename T>
struct TChoice {
  const char* Name;
  T Value;
};

constexpr TChoice<TCsvFormat> kCsvFormats[] = {{"csv", TCsvFormat::Csv},
                                               {"excel", TCsvFormat::Excel}};
constexpr TChoice<bool> kFormats[] = {{"summary", false}, {"vpl", true}};

// The value chosen, or a complaint naming the choices.
template <typename T, std::size_t N>
std::optional<QString> Choose(const char* option, const TChoice<T> (&choices)[N],
                              const QString& value, T& chosen) {
  QStringList names;
  for (const TChoice<T>& choice : choices) {
    names.append(QString::fromLatin1(choice.Name));
    if (value == QLatin1String(choice.Name)) {
      chosen = choice.Value;
      return std::nullopt;
    }
  }
  return Q(Texts::BadChoice(option, U8(names.join(QStringLiteral(" albo "))), U8(value)));
}

// VPL's VPL_GRADEMAX: the grade the task is worth, when VPL runs the grading.
std::optional<QString> ReadGradeMax(std::optional<double>& gradeMax) {
  const QString text = qEnvironmentVariable("VPL_GRADEMAX").trimmed();
  if (text.isEmpty()) return std::nullopt;
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value) || value <= 0) return Q(Texts::BadGradeMax(U8(text)));
  gradeMax = value;
  return std::nullopt;
}

// The help with the usage line as the user types the command.
QString HelpText(const QCommandLineParser& parser) {
  QString text = parser.helpText();
  text.replace(0, text.indexOf(u'\n'),
               QStringLiteral("Usage: dorum-cli test [options] SUITE [SUBMISSION...]"));
  return text;
}

class TGrader {
 public:
  TGrader(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  int Execute(const QStringList& arguments);

 private:
  int Usage(const QString& message) {
    err_ << "dorum-cli test: " << message.toStdString() << '\n';
    return 2;
  }
  [[nodiscard]] std::optional<int> ReadOptions(const QStringList& arguments,
                                               TGradeOptions& options);
  [[nodiscard]] QStringList SelectCases(const QStringList& names);
  [[nodiscard]] bool WriteReports(const TGradeReport& report, const TGradeOptions& options);
  void CheckList() const;
  // Each case's values as its runs would read them, against the teacher's
  // configuration: a mistake there would fail every student alike.
  [[nodiscard]] QStringList CaseMistakes() const;
  [[nodiscard]] QStringList KnownInstructions() const;
  [[nodiscard]] bool HasConsole() const;
  // The teacher's files (the suite, its list and input files, the
  // reference), never a student's, whatever folder they sit in.
  [[nodiscard]] QStringList TeacherFiles(const QDir& submission) const;
  void CollectSubmissions(const QStringList& paths);
  [[nodiscard]] QStringList ChildArguments(const TSubmission& submission,
                                           const TGradingCase& test) const;
  void RunAll(int jobs);
  // Runs the reference through every case first; why it fails, if it does.
  // Its cycles set the limits written as "reference*N".
  [[nodiscard]] QString CheckReference(int jobs);
  // The students' suite, its limits those the reference set.
  int WritePublic(const QString& folder);
  [[nodiscard]] TCaseResult Finish(const TCaseRunEnd& end, const TGradingCase& test) const;
  // The grading machine's folders are nobody's business: a file is named as
  // the submission's folder, or else the suite's, sees it.
  [[nodiscard]] TCaseResult WithRelativePaths(TCaseResult result,
                                              const TSubmission& submission) const;

  std::ostream& out_;
  std::ostream& err_;
  TTestSuite suite_;
  QStringList skipped_;  // entries of the class's folder that are no submissions
  std::vector<TSubmission> submissions_;
  std::vector<TCaseResult> results_;  // submission by submission, case by case
};

int TGrader::Execute(const QStringList& arguments) {
  TGradeOptions options;
  if (const std::optional<int> status = ReadOptions(arguments, options)) return *status;
  try {
    suite_ = LoadTestSuite(options.Suite);
    if (const QStringList unknown = SelectCases(options.Cases); !unknown.isEmpty()) {
      for (const QString& mistake : unknown) Usage(mistake);
      return 2;
    }
    CheckList();
    if (options.PublicFolder.isEmpty()) CollectSubmissions(options.Submissions);
  } catch (const EDorumError& e) {
    return Usage(options.Suite + QStringLiteral(": ") + Q(e.Message()));
  }
  if (const QStringList mistakes = CaseMistakes(); !mistakes.isEmpty()) {
    for (const QString& mistake : mistakes) Usage(mistake);
    return 2;
  }
  try {
    if (const QString failed = CheckReference(options.Jobs); !failed.isEmpty())
      return Usage(options.Suite + QStringLiteral(": ") + failed);
  } catch (const EDorumError& e) {
    return Usage(options.Suite + QStringLiteral(": ") + Q(Texts::ReferenceError(e.Message())));
  }
  if (!options.PublicFolder.isEmpty()) return WritePublic(options.PublicFolder);
  QElapsedTimer clock;
  clock.start();
  RunAll(options.Jobs);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  // From here on every text may carry what a student wrote.
  NameSubmissions(submissions_);
  for (TCaseResult& result : results_) {
    result.Message = Readable(result.Message);
    result.Output = Readable(result.Output, true);
    for (auto it = result.Place.begin(); it != result.Place.end(); ++it) {
      if (it.value().isString()) it.value() = Readable(it.value().toString());
    }
  }
  const TGradeReport report{suite_, submissions_, results_, seconds};
  if (options.Vpl) {
    report.PrintVpl(out_, options.GradeMax);
  } else {
    report.PrintSummary(out_);
    if (!skipped_.isEmpty())
      out_ << "\nPominięte (to nie zgłoszenia): "
           << Readable(skipped_.join(QStringLiteral(", "))).toStdString() << '\n';
  }
  if (!WriteReports(report, options)) return 2;
  return report.AllPassed() ? 0 : 5;
}

// Each report on its own: one the system refuses leaves the others.
bool TGrader::WriteReports(const TGradeReport& report, const TGradeOptions& options) {
  bool written = true;
  const auto write = [&](const QString& path, const std::function<void()>& writeReport) {
    if (path.isEmpty()) return;
    try {
      writeReport();
    } catch (const EDorumError& e) {
      Usage(Q(e.Message()));
      written = false;
    }
  };
  write(options.Junit, [&] { report.WriteJunit(options.Junit); });
  write(options.Json, [&] { report.WriteJson(options.Json); });
  write(options.Csv, [&] { report.WriteCsv(options.Csv, options.CsvFormat); });
  return written;
}

// Keeps only the cases named, in the suite's order; a name the suite does
// not have is the teacher's mistake.
QStringList TGrader::SelectCases(const QStringList& names) {
  if (names.isEmpty()) return {};
  QStringList known;
  for (const TGradingCase& test : suite_.Cases) known.append(Q(test.Name));
  QStringList mistakes;
  for (const QString& name : names) {
    if (!known.contains(name))
      mistakes.append(Q(Texts::UnknownCase(U8(name), U8(known.join(QStringLiteral(", "))))));
  }
  std::erase_if(suite_.Cases,
                [&names](const TGradingCase& test) { return !names.contains(Q(test.Name)); });
  return mistakes;
}

std::optional<int> TGrader::ReadOptions(const QStringList& arguments, TGradeOptions& options) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  parser.addPositionalArgument(QStringLiteral("SUITE"), QStringLiteral("plik zestawu (.json)"));
  parser.addPositionalArgument(QStringLiteral("SUBMISSION"),
                               QStringLiteral("folder zgłoszenia albo plik programu"),
                               QStringLiteral("[SUBMISSION...]"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Ten opis."));
  const QCommandLineOption junit(QStringLiteral("junit"),
                                 QStringLiteral("Raport JUnit XML do PLIKU."),
                                 QStringLiteral("PLIK"));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Raport JSON do PLIKU."),
                                QStringLiteral("PLIK"));
  const QCommandLineOption jobs(
      QStringLiteral("jobs"),
      QStringLiteral("Najwięcej N procesów naraz (domyślnie liczba rdzeni)."), QStringLiteral("N"));
  const QCommandLineOption csv(
      QStringLiteral("csv"),
      QStringLiteral("Dziennik ocen CSV do PLIKU: zgłoszenie, osoba i id (z nazw folderów "
                     "Moodle i repozytoriów GitHub Classroom), punkty przypadków, suma, "
                     "maksimum."),
      QStringLiteral("PLIK"));
  const QCommandLineOption csvFormat(
      QStringLiteral("csv-format"),
      QStringLiteral("csv (przecinki, kropka dziesiętna; domyślnie) albo excel (średniki, "
                     "znacznik BOM, przecinek dziesiętny)."),
      QStringLiteral("FORMAT"));
  const QCommandLineOption only(
      QStringLiteral("case"),
      QStringLiteral("Tylko przypadek NAZWA (można powtórzyć); kod 0, gdy wszystkie wybrane "
                     "zaliczone."),
      QStringLiteral("NAZWA"));
  const QCommandLineOption format(
      QStringLiteral("format"),
      QStringLiteral("summary (tabela; domyślnie) albo vpl (komentarze i ocena dla VPL w "
                     "Moodle, skalowana do VPL_GRADEMAX; bez zgłoszeń ocenia bieżący folder)."),
      QStringLiteral("FORMAT"));
  const QCommandLineOption publicSuite(
      QStringLiteral("public"),
      QStringLiteral("Zapisuje do folderu -o zestaw dla studentów: przypadki \"public\", limity "
                     "taktów jako liczby, bez wzorca i bez zgłoszeń."));
  const QCommandLineOption output(QStringLiteral("o"),
                                  QStringLiteral("Folder zestawu dla studentów (--public)."),
                                  QStringLiteral("FOLDER"));
  parser.addOptions({help, junit, json, csv, csvFormat, jobs, only, format, publicSuite, output});
  if (!parser.parse(QStringList{QStringLiteral("dorum-cli test")} + arguments))
    return Usage(parser.errorText());
  if (parser.isSet(help)) {
    out_ << HelpText(parser).toStdString();
    return 0;
  }
  QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) return Usage(QStringLiteral("podaj plik zestawu (--help opisuje)"));
  if (parser.isSet(jobs)) {
    bool ok = false;
    options.Jobs = parser.value(jobs).toInt(&ok);
    if (!ok || options.Jobs < 1)
      return Usage(
          QStringLiteral("--jobs wymaga dodatniej liczby, nie \"%1\"").arg(parser.value(jobs)));
  }
  if (parser.isSet(csvFormat)) {
    if (const auto wrong =
            Choose("--csv-format", kCsvFormats, parser.value(csvFormat), options.CsvFormat))
      return Usage(*wrong);
  }
  if (parser.isSet(format)) {
    if (const auto wrong = Choose("--format", kFormats, parser.value(format), options.Vpl))
      return Usage(*wrong);
  }
  if (options.Vpl) {
    if (const auto wrong = ReadGradeMax(options.GradeMax)) return Usage(*wrong);
  }
  options.Suite = positional.takeFirst();
  options.Submissions = positional;
  // VPL runs the evaluation in the student's own folder.
  if (options.Vpl && options.Submissions.isEmpty()) options.Submissions.append(QDir::currentPath());
  options.Cases = parser.values(only);
  if (parser.isSet(publicSuite)) {
    options.PublicFolder = parser.value(output);
    if (options.PublicFolder.isEmpty()) return Usage(Q(Texts::PublicNeedsFolder()));
    if (!options.Submissions.isEmpty()) return Usage(Q(Texts::PublicGradesNoSubmissions()));
  }
  options.Junit = parser.value(junit);
  options.Json = parser.value(json);
  options.Csv = parser.value(csv);
  return std::nullopt;
}

// The teacher's list is loaded once here: broken, it would fail every
// submission for a fault that is not theirs.
void TGrader::CheckList() const {
  if (suite_.List.isEmpty()) return;
  TSession session;
  try {
    session.LoadList(U8(suite_.List));
  } catch (const EDorumError& e) {
    const QString name = QFileInfo(suite_.Path).absoluteDir().relativeFilePath(suite_.List);
    throw EDorumError(U8(QStringLiteral("lista rozkazów %1: %2").arg(name, Q(e.Message()))));
  }
}

bool TGrader::HasConsole() const {
  // The option "wejście/wyjście" of the machine's components.
  constexpr std::size_t kInputOutputOption = 9;
  TSession session;
  if (!suite_.List.isEmpty()) session.LoadList(U8(suite_.List));
  return session.Machine().GetComponents().test(kInputOutputOption);
}

QStringList TGrader::KnownInstructions() const {
  TSession session;
  if (!suite_.List.isEmpty()) session.LoadList(U8(suite_.List));
  QStringList names;
  const auto& list = session.Control().Instructions();
  for (int i = 0; i < list.Count(); ++i) names.append(Q(list.At(i).Name()));
  // A student's instruction is named in its file; the file's name is the
  // name the task gives it.
  for (const QString& file : suite_.Instructions) names.append(QFileInfo(file).completeBaseName());
  return names;
}

QStringList TGrader::CaseMistakes() const {
  QStringList base{QStringLiteral("zgloszenie.prg")};
  if (!suite_.List.isEmpty()) base << RunFlag("list") << suite_.List;
  const QStringList known = KnownInstructions();
  const bool console = HasConsole();
  const QString suite = QFileInfo(suite_.Path).fileName();
  QStringList mistakes = suite_.Mistakes;
  for (const TGradingCase& test : suite_.Cases) {
    const auto mistake = [&](const char* key, const QString& what) {
      mistakes.append(CaseMistake(suite, Q(test.Name), QLatin1String(key), what));
    };
    const QStringList set = Q(test.Set);
    const QStringList expect = Q(test.Expect);
    // Without the device the run would wait for input that never comes, or
    // compare an output nothing can print.
    if (!console) {
      const std::pair<const char*, bool> uses[] = {
          {test.InputFile.empty() ? "input" : "input_file", !test.Input.empty()},
          {"output", test.Output.has_value()},
          {"output_contains", test.OutputContains.has_value()}};
      for (const auto& [key, used] : uses) {
        if (used) mistake(key, Q(Texts::SuiteConsoleWithoutDevice()));
      }
    }
    const auto check = [&](const char* key, const QStringList& options) {
      if (options.isEmpty()) return;
      if (const QString said = CheckRunOptions(base + options); !said.isEmpty()) mistake(key, said);
    };
    if (!set.isEmpty()) check("set", {RunFlag("set"), set.join(u',')});
    if (!expect.isEmpty()) check("expect", {RunFlag("expect"), expect.join(u',')});
    QStringList presses;
    for (const std::string& press : test.Irq) presses << RunFlag("irq") << Q(press);
    check("irq", presses);
    // A value written as an instruction word must name an instruction the
    // task has.
    for (const QString& item : set + expect) {
      const QString instruction = InstructionOfWord(item.section(u'=', 1));
      if (!instruction.isEmpty() && !known.contains(instruction, Qt::CaseInsensitive))
        mistake(set.contains(item) ? "set" : "expect",
                Q(Texts::SuiteWordUnknownInstruction(U8(item), U8(instruction))));
    }
    for (const std::string& name : test.MustExecute) {
      if (!known.contains(Q(name), Qt::CaseInsensitive))
        mistake("must_execute", Q(Texts::SuiteUnknownInstruction(name)));
    }
  }
  return mistakes;
}

// Whether two names differ by at most one letter left out, added or
// changed, letter case aside.
bool OneSlipApart(const QString& a, const QString& b) {
  const QString x = a.toLower();
  const QString y = b.toLower();
  if (std::abs(x.size() - y.size()) > 1) return false;
  qsizetype i = 0;
  while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
  const auto rest = [](const QString& text, qsizetype from) { return text.mid(from); };
  return rest(x, i + 1) == rest(y, i + 1) || rest(x, i) == rest(y, i + 1) ||
         rest(x, i + 1) == rest(y, i);
}

// The name in other letter case, with an extension added ("sortuj.prg.txt"),
// the same name with another extension ("sortuj.txt") or with one slip of
// the keyboard ("sotruj.prg" is two, "sortj.prg" one).
bool IsNearName(const QString& name, const QString& wanted) {
  if (name.compare(wanted, Qt::CaseInsensitive) == 0) return true;
  if (name.startsWith(wanted + u'.', Qt::CaseInsensitive)) return true;
  const QFileInfo found(name);
  const QFileInfo meant(wanted);
  if (found.completeBaseName().compare(meant.completeBaseName(), Qt::CaseInsensitive) == 0)
    return true;
  // A short name is a slip away from too many others to hint at them.
  constexpr qsizetype kShortest = 4;
  return meant.completeBaseName().size() >= kShortest &&
         found.suffix().compare(meant.suffix(), Qt::CaseInsensitive) == 0 &&
         OneSlipApart(found.completeBaseName(), meant.completeBaseName());
}

// Files a student may have meant (IsNearName) beside the one wanted or, for
// a submission that is a folder, in a folder below (a program file shares its folder with the rest
// of the class); at most three, named as the submission's folder sees them.
QStringList NearMisses(const QDir& base, const QString& wanted, bool below,
                       const QStringList& excluded) {
  QStringList found;
  const auto teachers = [&excluded](const QString& path) {
    return std::any_of(excluded.begin(), excluded.end(), [&path](const QString& file) {
      return path == file || path.startsWith(file + u'/');
    });
  };
  QDirIterator it(base.absolutePath(), QDir::Files | QDir::Hidden,
                  below ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
  while (it.hasNext() && found.size() < 3) {
    const QFileInfo entry(it.next());
    const QString name = entry.fileName();
    if (IsNearName(name, wanted) && !teachers(QDir::cleanPath(entry.absoluteFilePath())))
      found.append(base.relativeFilePath(entry.filePath()));
  }
  found.sort();
  return found;
}

// In a class's folder only folders and program files are submissions: a
// gradebook, an archive's leftovers (__MACOSX) or a hidden file is not.
bool IsSubmission(const QFileInfo& entry) {
  if (entry.fileName().startsWith(u'.') || entry.fileName() == u"__MACOSX") return false;
  return entry.isDir() || entry.suffix().compare(QStringLiteral("prg"), Qt::CaseInsensitive) == 0;
}

QStringList TGrader::TeacherFiles(const QDir& submission) const {
  QStringList files{suite_.Path};
  if (!suite_.List.isEmpty()) files.append(suite_.List);
  if (!suite_.Reference.isEmpty()) files.append(suite_.Reference);
  const QDir folder = QFileInfo(suite_.Path).absoluteDir();
  for (const TGradingCase& test : suite_.Cases) {
    if (!test.InputFile.empty()) files.append(folder.absoluteFilePath(Q(test.InputFile)));
  }
  // The suite's folder within the submission's is the teacher's whole: a
  // student's folder holding the suite handed out, say.
  const QString suiteFolder = QDir::cleanPath(folder.absolutePath());
  if (suiteFolder.startsWith(QDir::cleanPath(submission.absolutePath()) + u'/'))
    files.append(suiteFolder);
  for (QString& file : files) file = QDir::cleanPath(file);
  return files;
}

// The class's folder named where its submissions were meant: no program of
// its own, but subfolders that hold one each. Graded as one student, every
// case would be "brak" and the teacher none the wiser.
int ProgramsBelow(const QDir& folder, const QString& program) {
  int found = 0;
  for (const QFileInfo& entry : folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (QFileInfo(QDir(entry.absoluteFilePath()).absoluteFilePath(program)).isFile()) ++found;
  }
  return found;
}

void TGrader::CollectSubmissions(const QStringList& paths) {
  QStringList all = paths;
  // As the teacher wrote it in the suite, never the grading machine's path.
  const QString written =
      QDir(QFileInfo(suite_.Path).absolutePath()).relativeFilePath(suite_.Submissions);
  if (all.isEmpty()) {
    if (suite_.Submissions.isEmpty()) throw EDorumError(Texts::NoSubmissionsNamed());
    const QDir folder(suite_.Submissions);
    if (!folder.exists()) throw EDorumError(Texts::NoSubmissionsFolder(U8(written)));
    for (const QFileInfo& entry : folder.entryInfoList(
             QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
      if (IsSubmission(entry) && QDir::cleanPath(entry.absoluteFilePath()) != suite_.Reference)
        all.append(entry.filePath());
      else
        skipped_.append(entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString()));
    }
    if (all.isEmpty()) throw EDorumError(Texts::SubmissionsFolderEmpty(U8(written)));
  }
  for (const QString& path : all) {
    const QFileInfo info(path);
    // A path the teacher typed that leads nowhere is no student's fault.
    if (!info.exists()) throw EDorumError(Texts::NoSuchSubmission(U8(path)));
    TSubmission submission;
    const bool folder = info.isDir();
    if (folder && !QFileInfo(QDir(path).absoluteFilePath(suite_.Program)).isFile()) {
      if (const int below = ProgramsBelow(QDir(path), suite_.Program); below >= 2)
        throw EDorumError(Texts::ClassFolderAsSubmission(U8(path), below, U8(suite_.Program)));
    }
    submission.Path = QDir::cleanPath(info.absoluteFilePath());
    // The folder's own name, also for "." (a repository graded in place).
    submission.Name = folder ? QFileInfo(submission.Path).fileName() : info.completeBaseName();
    const QDir base = folder ? QDir(info.absoluteFilePath()) : info.absoluteDir();
    submission.Program = folder ? base.absoluteFilePath(suite_.Program) : info.absoluteFilePath();
    QStringList needed{submission.Program};
    for (const QString& instruction : suite_.Instructions) {
      submission.Instructions.append(base.absoluteFilePath(instruction));
      needed.append(submission.Instructions.back());
    }
    for (const QString& file : needed) {
      if (QFileInfo(file).isFile() || !submission.Missing.isEmpty()) continue;
      const QString wanted = QDir(base).relativeFilePath(file);
      const QStringList near =
          NearMisses(base, QFileInfo(file).fileName(), folder, TeacherFiles(base));
      submission.Missing = Q(
          near.isEmpty() ? Texts::MissingFile(U8(wanted))
                         : Texts::MissingFileNear(U8(wanted), U8(near.join(QStringLiteral(", ")))));
    }
    submissions_.push_back(submission);
  }
}

QStringList TGrader::ChildArguments(const TSubmission& submission, const TGradingCase& test) const {
  QStringList args{QStringLiteral("run"), submission.Program, RunFlag("json")};
  if (!suite_.List.isEmpty()) args << RunFlag("list") << suite_.List;
  for (const QString& instruction : submission.Instructions)
    args << RunFlag("instruction") << instruction;
  if (!test.Set.empty()) args << RunFlag("set") << Q(test.Set).join(u',');
  if (!test.Input.empty()) args << RunFlag("input") + u'=' + Q(test.Input);
  for (const std::string& press : test.Irq) args << RunFlag("irq") << Q(press);
  if (!test.Expect.empty()) args << RunFlag("expect") << Q(test.Expect).join(u',');
  if (test.MaxCycles) args << RunFlag("max-cycles") << QString::number(*test.MaxCycles);
  if (!test.MustExecute.empty()) args << RunFlag("must-execute") << Q(test.MustExecute).join(u',');
  if (test.HideExpected) args << RunFlag("hide-expected");
  // The run stops itself at the timeout and says where it stood; the
  // clock here only ends a process that could not.
  args << RunFlag("time-limit") << QString::number(suite_.TimeoutSeconds);
  return args;
}

int TGrader::WritePublic(const QString& folder) {
  try {
    const QString written = WritePublicSuite(suite_, folder);
    out_ << Texts::PublicSuiteWritten(U8(written),
                                      static_cast<int>(std::count_if(
                                          suite_.Cases.begin(), suite_.Cases.end(),
                                          [](const TGradingCase& test) { return test.Public; })))
         << '\n';
    return 0;
  } catch (const EDorumError& e) {
    return Usage(Q(e.Message()));
  }
}

QString TGrader::CheckReference(int jobs) {
  if (suite_.Reference.isEmpty()) return {};
  std::vector<TSubmission> students = std::move(submissions_);
  submissions_.clear();
  CollectSubmissions({suite_.Reference});
  if (!submissions_.front().Missing.isEmpty()) return submissions_.front().Missing;
  RunAll(jobs);
  submissions_ = std::move(students);
  for (std::size_t c = 0; c < suite_.Cases.size(); ++c) {
    const TCaseResult& result = results_[c];
    TGradingCase& test = suite_.Cases[c];
    if (result.Outcome != TOutcome::Passed)
      return Q(Texts::ReferenceFails(test.Name, U8(result.Message)));
    if (test.ReferenceFactor)
      test.MaxCycles = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(result.Cycles)) *
                       *test.ReferenceFactor;
  }
  results_.clear();
  return {};
}

void TGrader::RunAll(int jobs) {
  const std::size_t caseCount = suite_.Cases.size();
  results_.assign(submissions_.size() * caseCount, {});
  std::vector<std::size_t> pending;
  for (std::size_t s = 0; s < submissions_.size(); ++s) {
    for (std::size_t c = 0; c < caseCount; ++c) {
      if (submissions_[s].Missing.isEmpty())
        pending.push_back(s * caseCount + c);
      else
        results_[s * caseCount + c] = Ended(TOutcome::Missing, submissions_[s].Missing);
    }
  }
  // The run stops itself at the timeout and says where it stood; the clock
  // here only ends a case that could not.
  constexpr std::chrono::milliseconds kGrace{5000};
  TCaseRunPlan plan;
  plan.Count = pending.size();
  plan.Jobs = jobs;
  plan.Timeout =
      std::chrono::milliseconds(static_cast<std::int64_t>(suite_.TimeoutSeconds * 1000)) + kGrace;
  plan.Arguments = [&](std::size_t i) {
    const std::size_t job = pending[i];
    // "run" itself, and what follows it, is what the runner starts.
    return ChildArguments(submissions_[job / caseCount], suite_.Cases[job % caseCount]).mid(1);
  };
  plan.Done = [&](std::size_t i, const TCaseRunEnd& end) {
    const std::size_t job = pending[i];
    TCaseResult result = WithRelativePaths(Finish(end, suite_.Cases[job % caseCount]),
                                           submissions_[job / caseCount]);
    result.Seconds = end.Seconds;
    results_[job] = std::move(result);
  };
  RunCases(plan, ChosenCaseRunner());
}

TCaseResult TGrader::WithRelativePaths(TCaseResult result, const TSubmission& submission) const {
  const QFileInfo path(submission.Path);
  // The submission's folder first: it may lie within the suite's.
  for (const QString& folder : {path.isDir() ? path.absoluteFilePath() : path.absolutePath(),
                                QFileInfo(suite_.Path).absolutePath()}) {
    result.Message.replace(QDir::cleanPath(folder) + u'/', QString());
  }
  return result;
}

TCaseResult TGrader::Finish(const TCaseRunEnd& end, const TGradingCase& test) const {
  if (!end.StartError.isEmpty()) return Ended(TOutcome::Crash, end.StartError);
  if (end.TimedOut)
    return Ended(TOutcome::Timeout,
                 Q(Texts::TimeLimitExceeded(U8(QString::number(suite_.TimeoutSeconds)))));
  if (end.Crashed) return Ended(TOutcome::Crash, Q(Texts::RunCrashed()));
  QJsonParseError error{};
  const QJsonDocument report = QJsonDocument::fromJson(end.Out, &error);
  if (error.error != QJsonParseError::NoError || !report.isObject()) {
    const QString said = ErrorGist(end.Err);
    return Ended(TOutcome::Error, said.isEmpty() ? Q(Texts::RunGaveNoReport(end.ExitCode)) : said);
  }
  TCaseResult result = Interpret(report.object(), test, test.HideExpected);
  // Judged on the whole; kept in part, or a class of endless printers
  // would fill the grading's memory with what they printed.
  constexpr qsizetype kKeptOutput = 64 * 1024;
  if (result.Output.size() > kKeptOutput) {
    result.Output.truncate(kKeptOutput);
    result.Output += u'…';
  }
  return result;
}

}  // namespace

int TestSuiteCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  TGrader grader(out, err);
  return grader.Execute(arguments);
}

}  // namespace dorum::cli
