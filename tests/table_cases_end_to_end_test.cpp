// The shared table of table cases (table_cases.tsv) through varve-batch, over
// real pipes: each case's output, messages and exit status, byte for byte;
// each interval converted in a file agrees with varve-batch span;
// and a run stopped by a fault in the input writes, from a named file, the
// rows that it writes from standard input, since a file is read once, as a
// stream, and not checked whole first.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"
#include "programs.h"
#include "table_cases.h"

namespace {

using testing_programs::run_batch;

/// The lines of `error` that varve-batch's messages start, without their start.
std::string messages_of(const std::string& error) {
  constexpr std::string_view kStart = "varve-batch: ";
  std::string messages;
  for (std::size_t at = 0; at < error.size();) {
    std::size_t end = error.find('\n', at);
    end = end == std::string::npos ? error.size() : end + 1;
    std::string_view line = std::string_view(error).substr(at, end - at);
    if (line.starts_with(kStart)) {
      messages.append(line.substr(kStart.size()));
    }
    at = end;
  }
  return messages;
}

TEST(TableCases, EveryCaseThroughVarveBatch) {
  std::vector<table_cases::Case> cases = table_cases::load(VARVE_TABLE_CASES);
  std::filesystem::create_directories("table-case-files");
  std::size_t from_files = 0;
  for (const table_cases::Case& c : cases) {
    testing_process::Result r = run_batch(c.arguments, c.input);
    EXPECT_EQ(r.output, c.output) << c.name;
    EXPECT_EQ(messages_of(r.error), c.messages) << c.name;
    EXPECT_EQ(r.status, c.status) << c.name;
    if (c.status == 1 && !c.output.empty()) {
      // In the working folder: a relative name means the same under Wine.
      std::string path = "table-case-files/case.csv";
      std::ofstream(path, std::ios::binary) << c.input;
      std::vector<std::string> arguments = c.arguments;
      arguments.push_back(path);
      testing_process::Result from_file = run_batch(arguments);
      EXPECT_EQ(from_file.output, c.output) << c.name << ", from a file";
      EXPECT_EQ(from_file.status, c.status) << c.name << ", from a file";
      ++from_files;
    }
  }
  std::printf("ran %zu table cases through varve-batch, %zu of them from a file too\n",
              cases.size(), from_files);
}

/// The fields of one line of CSV text separated by `sep`, quotes removed.
std::vector<std::string> fields_of(std::string_view line, char sep) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += c;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == sep && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

/// "5580-5700", or "5580" for one varve, as an account writes a range.
std::string range_text(const std::string& first, const std::string& last) {
  return first == last ? first : first + "-" + last;
}

/// "121 NE varves", as an account counts.
std::string count_text(const std::string& n, const char* one, const char* many) {
  return n + " " + (n == "1" ? one : many);
}

/// The lines of `varve-batch span` that a converted interval's cells
/// (`added`, in the columns' order) must agree with: each part's headline
/// (its start, for am-to-ne, whose headline may go on) and its durations.
std::vector<std::string> account_lines(bool ne_to_am, const std::vector<std::string>& added) {
  if (ne_to_am) {
    return {"NE-" + added[0] + " " + range_text(added[1], added[2]) + " spans AM " +
                range_text(added[3], added[4]),
            "  duration: " + count_text(added[5], "NE varve", "NE varves") + ", " +
                count_text(added[6], "AM varve (year)", "AM varves (years)")};
  }
  std::vector<std::string> lines;
  for (std::size_t at : {std::size_t{0}, std::size_t{10}}) {
    if (!added[at].empty()) {
      lines.push_back("AM " + range_text(added[at + 2], added[at + 3]) + " spans NE-" +
                      (at == 0 ? "LC " : "UC ") + range_text(added[at], added[at + 1]));
      lines.push_back(
          "  duration: " + count_text(added[at + 5], "AM varve (year)", "AM varves (years)") +
          ", " + count_text(added[at + 4], "NE varve", "NE varves"));
    }
  }
  return lines;
}

// Every converted interval of a file agrees with `varve-batch span` given
// the same two ends: its ends, in both chronologies, and its durations.
TEST(TableCases, EachIntervalInAFileIsWhatTheSpanCommandSays) {
  std::size_t checked = 0;
  for (const table_cases::Case& c : table_cases::load(VARVE_TABLE_CASES)) {
    auto option = std::find(c.arguments.begin(), c.arguments.end(), "--span-columns");
    if (option == c.arguments.end() || c.output.empty()) {
      continue;
    }
    bool ne_to_am = c.arguments[0] == "ne-to-am";
    std::size_t width = ne_to_am ? 13 : 22;
    std::istringstream input(c.input), output(c.output);
    std::string given, written;
    std::getline(input, given);
    std::getline(output, written);
    char sep = given.find(';') != std::string::npos ? ';' : ',';
    std::vector<std::string> header = fields_of(given, sep);
    // The ends' columns, by header or by number.
    std::vector<std::string> ends = fields_of(option[1], ',');
    std::vector<std::size_t> columns;
    for (const std::string& end : ends) {
      auto named = std::find(header.begin(), header.end(), end);
      columns.push_back(named != header.end() ? static_cast<std::size_t>(named - header.begin())
                                              : std::stoul(end) - 1);
    }
    while (std::getline(input, given) && std::getline(output, written)) {
      std::vector<std::string> row = fields_of(given, sep);
      std::vector<std::string> cells = fields_of(written, sep);
      std::vector<std::string> added(cells.end() - static_cast<std::ptrdiff_t>(width), cells.end());
      // Not converted (the cases' rows say why), or no interval at all: no
      // sequence, no LC and no UC part.
      bool none = added.front().empty() && (ne_to_am || added[10].empty());
      if (!added.back().empty() || none) {
        continue;
      }
      std::string top = row.at(columns[0]), bottom = row.at(columns[1]);
      testing_process::Result span = run_batch({"span", c.arguments[0], top, bottom});
      for (const std::string& line : account_lines(ne_to_am, added)) {
        EXPECT_NE(span.output.find(line), std::string::npos)
            << c.name << ": " << top << " " << bottom << ": " << line << "\n"
            << span.output;
      }
      ++checked;
    }
  }
  EXPECT_GE(checked, 7u);
}

}  // namespace
