#include "batch/column.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

using chronology::Direction;

const std::string kNeNames = ",sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets";
const std::string kAmNames =
    ";lc_relation;lc_first;lc_last;uc_relation;uc_first;uc_last;false_couplets";

ColumnSettings settings(Direction direction, std::vector<std::string> columns, char separator = 0,
                        bool header = true, std::string prefix = "", std::size_t header_row = 1) {
  ColumnSettings s;
  s.direction = direction;
  s.columns = std::move(columns);
  s.header_row = header_row;
  s.separator = separator;
  s.header = header;
  s.prefix = std::move(prefix);
  return s;
}

struct Case {
  const char* name;
  ColumnSettings settings;
  std::string input;
  std::string output;
  std::vector<std::string> messages;
  int status;  ///< The exit status; 0 and 1 (cells not converted) are whole runs.
};

TEST(ColumnConverter, AppendsTheConversionAndKeepsEveryRow) {
  const std::vector<Case> cases = {
      {"names, gaps, blanks, quotes, a bad cell, a short row and a blank line",
       settings(Direction::kNeToAm, {"ne"}),
       "id,depth,ne,notes\n"
       "S1,1.5,3021,\"split, here\"\n"
       "S2,2.0,,\n"
       "S3,2.5, 4282 ,x\n"
       "S4,3.0,\"5674\",\n"
       "S5,3.5,6500,\n"
       "S6,4.0,12.5,\n"
       "S7\n"
       "\n",
       "id,depth,ne,notes" + kNeNames +
           "\n"
           "S1,1.5,3021,\"split, here\",LC,split,3021,3021,3021,3022,false\n"
           "S2,2.0,,,,,,,,,\n"
           "S3,2.5, 4282 ,x,LC,joined,4281,4282,4294,4294,false\n"
           "S4,3.0,\"5674\",,LC,joined,5672,5676,5691,5691,true\n"
           "S5,3.5,6500,,,outside,,,,,\n"
           "S6,4.0,12.5,,,invalid,,,,,\n"
           "S7,,,,,,,,,,\n"
           ",,,,,,,,,,\n",
       {"line 7, column 3: not a whole number: '12.5'"},
       1},
      {"semicolons recognised, CR LF, a byte-order mark, no last line end",
       settings(Direction::kAmToNe, {"2"}),
       "\xEF\xBB\xBFprobe;am\r\nA;6245\r\nB;2400\r\nC;7000",
       "\xEF\xBB\xBFprobe;am" + kAmNames +
           "\r\n"
           "A;6245;corresponds;6230;6230;corresponds;6562;6562;false\r\n"
           "B;2400;outside;;;outside;;;\r\n"
           "C;7000;;;;corresponds;7318;7318;false",
       {},
       0},
      {"spans in both sequences, in one, and one not converted",
       settings(Direction::kAmToNe, {"am"}),
       "id;am\n1;6200 - 6500\n2;5599-5714\n3;8600-8800\n",
       "id;am" + kAmNames +
           "\n"
           "1;6200 - 6500;span;6185;6453;span;6562;6817;false\n"
           "2;5599-5714;span;5580;5700;;;;true\n"
           "3;8600-8800;invalid;;;invalid;;;\n",
       {"line 2, column 2: note: AM 6200-6500: NE-LC covers AM 6200-6468 only; NE-UC covers AM "
        "6245-6500 only",
        "line 4, column 2: AM 8600-8800 is not converted: its last end, AM 8800, lies above the "
        "accepted range AM 2500-8700; the part inside: AM 8600-8700"},
       1},
      {"the first column by name after a byte-order mark",
       settings(Direction::kNeToAm, {"ne"}, ','),
       "\xEF\xBB\xBF\"ne\"\n2700\n",
       "\xEF\xBB\xBF\"ne\"" + kNeNames + "\n2700,LC,corresponds,2700,2700,2700,2700,false\n",
       {},
       0},
      {"tabs without a header",
       settings(Direction::kNeToAm, {"1"}, '\0', false),
       "2700\tnote\n\"x\ty\"\n",
       "2700\tnote\tLC\tcorresponds\t2700\t2700\t2700\t2700\tfalse\n"
       "\"x\ty\"\t\t\tinvalid\t\t\t\t\t\n",
       {"line 2, column 1: not a whole number: 'x\\x09y'"},
       1},
      {"a new column's name already taken",
       settings(Direction::kNeToAm, {"id"}),
       "id,relation\n2700,x\n",
       "",
       {"line 1: the header already has a column named 'relation': rename it, or name the added "
        "columns with --prefix"},
       1},
      {"the names prefixed",
       settings(Direction::kNeToAm, {"id"}, ',', true, "v,"),
       "id,relation\n",
       "id,relation,\"v,sequence\",\"v,relation\",\"v,ne_first\",\"v,ne_last\",\"v,am_first\","
       "\"v,am_last\",\"v,false_couplets\"\n",
       {},
       0},
      {"no such column, after a title row held back",
       settings(Direction::kNeToAm, {"c"}, 0, true, "", 2),
       "Title\na,b\n1,2\n",
       "",
       {"line 2: the header has no column named 'c': the columns are 1 'a', 2 'b'"},
       2},
      {"a quote that never closes",
       settings(Direction::kNeToAm, {"n"}),
       "n\n2700\n\"oops\n2700\n",
       "n" + kNeNames + "\n2700,LC,corresponds,2700,2700,2700,2700,false\n",
       {"line 3: a quote opens a cell that never closes; the rows before it were written"},
       1},
      {"a row wider than the header, after a cell with a line break",
       settings(Direction::kNeToAm, {"ne"}),
       "ne,note\n2700,\"a\nb\"\n4,282,x\n2700,y\n",
       "ne,note" + kNeNames + "\n2700,\"a\nb\",LC,corresponds,2700,2700,2700,2700,false\n",
       {"line 4: the row has 3 cells, more than the header's 2 (a separator too many, or one "
        "inside a cell without quotes?); the rows before it were written"},
       1},
      {"a separator line, a title and units above the header, several columns",
       settings(Direction::kAmToNe, {"top am", "#3"}, 0, true, "", 3),
       "sep=;\r\nCores, 2019\r\n;varves;varves\r\nid;top am;bottom am\r\nA;6245;7000\r\n",
       "sep=;\r\nCores, 2019\r\n;varves;varves\r\nid;top am;bottom am;top_am_lc_relation;"
       "top_am_lc_first;top_am_lc_last;top_am_uc_relation;top_am_uc_first;top_am_uc_last;"
       "top_am_false_couplets;bottom_am_lc_relation;bottom_am_lc_first;bottom_am_lc_last;"
       "bottom_am_uc_relation;bottom_am_uc_first;bottom_am_uc_last;bottom_am_false_couplets\r\n"
       "A;6245;7000;corresponds;6230;6230;corresponds;6562;6562;false;;;;corresponds;7318;7318;"
       "false\r\n",
       {},
       0},
      {"rows above the header longer than one row may be",
       [] {
         ColumnSettings s = settings(Direction::kNeToAm, {"ne"}, ',', true, "", 5);
         s.max_record = 1 << 20;
         return s;
       }(),
       std::string(600000, 't') + "\n" + std::string(600000, 't') + "\nt\nt\nne\n",
       "",
       {"line 2: the rows above header row 5 are longer than 1 MiB: is --header-row right?"},
       1},
      {"empty",
       settings(Direction::kNeToAm, {"ne"}),
       "",
       "",
       {"the input is empty: there is no column to convert"},
       1},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {1u, 3u, 4096u}) {
      std::vector<std::string> messages;
      ColumnConverter converter(
          c.settings, [&messages](std::string_view message) { messages.emplace_back(message); });
      std::string out;
      bool whole = true;
      for (std::size_t i = 0; i < c.input.size() && whole; i += piece) {
        whole = converter.feed(std::string_view(c.input).substr(i, piece), out);
      }
      whole = whole && converter.finish(out);
      EXPECT_EQ(out, c.output) << c.name << " in pieces of " << piece;
      EXPECT_EQ(messages, c.messages) << c.name << " in pieces of " << piece;
      EXPECT_EQ(converter.exit_status(), c.status) << c.name;
      EXPECT_EQ(whole, c.status < 2 && converter.fault() == ColumnFault::kNone) << c.name;
    }
  }
}

TEST(ColumnConverter, CountsManyBadCellsWithoutListingEach) {
  std::vector<std::string> messages;
  ColumnConverter converter(settings(Direction::kNeToAm, {"1"}, ',', false),
                            [&messages](std::string_view m) { messages.emplace_back(m); });
  std::string out;
  std::string input;
  for (int i = 0; i < 250; ++i) {
    input += "x\n";
  }
  EXPECT_TRUE(converter.feed(input, out));
  EXPECT_TRUE(converter.finish(out));
  EXPECT_EQ(converter.invalid_cells(), 250u);
  ASSERT_EQ(messages.size(), 102u);
  EXPECT_EQ(messages.back(), "250 cells in all were not whole numbers");
}

TEST(RecogniseSeparator, CountsSeparatorsOutsideQuotes) {
  const std::vector<std::pair<std::string, char>> cases = {
      {"a,b;c;d", ';'}, {"\"a;b;c\",d", ','}, {"a\tb\tc,d", '\t'}, {"abc", ','}, {"", ','},
  };
  for (const auto& [line, separator] : cases) {
    EXPECT_EQ(recognise_separator(line), separator) << line;
  }
}

}  // namespace
}  // namespace batch
