#ifndef VARVE_BINDINGS_SPAN_COLUMNS_H_
#define VARVE_BINDINGS_SPAN_COLUMNS_H_

// What the R and Python bindings give for spans of varves, one pair of ends a
// row: the texts of ends that are not single numbers, and the long table of
// the corrections inside the spans. The columns of a span's row are the table
// model's (table/span_cells.h), which varve-batch writes too; the span itself
// is the engine's (chronology/span.h) and its words the accounts'
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
#include "table/span_cells.h"
#include "varve_columns.h"

namespace varve_columns {

using chronology::SequenceSpan;
using chronology::SpanResult;

using table::span_columns;
using table::span_row;
using table::span_value;
using table::SpanColumn;
using table::SpanField;
using table::SpanRow;
using table::ValueType;
using Value = table::SpanValue;

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
      value.integer = static_cast<std::int32_t>(row.pair);
      break;
    case CorrectionField::kSequence:
      value.text = std::string(chronology::sequence_name(link.sequence));
      break;
    case CorrectionField::kRelation:
      value.text = std::string(chronology::relation_name(link.relation));
      break;
    case CorrectionField::kNeFirst:
      value.integer = link.ne_first.value();
      break;
    case CorrectionField::kNeLast:
      value.integer = link.ne_last.value();
      break;
    case CorrectionField::kAmFirst:
      value.integer = link.am_first.value();
      break;
    case CorrectionField::kAmLast:
      value.integer = link.am_last.value();
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
