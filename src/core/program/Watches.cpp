#include "program/Watches.h"

#include <algorithm>

#include "common/Text.h"
#include "common/Texts.h"
#include "machine/Machine.h"

namespace dorum {

namespace {

// Sort key of one lower-case character: letters with Polish diacritics come
// right after their base letter, everything else in code order.
int SortKey(QChar c) {
  static constexpr std::pair<char16_t, char16_t> kAfter[] = {
      {u'ą', u'a'}, {u'ć', u'c'}, {u'ę', u'e'}, {u'ł', u'l'}, {u'ń', u'n'},
      {u'ó', u'o'}, {u'ś', u's'}, {u'ź', u'z'}, {u'ż', u'z'}};
  const char16_t u = c.unicode();
  for (const auto& [letter, base] : kAfter) {
    // ż sorts after ź, both after z.
    if (u == letter) return base * 4 + 1 + (letter == u'ż' ? 1 : 0);
  }
  return u * 4;
}

// The sort keys of a whole name.
std::vector<int> SortKeys(const QString& name) {
  std::vector<int> keys;
  keys.reserve(static_cast<std::size_t>(name.size()));
  for (const QChar c : name) keys.push_back(SortKey(LowerChar(c)));
  return keys;
}

}  // namespace

int CompareNamesIgnoringCase(const QString& a, const QString& b) {
  const QString la = LowerCase(a);
  const QString lb = LowerCase(b);
  const qsizetype n = std::min(la.size(), lb.size());
  for (qsizetype i = 0; i < n; ++i) {
    const int d = SortKey(la[i]) - SortKey(lb[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(la.size() - lb.size());
}

void TWatchList::ClearWatches() {
  entries_.clear();
  if (OnChange) OnChange();
}

void TWatchList::AddWatch(const QString& name, int address) {
  const auto at = std::upper_bound(
      entries_.begin(), entries_.end(), name,
      [](const QString& n, const TWatch& w) { return CompareNamesIgnoringCase(n, w.Name) < 0; });
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

QString TWatchList::NameText(int index) const {
  const TWatch& watch = At(index);
  return watch.Name + QStringLiteral(" [ ") + QString::number(watch.Address) + QStringLiteral(" ]");
}

QString TWatchList::ContentText(int index, const TMachine& machine) const {
  const TWatch& watch = At(index);
  if (watch.Address < 0 || watch.Address >= machine.Memory().Size()) return Texts::OutsideMemory();
  return machine.CellText(watch.Address);
}

int TWatchList::AddressOf(const QString& name) const {
  for (const TWatch& watch : entries_) {
    if (CompareNamesIgnoringCase(watch.Name, name) == 0) return watch.Address;
  }
  return -1;
}

}  // namespace dorum
