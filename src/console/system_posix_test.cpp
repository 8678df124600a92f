#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/time.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include "console/system.h"

namespace console {
namespace {

/// Puts one end of a fresh pipe on descriptor `fd` for the test's duration,
/// and lets a timer's signal, with a handler that does not restart system
/// calls, interrupt whatever the test blocks in.
class InterruptedPipe {
 public:
  explicit InterruptedPipe(int fd) : fd_(fd) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    saved_ = ::dup(fd);
    // The test keeps the other end: the write end for standard input, the read end else.
    ::dup2(fd == 0 ? ends[0] : ends[1], fd);
    other_ = fd == 0 ? ends[1] : ends[0];
    ::close(fd == 0 ? ends[0] : ends[1]);

    struct sigaction action {};
    action.sa_handler = [](int) {};
    action.sa_flags = 0;  // No SA_RESTART: blocked calls fail with EINTR.
    ::sigaction(SIGALRM, &action, &saved_action_);
    itimerval every_10ms{{0, 10000}, {0, 10000}};
    ::setitimer(ITIMER_REAL, &every_10ms, nullptr);
  }

  ~InterruptedPipe() {
    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &saved_action_, nullptr);
    ::dup2(saved_, fd_);
    ::close(saved_);
    if (other_ >= 0) {
      ::close(other_);
    }
  }

  /// The test's end of the pipe.
  int other() const { return other_; }

 private:
  int fd_;
  int saved_ = -1;
  int other_ = -1;
  struct sigaction saved_action_ {};
};

/// Keeps the timer's signal away from a helper thread, so it hits the test's.
void block_alarm() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGALRM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TEST(PosixSystem, AReadInterruptedBySignalsGoesOnAndLosesNothing) {
  InterruptedPipe pipe(0);
  std::thread writer([&pipe] {
    block_alarm();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(::write(pipe.other(), "7\n", 2), 2);
  });
  char buffer[256];
  std::size_t n = process_system().read_input(buffer, sizeof buffer);
  writer.join();
  EXPECT_EQ(std::string(buffer, n), "7\n");
}

TEST(PosixSystem, AWriteInterruptedOrCutShortIsFinished) {
  InterruptedPipe pipe(1);
  std::string bytes(1 << 20, 'x');
  for (std::size_t i = 0; i < bytes.size(); i += 997) {
    bytes[i] = static_cast<char>('a' + i % 26);
  }
  std::string received;
  std::thread reader([&pipe, &received] {
    block_alarm();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe.other(), buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
      if (received.size() % (64 * 4096) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  });
  std::optional<FailureCode> refused = process_system().write_output(bytes);
  // Closing the pipe's write end ends the reader's loop; the real standard
  // output comes back when `pipe` goes.
  ::close(1);
  reader.join();
  EXPECT_FALSE(refused.has_value());
  EXPECT_EQ(received.size(), bytes.size());
  EXPECT_TRUE(received == bytes);
}

}  // namespace
}  // namespace console
