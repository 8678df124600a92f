// The console's System on POSIX: descriptors 0, 1 and 2, read(2), write(2) and _exit(2).

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "console/system.h"

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

class PosixSystem final : public System {
 public:
  PosixSystem() {
    // A write into a pipe whose reader has gone must come back as EPIPE, a
    // refused write with its report, and not end the process by signal.
    std::signal(SIGPIPE, SIG_IGN);
  }

  std::size_t read_input(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n >= 0) {
        return static_cast<std::size_t>(n);
      }
      if (errno != EINTR) {
        return 0;  // A failed read is the end of input.
      }
    }
  }

  std::optional<FailureCode> write_output(std::string_view bytes) override {
    return write_all(STDOUT_FILENO, bytes);
  }

  void write_error(std::string_view bytes) override { (void)write_all(STDERR_FILENO, bytes); }

  std::string_view error_text(FailureCode code) override {
    return code < 0 ? std::string_view(std::strerror(-code)) : std::string_view();
  }

  void end_process(int status) override { ::_exit(status); }

 private:
  /// Writes every byte, continuing after short writes and retrying interrupted
  /// ones; returns nothing, or the code of the error that refused the write.
  static std::optional<FailureCode> write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::write(fd, bytes.data(), bytes.size());
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        return failure_code_for_errno(n < 0 ? errno : EIO);
      }
    }
    return std::nullopt;
  }
};

}  // namespace

System& process_system() {
  static PosixSystem system;
  return system;
}

}  // namespace console
