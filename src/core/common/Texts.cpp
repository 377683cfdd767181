#include "common/Texts.h"

#include <array>
#include <initializer_list>

#include "common/Strings.h"
#include "common/Text.h"

namespace dorum::Texts {

namespace {

// The pattern with %1..%9 replaced by the arguments, each read once.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string result;
  result.reserve(pattern.size() + 32);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        result += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    result.push_back(c);
  }
  return result;
}

}  // namespace

std::string NotValidInteger(std::string_view text) {
  return Fill("'%1' is not a valid integer value", {text});
}
std::string ListIndexOutOfBounds(int index) {
  return Fill("List index out of bounds (%1)", {ToText(index)});
}
std::string DivisionByZero() {
  return "Division by zero";
}

std::string BoxText(const std::string& message) {
  if (message.empty()) return message;
  char32_t last = 0;
  for (std::size_t at = 0; at < message.size();) last = NextChar(message, at);
  // Compared as code page 1250 codes: letters and digits sort after ".",
  // blanks and most punctuation before it.
  const int code = CharToCp1250(last);
  if (code < 0 || code > '.') return message + '.';
  return message;
}

std::string StopConditionListed(std::string_view condition, bool wasEnabled) {
  return Fill(wasEnabled ? "Warunek %1 jest już na liście; zaznaczono go."
                         : "Warunek %1 jest już na liście; zaznaczono go i włączono.",
              {condition});
}

std::string InactiveStopCondition(std::string_view condition, std::string_view problem) {
  return Fill("%1 — nieczynny: %2", {condition, problem});
}

std::string LostStopConditions(const std::vector<std::string>& conditionsWithReasons) {
  std::string text =
      "Te warunki zatrzymania stały się nieczynne i nie będą sprawdzane, dopóki ich nazwy znów "
      "nie będą znane:";
  for (const std::string& line : conditionsWithReasons) text += '\n' + line;
  return text;
}

std::string RegisterNotAvailable(std::string_view caption) {
  return Fill("Rejestr %1 nie jest dostępny", {caption});
}
std::string RegisterActiveAlready(std::string_view caption) {
  return Fill("Register %1 is active already", {caption});
}
std::string BusEmpty(std::string_view caption) {
  return Fill("Magistrala %1 jest pusta", {caption});
}
std::string BusBusy(std::string_view caption) {
  return Fill("Magistrala %1 jest już zajęta", {caption});
}
std::string MemoryBusy() {
  return "Pamięć jest już używana";
}
std::string AluNoInput() {
  return "Nieznana wartść wejściowa do JAL";
}
std::string AluActiveAlready() {
  return "JAL jest już aktywna";
}
std::string AluNoResult() {
  return "Wynik z JAL nieokreślony";
}
std::string NoSignalHandler(std::string_view componentName) {
  return Fill("Nie zdefiniowano procedury obsługi sygnału %1", {componentName});
}
std::string ProgramFinished() {
  return "Program został zakończony";
}
std::string UnknownPort() {
  return "Nieznany numer portu We/Wy";
}

std::string UnexpectedSymbol() {
  return " Nieoczekiwany symbol";
}
std::string ExpectedRozkaz() {
  return " Oczekiwane słowo kluczowe ROZKAZ";
}
std::string ExpectedSemicolon() {
  return " Oczekiwany średnik";
}
std::string BadFirstCycle() {
  return " Błędna treść pierwszego taktu";
}
std::string UnfinishedIf() {
  return " Niedokończona instrukcja JEŻELI";
}
std::string UnexpectedCondition() {
  return " Nieoczekiwany kod warunku";
}
std::string ExpectedTo() {
  return " Oczekiwane słowo TO";
}
std::string ExpectedGdy() {
  return " Oczekiwane słowo GDY";
}
std::string ExpectedNie() {
  return " Oczekiwane słowo nie";
}
std::string UnfinishedDalej() {
  return " Niedokończona instrukcja DALEJ";
}
std::string WeiOnlyInFirstCycle() {
  return " Sygnał wei może wystąpić tylko w pierwszym takcie";
}
std::string UnexpectedSignal(std::string_view name) {
  return Fill(" Nieoczekiwana nazwa sygnału: %1", {name});
}
std::string UnknownLabel(std::string_view label) {
  return Fill(" Nieznana etykieta %1", {label});
}

std::string NoRoomForInstruction() {
  return std::string(
      "Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie niedostępny)");
}

std::string BreakpointInInstruction(std::string_view name) {
  return Fill("Napotkano punkt zatrzymania trakcie wykonywania rozkazu %1", {name});
}
std::string ProgramBreakpoint() {
  return "Program doszedł do punktu zatrzymania";
}
std::string UnknownInstructionCode(int code) {
  return Fill("Nieznany kod rozkazu (%1)", {ToText(code)});
}
std::string LabelRedefinition(std::string_view name) {
  return Fill("Próba redefinicji etykiety %1", {name});
}
std::string ExpectedInstruction() {
  return " Oczekiwany rozkaz";
}
std::string LabelNotFound(std::string_view name) {
  return Fill("Nie znaleziono etykiety %1", {name});
}
std::string ProgramTooLarge() {
  return std::string(
      "Kod programu nie mieści się w pamięci operacyjnej (Zwiększ liczbę bitów adresu)");
}
std::string CompileFirst() {
  return "Najpierw skompiluj program";
}
std::string InputExhausted() {
  return "Program czeka na znak z wejścia, a dane wejściowe się skończyły";
}
std::string OutsideMemory() {
  return "(poza pamięcią)";
}
std::string CycleLimitReached(std::uint64_t cycles) {
  return Fill("Przekroczono limit %1 taktów zegara; program przerwano", {ToText(cycles)});
}

std::string RunInterrupted() {
  return "Przerwano wykonywanie programu";
}
std::string StopConditionHeld(std::string_view condition) {
  return Fill("Warunek zatrzymania: %1", {condition});
}

std::string AddressBitsOutOfRange(int bits) {
  return Fill("Liczba bitów adresu (%1) musi należeć do zakresu 5..16", {ToText(bits)});
}
std::string CodeBitsOutOfRange(int bits) {
  return Fill("Liczba bitów kodu rozkazu (%1) musi należeć do zakresu 3..8", {ToText(bits)});
}
std::string UnknownInterruptLine(int line) {
  return Fill("Nieznany numer przerwania (%1): dozwolone są 1..4", {ToText(line)});
}
std::string CharacterNotInCodePage(char32_t c) {
  return Fill("Znaku '%1' (U+%2) nie można zapisać w stronie kodowej 1250",
              {CharText(c), ToText(static_cast<std::uint64_t>(c), 16, 4)});
}
std::string DeleteInstructionQuestion(std::string_view name) {
  return Fill("Rzeczywiście chcesz usunąć rozkaz %1 z listy rozkazów ?", {name});
}
std::string SaveModifiedQuestion(std::string_view file) {
  return Fill("Plik %1 został zmodyfikowany. Zapisać ?", {file});
}
std::string TooLargeToStore(std::string_view file) {
  return Fill(
      "Plik %1 jest za duży, by przeglądarka go przechowała: jest tylko na tej stronie. "
      "Zapisz go na dysku (Plik ▸ Zapisz), zanim ją przeładujesz lub zamkniesz.",
      {file});
}
std::string ChangedInAnotherTab(std::string_view file) {
  return Fill(
      "Plik %1 zmieniono także w innej karcie przeglądarki. Obie wersje są zachowane: "
      "tamta otwiera się obok tej, którą edytujesz.",
      {file});
}
std::string ExampleListQuestion(std::string_view example, std::string_view list) {
  if (list.empty())
    return Fill(
        "Przykład %1 korzysta z domyślnej listy rozkazów. Lista rozkazów została zmieniona. "
        "Przywrócić domyślną listę rozkazów w jej miejsce?",
        {example});
  return Fill(
      "Przykład %1 korzysta z listy rozkazów %2. Lista rozkazów została zmieniona. "
      "Załadować %2 w jej miejsce?",
      {example, list});
}
std::string TaskListQuestion(std::string_view task, std::string_view list) {
  return Fill(
      "Zadanie „%1” korzysta z listy rozkazów %2. Lista rozkazów została zmieniona. "
      "Załadować %2 w jej miejsce?",
      {task, list});
}
std::string SaveInUtf8Question(char32_t c, std::string_view path) {
  return Fill(
      "Znaku '%1' (U+%2) w pliku %3 nie można zapisać w stronie kodowej 1250. "
      "Zapisać plik w kodowaniu UTF-8?",
      {CharText(c), ToText(static_cast<std::uint64_t>(c), 16, 4), path});
}
std::string CannotReadFile(std::string_view path, std::string_view reason) {
  return Fill("Nie można odczytać pliku %1: %2", {path, reason});
}
std::string NotARegularFile() {
  return "to nie jest zwykły plik";
}
std::string CannotLoadFile(std::string_view path, std::string_view reason) {
  return Fill("Nie można wczytać pliku %1: %2", {path, reason});
}
std::string NulInText(int line) {
  return Fill("w wierszu %1 jest znak NUL (bajt zerowy); to nie jest plik tekstowy",
              {ToText(line)});
}
std::string BytesNotInEncoding(std::string_view encoding, int line) {
  return Fill(
      "plik zaczyna się znacznikiem kodowania %1, ale w wierszu %2 ma bajty, "
      "które nie są w nim poprawnym tekstem",
      {encoding, ToText(line)});
}
std::string CannotWriteFile(std::string_view path, std::string_view reason) {
  return Fill("Nie można zapisać pliku %1: %2", {path, reason});
}

std::string MalformedStopCondition(std::string_view text, std::string_view why) {
  return Fill("Warunek \"%1\": %2", {text, why});
}
std::string EmptyStopCondition() {
  return "Pusty warunek zatrzymania";
}
std::string NoNameInParentheses() {
  return "brak nazwy w nawiasach";
}
std::string NoComparison() {
  return "brak porównania (=, !=, <, <=, >, >=), changed(NAZWA) ani signal(NAZWA)";
}
std::string NoNameBeforeComparison() {
  return "brak nazwy przed porównaniem";
}
std::string NoValueAfterComparison() {
  return "brak wartości po porównaniu";
}
std::string NotAnIntegerValue(std::string_view value) {
  return Fill("\"%1\" nie jest liczbą całkowitą", {value});
}
std::string AddressOutsideMemory(int address) {
  return Fill("adres %1 leży poza pamięcią", {ToText(address)});
}
std::string MachineLacksRegister(std::string_view caption) {
  return Fill("tej maszyny nie ma rejestru %1", {caption});
}
std::string AddressNotANumber(std::string_view name) {
  return Fill("adres w %1 nie jest liczbą", {name});
}
std::string NoRegisterOrLabel(std::string_view name) {
  return Fill("nie ma rejestru ani etykiety %1", {name});
}
std::string ValueTooWide(std::int64_t value, int bits) {
  return Fill("wartość %1 nie mieści się w %2 bitach", {ToText(value), ToText(bits)});
}
std::string NoSuchSignal(std::string_view name) {
  return Fill("nie ma sygnału %1", {name});
}
std::string CheckFailed(std::string_view name, std::string_view expected, std::string_view actual) {
  return Fill("oczekiwano %1=%2, jest %3", {name, expected, actual});
}
std::string CheckWrongValue(std::string_view name, std::string_view actual) {
  return Fill("%1: zła wartość %2", {name, actual});
}
std::string NoLabelValue(std::string_view label) {
  return Fill("brak wartości: program nie ma etykiety %1", {label});
}
std::string NotExecuted(std::string_view instruction) {
  return Fill("%1: nie wykonano", {instruction});
}
std::string OutputDiffers(std::string_view expected, std::string_view actual) {
  return Fill("wyjście: oczekiwano „%1”, jest „%2”", {expected, actual});
}
std::string OutputWrong(std::string_view actual) {
  return Fill("wyjście: inne niż oczekiwane, jest „%1”", {actual});
}
std::string OutputLacks(std::string_view piece) {
  return Fill("wyjście: brak fragmentu „%1”", {piece});
}
std::string OutputLacksHidden() {
  return "wyjście: brak wymaganego fragmentu";
}
std::string EndDiffers(std::string_view expectedStatus) {
  struct TEnd {
    std::string_view Status;
    const char* Text;
  };
  static constexpr std::array<TEnd, 3> kEnds = {{
      {"limit", "wykona limit taktów"},
      {"input", "będzie czekał na znak z wejścia"},
      {"error", "zakończy się błędem"},
  }};
  std::string expected(expectedStatus);
  for (const TEnd& end : kEnds) {
    if (end.Status == expectedStatus) expected = end.Text;
  }
  return Fill("oczekiwano, że program %1, a zakończył się rozkazem stopu", {expected});
}
std::string PrintedSoFar(std::string_view output) {
  if (output.empty()) return "program nic dotąd nie wypisał";
  return Fill("program wypisał dotąd „%1”", {output});
}
std::string ReferenceFails(std::string_view testCase, std::string_view why) {
  return Fill("wzorzec nie zalicza przypadku %1: %2", {testCase, why});
}
std::string ReferenceError(std::string_view why) {
  return Fill("wzorzec: %1", {why});
}
std::string MissingFile(std::string_view file) {
  return Fill("Brak pliku %1", {file});
}
std::string MissingFileNear(std::string_view file, std::string_view nearNames) {
  return Fill("Brak pliku %1 (jest: %2)", {file, nearNames});
}
std::string TimeLimitExceeded(std::string_view seconds) {
  return Fill("Przekroczono czas %1 s, przerwano", {seconds});
}
std::string RunCrashed() {
  return "Proces zakończył się awarią";
}
std::string RunGaveNoReport(int exitCode) {
  return Fill("Brak wyniku (kod %1)", {ToText(exitCode)});
}
std::string JsonSyntaxError(int line, int column, int problem) {
  static constexpr std::array<const char*, 15> kProblems = {{
      "",
      "brak nawiasu } zamykającego obiekt",
      "brak dwukropka po nazwie klucza",
      "brak nawiasu ] zamykającego listę",
      "brak przecinka między wartościami",
      "niedozwolona wartość (tekst bierze się w cudzysłów, a true, false i null piszą się "
      "małymi literami)",
      "plik urywa się w liczbie",
      "niedozwolona liczba",
      "niedozwolony znak po \\ w tekście",
      "niedozwolony znak w tekście",
      "niedomknięty tekst (brak cudzysłowu na końcu)",
      "oczekiwano obiektu {...}",
      "za głębokie zagnieżdżenie",
      "plik jest za duży",
      "nadmiarowy tekst po końcu obiektu",
  }};
  const bool known = problem > 0 && problem < static_cast<int>(kProblems.size());
  return Fill("błąd składni JSON w wierszu %1, kolumnie %2: %3",
              {ToText(line), ToText(column), known ? kProblems[problem] : "błąd składni"});
}
std::string FileErrorCause(std::error_code cause) {
  struct TCauseText {
    std::errc Cause;
    const char* Text;
  };
  static constexpr std::array<TCauseText, 9> kCauseTexts = {{
      {std::errc::no_such_file_or_directory, "nie ma takiego pliku ani folderu"},
      {std::errc::not_a_directory, "część ścieżki nie jest folderem"},
      {std::errc::is_a_directory, "w miejscu pliku jest folder"},
      {std::errc::permission_denied, "brak uprawnień"},
      {std::errc::operation_not_permitted, "brak uprawnień"},
      {std::errc::read_only_file_system, "system plików jest tylko do odczytu"},
      {std::errc::no_space_on_device, "brak miejsca na dysku"},
      {std::errc::filename_too_long, "za długa nazwa pliku"},
      {std::errc::io_error, "błąd wejścia-wyjścia urządzenia"},
  }};
  for (const TCauseText& c : kCauseTexts) {
    if (cause == c.Cause) return c.Text;
  }
  return {};
}
std::string FileReadOnly() {
  return "plik jest tylko do odczytu";
}
std::string FolderReadOnly() {
  return "folder jest tylko do odczytu";
}
std::string OperatingSystemError() {
  return "błąd systemu operacyjnego";
}
std::string FileTooLarge(int mebibytes) {
  return Fill("plik jest za duży (ponad %1 MiB)", {ToText(mebibytes)});
}

// Grading's options and the reports for course sites (dorum-cli test).
std::string UnknownCase(std::string_view name, std::string_view known) {
  return Fill("--case: w zestawie nie ma przypadku %1 (są: %2)", {name, known});
}
std::string BadChoice(std::string_view option, std::string_view choices, std::string_view value) {
  return Fill("%1: %2, nie \"%3\"", {option, choices, value});
}
std::string BadGradeMax(std::string_view value) {
  return Fill("VPL_GRADEMAX: \"%1\" to nie liczba dodatnia", {value});
}

// Grading: the suite's own checks and the students' public suite.
std::string SuiteConsoleWithoutDevice() {
  return "maszyna tej listy nie ma wejścia/wyjścia (opcja „wejście/wyjście”), nie ma więc konsoli";
}
std::string SuitePathOutsideFolder(std::string_view path) {
  return Fill(
      "ścieżka %1 wychodzi poza folder zestawu (ścieżki w zestawie są względne i zostają "
      "w jego folderze)",
      {path});
}
std::string SuiteExpectedTrueOrFalse() {
  return "oczekiwano true albo false";
}
std::string SuiteNoPublicCases() {
  return "żaden przypadek nie ma \"public\": true";
}
std::string SuiteWouldOverwriteItself() {
  return "folder zestawu dla studentów musi być inny niż folder zestawu";
}
std::string PublicSuiteWritten(std::string_view path, int cases) {
  return Fill("Zapisano zestaw dla studentów %1: przypadków %2", {path, ToText(cases)});
}
std::string PublicNeedsFolder() {
  return "--public wymaga folderu: -o FOLDER";
}
std::string PublicGradesNoSubmissions() {
  return "--public zapisuje zestaw, nie ocenia zgłoszeń: pomiń je";
}

std::string CheckNotAssignment(std::string_view item) {
  return Fill("Sprawdzenie \"%1\" nie ma postaci NAZWA=WARTOŚĆ", {item});
}
std::string CheckRegisterAbsent(std::string_view name, std::string_view caption) {
  return Fill("Sprawdzenie %1: tej maszyny nie ma rejestru %2", {name, caption});
}
std::string CheckAddressOutsideMemory(int address, std::string_view name) {
  return Fill("Adres %1 w sprawdzeniu %2 leży poza pamięcią", {ToText(address), name});
}
std::string CheckNotAName(std::string_view name) {
  return Fill("Sprawdzenie %1: to nie jest nazwa rejestru ani etykiety", {name});
}
std::string CheckValueTooWide(std::int64_t value, std::string_view name, int bits) {
  return Fill("Wartość %1 w %2 nie mieści się w %3 bitach", {ToText(value), name, ToText(bits)});
}
std::string CheckWordNoInstruction(std::string_view word, std::string_view name,
                                   std::string_view instruction) {
  return Fill("Wartość %1 w %2: nie ma rozkazu %3", {word, name, instruction});
}
std::string CheckWordNoLabel(std::string_view word, std::string_view name, std::string_view label) {
  return Fill("Wartość %1 w %2: nie ma etykiety %3", {word, name, label});
}
std::string IrqMalformed(std::string_view value) {
  return Fill("--irq wymaga postaci LINIA@TAKTY z linią 1-4, nie \"%1\"", {value});
}
std::string IrqWithoutInterrupts() {
  return "--irq wymaga maszyny z przerwaniami: " + RegisterNotAvailable("RZ");
}
std::string ListWithoutInstructions() {
  return "brak rozkazów: plik nie zawiera żadnego rozkazu";
}

std::string SuiteUnknownKey(std::string_view where, std::string_view key, std::string_view known) {
  return Fill("%1: nieznany klucz \"%2\" (znane: %3)", {where, key, known});
}
std::string SuiteNotWholeNumber(std::string_view where) {
  return Fill("%1: wartość musi być liczbą całkowitą", {where});
}
std::string SuiteExpectedNumberOrText(std::string_view where) {
  return Fill("%1: oczekiwano liczby albo tekstu", {where});
}
std::string SuiteNotAssignment(std::string_view where, std::string_view item) {
  return Fill("%1: \"%2\" nie ma postaci NAZWA=WARTOŚĆ", {where, item});
}
std::string SuiteExpectedAssignments(std::string_view where) {
  return Fill("%1: oczekiwano obiektu {\"NAZWA\": WARTOŚĆ}", {where});
}
std::string SuiteBadName(std::string_view where, std::string_view name) {
  return Fill("%1: zła nazwa \"%2\"", {where, name});
}
std::string SuiteExpectedTexts(std::string_view where) {
  return Fill("%1: oczekiwano listy tekstów", {where});
}
std::string SuiteExpectedNonEmptyTexts(std::string_view where) {
  return Fill("%1: oczekiwano niepustych tekstów", {where});
}
std::string SuiteExpectedPositive(std::string_view where) {
  return Fill("%1: oczekiwano dodatniej liczby całkowitej", {where});
}
std::string SuiteExpectedLimit(std::string_view where) {
  return Fill("%1: oczekiwano dodatniej liczby całkowitej albo \"reference*N\"", {where});
}
std::string SuiteExpectedText(std::string_view where) {
  return Fill("%1: oczekiwano tekstu", {where});
}
std::string SuiteExpectedNonEmptyText(std::string_view where) {
  return Fill("%1: oczekiwano niepustego tekstu", {where});
}
std::string SuiteExpectedObject(std::string_view where) {
  return Fill("%1: oczekiwano obiektu", {where});
}
std::string SuiteInputTwice(std::string_view where) {
  return Fill("%1: input i input_file wykluczają się", {where});
}
std::string SuiteUnknownStatus(std::string_view where, std::string_view status,
                               std::string_view known) {
  return Fill("%1: \"%2\" (znane: %3)", {where, status, known});
}
std::string SuiteChecksNothing(std::string_view where) {
  return Fill(
      "%1: przypadek niczego nie sprawdza (expect, must_execute, output, output_contains, status)",
      {where});
}
std::string SuiteBadPoints(std::string_view where) {
  return Fill("%1: oczekiwano nieujemnej liczby", {where});
}
std::string SuiteNotJsonObject() {
  return "oczekiwano obiektu JSON";
}
std::string SuiteListMissing(std::string_view path) {
  return Fill("list: nie ma pliku %1", {path});
}
std::string SuiteNoProgram() {
  return "program: podaj nazwę pliku programu w folderze zgłoszenia";
}
std::string SuiteBadTimeout(int maxSeconds) {
  return Fill("timeout: oczekiwano liczby sekund większej od 0, najwyżej %1", {ToText(maxSeconds)});
}
std::string SuiteNameRepeated(std::string_view name) {
  return Fill("nazwa \"%1\" powtarza się", {name});
}
std::string SuiteFactorNeedsReference() {
  return "\"reference*N\" wymaga klucza \"reference\"";
}
std::string SuiteNoCases() {
  return "cases: podaj listę przypadków testowych";
}
std::string SuiteUnknownInstruction(std::string_view name) {
  return Fill("nie ma rozkazu %1 na liście ani wśród plików rozkazów zestawu", {name});
}
std::string SuiteWordUnknownInstruction(std::string_view item, std::string_view instruction) {
  return Fill("%1: %2", {item, SuiteUnknownInstruction(instruction)});
}
std::string WordAtFault(std::string_view word) {
  return Fill("słowo „%1”", {word});
}
std::string ArgumentMissingAtEnd(std::string_view word) {
  return Fill("brak argumentu po słowie „%1” na końcu programu", {word});
}
std::string RunPlace(std::string_view instruction, int step, int programLine, std::uint64_t cycle) {
  std::string place = instruction.empty() ? std::string() : Fill("rozkaz %1, ", {instruction});
  place += Fill("takt %1 rozkazu, ", {ToText(step)});
  if (programLine > 0) place += Fill("wiersz %1 programu, ", {ToText(programLine)});
  return place + Fill("takt zegara nr %1", {ToText(cycle)});
}

std::string NoSubmissionsNamed() {
  return "podaj zgłoszenia albo folder \"submissions\" w zestawie";
}
std::string NoSubmissionsFolder(std::string_view folder) {
  return Fill("submissions: nie ma folderu %1", {folder});
}
std::string SubmissionsFolderEmpty(std::string_view folder) {
  return Fill("submissions: folder %1 jest pusty", {folder});
}
std::string NoSuchSubmission(std::string_view path) {
  return Fill("zgłoszenie %1: nie ma takiego pliku ani folderu", {path});
}
std::string ClassFolderAsSubmission(std::string_view path, int programs, std::string_view program) {
  return Fill(
      "zgłoszenie %1: to folder zgłoszeń (%2 podfolderów z plikiem %3), nie jedno zgłoszenie; "
      "podaj zgłoszenia, np. %1/*, albo folder w kluczu \"submissions\" zestawu",
      {path, ToText(programs), program});
}

std::string ListSectionPlace(std::string_view section, int textLine) {
  std::string place = Fill("rozkaz %1 w sekcji [%1]", {section});
  return textLine > 0 ? place + Fill(", wiersz %1 jego tekstu", {ToText(textLine)}) : place;
}
std::string InstructionTextEndsAfter(std::string_view word) {
  return Fill("tekst rozkazu kończy się po słowie „%1”", {word});
}

std::string InstructionTakesNoArgument(std::string_view instruction, std::string_view word) {
  return Fill("rozkaz %1 ma „Argumenty 0”, a po nim stoi „%2”", {instruction, word});
}

}  // namespace dorum::Texts
