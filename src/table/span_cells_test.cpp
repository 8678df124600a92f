// The row an interval of two ends adds, for every front end: each kind of
// pair, each column's value, so that a slip here fails before any front end
// is built.

#include "table/span_cells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace table {
namespace {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::read_cell;
using chronology::read_integer;
using chronology::read_real;
using chronology::Sequence;

/// The values of `row` by column name: a number, "true"/"false", text, or
/// "NA" when missing.
std::map<std::string, std::string> values_of(Direction direction, const SpanRow& row) {
  std::map<std::string, std::string> values;
  for (const SpanColumn& column : span_columns(direction)) {
    SpanValue v = span_value(row, column);
    std::string shown = v.text      ? *v.text
                        : v.integer ? std::to_string(*v.integer)
                        : v.flag    ? (*v.flag ? "true" : "false")
                                    : "NA";
    values.emplace(std::string(column.name), shown);
  }
  return values;
}

TEST(SpanCells, NamesAreUniqueAndEachSequenceHasTheSameColumns) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::set<std::string_view> names;
    for (const SpanColumn& column : span_columns(direction)) {
      EXPECT_TRUE(names.insert(column.name).second) << column.name;
    }
  }
  // The UC columns repeat the LC columns, field for field, under their own prefix.
  std::vector<const SpanColumn*> lc, uc;
  for (const SpanColumn& column : kAmSpanColumns) {
    (column.part == Sequence::kLc ? lc : column.part == Sequence::kUc ? uc : lc).push_back(&column);
  }
  lc.resize(uc.size());
  for (std::size_t k = 0; k < uc.size(); ++k) {
    EXPECT_EQ(lc[k]->field, uc[k]->field) << uc[k]->name;
    EXPECT_EQ(std::string(lc[k]->name.substr(3)), std::string(uc[k]->name.substr(3)));
    EXPECT_TRUE(lc[k]->name.starts_with("lc_") && uc[k]->name.starts_with("uc_"));
  }
}

TEST(SpanCells, EachKindOfPairGivesItsRow) {
  struct Case {
    const char* name;
    Direction direction;
    Cell first, last;
    std::map<std::string, std::string> expected;  // Columns not named here are not checked.
    const char* first_text = "";                  // An end as given, for its message.
    const char* last_text = "";
  };
  const Direction ne = Direction::kNeToAm, am = Direction::kAmToNe;
  const std::vector<Case> cases = {
      {"splits inside",
       ne,
       read_integer(3000),
       read_integer(3700),
       {{"sequence", "LC"},
        {"am_first", "3000"},
        {"am_last", "3713"},
        {"ne_varves", "701"},
        {"am_varves", "714"},
        {"splits", "13"},
        {"joins", "0"},
        {"false_couplets", "false"},
        {"first_cut", "NA"},
        {"not_converted", "NA"}}},
      {"joins and false couplets inside, as text",
       ne,
       read_cell("5580"),
       read_cell(" 5700.0 "),
       {{"am_first", "5599"},
        {"am_last", "5714"},
        {"am_varves", "116"},
        {"splits", "1"},
        {"joins", "3"},
        {"false_couplets", "true"}}},
      {"both ends inside joins",
       ne,
       read_real(5673.0),
       read_integer(5680),
       {{"first_cut", "NE-LC 5672-5676 joined into AM 5691, false annual couplets"},
        {"last_cut", "NE-LC 5680-5681 joined into AM 5695"},
        {"am_varves", "5"}}},
      {"one varve of UC",
       ne,
       read_integer(7000),
       read_integer(7000),
       {{"sequence", "UC"}, {"ne_varves", "1"}, {"am_varves", "1"}, {"splits", "0"}}},
      {"the top, the larger number, first",
       ne,
       read_integer(5700),
       read_integer(5580),
       {{"ne_first", "5580"},
        {"ne_last", "5700"},
        {"am_first", "5599"},
        {"am_last", "5714"},
        {"ne_varves", "121"},
        {"am_varves", "116"},
        {"not_converted", "NA"}}},
      {"the top first, its end inside a join: the cut is the older end's",
       ne,
       read_integer(5700),
       read_integer(5674),
       {{"ne_first", "5674"},
        {"first_cut", "NE-LC 5672-5676 joined into AM 5691, false annual couplets"},
        {"last_cut", "NA"}}},
      {"the last end missing: an incomplete interval",
       ne,
       read_integer(5580),
       read_real(std::nan("")),
       {{"sequence", "NA"},
        {"ne_first", "NA"},
        {"false_couplets", "NA"},
        {"not_converted", "the last end is empty: an incomplete interval"}}},
      {"the first end missing, the last not a number",
       am,
       Cell{CellKind::kEmpty},
       read_cell("x"),
       {{"lc_first", "NA"},
        {"not_converted",
         "the first end is empty: an incomplete interval; the last end is not a whole number: "
         "'x'"}},
       "",
       "x"},
      {"both ends missing: no interval, an empty row",
       am,
       read_real(std::nan("")),
       Cell{CellKind::kEmpty},
       {{"lc_first", "NA"}, {"false_couplets", "NA"}, {"not_converted", "NA"}}},
      {"ends not numbers",
       ne,
       read_cell("4282?"),
       read_cell("5580-5700"),
       {{"ne_first", "NA"},
        {"not_converted",
         "the first end is not a whole number: '4282?' (4282 marked uncertain: write 4282 alone "
         "to convert it); the last end is not a whole number: '5580-5700'"}},
       "4282?",
       "5580-5700"},
      {"a fraction",
       am,
       read_integer(3000),
       read_real(3000.5),
       {{"lc_first", "NA"}, {"not_converted", "the last end is not a whole number: '3000.5'"}},
       "",
       "3000.5"},
      {"ends on split halves",
       am,
       read_integer(3022),
       read_integer(3712),
       {{"lc_first", "3021"},
        {"lc_last", "3700"},
        {"lc_am_varves", "691"},
        {"lc_ne_varves", "680"},
        {"lc_first_cut", "NE-LC 3021 split into AM 3021-3022"},
        {"lc_last_cut", "NE-LC 3700 split into AM 3712-3713"},
        {"uc_first", "NA"},
        {"uc_am_varves", "NA"}}},
      {"into the overlap",
       am,
       read_integer(6200),
       read_integer(6300),
       {{"lc_am_first", "6200"},
        {"lc_am_last", "6300"},
        {"uc_am_first", "6245"},
        {"uc_am_last", "6300"},
        {"uc_first", "6562"},
        {"uc_last", "6617"},
        {"uc_am_varves", "56"},
        {"false_couplets", "false"}}},
      {"below the range",
       am,
       read_integer(2400),
       read_integer(2600),
       {{"lc_first", "NA"},
        {"not_converted",
         "AM 2400-2600 is not converted: its first end, AM 2400, lies below the accepted range "
         "AM 2500-8700; the part inside: AM 2500-2600"}}},
  };
  for (const Case& c : cases) {
    SpanRow row = span_row(c.direction, c.first, c.last, c.first_text, c.last_text);
    std::map<std::string, std::string> values = values_of(c.direction, row);
    for (const auto& [name, value] : c.expected) {
      ASSERT_TRUE(values.count(name)) << c.name << ": no column " << name;
      EXPECT_EQ(values[name], value) << c.name << ": " << name;
    }
    // A row without either end is empty throughout.
    if (row.empty) {
      for (const auto& [name, value] : values) {
        EXPECT_EQ(value, "NA") << c.name << ": " << name;
      }
    }
  }
}

}  // namespace
}  // namespace table
