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
// passes every cycle on to the recorder that was there before it (a trace).
class TExecutionCount final : public ICycleRecorder {
 public:
  explicit TExecutionCount(TController& control);
  ~TExecutionCount() override;
  TExecutionCount(const TExecutionCount&) = delete;
  TExecutionCount& operator=(const TExecutionCount&) = delete;

  void BeginCycle() override;
  void EndCycle(const EDorumError* error) override;
  void ControlChanged() override;
  void InstructionsChanged() override;

  // Times each instruction was fetched, by name, in list order.
  [[nodiscard]] std::vector<std::pair<QString, std::uint64_t>> Counts() const;
  [[nodiscard]] std::uint64_t Count(const QString& name) const;
  [[nodiscard]] QJsonObject ToJson() const;

 private:
  TController& control_;
  ICycleRecorder* next_;
  bool fetching_ = false;
  std::map<int, std::uint64_t> counts_;  // by operation code
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
