#include "web/calls.h"

#include "batch/column.h"
#include "batch/csv_reader.h"
#include "batch/list_mode.h"
#include "batch/rows.h"
#include "batch/tokens.h"
#include "chart/chart.h"
#include "dialogue/am_to_ne.h"
#include "dialogue/ne_to_am.h"
#include "dialogue/result_records.h"

namespace web {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

LookupStatus lookup(chronology::Direction direction, std::string_view typed, Texts& texts) {
  texts = {};
  while (!typed.empty() && is_blank(typed.front())) {
    typed.remove_prefix(1);
  }
  while (!typed.empty() && is_blank(typed.back())) {
    typed.remove_suffix(1);
  }
  if (typed.empty()) {
    return LookupStatus::kEmpty;
  }
  std::int32_t number = 0;
  if (batch::parse_number(typed, number) != batch::TokenKind::kNumber) {
    return LookupStatus::kNotANumber;
  }
  chronology::Links links = chronology::links_of(direction, number);
  if (links.empty()) {
    texts[0] = direction == chronology::Direction::kNeToAm ? dialogue::kNeOutsideMessage
                                                           : dialogue::kAmOutsideMessage;
    for (chronology::Range range : chronology::accepted_ranges(direction)) {
      texts[1] += std::to_string(range.first) + "-" + std::to_string(range.last) + "\n";
    }
    return LookupStatus::kOutside;
  }
  for (const std::string& record : dialogue::result_records(direction, number)) {
    texts[0].append(record).push_back('\n');
  }
  std::string input = std::to_string(number);
  for (const chronology::Link& link : links) {
    batch::append_row(texts[1], batch::Format::kJsonl, input, &link);
  }
  return LookupStatus::kConverted;
}

std::int32_t convert_list(chronology::Direction direction, ListFormat format, std::string_view list,
                          Texts& texts) {
  texts = {};
  batch::Format row_format = format == ListFormat::kCsv ? batch::Format::kCsv : batch::Format::kTsv;
  // varve-batch's messages, without the program's name: the page is not it.
  constexpr std::string_view kProgram = "varve-batch: ";
  batch::ListMode mode(row_format, direction, [&texts, kProgram](std::string_view message) {
    if (message.starts_with(kProgram)) {
      message.remove_prefix(kProgram.size());
    }
    texts[1] += message;
  });
  batch::append_header(texts[0], row_format);
  texts[0].reserve(list.size() * 8);
  mode.feed(list, texts[0]);
  mode.finish(texts[0]);
  return mode.exit_status();
}

std::int32_t first_row(std::string_view file, Texts& texts) {
  texts = {};
  std::string_view first_line = file.substr(0, file.find_first_of("\r\n"));
  batch::CsvReader reader(batch::recognise_separator(first_line));
  std::int32_t count = 0;
  bool done = false;
  auto on_record = [&](const batch::CsvRecord& record) {
    if (done) {
      return;
    }
    done = true;
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      texts[0].append(batch::cell_text(record.field(i))).push_back('\n');
      ++count;
    }
  };
  // The first record may span lines inside quotes; it ends before the file does.
  reader.feed(file, on_record);
  if (!done) {
    reader.finish(on_record);
  }
  return count;
}

std::int32_t convert_file(chronology::Direction direction, std::int32_t column, bool header,
                          std::string_view file, Texts& texts) {
  texts = {};
  batch::ColumnSettings settings;
  settings.direction = direction;
  settings.column = std::to_string(column);
  settings.header = header;
  batch::ColumnConverter converter(std::move(settings), [&texts](std::string_view message) {
    texts[1].append(message).push_back('\n');
  });
  texts[0].reserve(file.size() * 2);
  bool whole = converter.feed(file, texts[0]) && converter.finish(texts[0]);
  return !whole ? 2 : converter.invalid_cells() > 0 ? 1 : 0;
}

void chart(chronology::Direction direction, std::optional<chronology::VarveNumber> mark,
           Texts& texts) {
  texts = {};
  texts[0] = chart::correspondence_svg(direction, mark);
}

}  // namespace web
