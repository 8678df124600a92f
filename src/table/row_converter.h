#ifndef VARVE_TABLE_ROW_CONVERTER_H_
#define VARVE_TABLE_ROW_CONVERTER_H_

// The rows of a table under a plan: each row made as wide as the table, so
// that what is added always stands under its own header, and the cell of each
// conversion read and reported. A row wider than the table cannot be placed
// and stops the run.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chronology/cell.h"
#include "table/plan.h"
#include "table/reporter.h"

namespace table {

/// A cell as a front end read it: what it means, and its text for messages.
struct ReadCell {
  chronology::Cell cell;
  std::string_view text;
};

/// What a row of `width` cells says when the table is only `columns` wide
/// (`named`: a header row counts them, else the first row).
std::string wider_row_message(std::size_t width, std::size_t columns, bool named);

/// Converts the rows of one table.
class RowConverter {
 public:
  /// The rows of a table `columns` wide, converted by `plan`, reported to `reporter`.
  RowConverter(Plan plan, std::size_t columns, Reporter& reporter)
      : plan_(std::move(plan)), columns_(columns), reporter_(reporter) {
    cells_.resize(plan_.conversions.size());
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
    for (std::size_t k = 0; k < cells_.size(); ++k) {
      std::size_t column = plan_.conversions[k].sources[0];
      // A cell the row lacks is empty, as the padding is.
      ReadCell read_cell =
          column < width ? read(column) : ReadCell{{chronology::CellKind::kEmpty}, {}};
      place.column = column + 1;
      reporter_.cell(plan_.direction, place, read_cell.cell, [&] { return shown(read_cell.text); });
      cells_[k] = read_cell.cell;
    }
    return true;
  }

  /// The empty cells the last row converted needs to be as wide as the table.
  std::size_t padding() const { return padding_; }

  /// The cell each conversion read from the last row converted, in the plan's order.
  std::span<const chronology::Cell> cells() const { return cells_; }

  const Plan& plan() const { return plan_; }

  /// How many columns the table has, before the added ones.
  std::size_t columns() const { return columns_; }

 private:
  Plan plan_;
  std::size_t columns_;
  Reporter& reporter_;
  std::size_t padding_ = 0;
  std::vector<chronology::Cell> cells_;
};

}  // namespace table

#endif  // VARVE_TABLE_ROW_CONVERTER_H_
