#include "batch/added_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace batch {
namespace {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::GivenNumber;

/// The ends of two cells, as the row converter reads them, with their texts.
table::ReadEnds ends_of(const Cell& a, const Cell& b, std::string shown_a = "",
                        std::string shown_b = "") {
  return {{a, b}, {std::move(shown_a), std::move(shown_b)}};
}

/// What the cache gives for `ends` must be the interval's row as the table
/// model makes it, written by append_span_cells.
void expect_row_of_the_table_model(SpanCellsCache& cache, Direction direction, char separator,
                                   const table::ReadEnds& ends, const std::string& what) {
  std::string expected;
  append_span_cells(
      expected, direction,
      table::span_row(direction, ends.ends[0], ends.ends[1], ends.shown[0], ends.shown[1]),
      separator);
  EXPECT_EQ(std::string(cache.cells(ends)), expected) << what;
}

// The cache puts a converted interval together from its ends: for every pair
// of ends that matter (splits, joins, false couplets, the overlap, the
// edges) and many random ones, in either order, it must give the table
// model's own row.
TEST(SpanCellsCache, GivesTheTableModelsRowForAnyTwoEnds) {
  const std::vector<chronology::GivenNumber> ne_ends = {
      2499, 2500, 2501, 3020, 3021, 3022, 3191, 3700, 3701, 4281, 4282, 4283, 5594,
      5595, 5607, 5671, 5672, 5674, 5676, 5677, 5680, 5681, 6453, 6454, 6460, 6461,
      6559, 6560, 6561, 6673, 6674, 6675, 6744, 6745, 6951, 6952, 8999, 9000, 9001};
  const std::vector<chronology::GivenNumber> am_ends = {
      2499, 2500, 3021, 3022, 3023, 3712, 3713, 4294, 5613, 5625, 5626, 5691, 5692, 5695, 6244,
      6245, 6246, 6357, 6358, 6359, 6428, 6468, 6469, 6633, 6634, 6635, 8682, 8683, 8700, 8701};
  std::mt19937 random(31);
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    for (char separator : {',', ';'}) {
      SpanCellsCache cache(direction, separator);
      const std::vector<chronology::GivenNumber>& ends =
          direction == Direction::kNeToAm ? ne_ends : am_ends;
      for (chronology::GivenNumber a : ends) {
        for (chronology::GivenNumber b : ends) {
          expect_row_of_the_table_model(
              cache, direction, separator,
              ends_of(chronology::read_integer(a), chronology::read_integer(b)),
              std::to_string(a) + " " + std::to_string(b));
        }
      }
      std::uniform_int_distribution<chronology::GivenNumber> number(2400, 9100);
      for (int i = 0; i < 20000; ++i) {
        chronology::GivenNumber a = number(random);
        chronology::GivenNumber b = a + number(random) % 300 - 150;
        expect_row_of_the_table_model(
            cache, direction, separator,
            ends_of(chronology::read_integer(a), chronology::read_integer(b)),
            std::to_string(a) + " " + std::to_string(b));
      }
    }
  }
}

TEST(SpanCellsCache, WritesIntervalsNotConvertedFromTheirRows) {
  SpanCellsCache cache(Direction::kNeToAm, ',');
  Cell empty{CellKind::kEmpty};
  EXPECT_EQ(cache.cells(ends_of(empty, empty)), std::string(13, ','));
  EXPECT_EQ(cache.cells(ends_of(chronology::read_integer(5580), empty)),
            ",,,,,,,,,,,,,the last end is empty: an incomplete interval");
  // A sentence that holds the separator is quoted, and its quotes doubled.
  EXPECT_EQ(cache.cells(
                ends_of(chronology::read_cell("4,282"), chronology::read_integer(5580), "4,\"282")),
            ",,,,,,,,,,,,,\"the first end is not a whole number: '4,\"\"282' (a thousands "
            "separator? write 4282 without one to convert it)\"");
}

}  // namespace
}  // namespace batch
