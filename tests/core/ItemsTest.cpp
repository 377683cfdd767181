#include <gtest/gtest.h>

#include "MachineTestSupport.h"

#include "common/Error.h"
#include "machine/Items.h"
#include "machine/Machine.h"

using namespace dorum;

using dorum::test::MessageOf;

TEST(Register, MasksAndShowsInEveryMode) {
  TRegister r("AK", 0, 8);
  r.SetValue(-1);
  EXPECT_EQ(r.Value(), 255);
  const struct {
    TDisplayMode mode;
    std::int32_t value;
    const char* text;
  } cases[] = {
      {TDisplayMode::dmUnsigned, 255, "255"},    {TDisplayMode::dmSigned, -1, "-1"},
      {TDisplayMode::dmHexadecimal, 255, "$FF"}, {TDisplayMode::dmBinary, 255, "%11111111"},
      {TDisplayMode::dmInstruction, 255, "???"},
  };
  for (const auto& c : cases) {
    r.SetDisplayMode(c.mode);
    EXPECT_EQ(r.Value(), c.value);
    EXPECT_EQ(r.ValueText(), c.text);
  }
  r.SetValue(300);
  r.SetDisplayMode(TDisplayMode::dmUnsigned);
  EXPECT_EQ(r.Value(), 44);

  TRegister narrow("A", 0, 5);
  narrow.SetValue(5);
  narrow.SetDisplayMode(TDisplayMode::dmBinary);
  EXPECT_EQ(narrow.ValueText(), "%00101");
  narrow.SetDisplayMode(TDisplayMode::dmHexadecimal);
  EXPECT_EQ(narrow.ValueText(), "$05");  // a digit for each started four bits
  narrow.SetValue(31);
  EXPECT_EQ(narrow.ValueText(), "$1F");
  TRegister wide("S", 0, 13);
  wide.SetDisplayMode(TDisplayMode::dmHexadecimal);
  wide.SetValue(0x1A);
  EXPECT_EQ(wide.ValueText(), "$001A");
}

TEST(Register, FlagsText) {
  TRegister f("F", 10, 4);
  f.SetFlag(true);
  const struct {
    int value;
    const char* text;
  } cases[] = {
      {9, "Z ZAK  (9)"}, {0, " (0)"}, {15, "Z V INT ZAK  (15)"}, {4, "INT  (4)"}, {2, "V  (2)"}};
  for (const auto& c : cases) {
    f.SetValue(c.value);  // the flags register may be written any number of times
    EXPECT_EQ(f.ValueText(), c.text);
  }
}

TEST(Register, OncePerCycleAndAvailability) {
  TMachine m;
  // "iak" comes before "weak": the second write of AK in the cycle fails.
  EXPECT_EQ(dorum::test::Cycle(m, "wys weja przep iak weak"), "Register AK is active already");
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 1);
  EXPECT_TRUE(m.RegisterWritten(TRegisterId::AK));
  EXPECT_EQ(dorum::test::Cycle(m, "iak"), "");
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 2);

  TRegister x("X", 6, 8);
  x.SetVisible(false);
  EXPECT_EQ(MessageOf([&] { (void)x.Value(); }), "Rejestr X nie jest dostępny");
  EXPECT_EQ(MessageOf([&] { x.SetValue(1); }), "Rejestr X nie jest dostępny");

  TRegister f("F", 10, 4);
  f.SetFlag(true);
  f.SetVisible(false);
  f.SetValue(3);
  EXPECT_EQ(f.Value(), 3);
}

TEST(Register, NarrowingKeepsTheUpperBits) {
  TRegister s("S", 0, 8);
  s.SetValue(200);
  s.SetBits(4);
  EXPECT_EQ(s.Value(), 8);
  s.SetBits(8);
  EXPECT_EQ(s.Value(), 200);
}

TEST(Bus, OneDriverPerCycle) {
  TMachine m;
  EXPECT_EQ(MessageOf([&] { (void)m.BusValue(TBusId::S); }), "Magistrala mag S jest pusta");
  dorum::test::Set(m, TRegisterId::AK, 300);
  EXPECT_EQ(dorum::test::Cycle(m, "wyak"), "");
  EXPECT_EQ(m.BusValue(TBusId::S), 44);
  EXPECT_EQ(dorum::test::Cycle(m, "wys wyak"), "Magistrala mag S jest już zajęta");
  m.ClearCycle();
  EXPECT_FALSE(m.BusDriven(TBusId::S));
}

TEST(Memory, WrapsKeepsWordsAndAllowsOneUsePerCycle) {
  TMemory m("PaO", 0);
  m.Store(1, 77);
  EXPECT_EQ(m.Read(33), 77);  // 32 words: address 33 is word 1

  m.SetSize(256);
  m.Write(200, 9);
  m.SetSize(32);
  EXPECT_EQ(m.AddressBits(), 5);
  m.SetSize(256);
  EXPECT_EQ(m.Raw(200), 9u);

  m.Store(5, 200);
  m.SetWordBits(4);
  EXPECT_EQ(m.Read(5), 8);
  m.SetWordBits(8);
  EXPECT_EQ(m.Read(5), 200);
}

TEST(Memory, CodeAndCellTexts) {
  TMemory m("PaO", 0);
  m.Store(3, 37);
  EXPECT_EQ(m.CodeText(3), "???");
  const TGetCodeEvent names = [](int code) { return code == 1 ? "ład" : std::string(); };
  EXPECT_EQ(m.CodeText(3, names), "ład 5");
  EXPECT_EQ(m.CellText(3, names), "37 ( ład 5 )");
  m.Store(4, 5);
  EXPECT_EQ(m.CellText(4, names), "5 (  5 )");
  EXPECT_EQ(m.CellText(65535, names), "0 (  0 )");
}

TEST(MachineFlags, FollowEveryWriteOfTheAccumulator) {
  TMachine m;
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 8);  // AK is zero at start
  m.EnterRegisterValue(TRegisterId::AK, "-1");
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 255);
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 1);  // Z set, ZAK clear
  m.SetDisplayMode(TRegisterId::AK, TDisplayMode::dmSigned);
  EXPECT_EQ(m.RegisterText(TRegisterId::AK), "AK : -1");
  m.EnterRegisterValue(TRegisterId::AK, "0");
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 8);
  m.EnterRegisterValue(TRegisterId::F, "2");  // V only by the user
  m.EnterRegisterValue(TRegisterId::AK, "5");
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 2);

  EXPECT_EQ(MessageOf([&] { m.EnterRegisterValue(TRegisterId::AK, "abc"); }),
            "'abc' is not a valid integer value");
  EXPECT_EQ(m.Register(TRegisterId::AK).Value(), 5);

  m.ResetMachine();
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 0);  // ZAK only returns with the next write of AK
  m.ZeroRegister(TRegisterId::AK);
  EXPECT_EQ(m.Register(TRegisterId::F).Value(), 0);
}

TEST(MachineDisplay, RegisterAndMemoryTexts) {
  TMachine m;
  EXPECT_EQ(m.RegisterText(TRegisterId::I), "I : ???");  // no instructions known
  m.EnterMemoryValue(3, "37");
  EXPECT_EQ(m.CellText(3), "37 (  5 )");
  EXPECT_EQ(m.MemoryBusy(), true);
  m.EnterMemoryValue(3, "38");  // an edit clears the busy mark first
  EXPECT_EQ(m.Memory().Word(3), 38u);
}
