#include "table/row_converter.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace table {
namespace {

using chronology::CellKind;
using chronology::Direction;

TEST(RowConverter, FitsEachRowToTheTableAndReadsEachConversionsCell) {
  std::vector<std::string> messages;
  Reporter reporter({}, [&](const Message& m) {
    messages.push_back(std::to_string(m.place.line) + ":" + std::to_string(m.place.column) + " " +
                       m.text);
  });
  PlanResult planned =
      make_plan(Header({"id", "ne", "note", "am"}), {Direction::kNeToAm, {"am", "ne"}, ""});
  ASSERT_EQ(planned.error, "");
  RowConverter rows(planned.plan, 4, reporter);
  struct Case {
    std::vector<std::string> row;
    bool fits;
    std::size_t padding;
    std::vector<CellKind> cells;  ///< Of am, then ne.
  };
  const std::vector<Case> cases = {
      {{"S1", "3021", "", "x"}, true, 0, {CellKind::kInvalid, CellKind::kNumber}},
      {{"S2", "3021"}, true, 2, {CellKind::kEmpty, CellKind::kNumber}},
      {{""}, true, 3, {CellKind::kEmpty, CellKind::kEmpty}},
      {{"S4", "3021", "", "2700", "extra"}, false, 0, {}},
  };
  std::size_t line = 2;
  for (const Case& c : cases) {
    auto read = [&c](std::size_t column) {
      return ReadCell{chronology::read_cell(c.row.at(column)), c.row.at(column)};
    };
    auto shown = [](std::string_view text) { return std::string(text); };
    ASSERT_EQ(rows.convert(c.row.size(), {line - 2, line, 0}, read, shown), c.fits) << line;
    if (c.fits) {
      EXPECT_EQ(rows.padding(), c.padding) << line;
      std::vector<CellKind> kinds;
      for (const ReadEnds& read : rows.read()) {
        kinds.push_back(read.ends[0].kind);
      }
      EXPECT_EQ(kinds, c.cells) << line;
    }
    ++line;
  }
  // The bad cell is named by its own column; the row too wide reports nothing itself.
  EXPECT_EQ(messages, std::vector<std::string>{"2:4 not a whole number: 'x'"});
  EXPECT_EQ(wider_row_message(5, 4, true),
            "the row has 5 cells, more than the header's 4 (a separator too many, or one inside "
            "a cell without quotes?)");
}

TEST(RowConverter, ReadsAnIntervalsTwoEndsAndReportsWhyOneIsNotConverted) {
  std::vector<std::string> messages;
  Reporter reporter({}, [&](const Message& m) {
    messages.push_back(std::to_string(m.place.line) + ":" + std::to_string(m.place.column) + " " +
                       m.text);
  });
  PlanResult planned = make_plan(Header({"id", "top", "bottom"}),
                                 {Direction::kNeToAm, {}, "", false, {{"top", "bottom"}}});
  ASSERT_EQ(planned.error, "");
  RowConverter rows(planned.plan, 3, reporter);
  struct Case {
    std::vector<std::string> row;
    std::array<CellKind, 2> ends;
    std::string shown_first;  ///< The first end's text kept for its row.
  };
  const std::vector<Case> cases = {
      {{"S1", "5700", "5580"}, {CellKind::kNumber, CellKind::kNumber}, ""},
      {{"S2", "5580"}, {CellKind::kNumber, CellKind::kEmpty}, ""},
      {{"S3", "x", "5580"}, {CellKind::kInvalid, CellKind::kNumber}, "[x]"},
      {{"S4", "", ""}, {CellKind::kEmpty, CellKind::kEmpty}, ""},
      {{"S5", "6600", "6400"}, {CellKind::kNumber, CellKind::kNumber}, ""},
  };
  std::size_t line = 2;
  for (const Case& c : cases) {
    auto read = [&c](std::size_t column) {
      return ReadCell{chronology::read_cell(c.row.at(column)), c.row.at(column)};
    };
    auto shown = [](std::string_view text) { return std::string("[").append(text).append("]"); };
    ASSERT_TRUE(rows.convert(c.row.size(), {line - 2, line, 0}, read, shown)) << line;
    ASSERT_EQ(rows.read().size(), 1u);
    const ReadEnds& got = rows.read()[0];
    EXPECT_EQ(got.ends[0].kind, c.ends[0]) << line;
    EXPECT_EQ(got.ends[1].kind, c.ends[1]) << line;
    EXPECT_EQ(got.shown[0], c.shown_first) << line;
    ++line;
  }
  // Each interval not converted is named by its first column, with its row's reason.
  EXPECT_EQ(messages,
            (std::vector<std::string>{
                "3:2 the last end is empty: an incomplete interval",
                "4:2 the first end is not a whole number: '[x]'",
                "6:2 NE 6400-6600 is not converted: its ends lie in different NE sequences, NE "
                "6400 in NE-LC and NE 6600 in NE-UC; the parts inside: NE-LC 6400-6460 and NE-UC "
                "6560-6600"}));
  EXPECT_EQ(reporter.spans_not_converted(), 3u);
}

}  // namespace
}  // namespace table
