#ifndef VARVE_WASM_CALLS_H_
#define VARVE_WASM_CALLS_H_

// What the web page asks of the engine, as plain functions on text: the page
// writes its input into one buffer, calls a function, and reads up to three
// texts back. exports.cpp hands these to JavaScript as WebAssembly exports;
// they are plain C++ here so that they are tested natively.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chronology/links.h"

namespace wasm {

/// The texts a call leaves for the page.
using Texts = std::array<std::string, 3>;

/// What the text typed in the number box is.
enum class LookupStatus : std::int32_t {
  kConverted = 0,   ///< Texts: the result records, one per line; the rows, as JSON Lines.
  kOutside = 1,     ///< Texts: the dialogue's message; the accepted ranges, "first-last" lines.
  kNotANumber = 2,  ///< Texts: the message, saying what may have been meant.
  kEmpty = 3,       ///< Nothing but blanks was typed. Texts: empty.
};

/// Converts the text of the number box, read as one cell.
LookupStatus lookup(chronology::Direction direction, std::string_view typed, Texts& texts);

/// The output formats of a list.
enum class ListFormat : std::int32_t { kTsv = 0, kCsv = 1 };

/// Converts a pasted list as varve-batch does its standard input: texts are
/// the rows with their header line, and varve-batch's messages on the input
/// (without its name), a line each. Returns 1 when a token was skipped, else 0.
std::int32_t convert_list(chronology::Direction direction, ListFormat format, std::string_view list,
                          Texts& texts);

/// Converts pasted lines as varve-batch --lines does: one row per line, blank
/// and bad lines included; texts are the rows with their header line, and the
/// messages, a line each. Returns 1 when a line was not a whole number, else 0.
std::int32_t convert_lines(chronology::Direction direction, ListFormat format,
                           std::string_view lines, Texts& texts);

/// True when `line` (without its line end) holds at most one value, as a
/// line copied from one column of a spreadsheet does.
bool holds_one_value(std::string_view line);

/// How a paste is read.
enum class PasteReading : std::int32_t {
  kEmpty = 0,  ///< Nothing but blanks: nothing to convert.
  kList = 1,   ///< Some line holds more values: tokens, as convert_list reads them.
  kLines = 2,  ///< Every line holds at most one value: a row per line, as convert_lines.
};

/// How `paste` is read: as lines when every line holds at most one value, so
/// that a pasted column comes back row for row; else as a list.
PasteReading paste_reading(std::string_view paste);

/// What convert_paste did.
struct PasteOutcome {
  PasteReading reading = PasteReading::kEmpty;
  bool bad = false;  ///< A token was skipped, or a line was not a whole number.
};

/// Converts a paste in the reading paste_reading gives it; texts as those of
/// convert_list or convert_lines, all empty when there is nothing to convert.
PasteOutcome convert_paste(chronology::Direction direction, ListFormat format,
                           std::string_view paste, Texts& texts);

/// True when a column's header text names varve numbers: it has the word
/// varve, varves, ne, am, lc or uc, in any letter case.
bool names_varve_numbers(std::string_view header);

/// The cells of the first row of a CSV, semicolon or TSV file in UTF-8, an
/// 8-bit encoding or UTF-16, as the column mode reads them: texts[0] holds
/// each, shown safely, one per line; texts[2] the numbers (from 1) of those
/// that name varve numbers, one per line. Returns their number, or -1 when
/// the file's encoding is not read, with texts[1] saying why.
std::int32_t first_row(std::string_view file, Texts& texts);

/// Lines of a converted file that convert_file gives as its preview.
inline constexpr std::size_t kPreviewLines = 50;

/// Converts column `column` (from 1) of a file as varve-batch's column mode
/// does: texts are the file with the added columns in the file's own
/// encoding, the messages, a line each, and the first kPreviewLines lines in
/// UTF-8 (a last line "…" when more follow). Returns 0, 1 when cells were not
/// whole numbers, 2 when a fault in the file stopped the conversion.
std::int32_t convert_file(chronology::Direction direction, std::int32_t column, bool header,
                          std::string_view file, Texts& texts);

/// The correspondence chart of `direction`, `mark` marked when accepted.
void chart(chronology::Direction direction, std::optional<chronology::VarveNumber> mark,
           Texts& texts);

}  // namespace wasm

#endif  // VARVE_WASM_CALLS_H_
