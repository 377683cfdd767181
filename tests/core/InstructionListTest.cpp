#include <gtest/gtest.h>

#include "MachineTestSupport.h"
#include "control/InstructionList.h"

using namespace dorum;
using namespace dorum::test;

TEST(InstructionList, DefaultSet) {
  TInstructionList list;
  list.BuildDefaultInstructions(3);
  EXPECT_EQ(InstructionNames(list),
            TLines({"stp", "dod", "ode", "pob", "ład", "sob", "som", "soz"}));
  const int arguments[] = {0, 1, 1, 1, 1, 1, 1, 1};
  const int cycles[] = {2, 3, 3, 3, 3, 2, 4, 4};
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.At(i).ArgumentCount(), arguments[i]) << i;
    EXPECT_EQ(list.At(i).CycleCount(), cycles[i]) << i;
  }
  EXPECT_EQ(list.At(4).Source().at(1), "ROZKAZ ŁAD;");
  EXPECT_EQ(list.At(7).Cycle(1).Condition, TCondition::Zak);
}

TEST(InstructionList, ReplaceAppendDeleteAndCapacity) {
  TInstructionList list;
  list.BuildDefaultInstructions(3);
  list.AddInstruction({"ROZKAZ Dod;", "czyt wys wei il;", "wyad wea;"}, 3);
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(list.At(1).CycleCount(), 2);  // replaced in place, code 1 kept

  EXPECT_EQ(MessageOf([&] {
              list.AddInstruction({"ROZKAZ NOWY;", "czyt wys wei il;"}, 3);
            }),
            "Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie niedostępny)");
  EXPECT_EQ(list.Count(), 9);
  EXPECT_EQ(list.IndexOf("nowy"), 8);
  list.AddInstruction({"ROZKAZ DRUGI;", "czyt wys wei il;"}, 4);  // room for 16
  EXPECT_EQ(list.Count(), 10);

  // A text that does not compile changes nothing.
  EXPECT_EQ(MessageOf([&] {
              list.AddInstruction({"ROZKAZ DOD;", "czyt wys il;"}, 4);
            }),
            "2:13  Błędna treść pierwszego taktu");
  EXPECT_EQ(list.At(1).CycleCount(), 2);

  list.DeleteInstruction(0);
  EXPECT_EQ(list.At(0).Name(), "dod");
  EXPECT_EQ(MessageOf([&] { list.DeleteInstruction(9); }), "List index out of bounds (9)");
  EXPECT_EQ(MessageOf([&] { (void)list.At(-1); }), "List index out of bounds (-1)");
  list.ClearInstructions();
  EXPECT_EQ(list.Count(), 0);
}

TEST(InstructionList, CompiledCyclesRunOnTheMachine) {
  // «dod 5» with AK = 3 and word 5 = 4, cycle by cycle as the control unit
  // will sequence it: fetch, then the instruction's own cycles.
  TInstructionList list;
  list.BuildDefaultInstructions(3);
  TMachine m;
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(5, 4);
  Set(m, TRegisterId::AK, 3);
  const TInstruction& dod = list.At(1);
  int cycle = 0;
  do {
    ASSERT_EQ(MessageOf([&] { m.ExecuteSignals(dod.Cycle(cycle).Signals.Low()); }), "");
    cycle = dod.Cycle(cycle).NextCycle;
  } while (cycle != 0);
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 7);
  EXPECT_EQ(m.Register(TRegisterId::L).Value(), 1);
  EXPECT_EQ(m.Register(TRegisterId::A).Value(), 1);  // ready for the next fetch
}
