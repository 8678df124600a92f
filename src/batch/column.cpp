#include "batch/column.h"

#include <utility>

#include "chronology/cell.h"
#include "chronology/shown_text.h"
#include "table/header.h"
#include "table/plan.h"

namespace batch {
namespace {

/// Faults reported one by one; beyond them only the count is given.
constexpr std::size_t kReportedCells = 100;

/// The byte-order mark that may start a file's first field.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// The text of field `i` of `record` as a cell: cell_text, and without a
/// byte-order mark at the very start of the file.
std::string_view field_text(const CsvRecord& record, std::size_t i) {
  std::string_view text = cell_text(record.field(i));
  if (record.line == 1 && i == 0 && text.starts_with(kByteOrderMark)) {
    text = cell_text(text.substr(kByteOrderMark.size()));
  }
  return text;
}

/// The names of the columns of a header row.
std::vector<std::string> names_of(const CsvRecord& record) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    names.emplace_back(field_text(record, i));
  }
  return names;
}

/// Appends `name` as a field after `separator`, quoted where it must be.
void append_name(std::string& out, std::string name, char separator) {
  out.push_back(separator);
  if (name.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) {
    out.append(name);
    return;
  }
  append_quoted(out, name);
}

}  // namespace

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

std::vector<std::string> header_cells(std::string_view text, std::size_t header_row) {
  SeparatorHold hold(text.size() + 1, header_row);
  char separator = hold.hold(text);
  CsvReader reader(separator != 0 ? separator : hold.at_end(), text.size() + 1);
  std::vector<std::string> cells;
  std::size_t records = 0;
  auto take = [&](const CsvRecord& record) {
    if (records == 0 && record.line == 1 && separator_line(record.body) != 0) {
      return;
    }
    if (++records == header_row) {
      cells = names_of(record);
    }
  };
  if (reader.feed(text, take)) {
    reader.finish(take);
  }
  return cells;
}

ColumnConverter::ColumnConverter(ColumnSettings settings, MessageSink sink)
    : settings_(std::move(settings)),
      sink_(std::move(sink)),
      reporter_({kReportedCells, "cells"},
                [this](const table::Message& m) {
                  if (!table::has_place(m.kind)) {
                    sink_(m.text);
                  } else {
                    sink_(line_text(m.place.line) + ", column " + std::to_string(m.place.column) +
                          ": " + m.text);
                  }
                }),
      hold_(settings_.max_record, settings_.header ? settings_.header_row : 1) {}

int ColumnConverter::exit_status() const {
  if (fault_ == ColumnFault::kRequest) {
    return 2;
  }
  return fault_ != ColumnFault::kNone || reporter_.faults() > 0 ? 1 : 0;
}

TextSteps ColumnConverter::steps() {
  return {[](TextEncoding, std::string&) {},
          [this](std::string_view text, std::string& out) { return feed(text, out); },
          [this](std::string& out) { return finish(out); }};
}

void ColumnConverter::start_reader(char separator, std::string& out) {
  separator_ = separator;
  reader_.emplace(separator, settings_.max_record);
  feed(hold_.release(), out);
}

bool ColumnConverter::reader_stopped() {
  if (reader_->error() == CsvError::kUnclosedQuote) {
    stop(ColumnFault::kInput,
         line_text(reader_->error_line()) +
             ": a quote opens a cell that never closes; the rows before it were written");
  } else if (reader_->error() == CsvError::kRecordTooLong) {
    stop(ColumnFault::kInput, line_text(reader_->error_line()) + ": a row longer than " +
                                  std::to_string(settings_.max_record >> 20) +
                                  " MiB (a quote that never closes?); the rows before it were "
                                  "written");
  }
  return false;
}

void ColumnConverter::stop(ColumnFault fault, const std::string& message) {
  if (fault_ == ColumnFault::kNone) {
    fault_ = fault;
    sink_(message);
  }
}

bool ColumnConverter::feed(std::string_view bytes, std::string& out) {
  if (fault_ != ColumnFault::kNone) {
    return false;
  }
  if (!reader_) {
    if (settings_.separator != 0) {
      start_reader(settings_.separator, out);
    } else {
      // Hold the input until its separator line or header row is whole.
      if (char separator = hold_.hold(bytes); separator != 0) {
        start_reader(separator, out);
        return fault_ == ColumnFault::kNone;
      }
      return true;
    }
  }
  auto on_record = [this, &out](const CsvRecord& record) { take_record(record, out); };
  if (!reader_->feed(bytes, on_record)) {
    return reader_stopped();
  }
  return fault_ == ColumnFault::kNone;
}

bool ColumnConverter::finish(std::string& out) {
  if (fault_ != ColumnFault::kNone) {
    return false;
  }
  if (!reader_) {
    start_reader(settings_.separator != 0 ? settings_.separator : hold_.at_end(), out);
  }
  auto on_record = [this, &out](const CsvRecord& record) { take_record(record, out); };
  if (fault_ == ColumnFault::kNone && !reader_->finish(on_record)) {
    return reader_stopped();
  }
  if (fault_ == ColumnFault::kNone && !rows_) {
    // No row to convert: nothing at all, or no header row.
    stop(ColumnFault::kInput,
         records_ == 0 ? settings_.input_name + " is empty: there is no column to convert"
                       : settings_.input_name + " ends after " + std::to_string(records_) +
                             (records_ == 1 ? " row" : " rows") + ", before its header row " +
                             std::to_string(settings_.header_row));
  }
  reporter_.finish();
  return fault_ == ColumnFault::kNone;
}

void ColumnConverter::take_record(const CsvRecord& record, std::string& out) {
  if (fault_ != ColumnFault::kNone) {
    return;
  }
  if (std::exchange(first_record_, false)) {
    if (separator_line(record.body) != 0) {
      // Excel's first line "sep=;" names the separator; it is no row of the table.
      before_header_.append(record.body).append(record.line_end);
      return;
    }
    if (record.body == kByteOrderMark && record.line_end.empty()) {
      return;  // A byte-order mark alone: an empty file.
    }
  }
  ++records_;
  if (rows_) {
    convert_row(record, out);
  } else if (!settings_.header) {
    // Without a header row, the first row's width counts.
    if (plan(table::Header::unnamed(record.fields.size()), record.line)) {
      out.append(std::exchange(before_header_, {}));
      convert_row(record, out);
    }
  } else if (records_ < settings_.header_row) {
    before_header_.append(record.body).append(record.line_end);
    if (before_header_.size() > settings_.max_record) {
      // Held until the header is read, so bounded as one row is.
      stop(ColumnFault::kInput, line_text(record.line) + ": the rows above header row " +
                                    std::to_string(settings_.header_row) + " are longer than " +
                                    std::to_string(settings_.max_record >> 20) +
                                    " MiB: is --header-row right?");
    }
  } else {
    take_header(record, out);
  }
}

bool ColumnConverter::plan(const table::Header& header, std::size_t line) {
  table::PlanResult planned =
      table::make_plan(header, {settings_.direction, settings_.columns, settings_.prefix,
                                settings_.named_after_source_on_clash, settings_.intervals});
  if (planned.fault == table::PlanFault::kClash) {
    stop(ColumnFault::kInput, line_text(line) + ": " + planned.error +
                                  ": rename it, or name the added columns with --prefix");
    return false;
  }
  if (planned.fault == table::PlanFault::kRequest) {
    stop(ColumnFault::kRequest, line_text(line) + ": " + planned.error);
    return false;
  }
  rows_.emplace(std::move(planned.plan), header.width(), reporter_);
  cells_.emplace(settings_.direction, separator_);
  spans_.emplace(settings_.direction, separator_);
  return true;
}

void ColumnConverter::take_header(const CsvRecord& record, std::string& out) {
  if (!plan(table::Header(names_of(record)), record.line)) {
    return;
  }
  out.append(std::exchange(before_header_, {})).append(record.body);
  for (const table::Conversion& conversion : rows_->plan().conversions) {
    for (const std::string& name : conversion.names) {
      append_name(out, name, separator_);
    }
  }
  out.append(record.line_end);
}

void ColumnConverter::convert_row(const CsvRecord& record, std::string& out) {
  auto read = [&](std::size_t column) {
    std::string_view text = field_text(record, column);
    return table::ReadCell{chronology::read_cell(text, separator_), text};
  };
  auto shown = [](std::string_view text) { return chronology::field_shown(text); };
  table::Place place{data_rows_++, record.line, 0};
  if (!rows_->convert(record.fields.size(), place, read, shown)) {
    stop(ColumnFault::kInput,
         line_text(record.line) + ": " +
             table::wider_row_message(record.fields.size(), rows_->columns(), settings_.header) +
             "; the rows before it were written");
    return;
  }
  out.append(record.body).append(rows_->padding(), separator_);
  std::span<const table::ReadEnds> ends = rows_->read();
  for (std::size_t k = 0; k < ends.size(); ++k) {
    out.append(rows_->plan().conversions[k].kind == table::ConversionKind::kInterval
                   ? spans_->cells(ends[k])
                   : cells_->cells(ends[k].ends[0]));
  }
  out.append(record.line_end);
}

}  // namespace batch
