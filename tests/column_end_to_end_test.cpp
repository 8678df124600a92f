// Runs varve-batch's column mode through real pipes on files that spreadsheet
// programs wrote (tests/fixtures) and on files of its own: every row must come
// back byte for byte with the added cells after it, and those cells must be
// what the list mode gives for the same numbers.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"
#include "programs.h"

namespace {

using testing_programs::read_file;
using testing_programs::run_batch;

/// A row as RFC 4180 reads it: raw fields and the line end.
struct Row {
  std::vector<std::string> fields;
  std::string end;
};

/// Splits `text` into rows; a quote toggles quoting, as in well-formed files.
std::vector<Row> rows_of(const std::string& text, char separator) {
  std::vector<Row> rows(1);
  bool quoted = false;
  rows.back().fields.emplace_back();
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    quoted ^= c == '"';
    if (!quoted && (c == '\n' || c == '\r')) {
      bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
      rows.back().end = crlf ? "\r\n" : std::string(1, c);
      i += crlf;
      rows.emplace_back().fields.emplace_back();
    } else if (!quoted && c == separator) {
      rows.back().fields.emplace_back();
    } else {
      rows.back().fields.back() += c;
    }
  }
  if (rows.back().fields.size() == 1 && rows.back().fields[0].empty()) {
    rows.pop_back();
  }
  return rows;
}

/// A cell's text: without its quotes.
std::string unquoted(std::string field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = field.substr(1, field.size() - 2);
  }
  return field;
}

/// The cells the list mode gives for `number` (with commas), as the column
/// mode must add them: ne-to-am as they are, am-to-ne by NE sequence.
std::vector<std::string> expected_cells(const std::string& direction, const std::string& cell) {
  bool ne = direction == "ne-to-am";
  if (cell.empty()) {
    return std::vector<std::string>(7);
  }
  // Each number is asked for once: under Wine every start of a program counts.
  static std::map<std::string, std::vector<std::string>> known;
  if (auto found = known.find(direction + " " + cell); found != known.end()) {
    return found->second;
  }
  std::vector<std::string>& cells = known[direction + " " + cell];
  testing_process::Result r = run_batch({direction, "--format", "csv", "--no-header", "--", cell});
  cells.resize(7);
  if (r.status != 0) {
    cells[ne ? 1 : 0] = "invalid";
    cells[ne ? 1 : 3] = "invalid";
    return cells;
  }
  std::vector<Row> rows = rows_of(r.output, ',');
  if (ne) {
    cells.assign(rows[0].fields.begin() + 1, rows[0].fields.end());
    return cells;
  }
  for (const Row& row : rows) {
    const auto& f = row.fields;  // input, sequence, relation, ne_first, ne_last, ..., flag
    std::size_t at = f[1] == "UC" ? 3 : 0;
    cells[at] = f[2];
    if (f[2] != "outside") {
      cells[at + 1] = f[3];
      cells[at + 2] = f[4];
      cells[6] = cells[6] == "true" ? "true" : f[7];
    } else {
      cells[3] = "outside";
    }
  }
  return cells;
}

struct Fixture {
  const char* file;
  char separator;
};

TEST(ColumnMode, KeepsSpreadsheetFilesWholeAndAddsTheConversion) {
  const std::vector<Fixture> fixtures = {
      {"libreoffice_comma.csv", ','},    {"libreoffice_semicolon.csv", ';'},
      {"libreoffice_tab.tsv", '\t'},     {"libreoffice_semicolon_cp1252.csv", ';'},
      {"excel_style_bom_crlf.csv", ','},
  };
  const std::string bad_cells =
      "varve-batch: line 7, column 3: not a whole number: 'n/a'\n"
      "varve-batch: line 10, column 3: not a whole number: '4282?' (4282 marked uncertain: write "
      "4282 alone to convert it)\n";
  for (const Fixture& fixture : fixtures) {
    std::string path = std::string(VARVE_FIXTURES) + "/" + fixture.file;
    std::string input = read_file(path);
    std::vector<Row> input_rows = rows_of(input, fixture.separator);
    ASSERT_EQ(input_rows.size(), 9u) << fixture.file;
    for (auto [direction, column, index] :
         {std::tuple{"ne-to-am", "ne_varve", 2}, std::tuple{"am-to-ne", "am_varve", 3}}) {
      std::string where = std::string(fixture.file) + " " + direction;
      // The file from standard input, as it was given.
      testing_process::Result r = run_batch({direction, "--column", column}, input);
      EXPECT_EQ(r.status, index == 2 ? 1 : 0) << where;
      EXPECT_EQ(r.error, index == 2 ? bad_cells : "") << where;
      std::vector<Row> output_rows = rows_of(r.output, fixture.separator);
      ASSERT_EQ(output_rows.size(), input_rows.size()) << where << "\n" << r.output;
      std::string rebuilt;
      for (std::size_t i = 0; i < output_rows.size(); ++i) {
        const Row& row = output_rows[i];
        ASSERT_EQ(row.fields.size(), input_rows[i].fields.size() + 7) << where << " row " << i;
        std::vector<std::string> kept(row.fields.begin(), row.fields.end() - 7);
        std::vector<std::string> added(row.fields.end() - 7, row.fields.end());
        for (const std::string& field : kept) {
          rebuilt += field + fixture.separator;
        }
        rebuilt.back() = '\0';
        rebuilt.pop_back();
        rebuilt += row.end;
        if (i == 0) {
          EXPECT_EQ(added[0], index == 2 ? "sequence" : "lc_relation") << where;
        } else {
          std::string cell = unquoted(input_rows[i].fields[static_cast<std::size_t>(index)]);
          EXPECT_EQ(added, expected_cells(direction, cell)) << where << " row " << i;
        }
      }
      EXPECT_EQ(rebuilt, input) << where;
      // The same from the file, by column number (for one file: under Wine
      // every start of a program takes seconds).
      if (fixture.separator == ';') {
        testing_process::Result from_file =
            run_batch({direction, "--column", std::to_string(index + 1), path});
        EXPECT_EQ(from_file.output, r.output) << where;
      }
    }
  }
}

using Case = testing_programs::BatchCase;

TEST(ColumnMode, ReportsFaultsAndKeepsWholeRows) {
  const std::string names = ",sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets";
  const std::vector<Case> cases = {
      {"CR LF and no line end at the end",
       {"ne-to-am", "--column", "1", "--no-header", "-"},
       "2700\r\n3021",
       "2700,LC,corresponds,2700,2700,2700,2700,false\r\n3021,LC,split,3021,3021,3021,3022,false",
       "",
       0},
      {"a quote that never closes",
       {"ne-to-am", "--column", "ne"},
       "ne,note\n2700,\"fine\"\n2700,\"never closed\n2700,x\n",
       "ne,note" + names + "\n2700,\"fine\",LC,corresponds,2700,2700,2700,2700,false\n",
       "varve-batch: line 3: a quote opens a cell that never closes; the rows before it were "
       "written\n",
       1},
      {"a new column's name already taken",
       {"ne-to-am", "--column", "ne"},
       "ne,sequence\n2700,1\n",
       "",
       "varve-batch: line 1: the header already has a column named 'sequence': rename it, or name "
       "the added columns with --prefix\n",
       1},
      {"--prefix",
       {"ne-to-am", "--column", "ne", "--prefix", "v_"},
       "ne;sequence\n",
       "ne;sequence;v_sequence;v_relation;v_ne_first;v_ne_last;v_am_first;v_am_last;"
       "v_false_couplets\n",
       "",
       0},
  };
  testing_programs::expect_batch_runs(cases);
  testing_process::Result usage = run_batch({"ne-to-am", "--column", "ne", "--no-header"});
  EXPECT_EQ(usage.status, 2);
  testing_process::Result missing = run_batch({"ne-to-am", "--column", "1", "no-such-file.csv"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.error.rfind("varve-batch: cannot open no-such-file.csv: ", 0), 0u)
      << missing.error;
}

TEST(ColumnMode, OpensAFileWithANonAsciiName) {
  // In the working folder: a relative name means the same under Wine.
  std::filesystem::create_directories("column-test-files");
  const std::string name =
      "column-test-files/Proben_\xC3\x9C"
      "berlingen.csv";
  std::string input = read_file(std::string(VARVE_FIXTURES) + "/excel_style_bom_crlf.csv");
  std::ofstream(std::filesystem::u8path(name), std::ios::binary) << input;
  testing_process::Result from_file = run_batch({"ne-to-am", "--column", "ne_varve", name});
  testing_process::Result from_input = run_batch({"ne-to-am", "--column", "ne_varve"}, input);
  EXPECT_EQ(from_file.status, 1) << from_file.error;
  EXPECT_EQ(from_file.output, from_input.output);
  EXPECT_GT(from_file.output.size(), input.size());
}

}  // namespace
