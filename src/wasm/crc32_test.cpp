#include "wasm/crc32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wasm {
namespace {

TEST(Crc32, KnownValuesOfShortAndLongTexts) {
  struct Case {
    std::string bytes;
    std::uint32_t crc;
  };
  const std::vector<Case> cases = {
      {"", 0x00000000u},
      {"a", 0xE8B7BE43u},
      {"abc", 0x352441C2u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {std::string(32, '\0'), 0x190A55ADu},
      {std::string(32, '\xFF'), 0xFF6CAB0Bu},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crc32(0, c.bytes), c.crc) << c.bytes.size() << " bytes";
  }
}

TEST(Crc32, PiecesGiveTheCrcOfTheWholeWhereverTheySplit) {
  std::string bytes;
  std::uint32_t state = 1;
  for (int i = 0; i < 1000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 23));
  }
  const std::uint32_t whole = crc32(0, bytes);
  for (std::size_t piece : {1u, 3u, 15u, 16u, 17u, 100u, 999u}) {
    std::uint32_t crc = 0;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      crc = crc32(crc, std::string_view(bytes).substr(at, piece));
    }
    EXPECT_EQ(crc, whole) << "pieces of " << piece;
  }
}

}  // namespace
}  // namespace wasm
