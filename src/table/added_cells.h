#ifndef VARVE_TABLE_ADDED_CELLS_H_
#define VARVE_TABLE_ADDED_CELLS_H_

// The cells that converting one value adds to its row, typed and named: a
// struct per direction whose fields are the added columns, and one visitor
// that walks them in the columns' order. Every front end writes its text,
// JSON, vectors or arrays from these; none indexes them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/span.h"

namespace table {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::Relation;
using chronology::Sequence;

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
    chronology::relation_name(Relation::kCorresponds),
    chronology::relation_name(Relation::kSplit),
    chronology::relation_name(Relation::kJoined),
    "span",
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

// The bindings hand relation and sequence codes to their host language as
// small integers that index the name lists above: each code must be the
// engine's enumerator's own value, and name what the engine names it.
static_assert([] {
  for (Relation relation : {Relation::kCorresponds, Relation::kSplit, Relation::kJoined}) {
    auto code = static_cast<std::size_t>(code_of(relation));
    if (code != static_cast<std::size_t>(relation) ||
        kRelationNames[code] != chronology::relation_name(relation)) {
      return false;
    }
  }
  for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
    if (kSequenceNames[static_cast<std::size_t>(sequence)] != chronology::sequence_name(sequence)) {
      return false;
    }
  }
  return kRelationNames[static_cast<std::size_t>(RelationCode::kNone)].empty() &&
         kRelationNames.size() == static_cast<std::size_t>(RelationCode::kNone) + 1;
}());

/// An added number of the chronology `Tag` names: missing where the row has none.
template <class Tag>
using AddedNumber = std::optional<chronology::VarveNumber<Tag>>;
/// An added NE number.
using AddedNe = AddedNumber<chronology::NeTag>;
/// An added AM number.
using AddedAm = AddedNumber<chronology::AmTag>;
/// The integer of an added number, where a front end writes it; none where missing.
template <class Tag>
constexpr std::optional<std::int32_t> plain(const AddedNumber<Tag>& number) {
  return number ? std::optional<std::int32_t>(number->value()) : std::nullopt;
}
/// True when `T` is an added number of either chronology.
template <class T>
inline constexpr bool kIsAddedNumber = std::is_same_v<T, AddedNe> || std::is_same_v<T, AddedAm>;
/// An added sequence: missing where the row has no link.
using AddedSequence = std::optional<Sequence>;
/// The false-couplets flag: missing where the row has no link.
using AddedFlag = std::optional<bool>;

/// What ne-to-am adds beside an NE value.
struct NeToAmCells {
  AddedSequence sequence;                       ///< The NE sequence of the number.
  RelationCode relation = RelationCode::kNone;  ///< How it links, or why it does not.
  AddedNe ne_first;                             ///< The NE varve, or its joined run's first.
  AddedNe ne_last;                              ///< Its joined run's last, or the NE varve.
  AddedAm am_first;                             ///< The AM varve, or its split pair's first.
  AddedAm am_last;                              ///< Its split pair's last, or the AM varve.
  AddedFlag false_couplets;                     ///< The joined run is false annual couplets.
};

/// What am-to-ne adds beside an AM value: the link to each NE sequence.
struct AmToNeCells {
  RelationCode lc_relation = RelationCode::kNone;  ///< The link to NE-LC, or why none.
  AddedNe lc_first;                                ///< Its NE-LC varve, or its run's first.
  AddedNe lc_last;                                 ///< Its NE-LC varve, or its run's last.
  RelationCode uc_relation = RelationCode::kNone;  ///< The link to NE-UC, or why none.
  AddedNe uc_first;                                ///< Its NE-UC varve, or its run's first.
  AddedNe uc_last;                                 ///< Its NE-UC varve, or its run's last.
  AddedFlag false_couplets;                        ///< A joined run is false annual couplets.
};

/// The added cells of one value, of its direction's kind.
using NumberCells = std::variant<NeToAmCells, AmToNeCells>;

/// Calls `visit(name, value)` for each added cell of `cells`, in the order of
/// the added columns; `value` is an AddedSequence, a RelationCode, an
/// AddedNe, an AddedAm or an AddedFlag.
template <class Visit>
constexpr void visit_fields(const NeToAmCells& cells, Visit&& visit) {
  visit(std::string_view("sequence"), cells.sequence);
  visit(std::string_view("relation"), cells.relation);
  visit(std::string_view("ne_first"), cells.ne_first);
  visit(std::string_view("ne_last"), cells.ne_last);
  visit(std::string_view("am_first"), cells.am_first);
  visit(std::string_view("am_last"), cells.am_last);
  visit(std::string_view("false_couplets"), cells.false_couplets);
}

/// As above, for am-to-ne: LC's relation and NE varves, then UC's.
template <class Visit>
constexpr void visit_fields(const AmToNeCells& cells, Visit&& visit) {
  visit(std::string_view("lc_relation"), cells.lc_relation);
  visit(std::string_view("lc_first"), cells.lc_first);
  visit(std::string_view("lc_last"), cells.lc_last);
  visit(std::string_view("uc_relation"), cells.uc_relation);
  visit(std::string_view("uc_first"), cells.uc_first);
  visit(std::string_view("uc_last"), cells.uc_last);
  visit(std::string_view("false_couplets"), cells.false_couplets);
}

/// As above, for either direction's cells.
template <class Visit>
constexpr void visit_fields(const NumberCells& cells, Visit&& visit) {
  std::visit([&visit](const auto& of) { visit_fields(of, visit); }, cells);
}

/// How many cells converting a number adds, in either direction.
inline constexpr std::size_t kNumberCellCount = 7;

/// The cells of no value in `direction`: every one missing.
constexpr NumberCells no_cells(Direction direction) {
  return direction == Direction::kNeToAm ? NumberCells(NeToAmCells{}) : NumberCells(AmToNeCells{});
}

/// The names of the columns that converting a number adds in `direction`, in order.
constexpr std::array<std::string_view, kNumberCellCount> number_cell_names(Direction direction) {
  std::array<std::string_view, kNumberCellCount> names{};
  std::size_t k = 0;
  visit_fields(no_cells(direction), [&](std::string_view name, const auto&) { names[k++] = name; });
  return names;
}

static_assert(number_cell_names(Direction::kNeToAm)[6] == "false_couplets" &&
                  number_cell_names(Direction::kAmToNe)[6] == "false_couplets",
              "each direction names all its cells");

/// The cells of one link, as ne-to-am adds them beside an NE number.
constexpr NeToAmCells link_cells(const chronology::Link& link) {
  NeToAmCells cells;
  cells.sequence = link.sequence;
  cells.relation = code_of(link.relation);
  cells.ne_first = link.ne_first;
  cells.ne_last = link.ne_last;
  cells.am_first = link.am_first;
  cells.am_last = link.am_last;
  cells.false_couplets = link.false_couplets;
  return cells;
}

/// The code of a row that has no link: none for an empty cell, else invalid
/// or outside.
constexpr RelationCode unlinked_code(CellKind kind) {
  return kind == CellKind::kEmpty     ? RelationCode::kNone
         : kind == CellKind::kInvalid ? RelationCode::kInvalid
                                      : RelationCode::kOutside;
}

/// The added cells of `span`: ne-to-am, its sequence and ends in each
/// chronology; am-to-ne, each sequence's NE ends. A span that is not
/// converted is invalid.
constexpr NumberCells span_cells(const chronology::SpanResult& span) {
  if (span.direction == Direction::kNeToAm) {
    NeToAmCells cells;
    if (!span.converted()) {
      cells.relation = RelationCode::kInvalid;
      return cells;
    }
    // An NE span lies in one sequence.
    const chronology::SequenceSpan& part = span.spans[0];
    cells.sequence = part.sequence;
    cells.relation = RelationCode::kSpan;
    cells.ne_first = part.ne.first;
    cells.ne_last = part.ne.last;
    cells.am_first = part.am.first;
    cells.am_last = part.am.last;
    cells.false_couplets = part.false_couplets;
    return cells;
  }
  AmToNeCells cells;
  if (!span.converted()) {
    cells.lc_relation = cells.uc_relation = RelationCode::kInvalid;
    return cells;
  }
  cells.false_couplets = false;
  for (const chronology::SequenceSpan& part : span.spans) {
    cells.false_couplets = *cells.false_couplets || part.false_couplets;
    bool lc = part.sequence == Sequence::kLc;
    (lc ? cells.lc_relation : cells.uc_relation) = RelationCode::kSpan;
    (lc ? cells.lc_first : cells.uc_first) = part.ne.first;
    (lc ? cells.lc_last : cells.uc_last) = part.ne.last;
  }
  return cells;
}

/// The added cells of a value read as `cell` in `direction`: its links, or
/// the span it is, or why it has none.
constexpr NumberCells number_cells(Direction direction, const Cell& cell) {
  if (cell.kind == CellKind::kSpan) {
    return span_cells(chronology::span_of(direction, cell.first, cell.last));
  }
  chronology::Links links = cell.kind == CellKind::kNumber
                                ? chronology::links_of(direction, cell.number)
                                : chronology::Links{};
  if (direction == Direction::kNeToAm) {
    NeToAmCells cells;
    if (links.empty()) {
      cells.relation = unlinked_code(cell.kind);
      return cells;
    }
    // An NE number lies in one sequence, so it has one link.
    return link_cells(links[0]);
  }
  AmToNeCells cells;
  if (links.empty()) {
    cells.lc_relation = cells.uc_relation = unlinked_code(cell.kind);
    return cells;
  }
  chronology::BySequence by = chronology::by_sequence(links);
  cells.false_couplets = by.false_couplets;
  if (by.lc) {
    cells.lc_relation = code_of(by.lc->relation);
    cells.lc_first = by.lc->ne_first;
    cells.lc_last = by.lc->ne_last;
  }
  if (by.uc) {
    cells.uc_relation = code_of(by.uc->relation);
    cells.uc_first = by.uc->ne_first;
    cells.uc_last = by.uc->ne_last;
  }
  return cells;
}

}  // namespace table

#endif  // VARVE_TABLE_ADDED_CELLS_H_
