#include "batch/line_mode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace batch {
namespace {

using chronology::Direction;

struct Converted {
  std::string rows;
  std::vector<std::string> messages;
  int status = 0;
  std::size_t count = 0;

  bool operator==(const Converted&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Converted& c) {
  os << c.rows << "messages:\n";
  for (const std::string& m : c.messages) {
    os << m << "\n";
  }
  return os << "status " << c.status << ", " << c.count << " rows";
}

/// Converts `input` fed in pieces of `piece` bytes.
Converted convert(Format format, Direction direction, std::string_view input, std::size_t piece) {
  Converted c;
  LineMode mode(format, direction,
                [&c](std::string_view message) { c.messages.emplace_back(message); });
  for (std::size_t at = 0; at < input.size(); at += piece) {
    mode.feed(input.substr(at, piece), c.rows);
  }
  mode.finish(c.rows);
  c.status = mode.exit_status();
  c.count = mode.rows();
  return c;
}

const std::string kRow3021 = "\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n";
const std::string kEmptyNe = "\t\t\t\t\t\t\t\n";
const std::string kInvalidNe = "\t\tinvalid\t\t\t\t\t\n";

TEST(LineMode, GivesOneRowPerLineWhateverThePieces) {
  struct Case {
    const char* name;
    std::string input;
    std::string rows;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases = {
      {"a copied column, blank and bad lines included",
       "3021\n\n4282\n4282?\n\n5674\n",
       "3021" + kRow3021 + kEmptyNe + "4282\tLC\tjoined\t4281\t4282\t4294\t4294\tfalse\n" +
           "4282?" + kInvalidNe + kEmptyNe + "5674\tLC\tjoined\t5672\t5676\t5691\t5691\ttrue\n",
       {"line 4: not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert "
        "it)"}},
      {"CR LF, a lone CR, and no line end at the end",
       "3021\r\n\r\n3021\r3021",
       "3021" + kRow3021 + kEmptyNe + "3021" + kRow3021 + "3021" + kRow3021,
       {}},
      {"a byte-order mark is not part of the first line",
       "\xEF\xBB\xBF"
       "3021\n",
       "3021" + kRow3021,
       {}},
      {"half a byte-order mark is",
       "\xEF\xBB"
       "3021\n",
       "\\xEF\\xBB3021" + kInvalidNe,
       {"line 1: not a whole number: '\\xEF\\xBB3021'"}},
      {"nothing at all, and a lone line end", "", "", {}},
      {"blanks kept in the row, control bytes shown",
       " 3021 \n\t7\x01\n",
       " 3021 " + kRow3021 + "\\x097\\x01" + kInvalidNe,
       {"line 2: not a whole number: '\\x097\\x01'"}},
      {"spans, with blanks around the dash, and one that is not converted",
       "5580 - 5700\n5673\xE2\x80\x93"
       "5680\n2400-2600\n",
       "5580 - 5700\tLC\tspan\t5580\t5700\t5599\t5714\ttrue\n"
       "5673\xE2\x80\x93"
       "5680\tLC\tspan\t5673\t5680\t5691\t5695\ttrue\n"
       "2400-2600" +
           kInvalidNe,
       {"line 2: note: NE-LC 5673-5680: the first end lies inside the join NE-LC 5672-5676 (AM "
        "5691); the last end lies inside the join NE-LC 5680-5681 (AM 5695)",
        "line 3: NE 2400-2600 is not converted: its first end, NE 2400, lies below the accepted "
        "range NE-LC 2500-6460; the part inside: NE-LC 2500-2600"}},
      {"a span whose row cannot show an end that is not exact gets a note, not a fault",
       "4282-4300\n",
       "4282-4300\tLC\tspan\t4282\t4300\t4294\t4312\tfalse\n",
       {"line 1: note: NE-LC 4282-4300: the first end lies inside the join NE-LC 4281-4282 (AM "
        "4294)"}},
      {"a line too long to hold is never a number",
       std::string(2000, '0') + "3021\n",
       std::string(60, '0') + "..." + kInvalidNe,
       {"line 1: a line of 2004 bytes, too long for a number: '" + std::string(60, '0') + "...'"}},
  };
  for (const Case& c : cases) {
    std::size_t lines = 0;
    for (char ch : c.rows) {
      lines += ch == '\n';
    }
    // A note leaves the exit status alone; every other message is a fault.
    bool fault = std::any_of(c.messages.begin(), c.messages.end(), [](const std::string& m) {
      return m.find(": note: ") == std::string::npos;
    });
    Converted expected{c.rows, c.messages, fault ? 1 : 0, lines};
    for (std::size_t piece : {1u, 2u, 7u, 1u << 16}) {
      EXPECT_EQ(convert(Format::kTsv, Direction::kNeToAm, c.input, piece), expected)
          << c.name << ", pieces of " << piece;
    }
  }
  Converted lone = convert(Format::kTsv, Direction::kNeToAm, "\n", 1);
  EXPECT_EQ(lone.rows, kEmptyNe);
}

TEST(LineMode, KeepsCsvAndJsonLinesValidWhateverTheCell) {
  const std::string input = "6245\n\"q\",x\\\n\n";
  EXPECT_EQ(convert(Format::kCsv, Direction::kAmToNe, input, 3).rows,
            "6245,corresponds,6230,6230,corresponds,6562,6562,false\n"
            "\"\"\"q\"\",x\\\",invalid,,,invalid,,,\n"
            ",,,,,,,\n");
  EXPECT_EQ(
      convert(Format::kJsonl, Direction::kAmToNe, input, 3).rows,
      "{\"input\":\"6245\",\"lc_relation\":\"corresponds\",\"lc_first\":6230,\"lc_last\":6230,"
      "\"uc_relation\":\"corresponds\",\"uc_first\":6562,\"uc_last\":6562,\"false_couplets\":false}"
      "\n"
      "{\"input\":\"\\\"q\\\",x\\\\\",\"lc_relation\":\"invalid\",\"lc_first\":null,\"lc_last\":"
      "null,"
      "\"uc_relation\":\"invalid\",\"uc_first\":null,\"uc_last\":null,\"false_couplets\":null}\n"
      "{\"input\":\"\",\"lc_relation\":null,\"lc_first\":null,\"lc_last\":null,\"uc_relation\":"
      "null,"
      "\"uc_first\":null,\"uc_last\":null,\"false_couplets\":null}\n");
  EXPECT_EQ(convert(Format::kJsonl, Direction::kNeToAm, "9500\n", 1).rows,
            "{\"input\":\"9500\",\"sequence\":null,\"relation\":\"outside\",\"ne_first\":null,"
            "\"ne_last\":null,\"am_first\":null,\"am_last\":null,\"false_couplets\":null}\n");
}

TEST(LineMode, ListsTheFirstHundredBadLinesThenCountsThem) {
  std::string input;
  for (int i = 0; i < 150; ++i) {
    input += "x\n";
  }
  Converted c = convert(Format::kTsv, Direction::kNeToAm, input, 1 << 16);
  EXPECT_EQ(c.count, 150u);
  ASSERT_EQ(c.messages.size(), 102u);
  EXPECT_EQ(c.messages[100], "(further lines that are not whole numbers are counted, not listed)");
  EXPECT_EQ(c.messages[101], "150 lines in all were not whole numbers");
}

}  // namespace
}  // namespace batch
