// The machine window: the diagram, what a user does on it, and what it
// repaints when the machine changes.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "AppCore.h"
#include "FormMachine.h"
#include "GuiTestSupport.h"
#include "MachineDiagram.h"
#include "machine/MachineConfig.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

struct TWindow {
  TAppCore Core;
  test::TDialogScript User;
  TFormMachine Form{Core};

  TWindow() {
    User.Install(Core.Dialogs());
    Form.resize(kDiagramWidth, kDiagramHeight + 24);
    Form.show();
    QCoreApplication::processEvents();
  }
  TMachine& Machine() { return Core.Machine(); }
  TMachineDiagram& Diagram() { return Form.Diagram(); }

  const TDiagramItem& Item(TItemKind kind, int id) {
    for (const TDiagramItem& item : DiagramItems()) {
      if (item.Kind == kind && item.Id == id) return item;
    }
    qFatal("no such item");
  }
  // The centre of an item in the diagram widget.
  QPoint Centre(TItemKind kind, int id) {
    return Diagram().WidgetRect(Item(kind, id).Box).center();
  }
  void Click(TItemKind kind, int id, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(&Diagram(), button, {}, Centre(kind, id));
  }
  QImage Render() {
    QImage image(Diagram().size(), QImage::Format_ARGB32);
    Diagram().render(&image);
    return image;
  }
};

int Reg(TRegisterId id) {
  return static_cast<int>(id);
}

bool IsRed(QColor c) {
  return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}

// How many pixels of the item's box are red.
int RedPixels(const QImage& image, const QRect& box) {
  int red = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) red += IsRed(image.pixelColor(x, y)) ? 1 : 0;
  }
  return red;
}

}  // namespace

class MachineWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void enteringValuesIntoRegistersAndMemory() {
    TWindow w;
    w.User.TextAnswers = {QStringLiteral("-1")};
    w.Click(TItemKind::Register, Reg(TRegisterId::AK));
    QCOMPARE(w.User.Prompts, QStringList{QStringLiteral("Rejestr AK|Aktualna wartość|0")});
    QCOMPARE(w.Machine().Register(TRegisterId::AK).Value(), 255);
    QCOMPARE(w.Machine().Register(TRegisterId::F).Value(), 1);  // Z, and no more ZAK
    // Shown signed, the register offers its signed value for editing.
    w.Machine().SetDisplayMode(TRegisterId::AK, TDisplayMode::dmSigned);
    QCOMPARE(w.Machine().RegisterText(TRegisterId::AK), QStringLiteral("AK : -1"));
    w.User.TextAnswers = {QStringLiteral("abc")};
    w.Click(TItemKind::Register, Reg(TRegisterId::AK));
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("Rejestr AK|Aktualna wartość|-1"));
    QCOMPARE(w.User.Errors, QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    QCOMPARE(w.Machine().Register(TRegisterId::AK).Value(), -1);
    // A cancelled box changes nothing.
    w.Click(TItemKind::Register, Reg(TRegisterId::L));
    QCOMPARE(w.Machine().Register(TRegisterId::L).Value(), 0);

    // The memory row of address 3, and 37 entered there.
    const TDiagramItem& memory = w.Item(TItemKind::Memory, 0);
    const QFontMetrics metrics([&] {
      QFont f = w.Diagram().font();
      f.setPixelSize(11);
      return f;
    }());
    const QPoint row3 =
        w.Diagram()
            .WidgetRect(QRect(memory.Box.left() + 10,
                              memory.Box.top() + 1 + 3 * metrics.height() + 2, 1, 1))
            .center();
    w.User.TextAnswers = {QStringLiteral("37")};
    QTest::mouseClick(&w.Diagram(), Qt::LeftButton, {}, row3);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("PaO|Wartość[3]|0"));
    QCOMPARE(w.Machine().Memory().Word(3), 37u);
    QVERIFY(w.Diagram().MemoryRowText(3).contains(QStringLiteral("37  dod 5")));
  }

  void theRegisterMenuOffersTheModesAndInstructionOnlyForI() {
    TWindow w;
    const auto modes = [&](TRegisterId id) {
      std::unique_ptr<QMenu> menu = w.Form.RegisterMenu(id);
      QStringList items;
      QString checked;
      for (QAction* a : menu->actions()) {
        items.append(a->text());
        if (a->menu() == nullptr) continue;
        for (QAction* m : a->menu()->actions()) {
          items.append(QStringLiteral("  ") + m->text());
          if (m->isChecked()) checked = m->text();
        }
      }
      return std::pair{items, checked};
    };
    const auto [ak, akChecked] = modes(TRegisterId::AK);
    QCOMPARE(ak,
             (QStringList{"Wpisz wartość", "Pokaż jako", "  Dziesiętnie bez znaku",
                          "  Dziesiętnie ze znakiem", "  Binarnie", "  Szestnastkowo", "Zeruj"}));
    QCOMPARE(akChecked, QStringLiteral("Dziesiętnie bez znaku"));
    const auto [i, iChecked] = modes(TRegisterId::I);
    QVERIFY(i.contains(QStringLiteral("  Rozkaz")));
    QCOMPARE(iChecked, QStringLiteral("Rozkaz"));
    // Choosing a mode and zeroing act on the menu's register.
    std::unique_ptr<QMenu> menu = w.Form.RegisterMenu(TRegisterId::S);
    w.Machine().EnterRegisterValue(TRegisterId::S, QStringLiteral("5"));
    menu->actions().at(1)->menu()->actions().at(2)->trigger();  // "Binarnie"
    QCOMPARE(w.Machine().RegisterText(TRegisterId::S), QStringLiteral("S : %00000101"));
    menu->actions().at(2)->trigger();  // "Zeruj"
    QCOMPARE(w.Machine().Register(TRegisterId::S).Value(), 0);
  }

  void theScrollBarReachesTheLastFullPage() {
    TWindow w;
    QCOMPARE(w.Diagram().VisibleRows(), 15);
    QScrollBar* scroll = w.Form.MemoryScrollBar();
    QCOMPARE(scroll->maximum(), 32 - 15);
    scroll->setValue(scroll->maximum());
    QCOMPARE(w.Diagram().TopRow(), 17);
    QVERIFY(w.Diagram().MemoryRowText(0).startsWith(QStringLiteral("17 ")));
    QVERIFY(w.Diagram().MemoryRowText(14).startsWith(QStringLiteral("31 ")));
    // A larger memory widens the range.
    w.Machine().SetAddressBits(8);
    w.Core.Refresh().Flush();
    QCOMPARE(scroll->maximum(), 256 - 15);
  }

  void theMemoryViewFollowsTheMachinesAccesses() {
    TWindow w;
    QScrollBar* scroll = w.Form.MemoryScrollBar();
    const auto cycle = [&](TSignalId signal, int address) {
      w.Machine().Register(TRegisterId::A).SetValue(address);
      w.Machine().ExecuteSignals(SignalBit(signal));
      w.Core.Refresh().Flush();
    };
    cycle(TSignalId::czyt, 31);
    QCOMPARE(w.Diagram().TopRow(), 17);  // never past the last full page
    QCOMPARE(scroll->value(), 17);
    QVERIFY(w.Diagram().MemoryRowText(14).startsWith(QStringLiteral("31 ")));
    cycle(TSignalId::czyt, 20);
    QCOMPARE(w.Diagram().TopRow(), 17);  // in view already
    cycle(TSignalId::czyt, 3);
    QCOMPARE(w.Diagram().TopRow(), 3);
    QVERIFY(w.Diagram().MemoryRowText(0).startsWith(QStringLiteral("3 ")));
    // Writes follow as reads do: the row just below the last one shown.
    cycle(TSignalId::pisz, 18);
    QCOMPARE(w.Diagram().TopRow(), 17);
    w.Machine().EnterMemoryValue(2, QStringLiteral("7"));
    w.Core.Refresh().Flush();
    QCOMPARE(w.Diagram().TopRow(), 2);
    QCOMPARE(scroll->value(), 2);
    // Storing a program is no access.
    w.Machine().Memory().Store(30, 5);
    w.Machine().NotifyMemoryChanged();
    w.Core.Refresh().Flush();
    QCOMPARE(w.Diagram().TopRow(), 2);
    // Where the user scrolled stays until an access out of view.
    scroll->setValue(10);
    QCOMPARE(w.Diagram().TopRow(), 10);
    cycle(TSignalId::czyt, 24);
    QCOMPARE(w.Diagram().TopRow(), 10);
    // A new memory size shows it from the start.
    w.Machine().SetAddressBits(6);
    w.Core.Refresh().Flush();
    QCOMPARE(w.Diagram().TopRow(), 0);
    QCOMPARE(scroll->value(), 0);
    // A hidden window follows too, and shows the right rows when it appears.
    w.Form.hide();
    cycle(TSignalId::czyt, 40);
    QCOMPARE(w.Diagram().TopRow(), 40);
    w.Form.show();
    QCoreApplication::processEvents();
    QCOMPARE(scroll->value(), 40);
  }

  void signalsToggleOnlyUnderManualControlAndShowRed() {
    TWindow w;
    const int wys = static_cast<int>(TSignalId::wys);
    w.Click(TItemKind::Signal, wys);
    QVERIFY(!w.Machine().SignalActive(wys));
    w.Form.ManualControlBox()->click();
    QVERIFY(w.Core.Control().ManualControl());
    w.Click(TItemKind::Signal, wys);
    QVERIFY(w.Machine().SignalActive(wys));
    w.Core.Refresh().Flush();
    const QImage image = w.Render();
    QVERIFY(RedPixels(image, w.Diagram().WidgetRect(w.Item(TItemKind::Signal, wys).Box)) > 10);
    QVERIFY(RedPixels(image, w.Diagram().WidgetRect(w.Item(TItemKind::Wire, wys).Box)) > 5);
    QCOMPARE(
        RedPixels(image, w.Diagram().WidgetRect(
                             w.Item(TItemKind::Signal, static_cast<int>(TSignalId::czyt)).Box)),
        0);
    w.Click(TItemKind::Signal, wys);
    QVERIFY(!w.Machine().SignalActive(wys));
  }

  void hiddenComponentsLeaveTheirPlaceEmpty() {
    TWindow w;
    const QRect x = w.Diagram().WidgetRect(w.Item(TItemKind::Register, Reg(TRegisterId::X)).Box);
    const QImage basic = w.Render();
    const QColor background = basic.pixelColor(x.center());
    // Nothing of X is drawn on the basic machine: its box is all background.
    for (int px = x.left() + 2; px < x.right() - 2; px += 3)
      QCOMPARE(basic.pixelColor(px, x.center().y()), background);
    QVERIFY(!w.Form.InterruptButton(1)->isVisible());
    w.Machine().SetComponents(*PresetComponents(QStringLiteral("Ombra")));
    w.Core.Refresh().Flush();
    const QImage ombra = w.Render();
    int differing = 0;
    for (int px = x.left() + 2; px < x.right() - 2; ++px)
      differing += ombra.pixelColor(px, x.center().y()) != background ? 1 : 0;
    QVERIFY(differing > 5);
    QVERIFY(w.Form.InterruptButton(1)->isVisible());
    w.Form.InterruptButton(2)->click();
    QCOMPARE(w.Machine().Register(TRegisterId::RZ).Value(), 4);
  }

  void aRefreshRepaintsOnlyWhatChanged() {
    TWindow w;
    w.Core.Refresh().Flush();
    w.Machine().EnterRegisterValue(TRegisterId::L, QStringLiteral("3"));
    w.Core.Refresh().Flush();
    const QRegion update = w.Diagram().LastUpdate();
    const QRect l = w.Diagram().WidgetRect(w.Item(TItemKind::Register, Reg(TRegisterId::L)).Box);
    const QRect ak = w.Diagram().WidgetRect(w.Item(TItemKind::Register, Reg(TRegisterId::AK)).Box);
    QVERIFY(update.contains(l));
    QVERIFY(!update.intersects(ak));
    QVERIFY(update.boundingRect().width() < w.Diagram().width() / 3);
  }

  void trackingLevelAndTempoCommandTheControlUnit() {
    TWindow w;
    QCOMPARE(w.Core.Control().TrackingLevel(), 1);  // as the window shows
    QVERIFY(w.Form.TrackingButton(1)->isChecked());
    w.Form.TrackingButton(0)->click();
    QCOMPARE(w.Core.Control().TrackingLevel(), 0);
    w.Form.TrackingButton(2)->click();
    QCOMPARE(w.Core.Control().TrackingLevel(), 2);
    w.Core.SetAnimationDelay(0);
    QCOMPARE(w.Form.TempoBox()->currentIndex(), 0);
  }

  void screenReadersReadWhatTheDiagramShows() {
    TWindow w;
    w.Machine().EnterRegisterValue(TRegisterId::AK, QStringLiteral("15"));
    w.Machine().EnterRegisterValue(TRegisterId::S, QStringLiteral("37"));
    w.Machine().ExecuteSignals(SignalBit(TSignalId::wys));
    QAccessibleInterface* diagram = QAccessible::queryAccessibleInterface(&w.Diagram());
    QVERIFY(diagram != nullptr);
    QStringList names;
    bool wysChecked = false;
    bool czytChecked = true;
    for (int k = 0; k < diagram->childCount(); ++k) {
      QAccessibleInterface* part = diagram->child(k);
      names.append(part->text(QAccessible::Name));
      if (part->text(QAccessible::Name) == u"wys") wysChecked = part->state().checked;
      if (part->text(QAccessible::Name) == u"czyt") czytChecked = part->state().checked;
    }
    QVERIFY(names.contains(QStringLiteral("AK : 15")));
    QVERIFY(names.contains(QStringLiteral("mag S = 37")));
    QVERIFY(names.contains(QStringLiteral("mag A")));
    QVERIFY(names.contains(QStringLiteral("czyt")));
    QVERIFY(!names.contains(QStringLiteral("X : 0")));  // hidden on the basic machine
    QVERIFY(std::any_of(names.begin(), names.end(),
                        [](const QString& n) { return n.startsWith(QStringLiteral("0  ")); }));
    QVERIFY(wysChecked);
    QVERIFY(!czytChecked);
  }

  void theDiagramIsSavedAsPngAndSvg() {
    TWindow w;
    QTemporaryDir dir;
    w.Diagram().SaveAs(dir.filePath(QStringLiteral("d.png")));
    w.Diagram().SaveAs(dir.filePath(QStringLiteral("d.svg")));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("d.png"))).size(),
             QSize(2 * kDiagramWidth, 2 * kDiagramHeight));
    QFile svg(dir.filePath(QStringLiteral("d.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("AK : 0"));
  }
};

QTEST_MAIN(MachineWindowTest)
#include "MachineWindowTest.moc"
