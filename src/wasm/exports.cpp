// The WebAssembly exports the page calls. The page writes its input into the
// buffer varve_input returns, calls one function, and reads the texts it left
// through varve_text and varve_text_size. Nothing here throws: the
// WebAssembly build has no exceptions, and running out of memory stops the module, which the
// page reports.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "chronology/tables_identity.h"
#include "wasm/calls.h"
#include "wasm/deflate.h"
#include "wasm/xml_check.h"

namespace {

std::string input;
/// A workbook part being written a piece at a time: bytes that grow without
/// being set to zero first, as each piece is written over them at once, and
/// by doubling, so that a 100 MB part is copied a few times rather than once
/// for every piece.
class Part {
 public:
  /// Room for `size` more bytes at the end: where they go.
  char* extend(std::size_t size) {
    if (size > capacity_ - size_) {
      const std::size_t capacity = std::max(size_ + size, 2 * capacity_);
      std::unique_ptr<char[]> bytes(new char[capacity]);
      if (size_ > 0) {
        std::memcpy(bytes.get(), bytes_.get(), size_);
      }
      bytes_ = std::move(bytes);
      capacity_ = capacity;
    }
    size_ += size;
    return bytes_.get() + size_ - size;
  }

  /// The bytes written so far.
  std::string_view bytes() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

/// The workbook part being written, its deflater once deflating has begun,
/// and its check as far as it has been fed.
Part part;
std::unique_ptr<wasm::Deflater> part_deflater;
wasm::XmlCheck part_check;
/// The texts of the last call, in the places web/engine.mjs reads them from;
/// each export below says what it leaves where.
std::array<std::string, 3> texts;

chronology::Direction direction_of(std::int32_t direction) {
  return direction == 0 ? chronology::Direction::kNeToAm : chronology::Direction::kAmToNe;
}

/// Text `i` (0 to 2) of the last call; below 0 the first, above 2 the last.
const std::string& text(std::int32_t i) {
  return texts[static_cast<std::size_t>(
      std::clamp<std::int32_t>(i, 0, static_cast<std::int32_t>(texts.size()) - 1))];
}

}  // namespace

#if defined(__wasm__)
#define VARVE_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#else
// Natively, for its test: plain C functions of the same names.
#define VARVE_EXPORT(name) extern "C"
#endif

/// A buffer of `size` bytes for the next call's input.
VARVE_EXPORT(varve_input) char* varve_input(std::int32_t size) {
  input.resize(static_cast<std::size_t>(size));
  return input.data();
}

/// The start of text `i` (0 to 2) of the last call.
VARVE_EXPORT(varve_text) const char* varve_text(std::int32_t i) {
  return text(i).data();
}

/// The length in bytes of text `i` (0 to 2) of the last call.
VARVE_EXPORT(varve_text_size) std::int32_t varve_text_size(std::int32_t i) {
  return static_cast<std::int32_t>(text(i).size());
}

/// Leaves the name of `direction`, as varve-batch takes it.
VARVE_EXPORT(varve_direction_name) void varve_direction_name(std::int32_t direction) {
  texts = {std::string(chronology::direction_name(direction_of(direction))), std::string(),
           std::string()};
}

/// Leaves the line that names the correspondence tables built in: their
/// revision and checksum.
VARVE_EXPORT(varve_tables_identity) void varve_tables_identity() {
  texts = {std::string(chronology::kTablesIdentity), std::string(), std::string()};
}

/// Converts the input as the number boxes' texts, the first, NUL and the
/// second (the input without a NUL is the first alone); returns a
/// wasm::LookupStatus.
/// Leaves the records and the rows when converted (a span's account and rows),
/// else the message and the ranges; for a span, its first and last number
/// ("first last") third.
VARVE_EXPORT(varve_lookup) std::int32_t varve_lookup(std::int32_t direction) {
  std::string_view typed = input;
  std::size_t nul = typed.find('\0');
  std::string_view last =
      nul == std::string_view::npos ? std::string_view() : typed.substr(nul + 1);
  wasm::LookupResult result =
      wasm::lookup_boxes(direction_of(direction), typed.substr(0, nul), last);
  bool span = result.status == wasm::LookupStatus::kSpan ||
              result.status == wasm::LookupStatus::kSpanNotConverted;
  std::string ends =
      span ? std::to_string(result.span.first) + " " + std::to_string(result.span.last) : "";
  if (result.status == wasm::LookupStatus::kConverted ||
      result.status == wasm::LookupStatus::kSpan) {
    texts = {std::move(result.records), std::move(result.rows), std::move(ends)};
  } else {
    texts = {std::move(result.message), std::move(result.ranges), std::move(ends)};
  }
  return static_cast<std::int32_t>(result.status);
}

/// Converts the input as a paste, a paste mixing lines of one and of several
/// values as `choice` (a wasm::PasteChoice) says; returns its
/// wasm::PasteReading, plus 8 when a token was skipped or a line was not a
/// whole number. Leaves the rows, the messages, and "first_one first_several
/// quoted" (the first lines holding one and several values, 0 for none, and 1
/// when a quoted cell held a line break).
VARVE_EXPORT(varve_convert_paste)
std::int32_t varve_convert_paste(std::int32_t direction, std::int32_t format, std::int32_t choice) {
  wasm::PasteResult result =
      wasm::convert_paste(direction_of(direction), static_cast<wasm::ListFormat>(format), input,
                          static_cast<wasm::PasteChoice>(choice));
  std::string layout = std::to_string(result.first_one) + " " +
                       std::to_string(result.first_several) + " " +
                       (result.quoted_breaks ? "1" : "0");
  texts = {std::move(result.converted.rows), std::move(result.converted.messages),
           std::move(layout)};
  return static_cast<std::int32_t>(result.reading) + (result.converted.bad ? 8 : 0);
}

/// Reads row `header_row` (from 1) of the input as a file's; returns its number of cells,
/// or -1 when the file's encoding is not read. Leaves the cells, why the
/// encoding is not read, and the numbers of the cells that name varve numbers.
VARVE_EXPORT(varve_first_row) std::int32_t varve_first_row(std::int32_t header_row) {
  wasm::FirstRow row =
      wasm::first_row(input, static_cast<std::size_t>(std::max<std::int32_t>(header_row, 1)));
  texts = {std::move(row.cells), std::move(row.error), std::move(row.suggested)};
  return row.count;
}

/// Converts column `column` (from 1) of the input as a file, its header row
/// `header_row` (from 1; 0 for none), or with `other_end` (from 1; 0 for
/// none) the two columns as an interval's ends; returns the outcome of
/// wasm::convert_file. Leaves the file, the messages and the preview.
VARVE_EXPORT(varve_convert_file)
std::int32_t varve_convert_file(std::int32_t direction, std::int32_t column,
                                std::int32_t header_row, std::int32_t other_end) {
  wasm::FileResult result =
      wasm::convert_file(direction_of(direction), column, header_row, input, other_end);
  texts = {std::move(result.file), std::move(result.messages), std::move(result.preview)};
  return result.outcome;
}

/// Leaves the columns a conversion adds in `direction`, as wasm::added_columns
/// gives them: a line each, its name, a tab and what its cells hold (n, t or
/// b), and for text the texts of its codes.
VARVE_EXPORT(varve_added_columns) void varve_added_columns(std::int32_t direction) {
  texts = {wasm::added_columns(direction_of(direction)), std::string(), std::string()};
}

/// Leaves the names of the columns converting column `column` (from 1) of a
/// sheet adds (with `other_end`, from 1, the two as an interval's ends; 0 for
/// none), its header row's cells the input, each ended by NUL
/// (wasm::planned_names); none when a column is beyond the row.
VARVE_EXPORT(varve_planned_names)
void varve_planned_names(std::int32_t direction, std::int32_t column, std::int32_t other_end) {
  texts = {wasm::planned_names(direction_of(direction), column, input, other_end), std::string(),
           std::string()};
}

/// Leaves the columns an interval adds in `direction`, as
/// wasm::interval_columns gives them: a line each, its name, a tab and what
/// its cells hold (n, t or b).
VARVE_EXPORT(varve_interval_columns) void varve_interval_columns(std::int32_t direction) {
  texts = {wasm::interval_columns(direction_of(direction)), std::string(), std::string()};
}

/// Reads the input as a sheet's header row, its cells each ended by NUL;
/// returns the number of cells. Leaves the cells, nothing, and the numbers of
/// the cells that name varve numbers.
VARVE_EXPORT(varve_header_row) std::int32_t varve_header_row() {
  wasm::FirstRow row = wasm::header_row(input);
  texts = {std::move(row.cells), std::string(), std::move(row.suggested)};
  return row.count;
}

/// Converts the input as a workbook column's cells (see wasm::convert_cells);
/// returns the number of cells not converted. Leaves the typed added columns
/// (their int32 values in the machine's order, column after column) and the
/// messages.
VARVE_EXPORT(varve_convert_cells) std::int32_t varve_convert_cells(std::int32_t direction) {
  wasm::CellsResult result = wasm::convert_cells(direction_of(direction), input);
  std::string columns(result.columns.size() * sizeof(std::int32_t), '\0');
  std::memcpy(columns.data(), result.columns.data(), columns.size());
  texts = {std::move(columns), std::move(result.messages)};
  return result.invalid;
}

/// Converts the input as the pairs of a workbook's interval ends (see
/// wasm::convert_interval_cells); returns the number of intervals not
/// converted. Leaves the typed added columns (as varve_convert_cells), the
/// messages, and the texts the text columns' codes stand for, each ended by
/// NUL.
VARVE_EXPORT(varve_convert_interval_cells)
std::int32_t varve_convert_interval_cells(std::int32_t direction) {
  wasm::CellsResult result = wasm::convert_interval_cells(direction_of(direction), input);
  std::string columns(result.columns.size() * sizeof(std::int32_t), '\0');
  std::memcpy(columns.data(), result.columns.data(), columns.size());
  std::string code_texts;
  for (const std::string& text : result.texts) {
    code_texts.append(text).push_back('\0');
  }
  texts = {std::move(columns), std::move(result.messages), std::move(code_texts)};
  return result.invalid;
}

/// Checks the input as an XML document in UTF-8 (see wasm::xml_fault);
/// returns 1 when it is not well-formed, else 0. Leaves why it is not.
VARVE_EXPORT(varve_xml_fault) std::int32_t varve_xml_fault() {
  std::optional<std::string> fault = wasm::xml_fault(input);
  texts = {fault.value_or(std::string()), std::string(), std::string()};
  return fault ? 1 : 0;
}

/// Drops the part, its deflate data and its check: the next piece starts a
/// new part.
VARVE_EXPORT(varve_part_clear) void varve_part_clear() {
  part = Part();
  part_deflater.reset();
  part_check = wasm::XmlCheck();
}

/// Room for `size` more bytes at the end of the part: where they go. The
/// part's earlier bytes stay, though they may move.
VARVE_EXPORT(varve_part_space) char* varve_part_space(std::int32_t size) {
  return part.extend(static_cast<std::size_t>(std::max<std::int32_t>(size, 0)));
}

/// Deflates and checks what of the part can be so far (see
/// wasm::Deflater::feed and wasm::XmlCheck::feed).
VARVE_EXPORT(varve_part_deflate) void varve_part_deflate() {
  if (!part_deflater) {
    part_deflater = std::make_unique<wasm::Deflater>();
  }
  part_deflater->feed(part.bytes());
  part_check.feed(part.bytes());
}

/// Ends the part's deflate data; returns the part's CRC-32 (its bits as an
/// int32). Leaves the deflate data (raw, RFC 1951). The part stays; deflating
/// it again starts from its beginning.
VARVE_EXPORT(varve_part_finish) std::int32_t varve_part_finish() {
  if (!part_deflater) {
    part_deflater = std::make_unique<wasm::Deflater>();
  }
  part_deflater->finish(part.bytes());
  std::uint32_t crc = part_deflater->crc();
  // Moved rather than copied: the data of a part that does not compress is
  // as large as the part.
  texts = {part_deflater->take_data(), std::string(), std::string()};
  part_deflater.reset();
  return static_cast<std::int32_t>(crc);
}

/// Checks the part as an XML document in UTF-8 (see wasm::xml_fault), the
/// rest of it after what varve_part_deflate checked; returns 1 when it is
/// not well-formed, else 0. Leaves why it is not.
VARVE_EXPORT(varve_part_check) std::int32_t varve_part_check() {
  std::optional<std::string> fault = part_check.finish(part.bytes());
  // Checked again from the start if asked again: a check finishes once.
  part_check = wasm::XmlCheck();
  texts = {fault.value_or(std::string()), std::string(), std::string()};
  return fault ? 1 : 0;
}

/// The part's length in bytes (its bits as an int32: a part of 2 GB or more
/// reads as negative).
VARVE_EXPORT(varve_part_size) std::int32_t varve_part_size() {
  return static_cast<std::int32_t>(part.bytes().size());
}

/// Draws the chart of `direction`: marking the number `first` when `marked`
/// is 1, shading the span `first`-`last` when it is 2. Leaves the SVG.
VARVE_EXPORT(varve_chart)
void varve_chart(std::int32_t direction, std::int32_t marked, std::int32_t first,
                 std::int32_t last) {
  std::optional<chronology::GivenNumber> mark;
  std::optional<chronology::GivenRange> span;
  if (marked == 1) {
    mark = first;
  } else if (marked == 2) {
    span = chronology::GivenRange{first, last};
  }
  texts = {wasm::chart(direction_of(direction), mark, span), std::string(), std::string()};
}
