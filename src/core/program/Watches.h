#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/Strings.h"
#include "control/StopConditions.h"

namespace dorum {

class TMachine;

struct TWatch {
  std::string Name;
  int Address = 0;
};

// The labels of the program assembled last, kept in alphabetical order
// ignoring case (Polish letters after their base letters), each shown with
// the present content of its memory word.
class TWatchList final : public ILabelAddresses {
 public:
  void ClearWatches();
  // Inserts the entry at its sorted place (after entries that compare equal).
  void AddWatch(const std::string& name, int address);
  // Replaces every entry at once, sorted as AddWatch would have placed
  // them one by one.
  void SetWatches(std::vector<TWatch> entries);

  [[nodiscard]] int AddressOf(const std::string& name) const override;
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(entries_.size()); }
  [[nodiscard]] const TWatch& At(int index) const {
    return entries_.at(static_cast<std::size_t>(index));
  }
  // "name [ address ]"
  [[nodiscard]] std::string NameText(int index) const;
  // The word at the entry's address as the memory shows it; an address
  // outside the memory is never read.
  [[nodiscard]] std::string ContentText(int index, const TMachine& machine) const;

  // Raised after every change of the entries.
  std::function<void()> OnChange;

 private:
  std::vector<TWatch> entries_;
};

// Alphabetical comparison ignoring case: negative, zero or positive.
[[nodiscard]] int CompareNamesIgnoringCase(const std::string& a, const std::string& b);

}  // namespace dorum
