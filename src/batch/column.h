#ifndef VARVE_BATCH_COLUMN_H_
#define VARVE_BATCH_COLUMN_H_

// The column mode: a spreadsheet's own CSV, semicolon-separated or TSV file
// comes back whole, row for row and byte for byte, with the conversion of
// some of its columns appended to each row under their own headers. The table
// model (table/) decides what is converted and reported; this reads and
// writes the text around it. No I/O: bytes go in, in pieces of any size,
// rows come out into the caller's buffer, and messages go to the caller's
// sink, so that every front end can use it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/added_text.h"
#include "batch/csv_reader.h"
#include "batch/message_sink.h"
#include "batch/separator.h"
#include "batch/text_pipeline.h"
#include "chronology/links.h"
#include "table/reporter.h"
#include "table/row_converter.h"

namespace batch {

/// What to convert, and how the input is laid out.
struct ColumnSettings {
  chronology::Direction direction = chronology::Direction::kNeToAm;
  /// The columns to convert, in order: each a header's text, a number from
  /// 1, or '#' and a number (table::find_column).
  std::vector<std::string> columns;
  char separator = 0;  ///< ',', ';' or '\t'; 0 to recognise it (separator line, header row).
  bool header = true;  ///< A row names the columns.
  /// The record that names the columns, from 1, not counting a separator
  /// line; the records above it come back unchanged.
  std::size_t header_row = 1;
  /// The pairs of columns to convert as intervals, each end as `columns` names
  /// one; their added cells follow those of `columns`.
  std::vector<std::array<std::string, 2>> intervals;
  std::string prefix;  ///< Put before the names of one conversion's added columns.
  std::string input_name = "the input";            ///< What messages call the input.
  std::size_t max_record = std::size_t{64} << 20;  ///< The longest row held, in bytes.
  /// One column whose added names the header has already is named after it
  /// instead (table::PlanRequest): for a front end without a prefix.
  bool named_after_source_on_clash = false;
};

/// The text of a cell as a number is looked for in it: without surrounding
/// blanks and, when it is quoted, without its quotes.
std::string_view cell_text(std::string_view raw);

/// The cells of the header row of a file's text, as the column mode reads
/// them (after a separator line, without the quotes and blanks around each
/// cell); none when the text ends first.
std::vector<std::string> header_cells(std::string_view text, std::size_t header_row = 1);

/// What stopped a conversion.
enum class ColumnFault {
  kNone,
  kInput,    ///< A fault in the input (reported): exit status 1.
  kRequest,  ///< The columns asked for do not fit the header (reported): exit status 2.
};

/// Converts columns of a CSV stream.
class ColumnConverter {
 public:
  ColumnConverter(ColumnSettings settings, MessageSink sink);
  ColumnConverter(const ColumnConverter&) = delete;
  ColumnConverter& operator=(const ColumnConverter&) = delete;

  /// Feeds the next piece of input, appending every row it completes to
  /// `out`; false once a fault (already reported) has stopped the conversion.
  bool feed(std::string_view bytes, std::string& out);

  /// Ends the input: the last row, if it had no line end, goes to `out`.
  /// False when the conversion stopped on a fault.
  bool finish(std::string& out);

  /// The steps a TextPipeline takes to run this conversion.
  TextSteps steps();

  /// The separator in use: the one given, or the one recognised (0 while it
  /// is not yet known).
  char separator() const { return separator_; }

  /// The cells that were reported as not converted.
  std::size_t invalid_cells() const { return reporter_.faults(); }

  /// What stopped the conversion, if anything.
  ColumnFault fault() const { return fault_; }

  /// The exit status of the run so far: 0, 1 for a fault in the input or a
  /// cell not converted, 2 for columns that do not fit the header.
  int exit_status() const;

 private:
  void start_reader(char separator, std::string& out);
  void take_record(const CsvRecord& record, std::string& out);
  void take_header(const CsvRecord& record, std::string& out);
  /// Makes the plan over `header`; false when it could not be (reported).
  bool plan(const table::Header& header, std::size_t line);
  void convert_row(const CsvRecord& record, std::string& out);
  void stop(ColumnFault fault, const std::string& message);
  /// Reports the fault that stopped the reader; returns false.
  bool reader_stopped();

  ColumnSettings settings_;
  MessageSink sink_;
  table::Reporter reporter_;
  char separator_ = 0;
  std::optional<CsvReader> reader_;
  SeparatorHold hold_;  ///< Input held while the separator is not yet known.
  std::optional<table::RowConverter> rows_;
  std::optional<AddedCellsCache> cells_;
  std::optional<SpanCellsCache> spans_;
  /// The rows before the header's (a separator line, titles), held until the
  /// header is read, so that nothing is written when the columns do not fit.
  std::string before_header_;
  std::size_t records_ = 0;    ///< The records taken, a separator line not counted.
  std::size_t data_rows_ = 0;  ///< The rows converted so far.
  bool first_record_ = true;
  ColumnFault fault_ = ColumnFault::kNone;
};

}  // namespace batch

#endif  // VARVE_BATCH_COLUMN_H_
