// One file's value of a word, as the index build collects it and the index
// writers turn it into count rows and data-file cells.
#pragma once

#include <cstdint>

namespace quor {

// The file number (1-based data-file column) and the byte value (1..255),
// packed as file << 8 | value.
struct Posting {
  std::uint32_t packed = 0;
  std::uint32_t File() const { return packed >> 8; }
  std::uint8_t Value() const { return static_cast<std::uint8_t>(packed & 0xFF); }
};

}  // namespace quor
