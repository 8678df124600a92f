// The shared table of cell cases (cell_cases.tsv) through varve-batch's line
// and column modes, and files in UTF-16 as spreadsheets save "Unicode text".
// Each mode's rows for the cases must be, past the cell itself, the rows of
// the number each case means; so a row never shifts and a cell never means
// one thing in one mode and another elsewhere.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cell_cases.h"
#include "process.h"
#include "programs.h"

namespace {

using testing_programs::launched;
using testing_programs::read_file;
using testing_programs::run_batch;

std::vector<cell_cases::Case> cases() {
  return cell_cases::load(VARVE_CELL_CASES);
}

/// The lines of `text`, each without its "\n".
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end;
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

/// What a case means, as a cell the modes read the same way: the number, or
/// nothing, or a text that is no number.
std::string meaning(const cell_cases::Case& c) {
  switch (c.expected.kind) {
    case cell_cases::Expected::Kind::kNumber:
      return std::to_string(c.expected.number);
    case cell_cases::Expected::Kind::kEmpty:
      return "";
    case cell_cases::Expected::Kind::kInvalid:
      break;
  }
  return "x";
}

/// The part of the message on `line` that follows "line N...: ", or "".
std::string message_on(const std::string& error, const std::string& line_prefix) {
  for (const std::string& message : lines_of(error)) {
    if (message.starts_with(line_prefix)) {
      return message.substr(line_prefix.size());
    }
  }
  return "";
}

/// Checks the message for an invalid case: the engine's hint, naming the number.
void expect_message(const cell_cases::Case& c, const std::string& message) {
  if (c.expected.kind != cell_cases::Expected::Kind::kInvalid) {
    EXPECT_EQ(message, "") << c.text;
    return;
  }
  EXPECT_TRUE(message.starts_with("not a whole number: '")) << c.text << ": " << message;
  std::string n = std::to_string(c.expected.number);
  if (c.expected.hint == "thousands") {
    EXPECT_NE(message.find("(a thousands separator? write " + n + " "), std::string::npos)
        << c.text << ": " << message;
  } else if (c.expected.hint == "uncertain") {
    EXPECT_NE(message.find("(" + n + " marked uncertain"), std::string::npos)
        << c.text << ": " << message;
  } else {
    EXPECT_EQ(message.find(" ("), std::string::npos) << c.text << ": " << message;
  }
}

TEST(CellCases, EveryCaseMeansTheSameInTheLineMode) {
  std::vector<cell_cases::Case> all = cases();
  std::vector<cell_cases::Case> line_cases;
  for (const cell_cases::Case& c : all) {
    if (c.applies(0)) {
      line_cases.push_back(c);
    }
  }
  std::string input, meant;
  for (const cell_cases::Case& c : line_cases) {
    input += c.cell + "\n";
    meant += meaning(c) + "\n";
  }
  for (const char* direction : {"ne-to-am", "am-to-ne"}) {
    testing_process::Result r = run_batch({direction, "--lines", "--no-header"}, input);
    testing_process::Result m = run_batch({direction, "--lines", "--no-header"}, meant);
    std::vector<std::string> rows = lines_of(r.output);
    std::vector<std::string> expected = lines_of(m.output);
    ASSERT_EQ(rows.size(), line_cases.size()) << direction;
    ASSERT_EQ(expected.size(), line_cases.size()) << direction;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const cell_cases::Case& c = line_cases[i];
      // Past the cell as shown, the row of the number meant.
      EXPECT_EQ(rows[i].substr(rows[i].find('\t')), expected[i].substr(expected[i].find('\t')))
          << direction << " " << c.text;
      expect_message(c, message_on(r.error, "varve-batch: line " + std::to_string(i + 1) + ": "));
    }
    EXPECT_EQ(r.status, 1);
  }
  std::printf("ran %zu cell cases through the line mode in each direction\n", line_cases.size());
}

/// `cell` as a field of a file separated by `separator`: quoted where it must be.
std::string field(const std::string& cell, char separator) {
  if (cell.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) {
    return cell;
  }
  std::string quoted = "\"";
  for (char c : cell) {
    quoted.append(c == '"' ? 2 : 1, c);
  }
  return quoted + "\"";
}

TEST(CellCases, EveryCaseMeansTheSameInTheColumnModeUnderEachSeparator) {
  std::vector<cell_cases::Case> all = cases();
  std::size_t run = 0;
  for (char separator : {',', ';', '\t'}) {
    std::vector<cell_cases::Case> column_cases;
    std::string sep(1, separator);
    std::string input = "id" + sep + "value\n", meant = input;
    for (const cell_cases::Case& c : all) {
      if (c.applies(separator)) {
        std::string id = "S" + std::to_string(column_cases.size() + 1);
        input += id + sep + field(c.cell, separator) + "\n";
        meant += id + sep + meaning(c) + "\n";
        column_cases.push_back(c);
      }
    }
    for (const char* direction : {"ne-to-am", "am-to-ne"}) {
      testing_process::Result r = run_batch({direction, "--column", "value"}, input);
      testing_process::Result m = run_batch({direction, "--column", "value"}, meant);
      std::vector<std::string> rows = lines_of(r.output);
      std::vector<std::string> expected = lines_of(m.output);
      std::vector<std::string> given = lines_of(input);
      std::vector<std::string> given_meant = lines_of(meant);
      ASSERT_EQ(rows.size(), column_cases.size() + 1)
          << direction << " " << sep << ": status " << r.status << ", " << r.error << r.wine;
      for (std::size_t i = 0; i < column_cases.size(); ++i) {
        const cell_cases::Case& c = column_cases[i];
        const std::string& row = rows[i + 1];
        // The row as given, then the cells of the number meant.
        ASSERT_TRUE(row.starts_with(given[i + 1])) << c.text;
        EXPECT_EQ(row.substr(given[i + 1].size()),
                  expected[i + 1].substr(given_meant[i + 1].size()))
            << direction << " '" << sep << "' " << c.text;
        expect_message(
            c, message_on(r.error, "varve-batch: line " + std::to_string(i + 2) + ", column 2: "));
      }
      run += column_cases.size();
    }
  }
  std::printf("ran %zu cell cases through the column mode (three separators, two directions)\n",
              run);
}

/// UTF-16 LE (after its byte-order mark) as UTF-8, characters of the BMP only.
std::string utf8_of_utf16(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned c = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1])
                                                            << 8;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

TEST(Utf16, UnicodeTextComesBackInUtf16CellForCell) {
  const std::string path = std::string(VARVE_FIXTURES) + "/excel_style_unicode_text.txt";
  std::string file = read_file(path);
  std::string text = utf8_of_utf16(file);
  testing_process::Result from_utf8 = run_batch({"ne-to-am", "--column", "ne_varve"}, text);
  for (const char* column : {"ne_varve", "3"}) {
    testing_process::Result r = run_batch({"ne-to-am", "--column", column, path});
    ASSERT_TRUE(r.output.starts_with("\xFF\xFE")) << column;
    // Every input byte, then the added cells: what the same text in UTF-8 gives.
    EXPECT_EQ(utf8_of_utf16(r.output), from_utf8.output) << column;
    EXPECT_EQ(r.output.substr(0, 2 * 9), file.substr(0, 2 * 9)) << column;
    EXPECT_EQ(r.error, from_utf8.error) << column;
    EXPECT_EQ(r.status, 1) << column;
  }
  // One value per line, in UTF-16 too.
  std::string lines = std::string("\xFF\xFE", 2);
  for (char c : std::string("3021\r\n\r\n4282?\r\n")) {
    lines += c;
    lines += '\0';
  }
  testing_process::Result r = run_batch({"ne-to-am", "--lines", "--no-header"}, lines);
  EXPECT_EQ(utf8_of_utf16(r.output),
            "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n\t\t\t\t\t\t\t\n4282?"
            "\t\tinvalid\t\t\t\t\t\n");
}

TEST(Utf16, WhatCannotBeReadIsRefusedWithAMessage) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;
    std::string output;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"UTF-32",
       {"ne-to-am", "--column", "1"},
       std::string("\xFF\xFE\0\0n\0\0\0", 8),
       "",
       "varve-batch: standard input: the file is in UTF-32, which is not read: save it as UTF-8 or "
       "UTF-16\n"},
      {"UTF-16 without a byte-order mark",
       {"ne-to-am", "--lines"},
       std::string("3\0000\0002\0001\0\n\0", 10),
       // The header, and no row: the text before the first NUL byte is no line yet.
       "input\tsequence\trelation\tne_first\tne_last\tam_first\tam_last\tfalse_couplets\n",
       "varve-batch: standard input: the file holds NUL bytes but no byte-order mark (UTF-16 "
       "without one?): save it as UTF-8, or as UTF-16 with a byte-order mark\n"},
      {"half a UTF-16 unit at the end",
       {"ne-to-am", "--lines", "--no-header"},
       std::string("\xFF\xFE"
                   "3\0"
                   "0\0"
                   "2\0"
                   "1\0"
                   "\n\0"
                   "4",
                   13),
       std::string("\xFF\xFE", 2) +
           [] {
             std::string row, utf16;
             row = "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n";
             for (char c : row) {
               utf16 += c;
               utf16 += '\0';
             }
             return utf16;
           }(),
       "varve-batch: standard input: the file ends inside a UTF-16 character (an odd number of "
       "bytes); the rows before it were written\n"},
  };
  for (const Case& c : cases) {
    testing_process::Result r = run_batch(c.arguments, c.input);
    EXPECT_EQ(r.output, c.output) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
  }
}

/// ASCII `text` in UTF-16 of the byte order `little`, after its byte-order mark.
std::string utf16_of_ascii(std::string_view text, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : text) {
    out += little ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return out;
}

// A file cut after an odd byte, whatever that byte (a lone NUL included) and
// in both byte orders, is reported with status 1 after the rows before the
// cut, in each mode that reads UTF-16. The list mode reads no UTF-16: there
// the file's first token, which holds the byte-order mark, is refused with
// status 1, whatever the last byte. Under a launcher, which starts each run
// slowly, a sample of the last bytes.
TEST(Utf16, AFileCutInsideACharacterIsReportedInEveryMode) {
  const std::string cut =
      "varve-batch: standard input: the file ends inside a UTF-16 character (an odd number of "
      "bytes); the rows before it were written\n";
  struct Mode {
    std::vector<std::string> arguments;
    std::string text;
  };
  const Mode modes[] = {
      {{"ne-to-am", "--lines"}, "3021\r\n4282\r\n"},
      {{"am-to-ne", "--column", "am"}, "id,am\r\nS1,3021\r\n"},
  };
  // A sample of last bytes: a NUL, a line end, a digit, halves of a
  // surrogate and of a byte-order mark.
  const std::vector<int> sample = {0x00, 0x01, '\n', '\r', '3', 0xD8, 0xDC, 0xFE, 0xFF};
  std::vector<int> every_byte;
  for (int last = 0; last <= 0xFF; ++last) {
    every_byte.push_back(last);
  }
  const std::vector<int>& last_bytes = launched() ? sample : every_byte;
  for (bool little : {true, false}) {
    const char* order = little ? "LE" : "BE";
    for (const Mode& mode : modes) {
      const std::string whole = utf16_of_ascii(mode.text, little);
      testing_process::Result uncut = run_batch(mode.arguments, whole);
      ASSERT_EQ(uncut.status, 0) << order << " " << mode.arguments[1] << ": " << uncut.error;
      for (int last : last_bytes) {
        testing_process::Result r = run_batch(mode.arguments, whole + static_cast<char>(last));
        EXPECT_EQ(r.output, uncut.output) << order << " " << mode.arguments[1] << " " << last;
        EXPECT_EQ(r.error, cut) << order << " " << mode.arguments[1] << " " << last;
        EXPECT_EQ(r.status, 1) << order << " " << mode.arguments[1] << " " << last;
      }
    }
    for (int last : sample) {
      testing_process::Result r = run_batch(
          {"ne-to-am", "--no-header"}, utf16_of_ascii("3021\n", little) + static_cast<char>(last));
      EXPECT_NE(r.error, "") << order << " list " << last;
      EXPECT_EQ(r.status, 1) << order << " list " << last;
    }
  }
}

}  // namespace
