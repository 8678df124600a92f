#include "chronology/number_text.h"

#include <gtest/gtest.h>

namespace chronology {
namespace {

TEST(ConvertInteger, ChecksTheFormBeforeTheValue) {
  std::int32_t value = 0;
  EXPECT_TRUE(convert_integer("+0012", value));
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(convert_integer("1 2", value));
  EXPECT_FALSE(convert_integer("99999999999x", value));
  EXPECT_FALSE(convert_integer("--1", value));
}

}  // namespace
}  // namespace chronology
