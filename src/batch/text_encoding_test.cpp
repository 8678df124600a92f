#include "batch/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace batch {
namespace {

struct Decoded {
  std::string text;
  bool good = true;
  std::string error;
  TextEncoding encoding = TextEncoding::kUnknown;

  bool operator==(const Decoded&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Decoded& d) {
  return os << "'" << d.text << "' good " << d.good << " '" << d.error << "' encoding "
            << static_cast<int>(d.encoding);
}

Decoded decode(std::string_view bytes, std::size_t piece) {
  TextDecoder decoder;
  Decoded d;
  for (std::size_t at = 0; at < bytes.size() && d.good; at += piece) {
    d.good = decoder.feed(bytes.substr(at, piece), d.text);
  }
  d.good = d.good && decoder.finish(d.text);
  d.error = decoder.error();
  d.encoding = decoder.encoding();
  return d;
}

/// `text` in UTF-16 of the byte order `little`, from code units.
std::string utf16(std::u16string_view units, bool little) {
  std::string out;
  for (char16_t unit : units) {
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    out += little ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

const std::string kOdd =
    "the file ends inside a UTF-16 character (an odd number of bytes); the rows before it were "
    "written";

TEST(TextDecoder, ReadsUtf16AndEncodingGivesEveryUnitBack) {
  // The mark, ASCII, a tab, an e with acute, a no-break space, a character
  // beyond the BMP, and lone surrogates of both halves.
  const std::u16string units = u"\uFEFFid\tn\u00E9e\u00A0\n\U0001F600 4282?\n";
  const std::u16string lone = {0xFEFF, u'a', 0xD800, u'b', 0xDC00, 0xDBFF};
  for (bool little : {true, false}) {
    for (const std::u16string& text : {units, lone}) {
      std::string bytes = utf16(text, little);
      for (std::size_t piece : {1u, 2u, 3u, 5u, 4096u}) {
        Decoded d = decode(bytes, piece);
        ASSERT_TRUE(d.good) << d;
        EXPECT_EQ(d.encoding, little ? TextEncoding::kUtf16Le : TextEncoding::kUtf16Be);
        EXPECT_TRUE(d.text.starts_with("\xEF\xBB\xBF"));
        // Back in pieces of any size too.
        TextEncoder encoder(d.encoding);
        std::string back;
        for (std::size_t at = 0; at < d.text.size(); at += piece) {
          encoder.encode(std::string_view(d.text).substr(at, piece), back);
        }
        EXPECT_EQ(back, bytes) << piece;
      }
    }
  }
  EXPECT_EQ(decode(utf16(units, true), 3).text,
            "\xEF\xBB\xBFid\tn\xC3\xA9"
            "e\xC2\xA0\n\xF0\x9F\x98\x80 4282?\n");
}

TEST(TextDecoder, KeepsOtherBytesAndRefusesWhatItCannotRead) {
  const std::string kNul =
      "the file holds NUL bytes but no byte-order mark (UTF-16 without one?): save it as UTF-8, "
      "or as UTF-16 with a byte-order mark";
  const std::string kUtf32 = "the file is in UTF-32, which is not read: save it as UTF-8 or UTF-16";
  struct Case {
    const char* name;
    std::string bytes;
    Decoded decoded;
  };
  const Case cases[] = {
      {"UTF-8 with its mark",
       "\xEF\xBB\xBFid\n\xC3\xA9\n",
       {"\xEF\xBB\xBFid\n\xC3\xA9\n", true, "", TextEncoding::kBytes}},
      {"Latin-1 and stray bytes",
       "d\xE9p\xF4t\xFF\n",
       {"d\xE9p\xF4t\xFF\n", true, "", TextEncoding::kBytes}},
      {"fewer bytes than a mark", "\xFF", {"\xFF", true, "", TextEncoding::kBytes}},
      {"nothing", "", {"", true, "", TextEncoding::kBytes}},
      {"UTF-16 without a mark",
       std::string("i\0d\0\n\0", 6),
       {"i", false, kNul, TextEncoding::kBytes}},
      {"a NUL byte late in the file is kept",
       std::string(TextDecoder::kNulSearched, 'x') + std::string("\0y", 2),
       {std::string(TextDecoder::kNulSearched, 'x') + std::string("\0y", 2), true, "",
        TextEncoding::kBytes}},
      {"UTF-32, little-endian",
       std::string("\xFF\xFE\0\0i\0\0\0", 8),
       {"", false, kUtf32, TextEncoding::kBytes}},
      {"UTF-32, big-endian",
       std::string("\0\0\xFE\xFF\0\0\0i", 8),
       {"", false, kUtf32, TextEncoding::kBytes}},
      {"UTF-16 cut inside a unit",
       std::string("\xFF\xFEi\0d", 5),
       {"\xEF\xBB\xBFi", false, kOdd, TextEncoding::kUtf16Le}},
      {"a mark alone", "\xFE\xFF", {"\xEF\xBB\xBF", true, "", TextEncoding::kUtf16Be}},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {1u, 3u, 4096u}) {
      EXPECT_EQ(decode(c.bytes, piece), c.decoded) << c.name << ", pieces of " << piece;
    }
  }
}

// A file cut after an odd byte is a fault whatever that byte is (a lone NUL
// included), in both byte orders and in pieces of any size: the text before
// it is handed on, the byte is not.
TEST(TextDecoder, AFileCutInsideAUnitIsAFaultWhateverItsLastByte) {
  // The mark alone, a line, a whole pair of surrogates, and half of one.
  const std::u16string texts[] = {
      u"\uFEFF", u"\uFEFF3021\n", u"\uFEFF\U0001F600", {0xFEFF, 0xD83D}};
  for (bool little : {true, false}) {
    for (const std::u16string& text : texts) {
      const std::string whole = utf16(text, little);
      const Decoded before = decode(whole, whole.size());
      ASSERT_TRUE(before.good) << before;
      for (int last = 0; last <= 0xFF; ++last) {
        const std::string bytes = whole + static_cast<char>(last);
        for (std::size_t piece : {1u, 2u, 3u, 4096u}) {
          Decoded d = decode(bytes, piece);
          EXPECT_EQ(d, (Decoded{before.text, false, kOdd, before.encoding}))
              << (little ? "LE" : "BE") << ", last byte " << last << ", pieces of " << piece;
        }
      }
    }
  }
}

}  // namespace
}  // namespace batch
