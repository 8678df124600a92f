#ifndef VARVE_TESTS_PROGRAMS_H_
#define VARVE_TESTS_PROGRAMS_H_

// The programs the end-to-end tests drive, and what their tests share.

#include <string>
#include <string_view>
#include <vector>

#include "process.h"

namespace testing_programs {

/// The command that starts varve-batch: VARVE_BATCH when set, else the
/// program built beside the tests; behind VARVE_LAUNCHER when that is set.
const std::vector<std::string>& batch_program();
/// The command that starts varve-convert, found the same way (VARVE_CONVERT).
const std::vector<std::string>& convert_program();
/// True when the programs run under a launcher (Wine) rather than natively.
bool launched();
/// `program` followed by `arguments`.
std::vector<std::string> command(const std::vector<std::string>& program,
                                 const std::vector<std::string>& arguments);
/// Runs varve-batch with `arguments` and `input` on its standard input.
testing_process::Result run_batch(const std::vector<std::string>& arguments,
                                  std::string_view input = {});
/// A run of varve-batch and all it should give.
struct BatchCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string input;
  std::string output;
  std::string error;
  int status;
};
/// Runs each case and compares its standard output, standard error and exit
/// status, byte for byte.
void expect_batch_runs(const std::vector<BatchCase>& cases);
/// The bytes of the file at `path`; a test failure when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace testing_programs

#endif  // VARVE_TESTS_PROGRAMS_H_
