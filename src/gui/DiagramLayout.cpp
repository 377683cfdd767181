#include "DiagramLayout.h"

#include <QPalette>
#include <algorithm>
#include <array>
#include <cmath>

namespace dorum::gui {

// ---- colours ----

namespace {

double Luminance(const QColor& colour) {
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double LeastContrast(const QColor& colour, std::initializer_list<QColor> backgrounds) {
  double least = 21.0;
  for (const QColor& background : backgrounds)
    least = std::min(least, ContrastRatio(colour, background));
  return least;
}

// The red of active things as the classic diagram has it.
const QColor kActiveRed(0xE0, 0x10, 0x10);

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Blend(const QColor& bottom, const QColor& top, double alpha) {
  const auto mix = [alpha](double b, double t) { return b + (t - b) * alpha; };
  const QColor b = bottom.toRgb();
  const QColor t = top.toRgb();
  return QColor::fromRgbF(static_cast<float>(mix(b.redF(), t.redF())),
                          static_cast<float>(mix(b.greenF(), t.greenF())),
                          static_cast<float>(mix(b.blueF(), t.blueF())));
}

QColor Legible(const QColor& wanted, std::initializer_list<QColor> backgrounds, double ratio) {
  const QColor black(Qt::black);
  const QColor white(Qt::white);
  const QColor towards =
      LeastContrast(white, backgrounds) > LeastContrast(black, backgrounds) ? white : black;
  // Small steps, so the colour moves no further from the theme's than needed.
  constexpr int kSteps = 64;
  for (int step = 0; step <= kSteps; ++step) {
    QColor mixed = Blend(wanted, towards, static_cast<double>(step) / kSteps);
    // Rounded to whole channels, as it will be painted.
    mixed = QColor(mixed.rgb());
    if (LeastContrast(mixed, backgrounds) >= ratio) return mixed;
  }
  return towards;
}

TDiagramColours DiagramColours(const QPalette& palette) {
  TDiagramColours c;
  c.Face = palette.color(QPalette::Window);
  c.Box = palette.color(QPalette::Base);
  // Captions of signals are text, the lines beside them in the same ink.
  c.Ink = Legible(palette.color(QPalette::WindowText), {c.Face, c.Box}, kTextContrast);
  c.Text = Legible(palette.color(QPalette::Text), {c.Box}, kTextContrast);
  // Mid suits a frame's shadow; a dark theme's is as dark as the face.
  c.IdleBus = Legible(palette.color(QPalette::Mid), {c.Face}, kLineContrast);
  c.Active = Legible(kActiveRed, {c.Face}, kLineContrast);
  c.Focus = Legible(palette.color(QPalette::Highlight), {c.Face, c.Box}, kLineContrast);
  return c;
}

}  // namespace dorum::gui
