#include "web/calls.h"

#include <gtest/gtest.h>

#include <string>

namespace web {
namespace {

using chronology::Direction;

TEST(Lookup, AnswersEachKindOfText) {
  struct Case {
    Direction direction;
    std::string typed;
    LookupStatus status;
    std::string first;
    std::string second;
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm, " 3021\t", LookupStatus::kConverted,
       " NE-LC 3021 of Brasko original chronology was\n"
       "  split and now corresponds to AM 3021-3022\n",
       "{\"input\":\"3021\",\"sequence\":\"LC\",\"relation\":\"split\",\"ne_first\":3021,"
       "\"ne_last\":3021,\"am_first\":3021,\"am_last\":3022,\"false_couplets\":false}\n"},
      {Direction::kAmToNe, "+06245", LookupStatus::kConverted,
       " AM 6245 corresponds to: NE-LC 6230 and NE-UC 6562\n", ""},
      {Direction::kNeToAm, "6500", LookupStatus::kOutside,
       "Your NE number is outside the NE ranges. Try again.", "2500-6460\n6560-9000\n"},
      {Direction::kAmToNe, "99999999999", LookupStatus::kOutside,
       "Your AM number is outside the AM range. Try again.", "2500-8700\n"},
      {Direction::kNeToAm, "12.5", LookupStatus::kNotANumber, "", ""},
      {Direction::kNeToAm, "-", LookupStatus::kNotANumber, "", ""},
      {Direction::kNeToAm, "30 21", LookupStatus::kNotANumber, "", ""},
      {Direction::kNeToAm, " \r\n", LookupStatus::kEmpty, "", ""},
  };
  for (const Case& c : cases) {
    Texts texts{"left over", "from before"};
    EXPECT_EQ(lookup(c.direction, c.typed, texts), c.status) << c.typed;
    EXPECT_EQ(texts[0], c.first) << c.typed;
    if (c.typed != "+06245") {
      EXPECT_EQ(texts[1], c.second) << c.typed;
    }
  }
}

TEST(ConvertList, ConvertsEveryGoodTokenAndReportsTheBad) {
  Texts texts;
  EXPECT_EQ(convert_list(Direction::kNeToAm, ListFormat::kCsv,
                         "# core 7\n3021;x\r\n\n6500 1e3 # 12.5\n\x1b", texts),
            1);
  EXPECT_EQ(texts[0],
            "input,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets\n"
            "3021,LC,split,3021,3021,3021,3022,false\n"
            "6500,,outside,,,,,\n");
  EXPECT_EQ(texts[1],
            "line 2: not a whole number: 'x'\n"
            "line 4: not a whole number: '1e3'\n"
            "line 5: not a whole number: '\\x1B'\n");
  // The same list in TSV, from the other cached table of rows.
  EXPECT_EQ(convert_list(Direction::kNeToAm, ListFormat::kTsv, "3021", texts), 0);
  EXPECT_EQ(texts[0],
            "input\tsequence\trelation\tne_first\tne_last\tam_first\tam_last\tfalse_couplets\n"
            "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n");
  EXPECT_EQ(texts[1], "");
}

}  // namespace
}  // namespace web

namespace web {
namespace {

TEST(File, ReadsTheHeaderAndConvertsTheColumnPicked) {
  const std::string file = "sample;\"depth; m\";ne\r\nA;1,5;3021\r\n\"B \"\"x\"\"\";2;n/a\r\n";
  Texts texts;
  EXPECT_EQ(first_row(file, texts), 3);
  EXPECT_EQ(texts[0], "sample\ndepth; m\nne\n");
  EXPECT_EQ(convert_file(chronology::Direction::kNeToAm, 3, true, file, texts), 1);
  EXPECT_EQ(texts[0],
            "sample;\"depth; m\";ne;sequence;relation;ne_first;ne_last;am_first;am_last;"
            "false_couplets\r\n"
            "A;1,5;3021;LC;split;3021;3021;3021;3022;false\r\n"
            "\"B \"\"x\"\"\";2;n/a;;invalid;;;;;\r\n");
  EXPECT_NE(texts[1].find("n/a"), std::string::npos) << texts[1];
  EXPECT_EQ(convert_file(chronology::Direction::kNeToAm, 3, true, "ne\n\"3021\n", texts), 2);
}

}  // namespace
}  // namespace web
