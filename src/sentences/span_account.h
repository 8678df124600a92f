#ifndef VARVE_SENTENCES_SPAN_ACCOUNT_H_
#define VARVE_SENTENCES_SPAN_ACCOUNT_H_

// A span's account in plain text, for a terminal or a page: what it spans in
// the other chronology, how long it lasted in each, the corrections inside it
// and the ends that are not exact; or why it is not converted and which parts
// of it lie inside the accepted ranges.

#include <string>
#include <vector>

#include "chronology/span.h"

namespace sentences {

/// The account of `span`, a line each, without line ends: a converted span's
/// headline per NE sequence, each followed by its indented details; a span
/// not converted, a headline and its indented reasons.
std::vector<std::string> span_account(const chronology::SpanResult& span);

/// Why `span` is not converted, on one line, as a message beside rows gives
/// it: "NE 5700-5580 is not converted: ..."; empty when it is converted.
std::string span_fault_message(const chronology::SpanResult& span);

/// What a converted span's row cannot show, on one line: a sequence that
/// covers only part of an AM span, and an end that is not exact ("AM
/// 6200-6300: NE-UC covers AM 6245-6300 only"); empty when there is nothing
/// to say, or the span is not converted.
std::string span_caveat(const chronology::SpanResult& span);

/// One correction inside a span, as its account lists it: "NE-LC 3021 split
/// into AM 3021-3022", "NE-LC 5672-5676 joined into AM 5691, false annual
/// couplets".
std::string correction_text(const chronology::Link& link);

}  // namespace sentences

#endif  // VARVE_SENTENCES_SPAN_ACCOUNT_H_
