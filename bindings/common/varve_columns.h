#ifndef VARVE_BINDINGS_VARVE_COLUMNS_H_
#define VARVE_BINDINGS_VARVE_COLUMNS_H_

// What the R and Python bindings share: the engine's links of a cell laid out
// as the columns of varve-batch's column mode, and the messages that tell the
// user which cells were not numbers. What a value means is the engine's cell
// rule alone (chronology/cell.h); the tables and links come from the engine.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "chronology/cell.h"
#include "chronology/links.h"

namespace varve_columns {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::Link;
using chronology::Links;
using chronology::Relation;
using chronology::Sequence;
using chronology::VarveNumber;

/// The codes of the relation columns: the engine's relations, then the two
/// that only a row can have, then none (a missing value, or no link).
enum class RelationCode : std::uint8_t {
  kCorresponds,
  kSplit,
  kJoined,
  kOutside,
  kInvalid,
  kNone,
};

/// The text of each relation code, as varve-batch writes it; none is empty.
inline constexpr std::array<std::string_view, 6> kRelationNames{
    chronology::relation_name(Relation::kCorresponds),
    chronology::relation_name(Relation::kSplit),
    chronology::relation_name(Relation::kJoined),
    "outside",
    "invalid",
    ""};

/// The text of each sequence, then of none.
inline constexpr std::array<std::string_view, 3> kSequenceNames{
    chronology::sequence_name(Sequence::kLc), chronology::sequence_name(Sequence::kUc), ""};

/// The code of an engine relation.
constexpr RelationCode code_of(Relation relation) {
  switch (relation) {
    case Relation::kCorresponds:
      return RelationCode::kCorresponds;
    case Relation::kSplit:
      return RelationCode::kSplit;
    case Relation::kJoined:
      break;
  }
  return RelationCode::kJoined;
}

/// The code of a row that has no link: empty, invalid or outside.
constexpr RelationCode unlinked_code(CellKind kind) {
  return kind == CellKind::kEmpty     ? RelationCode::kNone
         : kind == CellKind::kInvalid ? RelationCode::kInvalid
                                      : RelationCode::kOutside;
}

/// The links of a cell in `direction`: none unless it holds a number.
constexpr Links links_of_cell(Direction direction, const Cell& cell) {
  return cell.kind == CellKind::kNumber ? chronology::links_of(direction, cell.number) : Links{};
}

/// The bytes of a cell shown in a message: at most this many, then "...".
inline constexpr std::size_t kShownBytes = 32;

/// `bytes` made safe to show: every byte outside printable ASCII as \xNN, and
/// cut after `kShownBytes` so that one long value cannot flood a message.
inline std::string printable(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  bool cut = bytes.size() > kShownBytes;
  std::string out;
  for (unsigned char c : bytes.substr(0, kShownBytes)) {
    if (c < 0x20 || c >= 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    } else {
      out += static_cast<char>(c);
    }
  }
  return cut ? out + "..." : out;
}

/// A floating-point value as the host language writes it, in the fewest digits
/// that read back to it; an infinity as `infinity`, with its sign.
inline std::string shown_real(double value, std::string_view infinity) {
  if (value - value != 0) {
    return (value < 0 ? "-" : "") + std::string(infinity);
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
                          chronology::invalid_cell_message(printable(shown()), cell));
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

using chronology::by_sequence;
using chronology::BySequence;

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_VARVE_COLUMNS_H_
