#include "common/Texts.h"

namespace dorum::Texts {

QString NotValidInteger(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
QString ListIndexOutOfBounds(int index) {
  return QStringLiteral("List index out of bounds (%1)").arg(index);
}
QString DivisionByZero() {
  return QStringLiteral("Division by zero");
}

QString RegisterNotAvailable(const QString& caption) {
  return QStringLiteral("Rejestr ") + caption + QStringLiteral(" nie jest dostępny");
}
QString RegisterActiveAlready(const QString& caption) {
  return QStringLiteral("Register ") + caption + QStringLiteral(" is active already");
}
QString BusEmpty(const QString& caption) {
  return QStringLiteral("Magistrala ") + caption + QStringLiteral(" jest pusta");
}
QString BusBusy(const QString& caption) {
  return QStringLiteral("Magistrala ") + caption + QStringLiteral(" jest już zajęta");
}
QString MemoryBusy() {
  return QStringLiteral("Pamięć jest już używana");
}
QString AluNoInput() {
  return QStringLiteral("Nieznana wartść wejściowa do JAL");
}
QString AluActiveAlready() {
  return QStringLiteral("JAL jest już aktywna");
}
QString AluNoResult() {
  return QStringLiteral("Wynik z JAL nieokreślony");
}
QString NoSignalHandler(const QString& componentName) {
  return QStringLiteral("Nie zdefiniowano procedury obsługi sygnału ") + componentName;
}
QString ProgramFinished() {
  return QStringLiteral("Program został zakończony");
}
QString UnknownPort() {
  return QStringLiteral("Nieznany numer portu We/Wy");
}

QString UnexpectedSymbol() {
  return QStringLiteral(" Nieoczekiwany symbol");
}
QString ExpectedRozkaz() {
  return QStringLiteral(" Oczekiwane słowo kluczowe ROZKAZ");
}
QString ExpectedSemicolon() {
  return QStringLiteral(" Oczekiwany średnik");
}
QString BadFirstCycle() {
  return QStringLiteral(" Błędna treść pierwszego taktu");
}
QString UnfinishedIf() {
  return QStringLiteral(" Niedokończona instrukcja JEŻELI");
}
QString UnexpectedCondition() {
  return QStringLiteral(" Nieoczekiwany kod warunku");
}
QString ExpectedTo() {
  return QStringLiteral(" Oczekiwane słowo TO");
}
QString ExpectedGdy() {
  return QStringLiteral(" Oczekiwane słowo GDY");
}
QString ExpectedNie() {
  return QStringLiteral(" Oczekiwane słowo nie");
}
QString UnfinishedDalej() {
  return QStringLiteral(" Niedokończona instrukcja DALEJ");
}
QString WeiOnlyInFirstCycle() {
  return QStringLiteral(" Sygnał wei może wystąpić tylko w pierwszym takcie");
}
QString UnexpectedSignal(const QString& name) {
  return QStringLiteral(" Nieoczekiwana nazwa sygnału: ") + name;
}
QString UnknownLabel(const QString& label) {
  return QStringLiteral(" Nieznana etykieta ") + label;
}

QString NoRoomForInstruction() {
  return QStringLiteral(
      "Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie niedostępny)");
}

QString BreakpointInInstruction(const QString& name) {
  return QStringLiteral("Napotkano punkt zatrzymania trakcie wykonywania rozkazu ") + name;
}
QString ProgramBreakpoint() {
  return QStringLiteral("Program doszedł do punktu zatrzymania");
}
QString UnknownInstructionCode(int code) {
  return QStringLiteral("Nieznany kod rozkazu (%1)").arg(code);
}
QString LabelRedefinition(const QString& name) {
  return QStringLiteral("Próba redefinicji etykiety %1").arg(name);
}
QString ExpectedInstruction() {
  return QStringLiteral(" Oczekiwany rozkaz");
}
QString LabelNotFound(const QString& name) {
  return QStringLiteral("Nie znaleziono etykiety %1").arg(name);
}
QString ProgramTooLarge() {
  return QStringLiteral(
      "Kod programu nie mieści się w pamięci operacyjnej (Zwiększ liczbę bitów adresu)");
}
QString CompileFirst() {
  return QStringLiteral("Najpierw skompiluj program");
}
QString InputExhausted() {
  return QStringLiteral("Program czeka na znak z wejścia, a dane wejściowe się skończyły");
}
QString OutsideMemory() {
  return QStringLiteral("(poza pamięcią)");
}
QString CycleLimitReached(std::uint64_t cycles) {
  return QStringLiteral("Przekroczono limit %1 taktów zegara; program przerwano").arg(cycles);
}
QString StopConditionHeld(const QString& condition) {
  return QStringLiteral("Warunek zatrzymania: %1").arg(condition);
}

QString AddressBitsOutOfRange(int bits) {
  return QStringLiteral("Liczba bitów adresu (%1) musi należeć do zakresu 5..16").arg(bits);
}
QString CodeBitsOutOfRange(int bits) {
  return QStringLiteral("Liczba bitów kodu rozkazu (%1) musi należeć do zakresu 3..8").arg(bits);
}
QString UnknownInterruptLine(int line) {
  return QStringLiteral("Nieznany numer przerwania (%1): dozwolone są 1..4").arg(line);
}
QString CharacterNotInCodePage(QChar c) {
  return QStringLiteral("Znaku '%1' (U+%2) nie można zapisać w stronie kodowej 1250")
      .arg(c)
      .arg(c.unicode(), 4, 16, QLatin1Char('0'));
}
QString CannotReadFile(const QString& path, const QString& reason) {
  return QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, reason);
}
QString NotARegularFile() {
  return QStringLiteral("to nie jest zwykły plik");
}
QString CannotLoadFile(const QString& path, const QString& reason) {
  return QStringLiteral("Nie można wczytać pliku %1: %2").arg(path, reason);
}
QString NulInText(int line) {
  return QStringLiteral("w wierszu %1 jest znak NUL (bajt zerowy); to nie jest plik tekstowy")
      .arg(line);
}
QString BytesNotInEncoding(const QString& encoding, int line) {
  return QStringLiteral(
             "plik zaczyna się znacznikiem kodowania %1, ale w wierszu %2 ma bajty, "
             "które nie są w nim poprawnym tekstem")
      .arg(encoding)
      .arg(line);
}
QString CannotWriteFile(const QString& path, const QString& reason) {
  return QStringLiteral("Nie można zapisać pliku %1: %2").arg(path, reason);
}

QString MalformedStopCondition(const QString& text, const QString& why) {
  return QStringLiteral("Warunek \"%1\": %2").arg(text, why);
}
QString EmptyStopCondition() {
  return QStringLiteral("Pusty warunek zatrzymania");
}
QString NoNameInParentheses() {
  return QStringLiteral("brak nazwy w nawiasach");
}
QString NoComparison() {
  return QStringLiteral("brak porównania (=, !=, <, <=, >, >=), changed(NAZWA) ani signal(NAZWA)");
}
QString NoNameBeforeComparison() {
  return QStringLiteral("brak nazwy przed porównaniem");
}
QString NoValueAfterComparison() {
  return QStringLiteral("brak wartości po porównaniu");
}
QString AddressOutsideMemory(int address) {
  return QStringLiteral("adres %1 leży poza pamięcią").arg(address);
}
QString MachineLacksRegister(const QString& caption) {
  return QStringLiteral("tej maszyny nie ma rejestru %1").arg(caption);
}
QString AddressNotANumber(const QString& name) {
  return QStringLiteral("adres w %1 nie jest liczbą").arg(name);
}
QString NoRegisterOrLabel(const QString& name) {
  return QStringLiteral("nie ma rejestru ani etykiety %1").arg(name);
}
QString ValueTooWide(std::int64_t value, int bits) {
  return QStringLiteral("wartość %1 nie mieści się w %2 bitach").arg(value).arg(bits);
}
QString NoSuchSignal(const QString& name) {
  return QStringLiteral("nie ma sygnału %1").arg(name);
}
QString FileReadOnly() {
  return QStringLiteral("plik jest tylko do odczytu");
}
QString FolderReadOnly() {
  return QStringLiteral("folder jest tylko do odczytu");
}
QString OperatingSystemError() {
  return QStringLiteral("błąd systemu operacyjnego");
}
QString FileTooLarge(int mebibytes) {
  return QStringLiteral("plik jest za duży (ponad %1 MiB)").arg(mebibytes);
}

}  // namespace dorum::Texts
