#pragma once

#include <QJsonObject>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

#include "control/ControlUnit.h"

namespace dorum::cli {

// Counts how often each instruction was fetched, so a grader can ask that a
// student's instruction really ran and did not just sit in the list. It
// reads the control unit's own counts, so the run stays free of a recorder.
class TExecutionCount final {
 public:
  // Counts from now on.
  explicit TExecutionCount(const TController& control);

  // Times each instruction was fetched, by name, in list order.
  [[nodiscard]] std::vector<std::pair<QString, std::uint64_t>> Counts() const;
  [[nodiscard]] std::uint64_t Count(const QString& name) const;
  [[nodiscard]] QJsonObject ToJson() const;

 private:
  const TController& control_;
  std::vector<std::uint64_t> before_;  // the control unit's counts at the start, by code
};

// One instruction that had to run at least once.
struct TMustExecute {
  QString Name;
  std::uint64_t Executed = 0;
  [[nodiscard]] bool Held() const noexcept { return Executed > 0; }
};

// "DOD,ODE" (the option may repeat) as a list of names, without blanks.
[[nodiscard]] QStringList SplitNames(const QStringList& values);

}  // namespace dorum::cli
