#include "batch/options.h"

#include <array>
#include <optional>

#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/shown_text.h"

namespace batch {
namespace {

/// The command word, before its settings are known.
enum class CommandWord { kNone, kConvert, kTable, kSpan, kChart };

/// The command line as read so far, word by word. Options may come before or
/// after the command, so they are kept as given until the whole line is read;
/// then the command takes those it goes with.
struct Reading {
  /// What the next word that is not an option is.
  enum class Expect { kCommand, kDirection, kOperands } expect = Expect::kCommand;
  CommandWord command = CommandWord::kNone;
  bool options_ended = false;  ///< "--" was read: every later word is an operand.
  /// --help, -h, help or --version was read: it is shown whatever else the line holds.
  std::optional<Command> shown_at_once;

  Direction direction = Direction::kNeToAm;
  bool chart_direction_given = false;
  std::optional<chronology::GivenNumber> mark;  ///< chart's --mark.
  std::vector<NumberArgument> operands;         ///< The words after the command's.

  Format format = Format::kTsv;
  bool header = true;
  bool lines = false;
  /// The column mode's --column, --span-columns, --separator, --header-row and --prefix.
  ColumnSettings column;
  bool header_row_given = false;

  /// True for the column mode: a --column or a --span-columns was given.
  bool column_mode_asked() const { return !column.columns.empty() || !column.intervals.empty(); }
};

/// True when every byte of `text` is a digit (an empty text included).
bool only_digits(std::string_view text) {
  return text.find_first_not_of("0123456789") == text.npos;
}

/// Reads an argument as a whole number by the rule every value varve-batch
/// converts is read by; none when it is anything else.
std::optional<chronology::GivenNumber> whole_number(std::string_view argument) {
  chronology::Cell cell = chronology::read_cell(argument);
  return cell.kind == chronology::CellKind::kNumber ? std::optional(cell.number) : std::nullopt;
}

bool parse_direction(std::string_view word, Direction& direction) {
  std::optional<Direction> named = chronology::direction_named(word);
  direction = named.value_or(direction);
  return named.has_value();
}

/// Reads a format name in any letter case.
bool parse_format(std::string_view word, Format& format) {
  std::string lower(word);
  for (char& c : lower) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  word = lower;
  if (word == "tsv") {
    format = Format::kTsv;
  } else if (word == "csv") {
    format = Format::kCsv;
  } else if (word == "jsonl") {
    format = Format::kJsonl;
  } else {
    return false;
  }
  return true;
}

/// A negative number such as -12 is a NUMBER, not an option.
bool looks_like_option(std::string_view word) {
  return word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
}

/// "ne-to-am or am-to-ne", for the messages that name both directions.
std::string both_directions() {
  return std::string(chronology::direction_name(Direction::kNeToAm)) + " or " +
         std::string(chronology::direction_name(Direction::kAmToNe));
}

/// "'text'", with the bytes a terminal would act on shown.
std::string quoted(std::string_view text) {
  // Appended rather than added: GCC 12 warns falsely (-Wrestrict) on "'" + string.
  std::string shown(1, '\'');
  shown.append(chronology::ascii_shown(text)).push_back('\'');
  return shown;
}

/// One option of the command line, --name or --name=value.
struct OptionRule {
  std::string_view name;
  /// What is wrong when the value is missing; empty for an option without a value.
  std::string_view missing;
  /// Applies the option with `value` to `r`; returns what is wrong, or nothing.
  std::string (*apply)(std::string_view value, Reading& r);
};

constexpr OptionRule kOptionRules[] = {
    {"--no-header",
     {},
     [](std::string_view, Reading& r) {
       r.header = false;
       return std::string();
     }},
    {"--lines",
     {},
     [](std::string_view, Reading& r) {
       r.lines = true;
       return std::string();
     }},
    {"--format", "--format needs a value: tsv, csv or jsonl",
     [](std::string_view value, Reading& r) {
       return parse_format(value, r.format)
                  ? std::string()
                  : "unknown format " + quoted(value) + ": use tsv, csv or jsonl";
     }},
    {"--column", "--column needs a value",
     [](std::string_view value, Reading& r) {
       r.column.columns.emplace_back(value);
       return value.empty() ? std::string("--column needs a column's name or number")
                            : std::string();
     }},
    {"--span-columns", "--span-columns needs two columns, as top,bottom",
     [](std::string_view value, Reading& r) {
       std::size_t comma = value.find(',');
       if (comma == std::string_view::npos || value.find(',', comma + 1) != value.npos ||
           comma == 0 || comma + 1 == value.size()) {
         return "--span-columns takes the interval's two columns, A,B (each a name or a number; "
                "a name that holds a comma by its number), not " +
                quoted(value);
       }
       r.column.intervals.push_back(
           {std::string(value.substr(0, comma)), std::string(value.substr(comma + 1))});
       return std::string();
     }},
    {"--header-row", "--header-row needs a number",
     [](std::string_view value, Reading& r) {
       // A row's number is digits alone: no sign, no decimals.
       bool digits = !value.empty() && only_digits(value);
       std::optional<chronology::GivenNumber> row = digits ? whole_number(value) : std::nullopt;
       if (!row || *row < 1) {
         return "--header-row needs a row's number from 1, not " + quoted(value);
       }
       r.column.header_row = static_cast<std::size_t>(*row);
       r.header_row_given = true;
       return std::string();
     }},
    {"--prefix", "--prefix needs a value",
     [](std::string_view value, Reading& r) {
       r.column.prefix = value;
       return std::string();
     }},
    {"--separator", "--separator needs a value",
     [](std::string_view value, Reading& r) {
       if (value != "," && value != ";" && value != "tab") {
         return "unknown separator " + quoted(value) + ": use , or ; or tab";
       }
       r.column.separator = value == "tab" ? '\t' : value[0];
       return std::string();
     }},
    {"--help",
     {},
     [](std::string_view, Reading& r) {
       r.shown_at_once = Help{};
       return std::string();
     }},
    {"-h",
     {},
     [](std::string_view, Reading& r) {
       r.shown_at_once = Help{};
       return std::string();
     }},
    {"--version",
     {},
     [](std::string_view, Reading& r) {
       r.shown_at_once = Version{};
       return std::string();
     }},
};

/// The rule of the option called `name`, or none.
const OptionRule* option_rule(std::string_view name) {
  for (const OptionRule& rule : kOptionRules) {
    if (rule.name == name) {
      return &rule;
    }
  }
  return nullptr;
}

/// Reads the option at `i` by its rule, moving `i` past a separate value.
/// Returns what is wrong, or nothing.
std::string read_option(const std::vector<std::string_view>& arguments, std::size_t& i,
                        Reading& r) {
  std::string_view word = arguments[i];
  std::size_t equals = word.find('=');
  const OptionRule* rule = option_rule(word.substr(0, equals));
  if (!rule || (rule->missing.empty() && equals != std::string_view::npos)) {
    return "unknown option " + quoted(word);
  }
  std::string_view value;
  if (equals != std::string_view::npos) {
    value = word.substr(equals + 1);
  } else if (!rule->missing.empty()) {
    if (i + 1 == arguments.size()) {
      return std::string(rule->missing);
    }
    value = arguments[++i];
  }
  return rule->apply(value, r);
}

/// Reads the word at `i` after "chart": a direction or --mark N, moving `i`
/// past a separate value. Returns what is wrong, or nothing.
std::string read_chart_word(const std::vector<std::string_view>& arguments, std::size_t& i,
                            Reading& r) {
  std::string_view word = arguments[i];
  if (word == "--mark" || word.starts_with("--mark=")) {
    if (word == "--mark" && i + 1 == arguments.size()) {
      return "--mark needs a number";
    }
    std::string_view value = word == "--mark" ? arguments[++i] : word.substr(7);
    // A number on the command line is a sign and digits: the blanks and the
    // zero decimals a spreadsheet's cell may carry are not taken here.
    std::string_view digits =
        value.starts_with('-') || value.starts_with('+') ? value.substr(1) : value;
    bool plain = !digits.empty() && only_digits(digits);
    r.mark = plain ? whole_number(value) : std::nullopt;
    if (!r.mark) {
      return "--mark needs a whole number, not " + quoted(value);
    }
  } else if (!r.chart_direction_given && parse_direction(word, r.direction)) {
    r.chart_direction_given = true;
  } else {
    return "chart takes " + both_directions() + " and --mark N, not " + quoted(word);
  }
  return {};
}

/// The name of a command that takes a direction next: table or span.
std::string command_name(const Reading& r) {
  return r.command == CommandWord::kSpan ? "span" : "table";
}

/// Reads the command word. Returns what is wrong, or nothing.
std::string read_command(std::string_view word, Reading& r) {
  if (word == "help" && !r.options_ended) {
    r.shown_at_once = Help{};
  } else if (word == "table" || word == "span") {
    r.command = word == "table" ? CommandWord::kTable : CommandWord::kSpan;
    r.expect = Reading::Expect::kDirection;
  } else if (word == "chart") {
    r.command = CommandWord::kChart;
    r.expect = Reading::Expect::kOperands;
  } else if (parse_direction(word, r.direction)) {
    r.command = CommandWord::kConvert;
    r.expect = Reading::Expect::kOperands;
  } else {
    return "unknown command " + quoted(word);
  }
  return {};
}

/// Reads the word at `i` of the command line. Returns what is wrong, or nothing.
std::string read_word(const std::vector<std::string_view>& arguments, std::size_t& i, Reading& r) {
  std::string_view word = arguments[i];
  if (!r.options_ended && word == "--") {
    r.options_ended = true;
    return {};
  }
  // After "chart", every word is chart's own but a call for help.
  if (r.command == CommandWord::kChart && word != "--help" && word != "-h") {
    return read_chart_word(arguments, i, r);
  }
  if (!r.options_ended && looks_like_option(word)) {
    return read_option(arguments, i, r);
  }
  switch (r.expect) {
    case Reading::Expect::kCommand:
      return read_command(word, r);
    case Reading::Expect::kDirection:
      if (!parse_direction(word, r.direction)) {
        return command_name(r) + " needs " + both_directions() + ", not " + quoted(word);
      }
      r.expect = Reading::Expect::kOperands;
      return {};
    case Reading::Expect::kOperands:
      if (r.command == CommandWord::kTable) {
        return "table takes no numbers";
      }
      r.operands.push_back({word, static_cast<int>(i) + 1});
      return {};
  }
  return {};
}

/// A command line that is wrong, with what is wrong.
ParsedOptions failed(std::string error) {
  return {{}, std::move(error)};
}

/// What is wrong with the column mode's own options given without it, or nothing.
std::string column_options_alone(const Reading& r) {
  if (!r.column_mode_asked() &&
      (!r.column.prefix.empty() || r.column.separator != 0 || r.header_row_given)) {
    return "--separator, --prefix and --header-row go with --column";
  }
  return {};
}

/// What is wrong with the column and line modes' options, or nothing.
/// `reads_input`: the command may read a FILE (table reads none).
std::string file_mode_fault(const Reading& r, bool reads_input) {
  if (std::string fault = column_options_alone(r); !fault.empty()) {
    return fault;
  }
  if (r.column_mode_asked()) {
    if (!reads_input || r.operands.size() > 1) {
      return "--column converts one FILE (or standard input)";
    }
    if (r.format != Format::kTsv) {
      return "--format does not go with --column: the file keeps its own format";
    }
    auto counted = [](std::string_view wanted) {
      std::string_view number = wanted.starts_with('#') ? wanted.substr(1) : wanted;
      return only_digits(number);
    };
    for (const std::string& wanted : r.column.columns) {
      if (!r.header && !counted(wanted)) {
        return "with --no-header, --column takes the column's number";
      }
    }
    for (const std::array<std::string, 2>& ends : r.column.intervals) {
      if (!r.header && (!counted(ends[0]) || !counted(ends[1]))) {
        return "with --no-header, --span-columns takes the columns' numbers";
      }
    }
    if (!r.header && r.header_row_given) {
      return "--header-row names the header row, and --no-header says there is none";
    }
    if (r.column.columns.size() + r.column.intervals.size() > 1 && !r.column.prefix.empty()) {
      return "--prefix names the added columns of one --column; with several, each "
             "column's are named after it";
    }
  }
  if (r.lines) {
    if (r.column_mode_asked()) {
      return "--lines and --column do not go together: --lines reads one value per line";
    }
    if (!reads_input || r.operands.size() > 1) {
      return "--lines converts one FILE (or standard input)";
    }
  }
  return {};
}

/// The FILE of the column and line modes: the operand, else standard input.
std::string_view file_of(const Reading& r) {
  return r.operands.empty() ? "-" : r.operands[0].text;
}

/// The ends of "span": FIRST and LAST, or FIRST-LAST as one word.
std::optional<chronology::GivenRange> span_ends(const Reading& r, std::string& fault) {
  const std::string takes = "span takes FIRST and LAST (or FIRST-LAST)";
  if (r.operands.size() == 1) {
    chronology::Cell cell = chronology::read_cell(r.operands[0].text);
    if (cell.kind != chronology::CellKind::kSpan) {
      fault = takes + ", not only " + quoted(r.operands[0].text);
      return std::nullopt;
    }
    return chronology::GivenRange{cell.first, cell.last};
  }
  if (r.operands.size() != 2) {
    fault = takes;
    return std::nullopt;
  }
  chronology::GivenNumber ends[2] = {};
  for (std::size_t k = 0; k < 2; ++k) {
    std::optional<chronology::GivenNumber> end = whole_number(r.operands[k].text);
    if (!end) {
      fault = "span needs whole numbers, not " + quoted(r.operands[k].text);
      return std::nullopt;
    }
    ends[k] = *end;
  }
  return chronology::GivenRange{ends[0], ends[1]};
}

ParsedOptions span_command(const Reading& r) {
  if (r.column_mode_asked() || r.lines) {
    return failed("span takes neither --column nor --lines: it converts one span");
  }
  if (r.format != Format::kTsv) {
    return failed("--format does not go with span: its account is plain text");
  }
  std::string fault;
  std::optional<chronology::GivenRange> span = span_ends(r, fault);
  if (!span) {
    return failed(fault);
  }
  if (fault = column_options_alone(r); !fault.empty()) {
    return failed(fault);
  }
  return {SpanSettings{r.direction, *span}, {}};
}

ParsedOptions table_command(const Reading& r) {
  if (std::string fault = file_mode_fault(r, false); !fault.empty()) {
    return failed(fault);
  }
  return {TableSettings{r.direction, r.format, r.header}, {}};
}

/// Options given before "chart" are read, and checked, as for a conversion,
/// then left aside: the chart has none of them.
ParsedOptions chart_command(const Reading& r) {
  if (std::string fault = file_mode_fault(r, true); !fault.empty()) {
    return failed(fault);
  }
  if (r.mark && chronology::links_of(r.direction, *r.mark).empty()) {
    return failed("--mark " + std::to_string(*r.mark) + " is outside the accepted ranges of " +
                  std::string(chronology::direction_name(r.direction)));
  }
  return {ChartSettings{r.direction, r.mark}, {}};
}

ParsedOptions convert_command(const Reading& r) {
  if (std::string fault = file_mode_fault(r, true); !fault.empty()) {
    return failed(fault);
  }
  if (r.column_mode_asked()) {
    ColumnSettings column = r.column;
    column.direction = r.direction;
    column.header = r.header;
    return {ColumnModeSettings{std::move(column), file_of(r)}, {}};
  }
  if (r.lines) {
    return {LineSettings{r.direction, r.format, r.header, file_of(r)}, {}};
  }
  return {ListSettings{r.direction, r.format, r.header, r.operands}, {}};
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string_view>& arguments) {
  Reading r;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (std::string fault = read_word(arguments, i, r); !fault.empty()) {
      return failed(fault);
    }
    if (r.shown_at_once) {
      return {*r.shown_at_once, {}};
    }
  }
  switch (r.command) {
    case CommandWord::kNone:
      return failed("missing command");
    case CommandWord::kTable:
    case CommandWord::kSpan:
      if (r.expect == Reading::Expect::kDirection) {
        return failed(command_name(r) + " needs " + both_directions());
      }
      return r.command == CommandWord::kSpan ? span_command(r) : table_command(r);
    case CommandWord::kChart:
      return chart_command(r);
    case CommandWord::kConvert:
      return convert_command(r);
  }
  return failed("missing command");
}

}  // namespace batch
