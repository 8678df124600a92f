#ifndef VARVE_CONSOLE_SYSTEM_H_
#define VARVE_CONSOLE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace console {

/// Why a console statement failed: 10000-10072 are the console services' own
/// failures, every other value is an operating-system code for a refused write.
using FailureCode = std::int32_t;

/// The operating-system services the console channels rest on: the three
/// standard streams and the end of the process. One implementation per platform
/// (system_posix.cpp, system_windows.cpp); tests supply one in memory.
class System {
 public:
  virtual ~System() = default;

  /// Reads at most `size` bytes of standard input into `buffer`, blocking until
  /// some arrive. Returns the count; 0 means end of input (a failed read too).
  virtual std::size_t read_input(char* buffer, std::size_t size) = 0;

  /// Hands all of `bytes` to standard output in one request (continuing after a
  /// short write). Returns nothing, or the failure code of a refused write.
  virtual std::optional<FailureCode> write_output(std::string_view bytes) = 0;

  /// Writes `bytes` to standard error in one request; a failure is ignored.
  virtual void write_error(std::string_view bytes) = 0;

  /// The operating system's own text for a code returned by write_output, or an
  /// empty text where it has none.
  virtual std::string_view error_text(FailureCode code) = 0;

  /// Ends the process with `status` (0, or -1 after a failure).
  [[noreturn]] void exit_process(int status) {
    end_process(status);
    std::abort();  // Not reached: end_process does not return.
  }

 protected:
  /// Ends the process with `status`, or (in a test) leaves by an exception.
  virtual void end_process(int status) = 0;
};

/// The System of the running process, bound to its real standard streams.
System& process_system();

}  // namespace console

#endif  // VARVE_CONSOLE_SYSTEM_H_
