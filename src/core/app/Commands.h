#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace dorum {

// Every command of the application, in the order the desktop creates its
// actions; those after ViewRestoreLayout are given from windows and lists
// rather than from the menus.
enum class TCommandId : std::uint8_t {
  NewProgram,
  NewInstruction,
  FileOpen,
  FileSave,
  FileSaveAs,
  Exit,
  ViewWindowList,
  ViewEditor,
  Instructions,
  ViewWatches,
  ViewCPU,
  ViewConsole,
  ViewTiming,
  Compile,
  SaveList,
  LoadList,
  ProjectOptions,
  RunProject,
  RunInstruction,
  RunCycle,
  RunToCursor,
  Reset,
  Abort,
  StepBackCycle,
  StepBackInstruction,
  StopConditions,
  HelpContents,
  HelpSearch,
  HelpTopic,
  EditUndo,
  EditCut,
  EditCopy,
  EditPaste,
  EditDelete,
  EditSelectAll,
  SearchFind,
  SearchFindNext,
  SearchReplace,
  ViewRestoreLayout,
  // Not in the menus.
  DeleteInstruction,  // "Usuń rozkaz"
  ManualControl,      // "Sterowanie ręczne"
  CloseBoundEditor,   // closing the editor whose program runs
  Quit,               // closing the application
  ClearMemory,        // "Wyczyść pamięć"
  GoToCycle,          // a click on a cycle of the timing diagram
  OpenExample,        // an example with its machine
};

// The commands with a place in the menus.
inline constexpr std::size_t kMenuCommandCount =
    static_cast<std::size_t>(TCommandId::ViewRestoreLayout) + 1;

// What a command does while a run is in progress: it acts between two
// cycles and the run goes on, it is refused (greyed), or it stops the run at
// the cycle boundary it stands at and then acts.
enum class TDuringRun : std::uint8_t { Acts, Refused, StopsRun };

// When a command may be given, besides what a run allows.
enum class TEnabledWhen : std::uint8_t {
  Always,
  Automatic,     // not under manual control
  UndoableStep,  // the history holds a cycle to take back
  UndoableInstruction,
  Editor,  // a document is open
};

// Where a command stands in its menu of the menu bar: not there, an entry,
// an entry after a separator, or an entry of the page's menus only (the
// desktop gives those from its editors' own menus).
enum class TMenuPlace : std::uint8_t { None, Item, AfterSeparator, PageOnly };

// One command: how both editions name it, where it stands, its key and its
// rules. `Key` is written as Qt's portable text and the page's key names
// alike ("F7", "Ctrl+F2", "Shift+F8").
struct TCommandRow {
  TCommandId Id;
  std::string_view Name;      // the desktop's object name
  std::string_view PageName;  // the page's name, empty where the page has none
  std::string_view Menu;      // the menu it belongs to, "Plik/Nowy" for a submenu
  std::string_view Caption;   // its name for tool tips and screen readers
  std::string_view MenuText;  // with "&" before its mnemonic
  std::string_view Key;
  TDuringRun DuringRun = TDuringRun::Acts;
  TEnabledWhen When = TEnabledWhen::Always;
  TMenuPlace Place = TMenuPlace::None;
  // What a tool button shows, where the caption alone would be ambiguous
  // ("Program" is a new one and a run as well).
  std::string_view ButtonText = {};
  // The key that gives it in an editor only, where it has none of its own.
  std::string_view EditorKey = {};
};

// A menu of the menu bar, in the bar's order; "Plik/Nowy" is the submenu
// "Nowy" of "Plik", standing where its first entry stands.
struct TMenuRow {
  std::string_view Menu;
  std::string_view Text;  // with "&" before its mnemonic
};

// A button of the tool bar: its command and its icon's name (the file
// "<icon>.svg" of the icons both editions ship); a button without a command
// is the gap between two groups.
struct TToolButton {
  std::optional<TCommandId> Command;
  std::string_view Icon;
};

// What decides whether commands may be given now.
struct TCommandState {
  bool Running = false;
  bool ManualControl = false;
  bool UndoableStep = false;
  bool UndoableInstruction = false;
  bool Editor = true;
};

[[nodiscard]] std::span<const TCommandRow> Commands() noexcept;
[[nodiscard]] const TCommandRow& CommandRow(TCommandId id) noexcept;
// The command the page names so, or null.
[[nodiscard]] const TCommandRow* CommandNamed(std::string_view pageName) noexcept;
[[nodiscard]] bool CommandEnabled(TCommandId id, const TCommandState& state) noexcept;
[[nodiscard]] std::span<const TMenuRow> MenuBar() noexcept;
// The tool bar's buttons in order, grouped: the most used commands of the
// menus.
[[nodiscard]] std::span<const TToolButton> ToolBar() noexcept;
// What a tool button shows for the command.
[[nodiscard]] std::string_view ButtonText(const TCommandRow& row) noexcept;
// The key a tool tip names for the command: its own, else its editor's.
[[nodiscard]] std::string_view ShownKey(const TCommandRow& row) noexcept;

}  // namespace dorum
