#include "batch/added_text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace batch {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;
using chronology::Relation;
using chronology::Sequence;

void append_json_member(std::string& out, std::string_view name, AddedKind kind,
                        std::string_view text) {
  out.append("\"").append(name).append("\":");
  if (text.empty()) {
    out.append("null");
  } else if (kind == AddedKind::kName) {
    out.append("\"").append(text).append("\"");
  } else {
    out.append(text);
  }
}

void append_added_cells(std::string& out, const table::NumberCells& cells, char sep) {
  visit_added_text(cells, [&](std::string_view, AddedKind, std::string_view text) {
    out.append(1, sep).append(text);
  });
}

void append_span_value(std::string& out, const table::SpanValue& value, char sep) {
  out.push_back(sep);
  if (value.integer) {
    append_number(out, *value.integer);
  } else if (value.flag) {
    out.append(*value.flag ? "true" : "false");
  } else if (value.text) {
    std::string_view text = *value.text;
    if (text.find_first_of(",;\t\"\r\n") == std::string_view::npos &&
        text.find(sep) == std::string_view::npos) {
      out.append(text);
      return;
    }
    append_quoted(out, text);
  }
}

void append_span_cells(std::string& out, Direction direction, const table::SpanRow& row, char sep) {
  for (const table::SpanColumn& column : table::span_columns(direction)) {
    append_span_value(out, table::span_value(row, column), sep);
  }
}

/// The role of `field` in a converted interval's row.
SpanCellsCache::Role SpanCellsCache::role_of(table::SpanField field) {
  switch (field) {
    case table::SpanField::kSequence:
    case table::SpanField::kNeFirst:
    case table::SpanField::kAmFirst:
    case table::SpanField::kFirstCut:
      return Role::kSmaller;
    case table::SpanField::kNeLast:
    case table::SpanField::kAmLast:
    case table::SpanField::kLastCut:
      return Role::kLarger;
    case table::SpanField::kNeVarves:
    case table::SpanField::kAmVarves:
    case table::SpanField::kSplits:
    case table::SpanField::kJoins:
    case table::SpanField::kFalseCouplets:
      return Role::kBoth;
    case table::SpanField::kNotConverted:
      break;
  }
  return Role::kNone;
}

SpanCellsCache::SpanCellsCache(Direction direction, char separator)
    : direction_(direction), separator_(separator), columns_(table::span_columns(direction)) {
  append_span_cells(empty_, direction, table::SpanRow{true, {}, {}}, separator);
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    roles_[k] = role_of(columns_[k].field);
  }
  // Each NE sequence's part: ne-to-am, its accepted range; am-to-ne, the AM
  // varves it covers, as the engine's span over the whole AM range gives them.
  std::span<const chronology::GivenRange> ranges = chronology::accepted_ranges(direction);
  for (const chronology::GivenRange& range : ranges) {
    for (const chronology::SequenceSpan& part :
         chronology::span_of(direction, range.first, range.last).spans) {
      chronology::GivenRange covers =
          direction == Direction::kNeToAm ? plain(part.ne) : plain(part.am);
      parts_.push_back(
          {part.sequence, covers,
           std::vector<End>(static_cast<std::size_t>(covers.last - covers.first) + 1)});
    }
  }
}

const SpanCellsCache::End& SpanCellsCache::make_ends(Part& part, chronology::GivenNumber n) {
  // The counts along the sequence are made for all its varves at once.
  Counts through;
  std::optional<chronology::Link> previous;
  for (chronology::GivenNumber m = part.covers.first; m <= part.covers.last; ++m) {
    End& at = part.ends[static_cast<std::size_t>(m - part.covers.first)];
    table::SpanRow row = table::span_row(direction_, chronology::read_integer(m),
                                         chronology::read_integer(m), {}, {});
    const chronology::SequenceSpan* alone = nullptr;
    for (const chronology::SequenceSpan& s : row.span->spans) {
      alone = s.sequence == part.sequence ? &s : alone;
    }
    at.ne = alone->ne;
    at.am = alone->am;
    std::optional<chronology::Link> inside;
    if (!alone->corrections.empty()) {
      inside = alone->corrections[0];
    }
    at.before = through;
    if (inside && previous && *inside == *previous) {
      // The correction that holds this varve also held the one before it.
      (inside->relation == Relation::kSplit ? at.before.splits : at.before.joins) -= 1;
      at.before.false_couplets -= inside->false_couplets;
    } else if (inside) {
      (inside->relation == Relation::kSplit ? through.splits : through.joins) += 1;
      through.false_couplets += inside->false_couplets;
    }
    at.through = through;
    previous = inside;
    at.texts = static_cast<std::uint32_t>(texts_.size());
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      const table::SpanColumn& column = columns_[k];
      if (!column.part || *column.part == part.sequence) {
        std::string value;
        append_span_value(value, table::span_value(row, column), separator_);
        texts_.append(value.substr(1));
      }
      at.ends[k] = static_cast<std::uint16_t>(texts_.size() - at.texts);
    }
    at.known = true;
  }
  return part.ends[static_cast<std::size_t>(n - part.covers.first)];
}

void SpanCellsCache::append_converted(chronology::GivenNumber lo, chronology::GivenNumber hi) {
  // Each part's two ends, where the interval reaches into it.
  struct Piece {
    const End* smaller = nullptr;
    const End* larger = nullptr;
  };
  std::array<Piece, 2> pieces{};
  for (std::size_t p = 0; p < parts_.size() && p < pieces.size(); ++p) {
    Part& part = parts_[p];
    chronology::GivenNumber first = std::max(lo, part.covers.first);
    chronology::GivenNumber last = std::min(hi, part.covers.last);
    if (first <= last) {
      pieces[p] = {&end_of(part, first), &end_of(part, last)};
    }
  }
  auto piece_of = [&](const std::optional<Sequence>& sequence) -> const Piece* {
    for (std::size_t p = 0; p < parts_.size() && p < pieces.size(); ++p) {
      if (pieces[p].smaller && (!sequence || *sequence == parts_[p].sequence)) {
        return &pieces[p];
      }
    }
    return nullptr;
  };
  text_.reserve(text_.size() + 256);
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const table::SpanColumn& column = columns_[k];
    text_.push_back(separator_);
    Role role = roles_[k];
    if (column.field == table::SpanField::kFalseCouplets) {
      bool any = false;
      for (const Piece& piece : pieces) {
        any = any || (piece.smaller &&
                      piece.larger->through.false_couplets > piece.smaller->before.false_couplets);
      }
      text_.append(any ? "true" : "false");
      continue;
    }
    const Piece* piece = piece_of(column.part);
    if (piece == nullptr || role == Role::kNone) {
      continue;
    }
    if (role != Role::kBoth) {
      text_.append(text(role == Role::kSmaller ? *piece->smaller : *piece->larger, k));
      continue;
    }
    const End& a = *piece->smaller;
    const End& b = *piece->larger;
    std::int32_t value = 0;
    switch (column.field) {
      case table::SpanField::kNeVarves:
        value = b.ne.last - a.ne.first + 1;
        break;
      case table::SpanField::kAmVarves:
        value = b.am.last - a.am.first + 1;
        break;
      case table::SpanField::kSplits:
        value = b.through.splits - a.before.splits;
        break;
      default:
        value = b.through.joins - a.before.joins;
        break;
    }
    append_number(text_, value);
  }
}

std::string_view SpanCellsCache::cells(const table::ReadEnds& read) {
  const Cell& a = read.ends[0];
  const Cell& b = read.ends[1];
  if (a.kind == CellKind::kEmpty && b.kind == CellKind::kEmpty) {
    return empty_;
  }
  text_.clear();
  if (a.kind == CellKind::kNumber && b.kind == CellKind::kNumber &&
      chronology::span_fault(direction_, a.number, b.number) == chronology::SpanFault::kNone) {
    append_converted(std::min(a.number, b.number), std::max(a.number, b.number));
    return text_;
  }
  append_span_cells(text_, direction_,
                    table::span_row(direction_, a, b, read.shown[0], read.shown[1]), separator_);
  return text_;
}

AddedCellsCache::AddedCellsCache(Direction direction, char separator)
    : direction_(direction), separator_(separator) {
  std::span<const chronology::GivenRange> ranges = chronology::accepted_ranges(direction);
  first_ = ranges.front().first;
  known_.assign(static_cast<std::size_t>(ranges.back().last - first_) + 1, Slice{});
  // A number outside every range; no number is below the first.
  Cell outside{CellKind::kNumber};
  outside.number = first_ - 1;
  append_added_cells(outside_, table::number_cells(direction, outside), separator);
  append_added_cells(empty_, table::number_cells(direction, Cell{CellKind::kEmpty}), separator);
  append_added_cells(invalid_, table::number_cells(direction, Cell{CellKind::kInvalid}), separator);
}

std::string_view AddedCellsCache::cells(const Cell& cell) {
  if (cell.kind == CellKind::kEmpty) {
    return empty_;
  }
  if (cell.kind == CellKind::kInvalid) {
    return invalid_;
  }
  if (cell.kind == CellKind::kSpan) {
    span_.clear();
    append_added_cells(span_, table::number_cells(direction_, cell), separator_);
    return span_;
  }
  // Below the first number the difference wraps round to a large index.
  auto index = static_cast<std::uint32_t>(cell.number) - static_cast<std::uint32_t>(first_);
  if (index >= known_.size()) {
    return outside_;
  }
  Slice& slice = known_[index];
  if (slice.length == 0) {
    slice.begin = static_cast<std::uint32_t>(cells_.size());
    append_added_cells(cells_, table::number_cells(direction_, cell), separator_);
    slice.length = static_cast<std::uint32_t>(cells_.size()) - slice.begin;
  }
  return std::string_view(cells_).substr(slice.begin, slice.length);
}

}  // namespace batch
