#include "chronology/cell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cell_cases.h"

namespace chronology {
namespace {

// The rule holds at compile time too.
static_assert(read_cell(" 3021.0 ") == Cell{CellKind::kNumber, 3021});
static_assert(read_cell("3021,0", ';') == Cell{CellKind::kNumber, 3021});
static_assert(read_cell("3021,0", ',').kind == CellKind::kInvalid);
static_assert(read_cell("4,282") == Cell{CellKind::kInvalid, 0, CellHint::kThousands, 4282});
static_assert(read_cell("ca. 4282") == Cell{CellKind::kInvalid, 0, CellHint::kUncertain, 4282});
static_assert(read_real(4282.0) == Cell{CellKind::kNumber, 4282});
static_assert(read_cell(" 5580 - 5700 ") ==
              Cell{CellKind::kSpan, 0, CellHint::kNone, 0, 5580, 5700});

/// The cell rule as the table of cases expects it, under each separator.
TEST(ReadCell, GivesEveryCaseOfTheSharedTable) {
  std::vector<cell_cases::Case> cases = cell_cases::load(VARVE_CELL_CASES);
  std::size_t run = 0;
  for (char separator : {'\0', ',', ';', '\t'}) {
    for (const cell_cases::Case& c : cases) {
      if (!c.applies(separator)) {
        continue;
      }
      ++run;
      Cell cell = read_cell(c.cell, separator);
      const cell_cases::Expected& e = c.expected;
      SCOPED_TRACE(c.text + " with separator " + std::to_string(separator));
      switch (e.kind) {
        case cell_cases::Expected::Kind::kNumber:
          EXPECT_EQ(cell, (Cell{CellKind::kNumber, e.number}));
          break;
        case cell_cases::Expected::Kind::kEmpty:
          EXPECT_EQ(cell.kind, CellKind::kEmpty);
          break;
        case cell_cases::Expected::Kind::kInvalid:
          EXPECT_EQ(cell.kind, CellKind::kInvalid);
          EXPECT_EQ(cell.hint, e.hint == "thousands"   ? CellHint::kThousands
                               : e.hint == "uncertain" ? CellHint::kUncertain
                                                       : CellHint::kNone);
          if (cell.hint != CellHint::kNone) {
            EXPECT_EQ(cell.meant, e.number);
          }
          break;
      }
    }
  }
  std::printf("ran %zu cell cases (%zu lines of the table, under four separators)\n", run,
              cases.size());
  EXPECT_GT(run, 150u);
}

/// Only digits, a hyphen or an en dash, and digits make a span; every other
/// text with a dash reads as it did before spans were read.
TEST(ReadCell, ReadsASpanOnlyInItsOwnShape) {
  constexpr GivenNumber kMax = std::numeric_limits<GivenNumber>::max();
  auto span = [](GivenNumber first, GivenNumber last) {
    return Cell{CellKind::kSpan, 0, CellHint::kNone, 0, first, last};
  };
  struct Case {
    const char* text;
    Cell cell;
  };
  const Case cases[] = {
      {"5580-5700", span(5580, 5700)},
      {" 5580 - 5700 ", span(5580, 5700)},
      {"5580\t-\t5700", span(5580, 5700)},
      {"5580\xE2\x80\x93"
       "5700",
       span(5580, 5700)},  // An en dash.
      {"5580\xC2\xA0\xE2\x80\x93\xE2\x80\x89"
       "5700",
       span(5580, 5700)},
      {"5700-5580", span(5700, 5580)},  // Read as given; the span says it is reversed.
      {"05580-05700", span(5580, 5700)},
      {"5-6", span(5, 6)},
      {"99999999999-1", span(kMax, 1)},
      {"-5", {CellKind::kNumber, -5}},
      {"- 5", {CellKind::kInvalid}},
      {"5-", {CellKind::kInvalid}},
      {"-5-6", {CellKind::kInvalid}},
      {"+5-6", {CellKind::kInvalid}},
      {"5-+6", {CellKind::kInvalid}},
      {"5\xE2\x88\x92"
       "6",
       {CellKind::kInvalid}},  // A minus sign.
      {"5--6", {CellKind::kInvalid}},
      {"5 6", {CellKind::kInvalid}},
      {"5580-5700-5800", {CellKind::kInvalid}},
      {"5580-5700.0", {CellKind::kInvalid}},
      {"5580.0-5700", {CellKind::kInvalid}},
      {"5580\xE2\x80\x94"
       "5700",
       {CellKind::kInvalid}},  // An em dash.
      {"5580/5700", {CellKind::kInvalid}},
      {"2020-01-01", {CellKind::kInvalid}},
      {"4,282-4,300", {CellKind::kInvalid}},
      {"5580-5700?", {CellKind::kInvalid}},
      {"ca. 5580-5700", {CellKind::kInvalid}},
  };
  for (const Case& c : cases) {
    for (char separator : {'\0', ',', ';', '\t'}) {
      EXPECT_EQ(read_cell(c.text, separator), c.cell) << c.text << " with " << int{separator};
    }
  }
}

TEST(ReadValue, ReadsEveryKindOfHostNumber) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  constexpr GivenNumber kMax = std::numeric_limits<GivenNumber>::max();
  constexpr GivenNumber kMin = std::numeric_limits<GivenNumber>::min();
  struct RealCase {
    double value;
    Cell cell;
  };
  const RealCase reals[] = {
      {3021.0, {CellKind::kNumber, 3021}},
      {-0.0, {CellKind::kNumber, 0}},
      {3021.5, {CellKind::kInvalid}},
      {3021.000001, {CellKind::kInvalid}},
      {-2.5, {CellKind::kInvalid}},
      {2147483648.0, {CellKind::kNumber, kMax}},
      {4294970317.0, {CellKind::kNumber, kMax}},  // 2^32 + 3021: never 3021.
      {-4294964275.0, {CellKind::kNumber, kMin}},
      {1e300, {CellKind::kNumber, kMax}},
      {-1e300, {CellKind::kNumber, kMin}},
      {9007199254740993.0, {CellKind::kNumber, kMax}},
      {kInfinity, {CellKind::kInvalid}},
      {-kInfinity, {CellKind::kInvalid}},
      {std::nan(""), {CellKind::kEmpty}},
  };
  for (const RealCase& c : reals) {
    EXPECT_EQ(read_real(c.value), c.cell) << c.value;
  }
  EXPECT_EQ(read_integer(3021), (Cell{CellKind::kNumber, 3021}));
  EXPECT_EQ(read_integer(std::int64_t{1} << 32 | 3021), (Cell{CellKind::kNumber, kMax}));
  EXPECT_EQ(read_integer(std::numeric_limits<std::int64_t>::min()),
            (Cell{CellKind::kNumber, kMin}));
}

TEST(InvalidCellMessage, NamesTheHintedNumber) {
  EXPECT_EQ(invalid_cell_message("abc", read_cell("abc")), "not a whole number: 'abc'");
  EXPECT_EQ(invalid_cell_message("4,282", read_cell("4,282")),
            "not a whole number: '4,282' (a thousands separator? write 4282 without one to "
            "convert it)");
  EXPECT_EQ(invalid_cell_message("4282?", read_cell("4282?")),
            "not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert it)");
}

}  // namespace
}  // namespace chronology
