#include "batch/column.h"

#include "batch/column_header.h"
#include "chronology/cell.h"
#include "chronology/shown_text.h"
#include "chronology/span.h"
#include "sentences/span_account.h"

namespace batch {
namespace {

/// Cells reported one by one; beyond them only the count is given.
constexpr std::size_t kReportedCells = 100;

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

ColumnConverter::ColumnConverter(ColumnSettings settings, MessageSink sink)
    : settings_(std::move(settings)), sink_(std::move(sink)), first_line_(settings_.max_record) {}

void ColumnConverter::start_reader(char separator, std::string& out) {
  separator_ = separator;
  reader_.emplace(separator, settings_.max_record);
  cells_.emplace(settings_.direction, separator);
  feed(first_line_.release(), out);
}

bool ColumnConverter::reader_stopped() {
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
    stop("without a header row the column is given by its number, not '" +
         chronology::field_shown(settings_.column) + "'");
    return false;
  }
  if (!reader_) {
    if (settings_.separator != 0) {
      start_reader(settings_.separator, out);
    } else {
      // Hold the input until its first line (outside quotes) is whole.
      char separator = first_line_.hold(bytes);
      if (separator != 0) {
        start_reader(separator, out);
        return !stopped_;
      }
      return true;
    }
  }
  auto on_record = [this, &out](const CsvRecord& record) { convert_record(record, out); };
  if (!reader_->feed(bytes, on_record)) {
    return reader_stopped();
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
    start_reader(settings_.separator != 0 ? settings_.separator : first_line_.at_end(), out);
  }
  auto on_record = [this, &out](const CsvRecord& record) { convert_record(record, out); };
  if (!stopped_ && !reader_->finish(on_record)) {
    return reader_stopped();
  }
  if (invalid_cells_ > kReportedCells) {
    sink_(std::to_string(invalid_cells_) + " cells in all were not whole numbers or missing");
  }
  return !stopped_;
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
    HeaderReading header = read_header(record, settings_, separator_);
    if (!header.error.empty()) {
      stop(header.error);
      return;
    }
    column_ = header.column;
    out.append(record.body).append(header.added).append(record.line_end);
    return;
  }
  chronology::Cell cell{chronology::CellKind::kEmpty};
  if (column_ >= record.fields.size()) {
    // A blank line is a row with nothing in it; a short row lacks the cell.
    if (!record.body.empty()) {
      report_invalid(record, ": the row has no column " + std::to_string(column_ + 1) +
                                 " (it has " + std::to_string(record.fields.size()) + ")");
      cell.kind = chronology::CellKind::kInvalid;
    }
  } else {
    std::string_view text = cell_text(record.field(column_));
    if (record.line == 1 && column_ == 0 && text.starts_with(kByteOrderMark)) {
      text = cell_text(text.substr(kByteOrderMark.size()));
    }
    cell = chronology::read_cell(text, separator_);
    if (cell.kind == chronology::CellKind::kInvalid) {
      report_invalid(record,
                     ", column " + std::to_string(column_ + 1) + ": " +
                         chronology::invalid_cell_message(chronology::field_shown(text), cell));
    } else if (cell.kind == chronology::CellKind::kSpan) {
      chronology::SpanResult span =
          chronology::span_of(settings_.direction, cell.number, cell.last);
      std::string where = ", column " + std::to_string(column_ + 1) + ": ";
      if (!span.converted()) {
        report_invalid(record, where + sentences::span_fault_message(span));
      } else if (std::string caveat = sentences::span_caveat(span); !caveat.empty()) {
        // What the added cells cannot show: a partial cover, an end not exact.
        sink_(line_text(record.line) + where + "note: " + caveat);
      }
    }
  }
  out.append(record.body).append(cells_->cells(cell)).append(record.line_end);
}

}  // namespace batch
