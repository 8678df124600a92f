#ifndef VARVE_TESTS_PROCESS_H_
#define VARVE_TESTS_PROCESS_H_

#include <sys/types.h>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace testing_process {

/// Where a child's standard output goes.
enum class Output {
  kPipe,        ///< A pipe the test reads.
  kFull,        ///< /dev/full: every write fails with ENOSPC.
  kClosed,      ///< No descriptor 1 at all.
  kClosedPipe,  ///< A pipe whose reading end is already closed.
  kFile,        ///< The file Options::output_file, created empty.
};

/// How a child is started.
struct Options {
  Output output = Output::kPipe;
  bool close_input = false;             ///< Start with no descriptor 0.
  bool close_error = false;             ///< Start with no descriptor 2.
  std::size_t address_space_limit = 0;  ///< If set, the child's RLIMIT_AS in bytes.
  std::size_t file_size_limit = 0;      ///< If set, the child's RLIMIT_FSIZE in bytes.
  const char* output_file = nullptr;    ///< Output::kFile: the file's path.
  bool terminal_input = false;          ///< Standard input is a pseudo-terminal, without echo.
};

/// A program running with pipes on its standard streams.
class Child {
 public:
  /// Starts the program `command` (its path, then its arguments) with `options`.
  Child(const std::vector<std::string>& command, const Options& options);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  /// Writes `bytes` to the child's standard input; false once the child has
  /// stopped reading.
  bool write_input(std::string_view bytes);

  /// Closes the child's standard input; on a terminal, types Ctrl-D instead.
  void close_input();

  /// Collects standard output and error for up to `milliseconds`, or until
  /// standard output holds `until` (when given).
  void collect(int milliseconds, std::string_view until = {});

  /// Feeds `input`, closes standard input, collects everything until both
  /// output pipes close, and returns the exit status (or 128 + signal).
  int finish(std::string_view input = {});

  /// Sends `signal` to the child.
  void signal(int signal);

  std::string output;  ///< Standard output received so far.
  std::string error;   ///< Standard error received so far, less Wine's own lines.
  std::string wine;    ///< Wine's own lines, set aside from standard error.

 private:
  bool read_some(int timeout_ms);
  /// Under a launcher, moves Wine's own whole lines from `error` to `wine`.
  void set_aside_wine_lines();
  int wait();

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  int error_ = -1;
  int terminal_ = -1;  ///< The pseudo-terminal's master, kept open until the end.
};

/// What a whole run of a program gave.
struct Result {
  std::string output;
  std::string error;  ///< Less Wine's own lines.
  std::string wine;   ///< Wine's own lines, when the program ran under Wine.
  int status = -1;
};

/// True for a line (without its line end) that Wine itself writes on a
/// program's standard error: its loader's and crash handler's "wine: ..."
/// lines, and its debug channels' "fixme:", "err:", "warn:" and "trace:"
/// lines, which may start with a four- to eight-digit hexadecimal thread
/// number and a colon. Nothing else: a program's own text, a debugger's dump,
/// or half a line is compared as it is.
bool is_wine_line(std::string_view line);

/// Moves every whole line of `error` that is_wine_line() takes for Wine's own
/// into the result, keeping the rest byte for byte.
std::string take_wine_lines(std::string& error);

/// The command that starts the program named by the environment variable
/// `variable` (or `path` when it is not set), through the launcher
/// VARVE_LAUNCHER when one is set (Wine).
std::vector<std::string> program(const char* variable, const char* path);

/// Runs `command` with `input` on standard input until it ends; under Wine, a
/// run that writes nothing at all is made up to twice more.
Result run(const std::vector<std::string>& command, std::string_view input,
           const Options& options = {});

}  // namespace testing_process

#endif  // VARVE_TESTS_PROCESS_H_
