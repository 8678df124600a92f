#include "batch/options.h"

#include <array>
#include <optional>

#include "batch/tokens.h"
#include "chronology/cell.h"
#include "chronology/shown_text.h"

namespace batch {
namespace {

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

/// One option of the command line, --name or --name=value.
struct OptionRule {
  std::string_view name;
  /// What is wrong when the value is missing; empty for an option without a value.
  std::string_view missing;
  /// Applies the option with `value` to `o`; returns what is wrong, or nothing.
  std::string (*apply)(std::string_view value, Options& o);
};

constexpr OptionRule kOptionRules[] = {
    {"--no-header",
     {},
     [](std::string_view, Options& o) {
       o.header = false;
       return std::string();
     }},
    {"--lines",
     {},
     [](std::string_view, Options& o) {
       o.lines = true;
       return std::string();
     }},
    {"--format", "--format needs a value: tsv, csv or jsonl",
     [](std::string_view value, Options& o) {
       return parse_format(value, o.format) ? std::string()
                                            : "unknown format '" + chronology::ascii_shown(value) +
                                                  "': use tsv, csv or jsonl";
     }},
    {"--column", "--column needs a value",
     [](std::string_view value, Options& o) {
       o.column_mode.columns.emplace_back(value);
       return value.empty() ? std::string("--column needs a column's name or number")
                            : std::string();
     }},
    {"--span-columns", "--span-columns needs two columns, as top,bottom",
     [](std::string_view value, Options& o) {
       std::size_t comma = value.find(',');
       if (comma == std::string_view::npos || value.find(',', comma + 1) != value.npos ||
           comma == 0 || comma + 1 == value.size()) {
         return "--span-columns takes the interval's two columns, A,B (each a name or a number; "
                "a name that holds a comma by its number), not '" +
                chronology::ascii_shown(value) + "'";
       }
       o.column_mode.intervals.push_back(
           {std::string(value.substr(0, comma)), std::string(value.substr(comma + 1))});
       return std::string();
     }},
    {"--header-row", "--header-row needs a number",
     [](std::string_view value, Options& o) {
       std::int32_t number = 0;
       bool digits = !value.empty() && value.find_first_not_of("0123456789") == value.npos;
       if (!digits || parse_number(value, number) != TokenKind::kNumber || number < 1) {
         return "--header-row needs a row's number from 1, not '" + chronology::ascii_shown(value) +
                "'";
       }
       o.column_mode.header_row = static_cast<std::size_t>(number);
       o.header_row_given = true;
       return std::string();
     }},
    {"--prefix", "--prefix needs a value",
     [](std::string_view value, Options& o) {
       o.column_mode.prefix = value;
       return std::string();
     }},
    {"--separator", "--separator needs a value",
     [](std::string_view value, Options& o) {
       if (value != "," && value != ";" && value != "tab") {
         return "unknown separator '" + chronology::ascii_shown(value) + "': use , or ; or tab";
       }
       o.column_mode.separator = value == "tab" ? '\t' : value[0];
       return std::string();
     }},
    {"--help",
     {},
     [](std::string_view, Options& o) {
       o.action = Options::Action::kHelp;
       return std::string();
     }},
    {"-h",
     {},
     [](std::string_view, Options& o) {
       o.action = Options::Action::kHelp;
       return std::string();
     }},
    {"--version",
     {},
     [](std::string_view, Options& o) {
       o.action = Options::Action::kVersion;
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

/// Reads the word at `i` after "chart": a direction or --mark N, moving `i`
/// past a separate value. Returns what is wrong, or nothing.
std::string read_chart_word(const std::vector<std::string_view>& arguments, std::size_t& i,
                            Options& o, bool& direction_given) {
  std::string_view word = arguments[i];
  if (word == "--mark" || word.starts_with("--mark=")) {
    if (word == "--mark" && i + 1 == arguments.size()) {
      return "--mark needs a number";
    }
    std::string_view value = word == "--mark" ? arguments[++i] : word.substr(7);
    std::int32_t number = 0;
    if (parse_number(value, number) != TokenKind::kNumber) {
      return "--mark needs a whole number, not '" + chronology::ascii_shown(value) + "'";
    }
    o.mark = number;
  } else if (!direction_given && parse_direction(word, o.direction)) {
    direction_given = true;
  } else {
    return "chart takes " + both_directions() + " and --mark N, not '" +
           chronology::ascii_shown(word) + "'";
  }
  return {};
}

/// The command that takes a direction next: table or span.
std::string command_name(const Options& o) {
  return o.action == Options::Action::kSpan ? "span" : "table";
}

/// Reads the numbers of "span": FIRST and LAST, or FIRST-LAST as one word.
/// Returns what is wrong, or nothing.
std::string read_span_numbers(Options& o) {
  using chronology::CellKind;
  const std::string takes = "span takes FIRST and LAST (or FIRST-LAST)";
  if (o.numbers.size() == 1) {
    chronology::Cell cell = chronology::read_cell(o.numbers[0].first);
    if (cell.kind != CellKind::kSpan) {
      return takes + ", not only '" + chronology::ascii_shown(o.numbers[0].first) + "'";
    }
    o.span = {cell.first, cell.last};
  } else if (o.numbers.size() == 2) {
    chronology::GivenNumber ends[2] = {};
    for (std::size_t k = 0; k < 2; ++k) {
      chronology::Cell cell = chronology::read_cell(o.numbers[k].first);
      if (cell.kind != CellKind::kNumber) {
        return "span needs whole numbers, not '" + chronology::ascii_shown(o.numbers[k].first) +
               "'";
      }
      ends[k] = cell.number;
    }
    o.span = {ends[0], ends[1]};
  } else {
    return takes;
  }
  o.numbers.clear();
  return {};
}

}  // namespace

const std::string_view kShortUsage =
    "usage: varve-batch ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header] [NUMBER...]\n"
    "       varve-batch table ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header]\n"
    "       varve-batch ne-to-am|am-to-ne --column NAME|NUMBER [--column ...]\n"
    "                   [--header-row N] [--separator ,|;|tab] [--prefix TEXT]\n"
    "                   [--no-header] [FILE]\n"
    "       varve-batch ne-to-am|am-to-ne --span-columns A,B [--span-columns ...]\n"
    "                   [--column ...] [--header-row N] [--separator ,|;|tab]\n"
    "                   [--prefix TEXT] [--no-header] [FILE]\n"
    "       varve-batch ne-to-am|am-to-ne --lines [--format tsv|csv|jsonl] [--no-header] [FILE]\n"
    "       varve-batch span ne-to-am|am-to-ne FIRST LAST\n"
    "       varve-batch chart [ne-to-am|am-to-ne] [--mark N]\n"
    "       varve-batch help | --help | --version\n";

namespace {

/// What the full usage says before the usage lines.
constexpr std::string_view kAbout =
    "varve-batch: converts lists of varve numbers between the Brasko New England (NE)\n"
    "and the North American (AM) varve chronologies, for spreadsheets and scripts.\n"
    "\n";

/// What the full usage says after them.
constexpr std::string_view kDetails =
    "\n"
    "commands:\n"
    "  ne-to-am         convert NE numbers (LC 2500-6460, UC 6560-9000) to AM\n"
    "  am-to-ne         convert AM numbers (2500-8700) to NE, one row per NE sequence\n"
    "  table DIRECTION  list every accepted number of DIRECTION in ascending order\n"
    "  chart DIRECTION  the correspondence chart as an SVG figure: the offset AM minus\n"
    "                   NE against the DIRECTION's first number (ne-to-am when none),\n"
    "                   one panel per NE sequence; --mark N marks the number N\n"
    "  span DIRECTION FIRST LAST\n"
    "                   the account of the span FIRST-LAST of DIRECTION (also given\n"
    "                   as one word, FIRST-LAST): what it spans in the other\n"
    "                   chronology, its duration in NE and in AM varves (years), the\n"
    "                   splits and joins inside it, and an end that is not exact\n"
    "\n"
    "Numbers come from the arguments or, with none, from standard input (a file:\n"
    "varve-batch ne-to-am < numbers.txt), separated by blanks, tabs, commas,\n"
    "semicolons or line ends; '#' starts a comment that runs to the end of its line.\n"
    "A UTF-8 byte-order mark at the start of the input is skipped. From a terminal,\n"
    "each line's rows appear as soon as the line is typed (end with Ctrl-D). Use --\n"
    "before NUMBERs that might look like options; options may come before or after\n"
    "the command.\n"
    "\n"
    "options:\n"
    "  --format FORMAT  tsv (the default), csv, or jsonl (one JSON object per row),\n"
    "                   in any letter case\n"
    "  --no-header      leave out the line of column names (tsv and csv)\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "columns: input, sequence (LC or UC), relation (corresponds, split, joined,\n"
    "span or outside), ne_first, ne_last, am_first, am_last, false_couplets (true or\n"
    "false). A number outside the accepted ranges gives an 'outside' row with the\n"
    "other columns empty.\n"
    "\n"
    "line mode (--lines): one value per line, as a spreadsheet's column is copied:\n"
    "FILE (or standard input) gives exactly one row per line, in order, blank and\n"
    "bad lines included, so that the rows paste back beside the column. A row is\n"
    "the line as given, then the columns the column mode adds (below); a blank\n"
    "line gives empty cells, a line that is not a whole number 'invalid'.\n"
    "\n"
    "column mode (--column): FILE (or standard input, when it is absent or '-'), a\n"
    "CSV, semicolon-separated or TSV file as spreadsheets write it, comes back\n"
    "whole: every row, each field exactly as it was, with the conversion of the\n"
    "columns given appended; the separator, line ends (LF or CR LF) and a byte-order\n"
    "mark are kept. A row shorter than the header gets empty cells up to the\n"
    "header's width before the added cells, so that each stands under its own\n"
    "header. The header row names the columns and gets the new columns' names:\n"
    "--column NAME is a header as written or, when only one matches, in any letter\n"
    "case; --column NUMBER counts from 1, and so does #NUMBER, always (for a header\n"
    "that is a number); --no-header: no header row, the first row's width counts.\n"
    "  --column ...     again, to convert several columns in one pass: the columns\n"
    "                   each adds are named after it, its header's letters, digits\n"
    "                   and _ (c3 for column 3 without a header), _ and the name\n"
    "                   below; where a name is taken, _2, _3 ... follow the first\n"
    "  --header-row N   the N-th row is the header; the rows above it (a title,\n"
    "                   units) come back unchanged\n"
    "  --separator SEP  , or ; or tab (else set by a first line sep=; as Excel\n"
    "                   writes it, which comes back unchanged, or recognised from\n"
    "                   the header row)\n"
    "  --prefix TEXT    put TEXT before the added columns' names (one --column)\n"
    "  --span-columns A,B\n"
    "                   columns A and B (names or numbers; a name that holds a\n"
    "                   comma by its number) are the two ends of one interval per\n"
    "                   row, in either order; its account follows the cells of\n"
    "                   any --column (see spans below)\n"
    "ne-to-am adds: sequence, relation, ne_first, ne_last, am_first, am_last,\n"
    "false_couplets. am-to-ne adds: lc_relation, lc_first, lc_last, uc_relation,\n"
    "uc_first, uc_last, false_couplets (a sequence without a link is left empty).\n"
    "An empty cell gives empty new cells; a cell that is not a whole number gives\n"
    "the relation 'invalid', is reported with its line, and makes the exit status\n"
    "1. A quote that never closes, or a row with more cells than the header, stops\n"
    "the run after the rows before it (exit status 1); so does an empty input. A\n"
    "column the header does not have, or names twice, is a wrong command line\n"
    "(exit status 2, and the message lists the columns). A file in UTF-16 with a\n"
    "byte-order mark (a spreadsheet's \"Unicode text\") is read, and written back,\n"
    "in UTF-16, in the line mode too.\n"
    "\n"
    "accepted ranges: NE-LC 2500-6460, NE-UC 6560-9000, AM 2500-8700. (The prompts\n"
    "of the interactive varve-convert show the narrower 2700-6454, 6568-9000 and\n"
    "2700-8400, and accept these wider ones.) Following the correspondence tables,\n"
    "the two directions do not simply invert at the edges: AM 8683-8700 convert to\n"
    "NE-UC 9001-9018, beyond the accepted NE range; and where the sequences overlap,\n"
    "the AM numbers of NE-LC 6454-6460 and of NE-UC 6560-6561 convert back to the\n"
    "other sequence only.\n"
    "\n"
    "values: a whole number is digits with an optional sign, blanks around it\n"
    "allowed, and zeros after a decimal point as spreadsheets write whole numbers\n"
    "(3021.0; 3021,0 in a semicolon-separated file). Thousands separators (4,282,\n"
    "4.282, 4 282) and marks of uncertainty (4282?, ~4282, ca. 4282) are not\n"
    "converted: the message says which number may be meant.\n"
    "\n"
    "spans: a value FIRST-LAST (digits, a hyphen or an en dash, digits; in a cell\n"
    "blanks may stand around the dash) is a span of varves, both ends in one NE\n"
    "sequence for ne-to-am. Its row has the relation 'span', the NE ends and the AM\n"
    "ends (am-to-ne: a row, or the lc_/uc_ cells, for each NE sequence that covers\n"
    "part of it), and false_couplets true when false couplets lie inside. A span\n"
    "whose ends lie in two sequences, in the gap between them or beyond the ranges,\n"
    "is not converted: the message says which end and why, as a token or cell that\n"
    "is not a whole number. The ends may come in either order (5700-5580 is\n"
    "5580-5700); results give the smaller first.\n"
    "\n"
    "intervals (--span-columns A,B): each row's two ends, in either order, get the\n"
    "interval's account as columns, as R's and Python's span rows have them.\n"
    "ne-to-am: sequence, ne_first, ne_last, am_first, am_last, ne_varves, am_varves\n"
    "(durations), splits, joins, false_couplets, first_cut, last_cut (the correction\n"
    "an end cuts through) and not_converted (why not). am-to-ne: lc_first, lc_last,\n"
    "lc_am_first, lc_am_last, lc_ne_varves, lc_am_varves, lc_splits, lc_joins,\n"
    "lc_first_cut, lc_last_cut, the same for uc_, false_couplets and not_converted.\n"
    "Cells holding a comma, semicolon or quote are quoted. One end empty is an\n"
    "incomplete interval: not converted, said in its row and with its line (exit\n"
    "status 1); both ends empty give empty cells.\n"
    "\n"
    "messages (standard error, with the line or argument): a token that is not a\n"
    "whole number, shown with every byte that is not printable ASCII as \\xNN, is\n"
    "skipped; so is a token of more than 100 bytes, shown by its first bytes and\n"
    "its length. A warning, which changes nothing, marks a number followed by a\n"
    "comma and three digits, such as 4,282: it is read as two numbers, 4 and 282.\n"
    "\n"
    "exit status: 0 on success (also when the reader of the output goes away); 1\n"
    "when a token was skipped (the rest still converted), or span's span was not\n"
    "converted; 2 for a wrong command line, or a --column the header does not have;\n"
    "3 when input could not be read or output not written.\n";

}  // namespace

const std::string kFullUsage =
    std::string(kAbout) + std::string(kShortUsage) + std::string(kDetails);

ParsedOptions parse_options(const std::vector<std::string_view>& arguments) {
  ParsedOptions parsed;
  Options& o = parsed.options;
  auto fail = [&parsed](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  // Options may come before or after the command; the first other word is
  // the command.
  enum class Expect { kCommand, kDirection, kNumbers } expect = Expect::kCommand;
  bool options_ended = false;
  bool chart_direction = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view word = arguments[i];
    if (!options_ended && word == "--") {
      options_ended = true;
    } else if (o.action == Options::Action::kChart && word != "--help" && word != "-h") {
      if (std::string error = read_chart_word(arguments, i, o, chart_direction); !error.empty()) {
        return fail(error);
      }
    } else if (!options_ended && looks_like_option(word)) {
      std::size_t equals = word.find('=');
      const OptionRule* rule = option_rule(word.substr(0, equals));
      if (!rule || (rule->missing.empty() && equals != std::string_view::npos)) {
        return fail("unknown option '" + chronology::ascii_shown(word) + "'");
      }
      std::string_view value;
      if (equals != std::string_view::npos) {
        value = word.substr(equals + 1);
      } else if (!rule->missing.empty()) {
        if (i + 1 == arguments.size()) {
          return fail(std::string(rule->missing));
        }
        value = arguments[++i];
      }
      if (std::string error = rule->apply(value, o); !error.empty()) {
        return fail(error);
      }
      if (o.action == Options::Action::kHelp || o.action == Options::Action::kVersion) {
        return parsed;
      }
    } else if (expect == Expect::kCommand) {
      if (word == "help" && !options_ended) {
        o.action = Options::Action::kHelp;
        return parsed;
      }
      if (word == "table") {
        o.action = Options::Action::kTable;
        expect = Expect::kDirection;
      } else if (word == "span") {
        o.action = Options::Action::kSpan;
        expect = Expect::kDirection;
      } else if (word == "chart") {
        o.action = Options::Action::kChart;
        expect = Expect::kNumbers;
      } else if (parse_direction(word, o.direction)) {
        expect = Expect::kNumbers;
      } else {
        return fail("unknown command '" + chronology::ascii_shown(word) + "'");
      }
    } else if (expect == Expect::kDirection) {
      if (!parse_direction(word, o.direction)) {
        return fail(command_name(o) + " needs " + both_directions() + ", not '" +
                    chronology::ascii_shown(word) + "'");
      }
      expect = Expect::kNumbers;
    } else if (o.action == Options::Action::kTable) {
      return fail("table takes no numbers");
    } else {
      o.numbers.emplace_back(word, static_cast<int>(i) + 1);
    }
  }
  if (expect == Expect::kCommand) {
    return fail("missing command");
  }
  if (expect == Expect::kDirection) {
    return fail(command_name(o) + " needs " + both_directions());
  }
  if (o.action == Options::Action::kSpan) {
    if (o.column_mode_asked() || o.lines) {
      return fail("span takes neither --column nor --lines: it converts one span");
    }
    if (o.format != Format::kTsv) {
      return fail("--format does not go with span: its account is plain text");
    }
    if (std::string error = read_span_numbers(o); !error.empty()) {
      return fail(error);
    }
  }
  ColumnSettings& column = o.column_mode;
  column.direction = o.direction;
  column.header = o.header;
  if (!o.column_mode_asked() &&
      (!column.prefix.empty() || column.separator != 0 || o.header_row_given)) {
    return fail("--separator, --prefix and --header-row go with --column");
  }
  if (o.column_mode_asked()) {
    if (o.action == Options::Action::kTable || o.numbers.size() > 1) {
      return fail("--column converts one FILE (or standard input)");
    }
    if (o.format != Format::kTsv) {
      return fail("--format does not go with --column: the file keeps its own format");
    }
    auto counted = [](std::string_view wanted) {
      std::string_view number = wanted.starts_with('#') ? wanted.substr(1) : wanted;
      return number.find_first_not_of("0123456789") == std::string::npos;
    };
    for (const std::string& wanted : column.columns) {
      if (!o.header && !counted(wanted)) {
        return fail("with --no-header, --column takes the column's number");
      }
    }
    for (const std::array<std::string, 2>& ends : column.intervals) {
      if (!o.header && (!counted(ends[0]) || !counted(ends[1]))) {
        return fail("with --no-header, --span-columns takes the columns' numbers");
      }
    }
    if (!o.header && o.header_row_given) {
      return fail("--header-row names the header row, and --no-header says there is none");
    }
    if (column.columns.size() + column.intervals.size() > 1 && !column.prefix.empty()) {
      return fail(
          "--prefix names the added columns of one --column; with several, each "
          "column's are named after it");
    }
    o.file = o.numbers.empty() ? "-" : o.numbers[0].first;
    o.numbers.clear();
  }
  if (o.lines) {
    if (o.column_mode_asked()) {
      return fail("--lines and --column do not go together: --lines reads one value per line");
    }
    if (o.action == Options::Action::kTable || o.numbers.size() > 1) {
      return fail("--lines converts one FILE (or standard input)");
    }
    o.file = o.numbers.empty() ? "-" : o.numbers[0].first;
    o.numbers.clear();
  }
  if (o.mark && chronology::links_of(o.direction, *o.mark).empty()) {
    return fail("--mark " + std::to_string(*o.mark) + " is outside the accepted ranges of " +
                std::string(chronology::direction_name(o.direction)));
  }
  return parsed;
}

}  // namespace batch
