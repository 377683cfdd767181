#pragma once

#include <QString>
#include <cstdint>

// The system's messages. Texts are exact, blanks and spelling included: users
// and their teachers recognise them, and tests compare them.
namespace dorum::Texts {

// Standard library messages, kept in English as the runtime phrases them.
QString NotValidInteger(const QString& text);  // "'%s' is not a valid integer value"
QString ListIndexOutOfBounds(int index);       // "List index out of bounds (%d)"
QString DivisionByZero();                      // "Division by zero"

// Data path rules.
QString RegisterNotAvailable(const QString& caption);
QString RegisterActiveAlready(const QString& caption);
QString BusEmpty(const QString& caption);
QString BusBusy(const QString& caption);
QString MemoryBusy();
QString AluNoInput();
QString AluActiveAlready();
QString AluNoResult();
QString NoSignalHandler(const QString& componentName);
QString ProgramFinished();
QString UnknownPort();

// Word reader and instruction compiler (each begins with a blank, which
// follows the position "line:column").
QString UnexpectedSymbol();     // " Nieoczekiwany symbol"
QString ExpectedRozkaz();       // " Oczekiwane słowo kluczowe ROZKAZ"
QString ExpectedSemicolon();    // " Oczekiwany średnik"
QString BadFirstCycle();        // " Błędna treść pierwszego taktu"
QString UnfinishedIf();         // " Niedokończona instrukcja JEŻELI"
QString UnexpectedCondition();  // " Nieoczekiwany kod warunku"
QString ExpectedTo();           // " Oczekiwane słowo TO"
QString ExpectedGdy();          // " Oczekiwane słowo GDY"
QString ExpectedNie();          // " Oczekiwane słowo nie"
QString UnfinishedDalej();      // " Niedokończona instrukcja DALEJ"
QString WeiOnlyInFirstCycle();  // " Sygnał wei może wystąpić tylko w pierwszym takcie"
QString UnexpectedSignal(const QString& name);  // " Nieoczekiwana nazwa sygnału: %s"
QString UnknownLabel(const QString& label);     // " Nieznana etykieta %s"

// Instruction list.
QString NoRoomForInstruction();  // "Brak miejsca na liście rozkazów (...)"

// Control unit.
QString BreakpointInInstruction(const QString& name);  // "Napotkano punkt zatrzymania ..."
QString ProgramBreakpoint();                           // "Program doszedł do punktu zatrzymania"
QString UnknownInstructionCode(int code);              // "Nieznany kod rozkazu (%d)"
// A run that was given a cycle limit (the command line's guard against endless programs).
QString CycleLimitReached(std::uint64_t cycles);
// A stop condition held at the end of a cycle of a run.
QString StopConditionHeld(const QString& condition);  // "Warunek zatrzymania: %s"

// Stop conditions that cannot be read: "Warunek "TEXT": WHY", with WHY one
// of those below.
QString MalformedStopCondition(const QString& text, const QString& why);
QString EmptyStopCondition();
QString NoNameInParentheses();
QString NoComparison();
QString NoNameBeforeComparison();
QString NoValueAfterComparison();
QString AddressOutsideMemory(int address);
QString MachineLacksRegister(const QString& caption);
QString AddressNotANumber(const QString& name);
QString NoRegisterOrLabel(const QString& name);
QString ValueTooWide(std::int64_t value, int bits);
QString NoSuchSignal(const QString& name);

// Assembler and debugger.
QString LabelRedefinition(const QString& name);  // "Próba redefinicji etykiety %s"
QString ExpectedInstruction();                   // " Oczekiwany rozkaz"
QString LabelNotFound(const QString& name);      // "Nie znaleziono etykiety %s"
QString ProgramTooLarge();                       // "Kod programu nie mieści się ..."
QString CompileFirst();                          // "Najpierw skompiluj program"
// A grading run whose program waits for input when none is left.
QString InputExhausted();
// A watch whose address lies outside the memory.
QString OutsideMemory();

// Configuration and files.
QString AddressBitsOutOfRange(int bits);
QString CodeBitsOutOfRange(int bits);
QString UnknownInterruptLine(int line);
QString CharacterNotInCodePage(QChar c);
QString CannotReadFile(const QString& path, const QString& reason);
// A file that was read but cannot be taken as text without losing part of it.
QString CannotLoadFile(const QString& path, const QString& reason);
// The reason for a device, a pipe or a socket where a text file was expected.
QString NotARegularFile();
// Why the system refused a file, before its own words.
QString FileReadOnly();
QString FolderReadOnly();
QString OperatingSystemError();
QString FileTooLarge(int mebibytes);
QString NulInText(int line);
QString BytesNotInEncoding(const QString& encoding, int line);
QString CannotWriteFile(const QString& path, const QString& reason);

}  // namespace dorum::Texts
