// varve-batch's column mode on long rows, through real pipes: a notes cell of
// 100 KB and a row of 10 MB come back whole, and only a row past the limit of
// 64 MiB (a quote that never closes, most likely) stops the run, after the rows
// before it, with a message that says so.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process.h"
#include "programs.h"

namespace {

using testing_programs::batch_program;

const std::string kAdded = ",sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets";
const std::string k3021 = ",LC,split,3021,3021,3021,3022,false";

testing_process::Result column(const std::string& input) {
  std::vector<std::string> command = batch_program();
  for (const char* argument : {"ne-to-am", "--column", "ne"}) {
    command.emplace_back(argument);
  }
  return testing_process::run(command, input);
}

TEST(LongRows, ANotesCellOf100KBAndARowOf10MBComeBackWhole) {
  std::string notes(100 * 1000, 'n');
  std::string wide;  // 10 MB of cells, each under a header of its own.
  std::string headers;
  while (wide.size() < 10 * 1000 * 1000) {
    wide += "\"a, quoted cell\",";
    headers += ",h";
  }
  const std::string input = "ne" + headers + ",notes\n3021," + notes + "\n3021," + wide + "x\n";
  testing_process::Result r = column(input);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.status, 0);
  // Compared by size first: a mismatch of megabytes would flood the log. The
  // short row is made as wide as the header.
  std::string expected = "ne" + headers + ",notes" + kAdded + "\n3021," + notes +
                         std::string(headers.size() / 2, ',') + k3021 + "\n3021," + wide + "x" +
                         k3021 + "\n";
  ASSERT_EQ(r.output.size(), expected.size());
  EXPECT_TRUE(r.output == expected);
}

TEST(LongRows, ARowPast64MiBStopsTheRunAfterTheRowsBeforeIt) {
  const std::string input =
      "ne,notes\n3021,fine\n3021,\"never closed" + std::string((64 << 20) + 1, 'x') + "\n3021,x\n";
  testing_process::Result r = column(input);
  EXPECT_EQ(r.output, "ne,notes" + kAdded + "\n3021,fine" + k3021 + "\n");
  EXPECT_EQ(r.error,
            "varve-batch: line 3: a row longer than 64 MiB (a quote that never closes?); the rows "
            "before it were written\n");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
