#include "CoreText.h"

#include <QFileDevice>
#include <QFileInfo>
#include <optional>

#include "common/Texts.h"

namespace dorum {

namespace {

// The toolkit's error when the failed call left no errno.
std::optional<std::errc> ToolkitCause(const QFileDevice& file, TFileAccess access) {
  switch (file.error()) {
    case QFileDevice::ResourceError:
      // The toolkit's name for a full disk when writing.
      if (access == TFileAccess::Write) return std::errc::no_space_on_device;
      return std::nullopt;
    case QFileDevice::PermissionsError:
      return std::errc::permission_denied;
    default:
      return std::nullopt;
  }
}

}  // namespace

QStringList Q(const std::vector<std::string>& lines) {
  QStringList result;
  result.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) result.append(Q(line));
  return result;
}

std::vector<std::string> U8(const QStringList& lines) {
  std::vector<std::string> result;
  result.reserve(static_cast<std::size_t>(lines.size()));
  for (const QString& line : lines) result.push_back(U8(line));
  return result;
}

QString FileErrorReason(const QFileDevice& file, int errorNumber, TFileAccess access) {
  const std::string path = U8(file.fileName());
  if (errorNumber != 0 || QFileInfo(file.fileName()).isDir())
    return Q(FileErrorReason(errorNumber, path, access));
  if (const std::optional<std::errc> cause = ToolkitCause(file, access))
    return Q(FileErrorReason(std::make_error_code(*cause), path, access));
  return Q(Texts::OperatingSystemError()) + QStringLiteral(" (%1)").arg(file.errorString());
}

}  // namespace dorum
