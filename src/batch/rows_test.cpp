#include "batch/rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

/// The rows of `number` in `direction` and `format`, through the cache.
std::string rows(Direction direction, Format format, std::string_view input) {
  std::int32_t number = std::stoi(std::string(input));
  std::string out;
  RowCache(format, direction).append_rows(out, input, number);
  return out;
}

struct Example {
  Direction direction;
  std::string input;
  std::string tsv;
};

TEST(Rows, GiveOneRowPerLinkInTsv) {
  const auto ne = Direction::kNeToAm;
  const auto am = Direction::kAmToNe;
  const std::vector<Example> cases = {
      {ne, "2700", "2700\tLC\tcorresponds\t2700\t2700\t2700\t2700\tfalse\n"},
      {ne, "3021", "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n"},
      {ne, "4282", "4282\tLC\tjoined\t4281\t4282\t4294\t4294\tfalse\n"},
      {ne, "5674", "5674\tLC\tjoined\t5672\t5676\t5691\t5691\ttrue\n"},
      {ne, "6560", "6560\tUC\tcorresponds\t6560\t6560\t6243\t6243\tfalse\n"},
      {ne, "6500", "6500\t\toutside\t\t\t\t\t\n"},
      {ne, "2499", "2499\t\toutside\t\t\t\t\t\n"},
      {ne, "9001", "9001\t\toutside\t\t\t\t\t\n"},
      {ne, "-7", "-7\t\toutside\t\t\t\t\t\n"},
      {am, "6245",
       "6245\tLC\tcorresponds\t6230\t6230\t6245\t6245\tfalse\n"
       "6245\tUC\tcorresponds\t6562\t6562\t6245\t6245\tfalse\n"},
      {am, "6357",
       "6357\tLC\tcorresponds\t6342\t6342\t6357\t6357\tfalse\n"
       "6357\tUC\tsplit\t6674\t6674\t6357\t6358\tfalse\n"},
      {am, "6428",
       "6428\tLC\tcorresponds\t6413\t6413\t6428\t6428\tfalse\n"
       "6428\tUC\tjoined\t6744\t6745\t6428\t6428\tfalse\n"},
      {am, "5691", "5691\tLC\tjoined\t5672\t5676\t5691\t5691\ttrue\n"},
      {am, "3022", "3022\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n"},
      {am, "8700", "8700\tUC\tcorresponds\t9018\t9018\t8700\t8700\tfalse\n"},
      {am, "8701", "8701\t\toutside\t\t\t\t\t\n"},
  };
  for (const Example& c : cases) {
    EXPECT_EQ(rows(c.direction, Format::kTsv, c.input), c.tsv) << c.input;
  }
}

TEST(Rows, WriteCsvAndJsonLines) {
  EXPECT_EQ(rows(Direction::kNeToAm, Format::kCsv, "5674"),
            "5674,LC,joined,5672,5676,5691,5691,true\n");
  EXPECT_EQ(rows(Direction::kNeToAm, Format::kCsv, "1"), "1,,outside,,,,,\n");
  EXPECT_EQ(rows(Direction::kAmToNe, Format::kJsonl, "6357"),
            "{\"input\":\"6357\",\"sequence\":\"LC\",\"relation\":\"corresponds\",\"ne_first\":"
            "6342,\"ne_last\":6342,\"am_first\":6357,\"am_last\":6357,\"false_couplets\":false}\n"
            "{\"input\":\"6357\",\"sequence\":\"UC\",\"relation\":\"split\",\"ne_first\":6674,"
            "\"ne_last\":6674,\"am_first\":6357,\"am_last\":6358,\"false_couplets\":false}\n");
  EXPECT_EQ(rows(Direction::kNeToAm, Format::kJsonl, "6500"),
            "{\"input\":\"6500\",\"sequence\":null,\"relation\":\"outside\",\"ne_first\":null,"
            "\"ne_last\":null,\"am_first\":null,\"am_last\":null,\"false_couplets\":null}\n");
}

TEST(Rows, HeadersNameTheColumns) {
  std::string tsv, csv, jsonl;
  append_header(tsv, Format::kTsv);
  append_header(csv, Format::kCsv);
  append_header(jsonl, Format::kJsonl);
  EXPECT_EQ(tsv,
            "input\tsequence\trelation\tne_first\tne_last\tam_first\tam_last\tfalse_couplets\n");
  EXPECT_EQ(csv, "input,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets\n");
  EXPECT_EQ(jsonl, "");
}

TEST(Rows, TheCacheWritesWhatEachLinkFormatsTo) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    for (Format format : {Format::kTsv, Format::kCsv, Format::kJsonl}) {
      RowCache cache(format, direction);
      for (std::int32_t n = 2000; n <= 9500; ++n) {
        std::string input = std::to_string(n);
        std::string cached, direct;
        cache.append_rows(cached, input, n);
        chronology::Links links = links_of(direction, n);
        for (const chronology::Link& link : links) {
          append_row(direct, format, input, &link);
        }
        if (links.empty()) {
          append_row(direct, format, input, nullptr);
        }
        ASSERT_EQ(cached, direct) << n;
      }
    }
  }
}

TEST(Rows, JsonLinesEscapeWhatAJsonStringCannotHoldAsItIs) {
  struct Case {
    std::string text;
    std::string json;
  };
  const std::vector<Case> cases = {
      {"3021", "3021"},
      {"\"4\\2", "\\\"4\\\\2"},
      {"3021\v", "3021\\u000b"},
      {"\f3021\x1F", "\\u000c3021\\u001f"},
      {"\x7F\xC2\xA0"
       "3021",
       "\x7F\xC2\xA0"
       "3021"},
  };
  for (const Case& c : cases) {
    std::string out;
    append_json_text(out, c.text);
    EXPECT_EQ(out, c.json) << c.text;
  }
  // The cache and the plain writer both escape the input field.
  std::string cached, direct;
  RowCache(Format::kJsonl, Direction::kNeToAm).append_rows(cached, "3021\v", 3021);
  chronology::Links links = links_of(Direction::kNeToAm, 3021);
  append_row(direct, Format::kJsonl, "3021\v", &links.items[0]);
  EXPECT_TRUE(cached.starts_with("{\"input\":\"3021\\u000b\",")) << cached;
  EXPECT_EQ(cached, direct);
}

}  // namespace
}  // namespace batch
