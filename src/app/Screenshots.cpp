// Makes the screenshots of the README: the application as a student sees it,
// on the default machine after a few cycles and on the "Ombra" machine, with
// a program editor showing colouring, breakpoints and the current line, and
// the instruction list window during a run, and the machine window alone,
// small and large. Run it under a display (Xvfb): tools/screenshots.sh does,
// once more with "dark" as the third argument for a dark desktop's palette.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QStyleFactory>
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
#include "FormTiming.h"
#include "SourceEditor.h"
#include "TimingDiagram.h"

namespace {

using namespace dorum::gui;

// How long each scene is given to settle (layouts, the views' clock) before
// it is taken.
constexpr int kSettleMs = 400;

// A scene shows the whole screen, or one window when it names one.
void Shoot(const QDir& folder, const QString& name, QWidget* window) {
  const QPixmap picture =
      window != nullptr ? window->grab() : QGuiApplication::primaryScreen()->grabWindow(0);
  picture.save(folder.filePath(name + QStringLiteral(".png")));
}

// What a desktop set to a dark theme hands the application.
void UseDarkPalette(QApplication& application) {
  application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette dark;
  const QColor window(0x2d, 0x2d, 0x30), base(0x1e, 0x1e, 0x1e), text(0xe6, 0xe6, 0xe6);
  for (const auto& [role, colour] : {std::pair{QPalette::Window, window},
                                     {QPalette::WindowText, text},
                                     {QPalette::Base, base},
                                     {QPalette::AlternateBase, window},
                                     {QPalette::Text, text},
                                     {QPalette::Button, window},
                                     {QPalette::ButtonText, text},
                                     {QPalette::ToolTipBase, base},
                                     {QPalette::ToolTipText, text},
                                     {QPalette::Highlight, QColor(0x3a, 0x6e, 0xa5)},
                                     {QPalette::HighlightedText, text},
                                     {QPalette::Mid, QColor(0x55, 0x55, 0x58)},
                                     {QPalette::Light, QColor(0x4a, 0x4a, 0x4e)},
                                     {QPalette::Dark, QColor(0x18, 0x18, 0x1a)}})
    dark.setColor(role, colour);
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  application.setPalette(dark);
}

struct TScene {
  QString Name;
  std::function<void()> SetUp;
  std::function<QWidget*()> Window = [] { return nullptr; };
};

// The scenes, one after another from the event loop: each is set up, left
// to settle, then taken; the last one ends the application.
void PlayScenes(std::vector<TScene> scenes, const QDir& folder, std::size_t next = 0) {
  if (next == scenes.size()) {
    QCoreApplication::quit();
    return;
  }
  scenes[next].SetUp();
  QTimer::singleShot(kSettleMs, [scenes = std::move(scenes), folder, next]() mutable {
    Shoot(folder, scenes[next].Name, scenes[next].Window());
    PlayScenes(std::move(scenes), folder, next + 1);
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  if (argc > 3 && QString::fromLocal8Bit(argv[3]) == QStringLiteral("dark"))
    UseDarkPalette(application);
  const QDir examples(QStringLiteral(DORUM_EXAMPLES_DIR));

  TAppCore core;
  core.Dialogs().ShowInformation = [](QWidget*, const QString&) {};
  core.Dialogs().ShowError = [](QWidget*, const QString&) {};
  TFormMain main(core);
  main.show();
  main.ArrangeWindows();

  TFormCommandEditor* editor = nullptr;
  TFormCommandEditor* echo = nullptr;
  std::vector<TScene> scenes;
  // The default machine, a program and a few cycles of it.
  scenes.push_back({QStringLiteral("machine") + suffix, [&] {
                      editor = main.OpenFile(examples.filePath(QStringLiteral("dorum/suma.prg")));
                      editor->Compile();
                      main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
                      for (int k = 0; k < 5; ++k)
                        core.Run(nullptr, [&] { return core.Control().ExecuteCycle(); });
                    }});
  // The program editor: colouring, a breakpoint and the current line.
  scenes.push_back({QStringLiteral("program-editor") + suffix, [&] {
                      auto* program = qobject_cast<TFormProgramEditor*>(editor);
                      program->Document().Debugger().ToggleBreakpoint(
                          program->Document().LineOfAddress(3));
                      main.Container().ActivateTab(main.FrameOf(editor));
                      core.Run(nullptr, [&] { return core.Control().ExecuteInstruction(); });
                    }});
  // The "Ombra" machine with its instruction list, the list window beside
  // the diagram while a program runs.
  scenes.push_back({QStringLiteral("ombra") + suffix, [&] {
                      main.InstructionListWindow().LoadInstructionList(
                          examples.filePath(QStringLiteral("ombra/ombra.lst")));
                      echo = main.OpenFile(examples.filePath(QStringLiteral("ombra/echo.prg")));
                      echo->Compile();
                      main.Container().DockRight(main.FrameOf(&main.InstructionListWindow()));
                      main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
                      core.Machine().TypeInput("ab");
                      core.Control().SetTrackingLevel(1);
                      for (int k = 0; k < 12; ++k)
                        core.Run(nullptr, [&] { return core.Control().ExecuteInstruction(); });
                    }});
  // Stepped back three clock cycles: the diagram, the list window and the
  // program's current line show the earlier state.
  scenes.push_back({QStringLiteral("step-back") + suffix, [&] {
                      main.Container().DockBottom(main.FrameOf(echo));
                      main.Container().ActivateTab(main.FrameOf(&main.MachineWindow()));
                      for (int k = 0; k < 3; ++k) core.StepBack(false);
                    }});
  // The help window on the entry of a signal.
  scenes.push_back({QStringLiteral("help") + suffix, [&] {
                      main.HelpWindow().ShowTopic(QStringLiteral("wyad"));
                      main.Container().DockAsTab(main.FrameOf(&main.HelpWindow()));
                    }});
  // The machine window floating on its own, small: the controls keep their
  // room and the diagram shrinks to what is left.
  TDockedWindow* machine = main.FrameOf(&main.MachineWindow());
  scenes.push_back({QStringLiteral("machine-small") + suffix,
                    [&] {
                      machine->setFloating(true);
                      machine->resize(500, 350);
                      machine->show();
                      machine->raise();
                    },
                    [&] { return static_cast<QWidget*>(machine); }});
  // The timing diagram of the sum example run to its end, with the
  // registers a student follows first.
  TDockedWindow* timing = main.FrameOf(&main.TimingWindow());
  scenes.push_back({QStringLiteral("timing") + suffix,
                    [&] {
                      TFormCommandEditor* sum = main.OpenExample(
                          QString(), examples.filePath(QStringLiteral("dorum/suma.prg")));
                      sum->Compile();
                      core.Control().SetTrackingLevel(0);
                      core.Run(nullptr, [&] { return core.Control().ExecuteProgram(-1); });
                      for (const dorum::TRegisterId id :
                           {dorum::TRegisterId::L, dorum::TRegisterId::I, dorum::TRegisterId::AK})
                        main.TimingWindow().ShowRegister(id, true);
                      timing->setFloating(true);
                      timing->resize(1180, 700);
                      timing->show();
                      timing->raise();
                      main.TimingWindow().Diagram().ScrollToCycle(0);
                    },
                    [&] { return static_cast<QWidget*>(timing); }});
  QTimer::singleShot(kSettleMs, [&] { PlayScenes(std::move(scenes), folder); });
  return QApplication::exec();
}
