#include "console/output.h"

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
    record_.clear();
    record_.push_back(' ');
    record_.append(text);
    hand_over(record_);
  } catch (const std::bad_alloc&) {
    RunFailure(system_, kBufferAllocationFailed, StatementKind::kWrite);
  }
}

void ConsoleOutput::write_layout(sentences::RecordLayout layout,
                                 std::span<const std::int32_t> values) {
  try {
    for (std::string& record : sentences::lay_out(layout, values)) {
      hand_over(record);
    }
  } catch (const std::bad_alloc&) {
    RunFailure(system_, kBufferAllocationFailed, StatementKind::kWrite);
  }
}

void ConsoleOutput::hand_over(std::string& record) {
  record.append("\r\n");
  std::string_view rest = record;
  while (!rest.empty()) {
    std::string_view part = rest.substr(0, kTransferSize);
    if (std::optional<FailureCode> refused = system_.write_output(part)) {
      RunFailure(system_, *refused, StatementKind::kWrite);
    }
    rest.remove_prefix(part.size());
  }
}

}  // namespace console
