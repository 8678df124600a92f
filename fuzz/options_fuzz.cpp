// libFuzzer target: arbitrary argument vectors through varve-batch's command
// line reader, checking that it never crashes or hangs, that what it says is
// wrong is one line (varve-batch then exits 2 before writing anything), and
// that what it accepts is consistent: each NUMBER is the argument at its
// position, a FILE is named only for the column and line modes, and --mark
// only for an accepted number.
//
// The input is the arguments, separated by NUL bytes (at most 32 of them).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options.h"
#include "chronology/links.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> arguments;
  for (std::size_t at = 0; at <= input.size() && arguments.size() < 32;) {
    std::size_t end = input.find('\0', at);
    end = end == std::string_view::npos ? input.size() : end;
    arguments.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  batch::ParsedOptions parsed = batch::parse_options(arguments);
  const batch::Options& o = parsed.options;
  if (!parsed.error.empty()) {
    if (parsed.error.find('\n') != std::string::npos) {
      fail("a usage error of more than one line", parsed.error);
    }
    return 0;
  }
  if (o.action == batch::Options::Action::kHelp || o.action == batch::Options::Action::kVersion) {
    return 0;  // Shown at once, whatever else the line holds.
  }
  for (const auto& [number, position] : o.numbers) {
    if (position < 1 || static_cast<std::size_t>(position) > arguments.size() ||
        arguments[static_cast<std::size_t>(position) - 1] != number) {
      fail("a NUMBER that is not its argument", std::string(number));
    }
  }
  bool reads_file = o.column_mode_asked() || o.lines;
  if ((o.file != "-" && !reads_file) || (reads_file && !o.numbers.empty())) {
    fail("a FILE outside the column and line modes", std::string(o.file));
  }
  if (o.mark && chronology::links_of(o.direction, *o.mark).empty()) {
    fail("a --mark outside the accepted ranges", std::to_string(*o.mark));
  }
  return 0;
}
