// The machine window repaints only what the machine's changes touch, and
// still shows the machine as it is: after any command the picture left on
// the screen equals the window brought up to date and painted whole.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <random>

#include "AppCore.h"
#include "CoreText.h"
#include "FormCommandEditor.h"
#include "FormIOConsole.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "FormMicroprogram.h"
#include "GuiTestSupport.h"
#include "MachineDiagram.h"
#include "machine/MachineConfig.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

// The application as it starts, the machine window in front.
struct TDesktop {
  TAppCore Core;
  test::TDialogScript User;
  std::unique_ptr<TFormMain> Main;

  TDesktop() {
    User.Install(Core.Dialogs());
    Main = std::make_unique<TFormMain>(Core);
    Main->show();
    Main->ArrangeWindows();
    QCoreApplication::processEvents();
  }
  ~TDesktop() { Main.reset(); }

  void Trigger(const char* action) {
    Main->UpdateActions();
    Main->Action(QString::fromLatin1(action))->trigger();
    QVERIFY(test::WaitForRunEnd(Core));
  }
  TFormMachine& Form() const { return Main->MachineWindow(); }
  TMachineDiagram& Diagram() const { return Form().Diagram(); }
  const TDiagramItem& Item(TItemKind kind, int id) const {
    for (const TDiagramItem& item : DiagramItems()) {
      if (item.Kind == kind && item.Id == id) return item;
    }
    qFatal("no such item");
  }
  void Click(TItemKind kind, int id) {
    QTest::mouseClick(&Diagram(), Qt::LeftButton, {},
                      Diagram().WidgetRect(Item(kind, id).Box).center());
  }
  void EnterIntoRegister(TRegisterId id, const QString& text) {
    User.TextAnswers = {text};
    Click(TItemKind::Register, static_cast<int>(id));
  }
};

QString Examples() {
  return QStringLiteral(DORUM_EXAMPLES_DIR);
}

}  // namespace

class IncrementalViewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aRegisterEnteredAfterSteppingBackAnInstructionIsDrawn() {
    TDesktop app;
    TMachine& m = app.Core.Machine();
    // An endless loop: "dod 5" and "sob 0", with 1 in word 5.
    m.Memory().Store(0, 1 * 32 + 5);
    m.Memory().Store(1, 5 * 32 + 0);
    m.Memory().Store(5, 1);
    m.NotifyMemoryChanged();
    app.Trigger("ActionReset");
    app.Trigger("ActionRunInstruction");
    app.Trigger("ActionRunInstruction");
    app.Trigger("ActionStepBackInstruction");
    QCOMPARE(test::StaleParts(app.Form()), QString());
    app.EnterIntoRegister(TRegisterId::A, QStringLiteral("41"));
    QCOMPARE(Q(m.RegisterText(TRegisterId::A)), QStringLiteral("A : 9"));
    QCOMPARE(test::StaleParts(app.Form()), QString());
  }

  void typingForAProgramWaitingAtItsInputDrawsRbAndG() {
    TDesktop app;
    app.Main->InstructionListWindow().LoadInstructionList(
        QDir(Examples()).filePath(QStringLiteral("ombra/ombra.lst")));
    TFormCommandEditor* editor =
        app.Main->OpenFile(QDir(Examples()).filePath(QStringLiteral("ombra/echo.prg")));
    QVERIFY(editor != nullptr);
    editor->Compile();
    app.Main->ShowDockedForm(&app.Form());
    // Cycle by cycle into the input instruction, which waits for a key.
    for (int k = 0; k < 10 && !app.Core.Control().WaitingForInput(); ++k)
      app.Trigger("ActionRunCycle");
    QVERIFY(app.Core.Control().WaitingForInput());
    QCOMPARE(test::StaleParts(app.Form()), QString());
    app.Main->Console().InputField()->setText(QString());
    QTest::keyClicks(app.Main->Console().InputField(), QStringLiteral("a"));
    QCOMPARE(app.Core.Machine().Register(TRegisterId::G).Value(), 1);
    QCOMPARE(test::StaleParts(app.Form()), QString());
  }

  void randomCommandsNeverLeaveTheWindowStale() {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
      std::mt19937 random(seed);
      const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
      };
      TDesktop app;
      TMachine& m = app.Core.Machine();
      app.Main->InstructionListWindow().LoadInstructionList(
          QDir(Examples()).filePath(QStringLiteral("ombra/ombra.lst")));
      for (int cell = 0; cell < m.Memory().Size(); ++cell)
        m.Memory().Store(cell, pick(0, (1 << m.WordBits()) - 1));
      m.NotifyMemoryChanged();
      app.Core.Control().SetTrackingLevel(pick(0, 1));
      app.Core.SetAnimationDelay(0);
      QStringList done;
      for (int n = 0; n < 24; ++n) {
        const int roll = pick(0, 99);
        const auto reg = static_cast<TRegisterId>(pick(0, kRegisterCount - 1));
        if (roll < 25) {
          done.append(QStringLiteral("cycle"));
          app.Trigger("ActionRunCycle");
        } else if (roll < 35) {
          done.append(QStringLiteral("instruction"));
          app.Trigger("ActionRunInstruction");
        } else if (roll < 45) {
          done.append(QStringLiteral("step back"));
          app.Trigger(pick(0, 1) == 0 ? "ActionStepBackCycle" : "ActionStepBackInstruction");
        } else if (roll < 48) {
          done.append(QStringLiteral("reset"));
          app.Trigger("ActionReset");
        } else if (roll < 65) {
          done.append(QStringLiteral("register %1").arg(static_cast<int>(reg)));
          if (m.Register(reg).Visible())
            app.EnterIntoRegister(
                reg, pick(0, 5) == 0 ? QStringLiteral("x") : QString::number(pick(-300, 300)));
        } else if (roll < 75) {
          done.append(QStringLiteral("memory"));
          const QRect memory = app.Diagram().WidgetRect(app.Item(TItemKind::Memory, 0).Box);
          app.User.TextAnswers = {QString::number(pick(-9, 400))};
          QTest::mouseClick(
              &app.Diagram(), Qt::LeftButton, {},
              QPoint(memory.center().x(), pick(memory.top() + 2, memory.bottom() - 2)));
        } else if (roll < 80) {
          done.append(QStringLiteral("manual"));
          app.Form().ManualControlBox()->click();
        } else if (roll < 88) {
          done.append(QStringLiteral("signal"));
          app.Click(TItemKind::Signal, pick(0, kSignalCount - 1));
        } else if (roll < 92) {
          done.append(QStringLiteral("mode"));
          std::unique_ptr<QMenu> menu = app.Form().RegisterMenu(reg);
          const QList<QAction*> modes = menu->actions().at(1)->menu()->actions();
          modes.at(pick(0, static_cast<int>(modes.size()) - 1))->trigger();
        } else if (roll < 96) {
          done.append(QStringLiteral("interrupt"));
          app.Form().InterruptButton(pick(1, 4))->click();
        } else {
          done.append(QStringLiteral("typing"));
          QTest::keyClicks(app.Main->Console().InputField(), QStringLiteral("x"));
        }
        const QString stale = test::StaleParts(app.Form());
        QVERIFY2(stale.isEmpty(), qPrintable(QStringLiteral("seed %1 after %2: %3")
                                                 .arg(seed)
                                                 .arg(done.join(QStringLiteral(", ")), stale)));
      }
    }
  }
};

QTEST_MAIN(IncrementalViewTest)
#include "IncrementalViewTest.moc"
