#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "AppCore.h"
#include "AppSettings.h"
#include "Examples.h"

class QAction;
class QMenu;

namespace dorum::gui {

// The main window's commands, each one action of the menus, the tool bar
// and the keys: the first rows of the application's command table.
using TActionId = TCommandId;
inline constexpr std::size_t kActionCount = kMenuCommandCount;

class TDockedWindow;
class TFormEditor;
class TFormMachine;
class TFormIOConsole;
class TFormMicroprogram;
class TFormWatches;
class TFormTiming;
class TFormHelp;
class TFormCommandEditor;
class TFormProgramEditor;

// The main window: a strip across the top of the screen holding the menu
// bar. Every command of the application is one of its actions, and its
// actions work from every window of the application. It creates the other
// windows, in this order: the editor container, the machine window, the
// console, a program editor, the instruction list window and the watches.
class TFormMain final : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kHeight = 100;

  // The examples of the menu "Przykłady" come from the folder given.
  explicit TFormMain(TAppCore& core, QWidget* parent = nullptr,
                     const QString& examplesFolder = ExamplesFolder());
  ~TFormMain() override;

  [[nodiscard]] TAppCore& Core() noexcept { return core_; }
  [[nodiscard]] TFormEditor& Container() noexcept { return *container_; }
  [[nodiscard]] TFormMachine& MachineWindow() noexcept { return *machine_; }
  [[nodiscard]] TFormIOConsole& Console() noexcept { return *console_; }
  [[nodiscard]] TFormMicroprogram& InstructionListWindow() noexcept { return *microprogram_; }
  [[nodiscard]] TFormWatches& WatchesWindow() noexcept { return *watches_; }
  [[nodiscard]] TFormTiming& TimingWindow() noexcept { return *timing_; }
  [[nodiscard]] TFormHelp& HelpWindow() noexcept { return *help_; }
  // F1: the help entry of the word under the caret of the editor in use, or
  // the contents.
  void ContextHelp();
  // The frame of one of the windows (its dock).
  [[nodiscard]] TDockedWindow* FrameOf(const QWidget* window) const;
  // The action with that object name ("ActionRunCycle").
  [[nodiscard]] QAction* Action(TActionId id) const;
  // By object name, as tests and tools find them.
  [[nodiscard]] QAction* Action(const QString& name) const;
  [[nodiscard]] const QList<QAction*>& Actions() const noexcept { return actions_; }
  // The application's windows in creation order, this one first; destroyed
  // editors are gone from it.
  [[nodiscard]] std::vector<QWidget*> Windows() const;
  // The document window the save commands act on.
  [[nodiscard]] QWidget* CurrentForm() const noexcept { return currentForm_; }

  // The main window's first activation: the container comes up below the
  // strip with the machine window as its only tab.
  void ArrangeWindows();
  // Brings up a window (the container or a floating window).
  void ShowForm(QWidget* window);
  // Brings up one of the tool windows, docked in the container.
  void ShowDockedForm(QWidget* window);
  // Re-evaluates what the actions allow, as the application does when idle.
  void UpdateActions();
  void BuildGreyingRules();

  // New and opened documents; the editor is shown docked as a new tab.
  TFormProgramEditor* NewProgram();
  TFormCommandEditor* NewInstruction();
  // Opens the file in a new editor (a program editor for ".prg"); none when
  // the file cannot be read, after the error was shown. A file of the
  // examples' folder opens as a copy, with no file behind it.
  TFormCommandEditor* OpenFile(const QString& fileName);
  // "Przykłady": the example's machine (its list, or the default machine)
  // and a copy of its program in an editor, ready to compile and run.
  TFormCommandEditor* OpenExample(const QString& listFile, const QString& program);

  // Remembers the layout, the pace of runs, the dialogs' folders and the
  // recent files in these settings: read back when the windows are
  // arranged, written when the application closes. Without it nothing is
  // remembered between starts.
  void UseSettings(std::shared_ptr<TAppSettings> settings);
  // Writes what is remembered now.
  void StoreSettings();
  [[nodiscard]] const TRecentFiles& RecentFiles() const noexcept { return recent_; }
  // "Ostatnio otwierane": opens the file again; one that is gone is
  // dropped from the list with a note.
  void OpenRecent(const QString& file);
  // "Przywróć układ okien": every window back as the start-up puts it, the
  // windows on view as tabs of the container, the machine window first.
  void RestoreWindowLayout();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The action of a command, as the application's table describes it.
  QAction* AddAction(TActionId id);
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildExamplesMenu(QMenu* file);
  void BuildLayoutCommands(QMenu* file);
  void ShowRecentFiles();
  void NoteRecent(const QString& file);
  void RestoreSettings();
  TDockedWindow* Frame(QWidget* window);
  void Dock(TDockedWindow* frame);
  void AddEditor(TFormCommandEditor* editor);
  // A copy has the file's text but no file behind it.
  TFormCommandEditor* OpenDocument(const QString& fileName, bool copy);

  // Commands.
  void FileOpen();
  void FileSave();
  void FileSaveAs();
  void Compile();
  void LoadList();
  void SaveList();
  void ProjectOptions();
  void ViewWindowList();
  void RunCycle();
  void RunInstruction();
  void RunProgram();
  void RunToCursor();
  void Reset();
  void Abort();
  // "Warunki zatrzymania...": the dialog, once a run in progress has stopped.
  void EditStopConditions();
  void StepBack(bool wholeInstruction);
  void EditCommand(const char* method);
  void SearchCommand(void (TFormCommandEditor::*command)());

  // Which window is current, as activations change.
  void ActiveWindowChanged(QWidget* now);
  void FocusChanged(QWidget* now);
  // The window itself when it is a document window (not the strip, not the
  // container); null otherwise.
  [[nodiscard]] QWidget* DocumentOf(QWidget* window) const;
  void ResolveCurrentForm();
  // The document the user sees of the current window: a floating window's
  // own, the tab in front of the container or of a floating group.
  [[nodiscard]] QWidget* SeenDocument() const;
  [[nodiscard]] TFormCommandEditor* CurrentEditor() const;
  [[nodiscard]] TFormProgramEditor* BoundEditor() const;
  [[nodiscard]] bool QueryClose();
  [[nodiscard]] QString ExecutableFolder() const;
  [[nodiscard]] QRect FloatingArea() const;

  TAppCore& core_;
  const QString examplesFolder_;
  std::unique_ptr<TFormEditor> container_;
  TFormMachine* machine_ = nullptr;
  TFormIOConsole* console_ = nullptr;
  TFormProgramEditor* startEditor_ = nullptr;
  TFormMicroprogram* microprogram_ = nullptr;
  TFormWatches* watches_ = nullptr;
  TFormTiming* timing_ = nullptr;
  TFormHelp* help_ = nullptr;
  std::vector<QPointer<QWidget>> windows_;  // creation order
  QList<QAction*> actions_;
  std::array<QAction*, kActionCount> byId_{};
  // When each action that greys may be used; read on every refresh.
  struct TGreyingRule {
    QAction* Action;
    std::function<bool()> Enabled;
  };
  std::vector<TGreyingRule> greying_;
  QPointer<QWidget> currentForm_;
  bool firstActivation_ = true;
  std::shared_ptr<TAppSettings> settings_;
  TRecentFiles recent_;
  QMenu* recentMenu_ = nullptr;
};

}  // namespace dorum::gui
