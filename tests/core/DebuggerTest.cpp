#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "MachineTestSupport.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

struct TCountingView : IProgramView {
  int Repaints = 0, LineRepaints = 0;
  void RepaintAll() override { ++Repaints; }
  void RepaintLine(int) override { ++LineRepaints; }
};

// The worked sum program, with a loop back to the start.
const TLines kProgram = {"// suma", "start: POB x", "DOD y",    "ŁAD z",
                         "STP",     "x: RST 5",     "y: RST 7", "z: RPA"};

class Debugger : public ::testing::Test {
 protected:
  Debugger() { document->SetView(&view); }
  // Compiles as the program editor does: assemble, bind, mark the line of L.
  void Compile(const TLines& text) {
    document->SetTexts(text);
    program.Assemble(*document);
    control.SetProgramEditor(document.get());
    document->SetCurrentLine(document->LineOfAddress(m.Register(TRegisterId::L).Value()));
  }
  int L() const { return m.Register(TRegisterId::L).Value(); }

  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TWatchList& watches = session.Watches();
  TProgram& program = session.Assembler();
  std::unique_ptr<TProgramDocument> document = std::make_unique<TProgramDocument>();
  TCountingView view;
};

}  // namespace

TEST_F(Debugger, BreakpointsStaySortedAndToggle) {
  TDebugger& d = document->Debugger();
  std::vector<int> changes;
  d.OnBreakpointChange = [&](int line) { changes.push_back(line); };
  for (const int line : {5, 2, 9, 0, -3}) d.ToggleBreakpoint(line);
  EXPECT_EQ(d.Breakpoints(), (std::vector<int>{2, 5, 9}));
  d.ToggleBreakpoint(5);
  EXPECT_EQ(d.Breakpoints(), (std::vector<int>{2, 9}));
  EXPECT_EQ(changes, std::vector<int>({5, 2, 9, 5}));  // lines <= 0 raise nothing
  EXPECT_FALSE(d.IsBreakpoint(0));
}

TEST_F(Debugger, LineFlagsAndAddressesFollowTheirLines) {
  Compile(kProgram);
  TDebugger& d = document->Debugger();
  d.ToggleBreakpoint(1);  // a comment line
  d.ToggleBreakpoint(3);
  EXPECT_EQ(document->CurrentLine(), 2);
  EXPECT_EQ(d.LineFlags(1), (TLineFlags{false, true, false}));
  EXPECT_EQ(d.LineFlags(2), (TLineFlags{true, false, true}));
  EXPECT_EQ(d.LineFlags(3), (TLineFlags{false, true, true}));
  EXPECT_EQ(d.LineFlags(0), TLineFlags{});
  EXPECT_EQ(document->AddressOfLine(9), -1);
  EXPECT_EQ(document->AddressOfLine(0), -1);

  // A line inserted above: addresses move with their lines, breakpoints stay.
  document->InsertLine(0, "// nowy");
  EXPECT_EQ(document->AddressOfLine(3), 0);
  EXPECT_EQ(document->LineOfAddress(1), 4);
  EXPECT_TRUE(d.IsBreakpoint(3));
  EXPECT_TRUE(document->IsBreakpointAt(0));
  document->RemoveLine(0);
  EXPECT_TRUE(document->IsBreakpointAt(1));
}

// The first and the last line are lines like any other; an index past
// the last changes nothing.
TEST_F(Debugger, EditsAndLookupsReachBothEndsAndNoFurther) {
  Compile(kProgram);
  const int count = document->LineCount();
  ASSERT_EQ(count, 8);
  EXPECT_EQ(document->AddressOfLine(count), 6);  // z: RPA
  EXPECT_EQ(document->LineOfAddress(6), count);
  EXPECT_EQ(document->AddressOfLine(count + 1), -1);
  EXPECT_TRUE(document->Debugger().HasCode(count));
  EXPECT_FALSE(document->Debugger().HasCode(count + 1));

  document->SetLineText(count, "poza");
  document->RemoveLine(count);
  EXPECT_EQ(document->Texts(), kProgram);
  document->SetLineText(count - 1, "z: RPA // ostatni");
  EXPECT_EQ(document->Texts().back(), "z: RPA // ostatni");
  document->RemoveLine(count - 1);
  EXPECT_EQ(document->LineCount(), count - 1);
  EXPECT_EQ(document->LineOfAddress(6), -1);  // its line is gone
  document->InsertLine(count + 5, "// na końcu");
  EXPECT_EQ(document->Texts().back(), "// na końcu");
  EXPECT_EQ(document->AddressOfLine(count), -1);
  document->SetAddresses({-1, 0});
  EXPECT_EQ(document->LineOfAddress(0), 2);
  EXPECT_EQ(document->LineOfAddress(1), -1);
}

// A new text has no addresses until it is assembled: one that fails to
// assemble must not leave the old program's lines found by address.
TEST_F(Debugger, ANewTextForgetsTheLinesOfTheOldAddresses) {
  Compile(kProgram);
  document->Debugger().ToggleBreakpoint(3);
  EXPECT_EQ(document->LineOfAddress(1), 3);
  EXPECT_TRUE(document->IsBreakpointAt(1));
  document->SetTexts({"// inny", "POB x", "DOD y"});
  for (const int address : {0, 1, 2}) EXPECT_EQ(document->LineOfAddress(address), -1) << address;
  EXPECT_FALSE(document->IsBreakpointAt(1));
  document->SetAddresses({-1, 0, 1});
  EXPECT_EQ(document->LineOfAddress(1), 3);
  EXPECT_TRUE(document->IsBreakpointAt(1));
}

// The control unit moves the line and wishes for focus through the
// machine's record of changes; it never calls into the document's view.
TEST_F(Debugger, RunsStopAtBreakpointsAndMarkTheCurrentLine) {
  Compile(kProgram);
  control.SetTrackingLevel(0);
  document->Debugger().ToggleBreakpoint(4);  // ŁAD z, address 2
  (void)m.TakeChanges();
  const int repaints = view.Repaints;
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Program doszedł do punktu zatrzymania");
  EXPECT_EQ(L(), 2);  // the instruction on the line has not run
  EXPECT_EQ(document->CurrentLine(), 4);
  TMachineChanges changes = m.TakeChanges();
  EXPECT_TRUE(changes.Focus);
  EXPECT_TRUE(changes.Line);
  EXPECT_EQ(m.Memory().Word(6), 0u);

  // Running on executes that instruction first, then reaches the stop.
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Program został zakończony");
  EXPECT_EQ(m.Memory().Word(6), 12u);
  EXPECT_EQ(document->CurrentLine(), -1);  // the stop signal clears the mark
  changes = m.TakeChanges();
  EXPECT_TRUE(changes.Line);
  EXPECT_FALSE(changes.Focus);

  m.ResetMachine();
  EXPECT_EQ(document->CurrentLine(), -1);
  (void)m.TakeChanges();
  control.ExecuteInstruction();
  EXPECT_EQ(document->CurrentLine(), 3);  // follows L after a whole instruction
  EXPECT_TRUE(m.TakeChanges().Line);
  control.ExecuteCycle();
  EXPECT_EQ(document->CurrentLine(), 3);  // single cycles do not move it
  EXPECT_FALSE(m.TakeChanges().Line);
  EXPECT_EQ(view.Repaints, repaints);
}

TEST_F(Debugger, RunToCursorAndToALineWithoutCode) {
  Compile(kProgram);
  (void)m.TakeChanges();
  control.ExecuteProgram(document->AddressOfLine(4));
  EXPECT_EQ(L(), 2);
  EXPECT_TRUE(m.TakeChanges().Focus);
  // A target without code never matches: the run ends at the stop signal.
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(document->AddressOfLine(1)); }),
            "Program został zakończony");
}

TEST_F(Debugger, DestroyingTheBoundDocumentUnbindsIt) {
  Compile(kProgram);
  EXPECT_EQ(control.ProgramEditor(), document.get());
  document.reset();
  EXPECT_EQ(control.ProgramEditor(), nullptr);
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteProgram(-1); }),
            "Program został zakończony");

  // Binding another document releases the first.
  TProgramDocument first;
  TProgramDocument second;
  control.SetProgramEditor(&first);
  control.SetProgramEditor(&second);
  EXPECT_EQ(control.ProgramEditor(), &second);
}

TEST(Watches, SortedIgnoringCaseAndSafeOutsideMemory) {
  TMachine m;
  TWatchList watches;
  int changes = 0;
  watches.OnChange = [&] { ++changes; };
  for (const auto& [name, address] : std::vector<std::pair<std::string, int>>{
           {"b", 1}, {"A", 2}, {"c", 3}, {"ża", 4}, {"źb", 5}, {"zz", 6}, {"ła", 7}, {"lz", 8}}) {
    watches.AddWatch(name, address);
  }
  TLines names;
  for (int i = 0; i < watches.Count(); ++i) names.push_back(watches.At(i).Name);
  EXPECT_EQ(names, TLines({"A", "b", "c", "lz", "ła", "zz", "źb", "ża"}));
  EXPECT_EQ(changes, 8);

  m.Memory().Store(1, 37);
  EXPECT_EQ(watches.NameText(1), "b [ 1 ]");
  EXPECT_EQ(watches.ContentText(1, m), "37 (  5 )");
  watches.AddWatch("daleko", 40);  // beyond the 32 words of the default memory
  EXPECT_EQ(watches.ContentText(3, m), "(poza pamięcią)");
  EXPECT_EQ(changes, 9);
  watches.ClearWatches();
  EXPECT_EQ(watches.Count(), 0);
  EXPECT_EQ(changes, 10);
  // A whole list at once is one change, also an empty one.
  watches.SetWatches({{"b", 1}, {"a", 2}});
  EXPECT_EQ(changes, 11);
  watches.SetWatches({});
  EXPECT_EQ(changes, 12);
  EXPECT_EQ(watches.Count(), 0);
}

// A name that begins another comes before it, whether the names arrive one
// by one or as a whole list, and whatever the order they arrive in.
TEST(Watches, ANameComesBeforeTheLongerNamesItBegins) {
  const std::vector<TWatch> given{{"abc", 1}, {"A", 2}, {"Ab", 3}, {"b", 4}, {"ab2", 5}};
  TWatchList oneByOne;
  for (const TWatch& watch : given) oneByOne.AddWatch(watch.Name, watch.Address);
  TWatchList whole;
  whole.SetWatches(given);
  const TLines expected{"A", "Ab", "ab2", "abc", "b"};
  for (const TWatchList* list : {&oneByOne, &whole}) {
    TLines names;
    for (int i = 0; i < list->Count(); ++i) names.push_back(list->At(i).Name);
    EXPECT_EQ(names, expected);
  }
  EXPECT_LT(CompareNamesIgnoringCase("a", "AB"), 0);
  EXPECT_GT(CompareNamesIgnoringCase("Ab", "a"), 0);
  EXPECT_EQ(CompareNamesIgnoringCase("Ab", "aB"), 0);
}

// Every letter with a diacritic comes right after its base letter (and ż
// after ź), in either case, before the next letter of the alphabet.
TEST(Watches, EveryPolishLetterSortsRightAfterItsBaseLetter) {
  const struct {
    const char* Base;
    const char* Upper;  // the letter in both cases
    const char* Lower;
    const char* Next;
  } letters[] = {{"a", "Ą", "ą", "b"}, {"c", "Ć", "ć", "d"}, {"e", "Ę", "ę", "f"},
                 {"l", "Ł", "ł", "m"}, {"n", "Ń", "ń", "o"}, {"o", "Ó", "ó", "p"},
                 {"s", "Ś", "ś", "t"}, {"z", "Ź", "ź", "ż"}, {"ź", "Ż", "ż", "{"}};
  for (const auto& l : letters) {
    const std::string base = std::string(l.Base) + "zz";
    const std::string letter = std::string(l.Upper) + "a";
    const std::string next = std::string(l.Next) + "a";
    EXPECT_LT(CompareNamesIgnoringCase(base, letter), 0) << letter;
    EXPECT_LT(CompareNamesIgnoringCase(letter, next), 0) << letter;
    EXPECT_EQ(CompareNamesIgnoringCase(letter, std::string(l.Lower) + "a"), 0) << letter;
    TWatchList oneByOne;
    for (const std::string& name : {next, letter, base}) oneByOne.AddWatch(name, 1);
    TWatchList whole;
    whole.SetWatches({{next, 1}, {letter, 2}, {base, 3}});
    for (const TWatchList* list : {&oneByOne, &whole}) {
      ASSERT_EQ(list->Count(), 3);
      EXPECT_EQ(TLines({list->At(0).Name, list->At(1).Name, list->At(2).Name}),
                TLines({base, letter, next}));
    }
  }
}

// Names equal but for case keep the order they came in; a name is found
// in any case; words at both ends of the memory are shown, none beyond.
TEST(Watches, EqualNamesKeepTheirOrderAndLookupIgnoresCase) {
  TWatchList oneByOne;
  oneByOne.AddWatch("Licznik", 1);
  oneByOne.AddWatch("LICZNIK", 2);
  oneByOne.AddWatch("licznik", 3);
  // Many more from a whole program, each spelling of "licznik" in turn.
  std::vector<TWatch> spellings;
  for (int k = 0; k < 64; ++k) {
    std::string name = "licznik";
    for (int bit = 0; bit < 6; ++bit) {
      const auto at = static_cast<std::size_t>(bit);
      if ((k >> bit) & 1) name[at] = static_cast<char>(std::toupper(name[at]));
    }
    spellings.push_back({name, (k * 37) % 64 + 1});
  }
  TWatchList whole;
  whole.SetWatches(spellings);
  ASSERT_EQ(whole.Count(), 64);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(whole.At(k).Address, (k * 37) % 64 + 1) << k;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(oneByOne.At(i).Address, i + 1);
  for (const TWatchList* list : {&oneByOne, &whole}) {
    EXPECT_EQ(list->AddressOf("lICZNIK"), list->At(0).Address);
    EXPECT_EQ(list->AddressOf("licz"), -1);
  }
  TMachine m;
  const int size = m.Memory().Size();
  TWatchList ends;
  ends.SetWatches({{"a", -1}, {"b", 0}, {"c", size - 1}, {"d", size}});
  m.Memory().Store(0, 7);
  m.Memory().Store(size - 1, 9);
  EXPECT_EQ(ends.ContentText(0, m), "(poza pamięcią)");
  EXPECT_EQ(ends.ContentText(1, m), m.CellText(0));
  EXPECT_EQ(ends.ContentText(2, m), m.CellText(size - 1));
  EXPECT_EQ(ends.ContentText(3, m), "(poza pamięcią)");
  EXPECT_EQ(ends.NameText(0), "a [ -1 ]");
}

namespace {

struct TRecordingView final : IProgramView {
  int All = 0;
  std::vector<int> Lines;
  void RepaintAll() override { ++All; }
  void RepaintLine(int line) override { Lines.push_back(line); }
};

}  // namespace

// An address recorded on several lines belongs to the first of them, also
// beyond the addresses the fast lookup covers.
TEST(ProgramDocument, AnAddressIsFoundOnItsFirstLineAtEveryAddress) {
  TProgramDocument document;
  document.SetTexts({"a", "b", "c", "d", "e", "f", "g"});
  document.SetAddresses({-1, 3, 3, 65535, 65536, 70000, 70000});
  EXPECT_EQ(document.LineOfAddress(3), 2);
  EXPECT_EQ(document.LineOfAddress(65535), 4);
  EXPECT_EQ(document.LineOfAddress(65536), 5);
  EXPECT_EQ(document.LineOfAddress(70000), 6);
  for (const int address : {-1, 0, 2, 4, 65534, 65537, 69999}) {
    EXPECT_EQ(document.LineOfAddress(address), -1) << address;
  }
  // The map follows the lines: a short one is filled up, a long one cut.
  document.SetAddresses({7});
  EXPECT_EQ(document.Addresses(), (std::vector<int>{7, -1, -1, -1, -1, -1, -1}));
  document.SetAddresses({0, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(document.Addresses(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(document.LineOfAddress(7), -1);
}

TEST(ProgramDocument, EditsOutsideTheTextAreKeptInIt) {
  TProgramDocument document;
  document.SetTexts({"a", "b"});
  document.SetAddresses({0, 1});
  document.InsertLine(-4, "przed");  // before the first line, not nowhere
  EXPECT_EQ(document.Texts(), TLines({"przed", "a", "b"}));
  EXPECT_EQ(document.Addresses(), (std::vector<int>{-1, 0, 1}));
  document.InsertLine(3, "po");
  EXPECT_EQ(document.Texts().back(), "po");
  document.RemoveLine(-1);
  document.RemoveLine(4);
  document.SetLineText(-1, "x");
  document.SetLineText(4, "x");
  EXPECT_EQ(document.Texts(), TLines({"przed", "a", "b", "po"}));
  document.RemoveLine(0);
  EXPECT_EQ(document.Texts(), TLines({"a", "b", "po"}));
  EXPECT_EQ(document.LineOfAddress(1), 2);
  document.SetLineText(0, "A");
  EXPECT_EQ(document.Texts().front(), "A");
  EXPECT_EQ(document.AddressOfLine(1), 0);  // a changed text keeps its address
}

// The front end's own marking repaints the whole text; the control unit's
// moving of the line repaints nothing by itself.
TEST(ProgramDocument, ShowingAnAddressMarksItsLineAndRepaints) {
  TProgramDocument document;
  document.SetTexts({"// x", "stp", "rpa"});
  document.SetAddresses({-1, 0, 1});
  TRecordingView view;
  document.SetView(&view);
  document.ShowAddress(1);
  EXPECT_EQ(document.CurrentLine(), 3);
  EXPECT_EQ(view.All, 1);
  EXPECT_TRUE(document.CurrentLineIsAt(1));
  EXPECT_FALSE(document.CurrentLineIsAt(0));
  document.ShowAddress(9);
  EXPECT_EQ(document.CurrentLine(), -1);
  EXPECT_EQ(view.All, 2);
  document.SetCurrentLine(2);
  EXPECT_EQ(document.CurrentLine(), 2);
  EXPECT_EQ(view.All, 2);
  EXPECT_TRUE(view.Lines.empty());
  EXPECT_EQ(document.Debugger().LineFlags(2), (TLineFlags{true, false, true}));
  EXPECT_EQ(document.Debugger().LineFlags(1), (TLineFlags{false, false, false}));
  EXPECT_FALSE(document.HasBreakpoints());
  document.Debugger().ToggleBreakpoint(3);
  EXPECT_TRUE(document.HasBreakpoints());
  EXPECT_TRUE(document.IsBreakpointAt(1));
  EXPECT_FALSE(document.IsBreakpointAt(0));
  document.SetView(nullptr);
  document.ShowAddress(0);  // without a view, nothing to repaint
  EXPECT_EQ(view.All, 2);
}
