#include "batch/line_mode.h"

#include <utility>

#include "batch/added_text.h"
#include "chronology/shown_text.h"

namespace batch {
namespace {

using chronology::Cell;
using chronology::CellKind;

/// Messages listed one by one; beyond them only the count is given.
constexpr std::size_t kReportedLines = 100;

/// Appends the added fields of a JSON Lines row, after the input's.
void append_json_fields(std::string& out, const table::NumberCells& cells) {
  visit_added_text(cells, [&](std::string_view name, AddedKind kind, std::string_view text) {
    out.push_back(',');
    append_json_member(out, name, kind, text);
  });
  out.append("}\n");
}

}  // namespace

void append_line_header(std::string& out, Format format, Direction direction) {
  if (format == Format::kJsonl) {
    return;
  }
  char sep = format == Format::kCsv ? ',' : '\t';
  out.append("input");
  for (std::string_view name : table::number_cell_names(direction)) {
    out.append(1, sep).append(name);
  }
  out.push_back('\n');
}

void append_line_row(std::string& out, Format format, Direction direction, std::string_view shown,
                     const Cell& read) {
  table::NumberCells cells = table::number_cells(direction, read);
  if (format == Format::kJsonl) {
    out.append("{\"input\":\"");
    append_json_text(out, shown);
    out.append("\"");
    append_json_fields(out, cells);
    return;
  }
  if (format == Format::kCsv && shown.find_first_of(",\"") != std::string::npos) {
    append_quoted(out, shown);
  } else {
    out.append(shown);
  }
  append_added_cells(out, cells, format == Format::kCsv ? ',' : '\t');
  out.push_back('\n');
}

LineMode::LineMode(Format format, Direction direction, MessageSink report)
    : format_(format),
      direction_(direction),
      reporter_({kReportedLines, "lines"}, [report = std::move(report)](const table::Message& m) {
        report(!table::has_place(m.kind) ? m.text : line_text(m.place.line) + ": " + m.text);
      }) {}
void LineMode::feed(std::string_view bytes, std::string& out) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  for (std::size_t at = 0; at < bytes.size();) {
    if (starting_) {
      // A byte-order mark, even one split across pieces, is not part of the
      // first line; the bytes of one begun but not completed are.
      if (bytes[at] == kByteOrderMark[bom_seen_]) {
        ++at;
        starting_ = ++bom_seen_ != kByteOrderMark.size();
        continue;
      }
      starting_ = false;
      line_text_.assign(kByteOrderMark.substr(0, bom_seen_));
      line_length_ = bom_seen_;
      pending_ = bom_seen_ != 0;
    }
    char c = bytes[at];
    if (after_cr_) {
      after_cr_ = false;
      if (c == '\n') {
        ++at;
        continue;
      }
    }
    if (c == '\n' || c == '\r') {
      after_cr_ = c == '\r';
      end_line(out);
      ++at;
      continue;
    }
    std::size_t end = bytes.find_first_of("\r\n", at);
    end = end == std::string_view::npos ? bytes.size() : end;
    std::size_t room = kLongestLine + 1 - std::min(line_text_.size(), kLongestLine + 1);
    line_text_.append(bytes.substr(at, std::min(room, end - at)));
    line_length_ += end - at;
    pending_ = true;
    at = end;
  }
}

void LineMode::finish(std::string& out) {
  if (starting_ && bom_seen_ != 0) {
    line_text_.assign("\xEF\xBB\xBF", bom_seen_);
    line_length_ = bom_seen_;
    pending_ = true;
  }
  starting_ = false;
  if (pending_) {
    end_line(out);
  }
  reporter_.finish();
}

void LineMode::end_line(std::string& out) {
  std::string_view cell = line_text_;
  bool too_long = line_length_ > kLongestLine;
  // A line too long to hold is never taken for a number, whatever its digits.
  Cell read = too_long ? Cell{CellKind::kInvalid} : chronology::read_cell(cell);
  std::string shown = chronology::cell_shown(too_long ? cell.substr(0, 61) : cell);
  append_line_row(out, format_, direction_, shown, read);
  table::Place place{line_ - 1, line_, 0};
  if (too_long) {
    reporter_.fault(table::MessageKind::kNotANumber, place,
                    "a line of " + std::to_string(line_length_) +
                        " bytes, too long for a number: '" + shown + "'");
  } else {
    reporter_.cell(direction_, place, read, [&shown] { return shown; });
  }
  line_text_.clear();
  line_length_ = 0;
  pending_ = false;
  ++line_;
}

}  // namespace batch
