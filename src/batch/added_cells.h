#ifndef VARVE_BATCH_ADDED_CELLS_H_
#define VARVE_BATCH_ADDED_CELLS_H_

// The added columns' cells as text: what the column and line modes append to
// a row, and the cells of every number, made once and looked up.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/rows.h"
#include "chronology/added_columns.h"
#include "chronology/cell.h"

namespace batch {

/// What an added cell holds, for a format that writes kinds apart.
enum class AddedKind { kName, kNumber, kFlag };

/// Calls `visit(name, kind, text)` for each added cell of `row` in
/// `direction`'s column order; `text` is empty for an empty cell.
template <class Visit>
void visit_added_cells(chronology::Direction direction, const chronology::AddedRow& row,
                       Visit&& visit);

/// Appends the added cells of `row` in `direction`, each after the separator `sep`.
void append_added_cells(std::string& out, chronology::Direction direction,
                        const chronology::AddedRow& row, char sep);

/// The added cells of every value, each after its separator, made once per
/// number (when it is first met), so that a row costs a lookup and a copy.
class AddedCellsCache {
 public:
  AddedCellsCache(chronology::Direction direction, char separator);

  /// The added cells of a value read as `cell`, valid until the next call.
  std::string_view cells(const chronology::Cell& cell);

 private:
  /// Where a number's added cells lie in cells_; length 0 until first needed.
  struct Slice {
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
  };

  chronology::Direction direction_;
  char separator_;
  chronology::VarveNumber first_ = 0;  ///< The number of known_[0].
  std::vector<Slice> known_;
  std::string cells_;  ///< The added cells of the numbers met so far.
  std::string empty_, outside_, invalid_;
  std::string span_;  ///< The added cells of the last span, made anew for each.
};

template <class Visit>
void visit_added_cells(chronology::Direction direction, const chronology::AddedRow& row,
                       Visit&& visit) {
  using chronology::AddedField;
  for (const chronology::AddedColumn& column : chronology::added_columns(direction)) {
    switch (column.field) {
      case AddedField::kSequence:
        visit(column.name, AddedKind::kName,
              row.sequence ? chronology::sequence_name(*row.sequence) : "");
        break;
      case AddedField::kRelation0:
      case AddedField::kRelation1: {
        std::size_t k = column.field == AddedField::kRelation0 ? 0 : 1;
        visit(column.name, AddedKind::kName,
              chronology::kRelationNames[static_cast<std::size_t>(row.relations[k])]);
        break;
      }
      case AddedField::kFalseCouplets:
        visit(column.name, AddedKind::kFlag,
              !row.false_couplets   ? ""
              : *row.false_couplets ? "true"
                                    : "false");
        break;
      default: {
        std::string digits;
        if (const std::optional<chronology::VarveNumber>& n =
                row.numbers[*chronology::number_index(column.field)]) {
          append_number(digits, *n);
        }
        visit(column.name, AddedKind::kNumber, std::string_view(digits));
      }
    }
  }
}

}  // namespace batch

#endif  // VARVE_BATCH_ADDED_CELLS_H_
