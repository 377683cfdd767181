#include "RunGrading.h"

#include "CoreText.h"

namespace dorum::cli {

QJsonObject ExecutedJson(const TExecutionCount& count) {
  QJsonObject json;
  for (const auto& [name, times] : count.Counts()) json[Q(name)] = static_cast<qint64>(times);
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
