#include "console/input.h"

#include <algorithm>
#include <new>

#include "chronology/number_text.h"
#include "console/failure.h"

namespace console {
namespace {

constexpr std::size_t kTabSize = 8;

constexpr bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

ConsoleInput::ConsoleInput(System& system) : system_(system) {
  try {
    record_.reserve(1024);
    value_.reserve(1024);
  } catch (const std::bad_alloc&) {
    fail(kBufferAllocationFailed);
  }
}

void ConsoleInput::read_integer(std::int32_t& target) {
  try {
    take_record();
    if (scan_value()) {
      std::int32_t value = 0;
      if (!chronology::convert_integer(value_, value)) {
        fail(kIllegalNumericCharacter);
      }
      target = value;
    }
  } catch (const std::bad_alloc&) {
    fail(kBufferAllocationFailed);
  }
  // The rest of the record is discarded; later records stay in the chunk.
  record_.clear();
  record_position_ = 0;
}

char ConsoleInput::next_byte() {
  if (chunk_position_ == chunk_fill_) {
    chunk_fill_ = system_.read_input(chunk_.data(), chunk_.size());
    chunk_position_ = 0;
    if (chunk_fill_ == 0) {
      fail(kReadPastEndOfFile);
    }
  }
  return chunk_[chunk_position_++];
}

void ConsoleInput::take_record() {
  record_.clear();
  record_position_ = 0;
  // A last line without its LF is never accepted: next_byte fails first.
  for (char c = next_byte(); c != '\n'; c = next_byte()) {
    if (c == '\r') {
      continue;
    }
    if (c == '\t') {
      record_.append(kTabSize - record_.size() % kTabSize, ' ');
    } else {
      record_.push_back(c);
    }
  }
}

bool ConsoleInput::scan_value() {
  value_.clear();
  for (;;) {
    // Skip blanks, and empty or blank records, up to the first character.
    while (record_position_ < record_.size() && is_blank(record_[record_position_])) {
      ++record_position_;
    }
    if (record_position_ == record_.size()) {
      take_record();
      continue;
    }
    char first = record_[record_position_];
    if (first == '/' || first == ',') {
      return false;  // A null value leaves the target alone.
    }
    // The first character is taken whatever it is, even an asterisk.
    value_.assign(1, first);
    ++record_position_;
    bool repeat_prefix = false;
    while (record_position_ < record_.size()) {
      char c = record_[record_position_];
      if (is_blank(c) || c == ',' || c == '/') {
        break;
      }
      ++record_position_;
      if (c == '*') {
        // What came before the asterisk was a repeat count; a one-item read
        // has no use for it, and the value follows.
        repeat_prefix = true;
        break;
      }
      value_.push_back(c);
    }
    if (!repeat_prefix) {
      return true;
    }
    value_.clear();
  }
}

void ConsoleInput::fail(FailureCode code) {
  RunFailure(system_, code, StatementKind::kRead);
}

}  // namespace console
