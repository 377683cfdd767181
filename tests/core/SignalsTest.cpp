#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "MachineTestSupport.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

struct TSignalCase {
  const char* Title;
  std::vector<std::pair<R, int>> Registers;  // before the cycle
  std::vector<std::pair<int, int>> Words;    // memory before the cycle
  const char* Cycle;
  const char* Error;  // empty: the cycle succeeds
  std::vector<std::pair<R, int>> After;
  std::vector<std::pair<TBusId, int>> Buses;  // driven, with this value
  std::vector<std::pair<int, int>> WordsAfter;
};

void PrintTo(const TSignalCase& c, std::ostream* os) {
  *os << c.Title << ": " << c.Cycle;
}

class SignalCombinations : public ::testing::TestWithParam<TSignalCase> {};

TEST_P(SignalCombinations, PerformInTableOrder) {
  const TSignalCase& c = GetParam();
  TMachine m;
  m.SetComponents(*PresetComponents("Ombra"));
  for (const auto& [id, value] : c.Registers) Set(m, id, value);
  for (const auto& [address, value] : c.Words) m.Memory().Store(address, value);

  EXPECT_EQ(Cycle(m, c.Cycle), c.Error);
  for (const auto& [id, value] : c.After) {
    EXPECT_EQ(m.Register(id).Value(), value) << m.Register(id).CaptionLatin1();
  }
  for (const auto& [id, value] : c.Buses) {
    ASSERT_TRUE(m.BusDriven(id)) << m.Bus(id).CaptionLatin1();
    EXPECT_EQ(m.BusValue(id), value) << m.Bus(id).CaptionLatin1();
  }
  for (const auto& [address, value] : c.WordsAfter) EXPECT_EQ(m.Memory().Word(address), value);
}

// clang-format off
const TSignalCase kCases[] = {
    {"fetch", {{R::A, 0}, {R::L, 0}}, {{0, 37}}, "czyt wys wei il", "", {{R::I, 37}, {R::L, 1}}, {{TBusId::S, 37}}, {}},
    {"address field", {{R::I, 37}}, {}, "wyad wea", "", {{R::A, 5}}, {{TBusId::A, 5}}, {}},
    {"add from memory", {{R::AK, 3}, {R::A, 2}, {R::L, 9}}, {{2, 4}}, "czyt wys weja dod weak wyl wea", "",
     {{R::AK, 7}, {R::A, 9}}, {}, {}},
    {"two drivers", {}, {}, "wyak wys", "Magistrala mag S jest już zajęta", {}, {{TBusId::S, 0}}, {}},
    {"empty bus", {}, {}, "weja", "Magistrala mag S jest pusta", {}, {}, {}},
    {"memory twice", {{R::A, 1}}, {{1, 6}}, "czyt pisz", "Pamięć jest już używana", {{R::S, 6}}, {}, {}},
    {"no input", {}, {}, "dod", "Nieznana wartść wejściowa do JAL", {}, {}, {}},
    {"two operations", {}, {}, "wys weja dod ode", "JAL jest już aktywna", {}, {}, {}},
    {"no result", {}, {}, "weak", "Wynik z JAL nieokreślony", {}, {}, {}},
    {"link from A", {{R::I, 37}}, {}, "wyad as", "", {}, {{TBusId::S, 5}, {TBusId::A, 5}, {TBusId::AS, 5}}, {}},
    {"link from S", {{R::AK, 200}}, {}, "wyak as", "", {}, {{TBusId::A, 8}, {TBusId::S, 200}, {TBusId::AS, 8}}, {}},
    {"link with nothing", {}, {}, "as", "Magistrala mag S jest pusta", {}, {}, {}},
    {"link with both", {{R::I, 37}}, {}, "wyak wyad as", "Magistrala mag S jest już zajęta", {}, {}, {}},
    {"complement", {{R::S, 5}}, {}, "wys weja neg weak", "", {{R::AK, 250}, {R::F, 1}}, {}, {}},
    {"shift right halves the input", {{R::S, 7}, {R::AK, 100}}, {}, "wys weja shr weak", "", {{R::AK, 3}}, {}, {}},
    {"sign flag is the top bit alone", {{R::S, 64}}, {}, "wys weja przep weak", "", {{R::AK, 64}, {R::F, 0}}, {}, {}},
    {"sign flag from the top bit", {{R::S, 128}}, {}, "wys weja przep weak", "", {{R::AK, 128}, {R::F, 1}}, {}, {}},
    {"counter wraps", {{R::L, 31}}, {}, "il", "", {{R::L, 0}}, {}, {}},
    {"no signal", {{R::AK, 4}}, {}, "", "", {{R::AK, 4}}, {}, {}},
    {"write before the bus exists", {}, {}, "czyt wes", "Magistrala mag S jest pusta", {}, {}, {}},
    {"memory read then latch", {}, {}, "czyt wys wes", "Register S is active already", {}, {}, {}},
    {"il before wel", {{R::L, 3}}, {}, "wyl il wel", "Register L is active already", {{R::L, 4}}, {}, {}},
    {"increment before weak", {{R::S, 1}}, {}, "wys weja przep iak weak", "Register AK is active already",
     {{R::AK, 1}}, {}, {}},
    {"wys with wes", {{R::S, 9}}, {}, "wys wes", "", {{R::S, 9}}, {}, {}},
    {"rint then eni", {}, {}, "rint eni", "Register RP is active already", {}, {}, {}},
    {"pisz uses the old address and data", {{R::A, 3}, {R::S, 9}, {R::L, 7}}, {}, "wyl pisz wea", "", {{R::A, 7}},
     {}, {{3, 9}, {7, 0}}},
    {"unsigned division", {{R::AK, 250}, {R::S, 2}}, {}, "wys weja dziel weak", "", {{R::AK, 125}}, {}, {}},
    {"division by zero", {{R::AK, 9}, {R::S, 0}}, {}, "wys weja dziel weak", "Division by zero", {{R::AK, 9}}, {}, {}},
    {"product keeps the low bits", {{R::AK, 20}, {R::S, 13}}, {}, "wys weja mno weak", "", {{R::AK, 4}}, {}, {}},
    {"or", {{R::AK, 12}, {R::S, 10}}, {}, "wys weja lub weak", "", {{R::AK, 14}}, {}, {}},
    {"and", {{R::AK, 12}, {R::S, 10}}, {}, "wys weja i weak", "", {{R::AK, 8}}, {}, {}},
    {"subtract below zero", {{R::AK, 1}, {R::S, 2}}, {}, "wys weja ode weak", "", {{R::AK, 255}, {R::F, 1}}, {}, {}},
    {"decrement wraps", {{R::AK, 0}}, {}, "dak", "", {{R::AK, 255}, {R::F, 1}}, {}, {}},
    {"increment to zero", {{R::AK, 255}}, {}, "iak", "", {{R::AK, 0}, {R::F, 8}}, {}, {}},
    {"stop runs last", {{R::L, 2}}, {}, "stop il", "Program został zakończony", {{R::L, 3}}, {}, {}},
    {"reserve signals do nothing", {{R::AK, 6}}, {}, "new1 new2 new3 new4", "", {{R::AK, 6}}, {}, {}},
    {"stack", {{R::WS, 0}}, {}, "dws", "", {{R::WS, 31}}, {}, {}},
    {"stack pointer from bus", {{R::L, 12}}, {}, "wyl wews", "", {{R::WS, 12}}, {}, {}},
    {"return address onto bus S", {{R::L, 12}, {R::WS, 30}}, {}, "wyls wyws wes wea", "", {{R::S, 12}, {R::A, 30}},
     {}, {}},
    {"registers X and Y", {{R::X, 3}, {R::Y, 4}}, {}, "wyx wey", "", {{R::Y, 3}}, {}, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Machine, SignalCombinations, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TSignalCase>& info) {
                           std::string name = info.param.Title;
                           for (char& ch : name) {
                             if (std::isalnum(static_cast<unsigned char>(ch)) == 0) ch = '_';
                           }
                           return name;
                         });

}  // namespace

TEST(Signals, SignedDivisionFollowsTheDisplayMode) {
  TMachine m;
  m.SetComponents(*PresetComponents("Ombra"));
  Set(m, R::AK, 250);
  m.SetDisplayMode(R::AK, TDisplayMode::dmSigned);
  Set(m, R::S, 2);
  EXPECT_EQ(Cycle(m, "wys weja dziel weak"), "");
  EXPECT_EQ(m.Register(R::AK).Content(), 253u);  // -6 div 2 = -3
}

TEST(Signals, HiddenComponentsRefuseButBusesAndTheUnitWork) {
  TMachine m;  // the basic machine only
  EXPECT_EQ(Cycle(m, "wyx"), "Rejestr X nie jest dostępny");
  EXPECT_EQ(Cycle(m, "wex wys"), "Rejestr X nie jest dostępny");
  Set(m, R::AK, 200);
  EXPECT_EQ(Cycle(m, "wyak as"), "");  // the link works while its option is off
  EXPECT_EQ(m.BusValue(TBusId::AS), 8);
  Set(m, R::S, 5);
  EXPECT_EQ(Cycle(m, "wys weja neg weak"), "");
  EXPECT_EQ(m.Register(R::AK).Value(), 250);
  EXPECT_EQ(Cycle(m, "iak"), "");
  EXPECT_EQ(Cycle(m, "start"), "Rejestr G nie jest dostępny");
}

TEST(Signals, AFailedCycleKeepsWhatWasDoneAndMarksStayUntilTheNext) {
  TMachine m;
  Set(m, R::A, 1);
  m.Memory().Store(1, 6);
  EXPECT_EQ(Cycle(m, "czyt pisz wyl wea"), "Pamięć jest już używana");
  EXPECT_EQ(m.Register(R::S).Value(), 6);
  EXPECT_FALSE(m.BusDriven(TBusId::A));  // "wyl" comes after the failure
  EXPECT_TRUE(m.SignalActive(static_cast<int>(TSignalId::wyl)));

  EXPECT_EQ(Cycle(m, "wyl"), "");
  EXPECT_TRUE(m.BusDriven(TBusId::A));
  EXPECT_EQ(Cycle(m, ""), "");
  EXPECT_FALSE(m.BusDriven(TBusId::A));
}

TEST(Signals, TableOrderNamesAndLookup) {
  TMachine m;
  EXPECT_EQ(m.Signal(0).Caption(), "czyt");
  EXPECT_EQ(m.Signal(14).Caption(), "as (sa)");
  EXPECT_EQ(m.Signal(47).Caption(), "stop");
  EXPECT_EQ(m.Signal(31).ComponentName(), "SignalWeak");
  EXPECT_TRUE(m.Signal(29).Impulse());
  EXPECT_FALSE(m.Signal(0).Impulse());
  EXPECT_EQ(TMachine::FindSignal("sa"), 14);
  EXPECT_EQ(TMachine::FindSignal("AS"), 14);
  EXPECT_EQ(TMachine::FindSignal("as (sa)"), 14);
  EXPECT_EQ(TMachine::FindSignal("WEAK"), 31);
  EXPECT_EQ(TMachine::FindSignal("nic"), -1);
}

TEST(Buses, FoundByTheirNameWithOrWithoutMag) {
  // The captions are "mag S", "mag A" and "mag AS"; a name may be given
  // either way and in any case.
  TMachine m;
  for (int b = 0; b < kBusCount; ++b) {
    const std::string caption = m.Bus(static_cast<TBusId>(b)).Caption();
    EXPECT_EQ(TMachine::FindBus(caption), b) << caption;
    EXPECT_EQ(TMachine::FindBus(UpperAscii(caption)), b) << caption;
    EXPECT_EQ(TMachine::FindBus(caption.substr(4)), b) << caption;
  }
  EXPECT_EQ(TMachine::FindBus("as"), static_cast<int>(TBusId::AS));
  for (const char* name : {"mag", "mag ", "magS", "B", "mag B", ""})
    EXPECT_EQ(TMachine::FindBus(name), -1) << name;
}

namespace {

constexpr std::uint32_t Bits(std::initializer_list<R> registers) {
  std::uint32_t bits = 0;
  for (const R r : registers) bits |= 1u << static_cast<int>(r);
  return bits;
}

}  // namespace

TEST(Signals, ViewsCollectWhatChangedAndAreToldOnlyOfUserActions) {
  TMachine m;
  TCountingObserver seen;
  auto seenSubscription = m.Subscribe(seen);
  (void)m.TakeChanges();
  EXPECT_EQ(Cycle(m, "czyt wys wei il"), "");
  EXPECT_EQ(seen.Calls, 0);  // a cycle never calls the view
  TMachineChanges c = m.TakeChanges();
  EXPECT_EQ(c.Signals, Signals("czyt wys wei il"));
  EXPECT_EQ(c.Registers, Bits({R::S, R::I, R::L}));
  EXPECT_EQ(c.Buses, 1u << static_cast<int>(TBusId::S));
  EXPECT_EQ(c.FirstCell, 0);
  EXPECT_EQ(c.LastCell, 0);
  EXPECT_EQ(c.AccessedCell, 0);
  EXPECT_FALSE(c.Alu);
  EXPECT_FALSE(m.TakeChanges().Any());  // nothing new since

  EXPECT_EQ(Cycle(m, "wys weja dod weak"), "");
  c = m.TakeChanges();
  // The marks of S, I and L are released, AK and through the flags F written.
  EXPECT_EQ(c.Registers, Bits({R::S, R::I, R::L, R::AK, R::F}));
  EXPECT_EQ(c.Signals, Signals("czyt wei il weja dod weak"));
  EXPECT_TRUE(c.Alu);
  EXPECT_FALSE(c.AnyCells());
  EXPECT_EQ(c.AccessedCell, -1);

  m.SetComponents(TComponentSet().set(0).set(1));
  EXPECT_EQ(seen.Calls, 1);
  EXPECT_TRUE(m.TakeChanges().Configuration);
  m.ResetMachine();
  EXPECT_EQ(seen.Calls, 2);
  EXPECT_TRUE(m.TakeChanges().Reset);
  m.EnterMemoryValue(39, "3");  // 32 words: address 39 is word 7
  EXPECT_EQ(seen.Calls, 3);
  c = m.TakeChanges();
  EXPECT_EQ(c.FirstCell, 7);
  EXPECT_EQ(c.LastCell, 7);
  EXPECT_EQ(c.AccessedCell, 7);
  seenSubscription.End();
  m.ZeroRegister(R::AK);
  EXPECT_EQ(seen.Calls, 3);
  EXPECT_EQ(m.TakeChanges().Registers, Bits({R::AK}));
  // Of several accesses, the last one is the word to bring into view.
  m.EnterMemoryValue(9, "1");
  m.EnterMemoryValue(2, "1");
  m.Memory().Store(20, 1);  // storing a program is no access
  c = m.TakeChanges();
  EXPECT_EQ(c.FirstCell, 2);
  EXPECT_EQ(c.LastCell, 9);
  EXPECT_EQ(c.AccessedCell, 2);
}
