#ifndef VARVE_BATCH_OPTIONS_H_
#define VARVE_BATCH_OPTIONS_H_

// varve-batch's command line, read into the settings of the one command it
// asks for: each command has a type of its own holding only what that command
// uses, so that a setting of one cannot be read for another.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "batch/column.h"
#include "batch/rows.h"

namespace batch {

/// A NUMBER argument as given, with its position on the command line from 1.
struct NumberArgument {
  std::string_view text;
  int position = 0;

  friend bool operator==(const NumberArgument&, const NumberArgument&) = default;
};

/// ne-to-am|am-to-ne [NUMBER...]: the list mode, over the NUMBERs or, with
/// none, over standard input.
struct ListSettings {
  Direction direction = Direction::kNeToAm;
  Format format = Format::kTsv;
  bool header = true;  ///< Write the line of column names first.
  std::vector<NumberArgument> numbers;

  friend bool operator==(const ListSettings&, const ListSettings&) = default;
};

/// ne-to-am|am-to-ne --lines [FILE]: one value per line, one row per line.
struct LineSettings {
  Direction direction = Direction::kNeToAm;
  Format format = Format::kTsv;
  bool header = true;           ///< Write the line of column names first.
  std::string_view file = "-";  ///< "-": standard input.

  friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

/// ne-to-am|am-to-ne --column ... [FILE]: the column mode. Its settings hold
/// the direction and whether the file has a header row.
struct ColumnModeSettings {
  ColumnSettings column;
  std::string_view file = "-";  ///< "-": standard input.
};

/// table DIRECTION: every accepted number of the direction with its rows.
struct TableSettings {
  Direction direction = Direction::kNeToAm;
  Format format = Format::kTsv;
  bool header = true;  ///< Write the line of column names first.

  friend bool operator==(const TableSettings&, const TableSettings&) = default;
};

/// span DIRECTION FIRST LAST: the account of one span.
struct SpanSettings {
  Direction direction = Direction::kNeToAm;
  chronology::GivenRange span{};  ///< FIRST and LAST as given, in either order.

  friend bool operator==(const SpanSettings&, const SpanSettings&) = default;
};

/// chart [DIRECTION] [--mark N]: the correspondence chart.
struct ChartSettings {
  Direction direction = Direction::kNeToAm;
  /// The number to mark, an accepted number of `direction`.
  std::optional<chronology::GivenNumber> mark;

  friend bool operator==(const ChartSettings&, const ChartSettings&) = default;
};

/// help, --help or -h: the full usage.
struct Help {
  friend bool operator==(Help, Help) = default;
};

/// --version: the version and the correspondence tables'.
struct Version {
  friend bool operator==(Version, Version) = default;
};

/// The one command a command line asks for, with its settings.
using Command = std::variant<ListSettings, LineSettings, ColumnModeSettings, TableSettings,
                             SpanSettings, ChartSettings, Help, Version>;

/// The outcome of reading the command line: a command, or what is wrong.
struct ParsedOptions {
  Command command;    ///< Meaningful only when `error` is empty.
  std::string error;  ///< Empty when the command line is good; one line otherwise.
};

/// Reads the arguments after the program name.
ParsedOptions parse_options(const std::vector<std::string_view>& arguments);

}  // namespace batch

#endif  // VARVE_BATCH_OPTIONS_H_
