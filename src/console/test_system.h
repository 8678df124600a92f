#ifndef VARVE_CONSOLE_TEST_SYSTEM_H_
#define VARVE_CONSOLE_TEST_SYSTEM_H_

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/system.h"

namespace console {

/// Thrown in place of ending the process, so that a test can look at the end.
struct ProcessExit {
  int status;
};

/// A System in memory: standard input from a string, handed out in reads of
/// at most `read_size` bytes; standard output and error gathered in strings.
class TestSystem final : public System {
 public:
  explicit TestSystem(std::string input = {}, std::size_t read_size = 256)
      : input_(std::move(input)), read_size_(read_size) {}

  std::size_t read_input(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, read_size_, input_.size() - read_position_});
    std::copy_n(input_.data() + read_position_, n, buffer);
    read_position_ += n;
    ++reads;
    largest_read = std::max(largest_read, size);
    return n;
  }

  std::optional<FailureCode> write_output(std::string_view bytes) override {
    if (refuse_writes_with) {
      return refuse_writes_with;
    }
    writes.emplace_back(bytes);
    output.append(bytes);
    return std::nullopt;
  }

  void write_error(std::string_view bytes) override { error.append(bytes); }

  std::string_view error_text(FailureCode code) override {
    return code == 999 ? "The system's own text." : "";
  }

  void end_process(int status) override { throw ProcessExit{status}; }

  std::string output;                             ///< Everything written to standard output.
  std::vector<std::string> writes;                ///< Each write to standard output.
  std::string error;                              ///< Everything written to standard error.
  std::size_t reads = 0;                          ///< Reads of standard input so far.
  std::size_t largest_read = 0;                   ///< The most bytes any read asked for.
  std::optional<FailureCode> refuse_writes_with;  ///< Set: every write fails so.

 private:
  std::string input_;
  std::size_t read_size_;
  std::size_t read_position_ = 0;
};

}  // namespace console

#endif  // VARVE_CONSOLE_TEST_SYSTEM_H_
