#ifndef VARVE_BATCH_LINE_MODE_H_
#define VARVE_BATCH_LINE_MODE_H_

// The line mode of varve-batch (--lines): one value per line, as a
// spreadsheet's column is copied, and exactly one row per line, in order,
// blank and bad lines included, so that the rows paste back beside the column
// they came from. A row is the line as given and the column mode's added
// cells. No I/O: bytes go in, in pieces of any size, rows come out into the
// caller's buffer, and messages go to the caller's sink.

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/message_sink.h"
#include "batch/rows.h"
#include "chronology/cell.h"
#include "chronology/links.h"
#include "table/reporter.h"

namespace batch {

/// Appends the header line of the line mode in `format` (nothing for JSON Lines).
void append_line_header(std::string& out, Format format, Direction direction);

/// Appends the row of a cell read as `read` and shown as `shown` (by chronology::cell_shown).
void append_line_row(std::string& out, Format format, Direction direction, std::string_view shown,
                     const chronology::Cell& read);

/// Converts a stream of lines, one value each.
class LineMode {
 public:
  LineMode(Format format, Direction direction, MessageSink report);

  /// Converts the next piece of input, appending the rows of the lines it ends to `out`.
  void feed(std::string_view bytes, std::string& out);

  /// Ends the input: a last line without a line end gets its row; a final
  /// line end adds none.
  void finish(std::string& out);

  /// The rows written so far.
  std::size_t rows() const { return line_ - 1; }

  /// 0, or 1 once a line held something other than a whole number.
  int exit_status() const { return reporter_.faults() > 0 ? 1 : 0; }

  /// The longest line kept whole; a longer one is never a number, and its
  /// row shows its first bytes.
  static constexpr std::size_t kLongestLine = 1024;

 private:
  void end_line(std::string& out);

  Format format_;
  Direction direction_;
  table::Reporter reporter_;
  std::string line_text_;        ///< The line so far, up to kLongestLine bytes.
  std::size_t line_length_ = 0;  ///< Its whole length.
  std::size_t line_ = 1;         ///< The number of the line being read.
  bool pending_ = false;         ///< A line has begun that has not ended.
  bool starting_ = true;         ///< At the very start, where a byte-order mark is skipped.
  std::size_t bom_seen_ = 0;     ///< How many bytes of a byte-order mark have been seen.
  bool after_cr_ = false;        ///< The last line ended in CR: a LF right after it belongs to it.
};

}  // namespace batch

#endif  // VARVE_BATCH_LINE_MODE_H_
