// What the R and Python bindings do with each kind of value they are given,
// natively: the value read by the engine, its row of added cells, and the
// warning's messages, so that a slip here fails before either binding is built.

#include "varve_columns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace varve_columns {
namespace {

using chronology::read_integer;
using chronology::read_real;

TEST(BindingValues, EachKindOfValueGivesItsRow) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    Cell cell;
    RelationCode relation;
    std::optional<chronology::GivenNumber> am_first;
  };
  const Case cases[] = {
      {"whole", read_real(3021.0), RelationCode::kSplit, 3021},
      {"whole, as an integer", read_integer(4282), RelationCode::kJoined, 4294},
      {"fractional", read_real(3021.5), RelationCode::kInvalid, std::nullopt},
      {"just short of whole", read_real(std::nextafter(3021.0, 0.0)), RelationCode::kInvalid,
       std::nullopt},
      {"huge", read_real(1e300), RelationCode::kOutside, std::nullopt},
      {"2^32 + 3021, never 3021", read_integer((std::int64_t{1} << 32) + 3021),
       RelationCode::kOutside, std::nullopt},
      {"NaN, a missing value", read_real(std::nan("")), RelationCode::kNone, std::nullopt},
      {"an infinity", read_real(kInfinity), RelationCode::kInvalid, std::nullopt},
      {"minus infinity", read_real(-kInfinity), RelationCode::kInvalid, std::nullopt},
      {"text", chronology::read_cell("3021.0"), RelationCode::kSplit, 3021},
      {"text marked uncertain", chronology::read_cell("4282?"), RelationCode::kInvalid,
       std::nullopt},
      {"empty text", chronology::read_cell("  "), RelationCode::kNone, std::nullopt},
  };
  for (const Case& c : cases) {
    auto ne = std::get<table::NeToAmCells>(number_cells(Direction::kNeToAm, c.cell));
    EXPECT_EQ(ne.relation, c.relation) << c.name;
    EXPECT_EQ(table::plain(ne.am_first), c.am_first) << c.name;
    EXPECT_EQ(ne.sequence.has_value(), c.am_first.has_value()) << c.name;
    // In the other direction, both sequences say why a value has no link.
    auto am = std::get<table::AmToNeCells>(number_cells(Direction::kAmToNe, c.cell));
    if (!c.am_first) {
      EXPECT_EQ(am.lc_relation, am.uc_relation) << c.name;
    }
  }
}

TEST(BindingValues, TheWarningNamesTheFirstBadElementsAndCountsTheRest) {
  Warnings invalid(Direction::kNeToAm);
  const char* texts[] = {"3021", "4282?", "x", "", "4,282", "a", "b", "c", "d"};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    invalid.note(i, chronology::read_cell(texts[i]), [&] { return std::string(texts[i]); });
  }
  EXPECT_EQ(invalid.count(), 7u);
  EXPECT_EQ(invalid.details([](std::size_t i) { return "element " + std::to_string(i + 1); }),
            "element 2: not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to "
            "convert it)\n"
            "element 3: not a whole number: 'x'\n"
            "element 5: not a whole number: '4,282' (a thousands separator? write 4282 without one "
            "to convert it)\n"
            "element 6: not a whole number: 'a'\n"
            "element 7: not a whole number: 'b'\n"
            "and 2 more");
  EXPECT_EQ(shown_real(3021.5, "Inf"), "3021.5");
  EXPECT_EQ(shown_real(-std::numeric_limits<double>::infinity(), "Inf"), "-Inf");
}

}  // namespace
}  // namespace varve_columns
