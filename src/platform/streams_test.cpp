#include "platform/streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

/// Reads the whole of `source` in pieces of at most `piece` bytes.
std::string read_all(ByteSource& source, std::size_t piece) {
  std::string out;
  char buffer[64];
  for (;;) {
    ReadResult read = source.read(buffer, std::min(piece, sizeof buffer));
    EXPECT_EQ(read.error, 0);
    if (read.count == 0 || read.error != 0) {
      return out;
    }
    out.append(buffer, read.count);
  }
}

TEST(ByteSource, ReadsAFileByteForByteWhateverItsName) {
  // Line ends, a BOM, a NUL and a Ctrl-Z pass unchanged; the name is UTF-8.
  const std::string bytes = std::string("\xEF\xBB\xBFid,ne\r\nA,4282\n\x1A", 18) + '\0' + "end";
  for (const std::string name : {"streams_test_plain.csv",
                                 "streams_test_Proben_\xC3\x9C"
                                 "berlingen.csv"}) {
    {
      std::ofstream file(std::filesystem::u8path(name), std::ios::binary);
      file << bytes;
    }
    for (std::size_t piece : {1u, 7u, 64u}) {
      ErrorCode error = -1;
      ByteSource source = ByteSource::open_file(name, error);
      ASSERT_EQ(error, 0) << name;
      EXPECT_FALSE(source.is_terminal());
      EXPECT_EQ(read_all(source, piece), bytes) << name << " in pieces of " << piece;
    }
    std::filesystem::remove(std::filesystem::u8path(name));
  }
}

TEST(ByteSource, AFileThatCannotBeOpenedSaysWhy) {
  ErrorCode error = 0;
  ByteSource source = ByteSource::open_file("streams_test_no_such_file.csv", error);
  EXPECT_NE(error, 0);
  EXPECT_FALSE(error_text(error).empty());
  char buffer[4];
  EXPECT_EQ(source.read(buffer, sizeof buffer).count, 0u);
  EXPECT_NE(source.read(buffer, sizeof buffer).error, 0);
}

}  // namespace
}  // namespace platform
