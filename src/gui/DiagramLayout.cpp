#include "DiagramLayout.h"

#include <QPalette>
#include <algorithm>
#include <array>
#include <cmath>

#include "machine/Machine.h"

namespace dorum::gui {

namespace {

using K = TItemKind;
using D = TSignalDirection;
using A = TWireArrow;

constexpr int R(TRegisterId id) {
  return static_cast<int>(id);
}
constexpr int B(TBusId id) {
  return static_cast<int>(id);
}
constexpr int S(TSignalId id) {
  return static_cast<int>(id);
}

// clang-format off
const std::array<TDiagramItem, 93> kItems = {{
    // Wires first, then the buses, the boxes and the signals over them.
    {K::Wire, S(TSignalId::wea), QRect(662, 103, 12, 32), D::sdLeft, A::waStop, false, "WireWea"},
    {K::Wire, S(TSignalId::wes), QRect(674, 374, 12, 37), D::sdLeft, A::waStart, false, "WireWes"},
    {K::Wire, S(TSignalId::wys), QRect(649, 374, 13, 37), D::sdLeft, A::waStop, false, "WireWys"},
    {K::Wire, S(TSignalId::weja), QRect(360, 379, 12, 31), D::sdLeft, A::waStart, false, "WireWeja"},
    {K::Wire, S(TSignalId::wyak), QRect(423, 187, 12, 37), D::sdLeft, A::waNone, false, "WireWyak0"},
    {K::Wire, S(TSignalId::wyak), QRect(423, 187, 96, 13), D::sdLeft, A::waNone, true, "WireWyak1"},
    {K::Wire, S(TSignalId::wyak), QRect(514, 187, 13, 222), D::sdLeft, A::waStop, false, "WireWyak2"},
    {K::Wire, S(TSignalId::wel), QRect(122, 104, 14, 30), D::sdLeft, A::waStop, false, "WireWel"},
    {K::Wire, S(TSignalId::wyl), QRect(87, 104, 12, 30), D::sdLeft, A::waStart, false, "WireWyl"},
    {K::Wire, S(TSignalId::wei), QRect(129, 374, 12, 36), D::sdLeft, A::waStart, false, "WireWei"},
    {K::Wire, S(TSignalId::wyad), QRect(197, 104, 10, 250), D::sdLeft, A::waStart, false, "WireWyad"},
    {K::Wire, S(TSignalId::wyls), QRect(43, 154, 12, 256), D::sdLeft, A::waStop, false, "WireWyls"},
    {K::Wire, S(TSignalId::wews), QRect(416, 102, 13, 32), D::sdLeft, A::waStop, false, "WireWews"},
    {K::Wire, S(TSignalId::wyws), QRect(380, 102, 10, 32), D::sdLeft, A::waStart, false, "WireWyws"},
    {K::Wire, S(TSignalId::wex), QRect(134, 415, 10, 35), D::sdLeft, A::waStop, false, "WireWex"},
    {K::Wire, S(TSignalId::wyx), QRect(99, 415, 10, 35), D::sdLeft, A::waStart, false, "WireWyx"},
    {K::Wire, S(TSignalId::wey), QRect(334, 415, 10, 35), D::sdLeft, A::waStop, false, "WireWey"},
    {K::Wire, S(TSignalId::wyy), QRect(298, 415, 10, 35), D::sdLeft, A::waStart, false, "WireWyy"},
    {K::Wire, S(TSignalId::werm), QRect(122, 68, 10, 32), D::sdLeft, A::waStart, false, "WireWerm"},
    {K::Wire, S(TSignalId::wyrm), QRect(87, 68, 10, 32), D::sdLeft, A::waStop, false, "WireWyrm"},
    {K::Wire, S(TSignalId::wyap), QRect(302, 68, 10, 32), D::sdLeft, A::waStop, false, "WireWyap"},
    {K::Wire, S(TSignalId::werb), QRect(577, 415, 10, 35), D::sdLeft, A::waStop, false, "WireWerb"},
    {K::Wire, S(TSignalId::wyrb), QRect(542, 415, 10, 35), D::sdLeft, A::waStart, false, "WireWyrb"},
    {K::Wire, S(TSignalId::start), QRect(717, 415, 10, 35), D::sdLeft, A::waStop, false, "WireStart"},
    {K::Wire, S(TSignalId::wyg), QRect(695, 415, 10, 35), D::sdLeft, A::waStart, false, "WireWyg"},
    {K::Bus, B(TBusId::A), QRect(10, 100, 780, 5), D::sdLeft, A::waNone, true, "BusA"},
    {K::Bus, B(TBusId::S), QRect(8, 410, 782, 6), D::sdLeft, A::waNone, true, "BusS"},
    {K::Bus, B(TBusId::AS), QRect(232, 105, 7, 305), D::sdLeft, A::waNone, false, "BusAS"},
    {K::Register, R(TRegisterId::AK), QRect(300, 223, 149, 20), D::sdLeft, A::waNone, false, "RegisterAK"},
    {K::Register, R(TRegisterId::I), QRect(61, 354, 150, 20), D::sdLeft, A::waNone, false, "RegisterI"},
    {K::Register, R(TRegisterId::L), QRect(37, 134, 150, 20), D::sdLeft, A::waNone, false, "RegisterL"},
    {K::Register, R(TRegisterId::A), QRect(584, 134, 169, 20), D::sdLeft, A::waNone, false, "RegisterA"},
    {K::Register, R(TRegisterId::S), QRect(584, 355, 169, 20), D::sdLeft, A::waNone, false, "RegisterS"},
    {K::Register, R(TRegisterId::WS), QRect(328, 134, 150, 20), D::sdLeft, A::waNone, false, "RegisterWS"},
    {K::Register, R(TRegisterId::X), QRect(49, 449, 150, 20), D::sdLeft, A::waNone, false, "RegisterX"},
    {K::Register, R(TRegisterId::Y), QRect(245, 449, 150, 20), D::sdLeft, A::waNone, false, "RegisterY"},
    {K::Register, R(TRegisterId::RZ), QRect(37, 12, 150, 20), D::sdLeft, A::waNone, false, "RegisterRZ"},
    {K::Register, R(TRegisterId::RM), QRect(37, 48, 150, 20), D::sdLeft, A::waNone, false, "RegisterRM"},
    {K::Register, R(TRegisterId::RP), QRect(230, 12, 150, 20), D::sdLeft, A::waNone, false, "RegisterRP"},
    {K::Register, R(TRegisterId::AP), QRect(230, 48, 150, 20), D::sdLeft, A::waNone, false, "RegisterAP"},
    {K::Register, R(TRegisterId::RB), QRect(491, 449, 150, 20), D::sdLeft, A::waNone, false, "RegisterRB"},
    {K::Register, R(TRegisterId::G), QRect(691, 449, 43, 20), D::sdLeft, A::waNone, false, "RegisterG"},
    {K::Register, R(TRegisterId::F), QRect(300, 202, 117, 20), D::sdLeft, A::waNone, false, "RegisterF"},
    {K::Memory, 0, QRect(584, 155, 169, 200), D::sdLeft, A::waNone, false, "Memory"},
    {K::Alu, 0, QRect(300, 244, 150, 136), D::sdLeft, A::waNone, false, "Alu"},
    {K::Signal, S(TSignalId::czyt), QRect(756, 224, 50, 25), D::sdLeft, A::waNone, false, "SignalCzyt"},
    {K::Signal, S(TSignalId::pisz), QRect(756, 261, 50, 25), D::sdLeft, A::waNone, false, "SignalPisz"},
    {K::Signal, S(TSignalId::wys), QRect(604, 381, 50, 20), D::sdRight, A::waNone, false, "SignalWys"},
    {K::Signal, S(TSignalId::wyak), QRect(520, 220, 50, 24), D::sdLeft, A::waNone, false, "SignalWyak"},
    {K::Signal, S(TSignalId::wyad), QRect(140, 291, 62, 24), D::sdRight, A::waNone, false, "SignalWyad"},
    {K::Signal, S(TSignalId::wyl), QRect(32, 108, 61, 25), D::sdRight, A::waNone, false, "SignalWyl"},
    {K::Signal, S(TSignalId::wyg), QRect(650, 423, 50, 20), D::sdRight, A::waNone, false, "SignalWyg"},
    {K::Signal, S(TSignalId::wyrb), QRect(497, 423, 50, 20), D::sdRight, A::waNone, false, "SignalWyrb"},
    {K::Signal, S(TSignalId::wyx), QRect(54, 423, 50, 20), D::sdRight, A::waNone, false, "SignalWyx"},
    {K::Signal, S(TSignalId::wyy), QRect(253, 423, 50, 20), D::sdRight, A::waNone, false, "SignalWyy"},
    {K::Signal, S(TSignalId::wyls), QRect(49, 162, 62, 24), D::sdLeft, A::waNone, false, "SignalWyls"},
    {K::Signal, S(TSignalId::wyws), QRect(342, 109, 44, 25), D::sdRight, A::waNone, false, "SignalWyws"},
    {K::Signal, S(TSignalId::wyrm), QRect(31, 74, 61, 25), D::sdRight, A::waNone, false, "SignalWyrm"},
    {K::Signal, S(TSignalId::wyap), QRect(245, 74, 62, 25), D::sdRight, A::waNone, false, "SignalWyap"},
    {K::Signal, S(TSignalId::as), QRect(238, 111, 61, 25), D::sdLeft, A::waNone, false, "SignalAs"},
    {K::Signal, S(TSignalId::weja), QRect(316, 382, 50, 24), D::sdRight, A::waNone, false, "SignalWeja"},
    {K::Signal, S(TSignalId::dod), QRect(250, 260, 50, 25), D::sdRight, A::waNone, false, "SignalDod"},
    {K::Signal, S(TSignalId::ode), QRect(250, 280, 50, 25), D::sdRight, A::waNone, false, "SignalOde"},
    {K::Signal, S(TSignalId::przep), QRect(250, 300, 50, 24), D::sdRight, A::waNone, false, "SignalPrzep"},
    {K::Signal, S(TSignalId::mno), QRect(250, 320, 50, 25), D::sdRight, A::waNone, false, "SignalMno"},
    {K::Signal, S(TSignalId::dziel), QRect(250, 340, 50, 24), D::sdRight, A::waNone, false, "SignalDziel"},
    {K::Signal, S(TSignalId::shr), QRect(250, 360, 50, 25), D::sdRight, A::waNone, false, "SignalShr"},
    {K::Signal, S(TSignalId::neg), QRect(449, 241, 50, 24), D::sdLeft, A::waNone, false, "SignalNeg"},
    {K::Signal, S(TSignalId::lub), QRect(449, 261, 50, 25), D::sdLeft, A::waNone, false, "SignalLub"},
    {K::Signal, S(TSignalId::i), QRect(449, 281, 50, 25), D::sdLeft, A::waNone, false, "SignalI"},
    {K::Signal, S(TSignalId::new1), QRect(449, 301, 50, 24), D::sdLeft, A::waNone, false, "SignalNew1"},
    {K::Signal, S(TSignalId::new2), QRect(449, 321, 50, 25), D::sdLeft, A::waNone, false, "SignalNew2"},
    {K::Signal, S(TSignalId::new3), QRect(449, 341, 50, 24), D::sdLeft, A::waNone, false, "SignalNew3"},
    {K::Signal, S(TSignalId::new4), QRect(449, 361, 50, 25), D::sdLeft, A::waNone, false, "SignalNew4"},
    {K::Signal, S(TSignalId::iak), QRect(249, 220, 50, 25), D::sdRight, A::waNone, false, "SignalIak"},
    {K::Signal, S(TSignalId::dak), QRect(449, 221, 50, 25), D::sdLeft, A::waNone, false, "SignalDak"},
    {K::Signal, S(TSignalId::weak), QRect(250, 240, 50, 24), D::sdRight, A::waNone, false, "SignalWeak"},
    {K::Signal, S(TSignalId::wei), QRect(84, 380, 50, 24), D::sdRight, A::waNone, false, "SignalWei"},
    {K::Signal, S(TSignalId::wea), QRect(668, 108, 50, 25), D::sdLeft, A::waNone, false, "SignalWea"},
    {K::Signal, S(TSignalId::wes), QRect(680, 381, 50, 20), D::sdLeft, A::waNone, false, "SignalWes"},
    {K::Signal, S(TSignalId::il), QRect(5, 134, 31, 25), D::sdRight, A::waNone, false, "SignalIl"},
    {K::Signal, S(TSignalId::wel), QRect(129, 108, 62, 25), D::sdLeft, A::waNone, false, "SignalWel"},
    {K::Signal, S(TSignalId::wex), QRect(141, 423, 50, 20), D::sdLeft, A::waNone, false, "SignalWex"},
    {K::Signal, S(TSignalId::wey), QRect(340, 423, 50, 20), D::sdLeft, A::waNone, false, "SignalWey"},
    {K::Signal, S(TSignalId::werb), QRect(584, 423, 50, 20), D::sdLeft, A::waNone, false, "SignalWerb"},
    {K::Signal, S(TSignalId::start), QRect(724, 423, 50, 20), D::sdLeft, A::waNone, false, "SignalStart"},
    {K::Signal, S(TSignalId::iws), QRect(286, 134, 42, 25), D::sdRight, A::waNone, false, "SignalIws"},
    {K::Signal, S(TSignalId::dws), QRect(478, 134, 41, 25), D::sdLeft, A::waNone, false, "SignalDws"},
    {K::Signal, S(TSignalId::wews), QRect(423, 109, 47, 25), D::sdLeft, A::waNone, false, "SignalWews"},
    {K::Signal, S(TSignalId::werm), QRect(129, 74, 62, 25), D::sdLeft, A::waNone, false, "SignalWerm"},
    {K::Signal, S(TSignalId::rint), QRect(416, 17, 61, 25), D::sdLeft, A::waNone, false, "SignalRint"},
    {K::Signal, S(TSignalId::eni), QRect(416, 38, 61, 25), D::sdLeft, A::waNone, false, "SignalEni"},
    {K::Signal, S(TSignalId::stop), QRect(77, 247, 61, 24), D::sdLeft, A::waNone, false, "SignalStop"},
}};
// clang-format on

}  // namespace

std::span<const TDiagramItem> DiagramItems() {
  return kItems;
}

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
