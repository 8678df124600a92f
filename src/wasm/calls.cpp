#include "wasm/calls.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "batch/added_text.h"
#include "batch/column.h"
#include "batch/csv_reader.h"
#include "batch/line_mode.h"
#include "batch/list_mode.h"
#include "batch/paste_shape.h"
#include "batch/rows.h"
#include "batch/text_encoding.h"
#include "batch/text_pipeline.h"
#include "chart/chart.h"
#include "chronology/cell.h"
#include "chronology/shown_text.h"
#include "sentences/am_to_ne.h"
#include "sentences/ne_to_am.h"
#include "sentences/result_records.h"
#include "sentences/span_account.h"
#include "table/added_cells.h"
#include "table/header.h"
#include "table/plan.h"
#include "table/reporter.h"
#include "table/row_converter.h"
#include "table/span_cells.h"

namespace wasm {
namespace {

using chronology::Cell;
using chronology::CellHint;
using chronology::CellKind;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

batch::Format row_format(ListFormat format) {
  return format == ListFormat::kCsv ? batch::Format::kCsv : batch::Format::kTsv;
}

/// The number box's message on text that is not a number: the engine's
/// sentence on the cell, with what to type instead when it names no number.
std::string not_a_number_message(std::string_view typed, const Cell& cell) {
  std::string shown = chronology::cell_shown(chronology::cell_detail::trimmed(typed));
  std::string message = chronology::invalid_cell_message(shown, cell);
  message.front() = 'N';  // The sentence starts "not a whole number".
  message += cell.hint == CellHint::kNone ? ". Type digits, with a sign if needed." : ".";
  return message;
}

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The first lines of `text` (up to kPreviewLines, and at most about 16 KiB)
/// without a byte-order mark, each ending in LF whatever its line end was,
/// and a line "…" when more follow.
std::string preview_of(std::string_view text) {
  constexpr std::size_t kMostBytes = 16 << 10;
  std::string preview;
  std::size_t at = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  for (std::size_t line = 0; line < kPreviewLines && at < text.size(); ++line) {
    std::size_t end = text.find_first_of("\r\n", at);
    std::string_view body = text.substr(at, end == std::string_view::npos ? end : end - at);
    if (preview.size() + body.size() > kMostBytes) {
      std::size_t keep = kMostBytes - std::min(kMostBytes, preview.size());
      // Not inside a UTF-8 character.
      while (keep > 0 && (static_cast<unsigned char>(body[keep]) & 0xC0) == 0x80) {
        --keep;
      }
      preview.append(body.substr(0, keep)).append("\xE2\x80\xA6\n");
      return preview;
    }
    preview.append(body).push_back('\n');
    if (end == std::string_view::npos) {
      return preview;
    }
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  if (at < text.size()) {
    preview.append("\xE2\x80\xA6\n");
  }
  return preview;
}

/// The number box's result for the span from `first` to `last`.
LookupResult span_lookup(chronology::Direction direction, chronology::GivenNumber first,
                         chronology::GivenNumber last) {
  LookupResult result;
  chronology::SpanResult span = chronology::span_of(direction, first, last);
  result.span = span.given;
  std::string account;
  for (const std::string& line : sentences::span_account(span)) {
    account.append(line).push_back('\n');
  }
  if (!span.converted()) {
    result.status = LookupStatus::kSpanNotConverted;
    account.pop_back();
    result.message = std::move(account);
    return result;
  }
  result.status = LookupStatus::kSpan;
  result.records = std::move(account);
  std::string input = std::to_string(span.given.first) + "-" + std::to_string(span.given.last);
  batch::append_span_rows(result.rows, batch::Format::kJsonl, input, span);
  return result;
}

/// A message on what was typed in the number boxes, read as no number.
LookupResult box_message(std::string message) {
  LookupResult result;
  result.status = LookupStatus::kNotANumber;
  result.message = std::move(message);
  return result;
}

/// An added cell as a typed column holds it: a number, a code, 1 or 0, or kMissing.
template <class Tag>
std::int32_t typed_value(const table::AddedNumber<Tag>& number) {
  return number ? number->value() : kMissing;
}
std::int32_t typed_value(const table::AddedSequence& sequence) {
  return static_cast<std::int32_t>(sequence ? static_cast<std::size_t>(*sequence)
                                            : table::kSequenceNames.size() - 1);
}
std::int32_t typed_value(table::RelationCode relation) {
  return static_cast<std::int32_t>(relation);
}
std::int32_t typed_value(const table::AddedFlag& flag) {
  return flag ? (*flag ? 1 : 0) : kMissing;
}

/// Messages on cells that are not whole numbers shown at most; the rest are counted.
constexpr std::int32_t kReportedCells = 100;

/// A workbook's cell as the page gives it: its name ("C5"), what it reads as
/// by the cell rule, and its text for messages.
struct SheetCell {
  std::string_view name;
  Cell cell{CellKind::kEmpty};
  std::string_view text;
};

/// The cells of a workbook as convert_cells takes them, in order.
std::vector<SheetCell> sheet_cells(std::string_view cells) {
  std::vector<SheetCell> read;
  for (std::size_t at = 0; at < cells.size();) {
    SheetCell sheet_cell;
    std::size_t tab = std::min(cells.find('\t', at), cells.size());
    sheet_cell.name = cells.substr(at, tab - at);
    at = tab + 1;
    // An empty cell is its name, a tab and its NUL: nothing to step over.
    char kind = at < cells.size() ? cells[at] : '\0';
    at += kind != '\0';
    if (kind == 'n' && at + sizeof(double) <= cells.size()) {
      double value = 0;
      std::memcpy(&value, cells.data() + at, sizeof value);
      at += sizeof value;
      sheet_cell.cell = chronology::read_real(value);
    }
    std::size_t end = std::min(cells.find('\0', at), cells.size());
    sheet_cell.text = kind == '\0' ? std::string_view() : cells.substr(at, end - at);
    at = end + 1;
    if (kind == 't') {
      sheet_cell.cell = chronology::read_cell(sheet_cell.text);
    }
    read.push_back(sheet_cell);
  }
  return read;
}

/// The one reporter of a workbook's conversion: its messages, each after the
/// cell it is about (`name`, as the sheet names it), go into `messages`.
table::Reporter sheet_reporter(std::string& messages, const std::string_view& name) {
  return table::Reporter({kReportedCells, "cells"},
                         [&messages, &name](const table::Message& message) {
                           if (table::has_place(message.kind)) {
                             messages.append(name).append(": ");
                           }
                           messages.append(message.text).push_back('\n');
                         });
}

}  // namespace

LookupResult lookup(chronology::Direction direction, std::string_view typed) {
  LookupResult result;
  Cell cell = chronology::read_cell(typed);
  if (cell.kind == CellKind::kEmpty) {
    result.status = LookupStatus::kEmpty;
    return result;
  }
  if (cell.kind == CellKind::kSpan) {
    return span_lookup(direction, cell.first, cell.last);
  }
  if (cell.kind == CellKind::kInvalid) {
    result.status = LookupStatus::kNotANumber;
    result.message = not_a_number_message(typed, cell);
    return result;
  }
  chronology::GivenNumber number = cell.number;
  chronology::Links links = chronology::links_of(direction, number);
  if (links.empty()) {
    result.status = LookupStatus::kOutside;
    result.message = direction == chronology::Direction::kNeToAm ? sentences::kNeOutsideMessage
                                                                 : sentences::kAmOutsideMessage;
    for (chronology::GivenRange range : chronology::accepted_ranges(direction)) {
      result.ranges += std::to_string(range.first) + "-" + std::to_string(range.last) + "\n";
    }
    return result;
  }
  result.status = LookupStatus::kConverted;
  for (const std::string& record : sentences::result_records(direction, number)) {
    result.records.append(record).push_back('\n');
  }
  std::string input = std::to_string(number);
  for (const chronology::Link& link : links) {
    batch::append_row(result.rows, batch::Format::kJsonl, input, &link);
  }
  return result;
}

LookupResult lookup_boxes(chronology::Direction direction, std::string_view first,
                          std::string_view last) {
  Cell to = chronology::read_cell(last);
  if (to.kind == CellKind::kEmpty) {
    return lookup(direction, first);
  }
  std::string_view from_name =
      direction == chronology::Direction::kNeToAm ? std::string_view("NE") : std::string_view("AM");
  Cell from = chronology::read_cell(first);
  if (from.kind == CellKind::kEmpty) {
    return box_message("Type the first " + std::string(from_name) +
                       " number of the span in the first box.");
  }
  if (from.kind == CellKind::kSpan) {
    return box_message(
        "The first box holds a span already: leave the second box empty, or type the first "
        "number alone.");
  }
  if (from.kind != CellKind::kNumber) {
    return box_message(not_a_number_message(first, from));
  }
  if (to.kind != CellKind::kNumber) {
    std::string message = not_a_number_message(last, to);
    message.front() = 'n';
    return box_message("In the second box: " + message);
  }
  return span_lookup(direction, from.number, to.number);
}

ListResult convert_list(chronology::Direction direction, ListFormat format, std::string_view list) {
  ListResult result;
  batch::ListMode mode(row_format(format), direction, [&result](std::string_view message) {
    result.messages.append(message).push_back('\n');
  });
  batch::append_header(result.rows, row_format(format));
  result.rows.reserve(list.size() * 8);
  mode.feed(list, result.rows);
  mode.finish(result.rows);
  result.bad = mode.exit_status() != 0;
  return result;
}

ListResult convert_lines(chronology::Direction direction, ListFormat format,
                         std::string_view lines) {
  ListResult result;
  batch::LineMode mode(row_format(format), direction, [&result](std::string_view message) {
    result.messages.append(message).push_back('\n');
  });
  batch::append_line_header(result.rows, row_format(format), direction);
  result.rows.reserve(lines.size() * 8);
  mode.feed(lines, result.rows);
  mode.finish(result.rows);
  result.bad = mode.exit_status() != 0;
  return result;
}

PasteResult convert_paste(chronology::Direction direction, ListFormat format,
                          std::string_view paste, PasteChoice choice) {
  PasteResult result;
  batch::PasteLayout layout = batch::paste_layout(paste);
  result.first_one = layout.first_one;
  result.first_several = layout.first_several;
  result.quoted_breaks = layout.quoted_breaks;
  switch (layout.shape) {
    case batch::PasteShape::kEmpty:
      result.reading = PasteReading::kEmpty;
      return result;
    case batch::PasteShape::kTable:
      result.reading = PasteReading::kTable;
      return result;
    case batch::PasteShape::kList:
      result.reading = PasteReading::kList;
      break;
    case batch::PasteShape::kColumn:
      result.reading = PasteReading::kLines;
      break;
    case batch::PasteShape::kMixed:
      result.reading = choice == PasteChoice::kList     ? PasteReading::kList
                       : choice == PasteChoice::kColumn ? PasteReading::kLines
                                                        : PasteReading::kAsk;
      break;
  }
  if (result.reading == PasteReading::kList) {
    result.converted = convert_list(direction, format, paste);
  } else if (result.reading == PasteReading::kLines) {
    result.converted = layout.quoted_breaks
                           ? convert_lines(direction, format, batch::column_lines(paste))
                           : convert_lines(direction, format, paste);
  }
  return result;
}

bool names_varve_numbers(std::string_view header) {
  constexpr std::string_view kWords[] = {"ne", "am", "lc", "uc"};
  for (std::size_t at = 0; at < header.size();) {
    if (!is_letter(header[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < header.size() && is_letter(header[end])) {
      ++end;
    }
    std::string_view word = header.substr(at, end - at);
    for (std::size_t i = 0; i + 5 <= word.size(); ++i) {
      if (chronology::cell_detail::same_letters(word.substr(i, 5), "varve")) {
        return true;
      }
    }
    for (std::string_view known : kWords) {
      if (chronology::cell_detail::same_letters(word, known)) {
        return true;
      }
    }
    at = end;
  }
  return false;
}

FirstRow first_row(std::string_view file, std::size_t header_row) {
  FirstRow row;
  batch::TextDecoder decoder;
  std::string decoded;
  bool whole = decoder.feed(file, decoded) && decoder.finish(decoded);
  bool utf16 = decoder.encoding() == batch::TextEncoding::kUtf16Le ||
               decoder.encoding() == batch::TextEncoding::kUtf16Be;
  // UTF-16 cut short inside its last character still has its first row; the
  // conversion reports the cut.
  if (!whole && !utf16) {
    row.count = -1;
    row.error = decoder.error();
    return row;
  }
  // The header row as the column mode reads it: after a separator line.
  for (const std::string& cell : batch::header_cells(decoded, header_row)) {
    row.cells.append(chronology::cell_shown(cell)).push_back('\n');
    if (names_varve_numbers(cell)) {
      row.suggested.append(std::to_string(row.count + 1)).push_back('\n');
    }
    ++row.count;
  }
  return row;
}

FileResult convert_file(chronology::Direction direction, std::int32_t column,
                        std::int32_t header_row, std::string_view file, std::int32_t other_end) {
  FileResult result;
  batch::ColumnSettings settings;
  settings.direction = direction;
  if (other_end > 0) {
    settings.intervals = {{"#" + std::to_string(column), "#" + std::to_string(other_end)}};
  } else {
    settings.columns = {"#" + std::to_string(column)};
  }
  settings.header = header_row > 0;
  settings.header_row = static_cast<std::size_t>(std::max(header_row, 1));
  settings.named_after_source_on_clash = true;
  settings.input_name = "the file";
  batch::ColumnConverter converter(std::move(settings), [&result](std::string_view message) {
    result.messages.append(message).push_back('\n');
  });
  // Read and written as varve-batch reads and writes a file: decoded to UTF-8
  // piece by piece, converted, and written back in the file's encoding.
  constexpr std::size_t kPiece = 1 << 16;
  batch::TextPipeline pipeline(converter.steps());
  std::string converted;
  converted.reserve(file.size() * 2);
  bool going = true;
  for (std::size_t at = 0; going && at < file.size(); at += kPiece) {
    going = pipeline.feed(file.substr(at, kPiece), converted);
  }
  if (going) {
    pipeline.finish(converted);
  }
  if (pipeline.stop() == batch::TextStop::kDecoding) {
    result.messages.append(pipeline.decoding_error()).push_back('\n');
  }
  result.preview = preview_of(converted);
  if (pipeline.transcodes()) {
    pipeline.encode(converted, result.file);
  } else {
    result.file = std::move(converted);
  }
  result.outcome = pipeline.stop() != batch::TextStop::kNone ? 2
                   : converter.invalid_cells() > 0           ? 1
                                                             : 0;
  return result;
}

std::string added_columns(chronology::Direction direction) {
  std::string names;
  struct Namer {
    std::string& names;
    void codes(std::string_view name, std::span<const std::string_view> texts) const {
      names.append(name).append("\tt");
      for (std::string_view text : texts) {
        names.append("\t").append(text);
      }
      names.append("\t\n");
    }
    void operator()(std::string_view name, const table::AddedSequence&) const {
      codes(name, std::span(table::kSequenceNames).first(table::kSequenceNames.size() - 1));
    }
    void operator()(std::string_view name, table::RelationCode) const {
      codes(name, std::span(table::kRelationNames).first(table::kRelationNames.size() - 1));
    }
    void operator()(std::string_view name, const table::AddedNe&) const { number(name); }
    void operator()(std::string_view name, const table::AddedAm&) const { number(name); }
    void number(std::string_view name) const { names.append(name).append("\tn\n"); }
    void operator()(std::string_view name, const table::AddedFlag&) const {
      names.append(name).append("\tb\n");
    }
  };
  table::visit_fields(table::no_cells(direction), Namer{names});
  return names;
}

std::string planned_names(chronology::Direction direction, std::int32_t column,
                          std::string_view cells, std::int32_t other_end) {
  std::vector<std::string> names;
  for (std::size_t at = 0; at < cells.size();) {
    std::size_t end = std::min(cells.find('\0', at), cells.size());
    names.emplace_back(cells.substr(at, end - at));
    at = end + 1;
  }
  table::PlanRequest request{direction, {}, "", true};
  if (other_end > 0) {
    request.intervals = {{"#" + std::to_string(column), "#" + std::to_string(other_end)}};
  } else {
    request.columns = {"#" + std::to_string(column)};
  }
  table::PlanResult planned = table::make_plan(table::Header(std::move(names)), request);
  std::string lines;
  for (const table::Conversion& conversion : planned.plan.conversions) {
    for (const std::string& name : conversion.names) {
      lines.append(name).push_back('\n');
    }
  }
  return lines;
}

std::string interval_columns(chronology::Direction direction) {
  std::string names;
  for (const table::SpanColumn& column : table::span_columns(direction)) {
    table::ValueType type = table::value_type(column.field);
    names.append(column.name)
        .append(type == table::ValueType::kText      ? "\tt\n"
                : type == table::ValueType::kInteger ? "\tn\n"
                                                     : "\tb\n");
  }
  return names;
}

FirstRow header_row(std::string_view cells) {
  FirstRow row;
  for (std::size_t at = 0; at < cells.size(); ++row.count) {
    std::size_t end = std::min(cells.find('\0', at), cells.size());
    std::string_view cell = cells.substr(at, end - at);
    row.cells.append(chronology::cell_shown(cell)).push_back('\n');
    if (names_varve_numbers(cell)) {
      row.suggested.append(std::to_string(row.count + 1)).push_back('\n');
    }
    at = end + 1;
  }
  return row;
}

CellsResult convert_cells(chronology::Direction direction, std::string_view cells) {
  CellsResult result;
  std::string_view name;
  table::Reporter reporter = sheet_reporter(result.messages, name);
  std::vector<SheetCell> read = sheet_cells(cells);
  for (std::size_t row = 0; row < read.size(); ++row) {
    name = read[row].name;
    reporter.cell(direction, {row, 0, 0}, read[row].cell,
                  [&] { return chronology::field_shown(read[row].text); });
  }
  reporter.finish();
  result.invalid = static_cast<std::int32_t>(reporter.faults());
  result.count = static_cast<std::int32_t>(read.size());
  result.columns.assign(table::kNumberCellCount * read.size(), kMissing);
  for (std::size_t row = 0; row < read.size(); ++row) {
    std::size_t column = 0;
    table::visit_fields(table::number_cells(direction, read[row].cell),
                        [&](std::string_view, const auto& value) {
                          result.columns[column++ * read.size() + row] = typed_value(value);
                        });
  }
  return result;
}

CellsResult convert_interval_cells(chronology::Direction direction, std::string_view cells) {
  CellsResult result;
  std::string_view name;
  table::Reporter reporter = sheet_reporter(result.messages, name);
  std::vector<SheetCell> read = sheet_cells(cells);
  const std::size_t count = read.size() / 2;
  // Each pair of ends is a row of a two-column table with one interval, read
  // and reported by the table model as varve-batch's column mode reads one.
  table::Plan plan{direction, {{table::ConversionKind::kInterval, {0, 1}, {}}}};
  table::RowConverter rows(std::move(plan), 2, reporter);
  std::span<const table::SpanColumn> columns = table::span_columns(direction);
  result.columns.assign(columns.size() * count, kMissing);
  for (std::size_t row = 0; row < count; ++row) {
    const SheetCell* ends = &read[2 * row];
    // An interval's messages name its first end's cell.
    name = ends[0].name;
    rows.convert(
        2, {row, 0, 0},
        [ends](std::size_t end) {
          return table::ReadCell{ends[end].cell, ends[end].text};
        },
        [](std::string_view text) { return chronology::field_shown(text); });
    const table::ReadEnds& got = rows.read()[0];
    table::SpanRow span =
        table::span_row(direction, got.ends[0], got.ends[1], got.shown[0], got.shown[1]);
    for (std::size_t k = 0; k < columns.size(); ++k) {
      table::SpanValue value = table::span_value(span, columns[k]);
      std::int32_t& typed = result.columns[k * count + row];
      if (value.integer) {
        typed = *value.integer;
      } else if (value.flag) {
        typed = *value.flag ? 1 : 0;
      } else if (value.text) {
        typed = static_cast<std::int32_t>(result.texts.size());
        result.texts.push_back(*value.text);
      }
    }
  }
  reporter.finish();
  result.invalid = static_cast<std::int32_t>(reporter.faults());
  result.count = static_cast<std::int32_t>(count);
  return result;
}

std::string chart(chronology::Direction direction, std::optional<chronology::GivenNumber> mark,
                  std::optional<chronology::GivenRange> span) {
  return chart::correspondence_svg(direction, mark, span);
}

}  // namespace wasm
