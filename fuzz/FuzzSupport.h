#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "common/Text.h"

namespace dorum::fuzz {

// The input as the lines of a text file, decoded as the system reads files.
inline QStringList Lines(const std::uint8_t* data, std::size_t size) {
  return DecodeTextLines(
      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
}

}  // namespace dorum::fuzz
