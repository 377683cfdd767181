#include "TestCommand.h"
#include "RunOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "CoreText.h"
#include "RunCommand.h"
#include "TestReport.h"
#include "TestSuite.h"
#include "common/Error.h"
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

// The checks that did not hold, and the failures as a person reads them.
QStringList FailedChecks(const QJsonObject& report, bool hideExpected, TCaseResult& result) {
  QStringList failures;
  for (const QJsonValue value : report.value(QStringLiteral("expectations")).toArray()) {
    const QJsonObject check = value.toObject();
    if (check.value(QStringLiteral("held")).toBool()) continue;
    const QString name = check.value(QStringLiteral("name")).toString();
    // No value at all is a missing label, said as the run says it, not 0.
    const QJsonValue actual = check.value(QStringLiteral("actual"));
    TFailedCheck failed{name, check.value(QStringLiteral("expected")).toInteger(), std::nullopt};
    if (actual.isDouble()) failed.Actual = actual.toInteger();
    result.Checks.push_back(failed);
    // The run's own words for the value, signed where that helps.
    const QString got = check.value(QStringLiteral("shown")).toString();
    failures.append(
        hideExpected
            ? QStringLiteral("%1: wrong value %2").arg(name, got)
            : QStringLiteral("expected %1=%2, got %3")
                  .arg(name, check.value(QStringLiteral("expected_text")).toString(), got));
  }
  return failures;
}

// The console output against what the case asks of it.
void CheckOutput(const TTestCase& test, const QString& output, bool hideExpected,
                 QStringList& failures) {
  const auto quoted = [](const QString& text) { return u'"' + text + u'"'; };
  if (test.Output && output != *test.Output) {
    failures.append(hideExpected ? QStringLiteral("output: wrong, got %1").arg(quoted(output))
                                 : QStringLiteral("output: expected %1, got %2")
                                       .arg(quoted(*test.Output), quoted(output)));
  }
  if (test.OutputContains && !output.contains(*test.OutputContains)) {
    failures.append(
        hideExpected
            ? QStringLiteral("output: a required piece is missing")
            : QStringLiteral("output: does not contain %1").arg(quoted(*test.OutputContains)));
  }
}

// What one child's report says of its case.
TCaseResult Interpret(const QJsonObject& report, const TTestCase& test, bool hideExpected) {
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
  static const QHash<QString, TOutcome> kEnded{{QStringLiteral("limit"), TOutcome::Limit},
                                               {QStringLiteral("input"), TOutcome::Input},
                                               {QStringLiteral("timeout"), TOutcome::Timeout},
                                               {QStringLiteral("usage"), TOutcome::Suite}};
  QStringList failures;
  if (status != test.Status) {
    // A run that was to end otherwise and stopped is a wrong answer.
    if (status != u"stopped") {
      result.Outcome = kEnded.value(status, TOutcome::Error);
      result.Message = message;
      return result;
    }
    failures.append(QStringLiteral("status: expected %1, got stopped").arg(test.Status));
  }
  failures += FailedChecks(report, hideExpected, result);
  for (const QJsonValue value : report.value(QStringLiteral("must_execute")).toArray()) {
    const QJsonObject must = value.toObject();
    if (!must.value(QStringLiteral("held")).toBool())
      failures.append(must.value(QStringLiteral("name")).toString() +
                      QStringLiteral(": not executed"));
  }
  CheckOutput(test, result.Output, hideExpected, failures);
  // Only labels the program lacks: the student named them otherwise.
  const bool onlyLabels = failures.size() == static_cast<qsizetype>(result.Checks.size()) &&
                          std::all_of(result.Checks.begin(), result.Checks.end(),
                                      [](const TFailedCheck& c) { return !c.Actual; });
  result.Outcome = failures.isEmpty() ? TOutcome::Passed
                   : onlyLabels       ? TOutcome::NoLabel
                                      : TOutcome::Wrong;
  result.Message = failures.join(QStringLiteral("; "));
  if (result.Outcome == TOutcome::Passed) result.Points = test.Points;
  return result;
}

QString FirstLines(const QByteArray& text) {
  QStringList lines = QString::fromUtf8(text).trimmed().split(u'\n');
  while (lines.size() > 3) lines.removeLast();
  return lines.join(QStringLiteral(" / "));
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
  void CheckList() const;
  // Each case's values as its runs would read them, against the teacher's
  // configuration: a mistake there would fail every student alike.
  [[nodiscard]] QStringList CaseMistakes() const;
  [[nodiscard]] QStringList KnownInstructions() const;
  void CollectSubmissions(const QStringList& paths);
  [[nodiscard]] QStringList ChildArguments(const TSubmission& submission,
                                           const TTestCase& test) const;
  void RunAll(int jobs);
  // Runs the reference through every case first; why it fails, if it does.
  // Its cycles set the limits written as "reference*N".
  [[nodiscard]] QString CheckReference(int jobs);
  void Start(std::size_t job, QObject& owner, const std::function<void()>& done);
  TCaseResult Finish(QProcess& process, bool timedOut, const TTestCase& test) const;

  std::ostream& out_;
  std::ostream& err_;
  TTestSuite suite_;
  QStringList skipped_;  // entries of the class's folder that are no submissions
  std::vector<TSubmission> submissions_;
  std::vector<TCaseResult> results_;  // submission by submission, case by case
};

int TGrader::Execute(const QStringList& arguments) {
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
      QStringLiteral("Dziennik ocen CSV do PLIKU (punkty przypadków, suma, maksimum)."),
      QStringLiteral("PLIK"));
  parser.addOptions({help, junit, json, csv, jobs});
  if (!parser.parse(QStringList{QStringLiteral("dorum-cli test")} + arguments))
    return Usage(parser.errorText());
  if (parser.isSet(help)) {
    out_ << parser.helpText()
                .replace(QStringLiteral("<executable_name>"), QStringLiteral("dorum-cli test"))
                .toStdString();
    return 0;
  }
  QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) return Usage(QStringLiteral("podaj plik zestawu (--help opisuje)"));
  int jobCount = std::max(1, QThread::idealThreadCount());
  if (parser.isSet(jobs)) {
    bool ok = false;
    jobCount = parser.value(jobs).toInt(&ok);
    if (!ok || jobCount < 1)
      return Usage(
          QStringLiteral("--jobs wymaga dodatniej liczby, nie \"%1\"").arg(parser.value(jobs)));
  }
  const QString suitePath = positional.takeFirst();
  try {
    suite_ = LoadTestSuite(suitePath);
    CheckList();
    CollectSubmissions(positional);
  } catch (const EDorumError& e) {
    return Usage(suitePath + QStringLiteral(": ") + Q(e.Message()));
  }
  if (const QStringList mistakes = CaseMistakes(); !mistakes.isEmpty()) {
    for (const QString& mistake : mistakes) Usage(mistake);
    return 2;
  }
  try {
    if (const QString failed = CheckReference(jobCount); !failed.isEmpty())
      return Usage(suitePath + QStringLiteral(": ") + failed);
  } catch (const EDorumError& e) {
    return Usage(suitePath + QStringLiteral(": reference: ") + Q(e.Message()));
  }
  QElapsedTimer clock;
  clock.start();
  RunAll(jobCount);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  // From here on every text may carry what a student wrote.
  for (TSubmission& submission : submissions_) submission.Name = Readable(submission.Name);
  for (TCaseResult& result : results_) {
    result.Message = Readable(result.Message);
    result.Output = Readable(result.Output, true);
    for (auto it = result.Place.begin(); it != result.Place.end(); ++it) {
      if (it.value().isString()) it.value() = Readable(it.value().toString());
    }
  }
  const TGradeReport report{suite_, submissions_, results_, seconds};
  report.PrintSummary(out_);
  if (!skipped_.isEmpty())
    out_ << "\nPominięte (to nie zgłoszenia): "
         << Readable(skipped_.join(QStringLiteral(", "))).toStdString() << '\n';
  // Each report on its own: one the system refuses leaves the others.
  bool written = true;
  const auto write = [&](const QCommandLineOption& option, auto writeReport) {
    if (!parser.isSet(option)) return;
    try {
      (report.*writeReport)(parser.value(option));
    } catch (const EDorumError& e) {
      Usage(Q(e.Message()));
      written = false;
    }
  };
  write(junit, &TGradeReport::WriteJunit);
  write(json, &TGradeReport::WriteJson);
  write(csv, &TGradeReport::WriteCsv);
  if (!written) return 2;
  return report.AllPassed() ? 0 : 5;
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
  const QString suite = QFileInfo(suite_.Path).fileName();
  QStringList mistakes;
  for (const TTestCase& test : suite_.Cases) {
    const auto mistake = [&](const char* key, const QString& what) {
      mistakes.append(
          QStringLiteral("%1:case %2:%3: %4").arg(suite, test.Name, QLatin1String(key), what));
    };
    const auto check = [&](const char* key, const QStringList& options) {
      if (options.isEmpty()) return;
      if (const QString said = CheckRunOptions(base + options); !said.isEmpty()) mistake(key, said);
    };
    if (!test.Set.isEmpty()) check("set", {RunFlag("set"), test.Set.join(u',')});
    if (!test.Expect.isEmpty()) check("expect", {RunFlag("expect"), test.Expect.join(u',')});
    QStringList presses;
    for (const QString& press : test.Irq) presses << RunFlag("irq") << press;
    check("irq", presses);
    // A value written as an instruction word must name an instruction the
    // task has.
    for (const QString& item : test.Set + test.Expect) {
      const QString instruction = InstructionOfWord(item.section(u'=', 1));
      if (!instruction.isEmpty() && !known.contains(instruction, Qt::CaseInsensitive))
        mistake(test.Set.contains(item) ? "set" : "expect",
                QStringLiteral("%1: nie ma rozkazu %2 na liście ani wśród plików rozkazów zestawu")
                    .arg(item, instruction));
    }
    for (const QString& name : test.MustExecute) {
      if (!known.contains(name, Qt::CaseInsensitive))
        mistake("must_execute",
                QStringLiteral("nie ma rozkazu %1 na liście ani wśród plików rozkazów zestawu")
                    .arg(name));
    }
  }
  return mistakes;
}

// Files a student may have meant: the name in other letter case, with an
// extension added ("sortuj.prg.txt"), or, for a submission that is a
// folder, in a folder below (a program file shares its folder with the rest
// of the class); at most three, named as the submission's folder sees them.
QStringList NearMisses(const QDir& base, const QString& wanted, bool below) {
  QStringList found;
  QDirIterator it(base.absolutePath(), QDir::Files | QDir::Hidden,
                  below ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
  while (it.hasNext() && found.size() < 3) {
    const QFileInfo entry(it.next());
    const QString name = entry.fileName();
    const bool sameName = name.compare(wanted, Qt::CaseInsensitive) == 0;
    const bool extended = name.startsWith(wanted + u'.', Qt::CaseInsensitive);
    if (sameName || extended) found.append(base.relativeFilePath(entry.filePath()));
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

void TGrader::CollectSubmissions(const QStringList& paths) {
  QStringList all = paths;
  if (all.isEmpty()) {
    if (suite_.Submissions.isEmpty())
      throw EDorumError(
          U8(QStringLiteral("podaj zgłoszenia albo folder \"submissions\" w zestawie")));
    const QDir folder(suite_.Submissions);
    if (!folder.exists())
      throw EDorumError(
          U8(QStringLiteral("submissions: nie ma folderu %1").arg(suite_.Submissions)));
    for (const QFileInfo& entry : folder.entryInfoList(
             QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
      if (IsSubmission(entry))
        all.append(entry.filePath());
      else
        skipped_.append(entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString()));
    }
    if (all.isEmpty())
      throw EDorumError(
          U8(QStringLiteral("submissions: folder %1 jest pusty").arg(suite_.Submissions)));
  }
  for (const QString& path : all) {
    const QFileInfo info(path);
    // A path the teacher typed that leads nowhere is no student's fault.
    if (!info.exists())
      throw EDorumError(
          U8(QStringLiteral("zgłoszenie %1: nie ma takiego pliku ani folderu").arg(path)));
    TSubmission submission;
    const bool folder = info.isDir();
    submission.Name = folder ? QDir(path).dirName() : info.completeBaseName();
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
      submission.Missing = QStringLiteral("Brak pliku %1").arg(wanted);
      if (const QStringList near = NearMisses(base, QFileInfo(file).fileName(), folder);
          !near.isEmpty())
        submission.Missing += QStringLiteral(" (jest: %1)").arg(near.join(QStringLiteral(", ")));
    }
    submissions_.push_back(submission);
  }
}

QStringList TGrader::ChildArguments(const TSubmission& submission, const TTestCase& test) const {
  QStringList args{QStringLiteral("run"), submission.Program, RunFlag("json")};
  if (!suite_.List.isEmpty()) args << RunFlag("list") << suite_.List;
  for (const QString& instruction : submission.Instructions)
    args << RunFlag("instruction") << instruction;
  if (!test.Set.isEmpty()) args << RunFlag("set") << test.Set.join(u',');
  if (!test.Input.isEmpty()) args << RunFlag("input") + u'=' + test.Input;
  for (const QString& press : test.Irq) args << RunFlag("irq") << press;
  if (!test.Expect.isEmpty()) args << RunFlag("expect") << test.Expect.join(u',');
  if (test.MaxCycles) args << RunFlag("max-cycles") << QString::number(*test.MaxCycles);
  if (!test.MustExecute.isEmpty()) args << RunFlag("must-execute") << test.MustExecute.join(u',');
  if (suite_.HideExpected) args << RunFlag("hide-expected");
  // The run stops itself at the timeout and says where it stood; the
  // clock here only ends a process that could not.
  args << RunFlag("time-limit") << QString::number(suite_.TimeoutSeconds);
  return args;
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
    TTestCase& test = suite_.Cases[c];
    if (result.Outcome != TOutcome::Passed)
      return QStringLiteral("the reference fails case %1: %2").arg(test.Name, result.Message);
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
  QEventLoop loop;
  QObject owner;  // of the children's process objects, finished or not
  std::size_t next = 0;
  int running = 0;
  std::function<void()> startMore = [&] {
    while (running < jobs && next < pending.size()) {
      ++running;
      Start(pending[next++], owner, [&] {
        --running;
        startMore();
      });
    }
    if (running == 0) loop.quit();
  };
  startMore();
  if (running > 0) loop.exec();
}

// Starts one child; `done` runs once it has been dealt with, however it ended.
void TGrader::Start(std::size_t job, QObject& owner, const std::function<void()>& done) {
  const std::size_t caseCount = suite_.Cases.size();
  auto* process = new QProcess(&owner);
  auto clock = std::make_shared<QElapsedTimer>();
  auto timedOut = std::make_shared<bool>(false);
  const auto record = [this, job, process, clock, done](TCaseResult result) {
    result.Seconds = static_cast<double>(clock->elapsed()) / 1000.0;
    results_[job] = std::move(result);
    process->deleteLater();
    done();
  };
  QObject::connect(process, &QProcess::finished, process,
                   [this, process, timedOut, record, job, caseCount](int, QProcess::ExitStatus) {
                     record(Finish(*process, *timedOut, suite_.Cases[job % caseCount]));
                   });
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [process, record](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     record(Ended(TOutcome::Crash, process->errorString()));
                   });
  constexpr int kGraceMilliseconds = 5000;
  const auto timeout = static_cast<int>(suite_.TimeoutSeconds * 1000) + kGraceMilliseconds;
  QTimer::singleShot(timeout, process, [process, timedOut] {
    *timedOut = true;
    process->kill();
  });
  process->setStandardInputFile(QProcess::nullDevice());
  clock->start();
  process->start(QCoreApplication::applicationFilePath(),
                 ChildArguments(submissions_[job / caseCount], suite_.Cases[job % caseCount]));
}

TCaseResult TGrader::Finish(QProcess& process, bool timedOut, const TTestCase& test) const {
  if (timedOut)
    return Ended(TOutcome::Timeout,
                 QStringLiteral("Przekroczono czas %1 s, przerwano").arg(suite_.TimeoutSeconds));
  if (process.exitStatus() == QProcess::CrashExit)
    return Ended(TOutcome::Crash, QStringLiteral("Proces zakończył się awarią"));
  const QByteArray output = process.readAllStandardOutput();
  QJsonParseError error{};
  const QJsonDocument report = QJsonDocument::fromJson(output, &error);
  if (error.error != QJsonParseError::NoError || !report.isObject()) {
    const QString said = FirstLines(process.readAllStandardError());
    return Ended(
        TOutcome::Error,
        said.isEmpty() ? QStringLiteral("Brak wyniku (kod %1)").arg(process.exitCode()) : said);
  }
  return Interpret(report.object(), test, suite_.HideExpected);
}

}  // namespace

int TestSuiteCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  TGrader grader(out, err);
  return grader.Execute(arguments);
}

}  // namespace dorum::cli
