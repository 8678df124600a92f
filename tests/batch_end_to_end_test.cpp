// Runs the built varve-batch through real pipes, and checks its tables against
// what the interactive varve-convert prints for every accepted number. The
// programs come from VARVE_BATCH and VARVE_CONVERT, started through the
// launcher VARVE_LAUNCHER when one is set (Wine, for the Windows build).

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "chronology/tables_identity.h"
#include "process.h"
#include "programs.h"

namespace {

using testing_programs::batch_program;
using testing_programs::convert_program;
using testing_programs::launched;
using testing_programs::run_batch;

const std::string kHeader =
    "input\tsequence\trelation\tne_first\tne_last\tam_first\tam_last\tfalse_couplets\n";

/// The command that runs varve-batch with `arguments`.
std::vector<std::string> batch_command(const std::vector<std::string>& arguments) {
  return testing_programs::command(batch_program(), arguments);
}

using Case = testing_programs::BatchCase;

TEST(Batch, ConvertsArgumentsAndStandardInput) {
  const std::vector<Case> cases = {
      {"the examples",
       {"ne-to-am", "--no-header", "3021", "4282", "5674", "6500"},
       "",
       "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n"
       "4282\tLC\tjoined\t4281\t4282\t4294\t4294\tfalse\n"
       "5674\tLC\tjoined\t5672\t5676\t5691\t5691\ttrue\n"
       "6500\t\toutside\t\t\t\t\t\n",
       "",
       0},
      {"standard input with separators and comments",
       {"am-to-ne", "--format", "csv"},
       "# AM numbers from core 7\r\n6245, 7000;2500 # top\r\n\t8700\n",
       "input,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets\n"
       "6245,LC,corresponds,6230,6230,6245,6245,false\n"
       "6245,UC,corresponds,6562,6562,6245,6245,false\n"
       "7000,UC,corresponds,7318,7318,7000,7000,false\n"
       "2500,LC,corresponds,2500,2500,2500,2500,false\n"
       "8700,UC,corresponds,9018,9018,8700,8700,false\n",
       "",
       0},
      {"bad tokens are reported and skipped",
       {"ne-to-am", "--no-header"},
       "2700\n12.5 3021\nx\n-00042 99999999999\n",
       "2700\tLC\tcorresponds\t2700\t2700\t2700\t2700\tfalse\n"
       "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n"
       "-00042\t\toutside\t\t\t\t\t\n"
       "99999999999\t\toutside\t\t\t\t\t\n",
       "varve-batch: line 2: not a whole number: '12.5'\n"
       "varve-batch: line 3: not a whole number: 'x'\n",
       1},
      {"a bad argument",
       {"am-to-ne", "--format=jsonl", "1e3", "8700"},
       "",
       "{\"input\":\"8700\",\"sequence\":\"UC\",\"relation\":\"corresponds\",\"ne_first\":9018,"
       "\"ne_last\":9018,\"am_first\":8700,\"am_last\":8700,\"false_couplets\":false}\n",
       "varve-batch: argument 3: not a whole number: '1e3'\n",
       1},
      {"a control byte is shown escaped",
       {"ne-to-am", "--no-header"},
       "\x1b[2J\n",
       "",
       "varve-batch: line 1: not a whole number: '\\x1B[2J'\n",
       1},
      {"empty input gives the header alone", {"ne-to-am"}, "", kHeader, "", 0},
  };
  testing_programs::expect_batch_runs(cases);
}

TEST(Batch, UsageErrorsWriteNothingOnStandardOutput) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"convert"},
      {"ne-to-am", "--format", "xml"},
      {"ne-to-am", "--bogus"},
      // An option without a value given one: refused, not taken as the option.
      {"ne-to-am", "--no-header=no", "3021"},
      {"table"},
      {"table", "ne-to-am", "2700"},
      {"chart", "--mark", "6500"},
  };
  for (const auto& arguments : cases) {
    testing_process::Result r = run_batch(arguments);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.output, "");
    EXPECT_NE(r.error.find("usage: varve-batch"), std::string::npos) << r.error;
  }
  testing_process::Result help = run_batch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("usage: varve-batch"), std::string::npos);
  EXPECT_EQ(help.error, "");
}

TEST(Batch, VersionNamesTheTablesAsTheEngineComputesThem) {
  // The program's checksum, worked out by its own compiler for its own target
  // (under Wine, MinGW's), against the one worked out here.
  testing_process::Result r = run_batch({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.error, "");
  std::size_t line_end = r.output.find('\n');
  ASSERT_NE(line_end, std::string::npos) << r.output;
  EXPECT_TRUE(r.output.starts_with("varve-batch ")) << r.output;
  EXPECT_EQ(r.output.substr(line_end + 1), std::string(chronology::kTablesIdentity) + "\n");
}

TEST(Batch, SpanWritesItsAccountOrSaysWhyNotWithStatus1) {
  const std::vector<Case> cases = {
      {"a span converted",
       {"span", "ne-to-am", "3000", "3002"},
       "",
       "NE-LC 3000-3002 spans AM 3000-3002\n"
       "  duration: 3 NE varves, 3 AM varves (years)\n"
       "  no corrections inside: one AM varve to each NE varve\n",
       "",
       0},
      {"the larger end first, as a core log's top",
       {"span", "ne-to-am", "3002", "3000"},
       "",
       "NE-LC 3000-3002 spans AM 3000-3002\n"
       "  duration: 3 NE varves, 3 AM varves (years)\n"
       "  no corrections inside: one AM varve to each NE varve\n",
       "",
       0},
      {"one not converted",
       {"span", "am-to-ne", "8600-8800"},
       "",
       "",
       "varve-batch: AM 8600-8800 is not converted:\n"
       "  its last end, AM 8800, lies above the accepted range AM 2500-8700\n"
       "  the part inside: AM 8600-8700\n",
       1},
  };
  testing_programs::expect_batch_runs(cases);
  testing_process::Result wrong = run_batch({"span", "ne-to-am", "5580"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.output, "");
  EXPECT_NE(wrong.error.find("usage: varve-batch"), std::string::npos) << wrong.error;
}

TEST(Batch, ChartIsOneStandaloneSvgDocument) {
  testing_process::Result r = run_batch({"chart", "am-to-ne", "--mark", "6245"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.output.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=", 0), 0u);
  EXPECT_TRUE(r.output.ends_with("</svg>\n"));
  EXPECT_NE(r.output.find("data-number=\"6245\""), std::string::npos);
}

TEST(Batch, EndsQuietlyWhenTheReaderGoes) {
  testing_process::Options options;
  options.output = testing_process::Output::kClosedPipe;
  std::vector<std::string> command = batch_program();
  command.insert(command.end(), {"table", "ne-to-am"});
  testing_process::Child child(command, options);
  EXPECT_EQ(child.finish(), 0);
  EXPECT_EQ(child.error, "");
}

TEST(Batch, AFileSizeLimitIsReportedWithStatus3) {
  if (launched()) {
    GTEST_SKIP() << "Windows has no file-size limit";
  }
  const std::string path = ::testing::TempDir() + "varve_batch_file_size_limit.tsv";
  testing_process::Options options;
  options.output = testing_process::Output::kFile;
  options.output_file = path.c_str();
  options.file_size_limit = 1024;
  std::vector<std::string> command = batch_program();
  command.insert(command.end(), {"table", "ne-to-am"});
  testing_process::Child child(command, options);
  EXPECT_EQ(child.finish(), 3);
  EXPECT_EQ(child.error, "varve-batch: cannot write standard output: File too large\n");
  std::ifstream file(path, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, run_batch({"table", "ne-to-am"}).output.substr(0, 1024));
  std::remove(path.c_str());
}

TEST(Batch, ReadsSpreadsheetTextAndSplitsArgumentsLikeInput) {
  const std::string row3021 = "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n";
  const std::string row4282 = "4282\tLC\tjoined\t4281\t4282\t4294\t4294\tfalse\n";
  const std::vector<Case> cases = {
      {"a byte-order mark",
       {"ne-to-am", "--no-header"},
       "\xEF\xBB\xBF"
       "3021\r\n",
       row3021,
       "",
       0},
      {"an argument split as input is",
       {"--no-header", "ne-to-am", "3021,4282"},
       "",
       row3021 + row4282,
       "",
       0},
      {"a no-break space shown",
       {"ne-to-am", "--format", "TSV", "--no-header"},
       "3021\xC2\xA0x\n",
       "",
       "varve-batch: line 1: not a whole number: '3021\\xC2\\xA0x'\n",
       1},
      {"a no-break space after a number is a blank, and decimals of zeros a whole number",
       {"ne-to-am", "--no-header"},
       "3021\xC2\xA0\n3021.0\n",
       "3021\xC2\xA0" + row3021.substr(4) + "3021.0" + row3021.substr(4),
       "",
       0},
      {"a hint of what may be meant",
       {"ne-to-am", "--no-header"},
       "4.282 4282?\n",
       "",
       "varve-batch: line 1: not a whole number: '4.282' (a thousands separator? write 4282 "
       "without one to convert it)\n"
       "varve-batch: line 1: not a whole number: '4282?' (4282 marked uncertain: write 4282 alone "
       "to convert it)\n",
       1},
  };
  testing_programs::expect_batch_runs(cases);
  testing_process::Result help = run_batch({"help"});
  testing_process::Result dashes = run_batch({"--help"});
  EXPECT_EQ(help.output, dashes.output) << help.error << dashes.error << help.wine << dashes.wine;
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(dashes.status, 0);
}

TEST(Batch, SaysHowToReadAFileNamedAsAnArgument) {
  char path[] = "/tmp/varve-batch-test-XXXXXX";
  int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "3021\n", 5), 5);
  ::close(fd);
  testing_process::Result r = run_batch({"ne-to-am", "--no-header", path, "x"});
  ::unlink(path);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(r.error, "varve-batch: argument 3: not a whole number: '" + std::string(path) +
                         "'\n"
                         "varve-batch: argument 3 names a file; to convert the numbers in it, "
                         "give it as standard input: varve-batch ne-to-am < " +
                         path +
                         "; or, for one column of a CSV or TSV file: varve-batch ne-to-am "
                         "--column NAME " +
                         path + "\nvarve-batch: argument 4: not a whole number: 'x'\n");
  EXPECT_EQ(r.status, 1);
}

TEST(Batch, ABadTokenStillCountsWhenTheReaderGoes) {
  testing_process::Options options;
  options.output = testing_process::Output::kClosedPipe;
  testing_process::Child child(batch_command({"ne-to-am"}), options);
  std::string input = "2700\nx\n";
  for (int i = 0; i < 100000; ++i) {
    input += "3021\n";
  }
  EXPECT_EQ(child.finish(input), 1);
  EXPECT_EQ(child.error, "varve-batch: line 2: not a whole number: 'x'\n");
}

TEST(Batch, AnOverlongTokenIsSkippedInLittleMemory) {
  if (launched()) {
    GTEST_SKIP() << "Wine cannot start within a limited address space";
  }
#ifdef VARVE_SANITIZED
  GTEST_SKIP() << "the sanitizers' shadow memory does not fit a limited address space";
#endif
  testing_process::Options options;
  options.address_space_limit = 64u << 20;
  testing_process::Child child(batch_command({"ne-to-am", "--no-header"}), options);
  // 128 MiB of digits, twice the address space, then a number.
  std::string digits(1u << 20, '9');
  int written = 0;
  while (written < 128 && child.write_input(digits)) {
    ++written;
  }
  ASSERT_EQ(written, 128) << child.error;
  int status = child.finish("\n3021\n");
  EXPECT_EQ(child.output, "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n");
  EXPECT_EQ(child.error, "varve-batch: line 1: token too long (134217728 bytes), skipped: '" +
                             std::string(20, '9') + "...'\n");
  EXPECT_EQ(status, 1);
}

TEST(Batch, FromATerminalEachLineIsConvertedAsSoonAsItIsTyped) {
  if (launched()) {
    GTEST_SKIP() << "a Windows console is no terminal of the host";
  }
  testing_process::Options options;
  options.terminal_input = true;
  testing_process::Child child(batch_command({"ne-to-am"}), options);
  const std::string rows[] = {kHeader + "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n",
                              "4282\tLC\tjoined\t4281\t4282\t4294\t4294\tfalse\n"};
  ASSERT_TRUE(child.write_input("3021\n"));
  child.collect(10000, rows[0]);
  EXPECT_EQ(child.output, rows[0]);
  ASSERT_TRUE(child.write_input("4282\n"));
  child.collect(10000, rows[0] + rows[1]);
  EXPECT_EQ(child.output, rows[0] + rows[1]);
  EXPECT_EQ(child.finish(), 0);
  EXPECT_EQ(child.output, rows[0] + rows[1]);
  EXPECT_EQ(child.error, "");
}

/// Rows of `table` output, each without its input field, by input number.
std::map<int, std::string> table_rows(const std::string& direction) {
  testing_process::Result r = run_batch({"table", direction, "--no-header"});
  EXPECT_EQ(r.status, 0);
  std::map<int, std::string> rows;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    std::size_t tab = line.find('\t');
    rows[std::stoi(line.substr(0, tab))] += line.substr(tab + 1) + "\n";
  }
  return rows;
}

/// True when the whole of `line` matches the scanf `format`, filling `out`.
template <class... T>
bool scan(const std::string& line, const std::string& format, T*... out) {
  int end = -1;
  std::sscanf(line.c_str(), (format + "%n").c_str(), out..., &end);
  return end == static_cast<int>(line.size());
}

/// The result lines that varve-convert prints for each number it is given in
/// one long session, turned into table rows (without the input field).
std::map<int, std::string> dialogue_rows(int choice, const std::vector<int>& numbers) {
  std::string input;
  for (int n : numbers) {
    input += std::to_string(choice) + "\n" + std::to_string(n) + "\n1\n";
  }
  testing_process::Result r = testing_process::run(convert_program(), input);
  EXPECT_EQ(r.status, 255);  // The input ends at the menu.
  std::vector<std::string> lines;
  std::istringstream stream(r.output);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line.substr(0, line.size() - 1));  // Without the CR.
  }
  const std::string separator = " - - - - - - - - - - - - - - - - - - - - - - - - - - - - ";
  std::map<int, std::string> rows;
  std::size_t next = 0;
  auto add = [&](const char* sequence, const char* relation, int a, int b, int c, int d) {
    char row[128];
    std::snprintf(row, sizeof row, "%s\t%s\t%d\t%d\t%d\t%d\tfalse\n", sequence, relation, a, b, c,
                  d);
    rows[numbers[next]] += row;
  };
  bool in_result = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line == separator) {
      next += in_result;
      in_result = !in_result;
      continue;
    }
    if (!in_result || line == "  ") {
      continue;
    }
    const std::string& second = i + 1 < lines.size() ? lines[i + 1] : line;
    char s[3];
    int a, b, c;
    if (scan(line, " NE-%2s %d corresponds to: AM %d", s, &a, &b)) {
      add(s, "corresponds", a, a, b, b);
    } else if (scan(line, " NE-%2s %d of Brasko original chronology was", s, &a) &&
               scan(second, "  split and now corresponds to AM %d-%d", &b, &c)) {
      add(s, "split", a, a, b, c);
      ++i;
    } else if (scan(line, " NE-%2s %d-%d of Brasko original chronology", s, &a, &b) &&
               scan(second, "  have been joined and now correspond to AM %d", &c)) {
      add(s, "joined", a, b, c, c);
      ++i;
    } else if (scan(line, " AM %d corresponds to: NE-LC %d and NE-UC %d", &a, &b, &c)) {
      add("LC", "corresponds", b, b, a, a);
      add("UC", "corresponds", c, c, a, a);
    } else if (scan(line, " AM %d corresponds to: NE-%2s %d", &a, s, &b)) {
      add(s, "corresponds", b, b, a, a);
    } else if (scan(line, " AM %d-%d were formed by the splitting of", &a, &b) &&
               scan(second, "  NE-%2s %d of Brasko original NE chronology.", s, &c)) {
      add(s, "split", c, c, a, b);
      ++i;
    } else if (scan(line, " AM %d was formed by the joining of", &a) &&
               scan(second, "  NE-%2s %d-%d of Brasko original NE chronology.", s, &b, &c)) {
      add(s, "joined", b, c, a, a);
      ++i;
    } else if (scan(line, "  NE-LC %d-%d represent false annual couplets formed", &a, &b) &&
               second == "   by flood events in the Hudson Valley.") {
      std::string& row = rows[numbers[next]];
      row.replace(row.size() - 6, 5, "true");
      ++i;
    } else {
      ADD_FAILURE() << "unexpected result line for " << numbers[next] << ": " << line;
    }
  }
  return rows;
}

TEST(Batch, TablesAgreeRowByRowWithTheInteractiveProgram) {
  for (auto [direction, choice] : {std::pair{"ne-to-am", 1}, std::pair{"am-to-ne", 2}}) {
    std::map<int, std::string> table = table_rows(direction);
    std::vector<int> numbers;
    for (const auto& [n, rows] : table) {
      numbers.push_back(n);
    }
    ASSERT_EQ(numbers.size(), choice == 1 ? 3961u + 2441u : 6201u);
    std::map<int, std::string> dialogue = dialogue_rows(choice, numbers);
    ASSERT_EQ(dialogue.size(), table.size()) << direction;
    for (const auto& [n, rows] : table) {
      EXPECT_EQ(dialogue[n], rows) << direction << " " << n;
    }
  }
}

}  // namespace
