#include "batch/column.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "batch/tokens.h"
#include "chronology/cell.h"

namespace batch {
namespace {

using chronology::Direction;
using chronology::Link;
using chronology::relation_name;
using chronology::sequence_name;
using chronology::VarveNumber;

constexpr std::string_view kNeToAmColumns[] = {"sequence", "relation", "ne_first",      "ne_last",
                                               "am_first", "am_last",  "false_couplets"};
constexpr std::string_view kAmToNeColumns[] = {
    "lc_relation", "lc_first", "lc_last", "uc_relation", "uc_first", "uc_last", "false_couplets"};
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
/// Cells reported one by one; beyond them only the count is given.
constexpr std::size_t kReportedCells = 100;

void append_number(std::string& out, VarveNumber n) {
  char digits[12];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  out.append(digits, end);
}

}  // namespace

void append_added_cells(std::string& out, Direction direction, const chronology::Links& links,
                        char sep) {
  auto cell = [&](std::string_view text) { out.append(1, sep).append(text); };
  auto number = [&](VarveNumber n) {
    out.push_back(sep);
    append_number(out, n);
  };
  bool false_couplets = chronology::by_sequence(links).false_couplets;
  std::string_view flag = links.count == 0 ? "" : false_couplets ? "true" : "false";
  if (direction == Direction::kNeToAm) {
    if (links.count == 0) {
      cell("");
      cell("outside");
      out.append(4, sep);
    } else {
      const Link& l = links.items[0];
      cell(sequence_name(l.sequence));
      cell(relation_name(l.relation));
      number(l.ne_first);
      number(l.ne_last);
      number(l.am_first);
      number(l.am_last);
    }
  } else {
    chronology::BySequence by = chronology::by_sequence(links);
    for (const Link* found : {by.lc, by.uc}) {
      if (found) {
        cell(relation_name(found->relation));
        number(found->ne_first);
        number(found->ne_last);
      } else {
        cell(links.count == 0 ? "outside" : "");
        out.append(2, sep);
      }
    }
  }
  cell(flag);
}

namespace {

/// `text` as it may be shown in a message: control bytes as \xNN, and cut
/// short (at a character boundary) when long.
std::string shown(std::string_view text) {
  constexpr std::size_t kLongest = 60;
  bool cut = text.size() > kLongest;
  if (cut) {
    std::size_t n = kLongest;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
      --n;
    }
    text = text.substr(0, n);
  }
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      constexpr char kHex[] = "0123456789ABCDEF";
      out.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return cut ? out + "..." : out;
}

/// The column `text` gives by number, from 0; false when it is no number from 1 on.
bool column_number(std::string_view text, std::size_t& column) {
  std::int32_t number = 0;
  bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  if (!digits || parse_number(text, number) != TokenKind::kNumber || number < 1) {
    return false;
  }
  column = static_cast<std::size_t>(number) - 1;
  return true;
}

std::string line_text(std::size_t line) {
  return "line " + std::to_string(line);
}

}  // namespace

std::span<const std::string_view> added_columns(Direction direction) {
  return direction == Direction::kNeToAm ? std::span<const std::string_view>(kNeToAmColumns)
                                         : std::span<const std::string_view>(kAmToNeColumns);
}

char recognise_separator(std::string_view first_line) {
  std::size_t counts[3] = {};
  constexpr char kSeparators[3] = {',', ';', '\t'};
  bool quoted = false;
  for (char c : first_line) {
    quoted ^= c == '"';
    for (int i = 0; i < 3; ++i) {
      counts[i] += !quoted && c == kSeparators[i];
    }
  }
  return kSeparators[std::max_element(counts, counts + 3) - counts];
}

std::string_view cell_text(std::string_view raw) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
      s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
      s.remove_suffix(1);
    }
    return s;
  };
  raw = trim(raw);
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
    raw = trim(raw.substr(1, raw.size() - 2));
  }
  return raw;
}

ColumnConverter::ColumnConverter(ColumnSettings settings, MessageSink sink)
    : settings_(std::move(settings)), sink_(std::move(sink)) {}

ColumnConverter::~ColumnConverter() = default;

void ColumnConverter::start_reader(char separator, std::string& out) {
  separator_ = separator;
  reader_ = std::make_unique<CsvReader>(separator, settings_.max_record);
  Direction direction = settings_.direction;
  std::span<const chronology::Range> ranges = chronology::accepted_ranges(direction);
  first_ = ranges.front().first;
  known_.assign(static_cast<std::size_t>(ranges.back().last - first_) + 1, Span{});
  append_added_cells(outside_, direction, chronology::Links{}, separator);
  empty_.assign(added_columns(direction).size(), separator);
  invalid_ = outside_;
  for (std::size_t at; (at = invalid_.find("outside")) != std::string::npos;) {
    invalid_.replace(at, 7, "invalid");
  }
  std::string held = std::move(first_line_);
  first_line_.clear();
  feed(held, out);
}

bool ColumnConverter::reader_failed() {
  if (reader_->error() == CsvError::kUnclosedQuote) {
    stop(line_text(reader_->error_line()) +
         ": a quote opens a cell that never closes; the rows before it were written");
  } else if (reader_->error() == CsvError::kRecordTooLong) {
    stop(line_text(reader_->error_line()) + ": a row longer than " +
         std::to_string(settings_.max_record >> 20) +
         " MiB (a quote that never closes?); the rows before it were written");
  }
  return false;
}

void ColumnConverter::stop(const std::string& message) {
  if (!stopped_) {
    stopped_ = true;
    sink_(message);
  }
}

bool ColumnConverter::feed(std::string_view bytes, std::string& out) {
  if (stopped_) {
    return false;
  }
  if (!reader_ && !settings_.header && !column_number(settings_.column, column_)) {
    stop("without a header row the column is given by its number, not '" + shown(settings_.column) +
         "'");
    return false;
  }
  if (!reader_) {
    if (settings_.separator != 0) {
      start_reader(settings_.separator, out);
    } else {
      // Hold the input until its first line (outside quotes) is whole.
      std::size_t from = first_line_.size();
      first_line_.append(bytes);
      bool quoted = std::count(first_line_.begin(), first_line_.begin() + from, '"') % 2 != 0;
      for (std::size_t i = from; i < first_line_.size(); ++i) {
        char c = first_line_[i];
        quoted ^= c == '"';
        if ((!quoted && (c == '\n' || c == '\r')) || i >= settings_.max_record) {
          start_reader(recognise_separator(std::string_view(first_line_).substr(0, i)), out);
          return !stopped_;
        }
      }
      return true;
    }
  }
  auto on_record = [this, &out](const CsvRecord& record) { convert_record(record, out); };
  if (!reader_->feed(bytes, on_record)) {
    return reader_failed();
  }
  return !stopped_;
}

bool ColumnConverter::finish(std::string& out) {
  if (stopped_) {
    return false;
  }
  if (!reader_ && !feed("", out)) {
    return false;
  }
  if (!reader_) {
    start_reader(settings_.separator != 0 ? settings_.separator : recognise_separator(first_line_),
                 out);
  }
  auto on_record = [this, &out](const CsvRecord& record) { convert_record(record, out); };
  if (!stopped_ && !reader_->finish(on_record)) {
    return reader_failed();
  }
  if (invalid_cells_ > kReportedCells) {
    sink_(std::to_string(invalid_cells_) + " cells in all were not whole numbers or missing");
  }
  return !stopped_;
}

bool ColumnConverter::read_header(const CsvRecord& record, std::string& out) {
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    std::string_view name = cell_text(record.field(i));
    if (i == 0 && name.starts_with(kByteOrderMark)) {
      name = cell_text(name.substr(kByteOrderMark.size()));
    }
    names.push_back(name);
  }
  std::string added;
  for (std::string_view column : added_columns(settings_.direction)) {
    std::string name = settings_.prefix + std::string(column);
    if (std::find(names.begin(), names.end(), name) != names.end()) {
      stop(line_text(record.line) + ": the header already has a column named '" + shown(name) +
           "': rename it, or name the added columns with --prefix");
      return false;
    }
    bool needs_quotes = name.find_first_of(std::string("\"\r\n") + separator_) != std::string::npos;
    if (needs_quotes) {
      for (std::size_t at = 0; (at = name.find('"', at)) != std::string::npos; at += 2) {
        name.insert(at, 1, '"');
      }
      name = '"' + name + '"';
    }
    added.append(1, separator_).append(name);
  }
  const std::string& wanted = settings_.column;
  std::size_t matches = static_cast<std::size_t>(std::count(names.begin(), names.end(), wanted));
  if (matches == 1) {
    column_ =
        static_cast<std::size_t>(std::find(names.begin(), names.end(), wanted) - names.begin());
  } else if (matches > 1) {
    stop(line_text(record.line) + ": " + std::to_string(matches) + " columns are named '" +
         shown(wanted) + "': give the column's number instead");
    return false;
  } else if (!column_number(wanted, column_)) {
    stop(line_text(record.line) + ": the header has no column named '" + shown(wanted) + "'");
    return false;
  }
  out.append(record.body).append(added).append(record.line_end);
  return true;
}

std::string_view ColumnConverter::cells_of(std::string_view text, const CsvRecord& record) {
  chronology::Cell cell = chronology::read_cell(text, separator_);
  if (cell.kind == chronology::CellKind::kEmpty) {
    return empty_;
  }
  if (cell.kind == chronology::CellKind::kInvalid) {
    report_invalid(record, ", column " + std::to_string(column_ + 1) + ": " +
                               chronology::invalid_cell_message(shown(text), cell));
    return invalid_;
  }
  std::int32_t number = cell.number;
  // Below the first number the difference wraps round to a large index.
  auto index = static_cast<std::uint32_t>(number) - static_cast<std::uint32_t>(first_);
  if (index >= known_.size()) {
    return outside_;
  }
  Span& span = known_[index];
  if (span.length == 0) {
    // Each number's cells are made once, when it is first met.
    span.begin = static_cast<std::uint32_t>(cells_.size());
    append_added_cells(cells_, settings_.direction,
                       chronology::links_of(settings_.direction, number), separator_);
    span.length = static_cast<std::uint32_t>(cells_.size()) - span.begin;
  }
  return std::string_view(cells_).substr(span.begin, span.length);
}

void ColumnConverter::report_invalid(const CsvRecord& record, const std::string& what) {
  ++invalid_cells_;
  if (invalid_cells_ <= kReportedCells) {
    sink_(line_text(record.line) + what);
  }
  if (invalid_cells_ == kReportedCells) {
    sink_("(further cells that are not whole numbers are counted, not listed)");
  }
}

void ColumnConverter::convert_record(const CsvRecord& record, std::string& out) {
  if (stopped_) {
    return;
  }
  if (settings_.header && !header_done_) {
    header_done_ = true;
    read_header(record, out);
    return;
  }
  std::string_view cells;
  if (column_ >= record.fields.size()) {
    // A blank line is a row with nothing in it; a short row lacks the cell.
    if (record.body.empty()) {
      cells = empty_;
    } else {
      report_invalid(record, ": the row has no column " + std::to_string(column_ + 1) +
                                 " (it has " + std::to_string(record.fields.size()) + ")");
      cells = invalid_;
    }
  } else {
    std::string_view text = cell_text(record.field(column_));
    if (record.line == 1 && column_ == 0 && text.starts_with(kByteOrderMark)) {
      text = cell_text(text.substr(kByteOrderMark.size()));
    }
    cells = cells_of(text, record);
  }
  out.append(record.body).append(cells).append(record.line_end);
}

}  // namespace batch
