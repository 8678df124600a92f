#include "chronology/tables_identity.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace chronology {
namespace {

/// The checksum of the tables with one change made to a copy of them.
template <class Change>
constexpr std::uint32_t checksum_after(Change change) {
  auto ne = NeToAmTable;
  auto am = AmToNeTable;
  change(ne, am);
  return tables_checksum(ne, am);
}

TEST(TablesIdentity, Crc32IsTheStandardOne) {
  // The check value of CRC-32 as zip and PNG use it.
  constexpr std::uint32_t kCheck = [] {
    Crc32 crc;
    for (char c : std::string_view("123456789")) {
      crc.add_byte(static_cast<std::uint8_t>(c));
    }
    return crc.value();
  }();
  static_assert(kCheck == 0xCBF43926u);
  EXPECT_EQ(kCheck, 0xCBF43926u);
}

TEST(TablesIdentity, AnyChangeToOneRowChangesTheChecksum) {
  // The NE-LC join 4281-4282 (AM 4294), and the AM row of the overlap with
  // the NE-UC split 6674.
  constexpr std::size_t kJoin = 27;
  constexpr std::size_t kOverlap = 54;
  static_assert(NeToAmTable[kJoin].first == NeNumber{4281} &&
                NeToAmTable[kJoin].am == AmNumber{4294});
  static_assert(AmToNeTable[kOverlap].first == AmNumber{6357} && AmToNeTable[kOverlap].count == 2);
  using Ne = std::remove_const_t<decltype(NeToAmTable)>;
  using Am = std::remove_const_t<decltype(AmToNeTable)>;
  const std::vector<std::pair<const char*, std::uint32_t>> changes = {
      {"NE first", checksum_after([](Ne& ne, Am&) { ne[kJoin].first -= 1; })},
      {"NE last", checksum_after([](Ne& ne, Am&) { ne[kJoin].last += 1; })},
      {"NE sequence", checksum_after([](Ne& ne, Am&) { ne[kJoin].sequence = Sequence::kUc; })},
      {"NE relation", checksum_after([](Ne& ne, Am&) { ne[kJoin].relation = Relation::kSplit; })},
      {"NE offset", checksum_after([](Ne& ne, Am&) { ne[0].offset = 1; })},
      {"NE AM varve", checksum_after([](Ne& ne, Am&) { ne[kJoin].am += 1; })},
      {"NE false couplets", checksum_after([](Ne& ne, Am&) { ne[kJoin].false_couplets = true; })},
      {"NE rows swapped", checksum_after([](Ne& ne, Am&) { std::swap(ne[0], ne[1]); })},
      {"AM first", checksum_after([](Ne&, Am& am) { am[kOverlap].first += 1; })},
      {"AM last", checksum_after([](Ne&, Am& am) { am[kOverlap].last -= 1; })},
      {"AM count", checksum_after([](Ne&, Am& am) { am[kOverlap].count = 1; })},
      {"AM sequence",
       checksum_after([](Ne&, Am& am) { am[kOverlap].entries[1].sequence = Sequence::kLc; })},
      {"AM relation",
       checksum_after([](Ne&, Am& am) { am[kOverlap].entries[1].relation = Relation::kJoined; })},
      {"AM offset", checksum_after([](Ne&, Am& am) { am[kOverlap].entries[0].offset += 1; })},
      {"AM NE first", checksum_after([](Ne&, Am& am) { am[kOverlap].entries[1].ne_first -= 1; })},
      {"AM NE last", checksum_after([](Ne&, Am& am) { am[kOverlap].entries[1].ne_last += 1; })},
      {"AM false couplets",
       checksum_after([](Ne&, Am& am) { am[kOverlap].entries[1].false_couplets = true; })},
      {"AM rows swapped", checksum_after([](Ne&, Am& am) { std::swap(am[0], am[1]); })},
  };
  for (const auto& [change, checksum] : changes) {
    EXPECT_NE(checksum, kTables.checksum) << change;
  }
  // Computed at compile time too, as the built-in check is.
  static_assert(checksum_after([](Ne& ne, Am&) { ne[kJoin].am += 1; }) != kTables.checksum);
}

TEST(TablesIdentity, AnEntryARowDoesNotUseIsNoPartOfIt) {
  // AM 2500-3020 links to NE-LC only; its second entry is a copy of the first.
  static_assert(AmToNeTable[0].count == 1);
  constexpr std::uint32_t kChanged = checksum_after([](auto&, auto& am) {
    am[0].entries[1] = AmEntry{Sequence::kUc, Relation::kSplit, 7, NeNumber{8}, NeNumber{9}, true};
  });
  EXPECT_EQ(kChanged, kTables.checksum);
}

TEST(TablesIdentity, IsTheLastRevisionAndReadsAsOneLine) {
  EXPECT_EQ(tables_checksum(NeToAmTable, AmToNeTable), kTablesRevisions.back().checksum);
  EXPECT_EQ(std::string(kTablesIdentity), "correspondence tables revision " +
                                              std::string(kTables.name) + ", checksum " +
                                              std::string(kTablesChecksumText));
}

TEST(TablesIdentity, ChecksumsAreEightHexadecimalDigits) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {0x0u, "00000000"},        {0x1Au, "0000001a"},       {0xDEADBEEFu, "deadbeef"},
      {0xFFFFFFFFu, "ffffffff"}, {0x10000000u, "10000000"},
  };
  for (const auto& [value, expected] : cases) {
    std::array<char, 8> digits = hex_digits(value);
    EXPECT_EQ(std::string(digits.begin(), digits.end()), expected) << value;
  }
}

}  // namespace
}  // namespace chronology
