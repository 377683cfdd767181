// Stop conditions: how they are read, how they compare within a width, and
// that a run ends exactly after the cycle in which one holds, however the
// run is sliced and at whatever tracking level.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "MachineTestSupport.h"
#include "common/Text.h"
#include "control/ListFile.h"
#include "control/StopConditions.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

struct TSuma {
  TSuma() {
    Document.SetTexts(ReadTextFile(ExamplePath("dorum/suma.prg")));
    CompileProgram(Session.Assembler(), Session.Control(), Document);
  }
  // Cycles performed one by one until `holds` after one of them; its number.
  std::uint64_t CyclesUntil(const std::function<bool(const TMachine&)>& holds) {
    TController& control = Session.Control();
    while (true) {
      control.ExecuteCycle();
      if (holds(Session.Machine())) return control.CyclesPerformed();
    }
  }
  int LabelAddress(const char* name) {
    for (int i = 0; i < Session.Watches().Count(); ++i) {
      if (EqualsIgnoringAsciiCase(Session.Watches().At(i).Name, name))
        return Session.Watches().At(i).Address;
    }
    return -1;
  }
  TSession Session;
  TProgramDocument Document;
};

std::string AddError(TSession& session, const std::string& text) {
  return MessageOf([&] { session.AddStopCondition(text); });
}

}  // namespace

TEST(StopConditionText, ReadsEveryForm) {
  const struct {
    const char* Text;
    TStopOp Op;
    const char* Name;
    int Value;
  } cases[] = {
      {"AK=5", TStopOp::Equal, "AK", 5},          {"AK != -1", TStopOp::NotEqual, "AK", -1},
      {"x<$10", TStopOp::Less, "x", 16},          {"mem[3]<=2", TStopOp::LessEqual, "mem[3]", 2},
      {"L>7", TStopOp::Greater, "L", 7},          {"L>=0x8", TStopOp::GreaterEqual, "L", 8},
      {"changed( z )", TStopOp::Changed, "z", 0}, {"signal(wyak)", TStopOp::Signal, "wyak", 0}};
  for (const auto& c : cases) {
    const TStopConditionText parsed = ParseStopCondition(c.Text);
    EXPECT_EQ(parsed.Op, c.Op) << c.Text;
    EXPECT_EQ(parsed.Name, c.Name) << c.Text;
    if (c.Op != TStopOp::Changed && c.Op != TStopOp::Signal) {
      EXPECT_EQ(parsed.Value, c.Value) << c.Text;
    }
  }
}

TEST(StopConditionText, SaysWhatIsWrong) {
  const struct {
    const char* Text;
    const char* Says;
  } cases[] = {{"AK", "brak porównania"},   {"=5", "brak nazwy"},
               {"AK=", "brak wartości"},    {"AK>=zz", "\"zz\" nie jest liczbą"},
               {"changed()", "brak nazwy"}, {"  ", "Pusty warunek"}};
  for (const auto& c : cases) {
    const std::string message = MessageOf([&] { (void)ParseStopCondition(c.Text); });
    EXPECT_TRUE(Contains(message, c.Says)) << c.Text << ": " << message;
  }
}

TEST(StopConditions, NamesAreLookedUpAsExpectDoes) {
  TSuma suma;
  const int wordBits = suma.Session.Machine().WordBits();
  EXPECT_TRUE(Contains(AddError(suma.Session, "nieznana=1"), "nie ma rejestru ani etykiety"));
  EXPECT_TRUE(Contains(AddError(suma.Session, "signal(nic)"), "nie ma sygnału nic"));
  EXPECT_TRUE(Contains(AddError(suma.Session, "mem[99999]=1"), "poza pamięcią"));
  EXPECT_TRUE(Contains(AddError(suma.Session, "mem[-1]=1"), "poza pamięcią"));
  // The last word is the last one a condition may name.
  const int size = suma.Session.Machine().Memory().Size();
  EXPECT_TRUE(
      Contains(AddError(suma.Session, "mem[" + std::to_string(size) + "]=1"), "poza pamięcią"));
  EXPECT_EQ(AddError(suma.Session, "mem[" + std::to_string(size - 1) + "]=1"), "");
  suma.Session.StopConditions().Clear();
  EXPECT_TRUE(Contains(AddError(suma.Session, "G=0"), "nie ma rejestru G"));
  const std::string tooBig = "z=" + std::to_string(1 << wordBits);
  EXPECT_TRUE(Contains(AddError(suma.Session, tooBig), "nie mieści się"));
  const std::string tooSmall = "z=" + std::to_string(-(1 << (wordBits - 1)) - 1);
  EXPECT_TRUE(Contains(AddError(suma.Session, tooSmall), "nie mieści się"));
  EXPECT_EQ(suma.Session.StopConditions().Count(), 0);  // none of the bad ones stays

  suma.Session.AddStopCondition("Z=1");   // a label, in any case
  suma.Session.AddStopCondition("ak=1");  // no such label: the register
  const TStopConditions& list = suma.Session.StopConditions();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0).Test.Source, TStopTest::TSource::Memory);
  EXPECT_EQ(list.At(0).Test.Index, suma.LabelAddress("z"));
  EXPECT_EQ(list.At(1).Test.Source, TStopTest::TSource::Register);
  EXPECT_EQ(list.At(1).Test.Index, static_cast<int>(R::AK));
}

// Unsigned within the width, unless the value is negative: then both are
// two's complement numbers of that width.
TEST(StopConditions, ComparesWithinTheWidth) {
  TSession session;
  TMachine& machine = session.Machine();
  const int bits = machine.Register(R::AK).Bits();
  const int top = 1 << (bits - 1);  // the sign bit alone
  Set(machine, R::AK, top);
  const struct {
    std::string Text;
    bool Holds;
  } cases[] = {{"AK<0", true},
               {"AK>=-1", false},
               {"AK=-" + std::to_string(top), true},
               {"AK=" + std::to_string(top), true},
               {"AK>" + std::to_string(top - 1), true},
               {"AK<" + std::to_string(top), false},
               {"AK!=" + std::to_string(top), false},
               {"AK<=" + std::to_string(top), true},
               {"AK>=0", false},  // the sign bit is set
               {"AK<=0", false},  // unsigned: zero only
               {"AK>0", true}};
  for (const auto& c : cases) {
    TStopConditions conditions;
    conditions.Add(c.Text, machine, nullptr);
    EXPECT_EQ(conditions.Check(machine) == 0, c.Holds) << c.Text;
  }
}

// A word of memory is as wide as AK, not as an address: its sign is its
// top bit.
TEST(StopConditions, AMemoryWordComparesInTheWordsWidth) {
  TSession session;
  TMachine& machine = session.Machine();
  const int top = 1 << (machine.WordBits() - 1);
  const int addressTop = 1 << (machine.AddressBits() - 1);
  ASSERT_LT(addressTop, top);
  machine.EnterMemoryValue(3, std::to_string(top));
  machine.EnterMemoryValue(4, std::to_string(addressTop));
  const struct {
    std::string Text;
    bool Holds;
  } cases[] = {{"mem[3]<0", true},
               {"mem[3]=-" + std::to_string(top), true},
               {"mem[3]=" + std::to_string(top), true},
               {"mem[3]>=0", false},
               {"mem[4]>0", true},
               {"mem[4]<0", false},
               {"mem[4]=-" + std::to_string(addressTop), false}};
  for (const auto& c : cases) {
    TStopConditions conditions;
    conditions.Add(c.Text, machine, nullptr);
    EXPECT_EQ(conditions.Check(machine) == 0, c.Holds) << c.Text;
  }
}

TEST(StopConditions, ChangedComparesWithThePreviousCheckAndDisabledOnesAreSkipped) {
  TSession session;
  TMachine& machine = session.Machine();
  TStopConditions conditions;
  conditions.Add("AK=3", machine, nullptr);
  conditions.Add("changed(AK)", machine, nullptr);
  EXPECT_EQ(conditions.Check(machine), -1);
  Set(machine, R::AK, 3);
  EXPECT_EQ(conditions.Check(machine), 0);  // the first that holds
  conditions.SetEnabled(0, false, machine);
  EXPECT_EQ(conditions.Check(machine), -1);  // the change was seen at the last check
  Set(machine, R::AK, 4);
  EXPECT_EQ(conditions.Check(machine), 1);
  conditions.SetEnabled(1, false, machine);
  EXPECT_FALSE(conditions.Armed());
  // Changes while it was off are not news once it is on again.
  Set(machine, R::AK, 5);
  conditions.SetEnabled(1, true, machine);
  EXPECT_EQ(conditions.Check(machine), -1);
  conditions.SetEnabled(1, false, machine);
  conditions.Remove(0);
  EXPECT_EQ(conditions.Count(), 1);
  EXPECT_EQ(conditions.At(0).Text, "changed(AK)");
}

// The run ends after the very cycle in which the condition holds, sliced
// or not, at every tracking level, and is told by the condition's message.
TEST(StopConditions, RunStopsAfterTheCycleInWhichOneHolds) {
  const int z = TSuma().LabelAddress("z");
  ASSERT_GE(z, 0);
  TSuma reference;
  const std::uint64_t zWritten =
      reference.CyclesUntil([&](const TMachine& m) { return m.Memory().Word(z) != 0; });
  TSuma signalReference;
  const int weak = TMachine::FindSignal("weak");
  const std::uint64_t firstWeak =
      signalReference.CyclesUntil([&](const TMachine& m) { return m.SignalActive(weak); });
  ASSERT_GT(zWritten, firstWeak);

  const struct {
    const char* Condition;
    std::uint64_t Cycles;
  } cases[] = {{"changed(z)", zWritten}, {"z!=0", zWritten}, {"signal(weak)", firstWeak}};
  for (const auto& c : cases) {
    for (int level = 0; level <= 2; ++level) {
      for (const std::uint64_t slice : {std::uint64_t{1}, std::uint64_t{3}, ~std::uint64_t{0}}) {
        TSuma suma;
        TController& control = suma.Session.Control();
        control.SetTrackingLevel(level);
        suma.Session.AddStopCondition(c.Condition);
        control.StartProgram(-1);
        const std::string message = EndOf(control, [&] {
          TSliceEnd end = TSliceEnd::Idle;
          while (control.Running()) end = control.RunSlice({.Cycles = slice});
          return end;
        });
        const std::string where = std::string(c.Condition) + " level " + std::to_string(level) +
                                  " slice " + std::to_string(slice);
        EXPECT_EQ(message, std::string("Warunek zatrzymania: ") + c.Condition) << where;
        EXPECT_EQ(control.CyclesPerformed(), c.Cycles) << where;
        EXPECT_EQ(control.HeldCondition(), 0) << where;
        EXPECT_FALSE(control.Running()) << where;
      }
    }
  }
}

TEST(StopConditions, ANeverHoldingOneLetsTheProgramEndAndARunGoesOnAfterAStop) {
  TSuma plain;
  plain.Session.Control().SetTrackingLevel(0);
  const std::string plainEnd =
      EndOf(plain.Session.Control(), [&] { return plain.Session.Control().ExecuteProgram(-1); });

  TSuma suma;
  TController& control = suma.Session.Control();
  control.SetTrackingLevel(0);
  suma.Session.AddStopCondition("AK=99");
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }), plainEnd);
  EXPECT_EQ(control.HeldCondition(), -1);
  EXPECT_EQ(control.CyclesPerformed(), plain.Session.Control().CyclesPerformed());

  // changed(z) stops once; the next run starts from the new value and
  // goes on to the program's end.
  TSuma again;
  TController& second = again.Session.Control();
  second.SetTrackingLevel(0);
  again.Session.AddStopCondition("changed(z)");
  EXPECT_EQ(second.ExecuteProgram(-1), TSliceEnd::ConditionHeld);
  EXPECT_TRUE(second.EndMessage().starts_with("Warunek zatrzymania"));
  EXPECT_EQ(second.ExecuteProgram(-1), TSliceEnd::ProgramEnded);
  EXPECT_EQ(second.EndMessage(), plainEnd);
  EXPECT_EQ(second.HeldCondition(), -1);
  EXPECT_EQ(second.CyclesPerformed(), plain.Session.Control().CyclesPerformed());
}

namespace {

void Assemble(TSession& session, TProgramDocument& document, const TLines& lines) {
  document.SetTexts(lines);
  session.AssembleProgram(document);
}

}  // namespace

// After a new assembly a label's condition watches the label's new word;
// texts and the user's choices stay.
TEST(StopConditions, RecompileFollowsTheLabelsAndKeepsTextsAndChoices) {
  TSession session;
  TProgramDocument document;
  Assemble(session, document, {"x: RST 1", "z: RPA"});
  session.AddStopCondition("changed(z)");
  session.AddStopCondition("z=3");
  TStopConditions& list = session.StopConditions();
  list.SetEnabled(1, false, session.Machine());
  ASSERT_EQ(list.At(0).Test.Index, 1);

  Assemble(session, document, {"a: RST 1", "b: RST 2", "z: RPA"});
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0).Text, "changed(z)");
  EXPECT_EQ(list.At(0).Test.Index, 2);
  EXPECT_TRUE(list.At(0).Active());
  EXPECT_FALSE(list.At(1).Enabled);
  EXPECT_EQ(list.At(1).Test.Index, 2);
  // The new word is the one that stops a run.
  session.Machine().Memory().Store(2, 9);
  EXPECT_EQ(list.Check(session.Machine()), 0);
}

// A label gone: the condition stays in the list, says why, and is not
// checked; once the label is back it is checked again.
TEST(StopConditions, RecompileKeepsOneThatNoLongerResolvesUncheckedWithItsProblem) {
  TSession session;
  TProgramDocument document;
  Assemble(session, document, {"z: RST 0"});
  session.AddStopCondition("changed(z)");
  TStopConditions& list = session.StopConditions();

  Assemble(session, document, {"y: RST 0"});
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0).Text, "changed(z)");
  EXPECT_TRUE(Contains(list.At(0).Problem, "nie ma rejestru ani etykiety z"));
  EXPECT_FALSE(list.At(0).Active());
  EXPECT_FALSE(list.Armed());
  // Enabling it by hand does not make it checked while the name is missing.
  list.SetEnabled(0, false, session.Machine());
  list.SetEnabled(0, true, session.Machine());
  EXPECT_FALSE(list.Armed());

  Assemble(session, document, {"z: RST 0"});
  EXPECT_TRUE(list.At(0).Problem.empty());
  EXPECT_TRUE(list.Armed());
}

// A word beyond a smaller memory, a register the configuration dropped, a
// value too wide for a narrower word: none of them is read any more.
TEST(StopConditions, RecompileAfterTheConfigurationChanged) {
  TSession session;
  TMachine& machine = session.Machine();
  machine.SetAddressBits(6);
  const int beyond = (1 << 5) + 3;
  session.AddStopCondition("mem[" + std::to_string(beyond) + "]=1");
  const int wide = (1 << (machine.WordBits() - 1)) + 1;
  session.AddStopCondition("AK=" + std::to_string(wide));
  session.AddStopCondition("changed(AK)");
  machine.Memory().Store(beyond, 1);
  session.SetAddressBits(5);
  const TStopConditions& list = session.StopConditions();
  EXPECT_TRUE(Contains(list.At(0).Problem, "poza pamięcią")) << list.At(0).Problem;
  EXPECT_TRUE(Contains(list.At(1).Problem, "nie mieści się")) << list.At(1).Problem;
  EXPECT_TRUE(list.At(2).Active());
  EXPECT_EQ(list.At(2).Test.Bits, machine.Register(R::AK).Bits());
  // Before, the old word beyond the memory made mem[...]=1 hold.
  EXPECT_EQ(session.StopConditions().Check(machine), -1);
}

TEST(StopConditions, IndexOfFindsTheSameConditionHoweverWritten) {
  TSession session;
  session.AddStopCondition("changed(AK)");
  session.AddStopCondition("AK>=5");
  const TStopConditions& list = session.StopConditions();
  EXPECT_EQ(list.IndexOf(" changed( ak ) "), 0);
  EXPECT_EQ(list.IndexOf("AK >= $5"), 1);
  EXPECT_EQ(list.IndexOf("AK>5"), -1);
  EXPECT_EQ(list.IndexOf("signal(AK)"), -1);
  EXPECT_EQ(list.IndexOf("AK>"), -1);
  // Conditions that differ only in their value are told apart.
  session.AddStopCondition("AK=3");
  session.AddStopCondition("AK=4");
  EXPECT_EQ(list.IndexOf("AK=4"), 3);
  EXPECT_EQ(list.IndexOf("AK=3"), 2);
  EXPECT_EQ(list.IndexOf("AK=5"), -1);
  EXPECT_EQ(list.IndexOf("L=3"), -1);
}

namespace {

// A follower of every cycle: with it, a run goes cycle by cycle.
class TEveryCycle final : public IControlHost {};

struct TWatchedRun {
  TWatchedRun(const std::string& program, const std::string& list, bool cycleByCycle) {
    if (!list.empty()) LoadInstructionList(ExamplePath(list), machine_, control_);
    document_.SetTexts(ReadTextFile(ExamplePath(program)));
    CompileProgram(session_.Assembler(), control_, document_);
    if (cycleByCycle) control_.SetHost(&host_);
    control_.SetTrackingLevel(0);
  }
  // Runs on until the next stop, with the user's entries after the first
  // slice that ends at a fetch if asked; what ended it and where.
  std::string RunOn(std::uint64_t slice, bool enterValues = false) {
    control_.StartProgram(-1);
    const std::string message = EndOf(control_, [&] {
      TSliceEnd end = TSliceEnd::Idle;
      while (control_.Running()) {
        end = control_.RunSlice({.Cycles = slice});
        // Between instructions, where the next slice may take whole ones.
        if (enterValues && control_.Running() && control_.AtFetch()) {
          enterValues = false;
          machine_.EnterMemoryValue(0, "77");
          machine_.EnterRegisterValue(R::AK, "5");
        }
      }
      return end;
    });
    return message + " after " + std::to_string(control_.CyclesPerformed()) + " held " +
           std::to_string(control_.HeldCondition()) +
           " AK=" + std::to_string(machine_.Register(R::AK).Content()) +
           " L=" + std::to_string(machine_.Register(R::L).Content());
  }

  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TEveryCycle host_;
  TProgramDocument document_;
};

}  // namespace

TEST(StopConditions, WholeInstructionsStopWhereCycleByCycleRunsStop) {
  const std::pair<std::string, std::string> programs[] = {
      {"dorum/mnozenie.prg", std::string()},
      {"dorum-plus/tablica.prg", "dorum-plus/dorum-plus.lst"},
      {"pelt/podprogram.prg", "pelt/pelt.lst"},
  };
  std::uint64_t runWhole = 0;
  for (const auto& [program, list] : programs) {
    TLines conditions{"changed(AK)", "changed(WS)", "signal(pisz)", "changed(mem[0])"};
    TWatchedRun named(program, list, false);
    const TWatchList& labels = named.session_.Watches();
    for (int i = 0; i < labels.Count(); ++i)
      conditions.push_back("changed(" + labels.At(i).Name + ")");
    for (const std::string& condition : conditions) {
      for (const std::uint64_t slice : {std::uint64_t{7}, std::uint64_t{200}}) {
        TWatchedRun whole(program, list, false);
        TWatchedRun byCycle(program, list, true);
        if (!MessageOf([&] { whole.session_.AddStopCondition(condition); }).empty()) continue;
        byCycle.session_.AddStopCondition(condition);
        // A few stops in turn, the first with places changed by hand
        // between two slices: the next cycle tells of it either way.
        for (int stop = 0; stop < 4; ++stop) {
          ASSERT_EQ(whole.RunOn(slice, stop == 0), byCycle.RunOn(slice, stop == 0))
              << program << ' ' << condition << " stop " << stop;
        }
        runWhole += whole.control_.InstructionsRunWhole();
        ASSERT_EQ(byCycle.control_.InstructionsRunWhole(), 0u);
      }
    }
  }
  EXPECT_GT(runWhole, 0u);
}

// Both ends of a width: the largest unsigned value and the most negative
// one fit, one past either does not; each fitting one holds exactly there.
TEST(StopConditions, EveryValueThatFitsIsAcceptedUpToBothEnds) {
  TSession session;
  TMachine& machine = session.Machine();
  const int bits = machine.Register(R::AK).Bits();
  const int all = (1 << bits) - 1;
  const int lowest = -(1 << (bits - 1));
  const struct {
    int Value;
    bool Fits;
  } cases[] = {{all, true}, {all + 1, false}, {lowest, true}, {lowest - 1, false}, {0, true}};
  for (const auto& c : cases) {
    const std::string text = "AK=" + std::to_string(c.Value);
    TStopConditions conditions;
    const std::string error = MessageOf([&] { conditions.Add(text, machine, nullptr); });
    EXPECT_EQ(error.empty(), c.Fits) << text << ": " << error;
    if (!c.Fits) continue;
    Set(machine, R::AK, c.Value);
    EXPECT_EQ(conditions.Check(machine), 0) << text;
    Set(machine, R::AK, c.Value + 1);
    EXPECT_EQ(conditions.Check(machine), -1) << text;
  }
}

// Any difference is a change: up, down, and the sign bit alone.
TEST(StopConditions, ChangedHoldsForEveryKindOfDifference) {
  TSession session;
  TMachine& machine = session.Machine();
  const int top = 1 << (machine.Register(R::AK).Bits() - 1);
  TStopConditions conditions;
  Set(machine, R::AK, 5);
  conditions.Add("changed(AK)", machine, nullptr);
  const struct {
    int Value;
    bool Holds;
  } steps[] = {{5, false}, {4, true}, {9, true}, {9, false}, {9 | top, true}, {9, true}, {0, true}};
  for (const auto& s : steps) {
    Set(machine, R::AK, s.Value);
    EXPECT_EQ(conditions.Check(machine) == 0, s.Holds) << "AK=" << s.Value;
  }
  // Enabling one that is on already keeps the change it has not yet seen.
  Set(machine, R::AK, 3);
  conditions.SetEnabled(0, true, machine);
  EXPECT_EQ(conditions.Check(machine), 0);
}

// A label named like a register: the register's own caption means the
// register, any other spelling the label.
TEST(StopConditions, ARegistersCaptionComesBeforeALabelOfThatName) {
  for (const char* name : {"AK", "L", "S"}) {
    TSession session;
    TProgramDocument document;
    Assemble(session, document, {"x: RST 1", std::string(name) + ": RST 2"});
    session.AddStopCondition("changed(" + std::string(name) + ")");
    session.AddStopCondition("changed(" + LowerCase(name) + ")");
    const TStopConditions& list = session.StopConditions();
    ASSERT_EQ(list.Count(), 2) << name;
    EXPECT_EQ(list.At(0).Test.Source, TStopTest::TSource::Register) << name;
    EXPECT_EQ(list.At(0).Test.Index, TMachine::FindRegister(name)) << name;
    EXPECT_EQ(list.At(1).Test.Source, TStopTest::TSource::Memory) << name;
    EXPECT_EQ(list.At(1).Test.Index, 1) << name;
  }
}

// The flags follow every write of the accumulator, not only the signals
// that name them: a run taking whole instructions still sees them change.
TEST(StopConditions, ChangedFlagsStopWholeInstructionRunsWhereCycleByCycleOnesStop) {
  TWatchedRun whole("dorum/mnozenie.prg", std::string(), false);
  TWatchedRun byCycle("dorum/mnozenie.prg", std::string(), true);
  for (TWatchedRun* run : {&whole, &byCycle}) {
    run->machine_.SetComponents(*PresetComponents("Ombra"));
    run->session_.AddStopCondition("changed(F)");
  }
  for (int stop = 0; stop < 3; ++stop) {
    const std::string expected = byCycle.RunOn(200);
    EXPECT_TRUE(expected.starts_with("Warunek zatrzymania: changed(F)")) << expected;
    EXPECT_EQ(whole.RunOn(200), expected) << "stop " << stop;
  }
}

// Each refusal names the condition as written and the number at fault.
TEST(StopConditions, EveryRefusalIsSpelledOutWithItsNumbers) {
  TSuma suma;
  const TMachine& machine = suma.Session.Machine();
  const int size = machine.Memory().Size();
  const int wordBits = machine.WordBits();
  const int akBits = machine.Register(R::AK).Bits();
  const std::string big = std::to_string(1 << wordBits);
  const std::string low = std::to_string(-(1 << (akBits - 1)) - 1);
  const std::string end = std::to_string(size);
  const struct {
    std::string Text;
    std::string Message;
  } cases[] = {
      {"   ", "Pusty warunek zatrzymania"},
      {"AK",
       "Warunek \"AK\": brak porównania (=, !=, <, <=, >, >=), changed(NAZWA) ani "
       "signal(NAZWA)"},
      {" <3 ", "Warunek \"<3\": brak nazwy przed porównaniem"},
      {"AK!=", "Warunek \"AK!=\": brak wartości po porównaniu"},
      {"AK>1.5", "Warunek \"AK>1.5\": \"1.5\" nie jest liczbą całkowitą"},
      {"changed( )", "Warunek \"changed( )\": brak nazwy w nawiasach"},
      {"signal()", "Warunek \"signal()\": brak nazwy w nawiasach"},
      {"mem[" + end + "]=1",
       "Warunek \"mem[" + end + "]=1\": adres " + end + " leży poza pamięcią"},
      {"mem[-3]=1", "Warunek \"mem[-3]=1\": adres -3 leży poza pamięcią"},
      {"mem[x]=1", "Warunek \"mem[x]=1\": adres w mem[x] nie jest liczbą"},
      {"mem[0]=" + big, "Warunek \"mem[0]=" + big + "\": wartość " + big + " nie mieści się w " +
                            std::to_string(wordBits) + " bitach"},
      {"AK=" + low, "Warunek \"AK=" + low + "\": wartość " + low + " nie mieści się w " +
                        std::to_string(akBits) + " bitach"},
      {"nic=1", "Warunek \"nic=1\": nie ma rejestru ani etykiety nic"},
      {"signal(nic)", "Warunek \"signal(nic)\": nie ma sygnału nic"},
      {"G=0", "Warunek \"G=0\": tej maszyny nie ma rejestru G"},
  };
  for (const auto& c : cases) EXPECT_EQ(AddError(suma.Session, c.Text), c.Message) << c.Text;
  EXPECT_EQ(suma.Session.StopConditions().Count(), 0);
}

// Every comparison on both sides of its value and at it, unsigned and
// signed: a value just below, equal and just above each operand.
TEST(StopConditions, EveryComparisonHoldsOnItsSideOfTheValueOnly) {
  TSession session;
  TMachine& machine = session.Machine();
  const struct {
    const char* Op;
    bool Below, Equal, Above;
  } ops[] = {{"<", true, false, false}, {"<=", true, true, false}, {"=", false, true, false},
             {"!=", true, false, true}, {">=", false, true, true}, {">", false, false, true}};
  for (const int value : {5, -5}) {
    for (const auto& op : ops) {
      const std::string text = "AK" + std::string(op.Op) + std::to_string(value);
      TStopConditions conditions;
      conditions.Add(text, machine, nullptr);
      const bool expected[] = {op.Below, op.Equal, op.Above};
      for (int d = -1; d <= 1; ++d) {
        Set(machine, R::AK, value + d);
        EXPECT_EQ(conditions.Check(machine) == 0, expected[d + 1])
            << text << " with AK=" << value + d;
      }
    }
  }
}
