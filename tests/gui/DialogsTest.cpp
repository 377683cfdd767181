// The project options dialog and the window list dialog.
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "AppCore.h"
#include "GuiTestSupport.h"
#include "SettingsDialog.h"
#include "WindowList.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

TComponentSet Set(std::initializer_list<int> options) {
  TComponentSet set;
  for (const int option : options) set.set(static_cast<std::size_t>(option));
  return set;
}

QAbstractButton* PresetButton(TFormSettings& dialog, int index) {
  return dialog.findChild<QWidget*>(QStringLiteral("RadioGroupType"))
      ->findChildren<QAbstractButton*>()
      .at(index);
}

struct TCore {
  TAppCore Core;
  test::TDialogScript User;
  TCore() { User.Install(Core.Dialogs()); }
};

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void optionsOpenOnTheFirstTabWithTheMachinesValues() {
    TCore c;
    c.Core.Machine().SetAddressBits(7);
    c.Core.Machine().SetComponents(Set({0, 6}));  // no preset
    TFormSettings dialog(c.Core);
    QCOMPARE(dialog.Tabs()->currentIndex(), 0);
    QCOMPARE(dialog.Tabs()->tabText(0), QStringLiteral("Architektura"));
    QCOMPARE(dialog.AddressBits()->Position(), 7);
    QCOMPARE(dialog.CodeBits()->Position(), 3);
    QCOMPARE(dialog.SelectedPreset(), -1);
    QCOMPARE(dialog.TickedComponents(), Set({0, 6}));
    QCOMPARE(dialog.VectorLabel(1)->text(), QStringLiteral("AP1"));
    QCOMPARE(dialog.InputPort()->text(), QStringLiteral("1"));
  }

  void presetsTickTheirComponentsAndTicksChooseThePreset() {
    TCore c;
    TFormSettings dialog(c.Core);
    QCOMPARE(dialog.SelectedPreset(), 0);  // "Dorum"
    // A click on "Pelt".
    PresetButton(dialog, 2)->click();
    QCOMPARE(dialog.TickedComponents(), Set({0, 1, 2, 3, 4, 5, 6, 7}));
    // Ticking register X alone from "Dorum" matches no preset; the link
    // alone makes "Dorum+".
    PresetButton(dialog, 0)->click();
    QCOMPARE(dialog.TickedComponents(), Set({0}));
    dialog.TickOption(6, true);
    QCOMPARE(dialog.SelectedPreset(), -1);
    dialog.TickOption(6, false);
    dialog.TickOption(1, true);
    QCOMPARE(dialog.SelectedPreset(), 1);
  }

  void theWidthArrowsStopAtTheirLimits() {
    TCore c;
    TFormSettings dialog(c.Core);
    for (int k = 0; k < 20; ++k) dialog.AddressBits()->Up()->click();
    QCOMPARE(dialog.AddressBits()->Position(), 16);
    for (int k = 0; k < 20; ++k) dialog.CodeBits()->Down()->click();
    QCOMPARE(dialog.CodeBits()->Position(), 3);
    QVERIFY(!dialog.CodeBits()->SetPosition(9));
    QCOMPARE(dialog.CodeBits()->Position(), 3);
  }

  void okWritesEverythingInOrderAndKeepsTheWidthsOfAPreset() {
    TCore c;
    c.Core.Machine().SetAddressBits(8);
    TFormSettings dialog(c.Core);
    PresetButton(dialog, 2)->click();
    dialog.CodeBits()->SetPosition(5);
    dialog.VectorLabel(2)->setText(QStringLiteral("obsluga"));
    dialog.VectorAddress(2)->setText(QStringLiteral("$10"));
    dialog.OutputPort()->setText(QStringLiteral("7"));
    dialog.InputInterrupt()->setText(QStringLiteral("2"));
    dialog.Apply();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const TMachine& m = c.Core.Machine();
    QCOMPARE(m.AddressBits(), 8);
    QCOMPARE(m.CodeBits(), 5);
    QCOMPARE(m.GetComponents(), Set({0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(m.Vectors()[1].LabelName, QStringLiteral("obsluga"));
    QCOMPARE(m.Vectors()[1].Address, 16);
    QCOMPARE(m.IOPorts().OutputPort, 7);
    QCOMPARE(m.IOPorts().InputInterrupt, 2);
    QCOMPARE(m.IOPorts().OutputInterrupt, 4);
  }

  void okWithNothingChangedKeepsTheRunsHistory() {
    TCore c;
    TMachine& m = c.Core.Machine();
    m.SetComponents(Set({0, 1}));
    // "dod 5" and "sob 0" in a loop.
    m.Memory().Store(0, 1 * 32 + 5);
    m.Memory().Store(1, 5 * 32 + 0);
    m.Memory().Store(5, 1);
    m.ResetMachine();
    for (int k = 0; k < 3; ++k) c.Core.Control().ExecuteCycle();
    const std::uint64_t steps = c.Core.History().UndoableSteps();
    QCOMPARE(steps, std::uint64_t{3});
    (void)c.Core.Machine().TakeChanges();
    {
      TFormSettings dialog(c.Core);
      dialog.Apply();
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    // Nothing changed, nothing starts anew: the cycles can still be undone
    // and the views are told of no new configuration.
    QCOMPARE(c.Core.History().UndoableSteps(), steps);
    QVERIFY(!c.Core.Machine().TakeChanges().Configuration);
    // One width changed is a new machine: its history starts anew.
    TFormSettings dialog(c.Core);
    dialog.CodeBits()->SetPosition(4);
    dialog.Apply();
    QCOMPARE(c.Core.Machine().CodeBits(), 4);
    QCOMPARE(c.Core.Machine().AddressBits(), 5);
    QCOMPARE(c.Core.Machine().GetComponents(), Set({0, 1}));
    QCOMPARE(c.Core.History().UndoableSteps(), std::uint64_t{0});
  }

  void aBadFieldIsShownAndNothingIsWritten() {
    TCore c;
    TFormSettings dialog(c.Core);
    dialog.show();
    dialog.CodeBits()->SetPosition(6);
    dialog.OutputPort()->setText(QStringLiteral("sie7"));
    dialog.Apply();
    QCOMPARE(c.User.Errors, QStringList{QStringLiteral("'sie7' is not a valid integer value.")});
    QVERIFY(dialog.isVisible());  // the dialog stays open
    QCOMPARE(dialog.Tabs()->currentIndex(), 2);
    QCOMPARE(dialog.focusWidget(), dialog.OutputPort());
    QCOMPARE(c.Core.Machine().CodeBits(), 3);  // not even the widths were applied
    dialog.OutputPort()->setText(QStringLiteral("3"));
    dialog.Apply();
    QCOMPARE(c.Core.Machine().CodeBits(), 6);
    QCOMPARE(c.Core.Machine().IOPorts().OutputPort, 3);
  }

  void cancelChangesNothing() {
    TCore c;
    TFormSettings dialog(c.Core);
    dialog.CodeBits()->SetPosition(8);
    dialog.reject();
    QCOMPARE(c.Core.Machine().CodeBits(), 3);
  }

  void theWindowListShowsFloatingVisibleWindowsByCaption() {
    QMainWindow a, b, hidden, untitled;
    a.setObjectName(QStringLiteral("FormA"));
    a.setWindowTitle(QStringLiteral("Zmienne"));
    b.setObjectName(QStringLiteral("FormB"));
    b.setWindowTitle(QStringLiteral("Edytor"));
    hidden.setObjectName(QStringLiteral("FormHidden"));
    hidden.setWindowTitle(QStringLiteral("Ukryte"));
    untitled.setObjectName(QStringLiteral("FormUntitled"));
    QMainWindow twin;
    twin.setObjectName(QStringLiteral("FormA_1"));
    twin.setWindowTitle(QStringLiteral("Zmienne"));
    QWidget docked(&a);  // a child: not a window of its own
    docked.setWindowTitle(QStringLiteral("W środku"));
    for (QWidget* w : std::initializer_list<QWidget*>{&a, &b, &untitled, &twin, &docked}) w->show();
    TFormWindowList list({&a, &b, &hidden, &untitled, &twin, &docked});
    QCOMPARE(list.Captions(), (QStringList{"Edytor", "Zmienne", "Zmienne"}));
    QCOMPARE(list.List()->currentRow(), 0);
    // Two of one caption are told apart, and ordered, by their names.
    list.List()->setCurrentRow(2);
    a.showMinimized();
    list.ActivateSelected();
    QCOMPARE(list.result(), int(QDialog::Accepted));
    list.List()->setCurrentRow(1);
    list.ActivateSelected();
    QVERIFY(!a.isMinimized());  // restored before it was brought up
    QCOMPARE(UniqueWindowName(QStringLiteral("FormA"), {&a, &twin}), QStringLiteral("FormA_2"));
    QCOMPARE(UniqueWindowName(QStringLiteral("FormC"), {&a, &twin}), QStringLiteral("FormC"));
  }

  void anEmptyWindowListJustCloses() {
    TFormWindowList list({});
    QVERIFY(list.Captions().isEmpty());
    list.ActivateSelected();
    QCOMPARE(list.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
