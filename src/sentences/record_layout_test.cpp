#include "sentences/record_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace sentences {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct LayoutCase {
  const char* name;
  std::vector<LayoutItem> layout;
  std::vector<std::int32_t> values;
  std::vector<std::string> records;
};

TEST(LayOut, FieldsAtTheirLimits) {
  const std::vector<LayoutCase> cases = {
      {"widest that fits", {IntField(4)}, {9999}, {"9999"}},
      {"one digit too many", {IntField(4)}, {10000}, {"****"}},
      {"a sign takes a column", {IntField(4)}, {-999}, {"-999"}},
      {"a sign too many", {IntField(4)}, {-1000}, {"****"}},
      {"zeros to the least digits", {IntField(5, 3)}, {7}, {"  007"}},
      {"zeros after the sign", {IntField(5, 3)}, {-7}, {" -007"}},
      {"zeros that do not fit", {IntField(3, 4)}, {7}, {"***"}},
      {"zero is one digit", {IntField(3)}, {0}, {"  0"}},
      {"zero with no least digits is blank", {IntField(3, 0)}, {0}, {"   "}},
      {"the most negative number", {IntField(11)}, {kMin}, {"-2147483648"}},
      {"the most negative number cut", {IntField(10)}, {kMin}, {"**********"}},
      {"the largest number", {IntField(10)}, {kMax}, {"2147483647"}},
      {"a field of no width", {Literal("a"), IntField(0), Literal("b")}, {5}, {"ab"}},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(lay_out(c.layout, c.values), c.records) << c.name;
  }
}

TEST(LayOut, WalksTheLayoutAsTheValuesLast) {
  const std::vector<LayoutItem> pair = {Literal("a"), IntField(2), Literal("-"), IntField(2),
                                        Literal("!")};
  const std::vector<LayoutCase> cases = {
      {"no values: up to the first field", pair, {}, {"a"}},
      {"one value: up to the next field", pair, {1}, {"a 1-"}},
      {"every field filled: to the end", pair, {1, 2}, {"a 1- 2!"}},
      {"values left: a new record", pair, {1, 2, 3}, {"a 1- 2!", "a 3-"}},
      {"a layout of one field", {IntField(1)}, {1, 2}, {"1", "2"}},
      {"no fields: no values taken", {Literal("x"), RecordBreak(), Literal("y")}, {1}, {"x", "y"}},
      {"an empty layout", {}, {1}, {""}},
      {"blanks at the end dropped", {IntField(1), Skip(3)}, {5}, {"5"}},
      {"blanks before a literal kept", {Skip(2), Literal("a")}, {}, {"  a"}},
      {"blanks before a field kept", {Skip(2), IntField(1)}, {5}, {"  5"}},
      {"a negative skip stays put", {Literal("a"), Skip(-3), Literal("b")}, {}, {"ab"}},
      {"a break starts an empty record",
       {Literal("a"), RecordBreak(), RecordBreak(), Skip(1), Literal("b")},
       {},
       {"a", "", " b"}},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(lay_out(c.layout, c.values), c.records) << c.name;
  }
}

}  // namespace
}  // namespace sentences
