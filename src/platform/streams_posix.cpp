// Byte I/O on POSIX: descriptors 0, 1 and 2, open(2), read(2) and write(2).

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/streams.h"

namespace platform {
namespace {

int descriptor(StandardStream stream) {
  switch (stream) {
    case StandardStream::kInput:
      return STDIN_FILENO;
    case StandardStream::kOutput:
      return STDOUT_FILENO;
    case StandardStream::kError:
      break;
  }
  return STDERR_FILENO;
}

}  // namespace

WriteResult write_all(StandardStream stream, std::string_view bytes) {
  int fd = descriptor(stream);
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      int error = n < 0 ? errno : EIO;
      return {error == EPIPE ? WriteOutcome::kReaderGone : WriteOutcome::kFailed, error};
    }
  }
  return {};
}

ByteSource ByteSource::standard_input() {
  return ByteSource(Kind::kStandardInput, STDIN_FILENO);
}

ByteSource ByteSource::open_file(const std::string& path, ErrorCode& error) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error = errno;
    return ByteSource(Kind::kClosed, -1);
  }
  error = 0;
  return ByteSource(Kind::kFile, fd);
}

void ByteSource::close_file(std::intptr_t handle) {
  ::close(static_cast<int>(handle));
}

ReadResult ByteSource::read(char* buffer, std::size_t size) {
  if (kind_ == Kind::kClosed) {
    return {0, EBADF};
  }
  for (;;) {
    ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n >= 0) {
      return {static_cast<std::size_t>(n), 0};
    }
    if (errno != EINTR) {
      return {0, errno};
    }
  }
}

bool ByteSource::is_terminal() const {
  return kind_ != Kind::kClosed && ::isatty(static_cast<int>(handle_)) == 1;
}

std::string error_text(ErrorCode code) {
  return std::strerror(code);
}

void report_io_signals_as_errors() {
  // Without these, a write into a pipe whose reader has gone (SIGPIPE) or past
  // the file-size limit (SIGXFSZ) ends the process at once, with no word and
  // a record cut short; ignored, the write fails with EPIPE or EFBIG instead.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace platform
