// The machine window: the diagram, what a user does on it, and what it
// repaints when the machine changes.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#include "AppCore.h"
#include "CoreText.h"
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
    // The diagram at about its design size, the controls above it.
    Form.resize(kDiagramWidth + 40, kDiagramHeight + 120);
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

// Every control of the window, by name, in the window's coordinates.
std::vector<std::pair<QString, QRect>> ControlGeometries(TFormMachine& form) {
  std::vector<QWidget*> controls = {
      form.ManualControlBox(), form.TrackingButton(0)->parentWidget(),
      form.TempoBox(),         form.TempoBox()->parentWidget()->findChild<QLabel*>(),
      form.RunStatus(),        form.MemoryScrollBar()};
  for (int line = 1; line <= 4; ++line) controls.push_back(form.InterruptButton(line));
  std::vector<std::pair<QString, QRect>> geometries;
  for (QWidget* w : controls) {
    if (!w->isVisible()) continue;
    const QString name = w->accessibleName().isEmpty() ? w->objectName() : w->accessibleName();
    geometries.emplace_back(name, QRect(w->mapTo(&form, QPoint(0, 0)), w->size()));
  }
  return geometries;
}

// The first control of the window that is not whole in it, overlaps
// another or the drawing, or is squeezed below what its text needs; empty
// when every one stands apart.
QString MisplacedControl(TFormMachine& form) {
  const auto controls = ControlGeometries(form);
  if (controls.size() != 10) return QStringLiteral("%1 controls shown").arg(controls.size());
  TMachineDiagram& diagram = form.Diagram();
  const QRect drawing = diagram.DrawingRect()
                            .translated(diagram.mapTo(&form, QPoint(0, 0)))
                            .toAlignedRect()
                            .adjusted(1, 1, -1, -1);
  for (std::size_t a = 0; a < controls.size(); ++a) {
    const auto& [name, box] = controls[a];
    if (!form.rect().contains(box)) return name + QStringLiteral(" outside the window");
    if (box.intersects(drawing)) return name + QStringLiteral(" over the drawing");
    for (std::size_t b = a + 1; b < controls.size(); ++b) {
      if (box.intersects(controls[b].second)) return name + u'/' + controls[b].first;
    }
  }
  for (QWidget* c :
       {static_cast<QWidget*>(form.ManualControlBox()), static_cast<QWidget*>(form.TempoBox())}) {
    if (c->width() < c->minimumSizeHint().width())
      return c->objectName() + QStringLiteral(" squeezed");
  }
  return {};
}

QString Entry(QAccessible::Role role, const QString& name) {
  return QStringLiteral("%1:%2").arg(static_cast<int>(role)).arg(name);
}

// Every accessible object under `root`, as "role:name".
void CollectAccessible(QAccessibleInterface* root, QStringList& found, int depth = 0) {
  if (root == nullptr || depth > 12) return;
  found.append(Entry(root->role(), root->text(QAccessible::Name)));
  // On some platforms a combo box is named by the label that stands for it.
  for (const auto& [label, relation] : root->relations(QAccessible::Label))
    found.append(Entry(root->role(), label->text(QAccessible::Name)));
  for (int k = 0; k < root->childCount(); ++k) CollectAccessible(root->child(k), found, depth + 1);
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
    QCOMPARE(Q(w.Machine().RegisterText(TRegisterId::AK)), QStringLiteral("AK : -1"));
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
            .WidgetRect(QRect(memory.Box.X + 10, memory.Box.Y + 1 + 3 * metrics.height() + 2, 1, 1))
            .center();
    w.User.TextAnswers = {QStringLiteral("37")};
    QTest::mouseClick(&w.Diagram(), Qt::LeftButton, {}, row3);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("PaO|Wartość[3]|0"));
    QCOMPARE(w.Machine().Memory().Word(3), 37u);
    QVERIFY(w.Diagram().MemoryRowText(3).contains(QStringLiteral("37  dod 5")));
  }

  // The diagram's own menu: the pictures, then clearing the memory, which
  // ends a run first (the run would go on over words that are gone).
  void theDiagramMenuClearsTheMemoryAfterEndingARun() {
    TWindow w;
    std::unique_ptr<QMenu> menu = w.Form.BackgroundMenu();
    QStringList items;
    for (QAction* a : menu->actions())
      items.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, (QStringList{QStringLiteral("Zapisz schemat jako PNG..."),
                                 QStringLiteral("Zapisz schemat jako SVG..."), QStringLiteral("-"),
                                 QStringLiteral("Wyczyść pamięć")}));
    // «sob 0» at 0 loops for ever; a word further up is cleared too.
    w.Machine().EnterMemoryValue(0, "160");
    w.Machine().EnterMemoryValue(31, "7");
    QVERIFY(w.Core.StartRun(&w.Form, [&] { w.Core.Control().StartProgram(-1); }));
    QVERIFY(w.Core.RunInProgress());
    menu->actions().back()->trigger();
    QVERIFY(!w.Core.RunInProgress());
    for (int cell = 0; cell < w.Machine().Memory().Size(); ++cell)
      QCOMPARE(w.Machine().Memory().Word(cell), 0u);
    QVERIFY(w.User.Errors.isEmpty());
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
    w.Machine().EnterRegisterValue(TRegisterId::S, "5");
    menu->actions().at(1)->menu()->actions().at(2)->trigger();  // "Binarnie"
    QCOMPARE(Q(w.Machine().RegisterText(TRegisterId::S)), QStringLiteral("S : %00000101"));
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
    w.Machine().EnterMemoryValue(2, "7");
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
    w.Machine().SetComponents(*PresetComponents("Ombra"));
    w.Core.Refresh().Flush();
    QCoreApplication::processEvents();  // the buttons shown may leave the diagram less room
    const QImage ombra = w.Render();
    const QRect shownX =
        w.Diagram().WidgetRect(w.Item(TItemKind::Register, Reg(TRegisterId::X)).Box);
    int differing = 0;
    for (int px = shownX.left() + 2; px < shownX.right() - 2; ++px)
      differing += ombra.pixelColor(px, shownX.center().y()) != background ? 1 : 0;
    QVERIFY(differing > 5);
    QVERIFY(w.Form.InterruptButton(1)->isVisible());
    w.Form.InterruptButton(2)->click();
    QCOMPARE(w.Machine().Register(TRegisterId::RZ).Value(), 4);
  }

  void aRefreshRepaintsOnlyWhatChanged() {
    TWindow w;
    w.Core.Refresh().Flush();
    w.Machine().EnterRegisterValue(TRegisterId::L, "3");
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

  void everyTempoIsOfferedAndTheNearestIsShown() {
    TWindow w;
    const struct {
      int Ms;
      const char* Caption;
    } tempos[] = {
        {0, "bez opóźnienia"},   {50, "0,05 s na takt"}, {100, "0,1 s na takt"},
        {250, "0,25 s na takt"}, {500, "0,5 s na takt"}, {1000, "1 s na takt"},
        {2000, "2 s na takt"},
    };
    QComboBox* box = w.Form.TempoBox();
    QCOMPARE(box->count(), 7);
    // The start delay is one of the items.
    QCOMPARE(box->currentIndex(), 2);
    for (int k = 6; k >= 0; --k) {
      QCOMPARE(box->itemText(k), QString::fromUtf8(tempos[k].Caption));
      box->setCurrentIndex(k);
      QCOMPARE(w.Core.App().Tempo(), tempos[k].Ms);
    }
    // A delay between two items shows the nearer one, the smaller on a tie.
    const std::pair<int, int> nearest[] = {{1, 0},    {24, 0},  {25, 0},   {26, 1},   {75, 1},
                                           {76, 2},   {174, 2}, {176, 3},  {374, 3},  {376, 4},
                                           {749, 4},  {751, 5}, {1499, 5}, {1500, 5}, {1501, 6},
                                           {2000, 6}, {5000, 6}};
    for (const auto& [ms, index] : nearest) {
      w.Core.SetAnimationDelay(ms);
      QVERIFY2(box->currentIndex() == index, qPrintable(QString::number(ms)));
    }
  }

  void theManualControlBoxSwitchesTheControlUnitAndTheStatusSaysSo() {
    TWindow w;
    w.Form.ManualControlBox()->click();
    QVERIFY(w.Core.Control().ManualControl());
    w.Core.Refresh().Flush();
    auto* status = w.Form.findChild<QLabel*>(QStringLiteral("RunStatus"));
    QVERIFY(status != nullptr);
    QVERIFY(status->text().startsWith(QStringLiteral("Zatrzymana. Ostatnie wykonanie: ")));
    QVERIFY(status->text().endsWith(QStringLiteral(" · sterowanie ręczne")));
    w.Form.ManualControlBox()->click();
    QVERIFY(!w.Core.Control().ManualControl());
    w.Core.Refresh().Flush();
    QVERIFY(!status->text().contains(QStringLiteral("sterowanie ręczne")));
  }

  void theStatusLineCountsTheLastRunAndTheCyclesSinceTheReset() {
    TWindow w;
    // "dod 5" and "sob 0" in a loop.
    w.Machine().Memory().Store(0, 1 * 32 + 5);
    w.Machine().Memory().Store(1, 5 * 32 + 0);
    w.Machine().Memory().Store(5, 1);
    TController& control = w.Core.Control();
    control.SetTrackingLevel(0);
    QVERIFY(w.Core.Run(nullptr, [&] { return control.ExecuteInstruction(); }));
    const std::uint64_t first = control.CyclesPerformed();
    QVERIFY(w.Core.Run(nullptr, [&] {
      control.ExecuteInstruction();
      return control.ExecuteInstruction();
    }));
    const std::uint64_t last = control.CyclesPerformed() - first;
    QVERIFY(last > 2 && first != last);
    auto* status = w.Form.findChild<QLabel*>(QStringLiteral("RunStatus"));
    QCOMPARE(status->text(),
             QStringLiteral("Zatrzymana. Ostatnie wykonanie: takty %1, rozkazy 2; od resetu: "
                            "takty %2")
                 .arg(last)
                 .arg(control.CyclesSinceReset()));
    QCOMPARE(control.CyclesSinceReset(), first + last);
    // While a run goes on: its own cycles and instructions so far.
    QVERIFY(w.Core.StartRun(nullptr, [&] { control.StartProgram(-1); }));
    QTRY_VERIFY(control.CyclesPerformed() > first + last + 100);
    w.Core.Refresh().Flush();
    const QRegularExpression running(
        QStringLiteral("^Wykonywanie… takty: (\\d+), rozkazy: (\\d+)$"));
    const QRegularExpressionMatch match = running.match(status->text());
    QVERIFY2(match.hasMatch(), qPrintable(status->text()));
    const qulonglong cycles = match.captured(1).toULongLong();
    const qulonglong instructions = match.captured(2).toULongLong();
    QVERIFY(cycles > 100);
    QVERIFY(cycles <= control.CyclesPerformed() - first - last);
    QVERIFY(instructions * 2 <= cycles && instructions > 0);
    control.RequestStop();
    QVERIFY(test::WaitForRunEnd(w.Core));
  }

  void eachInterruptButtonRaisesItsOwnLine() {
    TWindow w;
    w.Machine().SetComponents(*PresetComponents("Ombra"));
    w.Core.Refresh().Flush();
    // Line 1 is the most urgent, the top bit of the four.
    const int bits[] = {8, 4, 2, 1};
    for (int line = 1; line <= 4; ++line) {
      w.Machine().EnterRegisterValue(TRegisterId::RZ, "0");
      QCOMPARE(w.Form.InterruptButton(line)->accessibleName(),
               QStringLiteral("Przerwanie %1").arg(line));
      QCOMPARE(w.Form.InterruptButton(line)->text(), QString::number(line));
      w.Form.InterruptButton(line)->click();
      QCOMPARE(w.Machine().Register(TRegisterId::RZ).Value(), bits[line - 1]);
    }
  }

  void everyRegisterAsksWithItsNameAndAMissingOneAsksNothing() {
    TWindow w;
    w.Machine().SetComponents(*PresetComponents("Ombra"));
    w.Core.Refresh().Flush();
    // Each register offers its own value and takes what is typed.
    for (const TRegisterId id : {TRegisterId::A, TRegisterId::S, TRegisterId::L, TRegisterId::I,
                                 TRegisterId::X, TRegisterId::Y}) {
      w.Machine().EnterRegisterValue(id, "3");
      w.User.TextAnswers = {QStringLiteral("6")};
      w.Form.EnterRegisterValue(id);
      QCOMPARE(w.User.Prompts.back(), QStringLiteral("Rejestr %1|Aktualna wartość|3")
                                          .arg(Q(w.Machine().Register(id).Caption())));
      QCOMPARE(w.Machine().Register(id).Value(), 6);
    }
    // Without the component the register has no box to ask in.
    w.Machine().SetComponents(*PresetComponents("Dorum"));
    const qsizetype asked = w.User.Prompts.size();
    w.User.TextAnswers = {QStringLiteral("6")};
    w.Form.EnterRegisterValue(TRegisterId::X);
    QCOMPARE(w.User.Prompts.size(), asked);
    // A memory cell by its address: the first, the last, none.
    const int last = w.Machine().Memory().Size() - 1;
    w.Machine().Memory().Store(last, 9);
    w.User.TextAnswers = {QStringLiteral("4")};
    w.Form.EnterMemoryValue(last);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("PaO|Wartość[%1]|9").arg(last));
    QCOMPARE(w.Machine().Memory().Word(last), 4u);
    w.User.TextAnswers = {QStringLiteral("5")};
    w.Form.EnterMemoryValue(0);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("PaO|Wartość[0]|0"));
    QCOMPARE(w.Machine().Memory().Word(0), 5u);
    const qsizetype prompts = w.User.Prompts.size();
    w.Form.EnterMemoryValue(-1);
    QCOMPARE(w.User.Prompts.size(), prompts);
  }

  void theManualControlBoxFollowsTheControlUnit() {
    TWindow w;
    QVERIFY(!w.Form.ManualControlBox()->isChecked());
    // Switched elsewhere (the menu, a loaded state): the box must not lie.
    w.Core.SetManualControl(true);
    w.Core.Refresh().Flush();
    QVERIFY(w.Form.ManualControlBox()->isChecked());
    w.Core.SetManualControl(false);
    w.Core.Refresh().Flush();
    QVERIFY(!w.Form.ManualControlBox()->isChecked());
  }

  void screenReadersReadWhatTheDiagramShows() {
    TWindow w;
    w.Machine().EnterRegisterValue(TRegisterId::AK, "15");
    w.Machine().EnterRegisterValue(TRegisterId::S, "37");
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

  void theControlsNeverOverlapAndTheDiagramScalesToTheRoomLeft() {
    TWindow w;
    w.Machine().SetComponents(*PresetComponents("Ombra"));  // interrupts shown
    w.Core.Refresh().Flush();
    double lastScale = 0;
    for (const QSize size : {QSize(500, 350), QSize(800, 600), QSize(1920, 1080)}) {
      w.Form.resize(size);
      QCoreApplication::processEvents();
      QCOMPARE(w.Form.size(), size);
      const QString at = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
      const QString misplaced = MisplacedControl(w.Form);
      QVERIFY2(misplaced.isEmpty(), qPrintable(at + u' ' + misplaced));
      // The drawing fills the room left, across or down, and grows with it.
      const QRectF drawn = w.Diagram().DrawingRect();
      const bool fillsAcross = drawn.width() >= w.Diagram().width() - 30;
      const bool fillsDown = std::abs(drawn.height() - w.Diagram().height()) < 1;
      QVERIFY2(fillsAcross || fillsDown, qPrintable(at));
      QVERIFY(w.Diagram().Scale() > lastScale);
      lastScale = w.Diagram().Scale();
      // Clicks find the register drawn there.
      const int before = w.Machine().Register(TRegisterId::AK).Value();
      w.User.TextAnswers = {QString::number(size.width() % 100)};
      w.Click(TItemKind::Register, Reg(TRegisterId::AK));
      QCOMPARE(w.User.Prompts.back(), QStringLiteral("Rejestr AK|Aktualna wartość|%1").arg(before));
      QCOMPARE(w.Machine().Register(TRegisterId::AK).Value(), size.width() % 100);
      // What is on the screen is what a whole repaint draws, the focus mark too.
      w.Diagram().setFocus();
      QTest::keyClick(&w.Diagram(), Qt::Key_Tab);
      w.Machine().EnterRegisterValue(TRegisterId::L, "7");
      w.Core.Refresh().Flush();
      QCOMPARE(test::StaleParts(w.Form), QString());
    }
    QVERIFY(lastScale > 2);
  }

  void theWindowCannotShrinkBelowWhatShowsEveryControl() {
    TWindow w;
    w.Machine().SetComponents(*PresetComponents("Ombra"));  // interrupts shown
    w.Core.Refresh().Flush();
    w.Form.resize(274, 297);
    QCoreApplication::processEvents();
    // The smallest window the diagram is drawn for, or more when the
    // controls need it.
    QVERIFY2(w.Form.width() >= 500 && w.Form.height() >= 350,
             qPrintable(QStringLiteral("%1x%2").arg(w.Form.width()).arg(w.Form.height())));
    QCOMPARE(w.Form.size(), w.Form.minimumSize());
    const QString misplaced = MisplacedControl(w.Form);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    for (int line = 1; line <= 4; ++line) QVERIFY(w.Form.InterruptButton(line)->isVisible());
    QVERIFY(w.Form.TempoBox()->isVisible());
  }

  void screenReadersReachTheControls() {
    TWindow w;
    w.Machine().SetComponents(*PresetComponents("Ombra"));
    w.Core.Refresh().Flush();
    QStringList found;
    CollectAccessible(QAccessible::queryAccessibleInterface(&w.Form), found);
    QVERIFY(found.contains(Entry(QAccessible::CheckBox, QStringLiteral("Sterowanie ręczne"))));
    for (const char16_t* level : {u"niski (program)", u"średni (rozkaz)", u"wysoki (takt)"})
      QVERIFY(found.contains(Entry(QAccessible::RadioButton, QString::fromUtf16(level))));
    QVERIFY(found.contains(Entry(QAccessible::ComboBox, QStringLiteral("Tempo (takt):"))));
    for (int line = 1; line <= 4; ++line)
      QVERIFY(
          found.contains(Entry(QAccessible::Button, QStringLiteral("Przerwanie %1").arg(line))));
    QVERIFY(found.contains(Entry(QAccessible::ScrollBar, QStringLiteral("Przewijanie pamięci"))));
    // The diagram's own parts are still there.
    QVERIFY(found.contains(Entry(QAccessible::StaticText, QStringLiteral("AK : 0"))));
    // A memory row stands where a click picks its word, at any scale.
    w.Form.resize(1700, 1000);
    QCoreApplication::processEvents();
    QAccessibleInterface* diagram = QAccessible::queryAccessibleInterface(&w.Diagram());
    int rows = 0;
    for (int k = 0; k < diagram->childCount(); ++k) {
      QAccessibleInterface* part = diagram->child(k);
      if (part->role() != QAccessible::ListItem) continue;
      const QPoint centre = w.Diagram().mapFromGlobal(part->rect().center());
      QCOMPARE(w.Diagram().MemoryAddressAt(centre), w.Diagram().TopRow() + rows);
      QCOMPARE(diagram->childAt(part->rect().center().x(), part->rect().center().y()), part);
      ++rows;
    }
    QCOMPARE(rows, w.Diagram().VisibleRows());
  }

  void theKeyboardWalksTheRegistersAndTheMemory() {
    TWindow w;
    TMachineDiagram& d = w.Diagram();
    QAccessibleInterface* diagram = QAccessible::queryAccessibleInterface(&d);
    d.setFocus(Qt::TabFocusReason);
    QVERIFY(d.hasFocus());
    // Tab walks in reading order: L first on the basic machine, down to AK.
    QCOMPARE(diagram->focusChild()->text(QAccessible::Name), QStringLiteral("L : 0"));
    QStringList walked;
    const TDiagramItem* ak = &w.Item(TItemKind::Register, Reg(TRegisterId::AK));
    for (int k = 0; k < 20 && d.FocusItem() != ak; ++k) {
      QTest::keyClick(&d, Qt::Key_Tab);
      walked.append(diagram->focusChild()->text(QAccessible::Name));
    }
    QVERIFY(walked.contains(QStringLiteral("A : 0")));
    QVERIFY(std::ranges::any_of(walked, [](const QString& name) {
      return name.startsWith(QStringLiteral("0  0  "));  // the memory's first row
    }));
    QCOMPARE(diagram->focusChild()->text(QAccessible::Name), QStringLiteral("AK : 0"));
    QVERIFY(diagram->focusChild()->state().focused);
    QVERIFY(d.FocusRect().intersects(
        d.WidgetRect(w.Item(TItemKind::Register, Reg(TRegisterId::AK)).Box)));
    // Enter asks for the value as a click does.
    w.User.TextAnswers = {QStringLiteral("15")};
    QTest::keyClick(&d, Qt::Key_Return);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("Rejestr AK|Aktualna wartość|0"));
    QCOMPARE(w.Machine().Register(TRegisterId::AK).Value(), 15);
    // Back to the memory, then down its words, scrolling past the last row shown.
    for (int k = 0; k < 20 && d.FocusItem()->Kind != TItemKind::Memory; ++k)
      QTest::keyClick(&d, Qt::Key_Backtab);
    QCOMPARE(d.FocusItem()->Kind, TItemKind::Memory);
    QCOMPARE(d.FocusAddress(), 0);
    for (int k = 0; k < 3; ++k) QTest::keyClick(&d, Qt::Key_Down);
    QVERIFY(diagram->focusChild()->text(QAccessible::Name).startsWith(QStringLiteral("3  ")));
    w.User.TextAnswers = {QStringLiteral("37")};
    QTest::keyClick(&d, Qt::Key_Enter);
    QCOMPARE(w.User.Prompts.back(), QStringLiteral("PaO|Wartość[3]|0"));
    QCOMPARE(w.Machine().Memory().Word(3), 37u);
    QTest::keyClick(&d, Qt::Key_PageDown);
    QCOMPARE(d.FocusAddress(), 3 + d.VisibleRows());
    QCOMPARE(w.Form.MemoryScrollBar()->value(), d.TopRow());
    QVERIFY(d.TopRow() > 0);
    QVERIFY(!d.FocusRect().isEmpty());
    QCOMPARE(test::StaleParts(w.Form), QString());
    // The machine scrolls the marked word away: no mark is left behind.
    w.Machine().Register(TRegisterId::A).SetValue(0);
    w.Machine().ExecuteSignals(SignalBit(TSignalId::czyt));
    w.Core.Refresh().Flush();
    QCOMPARE(d.TopRow(), 0);
    QVERIFY(d.FocusRect().isEmpty());
    QCOMPARE(test::StaleParts(w.Form), QString());
    // The next arrow brings the mark back into what is shown.
    QTest::keyClick(&d, Qt::Key_Down);
    QCOMPARE(d.TopRow(), 0);
    QVERIFY(!d.FocusRect().isEmpty());
    // Past the last register the focus leaves the diagram for the next control.
    for (int k = 0; k < 30 && d.hasFocus(); ++k) QTest::keyClick(&d, Qt::Key_Tab);
    QVERIFY(!d.hasFocus());
  }

  void theMenuKeyOpensTheMenuOfTheMarkedRegister() {
    TAppCore core;
    TMachineDiagram diagram(core);  // alone, so no menu blocks the test
    diagram.resize(kDiagramWidth, kDiagramHeight);
    diagram.show();
    diagram.setFocus(Qt::TabFocusReason);
    QSignalSpy menus(&diagram, &TMachineDiagram::RegisterMenuRequested);
    QTest::keyClick(&diagram, Qt::Key_Right);  // from L to A
    // The menu key's event stands at the mouse, far from the marked register.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1),
                          diagram.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&diagram, &key);
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus.at(0).at(0).value<TRegisterId>(), TRegisterId::A);
    const QRect a = diagram.WidgetRect(diagram.FocusItem()->Box);
    QVERIFY(a.contains(diagram.mapFromGlobal(menus.at(0).at(1).toPoint())));
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
    // A picture the system refuses is told why.
    const QString nowhere = dir.filePath(QStringLiteral("nie/ma/d.png"));
    QCOMPARE(test::MessageOf([&] { w.Diagram().SaveAs(nowhere); }),
             QStringLiteral("Nie można zapisać pliku %1: %2")
                 .arg(nowhere, test::SystemReason("nie ma takiego pliku ani folderu", ENOENT)));
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
      QCOMPARE(test::MessageOf([&] { w.Diagram().SaveAs(QStringLiteral("/dev/full")); }),
               QStringLiteral("Nie można zapisać pliku /dev/full: %1")
                   .arg(test::SystemReason("brak miejsca na dysku", ENOSPC)));
    }
  }
};

QTEST_MAIN(MachineWindowTest)
#include "MachineWindowTest.moc"
