#pragma once

#include <QString>

#include "TestSuite.h"

namespace dorum::cli {

// Writes the suite a student may check their work with into `folder`, under
// the suite's own file name: the cases marked "public" only, each cycle limit
// the number the teacher's grading uses (those set by the reference
// included), without the reference and the class's folder; the list and the
// input files copied beside it. `suite` is the loaded suite with the
// reference's limits worked out. Returns the path written; EDorumError says
// why it could not be.
[[nodiscard]] QString WritePublicSuite(const TTestSuite& suite, const QString& folder);

}  // namespace dorum::cli
