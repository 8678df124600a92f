#ifndef VARVE_BINDINGS_SPAN_COLUMNS_H_
#define VARVE_BINDINGS_SPAN_COLUMNS_H_

// What the R and Python bindings give for spans of varves, one pair of ends a
// row: the columns of a span's row in each direction (their names, order and
// values), and the long table of the corrections inside the spans. The span
// itself is the engine's (chronology/span.h) and its words the accounts'
// (sentences/span_account.h); each binding only reads its pairs into cells
// and stores what these functions give.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "chronology/cell.h"
#include "chronology/shown_text.h"
#include "chronology/span.h"
#include "sentences/span_account.h"
#include "varve_columns.h"

namespace varve_columns {

using chronology::SequenceSpan;
using chronology::SpanResult;

/// How a binding stores a column: text, whole numbers or true and false.
enum class ValueType : std::uint8_t { kText, kInteger, kLogical };

/// One value of a row, missing or of its column's type.
struct Value {
  std::optional<std::string> text;
  std::optional<VarveNumber> integer;
  std::optional<bool> flag;
};

/// Which value of a span's row a span column holds.
enum class SpanField : std::uint8_t {
  kSequence,       ///< The NE sequence of the span.
  kNeFirst,        ///< The first NE varve.
  kNeLast,         ///< The last NE varve.
  kAmFirst,        ///< The first AM varve.
  kAmLast,         ///< The last AM varve.
  kNeVarves,       ///< How many NE varves the span holds.
  kAmVarves,       ///< How many AM varves (years) the span holds.
  kSplits,         ///< How many splits lie in the span.
  kJoins,          ///< How many joins lie in the span.
  kFirstCut,       ///< The correction the first end cuts through, in words.
  kLastCut,        ///< The correction the last end cuts through, in words.
  kFalseCouplets,  ///< A false-couplet run lies in the span.
  kNotConverted,   ///< Why the pair is not converted, in words.
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

/// A column of a span's row: its name, the value it holds and, am-to-ne, the
/// NE sequence whose part of the span it describes (ne-to-am: none, the
/// span's one sequence).
struct SpanColumn {
  std::string_view name;
  SpanField field;
  std::optional<Sequence> part;
};

/// The columns of an NE span's row, in order.
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

/// The columns of an AM span's row, in order: LC's part of the span (its NE
/// ends, the AM varves it covers, durations, corrections and cut ends), then
/// UC's, then the two that concern the whole span.
inline constexpr std::array<SpanColumn, 22> kAmSpanColumns{{
    {"lc_first", SpanField::kNeFirst, Sequence::kLc},
    {"lc_last", SpanField::kNeLast, Sequence::kLc},
    {"lc_am_first", SpanField::kAmFirst, Sequence::kLc},
    {"lc_am_last", SpanField::kAmLast, Sequence::kLc},
    {"lc_ne_varves", SpanField::kNeVarves, Sequence::kLc},
    {"lc_am_varves", SpanField::kAmVarves, Sequence::kLc},
    {"lc_splits", SpanField::kSplits, Sequence::kLc},
    {"lc_joins", SpanField::kJoins, Sequence::kLc},
    {"lc_first_cut", SpanField::kFirstCut, Sequence::kLc},
    {"lc_last_cut", SpanField::kLastCut, Sequence::kLc},
    {"uc_first", SpanField::kNeFirst, Sequence::kUc},
    {"uc_last", SpanField::kNeLast, Sequence::kUc},
    {"uc_am_first", SpanField::kAmFirst, Sequence::kUc},
    {"uc_am_last", SpanField::kAmLast, Sequence::kUc},
    {"uc_ne_varves", SpanField::kNeVarves, Sequence::kUc},
    {"uc_am_varves", SpanField::kAmVarves, Sequence::kUc},
    {"uc_splits", SpanField::kSplits, Sequence::kUc},
    {"uc_joins", SpanField::kJoins, Sequence::kUc},
    {"uc_first_cut", SpanField::kFirstCut, Sequence::kUc},
    {"uc_last_cut", SpanField::kLastCut, Sequence::kUc},
    {"false_couplets", SpanField::kFalseCouplets, {}},
    {"not_converted", SpanField::kNotConverted, {}},
}};

/// The columns of a span's row in `direction`, in order.
constexpr std::span<const SpanColumn> span_columns(Direction direction) {
  return direction == Direction::kNeToAm ? std::span<const SpanColumn>(kNeSpanColumns)
                                         : std::span<const SpanColumn>(kAmSpanColumns);
}

/// The texts of the ends that are not single numbers (not whole numbers, or
/// spans themselves), as the user gave them, for the messages of their rows.
/// Read cells with it as with Warnings.
class EndTexts {
 public:
  /// Keeps the text of `cell`, the end at `index`, when it is not a single
  /// number; `shown()` gives the text as given.
  template <class Shown>
  void note(std::size_t index, const Cell& cell, Shown&& shown) {
    if (cell.kind == CellKind::kInvalid || cell.kind == CellKind::kSpan) {
      texts_[index] = chronology::ascii_shown_cut(shown(), kShownBytes);
    }
  }

  /// The text kept for the end at `index`; empty when none was.
  std::string_view at(std::size_t index) const {
    auto found = texts_.find(index);
    return found == texts_.end() ? std::string_view() : std::string_view(found->second);
  }

 private:
  std::unordered_map<std::size_t, std::string> texts_;
};

/// One pair's row: empty (an end is missing), not converted (and why), or a
/// converted span.
struct SpanRow {
  bool empty = false;
  /// Both ends single numbers: the span, converted or not.
  std::optional<SpanResult> span;
  /// Why the pair is not converted; empty when it is, or the row is empty.
  std::string not_converted;
};

/// The row of the pair `first`-`last` in `direction`. `first_text` and
/// `last_text` are the texts of the ends as EndTexts keeps them, for an end
/// that is not a single number.
inline SpanRow span_row(Direction direction, const Cell& first, const Cell& last,
                        std::string_view first_text, std::string_view last_text) {
  SpanRow row;
  if (first.kind == CellKind::kEmpty || last.kind == CellKind::kEmpty) {
    row.empty = true;
    return row;
  }
  for (auto [cell, text, end] : {std::tuple{&first, first_text, "the first end"},
                                 std::tuple{&last, last_text, "the last end"}}) {
    if (cell->kind != CellKind::kNumber) {
      row.not_converted += row.not_converted.empty() ? "" : "; ";
      row.not_converted +=
          std::string(end) + " is " + chronology::invalid_cell_message(text, *cell);
    }
  }
  if (row.not_converted.empty()) {
    row.span = chronology::span_of(direction, first.number, last.number);
    row.not_converted = sentences::span_fault_message(*row.span);
  }
  return row;
}

namespace span_detail {

/// The part of a converted span that `part` names: ne-to-am (no sequence
/// named), the one; am-to-ne, that sequence's, if it covers any.
inline const SequenceSpan* part_of(const SpanRow& row, std::optional<Sequence> part) {
  if (!row.span || !row.span->converted()) {
    return nullptr;
  }
  for (const SequenceSpan& span : row.span->spans) {
    if (!part || span.sequence == *part) {
      return &span;
    }
  }
  return nullptr;
}

/// How many of the corrections inside `span` are `relation`.
inline VarveNumber count_of(const SequenceSpan& span, Relation relation) {
  VarveNumber count = 0;
  for (const Link& link : span.corrections) {
    count += link.relation == relation;
  }
  return count;
}

}  // namespace span_detail

/// The value of `column` in `row`; missing where the row is empty, not
/// converted, or has no part in the column's sequence.
inline Value span_value(const SpanRow& row, const SpanColumn& column) {
  Value value;
  if (column.field == SpanField::kNotConverted) {
    if (!row.not_converted.empty()) {
      value.text = row.not_converted;
    }
    return value;
  }
  if (column.field == SpanField::kFalseCouplets) {
    if (row.span && row.span->converted()) {
      value.flag = false;
      for (const SequenceSpan& span : row.span->spans) {
        value.flag = *value.flag || span.false_couplets;
      }
    }
    return value;
  }
  const SequenceSpan* span = span_detail::part_of(row, column.part);
  if (span == nullptr) {
    return value;
  }
  switch (column.field) {
    case SpanField::kSequence:
      value.text = std::string(chronology::sequence_name(span->sequence));
      break;
    case SpanField::kNeFirst:
      value.integer = span->ne.first;
      break;
    case SpanField::kNeLast:
      value.integer = span->ne.last;
      break;
    case SpanField::kAmFirst:
      value.integer = span->am.first;
      break;
    case SpanField::kAmLast:
      value.integer = span->am.last;
      break;
    case SpanField::kNeVarves:
      value.integer = span->ne_varves();
      break;
    case SpanField::kAmVarves:
      value.integer = span->am_varves();
      break;
    case SpanField::kSplits:
      value.integer = span_detail::count_of(*span, Relation::kSplit);
      break;
    case SpanField::kJoins:
      value.integer = span_detail::count_of(*span, Relation::kJoined);
      break;
    case SpanField::kFirstCut:
    case SpanField::kLastCut: {
      const std::optional<Link>& cut =
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

/// Which value of a correction's row a correction column holds.
enum class CorrectionField : std::uint8_t {
  kPair,           ///< The position of the pair whose span holds it.
  kSequence,       ///< Its NE sequence.
  kRelation,       ///< Split or joined.
  kNeFirst,        ///< Its first NE varve.
  kNeLast,         ///< Its last NE varve.
  kAmFirst,        ///< Its first AM varve.
  kAmLast,         ///< Its last AM varve.
  kFalseCouplets,  ///< The join is false annual couplets.
  kCut,            ///< Which end of the span cuts through it, if any.
};

/// A column of the corrections' table: its name, the value it holds, its type.
struct CorrectionColumn {
  std::string_view name;
  CorrectionField field;
  ValueType type;
};

/// The columns of the corrections' table, in order: one row per correction
/// inside a pair's span, the pair's in order, LC's before UC's.
inline constexpr std::array<CorrectionColumn, 9> kCorrectionColumns{{
    {"pair", CorrectionField::kPair, ValueType::kInteger},
    {"sequence", CorrectionField::kSequence, ValueType::kText},
    {"relation", CorrectionField::kRelation, ValueType::kText},
    {"ne_first", CorrectionField::kNeFirst, ValueType::kInteger},
    {"ne_last", CorrectionField::kNeLast, ValueType::kInteger},
    {"am_first", CorrectionField::kAmFirst, ValueType::kInteger},
    {"am_last", CorrectionField::kAmLast, ValueType::kInteger},
    {"false_couplets", CorrectionField::kFalseCouplets, ValueType::kLogical},
    {"cut", CorrectionField::kCut, ValueType::kText},
}};

/// One correction inside the span of the pair at `pair` (counted from the
/// binding's first position), and which of the span's ends cut through it.
struct CorrectionRow {
  std::size_t pair = 0;
  Link link;
  std::string_view cut;  ///< "first", "last", "both", or empty for neither.
};

/// Adds a row for each correction inside the span of `row`, the pair at `pair`.
inline void append_corrections(std::vector<CorrectionRow>& rows, std::size_t pair,
                               const SpanRow& row) {
  if (!row.span || !row.span->converted()) {
    return;
  }
  for (const SequenceSpan& span : row.span->spans) {
    for (const Link& link : span.corrections) {
      bool first = span.first_cut && *span.first_cut == link;
      bool last = span.last_cut && *span.last_cut == link;
      std::string_view cut = first && last ? "both" : first ? "first" : last ? "last" : "";
      rows.push_back({pair, link, cut});
    }
  }
}

/// The value of `column` in `row`.
inline Value correction_value(const CorrectionRow& row, const CorrectionColumn& column) {
  Value value;
  const Link& link = row.link;
  switch (column.field) {
    case CorrectionField::kPair:
      value.integer = static_cast<VarveNumber>(row.pair);
      break;
    case CorrectionField::kSequence:
      value.text = std::string(chronology::sequence_name(link.sequence));
      break;
    case CorrectionField::kRelation:
      value.text = std::string(chronology::relation_name(link.relation));
      break;
    case CorrectionField::kNeFirst:
      value.integer = link.ne_first;
      break;
    case CorrectionField::kNeLast:
      value.integer = link.ne_last;
      break;
    case CorrectionField::kAmFirst:
      value.integer = link.am_first;
      break;
    case CorrectionField::kAmLast:
      value.integer = link.am_last;
      break;
    case CorrectionField::kFalseCouplets:
      value.flag = link.false_couplets;
      break;
    case CorrectionField::kCut:
      if (!row.cut.empty()) {
        value.text = std::string(row.cut);
      }
      break;
  }
  return value;
}

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_SPAN_COLUMNS_H_
