#ifndef VARVE_BINDINGS_VARVE_COLUMNS_H_
#define VARVE_BINDINGS_VARVE_COLUMNS_H_

// What the R and Python bindings share: the table model's added cells of a
// value (table/added_cells.h) and its reporter (table/reporter.h), with the
// warning that tells the user which values were not converted. What a value
// means is the engine's cell rule alone (chronology/cell.h); each binding
// supplies only its storage, and how it names an element.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/shown_text.h"
#include "chronology/span.h"
#include "table/added_cells.h"
#include "table/reporter.h"

namespace varve_columns {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::Link;
using chronology::Links;
using chronology::Relation;
using chronology::Sequence;

using table::AddedFlag;
using table::AddedNumber;
using table::AddedSequence;
using table::code_of;
using table::kIsAddedNumber;
using table::kRelationNames;
using table::kSequenceNames;
using table::number_cells;
using table::NumberCells;
using table::RelationCode;
using table::visit_fields;

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

/// The faults of a column's values, through the table model's reporter: how
/// many are not whole numbers, how many are spans not converted, and the
/// messages of the first few, each with its element's index (from 0), for
/// the binding to name as it names an element.
class Warnings {
 public:
  /// How many messages are kept; the others are only counted.
  static constexpr std::size_t kKept = 5;

  /// The faults of values converted in `direction`.
  explicit Warnings(Direction direction)
      : direction_(direction), reporter_({kKept, "values"}, [this](const table::Message& m) {
          if (table::is_fault(m.kind)) {
            kept_.emplace_back(m.place.row, m.text);
          }
        }) {}
  Warnings(const Warnings&) = delete;
  Warnings& operator=(const Warnings&) = delete;

  /// Counts `cell`, the element at `index`, when it is not converted;
  /// `shown()` gives its text as the user gave it, and is called for the
  /// messages kept only.
  template <class Shown>
  void note(std::size_t index, const Cell& cell, Shown&& shown) {
    reporter_.cell(direction_, {index, 0, 0}, cell,
                   [&] { return chronology::ascii_shown_cut(shown(), kShownBytes); });
  }

  /// Counts the element at `index` as not converted, for the reason `message`.
  void add(std::size_t index, std::string message) {
    reporter_.fault(table::MessageKind::kSpanNotConverted, {index, 0, 0}, std::move(message));
  }

  /// How many values were not whole numbers.
  std::size_t count() const { return reporter_.not_numbers(); }

  /// How many were spans that are not converted (or elements added).
  std::size_t spans() const { return reporter_.spans_not_converted(); }

  /// How many values were not converted, for any reason.
  std::size_t faults() const { return reporter_.faults(); }

  /// The messages kept, each with its element's index, in order.
  const std::vector<std::pair<std::size_t, std::string>>& kept() const { return kept_; }

  /// How many faults were counted but not kept.
  std::size_t more() const { return reporter_.unshown(); }

  /// The kept messages, a line each, as "`name(index)`: message", then "and N more".
  template <class Name>
  std::string details(Name&& name) const {
    std::string text;
    for (const auto& [index, message] : kept_) {
      // Appended piece by piece: GCC 12 at -O2 warns falsely (-Wrestrict) of
      // `"literal" + std::string` here.
      if (!text.empty())
        text += '\n';
      text += name(index);
      text += ": ";
      text += message;
    }
    if (more() > 0) {
      text += "\nand ";
      text += std::to_string(more());
      text += " more";
    }
    return text;
  }

 private:
  Direction direction_;
  table::Reporter reporter_;
  std::vector<std::pair<std::size_t, std::string>> kept_;
};

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_VARVE_COLUMNS_H_
