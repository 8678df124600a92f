#ifndef VARVE_TABLE_REPORTER_H_
#define VARVE_TABLE_REPORTER_H_

// The one place where what is wrong with a user's values is worded and
// counted: a value that is not a whole number, a span that is not converted,
// what a converted span's cells cannot show, and a warning. Each front end
// chooses how many faults it shows one by one and words where a value lies
// (a line and column, an element, a workbook's cell); the counts are always
// complete.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/span.h"

namespace table {

/// What a message says.
enum class MessageKind : std::uint8_t {
  kNotANumber,        ///< A value that is not a whole number: not converted.
  kSpanNotConverted,  ///< A span, or an interval of two ends, that is not converted.
  kNote,              ///< What a converted span's cells cannot show.
  kWarning,           ///< Something that changes nothing but may surprise.
  kMore,              ///< After the last fault shown: the others are only counted.
  kTotal,             ///< At the end, when faults went unshown: how many there were.
};

/// True for the kinds that are faults: a value not converted.
constexpr bool is_fault(MessageKind kind) {
  return kind == MessageKind::kNotANumber || kind == MessageKind::kSpanNotConverted;
}

/// True for the kinds that are about one value, and so have a place.
constexpr bool has_place(MessageKind kind) {
  return kind != MessageKind::kMore && kind != MessageKind::kTotal;
}

/// Where the value a message is about lies, as the front end counts: its row
/// from 0, the line its row starts on from 1, and its column from 1 (0 where
/// the front end has no lines or columns). kMore and kTotal lie nowhere.
struct Place {
  std::size_t row = 0;
  std::size_t line = 0;
  std::size_t column = 0;
};

/// One message: what it says, and of which value.
struct Message {
  MessageKind kind;
  Place place;
  std::string text;  ///< Without the place, which the front end words.
};

/// Takes each message as it is made.
using MessageSink = std::function<void(const Message& message)>;

/// How a front end shows faults.
struct Showing {
  /// How many faults are shown one by one; the others are counted.
  std::size_t most = std::numeric_limits<std::size_t>::max();
  /// What the front end calls the things counted, in kMore and kTotal: "cells", "lines".
  std::string_view things = "cells";
};

/// Words, counts and hands on the messages of one run.
class Reporter {
 public:
  Reporter(Showing showing, MessageSink sink);

  /// Reports `cell`, read in `direction`, when it is not converted (a value
  /// that is not a whole number, a span not converted) or is a span whose
  /// cells cannot say everything (a note). `shown()` gives the value's text
  /// made safe to show, and is called only for a message that is shown.
  /// True when the cell is converted, or empty.
  template <class Shown>
  bool cell(chronology::Direction direction, const Place& place, const chronology::Cell& cell,
            Shown&& shown) {
    switch (cell.kind) {
      case chronology::CellKind::kEmpty:
      case chronology::CellKind::kNumber:
        return true;
      case chronology::CellKind::kInvalid:
        if (showing_next()) {
          fault(MessageKind::kNotANumber, place, chronology::invalid_cell_message(shown(), cell));
        } else {
          fault(MessageKind::kNotANumber, place, std::string());
        }
        return false;
      case chronology::CellKind::kSpan:
        break;
    }
    return span(place, chronology::span_of(direction, cell.first, cell.last));
  }

  /// Reports the interval between the ends `first` and `last`, read in
  /// `direction`, when it is not converted; `why()` gives why (its row's
  /// not_converted), and is called only for a message that is shown. A
  /// converted interval's row says all a note would: none is given. True
  /// when the interval is converted, or both ends are empty.
  template <class Why>
  bool interval(chronology::Direction direction, const Place& place, const chronology::Cell& first,
                const chronology::Cell& last, Why&& why) {
    using chronology::CellKind;
    if (first.kind == CellKind::kEmpty && last.kind == CellKind::kEmpty) {
      return true;
    }
    if (first.kind == CellKind::kNumber && last.kind == CellKind::kNumber &&
        chronology::span_fault(direction, first.number, last.number) ==
            chronology::SpanFault::kNone) {
      return true;
    }
    fault(MessageKind::kSpanNotConverted, place, showing_next() ? why() : std::string());
    return false;
  }

  /// Reports a converted span's note, or why it is not converted; true when it is.
  bool span(const Place& place, const chronology::SpanResult& span);

  /// Reports a fault the caller worded (kNotANumber or kSpanNotConverted).
  void fault(MessageKind kind, const Place& place, std::string text);

  /// Hands on a warning the caller worded.
  void warning(const Place& place, std::string text);

  /// Ends the run: says how many faults there were when not all were shown.
  void finish();

  /// The faults so far: values not converted.
  std::size_t faults() const { return not_numbers_ + spans_not_converted_; }
  /// The values that were not whole numbers.
  std::size_t not_numbers() const { return not_numbers_; }
  /// The spans that were not converted.
  std::size_t spans_not_converted() const { return spans_not_converted_; }
  /// The notes on converted spans.
  std::size_t notes() const { return notes_; }
  /// The faults counted but not shown one by one.
  std::size_t unshown() const { return faults() - std::min(faults(), showing_.most); }

 private:
  /// True when the next fault will be shown.
  bool showing_next() const { return faults() < showing_.most; }

  Showing showing_;
  MessageSink sink_;
  std::size_t not_numbers_ = 0;
  std::size_t spans_not_converted_ = 0;
  std::size_t notes_ = 0;
};

}  // namespace table

#endif  // VARVE_TABLE_REPORTER_H_
