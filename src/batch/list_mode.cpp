#include "batch/list_mode.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "chronology/cell.h"
#include "chronology/shown_text.h"
#include "chronology/span.h"

namespace batch {
namespace {

/// True when `text` is exactly three decimal digits.
bool three_digits(std::string_view text) {
  return text.size() == 3 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

ListMode::ListMode(Format format, Direction direction, MessageSink report)
    : format_(format),
      direction_(direction),
      rows_(format, direction),
      // A token of the stream is placed by its line, an argument's by its
      // position on the command line (as the row).
      reporter_({}, [report = std::move(report)](const table::Message& m) {
        report((m.place.line != 0 ? line_text(m.place.line)
                                  : "argument " + std::to_string(m.place.row)) +
               ": " + m.text);
      }) {}

void ListMode::feed(std::string_view bytes, std::string& out) {
  stream_.feed(bytes, [&](const Token& token) { convert(token, {0, token.line, 0}, out); });
}

void ListMode::finish(std::string& out) {
  stream_.finish([&](const Token& token) { convert(token, {0, token.line, 0}, out); });
}

bool ListMode::convert_argument(std::string_view argument, int position, std::string& out) {
  std::size_t faults = reporter_.faults();
  Tokenizer tokenizer;
  auto on_token = [&](const Token& token) {
    convert(token, {static_cast<std::size_t>(position), 0, 0}, out);
  };
  tokenizer.feed(argument, on_token);
  tokenizer.finish(on_token);
  return reporter_.faults() == faults;
}

void ListMode::convert(const Token& token, const table::Place& place, std::string& out) {
  // The number before, when only a single comma lies between it and this token.
  std::string_view previous(previous_.data(), token.after_comma ? previous_length_ : 0);
  bool previous_warned = std::exchange(previous_warned_, false);
  previous_length_ = 0;
  if (token.too_long()) {
    reporter_.fault(table::MessageKind::kNotANumber, place,
                    "token too long (" + std::to_string(token.length) + " bytes), skipped: '" +
                        chronology::ascii_shown(token.text.substr(0, kShownTokenLength)) + "...'");
    return;
  }
  chronology::Cell cell = chronology::read_cell(token.text);
  if (cell.kind == chronology::CellKind::kEmpty) {
    return;  // A no-break or thin space alone: a blank, as the separators are.
  }
  if (cell.kind == chronology::CellKind::kInvalid) {
    reporter_.cell(direction_, place, cell, [&] { return chronology::ascii_shown(token.text); });
    return;
  }
  if (cell.kind == chronology::CellKind::kSpan) {
    chronology::SpanResult span = chronology::span_of(direction_, cell.first, cell.last);
    if (!span.converted()) {
      // A converted span's rows show the part each sequence covers: no note.
      reporter_.span(place, span);
      return;
    }
    append_span_rows(out, format_, token.text, span);
    return;
  }
  std::int32_t number = cell.number;
  // "4,282" reads as the numbers 4 and 282. No accepted number has three
  // digits, so such a pair is never two accepted numbers: the user is told,
  // once for a run such as "1,234,567", and the numbers are converted as read.
  if (!previous.empty() && three_digits(token.text)) {
    if (!previous_warned) {
      std::string first(previous);
      std::string second(token.text);
      reporter_.warning(place, "warning: '" + first + "," + second +
                                   "' was read as the two numbers " + first + " and " + second +
                                   ": write numbers without thousands separators");
    }
    previous_warned_ = true;
  }
  std::copy(token.text.begin(), token.text.end(), previous_.begin());
  previous_length_ = token.text.size();
  rows_.append_rows(out, token.text, number);
}

}  // namespace batch
