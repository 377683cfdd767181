#include "RunGrading.h"

#include "CoreText.h"
#include "program/Watches.h"

namespace dorum::cli {

TExecutionCount::TExecutionCount(const TController& control) : control_(control) {
  // The control unit counts every fetch (a fetch brings the instruction
  // into I even when the cycle then fails); a run needs only the difference.
  for (int code = 0; code < (1 << kMaxCodeBits); ++code)
    before_.push_back(control_.FetchCount(code));
}

std::vector<std::pair<QString, std::uint64_t>> TExecutionCount::Counts() const {
  std::vector<std::pair<QString, std::uint64_t>> counts;
  const TInstructionList& list = control_.Instructions();
  for (int code = 0; code < list.Count(); ++code) {
    const std::uint64_t times = control_.FetchCount(code) - before_[static_cast<std::size_t>(code)];
    if (times > 0) counts.emplace_back(Q(list.At(code).Name()), times);
  }
  return counts;
}

std::uint64_t TExecutionCount::Count(const QString& name) const {
  std::uint64_t total = 0;
  for (const auto& [instruction, times] : Counts()) {
    if (CompareNamesIgnoringCase(U8(instruction), U8(name)) == 0) total += times;
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
