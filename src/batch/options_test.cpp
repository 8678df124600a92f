#include "batch/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "batch/help.h"

namespace batch {
namespace {

/// True when `got` is the command `wanted`, settings and all (the column
/// mode's settings are compared by a test of their own).
bool same(const Command& got, const Command& wanted) {
  return got.index() == wanted.index() &&
         std::visit(
             [&got](const auto& w) {
               using T = std::decay_t<decltype(w)>;
               if constexpr (std::is_same_v<T, ColumnModeSettings>) {
                 return true;
               } else {
                 return std::get<T>(got) == w;
               }
             },
             wanted);
}

/// The arguments, for a failure's message.
std::string joined(const std::vector<std::string_view>& arguments) {
  std::string line;
  for (std::string_view word : arguments) {
    line.append(line.empty() ? "" : " ").append(word);
  }
  return line;
}

TEST(ParseOptions, AcceptsEachCommandWithItsOptions) {
  using D = Direction;
  using F = Format;
  const std::vector<std::pair<std::vector<std::string_view>, Command>> cases = {
      {{"ne-to-am"}, ListSettings{D::kNeToAm, F::kTsv, true, {}}},
      {{"am-to-ne", "6245", "7000"},
       ListSettings{D::kAmToNe, F::kTsv, true, {{"6245", 2}, {"7000", 3}}}},
      {{"ne-to-am", "--format", "csv", "1", "--no-header", "2"},
       ListSettings{D::kNeToAm, F::kCsv, false, {{"1", 4}, {"2", 6}}}},
      {{"ne-to-am", "--format=jsonl", "-5"},
       ListSettings{D::kNeToAm, F::kJsonl, true, {{"-5", 3}}}},
      {{"ne-to-am", "--", "--no-header", "x"},
       ListSettings{D::kNeToAm, F::kTsv, true, {{"--no-header", 3}, {"x", 4}}}},
      {{"table", "am-to-ne", "--format", "csv"}, TableSettings{D::kAmToNe, F::kCsv, true}},
      {{"table", "--no-header", "ne-to-am"}, TableSettings{D::kNeToAm, F::kTsv, false}},
      {{"--help"}, Help{}},
      {{"ne-to-am", "-h"}, Help{}},
      {{"--version"}, Version{}},
      // Options before the command, and format names in any case.
      {{"--format", "CSV", "am-to-ne", "3021"},
       ListSettings{D::kAmToNe, F::kCsv, true, {{"3021", 4}}}},
      {{"--no-header", "table", "--format=JsonL", "am-to-ne"},
       TableSettings{D::kAmToNe, F::kJsonl, false}},
      {{"--", "ne-to-am", "help"}, ListSettings{D::kNeToAm, F::kTsv, true, {{"help", 3}}}},
      {{"help"}, Help{}},
      {{"--no-header", "help"}, Help{}},
      {{"table", "ne-to-am", "--version"}, Version{}},
      // The line mode: one FILE, or standard input.
      {{"am-to-ne", "--lines", "--format", "csv", "--no-header", "a.txt"},
       LineSettings{D::kAmToNe, F::kCsv, false, "a.txt"}},
      {{"--lines", "ne-to-am"}, LineSettings{D::kNeToAm, F::kTsv, true, "-"}},
  };
  for (const auto& [arguments, command] : cases) {
    ParsedOptions parsed = parse_options(arguments);
    EXPECT_EQ(parsed.error, "") << joined(arguments);
    EXPECT_TRUE(same(parsed.command, command)) << joined(arguments);
  }
}

TEST(ParseOptions, ReadsTheChartCommand) {
  struct Chart {
    std::vector<std::string_view> arguments;
    Direction direction;
    std::optional<chronology::GivenNumber> mark;
  };
  const std::vector<Chart> cases = {
      {{"chart"}, Direction::kNeToAm, std::nullopt},
      {{"chart", "am-to-ne"}, Direction::kAmToNe, std::nullopt},
      {{"chart", "--mark", "3021"}, Direction::kNeToAm, 3021},
      // The mark is checked against the direction, wherever that is given.
      {{"chart", "--mark=6500", "am-to-ne"}, Direction::kAmToNe, 6500},
      // The mark is a sign and digits.
      {{"chart", "--mark", "+3021"}, Direction::kNeToAm, 3021},
  };
  for (const Chart& c : cases) {
    ParsedOptions parsed = parse_options(c.arguments);
    EXPECT_EQ(parsed.error, "") << joined(c.arguments);
    EXPECT_TRUE(same(parsed.command, ChartSettings{c.direction, c.mark})) << joined(c.arguments);
  }
  EXPECT_TRUE(same(parse_options({"chart", "--help"}).command, Help{}));
}

TEST(ParseOptions, NumbersKnowTheirPlaceOnTheCommandLine) {
  ParsedOptions parsed = parse_options({"ne-to-am", "--no-header", "2700", "x"});
  const auto* list = std::get_if<ListSettings>(&parsed.command);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->numbers.size(), 2u);
  EXPECT_EQ(list->numbers[0].position, 3);
  EXPECT_EQ(list->numbers[1].position, 4);
}

TEST(ParseOptions, TakesTheColumnModesOptionsAndOneFile) {
  struct Column {
    std::vector<std::string_view> arguments;
    std::vector<std::string> columns;
    std::string_view file, prefix;
    char separator;
    std::size_t header_row = 1;
    std::vector<std::array<std::string, 2>> intervals = {};
  };
  const std::vector<Column> cases = {
      {{"ne-to-am", "--column", "ne_varve"}, {"ne_varve"}, "-", "", 0},
      {{"am-to-ne", "Proben.csv", "--column=3", "--separator", "tab"},
       {"3"},
       "Proben.csv",
       "",
       '\t'},
      {{"ne-to-am", "--separator=;", "--prefix", "v_", "--column", "-1", "-"},
       {"-1"},
       "-",
       "v_",
       ';'},
      {{"ne-to-am", "--column", "2", "--no-header", "--", "--odd name.csv"},
       {"2"},
       "--odd name.csv",
       "",
       0},
      {{"ne-to-am", "--column", "top", "--header-row", "3", "--column=#4", "a.csv"},
       {"top", "#4"},
       "a.csv",
       "",
       0,
       3},
      // Intervals by name or number, with a column; a header with a comma by its number.
      {{"ne-to-am", "--span-columns", "top,bottom", "--column", "top", "--span-columns=#5,3"},
       {"top"},
       "-",
       "",
       0,
       1,
       {{"top", "bottom"}, {"#5", "3"}}},
      {{"am-to-ne", "--no-header", "--span-columns", "2,1", "--prefix", "v_", "b.csv"},
       {},
       "b.csv",
       "v_",
       0,
       1,
       {{"2", "1"}}},
  };
  for (const Column& c : cases) {
    ParsedOptions parsed = parse_options(c.arguments);
    EXPECT_EQ(parsed.error, "") << joined(c.arguments);
    const auto* mode = std::get_if<ColumnModeSettings>(&parsed.command);
    ASSERT_NE(mode, nullptr) << joined(c.arguments);
    EXPECT_EQ(mode->column.columns, c.columns);
    EXPECT_EQ(mode->column.intervals, c.intervals) << joined(c.arguments);
    EXPECT_EQ(mode->column.header_row, c.header_row);
    EXPECT_EQ(mode->file, c.file);
    EXPECT_EQ(mode->column.prefix, c.prefix);
    EXPECT_EQ(mode->column.separator, c.separator);
    // The direction and the header row come from the whole command line.
    EXPECT_EQ(mode->column.direction,
              c.arguments[0] == "am-to-ne" ? Direction::kAmToNe : Direction::kNeToAm);
    EXPECT_EQ(mode->column.header, std::find(c.arguments.begin(), c.arguments.end(),
                                             "--no-header") == c.arguments.end());
  }
}

TEST(ParseOptions, RefusesWhatIsWrongOrMissing) {
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"convert"},
      {"ne-to-am", "--format"},
      {"ne-to-am", "--format", "xml"},
      {"ne-to-am", "--format=json"},
      {"ne-to-am", "--header"},
      {"ne-to-am", "-x"},
      {"table"},
      {"table", "both"},
      {"table", "ne-to-am", "2700"},
      {"--no-header"},
      {"--format", "csv"},
      {"--format", "tsvx", "ne-to-am"},
      {"ne-to-am", "--column"},
      {"ne-to-am", "--column="},
      {"ne-to-am", "--columns", "2"},
      {"ne-to-am", "--column", "2", "a.csv", "b.csv"},
      {"ne-to-am", "--column", "depth", "--no-header"},
      {"ne-to-am", "--column", "2", "--column", "#x", "--no-header"},
      {"ne-to-am", "--column", "2", "--header-row", "2", "--no-header"},
      {"ne-to-am", "--column", "2", "--header-row", "0"},
      {"ne-to-am", "--column", "2", "--header-row", "two"},
      // A row's number is digits alone, though a value may have a sign or decimals.
      {"ne-to-am", "--column", "2", "--header-row", "+2"},
      {"ne-to-am", "--column", "2", "--header-row", "2.0"},
      {"ne-to-am", "--header-row", "2"},
      {"ne-to-am", "--column", "2", "--column", "3", "--prefix", "v_"},
      {"ne-to-am", "--column", "2", "--separator", "|"},
      {"ne-to-am", "--column", "2", "--format", "csv"},
      {"ne-to-am", "--separator", ";", "2700"},
      {"table", "ne-to-am", "--column", "2"},
      {"chart", "--mark"},
      {"chart", "--mark", "x"},
      {"chart", "--mark", "4,282"},
      {"chart", "--mark", "5580-5700"},
      {"chart", "--mark", ""},
      {"chart", "--mark=6500"},
      {"chart", "am-to-ne", "--mark", "2499"},
      {"chart", "both"},
      {"chart", "ne-to-am", "am-to-ne"},
      {"chart", "--format", "csv"},
      {"span"},
      {"span", "5580", "5700"},
      {"span", "ne-to-am"},
      {"span", "ne-to-am", "5580"},
      {"span", "ne-to-am", "5580", "5700", "5800"},
      {"span", "ne-to-am", "5580-5700", "5800"},
      {"span", "ne-to-am", "4,282", "5700"},
      {"span", "ne-to-am", "5580", "5700?"},
      {"span", "ne-to-am", "5580-5700", "--format", "csv"},
      {"span", "ne-to-am", "5580", "5700", "--lines"},
      {"span", "ne-to-am", "--column", "2", "5580", "5700"},
      {"span", "ne-to-am", "--span-columns", "2,3", "5580", "5700"},
      {"ne-to-am", "--span-columns"},
      {"ne-to-am", "--span-columns", "top"},
      {"ne-to-am", "--span-columns", "a,b,c"},
      {"ne-to-am", "--span-columns", ",b"},
      {"ne-to-am", "--span-columns", "a,"},
      {"ne-to-am", "--span-columns", "top,2", "--no-header"},
      {"ne-to-am", "--span-columns", "1,2", "--column", "3", "--prefix", "v_"},
      {"ne-to-am", "--span-columns", "1,2", "--lines"},
      {"ne-to-am", "--span-columns", "1,2", "--format", "csv"},
  };
  for (const auto& arguments : cases) {
    EXPECT_NE(parse_options(arguments).error, "")
        << (arguments.empty() ? "(nothing)" : arguments.back());
  }
}

TEST(ParseOptions, ReadsTheSpanCommand) {
  struct Case {
    std::vector<std::string_view> arguments;
    Direction direction;
    chronology::GivenRange span;
  };
  const std::vector<Case> cases = {
      {{"span", "ne-to-am", "5580", "5700"}, Direction::kNeToAm, {5580, 5700}},
      {{"span", "am-to-ne", "5599-5714"}, Direction::kAmToNe, {5599, 5714}},
      {{"--no-header", "span", "am-to-ne", "5599 \xE2\x80\x93 5714"},
       Direction::kAmToNe,
       {5599, 5714}},
      // Larger first or outside, the numbers are taken as given: the span orders them.
      {{"span", "ne-to-am", "--", "-5", "3021.0"}, Direction::kNeToAm, {-5, 3021}},
      {{"span", "ne-to-am", "5700", "5580"}, Direction::kNeToAm, {5700, 5580}},
  };
  for (const Case& c : cases) {
    ParsedOptions parsed = parse_options(c.arguments);
    EXPECT_EQ(parsed.error, "") << joined(c.arguments);
    EXPECT_TRUE(same(parsed.command, SpanSettings{c.direction, c.span})) << joined(c.arguments);
  }
  EXPECT_EQ(parse_options({"span", "ne-to-am", "5580", "x\n"}).error,
            "span needs whole numbers, not 'x\\x0A'");
  EXPECT_EQ(parse_options({"span", "both"}).error, "span needs ne-to-am or am-to-ne, not 'both'");
}

// Every option the usage names that stands alone (a flag) refuses a value
// given with '=': --no-header=no is a wrong command line, not --no-header.
TEST(ParseOptions, AnOptionWithoutAValueRefusesOne) {
  std::vector<std::string> flags = {"-h"};
  const std::string& usage = kFullUsage;
  for (std::size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
    std::size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
    std::string name = usage.substr(at, end - at);
    bool starts_word = at == 0 || std::string_view(" [|").find(usage[at - 1]) != std::string::npos;
    if (name.size() > 2 && starts_word && parse_options({"ne-to-am", name}).error.empty() &&
        std::find(flags.begin(), flags.end(), name) == flags.end()) {
      flags.push_back(name);
    }
  }
  for (std::string_view known : {"--no-header", "--lines", "--help", "--version"}) {
    EXPECT_NE(std::find(flags.begin(), flags.end(), known), flags.end()) << known;
  }
  for (const std::string& flag : flags) {
    for (std::string_view value : {"", "no", "yes", "0", "1", "tsv"}) {
      const std::string word = flag + "=" + std::string(value);
      const std::vector<std::vector<std::string_view>> lines = {
          {word, "ne-to-am", "3021"},
          {"ne-to-am", "3021", word},
          {"am-to-ne", word, "--lines"},
          {"table", "ne-to-am", word},
      };
      for (const auto& arguments : lines) {
        std::string error = parse_options(arguments).error;
        EXPECT_NE(error.find("'" + word + "'"), std::string::npos) << word << ": " << error;
      }
    }
  }
}

// What is wrong is one line for a terminal: an argument's control bytes (a
// line end, an escape) are shown, not written.
TEST(ParseOptions, ShowsTheBytesOfAWrongArgument) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
      {{"\n"}, "unknown command '\\x0A'"},
      {{"ne-to-am", "--format", "\x1B[2Jcsv"},
       "unknown format '\\x1B[2Jcsv': use tsv, csv or jsonl"},
      {{"ne-to-am", "-\r"}, "unknown option '-\\x0D'"},
      {{"chart", "--mark", "1\n2"}, "--mark needs a whole number, not '1\\x0A2'"},
      {{"chart", "--mark", "4,282"}, "--mark needs a whole number, not '4,282'"},
      // Blanks and zero decimals, which a cell may carry, are not a mark.
      {{"chart", "--mark", " 3021 "}, "--mark needs a whole number, not ' 3021 '"},
      {{"chart", "am-to-ne", "--mark=3021.0"}, "--mark needs a whole number, not '3021.0'"},
  };
  for (const auto& [arguments, error] : cases) {
    EXPECT_EQ(parse_options(arguments).error, error);
  }
}

}  // namespace
}  // namespace batch
