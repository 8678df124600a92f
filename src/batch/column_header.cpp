#include "batch/column_header.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "batch/tokens.h"
#include "chronology/added_columns.h"
#include "chronology/shown_text.h"

namespace batch {

using chronology::field_shown;

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

HeaderReading read_header(const CsvRecord& record, const ColumnSettings& settings, char separator) {
  HeaderReading reading;
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    std::string_view name = cell_text(record.field(i));
    if (i == 0 && name.starts_with(kByteOrderMark)) {
      name = cell_text(name.substr(kByteOrderMark.size()));
    }
    names.push_back(name);
  }
  for (const chronology::AddedColumn& column : chronology::added_columns(settings.direction)) {
    std::string name = settings.prefix + std::string(column.name);
    if (std::find(names.begin(), names.end(), name) != names.end()) {
      reading.error = line_text(record.line) + ": the header already has a column named '" +
                      field_shown(name) + "': rename it, or name the added columns with --prefix";
      return reading;
    }
    bool needs_quotes = name.find_first_of(std::string("\"\r\n") + separator) != std::string::npos;
    if (needs_quotes) {
      for (std::size_t at = 0; (at = name.find('"', at)) != std::string::npos; at += 2) {
        name.insert(at, 1, '"');
      }
      name = '"' + name + '"';
    }
    reading.added.append(1, separator).append(name);
  }
  const std::string& wanted = settings.column;
  std::size_t matches = static_cast<std::size_t>(std::count(names.begin(), names.end(), wanted));
  if (matches == 1) {
    reading.column =
        static_cast<std::size_t>(std::find(names.begin(), names.end(), wanted) - names.begin());
  } else if (matches > 1) {
    reading.error = line_text(record.line) + ": " + std::to_string(matches) +
                    " columns are named '" + field_shown(wanted) +
                    "': give the column's number instead";
  } else if (!column_number(wanted, reading.column)) {
    reading.error =
        line_text(record.line) + ": the header has no column named '" + field_shown(wanted) + "'";
  }
  return reading;
}

}  // namespace batch
