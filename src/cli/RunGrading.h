#pragma once

#include <QJsonObject>
#include <QStringList>

#include "app/GradingChecks.h"

namespace dorum::cli {

// The counts of a run as its JSON report gives them: name, times fetched.
[[nodiscard]] QJsonObject ExecutedJson(const TExecutionCount& count);

// "DOD,ODE" (the option may repeat) as a list of names, without blanks.
[[nodiscard]] QStringList SplitNames(const QStringList& values);

}  // namespace dorum::cli
