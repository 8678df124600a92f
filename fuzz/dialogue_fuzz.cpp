// libFuzzer target: runs the integer reader and the whole dialogue over
// arbitrary input bytes, with the console on memory and the process end turned
// into an exception, and checks what every run must leave behind.
//
// The first byte chooses the run: its low bits give the size of each read of
// standard input (1 to 256 bytes), its top bit the reader alone instead of the
// dialogue. The rest is standard input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/test_system.h"
#include "dialogue/dialogue.h"
#include "invariant.h"

namespace {

/// Every record ends in CR LF, and no record is left half written.
void check_records(const std::string& output) {
  for (std::size_t i = 0; i < output.size(); ++i) {
    bool cr = output[i] == '\r';
    bool lf = output[i] == '\n';
    if ((cr && (i + 1 == output.size() || output[i + 1] != '\n')) ||
        (lf && (i == 0 || output[i - 1] != '\r'))) {
      fail("a record that does not end in CR LF", output);
    }
  }
  if (!output.empty() && !output.ends_with("\r\n")) {
    fail("a record left half written", output);
  }
}

/// The run ended normally with nothing on standard error, or with exactly one
/// failure report for a read, with one of the reader's three codes.
void check_end(int status, const std::string& error) {
  if (status == 0 && error.empty()) {
    return;
  }
  static const std::string_view kMessages[] = {
      "Buffer allocation failed",
      "Attempt to read past end of file",
      "Illegal character in numeric input",
  };
  for (std::string_view message : kMessages) {
    std::string report = "? Run-time error:\n? " + std::string(message) + "\n? READ(UNIT=*,...\n";
    if (status == -1 && error == report) {
      return;
    }
  }
  fail("an unexpected end", "status " + std::to_string(status) + "\n" + error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::size_t read_size = (data[0] & 0x7f) * 2 + 1;
  bool reader_only = (data[0] & 0x80) != 0;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

  console::TestSystem system(input, read_size);
  int status = 1;
  try {
    console::Console console(system);
    if (reader_only) {
      // Reads until the input ends or holds something that is no integer.
      for (;;) {
        std::int32_t target = 0;
        console.input.read_integer(target);
      }
    }
    dialogue::Dialogue(console).run();
  } catch (const console::ProcessExit& exit) {
    status = exit.status;
  }
  if (status == 1) {
    fail("the run returned instead of ending the process", system.error);
  }
  check_records(system.output);
  check_end(status, system.error);
  if (system.largest_read > 256) {
    fail("a read of more than 256 bytes", std::to_string(system.largest_read));
  }
  for (const std::string& write : system.writes) {
    if (write.size() > 256) {
      fail("a write of more than 256 bytes", write);
    }
  }
  return 0;
}
