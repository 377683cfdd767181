#include <gtest/gtest.h>

#include "MachineTestSupport.h"
#include "machine/IOConsole.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

class InterruptsAndIO : public ::testing::Test {
 protected:
  InterruptsAndIO() {
    m.SetControl(&control);
    m.SetComponents(*PresetComponents("Ombra"));
  }
  int Reg(R id) const { return m.Register(id).Value(); }

  TRecordingControl control;
  TMachine m;
};

}  // namespace

TEST_F(InterruptsAndIO, EniAcceptsTheHighestUnmaskedLine) {
  Set(m, R::RZ, 12);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::RP), 8);
  EXPECT_EQ(Reg(R::AP), 1);
  EXPECT_EQ(Reg(R::F) & 4, 4);
  EXPECT_EQ(Cycle(m, "rint"), "");
  EXPECT_EQ(Reg(R::RZ), 4);
  EXPECT_EQ(Reg(R::RP), 0);
  EXPECT_EQ(Reg(R::AP), 0);
  EXPECT_EQ(Reg(R::F) & 4, 4);  // "rint" leaves INT alone
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::RP), 4);
  EXPECT_EQ(Reg(R::AP), 2);
}

TEST_F(InterruptsAndIO, MasksVectorsAndNothingPending) {
  Set(m, R::RZ, 12);
  Set(m, R::RM, 8);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::RP), 4);

  TInterruptVectors vectors = m.Vectors();
  vectors[2].Address = 17;
  m.SetVectors(vectors);
  Set(m, R::RM, 0);
  Set(m, R::RZ, 2);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::AP), 17);

  Set(m, R::RZ, 0);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::F) & 4, 0);
  EXPECT_EQ(Reg(R::RP), 0);
  EXPECT_EQ(Reg(R::AP), 0);

  // Nothing pending clears INT alone: the accumulator's flags Z, V and ZAK
  // are the program's and stay as they were.
  for (const int flags : {15, 11, 9, 8, 1, 2}) {
    Set(m, R::F, flags);
    EXPECT_EQ(Cycle(m, "eni"), "");
    EXPECT_EQ(Reg(R::F), flags & ~4) << "F was " << flags;
  }
}

// Every line, the last one included, is accepted alone and ahead of every
// line below it, on its own vector, by the checked cycle and by the planned
// one that whole instructions run.
TEST_F(InterruptsAndIO, EniAcceptsEachOfTheFourLinesOnItsOwnVector) {
  TInterruptVectors vectors = m.Vectors();
  for (std::size_t k = 0; k < vectors.size(); ++k) vectors[k].Address = 20 + static_cast<int>(k);
  m.SetVectors(vectors);
  const std::uint64_t eni = Signals("eni");
  const TCyclePlan plan = m.MakePlan(eni);
  ASSERT_TRUE(plan.Clean);
  for (int line = 1; line <= 4; ++line) {
    const int bit = 1 << (4 - line);
    for (const int requests : {bit, bit | (bit - 1)}) {
      for (const bool planned : {false, true}) {
        SCOPED_TRACE(testing::Message() << "line " << line << ", RZ " << requests
                                        << (planned ? ", planned" : ", checked"));
        Set(m, R::RZ, requests);
        Set(m, R::RP, 0);
        Set(m, R::AP, 0);
        Set(m, R::F, 0);
        if (planned) {
          m.SetActiveSignals(eni);
          m.ClearCycle();
          m.PerformPlanned(plan);
        } else {
          EXPECT_EQ(Cycle(m, "eni"), "");
        }
        EXPECT_EQ(Reg(R::RP), bit);
        EXPECT_EQ(Reg(R::AP), vectors[static_cast<std::size_t>(line - 1)].Address);
        EXPECT_EQ(Reg(R::F) & 4, 4);
      }
    }
  }
}

TEST_F(InterruptsAndIO, TheLastLineIsMaskedAndServedLikeTheOthers) {
  Set(m, R::RZ, 1);
  Set(m, R::RM, 1);
  Set(m, R::F, 4);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::RP), 0);
  EXPECT_EQ(Reg(R::F) & 4, 0);

  // With line 1 masked, line 4 is the only one left to accept.
  Set(m, R::RZ, 9);
  Set(m, R::RM, 8);
  EXPECT_EQ(Cycle(m, "eni"), "");
  EXPECT_EQ(Reg(R::RP), 1);
  EXPECT_EQ(Reg(R::AP), m.Vectors()[3].Address);
  EXPECT_EQ(Cycle(m, "rint"), "");
  EXPECT_EQ(Reg(R::RZ), 8);
  EXPECT_EQ(Reg(R::RP), 0);

  m.RaiseInterrupt(4);
  EXPECT_EQ(Reg(R::RZ), 9);
}

TEST_F(InterruptsAndIO, ButtonsRaiseRequestsBetweenCycles) {
  m.RaiseInterrupt(2);
  m.RaiseInterrupt(2);
  EXPECT_EQ(Reg(R::RZ), 4);
  m.RaiseInterrupt(1);
  EXPECT_EQ(Reg(R::RZ), 12);
  EXPECT_EQ(MessageOf([&] { m.RaiseInterrupt(5); }),
            "Nieznany numer przerwania (5): dozwolone są 1..4");
  EXPECT_EQ(MessageOf([&] { m.RaiseInterrupt(0); }),
            "Nieznany numer przerwania (0): dozwolone są 1..4");
  EXPECT_EQ(Reg(R::RZ), 12);  // a refused line raises nothing
  TMachine basic;
  EXPECT_EQ(MessageOf([&] { basic.RaiseInterrupt(1); }), "Rejestr RZ nie jest dostępny");
}

TEST_F(InterruptsAndIO, InputTakesOneCharacterPerOperation) {
  Set(m, R::I, 1);
  m.Console().SetInputText("ab");
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(Reg(R::RB), 97);
  EXPECT_EQ(Reg(R::G), 1);
  EXPECT_EQ(m.Console().InputText(), "b");
  EXPECT_FALSE(control.Waiting);
}

TEST_F(InterruptsAndIO, WaitingForInputThenTyping) {
  Set(m, R::I, 1);
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(Reg(R::RB), 0);
  EXPECT_EQ(Reg(R::G), 0);
  EXPECT_TRUE(control.Waiting);
  EXPECT_EQ(Cycle(m, "wyg"), "");  // the program polls G
  EXPECT_TRUE(control.Waiting);

  m.TypeInput("xy");
  EXPECT_EQ(Reg(R::RB), 120);
  EXPECT_EQ(Reg(R::G), 1);
  EXPECT_FALSE(control.Waiting);
  EXPECT_EQ(m.Console().InputText(), "y");
  EXPECT_EQ(Cycle(m, "wyg"), "");
  EXPECT_FALSE(control.Waiting);
}

TEST_F(InterruptsAndIO, TypingIsKeptWhenNobodyWaitsOnTheInputPort) {
  Set(m, R::I, 2);
  control.Waiting = true;
  m.TypeInput("q");
  EXPECT_EQ(m.Console().InputText(), "q");
  EXPECT_EQ(Reg(R::RB), 0);
  control.Waiting = false;
  Set(m, R::I, 1);
  m.TypeInput("r");
  EXPECT_EQ(m.Console().InputText(), "qr");
}

TEST_F(InterruptsAndIO, OutputAndUnknownPorts) {
  Set(m, R::I, 2);
  Set(m, R::RB, 65);
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(m.Console().OutputText(), "A");
  EXPECT_EQ(Reg(R::G), 1);
  Set(m, R::RB, 0xB9);
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(m.Console().OutputText(), "Aą");  // code page 1250
  m.Console().Clear();
  EXPECT_EQ(m.Console().OutputText(), "");

  Set(m, R::I, 7);
  EXPECT_EQ(Cycle(m, "start"), "Nieznany numer portu We/Wy");
  EXPECT_EQ(Reg(R::G), 0);
}

TEST_F(InterruptsAndIO, SamePortNumberMeansInput) {
  m.SetIOPorts(TIOPorts{3, 3, 3, 4});
  Set(m, R::I, 3);
  m.Console().SetInputText("z");
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(Reg(R::RB), 122);
  EXPECT_EQ(m.Console().OutputText(), "");
}

TEST_F(InterruptsAndIO, NoTypedCharacterIsLost) {
  // A long paste stays whole: every character is delivered in turn.
  std::string text;
  for (int n = 0; n < 2000; ++n) text.push_back(static_cast<char>('a' + n % 26));
  m.Console().SetInputText(text);
  Set(m, R::I, 1);
  for (int n = 0; n < 2000; ++n) {
    ASSERT_EQ(Cycle(m, "start"), "");
    ASSERT_EQ(Reg(R::RB), 'a' + n % 26) << n;
  }
  EXPECT_EQ(m.Console().InputText(), "");

  // An input operation that cannot store its character leaves it in the field.
  m.Console().SetInputText("k");
  Set(m, R::S, 5);
  EXPECT_EQ(Cycle(m, "wys werb start"), "Register RB is active already");
  EXPECT_EQ(m.Console().InputText(), "k");
  EXPECT_EQ(Reg(R::G), 0);
}

TEST_F(InterruptsAndIO, CharactersOutsideTheCodePageArriveAsQuestionMarks) {
  Set(m, R::I, 1);
  m.Console().SetInputText("ж😀");
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(Reg(R::RB), '?');
  EXPECT_EQ(Cycle(m, "start"), "");
  EXPECT_EQ(Reg(R::RB), '?');
  EXPECT_EQ(m.Console().InputText(), "");
}

TEST_F(InterruptsAndIO, StopTellsTheControlUnit) {
  EXPECT_EQ(Cycle(m, "stop"), "Program został zakończony");
  EXPECT_EQ(control.Finished, 1);
}

TEST(MachineDisplayWithInstructions, NamesComeFromTheControlUnit) {
  TRecordingControl control;
  control.Names = {"stp", "dod"};
  TMachine m;
  m.SetControl(&control);
  Set(m, R::I, 37);
  EXPECT_EQ(m.RegisterText(R::I), "I : 37 ( dod 5 ) ");
  Set(m, R::I, 70);  // code 2: no such instruction
  EXPECT_EQ(m.RegisterText(R::I), "I : ???");
  m.Memory().Store(3, 37);
  EXPECT_EQ(m.CellText(3), "37 ( dod 5 )");
  m.Memory().Store(3, 101);
  EXPECT_EQ(m.CellText(3), "101 (  5 )");
}

namespace {

struct TConsoleEvents final : IConsoleObserver {
  int Inputs = 0;
  int Cleared = 0;
  std::string Appended;
  void InputChanged() override { ++Inputs; }
  void OutputAppended(char32_t c) override { AppendChar(Appended, c); }
  void OutputCleared() override { ++Cleared; }
};

}  // namespace

// The console window follows the fields through its observer: every
// character taken from the input is told, every one written, and a cut of
// the output only when something was cut.
TEST(Console, TellsItsObserverOfEveryChange) {
  TIOConsole console;
  TConsoleEvents seen;
  auto seenSubscription = console.Subscribe(seen);
  console.AppendInput("ab");
  EXPECT_EQ(seen.Inputs, 1);
  EXPECT_EQ(console.TakeInputChar(), 'a');
  EXPECT_EQ(seen.Inputs, 2);
  EXPECT_EQ(console.InputText(), "b");
  console.DropInputChar();
  console.DropInputChar();  // nothing left: nothing to tell
  EXPECT_EQ(seen.Inputs, 3);
  EXPECT_EQ(console.TakeInputChar(), 0);

  console.PutOutputChar(0x100 + 'x');  // only the low byte is a character
  console.PutOutputChar(0xB9);         // ą in code page 1250
  EXPECT_EQ(seen.Appended, "xą");
  // Lengths are in bytes: the whole output is "x" and the two of "ą".
  console.TruncateOutput(3);
  console.TruncateOutput(5);
  EXPECT_EQ(seen.Cleared, 0);
  EXPECT_EQ(console.OutputText(), "xą");
  console.TruncateOutput(1);
  EXPECT_EQ(seen.Cleared, 1);
  EXPECT_EQ(console.OutputText(), "x");
}
