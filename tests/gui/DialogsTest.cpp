// The project options dialog and the window list dialog.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "AppCore.h"
#include "CoreText.h"
#include "FindDialogs.h"
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

  void everyPresetTicksExactlyItsComponentsAndIsFoundAgainFromTheTicks() {
    TCore c;
    TFormSettings dialog(c.Core);
    const struct {
      const char* Name;
      TComponentSet Components;
    } presets[] = {
        {"Dorum", Set({0})},
        {"Dorum+", Set({0, 1})},
        {"Pelt", Set({0, 1, 2, 3, 4, 5, 6, 7})},
        {"Ombra", Set({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
    };
    QCOMPARE(dialog.CheckList()->count(), 10);
    for (int k = 0; k < 4; ++k) {
      const auto& preset = presets[k];
      QCOMPARE(PresetButton(dialog, k)->text(), QString::fromUtf8(preset.Name));
      PresetButton(dialog, k)->click();
      QCOMPARE(dialog.TickedComponents(), preset.Components);
      QCOMPARE(dialog.SelectedPreset(), k);
      // Ticks item by item from the empty set select the preset again,
      // and not before its last component.
      PresetButton(dialog, 0)->click();
      for (int option = 1; option <= 10; ++option) {
        if (!preset.Components.test(static_cast<std::size_t>(option))) continue;
        QVERIFY(dialog.SelectedPreset() != k || k == 0);
        dialog.TickOption(option, true);
      }
      QCOMPARE(dialog.SelectedPreset(), k);
      // Any tick more leaves the preset.
      for (int option = 1; option <= 10; ++option) {
        if (preset.Components.test(static_cast<std::size_t>(option))) continue;
        dialog.TickOption(option, true);
        QVERIFY(dialog.SelectedPreset() != k);
        dialog.TickOption(option, false);
        QCOMPARE(dialog.SelectedPreset(), k);
      }
    }
    // The sets of the presets are what "OK" writes.
    PresetButton(dialog, 3)->click();
    dialog.Apply();
    QCOMPARE(c.Core.Machine().GetComponents(), presets[3].Components);
  }

  void eachWidthStopsAtBothOfItsLimits() {
    TCore c;
    TFormSettings dialog(c.Core);
    const struct {
      TUpDown* Box;
      int Minimum;
      int Maximum;
    } widths[] = {{dialog.AddressBits(), 5, 16}, {dialog.CodeBits(), 3, 8}};
    for (const auto& w : widths) {
      QVERIFY(!w.Box->SetPosition(w.Minimum - 1));
      QVERIFY(!w.Box->SetPosition(w.Maximum + 1));
      QVERIFY(w.Box->SetPosition(w.Minimum));
      w.Box->Down()->click();
      QCOMPARE(w.Box->Position(), w.Minimum);
      w.Box->Up()->click();
      QCOMPARE(w.Box->Position(), w.Minimum + 1);
      QVERIFY(w.Box->SetPosition(w.Maximum));
      w.Box->Up()->click();
      QCOMPARE(w.Box->Position(), w.Maximum);
      w.Box->Down()->click();
      QCOMPARE(w.Box->Position(), w.Maximum - 1);
    }
    // Both limits are written as they are.
    dialog.AddressBits()->SetPosition(16);
    dialog.CodeBits()->SetPosition(3);
    dialog.Apply();
    QCOMPARE(c.Core.Machine().AddressBits(), 16);
    QCOMPARE(c.Core.Machine().CodeBits(), 3);
  }

  void everyAddressFieldIsShownAndWrittenToItsOwnPlace() {
    TCore c;
    TMachine& m = c.Core.Machine();
    m.SetComponents(Set({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    {
      TFormSettings dialog(c.Core);
      for (int line = 1; line <= 4; ++line) {
        dialog.VectorLabel(line)->setText(QStringLiteral("obs%1").arg(line));
        dialog.VectorAddress(line)->setText(QString::number(10 + line));
      }
      dialog.InputPort()->setText(QStringLiteral("21"));
      dialog.OutputPort()->setText(QStringLiteral("22"));
      dialog.InputInterrupt()->setText(QStringLiteral("3"));
      dialog.OutputInterrupt()->setText(QStringLiteral("1"));
      dialog.Apply();
    }
    for (std::size_t k = 0; k < 4; ++k) {
      QCOMPARE(Q(m.Vectors()[k].LabelName), QStringLiteral("obs%1").arg(k + 1));
      QCOMPARE(m.Vectors()[k].Address, static_cast<int>(11 + k));
    }
    QCOMPARE(m.IOPorts().InputPort, 21);
    QCOMPARE(m.IOPorts().OutputPort, 22);
    QCOMPARE(m.IOPorts().InputInterrupt, 3);
    QCOMPARE(m.IOPorts().OutputInterrupt, 1);
    // Shown again as written.
    TFormSettings dialog(c.Core);
    for (int line = 1; line <= 4; ++line) {
      QCOMPARE(dialog.VectorLabel(line)->text(), QStringLiteral("obs%1").arg(line));
      QCOMPARE(dialog.VectorAddress(line)->text(), QString::number(10 + line));
    }
    QCOMPARE(dialog.InputPort()->text(), QStringLiteral("21"));
    QCOMPARE(dialog.OutputPort()->text(), QStringLiteral("22"));
    QCOMPARE(dialog.InputInterrupt()->text(), QStringLiteral("3"));
    QCOMPARE(dialog.OutputInterrupt()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.SelectedPreset(), 3);
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
    QCOMPARE(Q(m.Vectors()[1].LabelName), QStringLiteral("obsluga"));
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

  void theSearchDialogsPassEveryBoxAsTickedAndEachButtonItsOwnCommand() {
    TFindDialog find;
    TReplaceDialog replace;
    QVERIFY(find.Down->isChecked());  // forward, until chosen otherwise
    QVERIFY(!find.MatchCase->isChecked());
    QVERIFY(!find.WholeWord->isChecked());
    const auto shown = [](const TSearchOptions& o) {
      return QStringLiteral("%1%2%3").arg(o.MatchCase).arg(o.WholeWord).arg(o.Backwards);
    };
    for (int ticks = 0; ticks < 8; ++ticks) {
      const bool matchCase = (ticks & 1) != 0;
      const bool wholeWord = (ticks & 2) != 0;
      const bool up = (ticks & 4) != 0;
      find.MatchCase->setChecked(matchCase);
      find.WholeWord->setChecked(wholeWord);
      (up ? find.Up : find.Down)->setChecked(true);
      QCOMPARE(shown(find.Options()), shown({matchCase, wholeWord, up}));
      // The replace dialog always searches forward.
      replace.MatchCase->setChecked(matchCase);
      replace.WholeWord->setChecked(wholeWord);
      QCOMPARE(shown(replace.Options()), shown({matchCase, wholeWord, false}));
    }
    find.SetText(QStringLiteral("dod"));
    QCOMPARE(find.Text(), QStringLiteral("dod"));
    QCOMPARE(find.TextEdit->selectedText(), QStringLiteral("dod"));  // typing replaces it
    replace.SetText(QStringLiteral("pob"));
    replace.ReplacementEdit->setText(QStringLiteral("ład"));
    QCOMPARE(replace.Text(), QStringLiteral("pob"));
    QCOMPARE(replace.TextEdit->selectedText(), QStringLiteral("pob"));
    QCOMPARE(replace.Replacement(), QStringLiteral("ład"));
    // Each button asks for its own command; "Anuluj" only hides.
    QStringList asked;
    connect(&find, &TFindDialog::FindNext, this, [&] { asked.append(QStringLiteral("find")); });
    connect(&replace, &TReplaceDialog::FindNext, this,
            [&] { asked.append(QStringLiteral("next")); });
    connect(&replace, &TReplaceDialog::Replace, this, [&] { asked.append(QStringLiteral("one")); });
    connect(&replace, &TReplaceDialog::ReplaceAll, this,
            [&] { asked.append(QStringLiteral("all")); });
    find.FindNextButton->click();
    replace.FindNextButton->click();
    replace.ReplaceButton->click();
    replace.ReplaceAllButton->click();
    QCOMPARE(asked, (QStringList{"find", "next", "one", "all"}));
    QVERIFY(find.FindNextButton->isDefault());
    QVERIFY(replace.FindNextButton->isDefault());
    for (QDialog* dialog : std::initializer_list<QDialog*>{&find, &replace}) {
      dialog->show();
      QPushButton* cancel = nullptr;
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Anuluj")) cancel = button;
      }
      QVERIFY(cancel != nullptr);
      cancel->click();
      QVERIFY(!dialog->isVisible());
      QCOMPARE(dialog->result(), 0);
    }
    QCOMPARE(asked.size(), 4);
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
    // The numbers start at 1; a window gone takes no name.
    QCOMPARE(UniqueWindowName(QStringLiteral("FormA"), {&a}), QStringLiteral("FormA_1"));
    QCOMPARE(UniqueWindowName(QStringLiteral("FormA"), {&a, nullptr}), QStringLiteral("FormA_1"));
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
