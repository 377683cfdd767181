#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/Error.h"
#include "common/Text.h"

namespace dorum::fuzz {

// The input as the lines of a text file, decoded as the system reads files;
// none when the system refuses such a file (a NUL, bytes that are no text).
inline std::optional<TLines> Lines(const std::uint8_t* data, std::size_t size) {
  try {
    return DecodeTextLines(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EDorumError&) {
    return std::nullopt;
  }
}

}  // namespace dorum::fuzz
