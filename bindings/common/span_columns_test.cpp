// The corrections that the R and Python bindings store, natively, and the
// warning's count of spans not converted, so that a slip here fails before
// either binding is built.

#include "span_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varve_columns {
namespace {

using chronology::read_cell;
using chronology::read_integer;

TEST(SpanColumns, CorrectionsAreListedInOrderWithTheEndsThatCutThem) {
  struct Case {
    Direction direction;
    chronology::GivenNumber first, last;
    std::vector<std::string> rows;  // ne_first-ne_last relation cut
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm, 5673, 5674, {"5672-5676 joined both"}},
      {Direction::kNeToAm,
       5580,
       5700,
       {"5594-5595 joined ", "5607-5607 split ", "5672-5676 joined ", "5680-5681 joined "}},
      {Direction::kNeToAm, 5673, 5680, {"5672-5676 joined first", "5680-5681 joined last"}},
      {Direction::kNeToAm, 3100, 3150, {}},
      {Direction::kAmToNe,
       3022,
       3200,
       {"3021-3021 split first", "3191-3191 split ", "3196-3196 split "}},
      // LC's corrections, then UC's, in one span.
      {Direction::kAmToNe, 6350, 6430, {"6674-6674 split ", "6744-6745 joined "}},
  };
  for (const Case& c : cases) {
    SpanRow row = span_row(c.direction, read_integer(c.first), read_integer(c.last), "", "");
    std::vector<CorrectionRow> corrections;
    append_corrections(corrections, 7, row);
    std::vector<std::string> got;
    for (const CorrectionRow& r : corrections) {
      EXPECT_EQ(correction_value(r, kCorrectionColumns[0]).integer, 7);
      got.push_back(std::to_string(r.link.ne_first.value()) + "-" +
                    std::to_string(r.link.ne_last.value()) + " " +
                    std::string(chronology::relation_name(r.link.relation)) + " " +
                    correction_value(r, kCorrectionColumns.back()).text.value_or(""));
    }
    EXPECT_EQ(got, c.rows) << c.first << "-" << c.last;
  }
  // A pair not converted has no corrections, however many its numbers hold.
  std::vector<CorrectionRow> none;
  append_corrections(none, 0,
                     span_row(Direction::kNeToAm, read_integer(6500), read_integer(3000), "", ""));
  EXPECT_TRUE(none.empty());
}

TEST(SpanColumns, TheWarningCountsSpansNotConvertedApartFromBadNumbers) {
  Warnings invalid(Direction::kNeToAm);
  const char* texts[] = {"5580-5700", "9100-6500", "x", "6400 \xE2\x80\x93 6600", "3021"};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    invalid.note(i, read_cell(texts[i]), [&] { return std::string(texts[i]); });
  }
  EXPECT_EQ(invalid.count(), 1u);
  EXPECT_EQ(invalid.spans(), 2u);
  auto element = [](std::size_t i) { return "element " + std::to_string(i + 1); };
  EXPECT_EQ(invalid.details(element),
            "element 2: NE 6500-9100 is not converted: its first end, NE 6500, lies in the gap "
            "between NE-LC 2500-6460 and NE-UC 6560-9000; its last end, NE 9100, lies above the "
            "accepted range NE-UC 6560-9000; the part inside: NE-UC 6560-9000\n"
            "element 3: not a whole number: 'x'\n"
            "element 4: NE 6400-6600 is not converted: its ends lie in different NE sequences, "
            "NE 6400 in NE-LC and NE 6600 in NE-UC; the parts inside: NE-LC 6400-6460 and NE-UC "
            "6560-6600");
  Warnings pairs(Direction::kAmToNe);
  for (std::size_t i = 0; i < 7; ++i) {
    pairs.add(i, "why " + std::to_string(i));
  }
  EXPECT_EQ(pairs.faults(), 7u);
  EXPECT_EQ(pairs.details([](std::size_t i) { return "pair " + std::to_string(i); }),
            "pair 0: why 0\npair 1: why 1\npair 2: why 2\npair 3: why 3\n"
            "pair 4: why 4\nand 2 more");
}

}  // namespace
}  // namespace varve_columns
