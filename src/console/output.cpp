#include "console/output.h"

#include <algorithm>
#include <new>

#include "console/failure.h"

namespace console {
namespace {

/// Bytes handed to the system in one write; longer records go in parts.
constexpr std::size_t kTransferSize = 256;

}  // namespace

ConsoleOutput::ConsoleOutput(System& system) : system_(system) {
  try {
    record_.reserve(1024);
  } catch (const std::bad_alloc&) {
    RunFailure(system_, kBufferAllocationFailed, StatementKind::kWrite);
  }
}

void ConsoleOutput::write_text(std::string_view text) {
  try {
    put(" ");
    put(text);
    end_record();
  } catch (const std::bad_alloc&) {
    RunFailure(system_, kBufferAllocationFailed, StatementKind::kWrite);
  }
}

void ConsoleOutput::write_layout(RecordLayout layout, std::span<const std::int32_t> values) {
  try {
    lay_out(layout, values);
    end_record();
  } catch (const std::bad_alloc&) {
    RunFailure(system_, kBufferAllocationFailed, StatementKind::kWrite);
  }
}

void ConsoleOutput::lay_out(RecordLayout layout, std::span<const std::int32_t> values) {
  auto is_field = [](const LayoutItem& item) { return item.kind == LayoutItem::Kind::kIntField; };
  if (std::none_of(layout.begin(), layout.end(), is_field)) {
    values = {};  // A layout without fields has no place for values.
  }
  std::size_t next = 0;  // The item where the walk goes on.
  for (std::int32_t value : values) {
    // Walk to the next IntField, restarting the layout in a new record when its
    // end is reached with values left.
    for (;; ++next) {
      if (next == layout.size()) {
        end_record();
        next = 0;
      }
      if (is_field(layout[next])) {
        put_int(value, layout[next].count, layout[next].min_digits);
        ++next;
        break;
      }
      carry_out(layout[next]);
    }
  }
  // After the last value, everything up to the next IntField is carried out.
  for (; next < layout.size() && !is_field(layout[next]); ++next) {
    carry_out(layout[next]);
  }
}

void ConsoleOutput::carry_out(const LayoutItem& item) {
  switch (item.kind) {
    case LayoutItem::Kind::kLiteral:
      put(item.text);
      break;
    case LayoutItem::Kind::kSkip:
      column_ += static_cast<std::size_t>(std::max(item.count, 0));
      break;
    case LayoutItem::Kind::kRecordBreak:
      end_record();
      break;
    case LayoutItem::Kind::kIntField:
      break;  // Fields are filled by the walk, never carried out on their own.
  }
}

void ConsoleOutput::put(std::string_view bytes) {
  // Blanks left by a Skip reach the record only when something follows them.
  if (column_ > record_.size()) {
    record_.append(column_ - record_.size(), ' ');
  }
  std::size_t overlap = std::min(bytes.size(), record_.size() - column_);
  record_.replace(column_, overlap, bytes);
  column_ += bytes.size();
}

void ConsoleOutput::put_repeated(char byte, std::size_t count) {
  if (column_ > record_.size()) {
    record_.append(column_ - record_.size(), ' ');
  }
  std::size_t overlap = std::min(count, record_.size() - column_);
  record_.replace(column_, overlap, count, byte);
  column_ += count;
}

void ConsoleOutput::put_int(std::int32_t value, int width, int min_digits) {
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint32_t magnitude =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  char digits[10];
  std::size_t count = 0;
  for (; magnitude != 0; magnitude /= 10) {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
  }
  std::size_t zeros = min_digits > 0 && static_cast<std::size_t>(min_digits) > count
                          ? static_cast<std::size_t>(min_digits) - count
                          : 0;
  std::size_t length = (value < 0 ? 1 : 0) + zeros + count;
  std::size_t field = static_cast<std::size_t>(std::max(width, 0));
  if (length > field) {
    put_repeated('*', field);
    return;
  }
  put_repeated(' ', field - length);
  if (value < 0) {
    put("-");
  }
  put_repeated('0', zeros);
  std::reverse(digits, digits + count);
  put(std::string_view(digits, count));
}

void ConsoleOutput::end_record() {
  record_.append("\r\n");
  std::string_view rest = record_;
  while (!rest.empty()) {
    std::string_view part = rest.substr(0, kTransferSize);
    if (std::optional<FailureCode> refused = system_.write_output(part)) {
      RunFailure(system_, *refused, StatementKind::kWrite);
    }
    rest.remove_prefix(part.size());
  }
  record_.clear();
  column_ = 0;
}

}  // namespace console
