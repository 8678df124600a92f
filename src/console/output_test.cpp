#include "console/output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "console/test_system.h"

namespace console {
namespace {

using sentences::IntField;
using sentences::LayoutItem;
using sentences::Literal;
using sentences::RecordBreak;
using sentences::Skip;

struct LayoutCase {
  const char* name;
  std::vector<LayoutItem> layout;
  std::vector<std::int32_t> values;
  std::string expected;
};

TEST(WriteLayout, PrintsRecordsAsLaidOut) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::vector<LayoutCase> cases = {
      {"worked example",
       {Skip(1), Literal("NE-LC"), IntField(5), Skip(1), Literal("corresponds to: AM"),
        IntField(5)},
       {2800, 2800},
       " NE-LC 2800 corresponds to: AM 2800\r\n"},
      {"zero in width 5", {IntField(5)}, {0}, "    0\r\n"},
      {"negative fills width 5", {IntField(5)}, {-1234}, "-1234\r\n"},
      {"too long negative", {IntField(5)}, {-12345}, "*****\r\n"},
      {"too long positive", {IntField(5)}, {123456}, "*****\r\n"},
      {"too long for width 4", {IntField(4)}, {12345}, "****\r\n"},
      {"negative fills width 4", {IntField(4)}, {-999}, "-999\r\n"},
      {"most negative", {IntField(11)}, {kMin}, "-2147483648\r\n"},
      {"most negative too long", {IntField(10)}, {kMin}, "**********\r\n"},
      {"minimum digits", {IntField(6, 4)}, {-7}, " -0007\r\n"},
      {"zero with no digits asked", {IntField(3, 0)}, {0}, "   \r\n"},
      {"leading skip kept", {Skip(2), IntField(1)}, {5}, "  5\r\n"},
      {"trailing skip dropped", {IntField(1), Skip(3)}, {5}, "5\r\n"},
      {"skip then literal", {IntField(1), Skip(3), Literal("x")}, {5}, "5   x\r\n"},
      {"skip alone", {Skip(4)}, {}, "\r\n"},
      {"record break", {Literal("a"), RecordBreak(), Literal("b")}, {}, "a\r\nb\r\n"},
      {"two breaks give an empty line",
       {Literal("a"), RecordBreak(), RecordBreak(), Literal("b")},
       {},
       "a\r\n\r\nb\r\n"},
      {"skip before break dropped",
       {Literal("a"), Skip(2), RecordBreak(), Skip(1), Literal("b")},
       {},
       "a\r\n b\r\n"},
      {"items after the last field carried out",
       {Skip(2), Literal("NE-LC "), IntField(4), Literal("-"), IntField(4),
        Literal(" represent false annual"), Literal(" couplets"), Literal(" formed"), RecordBreak(),
        Literal("   by flood events in the Hudson Valley.")},
       {5672, 5676},
       "  NE-LC 5672-5676 represent false annual couplets formed\r\n"
       "   by flood events in the Hudson Valley.\r\n"},
      {"fewer values stop before the first empty field",
       {Literal("a"), IntField(2), Literal("b"), IntField(2), Literal("c")},
       {1},
       "a 1b\r\n"},
      {"no values stop before the first field",
       {Literal("a"), IntField(2), Literal("b")},
       {},
       "a\r\n"},
      {"more values restart the layout in a new record",
       {Literal("<"), IntField(2), Literal(">")},
       {1, 2, 3},
       "< 1>\r\n< 2>\r\n< 3>\r\n"},
      {"restart carries out items before the field",
       {Skip(1), IntField(1), Skip(1)},
       {1, 2},
       " 1\r\n 2\r\n"},
      {"layout without fields takes no values", {Literal("a")}, {1, 2}, "a\r\n"},
  };
  for (const LayoutCase& c : cases) {
    TestSystem system;
    ConsoleOutput out(system);
    out.write_layout(c.layout, c.values);
    EXPECT_EQ(system.output, c.expected) << c.name;
  }
}

TEST(WriteText, WritesABlankTheTextAndCrLfInOneWrite) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" ", "  \r\n"},
      {"Choices:", " Choices:\r\n"},
      {"trailing  ", " trailing  \r\n"},
      {"", " \r\n"},
  };
  for (const auto& [text, expected] : cases) {
    TestSystem system;
    ConsoleOutput out(system);
    out.write_text(text);
    ASSERT_EQ(system.writes.size(), 1u) << text;
    EXPECT_EQ(system.writes[0], expected);
  }
}

TEST(EndRecord, HandsOverRecordsInPartsOf256Bytes) {
  // Record length (without CR LF) against the sizes of the writes it takes.
  const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases = {
      {0, {2}}, {253, {255}}, {254, {256}}, {255, {256, 1}}, {256, {256, 2}}, {600, {256, 256, 90}},
  };
  for (const auto& [length, sizes] : cases) {
    TestSystem system;
    ConsoleOutput out(system);
    std::string text(length, 'x');
    std::vector<LayoutItem> layout = {Literal(text)};
    out.write_layout(layout, {});
    std::vector<std::size_t> written;
    for (const std::string& w : system.writes) {
      written.push_back(w.size());
    }
    EXPECT_EQ(written, sizes) << length;
    EXPECT_EQ(system.output, text + "\r\n");
  }
}

TEST(ConsoleOutput, RefusedWriteEndsWithASystemErrorReport) {
  const std::vector<std::pair<FailureCode, std::string>> cases = {
      {112, "? System Error:\n? There is not enough space on the disk.\n? WRITE(UNIT=*,...\n"},
      {232, "? System Error:\n? Pipe close in progress.\n? WRITE(UNIT=*,...\n"},
      {6, "? System Error:\n? Incorrect internal file identifier.\n? WRITE(UNIT=*,...\n"},
      {999, "? System Error:\n? The system's own text.\n? WRITE(UNIT=*,...\n"},
      {1, "? System Error:\n? \n? WRITE(UNIT=*,...\n"},
  };
  for (const auto& [code, report] : cases) {
    TestSystem system;
    system.refuse_writes_with = code;
    ConsoleOutput out(system);
    try {
      out.write_text("Choices:");
      ADD_FAILURE() << "the write returned";
    } catch (const ProcessExit& exit) {
      EXPECT_EQ(exit.status, -1);
    }
    EXPECT_EQ(system.output, "");
    EXPECT_EQ(system.error, report) << code;
  }
}

}  // namespace
}  // namespace console
