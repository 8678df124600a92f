// The span rows and corrections that the R and Python bindings store,
// natively: each kind of pair, each column's value, and the warning's count of
// spans not converted, so that a slip here fails before either binding is built.

#include "span_columns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace varve_columns {
namespace {

using chronology::read_cell;
using chronology::read_integer;
using chronology::read_real;

/// The values of `row` by column name: a number, "true"/"false", text, or
/// "NA" when missing.
std::map<std::string, std::string> values_of(Direction direction, const SpanRow& row) {
  std::map<std::string, std::string> values;
  for (const SpanColumn& column : span_columns(direction)) {
    Value v = span_value(row, column);
    std::string shown = v.text      ? *v.text
                        : v.integer ? std::to_string(*v.integer)
                        : v.flag    ? (*v.flag ? "true" : "false")
                                    : "NA";
    values.emplace(std::string(column.name), shown);
  }
  return values;
}

TEST(SpanColumns, NamesAreUniqueAndEachSequenceHasTheSameColumns) {
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

TEST(SpanColumns, EachKindOfPairGivesItsRow) {
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
      {"reversed",
       ne,
       read_integer(5700),
       read_integer(5580),
       {{"sequence", "NA"},
        {"am_first", "NA"},
        {"false_couplets", "NA"},
        {"not_converted",
         "NE 5700-5580 is not converted: its first number is greater than its last: write NE "
         "5580-5700"}}},
      {"an end missing",
       ne,
       read_integer(5580),
       read_real(std::nan("")),
       {{"sequence", "NA"}, {"not_converted", "NA"}}},
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
    EndTexts firsts, lasts;
    firsts.note(0, c.first, [&] { return std::string(c.first_text); });
    lasts.note(0, c.last, [&] { return std::string(c.last_text); });
    SpanRow row = span_row(c.direction, c.first, c.last, firsts.at(0), lasts.at(0));
    std::map<std::string, std::string> values = values_of(c.direction, row);
    for (const auto& [name, value] : c.expected) {
      ASSERT_TRUE(values.count(name)) << c.name << ": no column " << name;
      EXPECT_EQ(values[name], value) << c.name << ": " << name;
    }
    // A pair with a missing end is empty throughout.
    if (row.empty) {
      for (const auto& [name, value] : values) {
        EXPECT_EQ(value, "NA") << c.name << ": " << name;
      }
    }
  }
}

TEST(SpanColumns, CorrectionsAreListedInOrderWithTheEndsThatCutThem) {
  struct Case {
    Direction direction;
    VarveNumber first, last;
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
      got.push_back(std::to_string(r.link.ne_first) + "-" + std::to_string(r.link.ne_last) + " " +
                    std::string(chronology::relation_name(r.link.relation)) + " " +
                    correction_value(r, kCorrectionColumns.back()).text.value_or(""));
    }
    EXPECT_EQ(got, c.rows) << c.first << "-" << c.last;
  }
  // A pair not converted has no corrections, however many its numbers hold.
  std::vector<CorrectionRow> none;
  append_corrections(none, 0,
                     span_row(Direction::kNeToAm, read_integer(5700), read_integer(3000), "", ""));
  EXPECT_TRUE(none.empty());
}

TEST(SpanColumns, TheWarningCountsSpansNotConvertedApartFromBadNumbers) {
  Warnings invalid(Direction::kNeToAm);
  const char* texts[] = {"5580-5700", "5700-5580", "x", "6400 \xE2\x80\x93 6600", "3021"};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    invalid.note(i, read_cell(texts[i]), [&] { return std::string(texts[i]); });
  }
  EXPECT_EQ(invalid.count(), 1u);
  EXPECT_EQ(invalid.spans(), 2u);
  auto element = [](std::size_t i) { return "element " + std::to_string(i + 1); };
  EXPECT_EQ(invalid.details(element),
            "element 2: NE 5700-5580 is not converted: its first number is greater than its "
            "last: write NE 5580-5700\n"
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
