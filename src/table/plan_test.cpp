#include "table/plan.h"

#include "table/span_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace table {
namespace {

using chronology::Direction;

/// The first added name of each conversion, and its source (from 1): "ne_varve_sequence@3".
std::vector<std::string> groups(const Plan& plan) {
  std::vector<std::string> seen;
  for (const Conversion& conversion : plan.conversions) {
    seen.push_back(conversion.names.front() + "@" + std::to_string(conversion.sources[0] + 1));
  }
  return seen;
}

TEST(MakePlan, NamesEachColumnsGroupWithoutACollision) {
  struct Case {
    const char* name;
    Header header;
    PlanRequest request;
    std::vector<std::string> groups;
  };
  const std::vector<Case> cases = {
      {"one column keeps the names",
       Header({"id", "ne"}),
       {Direction::kNeToAm, {"ne"}, ""},
       {"sequence@2"}},
      {"one column with a prefix",
       Header({"id", "ne"}),
       {Direction::kAmToNe, {"2"}, "v_"},
       {"v_lc_relation@2"}},
      {"several, after their headers",
       Header({"top ne", "bottom-ne"}),
       {Direction::kNeToAm, {"top ne", "bottom-ne"}, ""},
       {"top_ne_sequence@1", "bottom_ne_sequence@2"}},
      {"several, without a header",
       Header::unnamed(4),
       {Direction::kAmToNe, {"4", "2"}, ""},
       {"c4_lc_relation@4", "c2_lc_relation@2"}},
      {"two headers alike once reduced",
       Header({"ne varve", "ne-varve"}),
       {Direction::kNeToAm, {"1", "2"}, ""},
       {"ne_varve_sequence@1", "ne_varve_2_sequence@2"}},
      {"a converted file converted again",
       Header({"ne", "am", "ne_sequence", "ne_2_relation"}),
       {Direction::kNeToAm, {"ne", "am"}, ""},
       {"ne_3_sequence@1", "am_sequence@2"}},
      {"one column of a converted file, named after it where the names are taken",
       Header({"ne", "sequence", "relation", "ne_first", "ne_last", "am_first", "am_last",
               "false_couplets", "ne_sequence", "ne2"}),
       {Direction::kNeToAm, {"ne"}, "", true},
       {"ne_2_sequence@1"}},
      {"one column named after it only where the names are taken",
       Header({"id", "ne"}),
       {Direction::kNeToAm, {"ne"}, "", true},
       {"sequence@2"}},
  };
  for (const Case& c : cases) {
    PlanResult result = make_plan(c.header, c.request);
    EXPECT_EQ(result.error, "") << c.name;
    EXPECT_EQ(groups(result.plan), c.groups) << c.name;
    for (const Conversion& conversion : result.plan.conversions) {
      EXPECT_EQ(conversion.names.size(), 7u) << c.name;
      EXPECT_EQ(conversion.names.back().ends_with("false_couplets"), true) << c.name;
    }
  }
}

TEST(MakePlan, AnIntervalReadsTwoColumnsAndAddsTheSpanRowsColumns) {
  struct Case {
    const char* name;
    Header header;
    PlanRequest request;
    std::vector<std::string> groups;  ///< As groups(), the second source after '+'.
  };
  const std::vector<Case> cases = {
      {"alone, its names plain",
       Header({"core", "top", "bottom"}),
       {Direction::kNeToAm, {}, "", false, {{"top", "bottom"}}},
       {"sequence@2+3"}},
      {"alone, bottom first, with a prefix",
       Header({"core", "top", "bottom"}),
       {Direction::kAmToNe, {}, "i_", false, {{"3", "#2"}}},
       {"i_lc_first@3+2"}},
      {"after a column that is one of its ends",
       Header({"core", "top", "bottom"}),
       {Direction::kNeToAm, {"top"}, "", false, {{"top", "bottom"}}},
       {"top_sequence@2", "top_bottom_sequence@2+3"}},
      {"two intervals on the same columns",
       Header({"top", "bottom"}),
       {Direction::kNeToAm, {}, "", false, {{"top", "bottom"}, {"bottom", "top"}}},
       {"top_bottom_sequence@1+2", "bottom_top_sequence@2+1"}},
  };
  for (const Case& c : cases) {
    PlanResult result = make_plan(c.header, c.request);
    EXPECT_EQ(result.error, "") << c.name;
    std::vector<std::string> seen;
    for (const Conversion& conversion : result.plan.conversions) {
      std::string group =
          conversion.names.front() + "@" + std::to_string(conversion.sources[0] + 1);
      if (conversion.kind == ConversionKind::kInterval) {
        ASSERT_EQ(conversion.sources.size(), 2u) << c.name;
        group.append("+").append(std::to_string(conversion.sources[1] + 1));
        EXPECT_EQ(conversion.names.size(), span_columns(c.request.direction).size()) << c.name;
        EXPECT_TRUE(conversion.names.back().ends_with("not_converted")) << c.name;
      }
      seen.push_back(group);
    }
    EXPECT_EQ(seen, c.groups) << c.name;
  }
  PlanResult one =
      make_plan(Header({"top", "bottom"}), {Direction::kNeToAm, {}, "", false, {{"top", "1"}}});
  EXPECT_EQ(one.fault, PlanFault::kRequest);
  EXPECT_EQ(one.error,
            "an interval's ends are one column, 1 ('top' and '1'): give its two columns");
  PlanResult clash = make_plan(Header({"top", "bottom", "ne_varves"}),
                               {Direction::kNeToAm, {}, "", false, {{"top", "bottom"}}});
  EXPECT_EQ(clash.fault, PlanFault::kClash);
  PlanResult missing =
      make_plan(Header({"top", "bottom"}), {Direction::kNeToAm, {}, "", false, {{"top", "base"}}});
  EXPECT_EQ(missing.error,
            "the header has no column named 'base': the columns are 1 'top', 2 'bottom'");
}

TEST(MakePlan, RefusesWhatDoesNotFitTheTable) {
  struct Case {
    Header header;
    std::vector<std::string> columns;
    PlanFault fault;
    const char* error;
  };
  const std::vector<Case> cases = {
      {Header({"ne", "sequence"}),
       {"ne"},
       PlanFault::kClash,
       "the header already has a column named 'sequence'"},
      {Header({"ne", "b"}),
       {"ne", "c"},
       PlanFault::kRequest,
       "the header has no column named 'c': the columns are 1 'ne', 2 'b'"},
      {Header({"ne", "b"}),
       {"ne", "1"},
       PlanFault::kRequest,
       "column 1 is given twice ('ne' and '1'): give each column once"},
  };
  for (const Case& c : cases) {
    PlanResult result = make_plan(c.header, {Direction::kNeToAm, c.columns, ""});
    EXPECT_EQ(result.fault, c.fault) << c.error;
    EXPECT_EQ(result.error, c.error);
    EXPECT_TRUE(result.plan.conversions.empty());
  }
}

}  // namespace
}  // namespace table
