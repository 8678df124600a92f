#include "wasm/crc32.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wasm {
namespace {

constexpr std::size_t kSlices = 16;
using Tables = std::array<std::array<std::uint32_t, 256>, kSlices>;

/// Table 0 is the CRC of each byte alone; table k that of the byte followed by
/// k zero bytes, so that sixteen bytes are folded in by sixteen look-ups.
constexpr Tables make_tables() {
  Tables tables{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0u);
    }
    tables[0][byte] = crc;
  }
  for (std::size_t k = 1; k < kSlices; ++k) {
    for (std::size_t byte = 0; byte < 256; ++byte) {
      std::uint32_t previous = tables[k - 1][byte];
      tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr Tables kTables = make_tables();

/// The four bytes at `p` as a little-endian number.
inline std::uint32_t load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

/// The bytes of `word` (little-endian) looked up in tables `k + 3` down to `k`.
inline std::uint32_t fold(std::uint32_t word, std::size_t k) {
  return kTables[k + 3][word & 0xFF] ^ kTables[k + 2][(word >> 8) & 0xFF] ^
         kTables[k + 1][(word >> 16) & 0xFF] ^ kTables[k][word >> 24];
}

}  // namespace

std::uint32_t crc32(std::uint32_t crc, std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  crc = ~crc;
  while (n >= kSlices) {
    crc = fold(load32(p) ^ crc, 12) ^ fold(load32(p + 4), 8) ^ fold(load32(p + 8), 4) ^
          fold(load32(p + 12), 0);
    p += kSlices;
    n -= kSlices;
  }
  while (n-- > 0) {
    crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
  }
  return ~crc;
}

}  // namespace wasm
