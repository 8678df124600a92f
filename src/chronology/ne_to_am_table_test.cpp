#include "chronology/ne_to_am_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace chronology {
namespace {

constexpr Sequence LC = Sequence::kLc;
constexpr Sequence UC = Sequence::kUc;
constexpr Relation kCorresponds = Relation::kCorresponds;
constexpr Relation kSplit = Relation::kSplit;
constexpr Relation kJoined = Relation::kJoined;

TEST(NeToAm, GivesTheLinkOfEachKindAndAtTheEdges) {
  struct Example {
    VarveNumber ne;
    Link link;
  };
  const std::vector<Example> examples = {
      {2500, {LC, kCorresponds, 2500, 2500, 2500, 2500}},
      {2700, {LC, kCorresponds, 2700, 2700, 2700, 2700}},
      {3020, {LC, kCorresponds, 3020, 3020, 3020, 3020}},
      {3021, {LC, kSplit, 3021, 3021, 3021, 3022}},
      {3022, {LC, kCorresponds, 3022, 3022, 3023, 3023}},
      {4280, {LC, kCorresponds, 4280, 4280, 4293, 4293}},
      {4281, {LC, kJoined, 4281, 4282, 4294, 4294}},
      {4282, {LC, kJoined, 4281, 4282, 4294, 4294}},
      {4283, {LC, kCorresponds, 4283, 4283, 4295, 4295}},
      {5672, {LC, kJoined, 5672, 5676, 5691, 5691, true}},
      {5674, {LC, kJoined, 5672, 5676, 5691, 5691, true}},
      {5676, {LC, kJoined, 5672, 5676, 5691, 5691, true}},
      {5677, {LC, kCorresponds, 5677, 5677, 5692, 5692}},
      {6454, {LC, kCorresponds, 6454, 6454, 6469, 6469}},
      {6460, {LC, kCorresponds, 6460, 6460, 6475, 6475}},
      {6560, {UC, kCorresponds, 6560, 6560, 6243, 6243}},
      {6568, {UC, kCorresponds, 6568, 6568, 6251, 6251}},
      {6673, {UC, kCorresponds, 6673, 6673, 6356, 6356}},
      {6674, {UC, kSplit, 6674, 6674, 6357, 6358}},
      {6675, {UC, kCorresponds, 6675, 6675, 6359, 6359}},
      {6745, {UC, kJoined, 6744, 6745, 6428, 6428}},
      {6951, {UC, kJoined, 6951, 6952, 6634, 6634}},
      {7000, {UC, kCorresponds, 7000, 7000, 6682, 6682}},
      {9000, {UC, kCorresponds, 9000, 9000, 8682, 8682}},
  };
  for (const Example& e : examples) {
    Links links = ne_to_am(e.ne);
    ASSERT_EQ(links.size(), 1u) << e.ne;
    EXPECT_EQ(links[0], e.link) << e.ne;
  }
}

TEST(NeToAm, RejectsNumbersOutsideTheAcceptedRanges) {
  constexpr VarveNumber kMax = std::numeric_limits<VarveNumber>::max();
  constexpr VarveNumber kMin = std::numeric_limits<VarveNumber>::min();
  for (VarveNumber ne : {kMin, -1, 0, 2499, 6461, 6500, 6559, 9001, kMax}) {
    EXPECT_TRUE(ne_to_am(ne).empty()) << ne;
  }
}

TEST(NeToAm, EveryAcceptedNumberLiesInExactlyOneRowAndConvertsByItsRelation) {
  for (VarveNumber ne = 2000; ne <= 9500; ++ne) {
    int rows = 0;
    const NeRow* holder = nullptr;
    for (const NeRow& row : NeToAmTable) {
      if (row.first <= ne && ne <= row.last) {
        ++rows;
        holder = &row;
      }
    }
    bool accepted = kNeLcRange.contains(ne) || kNeUcRange.contains(ne);
    ASSERT_EQ(rows, accepted ? 1 : 0) << ne;
    Links links = ne_to_am(ne);
    ASSERT_EQ(links.size(), accepted ? 1u : 0u) << ne;
    if (!accepted) {
      continue;
    }
    const Link& link = links[0];
    EXPECT_EQ(link.sequence, kNeLcRange.contains(ne) ? Sequence::kLc : Sequence::kUc) << ne;
    EXPECT_EQ(link.relation, holder->relation) << ne;
    switch (holder->relation) {
      case Relation::kCorresponds:
        EXPECT_EQ(link.am_first, ne + holder->offset) << ne;
        EXPECT_EQ(link.am_last, link.am_first) << ne;
        EXPECT_EQ(link.ne_first, ne);
        break;
      case Relation::kSplit:
        EXPECT_EQ(link.am_last, link.am_first + 1) << ne;
        EXPECT_EQ(link.ne_first, ne);
        break;
      case Relation::kJoined:
        EXPECT_EQ(link.ne_first, holder->first) << ne;
        EXPECT_EQ(link.ne_last, holder->last) << ne;
        EXPECT_EQ(link.am_last, link.am_first) << ne;
        break;
    }
  }
}

TEST(NeToAm, OnlyTheRunOf5672To5676IsFalseCouplets) {
  for (const NeRow& row : NeToAmTable) {
    EXPECT_EQ(row.false_couplets, row.first == 5672 && row.last == 5676);
  }
}

}  // namespace
}  // namespace chronology
