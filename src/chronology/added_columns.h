#ifndef VARVE_CHRONOLOGY_ADDED_COLUMNS_H_
#define VARVE_CHRONOLOGY_ADDED_COLUMNS_H_

// The columns that the front ends add beside a value (varve-batch's column
// and line modes, the page's file conversion, the R and Python bindings):
// their names in each direction, and the row of one cell as codes and
// numbers, from which each front end writes its own text or storage.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/span.h"

namespace chronology {

/// Which of a row's values an added column holds (see AddedRow).
enum class AddedField : std::uint8_t {
  kSequence,
  kRelation0,
  kRelation1,
  kNumber0,
  kNumber1,
  kNumber2,
  kNumber3,
  kFalseCouplets,
};

/// Which of AddedRow's numbers a number field is, or none for another field.
constexpr std::optional<std::size_t> number_index(AddedField field) {
  auto k = static_cast<std::size_t>(field) - static_cast<std::size_t>(AddedField::kNumber0);
  return k < 4 ? std::optional<std::size_t>(k) : std::nullopt;
}

/// An added column: its name, and the value of the row it holds.
struct AddedColumn {
  std::string_view name;
  AddedField field;
};

/// The columns added in ne-to-am, in order.
inline constexpr std::array<AddedColumn, 7> kNeToAmColumns{{
    {"sequence", AddedField::kSequence},
    {"relation", AddedField::kRelation0},
    {"ne_first", AddedField::kNumber0},
    {"ne_last", AddedField::kNumber1},
    {"am_first", AddedField::kNumber2},
    {"am_last", AddedField::kNumber3},
    {"false_couplets", AddedField::kFalseCouplets},
}};

/// The columns added in am-to-ne, in order: LC's relation and NE varves, then UC's.
inline constexpr std::array<AddedColumn, 7> kAmToNeColumns{{
    {"lc_relation", AddedField::kRelation0},
    {"lc_first", AddedField::kNumber0},
    {"lc_last", AddedField::kNumber1},
    {"uc_relation", AddedField::kRelation1},
    {"uc_first", AddedField::kNumber2},
    {"uc_last", AddedField::kNumber3},
    {"false_couplets", AddedField::kFalseCouplets},
}};

/// The columns added in `direction`, in order.
constexpr std::span<const AddedColumn, 7> added_columns(Direction direction) {
  return direction == Direction::kNeToAm ? kNeToAmColumns : kAmToNeColumns;
}

/// The codes of the relation columns: the engine's relations, then those
/// that only a row can have (a converted span, then the two without a link),
/// then none (a missing value, or no link).
enum class RelationCode : std::uint8_t {
  kCorresponds,
  kSplit,
  kJoined,
  kSpan,
  kOutside,
  kInvalid,
  kNone,
};

/// The text of each relation code, as the added columns show it; none is empty.
inline constexpr std::array<std::string_view, 7> kRelationNames{
    relation_name(Relation::kCorresponds),
    relation_name(Relation::kSplit),
    relation_name(Relation::kJoined),
    "span",
    "outside",
    "invalid",
    ""};

/// The text of each sequence, then of none.
inline constexpr std::array<std::string_view, 3> kSequenceNames{sequence_name(Sequence::kLc),
                                                                sequence_name(Sequence::kUc), ""};

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

// The bindings hand relation and sequence codes to their host language as
// small integers that index the name lists above: each code must be the
// engine's enumerator's own value, and name what the engine names it.
static_assert([] {
  for (Relation relation : {Relation::kCorresponds, Relation::kSplit, Relation::kJoined}) {
    auto code = static_cast<std::size_t>(code_of(relation));
    if (code != static_cast<std::size_t>(relation) ||
        kRelationNames[code] != relation_name(relation)) {
      return false;
    }
  }
  for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
    if (kSequenceNames[static_cast<std::size_t>(sequence)] != sequence_name(sequence)) {
      return false;
    }
  }
  return kRelationNames[static_cast<std::size_t>(RelationCode::kNone)].empty() &&
         kRelationNames.size() == static_cast<std::size_t>(RelationCode::kNone) + 1;
}());

/// The code of a row that has no link: none for an empty cell, else invalid
/// or outside.
constexpr RelationCode unlinked_code(CellKind kind) {
  return kind == CellKind::kEmpty     ? RelationCode::kNone
         : kind == CellKind::kInvalid ? RelationCode::kInvalid
                                      : RelationCode::kOutside;
}

/// The links of a cell in `direction`: none unless it holds a number.
constexpr Links links_of_cell(Direction direction, const Cell& cell) {
  return cell.kind == CellKind::kNumber ? links_of(direction, cell.number) : Links{};
}

/// The added cells of one value, which its direction's columns lay out (an
/// absent value is an empty cell). ne-to-am: the sequence, relations[0], and
/// the numbers ne_first, ne_last, am_first, am_last. am-to-ne: LC's relation
/// and first and last NE varves in relations[0] and numbers[0..1], UC's in
/// relations[1] and numbers[2..3].
struct AddedRow {
  std::optional<Sequence> sequence;  ///< ne-to-am only.
  std::array<RelationCode, 2> relations{RelationCode::kNone, RelationCode::kNone};
  std::array<std::optional<VarveNumber>, 4> numbers;
  std::optional<bool> false_couplets;
};

/// The added cells of `span`: ne-to-am, its sequence and ends in each
/// chronology; am-to-ne, each sequence's NE ends. A span that is not
/// converted is invalid.
constexpr AddedRow added_span_row(const SpanResult& span) {
  AddedRow row;
  if (!span.converted()) {
    row.relations = {RelationCode::kInvalid, span.direction == Direction::kAmToNe
                                                 ? RelationCode::kInvalid
                                                 : RelationCode::kNone};
    return row;
  }
  row.false_couplets = false;
  for (const SequenceSpan& part : span.spans) {
    row.false_couplets = *row.false_couplets || part.false_couplets;
    if (span.direction == Direction::kNeToAm) {
      row.sequence = part.sequence;
      row.relations[0] = RelationCode::kSpan;
      row.numbers = {part.ne.first, part.ne.last, part.am.first, part.am.last};
    } else {
      std::size_t k = part.sequence == Sequence::kLc ? 0 : 1;
      row.relations[k] = RelationCode::kSpan;
      row.numbers[2 * k] = part.ne.first;
      row.numbers[2 * k + 1] = part.ne.last;
    }
  }
  return row;
}

/// The added cells of a value read as `cell` in `direction`.
constexpr AddedRow added_row(Direction direction, const Cell& cell) {
  if (cell.kind == CellKind::kSpan) {
    return added_span_row(span_of(direction, cell.number, cell.last));
  }
  AddedRow row;
  Links links = links_of_cell(direction, cell);
  if (links.empty()) {
    // No link: the relation says why, and the other cells stay empty.
    row.relations = {unlinked_code(cell.kind), direction == Direction::kAmToNe
                                                   ? unlinked_code(cell.kind)
                                                   : RelationCode::kNone};
    return row;
  }
  BySequence by = by_sequence(links);
  row.false_couplets = by.false_couplets;
  if (direction == Direction::kNeToAm) {
    // An NE number lies in one sequence, so it has one link.
    const Link& link = links[0];
    row.sequence = link.sequence;
    row.relations[0] = code_of(link.relation);
    row.numbers = {link.ne_first, link.ne_last, link.am_first, link.am_last};
    return row;
  }
  const Link* found[2] = {by.lc, by.uc};
  for (std::size_t k = 0; k < 2; ++k) {
    if (found[k]) {
      row.relations[k] = code_of(found[k]->relation);
      row.numbers[2 * k] = found[k]->ne_first;
      row.numbers[2 * k + 1] = found[k]->ne_last;
    }
  }
  return row;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_ADDED_COLUMNS_H_
