#include "batch/list_mode.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace batch {
namespace {

/// What the list mode made of some input: the input field of each row,
/// the messages, and the exit status.
struct Outcome {
  std::vector<std::string> inputs;
  std::string messages;
  int status = 0;

  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  os << "rows:";
  for (const std::string& input : o.inputs) {
    os << " " << input;
  }
  return os << "\nmessages:\n" << o.messages << "status " << o.status;
}

/// The input fields of TSV rows.
std::vector<std::string> inputs(const std::string& rows) {
  std::vector<std::string> fields;
  std::istringstream lines(rows);
  for (std::string line; std::getline(lines, line);) {
    fields.push_back(line.substr(0, line.find('\t')));
  }
  return fields;
}

/// Converts `input` as a stream, fed in pieces of `piece` bytes.
Outcome convert_stream(const std::string& input, std::size_t piece) {
  Outcome outcome;
  std::string rows;
  ListMode list(Format::kTsv, Direction::kNeToAm, [&](std::string_view message) {
    outcome.messages.append("varve-batch: ").append(message).append("\n");
  });
  for (std::size_t at = 0; at < input.size(); at += piece) {
    list.feed(std::string_view(input).substr(at, piece), rows);
  }
  list.finish(rows);
  outcome.inputs = inputs(rows);
  outcome.status = list.exit_status();
  return outcome;
}

const std::string kPrefix = "varve-batch: line ";

TEST(ListMode, ReportsWhatIsWrongAndConvertsTheRest) {
  const std::string hundred = std::string(96, '0') + "2700";
  const std::vector<std::pair<std::string, Outcome>> cases = {
      {"\xEF\xBB\xBF"
       "3021\n4282",
       {{"3021", "4282"}, "", 0}},
      {"3021 \xEF\xBB\xBF"
       "4282\n",
       {{"3021"},
        kPrefix + "1: not a whole number: '\\xEF\\xBB\\xBF"
                  "4282'\n",
        1}},
      {"2700\n4282\xC2\xA0\n\x7f\n4282\xC2\xA0x",
       {{"2700", "4282\xC2\xA0"},
        kPrefix + "3: not a whole number: '\\x7F'\n" + kPrefix +
            "4: not a whole number: '4282\\xC2\\xA0x'\n",
        1}},
      {std::string(150, '7') + "\n2700",
       {{"2700"},
        kPrefix + "1: token too long (150 bytes), skipped: '" + std::string(20, '7') + "...'\n",
        1}},
      {"\n\n" + std::string(300000, '\xB0') + "x",
       {{},
        kPrefix + "3: token too long (300001 bytes), skipped: '" +
            [] {
              std::string shown;
              for (int i = 0; i < 20; ++i) {
                shown += "\\xB0";
              }
              return shown;
            }() +
            "...'\n",
        1}},
      {hundred, {{hundred}, "", 0}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 7u, 1u << 16}) {
      EXPECT_EQ(convert_stream(input, piece), expected) << input.substr(0, 30);
    }
  }
}

TEST(ListMode, WarnsOfWhatLooksLikeAThousandsSeparator) {
  auto warning = [](const char* line, const char* pair, const char* first, const char* second) {
    return kPrefix + line + ": warning: '" + pair + "' was read as the two numbers " + first +
           " and " + second + ": write numbers without thousands separators\n";
  };
  const std::vector<std::pair<std::string, Outcome>> cases = {
      {"4,282\n", {{"4", "282"}, warning("1", "4,282", "4", "282"), 0}},
      {"2700\n-12,000", {{"2700", "-12", "000"}, warning("2", "-12,000", "-12", "000"), 0}},
      {"3021,282", {{"3021", "282"}, warning("1", "3021,282", "3021", "282"), 0}},
      {"1,234,567 8,901",
       {{"1", "234", "567", "8", "901"},
        warning("1", "1,234", "1", "234") + warning("1", "8,901", "8", "901"),
        0}},
      // Not a number, then three digits: no warning.
      {"3021,4282 4, 282 4,,282 4;282 4,2822 4,28 4,+282 4\n,282",
       {{"3021", "4282", "4", "282", "4", "282", "4", "282", "4", "2822", "4", "28", "4", "+282",
         "4", "282"},
        "",
        0}},
      {"x,282", {{"282"}, kPrefix + "1: not a whole number: 'x'\n", 1}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 1u << 16}) {
      EXPECT_EQ(convert_stream(input, piece), expected) << input;
    }
  }
}

TEST(ListMode, SplitsArgumentsAsItSplitsTheStream) {
  std::string rows;
  std::string messages;
  ListMode list(Format::kTsv, Direction::kNeToAm, [&](std::string_view message) {
    messages.append("varve-batch: ").append(message).append("\n");
  });
  EXPECT_TRUE(list.convert_argument("3021,4282", 2, rows));
  EXPECT_EQ(list.exit_status(), 0);
  EXPECT_FALSE(list.convert_argument("nums.txt", 3, rows));
  EXPECT_TRUE(list.convert_argument("4,282", 4, rows));
  EXPECT_FALSE(list.convert_argument("5 \xEF\xBB\xBF", 5, rows));
  EXPECT_TRUE(list.convert_argument(" 6500\t", 6, rows));
  EXPECT_EQ(list.exit_status(), 1);
  EXPECT_EQ(inputs(rows), (std::vector<std::string>{"3021", "4282", "4", "282", "5", "6500"}));
  EXPECT_EQ(messages,
            "varve-batch: argument 3: not a whole number: 'nums.txt'\n"
            "varve-batch: argument 4: warning: '4,282' was read as the two numbers 4 and 282: "
            "write numbers without thousands separators\n"
            "varve-batch: argument 5: not a whole number: '\\xEF\\xBB\\xBF'\n");
}

/// A span token gives a row per NE sequence, in every format, with the
/// columns of a number's row; one that is not converted gives none and a
/// message, and what only looks like a span is read as before.
TEST(ListMode, GivesASpanItsRowsAndSaysWhyOneIsNotConverted) {
  struct Case {
    Format format;
    Direction direction;
    std::string input;
    std::string rows;
    std::string messages;
    int status;
  };
  const std::vector<Case> cases = {
      {Format::kTsv, Direction::kNeToAm, "5580-5700 3021",
       "5580-5700\tLC\tspan\t5580\t5700\t5599\t5714\ttrue\n"
       "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n",
       "", 0},
      {Format::kCsv, Direction::kNeToAm,
       "3000\xE2\x80\x93"
       "3700",
       "3000\xE2\x80\x93"
       "3700,LC,span,3000,3700,3000,3713,false\n",
       "", 0},
      {Format::kJsonl, Direction::kAmToNe, "6200-6500",
       "{\"input\":\"6200-6500\",\"sequence\":\"LC\",\"relation\":\"span\",\"ne_first\":6185,"
       "\"ne_last\":6453,\"am_first\":6200,\"am_last\":6468,\"false_couplets\":false}\n"
       "{\"input\":\"6200-6500\",\"sequence\":\"UC\",\"relation\":\"span\",\"ne_first\":6562,"
       "\"ne_last\":6817,\"am_first\":6245,\"am_last\":6500,\"false_couplets\":false}\n",
       "", 0},
      // Ends larger first are the same span; its rows give them smaller first.
      {Format::kTsv, Direction::kNeToAm, "6400-6600\n5700-5580",
       "5700-5580\tLC\tspan\t5580\t5700\t5599\t5714\ttrue\n",
       "line 1: NE 6400-6600 is not converted: its ends lie in different NE sequences, NE 6400 in "
       "NE-LC and NE 6600 in NE-UC; the parts inside: NE-LC 6400-6460 and NE-UC 6560-6600\n",
       1},
      // Blanks split tokens: "5580 - 5700" is two numbers and a lone '-'.
      {Format::kTsv, Direction::kNeToAm, "-2 5- 5580 - 5700",
       "-2\t\toutside\t\t\t\t\t\n"
       "5580\tLC\tcorresponds\t5580\t5580\t5599\t5599\tfalse\n"
       "5700\tLC\tcorresponds\t5700\t5700\t5714\t5714\tfalse\n",
       "line 1: not a whole number: '5-'\nline 1: not a whole number: '-'\n", 1},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {1u, 1u << 16}) {
      std::string rows, messages;
      ListMode list(c.format, c.direction,
                    [&](std::string_view message) { messages.append(message).append("\n"); });
      for (std::size_t at = 0; at < c.input.size(); at += piece) {
        list.feed(std::string_view(c.input).substr(at, piece), rows);
      }
      list.finish(rows);
      EXPECT_EQ(rows, c.rows) << c.input;
      EXPECT_EQ(messages, c.messages) << c.input;
      EXPECT_EQ(list.exit_status(), c.status) << c.input;
    }
  }
}

}  // namespace
}  // namespace batch
