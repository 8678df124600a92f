// libFuzzer target: arbitrary bytes through varve-batch's list mode, fed in
// pieces, checking that every token is accounted for (each number and span by
// its rows, each bad token and span not converted by one message, thousands-separator warnings
// aside) by a split of the input made here by the plain rule, and that the pieces' size changes
// neither the rows nor the messages.
//
// The first byte chooses the run: its low six bits the size of each piece (1
// to 64), the next bit the direction. The rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "batch/list_mode.h"
#include "chronology/cell.h"
#include "chronology/links.h"
#include "chronology/span.h"
#include "invariant.h"

namespace {

struct Run {
  std::string rows;
  std::vector<std::string> messages;
  int status = 0;
};

/// Where the messages of the run under way go.
std::vector<std::string>* messages = nullptr;

Run convert(chronology::Direction direction, std::string_view input, std::size_t piece) {
  // A fresh list mode is a copy of one made once: making one formats the rows
  // of every accepted number, which would take most of each run.
  static const batch::ListMode kFresh[2] = {
      {batch::Format::kTsv, chronology::Direction::kNeToAm,
       [](std::string_view message) { messages->emplace_back(message); }},
      {batch::Format::kTsv, chronology::Direction::kAmToNe,
       [](std::string_view message) { messages->emplace_back(message); }}};
  Run run;
  messages = &run.messages;
  batch::ListMode mode = kFresh[direction == chronology::Direction::kAmToNe];
  for (std::size_t at = 0; at < input.size(); at += piece) {
    mode.feed(input.substr(at, piece), run.rows);
  }
  mode.finish(run.rows);
  run.status = mode.exit_status();
  return run;
}

/// The rows and bad tokens the input must give, by the plain rule: tokens are
/// runs of bytes other than blank, tab, comma, semicolon, CR and LF; '#'
/// ends a token and starts a comment up to the line end; a UTF-8 byte-order
/// mark at the very start is skipped.
void expected(chronology::Direction direction, std::string_view input, std::size_t& rows,
              std::size_t& bad) {
  rows = bad = 0;
  if (input.starts_with("\xEF\xBB\xBF")) {
    input.remove_prefix(3);
  }
  auto token = [&](std::string_view text) {
    if (text.size() > 100) {
      ++bad;
      return;
    }
    chronology::Cell cell = chronology::read_cell(text);
    if (cell.kind == chronology::CellKind::kInvalid) {
      ++bad;
    } else if (cell.kind == chronology::CellKind::kNumber) {
      rows += std::max<std::size_t>(chronology::links_of(direction, cell.number).count, 1);
    } else if (cell.kind == chronology::CellKind::kSpan) {
      // A span gives a row per NE sequence it converts to, or none and a message.
      chronology::SpanResult span = chronology::span_of(direction, cell.first, cell.last);
      rows += span.spans.size();
      bad += !span.converted();
    }
  };
  std::size_t start = 0;
  bool comment = false;
  for (std::size_t i = 0; i <= input.size(); ++i) {
    char c = i < input.size() ? input[i] : '\n';
    if (comment) {
      comment = c != '\n';
      start = i + 1;
      continue;
    }
    bool ends = c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\n' || c == '#';
    if (ends) {
      if (i > start) {
        token(input.substr(start, i - start));
      }
      comment = c == '#';
      start = i + 1;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::uint8_t choice = data[0];
  std::size_t piece = (choice & 63) + 1;
  auto direction = choice & 64 ? chronology::Direction::kAmToNe : chronology::Direction::kNeToAm;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  Run whole = convert(direction, input, input.size() + 1);
  Run pieces = convert(direction, input, piece);
  if (pieces.rows != whole.rows || pieces.messages != whole.messages ||
      pieces.status != whole.status) {
    fail("the pieces' size changed the rows or messages", whole.rows + "\n----\n" + pieces.rows);
  }
  std::size_t rows = 0, bad = 0;
  expected(direction, input, rows, bad);
  std::size_t row_lines = 0;
  for (char c : whole.rows) {
    row_lines += c == '\n';
  }
  std::size_t reports = 0;
  for (const std::string& message : whole.messages) {
    reports += message.find("warning: ") == std::string::npos;
  }
  if (row_lines != rows || reports != bad || whole.status != (bad > 0 ? 1 : 0)) {
    fail("a token not accounted for", "rows " + std::to_string(row_lines) + " of " +
                                          std::to_string(rows) + ", messages " +
                                          std::to_string(reports) + " of " + std::to_string(bad));
  }
  return 0;
}
