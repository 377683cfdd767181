// The colours of the machine diagram against the
// palettes students' desktops hand the application: a light one, a dark one
// and one like GTK's dark themes, whose face and base are close greys. Every
// line, bus and hatching must stand out from what it is drawn on by a
// contrast ratio of at least 3:1, the ratios computed as WCAG defines them.
#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QTest>
#include <cmath>

#include "AppCore.h"
#include "DiagramLayout.h"
#include "MachineDiagram.h"
#include "program/Assembler.h"
#include "program/ProgramDocument.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

constexpr double kLeast = 3.0;

// WCAG 2's relative luminance and contrast ratio, written out here apart
// from the application's own, so that a slip in either shows.
double Luminance(const QColor& c) {
  const auto channel = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
         0.0722 * channel(c.blueF());
}

double Ratio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette PaletteOf(const QColor& window, const QColor& base, const QColor& text,
                   const QColor& mid, const QColor& highlight) {
  QPalette p = QApplication::style()->standardPalette();
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Window, window);
    p.setColor(group, QPalette::Button, window);
    p.setColor(group, QPalette::AlternateBase, window);
    p.setColor(group, QPalette::Base, base);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::Mid, mid);
    p.setColor(group, QPalette::Highlight, highlight);
  }
  return p;
}

struct TNamedPalette {
  const char* Name;
  QPalette Palette;
};

// The style's own light palette, the dark one of the screenshots and one
// like Adwaita-dark's, where Mid is as dark as the base.
std::vector<TNamedPalette> Palettes() {
  return {
      {"light", QApplication::style()->standardPalette()},
      {"dark", PaletteOf(QColor(0x2d, 0x2d, 0x30), QColor(0x1e, 0x1e, 0x1e),
                         QColor(0xe6, 0xe6, 0xe6), QColor(0x55, 0x55, 0x58),
                         QColor(0x3a, 0x6e, 0xa5))},
      {"gtk-dark", PaletteOf(QColor(50, 50, 50), QColor(38, 38, 38), QColor(238, 238, 236),
                             QColor(38, 38, 38), QColor(21, 83, 158))},
  };
}

// The pixel of an area that stands out most from a background: a line or
// a hatching drawn over the area shows there in its own colour.
double MostContrast(const QImage& image, const QRect& area, const QColor& background) {
  double most = 1.0;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x)
      most = std::max(most, Ratio(image.pixelColor(x, y), background));
  }
  return most;
}

const QStringList kSum = {QStringLiteral("pob x"),    QStringLiteral("dod y"),
                          QString::fromUtf8("ład z"), QStringLiteral("stp"),
                          QStringLiteral("x: rst 5"), QStringLiteral("y: rst 7"),
                          QStringLiteral("z: rpa")};

const TDiagramItem& Item(TItemKind kind, int id) {
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == kind && item.Id == id) return item;
  }
  qFatal("no such item");
}

}  // namespace

class DiagramColoursTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theMachineDiagramStandsOutOnEveryPalette() {
    TAppCore core;
    TProgramDocument program;
    program.SetTexts(kSum);
    CompileProgram(core.Assembler(), core.Control(), program);
    core.Control().ExecuteCycle();  // the fetch: bus S driven, bus A idle
    QVERIFY(core.Machine().BusDriven(TBusId::S));
    QVERIFY(!core.Machine().BusDriven(TBusId::A));
    for (const TNamedPalette& each : Palettes()) {
      const char* name = each.Name;
      const QPalette& palette = each.Palette;
      TMachineDiagram diagram(core);
      diagram.setPalette(palette);
      diagram.resize(2 * kDiagramWidth, 2 * kDiagramHeight);
      const QImage image = diagram.grab().toImage();
      const QColor face = image.pixelColor(diagram.WidgetRect(QRect(798, 468, 4, 4)).center());
      QCOMPARE(face, palette.color(QPalette::Window));
      const auto check = [&](const char* what, double ratio) {
        QVERIFY2(ratio >= kLeast, qPrintable(QStringLiteral("%1, %2: %3")
                                                  .arg(QLatin1String(name), QLatin1String(what))
                                                  .arg(ratio, 0, 'f', 2)));
      };
      const QColor driven =
          image.pixelColor(diagram.WidgetRect(Item(TItemKind::Bus, 0).Box).center());
      const QColor idle = image.pixelColor(diagram.WidgetRect(Item(TItemKind::Bus, 1).Box).center());
      // Painted in the colours of the table.
      QCOMPARE(driven, DiagramColours(palette).Active);
      QCOMPARE(idle, DiagramColours(palette).IdleBus);
      check("driven bus", Ratio(driven, face));
      check("idle bus", Ratio(idle, face));
      // Active stays red.
      QVERIFY2(driven.red() > driven.green() + 100 && driven.red() > driven.blue() + 100, name);
      const int czyt = static_cast<int>(TSignalId::czyt);
      const int pisz = static_cast<int>(TSignalId::pisz);
      const int wyl = static_cast<int>(TSignalId::wyl);
      check("active signal", MostContrast(image, diagram.WidgetRect(Item(TItemKind::Signal, czyt).Box), face));
      check("idle signal", MostContrast(image, diagram.WidgetRect(Item(TItemKind::Signal, pisz).Box), face));
      check("idle wire", MostContrast(image, diagram.WidgetRect(Item(TItemKind::Wire, wyl).Box), face));
    }
  }

  void everyColourInUseStandsOutFromWhatItIsDrawnOn() {
    for (const TNamedPalette& each : Palettes()) {
      const char* name = each.Name;
      const QPalette& palette = each.Palette;
      const auto check = [&](const char* what, const QColor& colour, const QColor& background,
                             double least) {
        const double ratio = Ratio(colour, background);
        QVERIFY2(ratio >= least, qPrintable(QStringLiteral("%1, %2: %3")
                                                 .arg(QLatin1String(name), QLatin1String(what))
                                                 .arg(ratio, 0, 'f', 2)));
      };
      const TDiagramColours m = DiagramColours(palette);
      check("idle bus", m.IdleBus, m.Face, kLeast);
      check("active", m.Active, m.Face, kLeast);
      check("ink", m.Ink, m.Face, kLeast);
      check("frame", m.Ink, m.Box, kLeast);
      check("focus", m.Focus, m.Face, kLeast);
      check("focus in a box", m.Focus, m.Box, kLeast);
      check("register text", m.Text, m.Box, 4.5);
      QVERIFY2(m.Active.red() > m.Active.green() + 100 && m.Active.red() > m.Active.blue() + 100,
               name);
    }
  }
};

QTEST_MAIN(DiagramColoursTest)
#include "DiagramColoursTest.moc"
