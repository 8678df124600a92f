#include "batch/separator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

TEST(RecogniseSeparator, ATieGoesToCommaThenSemicolon) {
  const std::vector<std::pair<std::string, char>> cases = {
      {"a,b;c", ','},
      {"a\tb,c", ','},
      {"a;b\tc", ';'},
      {"a,b;c\td", ','},
      // A quoted field's separators do not count, nor break a tie.
      {"\"x;y\",a;b", ','},
      {"\"x;y;z\",a\tb", ','},
  };
  for (const auto& [record, separator] : cases) {
    EXPECT_EQ(recognise_separator(record), separator) << record;
  }
}

TEST(SeparatorLine, IsExactlySepEqualsOneSeparator) {
  const std::vector<std::pair<std::string, char>> cases = {
      {"sep=,", ','}, {"sep=;", ';'}, {"sep=\t", '\t'},     {"\xEF\xBB\xBFsep=;", ';'},
      {"sep=", 0},    {"sep=;;", 0},  {"sep=; ", 0},        {"sep=|", 0},
      {"SEP=;", 0},   {" sep=;", 0},  {"\xEF\xBBsep=;", 0},
  };
  for (const auto& [line, separator] : cases) {
    EXPECT_EQ(separator_line(line), separator) << line;
  }
}

struct HoldCase {
  const char* name;
  std::size_t longest;
  std::size_t header_row;
  std::string input;
  char separator;
  /// The bytes held, fed one at a time, when hold() first knows the
  /// separator; 0 when only at_end() does.
  std::size_t decided_after;
};

TEST(SeparatorHold, HoldsUntilTheSeparatorLineOrTheHeaderRow) {
  const std::vector<HoldCase> cases = {
      {"a separator line wins over the header", 100, 1, "sep=;\r\na,b,c\n", ';', 7},
      {"a separator line after a byte-order mark", 100, 1, "\xEF\xBB\xBFsep=\t\na,b\n", '\t', 9},
      {"a separator line that ends the input", 100, 1, "sep=;", ';', 0},
      {"a header row ended by CR LF", 100, 1, "id;ne\r\nA;1\r\n", ';', 7},
      {"the rows above the header do not count", 100, 3, "t;u;v\nw;x;y\nid,ne\nA,1\n", ',', 18},
      {"a title's quoted line break is one row", 100, 2, "\"a;b\nc;d\"\nid,ne\n", ',', 16},
      {"a header row without a line end", 100, 1, "id;ne", ';', 0},
      {"the input ends above the header row", 100, 3, "a;b\nc;d\n", ';', 0},
      // Held up to the limit, the header so far decides.
      {"a header row longer than the limit", 8, 1, "a;b;c;d;e,f,g,h,i,j\n", ';', 8},
      {"an empty input", 100, 1, "", ',', 0},
  };
  for (const HoldCase& c : cases) {
    for (std::size_t piece : {1u, 2u, 5u, 4096u}) {
      SeparatorHold hold(c.longest, c.header_row);
      std::size_t held = 0;
      std::size_t decided_after = 0;
      char separator = 0;
      for (std::size_t at = 0; at < c.input.size(); at += piece) {
        std::string_view bytes = std::string_view(c.input).substr(at, piece);
        held += bytes.size();
        if ((separator = hold.hold(bytes)) != 0) {
          decided_after = held;
          break;
        }
      }
      if (separator == 0) {
        separator = hold.at_end();
      }
      EXPECT_EQ(separator, c.separator) << c.name << " in pieces of " << piece;
      if (piece == 1) {
        EXPECT_EQ(decided_after, c.decided_after) << c.name;
      }
      // Every byte held comes back, once.
      EXPECT_EQ(hold.release(), c.input.substr(0, held)) << c.name << " in pieces of " << piece;
      EXPECT_EQ(hold.release(), "") << c.name;
    }
  }
}

}  // namespace
}  // namespace batch
