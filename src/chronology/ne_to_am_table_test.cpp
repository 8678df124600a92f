#include "chronology/ne_to_am_table.h"
#include "chronology/short_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace chronology {
namespace {

using namespace short_names;

// The validator rejects each kind of broken table, beside a good one built
// the same way, so that a rejection is the fault's and not the fixture's.
constexpr NeRow kLcWhole = ne_offset(2500, 6460, LC, 0);
constexpr NeRow kUcWhole = ne_offset(6560, 9000, UC, -317);
static_assert(is_valid_ne_table(std::array{kLcWhole, kUcWhole}));
static_assert(is_valid_ne_table(std::array{ne_offset(2500, 3020, LC, 0), ne_split(3021, LC, 3021),
                                           ne_offset(3022, 6460, LC, 1), kUcWhole}));
// A gap, an overlap, and a wrong offset (the AM numbers jump).
static_assert(!is_valid_ne_table(std::array{ne_offset(2500, 3020, LC, 0),
                                            ne_offset(3022, 6460, LC, 0), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{ne_offset(2500, 3021, LC, 0),
                                            ne_offset(3021, 6460, LC, 0), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{ne_offset(2500, 3020, LC, 0),
                                            ne_offset(3021, 6460, LC, 1), kUcWhole}));
// A split of two varves, a join of one, false couplets that are not a join.
static_assert(!is_valid_ne_table(std::array{
    ne_offset(2500, 3019, LC, 0),
    NeRow{NeNumber{3020}, NeNumber{3021}, LC, kSplit, 0, AmNumber{3020}, false},
    ne_offset(3022, 6460, LC, 1), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{ne_offset(2500, 3020, LC, 0),
                                            ne_join(3021, 3021, LC, 3021),
                                            ne_offset(3022, 6460, LC, 0), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{
    NeRow{NeNumber{2500}, NeNumber{6460}, LC, kCorresponds, 0, AmNumber{}, true}, kUcWhole}));
// Sequences out of order, short of a range's ends, or beyond them.
static_assert(!is_valid_ne_table(std::array{kUcWhole, kLcWhole}));
static_assert(!is_valid_ne_table(std::array{ne_offset(2501, 6460, LC, 0), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{kLcWhole, ne_offset(6560, 8999, UC, -317)}));
static_assert(!is_valid_ne_table(std::array{ne_offset(2500, 6461, LC, 0), kUcWhole}));
static_assert(!is_valid_ne_table(std::array{kLcWhole}));

// Only the run NE 5672-5676 is false couplets.
static_assert(std::count_if(NeToAmTable.begin(), NeToAmTable.end(),
                            [](const NeRow& row) { return row.false_couplets; }) == 1);
static_assert(ne_to_am(NeNumber{5672})[0].false_couplets &&
              ne_to_am(NeNumber{5676})[0].false_couplets);

TEST(NeToAm, GivesTheLinkOfEachKindAndAtTheEdges) {
  struct Example {
    GivenNumber ne;
    Link link;
  };
  const std::vector<Example> examples = {
      {2500, link(LC, kCorresponds, 2500, 2500, 2500, 2500)},
      {2700, link(LC, kCorresponds, 2700, 2700, 2700, 2700)},
      {3020, link(LC, kCorresponds, 3020, 3020, 3020, 3020)},
      {3021, link(LC, kSplit, 3021, 3021, 3021, 3022)},
      {3022, link(LC, kCorresponds, 3022, 3022, 3023, 3023)},
      {4280, link(LC, kCorresponds, 4280, 4280, 4293, 4293)},
      {4281, link(LC, kJoined, 4281, 4282, 4294, 4294)},
      {4282, link(LC, kJoined, 4281, 4282, 4294, 4294)},
      {4283, link(LC, kCorresponds, 4283, 4283, 4295, 4295)},
      {5672, link(LC, kJoined, 5672, 5676, 5691, 5691, true)},
      {5674, link(LC, kJoined, 5672, 5676, 5691, 5691, true)},
      {5676, link(LC, kJoined, 5672, 5676, 5691, 5691, true)},
      {5677, link(LC, kCorresponds, 5677, 5677, 5692, 5692)},
      {6454, link(LC, kCorresponds, 6454, 6454, 6469, 6469)},
      {6460, link(LC, kCorresponds, 6460, 6460, 6475, 6475)},
      {6560, link(UC, kCorresponds, 6560, 6560, 6243, 6243)},
      {6568, link(UC, kCorresponds, 6568, 6568, 6251, 6251)},
      {6673, link(UC, kCorresponds, 6673, 6673, 6356, 6356)},
      {6674, link(UC, kSplit, 6674, 6674, 6357, 6358)},
      {6675, link(UC, kCorresponds, 6675, 6675, 6359, 6359)},
      {6745, link(UC, kJoined, 6744, 6745, 6428, 6428)},
      {6951, link(UC, kJoined, 6951, 6952, 6634, 6634)},
      {7000, link(UC, kCorresponds, 7000, 7000, 6682, 6682)},
      {9000, link(UC, kCorresponds, 9000, 9000, 8682, 8682)},
  };
  for (const Example& e : examples) {
    Links links = ne_to_am(NeNumber{e.ne});
    ASSERT_EQ(links.size(), 1u) << e.ne;
    EXPECT_EQ(links[0], e.link) << e.ne;
  }
}

TEST(NeToAm, RejectsNumbersOutsideTheAcceptedRanges) {
  constexpr GivenNumber kMax = std::numeric_limits<GivenNumber>::max();
  constexpr GivenNumber kMin = std::numeric_limits<GivenNumber>::min();
  for (GivenNumber ne : {kMin, -1, 0, 2499, 6461, 6500, 6559, 9001, kMax}) {
    EXPECT_TRUE(ne_to_am(NeNumber{ne}).empty()) << ne;
  }
}

TEST(NeToAm, EveryNumberConvertsByTheRelationOfItsRow) {
  for (NeNumber ne{2000}; ne <= NeNumber{9500}; ++ne) {
    const NeRow* holder = nullptr;
    for (const NeRow& row : NeToAmTable) {
      if (row.first <= ne && ne <= row.last) {
        holder = &row;
      }
    }
    bool accepted = holder != nullptr;
    Links links = ne_to_am(ne);
    ASSERT_EQ(links.size(), accepted ? 1u : 0u) << ne.value();
    if (!accepted) {
      continue;
    }
    const Link& link = links[0];
    EXPECT_EQ(link.sequence, kNeLcRange.contains(ne) ? Sequence::kLc : Sequence::kUc) << ne.value();
    EXPECT_EQ(link.relation, holder->relation) << ne.value();
    switch (holder->relation) {
      case Relation::kCorresponds:
        EXPECT_EQ(link.am_first, AmNumber{ne.value() + holder->offset}) << ne.value();
        EXPECT_EQ(link.am_last, link.am_first) << ne.value();
        EXPECT_EQ(link.ne_first, ne);
        break;
      case Relation::kSplit:
        EXPECT_EQ(link.am_last, link.am_first + 1) << ne.value();
        EXPECT_EQ(link.ne_first, ne);
        break;
      case Relation::kJoined:
        EXPECT_EQ(link.ne_first, holder->first) << ne.value();
        EXPECT_EQ(link.ne_last, holder->last) << ne.value();
        EXPECT_EQ(link.am_last, link.am_first) << ne.value();
        break;
    }
  }
}

}  // namespace
}  // namespace chronology
