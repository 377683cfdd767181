#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "MachineTestSupport.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

TComponentSet SetOf(std::initializer_list<int> numbers) {
  TComponentSet set;
  for (const int n : numbers) set.set(static_cast<std::size_t>(n));
  return set;
}

}  // namespace

TEST(Configuration, DefaultMachine) {
  TMachine m;
  EXPECT_EQ(m.AddressBits(), 5);
  EXPECT_EQ(m.CodeBits(), 3);
  EXPECT_EQ(m.WordBits(), 8);
  EXPECT_EQ(m.Memory().Size(), 32);
  EXPECT_EQ(m.Memory().WordBits(), 8);
  EXPECT_EQ(m.GetComponents(), SetOf({0}));
  EXPECT_FALSE(m.InterruptButtonsVisible());
  EXPECT_EQ(m.Register(R::I).DisplayMode(), TDisplayMode::dmInstruction);
  EXPECT_EQ(m.Vectors(), DefaultVectors());
  EXPECT_EQ(m.IOPorts(), TIOPorts{});
  for (const R id : {R::AK, R::I, R::L, R::A, R::S}) EXPECT_TRUE(m.Register(id).Visible());
  for (const R id : {R::WS, R::X, R::Y, R::RZ, R::RM, R::RP, R::AP, R::RB, R::G, R::F}) {
    EXPECT_FALSE(m.Register(id).Visible());
  }
  const struct {
    R id;
    int bits;
  } widths[] = {{R::AK, 8}, {R::I, 8},  {R::L, 5},  {R::A, 5},  {R::S, 8},
                {R::WS, 5}, {R::X, 8},  {R::Y, 8},  {R::RZ, 4}, {R::RM, 4},
                {R::RP, 4}, {R::AP, 5}, {R::RB, 8}, {R::G, 1},  {R::F, 4}};
  for (const auto& w : widths)
    EXPECT_EQ(m.Register(w.id).Bits(), w.bits) << m.Register(w.id).CaptionLatin1();
  EXPECT_EQ(m.Bus(TBusId::S).Bits(), 8);
  EXPECT_EQ(m.Bus(TBusId::A).Bits(), 5);
  EXPECT_EQ(m.Bus(TBusId::AS).Bits(), 5);
}

TEST(Configuration, WidestMachine) {
  TMachine m;
  m.SetAddressBits(16);
  m.SetCodeBits(8);
  EXPECT_EQ(m.WordBits(), 24);
  EXPECT_EQ(m.Memory().Size(), 65536);
  Set(m, R::S, 16777215);
  EXPECT_EQ(Cycle(m, "wys"), "");
  EXPECT_EQ(m.BusValue(TBusId::S), 16777215);
  m.Memory().Store(65535, 123);
  EXPECT_EQ(m.Memory().Word(65535), 123u);
}

TEST(Configuration, AddressBitsKeepTheCodeBits) {
  TMachine m;
  m.SetAddressBits(8);
  EXPECT_EQ(m.CodeBits(), 3);
  EXPECT_EQ(m.WordBits(), 11);
  EXPECT_EQ(m.Register(R::AK).Bits(), 11);
  EXPECT_EQ(m.Register(R::WS).Bits(), 8);
  EXPECT_EQ(m.Memory().Size(), 256);
}

// X and Y are word-wide like AK, I and S: after each change of either width,
// made in either order, each holds exactly a word, whether written between
// cycles, by a checked cycle or by a planned one made after the change.
TEST(Configuration, XAndYFollowTheWordWidthThroughEveryChange) {
  TMachine m;
  m.SetComponents(SetOf({0, 6, 7}));
  const struct {
    int address;
    int code;
  } widths[] = {{8, 3}, {8, 6}, {16, 6}, {5, 8}, {16, 8}, {9, 4}, {5, 3}};
  bool addressFirst = true;
  for (const auto& w : widths) {
    const int word = w.address + w.code;
    SCOPED_TRACE(testing::Message() << w.address << " + " << w.code << " bits");
    if (addressFirst) {
      m.SetAddressBits(w.address);
      m.SetCodeBits(w.code);
    } else {
      m.SetCodeBits(w.code);
      m.SetAddressBits(w.address);
    }
    addressFirst = !addressFirst;
    ASSERT_EQ(m.WordBits(), word);
    const auto all = static_cast<std::int32_t>(WidthMask(word));
    for (const R id : {R::AK, R::I, R::S, R::X, R::Y}) {
      EXPECT_EQ(m.Register(id).Bits(), word) << m.Register(id).CaptionLatin1();
      Set(m, id, -1);
      EXPECT_EQ(m.Register(id).Value(), all) << m.Register(id).CaptionLatin1();
    }
    Set(m, R::X, 0);
    Set(m, R::Y, 0);
    EXPECT_EQ(Cycle(m, "wys wex wey"), "");
    EXPECT_EQ(m.Register(R::X).Value(), all);
    EXPECT_EQ(m.Register(R::Y).Value(), all);

    Set(m, R::X, 0);
    Set(m, R::Y, 0);
    const std::uint64_t signals = Signals("wys wex wey");
    const TCyclePlan plan = m.MakePlan(signals);
    m.SetActiveSignals(signals);
    m.ClearCycle();
    m.PerformPlanned(plan);
    EXPECT_EQ(m.Register(R::X).Value(), all);
    EXPECT_EQ(m.Register(R::Y).Value(), all);
  }
}

TEST(Configuration, ChangesNeverClearAnything) {
  TMachine m;
  m.SetAddressBits(8);
  m.Memory().Store(200, 99);
  Set(m, R::AK, 2000);  // 11-bit word
  m.SetAddressBits(5);
  EXPECT_EQ(m.Register(R::AK).Value(), 2000 & 255);
  m.SetAddressBits(8);
  EXPECT_EQ(m.Memory().Word(200), 99u);
  EXPECT_EQ(m.Register(R::AK).Value(), 2000);

  m.SetComponents(SetOf({0, 6}));
  Set(m, R::X, 7);
  m.SetComponents(SetOf({0}));
  EXPECT_EQ(MessageOf([&] { (void)m.Register(R::X).Value(); }), "Rejestr X nie jest dostępny");
  m.SetComponents(SetOf({0, 6}));
  EXPECT_EQ(m.Register(R::X).Value(), 7);
}

TEST(Configuration, WidthsOutsideTheirRangesAreRefused) {
  TMachine m;
  EXPECT_EQ(MessageOf([&] { m.SetAddressBits(17); }),
            "Liczba bitów adresu (17) musi należeć do zakresu 5..16");
  EXPECT_EQ(MessageOf([&] { m.SetAddressBits(4); }),
            "Liczba bitów adresu (4) musi należeć do zakresu 5..16");
  EXPECT_EQ(MessageOf([&] { m.SetCodeBits(9); }),
            "Liczba bitów kodu rozkazu (9) musi należeć do zakresu 3..8");
  EXPECT_EQ(m.AddressBits(), 5);
  EXPECT_EQ(m.CodeBits(), 3);
}

TEST(Configuration, PresetsShowTheirComponents) {
  const struct {
    const char* name;
    TComponentSet set;
  } presets[] = {{"Dorum", SetOf({0})},
                 {"Dorum+", SetOf({0, 1})},
                 {"Pelt", SetOf({0, 1, 2, 3, 4, 5, 6, 7})},
                 {"Ombra", SetOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})}};
  for (const auto& p : presets) {
    TMachine m;
    const auto set = PresetComponents(p.name);
    ASSERT_TRUE(set.has_value()) << p.name;
    EXPECT_EQ(*set, p.set);
    m.SetComponents(*set);
    EXPECT_EQ(m.GetComponents(), p.set) << p.name;
    EXPECT_EQ(PresetName(m.GetComponents()), p.name);
  }
  EXPECT_FALSE(PresetComponents("Nic").has_value());
  EXPECT_EQ(PresetName(SetOf({0, 2})), "");

  TMachine m;
  m.SetComponents(*PresetComponents("Dorum+"));
  EXPECT_TRUE(m.Bus(TBusId::AS).Visible());
  EXPECT_TRUE(m.Signal(static_cast<int>(TSignalId::as)).Visible());
  EXPECT_FALSE(m.Signal(static_cast<int>(TSignalId::iak)).Visible());
  EXPECT_FALSE(m.Register(R::WS).Visible());
}

TEST(Configuration, TheBasicMachineIsAlwaysThereAndFlagsWorkHidden) {
  TMachine m;
  m.SetComponents(SetOf({6}));
  EXPECT_EQ(m.GetComponents(), SetOf({0, 6}));
  m.SetComponents(SetOf({0, 10}));
  EXPECT_TRUE(m.Register(R::F).Visible());
  m.SetComponents(SetOf({0}));
  EXPECT_FALSE(m.Register(R::F).Visible());
  Set(m, R::S, 0);
  EXPECT_EQ(Cycle(m, "wys weja przep weak"), "");
  EXPECT_EQ(m.Register(R::F).Value(), 8);  // flags still follow the accumulator
  // The reserve signals stay hidden with every option on.
  m.SetComponents(*PresetComponents("Ombra"));
  EXPECT_FALSE(m.Signal(static_cast<int>(TSignalId::new1)).Visible());
  EXPECT_TRUE(m.InterruptButtonsVisible());
}

TEST(Configuration, ComponentOptionTable) {
  const auto& options = ComponentOptions();
  EXPECT_EQ(options.front().Number, 1);
  EXPECT_STREQ(options.front().Key, "Połączenie");
  EXPECT_STREQ(options[8].Label, "wejście/wyjście");
  EXPECT_STREQ(options[9].Key, "Znaczniki");
}

TEST(Configuration, ResetKeepsMemoryAndClearsEverythingElse) {
  TRecordingControl control;
  TMachine m;
  m.SetControl(&control);
  m.SetComponents(*PresetComponents("Ombra"));
  m.Memory().Store(4, 44);
  Set(m, R::AK, 5);
  Set(m, R::RZ, 3);
  m.ExecuteSignals(Signals("wyak"));
  m.ResetMachine();
  EXPECT_EQ(m.Register(R::AK).Value(), 0);
  EXPECT_EQ(m.Register(R::RZ).Value(), 0);
  EXPECT_EQ(m.Register(R::F).Value(), 0);
  EXPECT_EQ(m.ActiveSignals(), 0u);
  EXPECT_FALSE(m.BusDriven(TBusId::S));
  EXPECT_EQ(m.Memory().Word(4), 44u);
  EXPECT_EQ(control.Resets, 1);
}

// Each option shows its own registers and bus, and the four interrupt
// buttons belong to the interrupt option alone.
TEST(Configuration, EachOptionShowsItsOwnRegistersAndButtons) {
  const std::map<int, std::vector<R>> registers = {
      {5, {R::WS}},       {6, {R::X}}, {7, {R::Y}}, {8, {R::RZ, R::RM, R::RP, R::AP}},
      {9, {R::RB, R::G}}, {10, {R::F}}};
  const std::vector<R> basic = {R::AK, R::I, R::L, R::A, R::S};
  TMachine m;
  for (int option = 0; option <= 10; ++option) {
    m.SetComponents(SetOf({0, option}));
    for (int r = 0; r < kRegisterCount; ++r) {
      const auto id = static_cast<R>(r);
      const auto own = registers.find(option);
      const bool shown =
          std::find(basic.begin(), basic.end(), id) != basic.end() ||
          (own != registers.end() &&
           std::find(own->second.begin(), own->second.end(), id) != own->second.end());
      EXPECT_EQ(m.Register(id).Visible(), shown) << "option " << option << " register " << r;
    }
    EXPECT_EQ(m.Bus(TBusId::AS).Visible(), option == 1) << option;
    EXPECT_TRUE(m.Bus(TBusId::S).Visible() && m.Bus(TBusId::A).Visible()) << option;
    EXPECT_EQ(m.InterruptButtonsVisible(), option == 8) << option;
  }
}
