// libFuzzer target: converts a column of arbitrary bytes, fed in pieces, and
// checks the round trip: removing the seven appended cells from every output
// row gives the input back byte for byte (or, when the conversion stopped on a
// fault, a leading run of its whole rows); and that the pieces' size makes no
// difference.
//
// The first byte chooses the run: its low two bits the separator (recognised,
// ',', ';' or tab), the next bit the direction, the next the header row, and
// the top four the column (1 to 16) and the size of each piece. The rest is
// the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/column.h"
#include "batch/csv_reader.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

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

/// The output with the last seven cells of every row taken away.
std::string without_added_cells(const std::string& output, char separator) {
  std::string rebuilt;
  batch::CsvReader reader(separator);
  auto strip = [&](const batch::CsvRecord& record) {
    if (record.fields.size() < 8) {
      fail("a row without its seven added cells", std::string(record.body));
    }
    std::size_t cut = record.fields[record.fields.size() - 7].begin - 1;
    rebuilt.append(record.body.substr(0, cut)).append(record.line_end);
  };
  if (!reader.feed(output, strip) || !reader.finish(strip)) {
    fail("output that does not read back", output);
  }
  return rebuilt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::uint8_t choice = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  batch::ColumnSettings settings;
  constexpr char kSeparators[] = {0, ',', ';', '\t'};
  settings.separator = kSeparators[choice & 3];
  settings.direction = choice & 4 ? chronology::Direction::kAmToNe : chronology::Direction::kNeToAm;
  settings.header = (choice & 8) == 0;
  settings.column = std::to_string((choice >> 4) + 1);
  settings.max_record = 4096;  // Small, so that overlong rows are reached.

  Run whole = convert(settings, input, input.size() + 1);
  Run pieces = convert(settings, input, (choice >> 4) + 1);
  if (pieces.output != whole.output || pieces.whole != whole.whole) {
    fail("the pieces' size changed the output", whole.output + "\n----\n" + pieces.output);
  }
  if (whole.output.empty()) {
    return 0;
  }
  std::string rebuilt = without_added_cells(whole.output, whole.separator);
  if (whole.whole ? rebuilt != input : !input.starts_with(rebuilt)) {
    fail("the input does not come back", std::string(input) + "\n----\n" + rebuilt);
  }
  return 0;
}
