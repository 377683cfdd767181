#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The system's messages. Texts are exact, blanks and spelling included: users
// and their teachers recognise them, and tests compare them.
namespace dorum::Texts {

// Standard library messages, kept in English as the runtime phrases them.
std::string NotValidInteger(std::string_view text);  // "'%s' is not a valid integer value"
std::string ListIndexOutOfBounds(int index);         // "List index out of bounds (%d)"
std::string DivisionByZero();                        // "Division by zero"

// A message as a message box shows it: ended with a full stop unless it
// already ends in a blank or punctuation.
std::string BoxText(const std::string& message);

// Data path rules.
std::string RegisterNotAvailable(std::string_view caption);
std::string RegisterActiveAlready(std::string_view caption);
std::string BusEmpty(std::string_view caption);
std::string BusBusy(std::string_view caption);
std::string MemoryBusy();
std::string AluNoInput();
std::string AluActiveAlready();
std::string AluNoResult();
std::string NoSignalHandler(std::string_view componentName);
std::string ProgramFinished();
std::string UnknownPort();

// Word reader and instruction compiler (each begins with a blank, which
// follows the position "line:column").
std::string UnexpectedSymbol();     // " Nieoczekiwany symbol"
std::string ExpectedRozkaz();       // " Oczekiwane słowo kluczowe ROZKAZ"
std::string ExpectedSemicolon();    // " Oczekiwany średnik"
std::string BadFirstCycle();        // " Błędna treść pierwszego taktu"
std::string UnfinishedIf();         // " Niedokończona instrukcja JEŻELI"
std::string UnexpectedCondition();  // " Nieoczekiwany kod warunku"
std::string ExpectedTo();           // " Oczekiwane słowo TO"
std::string ExpectedGdy();          // " Oczekiwane słowo GDY"
std::string ExpectedNie();          // " Oczekiwane słowo nie"
std::string UnfinishedDalej();      // " Niedokończona instrukcja DALEJ"
std::string WeiOnlyInFirstCycle();  // " Sygnał wei może wystąpić tylko w pierwszym takcie"
std::string UnexpectedSignal(std::string_view name);  // " Nieoczekiwana nazwa sygnału: %s"
std::string UnknownLabel(std::string_view label);     // " Nieznana etykieta %s"

// Instruction list.
std::string NoRoomForInstruction();  // "Brak miejsca na liście rozkazów (...)"

// Control unit.
std::string BreakpointInInstruction(std::string_view name);  // "Napotkano punkt zatrzymania ..."
std::string ProgramBreakpoint();               // "Program doszedł do punktu zatrzymania"
std::string UnknownInstructionCode(int code);  // "Nieznany kod rozkazu (%d)"
// A run that was given a cycle limit (the command line's guard against endless programs).
std::string CycleLimitReached(std::uint64_t cycles);
std::string RunInterrupted();
// A stop condition held at the end of a cycle of a run.
std::string StopConditionHeld(std::string_view condition);  // "Warunek zatrzymania: %s"

// Stop conditions that cannot be read: "Warunek "TEXT": WHY", with WHY one
// of those below.
std::string MalformedStopCondition(std::string_view text, std::string_view why);
std::string EmptyStopCondition();
std::string NoNameInParentheses();
std::string NoComparison();
std::string NoNameBeforeComparison();
std::string NoValueAfterComparison();
std::string NotAnIntegerValue(std::string_view value);
std::string AddressOutsideMemory(int address);
std::string MachineLacksRegister(std::string_view caption);
std::string AddressNotANumber(std::string_view name);
std::string NoRegisterOrLabel(std::string_view name);
std::string ValueTooWide(std::int64_t value, int bits);
std::string NoSuchSignal(std::string_view name);

// Assembler and debugger.
std::string LabelRedefinition(std::string_view name);  // "Próba redefinicji etykiety %s"
std::string ExpectedInstruction();                     // " Oczekiwany rozkaz"
std::string LabelNotFound(std::string_view name);      // "Nie znaleziono etykiety %s"
std::string ProgramTooLarge();                         // "Kod programu nie mieści się ..."
std::string CompileFirst();                            // "Najpierw skompiluj program"
// A grading run whose program waits for input when none is left.
std::string InputExhausted();
// A watch whose address lies outside the memory.
std::string OutsideMemory();

// Grading: what "dorum-cli run" and "dorum-cli test" tell a student or a
// teacher of a check that did not hold, a case and a submission.
std::string CheckFailed(std::string_view name, std::string_view expected,
                        std::string_view actual);  // "oczekiwano %1=%2, jest %3"
// The same without the expected value, which a student's log must not show.
std::string CheckWrongValue(std::string_view name, std::string_view actual);
// The actual value of a check of a label the program lacks.
std::string NoLabelValue(std::string_view label);
std::string NotExecuted(std::string_view instruction);
std::string OutputDiffers(std::string_view expected, std::string_view actual);
std::string OutputWrong(std::string_view actual);
std::string OutputLacks(std::string_view piece);
std::string OutputLacksHidden();
// A case that was to end otherwise (status "limit", "input" or "error",
// as "run --json" names it) and stopped.
std::string EndDiffers(std::string_view expectedStatus);
// A run that waits for input, with what the program had printed by then.
std::string PrintedSoFar(std::string_view output);
std::string ReferenceFails(std::string_view testCase, std::string_view why);
std::string ReferenceError(std::string_view why);
std::string MissingFile(std::string_view file);
// A missing file and the files beside it the student may have meant.
std::string MissingFileNear(std::string_view file, std::string_view nearNames);
std::string TimeLimitExceeded(std::string_view seconds);
std::string RunCrashed();
std::string RunGaveNoReport(int exitCode);
// A suite that is no JSON: where, and why. `problem` is the value of Qt's
// QJsonParseError::ParseError, whose order the table follows.
std::string JsonSyntaxError(int line, int column, int problem);

// Configuration and files.
std::string AddressBitsOutOfRange(int bits);
std::string CodeBitsOutOfRange(int bits);
std::string UnknownInterruptLine(int line);
std::string CharacterNotInCodePage(char32_t c);
// Asked before an instruction is deleted from the list, and before an
// editor with unsaved changes is closed.
std::string DeleteInstructionQuestion(std::string_view name);
std::string SaveModifiedQuestion(std::string_view file);
// The web edition keeps the work in the browser's storage: said when the
// storage is full, and for a file too large to keep there.
inline constexpr std::string_view StorageFull =
    "Przeglądarka nie ma już miejsca, by przechować pracę. Zapisz otwarte pliki na dysku "
    "(Plik ▸ Zapisz): zmiany, których nie zapiszesz, przepadną przy przeładowaniu strony.";
std::string TooLargeToStore(std::string_view file);
// A call of the web edition's engine that failed where no message says why.
inline constexpr std::string_view EngineFault =
    "Polecenie nie zostało wykonane: wystąpił błąd wewnętrzny symulatora. Zapisz pracę do "
    "plików i przeładuj stronę.";
// Served over plain http from another computer, the page cannot keep itself for offline use.
inline constexpr std::string_view NoOfflineWithoutHttps =
    "Bez sieci ta strona nie zadziała: serwer podaje ją przez http, a przeglądarka przechowuje "
    "strony do pracy bez sieci tylko z adresów https.";
// Two tabs of the web edition changed the same file: both versions are kept.
std::string ChangedInAnotherTab(std::string_view file);
// The information boxes of a successful compile.
inline constexpr std::string_view ProgramCompiled = "Program został skompilowany";
inline constexpr std::string_view InstructionCompiled = "Rozkaz skompilowany pomyślnie";
// Asked before an example's machine replaces a list the student changed:
// the example's own list, or the default machine when `list` is empty.
std::string ExampleListQuestion(std::string_view example, std::string_view list);
std::string TaskListQuestion(std::string_view task, std::string_view list);
// The stop conditions' dialog: what a condition may say, one typed again,
// a condition whose names no longer resolve, and those that stopped being
// checked after a compile, a list loaded or the options changed.
inline constexpr std::string_view StopConditionNote =
    "Warunek ma postać NAZWA=W, NAZWA!=W, NAZWA<W, NAZWA<=W, NAZWA>W, NAZWA>=W, "
    "changed(NAZWA) (wartość różni się od tej z końca poprzedniego taktu) albo "
    "signal(NAZWA) (sygnał był aktywny w takcie). NAZWA to rejestr (AK, L, ...), mem[ADRES] "
    "albo etykieta programu; W to liczba jak w programie (-1, $1F). Warunki są sprawdzane na "
    "końcu każdego taktu rozkazu i programu; pierwszy spełniony zatrzymuje wykonanie po tym "
    "takcie.";
std::string StopConditionListed(std::string_view condition, bool wasEnabled);
std::string InactiveStopCondition(std::string_view condition, std::string_view problem);
std::string LostStopConditions(const std::vector<std::string>& conditionsWithReasons);
// What the timing diagram says while the history holds no cycle.
inline constexpr std::string_view NoCyclesRecorded =
    "Nie zapisano jeszcze żadnego taktu.\n\n"
    "Przebiegi powstają z historii wykonania: skompiluj program i wykonaj go poleceniem "
    "„Takt” (F7), „Rozkaz” (F8) lub „Program” (F9) z menu „Wykonaj”. Reset, kompilacja, "
    "wczytanie listy rozkazów i zmiana konfiguracji zaczynają historię od nowa.";
// A picture or dump of the timing diagram asked for before any cycle.
inline constexpr std::string_view NothingToSave =
    "Nie ma czego zapisać: historia wykonania nie zawiera jeszcze żadnego taktu.";
// The editors' find and replace.
inline constexpr std::string_view EmptyFind = "Nie można szukać pustego tekstu";
inline constexpr std::string_view EmptyReplace = "Nie można zamieniać pustego tekstu";
inline constexpr std::string_view NotFound = "Nie znaleziono szukanego tekstu";
// Asked before a file of code page 1250 holding such a character is saved.
std::string SaveInUtf8Question(char32_t c, std::string_view path);
std::string CannotReadFile(std::string_view path, std::string_view reason);
// A file that was read but cannot be taken as text without losing part of it.
std::string CannotLoadFile(std::string_view path, std::string_view reason);
// The reason for a device, a pipe or a socket where a text file was expected.
std::string NotARegularFile();
// Why the system refused a file, before its own words: the causes users
// meet have texts of their own (empty for the others).
std::string FileErrorCause(std::error_code cause);
std::string FileReadOnly();
std::string FolderReadOnly();
std::string OperatingSystemError();
std::string FileTooLarge(int mebibytes);
std::string NulInText(int line);
std::string BytesNotInEncoding(std::string_view encoding, int line);
std::string CannotWriteFile(std::string_view path, std::string_view reason);

// Grading's options and the reports for course sites (dorum-cli test).
std::string UnknownCase(std::string_view name, std::string_view known);
std::string BadChoice(std::string_view option, std::string_view choices, std::string_view value);
std::string BadGradeMax(std::string_view value);

// Grading: the suite's own checks and the students' public suite.
std::string SuiteConsoleWithoutDevice();
std::string SuitePathOutsideFolder(std::string_view path);
std::string SuiteExpectedTrueOrFalse();
std::string SuiteNoPublicCases();
std::string SuiteWouldOverwriteItself();
std::string PublicSuiteWritten(std::string_view path, int cases);
std::string PublicNeedsFolder();
std::string PublicGradesNoSubmissions();

// Grading: the checks of a run (--set, --expect, --irq), against the
// machine; each is the teacher's mistake.
std::string CheckNotAssignment(std::string_view item);
std::string CheckRegisterAbsent(std::string_view name, std::string_view caption);
std::string CheckAddressOutsideMemory(int address, std::string_view name);
std::string CheckNotAName(std::string_view name);
std::string CheckValueTooWide(std::int64_t value, std::string_view name, int bits);
std::string CheckWordNoInstruction(std::string_view word, std::string_view name,
                                   std::string_view instruction);
std::string CheckWordNoLabel(std::string_view word, std::string_view name, std::string_view label);
std::string IrqMalformed(std::string_view value);
std::string IrqWithoutInterrupts();
std::string ListWithoutInstructions();

// Grading: reading a suite. `where` names the value at fault as the JSON
// has it ("cases[2].expect"); each text follows it.
std::string SuiteUnknownKey(std::string_view where, std::string_view key, std::string_view known);
std::string SuiteNotWholeNumber(std::string_view where);
std::string SuiteExpectedNumberOrText(std::string_view where);
std::string SuiteNotAssignment(std::string_view where, std::string_view item);
std::string SuiteExpectedAssignments(std::string_view where);
std::string SuiteBadName(std::string_view where, std::string_view name);
std::string SuiteExpectedTexts(std::string_view where);
std::string SuiteExpectedNonEmptyTexts(std::string_view where);
std::string SuiteExpectedPositive(std::string_view where);
std::string SuiteExpectedLimit(std::string_view where);
std::string SuiteExpectedText(std::string_view where);
std::string SuiteExpectedNonEmptyText(std::string_view where);
std::string SuiteExpectedObject(std::string_view where);
std::string SuiteInputTwice(std::string_view where);
std::string SuiteUnknownStatus(std::string_view where, std::string_view status,
                               std::string_view known);
std::string SuiteChecksNothing(std::string_view where);
std::string SuiteBadPoints(std::string_view where);
std::string SuiteNotJsonObject();
std::string SuiteListMissing(std::string_view path);
std::string SuiteNoProgram();
std::string SuiteBadTimeout(int maxSeconds);
std::string SuiteNameRepeated(std::string_view name);
std::string SuiteFactorNeedsReference();
std::string SuiteNoCases();
// An instruction a case names that neither the list nor the suite's
// instruction files bring.
std::string SuiteUnknownInstruction(std::string_view name);
std::string SuiteWordUnknownInstruction(std::string_view item, std::string_view instruction);
// The notes of an error's place, as a grading reports it: the word at
// fault, and where a run stood.
std::string WordAtFault(std::string_view word);
std::string ArgumentMissingAtEnd(std::string_view word);
std::string RunPlace(std::string_view instruction, int step, int programLine, std::uint64_t cycle);

// Which submissions to grade: the teacher's mistakes in naming them.
std::string NoSubmissionsNamed();  // "podaj zgłoszenia albo folder \"submissions\" w zestawie"
std::string NoSubmissionsFolder(std::string_view folder);
std::string SubmissionsFolderEmpty(std::string_view folder);
std::string NoSuchSubmission(std::string_view path);
// A class's folder named as a single submission.
std::string ClassFolderAsSubmission(std::string_view path, int programs, std::string_view program);

// The notes of a list file's error: the instruction's section and the line
// of its text, and the last word of a text that ended too soon.
std::string ListSectionPlace(std::string_view section, int textLine);
std::string InstructionTextEndsAfter(std::string_view word);

// A word after an instruction without arguments, where the next instruction
// was expected.
std::string InstructionTakesNoArgument(std::string_view instruction, std::string_view word);

}  // namespace dorum::Texts
