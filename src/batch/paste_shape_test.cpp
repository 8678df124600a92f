#include "batch/paste_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

TEST(PasteShape, AColumnOnlyWhenNoLineHoldsSeveralValuesAndAListOnlyWhenNoneHoldsOne) {
  struct Case {
    std::string paste;
    PasteShape shape;
  };
  const std::vector<Case> cases = {
      {"", PasteShape::kEmpty},
      {" \r\n \xC2\xA0\n\n", PasteShape::kEmpty},
      {" \n\t# only a comment\n", PasteShape::kEmpty},
      // A spreadsheet's column: blank cells, bad cells, any line end.
      {"3021\n\n4282\n4282?\n\n5674\n", PasteShape::kColumn},
      {"3021\r\n\r\n4282\r\n", PasteShape::kColumn},
      {"3021\r4282", PasteShape::kColumn},
      {"#N/A\n3021\nn/a", PasteShape::kColumn},
      {"3021\n# a note\n4282", PasteShape::kColumn},
      // One value with blanks or a comma inside.
      {"4 282\nca. 4282\n4282 (?)\n4,282\n1,234,567\n3021,0", PasteShape::kColumn},
      // A span with blanks around its dash is one value of a column.
      {"3021\n\n4282?\n5580 \xE2\x80\x93 5700\n5700 - 5580\n7000", PasteShape::kColumn},
      // Every line several values, blank lines between: a list.
      {"2700 3021\n\n4282, 5674\n", PasteShape::kList},
      {"3021;", PasteShape::kList},
      {"12.5 3021", PasteShape::kList},
      {"3021,4282", PasteShape::kList},
      {"3021,\n4282,", PasteShape::kList},
      {"3021 # core top\n4282 # base", PasteShape::kList},
      // A column with one cell of two values, or a wrapped list with a short
      // last line: either reading would shift rows or split a cell.
      {"3021\n\n4282 4283\n5674\n\n6300\n", PasteShape::kMixed},
      {"2700 3021 4282\n5674", PasteShape::kMixed},
      {"3021\n5674 flood", PasteShape::kMixed},
      {",\n3021", PasteShape::kMixed},
      {"3021 # core top\n4282", PasteShape::kMixed},
      // Tabs separate a spreadsheet's columns, even around empty cells.
      {"3021\t4282", PasteShape::kTable},
      {"id\tne\nA\t3021\nB\t\n", PasteShape::kTable},
      {"#N/A\t3021", PasteShape::kTable},
      // A quoted cell holding a line break is one cell of a column.
      {"3021\n\"4282\n4283\"\n5674", PasteShape::kColumn},
      {"\"a \"\"b\"\"\r\nc\"\r\n3021\r\n", PasteShape::kColumn},
      // A quote that does not close at a line's end is a character.
      {"\"3021\n4282", PasteShape::kColumn},
      {"\"3021\n4282\"x\n5674", PasteShape::kColumn},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(paste_layout(c.paste).shape, c.shape) << c.paste;
  }
}

TEST(PasteShape, SaysWhichLinesDecidedItCountingAQuotedCellAsOneLine) {
  PasteLayout layout = paste_layout("\"4282\n4283\"\n\n5674 5675\n3021");
  EXPECT_EQ(layout.shape, PasteShape::kMixed);
  EXPECT_EQ(layout.lines, 4u);
  EXPECT_EQ(layout.first_one, 1u);
  EXPECT_EQ(layout.first_several, 3u);
  EXPECT_EQ(layout.several, 1u);
  EXPECT_EQ(layout.one, 2u);
  EXPECT_TRUE(layout.quoted_breaks);
}

TEST(PasteShape, ColumnLinesGiveAQuotedCellOneLine) {
  struct Case {
    std::string paste;
    std::string lines;
  };
  const std::vector<Case> cases = {
      {"3021\n\"4282\n4283\"\n5674", "3021\n4282 4283\n5674\n"},
      {"\"a \"\"b\"\"\r\nc\"\r\n\r\n3021\r\n", "a \"b\" c\n\n3021\n"},
      {"\"3021\n4282", "\"3021\n4282\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(column_lines(c.paste), c.lines) << c.paste;
  }
}

}  // namespace
}  // namespace batch
