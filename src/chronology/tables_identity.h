#ifndef VARVE_CHRONOLOGY_TABLES_IDENTITY_H_
#define VARVE_CHRONOLOGY_TABLES_IDENTITY_H_

// The identity of the correspondence tables: a revision name and a checksum of
// the tables' rows, both fixed at compile time, so that a result can say which
// tables it came from and two people can check that they used the same ones.
// The checksum is a CRC-32 over the rows' field values, each written as the
// same bytes on every platform, not over their bytes in memory (which differ
// between compilers and targets).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "chronology/am_to_ne_table.h"
#include "chronology/link.h"
#include "chronology/ne_to_am_table.h"

namespace chronology {

/// A running CRC-32 (the reflected polynomial 0xEDB88320 of zip and PNG),
/// fed bytes and values one at a time.
class Crc32 {
 public:
  /// Adds one byte.
  constexpr void add_byte(std::uint8_t byte) {
    state_ ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      state_ = (state_ >> 1) ^ (0xEDB88320u & (0u - (state_ & 1u)));
    }
  }
  /// Adds `value` as four bytes, least significant first.
  constexpr void add_value(std::int64_t value) {
    auto word = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
      add_byte(static_cast<std::uint8_t>(word >> shift));
    }
  }
  /// Adds a name: its length, then its bytes.
  constexpr void add_name(std::string_view name) {
    add_value(static_cast<std::int64_t>(name.size()));
    for (char c : name) {
      add_byte(static_cast<std::uint8_t>(c));
    }
  }
  /// The checksum of everything added.
  constexpr std::uint32_t value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFFu;
};

/// The checksum of two correspondence tables: the number of rows of each and
/// every field of every row, in order; sequences and relations by their names
/// (LC, split, ...), so that a new order of the enumerations changes nothing.
/// An AM row's entries count only as far as it uses them.
template <std::size_t N, std::size_t M>
constexpr std::uint32_t tables_checksum(const std::array<NeRow, N>& ne_to_am,
                                        const std::array<AmRow, M>& am_to_ne) {
  Crc32 crc;
  crc.add_value(N);
  for (const NeRow& row : ne_to_am) {
    crc.add_value(row.first.value());
    crc.add_value(row.last.value());
    crc.add_name(sequence_name(row.sequence));
    crc.add_name(relation_name(row.relation));
    crc.add_value(row.offset);
    crc.add_value(row.am.value());
    crc.add_value(row.false_couplets);
  }
  crc.add_value(M);
  for (const AmRow& row : am_to_ne) {
    crc.add_value(row.first.value());
    crc.add_value(row.last.value());
    crc.add_value(static_cast<std::int64_t>(row.count));
    for (std::size_t i = 0; i < row.count && i < row.entries.size(); ++i) {
      const AmEntry& entry = row.entries[i];
      crc.add_name(sequence_name(entry.sequence));
      crc.add_name(relation_name(entry.relation));
      crc.add_value(entry.offset);
      crc.add_value(entry.ne_first.value());
      crc.add_value(entry.ne_last.value());
      crc.add_value(entry.false_couplets);
    }
  }
  return crc.value();
}

/// One revision of the correspondence tables: its name and its checksum.
struct TablesRevision {
  std::string_view name;
  std::uint32_t checksum;
};

/// Every revision the tables have had, oldest first; the last is the one built
/// in. An entry is never changed: when a row of either table changes, the
/// compiler stops below, naming the new checksum, and the tables get a new
/// entry here, with a name of their own.
inline constexpr std::array kTablesRevisions{
    TablesRevision{"1", 0xc2b600fau},
};

/// True when the revisions have names of letters, digits, dots and hyphens,
/// and no two share a name or a checksum.
constexpr bool revisions_are_distinct() {
  for (std::size_t i = 0; i < kTablesRevisions.size(); ++i) {
    const TablesRevision& revision = kTablesRevisions[i];
    if (revision.name.empty()) {
      return false;
    }
    for (char c : revision.name) {
      bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      if (!letter && !(c >= '0' && c <= '9') && c != '.' && c != '-') {
        return false;
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (kTablesRevisions[j].name == revision.name ||
          kTablesRevisions[j].checksum == revision.checksum) {
        return false;
      }
    }
  }
  return true;
}
static_assert(revisions_are_distinct(),
              "each revision of the tables needs a name of its own (letters, digits, dots and "
              "hyphens) and a checksum of its own");

/// Compiles only when the checksum `Computed` of the tables built in is
/// `Recorded`, the last revision's; the error names both, in decimal.
template <std::uint32_t Computed, std::uint32_t Recorded>
constexpr bool checksum_is_recorded() {
  static_assert(Computed == Recorded,
                "the correspondence tables have changed: add a revision to kTablesRevisions, "
                "with a new name and the checksum `Computed` named here");
  return true;
}
static_assert(checksum_is_recorded<tables_checksum(NeToAmTable, AmToNeTable),
                                   kTablesRevisions.back().checksum>());

/// The revision of the tables built in.
inline constexpr TablesRevision kTables = kTablesRevisions.back();

/// `value` as eight lowercase hexadecimal digits, most significant first.
constexpr std::array<char, 8> hex_digits(std::uint32_t value) {
  std::array<char, 8> digits{};
  for (std::size_t i = digits.size(); i-- > 0; value >>= 4) {
    digits[i] = "0123456789abcdef"[value & 0xFu];
  }
  return digits;
}

namespace tables_identity_detail {

inline constexpr std::string_view kLead = "correspondence tables revision ";
inline constexpr std::string_view kChecksum = ", checksum ";

inline constexpr auto kText = [] {
  std::array<char, kLead.size() + kTables.name.size() + kChecksum.size() + 8> text{};
  std::size_t at = 0;
  for (std::string_view part : {kLead, kTables.name, kChecksum}) {
    for (char c : part) {
      text[at++] = c;
    }
  }
  for (char c : hex_digits(kTables.checksum)) {
    text[at++] = c;
  }
  return text;
}();

inline constexpr auto kChecksumDigits = hex_digits(kTables.checksum);

}  // namespace tables_identity_detail

/// The checksum of the tables built in, as every front end shows it: eight
/// lowercase hexadecimal digits.
inline constexpr std::string_view kTablesChecksumText{
    tables_identity_detail::kChecksumDigits.data(), tables_identity_detail::kChecksumDigits.size()};

/// The line every front end shows for the tables built in:
/// "correspondence tables revision NAME, checksum 0123abcd".
inline constexpr std::string_view kTablesIdentity{tables_identity_detail::kText.data(),
                                                  tables_identity_detail::kText.size()};

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_TABLES_IDENTITY_H_
