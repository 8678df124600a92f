// libFuzzer target: converts columns of arbitrary bytes, fed in pieces, and
// checks that every result lands under its own header: the rows above the
// header (a sep= line, titles) come back as they were; every other row comes
// back with as many cells before its added ones as the header has, and
// removing the added cells (seven per column) and then the empty cells that
// padded it gives the input row back byte for byte, line end included. Every
// input row comes back when the conversion ends whole, a leading run of them
// when a fault stopped it; and the pieces' size makes no difference.
//
// The first byte chooses the run: its low two bits the separator (recognised,
// ',', ';' or tab), the next bit the direction, the next the header row, and
// the top four the first column (1 to 16) and the size of each piece. The
// second byte: its low two bits the header row (1 to 4), the next two how
// many more columns (0 to 3) are converted. The rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "batch/column.h"
#include "batch/csv_reader.h"
#include "batch/separator.h"
#include "invariant.h"

namespace {

struct Run {
  std::string output;
  bool whole = false;
  char separator = 0;
};

Run convert(const batch::ColumnSettings& settings, std::string_view input, std::size_t piece) {
  Run run;
  batch::ColumnConverter converter(settings, [](std::string_view) {});
  bool going = true;
  for (std::size_t i = 0; i < input.size() && going; i += piece) {
    going = converter.feed(input.substr(i, piece), run.output);
  }
  run.whole = going && converter.finish(run.output);
  run.separator = converter.separator();
  return run;
}

/// A record as read: its body, line end, and where its fields start.
struct Record {
  std::string body;
  std::string line_end;
  std::vector<std::size_t> starts;
};

/// The whole records of `text`.
std::vector<Record> records_of(std::string_view text, char separator) {
  std::vector<Record> records;
  batch::CsvReader reader(separator);
  auto take = [&](const batch::CsvRecord& record) {
    Record& r = records.emplace_back();
    r.body = record.body;
    r.line_end = record.line_end;
    for (const batch::FieldSpan& field : record.fields) {
      r.starts.push_back(field.begin);
    }
  };
  if (reader.feed(text, take)) {
    reader.finish(take);
  }
  return records;
}

/// Checks the output of a run over `input` against the input, row by row.
void check_rows(std::string_view input, const Run& run, const batch::ColumnSettings& settings) {
  std::vector<Record> in = records_of(input, run.separator);
  std::vector<Record> out = records_of(run.output, run.separator);
  if (out.size() > in.size() || (run.whole && out.size() != in.size())) {
    fail("rows lost or made up", std::string(input) + "\n----\n" + run.output);
  }
  std::size_t above = (!in.empty() && batch::separator_line(in[0].body) != 0 ? 1 : 0) +
                      (settings.header ? settings.header_row - 1 : 0);
  std::size_t added = 7 * settings.columns.size();
  std::size_t width = above < in.size() ? in[above].starts.size() : 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const Record& o = out[i];
    if (i < above) {
      if (o.body != in[i].body || o.line_end != in[i].line_end) {
        fail("a row above the header changed", in[i].body + "\n----\n" + o.body);
      }
      continue;
    }
    if (o.starts.size() != width + added) {
      fail("a row's cells not under their headers", o.body);
    }
    std::string kept = o.body.substr(0, o.starts[width] - 1);
    std::string given = in[i].body + std::string(width - in[i].starts.size(), run.separator);
    if (kept != given || o.line_end != in[i].line_end) {
      fail("the input does not come back", given + "\n----\n" + kept);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  std::uint8_t choice = data[0];
  std::uint8_t more = data[1];
  std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
  batch::ColumnSettings settings;
  constexpr char kSeparators[] = {0, ',', ';', '\t'};
  settings.separator = kSeparators[choice & 3];
  settings.direction = choice & 4 ? chronology::Direction::kAmToNe : chronology::Direction::kNeToAm;
  settings.header = (choice & 8) == 0;
  settings.header_row = settings.header ? (more & 3) + 1u : 1u;
  int first = (choice >> 4) + 1;
  settings.columns = {std::to_string(first)};
  for (int j = 1; j <= ((more >> 2) & 3); ++j) {
    settings.columns.push_back("#" + std::to_string((first - 1 + 3 * j) % 16 + 1));
  }
  settings.max_record = 4096;  // Small, so that overlong rows are reached.

  Run whole = convert(settings, input, input.size() + 1);
  Run pieces = convert(settings, input, (choice >> 4) + 1);
  if (pieces.output != whole.output || pieces.whole != whole.whole) {
    fail("the pieces' size changed the output", whole.output + "\n----\n" + pieces.output);
  }
  if (!whole.output.empty()) {
    check_rows(input, whole, settings);
  }
  return 0;
}
