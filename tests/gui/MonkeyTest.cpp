// Thousands of random user actions on the whole application, from a seed:
// every command of the main window, keys, clicks on the diagram and on the
// memory rows, entries into registers, memory and dialogs (valid and
// garbage), tab switches, floating and docking, editors opened, typed into,
// compiled and closed, the console, the instruction list. After each action
// no run is left running after a reset, the machine window shows the
// machine as it is, and every editor holds what was typed into it.
//
// DORUM_MONKEY_ACTIONS and DORUM_MONKEY_SEED make the walk longer or
// another; the seed and the count are printed, so a failure can be replayed.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <functional>
#include <random>

#include "AppCore.h"
#include "DockedWindow.h"
#include "FindDialogs.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormHelp.h"
#include "FormIOConsole.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "FormWatches.h"
#include "GuiTestSupport.h"
#include "MachineDiagram.h"
#include "SettingsDialog.h"
#include "SourceEditor.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

constexpr int kDefaultActions = 2000;
constexpr std::uint32_t kDefaultSeed = 20240611;
// The windows a user keeps open at most; beyond, the monkey closes editors.
constexpr int kMostEditors = 8;

int EnvironmentNumber(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok ? value : fallback;
}

// Copies the examples, so that saving never writes into the sources.
void CopyFolder(const QString& from, const QString& to) {
  QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString file = files.next();
    const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(file);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::copy(file, target);
  }
}

struct TKey {
  Qt::Key Key;
  Qt::KeyboardModifiers Modifiers;
  bool Edits;  // may change the text of an editor with the focus
};

// The application's keys and the ordinary ones a user presses.
const std::vector<TKey>& Keys() {
  static const std::vector<TKey> keys = {
      {Qt::Key_F1, {}, false},
      {Qt::Key_F2, {}, false},
      {Qt::Key_F3, {}, false},
      {Qt::Key_F4, {}, false},
      {Qt::Key_F5, {}, false},
      {Qt::Key_F7, {}, false},
      {Qt::Key_F8, {}, false},
      {Qt::Key_F9, {}, false},
      {Qt::Key_F10, {}, false},
      {Qt::Key_F11, {}, false},
      {Qt::Key_F12, {}, false},
      {Qt::Key_F2, Qt::ControlModifier, false},
      {Qt::Key_F3, Qt::ControlModifier, false},
      {Qt::Key_F7, Qt::ShiftModifier, false},
      {Qt::Key_F8, Qt::ShiftModifier, false},
      {Qt::Key_F8, Qt::ControlModifier, false},
      {Qt::Key_F9, Qt::ControlModifier, false},
      {Qt::Key_F11, Qt::ControlModifier | Qt::ShiftModifier, false},
      {Qt::Key_R, Qt::ControlModifier, false},
      {Qt::Key_F, Qt::ControlModifier, false},
      {Qt::Key_L, Qt::ControlModifier, false},
      {Qt::Key_C, Qt::ControlModifier, false},
      {Qt::Key_A, Qt::ControlModifier, false},
      {Qt::Key_Insert, Qt::ControlModifier, false},
      {Qt::Key_Escape, {}, false},
      {Qt::Key_Up, {}, false},
      {Qt::Key_Down, {}, false},
      {Qt::Key_PageDown, {}, false},
      {Qt::Key_Home, {}, false},
      {Qt::Key_End, Qt::ControlModifier, false},
      {Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier, false},
      {Qt::Key_1, Qt::ControlModifier, false},
      {Qt::Key_Space, Qt::ControlModifier, false},
      {Qt::Key_Tab, {}, true},
      {Qt::Key_Return, {}, true},
      {Qt::Key_Delete, {}, true},
      {Qt::Key_Backspace, {}, true},
      {Qt::Key_H, Qt::ControlModifier, true},
      {Qt::Key_X, Qt::ControlModifier, true},
      {Qt::Key_V, Qt::ControlModifier, true},
      {Qt::Key_Z, Qt::ControlModifier, true},
      {Qt::Key_Insert, {}, true},
  };
  return keys;
}

// The application with a user acting at random in front of it.
class TMonkey {
 public:
  explicit TMonkey(std::uint32_t seed) : random_(seed) {
    CopyFolder(QStringLiteral(DORUM_EXAMPLES_DIR), files_.path());
    for (QDirIterator it(files_.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
      const QString file = it.next();
      if (file.endsWith(QStringLiteral(".prg"))) programs_.append(file);
      if (file.endsWith(QStringLiteral(".lst"))) lists_.append(file);
      if (file.endsWith(QStringLiteral(".rzk"))) instructions_.append(file);
    }
    // A program that runs until it is stopped, so that commands meet runs.
    QFile endless(files_.filePath(QStringLiteral("petla.prg")));
    if (endless.open(QIODevice::WriteOnly))
      endless.write("petla:  DOD jeden\r\n        SOB petla\r\njeden:  RST 1\r\n");
    endless.close();
    programs_.append(endless.fileName());
    QFile garbage(files_.filePath(QStringLiteral("śmieci.prg")));
    if (garbage.open(QIODevice::WriteOnly))
      garbage.write(QByteArray("\x00\xff\xfe;;\r\r\n\x01", 9));
    user_.Install(core_.Dialogs());
    // Words of every kind, so that cycles and runs do something from the start.
    TMachine& m = core_.Machine();
    for (int cell = 0; cell < m.Memory().Size(); ++cell)
      m.Memory().Store(cell, Pick(0, (1 << m.WordBits()) - 1));
    m.NotifyMemoryChanged();
    main_ = std::make_unique<TFormMain>(core_);
    main_->show();
    main_->ArrangeWindows();
    QCoreApplication::processEvents();
    // Dialogs that do not go through the dialogs' seam get an answer too.
    answerer_.setInterval(5);
    QObject::connect(&answerer_, &QTimer::timeout, [this] { AnswerModal(); });
    answerer_.start();
    QObject::connect(&core_, &TAppCore::RunStateChanged,
                     [this](bool running) { runs_ += running; });
    BuildActions();
  }
  ~TMonkey() {
    answerer_.stop();
    core_.RequestStop();
    main_.reset();
  }
  TMonkey(const TMonkey&) = delete;
  TMonkey& operator=(const TMonkey&) = delete;

  // One random action; what it was.
  QString Act() {
    if (core_.RunInProgress()) ++duringRuns_;
    PrepareAnswers();
    afterReset_ = false;
    int total = 0;
    for (const TAction& a : actions_) total += a.Weight;
    int roll = Pick(0, total - 1);
    for (const TAction& a : actions_) {
      if (roll < a.Weight) {
        const QString done = a.Do();
        Settle();
        return done;
      }
      roll -= a.Weight;
    }
    return {};
  }

  // What is wrong after the last action; empty when nothing is.
  QString Problem() {
    if (afterReset_ && !resetProblem_.isEmpty()) return resetProblem_;
    if (QString p = EditorProblem(); !p.isEmpty()) return p;
    // A run changes the machine between two refreshes of the views; the
    // window is compared when it stands still.
    if (core_.RunInProgress() && !core_.App().Waiting()) return {};
    if (!main_->MachineWindow().isVisible()) return {};
    ++comparisons_;
    return test::StaleParts(main_->MachineWindow());
  }

  // How often the machine window was compared with its whole repaint, and
  // how many actions came while a run was in progress.
  [[nodiscard]] int Comparisons() const noexcept { return comparisons_; }
  [[nodiscard]] int DuringRuns() const noexcept { return duringRuns_; }
  [[nodiscard]] int Runs() const noexcept { return runs_; }

  [[nodiscard]] const QStringList& Errors() const { return user_.Errors; }
  [[nodiscard]] bool Running() const { return core_.RunInProgress(); }

 private:
  struct TAction {
    int Weight;
    std::function<QString()> Do;
  };

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int percent) { return Pick(0, 99) < percent; }
  template <class T>
  const T& OneOf(const QList<T>& items) {
    return items.at(Pick(0, static_cast<int>(items.size()) - 1));
  }

  // Turns of the event loop, as a user's pace gives them.
  void Settle() {
    QCoreApplication::processEvents();
    if (Chance(10)) QTest::qWait(Pick(1, 40));
    // A closed main window comes back, as a user starting over would see it.
    if (!main_->isVisible()) main_->show();
  }

  // ---- answers ----

  std::optional<QString> RandomEntry() {
    const int roll = Pick(0, 99);
    if (roll < 10) return std::nullopt;
    if (roll < 60) return QString::number(Pick(-300, 300));
    static const QStringList odd = {QStringLiteral("abc"),         QString(),
                                    QStringLiteral(" 12"),         QStringLiteral("1e5"),
                                    QStringLiteral("$1F"),         QStringLiteral("-2147483648"),
                                    QStringLiteral("99999999999"), QStringLiteral("ż"),
                                    QStringLiteral("0x10"),        QStringLiteral("--1")};
    return OneOf(odd);
  }

  std::optional<QString> RandomFile() {
    const int roll = Pick(0, 99);
    if (roll < 15) return std::nullopt;
    if (roll < 40) return OneOf(programs_);
    if (roll < 55) return OneOf(lists_);
    if (roll < 65 && !instructions_.isEmpty()) return OneOf(instructions_);
    if (roll < 85) {
      static const QStringList suffixes = {QStringLiteral(".prg"), QStringLiteral(".rzk"),
                                           QStringLiteral(".lst"), QStringLiteral(".png"),
                                           QStringLiteral(".svg"), QString()};
      return files_.filePath(QStringLiteral("zapis%1%2").arg(Pick(0, 5)).arg(OneOf(suffixes)));
    }
    if (roll < 90) return files_.filePath(QStringLiteral("śmieci.prg"));
    if (roll < 95) return files_.filePath(QStringLiteral("brak/nic.prg"));
    return files_.path();
  }

  void PrepareAnswers() {
    user_.TextAnswers = {RandomEntry(), RandomEntry()};
    const QList<QMessageBox::StandardButton> buttons = {QMessageBox::Yes, QMessageBox::No,
                                                        QMessageBox::Cancel};
    user_.Answers = {OneOf(buttons), OneOf(buttons)};
    user_.FileNames = {RandomFile(), RandomFile()};
    // What the boxes said is of no interest here; it must not pile up.
    if (user_.Errors.size() > 100) user_.Errors.clear();
    user_.Informations.clear();
    user_.Questions.clear();
    user_.Prompts.clear();
  }

  // The options dialog is filled in at random and confirmed or cancelled;
  // the window list picks a window; anything else modal or a menu closes.
  void AnswerModal() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      popup->close();
      return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr) {
      modal->close();
      return;
    }
    if (answered_ == dialog) {  // a second look: the dialog refused to close
      dialog->reject();
      return;
    }
    answered_ = dialog;
    if (auto* settings = qobject_cast<TFormSettings*>(dialog)) {
      FillSettings(*settings);
      return;
    }
    if (auto* list = dialog->findChild<QListWidget*>(); list != nullptr && list->count() > 0)
      list->setCurrentRow(Pick(0, list->count() - 1));
    if (Chance(60)) {
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == u"OK") {
          button->click();
          return;
        }
      }
    }
    dialog->reject();
  }

  void FillSettings(TFormSettings& settings) {
    if (Chance(50)) (void)settings.AddressBits()->SetPosition(Pick(3, 11));
    if (Chance(50)) (void)settings.CodeBits()->SetPosition(Pick(2, 9));
    if (Chance(40)) settings.SelectPreset(Pick(0, 3));
    if (Chance(40)) settings.TickOption(Pick(1, 10), Chance(50));
    if (Chance(30)) {
      QLineEdit* field = Chance(50) ? settings.VectorAddress(Pick(1, 4)) : settings.InputPort();
      field->setText(RandomEntry().value_or(QString()));
    }
    if (Chance(70)) {
      settings.Apply();
    } else {
      settings.reject();
    }
  }

  // ---- windows ----

  std::vector<TDockedWindow*> Frames() const {
    std::vector<TDockedWindow*> frames;
    for (QWidget* w : main_->Windows()) {
      if (auto* frame = qobject_cast<TDockedWindow*>(w)) frames.push_back(frame);
    }
    return frames;
  }
  std::vector<TFormCommandEditor*> Editors() const {
    std::vector<TFormCommandEditor*> editors;
    for (TDockedWindow* frame : Frames()) {
      if (auto* editor = qobject_cast<TFormCommandEditor*>(frame->Content()))
        editors.push_back(editor);
    }
    return editors;
  }
  TDockedWindow* RandomFrame() {
    const std::vector<TDockedWindow*> frames = Frames();
    return frames.at(static_cast<std::size_t>(Pick(0, static_cast<int>(frames.size()) - 1)));
  }
  TFormCommandEditor* RandomEditor() {
    const std::vector<TFormCommandEditor*> editors = Editors();
    if (editors.empty()) return nullptr;
    return editors.at(static_cast<std::size_t>(Pick(0, static_cast<int>(editors.size()) - 1)));
  }

  // Where keys go: the widget with the focus, else the window in front.
  static QWidget* KeyTarget(QWidget* fallback) {
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return fallback;
  }
  // The editor whose text holds the widget, if any.
  static TFormCommandEditor* EditorOf(QWidget* w) {
    for (; w != nullptr; w = w->parentWidget()) {
      if (auto* editor = qobject_cast<TFormCommandEditor*>(w)) return editor;
    }
    return nullptr;
  }

  // ---- what is typed ----

  QString& Expected(TFormCommandEditor* editor) {
    for (auto& [window, text] : typed_) {
      if (window == editor) return text;
    }
    typed_.emplace_back(editor, editor->Memo()->text());
    return typed_.back().second;
  }
  // A command that edits the text on its own (undo, cut, paste, replace):
  // from now on the editor holds what it made.
  void Accept(TFormCommandEditor* editor) {
    if (editor != nullptr) Expected(editor) = editor->Memo()->text();
  }

  QString EditorProblem() {
    std::erase_if(typed_, [](const auto& entry) { return entry.first.isNull(); });
    for (TFormCommandEditor* editor : Editors()) {
      const QString& expected = Expected(editor);
      if (editor->Memo()->text() != expected) {
        const QString problem =
            QStringLiteral("the editor «%1» holds «%2», typed was «%3»")
                .arg(editor->windowTitle(), editor->Memo()->text().right(80), expected.right(80));
        Accept(editor);  // one report of it is enough
        return problem;
      }
    }
    return {};
  }

  QString RandomText() {
    static const QString letters = QStringLiteral(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789   ;:@/,.-'ąęłśżźćńóŁŻ");
    QString text;
    const int length = Pick(1, 12);
    for (int k = 0; k < length; ++k)
      text.append(letters.at(Pick(0, static_cast<int>(letters.size()) - 1)));
    return text;
  }

  // ---- the actions ----

  void BuildActions() {
    actions_ = {
        {20, [this] { return MenuCommand(); }},    {14, [this] { return PressKey(); }},
        {14, [this] { return ClickDiagram(); }},   {4, [this] { return RegisterMenu(); }},
        {6, [this] { return MachineControls(); }}, {5, [this] { return SwitchTabs(); }},
        {5, [this] { return DockOrFloat(); }},     {5, [this] { return OpenOrCloseEditor(); }},
        {10, [this] { return TypeIntoEditor(); }}, {4, [this] { return CompileEditor(); }},
        {5, [this] { return UseConsole(); }},      {4, [this] { return UseInstructionList(); }},
        {2, [this] { return Search(); }},          {5, [this] { return WaitForRun(); }},
        {8, [this] { return StartRun(); }},
    };
  }

  void NoteReset() {
    afterReset_ = true;
    resetProblem_ = core_.RunInProgress() || core_.Control().Running()
                        ? QStringLiteral("a run goes on after the reset")
                        : QString();
  }

  QString MenuCommand() {
    QAction* action = OneOf(main_->Actions());
    const QString name = action->objectName();
    action->trigger();
    if (name == u"ActionReset" && action->isEnabled()) NoteReset();
    // The standard editing commands act on the text with the focus.
    if (action->property("category").toString() == u"Edycja")
      Accept(EditorOf(QApplication::focusWidget()));
    return QStringLiteral("command ") + name;
  }

  QString PressKey() {
    const TKey& key =
        Keys().at(static_cast<std::size_t>(Pick(0, static_cast<int>(Keys().size()) - 1)));
    QWidget* target = KeyTarget(main_.get());
    if (Chance(20)) target = main_.get();
    QApplication::setActiveWindow(target->window());
    TFormCommandEditor* editor = EditorOf(target);
    QPointer<QWidget> guard = target;
    QTest::keyClick(target, key.Key, key.Modifiers);
    if (key.Key == Qt::Key_F2 && key.Modifiers == Qt::ControlModifier) NoteReset();
    if (key.Edits && editor != nullptr && !guard.isNull()) Accept(editor);
    return QStringLiteral("key %1 to %2")
        .arg(QKeySequence(QKeyCombination(key.Modifiers, key.Key)).toString(),
             guard.isNull() ? QStringLiteral("?") : guard->objectName());
  }

  // Registers, memory rows and signals more often than wires and buses.
  const TDiagramItem& RandomItem() {
    const std::span<const TDiagramItem> items = DiagramItems();
    const int roll = Pick(0, 99);
    const TItemKind wanted = roll < 40   ? TItemKind::Register
                             : roll < 60 ? TItemKind::Memory
                             : roll < 85 ? TItemKind::Signal
                                         : TItemKind::Wire;
    for (;;) {
      const TDiagramItem& item =
          items[static_cast<std::size_t>(Pick(0, static_cast<int>(items.size()) - 1))];
      if (wanted == TItemKind::Wire || item.Kind == wanted) return item;
    }
  }

  // What the item shows, or what it is when hidden.
  static QString Describe(const TMachineDiagram& diagram, const TDiagramItem& item) {
    if (diagram.Shows(item)) return diagram.TextOf(item);
    return QStringLiteral("hidden item %1/%2").arg(static_cast<int>(item.Kind)).arg(item.Id);
  }

  QString ClickDiagram() {
    TMachineDiagram& diagram = main_->MachineWindow().Diagram();
    if (!diagram.isVisible()) main_->ShowDockedForm(&main_->MachineWindow());
    const TDiagramItem& item = RandomItem();
    const QRect box = diagram.WidgetRect(item.Box);
    QPoint at = box.center();
    if (item.Kind == TItemKind::Memory) at.setY(Pick(box.top() + 1, box.bottom() - 1));
    if (Chance(10)) at = QPoint(Pick(0, diagram.width() - 1), Pick(0, diagram.height() - 1));
    if (Chance(12)) {
      QContextMenuEvent menu(QContextMenuEvent::Mouse, at, diagram.mapToGlobal(at));
      QApplication::sendEvent(&diagram, &menu);
      return QStringLiteral("menu at %1").arg(Describe(diagram, item));
    }
    const Qt::MouseButton button = Chance(85)   ? Qt::LeftButton
                                   : Chance(50) ? Qt::RightButton
                                                : Qt::MiddleButton;
    QTest::mouseClick(&diagram, button, {}, at);
    return QStringLiteral("click at %1").arg(Describe(diagram, item));
  }

  QString RegisterMenu() {
    const auto id = static_cast<TRegisterId>(Pick(0, kRegisterCount - 1));
    std::unique_ptr<QMenu> menu = main_->MachineWindow().RegisterMenu(id);
    QList<QAction*> actions;
    for (QAction* a : menu->actions()) {
      if (a->menu() != nullptr) {
        actions.append(a->menu()->actions());
      } else if (!a->isSeparator()) {
        actions.append(a);
      }
    }
    QAction* chosen = OneOf(actions);
    chosen->trigger();
    return QStringLiteral("register menu %1: %2").arg(static_cast<int>(id)).arg(chosen->text());
  }

  QString MachineControls() {
    TFormMachine& form = main_->MachineWindow();
    switch (Pick(0, 4)) {
      case 0:
        form.ManualControlBox()->click();
        return QStringLiteral("manual control");
      case 1: {
        const int level = Pick(0, 2);
        form.TrackingButton(level)->click();
        return QStringLiteral("tracking level %1").arg(level);
      }
      case 2: {
        const int tempo = Pick(0, form.TempoBox()->count() - 1);
        form.TempoBox()->setCurrentIndex(tempo);
        return QStringLiteral("tempo %1").arg(tempo);
      }
      case 3: {
        const int line = Pick(1, 4);
        if (form.InterruptButton(line)->isVisible()) form.InterruptButton(line)->click();
        return QStringLiteral("interrupt %1").arg(line);
      }
      default: {
        QScrollBar* scroll = form.MemoryScrollBar();
        scroll->setValue(Pick(scroll->minimum(), scroll->maximum()));
        return QStringLiteral("memory scrolled");
      }
    }
  }

  QString SwitchTabs() {
    TFormEditor& container = main_->Container();
    switch (Pick(0, 3)) {
      case 0:
        container.NextTab();
        return QStringLiteral("next tab");
      case 1:
        container.PreviousTab();
        return QStringLiteral("previous tab");
      case 2: {
        const QList<TDockedWindow*> tabs = container.Tabs();
        if (!tabs.isEmpty()) container.ActivateTab(OneOf(tabs));
        return QStringLiteral("a tab");
      }
      default:
        container.CloseActiveTab();
        return QStringLiteral("tab closed");
    }
  }

  QString DockOrFloat() {
    TDockedWindow* frame = RandomFrame();
    const QString name = frame->objectName();
    switch (Pick(0, 6)) {
      case 0:
        frame->setFloating(!frame->isFloating());
        return QStringLiteral("float %1").arg(name);
      case 1:
        main_->Container().DockAsTab(frame);
        return QStringLiteral("tab %1").arg(name);
      case 2:
        main_->Container().DockRight(frame);
        return QStringLiteral("right %1").arg(name);
      case 3:
        main_->Container().DockBottom(frame);
        return QStringLiteral("bottom %1").arg(name);
      case 4:
        main_->ShowForm(frame->Content());
        return QStringLiteral("show %1").arg(name);
      case 5:
        if (auto* button = frame->findChild<QToolButton*>(QStringLiteral("DockButton"));
            button != nullptr && button->isVisible())
          button->click();
        return QStringLiteral("dock button %1").arg(name);
      default:
        frame->close();
        return QStringLiteral("close %1").arg(name);
    }
  }

  QString OpenOrCloseEditor() {
    const int editors = static_cast<int>(Editors().size());
    const int roll = editors >= kMostEditors ? 99 : Pick(0, 99);
    if (roll < 20) {
      main_->NewProgram();
      return QStringLiteral("new program");
    }
    if (roll < 30) {
      main_->NewInstruction();
      return QStringLiteral("new instruction");
    }
    if (roll < 50) {
      const QString file = Chance(80) ? OneOf(programs_) : RandomFile().value_or(QString());
      main_->OpenFile(file);
      return QStringLiteral("open %1").arg(QFileInfo(file).fileName());
    }
    if (roll < 60) {
      const QString program = OneOf(programs_);
      const QString list = Chance(70) ? OneOf(lists_) : QString();
      main_->OpenExample(list, program);
      return QStringLiteral("example %1").arg(QFileInfo(program).fileName());
    }
    TFormCommandEditor* editor = RandomEditor();
    if (editor == nullptr) return QStringLiteral("no editor to close");
    const QString title = editor->windowTitle();
    main_->FrameOf(editor)->close();
    return QStringLiteral("close editor %1").arg(title);
  }

  QString TypeIntoEditor() {
    TFormCommandEditor* editor = RandomEditor();
    if (editor == nullptr) return QStringLiteral("no editor to type into");
    if (Chance(70)) main_->ShowDockedForm(editor);
    TSourceEditor* memo = editor->Memo();
    QApplication::setActiveWindow(memo->window());
    memo->setFocus();
    QString& expected = Expected(editor);
    if (memo->text() != expected) return QStringLiteral("typing skipped");  // reported already
    // The caret at the end, no list of words open, as a user clicking there.
    const int last = memo->lines() - 1;
    memo->setCursorPosition(last, static_cast<int>(memo->text(last).size()));
    QTest::keyClick(memo, Qt::Key_Escape);
    const QString text = RandomText();
    test::Type(memo, text);
    expected += text;
    if (Chance(40)) {
      QTest::keyClick(memo, Qt::Key_Escape);
      QTest::keyClick(memo, Qt::Key_Return);
      expected += QStringLiteral("\r\n");
    }
    return QStringLiteral("typed «%1» into %2").arg(text, editor->windowTitle());
  }

  QString CompileEditor() {
    TFormCommandEditor* editor = RandomEditor();
    if (editor == nullptr) return QStringLiteral("no editor to compile");
    const QString title = editor->windowTitle();
    if (Chance(50)) {
      editor->Compile();
    } else {
      editor->ActionCompile->trigger();
    }
    return QStringLiteral("compile %1").arg(title);
  }

  QString UseConsole() {
    TFormIOConsole& console = main_->Console();
    if (Chance(40)) main_->ShowDockedForm(&console);
    if (Chance(15)) {
      console.ClearOutput();
      return QStringLiteral("console cleared");
    }
    QLineEdit* input = console.InputField();
    if (Chance(20)) input->setCursorPosition(Pick(0, static_cast<int>(input->text().size())));
    const QString text = RandomText().left(3);
    test::Type(input, text);
    return QStringLiteral("console «%1»").arg(text);
  }

  QString UseInstructionList() {
    TFormMicroprogram& list = main_->InstructionListWindow();
    if (Chance(40)) main_->ShowDockedForm(&list);
    switch (Pick(0, 5)) {
      case 0:
        if (list.Commands()->count() > 0)
          list.Commands()->setCurrentRow(Pick(0, list.Commands()->count() - 1));
        return QStringLiteral("instruction chosen");
      case 1:
        if (list.Text()->count() > 0) list.Text()->setCurrentRow(Pick(0, list.Text()->count() - 1));
        list.BreakpointAction()->trigger();
        return QStringLiteral("breakpoint in an instruction");
      case 2:
        list.DeleteAction()->trigger();
        return QStringLiteral("delete an instruction");
      case 3:
        list.CopyAction()->trigger();
        return QStringLiteral("instruction copied");
      case 4:
        list.RefreshAction()->trigger();
        return QStringLiteral("list refreshed");
      default:
        main_->WatchesWindow().RefreshWatches();
        return QStringLiteral("watches refreshed");
    }
  }

  QString Search() {
    TFormCommandEditor* editor = RandomEditor();
    if (editor == nullptr) return QStringLiteral("no editor to search");
    editor->ShowFindDialog();
    if (TFindDialog* find = editor->FindDialog()) {
      find->SetText(Chance(50) ? QStringLiteral("a") : RandomText());
      Q_EMIT find->FindNext();
      if (Chance(30)) find->close();
    }
    return QStringLiteral("search in %1").arg(editor->windowTitle());
  }

  // The run commands, by their keys or from the menu.
  QString StartRun() {
    static const QStringList names = {
        QStringLiteral("ActionRunProject"), QStringLiteral("ActionRunProject"),
        QStringLiteral("ActionRunInstruction"), QStringLiteral("ActionRunToCursor"),
        QStringLiteral("ActionRunCycle")};
    QAction* action = main_->Action(OneOf(names));
    if (Chance(50)) {
      QWidget* target = KeyTarget(main_.get());
      QApplication::setActiveWindow(target->window());
      QTest::keySequence(target, action->shortcut());
    } else {
      action->trigger();
    }
    return QStringLiteral("run ") + action->objectName();
  }

  QString WaitForRun() {
    if (!core_.RunInProgress()) return QStringLiteral("no run to wait for");
    if (test::WaitForRunEnd(core_, Pick(20, 300))) return QStringLiteral("run ended");
    main_->Action(QStringLiteral("ActionAbort"))->trigger();
    const bool ended = test::WaitForRunEnd(core_, 2000);
    return ended ? QStringLiteral("run aborted") : QStringLiteral("run not aborted");
  }

  std::mt19937 random_;
  QTemporaryDir files_;
  QStringList programs_;
  QStringList lists_;
  QStringList instructions_;
  TAppCore core_;
  test::TDialogScript user_;
  std::unique_ptr<TFormMain> main_;
  QTimer answerer_;
  QPointer<QDialog> answered_;
  std::vector<TAction> actions_;
  std::vector<std::pair<QPointer<TFormCommandEditor>, QString>> typed_;
  bool afterReset_ = false;
  QString resetProblem_;
  int comparisons_ = 0;
  int duringRuns_ = 0;
  int runs_ = 0;
};

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void thousandsOfRandomActionsLeaveTheApplicationWhole() {
    const int count = EnvironmentNumber("DORUM_MONKEY_ACTIONS", kDefaultActions);
    const auto seed = static_cast<std::uint32_t>(
        EnvironmentNumber("DORUM_MONKEY_SEED", static_cast<int>(kDefaultSeed)));
    qInfo("monkey: %d actions, seed %u (DORUM_MONKEY_ACTIONS, DORUM_MONKEY_SEED)", count, seed);
    QElapsedTimer clock;
    clock.start();
    TMonkey monkey(seed);
    std::deque<QString> recent;
    for (int n = 1; n <= count; ++n) {
      recent.push_back(monkey.Act());
      if (recent.size() > 25) recent.pop_front();
      const QString problem = monkey.Problem();
      if (!problem.isEmpty()) {
        QStringList lines(recent.begin(), recent.end());
        QFAIL(qPrintable(QStringLiteral("seed %1, action %2 of %3: %4\nthe last actions:\n  %5")
                             .arg(seed)
                             .arg(n)
                             .arg(count)
                             .arg(problem, lines.join(QStringLiteral("\n  ")))));
      }
    }
    qInfo(
        "monkey: %d actions done in %lld ms; %d runs, %d actions during one; the machine "
        "window compared %d times",
        count, static_cast<long long>(clock.elapsed()), monkey.Runs(), monkey.DuringRuns(),
        monkey.Comparisons());
  }
};

int main(int argc, char** argv) {
  // A long walk outlasts the test library's five minutes for a function.
  const int actions = EnvironmentNumber("DORUM_MONKEY_ACTIONS", kDefaultActions);
  if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
    qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(std::max(300, actions / 10) * 1000));
  QApplication application(argc, argv);
  application.setAttribute(Qt::AA_Use96Dpi, true);
  // The offscreen platform warns of every window raised; the summary at the
  // end must not be drowned with them.
  QStringList arguments = QCoreApplication::arguments();
  if (!arguments.contains(QStringLiteral("-maxwarnings")))
    arguments << QStringLiteral("-maxwarnings") << QStringLiteral("0");
  MonkeyTest test;
  return QTest::qExec(&test, arguments);
}

#include "MonkeyTest.moc"
