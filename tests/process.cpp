// Starts the programs under test with real pipes (or worse) on their streams.

#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace testing_process {
namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + " failed: " + std::strerror(errno));
  }
}

void close_fd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

}  // namespace

Child::Child(const std::vector<std::string>& command, const Options& options) {
  std::vector<char*> argv;
  for (const std::string& word : command) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  // The test writes into pipes whose reader may have gone.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  check(::pipe(in) == 0 && ::pipe(out) == 0 && ::pipe(err) == 0, "pipe");
  int terminal[2] = {-1, -1};  // Master and slave.
  if (options.terminal_input) {
    check(::openpty(&terminal[0], &terminal[1], nullptr, nullptr, nullptr) == 0, "openpty");
    termios modes;
    check(::tcgetattr(terminal[1], &modes) == 0, "tcgetattr");
    modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    check(::tcsetattr(terminal[1], TCSANOW, &modes) == 0, "tcsetattr");
  }
  pid_ = ::fork();
  check(pid_ >= 0, "fork");
  if (pid_ == 0) {
    ::dup2(options.terminal_input ? terminal[1] : in[0], 0);
    for (int fd : terminal) {
      if (fd > 2) {
        ::close(fd);
      }
    }
    ::dup2(err[1], 2);
    switch (options.output) {
      case Output::kPipe:
      case Output::kClosedPipe:
        ::dup2(out[1], 1);
        break;
      case Output::kFull: {
        int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, 1);
        ::close(full);
        break;
      }
      case Output::kClosed:
        ::close(1);
        break;
      case Output::kFile: {
        int file = ::open(options.output_file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(file, 1);
        ::close(file);
        break;
      }
    }
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      if (fd > 2) {
        ::close(fd);
      }
    }
    if (options.close_input) {
      ::close(0);
    }
    if (options.close_error) {
      ::close(2);
    }
    if (options.address_space_limit != 0) {
      rlimit limit{options.address_space_limit, options.address_space_limit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    if (options.file_size_limit != 0) {
      rlimit limit{options.file_size_limit, options.file_size_limit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // The program must start with the default actions, whatever the test ignores.
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  input_ = in[1];
  if (options.terminal_input) {
    ::close(in[1]);
    ::close(terminal[1]);
    input_ = terminal_ = terminal[0];
  }
  output_ = out[0];
  error_ = err[0];
  if (options.output == Output::kClosedPipe) {
    close_fd(output_);
  }
}

Child::~Child() {
  if (input_ == terminal_) {
    input_ = -1;
  }
  close_fd(input_);
  close_fd(terminal_);
  close_fd(output_);
  close_fd(error_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    wait();
  }
}

bool Child::write_input(std::string_view bytes) {
  while (!bytes.empty() && input_ >= 0) {
    // Keep draining the child's output meanwhile, so that neither side blocks.
    pollfd fds[3] = {{input_, POLLOUT, 0}, {output_, POLLIN, 0}, {error_, POLLIN, 0}};
    check(::poll(fds, 3, -1) >= 0 || errno == EINTR, "poll");
    if (fds[0].revents & (POLLERR | POLLHUP)) {
      return false;
    }
    if (fds[0].revents & POLLOUT) {
      ssize_t n = ::write(input_, bytes.data(), std::min<std::size_t>(bytes.size(), 65536));
      if (n < 0) {
        return errno == EINTR || errno == EAGAIN ? true : false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    if ((fds[1].revents | fds[2].revents) & (POLLIN | POLLHUP)) {
      read_some(0);
    }
  }
  return bytes.empty();
}

void Child::close_input() {
  if (input_ >= 0 && input_ == terminal_) {
    // End of input as typed: a second Ctrl-D in case a line was unfinished.
    check(::write(terminal_, "\x04\x04", 2) == 2, "write");
    input_ = -1;
    return;
  }
  close_fd(input_);
}

bool Child::read_some(int timeout_ms) {
  pollfd fds[2] = {{output_, POLLIN, 0}, {error_, POLLIN, 0}};
  int ready = ::poll(fds, 2, timeout_ms);
  if (ready <= 0) {
    return false;
  }
  std::string* sinks[2] = {&output, &error};
  int* fds_owned[2] = {&output_, &error_};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[65536];
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close_fd(*fds_owned[i]);
      }
    }
  }
  return true;
}

bool is_wine_line(std::string_view line) {
  if (line.starts_with("wine: ")) {
    return true;
  }
  std::size_t hex = 0;
  while (hex < line.size() && hex < 8 && std::isxdigit(static_cast<unsigned char>(line[hex]))) {
    ++hex;
  }
  if (hex >= 4 && hex < line.size() && line[hex] == ':') {
    line.remove_prefix(hex + 1);
  }
  for (std::string_view level : {"fixme:", "err:", "warn:", "trace:"}) {
    if (line.starts_with(level)) {
      // Then the channel's name and a colon.
      std::string_view rest = line.substr(level.size());
      std::size_t name = 0;
      while (name < rest.size() &&
             (std::islower(static_cast<unsigned char>(rest[name])) ||
              std::isdigit(static_cast<unsigned char>(rest[name])) || rest[name] == '_')) {
        ++name;
      }
      return name > 0 && name < rest.size() && rest[name] == ':';
    }
  }
  return false;
}

std::string take_wine_lines(std::string& error) {
  std::string kept, wine;
  std::string_view rest = error;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      kept.append(rest);  // Half a line is the program's, or unfinished.
      break;
    }
    std::string_view line = rest.substr(0, end + 1);
    std::string_view text = line.substr(0, end);
    if (text.ends_with('\r')) {
      text.remove_suffix(1);
    }
    (is_wine_line(text) ? wine : kept).append(line);
    rest.remove_prefix(end + 1);
  }
  error = std::move(kept);
  return wine;
}

void Child::set_aside_wine_lines() {
  if (const char* launcher = std::getenv("VARVE_LAUNCHER"); launcher && *launcher) {
    std::string wine_lines = take_wine_lines(error);
    if (!wine_lines.empty()) {
      // Shown in the test's log, not compared.
      std::fprintf(stderr, "Wine's own lines on standard error, set aside:\n%s",
                   wine_lines.c_str());
      wine += wine_lines;
    }
  }
}

void Child::collect(int milliseconds, std::string_view until) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (output_ >= 0 || error_ >= 0) {
    if (!until.empty() && output.ends_with(until)) {
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      break;
    }
    read_some(static_cast<int>(left.count()));
  }
  set_aside_wine_lines();
}

int Child::finish(std::string_view input) {
  write_input(input);
  close_input();
  while (output_ >= 0 || error_ >= 0) {
    read_some(-1);
  }
  set_aside_wine_lines();
  return wait();
}

void Child::signal(int signal) {
  ::kill(pid_, signal);
}

int Child::wait() {
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(pid_, &status, 0);
  } while (waited < 0 && errno == EINTR);
  pid_ = -1;
  if (waited < 0) {
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

namespace {

/// One run of `command`, start to end.
Result run_once(const std::vector<std::string>& command, std::string_view input,
                const Options& options) {
  Child child(command, options);
  Result result;
  result.status = child.finish(input);
  result.output = std::move(child.output);
  result.error = std::move(child.error);
  result.wine = std::move(child.wine);
  return result;
}

}  // namespace

Result run(const std::vector<std::string>& command, std::string_view input,
           const Options& options) {
  Result result = run_once(command, input, options);
  // On a loaded machine Wine has now and then started a program that wrote
  // nothing at all. A run that gives nothing under Wine is made twice more:
  // a program that truly writes nothing does so every time, so its test
  // still sees it, while a start Wine dropped is not taken for the program's.
  const char* launcher = std::getenv("VARVE_LAUNCHER");
  for (int again = 0;
       again < 2 && launcher && *launcher && result.output.empty() && result.error.empty();
       ++again) {
    std::fprintf(stderr, "[ wine    ] the run gave nothing (status %d%s%s); run again\n",
                 result.status, result.wine.empty() ? "" : ", Wine said: ", result.wine.c_str());
    result = run_once(command, input, options);
  }
  return result;
}

std::vector<std::string> program(const char* variable, const char* path) {
  std::vector<std::string> command;
  if (const char* launcher = std::getenv("VARVE_LAUNCHER"); launcher && *launcher) {
    command.emplace_back(launcher);
  }
  if (const char* named = std::getenv(variable); named && *named) {
    path = named;
  }
  command.emplace_back(*path ? path : std::string(variable) + " is not set");
  return command;
}

}  // namespace testing_process
