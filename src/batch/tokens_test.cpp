#include "batch/tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace batch {
namespace {

using Tokens = std::vector<std::pair<std::string, std::size_t>>;

/// The tokens of `input`, fed in pieces of `piece` bytes.
Tokens tokenize(const std::string& input, std::size_t piece) {
  Tokens tokens;
  auto collect = [&tokens](std::string_view token, std::size_t line) {
    tokens.emplace_back(std::string(token), line);
  };
  Tokenizer tokenizer;
  for (std::size_t i = 0; i < input.size(); i += piece) {
    tokenizer.feed(std::string_view(input).substr(i, piece), collect);
  }
  tokenizer.finish(collect);
  return tokens;
}

TEST(Tokenizer, SplitsOnSeparatorsAndSkipsComments) {
  const std::vector<std::pair<std::string, Tokens>> cases = {
      {"", {}},
      {"2700", {{"2700", 1}}},
      {"2700\n3021\n", {{"2700", 1}, {"3021", 2}}},
      {"1 2\t3,4;5\r\n6", {{"1", 1}, {"2", 1}, {"3", 1}, {"4", 1}, {"5", 1}, {"6", 2}}},
      {",,;; \t\n\n7", {{"7", 3}}},
      {"# a heading, 12 34\n5 # a note\n6#7\n#\n8", {{"5", 2}, {"6", 3}, {"8", 5}}},
      {"12.5 x -3 +4", {{"12.5", 1}, {"x", 1}, {"-3", 1}, {"+4", 1}}},
      {std::string(300, '9') + "\n", {{std::string(300, '9'), 1}}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 2u, 3u, 7u, 4096u}) {
      EXPECT_EQ(tokenize(input, piece), expected) << '"' << input << "\" in pieces of " << piece;
    }
  }
}

TEST(ParseNumber, TakesASignAndDigitsOnly) {
  const std::vector<std::pair<std::string, std::int32_t>> numbers = {
      {"0", 0},
      {"2700", 2700},
      {"+0042", 42},
      {"-5", -5},
      {"999999999", 999999999},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999999999999", 2147483647},
      {"-99999999999999999999", -2147483647 - 1},
  };
  for (const auto& [token, expected] : numbers) {
    std::int32_t value = 1;
    EXPECT_EQ(parse_number(token, value), TokenKind::kNumber) << token;
    EXPECT_EQ(value, expected) << token;
  }
  for (std::string token : {"", "+", "-", "12.5", "1e3", "x", "--1", "1-", "0x10", "12a", "\xb9"}) {
    std::int32_t value = 1;
    EXPECT_EQ(parse_number(token, value), TokenKind::kInvalid) << token;
    EXPECT_EQ(value, 1) << token;
  }
}

}  // namespace
}  // namespace batch
