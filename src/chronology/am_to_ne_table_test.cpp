#include "chronology/am_to_ne_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "chronology/ne_to_am_table.h"

namespace chronology {
namespace {

TEST(AmToNe, GivesTheResultsOfEachKindInPrintedOrder) {
  struct Example {
    VarveNumber am;
    std::vector<AmToNe> results;
  };
  using K = AmKind;
  const std::vector<Example> examples = {
      {2500, {{K::kLcOffset, 2500, 2500, 2500, 2500, 0}}},
      {2700, {{K::kLcOffset, 2700, 2700, 2700, 2700, 0}}},
      {3021, {{K::kLcSplit, 3021, 3022, 3021, 3021, 0}}},
      {3022, {{K::kLcSplit, 3021, 3022, 3021, 3021, 0}}},
      {4294, {{K::kLcJoin, 4294, 4294, 4281, 4282, 0}}},
      {5691,
       {{K::kLcJoin, 5691, 5691, 5672, 5676, 0}, {K::kFalseCouplets, 5691, 5691, 5672, 5676, 0}}},
      {6244, {{K::kLcOffset, 6244, 6244, 6229, 6229, 0}}},
      {6245, {{K::kBothOffsets, 6245, 6245, 6230, 6230, 6562}}},
      {6356, {{K::kBothOffsets, 6356, 6356, 6341, 6341, 6673}}},
      {6357, {{K::kLcOffset, 6357, 6357, 6342, 6342, 0}, {K::kUcSplit, 6357, 6358, 6674, 6674, 0}}},
      {6358, {{K::kLcOffset, 6358, 6358, 6343, 6343, 0}, {K::kUcSplit, 6357, 6358, 6674, 6674, 0}}},
      {6359, {{K::kBothOffsets, 6359, 6359, 6344, 6344, 6675}}},
      {6428, {{K::kLcOffset, 6428, 6428, 6413, 6413, 0}, {K::kUcJoin, 6428, 6428, 6744, 6745, 0}}},
      {6429, {{K::kBothOffsets, 6429, 6429, 6414, 6414, 6746}}},
      {6468, {{K::kBothOffsets, 6468, 6468, 6453, 6453, 6785}}},
      {6469, {{K::kUcOffset, 6469, 6469, 6786, 6786, 0}}},
      {6634, {{K::kUcJoin, 6634, 6634, 6951, 6952, 0}}},
      {7000, {{K::kUcOffset, 7000, 7000, 7318, 7318, 0}}},
      {8700, {{K::kUcOffset, 8700, 8700, 9018, 9018, 0}}},
  };
  for (const Example& e : examples) {
    AmToNeResults results = am_to_ne(e.am);
    ASSERT_EQ(results.count, e.results.size()) << e.am;
    for (std::size_t i = 0; i < results.count; ++i) {
      const AmToNe& got = results.items[i];
      const AmToNe& want = e.results[i];
      EXPECT_EQ(got.kind, want.kind) << e.am;
      EXPECT_EQ(got.am_first, want.am_first) << e.am;
      EXPECT_EQ(got.am_last, want.am_last) << e.am;
      EXPECT_EQ(got.ne_first, want.ne_first) << e.am;
      EXPECT_EQ(got.ne_last, want.ne_last) << e.am;
      EXPECT_EQ(got.ne_uc, want.ne_uc) << e.am;
    }
  }
}

TEST(AmToNe, RejectsNumbersOutsideTheAcceptedRange) {
  for (VarveNumber am : {-2147483647 - 1, 0, 2499, 8701, 2147483647}) {
    EXPECT_TRUE(am_to_ne(am).empty()) << am;
  }
}

/// The NE varve or run of `sequence` that the results of an AM number name.
struct NeLink {
  Sequence sequence;
  bool split;
  bool join;
  VarveNumber ne_first, ne_last;
};

std::vector<NeLink> links_of(const AmToNeResults& results) {
  std::vector<NeLink> links;
  for (const AmToNe& r : results) {
    switch (r.kind) {
      case AmKind::kLcOffset:
      case AmKind::kUcOffset:
        links.push_back({sequence_of(r.kind), false, false, r.ne_first, r.ne_last});
        break;
      case AmKind::kBothOffsets:
        links.push_back({Sequence::kLc, false, false, r.ne_first, r.ne_last});
        links.push_back({Sequence::kUc, false, false, r.ne_uc, r.ne_uc});
        break;
      case AmKind::kLcSplit:
      case AmKind::kUcSplit:
        links.push_back({sequence_of(r.kind), true, false, r.ne_first, r.ne_last});
        break;
      case AmKind::kLcJoin:
      case AmKind::kUcJoin:
        links.push_back({sequence_of(r.kind), false, true, r.ne_first, r.ne_last});
        break;
      case AmKind::kFalseCouplets:
        break;
    }
  }
  return links;
}

bool is_false_couplets(const AmToNeResults& results) {
  for (const AmToNe& r : results) {
    if (r.kind == AmKind::kFalseCouplets) {
      return true;
    }
  }
  return false;
}

TEST(AmToNe, AgreesWithEveryLinkOfTheNeTableReadBackwards) {
  for (VarveNumber ne = kNeLcRange.first; ne <= kNeUcRange.last; ++ne) {
    std::optional<NeToAm> forward = ne_to_am(ne);
    if (!forward) {
      continue;
    }
    // Only here do the directions differ: the AM varves of NE-UC 6560-6561 are
    // given as NE-LC only, those of NE-LC 6454-6460 as NE-UC only.
    bool edge = (forward->sequence == Sequence::kUc && ne <= 6561) ||
                (forward->sequence == Sequence::kLc && ne >= 6454);
    for (VarveNumber am = forward->am_first; am <= forward->am_last; ++am) {
      AmToNeResults backward = am_to_ne(am);
      int matches = 0;
      for (const NeLink& link : links_of(backward)) {
        matches +=
            link.sequence == forward->sequence && link.ne_first == forward->ne_first &&
            link.ne_last == forward->ne_last && link.split == (forward->kind == NeKind::kSplit) &&
            link.join == (forward->kind != NeKind::kOffset && forward->kind != NeKind::kSplit);
      }
      EXPECT_EQ(matches, edge ? 0 : 1) << "NE " << ne << " AM " << am;
      EXPECT_EQ(is_false_couplets(backward), forward->kind == NeKind::kJoinFalseCouplets)
          << "NE " << ne << " AM " << am;
    }
  }
}

TEST(AmToNe, EveryResultReadForwardsGivesTheAmNumberBack) {
  for (VarveNumber am = kAmRange.first; am <= kAmRange.last; ++am) {
    AmToNeResults results = am_to_ne(am);
    ASSERT_FALSE(results.empty()) << am;
    for (const NeLink& link : links_of(results)) {
      std::optional<NeToAm> forward = ne_to_am(link.ne_first);
      if (am >= 8683) {
        // AM 8683-8700 give NE-UC 9001-9018, beyond the accepted NE range.
        EXPECT_FALSE(forward) << am;
        continue;
      }
      ASSERT_TRUE(forward) << am;
      EXPECT_EQ(forward->sequence, link.sequence) << am;
      EXPECT_LE(forward->am_first, am) << am;
      EXPECT_GE(forward->am_last, am) << am;
      EXPECT_EQ(forward->ne_last, link.ne_last) << am;
    }
  }
}

}  // namespace
}  // namespace chronology
