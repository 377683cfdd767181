#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "AppTestSupport.h"
#include "TempDir.h"
#include "app/Application.h"
#include "app/Commands.h"
#include "app/WireNames.h"

namespace dorum {
namespace {

using test::Example;
using test::Finish;
using test::Slice;
using test::TTempDir;

TEST(CommandTable, NamesAndKeysAreEachGivenOnce) {
  std::set<std::string_view> names;
  std::set<std::string_view> pageNames;
  std::set<std::string_view> keys;
  for (const TCommandRow& row : Commands()) {
    EXPECT_EQ(&CommandRow(row.Id), &row);
    if (!row.Name.empty()) {
      EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
    }
    if (!row.PageName.empty()) {
      EXPECT_TRUE(pageNames.insert(row.PageName).second) << row.PageName;
      EXPECT_EQ(CommandNamed(row.PageName), &row);
    }
    // An editor's key gives its command in an editor only, yet no other
    // command may take it elsewhere.
    for (const std::string_view key : {row.Key, row.EditorKey}) {
      if (!key.empty()) {
        EXPECT_TRUE(keys.insert(key).second) << key;
      }
    }
  }
  EXPECT_EQ(CommandNamed(""), nullptr);
  EXPECT_EQ(CommandNamed("nothing"), nullptr);
}

TEST(CommandTable, TheRunCommandsRowsAsBothEditionsShowThem) {
  const TCommandRow& cycle = CommandRow(TCommandId::RunCycle);
  EXPECT_EQ(cycle.MenuText, "&Takt");
  EXPECT_EQ(cycle.Key, "F7");
  EXPECT_EQ(cycle.Menu, "Wykonaj");
  EXPECT_EQ(cycle.PageName, "cycle");
  EXPECT_EQ(CommandRow(TCommandId::RunProject).Key, "F9");
  EXPECT_EQ(CommandRow(TCommandId::RunInstruction).Key, "F8");
  EXPECT_EQ(CommandRow(TCommandId::RunToCursor).Key, "F4");
  // "Kompiluj" has its key in the editors alone; tool tips name it all the same.
  EXPECT_EQ(ShownKey(CommandRow(TCommandId::Compile)), "Ctrl+F9");
  EXPECT_EQ(CommandRow(TCommandId::Compile).Key, "");
  EXPECT_EQ(ShownKey(cycle), "F7");
  EXPECT_EQ(CommandRow(TCommandId::Reset).Key, "Ctrl+F2");
  EXPECT_EQ(CommandRow(TCommandId::StepBackCycle).Key, "Shift+F7");
  EXPECT_EQ(CommandRow(TCommandId::StepBackInstruction).Key, "Shift+F8");
  EXPECT_EQ(CommandRow(TCommandId::StopConditions).MenuText, "&Warunki zatrzymania...");
}

TEST(CommandTable, ARunGreysTheRunCommandsAndSteppingBackOnly) {
  TCommandState running{.Running = true, .UndoableStep = true, .UndoableInstruction = true};
  for (const TCommandId id :
       {TCommandId::RunCycle, TCommandId::RunInstruction, TCommandId::RunProject,
        TCommandId::RunToCursor, TCommandId::StepBackCycle, TCommandId::StepBackInstruction,
        TCommandId::GoToCycle})
    EXPECT_FALSE(CommandEnabled(id, running)) << CommandRow(id).Caption;
  for (const TCommandId id :
       {TCommandId::Reset, TCommandId::Abort, TCommandId::Compile, TCommandId::StopConditions,
        TCommandId::ProjectOptions, TCommandId::LoadList, TCommandId::FileOpen})
    EXPECT_TRUE(CommandEnabled(id, running)) << CommandRow(id).Caption;
}

TEST(CommandTable, ManualControlHistoryAndEditorsGreyTheirCommands) {
  const TCommandState manual{.ManualControl = true};
  EXPECT_FALSE(CommandEnabled(TCommandId::RunProject, manual));
  EXPECT_FALSE(CommandEnabled(TCommandId::RunInstruction, manual));
  EXPECT_TRUE(CommandEnabled(TCommandId::RunCycle, manual));
  EXPECT_TRUE(CommandEnabled(TCommandId::RunToCursor, manual));
  EXPECT_FALSE(CommandEnabled(TCommandId::StepBackCycle, {}));
  EXPECT_TRUE(CommandEnabled(TCommandId::StepBackCycle, {.UndoableStep = true}));
  EXPECT_FALSE(CommandEnabled(TCommandId::StepBackInstruction, {.UndoableStep = true}));
  EXPECT_TRUE(CommandEnabled(TCommandId::StepBackInstruction, {.UndoableInstruction = true}));
  EXPECT_FALSE(CommandEnabled(TCommandId::FileSave, {.Editor = false}));
  EXPECT_FALSE(CommandEnabled(TCommandId::Compile, {.Editor = false}));
  EXPECT_TRUE(CommandEnabled(TCommandId::FileOpen, {.Editor = false}));
}

TEST(CommandTable, EveryMenuEntryStandsInAMenuOfTheBarAndNoMenuIsEmpty) {
  std::set<std::string_view> menus;
  std::set<std::string_view> filled;
  for (const TMenuRow& menu : MenuBar()) {
    EXPECT_TRUE(menus.insert(menu.Menu).second) << menu.Menu;
    EXPECT_NE(menu.Text.find('&'), std::string_view::npos) << menu.Menu;
    // A submenu's menu comes before it.
    const std::size_t slash = menu.Menu.find('/');
    if (slash != std::string_view::npos) {
      EXPECT_TRUE(menus.contains(menu.Menu.substr(0, slash)));
    }
  }
  for (const TCommandRow& row : Commands()) {
    if (row.Place == TMenuPlace::None) continue;
    EXPECT_TRUE(menus.contains(row.Menu)) << row.Name;
    EXPECT_FALSE(row.MenuText.empty()) << row.Name;
    filled.insert(row.Menu);
  }
  EXPECT_EQ(filled, menus);
  // The page's menus hold only what the page can do.
  for (const TCommandRow& row : Commands()) {
    if (row.Place == TMenuPlace::PageOnly) {
      EXPECT_FALSE(row.PageName.empty()) << row.Name;
    }
  }
}

TEST(CommandTable, AToolButtonSaysWhichProgramItMeans) {
  EXPECT_EQ(ButtonText(CommandRow(TCommandId::NewProgram)), "Nowy program");
  EXPECT_EQ(ButtonText(CommandRow(TCommandId::RunProject)), "Wykonaj program");
  EXPECT_EQ(ButtonText(CommandRow(TCommandId::RunCycle)), "Takt");
}

// The tool bar gives commands both editions have, each once, in groups with
// one gap between two of them.
TEST(CommandTable, TheToolBarGroupsCommandsOfBothEditions) {
  std::set<TCommandId> given;
  std::set<std::string_view> icons;
  bool afterGap = true;
  for (const TToolButton& button : ToolBar()) {
    if (!button.Command) {
      EXPECT_FALSE(afterGap) << "a gap opens the bar or follows another";
      afterGap = true;
      continue;
    }
    afterGap = false;
    const TCommandRow& row = CommandRow(*button.Command);
    EXPECT_TRUE(given.insert(row.Id).second) << row.Name;
    EXPECT_TRUE(icons.insert(button.Icon).second) << button.Icon;
    EXPECT_NE(row.Place, TMenuPlace::PageOnly) << row.Name;
    EXPECT_FALSE(row.PageName.empty()) << row.Name;
  }
  EXPECT_FALSE(afterGap) << "a gap closes the bar";
  // The steps back stand apart from the commands that run forward.
  const std::span<const TToolButton> bar = ToolBar();
  const auto stepBack = std::find_if(bar.begin(), bar.end(), [](const TToolButton& b) {
    return b.Command == TCommandId::StepBackCycle;
  });
  ASSERT_NE(stepBack, bar.begin());
  EXPECT_FALSE(std::prev(stepBack)->Command) << "a gap stands before the steps back";
  EXPECT_TRUE(given.contains(TCommandId::RunCycle));
  EXPECT_TRUE(given.contains(TCommandId::StepBackInstruction));
}

// A caption as an icon's file is named: lower case, Polish letters without
// their marks, a hyphen for a space.
std::string FileNameOf(std::string_view caption) {
  static constexpr std::array<std::pair<std::string_view, char>, 9> kPolish = {{
      {"ą", 'a'},
      {"ć", 'c'},
      {"ę", 'e'},
      {"ł", 'l'},
      {"ń", 'n'},
      {"ó", 'o'},
      {"ś", 's'},
      {"ź", 'z'},
      {"ż", 'z'},
  }};
  std::string name;
  for (std::size_t at = 0; at < caption.size();) {
    const auto* letter = std::find_if(kPolish.begin(), kPolish.end(), [&](const auto& pair) {
      return caption.substr(at).starts_with(pair.first);
    });
    if (letter != kPolish.end()) {
      name += letter->second;
      at += letter->first.size();
      continue;
    }
    const char c = caption[at++];
    name += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name;
}

// Each tool button's icon is named for its caption, or for the caption's
// last words ("program" for "Wykonaj program"): two buttons never trade them.
TEST(CommandTable, AToolButtonsIconIsNamedForItsCaption) {
  for (const TToolButton& button : ToolBar()) {
    if (!button.Command) continue;
    const std::string caption = FileNameOf(ButtonText(CommandRow(*button.Command)));
    const std::string icon(button.Icon);
    EXPECT_TRUE(caption == icon || caption.ends_with("-" + icon)) << caption << " " << icon;
  }
}

// Every value of an enumeration that crosses to the page has a name of its
// own, and the name leads back to it.
template <class E>
void ExpectEveryValueNamedOnce(std::size_t count) {
  ASSERT_EQ(TWireNames<E>::Table.size(), count);
  std::set<std::string_view> names;
  for (std::size_t k = 0; k < count; ++k) {
    const auto value = static_cast<E>(k);
    const std::string_view name = WireName(value);
    EXPECT_FALSE(name.empty()) << k;
    EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_EQ(WireValue<E>(name), value) << name;
  }
  EXPECT_FALSE(WireValue<E>("").has_value());
  EXPECT_FALSE(WireValue<E>("Cycle").has_value());
}

TEST(WireNames, EveryValueCrossesUnderANameOfItsOwn) {
  ExpectEveryValueNamedOnce<TRunCommand>(4);
  ExpectEveryValueNamedOnce<TTextEncoding>(5);
  ExpectEveryValueNamedOnce<TLineEnd>(3);
  ExpectEveryValueNamedOnce<TDisplayMode>(5);
  ExpectEveryValueNamedOnce<TWordKind>(12);
  ExpectEveryValueNamedOnce<TBoxKind>(3);
  ExpectEveryValueNamedOnce<TItemKind>(6);
  ExpectEveryValueNamedOnce<TLaneKind>(3);
  ExpectEveryValueNamedOnce<TFileKind>(2);
  EXPECT_EQ(WireName(TRunCommand::ToLine), "toLine");
  EXPECT_EQ(WireValue<TTextEncoding>("utf8bom"), TTextEncoding::Utf8WithBom);
}

TEST(FileKinds, OnlyAProgramsExtensionOpensAProgramEditor) {
  EXPECT_EQ(FileKindOf("suma.prg"), TFileKind::Program);
  EXPECT_EQ(FileKindOf("SUMA.PRG"), TFileKind::Program);
  EXPECT_EQ(FileKindOf("/dom/anna/lab.1/suma.Prg"), TFileKind::Program);
  EXPECT_EQ(FileKindOf(".prg"), TFileKind::Program);
  // Only the last dot begins the extension.
  EXPECT_EQ(FileKindOf("suma.v2.prg"), TFileKind::Program);
  // A list is opened as a text: only "Ładuj listę rozkazów" replaces the machine.
  EXPECT_EQ(FileKindOf("pelt.lst"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("dod.rzk"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("notatki.txt"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("prg"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("suma.prg.bak"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("lab.prg/suma"), TFileKind::Instruction);
  EXPECT_EQ(FileKindOf("lab.prg\\suma"), TFileKind::Instruction);
}

struct ApplicationRun : testing::Test {
  TTempDir folder;
  TApplication app{folder.Path()};

  void Compile(const std::string& text) {
    const TOutcome outcome = app.CompileProgram(text);
    ASSERT_TRUE(outcome.Ok) << outcome.Message;
  }
  // A program that never ends, started and past its first slice.
  void StartEndlessRun() {
    Compile("petla: SOB petla\n");
    ASSERT_TRUE(app.Start(TRunCommand::Program).Running());
    ASSERT_TRUE(app.Slice(TSliceBudget{.Cycles = 10}).Running());
  }
};

TEST_F(ApplicationRun, CommandsThatChangeWhatARunDoesStopItFirstAndRunCommandsAreRefused) {
  StartEndlessRun();
  EXPECT_FALSE(app.Admit(TCommandId::RunCycle));
  EXPECT_FALSE(app.Admit(TCommandId::StepBackCycle));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(app.Admit(TCommandId::Abort));  // acts between two cycles
  EXPECT_TRUE(app.Running());
  TRunStep ended;
  EXPECT_TRUE(app.Admit(TCommandId::Reset, ended));
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(ended.Running());
  EXPECT_EQ(ended.End, TSliceEnd::Stopped);
  EXPECT_EQ(ended.Box, TBoxKind::None);
  // A run that was stopped leaves no stop request for the next "Takt".
  EXPECT_EQ(app.Start(TRunCommand::Cycle).Box, TBoxKind::None);
}

TEST_F(ApplicationRun, OpeningTheStopConditionsDialogStopsTheRun) {
  StartEndlessRun();
  const TRunStep ended = app.EditStopConditions();
  EXPECT_FALSE(app.Running());
  EXPECT_EQ(ended.End, TSliceEnd::Stopped);
  EXPECT_TRUE(app.Enabled(TCommandId::RunCycle));
}

TEST_F(ApplicationRun, ARunStartedWhileAnotherGoesOnIsRefusedAndTheFirstGoesOn) {
  StartEndlessRun();
  const std::uint64_t cycles = app.Session().Control().CyclesPerformed();
  const TRunStep refused = app.Start(TRunCommand::Cycle);
  EXPECT_EQ(refused.Next, TRunNext::Slice);  // the run goes on as before
  EXPECT_EQ(refused.Box, TBoxKind::None);
  EXPECT_EQ(app.Session().Control().CyclesPerformed(), cycles);
  EXPECT_TRUE(app.Running());
}

TEST_F(ApplicationRun, ManualControlStopsTheRunAndGreysRozkazAndProgram) {
  StartEndlessRun();
  const TRunStep ended = app.SetManualControl(true);
  EXPECT_EQ(ended.End, TSliceEnd::Stopped);
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(app.Enabled(TCommandId::RunProject));
  EXPECT_FALSE(app.Start(TRunCommand::Program).Running());
  EXPECT_EQ(app.SetManualControl(true).End, TSliceEnd::Idle);  // no change, nothing stopped
  (void)app.SetManualControl(false);
  EXPECT_TRUE(app.Enabled(TCommandId::RunProject));
}

TEST_F(ApplicationRun, TheHighestLevelPausesForTheTempoAndAStopCutsThePauseShort) {
  Compile("petla: SOB petla\n");
  app.SetTrackingLevel(2);
  EXPECT_EQ(app.Tempo(), kDefaultTempo);
  EXPECT_TRUE(app.SetTempo(250));
  EXPECT_FALSE(app.SetTempo(250));
  ASSERT_TRUE(app.Start(TRunCommand::Program).Running());
  TRunStep step = app.Slice();
  EXPECT_EQ(step.Next, TRunNext::Pause);
  EXPECT_EQ(step.DelayMs, 250);
  EXPECT_TRUE(app.RequestStop());
  step = app.Slice();
  // The stop ends the run at its next check, without the tempo's pause.
  while (step.Next == TRunNext::Pause) {
    EXPECT_EQ(step.DelayMs, 0);
    step = app.Slice();
  }
  EXPECT_FALSE(step.Running());
  EXPECT_FALSE(app.RequestStop());  // nothing left to stop
  EXPECT_TRUE(app.SetTempo(-5));
  EXPECT_EQ(app.Tempo(), 0);
  EXPECT_TRUE(app.SetTempo(kMaxTempo + 1));
  EXPECT_EQ(app.Tempo(), kMaxTempo);
}

// The desktop brings the machine window's controls up to date only for a
// tempo that changed: one out of range that comes in to the tempo already
// set is no change.
TEST_F(ApplicationRun, ATempoBroughtInToTheOneSetIsNoChange) {
  ASSERT_TRUE(app.SetTempo(kMaxTempo));
  EXPECT_FALSE(app.SetTempo(kMaxTempo + 500));
  ASSERT_TRUE(app.SetTempo(0));
  EXPECT_FALSE(app.SetTempo(-1));
  EXPECT_EQ(app.Tempo(), 0);
}

// The views follow each cycle; a stop asked for while they do so (the
// desktop takes clicks there) must not wait out the tempo first.
TEST_F(ApplicationRun, AStopAskedForWhileTheViewsFollowACycleSkipsTheTempo) {
  struct TStopping final : IControlHost {
    TApplication& App;
    explicit TStopping(TApplication& app) : App(app) {}
    void RefreshWatches() override { (void)App.RequestStop(); }
  } stopping{app};
  Compile("petla: SOB petla\n");
  app.SetTrackingLevel(2);
  ASSERT_TRUE(app.SetTempo(250));
  ASSERT_TRUE(app.Start(TRunCommand::Program).Running());
  app.Session().Control().SetHost(&stopping);
  const TRunStep step = app.Slice();
  app.Session().Control().SetHost(nullptr);
  ASSERT_EQ(step.Next, TRunNext::Pause);
  EXPECT_EQ(step.DelayMs, 0);
  TRunStep next = app.Slice();
  for (int k = 0; k < 10 && next.Running(); ++k) next = app.Slice();
  EXPECT_FALSE(next.Running());
}

// The page's field may be a step behind the machine: what the program read
// meanwhile is never given twice, and what waits in the field stays the
// student's to mend.
TEST_F(ApplicationRun, TypedAheadInputStaysEditableAndNothingIsReadTwice) {
  TIOConsole& console = app.Session().Machine().Console();
  const auto input = [&] { return console.InputText(); };
  EXPECT_FALSE(app.SetConsoleInput("", "abx"));
  EXPECT_EQ(input(), "abx");
  app.SetConsoleInput("abx", "ab");  // Backspace
  EXPECT_EQ(input(), "ab");
  // The program reads "a"; the field, still showing "ab", gets "c".
  EXPECT_EQ(console.TakeInputChar(), 'a');
  app.SetConsoleInput("ab", "abc");
  EXPECT_EQ(input(), "bc");
  // Both read, then Backspace in the field: nothing is left to give.
  (void)console.TakeInputChar();
  (void)console.TakeInputChar();
  app.SetConsoleInput("bc", "b");
  EXPECT_EQ(input(), "");
  // "ą" read, then mended to "ć" in the field, which shares its first byte:
  // the edit among the characters read gives the whole field, whole.
  app.SetConsoleInput("", "ąb");
  (void)console.TakeInputChar();
  app.SetConsoleInput("ąb", "ćb");
  EXPECT_EQ(input(), "ćb");
  // Typed in front of, or among, characters read meanwhile: what was
  // typed stays, what was read goes.
  app.SetConsoleInput("", "abc");
  (void)console.TakeInputChar();
  (void)console.TakeInputChar();
  app.SetConsoleInput("abc", "Xabc");
  EXPECT_EQ(input(), "Xc");
  app.SetConsoleInput("", "abc");
  (void)console.TakeInputChar();
  (void)console.TakeInputChar();
  app.SetConsoleInput("abc", "aXbc");
  EXPECT_EQ(input(), "Xc");
  // A field the machine no longer matches (a reset emptied it, say) is taken as typed.
  console.SetInputText("zzz");
  app.SetConsoleInput("ab", "abd");
  EXPECT_EQ(input(), "abd");
}

TEST_F(ApplicationRun, ARunWaitingForInputGoesOnOnceTheStudentTypes) {
  ASSERT_TRUE(app.LoadList("ombra.lst", Example("ombra/ombra.lst")).Ok);
  Compile(app.OpenText("echo.prg", Example("ombra/echo.prg")).Text);
  app.SetTrackingLevel(0);
  TRunStep step = app.Start(TRunCommand::Program);
  for (int k = 0; k < 100 && step.Next == TRunNext::Slice; ++k) step = app.Slice();
  ASSERT_EQ(step.Next, TRunNext::Input);
  EXPECT_TRUE(app.Waiting());
  // A command refused meanwhile leaves the run waiting, not slicing.
  EXPECT_EQ(app.Start(TRunCommand::Cycle).Next, TRunNext::Input);
  EXPECT_TRUE(app.SetConsoleInput("", "x."));
  // Once it reads, the run no longer waits, though it goes on.
  step = app.Slice(TSliceBudget{.Cycles = 1});
  ASSERT_EQ(step.Next, TRunNext::Slice);
  EXPECT_FALSE(app.Waiting());
  EXPECT_EQ(app.Start(TRunCommand::Cycle).Next, TRunNext::Slice);
  for (int k = 0; k < 100 && step.Running(); ++k) step = app.Slice();
  EXPECT_EQ(step.Box, TBoxKind::Information);
  EXPECT_FALSE(app.SetConsoleInput("", "y"));  // no run to go on
}

TEST(SliceBudgets, TheViewsTurnMoreOftenWhenTheyFollowInstructions) {
  EXPECT_EQ(SliceBudget(0).Time, std::chrono::milliseconds(20));
  EXPECT_EQ(SliceBudget(1).Time, std::chrono::milliseconds(8));
  EXPECT_EQ(SliceBudget(2).Time, std::chrono::milliseconds(8));
}

struct ExampleMachines : testing::Test {
  TTempDir folder;
  TApplication app{folder.Path()};
};

TEST_F(ExampleMachines, AnExampleAsksOnlyWhenTheStudentChangedTheList) {
  EXPECT_EQ(app.ExampleQuestion("suma.prg", "pelt.lst"), "");
  ASSERT_TRUE(app.LoadList("pelt.lst", Example("pelt/pelt.lst")).Ok);
  EXPECT_FALSE(app.ListChanged());
  (void)app.CompileInstruction("ROZKAZ NIC;\nczyt wys wei il;\n");
  EXPECT_TRUE(app.ListChanged());
  EXPECT_EQ(app.ExampleQuestion("suma.prg", "pelt.lst"),
            "Przykład suma.prg korzysta z listy rozkazów pelt.lst. Lista rozkazów została "
            "zmieniona. Załadować pelt.lst w jej miejsce?");
  EXPECT_EQ(app.ExampleQuestion("suma.prg", ""),
            "Przykład suma.prg korzysta z domyślnej listy rozkazów. Lista rozkazów została "
            "zmieniona. Przywrócić domyślną listę rozkazów w jej miejsce?");
  // A list loaded over the changes is the file's again.
  ASSERT_TRUE(app.LoadList("pelt.lst", Example("pelt/pelt.lst")).Ok);
  EXPECT_EQ(app.ExampleQuestion("suma.prg", "pelt.lst"), "");
}

TEST_F(ExampleMachines, DeletingAnInstructionOrWritingTheOptionsChangesTheList) {
  ASSERT_TRUE(app.DeleteInstruction(0).Ok);
  EXPECT_TRUE(app.ListChanged());
  app.SetListChanged(false);
  // A failed delete changes nothing.
  EXPECT_FALSE(app.DeleteInstruction(99).Ok);
  EXPECT_FALSE(app.ListChanged());
  // Options refused for a bad number write nothing.
  const TMachineOptions options = app.Session().Options();
  EXPECT_FALSE(app.Configure(options, {"x", "0", "0", "0"}, {"0", "0", "0", "0"}).Ok);
  EXPECT_FALSE(app.ListChanged());
  EXPECT_TRUE(app.Configure(options, {"0", "0", "0", "0"}, {"0", "0", "0", "0"}).Ok);
  EXPECT_TRUE(app.ListChanged());
}

TEST_F(ExampleMachines, AnExampleWithoutAListRunsOnTheDefaultMachine) {
  ASSERT_TRUE(app.LoadList("ombra.lst", Example("ombra/ombra.lst")).Ok);
  ASSERT_NE(app.Session().Options().Components, TSession().Options().Components);
  (void)app.CompileInstruction("ROZKAZ NIC;\nczyt wys wei il;\n");
  ASSERT_TRUE(app.RestoreDefaultMachine().Ok);
  const TSession fresh;
  EXPECT_EQ(app.Session().Options().Components, fresh.Options().Components);
  EXPECT_EQ(app.Session().Machine().AddressBits(), fresh.Machine().AddressBits());
  EXPECT_EQ(app.Session().Control().Instructions().Count(), fresh.Control().Instructions().Count());
  EXPECT_FALSE(app.ListChanged());
  // The example's program compiles and runs there.
  ASSERT_TRUE(app.CompileProgram(app.OpenText("suma.prg", Example("dorum/suma.prg")).Text).Ok);
}

}  // namespace
}  // namespace dorum
