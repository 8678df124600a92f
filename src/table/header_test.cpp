#include "table/header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace table {
namespace {

const Header kSamples({"sample_id", "4", "ne_varve", "Depth (cm)", "dup", "dup", "Am", "AM",
                       "notes"});

TEST(FindColumn, ExactNameThenNumberThenOneNameInAnyCase) {
  struct Case {
    const Header& header;
    const char* wanted;
    std::size_t index;  ///< From 0; ignored where an error is expected.
    const char* error;  ///< The start of the error, or "" for a column found.
  };
  const Header unnamed = Header::unnamed(6);
  const Header own_number({"a", "b", "c", "4"});
  const Case cases[] = {
      {kSamples, "ne_varve", 2, ""},
      {kSamples, "NE_VARVE", 2, ""},
      {kSamples, "AM", 7, ""},
      {kSamples, "3", 2, ""},
      {kSamples, "#2", 1, ""},
      {kSamples, "#4", 3, ""},
      {own_number, "4", 3, ""},
      {unnamed, "3", 2, ""},
      {unnamed, "#6", 5, ""},
      {kSamples, "4", 0,
       "'4' is the header of column 2 and the number of column 4: give #4 for column 4, or #2 "
       "for the column headed '4'"},
      {kSamples, "dup", 0,
       "2 columns are named 'dup' (columns 5 and 6): give the column's "
       "number, as #5"},
      {kSamples, "am", 0, "2 columns are named 'am' in some letter case (columns 7 and 8)"},
      {kSamples, "10", 0, "there is no column 10: the columns are 1 'sample_id', 2 '4', "},
      {kSamples, "#0", 0, "the header has no column named '#0'"},
      {kSamples, "depth", 0,
       "the header has no column named 'depth': the columns are 1 'sample_id', 2 '4', 3 "
       "'ne_varve', 4 'Depth (cm)', 5 'dup', 6 'dup', 7 'Am', 8 'AM', 9 'notes'"},
      {unnamed, "9", 0, "there is no column 9: the first row has 6 columns"},
      {unnamed, "x", 0, "without a header row a column is given by its number"},
  };
  for (const Case& c : cases) {
    FoundColumn found = find_column(c.header, c.wanted);
    if (std::string(c.error).empty()) {
      EXPECT_EQ(found.error, "") << c.wanted;
      EXPECT_EQ(found.index, c.index) << c.wanted;
    } else {
      EXPECT_TRUE(found.error.starts_with(c.error)) << c.wanted << ": " << found.error;
    }
  }
}

TEST(FindColumn, ListsAtMostThirtyColumns) {
  std::vector<std::string> names;
  for (int i = 1; i <= 40; ++i) {
    names.push_back(std::string("c").append(std::to_string(i)));
  }
  std::string error = find_column(Header(names), "x").error;
  EXPECT_TRUE(error.ends_with("30 'c30', and 10 more")) << error;
}

TEST(SourceName, KeepsLettersDigitsAndOneUnderscoreBetween) {
  const Header header({"ne_varve", "Depth (cm)", "  NE varve #2 ", "\xC3\x9C", "__x__", ""});
  const char* expected[] = {"ne_varve", "Depth_cm", "NE_varve_2", "c4", "x", "c6"};
  for (std::size_t i = 0; i < header.width(); ++i) {
    EXPECT_EQ(source_name(header, i), expected[i]) << header.name(i);
  }
  EXPECT_EQ(source_name(Header::unnamed(3), 2), "c3");
}

}  // namespace
}  // namespace table
