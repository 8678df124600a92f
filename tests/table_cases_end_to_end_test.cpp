// The shared table of table cases (table_cases.tsv) through varve-batch, over
// real pipes: each case's output, messages and exit status, byte for byte;
// and a run stopped by a fault in the input writes, from a named file, the
// rows that it writes from standard input, since a file is read once, as a
// stream, and not checked whole first.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
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

}  // namespace
