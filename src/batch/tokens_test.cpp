#include "batch/tokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace batch {
namespace {

using Tokens = std::vector<std::pair<std::string, std::size_t>>;

/// `bytes` with every byte outside printable ASCII as \xNN, for failure texts.
std::string printable_for_test(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += c >= 0x20 && c < 0x7f ? std::string(1, static_cast<char>(c)) : std::string(hex);
  }
  return out;
}

/// The tokens of `input`, fed in pieces of `piece` bytes.
Tokens tokenize(const std::string& input, std::size_t piece) {
  Tokens tokens;
  auto collect = [&tokens](const Token& token) {
    tokens.emplace_back(std::string(token.text), token.line);
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
      {std::string(300, '9') + "\n", {{std::string(kMaxTokenLength, '9'), 1}}},
      {"\xEF\xBB\xBF"
       "2700\n",
       {{"2700", 1}}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "1",
       {{"\xEF\xBB\xBF"
         "1",
         1}}},
      {"\xEF\xBB"
       "1 \xEF",
       {{"\xEF\xBB"
         "1",
         1},
        {"\xEF", 1}}},
      {"\xEF", {{"\xEF", 1}}},
      {"\xEF\xBB", {{"\xEF\xBB", 1}}},
      {" \xEF\xBB\xBF"
       "1",
       {{"\xEF\xBB\xBF"
         "1",
         1}}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 2u, 3u, 7u, 4096u}) {
      EXPECT_EQ(tokenize(input, piece), expected) << '"' << input << "\" in pieces of " << piece;
    }
  }
}

/// Everything the tokenizer says of a token.
using Full = std::tuple<std::string, std::size_t, std::size_t, bool>;

/// The tokens of `input`, fed in the pieces whose sizes `next_piece` gives.
template <class NextPiece>
std::vector<Full> tokenize_fully(std::string_view input, NextPiece next_piece) {
  std::vector<Full> tokens;
  auto collect = [&tokens](const Token& token) {
    tokens.emplace_back(std::string(token.text), token.length, token.line, token.after_comma);
  };
  Tokenizer tokenizer;
  while (!input.empty()) {
    std::size_t piece = std::min(next_piece(), input.size());
    tokenizer.feed(input.substr(0, piece), collect);
    input.remove_prefix(piece);
  }
  tokenizer.finish(collect);
  return tokens;
}

TEST(Tokenizer, KeepsOnlyTheStartOfALongTokenAndMarksCommaPairs) {
  const std::string long_digits(250, '7');
  const std::vector<std::pair<std::string, std::vector<Full>>> cases = {
      {long_digits + " 1",
       {{std::string(kMaxTokenLength, '7'), 250, 1, false}, {"1", 1, 1, false}}},
      {std::string(kMaxTokenLength, '5'), {{std::string(kMaxTokenLength, '5'), 100, 1, false}}},
      {"4,282 5,,6 7, 8 9\n,1 2;3 #,4\n,5",
       {{"4", 1, 1, false},
        {"282", 3, 1, true},
        {"5", 1, 1, false},
        {"6", 1, 1, false},
        {"7", 1, 1, false},
        {"8", 1, 1, false},
        {"9", 1, 1, false},
        {"1", 1, 2, false},
        {"2", 1, 2, false},
        {"3", 1, 2, false},
        {"5", 1, 3, false}}},
      {",1,2", {{"1", 1, 1, false}, {"2", 1, 1, true}}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 3u, 64u, 4096u}) {
      EXPECT_EQ(tokenize_fully(input, [piece] { return piece; }), expected)
          << input.substr(0, 40) << " in pieces of " << piece;
    }
  }
}

TEST(Tokenizer, GivesTheSameTokensWhateverThePieces) {
  // Random inputs of separators, comments, digits, byte-order-mark bytes and
  // long runs, fed whole and in random pieces.
  static const std::string_view kAtoms[] = {"1",
                                            "23",
                                            "x",
                                            " ",
                                            ",",
                                            ";",
                                            "\t",
                                            "\r\n",
                                            "\n",
                                            "#",
                                            "\xEF",
                                            "\xBB",
                                            "\xBF",
                                            "\xEF\xBB\xBF",
                                            std::string_view("\0", 1)};
  std::mt19937 random(12);
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    std::size_t atoms = random() % 40;
    for (std::size_t i = 0; i < atoms; ++i) {
      if (random() % 25 == 0) {
        input.append(90 + random() % 40, '8');
      } else {
        input += kAtoms[random() % std::size(kAtoms)];
      }
    }
    std::vector<Full> whole = tokenize_fully(input, [] { return std::size_t(-1); });
    std::size_t largest = 1 + random() % 130;
    EXPECT_EQ(tokenize_fully(input, [&] { return 1 + random() % largest; }), whole)
        << printable_for_test(input);
  }
}

}  // namespace
}  // namespace batch
