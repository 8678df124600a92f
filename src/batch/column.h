#ifndef VARVE_BATCH_COLUMN_H_
#define VARVE_BATCH_COLUMN_H_

// The column mode: a spreadsheet's own CSV, semicolon-separated or TSV file
// comes back whole, row for row and byte for byte, with the conversion of one
// of its columns appended to each row. No I/O: bytes go in, in pieces of any
// size, rows come out into the caller's buffer, and messages go to the
// caller's sink, so that every front end can use it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "batch/added_cells.h"
#include "batch/csv_reader.h"
#include "batch/message_sink.h"
#include "batch/separator.h"
#include "chronology/links.h"

namespace batch {

/// What to convert, and how the input is laid out.
struct ColumnSettings {
  chronology::Direction direction = chronology::Direction::kNeToAm;
  std::string column;  ///< The column's header text, or its number from 1.
  char separator = 0;  ///< ',', ';' or '\t'; 0 to recognise it from the first line.
  bool header = true;  ///< The first row names the columns.
  std::string prefix;  ///< Put before the names of the added columns.
  std::size_t max_record = std::size_t{64} << 20;  ///< The longest row held, in bytes.
};

/// The text of a cell as a number is looked for in it: without surrounding
/// blanks and, when it is quoted, without its quotes.
std::string_view cell_text(std::string_view raw);

/// Converts one column of a CSV stream.
class ColumnConverter {
 public:
  ColumnConverter(ColumnSettings settings, MessageSink sink);

  /// Feeds the next piece of input, appending every row it completes to
  /// `out`; false once a fault in the input (already reported) has stopped
  /// the conversion.
  bool feed(std::string_view bytes, std::string& out);

  /// Ends the input: the last row, if it had no line end, goes to `out`.
  /// False when the conversion stopped on a fault.
  bool finish(std::string& out);

  /// The separator in use: the one given, or the one recognised (0 while the
  /// first line is still incomplete).
  char separator() const { return separator_; }

  /// The cells that were reported as not whole numbers.
  std::size_t invalid_cells() const { return invalid_cells_; }

 private:
  void start_reader(char separator, std::string& out);
  void convert_record(const CsvRecord& record, std::string& out);
  void report_invalid(const CsvRecord& record, const std::string& what);
  void stop(const std::string& message);
  /// Reports the fault that stopped the reader; returns false.
  bool reader_stopped();

  ColumnSettings settings_;
  MessageSink sink_;
  char separator_ = 0;
  std::optional<CsvReader> reader_;
  FirstLineHold first_line_;  ///< Input held while the separator is not yet known.
  std::optional<AddedCellsCache> cells_;
  bool header_done_ = false;
  std::size_t column_ = 0;  ///< The converted field, from 0.
  bool stopped_ = false;
  std::size_t invalid_cells_ = 0;
};

}  // namespace batch

#endif  // VARVE_BATCH_COLUMN_H_
