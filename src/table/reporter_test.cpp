#include "table/reporter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace table {
namespace {

using chronology::Direction;
using chronology::read_cell;

/// Each message as "kind row: text", the kind as a letter: f fault, n note,
/// w warning, m more, t total.
struct Seen {
  std::vector<std::string> lines;
  MessageSink sink() {
    return [this](const Message& m) {
      const char* kind = is_fault(m.kind)                  ? "f"
                         : m.kind == MessageKind::kNote    ? "n"
                         : m.kind == MessageKind::kWarning ? "w"
                         : m.kind == MessageKind::kMore    ? "m"
                                                           : "t";
      std::string line(kind);
      if (has_place(m.kind)) {
        line.append(" ").append(std::to_string(m.place.row));
      }
      lines.push_back(line.append(": ").append(m.text));
    };
  }
};

TEST(Reporter, WordsAndCountsEachKindOfValue) {
  Seen seen;
  Reporter reporter({}, seen.sink());
  const char* values[] = {"3021", "", "4,282", "6200-6500", "8600-8800", "x"};
  std::size_t shown_calls = 0;
  for (std::size_t row = 0; row < std::size(values); ++row) {
    reporter.cell(Direction::kAmToNe, {row, 0, 0}, read_cell(values[row]), [&] {
      ++shown_calls;
      return std::string(values[row]);
    });
  }
  reporter.warning({6, 0, 0}, "warning: read as two numbers");
  reporter.finish();
  EXPECT_EQ(seen.lines,
            (std::vector<std::string>{
                "f 2: not a whole number: '4,282' (a thousands separator? write 4282 without one "
                "to convert it)",
                "n 3: note: AM 6200-6500: NE-LC covers AM 6200-6468 only; NE-UC covers AM "
                "6245-6500 only",
                "f 4: AM 8600-8800 is not converted: its last end, AM 8800, lies above the "
                "accepted range AM 2500-8700; the part inside: AM 8600-8700",
                "f 5: not a whole number: 'x'",
                "w 6: warning: read as two numbers",
            }));
  EXPECT_EQ(shown_calls, 2u);
  EXPECT_EQ(reporter.not_numbers(), 2u);
  EXPECT_EQ(reporter.spans_not_converted(), 1u);
  EXPECT_EQ(reporter.faults(), 3u);
  EXPECT_EQ(reporter.notes(), 1u);
  EXPECT_EQ(reporter.unshown(), 0u);
}

TEST(Reporter, ShowsTheFirstFaultsAndCountsThemAll) {
  Seen seen;
  Reporter reporter({2, "lines"}, seen.sink());
  std::size_t shown_calls = 0;
  for (std::size_t row = 0; row < 4; ++row) {
    reporter.cell(Direction::kNeToAm, {row, 0, 0}, read_cell("x"), [&] {
      ++shown_calls;
      return std::string("x");
    });
  }
  // A note after the limit is still shown: it is no fault.
  reporter.cell(Direction::kAmToNe, {4, 0, 0}, read_cell("6200-6500"), [] { return ""; });
  reporter.finish();
  ASSERT_EQ(seen.lines.size(), 5u);
  EXPECT_EQ(seen.lines[2], "m: (further lines that are not whole numbers are counted, not listed)");
  EXPECT_TRUE(seen.lines[3].starts_with("n 4: note: "));
  EXPECT_EQ(seen.lines[4], "t: 4 lines in all were not whole numbers");
  EXPECT_EQ(shown_calls, 2u);  // Only the values shown are made safe to show.
  EXPECT_EQ(reporter.faults(), 4u);
  EXPECT_EQ(reporter.unshown(), 2u);
}

}  // namespace
}  // namespace table
