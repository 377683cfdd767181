// The colours of the machine diagram and of the timing diagram against the
// palettes students' desktops hand the application: a light one, a dark one
// and one like GTK's dark themes, whose face and base are close greys. Every
// line, bus and hatching must stand out from what it is drawn on by a
// contrast ratio of at least 3:1, the ratios computed as WCAG defines them.
#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QTest>
#include <cmath>
#include <map>

#include "AppCore.h"
#include "DiagramLayout.h"
#include "MachineDiagram.h"
#include "TimingDiagram.h"
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
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Ratio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette PaletteOf(const QColor& window, const QColor& base, const QColor& text, const QColor& mid,
                   const QColor& highlight) {
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
      {"dark",
       PaletteOf(QColor(0x2d, 0x2d, 0x30), QColor(0x1e, 0x1e, 0x1e), QColor(0xe6, 0xe6, 0xe6),
                 QColor(0x55, 0x55, 0x58), QColor(0x3a, 0x6e, 0xa5))},
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

const TLines kSum = {"pob x", "dod y", "ład z", "stp", "x: rst 5", "y: rst 7", "z: rpa"};

const TDiagramItem& Item(TItemKind kind, int id) {
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == kind && item.Id == id) return item;
  }
  qFatal("no such item");
}

// Cycles in which nothing drives a bus and, if `toggling`, "czyt" goes on
// and off.
std::vector<TRecordedCycle> Toggling(int count, bool toggling) {
  std::vector<TRecordedCycle> cycles(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    TRecordedCycle& cycle = cycles[static_cast<std::size_t>(k)];
    cycle.Number = static_cast<std::uint64_t>(k) + 1;
    cycle.Sample.Signals = (toggling && k % 2 == 0) ? 1u : 0u;
  }
  return cycles;
}

// The colour most pixels of an area have: what a hatching is drawn on.
QColor MostFrequent(const QImage& image, const QRect& area) {
  std::map<QRgb, int> counts;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y)];
  }
  const auto most = std::ranges::max_element(
      counts, [](const auto& a, const auto& b) { return a.second < b.second; });
  return QColor::fromRgb(most->first);
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
      const QColor idle =
          image.pixelColor(diagram.WidgetRect(Item(TItemKind::Bus, 1).Box).center());
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
      check("active signal",
            MostContrast(image, diagram.WidgetRect(Item(TItemKind::Signal, czyt).Box), face));
      check("idle signal",
            MostContrast(image, diagram.WidgetRect(Item(TItemKind::Signal, pisz).Box), face));
      check("idle wire",
            MostContrast(image, diagram.WidgetRect(Item(TItemKind::Wire, wyl).Box), face));
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

      const TTimingColours t = TimingColours(palette);
      for (const QColor& under : {t.Paper, t.CurrentColumn, t.SignalFill, t.CurrentSignalFill})
        check("ink", t.Ink, under, 4.5);
      for (const QColor& under : {t.Paper, t.Ruler, t.FadedSignalFill})
        check("faded", t.Faded, under, kLeast);
      check("grid", t.Grid, t.Paper, kLeast);
      check("grid on the ruler", t.Grid, t.Ruler, kLeast);
      check("hatching", t.Hatching, t.Paper, kLeast);
      check("hatching in the current cycle", t.Hatching, t.CurrentColumn, kLeast);
      check("ruler", t.RulerInk, t.Ruler, 4.5);
      check("current number", t.CurrentNumber, t.Ruler, 4.5);
      check("focus", t.Focus, t.Paper, kLeast);
      // Faded is plainly fainter than the ink, and the marks of the current
      // cycle and of a signal that is on are seen on the paper.
      QVERIFY2(Ratio(t.Faded, t.Paper) * 1.5 < Ratio(t.Ink, t.Paper), name);
      QVERIFY2(t.CurrentColumn != t.Paper && t.SignalFill != t.Paper, name);
    }
  }

  void theTimingDiagramStandsOutOnEveryPalette() {
    TAppCore core;
    for (const TNamedPalette& each : Palettes()) {
      const char* name = each.Name;
      const QPalette& palette = each.Palette;
      const auto check = [&](const char* what, std::size_t index, double ratio) {
        QVERIFY2(ratio >= kLeast, qPrintable(QStringLiteral("%1, %2 in cycle %3: %4")
                                                 .arg(QLatin1String(name), QLatin1String(what))
                                                 .arg(index + 1)
                                                 .arg(ratio, 0, 'f', 2)));
      };
      TTimingDiagram diagram(core.Machine());
      diagram.setPalette(palette);
      diagram.resize(900, 300);
      // Eight cycles, the fifth current, the last three faded; a signal
      // that changes in every cycle, in the first lane.
      diagram.SetCycles(Toggling(8, true), 4);
      QCOMPARE(diagram.LaneNames().front(), QStringLiteral("czyt"));
      QImage image = diagram.viewport()->grab().toImage();
      for (const std::size_t index : {std::size_t{1}, std::size_t{4}, std::size_t{6}}) {
        // The change at the cycle's left edge, across the lane's middle,
        // against what is on either side of it.
        const QPoint middle = diagram.CyclePoint(index);
        const int edge = middle.x() - diagram.CellWidth() / 2;
        const QRect line(edge - 2, middle.y() - 2, 5, 5);
        check("signal", index,
              std::min(MostContrast(image, line, image.pixelColor(edge - 4, middle.y())),
                       MostContrast(image, line, image.pixelColor(edge + 4, middle.y()))));
      }
      // Only buses that nothing drives: the first lane is hatched.
      diagram.SetCycles(Toggling(8, false), 4);
      QCOMPARE(diagram.LaneNames().front(), QStringLiteral("mag S"));
      image = diagram.viewport()->grab().toImage();
      for (const std::size_t index : {std::size_t{1}, std::size_t{4}, std::size_t{6}}) {
        const QPoint middle = diagram.CyclePoint(index);
        const QRect area(middle.x() - 8, middle.y() - 2, 16, 5);
        const QColor under = MostFrequent(image, area);
        check("hatching", index, MostContrast(image, area, under));
        // Painted in the table's colour, the faded cycles too.
        bool hatched = false;
        for (int y = area.top(); y <= area.bottom(); ++y) {
          for (int x = area.left(); x <= area.right(); ++x)
            hatched = hatched || image.pixelColor(x, y) == TimingColours(palette).Hatching;
        }
        QVERIFY2(hatched, name);
      }
    }
  }
};

QTEST_MAIN(DiagramColoursTest)
#include "DiagramColoursTest.moc"
