// The number readers of both programs, chronology::convert_integer (the
// interactive program's) and chronology::read_cell (every other front end's),
// checked
// against a reference that works on the decimal digits as text, so that it
// holds for any length: random signed and unsigned digit strings of every
// length up to 100.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "chronology/cell.h"
#include "chronology/number_text.h"

namespace batch {
namespace {

/// Compares two digit strings without leading zeros as numbers.
int compare_magnitudes(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) {
    return a.size() < b.size() ? -1 : 1;
  }
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

/// The value `text` (an optional sign and digits) must read as, written in
/// decimal: the number itself, or the nearest 32-bit value when it is beyond.
std::string reference(const std::string& text) {
  bool negative = !text.empty() && text[0] == '-';
  std::size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  std::size_t first = text.find_first_not_of('0', digits);
  std::string magnitude = first == std::string::npos ? "0" : text.substr(first);
  if (negative) {
    if (compare_magnitudes(magnitude, "2147483648") >= 0) {
      return "-2147483648";
    }
    return magnitude == "0" ? "0" : "-" + magnitude;
  }
  return compare_magnitudes(magnitude, "2147483647") >= 0 ? "2147483647" : magnitude;
}

TEST(NumberReaders, AgreeWithADigitStringReferenceAtEveryLength) {
  std::mt19937 random(20261208);
  std::vector<std::string> texts = {"2147483647",  "2147483648",  "-2147483648", "-2147483649",
                                    "+2147483646", "-0000000001", "4294967296",  "-4294967297"};
  for (std::size_t length = 0; length <= 100; ++length) {
    for (int i = 0; i < 300; ++i) {
      std::string text;
      int sign = static_cast<int>(random() % 3);
      text += sign == 0 ? "" : sign == 1 ? "+" : "-";
      // Runs of leading zeros, and now and then nines, push values to the
      // 32-bit edges.
      std::size_t zeros = random() % 4 == 0 ? random() % (length + 1) : 0;
      for (std::size_t d = 0; d < length; ++d) {
        char digit = static_cast<char>('0' + random() % 10);
        text += d < zeros ? '0' : random() % 5 == 0 ? '9' : digit;
      }
      texts.push_back(text);
    }
  }
  for (const std::string& text : texts) {
    std::int32_t converted = 7;
    ASSERT_TRUE(chronology::convert_integer(text, converted)) << text;
    bool bare = text.find_first_of("0123456789") == std::string::npos;
    // The interactive reader takes an empty value or a sign alone as 0.
    EXPECT_EQ(std::to_string(converted), bare ? "0" : reference(text)) << text;

    // The cell rule takes an empty value as empty and a sign alone as no number.
    chronology::Cell cell = chronology::read_cell(text);
    if (bare) {
      EXPECT_NE(cell.kind, chronology::CellKind::kNumber) << text;
    } else {
      EXPECT_EQ(cell.kind, chronology::CellKind::kNumber) << text;
      EXPECT_EQ(std::to_string(cell.number), reference(text)) << text;
    }
  }
}

TEST(NumberReaders, TheInteractiveReaderRejectsAnythingButASignAndDigits) {
  for (const char* text : {"1 2", "12.5", "1e3", "--1", "+-1", "0x10", "4282?", " 1", "1\n"}) {
    std::int32_t value = 0;
    EXPECT_FALSE(chronology::convert_integer(text, value)) << text;
  }
}

}  // namespace
}  // namespace batch
