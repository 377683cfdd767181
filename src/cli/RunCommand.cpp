#include "RunCommand.h"

#include <fstream>
#include <memory>

#include "RunGrading.h"
#include "RunTrace.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Session.h"
#include "program/Watches.h"

namespace dorum::cli {

namespace {

constexpr std::uint64_t kDefaultMaxCycles = 100'000'000;

const char* const kDescription =
    "Asembluje PROGRAM (.prg, strona kodowa 1250) na maszynie domyślnej albo na\n"
    "maszynie z pliku listy rozkazów i wykonuje go jak polecenie \"Program\" przy\n"
    "najniższym poziomie śledzenia. Znaki wysyłane przez program do portu wyjścia\n"
    "trafiają od razu na standardowe wyjście (w UTF-8).\n"
    "\n"
    "Kod wyjścia:\n"
    "  0  program zakończył się rozkazem stopu (\"Program został zakończony\")\n"
    "  1  inny błąd (komunikat na standardowym wyjściu błędów, błąd asemblacji\n"
    "     z pozycją wiersz:kolumna)\n"
    "  2  błędne wywołanie, nieczytelny plik albo sprawdzenie bez celu\n"
    "  3  wykonano --max-cycles taktów zegara\n"
    "  4  program czeka na znak z wejścia, a dane wejściowe się skończyły\n"
    "  5  któreś ze sprawdzeń --expect nie zachodzi\n"
    "\n"
    "Sprawdzenia --expect (po przecinku, po zakończeniu wykonania):\n"
    "  NAZWA=WARTOŚĆ, gdzie NAZWA to rejestr (np. AK, L), mem[ADRES] albo etykieta\n"
    "  programu (wtedy słowo pamięci pod jej adresem). Nazwa zapisana dokładnie\n"
    "  jak nazwa rejestru (A, AK) oznacza rejestr, inaczej najpierw etykietę (a).\n"
    "  Wartości porównuje się w szerokości rejestru lub słowa, więc AK=-1\n"
    "  i AK=255 znaczą to samo przy 8 bitach. Każde niespełnione sprawdzenie\n"
    "  wypisuje na standardowe wyjście błędów: expected NAZWA=WARTOŚĆ, got\n"
    "  RZECZYWISTA.\n"
    "\n"
    "Z --json wypisywany jest jeden obiekt JSON: status (stopped, error, limit,\n"
    "input), message, cycles, instructions, output, registers (wartość każdego\n"
    "widocznego rejestru), expectations (z --expect: name, expected, actual, held)\n"
    "i memory (z --dump-memory: wszystkie słowa pamięci).\n"
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
    "Do oceniania:\n"
    "  --set NAZWA=WARTOŚĆ[,...] wpisuje wartości (nazwy i wartości jak w --expect)\n"
    "  po asemblacji, a przed wykonaniem: dane testowe zamiast danych programu.\n"
    "  --instruction PLIK.rzk kompiluje rozkaz do listy przed asemblacją.\n"
    "  --must-execute NAZWA[,...] wymaga, by każdy z tych rozkazów wykonał się\n"
    "  choć raz; inaczej to niespełnione sprawdzenie (kod 5).\n"
    "  --hide-expected wypisuje niespełnione sprawdzenie bez oczekiwanej wartości:\n"
    "  NAZWA: wrong value RZECZYWISTA.\n"
    "  Z --json dochodzą executed (nazwa rozkazu: ile razy został pobrany)\n"
    "  i must_execute (name, executed, held).";

struct TCheck {
  QString Name;
  std::int32_t Expected = 0;
  // Where the actual value comes from.
  enum class TKind { Register, Memory } Kind = TKind::Register;
  TRegisterId Register = TRegisterId::AK;
  int Address = 0;
};

// An interrupt button pressed once the run has performed so many cycles.
struct TInterruptPress {
  int Line = 0;
  std::uint64_t Cycle = 0;
};

struct TCheckResult {
  const TCheck* Check;
  std::uint32_t Actual;
  bool Held;
};

// Writes each character the program outputs as soon as it is written.
class TOutputEcho final : public IConsoleObserver {
 public:
  TOutputEcho(std::ostream& out, bool echo) : out_(out), echo_(echo) {}
  void OutputAppended(QChar c) override {
    if (!echo_) return;
    out_ << QString(c).toStdString();
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

// Parses "NAME=VALUE,..." against the machine and the program's labels.
std::vector<TCheck> ParseChecks(const QString& text, const TMachine& machine,
                                const TWatchList& labels) {
  std::vector<TCheck> checks;
  for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const qsizetype equals = item.indexOf(u'=');
    if (equals <= 0)
      throw EDorumError(
          QStringLiteral("Sprawdzenie \"%1\" nie ma postaci NAZWA=WARTOŚĆ").arg(item));
    TCheck check;
    check.Name = item.left(equals).trimmed();
    check.Expected = StrToInt(item.mid(equals + 1).trimmed());
    const QString lower = check.Name.toLower();
    if (lower.startsWith(u"mem[") && lower.endsWith(u']')) {
      check.Kind = TCheck::TKind::Memory;
      check.Address = StrToInt(check.Name.mid(4, check.Name.size() - 5));
      if (check.Address < 0 || check.Address >= machine.Memory().Size())
        throw EDorumError(QStringLiteral("Adres %1 w sprawdzeniu %2 leży poza pamięcią")
                              .arg(check.Address)
                              .arg(check.Name));
    } else {
      // A register written exactly as its caption ("A", "AK") comes first,
      // then a label of the program ("a", "wynik"), then a register written
      // in another case.
      const int r = TMachine::FindRegister(check.Name);
      const bool exactCaption =
          r >= 0 && machine.Register(static_cast<TRegisterId>(r)).Caption() == check.Name;
      int found = -1;
      for (int i = 0; i < labels.Count() && found < 0 && !exactCaption; ++i) {
        if (CompareNamesIgnoringCase(labels.At(i).Name, check.Name) == 0) found = i;
      }
      if (found >= 0) {
        check.Kind = TCheck::TKind::Memory;
        check.Address = labels.At(found).Address;
        if (check.Address < 0 || check.Address >= machine.Memory().Size())
          throw EDorumError(QStringLiteral("Etykieta %1 wskazuje poza pamięć").arg(check.Name));
      } else if (r >= 0) {
        check.Register = static_cast<TRegisterId>(r);
      } else {
        throw EDorumError(
            QStringLiteral("Sprawdzenie %1: nie ma takiego rejestru ani etykiety programu")
                .arg(check.Name));
      }
    }
    checks.push_back(check);
  }
  return checks;
}

TCheckResult Evaluate(const TCheck& check, const TMachine& machine) {
  if (check.Kind == TCheck::TKind::Memory) {
    const std::uint32_t actual = machine.Memory().Word(check.Address);
    const std::uint32_t mask = WidthMask(machine.WordBits());
    return {&check, actual, (static_cast<std::uint32_t>(check.Expected) & mask) == actual};
  }
  const TRegister& reg = machine.Register(check.Register);
  const std::uint32_t mask = WidthMask(reg.Bits());
  const std::uint32_t actual = reg.Content() & mask;
  return {&check, actual, (static_cast<std::uint32_t>(check.Expected) & mask) == actual};
}

class TRun {
 public:
  TRun(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  int Execute(const QStringList& arguments);

 private:
  int Usage(const QString& message) {
    err_ << "dorum-cli run: " << message.toStdString() << '\n';
    return static_cast<int>(TRunStatus::Usage);
  }
  int Fail(const QString& message) {
    message_ = message;
    return Report(TRunStatus::Error);
  }
  TRunStatus RunProgram(std::uint64_t limit);
  int Report(TRunStatus status);
  static void AddGradingOptions(QCommandLineParser& parser);
  void CompileInstructionFiles(const QStringList& paths);
  void ApplySettings(const QStringList& values);
  void StartCounting(const QCommandLineParser& parser);
  [[nodiscard]] bool GradingHeld();
  void ReportGrading(QJsonObject& result) const;
  void PrintFailedChecks() const;

  std::ostream& out_;
  std::ostream& err_;
  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TWatchList& watches_ = session_.Watches();
  TProgram& program_ = session_.Assembler();
  TProgramDocument document_;
  bool json_ = false;
  bool dumpMemory_ = false;
  QString message_;
  std::vector<TCheck> checks_;
  std::vector<TCheckResult> results_;
  std::vector<TInterruptPress> presses_;
  bool hideExpected_ = false;
  std::unique_ptr<TExecutionCount> counter_;
  std::vector<TMustExecute> mustExecute_;
};

int TRun::Execute(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  parser.addPositionalArgument(QStringLiteral("PROGRAM"), QStringLiteral("plik programu (.prg)"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Ten opis."));
  const QCommandLineOption list(
      QStringLiteral("list"), QStringLiteral("Plik listy rozkazów (.lst): konfiguracja i rozkazy."),
      QStringLiteral("PLIK"));
  const QCommandLineOption input(QStringLiteral("input"),
                                 QStringLiteral("Tekst dla urządzenia wejścia."),
                                 QStringLiteral("TEKST"));
  const QCommandLineOption inputFile(
      QStringLiteral("input-file"),
      QStringLiteral("Plik (UTF-8 albo 1250), którego treść trafia na wejście."),
      QStringLiteral("PLIK"));
  const QCommandLineOption maxCycles(
      QStringLiteral("max-cycles"),
      QStringLiteral("Najwięcej tylu taktów zegara (domyślnie 100000000)."), QStringLiteral("N"));
  const QCommandLineOption expect(QStringLiteral("expect"),
                                  QStringLiteral("Sprawdzenia NAZWA=WARTOŚĆ po przecinku."),
                                  QStringLiteral("SPRAWDZENIA"));
  const QCommandLineOption json(QStringLiteral("json"),
                                QStringLiteral("Wynik jako jeden obiekt JSON."));
  const QCommandLineOption dumpMemory(QStringLiteral("dump-memory"),
                                      QStringLiteral("Z --json: także wszystkie słowa pamięci."));
  const QCommandLineOption irq(
      QStringLiteral("irq"),
      QStringLiteral("Naciśnięcie przycisku przerwania LINIA (1-4) po TAKTACH taktach zegara, "
                     "np. 2@100; opcję można powtarzać."),
      QStringLiteral("LINIA@TAKTY"));
  const QCommandLineOption trace(
      QStringLiteral("trace"),
      QStringLiteral("Ślad: jeden wiersz JSON na każdy takt do PLIKU (- to standardowe wyjście)."),
      QStringLiteral("PLIK"));
  parser.addOptions(
      {help, list, input, inputFile, maxCycles, expect, json, dumpMemory, irq, trace});
  AddGradingOptions(parser);

  if (!parser.parse(QStringList{QStringLiteral("dorum-cli run")} + arguments))
    return Usage(parser.errorText());
  if (parser.isSet(help)) {
    // Without an application object the parser cannot name the program.
    out_ << parser.helpText()
                .replace(QStringLiteral("<executable_name>"), QStringLiteral("dorum-cli run"))
                .toStdString();
    return static_cast<int>(TRunStatus::Stopped);
  }
  if (parser.positionalArguments().size() != 1)
    return Usage(QStringLiteral("podaj dokładnie jeden plik programu (--help opisuje użycie)"));
  if (parser.isSet(input) && parser.isSet(inputFile))
    return Usage(QStringLiteral("--input i --input-file wykluczają się"));
  std::uint64_t limit = kDefaultMaxCycles;
  if (parser.isSet(maxCycles)) {
    const auto parsed = ParseCycles(parser.value(maxCycles));
    if (!parsed)
      return Usage(QStringLiteral("--max-cycles wymaga dodatniej liczby całkowitej, nie \"%1\"")
                       .arg(parser.value(maxCycles)));
    limit = *parsed;
  }
  for (const QString& value : parser.values(irq)) {
    const QStringList parts = value.split(u'@');
    bool lineOk = false;
    bool cycleOk = false;
    const int line = parts.size() == 2 ? parts[0].toInt(&lineOk) : 0;
    const qulonglong cycle = parts.size() == 2 ? parts[1].toULongLong(&cycleOk) : 0;
    if (!lineOk || !cycleOk || line < 1 || line > 4)
      return Usage(
          QStringLiteral("--irq wymaga postaci LINIA@TAKTY z linią 1-4, nie \"%1\"").arg(value));
    presses_.push_back({line, cycle});
  }
  std::stable_sort(presses_.begin(), presses_.end(),
                   [](const auto& a, const auto& b) { return a.Cycle < b.Cycle; });
  json_ = parser.isSet(json);
  dumpMemory_ = parser.isSet(dumpMemory);
  const QString tracePath = parser.value(trace);
  const bool traceToOutput = parser.isSet(trace) && tracePath == u"-";
  if (traceToOutput && json_)
    return Usage(
        QStringLiteral("--trace - i --json wykluczają się (oba piszą na standardowe wyjście)"));
  std::ofstream traceFile;
  if (parser.isSet(trace) && !traceToOutput) {
    traceFile.open(tracePath.toStdString(), std::ios::out | std::ios::trunc);
    if (!traceFile) return Usage(QStringLiteral("Nie można zapisać pliku %1").arg(tracePath));
  }

  const QString programPath = parser.positionalArguments().front();
  QStringList programText;
  QString inputText;
  try {
    programText = ReadTextFile(programPath);
    if (parser.isSet(inputFile)) inputText = ReadTextFile(parser.value(inputFile)).join(u'\n');
  } catch (const EDorumError& e) {
    return Usage(e.Message());
  }
  if (parser.isSet(input)) inputText = parser.value(input);

  try {
    if (parser.isSet(list)) {
      const QString listPath = parser.value(list);
      // A list that is not there would silently empty the instruction set.
      if (!QFileInfo(listPath).isFile())
        return Usage(QStringLiteral("Nie można odczytać pliku %1").arg(listPath));
      LoadInstructionList(listPath, machine_, control_);
    }
    CompileInstructionFiles(parser.values(QStringLiteral("instruction")));
    document_.SetTexts(programText);
    CompileProgram(program_, control_, document_);
  } catch (const EDorumError& e) {
    return Fail(e.Message());
  }
  try {
    checks_ = ParseChecks(parser.value(expect), machine_, watches_);
    ApplySettings(parser.values(QStringLiteral("set")));
  } catch (const EDorumError& e) {
    return Usage(e.Message());
  }

  TOutputEcho echo(out_, !json_ && !traceToOutput);
  machine_.Console().SetObserver(&echo);
  std::unique_ptr<TCycleTrace> tracer;
  if (parser.isSet(trace))
    tracer = std::make_unique<TCycleTrace>(machine_, control_, traceToOutput ? out_ : traceFile);
  StartCounting(parser);
  machine_.TypeInput(inputText);
  control_.SetTrackingLevel(0);
  control_.SetStopWhenInputRunsOut(true);
  const TRunStatus status = RunProgram(limit);
  machine_.Console().SetObserver(nullptr);
  return Report(status);
}

TRunStatus TRun::RunProgram(std::uint64_t limit) {
  // The run goes in stretches that end where an interrupt button is pressed.
  std::size_t next = 0;
  while (true) {
    const std::uint64_t performed = control_.CyclesPerformed();
    const std::uint64_t until =
        next < presses_.size() ? std::min(presses_[next].Cycle, limit) : limit;
    control_.LimitCycles(until > performed ? until - performed : 0);
    try {
      control_.ExecuteProgram(-1);
      message_ = QStringLiteral("Przerwano wykonywanie programu");
      return TRunStatus::Error;
    } catch (const EDorumError& e) {
      message_ = e.Message();
    }
    if (control_.Finished()) return TRunStatus::Stopped;
    if (control_.InputRanOut()) return TRunStatus::Input;
    if (!control_.CycleLimitReached()) return TRunStatus::Error;
    if (control_.CyclesPerformed() >= limit) {
      message_ = Texts::CycleLimitReached(limit);
      return TRunStatus::Limit;
    }
    machine_.RaiseInterrupt(presses_[next].Line);
    ++next;
  }
}

int TRun::Report(TRunStatus status) {
  for (const TCheck& check : checks_) results_.push_back(Evaluate(check, machine_));
  const bool mustHeld = GradingHeld();  // fills in the counts for every report
  const bool allHeld =
      std::all_of(results_.begin(), results_.end(), [](const TCheckResult& r) { return r.Held; }) &&
      mustHeld;

  if (json_) {
    QJsonObject result;
    result[QStringLiteral("status")] = StatusName(status);
    result[QStringLiteral("message")] = message_;
    result[QStringLiteral("cycles")] = static_cast<qint64>(control_.CyclesPerformed());
    result[QStringLiteral("instructions")] = static_cast<qint64>(control_.InstructionsPerformed());
    result[QStringLiteral("output")] = machine_.Console().OutputText();
    QJsonObject registers;
    for (int r = 0; r < kRegisterCount; ++r) {
      const TRegister& reg = machine_.Register(static_cast<TRegisterId>(r));
      if (reg.Visible())
        registers[reg.Caption()] = static_cast<qint64>(reg.Content() & WidthMask(reg.Bits()));
    }
    result[QStringLiteral("registers")] = registers;
    if (!checks_.empty()) {
      QJsonArray expectations;
      for (const TCheckResult& r : results_) {
        expectations.append(QJsonObject{{QStringLiteral("name"), r.Check->Name},
                                        {QStringLiteral("expected"), r.Check->Expected},
                                        {QStringLiteral("actual"), static_cast<qint64>(r.Actual)},
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
  } else if (status != TRunStatus::Stopped) {
    err_ << message_.toStdString() << '\n';
  }
  PrintFailedChecks();
  out_.flush();
  if (!allHeld) return static_cast<int>(TRunStatus::Expectation);
  return static_cast<int>(status);
}

void TRun::AddGradingOptions(QCommandLineParser& parser) {
  parser.addOptions(
      {{QStringLiteral("set"),
        QStringLiteral("Wartości NAZWA=WARTOŚĆ po przecinku, wpisywane przed wykonaniem; opcję "
                       "można powtarzać."),
        QStringLiteral("WARTOŚCI")},
       {QStringLiteral("hide-expected"),
        QStringLiteral("Niespełnione sprawdzenia bez oczekiwanej wartości.")},
       {QStringLiteral("must-execute"),
        QStringLiteral("Rozkazy (po przecinku), które muszą się wykonać choć raz."),
        QStringLiteral("NAZWY")},
       {QStringLiteral("instruction"),
        QStringLiteral("Plik rozkazu (.rzk) kompilowany do listy przed asemblacją; opcję można "
                       "powtarzać."),
        QStringLiteral("PLIK")}});
}

void TRun::CompileInstructionFiles(const QStringList& paths) {
  for (const QString& path : paths) control_.AddInstruction(ReadTextFile(path));
}

// Test data goes in after the assembly, which resets the machine, and
// before the first cycle; each value is stored as the user would type it.
void TRun::ApplySettings(const QStringList& values) {
  for (const QString& value : values) {
    for (const TCheck& setting : ParseChecks(value, machine_, watches_)) {
      const QString text = QString::number(setting.Expected);
      if (setting.Kind == TCheck::TKind::Memory)
        machine_.EnterMemoryValue(setting.Address, text);
      else
        machine_.EnterRegisterValue(setting.Register, text);
    }
  }
}

void TRun::StartCounting(const QCommandLineParser& parser) {
  hideExpected_ = parser.isSet(QStringLiteral("hide-expected"));
  for (const QString& name : SplitNames(parser.values(QStringLiteral("must-execute"))))
    mustExecute_.push_back({name, 0});
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
  result[QStringLiteral("executed")] = counter_->ToJson();
  if (mustExecute_.empty()) return;
  QJsonArray musts;
  for (const TMustExecute& must : mustExecute_) {
    musts.append(QJsonObject{{QStringLiteral("name"), must.Name},
                             {QStringLiteral("executed"), static_cast<qint64>(must.Executed)},
                             {QStringLiteral("held"), must.Held()}});
  }
  result[QStringLiteral("must_execute")] = musts;
}

void TRun::PrintFailedChecks() const {
  for (const TCheckResult& r : results_) {
    if (r.Held) continue;
    if (hideExpected_)
      err_ << r.Check->Name.toStdString() << ": wrong value " << r.Actual << '\n';
    else
      err_ << "expected " << r.Check->Name.toStdString() << '=' << r.Check->Expected << ", got "
           << r.Actual << '\n';
  }
  for (const TMustExecute& must : mustExecute_) {
    if (!must.Held()) err_ << must.Name.toStdString() << ": not executed\n";
  }
}

}  // namespace

int RunProgramCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  TRun run(out, err);
  return run.Execute(arguments);
}

}  // namespace dorum::cli
