// varve-convert: converts varve numbers between the New England and the North
// American varve chronologies, one number at a time, at the console.

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/failure.h"
#include "dialogue/dialogue.h"
#include "platform/streams.h"
#include "version.h"

namespace {

constexpr std::string_view kUsage =
    "usage: varve-convert\n"
    "       varve-convert --help | --version\n"
    "\n"
    "Converts varve numbers between the Brasko New England (NE) and the North\n"
    "American (AM) varve chronologies, one number at a time. Started without\n"
    "arguments it asks on standard input for a direction (1 = NE to AM, 2 = AM to\n"
    "NE) and a number, prints the result, and offers another conversion; answer\n"
    "the closing question with 1 to go on, anything else to stop. For whole lists\n"
    "of numbers use varve-batch.\n"
    "\n"
    "options:\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "exit status: 0 when the dialogue ends normally; 255 after the three-line\n"
    "report on standard error (text that is not an integer, the end of input, or\n"
    "output that could not be written).\n";

/// Prints the usage or the version when they are the one argument, and gives
/// the exit status; any other command line starts the dialogue, as it
/// always has, so these are the only words the program takes.
bool answer_information_request(int argc, char** argv, int& status) {
  if (argc != 2) {
    return false;
  }
  std::string version;
  std::string_view text;
  if (std::strcmp(argv[1], "--help") == 0) {
    text = kUsage;
  } else if (std::strcmp(argv[1], "--version") == 0) {
    version.append("varve-convert ").append(varve::kVersion).push_back('\n');
    text = version;
  } else {
    return false;
  }
  platform::report_io_signals_as_errors();
  platform::WriteResult result = platform::write_all(platform::StandardStream::kOutput, text);
  // A reader that has gone (varve-convert --help | head -1) is no failure.
  status = 0;
  if (result.outcome == platform::WriteOutcome::kFailed) {
    std::string report =
        "varve-convert: cannot write standard output: " + platform::error_text(result.error) + "\n";
    (void)platform::write_all(platform::StandardStream::kError, report);
    status = 1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (int status = 0; answer_information_request(argc, argv, status)) {
    return status;
  }
  console::System& system = console::process_system();
  try {
    console::Console console(system);
    dialogue::Dialogue(console).run();
  } catch (const std::bad_alloc&) {
    // Storage for the console channels themselves could not be had.
    console::RunFailure(system, console::kBufferAllocationFailed, console::StatementKind::kWrite);
  }
}
