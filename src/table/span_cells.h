#ifndef VARVE_TABLE_SPAN_CELLS_H_
#define VARVE_TABLE_SPAN_CELLS_H_

// What an interval of two ends adds to its row: its ends in both
// chronologies, its durations, the splits and joins inside it, the false
// couplets, the corrections its ends cut through, and why it is not
// converted. The columns are named and ordered here once, for every front
// end: varve-batch's two columns as one interval, and the R and Python span
// rows. The span itself is the engine's (chronology/span.h) and its words the
// account's (sentences/span_account.h).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/span.h"
#include "sentences/span_account.h"

namespace table {

/// How a front end stores a value of an interval's row: text, a whole number,
/// or true and false.
enum class ValueType : std::uint8_t { kText, kInteger, kLogical };

/// One value of an interval's row, missing or of its column's type.
struct SpanValue {
  std::optional<std::string> text;
  std::optional<std::int32_t> integer;  ///< A number of either chronology, or a count.
  std::optional<bool> flag;
};

/// Which value of an interval's row a column holds.
enum class SpanField : std::uint8_t {
  kSequence,       ///< The NE sequence of the interval.
  kNeFirst,        ///< The first NE varve.
  kNeLast,         ///< The last NE varve.
  kAmFirst,        ///< The first AM varve.
  kAmLast,         ///< The last AM varve.
  kNeVarves,       ///< How many NE varves the interval holds.
  kAmVarves,       ///< How many AM varves (years) the interval holds.
  kSplits,         ///< How many splits lie in the interval.
  kJoins,          ///< How many joins lie in the interval.
  kFirstCut,       ///< The correction the first end cuts through, in words.
  kLastCut,        ///< The correction the last end cuts through, in words.
  kFalseCouplets,  ///< A false-couplet run lies in the interval.
  kNotConverted,   ///< Why the interval is not converted, in words.
};

/// The type of the values of `field`.
constexpr ValueType value_type(SpanField field) {
  switch (field) {
    case SpanField::kSequence:
    case SpanField::kFirstCut:
    case SpanField::kLastCut:
    case SpanField::kNotConverted:
      return ValueType::kText;
    case SpanField::kFalseCouplets:
      return ValueType::kLogical;
    default:
      return ValueType::kInteger;
  }
}

/// A column of an interval's row: its name, the value it holds and, am-to-ne,
/// the NE sequence whose part of the interval it describes (ne-to-am: none,
/// the interval's one sequence).
struct SpanColumn {
  std::string_view name;
  SpanField field;
  std::optional<chronology::Sequence> part;
};

/// The columns of an NE interval's row, in order.
inline constexpr std::array<SpanColumn, 13> kNeSpanColumns{{
    {"sequence", SpanField::kSequence, {}},
    {"ne_first", SpanField::kNeFirst, {}},
    {"ne_last", SpanField::kNeLast, {}},
    {"am_first", SpanField::kAmFirst, {}},
    {"am_last", SpanField::kAmLast, {}},
    {"ne_varves", SpanField::kNeVarves, {}},
    {"am_varves", SpanField::kAmVarves, {}},
    {"splits", SpanField::kSplits, {}},
    {"joins", SpanField::kJoins, {}},
    {"false_couplets", SpanField::kFalseCouplets, {}},
    {"first_cut", SpanField::kFirstCut, {}},
    {"last_cut", SpanField::kLastCut, {}},
    {"not_converted", SpanField::kNotConverted, {}},
}};

/// The columns of an AM interval's row, in order: LC's part of it (its NE
/// ends, the AM varves it covers, durations, corrections and cut ends), then
/// UC's, then the two that concern the whole interval.
inline constexpr std::array<SpanColumn, 22> kAmSpanColumns{{
    {"lc_first", SpanField::kNeFirst, chronology::Sequence::kLc},
    {"lc_last", SpanField::kNeLast, chronology::Sequence::kLc},
    {"lc_am_first", SpanField::kAmFirst, chronology::Sequence::kLc},
    {"lc_am_last", SpanField::kAmLast, chronology::Sequence::kLc},
    {"lc_ne_varves", SpanField::kNeVarves, chronology::Sequence::kLc},
    {"lc_am_varves", SpanField::kAmVarves, chronology::Sequence::kLc},
    {"lc_splits", SpanField::kSplits, chronology::Sequence::kLc},
    {"lc_joins", SpanField::kJoins, chronology::Sequence::kLc},
    {"lc_first_cut", SpanField::kFirstCut, chronology::Sequence::kLc},
    {"lc_last_cut", SpanField::kLastCut, chronology::Sequence::kLc},
    {"uc_first", SpanField::kNeFirst, chronology::Sequence::kUc},
    {"uc_last", SpanField::kNeLast, chronology::Sequence::kUc},
    {"uc_am_first", SpanField::kAmFirst, chronology::Sequence::kUc},
    {"uc_am_last", SpanField::kAmLast, chronology::Sequence::kUc},
    {"uc_ne_varves", SpanField::kNeVarves, chronology::Sequence::kUc},
    {"uc_am_varves", SpanField::kAmVarves, chronology::Sequence::kUc},
    {"uc_splits", SpanField::kSplits, chronology::Sequence::kUc},
    {"uc_joins", SpanField::kJoins, chronology::Sequence::kUc},
    {"uc_first_cut", SpanField::kFirstCut, chronology::Sequence::kUc},
    {"uc_last_cut", SpanField::kLastCut, chronology::Sequence::kUc},
    {"false_couplets", SpanField::kFalseCouplets, {}},
    {"not_converted", SpanField::kNotConverted, {}},
}};

/// The columns of an interval's row in `direction`, in order.
constexpr std::span<const SpanColumn> span_columns(chronology::Direction direction) {
  return direction == chronology::Direction::kNeToAm ? std::span<const SpanColumn>(kNeSpanColumns)
                                                     : std::span<const SpanColumn>(kAmSpanColumns);
}

/// One interval's row: empty (both ends empty), not converted (and why), or
/// converted.
struct SpanRow {
  bool empty = false;
  /// Both ends single numbers: the span, converted or not.
  std::optional<chronology::SpanResult> span;
  /// Why the interval is not converted; empty when it is, or the row is empty.
  std::string not_converted;
};

/// The row of the interval between the ends `first` and `last` (in either
/// order) in `direction`. `first_text` and `last_text` are the ends' texts,
/// already made safe to show, for an end that is not a single number. Both
/// ends empty is no interval: an empty row. One end empty is an incomplete
/// interval, not converted, and so is one whose end is not a whole number:
/// the row says which end and why, as it says why a span is not converted.
inline SpanRow span_row(chronology::Direction direction, const chronology::Cell& first,
                        const chronology::Cell& last, std::string_view first_text,
                        std::string_view last_text) {
  using chronology::CellKind;
  SpanRow row;
  if (first.kind == CellKind::kEmpty && last.kind == CellKind::kEmpty) {
    row.empty = true;
    return row;
  }
  for (auto [cell, text, end] : {std::tuple{&first, first_text, "the first end"},
                                 std::tuple{&last, last_text, "the last end"}}) {
    if (cell->kind == CellKind::kNumber) {
      continue;
    }
    // Appended piece by piece: GCC 12 at -O2 warns falsely of overlapping
    // copies in "literal" + std::string.
    row.not_converted += row.not_converted.empty() ? "" : "; ";
    row.not_converted += end;
    if (cell->kind == CellKind::kEmpty) {
      row.not_converted += " is empty: an incomplete interval";
    } else {
      row.not_converted += " is ";
      row.not_converted += chronology::invalid_cell_message(text, *cell);
    }
  }
  if (row.not_converted.empty()) {
    row.span = chronology::span_of(direction, first.number, last.number);
    row.not_converted = sentences::span_fault_message(*row.span);
  }
  return row;
}

namespace span_cells_detail {

/// The part of a converted interval that `part` names: ne-to-am (no sequence
/// named), the one; am-to-ne, that sequence's, if it covers any.
inline const chronology::SequenceSpan* part_of(const SpanRow& row,
                                               std::optional<chronology::Sequence> part) {
  if (!row.span || !row.span->converted()) {
    return nullptr;
  }
  for (const chronology::SequenceSpan& span : row.span->spans) {
    if (!part || span.sequence == *part) {
      return &span;
    }
  }
  return nullptr;
}

/// How many of the corrections inside `span` are `relation`.
inline std::int32_t count_of(const chronology::SequenceSpan& span, chronology::Relation relation) {
  std::int32_t count = 0;
  for (const chronology::Link& link : span.corrections) {
    count += link.relation == relation;
  }
  return count;
}

}  // namespace span_cells_detail

/// The value of `column` in `row`; missing where the row is empty, not
/// converted, or has no part in the column's sequence.
inline SpanValue span_value(const SpanRow& row, const SpanColumn& column) {
  SpanValue value;
  if (column.field == SpanField::kNotConverted) {
    if (!row.not_converted.empty()) {
      value.text = row.not_converted;
    }
    return value;
  }
  if (column.field == SpanField::kFalseCouplets) {
    if (row.span && row.span->converted()) {
      value.flag = false;
      for (const chronology::SequenceSpan& span : row.span->spans) {
        value.flag = *value.flag || span.false_couplets;
      }
    }
    return value;
  }
  const chronology::SequenceSpan* span = span_cells_detail::part_of(row, column.part);
  if (span == nullptr) {
    return value;
  }
  switch (column.field) {
    case SpanField::kSequence:
      value.text = std::string(chronology::sequence_name(span->sequence));
      break;
    case SpanField::kNeFirst:
      value.integer = span->ne.first.value();
      break;
    case SpanField::kNeLast:
      value.integer = span->ne.last.value();
      break;
    case SpanField::kAmFirst:
      value.integer = span->am.first.value();
      break;
    case SpanField::kAmLast:
      value.integer = span->am.last.value();
      break;
    case SpanField::kNeVarves:
      value.integer = span->ne_varves();
      break;
    case SpanField::kAmVarves:
      value.integer = span->am_varves();
      break;
    case SpanField::kSplits:
      value.integer = span_cells_detail::count_of(*span, chronology::Relation::kSplit);
      break;
    case SpanField::kJoins:
      value.integer = span_cells_detail::count_of(*span, chronology::Relation::kJoined);
      break;
    case SpanField::kFirstCut:
    case SpanField::kLastCut: {
      const std::optional<chronology::Link>& cut =
          column.field == SpanField::kFirstCut ? span->first_cut : span->last_cut;
      if (cut) {
        value.text = sentences::correction_text(*cut);
      }
      break;
    }
    default:
      break;
  }
  return value;
}

}  // namespace table

#endif  // VARVE_TABLE_SPAN_CELLS_H_
