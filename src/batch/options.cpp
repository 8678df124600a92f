#include "batch/options.h"

namespace batch {
namespace {

bool parse_direction(std::string_view word, Direction& direction) {
  if (word == "ne-to-am") {
    direction = Direction::kNeToAm;
  } else if (word == "am-to-ne") {
    direction = Direction::kAmToNe;
  } else {
    return false;
  }
  return true;
}

bool parse_format(std::string_view word, Format& format) {
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

}  // namespace

const std::string_view kShortUsage =
    "usage: varve-batch ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header] [NUMBER...]\n"
    "       varve-batch table ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header]\n"
    "       varve-batch --help | --version\n";

const std::string_view kFullUsage =
    "varve-batch: converts lists of varve numbers between the Brasko New England (NE)\n"
    "and the North American (AM) varve chronologies, for spreadsheets and scripts.\n"
    "\n"
    "usage: varve-batch ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header] [NUMBER...]\n"
    "       varve-batch table ne-to-am|am-to-ne [--format tsv|csv|jsonl] [--no-header]\n"
    "       varve-batch --help | --version\n"
    "\n"
    "commands:\n"
    "  ne-to-am         convert NE numbers (LC 2500-6460, UC 6560-9000) to AM\n"
    "  am-to-ne         convert AM numbers (2500-8700) to NE, one row per NE sequence\n"
    "  table DIRECTION  list every accepted number of DIRECTION in ascending order\n"
    "\n"
    "With no NUMBER arguments the numbers are read from standard input, separated by\n"
    "blanks, tabs, commas, semicolons or line ends; '#' starts a comment that runs to\n"
    "the end of its line. Use -- before NUMBERs that might look like options.\n"
    "\n"
    "options:\n"
    "  --format FORMAT  tsv (the default), csv, or jsonl (one JSON object per row)\n"
    "  --no-header      leave out the line of column names (tsv and csv)\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "columns: input, sequence (LC or UC), relation (corresponds, split, joined or\n"
    "outside), ne_first, ne_last, am_first, am_last, false_couplets (true or false).\n"
    "A number outside the accepted ranges gives an 'outside' row with the other\n"
    "columns empty.\n"
    "\n"
    "exit status: 0 on success; 1 when a token was not a whole number (it is\n"
    "reported on standard error and skipped, the rest still converted); 2 for a\n"
    "wrong command line; 3 when input could not be read or output not written.\n";

ParsedOptions parse_options(const std::vector<std::string_view>& arguments) {
  ParsedOptions parsed;
  Options& o = parsed.options;
  auto fail = [&parsed](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  if (arguments.empty()) {
    return fail("missing command");
  }
  std::string_view command = arguments[0];
  if (command == "--help" || command == "-h") {
    o.action = Options::Action::kHelp;
    return parsed;
  }
  if (command == "--version") {
    o.action = Options::Action::kVersion;
    return parsed;
  }
  bool need_direction = false;
  if (command == "table") {
    o.action = Options::Action::kTable;
    need_direction = true;
  } else if (!parse_direction(command, o.direction)) {
    return fail("unknown command '" + std::string(command) + "'");
  }
  bool options_ended = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    std::string_view word = arguments[i];
    if (!options_ended && word == "--") {
      options_ended = true;
    } else if (!options_ended && word == "--no-header") {
      o.header = false;
    } else if (!options_ended && (word == "--format" || word.starts_with("--format="))) {
      std::string_view value;
      if (word == "--format") {
        if (i + 1 == arguments.size()) {
          return fail("--format needs a value: tsv, csv or jsonl");
        }
        value = arguments[++i];
      } else {
        value = word.substr(9);
      }
      if (!parse_format(value, o.format)) {
        return fail("unknown format '" + std::string(value) + "': use tsv, csv or jsonl");
      }
    } else if (!options_ended && (word == "--help" || word == "-h")) {
      o.action = Options::Action::kHelp;
      return parsed;
    } else if (!options_ended && looks_like_option(word)) {
      return fail("unknown option '" + std::string(word) + "'");
    } else if (need_direction) {
      if (!parse_direction(word, o.direction)) {
        return fail("table needs ne-to-am or am-to-ne, not '" + std::string(word) + "'");
      }
      need_direction = false;
    } else if (o.action == Options::Action::kTable) {
      return fail("table takes no numbers");
    } else {
      o.numbers.emplace_back(word, static_cast<int>(i) + 1);
    }
  }
  if (need_direction) {
    return fail("table needs ne-to-am or am-to-ne");
  }
  return parsed;
}

}  // namespace batch
