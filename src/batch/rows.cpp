#include "batch/rows.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "table/added_cells.h"

namespace batch {
namespace {

using chronology::Link;
using chronology::Relation;
using chronology::relation_name;
using chronology::Sequence;
using chronology::sequence_name;
using chronology::VarveNumber;

/// A row holds the input, then one link in the columns that ne-to-am adds.
constexpr std::array<std::string_view, table::kNumberCellCount> kLinkColumns =
    table::number_cell_names(Direction::kNeToAm);

char separator(Format format) {
  return format == Format::kCsv ? ',' : '\t';
}

/// The fields after `input`, and the line end: those of `link`, under the
/// relation `relation` when one is given.
void append_tail(std::string& out, Format format, const Link* link,
                 std::string_view relation = {}) {
  if (link && relation.empty()) {
    relation = relation_name(link->relation);
  }
  const VarveNumber numbers[4] = {link ? link->ne_first : 0, link ? link->ne_last : 0,
                                  link ? link->am_first : 0, link ? link->am_last : 0};
  if (format == Format::kJsonl) {
    if (link) {
      out.append("\"sequence\":\"").append(sequence_name(link->sequence));
      out.append("\",\"relation\":\"").append(relation).append("\"");
    } else {
      out.append("\"sequence\":null,\"relation\":\"outside\"");
    }
    for (int i = 0; i < 4; ++i) {
      out.append(",\"").append(kLinkColumns[2 + i]).append("\":");
      if (link) {
        append_number(out, numbers[i]);
      } else {
        out.append("null");
      }
    }
    out.append(",\"false_couplets\":");
    out.append(!link ? "null" : link->false_couplets ? "true" : "false");
    out.append("}\n");
    return;
  }
  char sep = separator(format);
  if (!link) {
    out.push_back(sep);  // No sequence.
    out.append("outside");
    out.append(5, sep);
    out.push_back('\n');
    return;
  }
  out.append(sequence_name(link->sequence)).push_back(sep);
  out.append(relation);
  for (VarveNumber n : numbers) {
    out.push_back(sep);
    append_number(out, n);
  }
  out.push_back(sep);
  out.append(link->false_couplets ? "true" : "false");
  out.push_back('\n');
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

void append_number(std::string& out, VarveNumber n) {
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
  append_tail(out, format, link);
}

void append_span_rows(std::string& out, Format format, std::string_view input,
                      const chronology::SpanResult& span) {
  for (const chronology::SequenceSpan& part : span.spans) {
    // The span's ends in the places of a link's: its relation is named apart.
    Link ends{part.sequence, Relation::kCorresponds, part.ne.first,      part.ne.last,
              part.am.first, part.am.last,           part.false_couplets};
    append_head(out, format, input);
    append_tail(out, format, &ends,
                table::kRelationNames[static_cast<std::size_t>(table::RelationCode::kSpan)]);
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
      append_tail(entry.tails, format, count == 0 ? nullptr : &links[i]);
      entry.lengths[i] = entry.tails.size() - before;
    }
    return entry;
  };
  outside_ = make_entry(nullptr, 0);
  std::span<const chronology::Range> ranges = chronology::accepted_ranges(direction);
  first_ = ranges.front().first;
  for (VarveNumber n = first_; n <= ranges.back().last; ++n) {
    chronology::Links links = chronology::links_of(direction, n);
    entries_.push_back(make_entry(links.items.data(), links.count));
  }
}

}  // namespace batch
