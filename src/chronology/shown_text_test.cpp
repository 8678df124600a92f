#include "chronology/shown_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chronology {
namespace {

using Rule = std::string (*)(std::string_view);

struct Case {
  const char* rule_name;
  Rule rule;
  std::string given;
  std::string shown;
};

std::string cut_at_3(std::string_view bytes) {
  return ascii_shown_cut(bytes, 3);
}

const std::string k59(59, 'a');
const std::string k60(60, 'a');

TEST(ShownText, EachRuleShowsEveryByteClassAsItPromises) {
  const std::vector<Case> cases = {
      // For a terminal: printable ASCII alone.
      {"ascii", ascii_shown, std::string("\0\x1F", 2), "\\x00\\x1F"},
      {"ascii", ascii_shown, " ~", " ~"},
      {"ascii", ascii_shown, "\x7F", "\\x7F"},
      {"ascii", ascii_shown, "\xC2\xA0", "\\xC2\\xA0"},
      {"ascii", ascii_shown,
       "\xEF\xBB\xBF"
       "1",
       "\\xEF\\xBB\\xBF1"},
      {"ascii, cut", cut_at_3, "abc", "abc"},
      {"ascii, cut", cut_at_3, "abcd", "abc..."},
      {"ascii, cut", cut_at_3, "\tbcd", "\\x09bc..."},
      // A CSV field: control bytes alone, other bytes as the file has them.
      {"field", field_shown, "a\tb\r\n\x7F", "a\\x09b\\x0D\\x0A\\x7F"},
      {"field", field_shown, "\xC3\xA9\xC2\xA0\xFF\x80", "\xC3\xA9\xC2\xA0\xFF\x80"},
      {"field", field_shown, k60, k60},
      {"field", field_shown, k60 + "b", k60 + "..."},
      // Cut before a character that straddles the 60th byte.
      {"field", field_shown,
       k59 + "\xC3\xA9"
             "b",
       k59 + "..."},
      {"field", field_shown, k59 + "\xE2\x89\x88", k59 + "..."},
      // A cell: printable ASCII and whole UTF-8 characters kept.
      {"cell", cell_shown,
       "\xE2\x89\x88"
       "4282 ca.",
       "\xE2\x89\x88"
       "4282 ca."},
      {"cell", cell_shown, "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"cell", cell_shown, std::string("\0\t\x7F", 3), "\\x00\\x09\\x7F"},
      // A lone continuation byte, a cut character, and bytes no UTF-8 has.
      {"cell", cell_shown,
       "\x80"
       "a",
       "\\x80a"},
      {"cell", cell_shown, "\xB0\xC3(\x7F\xED\xA0\x80", "\\xB0\\xC3(\\x7F\xED\xA0\x80"},
      {"cell", cell_shown, "\xE2\x89", "\\xE2\\x89"},
      {"cell", cell_shown, "\xC0\x80\xC1\xBF", "\\xC0\\x80\\xC1\\xBF"},
      {"cell", cell_shown, "\xF5\x80\x80\x80", "\\xF5\\x80\\x80\\x80"},
      // Overlong three- and four-byte forms.
      {"cell", cell_shown, "\xE0\x80\x80", "\\xE0\\x80\\x80"},
      {"cell", cell_shown, "\xF0\x80\x80\x80", "\\xF0\\x80\\x80\\x80"},
      // A lone surrogate, as UTF-16 files decode, is kept so that it goes back.
      {"cell", cell_shown, "\xED\xA0\x80", "\xED\xA0\x80"},
      {"cell", cell_shown, k60, k60},
      {"cell", cell_shown, k60 + "b", k60 + "..."},
      // A character begun before the 60th byte is shown whole.
      {"cell", cell_shown, k59 + "\xF0\x9F\x98\x80", k59 + "\xF0\x9F\x98\x80"},
      {"cell", cell_shown,
       k59 + "\xF0\x9F\x98\x80"
             "b",
       k59 + "\xF0\x9F\x98\x80..."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.rule(c.given), c.shown) << c.rule_name << ": '" << c.given << "'";
  }
}

TEST(Utf8Length, IsZeroWhereNoCharacterStarts) {
  const std::vector<std::pair<std::string, std::size_t>> cases = {
      {"", 0},
      {"a", 0},
      {"\xC3\xA9", 2},
      {"\xC3", 0},
      {"\xE2\x89\x88", 3},
      {"\xF4\x8F\xBF\xBF", 4},
      {"\xC3"
       "a",
       0},
  };
  for (const auto& [text, length] : cases) {
    EXPECT_EQ(utf8_length(text), length) << text;
  }
}

}  // namespace
}  // namespace chronology
