#include <gtest/gtest.h>

#include <string>

#include "common/Error.h"
#include "common/Strings.h"
#include "control/CommentFilter.h"
#include "control/Instruction.h"
#include "machine/Machine.h"

using namespace dorum;

namespace {

TLines Lines(const char* text) {
  return Split(text, '\n');
}

std::string ErrorOf(const char* text) {
  try {
    TInstruction instruction(Lines(text));
  } catch (const EDorumError& e) {
    return e.Message();
  }
  return {};
}

TLines SignalNames(const TMicroCode& c) {
  TLines names;
  TMachine m;
  for (int n = 0; n < 256; ++n) {
    if (c.Signals.Test(n))
      names.push_back(n < kSignalCount ? m.Signal(n).Caption() : std::to_string(n));
  }
  return names;
}

}  // namespace

TEST(Instruction, CompilesCyclesWithTheirSuccessors) {
  const TInstruction dod(
      Lines("// (Ak)+((Ad))->Ak\nROZKAZ DOD;\nczyt wys wei il;\nwyad wea;\nczyt wys weja dod weak "
            "wyl wea;"));
  EXPECT_EQ(dod.Name(), "dod");
  EXPECT_EQ(dod.ArgumentCount(), 1);
  EXPECT_TRUE(dod.Compiled());
  ASSERT_EQ(dod.CycleCount(), 3);
  EXPECT_EQ(dod.Cycle(0).NextCycle, 1);
  EXPECT_EQ(dod.Cycle(1).NextCycle, 2);
  EXPECT_EQ(dod.Cycle(2).NextCycle, 0);
  EXPECT_EQ(SignalNames(dod.Cycle(0)), TLines({"czyt", "wys", "wei", "il"}));
  // Signals are held as numbers, so they come back in table order.
  EXPECT_EQ(SignalNames(dod.Cycle(2)),
            TLines({"czyt", "wys", "wyl", "weja", "dod", "weak", "wea"}));
  EXPECT_EQ(dod.Cycle(2).SourceLine, 4);
  EXPECT_EQ(dod.Source().front(), "// (Ak)+((Ad))->Ak");
}

TEST(Instruction, ArgumentsAndSourceLines) {
  const TInstruction stp(
      Lines("// zakończenie programu\nROZKAZ STP;\nArgumenty 0;\nczyt wys wei il;\nstop;"));
  EXPECT_EQ(stp.ArgumentCount(), 0);
  ASSERT_EQ(stp.CycleCount(), 2);
  EXPECT_EQ(stp.Cycle(0).SourceLine, 3);
  EXPECT_EQ(stp.Cycle(1).SourceLine, 4);
  EXPECT_EQ(stp.Cycle(1).NextCycle, 0);
}

TEST(Instruction, ConditionalJumps) {
  const TInstruction som(
      Lines("// skok gdy (AK) < 0\nROZKAZ SOM;\nczyt wys wei il;\n"
            "JEŻELI Z TO @ujemne GDY NIE @dodatnie;\n@ujemne wyad wea wel KONIEC;\n"
            "@dodatnie wyl wea;"));
  ASSERT_EQ(som.CycleCount(), 4);
  EXPECT_EQ(som.Cycle(1).Condition, TCondition::Z);
  EXPECT_EQ(som.Cycle(1).NextCycle, 2);
  EXPECT_EQ(som.Cycle(1).ElseCycle, 3);
  EXPECT_EQ(som.Cycle(2).NextCycle, 0);
  EXPECT_EQ(som.Cycle(2).ElseCycle, 0);
  EXPECT_EQ(SignalNames(som.Cycle(2)), TLines({"wyad", "wea", "wel"}));
  EXPECT_EQ(som.Cycle(3).NextCycle, 0);

  const TInstruction shortForm(
      Lines("ROZKAZ X; czyt wys wei il; JEŻELI zak TO @x; wyl; @x wyad; DALEJ @x; koniec;"));
  ASSERT_EQ(shortForm.CycleCount(), 6);
  EXPECT_EQ(shortForm.Cycle(1).Condition, TCondition::Zak);
  EXPECT_EQ(shortForm.Cycle(1).NextCycle, 3);
  EXPECT_EQ(shortForm.Cycle(1).ElseCycle, 2);
  EXPECT_EQ(shortForm.Cycle(4).NextCycle, 3);
  EXPECT_EQ(shortForm.Cycle(4).ElseCycle, 3);
  EXPECT_EQ(shortForm.Cycle(5).NextCycle, 0);

  const TInstruction lastShort(Lines("ROZKAZ Y; czyt wys wei il; @a wyl; JEŻELI v TO @a;"));
  EXPECT_EQ(lastShort.Cycle(2).Condition, TCondition::V);
  EXPECT_EQ(lastShort.Cycle(2).NextCycle, 1);
  EXPECT_EQ(lastShort.Cycle(2).ElseCycle, 0);
}

TEST(Instruction, OddButAcceptedTexts) {
  const TInstruction bare(Lines("ROZKAZ X"));
  EXPECT_EQ(bare.Name(), "x");
  EXPECT_EQ(bare.CycleCount(), 0);

  const TInstruction unclosed(Lines("ROZKAZ X; czyt wys wei il; wyl wea"));
  EXPECT_EQ(unclosed.CycleCount(), 1);

  const TInstruction repeated(Lines("ROZKAZ X; czyt czyt wys wei il; sa; as iak;"));
  EXPECT_EQ(repeated.CycleCount(), 3);
  EXPECT_EQ(SignalNames(repeated.Cycle(1)), TLines({"as (sa)"}));
  EXPECT_EQ(SignalNames(repeated.Cycle(2)), TLines({"as (sa)", "iak"}));

  const TInstruction empty(Lines("ROZKAZ X; czyt wys wei il; ; new1 new4;"));
  ASSERT_EQ(empty.CycleCount(), 3);
  EXPECT_TRUE(empty.Cycle(1).Signals.Empty());
  EXPECT_EQ(SignalNames(empty.Cycle(2)), TLines({"new1", "new4"}));
}

TEST(Instruction, RejectedTextsCarryTheirPosition) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "1:1  Oczekiwane słowo kluczowe ROZKAZ"},
      {"  \n\t", "1:1  Oczekiwane słowo kluczowe ROZKAZ"},
      {"ROZKAŻ X;", "1:7  Oczekiwane słowo kluczowe ROZKAZ"},
      {"ROZKAZ X czyt", "2:0  Oczekiwany średnik"},
      {"ROZKAZ X; czyt wys il;", "1:23  Błędna treść pierwszego taktu"},
      {"ROZKAZ X; czyt wys wei il wyl;", "1:30  Błędna treść pierwszego taktu"},
      {"ROZKAZ X; czyt wys wei il; wei;",
       "1:31  Sygnał wei może wystąpić tylko w pierwszym takcie"},
      {"ROZKAZ X; czyt wys wei il; @a wyl wea;\n@b wyad;", "2:3  Nieoczekiwana nazwa sygnału: @b"},
      {"ROZKAZ X; czyt wys wei il; foo;", "1:31  Nieoczekiwana nazwa sygnału: foo"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI", "2:0  Niedokończona instrukcja JEŻELI"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI q TO @a;", "1:36  Nieoczekiwany kod warunku"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI z GDY @a;", "1:40  Oczekiwane słowo TO"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI z TO @a ALBO @b;", "1:47  Oczekiwane słowo GDY"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI z TO @a GDY TAK @b;", "1:50  Oczekiwane słowo nie"},
      {"ROZKAZ X; czyt wys wei il; JEŻELI z TO @a GDY NIE @b wyl;", "1:57  Oczekiwany średnik"},
      {"ROZKAZ X; czyt wys wei il; DALEJ", "2:0  Niedokończona instrukcja DALEJ"},
      {"ROZKAZ X; czyt wys wei il; DALEJ @a wyl;", "1:40  Oczekiwany średnik"},
      {"ROZKAZ X; czyt wys wei il; KONIEC wyl;", "1:38  Oczekiwany średnik"},
      {"ROZKAZ X; czyt wys wei il; @a DALEJ @nowhere;", "1:45  Nieznana etykieta @nowhere"},
      {"ROZKAZ X; czyt wys wei il; wyl @mid; DALEJ @mid;", "1:48  Nieznana etykieta @mid"},
      {"ROZKAZ X; czyt wys wei il; wyl / y;", "1:32  Nieoczekiwany symbol"},
      {"ROZKAZ X; Argumenty", "'' is not a valid integer value"},
      {"ROZKAZ X; Argumenty dwa;", "'dwa' is not a valid integer value"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(Instruction, ErrorsArePositionedExceptions) {
  try {
    TInstruction bad(Lines("ROZKAZ X;\nczyt wys il;"));
    FAIL();
  } catch (const EControlException& e) {
    EXPECT_EQ(e.Line(), 2);
    EXPECT_EQ(e.Column(), 13);  // just behind the ";" that closed the cycle
  }
}

TEST(Instruction, FirstOfTwoEqualLabelsWins) {
  const TInstruction twice(Lines("ROZKAZ X; czyt wys wei il; @a wyl KONIEC; @a iak; DALEJ @A;"));
  EXPECT_EQ(twice.Cycle(3).NextCycle, 1);
  EXPECT_EQ(TInstruction::CheckInstructionText(Lines("rozkaz x; argumenty $10; czyt wys wei il;")),
            16);
}

// The first cycle is the fetch and nothing else: all four of its signals,
// in any order, each of them needed.
TEST(Instruction, TheFirstCycleNeedsEachOfTheFourFetchSignals) {
  const std::vector<std::string> fetch = {"czyt", "wys", "wei", "il"};
  for (std::size_t left = 0; left < fetch.size(); ++left) {
    std::string cycle;
    for (std::size_t k = 0; k < fetch.size(); ++k) {
      if (k != left) cycle += fetch[k] + ' ';
    }
    const std::string text = "ROZKAZ X; " + cycle + ";";
    EXPECT_EQ(ErrorOf(text.c_str()),
              "1:" + std::to_string(text.size() + 1) + "  Błędna treść pierwszego taktu")
        << text;
  }
  EXPECT_EQ(ErrorOf("ROZKAZ X; il wei wys czyt;"), "");
}
