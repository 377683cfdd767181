#include "RunCommand.h"

#include <chrono>
#include <map>
#include <memory>
#include <sstream>
#include <utility>

#include "CoreText.h"
#include "Diagnostics.h"
#include "OutputFile.h"
#include "RunGrading.h"
#include "RunOptions.h"
#include "RunTrace.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

#include "app/GradingChecks.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "control/StopConditions.h"
#include "control/Vcd.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"
#include "session/Session.h"

namespace dorum::cli {

namespace {

constexpr std::uint64_t kDefaultMaxCycles = 100'000'000;

const char* const kDescription =
    "Asembluje PROGRAM (.prg, strona kodowa 1250) na maszynie domyślnej albo na\n"
    "maszynie z pliku listy rozkazów i wykonuje go jak polecenie \"Program\" przy\n"
    "najniższym poziomie śledzenia. Znaki wysyłane przez program do portu wyjścia\n"
    "trafiają od razu na standardowe wyjście (w UTF-8).\n"
    "\n"
    "Kod wyjścia (gdy zachodzi kilka przypadków, liczy się pierwszy z listy):\n"
    "  2  błąd nauczyciela: błędne opcje albo sprawdzenia, nieczytelny plik listy\n"
    "     rozkazów lub wejścia, sprawdzenie rejestru, którego maszyna nie ma\n"
    "  1  błąd ucznia: brak lub błąd pliku programu, błąd pliku listy rozkazów,\n"
    "     błąd asemblacji, takt odrzucony przez maszynę\n"
    "  6  zaszedł warunek --stop-when: wykonanie zatrzymano po takcie, w którym\n"
    "     zaszedł (przed 3, bo zatrzymuje wykonanie, zanim minie limit taktów)\n"
    "  3  wykonano --max-cycles taktów zegara, a program się nie zakończył\n"
    "  4  program czeka na znak z wejścia, a dane wejściowe się skończyły\n"
    "  5  program zakończył się rozkazem stopu, ale któreś ze sprawdzeń --expect\n"
    "     nie zachodzi (także gdy program nie ma sprawdzanej etykiety)\n"
    "  0  program zakończył się rozkazem stopu i wszystkie sprawdzenia zachodzą\n"
    "\n"
    "Błąd z miejscem w pliku ma postać PLIK:WIERSZ:KOLUMNA: KOMUNIKAT (uwagi),\n"
    "gdzie wiersz i kolumna wskazują początek słowa, którego błąd dotyczy;\n"
    "błąd pliku listy rozkazów wskazuje wiersz tego pliku i sekcję rozkazu,\n"
    "takt odrzucony przez maszynę - rozkaz, jego takt, wiersz programu i numer\n"
    "taktu zegara.\n"
    "\n"
    "Takty zegara liczone są wszystkie, z ostatnim taktem rozkazu stopu;\n"
    "--max-cycles N pozwala wykonać dokładnie N taktów.\n"
    "\n"
    "Sprawdzenia --expect (po przecinku, po zakończeniu wykonania):\n"
    "  NAZWA=WARTOŚĆ, gdzie NAZWA to rejestr (np. AK, L), mem[ADRES] albo etykieta\n"
    "  programu (wtedy słowo pamięci pod jej adresem). Nazwa zapisana dokładnie\n"
    "  jak nazwa rejestru (A, AK) oznacza rejestr, każda inna etykietę (a).\n"
    "  Wartości porównuje się w szerokości rejestru lub słowa, więc AK=-1\n"
    "  i AK=255 znaczą to samo przy 8 bitach. Wartość może być też słowem\n"
    "  rozkazu (\"POB 4\", \"DOD y\"): kod rozkazu nad polem adresowym, a w nim\n"
    "  argument (liczba albo etykieta). Każde niespełnione sprawdzenie\n"
    "  wypisuje na standardowe wyjście błędów: oczekiwano NAZWA=WARTOŚĆ, jest\n"
    "  RZECZYWISTA.\n"
    "\n"
    "Warunki zatrzymania --stop-when WARUNEK (opcję można powtarzać) sprawdza\n"
    "się na końcu każdego taktu; pierwszy, który zachodzi, kończy wykonanie po\n"
    "tym takcie z kodem 6 i komunikatem \"Warunek zatrzymania: WARUNEK\":\n"
    "  NAZWA=W, NAZWA!=W, NAZWA<W, NAZWA<=W, NAZWA>W, NAZWA>=W - nazwy i wartości\n"
    "  jak w --expect; porównuje się w szerokości rejestru lub słowa bez znaku,\n"
    "  a gdy W jest ujemne - ze znakiem; ze znakiem także NAZWA<0 i NAZWA>=0\n"
    "  (AK<0: najstarszy bit AK jest ustawiony); W musi się mieścić w tej\n"
    "  szerokości. Błędny warunek to błąd nauczyciela (kod 2).\n"
    "  changed(NAZWA) - wartość różni się od tej z końca poprzedniego taktu\n"
    "  (w pierwszym takcie - od tej sprzed wykonania).\n"
    "  signal(NAZWA) - sygnał był aktywny w tym takcie.\n"
    "Warunek zachodzący w takcie rozkazu stopu nie zmienia wyniku: program\n"
    "się zakończył.\n"
    "\n"
    "Z --json wypisywany jest jeden obiekt JSON, także przy błędzie: status\n"
    "(stopped, error, limit, input, condition, usage), message, cycles, instructions,\n"
    "output, registers (wartość każdego widocznego rejestru), expectations\n"
    "(z --expect: name, expected, actual - null, gdy etykiety brak - shown\n"
    "- wartość, jak podaje ją komunikat - i held), memory (z --dump-memory:\n"
    "wszystkie słowa pamięci) oraz przy błędzie to, co o nim wiadomo: stage\n"
    "(list, assembly, run), diagnostic (wiersz błędu jak bez --json), file,\n"
    "line, column, word, instruction, step, program_line i cycle.\n"
    "\n"
    "Z --trace PLIK każdy takt zegara zapisuje jeden wiersz JSON (JSON Lines)\n"
    "w miarę wykonywania: cycle (numer taktu), L (przed taktem), instruction\n"
    "i step (nazwa rozkazu i numer jego taktu; pobranie rozkazu to takt 0\n"
    "rozkazu pobranego), signals (aktywne sygnały w kolejności tabeli),\n"
    "registers (rejestry, które się zmieniły, z nowymi wartościami), memory\n"
    "(zapisane słowa pamięci), output (wysłane znaki) i error (komunikat,\n"
    "gdy takt skończył się błędem). --trace - pisze ślad na standardowe\n"
    "wyjście zamiast znaków wysyłanych przez program.\n"
    "\n"
    "Z --vcd PLIK przebiegi czasowe trafiają w miarę wykonywania do pliku VCD\n"
    "(Value Change Dump, IEEE 1364; czyta go np. GTKWave): czas k to takt\n"
    "zegara k, czas 0 to stan przed pierwszym taktem. W zakresie sygnaly jest\n"
    "po jednej zmiennej 1-bitowej na sygnał konfiguracji (nazwa sygnału, as\n"
    "dla as (sa)), równej 1 dokładnie w taktach, w których jest aktywny;\n"
    "w zakresie rejestry po jednej na widoczny rejestr (jego nazwa i szerokość)\n"
    "z wartością po takcie; w zakresie magistrale po jednej na magistralę\n"
    "(mag_S, mag_A, mag_AS) z wartością wystawioną w takcie albo x, gdy nic\n"
    "jej nie wystawiało. Po stanie w czasie 0 zapisywane są tylko zmiany;\n"
    "ostatni znacznik czasu (takty + 1) zamyka ostatni takt. --vcd - pisze na\n"
    "standardowe wyjście zamiast znaków wysyłanych przez program.\n"
    "\n"
    "Do oceniania:\n"
    "  --set NAZWA=WARTOŚĆ[,...] wpisuje wartości (nazwy i wartości jak w --expect)\n"
    "  po asemblacji, a przed wykonaniem: dane testowe zamiast danych programu.\n"
    "  --instruction PLIK.rzk kompiluje rozkaz do listy przed asemblacją.\n"
    "  --must-execute NAZWA[,...] wymaga, by każdy z tych rozkazów wykonał się\n"
    "  choć raz; inaczej to niespełnione sprawdzenie (kod 5).\n"
    "  --hide-expected wypisuje niespełnione sprawdzenie bez oczekiwanej wartości:\n"
    "  NAZWA: zła wartość RZECZYWISTA.\n"
    "  Z --json dochodzą executed (nazwa rozkazu: ile razy został pobrany)\n"
    "  i must_execute (name, executed, held).";

using TCheck = TGradingCheck;

// Writes each character the program outputs as soon as it is written.
class TOutputEcho final : public IConsoleObserver {
 public:
  TOutputEcho(std::ostream& out, bool echo) : out_(out), echo_(echo) {}
  void OutputAppended(char32_t c) override {
    if (!echo_) return;
    out_ << CharText(c);
    out_.flush();
  }

 private:
  std::ostream& out_;
  bool echo_;
};

QString StatusName(TRunStatus status) {
  switch (status) {
    case TRunStatus::Stopped:
      return QStringLiteral("stopped");
    case TRunStatus::Limit:
      return QStringLiteral("limit");
    case TRunStatus::Input:
      return QStringLiteral("input");
    case TRunStatus::Usage:
      return QStringLiteral("usage");
    case TRunStatus::Condition:
      return QStringLiteral("condition");
    default:
      return QStringLiteral("error");
  }
}

std::optional<std::uint64_t> ParseCycles(const QString& text) {
  bool ok = false;
  const qulonglong value = text.toULongLong(&ok);
  if (!ok || value == 0) return std::nullopt;
  return value;
}

class TRun {
 public:
  TRun(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  int Execute(const QStringList& arguments);
  // The options alone, against the configuration of their list: what
  // would make a run end with status 2 before the program is read; empty
  // when nothing would.
  QString CheckOptions(const QStringList& arguments);

 private:
  // What the options ask for; nullopt from ReadOptions when they are bad.
  struct TOptions {
    std::uint64_t Limit = kDefaultMaxCycles;
    QString ProgramPath;
    QString ListPath;
    QString Checks;
    QString Input;
    QString TracePath;
    bool Trace = false;
    QStringList StopWhen;
    QString VcdPath;
    bool Vcd = false;
    // Grading: test data, instruction files and instructions that must run.
    QString Settings;
    QStringList InstructionFiles;
    QStringList MustExecute;
    bool HideExpected = false;
    std::optional<std::chrono::milliseconds> TimeLimit;
  };

  int Usage(const QString& message) {
    message_ = message;
    return Report(TRunStatus::Usage);
  }
  // `message` is the error's own text, position and all, as tools knew it.
  int Fail(const TDiagnostic& diagnostic, const QString& message) {
    diagnostic_ = diagnostic;
    message_ = message;
    return Report(TRunStatus::Error);
  }
  std::optional<TOptions> ReadOptions(const QStringList& arguments, int& status);
  bool ReadInterruptPresses(const QStringList& values);
  // Each gives the exit status when the run cannot go on, none otherwise.
  std::optional<int> Prepare(const TOptions& options, QStringList& programText);
  std::optional<int> LoadAndAssemble(const TOptions& options, const QStringList& programText);
  // The checks, the settings and the interrupt presses against the
  // configuration in force.
  std::optional<int> ReadConfiguredOptions(const TOptions& options);
  TRunStatus RunProgram(std::uint64_t limit, std::optional<std::chrono::milliseconds> timeLimit);
  // The status of a run the control unit ended.
  TRunStatus StatusOfEnd(TSliceEnd end);
  // What says that a write of the trace or dump file failed, or nothing.
  [[nodiscard]] QString UnwrittenFile(const TOptions& options);
  int Report(TRunStatus status);
  static void ReadGradingOptions(const QCommandLineParser& parser, TOptions& options);
  std::optional<int> CompileInstructionFiles(const QStringList& paths);
  std::optional<int> ApplySettings();
  void StartCounting(const TOptions& options);
  [[nodiscard]] bool GradingHeld();
  void ReportGrading(QJsonObject& result) const;
  void PrintJson(TRunStatus status);
  void PrintChecks() const;

  std::ostream& out_;
  std::ostream& err_;
  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TWatchList& watches_ = session_.Watches();
  TProgramDocument document_;
  bool json_ = false;
  bool dumpMemory_ = false;
  bool ran_ = false;
  bool timedOut_ = false;  // the time limit, not the cycle limit, ended the run
  QString message_;
  QString programPath_;
  TDiagnostic diagnostic_;
  // A program that could not be read, told once the teacher's checks are
  // known to be sound.
  std::optional<std::pair<TDiagnostic, QString>> programError_;
  TOutputFile traceFile_;
  TOutputFile vcdFile_;
  std::vector<TCheck> checks_;
  std::vector<TCheck> settings_;
  std::map<std::string, std::string> instructionFiles_;  // instruction name -> its file
  std::vector<TCheckResult> results_;
  std::vector<TInterruptPress> presses_;
  bool hideExpected_ = false;
  // The count, made after the dump, wraps it and so must go first.
  std::unique_ptr<TVcdRecorder> dump_;
  std::unique_ptr<TExecutionCount> counter_;
  std::vector<TMustExecute> mustExecute_;
};

bool TRun::ReadInterruptPresses(const QStringList& values) {
  try {
    presses_ = ParseInterruptPresses(U8(values));
  } catch (const EDorumError& e) {
    message_ = Q(e.Message());
    return false;
  }
  return true;
}

std::optional<TRun::TOptions> TRun::ReadOptions(const QStringList& arguments, int& status) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  parser.addPositionalArgument(QStringLiteral("PROGRAM"), QStringLiteral("plik programu (.prg)"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Ten opis."));
  parser.addOption(help);
  for (const TRunOption& option : RunOptions()) {
    const auto text = [](std::string_view utf8) {
      return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    };
    parser.addOption(QCommandLineOption(text(option.Name), text(option.Help), text(option.Value)));
  }

  // Asked for JSON, a caller gets JSON even when the options are wrong.
  json_ = arguments.contains(QStringLiteral("--json"));
  const auto usage = [&](const QString& message) {
    status = Usage(message);
    return std::nullopt;
  };
  if (!parser.parse(QStringList{QStringLiteral("dorum-cli run")} + arguments))
    return usage(parser.errorText());
  if (parser.isSet(help)) {
    // Without an application object the parser cannot name the program.
    out_ << parser.helpText()
                .replace(QStringLiteral("<executable_name>"), QStringLiteral("dorum-cli run"))
                .toStdString();
    status = static_cast<int>(TRunStatus::Stopped);
    return std::nullopt;
  }
  json_ = parser.isSet(QStringLiteral("json"));
  dumpMemory_ = parser.isSet(QStringLiteral("dump-memory"));
  if (parser.positionalArguments().size() != 1)
    return usage(QStringLiteral("podaj dokładnie jeden plik programu (--help opisuje użycie)"));
  if (parser.isSet(QStringLiteral("input")) && parser.isSet(QStringLiteral("input-file")))
    return usage(QStringLiteral("--input i --input-file wykluczają się"));
  TOptions options;
  if (parser.isSet(QStringLiteral("max-cycles"))) {
    const auto parsed = ParseCycles(parser.value(QStringLiteral("max-cycles")));
    if (!parsed)
      return usage(QStringLiteral("--max-cycles wymaga dodatniej liczby całkowitej, nie \"%1\"")
                       .arg(parser.value(QStringLiteral("max-cycles"))));
    options.Limit = *parsed;
  }
  if (!ReadInterruptPresses(parser.values(QStringLiteral("irq")))) return usage(message_);
  options.Trace = parser.isSet(QStringLiteral("trace"));
  options.TracePath = parser.value(QStringLiteral("trace"));
  if (options.Trace && options.TracePath == u"-" && json_)
    return usage(
        QStringLiteral("--trace - i --json wykluczają się (oba piszą na standardowe wyjście)"));
  options.Vcd = parser.isSet(QStringLiteral("vcd"));
  options.VcdPath = parser.value(QStringLiteral("vcd"));
  if (options.Vcd && options.VcdPath == u"-" && (json_ || options.TracePath == u"-"))
    return usage(QStringLiteral(
        "--vcd - wyklucza --json i --trace - (wszystkie piszą na standardowe wyjście)"));
  options.ProgramPath = parser.positionalArguments().front();
  options.ListPath = parser.value(QStringLiteral("list"));
  options.Checks = parser.value(QStringLiteral("expect"));
  options.StopWhen = parser.values(QStringLiteral("stop-when"));
  // The form is checked before any file is read; the names wait for the
  // program's labels.
  for (const QString& condition : options.StopWhen) {
    try {
      (void)ParseStopCondition(U8(condition));
    } catch (const EDorumError& e) {
      return usage(Q(e.Message()));
    }
  }
  ReadGradingOptions(parser, options);
  if (parser.isSet(QStringLiteral("time-limit"))) {
    bool ok = false;
    const double seconds = parser.value(QStringLiteral("time-limit")).toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 86'400)
      return usage(QStringLiteral("--time-limit wymaga liczby sekund większej od 0, najwyżej "
                                  "86400, nie \"%1\"")
                       .arg(parser.value(QStringLiteral("time-limit"))));
    options.TimeLimit = std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000));
  }
  options.Input = parser.value(QStringLiteral("input"));
  if (parser.isSet(QStringLiteral("input-file"))) {
    try {
      options.Input = Q(Join(ReadTextFile(U8(parser.value(QStringLiteral("input-file")))), "\n"));
    } catch (const EDorumError& e) {
      return usage(Q(e.Message()));
    }
  }
  return options;
}

// The teacher's files and checks first: their faults (status 2) come before
// anything the student's files may do wrong.
std::optional<int> TRun::Prepare(const TOptions& options, QStringList& programText) {
  if (options.Trace && options.TracePath != u"-" && !traceFile_.Open(options.TracePath))
    return Usage(Q(Texts::CannotWriteFile(U8(options.TracePath), U8(traceFile_.Reason()))));
  if (options.Vcd && options.VcdPath != u"-" && !vcdFile_.Open(options.VcdPath))
    return Usage(Q(Texts::CannotWriteFile(U8(options.VcdPath), U8(vcdFile_.Reason()))));
  // A list that is not there would silently empty the instruction set.
  if (!options.ListPath.isEmpty()) {
    try {
      RequireReadableFile(U8(options.ListPath));
    } catch (const EDorumError& e) {
      return Usage(Q(e.Message()));
    }
  }
  programPath_ = options.ProgramPath;
  try {
    programText = Q(ReadTextFile(U8(programPath_)));
  } catch (const EDorumError& e) {
    // The program is the student's: a missing or broken one is theirs.
    TDiagnostic d;
    d.Stage = TStage::Assembly;
    d.File = U8(programPath_);
    d.Message = e.Message();
    programError_.emplace(d, Q(e.Message()));
  }
  return std::nullopt;
}

std::optional<int> TRun::LoadAndAssemble(const TOptions& options, const QStringList& programText) {
  std::optional<std::pair<TDiagnostic, QString>> listError;
  if (!options.ListPath.isEmpty()) {
    try {
      LoadListToRun(options.ListPath, session_);
    } catch (const EDorumError& e) {
      listError.emplace(ListDiagnostic(e, U8(options.ListPath)), Q(e.Message()));
    }
  }
  // The configuration is in force even when a stored instruction failed.
  if (const auto failed = ReadConfiguredOptions(options)) return failed;
  if (programError_) return Fail(programError_->first, programError_->second);
  if (listError) return Fail(listError->first, listError->second);
  if (const auto failed = CompileInstructionFiles(options.InstructionFiles)) return failed;
  try {
    document_.SetTexts(U8(programText));
    session_.AssembleProgram(document_);
  } catch (const EDorumError& e) {
    TDiagnostic placed = AssemblyDiagnostic(e, U8(programPath_));
    ExplainUnexpectedArgument(placed, document_.Texts(), control_.Instructions());
    return Fail(placed, Q(e.Message()));
  }
  try {
    ResolveLabels(checks_, machine_, watches_);
    ResolveLabels(settings_, machine_, watches_);
    ResolveWords(checks_, machine_, control_.Instructions(), watches_);
    ResolveWords(settings_, machine_, control_.Instructions(), watches_);
    for (const QString& condition : options.StopWhen) session_.AddStopCondition(U8(condition));
  } catch (const EDorumError& e) {
    return Usage(Q(e.Message()));
  }
  return ApplySettings();
}

std::optional<int> TRun::ReadConfiguredOptions(const TOptions& options) {
  try {
    checks_ = ParseChecks(U8(options.Checks), machine_);
    settings_ = ParseChecks(U8(options.Settings), machine_);
  } catch (const EDorumError& e) {
    return Usage(Q(e.Message()));
  }
  // A button the machine does not have is the teacher's mistake, told
  // before the run rather than at the press.
  if (!presses_.empty() && !machine_.Register(TRegisterId::RZ).Visible())
    return Usage(Q(Texts::IrqWithoutInterrupts()));
  return std::nullopt;
}

QString TRun::CheckOptions(const QStringList& arguments) {
  int status = 0;
  const std::optional<TOptions> options = ReadOptions(arguments, status);
  if (!options) return status == static_cast<int>(TRunStatus::Usage) ? message_ : QString();
  if (!options->ListPath.isEmpty()) {
    try {
      RequireReadableFile(U8(options->ListPath));
      LoadListToRun(options->ListPath, session_);
    } catch (const EDorumError& e) {
      return Q(e.Message());
    }
  }
  (void)ReadConfiguredOptions(*options);
  return message_;
}

int TRun::Execute(const QStringList& arguments) {
  int status = 0;
  const std::optional<TOptions> options = ReadOptions(arguments, status);
  if (!options) return status;
  QStringList programText;
  if (const auto failed = Prepare(*options, programText)) return *failed;
  if (const auto failed = LoadAndAssemble(*options, programText)) return *failed;

  const bool traceToOutput = options->Trace && options->TracePath == u"-";
  const bool vcdToOutput = options->Vcd && options->VcdPath == u"-";
  TOutputEcho echo(out_, !json_ && !traceToOutput && !vcdToOutput);
  auto echoing = machine_.Console().Subscribe(echo);
  std::unique_ptr<TCycleTrace> tracer;
  if (options->Trace)
    tracer = std::make_unique<TCycleTrace>(machine_, control_,
                                           traceToOutput ? out_ : traceFile_.Stream());
  // Made once the settings are in: they are the values at time 0.
  if (options->Vcd)
    dump_ =
        std::make_unique<TVcdRecorder>(machine_, control_, vcdToOutput ? out_ : vcdFile_.Stream());
  // The count wraps the trace and the dump: it passes every cycle on.
  StartCounting(*options);
  machine_.TypeInput(U8(options->Input));
  control_.SetTrackingLevel(0);
  control_.SetStopWhenInputRunsOut(true);
  ran_ = true;
  const TRunStatus ended = RunProgram(options->Limit, options->TimeLimit);
  echoing.End();
  // The dump's last time stamp goes before anything the report writes.
  if (dump_ != nullptr) dump_->Finish();
  // A full disk must not pass for a complete trace or dump.
  if (const QString unwritten = UnwrittenFile(*options); !unwritten.isEmpty())
    return Usage(unwritten);
  // A run that did not end on its own says where the program stood.
  if (ended == TRunStatus::Error || ended == TRunStatus::Limit || ended == TRunStatus::Input) {
    diagnostic_ = RunDiagnostic(U8(message_), control_, document_, U8(programPath_));
    if (ended == TRunStatus::Error)
      PlaceInInstructionFile(diagnostic_, control_.Instructions(), instructionFiles_);
  }
  return Report(ended);
}

QString TRun::UnwrittenFile(const TOptions& options) {
  const auto failed = [](const QString& path, const TOutputFile& file) {
    return QStringLiteral("Błąd zapisu pliku %1: %2").arg(path, file.Reason());
  };
  if (options.Trace && options.TracePath != u"-" && !traceFile_.Flush())
    return failed(options.TracePath, traceFile_);
  if (options.Vcd && options.VcdPath != u"-" && !vcdFile_.Flush())
    return failed(options.VcdPath, vcdFile_);
  return {};
}

TRunStatus TRun::StatusOfEnd(TSliceEnd end) {
  switch (end) {
    case TSliceEnd::ConditionHeld:
      return TRunStatus::Condition;
    case TSliceEnd::ProgramEnded:
      return TRunStatus::Stopped;
    case TSliceEnd::InputExhausted:
      return TRunStatus::Input;
    case TSliceEnd::Breakpoint:
    case TSliceEnd::ProgramBreakpoint:
      return TRunStatus::Error;
    default:
      // A slice's own end (its budget, a tempo): never the end of a whole run.
      message_ = Q(Texts::RunInterrupted());
      return TRunStatus::Error;
  }
}

TRunStatus TRun::RunProgram(std::uint64_t limit,
                            std::optional<std::chrono::milliseconds> timeLimit) {
  using TKind = TStretchedEnd::TKind;
  const TStretchedEnd end = RunInStretches(control_, machine_, presses_, limit, timeLimit);
  message_ = Q(end.Message);
  switch (end.Kind) {
    case TKind::Refused:
      return TRunStatus::Error;
    case TKind::CycleLimit:
      return TRunStatus::Limit;
    case TKind::TimeLimit:
      timedOut_ = true;
      message_ = Q(Texts::TimeLimitExceeded(
          U8(QString::number(static_cast<double>(timeLimit->count()) / 1000.0))));
      return TRunStatus::Limit;
    case TKind::Control:
      break;
  }
  return StatusOfEnd(end.Slice);
}

void TRun::PrintJson(TRunStatus status) {
  QJsonObject result;
  result[QStringLiteral("status")] = timedOut_ ? QStringLiteral("timeout") : StatusName(status);
  result[QStringLiteral("message")] = message_;
  // A refused cycle has its line in the trace, so it is counted here too.
  const bool refused =
      diagnostic_.Stage == TStage::Run && control_.RefusedCycle() == control_.CyclesPerformed() + 1;
  result[QStringLiteral("cycles")] =
      static_cast<qint64>(control_.CyclesPerformed() + (refused ? 1 : 0));
  result[QStringLiteral("instructions")] = static_cast<qint64>(control_.InstructionsPerformed());
  result[QStringLiteral("output")] = Q(machine_.Console().OutputText());
  QJsonObject registers;
  for (int r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = machine_.Register(static_cast<TRegisterId>(r));
    if (reg.Visible())
      registers[Q(reg.Caption())] = static_cast<qint64>(reg.Content() & WidthMask(reg.Bits()));
  }
  result[QStringLiteral("registers")] = registers;
  AddDiagnosticFields(result, diagnostic_);
  if (!results_.empty()) {
    QJsonArray expectations;
    for (const TCheckResult& r : results_) {
      expectations.append(QJsonObject{
          {QStringLiteral("name"), Q(r.Check->Name)},
          {QStringLiteral("expected"), r.Check->Expected},
          {QStringLiteral("actual"),
           r.Actual ? QJsonValue(static_cast<qint64>(*r.Actual)) : QJsonValue(QJsonValue::Null)},
          {QStringLiteral("shown"), Q(r.Shown())},
          {QStringLiteral("expected_text"), Q(ExpectedText(*r.Check))},
          {QStringLiteral("held"), r.Held}});
    }
    result[QStringLiteral("expectations")] = expectations;
  }
  if (dumpMemory_) {
    QJsonArray memory;
    for (int a = 0; a < machine_.Memory().Size(); ++a)
      memory.append(static_cast<qint64>(machine_.Memory().Word(a)));
    result[QStringLiteral("memory")] = memory;
  }
  ReportGrading(result);
  out_ << QJsonDocument(result).toJson(QJsonDocument::Indented).toStdString();
}

void TRun::PrintChecks() const {
  for (const TCheckResult& r : results_) {
    if (r.Held) continue;
    // A student's log must not give the answer away.
    err_ << (hideExpected_ ? Texts::CheckWrongValue(r.Check->Name, r.Shown())
                           : Texts::CheckFailed(r.Check->Name, ExpectedText(*r.Check), r.Shown()))
         << '\n';
  }
  for (const TMustExecute& must : mustExecute_) {
    if (!must.Held()) err_ << Texts::NotExecuted(must.Name) << '\n';
  }
}

int TRun::Report(TRunStatus status) {
  // Checks are about a finished run only.
  if (ran_) {
    for (const TCheck& check : checks_) results_.push_back(Evaluate(check, machine_));
  }
  const bool mustHeld = GradingHeld();  // fills in the counts for every report
  const bool allHeld =
      std::all_of(results_.begin(), results_.end(), [](const TCheckResult& r) { return r.Held; }) &&
      mustHeld;
  // The teacher's own mistake is told to the teacher, JSON or not.
  if (status == TRunStatus::Usage) err_ << "dorum-cli run: " << message_.toStdString() << '\n';
  if (json_) {
    PrintJson(status);
  } else if (diagnostic_.Stage != TStage::None && status != TRunStatus::Usage) {
    err_ << FormatDiagnostic(diagnostic_).toStdString() << '\n';
  } else if (status != TRunStatus::Stopped && status != TRunStatus::Usage) {
    err_ << message_.toStdString() << '\n';
  }
  PrintChecks();
  out_.flush();
  // A check tells only of a run that ended as a program should.
  if (status == TRunStatus::Stopped && !allHeld) return static_cast<int>(TRunStatus::Expectation);
  return static_cast<int>(status);
}

void TRun::ReadGradingOptions(const QCommandLineParser& parser, TOptions& options) {
  options.Settings = parser.values(QStringLiteral("set")).join(u',');
  options.InstructionFiles = parser.values(QStringLiteral("instruction"));
  options.MustExecute = SplitNames(parser.values(QStringLiteral("must-execute")));
  options.HideExpected = parser.isSet(QStringLiteral("hide-expected"));
}

// The student's instruction files go into the list before the program is
// assembled; a fault in one is the student's, at its place in that file.
std::optional<int> TRun::CompileInstructionFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    try {
      const TLines lines = ReadTextFile(U8(path));
      session_.CompileInstruction(lines);
      const TInstructionList& list = control_.Instructions();
      for (int i = 0; i < list.Count(); ++i) {
        if (list.At(i).Source() == lines) instructionFiles_[list.At(i).Name()] = U8(path);
      }
    } catch (const EDorumError& e) {
      return Fail(AssemblyDiagnostic(e, U8(path)), Q(e.Message()));
    }
  }
  return std::nullopt;
}

// Test data goes in after the assembly, which resets the machine, and
// before the first cycle; each value is stored as the user would type it.
// Data for a label the program lacks cannot be given: the program is at
// fault, as with a check of such a label.
std::optional<int> TRun::ApplySettings() {
  const std::optional<std::string> missing = dorum::ApplySettings(settings_, machine_);
  if (!missing) return std::nullopt;
  TDiagnostic d;
  d.Stage = TStage::Assembly;
  d.File = U8(programPath_);
  d.Message = Texts::LabelNotFound(*missing);
  return Fail(d, Q(d.Message));
}

void TRun::StartCounting(const TOptions& options) {
  hideExpected_ = options.HideExpected;
  for (const QString& name : options.MustExecute) mustExecute_.push_back({U8(name), 0});
  counter_ = std::make_unique<TExecutionCount>(control_);
}

bool TRun::GradingHeld() {
  if (counter_ == nullptr) return true;
  for (TMustExecute& must : mustExecute_) must.Executed = counter_->Count(must.Name);
  return std::all_of(mustExecute_.begin(), mustExecute_.end(),
                     [](const TMustExecute& must) { return must.Held(); });
}

void TRun::ReportGrading(QJsonObject& result) const {
  if (counter_ == nullptr) return;
  result[QStringLiteral("executed")] = ExecutedJson(*counter_);
  if (mustExecute_.empty()) return;
  QJsonArray musts;
  for (const TMustExecute& must : mustExecute_) {
    musts.append(QJsonObject{{QStringLiteral("name"), Q(must.Name)},
                             {QStringLiteral("executed"), static_cast<qint64>(must.Executed)},
                             {QStringLiteral("held"), must.Held()}});
  }
  result[QStringLiteral("must_execute")] = musts;
}

}  // namespace

QString InstructionOfWord(const QString& value) {
  return Q(dorum::InstructionOfWord(U8(value)));
}

QString CheckRunOptions(const QStringList& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  return TRun(out, err).CheckOptions(arguments);
}

int RunProgramCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  TRun run(out, err);
  return run.Execute(arguments);
}

}  // namespace dorum::cli
