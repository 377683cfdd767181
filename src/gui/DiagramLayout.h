#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <initializer_list>

#include "diagram/DiagramItems.h"

class QPalette;

namespace dorum::gui {

// A design box as the toolkit's rectangle.
[[nodiscard]] inline QRect Rect(const TBox& box) {
  return {box.X, box.Y, box.Width, box.Height};
}

// ---- colours ----

// How far a line, a bus or a hatching must stand out from what it is drawn
// on, and a text: contrast ratios as WCAG 2 defines them.
inline constexpr double kLineContrast = 3.0;
inline constexpr double kTextContrast = 4.5;

// The contrast ratio of two colours, from 1 (the same) to 21 (black and
// white), by their relative luminance.
[[nodiscard]] double ContrastRatio(const QColor& a, const QColor& b);
// `top` laid over `bottom` with an opacity of `alpha` (0 to 1), as one colour.
[[nodiscard]] QColor Blend(const QColor& bottom, const QColor& top, double alpha);
// `wanted` where it stands out at least `ratio` from every background, else
// the least mix of it with black or white (whichever stands out more) that
// does. Themes hand out colours that suit their own widgets, not a diagram:
// this keeps the theme's shade wherever it is legible.
[[nodiscard]] QColor Legible(const QColor& wanted, std::initializer_list<QColor> backgrounds,
                             double ratio);

// The colours of the machine diagram under a palette. Active things are red
// on every palette, a lighter red on a dark face.
struct TDiagramColours {
  QColor Face;     // around the items
  QColor Box;      // inside registers and the memory
  QColor Ink;      // frames, idle signals and their wires, their captions
  QColor Text;     // in the boxes
  QColor IdleBus;  // a bus nothing drives
  QColor Active;   // a driven bus, an active signal and its wire
  QColor Focus;    // the keyboard's mark
};
[[nodiscard]] TDiagramColours DiagramColours(const QPalette& palette);

}  // namespace dorum::gui
