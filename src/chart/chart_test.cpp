#include "chart/chart.h"

#include <gtest/gtest.h>

#include <string>

namespace chart {
namespace {

using chronology::Direction;
using chronology::Relation;
using chronology::Sequence;

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// The line steps exactly where a split (one up) or a join (down by the run it
// joins) ends, and nowhere else; its runs never overlap.
TEST(Segments, StepOnlyAfterSplitsAndJoins) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
      std::vector<Segment> line = segments(direction, sequence);
      ASSERT_FALSE(line.empty());
      for (std::size_t i = 1; i < line.size(); ++i) {
        const Segment& a = line[i - 1];
        const Segment& b = line[i];
        ASSERT_LT(a.last, b.first);
        if (a.last + 1 != b.first) {
          continue;  // A gap between the accepted ranges.
        }
        int step = a.link.relation == Relation::kSplit    ? 1
                   : a.link.relation == Relation::kJoined ? a.link.ne_first - a.link.ne_last
                                                          : 0;
        EXPECT_EQ(b.offset - a.offset, step)
            << static_cast<int>(direction) << " " << chart::link_name(a.link);
      }
    }
  }
}

// One marker per split and join row of the NE-to-AM table, in either view.
TEST(CorrespondenceSvg, MarksEachSplitAndJoinOfTheTable) {
  std::size_t splits = 0;
  std::size_t joins = 0;
  std::size_t false_couplets = 0;
  for (const chronology::NeRow& row : chronology::NeToAmTable) {
    splits += row.relation == Relation::kSplit;
    joins += row.relation == Relation::kJoined;
    false_couplets += row.false_couplets;
  }
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::string svg = correspondence_svg(direction, std::nullopt);
    EXPECT_EQ(count(svg, "class=\"vc-step vc-split\""), splits);
    EXPECT_EQ(count(svg, "class=\"vc-step vc-join"), joins);
    EXPECT_EQ(count(svg, "vc-false-couplets\" data-name"), false_couplets);
    EXPECT_EQ(count(svg, "class=\"vc-overlap\" x="), 3u) << "one band per panel, and the legend's";
    EXPECT_EQ(count(svg, "vc-marked"), 0u);
  }
}

TEST(CorrespondenceSvg, MarksTheLinksOfAnAcceptedNumber) {
  struct Case {
    Direction direction;
    int mark;
    std::size_t points;
  };
  for (const Case& c : std::vector<Case>{{Direction::kNeToAm, 3021, 1},
                                         {Direction::kAmToNe, 6245, 2},
                                         {Direction::kNeToAm, 6500, 0},
                                         {Direction::kAmToNe, -7, 0}}) {
    std::string svg = correspondence_svg(c.direction, c.mark);
    EXPECT_EQ(count(svg, "class=\"vc-mark-point\""), c.points) << c.mark;
    EXPECT_EQ(count(svg, "data-number=\"" + std::to_string(c.mark) + "\""), c.points ? 1u : 0u);
  }
}

TEST(LinkName, NamesEachRelation) {
  using chronology::Link;
  EXPECT_EQ(link_name(Link{Sequence::kLc, Relation::kSplit, 3021, 3021, 3021, 3022}),
            "NE-LC 3021 split into AM 3021-3022");
  EXPECT_EQ(link_name(Link{Sequence::kLc, Relation::kJoined, 5672, 5676, 5691, 5691, true}),
            "NE-LC 5672-5676 joined into AM 5691, false annual couplets");
  EXPECT_EQ(link_name(Link{Sequence::kUc, Relation::kCorresponds, 6562, 6562, 6245, 6245}),
            "NE-UC 6562 corresponds to AM 6245");
}

}  // namespace
}  // namespace chart
