#include "chronology/ne_to_am_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace chronology {
namespace {

constexpr Sequence LC = Sequence::kLc;
constexpr Sequence UC = Sequence::kUc;

struct Example {
  VarveNumber ne;
  Sequence sequence;
  NeKind kind;
  VarveNumber ne_first, ne_last, am_first, am_last;
};

TEST(NeToAm, GivesTheLinkOfEachKindAndAtTheEdges) {
  const std::vector<Example> examples = {
      {2500, LC, NeKind::kOffset, 2500, 2500, 2500, 2500},
      {2700, LC, NeKind::kOffset, 2700, 2700, 2700, 2700},
      {3020, LC, NeKind::kOffset, 3020, 3020, 3020, 3020},
      {3021, LC, NeKind::kSplit, 3021, 3021, 3021, 3022},
      {3022, LC, NeKind::kOffset, 3022, 3022, 3023, 3023},
      {4280, LC, NeKind::kOffset, 4280, 4280, 4293, 4293},
      {4281, LC, NeKind::kJoin, 4281, 4282, 4294, 4294},
      {4282, LC, NeKind::kJoin, 4281, 4282, 4294, 4294},
      {4283, LC, NeKind::kOffset, 4283, 4283, 4295, 4295},
      {5672, LC, NeKind::kJoinFalseCouplets, 5672, 5676, 5691, 5691},
      {5674, LC, NeKind::kJoinFalseCouplets, 5672, 5676, 5691, 5691},
      {5676, LC, NeKind::kJoinFalseCouplets, 5672, 5676, 5691, 5691},
      {5677, LC, NeKind::kOffset, 5677, 5677, 5692, 5692},
      {6454, LC, NeKind::kOffset, 6454, 6454, 6469, 6469},
      {6460, LC, NeKind::kOffset, 6460, 6460, 6475, 6475},
      {6560, UC, NeKind::kOffset, 6560, 6560, 6243, 6243},
      {6568, UC, NeKind::kOffset, 6568, 6568, 6251, 6251},
      {6673, UC, NeKind::kOffset, 6673, 6673, 6356, 6356},
      {6674, UC, NeKind::kSplit, 6674, 6674, 6357, 6358},
      {6675, UC, NeKind::kOffset, 6675, 6675, 6359, 6359},
      {6745, UC, NeKind::kJoin, 6744, 6745, 6428, 6428},
      {6951, UC, NeKind::kJoin, 6951, 6952, 6634, 6634},
      {7000, UC, NeKind::kOffset, 7000, 7000, 6682, 6682},
      {9000, UC, NeKind::kOffset, 9000, 9000, 8682, 8682},
  };
  for (const Example& e : examples) {
    std::optional<NeToAm> link = ne_to_am(e.ne);
    ASSERT_TRUE(link) << e.ne;
    EXPECT_EQ(link->sequence, e.sequence) << e.ne;
    EXPECT_EQ(link->kind, e.kind) << e.ne;
    EXPECT_EQ(link->ne_first, e.ne_first) << e.ne;
    EXPECT_EQ(link->ne_last, e.ne_last) << e.ne;
    EXPECT_EQ(link->am_first, e.am_first) << e.ne;
    EXPECT_EQ(link->am_last, e.am_last) << e.ne;
  }
}

TEST(NeToAm, RejectsNumbersOutsideTheAcceptedRanges) {
  constexpr VarveNumber kMax = std::numeric_limits<VarveNumber>::max();
  constexpr VarveNumber kMin = std::numeric_limits<VarveNumber>::min();
  for (VarveNumber ne : {kMin, -1, 0, 2499, 6461, 6500, 6559, 9001, kMax}) {
    EXPECT_FALSE(ne_to_am(ne)) << ne;
  }
}

TEST(NeToAm, EveryAcceptedNumberLiesInExactlyOneRowAndConvertsByItsKind) {
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
    std::optional<NeToAm> link = ne_to_am(ne);
    ASSERT_EQ(link.has_value(), accepted) << ne;
    if (!accepted) {
      continue;
    }
    EXPECT_EQ(link->sequence, kNeLcRange.contains(ne) ? Sequence::kLc : Sequence::kUc) << ne;
    EXPECT_EQ(link->kind, holder->kind) << ne;
    switch (holder->kind) {
      case NeKind::kOffset:
        EXPECT_EQ(link->am_first, ne + holder->offset) << ne;
        EXPECT_EQ(link->am_last, link->am_first) << ne;
        EXPECT_EQ(link->ne_first, ne);
        break;
      case NeKind::kSplit:
        EXPECT_EQ(link->am_last, link->am_first + 1) << ne;
        EXPECT_EQ(link->ne_first, ne);
        break;
      case NeKind::kJoin:
      case NeKind::kJoinFalseCouplets:
        EXPECT_EQ(link->ne_first, holder->first) << ne;
        EXPECT_EQ(link->ne_last, holder->last) << ne;
        EXPECT_EQ(link->am_last, link->am_first) << ne;
        break;
    }
  }
}

TEST(NeToAm, OnlyTheRunOf5672To5676IsFalseCouplets) {
  for (const NeRow& row : NeToAmTable) {
    EXPECT_EQ(row.kind == NeKind::kJoinFalseCouplets, row.first == 5672 && row.last == 5676);
  }
}

}  // namespace
}  // namespace chronology
