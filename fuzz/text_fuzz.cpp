// libFuzzer target: arbitrary bytes through the text decoder (UTF-16 or bytes)
// and the line mode, fed in pieces of odd sizes, checking that
// - the pieces' size changes neither the text, nor the fault, nor the rows;
// - UTF-16 that decodes comes back byte for byte when encoded again;
// - the line mode gives exactly one row per line, by a simple count of the
//   line ends;
// - every line's cell reads the same when read again from the number it gave.
//
// The first byte chooses the run: its low four bits the size of each piece
// (odd, 1 to 31), the next bit the direction, the top bits a byte-order mark
// put before the rest (none, UTF-16 LE, UTF-16 BE, UTF-8). The rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/line_mode.h"
#include "batch/text_encoding.h"
#include "chronology/cell.h"
#include "invariant.h"

namespace {

struct Decoded {
  std::string text;
  bool good = true;
  std::string error;
  batch::TextEncoding encoding = batch::TextEncoding::kUnknown;
};

Decoded decode(std::string_view bytes, std::size_t piece) {
  batch::TextDecoder decoder;
  Decoded d;
  for (std::size_t at = 0; at < bytes.size() && d.good; at += piece) {
    d.good = decoder.feed(bytes.substr(at, piece), d.text);
  }
  d.good = d.good && decoder.finish(d.text);
  d.error = decoder.error();
  d.encoding = decoder.encoding();
  return d;
}

std::string rows(chronology::Direction direction, std::string_view text, std::size_t piece,
                 std::size_t& count) {
  std::string out;
  batch::LineMode mode(batch::Format::kTsv, direction, [](std::string_view) {});
  for (std::size_t at = 0; at < text.size(); at += piece) {
    mode.feed(text.substr(at, piece), out);
  }
  mode.finish(out);
  count = mode.rows();
  return out;
}

/// The lines of `text` by the plain rule: LF, CR LF or a lone CR ends one,
/// and a last line without a line end counts; a UTF-8 byte-order mark at the
/// start is no part of any.
std::size_t count_lines(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  std::size_t lines = 0;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      ++lines;
      open = false;
      i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    } else {
      open = true;
    }
  }
  return lines + open;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::uint8_t choice = data[0];
  std::size_t piece = 2 * (choice & 15) + 1;
  auto direction = choice & 16 ? chronology::Direction::kAmToNe : chronology::Direction::kNeToAm;
  static constexpr std::string_view kMarks[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
  std::string input = std::string(kMarks[(choice >> 5) & 3]) +
                      std::string(reinterpret_cast<const char*>(data + 1), size - 1);

  Decoded whole = decode(input, input.size() + 1);
  Decoded pieces = decode(input, piece);
  if (pieces.text != whole.text || pieces.good != whole.good || pieces.error != whole.error ||
      pieces.encoding != whole.encoding) {
    fail("the pieces' size changed the decoding", whole.text + "\n----\n" + pieces.text);
  }
  if (whole.good) {
    batch::TextEncoder encoder(whole.encoding);
    std::string back;
    for (std::size_t at = 0; at < whole.text.size(); at += piece) {
      encoder.encode(std::string_view(whole.text).substr(at, piece), back);
    }
    if (back != input) {
      fail("the input does not come back", input + "\n----\n" + back);
    }
  }

  std::size_t whole_count = 0, piece_count = 0;
  std::string whole_rows = rows(direction, whole.text, whole.text.size() + 1, whole_count);
  if (rows(direction, whole.text, piece, piece_count) != whole_rows || piece_count != whole_count) {
    fail("the pieces' size changed the rows", whole_rows);
  }
  if (whole_count != count_lines(whole.text)) {
    fail("a row for each line", whole.text + "\n----\n" + whole_rows);
  }

  // Each line read again from the number it gave reads as that number.
  std::string_view text = whole.text;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find_first_of("\r\n", at);
    end = end == std::string_view::npos ? text.size() : end;
    chronology::Cell cell = chronology::read_cell(text.substr(at, end - at));
    if (cell.kind == chronology::CellKind::kNumber &&
        chronology::read_cell(std::to_string(cell.number)) != cell) {
      fail("a number that reads as another", std::string(text.substr(at, end - at)));
    }
    at = end + 1;
  }
  return 0;
}
