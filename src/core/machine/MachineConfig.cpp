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
      {1, "połączenie międzymagistralowe", "Połączenie"},
      {2, "inkrementacja i dekrementacja akumulatora", "Inkrementacja"},
      {3, "operacje logiczne w JAL", "Logiczne"},
      {4, "rozszerzone operacje arytmetyczne w JAL", "Arytmetyczne"},
      {5, "obsługa stosu", "Stos"},
      {6, "rejestr X", "RejestrX"},
      {7, "rejestr Y", "RejestrY"},
      {8, "przerwania", "Przerwania"},
      {9, "wejście/wyjście", "Wejście"},
      {10, "dodatkowe znaczniki", "Znaczniki"},
  }};
  return options;
}

const std::array<TPreset, 4>& Presets() {
  static const std::array<TPreset, 4> presets = {{
      {"Dorum", Options({0})},
      {"Dorum+", Options({0, 1})},
      {"Pelt", Options({0, 1, 2, 3, 4, 5, 6, 7})},
      {"Ombra", Options({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
  }};
  return presets;
}

std::optional<TComponentSet> PresetComponents(const std::string& name) {
  for (const TPreset& preset : Presets()) {
    if (EqualsIgnoringAsciiCase(name, preset.Name)) return preset.Components;
  }
  return std::nullopt;
}

std::string PresetName(const TComponentSet& components) {
  for (const TPreset& preset : Presets()) {
    if (preset.Components == components) return preset.Name;
  }
  return {};
}

TInterruptVectors DefaultVectors() {
  return {{{1, "AP1"}, {2, "AP2"}, {3, "AP3"}, {4, "AP4"}}};
}

}  // namespace dorum
