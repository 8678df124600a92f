#ifndef VARVE_PLATFORM_STREAMS_H_
#define VARVE_PLATFORM_STREAMS_H_

// Byte I/O on the standard streams and on files, the same on every platform:
// bytes pass unchanged (no line-end or code-page translation), short and
// interrupted transfers are finished, and a failure comes back as a value
// with the system's error code. streams_posix.cpp or streams_windows.cpp is
// picked by the build.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// A system error code: errno on POSIX, GetLastError() on Windows; 0 is none.
using ErrorCode = int;

/// The three standard streams.
enum class StandardStream { kInput, kOutput, kError };

/// What became of a write.
enum class WriteOutcome {
  kWritten,     ///< Every byte was handed over.
  kReaderGone,  ///< The stream is a pipe whose reader has gone.
  kFailed,      ///< The system refused the write (a full disk, a size limit, ...).
};

/// A write's outcome, with the system's code when it did not succeed.
struct WriteResult {
  WriteOutcome outcome = WriteOutcome::kWritten;
  ErrorCode error = 0;
};

/// Hands every byte of `bytes` to `stream`, going on after short and
/// interrupted writes, with the stream looked up anew for the call.
WriteResult write_all(StandardStream stream, std::string_view bytes);

/// A read's outcome: the bytes received (0 at the end of input), or an error.
struct ReadResult {
  std::size_t count = 0;
  ErrorCode error = 0;
};

/// A source of bytes: standard input, or a file this process opened.
class ByteSource {
 public:
  /// The process's standard input, looked up anew for every read.
  static ByteSource standard_input();

  /// Opens the file named `path` (UTF-8, on every platform) for reading; on
  /// failure the source is closed and `error` holds the system's code.
  static ByteSource open_file(const std::string& path, ErrorCode& error);

  ByteSource(ByteSource&& other) noexcept;
  ByteSource& operator=(ByteSource&& other) noexcept;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  ~ByteSource();

  /// Reads at most `size` bytes into `buffer`, blocking until some arrive;
  /// interrupted reads are retried.
  ReadResult read(char* buffer, std::size_t size);

  /// True when the source is a terminal, where input comes a line at a time.
  bool is_terminal() const;

 private:
  enum class Kind { kStandardInput, kFile, kClosed };
  ByteSource(Kind kind, std::intptr_t handle) : kind_(kind), handle_(handle) {}
  /// Closes a file this process opened: the platform's part of the destructor.
  static void close_file(std::intptr_t handle);

  Kind kind_;
  std::intptr_t handle_;  ///< kFile: the descriptor or HANDLE.
};

/// The platform's own text for `code`.
std::string error_text(ErrorCode code);

/// Makes the I/O conditions whose default on POSIX is to end the process by
/// signal, silently (a pipe whose reader has gone, a file-size limit), come
/// back from the write as an error instead. Nothing to do on Windows.
void report_io_signals_as_errors();

/// The command-line arguments after the program name, as UTF-8: on Windows
/// they are taken from the wide command line, so that any file name survives.
std::vector<std::string> arguments(int argc, char** argv);

}  // namespace platform

#endif  // VARVE_PLATFORM_STREAMS_H_
