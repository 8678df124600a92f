// The console's System on POSIX: descriptors 0, 1 and 2 through the platform's
// byte streams, and _exit(2).

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "console/system.h"
#include "platform/streams.h"

namespace console {
namespace {

/// The code a refused write reports. Errors that have a counterpart among the
/// system codes of the failure report take that code, so the report reads the
/// same on every platform; any other error is carried as its negated errno and
/// described by the platform's own text.
FailureCode failure_code_for_errno(int error) {
  switch (error) {
    case EBADF:
      return 6;
    case EPIPE:
      return 232;
    case ENOSPC:
    case EDQUOT:
      return 112;
    case EACCES:
    case EPERM:
      return 5;
    default:
      return error > 0 ? -error : -EIO;
  }
}

std::optional<FailureCode> write_stream(platform::StandardStream stream, std::string_view bytes) {
  platform::WriteResult result = platform::write_all(stream, bytes);
  if (result.outcome == platform::WriteOutcome::kWritten) {
    return std::nullopt;
  }
  return failure_code_for_errno(result.error);
}

class PosixSystem final : public System {
 public:
  // A write into a pipe whose reader has gone, or past the file-size limit,
  // must come back as a refused write with its report, and not end the
  // process by signal.
  PosixSystem() { platform::report_io_signals_as_errors(); }

  std::size_t read_input(char* buffer, std::size_t size) override {
    // A failed read is the end of input.
    return platform::ByteSource::standard_input().read(buffer, size).count;
  }

  std::optional<FailureCode> write_output(std::string_view bytes) override {
    return write_stream(platform::StandardStream::kOutput, bytes);
  }

  void write_error(std::string_view bytes) override {
    (void)write_stream(platform::StandardStream::kError, bytes);
  }

  std::string_view error_text(FailureCode code) override {
    return code < 0 ? std::string_view(std::strerror(-code)) : std::string_view();
  }

  void end_process(int status) override { ::_exit(status); }
};

}  // namespace

System& process_system() {
  static PosixSystem system;
  return system;
}

}  // namespace console
