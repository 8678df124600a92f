#include "chronology/am_to_ne_table.h"
#include "chronology/short_names.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace chronology {
namespace {

using namespace short_names;

// The validator rejects each kind of broken table, beside a good one built
// the same way, so that a rejection is the fault's and not the fixture's.
static_assert(is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                           am_row(3021, 3022, lc_split(3021)),
                                           am_row(3023, 8700, lc_offset(-1), uc_offset(318))}));
// A gap, an overlap, a row that ends before it starts, short of the end.
static_assert(!is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                            am_row(3022, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 3021, lc_offset(0)),
                                            am_row(3021, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 2499, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 8699, lc_offset(0))}));
// A split over one or three AM varves, a join of one NE varve or over two AM
// varves, false couplets that are not a join.
static_assert(!is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                            am_row(3021, 3021, lc_split(3021)),
                                            am_row(3022, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                            am_row(3021, 3023, lc_split(3021)),
                                            am_row(3024, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                            am_row(3021, 3021, lc_join(3021, 3021)),
                                            am_row(3022, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 3020, lc_offset(0)),
                                            am_row(3021, 3022, lc_join(3021, 3022)),
                                            am_row(3023, 8700, lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{
    am_row(2500, 8700, AmEntry{Sequence::kLc, kCorresponds, 0, NeNumber{}, NeNumber{}, true})}));
// Two links that are not one to LC then one to UC.
static_assert(!is_valid_am_table(std::array{am_row(2500, 8700, uc_offset(318), lc_offset(0))}));
static_assert(!is_valid_am_table(std::array{am_row(2500, 8700, lc_offset(0), lc_offset(1))}));

TEST(AmToNe, GivesTheLinksOfEachKindLcFirst) {
  struct Example {
    GivenNumber am;
    std::vector<Link> links;
  };
  const std::vector<Example> examples = {
      {2500, {link(LC, kCorresponds, 2500, 2500, 2500, 2500)}},
      {2700, {link(LC, kCorresponds, 2700, 2700, 2700, 2700)}},
      {3021, {link(LC, kSplit, 3021, 3021, 3021, 3022)}},
      {3022, {link(LC, kSplit, 3021, 3021, 3021, 3022)}},
      {4294, {link(LC, kJoined, 4281, 4282, 4294, 4294)}},
      {5691, {link(LC, kJoined, 5672, 5676, 5691, 5691, true)}},
      {6244, {link(LC, kCorresponds, 6229, 6229, 6244, 6244)}},
      {6245,
       {link(LC, kCorresponds, 6230, 6230, 6245, 6245),
        link(UC, kCorresponds, 6562, 6562, 6245, 6245)}},
      {6356,
       {link(LC, kCorresponds, 6341, 6341, 6356, 6356),
        link(UC, kCorresponds, 6673, 6673, 6356, 6356)}},
      {6357,
       {link(LC, kCorresponds, 6342, 6342, 6357, 6357), link(UC, kSplit, 6674, 6674, 6357, 6358)}},
      {6358,
       {link(LC, kCorresponds, 6343, 6343, 6358, 6358), link(UC, kSplit, 6674, 6674, 6357, 6358)}},
      {6359,
       {link(LC, kCorresponds, 6344, 6344, 6359, 6359),
        link(UC, kCorresponds, 6675, 6675, 6359, 6359)}},
      {6428,
       {link(LC, kCorresponds, 6413, 6413, 6428, 6428), link(UC, kJoined, 6744, 6745, 6428, 6428)}},
      {6429,
       {link(LC, kCorresponds, 6414, 6414, 6429, 6429),
        link(UC, kCorresponds, 6746, 6746, 6429, 6429)}},
      {6468,
       {link(LC, kCorresponds, 6453, 6453, 6468, 6468),
        link(UC, kCorresponds, 6785, 6785, 6468, 6468)}},
      {6469, {link(UC, kCorresponds, 6786, 6786, 6469, 6469)}},
      {6634, {link(UC, kJoined, 6951, 6952, 6634, 6634)}},
      {7000, {link(UC, kCorresponds, 7318, 7318, 7000, 7000)}},
      {8700, {link(UC, kCorresponds, 9018, 9018, 8700, 8700)}},
  };
  for (const Example& e : examples) {
    Links links = am_to_ne(AmNumber{e.am});
    EXPECT_EQ(std::vector<Link>(links.begin(), links.end()), e.links) << e.am;
  }
}

TEST(AmToNe, RejectsNumbersOutsideTheAcceptedRange) {
  for (GivenNumber am : {-2147483647 - 1, 0, 2499, 8701, 2147483647}) {
    EXPECT_TRUE(am_to_ne(AmNumber{am}).empty()) << am;
  }
}

}  // namespace
}  // namespace chronology
