#include "program/Watches.h"

#include <algorithm>

#include "common/Text.h"
#include "common/Texts.h"
#include "machine/Machine.h"

namespace dorum {

namespace {

// Sort key of one lower-case character: letters with Polish diacritics come
// right after their base letter, everything else in code order.
int SortKey(char32_t c) {
  static constexpr std::pair<char32_t, char32_t> kAfter[] = {
      {U'ą', U'a'}, {U'ć', U'c'}, {U'ę', U'e'}, {U'ł', U'l'}, {U'ń', U'n'},
      {U'ó', U'o'}, {U'ś', U's'}, {U'ź', U'z'}, {U'ż', U'z'}};
  for (const auto& [letter, base] : kAfter) {
    // ż sorts after ź, both after z.
    if (c == letter) return static_cast<int>(base) * 4 + 1 + (letter == U'ż' ? 1 : 0);
  }
  return static_cast<int>(c) * 4;
}

// The sort keys of a whole name.
std::vector<int> SortKeys(std::string_view name) {
  std::vector<int> keys;
  keys.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) keys.push_back(SortKey(LowerChar(NextChar(name, i))));
  return keys;
}

}  // namespace

int CompareNamesIgnoringCase(const std::string& a, const std::string& b) {
  const std::vector<int> ka = SortKeys(a);
  const std::vector<int> kb = SortKeys(b);
  const std::size_t n = std::min(ka.size(), kb.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = ka[i] - kb[i];
    if (d != 0) return d;
  }
  return static_cast<int>(ka.size()) - static_cast<int>(kb.size());
}

void TWatchList::ClearWatches() {
  entries_.clear();
  if (OnChange) OnChange();
}

void TWatchList::AddWatch(const std::string& name, int address) {
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), name,
                                   [](const std::string& n, const TWatch& w) {
                                     return CompareNamesIgnoringCase(n, w.Name) < 0;
                                   });
  entries_.insert(at, TWatch{name, address});
  if (OnChange) OnChange();
}

void TWatchList::SetWatches(std::vector<TWatch> entries) {
  // Each name's keys are worked out once, not at every comparison.
  std::vector<std::pair<std::vector<int>, std::size_t>> order;
  order.reserve(entries.size());
  for (std::size_t k = 0; k < entries.size(); ++k) order.emplace_back(SortKeys(entries[k].Name), k);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  entries_.clear();
  entries_.reserve(entries.size());
  for (const auto& [keys, k] : order) entries_.push_back(std::move(entries[k]));
  if (OnChange) OnChange();
}

std::string TWatchList::NameText(int index) const {
  const TWatch& watch = At(index);
  return watch.Name + std::string(" [ ") + ToText(watch.Address) + " ]";
}

std::string TWatchList::ContentText(int index, const TMachine& machine) const {
  const TWatch& watch = At(index);
  if (watch.Address < 0 || watch.Address >= machine.Memory().Size()) return Texts::OutsideMemory();
  return machine.CellText(watch.Address);
}

int TWatchList::AddressOf(const std::string& name) const {
  for (const TWatch& watch : entries_) {
    if (CompareNamesIgnoringCase(watch.Name, name) == 0) return watch.Address;
  }
  return -1;
}

}  // namespace dorum
