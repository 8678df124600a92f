#include "batch/paste_shape.h"

#include "batch/tokens.h"
#include "chronology/cell.h"

namespace batch {
namespace {

using chronology::CellHint;
using chronology::CellKind;

/// The number of tokens the list mode finds in `text`.
std::size_t token_count(std::string_view text) {
  Tokenizer tokenizer;
  std::size_t count = 0;
  auto counted = [&count](const Token&) { ++count; };
  tokenizer.feed(text, counted);
  tokenizer.finish(counted);
  return count;
}

/// One line of a paste: its text (a quoted cell's without its quotes, still
/// escaped) and where the next line starts.
struct PasteLine {
  std::string_view text;
  std::size_t next = 0;
  bool quoted = false;  ///< A quoted cell holding a line break.
};

/// The end of a line starting at `at`: its line end's length (0 at the end).
std::size_t line_end_size(std::string_view paste, std::size_t end) {
  if (end >= paste.size()) {
    return 0;
  }
  return paste.compare(end, 2, "\r\n") == 0 ? 2 : 1;
}

/// The line of `paste` starting at `at`.
PasteLine line_at(std::string_view paste, std::size_t at) {
  if (paste[at] == '"') {
    // A quoted cell: "" is a quote; it is one cell only when its closing
    // quote ends a line and a line break lies inside.
    for (std::size_t i = at + 1; i < paste.size(); ++i) {
      if (paste[i] != '"') {
        continue;
      }
      if (i + 1 < paste.size() && paste[i + 1] == '"') {
        ++i;
        continue;
      }
      std::string_view inside = paste.substr(at + 1, i - at - 1);
      bool ends_line = i + 1 == paste.size() || paste[i + 1] == '\n' || paste[i + 1] == '\r';
      if (ends_line && inside.find_first_of("\r\n") != std::string_view::npos) {
        return {inside, i + 1 + line_end_size(paste, i + 1), true};
      }
      break;
    }
  }
  std::size_t end = paste.find_first_of("\r\n", at);
  end = end == std::string_view::npos ? paste.size() : end;
  return {paste.substr(at, end - at), end + line_end_size(paste, end), false};
}

/// True when `line` is only a comment: '#' and a blank or nothing after it,
/// after blanks. "#N/A", a spreadsheet's cell, is no comment.
bool only_comment(std::string_view line) {
  std::size_t at = line.find_first_not_of(" \t");
  return at != std::string_view::npos && line[at] == '#' &&
         (at + 1 == line.size() || line[at + 1] == ' ' || line[at + 1] == '\t');
}

/// A quoted cell's text unquoted, its line breaks as blanks.
void append_unquoted(std::string& out, std::string_view inside) {
  for (std::size_t i = 0; i < inside.size(); ++i) {
    char c = inside[i];
    if (c == '"') {
      ++i;  // The first of "", which is one quote.
    } else if (c == '\r' && i + 1 < inside.size() && inside[i + 1] == '\n') {
      continue;
    } else if (c == '\r' || c == '\n') {
      c = ' ';
    }
    out.push_back(c);
  }
}

}  // namespace

LineValues line_values(std::string_view line) {
  // A line of only a comment holds no value for a list and is a bad cell of a
  // column: either reading keeps the rows in place.
  if (chronology::read_cell(line).kind == CellKind::kEmpty || only_comment(line)) {
    return LineValues::kNone;
  }
  // A semicolon separates the cells of a spreadsheet's row.
  if (line.find(';') != std::string_view::npos) {
    return LineValues::kSeveral;
  }
  std::size_t comment = line.find('#');
  std::size_t tokens = token_count(line.substr(0, comment));
  if (comment != std::string_view::npos) {
    // "#N/A" is a spreadsheet's cell; a value with a comment after it is a
    // line of a list, whose comment the list mode leaves out.
    return tokens == 0 ? LineValues::kOne : LineValues::kSeveral;
  }
  // A comma separates values ("3021," as much as "3021,4282") unless the
  // cell rule reads the line as one value with it.
  if (tokens <= 1 && line.find(',') == std::string_view::npos) {
    return LineValues::kOne;
  }
  // One value with blanks or a comma inside: "4 282", "ca. 4282", a span
  // written with blanks around its dash, "5580 - 5700", and a whole number
  // written with a decimal comma, "3021,0".
  chronology::Cell cell = chronology::read_cell(line);
  bool one = cell.hint != CellHint::kNone || cell.kind == CellKind::kSpan ||
             chronology::read_cell(line, ';').kind == CellKind::kNumber;
  return one ? LineValues::kOne : LineValues::kSeveral;
}

PasteLayout paste_layout(std::string_view paste) {
  PasteLayout layout;
  bool table = false;
  for (std::size_t at = 0; at < paste.size();) {
    PasteLine line = line_at(paste, at);
    at = line.next;
    ++layout.lines;
    layout.quoted_breaks = layout.quoted_breaks || line.quoted;
    if (line.quoted) {
      // One cell, whatever it holds: it is a row of a column.
      ++layout.one;
      layout.first_one = layout.first_one == 0 ? layout.lines : layout.first_one;
      continue;
    }
    table = table || (line.text.find('\t') != std::string_view::npos && !only_comment(line.text));
    switch (line_values(line.text)) {
      case LineValues::kNone:
        break;
      case LineValues::kOne:
        ++layout.one;
        layout.first_one = layout.first_one == 0 ? layout.lines : layout.first_one;
        break;
      case LineValues::kSeveral:
        ++layout.several;
        layout.first_several = layout.first_several == 0 ? layout.lines : layout.first_several;
        break;
    }
  }
  if (table) {
    layout.shape = PasteShape::kTable;
  } else if (layout.one == 0 && layout.several == 0) {
    layout.shape = PasteShape::kEmpty;
  } else if (layout.several == 0) {
    layout.shape = PasteShape::kColumn;
  } else if (layout.one == 0) {
    layout.shape = PasteShape::kList;
  } else {
    layout.shape = PasteShape::kMixed;
  }
  return layout;
}

std::string column_lines(std::string_view paste) {
  std::string lines;
  lines.reserve(paste.size());
  for (std::size_t at = 0; at < paste.size();) {
    PasteLine line = line_at(paste, at);
    at = line.next;
    if (line.quoted) {
      append_unquoted(lines, line.text);
    } else {
      lines.append(line.text);
    }
    lines.push_back('\n');
  }
  return lines;
}

}  // namespace batch
