#include "table/reporter.h"

#include <utility>

#include "sentences/span_account.h"

namespace table {

Reporter::Reporter(Showing showing, MessageSink sink) : showing_(showing), sink_(std::move(sink)) {}

bool Reporter::span(const Place& place, const chronology::SpanResult& span) {
  if (!span.converted()) {
    fault(MessageKind::kSpanNotConverted, place,
          showing_next() ? sentences::span_fault_message(span) : std::string());
    return false;
  }
  if (std::string caveat = sentences::span_caveat(span); !caveat.empty()) {
    ++notes_;
    sink_({MessageKind::kNote, place, "note: " + caveat});
  }
  return true;
}

void Reporter::fault(MessageKind kind, const Place& place, std::string text) {
  bool shown = showing_next();
  (kind == MessageKind::kSpanNotConverted ? spans_not_converted_ : not_numbers_) += 1;
  if (shown) {
    sink_({kind, place, std::move(text)});
  }
  if (faults() == showing_.most) {
    sink_({MessageKind::kMore, Place{},
           "(further " + std::string(showing_.things) +
               " that are not whole numbers are counted, not listed)"});
  }
}

void Reporter::warning(const Place& place, std::string text) {
  sink_({MessageKind::kWarning, place, std::move(text)});
}

void Reporter::finish() {
  if (unshown() > 0) {
    sink_({MessageKind::kTotal, Place{},
           std::to_string(faults()) + " " + std::string(showing_.things) +
               " in all were not whole numbers"});
  }
}

}  // namespace table
