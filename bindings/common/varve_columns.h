#ifndef VARVE_BINDINGS_VARVE_COLUMNS_H_
#define VARVE_BINDINGS_VARVE_COLUMNS_H_

// What the R and Python bindings share: the added columns of a cell, as the
// engine lays them out (chronology/added_columns.h), and the messages that tell
// the user which cells were not numbers. What a value means is the engine's
// cell rule alone (chronology/cell.h); the tables and links come from the
// engine. Each binding supplies only its storage.

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

/// The invalid cells of a column: how many, and the engine's message for the
/// first few, each with the element's position.
class InvalidCells {
 public:
  /// How many messages are kept; the others are only counted.
  static constexpr std::size_t kKept = 5;

  /// `first_position` is the position of the first element: 1 in R, 0 in Python.
  explicit InvalidCells(std::size_t first_position) : first_position_(first_position) {}

  /// Counts `cell`, the element at `index`, when it is invalid; `shown()` gives
  /// its text as the user gave it, and is called for the first few only.
  template <class Shown>
  void note(std::size_t index, const Cell& cell, Shown&& shown) {
    if (cell.kind != CellKind::kInvalid) {
      return;
    }
    if (count_++ < kKept) {
      messages_.push_back("element " + std::to_string(first_position_ + index) + ": " +
                          chronology::invalid_cell_message(
                              chronology::ascii_shown_cut(shown(), kShownBytes), cell));
    }
  }

  /// How many cells were invalid.
  std::size_t count() const { return count_; }

  /// The kept messages, one a line, then "and N more" when there were more.
  std::string details() const {
    std::string text;
    for (const std::string& message : messages_) {
      text += (text.empty() ? "" : "\n") + message;
    }
    if (count_ > messages_.size()) {
      text += "\nand " + std::to_string(count_ - messages_.size()) + " more";
    }
    return text;
  }

 private:
  std::size_t first_position_;
  std::size_t count_ = 0;
  std::vector<std::string> messages_;
};

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_VARVE_COLUMNS_H_
