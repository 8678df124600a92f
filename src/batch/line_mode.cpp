#include "batch/line_mode.h"

#include <charconv>
#include <utility>

#include "batch/column.h"

namespace batch {
namespace {

using chronology::Cell;
using chronology::CellKind;
using chronology::Link;
using chronology::Links;

/// Messages listed one by one; beyond them only the count is given.
constexpr std::size_t kReportedLines = 100;

/// The length of the UTF-8 character that starts `text`, or 0 when it does
/// not start with one (a lone continuation byte, a cut or overlong sequence).
std::size_t utf8_length(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
  }
  // No overlong three- or four-byte forms.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xF0 && byte(1) < 0x90)) {
    return 0;
  }
  return length;
}

void append_number(std::string& out, chronology::VarveNumber n) {
  char digits[12];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  out.append(digits, end);
}

/// Appends `text` as the inside of a JSON string.
void append_json_text(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
}

/// Appends the added fields of a JSON Lines row, after the input's.
void append_json_fields(std::string& out, Direction direction, const Cell& cell,
                        const Links& links) {
  std::string_view unlinked = cell.kind == CellKind::kEmpty     ? "null"
                              : cell.kind == CellKind::kInvalid ? "\"invalid\""
                                                                : "\"outside\"";
  auto number = [&](std::string_view name, const Link* link, chronology::VarveNumber n) {
    out.append(",\"").append(name).append("\":");
    if (link) {
      append_number(out, n);
    } else {
      out.append("null");
    }
  };
  auto relation = [&](std::string_view name, const Link* link) {
    out.append(",\"").append(name).append("\":");
    if (link) {
      out.append("\"").append(chronology::relation_name(link->relation)).append("\"");
    } else {
      out.append(links.empty() ? unlinked : "null");
    }
  };
  if (direction == Direction::kNeToAm) {
    const Link* link = links.empty() ? nullptr : &links[0];
    out.append(",\"sequence\":");
    if (link) {
      out.append("\"").append(chronology::sequence_name(link->sequence)).append("\"");
    } else {
      out.append("null");
    }
    relation("relation", link);
    number("ne_first", link, link ? link->ne_first : 0);
    number("ne_last", link, link ? link->ne_last : 0);
    number("am_first", link, link ? link->am_first : 0);
    number("am_last", link, link ? link->am_last : 0);
  } else {
    chronology::BySequence by = chronology::by_sequence(links);
    relation("lc_relation", by.lc);
    number("lc_first", by.lc, by.lc ? by.lc->ne_first : 0);
    number("lc_last", by.lc, by.lc ? by.lc->ne_last : 0);
    relation("uc_relation", by.uc);
    number("uc_first", by.uc, by.uc ? by.uc->ne_first : 0);
    number("uc_last", by.uc, by.uc ? by.uc->ne_last : 0);
  }
  out.append(",\"false_couplets\":");
  out.append(links.empty()                                   ? "null"
             : chronology::by_sequence(links).false_couplets ? "true"
                                                             : "false");
  out.append("}\n");
}

}  // namespace

void append_line_header(std::string& out, Format format, Direction direction) {
  if (format == Format::kJsonl) {
    return;
  }
  char sep = format == Format::kCsv ? ',' : '\t';
  out.append("input");
  for (std::string_view name : added_columns(direction)) {
    out.append(1, sep).append(name);
  }
  out.push_back('\n');
}

std::string shown_cell(std::string_view cell) {
  constexpr std::size_t kLongest = 60;
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t at = 0;
  while (at < cell.size() && at < kLongest) {
    auto c = static_cast<unsigned char>(cell[at]);
    if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
      ++at;
    } else if (std::size_t length = c >= 0x80 ? utf8_length(cell.substr(at)) : 0) {
      out.append(cell.substr(at, length));
      at += length;
    } else {
      out.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 15]);
      ++at;
    }
  }
  if (at < cell.size()) {
    out.append("...");
  }
  return out;
}

void append_line_row(std::string& out, Format format, Direction direction, std::string_view shown,
                     const Cell& read) {
  Links links =
      read.kind == CellKind::kNumber ? chronology::links_of(direction, read.number) : Links{};
  if (format == Format::kJsonl) {
    out.append("{\"input\":\"");
    append_json_text(out, shown);
    out.append("\"");
    append_json_fields(out, direction, read, links);
    return;
  }
  char sep = format == Format::kCsv ? ',' : '\t';
  if (format == Format::kCsv && shown.find_first_of(",\"") != std::string::npos) {
    out.push_back('"');
    for (char c : shown) {
      out.append(c == '"' ? 2 : 1, c);
    }
    out.push_back('"');
  } else {
    out.append(shown);
  }
  std::size_t cells = out.size();
  append_added_cells(out, direction, links, sep);
  if (read.kind == CellKind::kEmpty) {
    // Nothing in the added cells either: only their separators.
    out.resize(cells);
    out.append(added_columns(direction).size(), sep);
  } else if (read.kind == CellKind::kInvalid) {
    for (std::size_t found; (found = out.find("outside", cells)) != std::string::npos;) {
      out.replace(found, 7, "invalid");
    }
  }
  out.push_back('\n');
}

LineMode::LineMode(Format format, Direction direction, MessageSink report)
    : format_(format), direction_(direction), report_(std::move(report)) {}

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
  if (invalid_lines_ > kReportedLines) {
    report_(std::to_string(invalid_lines_) + " lines in all were not whole numbers");
  }
}

void LineMode::end_line(std::string& out) {
  std::string_view cell = line_text_;
  bool too_long = line_length_ > kLongestLine;
  // A line too long to hold is never taken for a number, whatever its digits.
  Cell read = too_long ? Cell{CellKind::kInvalid} : chronology::read_cell(cell);
  std::string shown = shown_cell(too_long ? cell.substr(0, 61) : cell);
  append_line_row(out, format_, direction_, shown, read);
  if (read.kind == CellKind::kInvalid) {
    ++invalid_lines_;
    if (invalid_lines_ <= kReportedLines) {
      std::string where = "line " + std::to_string(line_) + ": ";
      report_(too_long ? where + "a line of " + std::to_string(line_length_) +
                             " bytes, too long for a number: '" + shown + "'"
                       : where + chronology::invalid_cell_message(shown, read));
    }
    if (invalid_lines_ == kReportedLines) {
      report_("(further lines that are not whole numbers are counted, not listed)");
    }
  }
  line_text_.clear();
  line_length_ = 0;
  pending_ = false;
  ++line_;
}

}  // namespace batch
