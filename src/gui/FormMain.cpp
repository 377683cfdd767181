#include "FormMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "CoreText.h"
#include "DockedWindow.h"
#include "Examples.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormHelp.h"
#include "FormIOConsole.h"
#include "FormMachine.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "FormStopConditions.h"
#include "FormTiming.h"
#include "FormWatches.h"
#include "OwnKeys.h"
#include "SettingsDialog.h"
#include "SourceEditor.h"
#include "WindowList.h"
#include "common/Texts.h"

// The tool bar's pictures live in the program's resources (icons.qrc); a
// static library has to ask for them to be linked in.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

// The icons of the documents' tabs live in the program's resources; a
// static library has to ask for them to be linked in.
static void InitDocumentIcons() {
  Q_INIT_RESOURCE(docicons);
}

namespace dorum::gui {

namespace {

// The list file proposed by the list commands: next to the program, named
// like it.
QString ProposedListFile() {
  const QFileInfo program(QCoreApplication::applicationFilePath());
  return program.dir().filePath(program.completeBaseName() + QStringLiteral(".lst"));
}

const QString kListFilter = QStringLiteral("pliki z listą rozkazów (*.lst)");

// What stands where a text file is looked for.
enum class TPathKind : std::uint8_t { Missing, Folder, File, Other };

TPathKind PathKindOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return TPathKind::Missing;
  if (info.isDir()) return TPathKind::Folder;
  return info.isFile() ? TPathKind::File : TPathKind::Other;
}

// Why no text can be read there: the user is told what stands in the
// file's place, not that a file is gone when a folder or a device is there.
QString WhatIsAt(TPathKind kind, const QString& path) {
  static constexpr struct {
    TPathKind Kind;
    const char16_t* Text;
  } kTexts[] = {
      {TPathKind::Missing, u"Plik %1 już nie istnieje"},
      {TPathKind::Folder, u"%1 jest folderem, nie plikiem"},
      {TPathKind::Other, u"%1 nie jest zwykłym plikiem"},
  };
  for (const auto& [k, text] : kTexts) {
    if (k == kind) return QString::fromUtf16(text).arg(QDir::toNativeSeparators(path));
  }
  return QDir::toNativeSeparators(path);
}

}  // namespace

TFormMain::TFormMain(TAppCore& core, QWidget* parent, const QString& examplesFolder)
    : QMainWindow(parent), core_(core), examplesFolder_(examplesFolder) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(kApplicationTitle);
  setAccessibleName(kApplicationTitle);
  windows_.emplace_back(this);
  currentForm_ = this;

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  setGeometry(screen.left(), screen.top(), screen.width(), kHeight);
  setFixedHeight(kHeight);

  // The other windows, in the order the application creates them.
  container_ = std::make_unique<TFormEditor>();
  container_->setGeometry(FloatingArea());
  container_->SetTopLimit(screen.top() + kHeight);
  windows_.emplace_back(container_.get());
  machine_ = new TFormMachine(core_);
  Frame(machine_);
  console_ = new TFormIOConsole(core_);
  Frame(console_);
  startEditor_ = new TFormProgramEditor(core_);
  AddEditor(startEditor_);
  microprogram_ = new TFormMicroprogram(core_);
  Frame(microprogram_);
  watches_ = new TFormWatches(core_);
  Frame(watches_);
  help_ = new TFormHelp(core_);
  Frame(help_);
  timing_ = new TFormTiming(core_);
  Frame(timing_);

  BuildActions();
  BuildMenus();
  BuildToolBar();
  qApp->installEventFilter(new TOwnKeys(this));
  container_->SetFileCommands(Action(TActionId::FileOpen), Action(TActionId::FileSave));

  // The current document follows the keyboard focus and the container's
  // tabs, so it is right whether or not the window system reports
  // activations.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now != nullptr) FocusChanged(now);
  });
  connect(container_.get(), &TFormEditor::ActiveTabChanged, this, [this](TDockedWindow* tab) {
    // A document in front of the container is current unless a floating
    // window is.
    const bool floating =
        DocumentOf(currentForm_) != nullptr && !container_->HoldsAsTab(FrameOf(currentForm_));
    if (tab != nullptr && !floating) currentForm_ = tab->Content();
    UpdateActions();
  });
  // What the actions allow follows the state: a run starting or ending,
  // the machine changing (the history with it), the list, manual control.
  connect(&core_, &TAppCore::RunStateChanged, this, &TFormMain::UpdateActions);
  connect(&core_, &TAppCore::InstructionsChanged, this, &TFormMain::UpdateActions);
  connect(&core_, &TAppCore::ControlChanged, this, &TFormMain::UpdateActions);
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormMain::UpdateActions);
}

TFormMain::~TFormMain() {
  // The windows go before the core objects they show.
  container_.reset();
}

// ---- windows ----

TDockedWindow* TFormMain::Frame(QWidget* window) {
  auto* frame = new TDockedWindow(window, container_.get());
  // The window list finds a window by its name: every program editor's
  // frame would otherwise be called alike.
  frame->setObjectName(UniqueWindowName(frame->objectName(), Windows()));
  frame->hide();
  frame->setFloating(true);
  windows_.emplace_back(frame);
  return frame;
}

TDockedWindow* TFormMain::FrameOf(const QWidget* window) const {
  for (const auto& w : windows_) {
    if (auto* frame = qobject_cast<TDockedWindow*>(w.data()); frame && frame->Content() == window)
      return frame;
  }
  return nullptr;
}

std::vector<QWidget*> TFormMain::Windows() const {
  std::vector<QWidget*> windows;
  for (const auto& w : windows_) {
    if (w != nullptr) windows.push_back(w);
  }
  return windows;
}

QRect TFormMain::FloatingArea() const {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  return {screen.left(), screen.top() + kHeight, screen.width(), screen.height() - kHeight};
}

void TFormMain::ArrangeWindows() {
  if (!firstActivation_) return;
  firstActivation_ = false;
  ShowForm(container_.get());
  container_->DockAsTab(FrameOf(machine_));
  container_->ActivateTab(FrameOf(machine_));
  if (settings_ != nullptr) RestoreSettings();
  // The first refresh of what the actions allow.
  UpdateActions();
}

void TFormMain::ShowForm(QWidget* window) {
  QWidget* shown = window;
  if (TDockedWindow* frame = FrameOf(window)) shown = frame;
  if (auto* frame = qobject_cast<TDockedWindow*>(shown); frame && !frame->Detached()) {
    // A docked window comes out to float over the area below the strip.
    frame->setFloating(true);
    frame->setGeometry(FloatingArea());
  }
  shown->show();
  // In a floating group of tabs, raising a window brings its tab forward.
  shown->raise();
  QWidget* top = shown->window();
  if (top->isMinimized()) top->showNormal();
  // A window that went off the screen is brought back onto it.
  if (top != this) KeepOnScreen(*top);
  top->raise();
  top->activateWindow();
  window->setFocus();
}

void TFormMain::ShowDockedForm(QWidget* window) {
  TDockedWindow* frame = FrameOf(window);
  if (frame == nullptr) return;
  if (frame->Detached()) {
    if (frame->window()->isVisible() && !frame->isHidden()) {
      ShowForm(window);
      return;
    }
    ShowForm(container_.get());
    container_->DockAsTab(frame);
  } else {
    if (!container_->isVisible()) ShowForm(container_.get());
    frame->show();
    container_->ActivateTab(frame);
  }
  window->setFocus();
}

void TFormMain::AddEditor(TFormCommandEditor* editor) {
  InitDocumentIcons();
  TDockedWindow* frame = Frame(editor);
  // The tab tells the kind of the document and is named by its file.
  const bool program = qobject_cast<TFormProgramEditor*>(editor) != nullptr;
  frame->SetTabIcon(QIcon(program ? QStringLiteral(":/doc/doc-program.svg")
                                  : QStringLiteral(":/doc/doc-instruction.svg")));
  frame->SetFilePath(editor->FilePath());
  connect(editor, &TFormCommandEditor::FilePathChanged, frame, [this, frame](const QString& path) {
    frame->SetFilePath(path);
    NoteRecent(path);
  });
  NoteRecent(editor->FilePath());
  // The save dialog starts next where a text was last written, not where
  // a save failed.
  const TFolderKind kind = program ? TFolderKind::Program : TFolderKind::Instruction;
  connect(editor, &TFormCommandEditor::SavedAs, this, [this, kind](const QString& path) {
    if (settings_ != nullptr) settings_->SetLastFolder(kind, QFileInfo(path).absolutePath());
  });
  // A run that stops at the editor's line hands it the focus: the student
  // must see the text the keys now go into.
  connect(editor, &TFormCommandEditor::FocusRequested, this,
          [this, editor] { ShowDockedForm(editor); });
  frame->SetDisposable([this, editor] {
    if (!editor->CloseQuery()) return false;
    // The program of a run goes with its editor: the run ends first.
    auto* program = qobject_cast<TFormProgramEditor*>(editor);
    if (program != nullptr && &program->Document() == core_.Control().ProgramEditor())
      core_.Perform(TCommand::CloseBoundEditor, [] {});
    return true;
  });
}

void TFormMain::Dock(TDockedWindow* frame) {
  ShowForm(container_.get());
  container_->DockAsTab(frame);
  frame->Content()->setFocus();
}

TFormProgramEditor* TFormMain::NewProgram() {
  auto* editor = new TFormProgramEditor(core_);
  AddEditor(editor);
  Dock(FrameOf(editor));
  return editor;
}

TFormCommandEditor* TFormMain::NewInstruction() {
  auto* editor = new TFormCommandEditor(core_);
  AddEditor(editor);
  Dock(FrameOf(editor));
  return editor;
}

QString TFormMain::ExecutableFolder() const {
  return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + QLatin1Char('/');
}

TFormCommandEditor* TFormMain::OpenFile(const QString& fileName) {
  // The bundled examples are shared by every user and, once installed,
  // read-only: edits of them are saved elsewhere.
  return OpenDocument(fileName, LiesInFolder(fileName, examplesFolder_));
}

TFormCommandEditor* TFormMain::OpenDocument(const QString& fileName, bool copy) {
  // A device is no text: /dev/zero would be read up to the size limit.
  if (PathKindOf(fileName) == TPathKind::Other) {
    core_.Errors().Report(this, Q(Texts::CannotReadFile(U8(fileName), Texts::NotARegularFile())));
    return nullptr;
  }
  const QFileInfo file(fileName);
  const bool program = FileKindOf(U8(file.fileName())) == TFileKind::Program;
  TFormCommandEditor* editor =
      program ? new TFormProgramEditor(core_) : new TFormCommandEditor(core_);
  // A file from the program's own folder is named by its bare name.
  const QString folder = QDir::toNativeSeparators(file.absolutePath()) + QDir::separator();
  const QString caption = copy || folder == QDir::toNativeSeparators(ExecutableFolder())
                              ? file.fileName()
                              : QDir::toNativeSeparators(file.absoluteFilePath());
  editor->setWindowTitle(caption);
  const bool loaded =
      copy ? editor->LoadCopy(file.absoluteFilePath()) : editor->LoadFile(file.absoluteFilePath());
  if (!loaded) {
    delete editor;  // a file that cannot be read leaves no window behind
    return nullptr;
  }
  AddEditor(editor);
  Dock(FrameOf(editor));
  return editor;
}

TFormCommandEditor* TFormMain::OpenExample(const QString& listFile, const QString& program) {
  // Only the student's own changes to the list in use are worth a question;
  // without a yes the example opens on the machine there is.
  bool replace = true;
  const std::string question = core_.App().ExampleQuestion(
      U8(QFileInfo(program).fileName()),
      listFile.isEmpty() ? std::string() : U8(QFileInfo(listFile).fileName()));
  if (!question.empty()) {
    const QMessageBox::StandardButton answer = core_.Dialogs().Ask(
        this, Q(question), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) return nullptr;
    replace = answer == QMessageBox::Yes;
  }
  TFormCommandEditor* editor = nullptr;
  PerformRenaming(core_, this, TCommand::OpenExample, [&] {
    const bool loaded = !replace || core_.Errors().Run(this, [&] {
      if (!listFile.isEmpty()) {
        microprogram_->LoadInstructionList(listFile);
        return;
      }
      core_.Session().RestoreDefaultMachine();
      core_.NotifyInstructionsChanged();
    });
    if (loaded) editor = OpenDocument(program, true);
  });
  return editor;
}

// ---- current window ----

void TFormMain::FocusChanged(QWidget* now) {
  // The document is the docked window around the focus, wherever it is.
  for (QWidget* w = now; w != nullptr; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<TDockedWindow*>(w)) {
      currentForm_ = frame->Content();
      UpdateActions();
      return;
    }
  }
  ActiveWindowChanged(now->window());
}

QWidget* TFormMain::DocumentOf(QWidget* window) const {
  if (window == nullptr || window == this || window == container_.get()) return nullptr;
  return window;
}

void TFormMain::ActiveWindowChanged(QWidget* now) {
  if (now == nullptr) return;
  if (now != this) {
    if (auto* frame = qobject_cast<TDockedWindow*>(now)) {
      currentForm_ = frame->Content();
    } else {
      currentForm_ = now;
    }
    UpdateActions();
    return;
  }
  ResolveCurrentForm();
  UpdateActions();
}

void TFormMain::ResolveCurrentForm() {
  if (currentForm_ != container_.get()) return;
  // The document of the container is the window holding its focus, or the
  // one on its active tab.
  for (QWidget* w = container_->focusWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<TDockedWindow*>(w)) {
      currentForm_ = frame->Content();
      return;
    }
  }
  if (TDockedWindow* tab = container_->ActiveTab()) currentForm_ = tab->Content();
}

QWidget* TFormMain::SeenDocument() const {
  // The strip and the container are no documents: the container's front
  // tab stands for them, and for each of its tabs, of which only the one in
  // front is seen, whichever of them last had the focus.
  TDockedWindow* frame = FrameOf(currentForm_);
  if (DocumentOf(currentForm_) == nullptr || container_->HoldsAsTab(frame)) {
    const TDockedWindow* tab = container_->isVisible() ? container_->ActiveTab() : nullptr;
    return tab != nullptr ? tab->Content() : nullptr;
  }
  // A window floating alone, or the one in front of a floating group.
  if (frame != nullptr) return container_->FrontOf(frame)->Content();
  return currentForm_;
}

TFormCommandEditor* TFormMain::CurrentEditor() const {
  return qobject_cast<TFormCommandEditor*>(SeenDocument());
}

TFormProgramEditor* TFormMain::BoundEditor() const {
  const IBoundProgram* bound = core_.Control().ProgramEditor();
  if (bound == nullptr) return nullptr;
  for (const auto& w : windows_) {
    if (auto* frame = qobject_cast<TDockedWindow*>(w.data())) {
      auto* editor = qobject_cast<TFormProgramEditor*>(frame->Content());
      if (editor != nullptr && &editor->Document() == bound) return editor;
    }
  }
  return nullptr;
}

// ---- actions ----

QAction* TFormMain::AddAction(TActionId id) {
  const TCommandRow& row = CommandRow(id);
  auto* action = new QAction(Q(row.MenuText), this);
  action->setObjectName(Q(row.Name));
  action->setProperty("category", Q(row.Menu.substr(0, row.Menu.find('/'))));
  action->setProperty("caption", Q(row.Caption));
  if (!row.Key.empty()) {
    action->setShortcut(QKeySequence(Q(row.Key), QKeySequence::PortableText));
    // The main window's keys work from every window of the application.
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
  addAction(action);
  actions_.append(action);
  byId_[static_cast<std::size_t>(id)] = action;
  return action;
}

void TFormMain::BuildActions() {
  // Every command of the menus as the application's table describes it.
  for (const TCommandRow& row : Commands().first(kActionCount)) AddAction(row.Id);
  const std::pair<TActionId, std::function<void()>> handlers[] = {
      {TActionId::NewProgram, [this] { NewProgram(); }},
      {TActionId::NewInstruction, [this] { NewInstruction(); }},
      {TActionId::FileOpen, [this] { FileOpen(); }},
      {TActionId::FileSave, [this] { FileSave(); }},
      {TActionId::FileSaveAs, [this] { FileSaveAs(); }},
      {TActionId::Exit, [this] { close(); }},
      {TActionId::ViewWindowList, [this] { ViewWindowList(); }},
      {TActionId::ViewEditor, [this] { ShowForm(container_.get()); }},
      {TActionId::Instructions, [this] { ShowDockedForm(microprogram_); }},
      {TActionId::ViewWatches, [this] { ShowDockedForm(watches_); }},
      {TActionId::ViewCPU, [this] { ShowDockedForm(machine_); }},
      {TActionId::ViewConsole, [this] { ShowDockedForm(console_); }},
      {TActionId::ViewTiming, [this] { ShowDockedForm(timing_); }},
      {TActionId::Compile, [this] { Compile(); }},
      {TActionId::SaveList, [this] { SaveList(); }},
      {TActionId::LoadList, [this] { LoadList(); }},
      {TActionId::ProjectOptions, [this] { ProjectOptions(); }},
      {TActionId::RunProject, [this] { RunProgram(); }},
      {TActionId::RunInstruction, [this] { RunInstruction(); }},
      {TActionId::RunCycle, [this] { RunCycle(); }},
      {TActionId::RunToCursor, [this] { RunToCursor(); }},
      {TActionId::Reset, [this] { Reset(); }},
      {TActionId::Abort, [this] { Abort(); }},
      {TActionId::StepBackCycle, [this] { StepBack(false); }},
      {TActionId::StepBackInstruction, [this] { StepBack(true); }},
      {TActionId::StopConditions, [this] { EditStopConditions(); }},
      // The program's own help, bundled with it.
      {TActionId::HelpContents,
       [this] {
         help_->ShowContents();
         ShowDockedForm(help_);
       }},
      {TActionId::HelpSearch,
       [this] {
         help_->ShowSearch();
         ShowDockedForm(help_);
       }},
      {TActionId::HelpTopic, [this] { ContextHelp(); }},
      // Keys without a menu entry: the standard editing and search commands
      // of the focused text field.
      {TActionId::EditUndo, [this] { EditCommand("undo"); }},
      {TActionId::EditCut, [this] { EditCommand("cut"); }},
      {TActionId::EditCopy, [this] { EditCommand("copy"); }},
      {TActionId::EditPaste, [this] { EditCommand("paste"); }},
      {TActionId::EditDelete, [this] { EditCommand("del"); }},
      {TActionId::EditSelectAll, [this] { EditCommand("selectAll"); }},
      {TActionId::SearchFind, [this] { SearchCommand(&TFormCommandEditor::ShowFindDialog); }},
      {TActionId::SearchFindNext, [this] { SearchCommand(&TFormCommandEditor::FindAgain); }},
      {TActionId::SearchReplace, [this] { SearchCommand(&TFormCommandEditor::ShowReplaceDialog); }},
  };
  for (const auto& [id, handler] : handlers)
    connect(Action(id), &QAction::triggered, this, handler);

  // The start state: run commands wait for the first refresh; saving needs
  // an editor; searching waits for the first activation.
  for (const TActionId id : {TActionId::RunProject, TActionId::RunInstruction, TActionId::FileSave,
                             TActionId::FileSaveAs, TActionId::Compile, TActionId::SearchFind}) {
    Action(id)->setEnabled(false);
  }
}

void TFormMain::BuildMenus() {
  // The menu bar as the application's table lays it out, less the menus
  // only the page has; the examples and the recent files are the
  // desktop's own.
  std::vector<std::pair<std::string_view, QMenu*>> menus;
  const auto menuOf = [&menus](std::string_view name) {
    const auto found = std::ranges::find(menus, name, &std::pair<std::string_view, QMenu*>::first);
    return found == menus.end() ? nullptr : found->second;
  };
  for (const TMenuRow& row : MenuBar()) menus.emplace_back(row.Menu, new QMenu(Q(row.Text), this));
  for (const TCommandRow& row : Commands().first(kActionCount)) {
    if (row.Place == TMenuPlace::None || row.Place == TMenuPlace::PageOnly) continue;
    QMenu* menu = menuOf(row.Menu);
    const std::size_t slash = row.Menu.find('/');
    // A submenu stands where its first entry would.
    if (QMenu* parent =
            slash == std::string_view::npos ? nullptr : menuOf(row.Menu.substr(0, slash));
        parent != nullptr && menu->isEmpty())
      parent->addMenu(menu);
    if (row.Place == TMenuPlace::AfterSeparator) menu->addSeparator();
    menu->addAction(Action(row.Id));
  }
  for (const auto& [name, menu] : menus) {
    if (menu->isEmpty()) {
      delete menu;
    } else if (name.find('/') == std::string_view::npos) {
      menuBar()->addMenu(menu);
      connect(menu, &QMenu::aboutToShow, this, &TFormMain::UpdateActions);
    }
  }
  BuildExamplesMenu(menuOf("Plik"));
  BuildLayoutCommands(menuOf("Plik"));
}

void TFormMain::BuildToolBar() {
  InitIconResources();
  // The tool bar's buttons are the very same actions as the menus': a button
  // is greyed exactly when its menu entry is. Each is named by what it does,
  // for its tool tip and screen readers alike: the menus' "Program" would
  // name both the new program and the run.
  QToolBar* tools = addToolBar(QStringLiteral("Narzędzia"));
  tools->setObjectName(QStringLiteral("ToolBar"));
  tools->setAllowedAreas(Qt::TopToolBarArea);
  tools->setFloatable(false);
  tools->setIconSize(QSize(24, 24));
  for (const TToolButton& b : ToolBar()) {
    if (!b.Command) {
      tools->addSeparator();
      continue;
    }
    QAction* action = Action(*b.Command);
    action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(Q(b.Icon))));
    const TCommandRow& row = CommandRow(*b.Command);
    const QString name = Q(ButtonText(row));
    const QString key = Q(ShownKey(row));
    action->setToolTip(key.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, key));
    tools->addAction(action);
    tools->widgetForAction(action)->setAccessibleName(name);
  }
}

void TFormMain::BuildExamplesMenu(QMenu* file) {
  const std::vector<TExampleSet> sets = ExampleSets(examplesFolder_);
  if (sets.empty()) return;
  // Between saving and "Wyjście", each set of examples by its machine.
  auto* examples = new QMenu(QStringLiteral("Przykłady"), file);
  file->insertMenu(Action(TActionId::Exit), examples);
  file->insertSeparator(Action(TActionId::Exit));
  examples->setObjectName(QStringLiteral("MenuExamples"));
  for (const TExampleSet& set : sets) {
    QMenu* machine = examples->addMenu(set.Machine);
    for (const QString& program : set.Programs) {
      const QString list = set.ListFile;
      machine->addAction(QFileInfo(program).fileName(), this,
                         [this, list, program] { OpenExample(list, program); });
    }
  }
}

QAction* TFormMain::Action(TActionId id) const {
  return byId_[static_cast<std::size_t>(id)];
}

QAction* TFormMain::Action(const QString& name) const {
  for (QAction* action : actions_) {
    if (action->objectName() == name) return action;
  }
  return nullptr;
}

void TFormMain::UpdateActions() {
  if (greying_.empty()) BuildGreyingRules();
  for (const TGreyingRule& rule : greying_) rule.Action->setEnabled(rule.Enabled());
}

void TFormMain::BuildGreyingRules() {
  // Every action whose command the table greys, found once.
  for (const TCommandRow& row : Commands().first(kActionCount)) {
    if (row.When == TEnabledWhen::Always && row.DuringRun != TDuringRun::Refused) continue;
    QAction* action = Action(row.Id);
    Q_ASSERT(action != nullptr);
    greying_.push_back(
        {action, [this, id = row.Id] { return core_.Enabled(id, CurrentEditor() != nullptr); }});
  }
}

// ---- commands ----

void TFormMain::FileOpen() {
  // The examples are at hand when the program has them near it.
  const std::optional<QString> name = core_.Dialogs().OpenFileName(
      this, QStringLiteral("Otwórz"),
      examplesFolder_.isEmpty() ? ExecutableFolder() : examplesFolder_,
      QStringLiteral("pliki rozkazów (*.rzk);;pliki programów (*.prg);;wszystkie pliki (*)"));
  if (name) OpenFile(*name);
}

void TFormMain::FileSave() {
  ResolveCurrentForm();
  if (TFormCommandEditor* editor = CurrentEditor()) editor->Save(false);
}

void TFormMain::FileSaveAs() {
  ResolveCurrentForm();
  if (TFormCommandEditor* editor = CurrentEditor()) editor->Save(true);
}

void TFormMain::Compile() {
  ResolveCurrentForm();
  if (TFormCommandEditor* editor = CurrentEditor()) editor->ActionCompile->trigger();
}

void TFormMain::LoadList() {
  const std::optional<QString> name = core_.Dialogs().OpenFileName(
      this, QStringLiteral("Otwórz plik z listą rozkazów"), ProposedListFile(), kListFilter);
  if (!name) return;
  PerformRenaming(core_, this, TCommand::LoadList, [this, file = *name] {
    core_.Errors().Run(this, [&] { microprogram_->LoadInstructionList(file); });
  });
}

void TFormMain::SaveList() {
  std::optional<QString> name = core_.Dialogs().SaveFileName(
      this, QStringLiteral("Zapisz plik z listą rozkazów"), ProposedListFile(), kListFilter);
  if (!name) return;
  if (QFileInfo(*name).suffix().isEmpty()) name->append(QStringLiteral(".lst"));
  const bool saved = core_.Errors().Run(this, [&] { microprogram_->SaveInstructionList(*name); });
  // The dialog starts next where a list was written, not where it failed.
  if (saved && settings_ != nullptr)
    settings_->SetLastFolder(TFolderKind::List, QFileInfo(*name).absolutePath());
}

void TFormMain::ProjectOptions() {
  PerformRenaming(core_, this, TCommand::ProjectOptions, [this] {
    TFormSettings dialog(core_, this);
    dialog.exec();
    machine_->update();
    core_.Refresh().Schedule();
  });
}

void TFormMain::ViewWindowList() {
  std::vector<QWidget*> candidates = Windows();
  candidates.erase(candidates.begin());  // not the main window itself
  TFormWindowList dialog(candidates, this);
  dialog.exec();
}

void TFormMain::RunCycle() {
  core_.Start(this, TRunCommand::Cycle);
}

void TFormMain::RunInstruction() {
  core_.Start(this, TRunCommand::Instruction);
}

void TFormMain::RunProgram() {
  core_.Start(this, TRunCommand::Program);
}

void TFormMain::RunToCursor() {
  const TFormProgramEditor* editor = BoundEditor();
  core_.Start(this, TRunCommand::ToLine, editor != nullptr ? editor->CaretLine() : 0);
}

void TFormMain::Reset() {
  core_.Perform(TCommand::Reset,
                [this] { core_.Errors().Run(this, [this] { core_.Machine().ResetMachine(); }); });
}

void TFormMain::StepBack(bool wholeInstruction) {
  core_.StepBack(wholeInstruction);
  UpdateActions();
}

void TFormMain::EditStopConditions() {
  core_.Perform(TCommand::StopConditions, [this] {
    TFormStopConditions dialog(core_, this);
    dialog.exec();
  });
}

void TFormMain::Abort() {
  core_.RequestStop();
}

void TFormMain::ContextHelp() {
  // The word under the caret of the editor that has the focus.
  QString word;
  for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* editor = qobject_cast<TFormCommandEditor*>(w)) {
      int line = 0;
      int index = 0;
      editor->Memo()->getCursorPosition(&line, &index);
      word = editor->Memo()->wordAtLineIndex(line, index);
      break;
    }
  }
  if (word.isEmpty() || !help_->ShowTopic(word)) help_->ShowContents();
  ShowDockedForm(help_);
}

void TFormMain::EditCommand(const char* method) {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return;
  QMetaObject::invokeMethod(focus, method);
}

void TFormMain::SearchCommand(void (TFormCommandEditor::*command)()) {
  ResolveCurrentForm();
  if (TFormCommandEditor* editor = CurrentEditor()) (editor->*command)();
}

// ---- closing and activation ----

bool TFormMain::QueryClose() {
  // The windows are asked in creation order; the first refusal keeps the
  // application open and spares the rest the question.
  for (QWidget* window : Windows()) {
    if (auto* frame = qobject_cast<TDockedWindow*>(window)) {
      if (!frame->MayClose()) return false;
    }
  }
  return true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // The run stops first; the questions come when it has.
  core_.Perform(TCommand::Quit, [] {});
  if (!QueryClose()) {
    event->ignore();
    return;
  }
  event->accept();
  if (settings_ != nullptr) StoreSettings();
  QCoreApplication::quit();
}

void TFormMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    if (firstActivation_) {
      ArrangeWindows();
    } else {
      ResolveCurrentForm();
      UpdateActions();
      Action(TActionId::FileOpen)->setEnabled(true);
      Action(TActionId::SearchFind)->setEnabled(true);
    }
  }
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Without a window manager nothing activates the window, so the first
  // showing arranges the windows too.
  if (firstActivation_) QTimer::singleShot(0, this, &TFormMain::ArrangeWindows);
}

// ---- layout, remembered settings and recent files ----

void TFormMain::BuildLayoutCommands(QMenu* file) {
  recentMenu_ = new QMenu(QStringLiteral("Ostatnio otwierane"), file);
  recentMenu_->setObjectName(QStringLiteral("MenuRecentFiles"));
  file->insertMenu(Action(TActionId::FileSave), recentMenu_);
  ShowRecentFiles();
  connect(Action(TActionId::ViewRestoreLayout), &QAction::triggered, this,
          &TFormMain::RestoreWindowLayout);
}

void TFormMain::ShowRecentFiles() {
  if (recentMenu_ == nullptr) return;
  recentMenu_->clear();
  int number = 0;
  for (const QString& file : recent_.Files()) {
    // "&1 suma.prg", the full path in the status tip.
    QAction* entry = recentMenu_->addAction(
        QStringLiteral("&%1 %2").arg(++number).arg(QDir::toNativeSeparators(file)), this,
        [this, file] { OpenRecent(file); });
    entry->setStatusTip(QDir::toNativeSeparators(file));
  }
  recentMenu_->setEnabled(!recent_.Files().isEmpty());
}

void TFormMain::NoteRecent(const QString& file) {
  if (file.isEmpty()) return;
  recent_.Add(QFileInfo(file).absoluteFilePath());
  ShowRecentFiles();
  if (settings_ != nullptr) settings_->SetRecentFiles(recent_.Files());
}

void TFormMain::OpenRecent(const QString& file) {
  // Only a file can come back; the note says what stands there instead.
  const TPathKind kind = PathKindOf(file);
  if (kind != TPathKind::File) {
    recent_.Remove(file);
    ShowRecentFiles();
    if (settings_ != nullptr) settings_->SetRecentFiles(recent_.Files());
    core_.Dialogs().ShowInformation(
        this, WhatIsAt(kind, file) + QStringLiteral("; usunięto go z listy ostatnio otwieranych."));
    return;
  }
  OpenFile(file);
}

void TFormMain::RestoreWindowLayout() {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  if (isMinimized()) showNormal();
  setGeometry(screen.left(), screen.top(), screen.width(), kHeight);
  container_->showNormal();
  container_->setGeometry(FloatingArea());
  // The windows on view, wherever they float or are docked, come back as
  // tabs; the closed ones stay closed.
  QList<TDockedWindow*> shown{FrameOf(machine_)};
  for (QWidget* window : Windows()) {
    auto* frame = qobject_cast<TDockedWindow*>(window);
    if (frame != nullptr && !shown.contains(frame) && !frame->isHidden()) shown.append(frame);
  }
  container_->TabAll(shown);
  container_->raise();
  container_->activateWindow();
}

void TFormMain::UseSettings(std::shared_ptr<TAppSettings> settings) {
  settings_ = std::move(settings);
  if (settings_ == nullptr) return;
  RememberFolders(core_.Dialogs(), settings_);
  recent_.Assign(settings_->RecentFiles());
  ShowRecentFiles();
  if (!firstActivation_) RestoreSettings();
}

void TFormMain::RestoreSettings() {
  // The machine itself starts as always; only how it is shown is
  // remembered.
  if (const std::optional<TRunPace> pace = settings_->Pace()) {
    if (QRadioButton* level = machine_->TrackingButton(pace->TrackingLevel)) level->click();
    core_.SetAnimationDelay(pace->Tempo);
  }
  if (const std::optional<TWindowLayout> layout = settings_->Layout()) {
    ApplyLayout(*layout, *this, *container_);
    // The start-up editor is never shown; a layout that held another
    // editor under the same name must not bring it up.
    if (TDockedWindow* start = FrameOf(startEditor_)) start->hide();
    setFixedHeight(kHeight);
  }
}

void TFormMain::StoreSettings() {
  if (settings_ == nullptr) return;
  settings_->SetLayout(CaptureLayout(*this, *container_));
  settings_->SetPace({core_.Control().TrackingLevel(), core_.App().Tempo()});
  settings_->SetRecentFiles(recent_.Files());
  settings_->Sync();
}

}  // namespace dorum::gui
