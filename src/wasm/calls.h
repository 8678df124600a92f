#ifndef VARVE_WASM_CALLS_H_
#define VARVE_WASM_CALLS_H_

// What the web page asks of the engine, as plain functions on text, each
// giving its results by name. exports.cpp hands these to JavaScript as
// WebAssembly exports; they are plain C++ here so that they are tested
// natively.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chronology/links.h"

namespace wasm {

/// What the text typed in the number box is.
enum class LookupStatus : std::int32_t {
  kConverted = 0,         ///< An accepted number: records and rows.
  kOutside = 1,           ///< A number outside the accepted ranges: message and ranges.
  kNotANumber = 2,        ///< Not a whole number: message, saying what may have been meant.
  kEmpty = 3,             ///< Nothing but blanks was typed.
  kSpan = 4,              ///< A span converted: its account as records, its rows, and the span.
  kSpanNotConverted = 5,  ///< A span not converted: its account as the message, and the span.
};

/// What lookup found; the texts its status does not name are empty.
struct LookupResult {
  LookupStatus status = LookupStatus::kEmpty;  ///< What the typed text is.
  std::string records;                         ///< The result records, one per line.
  std::string rows;                            ///< varve-batch's rows, as JSON Lines.
  std::string message;                         ///< The sentence on a number not converted.
  std::string ranges;                          ///< The accepted ranges, "first-last" lines.
  chronology::GivenRange span{};               ///< The span's first and last number, for spans.
};

/// Converts the text of the number box, read as one cell: a number, or a
/// span of varves written first-last.
LookupResult lookup(chronology::Direction direction, std::string_view typed);

/// Converts the texts of the two number boxes, each read by the cell rule:
/// the first alone when the second is blank, else the span between the two
/// numbers, in either order (its ends given smaller first); a message when
/// either is no number.
LookupResult lookup_boxes(chronology::Direction direction, std::string_view first,
                          std::string_view last);

/// The output formats of a list.
enum class ListFormat : std::int32_t { kTsv = 0, kCsv = 1 };

/// A list or lines converted as varve-batch converts them.
struct ListResult {
  std::string rows;      ///< The rows with their header line.
  std::string messages;  ///< varve-batch's messages on the input, a line each.
  bool bad = false;      ///< A token was skipped, or a line was not a whole number.
};

/// Converts a pasted list as varve-batch does its standard input, its
/// messages without the program's name.
ListResult convert_list(chronology::Direction direction, ListFormat format, std::string_view list);

/// Converts pasted lines as varve-batch --lines does: one row per line, blank
/// and bad lines included.
ListResult convert_lines(chronology::Direction direction, ListFormat format,
                         std::string_view lines);

/// How a paste was read.
enum class PasteReading : std::int32_t {
  kEmpty = 0,  ///< Nothing but blanks: nothing to convert.
  kList = 1,   ///< A list: tokens, as convert_list reads them.
  kLines = 2,  ///< A column: a row per line, as convert_lines.
  kAsk = 3,    ///< Lines of one value and of several: not read until the user chooses.
  kTable = 4,  ///< Cells separated by tabs: not read; its columns are offered as a file's.
};

/// How the user chose to read a paste that mixes lines of one and of several values.
enum class PasteChoice : std::int32_t {
  kNone = 0,    ///< No choice made: such a paste is not read.
  kList = 1,    ///< As a list.
  kColumn = 2,  ///< As a column, a row per line.
};

/// What convert_paste did.
struct PasteResult {
  PasteReading reading = PasteReading::kEmpty;  ///< How the paste was read.
  std::size_t first_one = 0;      ///< The first line (from 1) holding one value, or 0.
  std::size_t first_several = 0;  ///< The first line holding several values, or 0.
  bool quoted_breaks = false;     ///< A quoted cell holding a line break was read as one line.
  ListResult converted;           ///< As convert_list or convert_lines gave it; empty unless read.
};

/// Converts a paste as what it is (batch::paste_layout): a column as lines, a
/// list as a list; a paste that mixes them only as `choice` says, so that no
/// row is ever shifted silently; a table not at all.
PasteResult convert_paste(chronology::Direction direction, ListFormat format,
                          std::string_view paste, PasteChoice choice = PasteChoice::kNone);

/// True when a column's header text names varve numbers: it has the word
/// varve, varves, ne, am, lc or uc, in any letter case.
bool names_varve_numbers(std::string_view header);

/// The first row of a file as the column mode reads it.
struct FirstRow {
  std::int32_t count = 0;  ///< The number of cells, or -1 when the encoding is not read.
  std::string cells;       ///< Each cell, shown safely, one per line.
  std::string suggested;   ///< The numbers (from 1) of the cells naming varve numbers, a line each.
  std::string error;       ///< Why the file's encoding is not read.
};

/// The cells of row `header_row` (from 1, after a separator line) of a CSV,
/// semicolon or TSV file in UTF-8, an 8-bit encoding or UTF-16.
FirstRow first_row(std::string_view file, std::size_t header_row = 1);

/// Lines of a converted file that convert_file gives as its preview.
inline constexpr std::size_t kPreviewLines = 50;

/// A file converted as varve-batch's column mode converts it.
struct FileResult {
  std::int32_t outcome = 0;  ///< 0; 1 when cells were not whole numbers; 2 when a fault stopped it.
  std::string file;          ///< The file with the added columns, in the file's own encoding.
  std::string messages;      ///< varve-batch's messages on the file, a line each.
  std::string preview;  ///< The first kPreviewLines lines in UTF-8, "…" last when more follow.
};

/// Converts column `column` (from 1) of a file as varve-batch's column mode
/// does, its header row `header_row` (from 1; 0 for none); with `other_end`
/// (from 1; 0 for none), the columns `column` and `other_end` as the two ends
/// of an interval in each row, as --span-columns converts them. Where the
/// header has the added columns' names already (a converted file converted
/// again), they are named after the column (or the two), as several
/// conversions' are.
FileResult convert_file(chronology::Direction direction, std::int32_t column,
                        std::int32_t header_row, std::string_view file, std::int32_t other_end = 0);

/// The columns a conversion adds in `direction`, a line each: the name, a tab,
/// and what its cells hold: n numbers, t text, b true or false; for text, a tab
/// and each text its codes stand for, in the order of the codes, each ended by
/// a tab (the last, for none, empty).
std::string added_columns(chronology::Direction direction);

/// The header row of a workbook's sheet, its cells given each ended by NUL:
/// the cells shown safely and the ones naming varve numbers, as first_row.
FirstRow header_row(std::string_view cells);

/// The names of the columns converting column `column` (from 1) of a sheet
/// adds (with `other_end`, from 1, the two columns as an interval's ends), a
/// line each, its header row's cells given each ended by NUL: the plain
/// names, or where the header has them already (a converted sheet converted
/// again), names after the column, as the table model gives them.
std::string planned_names(chronology::Direction direction, std::int32_t column,
                          std::string_view cells, std::int32_t other_end = 0);

/// The columns an interval of two ends adds in `direction`, a line each: the
/// name, a tab, and what its cells hold: n numbers, t text (its codes stand
/// for the texts of the result, CellsResult::texts), b true or false.
std::string interval_columns(chronology::Direction direction);

/// A value missing from a typed added column: no number, no flag.
inline constexpr std::int32_t kMissing = std::numeric_limits<std::int32_t>::min();

/// A workbook column converted by the cell rule of every front end, its added
/// cells typed, as the bindings' columns are.
struct CellsResult {
  std::int32_t count = 0;  ///< The cells given.
  /// Each added column's values for every cell, column after column: a number,
  /// a code (its text is the column's code text of added_columns), 1 or 0 for
  /// true or false, or kMissing.
  std::vector<std::int32_t> columns;
  std::string messages;      ///< The messages on cells not converted, a line each.
  std::int32_t invalid = 0;  ///< The cells not converted: not whole numbers, spans not converted.
  /// The texts the codes of an interval's text columns stand for, in the
  /// order of their codes, one for each text value (an interval's sentences
  /// are its own, so its columns have no fixed list of texts); empty for a
  /// column's cells.
  std::vector<std::string> texts;
};

/// Converts a workbook column's cells, each given as its name ("C5"), a tab,
/// then 't' and its text, or 'n', the number it stores as the 8 bytes of a
/// double in the machine's order and the number as the file writes it, or
/// nothing when empty, and ended by NUL. A number is read as read_real reads
/// a host language's; a stored number the page cannot read it gives as an
/// infinity, which is not a number.
CellsResult convert_cells(chronology::Direction direction, std::string_view cells);

/// Converts the intervals of a workbook's two columns, each row's two ends
/// given one after the other (the first end's, then the last end's), each
/// cell as convert_cells takes it: an interval's row for each pair, its
/// columns typed as interval_columns says (a text as its code in `texts`),
/// and a message, named by its first end's cell, on each interval not
/// converted, as varve-batch's column mode gives them. An odd cell at the end
/// is left out.
CellsResult convert_interval_cells(chronology::Direction direction, std::string_view cells);

/// The correspondence chart of `direction` as SVG, `mark` marked when accepted
/// and `span` shaded when converted.
std::string chart(chronology::Direction direction, std::optional<chronology::GivenNumber> mark,
                  std::optional<chronology::GivenRange> span = std::nullopt);

}  // namespace wasm

#endif  // VARVE_WASM_CALLS_H_
