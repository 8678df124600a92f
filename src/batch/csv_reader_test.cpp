#include "batch/csv_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

/// A record as the test sees it: its fields' raw bytes, its line end and line.
struct Seen {
  std::vector<std::string> fields;
  std::string line_end;
  std::size_t line;
  friend bool operator==(const Seen&, const Seen&) = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
  os << "{line " << s.line << ":";
  for (const auto& f : s.fields) {
    os << " [" << f << "]";
  }
  return os << " end " << s.line_end.size() << "}";
}

struct Read {
  std::vector<Seen> records;
  std::string rebuilt;  ///< Every body and line end, in order.
  bool finished;
  CsvError error;
  std::size_t error_line;
};

Read read(const std::string& input, std::size_t piece, char separator = ',',
          std::size_t max_record = 1 << 20) {
  Read r;
  CsvReader reader(separator, max_record);
  auto collect = [&r](const CsvRecord& record) {
    Seen seen{{}, std::string(record.line_end), record.line};
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      seen.fields.emplace_back(record.field(i));
    }
    r.records.push_back(seen);
    r.rebuilt.append(record.body).append(record.line_end);
  };
  bool fed = true;
  for (std::size_t i = 0; i < input.size() && fed; i += piece) {
    fed = reader.feed(std::string_view(input).substr(i, piece), collect);
  }
  r.finished = fed && reader.finish(collect);
  r.error = reader.error();
  r.error_line = reader.error_line();
  return r;
}

TEST(CsvReader, SplitsRecordsAndKeepsEveryByte) {
  const std::vector<std::pair<std::string, std::vector<Seen>>> cases = {
      {"", {}},
      {"a,b\n", {{{"a", "b"}, "\n", 1}}},
      {"a,b", {{{"a", "b"}, "", 1}}},
      {"a,,\r\n,\n\n", {{{"a", "", ""}, "\r\n", 1}, {{"", ""}, "\n", 2}, {{""}, "\n", 3}}},
      {"x\ry\r", {{{"x"}, "\r", 1}, {{"y"}, "\r", 2}}},
      {"\"a,b\",\"say \"\"hi\"\"\"\n", {{{"\"a,b\"", "\"say \"\"hi\"\"\""}, "\n", 1}}},
      {"1,\"two\r\nlines\n\",3\r\n4\n",
       {{{"1", "\"two\r\nlines\n\"", "3"}, "\r\n", 1}, {{"4"}, "\n", 4}}},
      {"a\"b,c\"\n", {{{"a\"b", "c\""}, "\n", 1}}},  // Quotes inside a field are bytes.
      {"\"a\"x,y\n", {{{"\"a\"x", "y"}, "\n", 1}}},  // Text after a closing quote.
      {" \"a\" ,\xEF\xBB\xBF\xC3\xBC\n", {{{" \"a\" ", "\xEF\xBB\xBF\xC3\xBC"}, "\n", 1}}},
      {"\"\"\n\"\"\"\"", {{{"\"\""}, "\n", 1}, {{"\"\"\"\""}, "", 2}}},
  };
  for (const auto& [input, expected] : cases) {
    for (std::size_t piece : {1u, 2u, 3u, 5u, 4096u}) {
      Read r = read(input, piece);
      EXPECT_TRUE(r.finished) << input;
      EXPECT_EQ(r.records, expected) << input << " in pieces of " << piece;
      EXPECT_EQ(r.rebuilt, input) << piece;
    }
  }
}

TEST(CsvReader, TakesTheSeparatorItIsGiven) {
  Read semicolons = read("a;\"b;c\",d\tx\n", 4096, ';');
  ASSERT_EQ(semicolons.records.size(), 1u);
  EXPECT_EQ(semicolons.records[0].fields, (std::vector<std::string>{"a", "\"b;c\",d\tx"}));
  Read tabs = read("a\t,;b\t\n", 4096, '\t');
  EXPECT_EQ(tabs.records[0].fields, (std::vector<std::string>{"a", ",;b", ""}));
}

TEST(CsvReader, StopsOnAnUnclosedQuoteOrAnOverlongRecord) {
  for (std::size_t piece : {1u, 3u, 4096u}) {
    Read unclosed = read("a,b\nc,\"d\ne\n", piece);
    EXPECT_FALSE(unclosed.finished);
    EXPECT_EQ(unclosed.error, CsvError::kUnclosedQuote);
    EXPECT_EQ(unclosed.error_line, 2u);
    EXPECT_EQ(unclosed.rebuilt, "a,b\n");  // Whole records only.

    Read overlong = read("short\n" + std::string(100, 'x') + "\nnext\n", piece, ',', 50);
    EXPECT_FALSE(overlong.finished);
    EXPECT_EQ(overlong.error, CsvError::kRecordTooLong);
    EXPECT_EQ(overlong.error_line, 2u);
  }
}

}  // namespace
}  // namespace batch
