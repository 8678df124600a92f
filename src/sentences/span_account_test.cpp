#include "sentences/span_account.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sentences {
namespace {

using chronology::Direction;
using chronology::span_of;

struct AccountCase {
  Direction direction;
  chronology::GivenNumber first, last;
  std::vector<std::string> lines;
};

TEST(SpanAccount, TellsEachKindOfSpan) {
  const std::vector<AccountCase> cases = {
      {Direction::kNeToAm,
       5580,
       5700,
       {"NE-LC 5580-5700 spans AM 5599-5714", "  duration: 121 NE varves, 116 AM varves (years)",
        "  corrections inside (4):", "    NE-LC 5594-5595 joined into AM 5613",
        "    NE-LC 5607 split into AM 5625-5626",
        "    NE-LC 5672-5676 joined into AM 5691, false annual couplets",
        "    NE-LC 5680-5681 joined into AM 5695"}},
      {Direction::kNeToAm,
       7000,
       7000,
       {"NE-UC 7000 spans AM 6682", "  duration: 1 NE varve, 1 AM varve (year)",
        "  no corrections inside: one AM varve to each NE varve"}},
      // Both ends inside one join: a note on each, naming the NE varves outside.
      {Direction::kNeToAm,
       5673,
       5674,
       {"NE-LC 5673-5674 spans AM 5691", "  duration: 2 NE varves, 1 AM varve (year)",
        "  corrections inside (1):",
        "    NE-LC 5672-5676 joined into AM 5691, false annual couplets",
        "  the first end is not exact: NE-LC 5673 lies inside the join NE-LC 5672-5676",
        "    (AM 5691), which also holds NE-LC 5672, before the span",
        "  the last end is not exact: NE-LC 5674 lies inside the join NE-LC 5672-5676",
        "    (AM 5691), which also holds NE-LC 5675-5676, after the span"}},
      {Direction::kAmToNe,
       3022,
       3712,
       {"AM 3022-3712 spans NE-LC 3021-3700",
        "  duration: 691 AM varves (years), 680 NE varves",
        "  corrections inside (13):",
        "    NE-LC 3021 split into AM 3021-3022",
        "    NE-LC 3191 split into AM 3192-3193",
        "    NE-LC 3196 split into AM 3198-3199",
        "    NE-LC 3229 split into AM 3232-3233",
        "    NE-LC 3326 split into AM 3330-3331",
        "    NE-LC 3378 split into AM 3383-3384",
        "    NE-LC 3392 split into AM 3398-3399",
        "    NE-LC 3471 split into AM 3478-3479",
        "    NE-LC 3510 split into AM 3518-3519",
        "    NE-LC 3581 split into AM 3590-3591",
        "    NE-LC 3624 split into AM 3634-3635",
        "    NE-LC 3637 split into AM 3648-3649",
        "    NE-LC 3700 split into AM 3712-3713",
        "  the first end is not exact: AM 3022 is one half of NE-LC 3021, split into",
        "    AM 3021-3022; the other half, AM 3021, lies before the span",
        "  the last end is not exact: AM 3712 is one half of NE-LC 3700, split into",
        "    AM 3712-3713; the other half, AM 3713, lies after the span"}},
      // In the overlap: one part per sequence, each saying what it covers.
      {Direction::kAmToNe,
       6200,
       6500,
       {"AM 6200-6468 spans NE-LC 6185-6453 (NE-LC covers no AM varve after 6468)",
        "  duration: 269 AM varves (years), 269 NE varves",
        "  no corrections inside: one NE varve to each AM varve",
        "AM 6245-6500 spans NE-UC 6562-6817 (NE-UC covers no AM varve before 6245)",
        "  duration: 256 AM varves (years), 256 NE varves", "  corrections inside (2):",
        "    NE-UC 6674 split into AM 6357-6358", "    NE-UC 6744-6745 joined into AM 6428"}},
      {Direction::kNeToAm,
       6600,
       6400,
       {"NE 6400-6600 is not converted:",
        "  its ends lie in different NE sequences, NE 6400 in NE-LC and NE 6600 in NE-UC",
        "  the parts inside: NE-LC 6400-6460 and NE-UC 6560-6600"}},
      {Direction::kNeToAm,
       6500,
       9100,
       {"NE 6500-9100 is not converted:",
        "  its first end, NE 6500, lies in the gap between NE-LC 2500-6460 and NE-UC 6560-9000",
        "  its last end, NE 9100, lies above the accepted range NE-UC 6560-9000",
        "  the part inside: NE-UC 6560-9000"}},
      {Direction::kAmToNe,
       2000,
       2400,
       {"AM 2000-2400 is not converted:",
        "  its first end, AM 2000, lies below the accepted range AM 2500-8700",
        "  its last end, AM 2400, lies below the accepted range AM 2500-8700",
        "  no part of it lies inside"}},
  };
  for (const AccountCase& c : cases) {
    EXPECT_EQ(span_account(span_of(c.direction, c.first, c.last)), c.lines) << c.first;
    // The ends in the other order give the same account, the smaller end first.
    EXPECT_EQ(span_account(span_of(c.direction, c.last, c.first)), c.lines) << c.first;
  }
}

TEST(SpanFaultMessage, IsTheAccountOfASpanNotConvertedOnOneLine) {
  EXPECT_EQ(span_fault_message(span_of(Direction::kAmToNe, 8600, 8800)),
            "AM 8600-8800 is not converted: its last end, AM 8800, lies above the accepted range "
            "AM 2500-8700; the part inside: AM 8600-8700");
  EXPECT_EQ(span_fault_message(span_of(Direction::kNeToAm, 5580, 5700)), "");
}

TEST(SpanCaveat, SaysWhatARowCannotShow) {
  struct Case {
    Direction direction;
    chronology::GivenNumber first, last;
    std::string caveat;
  };
  const std::vector<Case> cases = {
      // Exact ends, one sequence over the whole span: nothing to say.
      {Direction::kNeToAm, 5580, 5700, ""},
      {Direction::kAmToNe, 3000, 3700, ""},
      {Direction::kAmToNe, 6245, 6468, ""},
      // Ends inside joins.
      {Direction::kNeToAm, 5673, 5680,
       "NE-LC 5673-5680: the first end lies inside the join NE-LC 5672-5676 (AM 5691); the last "
       "end lies inside the join NE-LC 5680-5681 (AM 5695)"},
      {Direction::kNeToAm, 4281, 4282, ""},
      {Direction::kNeToAm, 5673, 5674,
       "NE-LC 5673-5674: both ends lie inside the join NE-LC 5672-5676 (AM 5691)"},
      // A sequence that covers part of the span, and an end on half a split.
      {Direction::kAmToNe, 6200, 6300, "AM 6200-6300: NE-UC covers AM 6245-6300 only"},
      {Direction::kAmToNe, 6400, 6480, "AM 6400-6480: NE-LC covers AM 6400-6468 only"},
      {Direction::kAmToNe, 3022, 3100,
       "AM 3022-3100: the first end is one half of NE-LC 3021, split into AM 3021-3022"},
      // Not converted: the fault message says it all.
      {Direction::kNeToAm, 5700, 5580, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(span_caveat(span_of(c.direction, c.first, c.last)), c.caveat) << c.first;
  }
}

}  // namespace
}  // namespace sentences
