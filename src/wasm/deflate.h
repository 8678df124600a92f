#ifndef VARVE_WASM_DEFLATE_H_
#define VARVE_WASM_DEFLATE_H_

// Raw deflate data (RFC 1951) of a document that grows a piece at a time, as
// the page writes a rewritten workbook part: built for speed rather than the
// smallest data (one pass of greedy matching, no lazy matching).

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wasm {

/// Deflates a document given a piece at a time, and keeps its CRC-32.
class Deflater {
 public:
  /// A deflater of an empty document, with no data yet.
  Deflater();

  /// Deflates what it can of `document` (under 4 GB), everything given so far (its earlier
  /// bytes unchanged, though it may have moved), holding back the last bytes
  /// that a match could still reach beyond; the data is the same however the
  /// document is split into pieces.
  void feed(std::string_view document);

  /// Deflates the rest of `document`, the whole of it, and ends the data.
  void finish(std::string_view document);

  /// The deflate data so far: whole bytes, all of them once finished.
  const std::string& data() const { return out_; }

  /// The deflate data so far, moved out: the deflater is left with none.
  std::string take_data() { return std::move(out_); }

  /// The CRC-32 of the document given so far.
  std::uint32_t crc() const { return crc_; }

 private:
  /// A literal byte (`distance` 0) or a match of `length` bytes `distance` back.
  struct Symbol {
    std::uint16_t length;
    std::uint16_t distance;
  };

  /// Matches from `pos_` while `end - pos_` is at least `keep`.
  void match(std::string_view document, std::size_t keep);
  /// Writes the symbols since the last block as a block, of whichever kind is
  /// the smallest; `last` marks it as the final one.
  void write_block(std::string_view document, bool last);
  /// Adds the `count` low bits of `bits` to the bit buffer.
  void put(std::uint64_t bits, unsigned count) {
    bits_ |= bits << bit_count_;
    bit_count_ += count;
  }
  /// Moves the whole bytes of the bit buffer to `at`, which has 8 bytes of room.
  void flush(char*& at);

  std::string out_;
  std::uint32_t crc_ = 0;
  std::uint32_t crc_end_ = 0;         ///< How much of the document the CRC covers.
  std::uint32_t pos_ = 0;             ///< Where matching goes on.
  std::uint32_t block_start_ = 0;     ///< Where the document of the current block starts.
  std::vector<std::uint32_t> heads_;  ///< The last two positions of each hash.
  std::vector<Symbol> symbols_;       ///< The current block's symbols, `symbol_count_` of them.
  std::uint32_t symbol_count_ = 0;
  std::vector<std::uint32_t> literal_counts_;   ///< Per literal/length code.
  std::vector<std::uint32_t> distance_counts_;  ///< Per distance code.
  std::uint64_t bits_ = 0;
  unsigned bit_count_ = 0;
  bool finished_ = false;
};

}  // namespace wasm

#endif  // VARVE_WASM_DEFLATE_H_
