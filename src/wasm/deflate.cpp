#include "wasm/deflate.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "wasm/crc32.h"

namespace wasm {
namespace {

constexpr std::uint32_t kWindow = 32768;
constexpr std::uint32_t kMinMatch = 4;
constexpr std::uint32_t kMaxMatch = 258;
constexpr unsigned kHashBits = 15;
/// Symbols per block: enough that the block's code tables cost little, few
/// enough that the codes follow the document's changes.
constexpr std::uint32_t kBlockSymbols = 1 << 16;
/// Of a match's positions, the first and the last this many are entered in
/// the hash table, not those between: long matches stay fast, and what
/// follows a match is most often found again after the match's end.
constexpr std::uint32_t kEnteredInMatch = 4;

constexpr unsigned kLiteralCodes = 286;
/// The fixed code has two more literal/length codes, never used, whose
/// lengths count in the canonical codes of the others.
constexpr unsigned kFixedLiteralCodes = 288;
constexpr unsigned kDistanceCodes = 30;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kMaxBits = 15;

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
/// The order the code lengths' code lengths are written in.
constexpr std::array<std::uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

/// The length code (0 to 28) of each match length (3 to 258).
constexpr std::array<std::uint8_t, kMaxMatch + 1> kLengthCode = [] {
  std::array<std::uint8_t, kMaxMatch + 1> codes{};
  for (std::size_t code = 0; code + 1 < kLengthBase.size(); ++code) {
    for (std::size_t length = kLengthBase[code];
         length < kLengthBase[code] + (1u << kLengthExtra[code]) && length < kMaxMatch; ++length) {
      codes[length] = static_cast<std::uint8_t>(code);
    }
  }
  codes[kMaxMatch] = 28;
  return codes;
}();

/// The distance code of each distance less one: below 256 the distance's
/// own, above that one per 128 (the codes from 16 on start at multiples of 128).
constexpr std::array<std::uint8_t, 512> kDistanceCode = [] {
  std::array<std::uint8_t, 512> codes{};
  for (std::uint8_t code = 0; code < kDistanceBase.size(); ++code) {
    std::uint32_t first = kDistanceBase[code] - 1u;
    std::uint32_t last = first + (1u << kDistanceExtra[code]);
    for (std::uint32_t d = first; d < last; ++d) {
      if (d < 256) {
        codes[d] = code;
      } else if (d % 128 == 0) {
        codes[256 + d / 128] = code;
      }
    }
  }
  return codes;
}();

inline unsigned distance_code(std::uint32_t distance) {
  std::uint32_t d = distance - 1;
  return d < 256 ? kDistanceCode[d] : kDistanceCode[256 + (d >> 7)];
}

inline std::uint32_t load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t load64(const unsigned char* p) {
  return static_cast<std::uint64_t>(load32(p)) | static_cast<std::uint64_t>(load32(p + 4)) << 32;
}

inline void store64(char* p, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    p[i] = static_cast<char>(value >> (8 * i));
  }
}

/// The hash of the five bytes at the low end of `word`.
inline std::uint32_t hash(std::uint64_t word) {
  return static_cast<std::uint32_t>(((word << 24) * 0x9E3779B97F4A7C15u) >> (64 - kHashBits));
}

/// How many bytes at `a` and `b` agree, up to `limit`, the first four known to.
inline std::uint32_t extend(const unsigned char* a, const unsigned char* b, std::uint32_t limit) {
  std::uint32_t length = kMinMatch;
  while (length + 8 <= limit) {
    std::uint64_t differ = load64(a + length) ^ load64(b + length);
    if (differ != 0) {
      return length + static_cast<std::uint32_t>(__builtin_ctzll(differ) >> 3);
    }
    length += 8;
  }
  while (length < limit && a[length] == b[length]) {
    ++length;
  }
  return length;
}

/// Code lengths, at most `limit` bits, for symbols used `counts` times: a
/// Huffman code whose longest codes are shortened where they pass the limit.
/// Two symbols at least have a code, so that the code is complete.
void code_lengths(const std::uint32_t* counts, std::size_t n_symbols, unsigned limit,
                  std::uint8_t* lengths) {
  struct Entry {
    std::uint32_t key;  // the count, then the code length
    std::uint16_t symbol;
  };
  std::array<Entry, kFixedLiteralCodes> a;
  int used = 0;
  for (std::size_t i = 0; i < n_symbols; ++i) {
    lengths[i] = 0;
    if (counts[i] != 0) {
      a[static_cast<std::size_t>(used++)] = {counts[i], static_cast<std::uint16_t>(i)};
    }
  }
  if (used < 2) {
    std::size_t one = used == 1 ? a[0].symbol : 0;
    lengths[one] = 1;
    lengths[one == 0 ? 1 : 0] = 1;
    return;
  }
  std::sort(a.begin(), a.begin() + used, [](const Entry& x, const Entry& y) {
    return x.key != y.key ? x.key < y.key : x.symbol < y.symbol;
  });
  // The code lengths of a Huffman code, in place, from the counts in
  // increasing order (Moffat and Katajainen).
  int n = used;
  a[0].key += a[1].key;
  int root = 0;
  int leaf = 2;
  for (int next = 1; next < n - 1; ++next) {
    if (leaf >= n || a[root].key < a[leaf].key) {
      a[next].key = a[root].key;
      a[root++].key = static_cast<std::uint32_t>(next);
    } else {
      a[next].key = a[leaf++].key;
    }
    if (leaf >= n || (root < next && a[root].key < a[leaf].key)) {
      a[next].key += a[root].key;
      a[root++].key = static_cast<std::uint32_t>(next);
    } else {
      a[next].key += a[leaf++].key;
    }
  }
  a[n - 2].key = 0;
  for (int next = n - 3; next >= 0; --next) {
    a[next].key = a[a[next].key].key + 1;
  }
  int available = 1;
  int depth = 0;
  int next = n - 1;
  root = n - 2;
  while (available > 0) {
    int used_here = 0;
    while (root >= 0 && a[root].key == static_cast<std::uint32_t>(depth)) {
      ++used_here;
      --root;
    }
    while (available > used_here) {
      a[next--].key = static_cast<std::uint32_t>(depth);
      --available;
    }
    available = 2 * used_here;
    ++depth;
  }
  // How many codes of each length; those past the limit are brought to it,
  // then codes are lengthened until the code is complete again.
  std::array<std::uint32_t, kFixedLiteralCodes + 1> per_length{};
  for (int i = 0; i < n; ++i) {
    ++per_length[std::min<std::uint32_t>(a[i].key, limit)];
  }
  std::uint32_t total = 0;
  for (unsigned bits = limit; bits > 0; --bits) {
    total += per_length[bits] << (limit - bits);
  }
  while (total != (1u << limit)) {
    --per_length[limit];
    for (unsigned bits = limit - 1; bits > 0; --bits) {
      if (per_length[bits] != 0) {
        --per_length[bits];
        per_length[bits + 1] += 2;
        break;
      }
    }
    --total;
  }
  // The shortest codes to the most used symbols.
  int j = n;
  for (unsigned bits = 1; bits <= limit; ++bits) {
    for (std::uint32_t k = per_length[bits]; k > 0; --k) {
      lengths[a[static_cast<std::size_t>(--j)].symbol] = static_cast<std::uint8_t>(bits);
    }
  }
}

/// The canonical codes of code lengths, bit-reversed as deflate writes them
/// (from their first bit, into the low end of the bit buffer).
void codes_of(const std::uint8_t* lengths, std::size_t n_symbols, std::uint16_t* codes) {
  std::array<std::uint16_t, kMaxBits + 2> next{};
  std::array<std::uint16_t, kMaxBits + 1> per_length{};
  for (std::size_t i = 0; i < n_symbols; ++i) {
    ++per_length[lengths[i]];
  }
  per_length[0] = 0;
  std::uint32_t code = 0;
  for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
    code = (code + per_length[bits - 1]) << 1;
    next[bits] = static_cast<std::uint16_t>(code);
  }
  for (std::size_t i = 0; i < n_symbols; ++i) {
    unsigned length = lengths[i];
    if (length == 0) {
      codes[i] = 0;
      continue;
    }
    std::uint32_t c = next[length]++;
    std::uint32_t reversed = 0;
    for (unsigned b = 0; b < length; ++b) {
      reversed = (reversed << 1) | ((c >> b) & 1);
    }
    codes[i] = static_cast<std::uint16_t>(reversed);
  }
}

/// A code length's symbol (0 to 18) and the value of its extra bits.
struct LengthItem {
  std::uint8_t symbol;
  std::uint8_t extra;
};

constexpr std::array<std::uint8_t, 19> kCodeLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                               0, 0, 0, 0, 0, 0, 2, 3, 7};

}  // namespace

Deflater::Deflater()
    : heads_(std::size_t{2} << kHashBits, 0),
      symbols_(kBlockSymbols),
      literal_counts_(kLiteralCodes, 0),
      distance_counts_(kDistanceCodes, 0) {}

void Deflater::feed(std::string_view document) {
  if (finished_) {
    return;
  }
  crc_ = crc32(crc_, document.substr(crc_end_));
  crc_end_ = static_cast<std::uint32_t>(document.size());
  // A match there is as long as it would be with the whole document, and
  // every position it enters in the hash table has its eight bytes.
  match(document, kMaxMatch + 7);
}

void Deflater::finish(std::string_view document) {
  if (finished_) {
    return;
  }
  crc_ = crc32(crc_, document.substr(crc_end_));
  crc_end_ = static_cast<std::uint32_t>(document.size());
  match(document, 1);
  write_block(document, true);
  finished_ = true;
}

void Deflater::match(std::string_view document, std::size_t keep) {
  const auto* base = reinterpret_cast<const unsigned char*>(document.data());
  const auto end = static_cast<std::uint32_t>(document.size());
  std::uint32_t* heads = heads_.data();
  std::uint32_t* literal_counts = literal_counts_.data();
  std::uint32_t* distance_counts = distance_counts_.data();
  std::uint32_t pos = pos_;
  std::uint32_t count = symbol_count_;
  // Enters positions `from` to `to` (not included) in the hash table.
  auto enter = [&](std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t q = from; q < to; ++q) {
      std::uint32_t* bucket = heads + 2 * hash(load64(base + q));
      bucket[1] = bucket[0];
      bucket[0] = q;
    }
  };
  while (pos + keep <= end) {
    std::uint32_t available = end - pos;
    std::uint32_t length = 0;
    std::uint32_t distance = 0;
    if (available >= 8) {
      std::uint64_t word = load64(base + pos);
      std::uint32_t* bucket = heads + 2 * hash(word);
      std::uint32_t first = bucket[0];
      std::uint32_t second = bucket[1];
      bucket[1] = first;
      bucket[0] = pos;
      std::uint32_t limit = std::min(available, kMaxMatch);
      auto head = static_cast<std::uint32_t>(word);
      // Unsigned: a distance of 0 (at position 0, where the table holds only
      // zeros) wraps past the window. A stale or colliding entry fails the
      // comparison of its first four bytes.
      if (pos - first - 1 < kWindow && load32(base + first) == head) {
        length = extend(base + pos, base + first, limit);
        distance = pos - first;
      }
      if (length < limit && pos - second - 1 < kWindow && load32(base + second) == head) {
        std::uint32_t other = extend(base + pos, base + second, limit);
        if (other > length) {
          length = other;
          distance = pos - second;
        }
      }
    }
    if (length >= kMinMatch) {
      symbols_[count++] = {static_cast<std::uint16_t>(length),
                           static_cast<std::uint16_t>(distance)};
      ++literal_counts[257 + kLengthCode[length]];
      ++distance_counts[distance_code(distance)];
      // Only positions from which the hash's eight bytes can be read.
      std::uint32_t last = std::min(pos + length, end - 7);
      std::uint32_t first_end = std::min(pos + kEnteredInMatch, last);
      enter(pos + 1, first_end);
      enter(std::max(pos + length - kEnteredInMatch, first_end), last);
      pos += length;
    } else {
      symbols_[count++] = {base[pos], 0};
      ++literal_counts[base[pos]];
      ++pos;
    }
    if (count == kBlockSymbols) {
      pos_ = pos;
      symbol_count_ = count;
      write_block(document, false);
      count = 0;
    }
  }
  pos_ = pos;
  symbol_count_ = count;
}

void Deflater::flush(char*& at) {
  store64(at, bits_);
  unsigned bytes = bit_count_ >> 3;
  at += bytes;
  bits_ = bytes == 8 ? 0 : bits_ >> (8 * bytes);
  bit_count_ &= 7;
}

void Deflater::write_block(std::string_view document, bool last) {
  literal_counts_[kEndOfBlock] = 1;
  std::array<std::uint8_t, kFixedLiteralCodes> literal_lengths;
  std::array<std::uint8_t, kDistanceCodes> distance_lengths;
  code_lengths(literal_counts_.data(), kLiteralCodes, kMaxBits, literal_lengths.data());
  code_lengths(distance_counts_.data(), kDistanceCodes, kMaxBits, distance_lengths.data());

  // The code lengths as the block's header gives them: runs of zeros and of
  // repeats in fewer symbols.
  unsigned literals = kLiteralCodes;
  while (literals > 257 && literal_lengths[literals - 1] == 0) {
    --literals;
  }
  unsigned distances = kDistanceCodes;
  while (distances > 1 && distance_lengths[distances - 1] == 0) {
    --distances;
  }
  std::array<std::uint8_t, kLiteralCodes + kDistanceCodes> all{};
  std::copy_n(literal_lengths.begin(), literals, all.begin());
  std::copy_n(distance_lengths.begin(), distances, all.begin() + literals);
  std::array<LengthItem, kLiteralCodes + kDistanceCodes> items{};
  std::size_t item_count = 0;
  std::array<std::uint32_t, 19> item_counts{};
  auto add = [&](unsigned symbol, unsigned extra) {
    items[item_count++] = {static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(extra)};
    ++item_counts[symbol];
  };
  unsigned total = literals + distances;
  for (unsigned i = 0; i < total;) {
    unsigned value = all[i];
    unsigned run = 1;
    while (i + run < total && all[i + run] == value) {
      ++run;
    }
    i += run;
    if (value == 0) {
      while (run >= 11) {
        unsigned n = std::min(run, 138u);
        add(18, n - 11);
        run -= n;
      }
      if (run >= 3) {
        add(17, run - 3);
        run = 0;
      }
    } else {
      add(value, 0);
      --run;
      while (run >= 3) {
        unsigned n = std::min(run, 6u);
        add(16, n - 3);
        run -= n;
      }
    }
    for (; run > 0; --run) {
      add(value, 0);
    }
  }
  std::array<std::uint8_t, 19> length_lengths;
  code_lengths(item_counts.data(), item_counts.size(), 7, length_lengths.data());
  unsigned orders = 19;
  while (orders > 4 && length_lengths[kCodeLengthOrder[orders - 1]] == 0) {
    --orders;
  }

  // Each kind's size in bits.
  std::uint64_t extra_bits = 0;
  std::uint64_t dynamic_bits = 3 + 14 + 3 * orders;
  std::uint64_t fixed_bits = 3;
  for (unsigned s = 0; s < 19; ++s) {
    dynamic_bits += std::uint64_t{item_counts[s]} * (length_lengths[s] + kCodeLengthExtraBits[s]);
  }
  for (unsigned s = 0; s < kLiteralCodes; ++s) {
    std::uint64_t n = literal_counts_[s];
    dynamic_bits += n * literal_lengths[s];
    fixed_bits += n * (s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8);
    if (s > kEndOfBlock) {
      extra_bits += n * kLengthExtra[s - 257];
    }
  }
  for (unsigned s = 0; s < kDistanceCodes; ++s) {
    std::uint64_t n = distance_counts_[s];
    dynamic_bits += n * distance_lengths[s];
    fixed_bits += n * 5;
    extra_bits += n * kDistanceExtra[s];
  }
  dynamic_bits += extra_bits;
  fixed_bits += extra_bits;
  std::size_t stored_size = pos_ - block_start_;
  std::size_t chunks = std::max<std::size_t>(1, (stored_size + 65534) / 65535);
  std::uint64_t stored_bits = 8 * std::uint64_t{stored_size} + chunks * (3 + 7 + 32);

  std::size_t at = out_.size();
  if (stored_bits < dynamic_bits && stored_bits < fixed_bits) {
    out_.resize(at + stored_size + 5 * chunks + 16);
    char* p = out_.data() + at;
    const char* from = document.data() + block_start_;
    std::size_t left = stored_size;
    do {
      std::size_t n = std::min<std::size_t>(left, 65535);
      left -= n;
      put(last && left == 0 ? 1 : 0, 3);
      bit_count_ = (bit_count_ + 7) & ~7u;
      put(n | (n ^ 0xFFFF) << 16, 32);
      flush(p);
      std::memcpy(p, from, n);
      p += n;
      from += n;
    } while (left > 0);
    out_.resize(static_cast<std::size_t>(p - out_.data()));
  } else {
    bool dynamic = dynamic_bits < fixed_bits;
    if (!dynamic) {
      for (unsigned s = 0; s < kFixedLiteralCodes; ++s) {
        literal_lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      }
      distance_lengths.fill(5);
    }
    std::array<std::uint16_t, kFixedLiteralCodes> literal_codes;
    std::array<std::uint16_t, kDistanceCodes> distance_codes;
    codes_of(literal_lengths.data(), dynamic ? kLiteralCodes : kFixedLiteralCodes,
             literal_codes.data());
    codes_of(distance_lengths.data(), kDistanceCodes, distance_codes.data());
    out_.resize(at + (std::min(dynamic_bits, fixed_bits) + 7) / 8 + 16);
    char* p = out_.data() + at;
    put((last ? 1 : 0) | (dynamic ? 2 : 1) << 1, 3);
    if (dynamic) {
      std::array<std::uint16_t, 19> length_codes;
      codes_of(length_lengths.data(), length_lengths.size(), length_codes.data());
      put(literals - 257, 5);
      put(distances - 1, 5);
      put(orders - 4, 4);
      flush(p);
      for (unsigned i = 0; i < orders; ++i) {
        put(length_lengths[kCodeLengthOrder[i]], 3);
        flush(p);
      }
      for (std::size_t i = 0; i < item_count; ++i) {
        unsigned s = items[i].symbol;
        put(length_codes[s], length_lengths[s]);
        put(items[i].extra, kCodeLengthExtraBits[s]);
        flush(p);
      }
    }
    // Each length's code and extra bits as one piece of bits.
    std::array<std::uint32_t, kMaxMatch + 1> length_bits{};
    std::array<std::uint8_t, kMaxMatch + 1> length_bit_count{};
    for (unsigned length = 3; length <= kMaxMatch; ++length) {
      unsigned code = kLengthCode[length];
      unsigned s = 257 + code;
      length_bits[length] =
          literal_codes[s] | static_cast<std::uint32_t>(length - kLengthBase[code])
                                 << literal_lengths[s];
      length_bit_count[length] = static_cast<std::uint8_t>(literal_lengths[s] + kLengthExtra[code]);
    }
    const Symbol* symbols = symbols_.data();
    for (std::uint32_t i = 0; i < symbol_count_; ++i) {
      Symbol symbol = symbols[i];
      if (symbol.distance == 0) {
        put(literal_codes[symbol.length], literal_lengths[symbol.length]);
      } else {
        put(length_bits[symbol.length], length_bit_count[symbol.length]);
        unsigned code = distance_code(symbol.distance);
        put(distance_codes[code], distance_lengths[code]);
        put(symbol.distance - kDistanceBase[code], kDistanceExtra[code]);
      }
      flush(p);
    }
    put(literal_codes[kEndOfBlock], literal_lengths[kEndOfBlock]);
    flush(p);
    out_.resize(static_cast<std::size_t>(p - out_.data()));
  }
  if (last) {
    bit_count_ = (bit_count_ + 7) & ~7u;
    out_.resize(out_.size() + 8);
    char* p = out_.data() + out_.size() - 8;
    flush(p);
    out_.resize(static_cast<std::size_t>(p - out_.data()));
  }
  std::fill(literal_counts_.begin(), literal_counts_.end(), 0);
  std::fill(distance_counts_.begin(), distance_counts_.end(), 0);
  symbol_count_ = 0;
  block_start_ = pos_;
}

}  // namespace wasm
