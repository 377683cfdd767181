// The rules both front ends take from the core as they are: what the
// diagram shows and lights, how a box ends its sentence, what a run's end
// says, where an error's mark lies and how the stop conditions answer the
// dialog. A front end that disagreed with the desktop would show it here.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "MachineTestSupport.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "diagram/DiagramItems.h"
#include "machine/MachineConfig.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

const TDiagramItem& Item(std::string_view name) {
  for (const TDiagramItem& item : DiagramItems())
    if (item.Name == name) return item;
  throw EDorumError("no diagram item " + std::string(name));
}

// Whether the item is lit, and its text, in the form "lit|text".
std::string Seen(const TMachine& machine, std::string_view name) {
  const TDiagramItem& item = Item(name);
  return std::string(ItemActive(machine, item) ? "lit|" : "dark|") + ItemText(machine, item);
}

}  // namespace

// One cycle of L onto bus A and into A: the signals, their wires and the
// bus it drove are lit, with the bus's value; nothing else is, and the
// registers, the memory and the ALU never are.
TEST(SharedRules, TheDiagramLightsWhatTheCycleDroveAndNamesEveryKindOfItem) {
  TMachine machine;
  machine.Register(TRegisterId::L).SetValue(6);
  machine.Register(TRegisterId::AK).SetValue(5);
  ASSERT_EQ(Cycle(machine, "wyl wea"), "");

  EXPECT_EQ(Seen(machine, "SignalWyl"), "lit|wyl");
  EXPECT_EQ(Seen(machine, "SignalWea"), "lit|wea");
  EXPECT_EQ(Seen(machine, "WireWyl"), "lit|WireWyl");
  EXPECT_EQ(Seen(machine, "WireWea"), "lit|WireWea");
  EXPECT_EQ(Seen(machine, "BusA"), "lit|mag A = 6");
  EXPECT_EQ(Seen(machine, "BusS"), "dark|mag S");
  EXPECT_EQ(Seen(machine, "SignalCzyt"), "dark|czyt");
  EXPECT_EQ(Seen(machine, "WireWys"), "dark|WireWys");
  // Every piece of a wire lights with its signal.
  EXPECT_EQ(Seen(machine, "WireWyak1"), "dark|WireWyak1");
  EXPECT_EQ(Seen(machine, "RegisterA"), "dark|A : 6");
  EXPECT_EQ(Seen(machine, "RegisterAK"), "dark|AK : 5");
  EXPECT_EQ(Seen(machine, "Memory"), "dark|PaO");
  EXPECT_EQ(Seen(machine, "Alu"), "dark|JAL");

  ASSERT_EQ(Cycle(machine, "wyak weja"), "");
  EXPECT_EQ(Seen(machine, "WireWyak0"), "lit|WireWyak0");
  EXPECT_EQ(Seen(machine, "WireWyak1"), "lit|WireWyak1");
  EXPECT_EQ(Seen(machine, "WireWyak2"), "lit|WireWyak2");
  EXPECT_EQ(Seen(machine, "BusS"), "lit|mag S = 5");
  EXPECT_EQ(Seen(machine, "WireWyl"), "dark|WireWyl");
}

// What the configuration lacks is neither drawn nor named, and comes back
// with its component.
TEST(SharedRules, TheDiagramShowsOnlyWhatTheConfigurationHas) {
  TMachine machine;
  for (const char* name : {"RegisterX", "SignalWex", "WireWex", "RegisterRZ", "SignalRint"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ItemShown(machine, Item(name)));
    EXPECT_EQ(ItemText(machine, Item(name)), "");
  }
  for (const char* name : {"RegisterAK", "BusA", "BusS", "SignalCzyt", "WireWyl", "Memory", "Alu"})
    EXPECT_TRUE(ItemShown(machine, Item(name))) << name;

  machine.SetComponents(*PresetComponents("Ombra"));
  EXPECT_TRUE(ItemShown(machine, Item("RegisterX")));
  EXPECT_TRUE(ItemShown(machine, Item("WireWex")));
  EXPECT_EQ(ItemText(machine, Item("SignalWex")), "wex");
  EXPECT_EQ(ItemText(machine, Item("RegisterX")), "X : 0");
}

// Only the instruction register reads as an instruction.
TEST(SharedRules, TheDisplayModesOfferTheInstructionFormOnlyForI) {
  const auto labels = [](TRegisterId id) {
    std::vector<std::string> texts;
    for (const TDisplayModeChoice& choice : DisplayModeChoices(id))
      texts.emplace_back(choice.Caption);
    return texts;
  };
  const std::vector<std::string> plain = {"Dziesiętnie bez znaku", "Dziesiętnie ze znakiem",
                                          "Binarnie", "Szestnastkowo"};
  EXPECT_EQ(labels(TRegisterId::AK), plain);
  EXPECT_EQ(labels(TRegisterId::A), plain);
  std::vector<std::string> withInstruction = plain;
  withInstruction.emplace_back("Rozkaz");
  EXPECT_EQ(labels(TRegisterId::I), withInstruction);
  const std::vector<TDisplayModeChoice> forI = DisplayModeChoices(TRegisterId::I);
  ASSERT_EQ(forI.size(), 5u);
  EXPECT_EQ(forI[0].Mode, TDisplayMode::dmUnsigned);
  EXPECT_EQ(forI[1].Mode, TDisplayMode::dmSigned);
  EXPECT_EQ(forI[2].Mode, TDisplayMode::dmBinary);
  EXPECT_EQ(forI[3].Mode, TDisplayMode::dmHexadecimal);
  EXPECT_EQ(forI[4].Mode, TDisplayMode::dmInstruction);
}

// A box's sentence gets its full stop unless it ends in punctuation or a
// blank; letters of any code page 1250 alphabet and digits count as words.
TEST(SharedRules, ABoxEndsItsSentenceWithAFullStop) {
  EXPECT_EQ(Texts::BoxText(""), "");
  EXPECT_EQ(Texts::BoxText("Koniec programu"), "Koniec programu.");
  EXPECT_EQ(Texts::BoxText("Koniec."), "Koniec.");
  EXPECT_EQ(Texts::BoxText("Wartość 12"), "Wartość 12.");
  EXPECT_EQ(Texts::BoxText("Źle wpisana wartość"), "Źle wpisana wartość.");
  EXPECT_EQ(Texts::BoxText("Uwaga!"), "Uwaga!");
  EXPECT_EQ(Texts::BoxText("(nic)"), "(nic)");
  EXPECT_EQ(Texts::BoxText("Koniec, "), "Koniec, ");
  EXPECT_EQ(Texts::BoxText("a-"), "a-");
  // Sorting after "." in the code page: a question mark, a colon.
  EXPECT_EQ(Texts::BoxText("Co?"), "Co?.");
  EXPECT_EQ(Texts::BoxText("x:"), "x:.");
  // A character the code page lacks is not punctuation.
  EXPECT_EQ(Texts::BoxText("strzałka →"), "strzałka →.");
}

namespace {

struct TRunFixture : ::testing::Test {
  TSession session;
  TProgramDocument document;

  void Assemble(const TLines& lines) {
    document.SetTexts(lines);
    session.AssembleProgram(document);
  }
};

}  // namespace

// Every way a slice can end: the program's end is news, a stop an error,
// and a slice that leaves the run going or a plain end says nothing.
TEST_F(TRunFixture, EveryEndOfASliceIsToldInItsOwnBox) {
  Assemble({"pob x", "stp", "x: rst 4"});
  ASSERT_EQ(session.Control().ExecuteProgram(-1), TSliceEnd::ProgramEnded);
  const std::string message = session.Control().EndMessage();
  ASSERT_FALSE(message.empty());
  const TEndReport ended = session.ReportEnd(TSliceEnd::ProgramEnded);
  EXPECT_EQ(ended.Box, TBoxKind::Information);
  EXPECT_EQ(ended.Text, Texts::BoxText(message));
  EXPECT_EQ(ended.Text.back(), '.');

  for (const TSliceEnd end : {TSliceEnd::Breakpoint, TSliceEnd::ProgramBreakpoint,
                              TSliceEnd::CycleLimit, TSliceEnd::InputExhausted}) {
    const TEndReport report = session.ReportEnd(end);
    EXPECT_EQ(report.Box, TBoxKind::Error) << static_cast<int>(end);
    EXPECT_EQ(report.Text, Texts::BoxText(message)) << static_cast<int>(end);
  }
  for (const TSliceEnd end : {TSliceEnd::Idle, TSliceEnd::Budget, TSliceEnd::Tempo,
                              TSliceEnd::Waiting, TSliceEnd::Finished, TSliceEnd::Stopped}) {
    const TEndReport report = session.ReportEnd(end);
    EXPECT_EQ(report.Box, TBoxKind::None) << static_cast<int>(end);
    EXPECT_EQ(report.Text, "") << static_cast<int>(end);
  }
}

// A condition that held names the cycle, the instruction and its line, and
// brings the editor's line to the instruction that runs next.
TEST_F(TRunFixture, AConditionThatHeldNamesTheCycleTheInstructionAndItsLine) {
  Assemble({"// liczy", "pob x", "dod x", "stp", "x: rst 4"});
  session.AddStopCondition("AK=8");
  ASSERT_EQ(session.Control().ExecuteProgram(-1), TSliceEnd::ConditionHeld);
  const TEndReport report = session.ReportEnd(TSliceEnd::ConditionHeld);
  EXPECT_EQ(report.Box, TBoxKind::Information);
  const std::string cycles = std::to_string(session.Control().CyclesSinceReset());
  EXPECT_TRUE(Contains(report.Text, "Wykonanie zatrzymano po takcie nr " + cycles + " rozkazu dod" +
                                        " w wierszu 3 programu."))
      << report.Text;
  EXPECT_TRUE(Contains(report.Text, "AK")) << report.Text;
  // dod stored AK in its last cycle: stp, on line 4, runs next.
  EXPECT_EQ(document.CurrentLine(), 4);
}

// The options written where only the vectors and the ports differ: they
// take effect (steps back could not undo them, so the history starts
// afresh), and the memory and the widths stay.
TEST(SharedRules, OptionsThatChangeOnlyVectorsAndPortsTakeEffect) {
  TSession session(true);
  session.Machine().EnterMemoryValue(2, "9");
  ASSERT_EQ(session.History()->UndoableSteps(), 1u);
  TMachineOptions options = session.Options();
  options.Vectors[0] = {7, "przerwanie"};
  options.Ports = TIOPorts{3, 4, 5, 6};
  session.Configure(options);
  EXPECT_EQ(session.Machine().Vectors()[0], (TInterruptVector{7, "przerwanie"}));
  EXPECT_EQ(session.Machine().IOPorts(), (TIOPorts{3, 4, 5, 6}));
  EXPECT_EQ(session.Options().Ports, (TIOPorts{3, 4, 5, 6}));
  EXPECT_EQ(session.History()->UndoableSteps(), 0u);
  EXPECT_EQ(session.Machine().Memory().Word(2), 9u);
  EXPECT_EQ(session.Machine().AddressBits(), kMinAddressBits);
}

TEST(SharedRules, AnErrorMarkAtTheStartOrPastTheEndOfALineStaysOnIt) {
  // Column 0 on the first line has no line before it.
  const TMarkRange first = ErrorMarkRange({"abc def"}, 1, 0);
  EXPECT_EQ(first.Line, 1);
  EXPECT_EQ(first.Begin, 0);
  EXPECT_EQ(first.End, 1);
  // A column past the line's end marks its last word.
  const TMarkRange beyond = ErrorMarkRange({"ab cd", "x"}, 1, 40);
  EXPECT_EQ(beyond.Line, 1);
  EXPECT_EQ(beyond.Begin, 3);
  EXPECT_EQ(beyond.End, 5);
  // A word in the middle of a later line.
  const TMarkRange middle = ErrorMarkRange({"", "pob  xyz  1"}, 2, 9);
  EXPECT_EQ(middle.Line, 2);
  EXPECT_EQ(middle.Begin, 5);
  EXPECT_EQ(middle.End, 8);
}

// The dialog's "Dodaj" of a condition the list has enables it in its place,
// however it was spelled; the list's checks and what a renaming lost.
TEST(SharedRules, StopConditionsAreAddedOnceAndTellWhichWereLost) {
  TSession session;
  TMachine& machine = session.Machine();
  TStopConditions& conditions = session.StopConditions();
  session.SetComponents(*PresetComponents("Ombra"));
  EXPECT_EQ(conditions.AddOrEnable("AK=5", machine, nullptr), 0);
  EXPECT_EQ(conditions.AddOrEnable("X=1", machine, nullptr), 1);
  EXPECT_EQ(conditions.AddOrEnable("L>2", machine, nullptr), 2);
  conditions.SetEnabled(0, false, machine);
  EXPECT_EQ(conditions.ActiveNow(), (std::vector<bool>{false, true, true}));
  EXPECT_EQ(conditions.AddOrEnable(" ak = 5 ", machine, nullptr), 0);
  EXPECT_EQ(conditions.Count(), 3);
  EXPECT_TRUE(conditions.At(0).Enabled);
  EXPECT_EQ(conditions.ActiveNow(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(conditions.AddOrEnable("AK=6", machine, nullptr), 3);
  EXPECT_EQ(conditions.Count(), 4);

  conditions.SetEnabled(2, false, machine);
  const std::vector<bool> before = conditions.ActiveNow();
  EXPECT_EQ(before, (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(conditions.LostSince(before), "");
  session.SetComponents(TComponentSet().set(0));  // no X any more
  EXPECT_EQ(conditions.ActiveNow(), (std::vector<bool>{true, false, false, true}));
  const std::string lost = conditions.LostSince(before);
  EXPECT_EQ(lost, Texts::LostStopConditions({"X=1 — " + conditions.At(1).Problem}));
  EXPECT_FALSE(conditions.At(1).Problem.empty());
  // One that was not checked before was not lost.
  EXPECT_EQ(conditions.LostSince({true, false, false, true}), "");
  // A shorter record of before than the list: only those it covers count.
  EXPECT_EQ(conditions.LostSince({true}), "");
  EXPECT_EQ(conditions.LostSince({true, true}), lost);
}

// The bus between the buses is drawn only on a machine that has it, and a
// memory row reads as the desktop's: address, word, then the word as code.
TEST(SharedRules, TheLinkBusIsShownOnlyWithItsComponentAndMemoryRowsReadAsOnTheDesktop) {
  TSession session;  // the instruction list names the codes
  TMachine& machine = session.Machine();
  EXPECT_FALSE(ItemShown(machine, Item("BusAS")));
  EXPECT_EQ(ItemText(machine, Item("BusAS")), "");
  TComponentSet every = TComponentSet().set(0);
  for (const TComponentOption& option : ComponentOptions())
    every.set(static_cast<std::size_t>(option.Number));
  machine.SetComponents(every);
  EXPECT_TRUE(ItemShown(machine, Item("BusAS")));
  EXPECT_FALSE(ItemText(machine, Item("BusAS")).empty());

  machine.EnterMemoryValue(3, "101");  // code 3, address 5 on 5 address bits
  EXPECT_EQ(MemoryRowText(machine, 3), "3  101  pob 5");
  EXPECT_EQ(MemoryRowText(machine, 0), "0  0  stp 0");
}

// A condition that holds in an instruction no line of the program holds (a
// jump into empty memory) names no line.
TEST_F(TRunFixture, AConditionInCodeOutsideTheProgramNamesNoLine) {
  Assemble({"sob 20", "stp"});
  session.AddStopCondition("L=21");
  ASSERT_EQ(session.Control().ExecuteProgram(-1), TSliceEnd::ConditionHeld);
  const TEndReport report = session.ReportEnd(TSliceEnd::ConditionHeld);
  EXPECT_TRUE(Contains(report.Text, "rozkazu stp.")) << report.Text;
  EXPECT_FALSE(Contains(report.Text, "w wierszu")) << report.Text;
}
