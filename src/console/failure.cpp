#include "console/failure.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>

namespace console {
namespace {

struct Message {
  FailureCode code;
  std::string_view text;
};

/// The console services' own failures (10000-10072) that have a text.
constexpr std::array RuntimeMessages{
    Message{10004, "Buffer allocation failed"},
    Message{10013, "Attempt to read past end of file"},
    Message{10016, "Illegal character in numeric input"},
};

/// Texts for the operating-system codes a refused write reports most often.
constexpr std::array SystemMessages{
    Message{0, "NO_ERROR"},
    Message{5, "Access Denied."},
    Message{6, "Incorrect internal file identifier."},
    Message{109, "The pipe has been ended."},
    Message{112, "There is not enough space on the disk."},
    Message{232, "Pipe close in progress."},
};

constexpr bool is_runtime_code(FailureCode code) {
  return code >= 10000 && code <= 10072;
}

template <std::size_t N>
constexpr std::string_view find_text(const std::array<Message, N>& table, FailureCode code) {
  auto row =
      std::find_if(table.begin(), table.end(), [code](const Message& m) { return m.code == code; });
  return row == table.end() ? std::string_view() : row->text;
}

/// Writes "? ", then `parts`, then LF, as one write. The line is assembled in a
/// fixed buffer so that the report needs no storage even when memory is gone.
void write_report_line(System& system, std::initializer_list<std::string_view> parts) {
  std::array<char, 1024> line;
  std::size_t length = 0;
  auto append = [&](std::string_view text) {
    std::size_t n = std::min(text.size(), line.size() - 1 - length);
    std::copy_n(text.data(), n, line.data() + length);
    length += n;
  };
  append("? ");
  for (std::string_view part : parts) {
    append(part);
  }
  line[length++] = '\n';
  system.write_error(std::string_view(line.data(), length));
}

}  // namespace

std::string_view failure_message(System& system, FailureCode code) {
  if (is_runtime_code(code)) {
    return find_text(RuntimeMessages, code);
  }
  std::string_view text = find_text(SystemMessages, code);
  return text.empty() ? system.error_text(code) : text;
}

void RunFailure(System& system, FailureCode code, StatementKind statement) {
  std::string_view header = is_runtime_code(code) ? "Run-time error:" : "System Error:";
  write_report_line(system, {header});
  write_report_line(system, {failure_message(system, code)});
  write_report_line(system, {statement == StatementKind::kRead ? "READ" : "WRITE", "(UNIT=*,..."});
  system.exit_process(-1);
}

}  // namespace console
