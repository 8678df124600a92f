#include "console/input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/test_system.h"

namespace console {
namespace {

constexpr std::int32_t kUntouched = 4242;

/// What one read made of the input: the target, or the failure report.
struct Outcome {
  std::int32_t target = kUntouched;
  std::string report;  // The message line of a failure, or empty.
};

Outcome read_one(const std::string& input, std::size_t read_size = 256) {
  TestSystem system(input, read_size);
  ConsoleInput in(system);
  Outcome outcome;
  try {
    in.read_integer(outcome.target);
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.status, -1);
    std::size_t first = system.error.find('\n') + 1;
    outcome.report = system.error.substr(first, system.error.find('\n', first) - first);
    EXPECT_EQ(system.error.substr(0, first), "? Run-time error:\n");
    EXPECT_TRUE(system.error.ends_with("\n? READ(UNIT=*,...\n")) << system.error;
  }
  EXPECT_EQ(system.output, "");
  return outcome;
}

constexpr const char* kIllegal = "? Illegal character in numeric input";
constexpr const char* kEndOfFile = "? Attempt to read past end of file";

struct ReadCase {
  std::string input;
  std::int32_t target;
  const char* report = "";
};

TEST(ReadInteger, FollowsTheListDirectedRules) {
  const std::vector<ReadCase> cases = {
      {"2700\n", 2700},
      {"-42\n", -42},
      {"007\n", 7},
      {"+\n", 0},
      {"-\n", 0},
      {"- 5\n", 0},
      {"1 2700\n", 1},
      {"  \t 7  \n", 7},
      {"\t9\n", 9},
      {"5,6\n", 5},
      {"5/6\n", 5},
      {"2700\r\n", 2700},
      {"1\r2\n", 12},
      {"\r\n\n   \n\t\t\n3\n", 3},
      {",5\n", kUntouched},
      {"/5\n", kUntouched},
      {"  ,\n", kUntouched},
      {"3*7\n", 7},
      {"3* 7\n", 7},
      {"3*\n\n  7\n", 7},
      {"3*,\n", kUntouched},
      {"3*/\n", kUntouched},
      {"3*5*6\n", 6},
      {"abc*9\n", 9},
      {"'7'\n", 0, kIllegal},
      {"3**7\n", 0, kIllegal},
      {"*7\n", 0, kIllegal},
      {"+-5\n", 0, kIllegal},
      {"5-3\n", 0, kIllegal},
      {"12.0\n", 0, kIllegal},
      {"1e3\n", 0, kIllegal},
      {"0x1F\n", 0, kIllegal},
      {"5!\n", 0, kIllegal},
      {"abc\n", 0, kIllegal},
      {std::string("1\0002\n", 4), 0, kIllegal},
      {"1\x1a\n", 0, kIllegal},
      {"\xb9\n", 0, kIllegal},
      {"", 0, kEndOfFile},
      {"7", 0, kEndOfFile},
      {"\n\n  \n", 0, kEndOfFile},
      {"3*\n", 0, kEndOfFile},
      {std::string(20000, ' ') + "7\n", 7},
      {std::string(150, '\t') + "9\n", 9},
      {std::string(3000, '0') + "12\n", 12},
  };
  for (const ReadCase& c : cases) {
    Outcome outcome = read_one(c.input);
    EXPECT_EQ(outcome.report, c.report) << '"' << c.input << '"';
    EXPECT_EQ(outcome.target, c.report[0] ? kUntouched : c.target) << '"' << c.input << '"';
  }
}

TEST(ReadInteger, SaturatesValuesBeyond32Bits) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"2147483647", 2147483647},       {"-2147483648", -2147483647 - 1},
      {"2147483648", 2147483647},       {"99999999999", 2147483647},
      {"-2147483649", -2147483647 - 1}, {"4294967297", 2147483647},
      {"4294969996", 2147483647},       {"-99999999999999999999", -2147483647 - 1},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(read_one(text + "\n").target, expected) << text;
  }
}

TEST(ReadInteger, TakesOneRecordPerReadAndKeepsLaterLines) {
  for (std::size_t read_size : {1u, 3u, 256u}) {
    TestSystem system("1 99\n2700\n\n,\n-5\n", read_size);
    ConsoleInput in(system);
    std::int32_t a = 0, b = 0, c = 11, d = 0;
    in.read_integer(a);
    in.read_integer(b);
    in.read_integer(c);
    in.read_integer(d);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2700);
    EXPECT_EQ(c, 11);
    EXPECT_EQ(d, -5);
  }
}

TEST(ReadInteger, AsksForAtMost256BytesAndOnlyWhenTheChunkIsEmpty) {
  std::string input = std::string(1000, ' ') + "7\n8\n";
  TestSystem system(input, 10000);
  ConsoleInput in(system);
  std::int32_t value = 0;
  in.read_integer(value);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(system.reads, 4u);  // 256 + 256 + 256 + 236 bytes.
  in.read_integer(value);
  EXPECT_EQ(value, 8);
  EXPECT_EQ(system.reads, 4u);
}

}  // namespace
}  // namespace console
