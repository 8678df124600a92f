#include "wasm/deflate.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wasm/crc32.h"

namespace wasm {
namespace {

/// A plain inflater (RFC 1951), to read back what the deflater writes: the
/// document, or none when the data is not valid deflate data. It also counts
/// each kind of block (stored, fixed, dynamic).
class Inflater {
 public:
  explicit Inflater(std::string_view data) : data_(data) {}

  std::optional<std::string> run() {
    bool last = false;
    while (!last) {
      last = bits(1) == 1;
      unsigned kind = bits(2);
      if (failed_ || kind == 3) {
        return std::nullopt;
      }
      ++blocks[kind];
      if (kind == 0 ? !stored() : !coded(kind == 2)) {
        return std::nullopt;
      }
    }
    return failed_ || (bit_ + 7) / 8 != data_.size() ? std::nullopt : std::optional(out_);
  }

  std::array<int, 3> blocks{};

 private:
  /// A canonical code: how many codes of each length, and the symbols in code order.
  struct Code {
    std::array<int, 16> count{};
    std::vector<int> symbols;
  };

  unsigned bits(unsigned n) {
    unsigned value = 0;
    for (unsigned i = 0; i < n; ++i, ++bit_) {
      if (bit_ / 8 >= data_.size()) {
        failed_ = true;
        return 0;
      }
      value |= ((static_cast<unsigned char>(data_[bit_ / 8]) >> (bit_ % 8)) & 1u) << i;
    }
    return value;
  }

  /// The canonical code of `lengths`.
  static Code code(const std::vector<int>& lengths) {
    Code c;
    for (int length = 1; length < 16; ++length) {
      for (std::size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] == length) {
          ++c.count[static_cast<std::size_t>(length)];
          c.symbols.push_back(static_cast<int>(s));
        }
      }
    }
    return c;
  }

  int decode(const Code& c) {
    int code = 0, first = 0, index = 0;
    for (std::size_t length = 1; length < 16; ++length) {
      code |= static_cast<int>(bits(1));
      if (code - first < c.count[length]) {
        return c.symbols[static_cast<std::size_t>(index + code - first)];
      }
      index += c.count[length];
      first = (first + c.count[length]) << 1;
      code <<= 1;
    }
    failed_ = true;
    return 0;
  }

  bool stored() {
    bit_ = (bit_ + 7) / 8 * 8;
    unsigned length = bits(16);
    if (bits(16) != (length ^ 0xFFFFu) || bit_ / 8 + length > data_.size()) {
      return false;
    }
    out_.append(data_.substr(bit_ / 8, length));
    bit_ += 8 * length;
    return true;
  }

  bool coded(bool dynamic) {
    std::vector<int> lengths;
    unsigned literals = 288, distances = 30;
    if (!dynamic) {
      for (unsigned s = 0; s < 288; ++s) {
        lengths.push_back(s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8);
      }
      lengths.resize(288 + 30, 5);
    } else {
      literals = bits(5) + 257;
      distances = bits(5) + 1;
      unsigned orders = bits(4) + 4;
      static constexpr std::array<int, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
      std::vector<int> length_lengths(19, 0);
      for (unsigned i = 0; i < orders; ++i) {
        length_lengths[static_cast<std::size_t>(kOrder[i])] = static_cast<int>(bits(3));
      }
      Code length_code = code(length_lengths);
      while (!failed_ && lengths.size() < literals + distances) {
        int s = decode(length_code);
        if (s < 16) {
          lengths.push_back(s);
        } else if (s == 16 && !lengths.empty()) {
          lengths.insert(lengths.end(), 3 + bits(2), lengths.back());
        } else {
          lengths.insert(lengths.end(), s == 17 ? 3 + bits(3) : s == 18 ? 11 + bits(7) : 999, 0);
        }
      }
      if (lengths.size() != literals + distances || lengths[256] == 0) {
        return false;
      }
    }
    Code literal = code({lengths.begin(), lengths.begin() + literals});
    Code distance = code({lengths.begin() + literals, lengths.end()});
    for (;;) {
      int s = decode(literal);
      if (failed_ || s > 285) {
        return false;
      }
      if (s < 256) {
        out_.push_back(static_cast<char>(s));
      } else if (s == 256) {
        return true;
      } else {
        // Bases and extra bits as RFC 1951 tabulates them, computed.
        int i = s - 257;
        unsigned extra = i < 8 || i == 28 ? 0 : static_cast<unsigned>(i - 4) / 4;
        unsigned base = i < 8     ? 3u + static_cast<unsigned>(i)
                        : i == 28 ? 258u
                                  : ((4u + static_cast<unsigned>(i) % 4) << extra) + 3;
        std::size_t length = base + bits(extra);
        int d = decode(distance);
        if (failed_ || d > 29) {
          return false;
        }
        unsigned d_extra = d < 4 ? 0 : static_cast<unsigned>(d - 2) / 2;
        unsigned d_base = d < 4 ? static_cast<unsigned>(d) + 1
                                : ((2u + static_cast<unsigned>(d) % 2) << d_extra) + 1;
        std::size_t back = d_base + bits(d_extra);
        if (back > out_.size() || back > 32768) {
          return false;
        }
        for (std::size_t k = 0; k < length; ++k) {
          out_.push_back(out_[out_.size() - back]);
        }
      }
    }
  }

  std::string_view data_;
  std::size_t bit_ = 0;
  bool failed_ = false;
  std::string out_;
};

/// Deflates `document` fed in pieces of `piece` bytes (0: whole) and finished.
Deflater deflated(const std::string& document, std::size_t piece) {
  Deflater deflater;
  if (piece != 0) {
    for (std::size_t size = 0; size < document.size(); size += piece) {
      deflater.feed(std::string_view(document).substr(0, size));
    }
  }
  deflater.finish(document);
  return deflater;
}

/// Pseudo-random bytes, the same each run.
std::string noise(std::size_t size, std::uint32_t seed) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(seed >> 23));
  }
  return bytes;
}

/// An XML-like sheet of `rows` rows.
std::string sheet(int rows) {
  std::string text = "<?xml version=\"1.0\"?><sheetData>";
  for (int r = 1; r <= rows; ++r) {
    text += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\" t=\"n\"><v>" +
            std::to_string(r * 7919 % 10007) + "</v></c></row>";
  }
  return text + "</sheetData>";
}

TEST(Deflater, DocumentsComeBackWholeHoweverTheyAreFed) {
  struct Case {
    const char* what;
    std::string document;
  };
  std::string far = noise(40000, 7);
  const std::vector<Case> cases = {
      {"empty", ""},
      {"one byte", "x"},
      {"bytes of each length of the fixed code", "x\x90\xFF"},
      {"a short text", "abcabcabcabcabcd"},
      {"a run longer than a match", std::string(1000, 'a')},
      {"a run of 259 bytes", std::string(259, 'z')},
      {"a repeat 32768 bytes back", far.substr(0, 32768) + far.substr(0, 300)},
      {"a repeat 32769 bytes back", far.substr(0, 32769) + far.substr(0, 300)},
      {"random bytes", noise(200000, 3)},
      {"a sheet", sheet(20000)},
      {"a sheet, then random bytes, then the sheet", sheet(3000) + noise(70000, 5) + sheet(3000)},
  };
  for (const Case& c : cases) {
    const std::string whole = deflated(c.document, 0).data();
    for (std::size_t piece : {0u, 1u, 7u, 258u, 4099u, 65536u}) {
      if (piece == 1 && c.document.size() > 50000) {
        continue;
      }
      Deflater deflater = deflated(c.document, piece);
      Inflater inflater(deflater.data());
      EXPECT_EQ(inflater.run(), c.document) << c.what << ", pieces of " << piece;
      EXPECT_EQ(deflater.data(), whole)
          << c.what << ": the data depends on the pieces of " << piece;
      EXPECT_EQ(deflater.crc(), crc32(0, c.document)) << c.what;
    }
  }
}

TEST(Deflater, EachKindOfBlockWhereItIsTheSmallest) {
  struct Case {
    const char* what;
    std::string document;
    std::array<int, 3> blocks;  // stored, fixed, dynamic (each stored one up to 65,535 bytes)
    std::size_t most;           // bytes of data at most
  };
  const std::vector<Case> cases = {
      {"empty", "", {0, 1, 0}, 2},
      // A block of 65,536 literals in two stored blocks, the rest in a third.
      {"random bytes", noise(100000, 11), {3, 0, 0}, 100000 + 20},
      {"a run", std::string(100000, 'a'), {0, 0, 1}, 500},
      {"a sheet", sheet(20000), {0, 0, 2}, 200000},
  };
  for (const Case& c : cases) {
    Deflater deflater = deflated(c.document, 0);
    Inflater inflater(deflater.data());
    EXPECT_EQ(inflater.run(), c.document) << c.what;
    EXPECT_EQ(inflater.blocks, c.blocks) << c.what;
    EXPECT_LE(deflater.data().size(), c.most) << c.what;
  }
}

}  // namespace
}  // namespace wasm
