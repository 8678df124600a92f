// The exports as the page calls them: input written into the buffer, one
// call, and its texts read back; each compared with the call of calls.h it
// hands on, so that what is checked here is the passing of bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "wasm/calls.h"
#include "wasm/crc32.h"
#include "wasm/deflate.h"

extern "C" {
char* varve_input(std::int32_t size);
const char* varve_text(std::int32_t i);
std::int32_t varve_text_size(std::int32_t i);
std::int32_t varve_lookup(std::int32_t direction);
std::int32_t varve_convert_paste(std::int32_t direction, std::int32_t format, std::int32_t choice);
std::int32_t varve_first_row(std::int32_t header_row);
std::int32_t varve_convert_cells(std::int32_t direction);
std::int32_t varve_convert_interval_cells(std::int32_t direction);
void varve_part_clear();
char* varve_part_space(std::int32_t size);
void varve_part_deflate();
std::int32_t varve_part_finish();
std::int32_t varve_part_check();
std::int32_t varve_part_size();
}

namespace wasm {
namespace {

using namespace std::string_literals;
using chronology::Direction;

void put(const std::string& input) {
  std::memcpy(varve_input(static_cast<std::int32_t>(input.size())), input.data(), input.size());
}

std::string text(std::int32_t i) {
  return std::string(varve_text(i), static_cast<std::size_t>(varve_text_size(i)));
}

std::string bytes_of(const std::vector<std::int32_t>& values) {
  std::string bytes(values.size() * sizeof(std::int32_t), '\0');
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

TEST(Exports, LookupSplitsTheBoxesAtNulAndLeavesItsTexts) {
  struct Case {
    std::string input;
    std::string first, last;  ///< The two boxes, as lookup_boxes takes them.
    std::string ends;         ///< A span's first and last number.
  };
  const std::vector<Case> cases = {
      {"3021", "3021", "", ""},
      {"3021\0"s, "3021", "", ""},
      {"3021\0"
       "4282"s,
       "3021", "4282", "3021 4282"},
      {"\0"
       "4282"s,
       "", "4282", ""},
      {"9999\0"
       "10000"s,
       "9999", "10000", "9999 10000"},
      {"x", "x", "", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    put(c.input);
    auto status = static_cast<LookupStatus>(varve_lookup(1));
    LookupResult expected = lookup_boxes(Direction::kAmToNe, c.first, c.last);
    ASSERT_EQ(status, expected.status) << c.input;
    bool converted = status == LookupStatus::kConverted || status == LookupStatus::kSpan;
    EXPECT_EQ(text(0), converted ? expected.records : expected.message) << c.input;
    EXPECT_EQ(text(1), converted ? expected.rows : expected.ranges) << c.input;
    EXPECT_EQ(text(2), c.ends) << c.input;
  }
  // A text beyond the three is the nearest one.
  EXPECT_EQ(text(-1), text(0));
  EXPECT_EQ(text(3), text(2));
}

TEST(Exports, PasteAddsEightWhenSomethingWasNotConverted) {
  for (const std::string paste : {"3021\n4282\n", "3021\nx\n", "3021\n4282 6500\n", ""}) {
    put(paste);
    std::int32_t answer = varve_convert_paste(0, 1, 0);
    PasteResult expected = convert_paste(Direction::kNeToAm, ListFormat::kCsv, paste);
    EXPECT_EQ(answer,
              static_cast<std::int32_t>(expected.reading) + (expected.converted.bad ? 8 : 0))
        << paste;
    EXPECT_EQ(text(0), expected.converted.rows) << paste;
    EXPECT_EQ(text(2), std::to_string(expected.first_one) + " " +
                           std::to_string(expected.first_several) + " " +
                           (expected.quoted_breaks ? "1" : "0"))
        << paste;
  }
}

TEST(Exports, FirstRowIsRowOneAtTheLeast) {
  const std::string file = "title\nid,ne varve\nA,3021\n";
  for (std::int32_t header_row : {-3, 0, 1, 2}) {
    put(file);
    FirstRow expected = first_row(file, header_row < 1 ? 1 : static_cast<std::size_t>(header_row));
    EXPECT_EQ(varve_first_row(header_row), expected.count) << header_row;
    EXPECT_EQ(text(0), expected.cells) << header_row;
    EXPECT_EQ(text(2), expected.suggested) << header_row;
  }
}

TEST(Exports, WorkbookCellsComeBackAsTheirInt32sAndTexts) {
  const std::string cells = "A1\tt6245\0A2\tt3021\0A3\ttx\0A4\t\0"s;
  put(cells);
  CellsResult expected = convert_cells(Direction::kAmToNe, cells);
  EXPECT_EQ(varve_convert_cells(1), expected.invalid);
  EXPECT_EQ(text(0), bytes_of(expected.columns));
  EXPECT_EQ(text(1), expected.messages);
  EXPECT_EQ(text(2), "");

  const std::string ends = "A1\tt3021\0B1\tt4282\0A2\tt6500\0B2\tt3021\0"s;
  put(ends);
  expected = convert_interval_cells(Direction::kNeToAm, ends);
  ASSERT_FALSE(expected.texts.empty());
  EXPECT_EQ(varve_convert_interval_cells(0), expected.invalid);
  EXPECT_EQ(text(0), bytes_of(expected.columns));
  EXPECT_EQ(text(1), expected.messages);
  std::string code_texts;
  for (const std::string& t : expected.texts) {
    code_texts += t + '\0';
  }
  EXPECT_EQ(text(2), code_texts);
}

/// Writes `pieces` into the part, deflating after each when `deflate` is set.
void write_part(const std::vector<std::string>& pieces, bool deflate) {
  varve_part_clear();
  for (const std::string& piece : pieces) {
    std::memcpy(varve_part_space(static_cast<std::int32_t>(piece.size())), piece.data(),
                piece.size());
    if (deflate) {
      varve_part_deflate();
    }
  }
}

TEST(Exports, APartWrittenInPiecesIsDeflatedCheckedAndClearedWhole) {
  const std::vector<std::string> pieces = {"<a>", std::string(5000, 'x'), "<b/>", "", "</a>"};
  std::string whole;
  for (const std::string& piece : pieces) {
    whole += piece;
  }
  Deflater deflater;
  deflater.finish(whole);
  for (bool deflate : {true, false}) {
    // A part written before is dropped by the clear.
    write_part({"<left-over>"}, true);
    write_part(pieces, deflate);
    EXPECT_EQ(varve_part_size(), static_cast<std::int32_t>(whole.size()));
    EXPECT_EQ(varve_part_check(), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(varve_part_finish()), crc32(0, whole));
    EXPECT_EQ(text(0), deflater.data());
    // Finished again, the part is deflated again from its beginning.
    EXPECT_EQ(static_cast<std::uint32_t>(varve_part_finish()), crc32(0, whole));
    EXPECT_EQ(text(0), deflater.data());
  }
  write_part({"<a>", "</b>"}, false);
  EXPECT_EQ(varve_part_check(), 1);
  EXPECT_EQ(text(0), "</b> where </a> belongs (line 1)");
}

}  // namespace
}  // namespace wasm
