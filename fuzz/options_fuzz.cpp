// libFuzzer target: arbitrary argument vectors through varve-batch's command
// line reader, checking that it never crashes or hangs, that what it says is
// wrong is one line (varve-batch then exits 2 before writing anything), and
// that what it accepts is consistent: each NUMBER is the argument at its
// position, a FILE is an argument, and --mark only an accepted number.
//
// The input is the arguments, separated by NUL bytes (at most 32 of them).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "batch/options.h"
#include "chronology/links.h"
#include "invariant.h"

namespace {}  // namespace

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
  if (!parsed.error.empty()) {
    if (parsed.error.find('\n') != std::string::npos) {
      fail("a usage error of more than one line", parsed.error);
    }
    return 0;
  }
  // Each NUMBER, and a FILE, is the argument at its position.
  auto given = [&arguments](std::string_view word) {
    return std::find(arguments.begin(), arguments.end(), word) != arguments.end();
  };
  if (const auto* list = std::get_if<batch::ListSettings>(&parsed.command)) {
    for (const auto& [number, position] : list->numbers) {
      if (position < 1 || static_cast<std::size_t>(position) > arguments.size() ||
          arguments[static_cast<std::size_t>(position) - 1] != number) {
        fail("a NUMBER that is not its argument", std::string(number));
      }
    }
  } else if (const auto* lines = std::get_if<batch::LineSettings>(&parsed.command)) {
    if (lines->file != "-" && !given(lines->file)) {
      fail("a FILE that is no argument", std::string(lines->file));
    }
  } else if (const auto* column = std::get_if<batch::ColumnModeSettings>(&parsed.command)) {
    if (column->file != "-" && !given(column->file)) {
      fail("a FILE that is no argument", std::string(column->file));
    }
  } else if (const auto* chart = std::get_if<batch::ChartSettings>(&parsed.command)) {
    if (chart->mark && chronology::links_of(chart->direction, *chart->mark).empty()) {
      fail("a --mark outside the accepted ranges", std::to_string(*chart->mark));
    }
  }
  return 0;
}
