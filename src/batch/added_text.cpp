#include "batch/added_text.h"

namespace batch {

using chronology::Cell;
using chronology::CellKind;
using chronology::Direction;

void append_added_cells(std::string& out, const table::NumberCells& cells, char sep) {
  visit_added_text(cells, [&](std::string_view, AddedKind, std::string_view text) {
    out.append(1, sep).append(text);
  });
}

void append_span_cells(std::string& out, Direction direction, const table::SpanRow& row, char sep) {
  for (const table::SpanColumn& column : table::span_columns(direction)) {
    out.push_back(sep);
    table::SpanValue value = table::span_value(row, column);
    if (value.integer) {
      append_number(out, *value.integer);
    } else if (value.flag) {
      out.append(*value.flag ? "true" : "false");
    } else if (value.text) {
      std::string_view text = *value.text;
      if (text.find_first_of(",;\t\"\r\n") == std::string_view::npos &&
          text.find(sep) == std::string_view::npos) {
        out.append(text);
        continue;
      }
      out.push_back('"');
      for (char c : text) {
        out.append(c == '"' ? 2 : 1, c);
      }
      out.push_back('"');
    }
  }
}

SpanCellsCache::SpanCellsCache(Direction direction, char separator)
    : direction_(direction), separator_(separator) {
  append_span_cells(empty_, direction, table::SpanRow{true, {}, {}}, separator);
}

std::string_view SpanCellsCache::cells(const table::ReadEnds& read) {
  if (read.ends[0].kind == CellKind::kEmpty && read.ends[1].kind == CellKind::kEmpty) {
    return empty_;
  }
  text_.clear();
  append_span_cells(
      text_, direction_,
      table::span_row(direction_, read.ends[0], read.ends[1], read.shown[0], read.shown[1]),
      separator_);
  return text_;
}

AddedCellsCache::AddedCellsCache(Direction direction, char separator)
    : direction_(direction), separator_(separator) {
  std::span<const chronology::Range> ranges = chronology::accepted_ranges(direction);
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
