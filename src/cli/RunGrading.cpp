#include "RunGrading.h"

#include "program/Watches.h"

namespace dorum::cli {

TExecutionCount::TExecutionCount(TController& control)
    : control_(control), next_(control.CycleRecorder()) {
  control_.SetCycleRecorder(this);
}

TExecutionCount::~TExecutionCount() {
  // The trace below may have gone first and unhooked everything.
  if (control_.CycleRecorder() == this) control_.SetCycleRecorder(next_);
}

void TExecutionCount::BeginCycle() {
  fetching_ = control_.AtFetch();
  if (next_ != nullptr) next_->BeginCycle();
}

void TExecutionCount::EndCycle(const EDorumError* error) {
  // A fetch brings the instruction into I even when the cycle then fails.
  if (fetching_) ++counts_[control_.CurrentCode()];
  if (next_ != nullptr) next_->EndCycle(error);
}

void TExecutionCount::ControlChanged() {
  if (next_ != nullptr) next_->ControlChanged();
}

void TExecutionCount::InstructionsChanged() {
  if (next_ != nullptr) next_->InstructionsChanged();
}

std::vector<std::pair<QString, std::uint64_t>> TExecutionCount::Counts() const {
  std::vector<std::pair<QString, std::uint64_t>> counts;
  const TInstructionList& list = control_.Instructions();
  for (const auto& [code, times] : counts_) {
    const TInstruction* instruction = list.Find(code);
    // A code beyond the list is no instruction: the run refused it.
    if (instruction != nullptr) counts.emplace_back(instruction->Name(), times);
  }
  return counts;
}

std::uint64_t TExecutionCount::Count(const QString& name) const {
  std::uint64_t total = 0;
  for (const auto& [instruction, times] : Counts()) {
    if (CompareNamesIgnoringCase(instruction, name) == 0) total += times;
  }
  return total;
}

QJsonObject TExecutionCount::ToJson() const {
  QJsonObject json;
  for (const auto& [name, times] : Counts()) json[name] = static_cast<qint64>(times);
  return json;
}

QStringList SplitNames(const QStringList& values) {
  QStringList names;
  for (const QString& value : values) {
    for (const QString& name : value.split(u',', Qt::SkipEmptyParts)) {
      if (!name.trimmed().isEmpty()) names.append(name.trimmed());
    }
  }
  return names;
}

}  // namespace dorum::cli
