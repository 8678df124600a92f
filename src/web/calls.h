#ifndef VARVE_WEB_CALLS_H_
#define VARVE_WEB_CALLS_H_

// What the web page asks of the engine, as plain functions on text: the page
// writes its input into one buffer, calls a function, and reads one or two
// texts back. exports.cpp hands these to JavaScript as WebAssembly exports;
// they are plain C++ here so that they are tested natively.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chronology/links.h"

namespace web {

/// The two texts a call leaves for the page.
using Texts = std::array<std::string, 2>;

/// What the text typed in the number box is.
enum class LookupStatus : std::int32_t {
  kConverted = 0,   ///< Texts: the result records, one per line; the rows, as JSON Lines.
  kOutside = 1,     ///< Texts: the dialogue's message; the accepted ranges, "first-last" lines.
  kNotANumber = 2,  ///< Texts: empty.
  kEmpty = 3,       ///< Nothing but blanks was typed. Texts: empty.
};

/// Converts the text of the number box, blanks around it ignored.
LookupStatus lookup(chronology::Direction direction, std::string_view typed, Texts& texts);

/// The output formats of a list.
enum class ListFormat : std::int32_t { kTsv = 0, kCsv = 1 };

/// Converts a pasted list as varve-batch does its standard input: texts are
/// the rows with their header line, and varve-batch's messages on the input
/// (without its name), a line each. Returns 1 when a token was skipped, else 0.
std::int32_t convert_list(chronology::Direction direction, ListFormat format, std::string_view list,
                          Texts& texts);

/// The cells of the first row of a CSV, semicolon or TSV file, as the column
/// mode reads them: texts[0] holds one per line. Returns their number.
std::int32_t first_row(std::string_view file, Texts& texts);

/// Converts column `column` (from 1) of a file as varve-batch's column mode
/// does: texts are the file with the added columns, and its messages, a line
/// each. Returns 0, 1 when cells were not whole numbers, 2 when a fault in
/// the file stopped the conversion.
std::int32_t convert_file(chronology::Direction direction, std::int32_t column, bool header,
                          std::string_view file, Texts& texts);

/// The correspondence chart of `direction`, `mark` marked when accepted.
void chart(chronology::Direction direction, std::optional<chronology::VarveNumber> mark,
           Texts& texts);

}  // namespace web

#endif  // VARVE_WEB_CALLS_H_
