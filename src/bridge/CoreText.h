#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "common/Text.h"

class QFileDevice;

// Where the Qt front ends meet the core: the core's text is UTF-8 in
// std::string, the toolkit's is QString; each crossing goes through here.
namespace dorum {

[[nodiscard]] inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
[[nodiscard]] inline QString Q(char32_t c) {
  return QString::fromUcs4(&c, 1);
}
[[nodiscard]] QStringList Q(const std::vector<std::string>& lines);

[[nodiscard]] inline std::string U8(const QString& text) {
  return text.toStdString();
}
[[nodiscard]] std::vector<std::string> U8(const QStringList& lines);

// Bytes as they are, no decoding.
[[nodiscard]] inline QByteArray ByteArray(std::string_view bytes) {
  return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}
[[nodiscard]] inline std::string Bytes(const QByteArray& bytes) {
  return bytes.toStdString();
}

// Why a file the toolkit failed to open, read or write was refused, in the
// core's words. The toolkit's own error is coarser and its text English, so
// errno as the failed call left it (0 when it left none) comes first.
[[nodiscard]] QString FileErrorReason(const QFileDevice& file, int errorNumber, TFileAccess access);

}  // namespace dorum
