// Makes the screenshots of the README: the application as a student sees it,
// on the default machine after a few cycles and on the "Ombra" machine, with
// a program editor showing colouring, breakpoints and the current line, and
// the instruction list window during a run. Run it under a display (Xvfb):
// tools/screenshots.sh does.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <vector>

#include "AppCore.h"
#include "DockedWindow.h"
#include "FormCommandEditor.h"
#include "FormEditor.h"
#include "FormHelp.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "FormProgramEditor.h"
#include "SourceEditor.h"

namespace {

using namespace dorum::gui;

// How long each scene is given to settle (layouts, the views' clock) before
// it is taken.
constexpr int kSettleMs = 400;

void Shoot(const QDir& folder, const QString& name) {
  const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
  screen.save(folder.filePath(name + QStringLiteral(".png")));
}

// The scenes, one after another from the event loop: each is set up, left
// to settle, then taken; the last one ends the application.
void PlayScenes(std::vector<std::pair<QString, std::function<void()>>> scenes, const QDir& folder,
                std::size_t next = 0) {
  if (next == scenes.size()) {
    QCoreApplication::quit();
    return;
  }
  scenes[next].second();
  QTimer::singleShot(kSettleMs, [scenes = std::move(scenes), folder, next]() mutable {
    Shoot(folder, scenes[next].first);
    PlayScenes(std::move(scenes), folder, next + 1);
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  const QDir examples(QStringLiteral(DORUM_EXAMPLES_DIR));

  TAppCore core;
  core.Dialogs().ShowInformation = [](QWidget*, const QString&) {};
  core.Dialogs().ShowError = [](QWidget*, const QString&) {};
  TFormMain main(core);
  main.show();
  main.ArrangeWindows();

  TFormCommandEditor* editor = nullptr;
  TFormCommandEditor* echo = nullptr;
  std::vector<std::pair<QString, std::function<void()>>> scenes;
  // The default machine, a program and a few cycles of it.
  scenes.emplace_back(QStringLiteral("machine") + suffix, [&] {
    editor = main.OpenFile(examples.filePath(QStringLiteral("dorum/suma.prg")));
    editor->Compile();
    main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
    for (int k = 0; k < 5; ++k) core.Run(nullptr, [&] { core.Control().ExecuteCycle(); });
  });
  // The program editor: colouring, a breakpoint and the current line.
  scenes.emplace_back(QStringLiteral("program-editor") + suffix, [&] {
    auto* program = qobject_cast<TFormProgramEditor*>(editor);
    program->Document().Debugger().ToggleBreakpoint(program->Document().LineOfAddress(3));
    main.Container().ActivateTab(main.FrameOf(editor));
    core.Run(nullptr, [&] { core.Control().ExecuteInstruction(); });
  });
  // The "Ombra" machine with its instruction list, the list window beside
  // the diagram while a program runs.
  scenes.emplace_back(QStringLiteral("ombra") + suffix, [&] {
    main.InstructionListWindow().LoadInstructionList(
        examples.filePath(QStringLiteral("ombra/ombra.lst")));
    echo = main.OpenFile(examples.filePath(QStringLiteral("ombra/echo.prg")));
    echo->Compile();
    main.Container().DockRight(main.FrameOf(&main.InstructionListWindow()));
    main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
    core.Machine().TypeInput(QStringLiteral("ab"));
    core.Control().SetTrackingLevel(1);
    for (int k = 0; k < 12; ++k) core.Run(nullptr, [&] { core.Control().ExecuteInstruction(); });
  });
  // Stepped back three clock cycles: the diagram, the list window and the
  // program's current line show the earlier state.
  scenes.emplace_back(QStringLiteral("step-back") + suffix, [&] {
    main.Container().DockBottom(main.FrameOf(echo));
    main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
    for (int k = 0; k < 3; ++k) core.StepBack(false);
  });
  // The help window on the entry of a signal.
  scenes.emplace_back(QStringLiteral("help") + suffix, [&] {
    main.HelpWindow().ShowTopic(QStringLiteral("wyad"));
    main.Container().DockAsTab(main.FrameOf(&main.HelpWindow()));
  });
  QTimer::singleShot(kSettleMs, [&] { PlayScenes(std::move(scenes), folder); });
  return QApplication::exec();
}
