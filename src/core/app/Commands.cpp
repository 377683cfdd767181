#include "app/Commands.h"

#include <array>

namespace dorum {

namespace {

using enum TCommandId;
using enum TDuringRun;
using enum TEnabledWhen;
using enum TMenuPlace;

// The run commands and stepping back would nest or undo under a run; the
// commands that change what a run performs (the program, the list, the
// machine, where it stops) end it first. The rest act between two cycles.
constexpr std::array kCommands = {
    TCommandRow{NewProgram, "ActionNewProgram", "newProgram", "Plik/Nowy", "Program", "&Program",
                "", Acts, Always, Item, "Nowy program"},
    TCommandRow{NewInstruction, "ActionNewInstruction", "newInstruction", "Plik/Nowy", "Rozkaz",
                "R&ozkaz", "", Acts, Always, Item, "Nowy rozkaz"},
    TCommandRow{FileOpen, "ActionFileOpen", "open", "Plik", "&Otwórz...", "&Otwórz...", "F3", Acts,
                Always, Item, "Otwórz"},
    TCommandRow{FileSave, "ActionFileSave", "save", "Plik", "Zapisz", "&Zapisz", "F2", Acts, Editor,
                Item},
    TCommandRow{FileSaveAs, "ActionFileSaveAs", "saveAs", "Plik", "Z&apisz jako...",
                "Z&apisz jako...", "", Acts, Editor, Item, "Zapisz jako"},
    TCommandRow{Exit, "FileExit1", "", "Plik", "Wyjście", "&Wyjście", "", StopsRun, Always,
                AfterSeparator},
    TCommandRow{ViewWindowList, "ActionViewWindowList", "windowList", "Widok", "Lista okien",
                "&Lista okien", "F5", Acts, Always, Item},
    TCommandRow{ViewEditor, "ActionViewEditor", "viewEditor", "Widok", "Okno edycyjne",
                "&Okno edycyjne", "", Acts, Always, Item},
    TCommandRow{Instructions, "ActionInstructions", "viewInstructions", "Widok", "Rozkazy",
                "L&ista rozkazów", "F10", Acts, Always, Item},
    TCommandRow{ViewWatches, "ActionViewWatches", "viewWatches", "Widok", "Obserwowane zmienne",
                "O&bserwowane zmienne", "", Acts, Always, Item},
    TCommandRow{ViewCPU, "ActionViewCPU", "viewCpu", "Widok", "Jednostka centralna",
                "&Jednostka centralna", "F11", Acts, Always, Item},
    TCommandRow{ViewConsole, "ActionViewConsole", "viewConsole", "Widok", "Konsola We/Wy",
                "Ko&nsola we/wy", "F12", Acts, Always, Item},
    TCommandRow{ViewTiming, "ActionViewTiming", "viewTiming", "Widok", "Przebiegi czasowe",
                "Przebie&gi czasowe", "Ctrl+F12", Acts, Always, Item},
    TCommandRow{Compile, "ActionCompile", "compile", "Projekt", "Kompiluj", "&Kompiluj", "",
                StopsRun, Editor, None, "", "Ctrl+F9"},
    TCommandRow{SaveList, "ActionSaveList", "saveList", "Projekt", "Zapisz listę rozkazów",
                "&Zapisz listę rozkazów", "", Acts, Always, Item},
    TCommandRow{LoadList, "ActionLoadList", "loadList", "Projekt", "Ładuj listę rozkazów",
                "Ładuj listę rozkazów", "Ctrl+F3", StopsRun, Always, Item},
    TCommandRow{ProjectOptions, "ActionProjectOptions", "options", "Projekt", "Opcje ...",
                "&Opcje ...", "Ctrl+Shift+F11", StopsRun, Always, AfterSeparator},
    TCommandRow{RunProject, "ActionRunProject", "program", "Wykonaj", "Program", "&Program", "F9",
                Refused, Automatic, Item, "Wykonaj program"},
    TCommandRow{RunInstruction, "ActionRunInstruction", "instruction", "Wykonaj", "Rozkaz",
                "&Rozkaz", "F8", Refused, Automatic, Item},
    TCommandRow{RunCycle, "ActionRunCycle", "cycle", "Wykonaj", "Takt", "&Takt", "F7", Refused,
                Always, Item},
    TCommandRow{RunToCursor, "ActionRunToCursor", "toLine", "Wykonaj", "Do kursora", "&Do kursora",
                "F4", Refused, Always, Item},
    TCommandRow{Reset, "ActionReset", "reset", "Wykonaj", "Reset", "R&eset", "Ctrl+F2", StopsRun,
                Always, Item},
    TCommandRow{Abort, "ActionAbort", "stop", "Wykonaj", "Przerwij", "Pr&zerwij", "", Acts, Always,
                Item},
    TCommandRow{StepBackCycle, "ActionStepBackCycle", "stepBack", "Wykonaj", "Cofnij takt",
                "&Cofnij takt", "Shift+F7", Refused, UndoableStep, AfterSeparator},
    TCommandRow{StepBackInstruction, "ActionStepBackInstruction", "stepBackInstruction", "Wykonaj",
                "Cofnij rozkaz", "Cofn&ij rozkaz", "Shift+F8", Refused, UndoableInstruction, Item},
    // Where a run ends is what the dialog changes.
    TCommandRow{StopConditions, "ActionStopConditions", "stopConditions", "Wykonaj",
                "Warunki zatrzymania", "&Warunki zatrzymania...", "", StopsRun, Always,
                AfterSeparator},
    TCommandRow{HelpContents, "HelpContents1", "helpContents", "Pomoc", "Zawartość", "&Zawartość",
                "", Acts, Always, Item},
    TCommandRow{HelpSearch, "HelpTopicSearch1", "helpSearch", "Pomoc", "Szukaj tematu",
                "&Szukaj tematu", "", Acts, Always, Item},
    TCommandRow{HelpTopic, "ActionHelpTopic", "helpTopic", "Pomoc", "Pomoc do słowa",
                "Pomoc do słowa", "F1"},
    TCommandRow{EditUndo, "ActionEditUndo", "", "Edycja", "&Undo", "&Undo", "Ctrl+Z"},
    TCommandRow{EditCut, "ActionEditCut", "", "Edycja", "Cu&t", "Cu&t", "Ctrl+X"},
    TCommandRow{EditCopy, "ActionEditCopy", "", "Edycja", "&Copy", "&Copy", "Ctrl+C"},
    TCommandRow{EditPaste, "ActionEditPaste", "", "Edycja", "&Paste", "&Paste", "Ctrl+V"},
    TCommandRow{EditDelete, "ActionEditDelete", "", "Edycja", "&Delete", "&Delete", "Del"},
    TCommandRow{EditSelectAll, "ActionEditSelectAll", "", "Edycja", "Select &All", "Select &All",
                "Ctrl+A"},
    TCommandRow{SearchFind, "ActionSearchFind", "find", "Szukaj", "Znajdź...", "Znajdź...",
                "Ctrl+F", Acts, Always, PageOnly},
    TCommandRow{SearchFindNext, "ActionSearchFindNext", "findNext", "Szukaj", "Znajdź następny",
                "Znajdź następny", "Ctrl+L", Acts, Always, PageOnly},
    TCommandRow{SearchReplace, "ActionSearchReplace", "replace", "Szukaj", "Zamień", "Zamień",
                "Ctrl+H", Acts, Always, PageOnly},
    TCommandRow{ViewRestoreLayout, "ActionViewRestoreLayout", "restoreLayout", "Widok",
                "Przywróć układ okien", "&Przywróć układ okien", "", Acts, Always, AfterSeparator},
    TCommandRow{DeleteInstruction, "", "deleteInstruction", "", "Usuń rozkaz", "Usuń rozkaz", "",
                StopsRun},
    TCommandRow{ManualControl, "", "manualControl", "", "Sterowanie ręczne", "Sterowanie ręczne",
                "", StopsRun},
    TCommandRow{CloseBoundEditor, "", "", "", "", "", "", StopsRun},
    TCommandRow{Quit, "", "", "", "", "", "", StopsRun},
    TCommandRow{ClearMemory, "", "clearMemory", "", "Wyczyść pamięć", "Wyczyść pamięć", "",
                StopsRun},
    // Going back or forward over recorded cycles is stepping back or "Takt".
    TCommandRow{GoToCycle, "", "goToCycle", "", "", "", "", Refused},
    // An example brings its own machine.
    TCommandRow{OpenExample, "", "openExample", "Plik", "Przykłady", "Przykłady", "", StopsRun},
};

constexpr std::array kMenuBar = {
    TMenuRow{"Plik", "&Plik"},     TMenuRow{"Plik/Nowy", "&Nowy"},  TMenuRow{"Widok", "&Widok"},
    TMenuRow{"Szukaj", "&Szukaj"}, TMenuRow{"Projekt", "P&rojekt"}, TMenuRow{"Wykonaj", "W&ykonaj"},
    TMenuRow{"Pomoc", "Po&moc"},
};

constexpr std::array kToolBar = {
    TToolButton{NewProgram, "nowy-program"},
    TToolButton{FileOpen, "otworz"},
    TToolButton{FileSave, "zapisz"},
    TToolButton{Compile, "kompiluj"},
    TToolButton{std::nullopt, {}},
    TToolButton{RunCycle, "takt"},
    TToolButton{RunInstruction, "rozkaz"},
    TToolButton{RunProject, "program"},
    TToolButton{RunToCursor, "do-kursora"},
    TToolButton{Abort, "przerwij"},
    TToolButton{Reset, "reset"},
    TToolButton{std::nullopt, {}},
    TToolButton{StepBackCycle, "cofnij-takt"},
    TToolButton{StepBackInstruction, "cofnij-rozkaz"},
};

// The table is in the order of the ids: a row is found by its id alone.
constexpr bool InIdOrder() {
  for (std::size_t k = 0; k < kCommands.size(); ++k)
    if (static_cast<std::size_t>(kCommands[k].Id) != k) return false;
  return true;
}
static_assert(InIdOrder());
static_assert(kCommands.size() == static_cast<std::size_t>(OpenExample) + 1);

}  // namespace

std::span<const TCommandRow> Commands() noexcept {
  return kCommands;
}

const TCommandRow& CommandRow(TCommandId id) noexcept {
  return kCommands[static_cast<std::size_t>(id)];
}

const TCommandRow* CommandNamed(std::string_view pageName) noexcept {
  if (pageName.empty()) return nullptr;
  for (const TCommandRow& row : kCommands)
    if (row.PageName == pageName) return &row;
  return nullptr;
}

bool CommandEnabled(TCommandId id, const TCommandState& state) noexcept {
  const TCommandRow& row = CommandRow(id);
  if (state.Running && row.DuringRun == TDuringRun::Refused) return false;
  switch (row.When) {
    case TEnabledWhen::Always:
      return true;
    case TEnabledWhen::Automatic:
      return !state.ManualControl;
    case TEnabledWhen::UndoableStep:
      return state.UndoableStep;
    case TEnabledWhen::UndoableInstruction:
      return state.UndoableInstruction;
    case TEnabledWhen::Editor:
      return state.Editor;
  }
  return true;
}

std::span<const TMenuRow> MenuBar() noexcept {
  return kMenuBar;
}

std::span<const TToolButton> ToolBar() noexcept {
  return kToolBar;
}

std::string_view ButtonText(const TCommandRow& row) noexcept {
  return row.ButtonText.empty() ? row.Caption : row.ButtonText;
}

std::string_view ShownKey(const TCommandRow& row) noexcept {
  return row.Key.empty() ? row.EditorKey : row.Key;
}

}  // namespace dorum
