#ifndef VARVE_TABLE_ROW_CONVERTER_H_
#define VARVE_TABLE_ROW_CONVERTER_H_

// The rows of a table under a plan: each row made as wide as the table, so
// that what is added always stands under its own header, and the cell (or the
// two ends) of each conversion read and reported. A row wider than the table cannot be placed
// and stops the run.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chronology/cell.h"
#include "table/plan.h"
#include "table/reporter.h"
#include "table/span_cells.h"

namespace table {

/// A cell as a front end read it: what it means, and its text for messages.
struct ReadCell {
  chronology::Cell cell;
  std::string_view text;
};

/// What a row of `width` cells says when the table is only `columns` wide
/// (`named`: a header row counts them, else the first row).
std::string wider_row_message(std::size_t width, std::size_t columns, bool named);

/// What one conversion read from the last row: a kNumber's cell in
/// `ends[0]`; a kInterval's two ends, and the text of each end that is
/// neither a number nor empty, made safe to show, for its row's message.
struct ReadEnds {
  std::array<chronology::Cell, 2> ends{};
  std::array<std::string, 2> shown;
};

/// Converts the rows of one table.
class RowConverter {
 public:
  /// The rows of a table `columns` wide, converted by `plan`, reported to `reporter`.
  RowConverter(Plan plan, std::size_t columns, Reporter& reporter)
      : plan_(std::move(plan)), columns_(columns), reporter_(reporter) {
    read_.resize(plan_.conversions.size());
  }

  /// Converts the row at `place` (its row and line), which has `width` cells;
  /// `read(column)` reads the cell of a column (from 0) below `width`, and
  /// `shown(text)` makes a cell's text safe for a message. False, with
  /// nothing reported, when the row is wider than the table.
  template <class Read, class Shown>
  bool convert(std::size_t width, Place place, Read&& read, Shown&& shown) {
    if (width > columns_) {
      return false;
    }
    padding_ = columns_ - width;
    for (std::size_t k = 0; k < read_.size(); ++k) {
      const Conversion& conversion = plan_.conversions[k];
      ReadEnds& got = read_[k];
      for (std::size_t end = 0; end < conversion.sources.size(); ++end) {
        std::size_t column = conversion.sources[end];
        // A cell the row lacks is empty, as the padding is.
        ReadCell read_cell =
            column < width ? read(column) : ReadCell{{chronology::CellKind::kEmpty}, {}};
        got.ends[end] = read_cell.cell;
        if (conversion.kind == ConversionKind::kNumber) {
          place.column = column + 1;
          reporter_.cell(plan_.direction, place, read_cell.cell,
                         [&] { return shown(read_cell.text); });
        } else if (read_cell.cell.kind == chronology::CellKind::kInvalid ||
                   read_cell.cell.kind == chronology::CellKind::kSpan) {
          got.shown[end] = shown(read_cell.text);
        } else {
          got.shown[end].clear();
        }
      }
      if (conversion.kind == ConversionKind::kInterval) {
        // The interval's messages name its first column.
        place.column = conversion.sources[0] + 1;
        reporter_.interval(plan_.direction, place, got.ends[0], got.ends[1], [&] {
          return span_row(plan_.direction, got.ends[0], got.ends[1], got.shown[0], got.shown[1])
              .not_converted;
        });
      }
    }
    return true;
  }

  /// The empty cells the last row converted needs to be as wide as the table.
  std::size_t padding() const { return padding_; }

  /// What each conversion read from the last row converted, in the plan's order.
  std::span<const ReadEnds> read() const { return read_; }

  const Plan& plan() const { return plan_; }

  /// How many columns the table has, before the added ones.
  std::size_t columns() const { return columns_; }

 private:
  Plan plan_;
  std::size_t columns_;
  Reporter& reporter_;
  std::size_t padding_ = 0;
  std::vector<ReadEnds> read_;
};

}  // namespace table

#endif  // VARVE_TABLE_ROW_CONVERTER_H_
