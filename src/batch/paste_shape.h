#ifndef VARVE_BATCH_PASTE_SHAPE_H_
#define VARVE_BATCH_PASTE_SHAPE_H_

// What a paste is: a column copied from a spreadsheet (one value per line,
// blank lines included), a list (several values to a line), a table (cells
// separated by tabs), or a mix that cannot be read either way without
// shifting a row. Values are counted as the list mode counts them, so the
// rule lives beside it and every front end that takes pastes shares it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace batch {

/// How many values one line of a paste holds.
enum class LineValues {
  kNone,     ///< Nothing but blanks.
  kOne,      ///< One value, as a line of a spreadsheet's column holds.
  kSeveral,  ///< More than one, or separators that make it a list's line.
};

/// How many values `line` (without its line end, and without tabs) holds.
LineValues line_values(std::string_view line);

/// What a paste is.
enum class PasteShape : std::int32_t {
  kEmpty = 0,   ///< Nothing but blanks.
  kList = 1,    ///< Every line that holds anything holds several values.
  kColumn = 2,  ///< Every line holds at most one value: a row per line.
  kMixed = 3,   ///< Lines of one value and of several: neither reading is safe.
  kTable = 4,   ///< A line holds a tab: cells of several columns.
};

/// A paste's shape and what decided it; lines are counted from 1, a quoted
/// cell holding line breaks as one line.
struct PasteLayout {
  PasteShape shape = PasteShape::kEmpty;  ///< What the paste is.
  std::size_t lines = 0;                  ///< The lines (cells) of the paste.
  std::size_t one = 0;                    ///< The lines holding one value.
  std::size_t first_one = 0;              ///< The first of them, or 0.
  std::size_t several = 0;                ///< The lines holding several values.
  std::size_t first_several = 0;          ///< The first of them, or 0.
  bool quoted_breaks = false;             ///< A quoted cell holds a line break.
};

/// The shape of `paste`. Lines end at LF, CR LF or a lone CR; a final line
/// end adds no line. A line that starts with a quote whose closing quote ends
/// a later line is one cell, as a spreadsheet copies a cell holding a line
/// break; an unclosed quote is only a character.
PasteLayout paste_layout(std::string_view paste);

/// `paste` as the line mode reads a column: each quoted cell that holds a
/// line break unquoted, with its line breaks as blanks, so that it gives one
/// row; every other line as it was.
std::string column_lines(std::string_view paste);

}  // namespace batch

#endif  // VARVE_BATCH_PASTE_SHAPE_H_
