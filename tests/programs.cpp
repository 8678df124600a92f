#include "programs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

// The native build names the programs built beside the tests; the Windows
// build's host tests get them from the environment only.
#ifndef VARVE_BATCH_PATH
#define VARVE_BATCH_PATH ""
#endif
#ifndef VARVE_CONVERT_PATH
#define VARVE_CONVERT_PATH ""
#endif

namespace testing_programs {

const std::vector<std::string>& batch_program() {
  static const std::vector<std::string> command =
      testing_process::program("VARVE_BATCH", VARVE_BATCH_PATH);
  return command;
}

const std::vector<std::string>& convert_program() {
  static const std::vector<std::string> command =
      testing_process::program("VARVE_CONVERT", VARVE_CONVERT_PATH);
  return command;
}

bool launched() {
  const char* launcher = std::getenv("VARVE_LAUNCHER");
  return launcher != nullptr && *launcher != '\0';
}

std::vector<std::string> command(const std::vector<std::string>& program,
                                 const std::vector<std::string>& arguments) {
  std::vector<std::string> whole = program;
  whole.insert(whole.end(), arguments.begin(), arguments.end());
  return whole;
}

testing_process::Result run_batch(const std::vector<std::string>& arguments,
                                  std::string_view input) {
  return testing_process::run(command(batch_program(), arguments), input);
}

void expect_batch_runs(const std::vector<BatchCase>& cases) {
  for (const BatchCase& c : cases) {
    testing_process::Result r = run_batch(c.arguments, c.input);
    EXPECT_EQ(r.output, c.output) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.status, c.status) << c.name;
  }
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace testing_programs
