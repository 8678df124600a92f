#include "wasm/calls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace wasm {
namespace {

using chronology::Direction;

/// The added cells of `row` of a workbook result as the page writes them,
/// each after a tab, read from the typed columns by the kinds `columns` lists
/// (added_columns or interval_columns): a text by its column's code texts, or
/// by the result's own texts where the column lists none.
std::string added_text(const CellsResult& result, const std::string& columns, std::size_t row) {
  std::string text;
  std::size_t k = 0;
  for (std::size_t at = 0; at < columns.size(); ++k) {
    std::size_t end = columns.find('\n', at);
    std::vector<std::string> fields;
    for (std::size_t from = at; from <= end;) {
      std::size_t tab = std::min(columns.find('\t', from), end);
      fields.emplace_back(columns.substr(from, tab - from));
      from = tab + 1;
    }
    at = end + 1;
    std::int32_t value = result.columns.at(k * static_cast<std::size_t>(result.count) + row);
    text.push_back('\t');
    if (value == kMissing)
      continue;
    if (fields[1] == "n") {
      text.append(std::to_string(value));
    } else if (fields[1] == "b") {
      text.append(value != 0 ? "true" : "false");
    } else {
      std::size_t code = static_cast<std::size_t>(value);
      text.append(fields.size() > 2 ? fields.at(2 + code) : result.texts.at(code));
    }
  }
  return text;
}

TEST(Lookup, AnswersEachKindOfText) {
  struct Case {
    Direction direction;
    std::string typed;
    LookupStatus status;
    std::string text;    ///< The records when converted, else the message.
    std::string detail;  ///< The rows when converted, else the ranges.
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm, " 3021\t", LookupStatus::kConverted,
       " NE-LC 3021 of Brasko original chronology was\n"
       "  split and now corresponds to AM 3021-3022\n",
       "{\"input\":\"3021\",\"sequence\":\"LC\",\"relation\":\"split\",\"ne_first\":3021,"
       "\"ne_last\":3021,\"am_first\":3021,\"am_last\":3022,\"false_couplets\":false}\n"},
      {Direction::kAmToNe, "+06245", LookupStatus::kConverted,
       " AM 6245 corresponds to: NE-LC 6230 and NE-UC 6562\n", ""},
      {Direction::kNeToAm, "6500", LookupStatus::kOutside,
       "Your NE number is outside the NE ranges. Try again.", "2500-6460\n6560-9000\n"},
      {Direction::kAmToNe, "99999999999", LookupStatus::kOutside,
       "Your AM number is outside the AM range. Try again.", "2500-8700\n"},
      // Read as a cell: a whole number in a column formatted with decimals.
      {Direction::kAmToNe,
       "\xC2\xA0"
       "2500.00 ",
       LookupStatus::kConverted, " AM 2500 corresponds to: NE-LC 2500\n",
       "{\"input\":\"2500\",\"sequence\":\"LC\",\"relation\":\"corresponds\",\"ne_first\":2500,"
       "\"ne_last\":2500,\"am_first\":2500,\"am_last\":2500,\"false_couplets\":false}\n"},
      {Direction::kNeToAm, "12.5", LookupStatus::kNotANumber,
       "Not a whole number: '12.5'. Type digits, with a sign if needed.", ""},
      // Two dashes are neither a number nor a span.
      {Direction::kNeToAm, "5580--5700", LookupStatus::kNotANumber,
       "Not a whole number: '5580--5700'. Type digits, with a sign if needed.", ""},
      {Direction::kNeToAm, "-", LookupStatus::kNotANumber,
       "Not a whole number: '-'. Type digits, with a sign if needed.", ""},
      {Direction::kNeToAm, " 4282? ", LookupStatus::kNotANumber,
       "Not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert it).", ""},
      {Direction::kAmToNe, "4,282", LookupStatus::kNotANumber,
       "Not a whole number: '4,282' (a thousands separator? write 4282 without one to convert "
       "it).",
       ""},
      {Direction::kNeToAm,
       "30\x01"
       "21",
       LookupStatus::kNotANumber,
       "Not a whole number: '30\\x0121'. Type digits, with a sign if needed.", ""},
      {Direction::kNeToAm, " \r\n\xC2\xA0", LookupStatus::kEmpty, "", ""},
  };
  for (const Case& c : cases) {
    LookupResult result = lookup(c.direction, c.typed);
    EXPECT_EQ(result.status, c.status) << c.typed;
    bool converted = c.status == LookupStatus::kConverted;
    EXPECT_EQ(converted ? result.records : result.message, c.text) << c.typed;
    EXPECT_EQ(converted ? result.message : result.records, "") << c.typed;
    if (c.typed != "+06245") {
      EXPECT_EQ(converted ? result.rows : result.ranges, c.detail) << c.typed;
    }
    EXPECT_EQ(converted ? result.ranges : result.rows, "") << c.typed;
  }
}

TEST(Lookup, ConvertsASpanWithItsAccountOrSaysWhyNot) {
  struct Case {
    Direction direction;
    std::string typed;
    LookupStatus status;
    chronology::GivenRange span;
    std::string text;  ///< The account: as records when converted, else as the message.
    std::string rows;  ///< When converted.
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm,
       "5673-5680",
       LookupStatus::kSpan,
       {5673, 5680},
       "NE-LC 5673-5680 spans AM 5691-5695\n"
       "  duration: 8 NE varves, 5 AM varves (years)\n"
       "  corrections inside (2):\n"
       "    NE-LC 5672-5676 joined into AM 5691, false annual couplets\n"
       "    NE-LC 5680-5681 joined into AM 5695\n"
       "  the first end is not exact: NE-LC 5673 lies inside the join NE-LC 5672-5676\n"
       "    (AM 5691), which also holds NE-LC 5672, before the span\n"
       "  the last end is not exact: NE-LC 5680 lies inside the join NE-LC 5680-5681\n"
       "    (AM 5695), which also holds NE-LC 5681, after the span\n",
       "{\"input\":\"5673-5680\",\"sequence\":\"LC\",\"relation\":\"span\",\"ne_first\":5673,"
       "\"ne_last\":5680,\"am_first\":5691,\"am_last\":5695,\"false_couplets\":true}\n"},
      // An en dash with blanks around it, as a paper writes it; one row per sequence.
      {Direction::kAmToNe,
       " 6200 \xE2\x80\x93 6300 ",
       LookupStatus::kSpan,
       {6200, 6300},
       "AM 6200-6300 spans NE-LC 6185-6285\n"
       "  duration: 101 AM varves (years), 101 NE varves\n"
       "  no corrections inside: one NE varve to each AM varve\n"
       "AM 6245-6300 spans NE-UC 6562-6617 (NE-UC covers no AM varve before 6245)\n"
       "  duration: 56 AM varves (years), 56 NE varves\n"
       "  no corrections inside: one NE varve to each AM varve\n",
       "{\"input\":\"6200-6300\",\"sequence\":\"LC\",\"relation\":\"span\",\"ne_first\":6185,"
       "\"ne_last\":6285,\"am_first\":6200,\"am_last\":6300,\"false_couplets\":false}\n"
       "{\"input\":\"6200-6300\",\"sequence\":\"UC\",\"relation\":\"span\",\"ne_first\":6562,"
       "\"ne_last\":6617,\"am_first\":6245,\"am_last\":6300,\"false_couplets\":false}\n"},
      // One varve as a span is still a span.
      {Direction::kNeToAm,
       "3021-3021",
       LookupStatus::kSpan,
       {3021, 3021},
       "NE-LC 3021 spans AM 3021-3022\n"
       "  duration: 1 NE varve, 2 AM varves (years)\n"
       "  corrections inside (1):\n"
       "    NE-LC 3021 split into AM 3021-3022\n",
       "{\"input\":\"3021-3021\",\"sequence\":\"LC\",\"relation\":\"span\",\"ne_first\":3021,"
       "\"ne_last\":3021,\"am_first\":3021,\"am_last\":3022,\"false_couplets\":false}\n"},
      {Direction::kNeToAm,
       "6400-6500",
       LookupStatus::kSpanNotConverted,
       {6400, 6500},
       "NE 6400-6500 is not converted:\n"
       "  its last end, NE 6500, lies in the gap between NE-LC 2500-6460 and NE-UC 6560-9000\n"
       "  the part inside: NE-LC 6400-6460",
       ""},
      {Direction::kNeToAm, "6600-6400", LookupStatus::kSpanNotConverted, {6400, 6600}, "", ""},
  };
  for (const Case& c : cases) {
    LookupResult result = lookup(c.direction, c.typed);
    EXPECT_EQ(result.status, c.status) << c.typed;
    EXPECT_EQ(result.span.first, c.span.first) << c.typed;
    EXPECT_EQ(result.span.last, c.span.last) << c.typed;
    bool converted = c.status == LookupStatus::kSpan;
    const std::string& text = converted ? result.records : result.message;
    if (c.text.empty()) {
      // The account's own words are the engine's; here, only that it says why.
      EXPECT_TRUE(text.starts_with("NE 6400-6600 is not converted:\n  ")) << text;
      EXPECT_FALSE(text.ends_with("\n")) << text;
    } else {
      EXPECT_EQ(text, c.text) << c.typed;
    }
    EXPECT_EQ(converted ? result.message : result.records, "") << c.typed;
    EXPECT_EQ(result.rows, c.rows) << c.typed;
    EXPECT_EQ(result.ranges, "") << c.typed;
  }
}

TEST(Lookup, ReadsEachNumberBoxByTheCellRule) {
  struct Case {
    std::string first;
    std::string last;
    std::string same_as;  ///< The one box's text that gives the same result, or "".
    std::string message;  ///< Else the message.
  };
  const std::vector<Case> cases = {
      {"5580", "5700", "5580-5700", ""},
      {" 5580 ", "\t5700", "5580-5700", ""},
      {"6245", " ", "6245", ""},
      {"5580-5700", "", "5580-5700", ""},
      // Top first, as core logs list an interval: the same span, smaller end first.
      {"5700", "5580", "5580-5700", ""},
      {"6600", "6400", "6400-6600", ""},
      // A sign is no part of a span written with a dash, but a box holds a
      // number read by the cell rule, so the span from it is converted or
      // refused as any span is.
      {"+5580", "5700", "5580-5700", ""},
      {"", "5700", "", "Type the first NE number of the span in the first box."},
      {"5580-5600", "5700", "",
       "The first box holds a span already: leave the second box empty, or type the first number "
       "alone."},
      {"x", "5700", "", "Not a whole number: 'x'. Type digits, with a sign if needed."},
      {"5580", "5,700", "",
       "In the second box: not a whole number: '5,700' (a thousands separator? write 5700 "
       "without one to convert it)."},
  };
  for (const Case& c : cases) {
    LookupResult got = lookup_boxes(Direction::kNeToAm, c.first, c.last);
    if (c.same_as.empty()) {
      EXPECT_EQ(got.status, LookupStatus::kNotANumber) << c.first << " " << c.last;
      EXPECT_EQ(got.message, c.message) << c.first << " " << c.last;
      continue;
    }
    LookupResult want = lookup(Direction::kNeToAm, c.same_as);
    EXPECT_EQ(got.status, want.status) << c.first << " " << c.last;
    EXPECT_EQ(got.records, want.records) << c.first << " " << c.last;
    EXPECT_EQ(got.message, want.message) << c.first << " " << c.last;
    EXPECT_EQ(got.span.first, want.span.first) << c.first << " " << c.last;
    EXPECT_EQ(got.span.last, want.span.last) << c.first << " " << c.last;
  }
}

TEST(ConvertList, ConvertsEveryGoodTokenAndReportsTheBad) {
  ListResult list = convert_list(Direction::kNeToAm, ListFormat::kCsv,
                                 "# core 7\n3021;x\r\n\n6500 1e3 # 12.5\n\x1b");
  EXPECT_TRUE(list.bad);
  EXPECT_EQ(list.rows,
            "input,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets\n"
            "3021,LC,split,3021,3021,3021,3022,false\n"
            "6500,,outside,,,,,\n");
  EXPECT_EQ(list.messages,
            "line 2: not a whole number: 'x'\n"
            "line 4: not a whole number: '1e3'\n"
            "line 5: not a whole number: '\\x1B'\n");
  // The same list in TSV, from the other cached table of rows.
  list = convert_list(Direction::kNeToAm, ListFormat::kTsv, "3021");
  EXPECT_FALSE(list.bad);
  EXPECT_EQ(list.rows,
            "input\tsequence\trelation\tne_first\tne_last\tam_first\tam_last\tfalse_couplets\n"
            "3021\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse\n");
  EXPECT_EQ(list.messages, "");
}

}  // namespace
}  // namespace wasm

namespace wasm {
namespace {

TEST(File, ReadsTheHeaderAndConvertsTheColumnPicked) {
  const std::string file = "sample;\"depth; m\";ne\r\nA;1,5;3021\r\n\"B \"\"x\"\"\";2;n/a\r\n";
  FirstRow row = first_row(file);
  EXPECT_EQ(row.count, 3);
  EXPECT_EQ(row.cells, "sample\ndepth; m\nne\n");
  EXPECT_EQ(row.suggested, "3\n");
  FileResult converted = convert_file(chronology::Direction::kNeToAm, 3, true, file);
  EXPECT_EQ(converted.outcome, 1);
  EXPECT_EQ(converted.file,
            "sample;\"depth; m\";ne;sequence;relation;ne_first;ne_last;am_first;am_last;"
            "false_couplets\r\n"
            "A;1,5;3021;LC;split;3021;3021;3021;3022;false\r\n"
            "\"B \"\"x\"\"\";2;n/a;;invalid;;;;;\r\n");
  EXPECT_NE(converted.messages.find("n/a"), std::string::npos) << converted.messages;
  EXPECT_EQ(convert_file(chronology::Direction::kNeToAm, 3, true, "ne\n\"3021\n").outcome, 2);
}

}  // namespace
}  // namespace wasm

namespace wasm {
namespace {

using chronology::Direction;

TEST(Paste, AMixedPasteIsReadOnlyAsTheUserChose) {
  const std::string mixed = "3021\n\n4282 4283\n5674\n\n6300\n";
  PasteResult asked = convert_paste(Direction::kNeToAm, ListFormat::kTsv, mixed);
  EXPECT_EQ(asked.reading, PasteReading::kAsk);
  EXPECT_EQ(asked.first_one, 1u);
  EXPECT_EQ(asked.first_several, 3u);
  EXPECT_EQ(asked.converted.rows, "");
  PasteResult column =
      convert_paste(Direction::kNeToAm, ListFormat::kTsv, mixed, PasteChoice::kColumn);
  EXPECT_EQ(column.reading, PasteReading::kLines);
  EXPECT_EQ(column.converted.rows, convert_lines(Direction::kNeToAm, ListFormat::kTsv, mixed).rows);
  PasteResult list = convert_paste(Direction::kNeToAm, ListFormat::kTsv, mixed, PasteChoice::kList);
  EXPECT_EQ(list.reading, PasteReading::kList);
  EXPECT_EQ(list.converted.rows, convert_list(Direction::kNeToAm, ListFormat::kTsv, mixed).rows);
  // A choice never changes a paste that is plainly one or the other.
  EXPECT_EQ(
      convert_paste(Direction::kNeToAm, ListFormat::kTsv, "3021\n4282", PasteChoice::kList).reading,
      PasteReading::kLines);
  EXPECT_EQ(convert_paste(Direction::kNeToAm, ListFormat::kTsv, "3021\t4282", PasteChoice::kColumn)
                .reading,
            PasteReading::kTable);
}

TEST(File, ConvertsAnotherColumnOfAConvertedFileBelowItsTitleUnderNamesOfItsOwn) {
  const std::string file = "Hatfield, 2019\nid,ne,am\nA,3021,5691\n";
  EXPECT_EQ(first_row(file, 2).cells, "id\nne\nam\n");
  FileResult once = convert_file(Direction::kNeToAm, 2, 2, file);
  EXPECT_EQ(once.outcome, 0);
  FileResult twice = convert_file(Direction::kAmToNe, 3, 2, once.file);
  EXPECT_EQ(twice.outcome, 0) << twice.messages;
  EXPECT_EQ(twice.file,
            "Hatfield, 2019\n"
            "id,ne,am,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets,"
            "am_lc_relation,am_lc_first,am_lc_last,am_uc_relation,am_uc_first,am_uc_last,"
            "am_false_couplets\n"
            "A,3021,5691,LC,split,3021,3021,3021,3022,false,joined,5672,5676,,,,true\n");
}

TEST(File, SuggestsTheColumnsNamedAsVarveNumbers) {
  struct Case {
    std::string header;
    bool names;
  };
  const std::vector<Case> cases = {
      {"NE varve", true},  {"ne_varve", true},  {"AM", true},      {"varves (am)", true},
      {"Varve No.", true}, {"LC", true},        {"NEvarve", true}, {"name", false},
      {"sample", false},   {"depth_cm", false}, {"amount", false}, {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(names_varve_numbers(c.header), c.names) << c.header;
  }
}

/// `text` (ASCII) in UTF-16 LE with its byte-order mark.
std::string utf16le(std::string_view text) {
  std::string out = "\xFF\xFE";
  for (char c : text) {
    out.append(1, c).append(1, '\0');
  }
  return out;
}

TEST(File, ReadsUtf16CutShortUpToItsLastWholeCharacter) {
  // The page's tests compare a whole UTF-16 file with varve-batch; here, one
  // whose last character lost a byte still names its columns, and converts
  // up to the cut, saying so.
  const std::string file = utf16le("sample\tNE varve\r\nA\t3021\r\n");
  FileResult whole = convert_file(Direction::kNeToAm, 2, true, file);
  EXPECT_EQ(whole.outcome, 0);
  FirstRow row = first_row(file + "x");
  EXPECT_EQ(row.count, 2);
  EXPECT_EQ(row.cells, "sample\nNE varve\n");
  FileResult cut = convert_file(Direction::kNeToAm, 2, true, file + "x");
  EXPECT_EQ(cut.outcome, 2);
  EXPECT_EQ(cut.file, whole.file);
  EXPECT_NE(cut.messages.find("odd number of bytes"), std::string::npos) << cut.messages;
}

TEST(File, RefusesEncodingsItDoesNotRead) {
  const std::string utf32("\xFF\xFE\0\0n\0\0\0e\0\0\0", 12);
  const std::string no_mark("n\0e\0\n\0", 6);
  for (const std::string& file : {utf32, no_mark}) {
    FirstRow row = first_row(file);
    EXPECT_EQ(row.count, -1);
    EXPECT_NE(row.error.find(file == utf32 ? "UTF-32" : "NUL bytes"), std::string::npos)
        << row.error;
    FileResult converted = convert_file(Direction::kNeToAm, 1, true, file);
    EXPECT_EQ(converted.outcome, 2);
    EXPECT_EQ(converted.file, "");
  }
}

TEST(File, ShowsTheHeaderSafelyAndPreviewsTheFirstLines) {
  FirstRow row = first_row("\xEF\xBB\xBF\"a\nb\",ne\n");
  EXPECT_EQ(row.count, 2);
  EXPECT_EQ(row.cells, "a\\x0Ab\nne\n");
  EXPECT_EQ(row.suggested, "2\n");
  std::string file = "ne\r";
  for (int i = 0; i < 60; ++i) {
    file += "3021\r";
  }
  FileResult converted = convert_file(Direction::kNeToAm, 1, true, file);
  EXPECT_EQ(converted.outcome, 0);
  std::string preview = "ne,sequence,relation,ne_first,ne_last,am_first,am_last,false_couplets\n";
  for (std::size_t i = 1; i < kPreviewLines; ++i) {
    preview += "3021,LC,split,3021,3021,3021,3022,false\n";
  }
  EXPECT_EQ(converted.preview, preview + "\xE2\x80\xA6\n");
}

}  // namespace
}  // namespace wasm

namespace wasm {
namespace {

TEST(Workbook, NamesTheAddedColumnsAndWhatTheyHold) {
  EXPECT_EQ(added_columns(chronology::Direction::kNeToAm),
            "sequence\tt\tLC\tUC\t\n"
            "relation\tt\tcorresponds\tsplit\tjoined\tspan\toutside\tinvalid\t\n"
            "ne_first\tn\nne_last\tn\nam_first\tn\nam_last\tn\nfalse_couplets\tb\n");
  EXPECT_EQ(added_columns(chronology::Direction::kAmToNe),
            "lc_relation\tt\tcorresponds\tsplit\tjoined\tspan\toutside\tinvalid\t\n"
            "lc_first\tn\nlc_last\tn\n"
            "uc_relation\tt\tcorresponds\tsplit\tjoined\tspan\toutside\tinvalid\t\n"
            "uc_first\tn\nuc_last\tn\nfalse_couplets\tb\n");
}

TEST(Workbook, NamesTheAddedColumnsAfterTheColumnWhereTheSheetHasThemAlready) {
  using namespace std::string_literals;
  EXPECT_EQ(planned_names(Direction::kNeToAm, 1, "ne\0x\0"s),
            "sequence\nrelation\nne_first\nne_last\nam_first\nam_last\nfalse_couplets\n");
  EXPECT_EQ(planned_names(Direction::kAmToNe, 2, "ne\0am\0lc_relation\0"s),
            "am_lc_relation\nam_lc_first\nam_lc_last\nam_uc_relation\nam_uc_first\nam_uc_last\n"
            "am_false_couplets\n");
  EXPECT_EQ(planned_names(Direction::kNeToAm, 3, "ne\0am\0"s), "");
}

TEST(Workbook, ReadsTheHeaderRowsCells) {
  FirstRow row = header_row(std::string("sample\0NE varve\0\0depth\x01\0", 24));
  EXPECT_EQ(row.count, 4);
  EXPECT_EQ(row.cells, "sample\nNE varve\n\ndepth\\x01\n");
  EXPECT_EQ(row.suggested, "2\n");
  EXPECT_EQ(header_row("").count, 0);
}

/// A number cell as the page gives it: 'n', the double's bytes and its text.
std::string number_cell(double value, std::string_view text) {
  std::string cell = "n";
  cell.append(reinterpret_cast<const char*>(&value), sizeof value).append(text);
  return cell;
}

TEST(Workbook, ReadsNumberAndTextCellsByTheCellRule) {
  struct Case {
    std::string cell;     ///< As the page gives it, without its name and NUL.
    std::string added;    ///< The added cells, ne-to-am.
    std::string message;  ///< What is said of it, after "A2: ".
  };
  const std::string split = "\tLC\tsplit\t3021\t3021\t3021\t3022\tfalse";
  const std::string invalid = "\t\tinvalid\t\t\t\t\t";
  const std::string outside = "\t\toutside\t\t\t\t\t";
  const std::string empty = "\t\t\t\t\t\t\t";
  const double infinity = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      // Numbers as the workbook stores them, read as a double.
      {number_cell(3021, "3021"), split, ""},
      {number_cell(3021, "3.021E3"), split, ""},
      {number_cell(3021.0000000000005, "3021.0000000000005"), invalid,
       "not a whole number: '3021.0000000000005'"},
      {number_cell(3021.5, "3021.5"), invalid, "not a whole number: '3021.5'"},
      {number_cell(-0.0, "-0"), outside, ""},
      {number_cell(1e300, "1E300"), outside, ""},
      {number_cell(infinity, "0x1F"), invalid, "not a whole number: '0x1F'"},
      {number_cell(std::nan(""), "NaN"), empty, ""},
      // Bytes of a double that are a tab or NUL (3021 has NULs) do not end the cell.
      {number_cell(std::bit_cast<double>(std::uint64_t{0x40A7'9A00'0000'0009}), "3021.0+"), invalid,
       "not a whole number: '3021.0+'"},
      // Text, read as every front end reads a cell's text.
      {"t3021", split, ""},
      {"t 3021.0 ", split, ""},
      {"t3021,0", invalid, "not a whole number: '3021,0'"},
      {"t4,282", invalid,
       "not a whole number: '4,282' (a thousands separator? write 4282 without one to convert "
       "it)"},
      {"t4282?", invalid,
       "not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert it)"},
      {"t", empty, ""},
      {"", empty, ""},
  };
  for (const Case& c : cases) {
    CellsResult result =
        convert_cells(chronology::Direction::kNeToAm, "A2\t" + c.cell + std::string(1, '\0'));
    EXPECT_EQ(added_text(result, added_columns(Direction::kNeToAm), 0), c.added) << c.cell;
    EXPECT_EQ(result.messages, c.message.empty() ? "" : "A2: " + c.message + "\n") << c.cell;
    EXPECT_EQ(result.invalid, c.message.empty() ? 0 : 1) << c.cell;
  }
}

TEST(Workbook, GivesALineForEveryCellAndCountsMessagesPastAHundred) {
  std::string cells;
  for (int i = 0; i < 150; ++i) {
    // Appended piece by piece: GCC 12 warns falsely of an overlap in
    // "B" + std::to_string(...) in optimised builds.
    cells.append("B").append(std::to_string(i + 2)).append("\t");
    cells.append(i % 2 == 0 ? number_cell(6245, "6245") : "tx").push_back('\0');
  }
  CellsResult result = convert_cells(chronology::Direction::kAmToNe, cells);
  EXPECT_EQ(result.count, 150);
  EXPECT_EQ(added_text(result, added_columns(Direction::kAmToNe), 0),
            "\tcorresponds\t6230\t6230\tcorresponds\t6562\t6562\tfalse");
  // The typed columns, column after column: the first cell's values, and the
  // second's, not a whole number, which has only its relation.
  ASSERT_EQ(result.columns.size(), 7u * 150);
  const std::vector<std::int32_t> first = {0, 6230, 6230, 0, 6562, 6562, 0};
  const std::vector<std::int32_t> second = {5, kMissing, kMissing, 5, kMissing, kMissing, kMissing};
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(result.columns[k * 150], first[k]) << k;
    EXPECT_EQ(result.columns[k * 150 + 1], second[k]) << k;
  }
  EXPECT_EQ(result.invalid, 75);
  EXPECT_EQ(std::count(result.messages.begin(), result.messages.end(), '\n'), 75);
  EXPECT_EQ(result.messages.substr(0, result.messages.find('\n')), "B3: not a whole number: 'x'");
  cells.clear();
  for (int i = 0; i < 120; ++i) {
    cells += std::string("A1\ttx") + '\0';
  }
  result = convert_cells(chronology::Direction::kAmToNe, cells);
  EXPECT_EQ(std::count(result.messages.begin(), result.messages.end(), '\n'), 102);
  EXPECT_TRUE(result.messages.ends_with(
      "\n(further cells that are not whole numbers are counted, not listed)\n"
      "120 cells in all were not whole numbers\n"));
}

}  // namespace
}  // namespace wasm

namespace wasm {
namespace {

using chronology::Direction;

TEST(File, ConvertsTwoColumnsAsAnIntervalInEitherOrderAndAgainUnderNamesOfTheirOwn) {
  const std::string file = "core,top_ne,bottom_ne\nA,5700,5580\nD,,5674\n";
  const std::string names =
      "sequence,ne_first,ne_last,am_first,am_last,ne_varves,am_varves,splits,joins,"
      "false_couplets,first_cut,last_cut,not_converted";
  const std::string converted = "LC,5580,5700,5599,5714,121,116,1,3,true,,,";
  FileResult once = convert_file(Direction::kNeToAm, 2, 1, file, 3);
  EXPECT_EQ(once.outcome, 1);
  EXPECT_EQ(once.file,
            "core,top_ne,bottom_ne," + names + "\nA,5700,5580," + converted +
                "\nD,,5674,,,,,,,,,,,,,the first end is empty: an incomplete interval\n");
  EXPECT_EQ(once.messages, "line 3, column 2: the first end is empty: an incomplete interval\n");
  // The same two columns again, bottom first: the same interval, under names
  // after its two columns, beside the first conversion's cells.
  FileResult twice = convert_file(Direction::kNeToAm, 3, 1, once.file, 2);
  std::string renamed = names;
  for (std::size_t at = 0; at != std::string::npos; at = renamed.find(',', at + 1)) {
    renamed.insert(at == 0 ? 0 : at + 1, "bottom_ne_top_ne_");
  }
  EXPECT_EQ(twice.file.substr(0, twice.file.find('\n')),
            "core,top_ne,bottom_ne," + names + "," + renamed);
  EXPECT_NE(twice.file.find("\nA,5700,5580," + converted + "," + converted + "\n"),
            std::string::npos)
      << twice.file;
  EXPECT_NE(twice.file.find("\nD,,5674,,,,,,,,,,,,,the first end is empty: an incomplete "
                            "interval,,,,,,,,,,,,,the last end is empty: an incomplete interval\n"),
            std::string::npos)
      << twice.file;
}

TEST(Workbook, NamesAnIntervalsColumnsAfterItsTwoWhereTheSheetHasThemAlready) {
  using namespace std::string_literals;
  EXPECT_EQ(planned_names(Direction::kNeToAm, 2, "core\0top\0bottom\0"s, 3),
            "sequence\nne_first\nne_last\nam_first\nam_last\nne_varves\nam_varves\nsplits\njoins\n"
            "false_couplets\nfirst_cut\nlast_cut\nnot_converted\n");
  EXPECT_TRUE(planned_names(Direction::kNeToAm, 3, "core\0top\0bottom\0sequence\0"s, 2)
                  .starts_with("bottom_top_sequence\nbottom_top_ne_first\n"));
  EXPECT_EQ(planned_names(Direction::kNeToAm, 2, "core\0top\0"s, 3), "");
}

TEST(Workbook, ConvertsIntervalsInTwoColumnsEachInItsRowWithItsAccount) {
  using namespace std::string_literals;
  // Each row's two ends, the first's cell then the last's, as the page gives them.
  std::string cells;
  for (auto [first, last] : std::vector<std::pair<std::string, std::string>>{
           {"B2\tt5700", "C2\t" + number_cell(5580, "5580")},
           {"B3\tt5680", "C3\tt5673"},
           {"B4\t", "C4\t" + number_cell(5674, "5674")},
           {"B5\ttx", "C5\tt5580"},
           {"B6\tt6600", "C6\tt6400"},
           {"B7\t", "C7\t"},
       }) {
    cells.append(first).append(1, '\0').append(last).append(1, '\0');
  }
  CellsResult result = convert_interval_cells(Direction::kNeToAm, cells);
  EXPECT_EQ(result.count, 6);
  EXPECT_EQ(result.invalid, 3);
  const std::string different =
      "NE 6400-6600 is not converted: its ends lie in different NE sequences, NE 6400 in NE-LC "
      "and NE 6600 in NE-UC; the parts inside: NE-LC 6400-6460 and NE-UC 6560-6600";
  EXPECT_EQ(result.messages,
            "B4: the first end is empty: an incomplete interval\n"
            "B5: the first end is not a whole number: 'x'\n"
            "B6: " +
                different + "\n");
  const std::string none = "\t\t\t\t\t\t\t\t\t\t\t\t";
  std::string rows;
  for (std::size_t row = 0; row < 6; ++row) {
    rows.append(added_text(result, interval_columns(Direction::kNeToAm), row)).push_back('\n');
  }
  EXPECT_EQ(rows,
            "\tLC\t5580\t5700\t5599\t5714\t121\t116\t1\t3\ttrue\t\t\t\n"
            "\tLC\t5673\t5680\t5691\t5695\t8\t5\t0\t2\ttrue\tNE-LC 5672-5676 joined into AM 5691, "
            "false annual couplets\tNE-LC 5680-5681 joined into AM 5695\t\n" +
                none + "\tthe first end is empty: an incomplete interval\n" + none +
                "\tthe first end is not a whole number: 'x'\n" + none + "\t" + different + "\n" +
                none + "\t\n");
  // The typed columns, column after column; a text as its code in texts.
  ASSERT_EQ(result.columns.size(), 13u * 6);
  auto value = [&](std::size_t column, std::size_t row) {
    return result.columns[column * 6 + row];
  };
  auto text = [&](std::size_t column, std::size_t row) {
    return value(column, row) == kMissing ? "(missing)" : result.texts.at(value(column, row));
  };
  EXPECT_EQ(text(0, 0), "LC");
  EXPECT_EQ(value(1, 0), 5580);
  EXPECT_EQ(value(6, 0), 116);
  EXPECT_EQ(value(9, 0), 1);
  EXPECT_EQ(text(10, 1), "NE-LC 5672-5676 joined into AM 5691, false annual couplets");
  EXPECT_EQ(text(12, 0), "(missing)");
  EXPECT_EQ(text(12, 4), different);
  EXPECT_EQ(value(1, 2), kMissing);
  EXPECT_EQ(value(9, 2), kMissing);
  EXPECT_EQ(text(12, 5), "(missing)");
  // An AM interval across the overlap: each NE sequence's part of it.
  result = convert_interval_cells(Direction::kAmToNe, "A1\tt6500\0A2\tt6358\0"s);
  EXPECT_EQ(added_text(result, interval_columns(Direction::kAmToNe), 0) + "\n",
            "\t6343\t6453\t6358\t6468\t111\t111\t0\t0\t\t\t6674\t6817\t6358\t6500\t144\t143\t1\t1"
            "\tNE-UC 6674 split into AM 6357-6358\t\tfalse\t\n");
  EXPECT_EQ(result.messages, "");
}

}  // namespace
}  // namespace wasm
