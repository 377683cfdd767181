#include "machine/MachineConfig.h"

namespace dorum {

namespace {

TComponentSet Options(std::initializer_list<int> numbers) {
  TComponentSet set;
  for (const int n : numbers) set.set(static_cast<std::size_t>(n));
  return set;
}

}  // namespace

const std::array<TComponentOption, kOptionCount>& ComponentOptions() {
  static const std::array<TComponentOption, kOptionCount> options = {{
      {1, u"połączenie międzymagistralowe", u"Połączenie"},
      {2, u"inkrementacja i dekrementacja akumulatora", u"Inkrementacja"},
      {3, u"operacje logiczne w JAL", u"Logiczne"},
      {4, u"rozszerzone operacje arytmetyczne w JAL", u"Arytmetyczne"},
      {5, u"obsługa stosu", u"Stos"},
      {6, u"rejestr X", u"RejestrX"},
      {7, u"rejestr Y", u"RejestrY"},
      {8, u"przerwania", u"Przerwania"},
      {9, u"wejście/wyjście", u"Wejście"},
      {10, u"dodatkowe znaczniki", u"Znaczniki"},
  }};
  return options;
}

const std::array<TPreset, 4>& Presets() {
  static const std::array<TPreset, 4> presets = {{
      {u"Dorum", Options({0})},
      {u"Dorum+", Options({0, 1})},
      {u"Pelt", Options({0, 1, 2, 3, 4, 5, 6, 7})},
      {u"Ombra", Options({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
  }};
  return presets;
}

std::optional<TComponentSet> PresetComponents(const QString& name) {
  for (const TPreset& preset : Presets()) {
    if (name.compare(QString::fromUtf16(preset.Name), Qt::CaseInsensitive) == 0)
      return preset.Components;
  }
  return std::nullopt;
}

QString PresetName(const TComponentSet& components) {
  for (const TPreset& preset : Presets()) {
    if (preset.Components == components) return QString::fromUtf16(preset.Name);
  }
  return {};
}

TInterruptVectors DefaultVectors() {
  return {{{1, QStringLiteral("AP1")},
           {2, QStringLiteral("AP2")},
           {3, QStringLiteral("AP3")},
           {4, QStringLiteral("AP4")}}};
}

}  // namespace dorum
