#ifndef VARVE_BATCH_COLUMN_HEADER_H_
#define VARVE_BATCH_COLUMN_HEADER_H_

// The column mode's header row: which column it names, and the names of the
// added columns it gets.

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/column.h"
#include "batch/csv_reader.h"

namespace batch {

/// What a header row gives: the column to convert and the added names, or
/// what is wrong with it.
struct HeaderReading {
  std::size_t column = 0;  ///< The converted field, from 0.
  std::string added;       ///< The added names, each after the separator.
  std::string error;       ///< Empty when the header is good.
};

/// Reads the header row `record` of a file separated by `separator`.
HeaderReading read_header(const CsvRecord& record, const ColumnSettings& settings, char separator);

/// The column `text` gives by number, from 0; false when it is no number from 1 on.
bool column_number(std::string_view text, std::size_t& column);

/// "line N", as messages name a line.
std::string line_text(std::size_t line);

/// The byte-order mark that may start a file's first field.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace batch

#endif  // VARVE_BATCH_COLUMN_HEADER_H_
