#ifndef VARVE_BINDINGS_VARVE_COLUMNS_H_
#define VARVE_BINDINGS_VARVE_COLUMNS_H_

// What the R and Python bindings share: the added columns of a cell, as the
// engine lays them out (chronology/added_columns.h), and the messages that tell
// the user which cells were not numbers or spans that are not converted. What
// a value means is the engine's cell rule alone (chronology/cell.h); the
// tables, links and spans come from the engine. Each binding supplies only
// its storage.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "chronology/added_columns.h"
#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/shown_text.h"
#include "chronology/span.h"
#include "sentences/span_account.h"

namespace varve_columns {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::Link;
using chronology::Links;
using chronology::Relation;
using chronology::Sequence;
using chronology::VarveNumber;

using chronology::added_columns;
using chronology::added_row;
using chronology::AddedColumn;
using chronology::AddedField;
using chronology::AddedRow;
using chronology::code_of;
using chronology::kNeToAmColumns;
using chronology::kRelationNames;
using chronology::kSequenceNames;
using chronology::RelationCode;

/// The bytes of a cell shown in a message: at most this many, then "...".
inline constexpr std::size_t kShownBytes = 32;

/// A floating-point value as the host language writes it, in the fewest digits
/// that read back to it; an infinity as `infinity`, with its sign.
inline std::string shown_real(double value, std::string_view infinity) {
  if (value - value != 0) {
    std::string text = value < 0 ? "-" : "";
    text.append(infinity);
    return text;
  }
  std::array<char, 32> text{};
  auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} ? std::string(text.data(), end) : std::string("?");
}

/// The cells of a column that are not converted for what they hold: how many
/// are not whole numbers, how many are spans not converted, and the engine's
/// message for the first few, each with the element's position.
class InvalidCells {
 public:
  /// How many messages are kept; the others are only counted.
  static constexpr std::size_t kKept = 5;

  /// `first_position` is the position of the first element: 1 in R, 0 in
  /// Python; `direction` the one the cells are converted in; `label` what the
  /// messages call an element.
  InvalidCells(std::size_t first_position, Direction direction, std::string_view label = "element")
      : first_position_(first_position), direction_(direction), label_(label) {}

  /// Counts `cell`, the element at `index`, when it is invalid or a span that
  /// is not converted; `shown()` gives its text as the user gave it, and is
  /// called for the first few only.
  template <class Shown>
  void note(std::size_t index, const Cell& cell, Shown&& shown) {
    if (cell.kind == CellKind::kSpan) {
      chronology::SpanResult span = chronology::span_of(direction_, cell.number, cell.last);
      if (!span.converted() && spans_++ + count_ < kKept) {
        keep(index, sentences::span_fault_message(span));
      }
      return;
    }
    if (cell.kind != CellKind::kInvalid) {
      return;
    }
    if (count_++ + spans_ < kKept) {
      keep(index, chronology::invalid_cell_message(
                      chronology::ascii_shown_cut(shown(), kShownBytes), cell));
    }
  }

  /// Counts the element at `index` as not converted, for the reason `message`.
  void add(std::size_t index, const std::string& message) {
    if (count_++ + spans_ < kKept) {
      keep(index, message);
    }
  }

  /// How many cells were invalid (or elements added).
  std::size_t count() const { return count_; }

  /// How many cells were spans that are not converted.
  std::size_t spans() const { return spans_; }

  /// The kept messages, one a line, then "and N more" when there were more.
  std::string details() const {
    std::string text;
    for (const std::string& message : messages_) {
      text += (text.empty() ? "" : "\n") + message;
    }
    if (count_ + spans_ > messages_.size()) {
      text += "\nand " + std::to_string(count_ + spans_ - messages_.size()) + " more";
    }
    return text;
  }

 private:
  /// Keeps `message`, of the element at `index`.
  void keep(std::size_t index, const std::string& message) {
    messages_.push_back(std::string(label_) + " " + std::to_string(first_position_ + index) + ": " +
                        message);
  }

  std::size_t first_position_;
  Direction direction_;
  std::string_view label_;
  std::size_t count_ = 0;
  std::size_t spans_ = 0;
  std::vector<std::string> messages_;
};

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_VARVE_COLUMNS_H_
