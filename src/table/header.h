#ifndef VARVE_TABLE_HEADER_H_
#define VARVE_TABLE_HEADER_H_

// A table's columns as its header row names them (or, without one, as many as
// its first row has), and how a user names one of them: by its header, in the
// header's letter case or, when that is unique, in any, or by its number.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace table {

/// The columns of a table.
class Header {
 public:
  /// A header row whose cells read `names`, as the user sees them (without
  /// the quotes and blanks around them).
  explicit Header(std::vector<std::string> names);

  /// A table without a header row, `width` columns wide.
  static Header unnamed(std::size_t width);

  /// How many columns the table has.
  std::size_t width() const { return width_; }

  /// True when a header row names the columns.
  bool named() const { return named_; }

  /// The name of column `index` (from 0); empty without a header row.
  std::string_view name(std::size_t index) const {
    return named_ ? std::string_view(names_[index]) : std::string_view();
  }

 private:
  Header() = default;

  std::vector<std::string> names_;
  std::size_t width_ = 0;
  bool named_ = false;
};

/// The column that a user named, from 0, or why none is.
struct FoundColumn {
  std::size_t index = 0;
  std::string error;  ///< Empty when a column was found.
};

/// Finds the column that `wanted` names: first a header that is `wanted` exactly,
/// then a column numbered `wanted` (from 1), then the one header that is `wanted`
/// in another letter case. "#N" is always the column numbered N. A header
/// that is a number naming another column is ambiguous; so are two headers
/// that match alike. The errors list the columns.
FoundColumn find_column(const Header& header, std::string_view wanted);

/// What the columns added from column `index` are named after: its header
/// reduced to ASCII letters, digits and '_', each run of other bytes (and of
/// '_') made one '_' and none at either end; or "c" and its number when that
/// leaves nothing, or there is no header row.
std::string source_name(const Header& header, std::size_t index);

}  // namespace table

#endif  // VARVE_TABLE_HEADER_H_
