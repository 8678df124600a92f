#include "batch/rows.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "batch/added_text.h"
#include "table/added_cells.h"

namespace batch {
namespace {

using chronology::Link;

/// A row holds the input, then one link in the columns that ne-to-am adds.
constexpr std::array<std::string_view, table::kNumberCellCount> kLinkColumns =
    table::number_cell_names(Direction::kNeToAm);

char separator(Format format) {
  return format == Format::kCsv ? ',' : '\t';
}

/// The fields after `input`, and the line end: the cells of one link, by
/// their names. JSON Lines writes an empty cell as null, and a name as a string.
void append_tail(std::string& out, Format format, const table::NeToAmCells& cells) {
  bool first = true;
  visit_added_text(cells, [&](std::string_view name, AddedKind kind, std::string_view text) {
    if (format != Format::kJsonl) {
      if (!first) {
        out.push_back(separator(format));
      }
      out.append(text);
    } else {
      if (!first) {
        out.push_back(',');
      }
      append_json_member(out, name, kind, text);
    }
    first = false;
  });
  out.append(format == Format::kJsonl ? "}\n" : "\n");
}

/// The cells of a row without a link: outside.
table::NeToAmCells outside_cells() {
  table::NeToAmCells cells;
  cells.relation = table::RelationCode::kOutside;
  return cells;
}

/// The input field and what joins it to the rest of the row.
void append_head(std::string& out, Format format, std::string_view input) {
  if (format == Format::kJsonl) {
    out.append("{\"input\":\"");
    append_json_text(out, input);
    out.append("\",");
  } else {
    out.append(input).push_back(separator(format));
  }
}

}  // namespace

void append_number(std::string& out, std::int32_t n) {
  char digits[12];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  out.append(digits, end);
}

void append_quoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    out.append(c == '"' ? 2 : 1, c);
  }
  out.push_back('"');
}

void append_json_text(std::string& out, std::string_view text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) {
      constexpr char kHex[] = "0123456789abcdef";
      out.append("\\u00").push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
      continue;
    }
    if (c == '"' || c == '\\') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
}

void append_header(std::string& out, Format format) {
  if (format == Format::kJsonl) {
    return;
  }
  out.append("input");
  for (std::string_view name : kLinkColumns) {
    out.append(1, separator(format)).append(name);
  }
  out.push_back('\n');
}

void append_row(std::string& out, Format format, std::string_view input, const Link* link) {
  append_head(out, format, input);
  append_tail(out, format, link ? table::link_cells(*link) : outside_cells());
}

void append_span_rows(std::string& out, Format format, std::string_view input,
                      const chronology::SpanResult& span) {
  for (const chronology::SequenceSpan& part : span.spans) {
    // The span's ends in the places of a link's, under the relation "span".
    table::NeToAmCells cells;
    cells.sequence = part.sequence;
    cells.relation = table::RelationCode::kSpan;
    cells.ne_first = part.ne.first;
    cells.ne_last = part.ne.last;
    cells.am_first = part.am.first;
    cells.am_last = part.am.last;
    cells.false_couplets = part.false_couplets;
    append_head(out, format, input);
    append_tail(out, format, cells);
  }
}

RowCache::RowCache(Format format, Direction direction) {
  // The head is a prefix, the input, then the rest of the head, which each
  // tail starts with.
  json_ = format == Format::kJsonl;
  std::string head;
  append_head(head, format, "#");
  std::size_t mark = head.find('#');
  head_prefix_ = head.substr(0, mark);
  std::string_view head_suffix = std::string_view(head).substr(mark + 1);

  auto make_entry = [&](const Link* links, std::size_t count) {
    Entry entry;
    for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i) {
      std::size_t before = entry.tails.size();
      entry.tails.append(head_suffix);
      append_tail(entry.tails, format, count == 0 ? outside_cells() : table::link_cells(links[i]));
      entry.lengths[i] = entry.tails.size() - before;
    }
    return entry;
  };
  outside_ = make_entry(nullptr, 0);
  std::span<const chronology::GivenRange> ranges = chronology::accepted_ranges(direction);
  first_ = ranges.front().first;
  for (chronology::GivenNumber n = first_; n <= ranges.back().last; ++n) {
    chronology::Links links = chronology::links_of(direction, n);
    entries_.push_back(make_entry(links.items.data(), links.count));
  }
}

}  // namespace batch
