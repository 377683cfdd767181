#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Texts.h"

using namespace dorum;

// Every message that carries values puts each where the text names it:
// distinct values show a swapped, lost or doubled one.
TEST(Texts, EveryValueStandsInItsPlace) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Texts::NotValidInteger("12a"), "'12a' is not a valid integer value"},
      {Texts::ListIndexOutOfBounds(-3), "List index out of bounds (-3)"},
      {Texts::RegisterNotAvailable("RB"), "Rejestr RB nie jest dostępny"},
      {Texts::RegisterActiveAlready("AK"), "Register AK is active already"},
      {Texts::BusEmpty("AS"), "Magistrala AS jest pusta"},
      {Texts::BusBusy("S"), "Magistrala S jest już zajęta"},
      {Texts::UnexpectedSignal("xyz"), " Nieoczekiwana nazwa sygnału: xyz"},
      {Texts::UnknownLabel("@dalej"), " Nieznana etykieta @dalej"},
      {Texts::BreakpointInInstruction("dod"),
       "Napotkano punkt zatrzymania trakcie wykonywania rozkazu dod"},
      {Texts::UnknownInstructionCode(8), "Nieznany kod rozkazu (8)"},
      {Texts::LabelRedefinition("Start"), "Próba redefinicji etykiety Start"},
      {Texts::LabelNotFound("nigdzie"), "Nie znaleziono etykiety nigdzie"},
      {Texts::CycleLimitReached(10000000000ULL),
       "Przekroczono limit 10000000000 taktów zegara; program przerwano"},
      {Texts::StopConditionHeld("AK=5"), "Warunek zatrzymania: AK=5"},
      {Texts::AddressBitsOutOfRange(17), "Liczba bitów adresu (17) musi należeć do zakresu 5..16"},
      {Texts::CodeBitsOutOfRange(2), "Liczba bitów kodu rozkazu (2) musi należeć do zakresu 3..8"},
      {Texts::UnknownInterruptLine(5), "Nieznany numer przerwania (5): dozwolone są 1..4"},
      {Texts::CharacterNotInCodePage(U'ж'),
       "Znaku 'ж' (U+0436) nie można zapisać w stronie kodowej 1250"},
      {Texts::CharacterNotInCodePage(0x10300),
       "Znaku '\U00010300' (U+10300) nie można zapisać w stronie kodowej 1250"},
      {Texts::CannotReadFile("a.prg", "powód"), "Nie można odczytać pliku a.prg: powód"},
      {Texts::CannotLoadFile("b.lst", "powód"), "Nie można wczytać pliku b.lst: powód"},
      {Texts::CannotWriteFile("c.prg", "powód"), "Nie można zapisać pliku c.prg: powód"},
      {Texts::NulInText(7), "w wierszu 7 jest znak NUL (bajt zerowy); to nie jest plik tekstowy"},
      {Texts::BytesNotInEncoding("UTF-16BE", 3),
       "plik zaczyna się znacznikiem kodowania UTF-16BE, ale w wierszu 3 ma bajty, które nie są "
       "w nim poprawnym tekstem"},
      {Texts::MalformedStopCondition("AK<", "brak"), "Warunek \"AK<\": brak"},
      {Texts::NotAnIntegerValue("1x"), "\"1x\" nie jest liczbą całkowitą"},
      {Texts::AddressOutsideMemory(40), "adres 40 leży poza pamięcią"},
      {Texts::MachineLacksRegister("X"), "tej maszyny nie ma rejestru X"},
      {Texts::AddressNotANumber("mem[a]"), "adres w mem[a] nie jest liczbą"},
      {Texts::NoRegisterOrLabel("licz"), "nie ma rejestru ani etykiety licz"},
      {Texts::ValueTooWide(-300, 8), "wartość -300 nie mieści się w 8 bitach"},
      {Texts::NoSuchSignal("wyk"), "nie ma sygnału wyk"},
      {Texts::FileTooLarge(16), "plik jest za duży (ponad 16 MiB)"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

// A value is put in as it is, even when it looks like a place for another.
TEST(Texts, ValuesAreNotFilledInAgain) {
  EXPECT_EQ(Texts::CannotReadFile("%2", "%1"), "Nie można odczytać pliku %2: %1");
  EXPECT_EQ(Texts::LabelNotFound("50%"), "Nie znaleziono etykiety 50%");
  EXPECT_EQ(Texts::MalformedStopCondition("%", "%9"), "Warunek \"%\": %9");
}
