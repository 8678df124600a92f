#ifndef VARVE_BATCH_OPTIONS_H_
#define VARVE_BATCH_OPTIONS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/column.h"
#include "batch/rows.h"

namespace batch {

/// What the command line asks for.
struct Options {
  enum class Action { kConvert, kTable, kHelp, kVersion, kChart, kSpan };

  Action action = Action::kConvert;
  Direction direction = Direction::kNeToAm;
  Format format = Format::kTsv;
  bool header = true;
  /// The NUMBER arguments, each with its position on the command line.
  std::vector<std::pair<std::string_view, int>> numbers;
  /// The column mode's settings: each --column and --span-columns to convert
  /// (none in the list mode), the --separator (0: recognised), the --header-row and the
  /// --prefix, with the direction and header of the whole command line.
  ColumnSettings column_mode;
  /// --header-row was given.
  bool header_row_given = false;
  /// The FILE of the column and line modes ("-": standard input).
  std::string_view file = "-";
  /// The line mode (--lines): one value per line of FILE, one row per line.
  bool lines = false;
  /// span: the FIRST and LAST numbers of the span, as given.
  chronology::GivenRange span{};
  /// chart: the number to mark, an accepted number of `direction`.
  std::optional<chronology::GivenNumber> mark;

  /// True for the column mode: a --column or a --span-columns was given.
  bool column_mode_asked() const {
    return !column_mode.columns.empty() || !column_mode.intervals.empty();
  }
};

/// The outcome of reading the command line: options, or what is wrong.
struct ParsedOptions {
  Options options;
  std::string error;  ///< Empty when the command line is good.
};

/// Reads the arguments after the program name.
ParsedOptions parse_options(const std::vector<std::string_view>& arguments);

/// The short usage, for a command line that is wrong.
extern const std::string_view kShortUsage;
/// The full usage, for --help: what the program does, the short usage, then
/// the commands, options, columns and messages.
extern const std::string kFullUsage;

}  // namespace batch

#endif  // VARVE_BATCH_OPTIONS_H_
