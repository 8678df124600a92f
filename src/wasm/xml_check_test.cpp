#include "wasm/xml_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wasm {
namespace {

/// A document and what the check says of it: its fault, or "" when it is well-formed.
struct XmlCheckCase {
  std::string document;
  std::string fault;
};

TEST(XmlCheck, WellFormedXmlIsToldFromDamagedXmlWithTheFaultAndItsLine) {
  const std::vector<XmlCheckCase> cases = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a x=\"1\" y='2'><!-- note --><b>x &amp; "
       "&#x1F600; &#233;</b><![CDATA[<c>]]><?pi x?></a>\n",
       ""},
      {"\xEF\xBB\xBF<a/>", ""},
      {"<x:a xmlns:x=\"u\"><x:b xml:space=\"preserve\"/></x:a>", ""},
      {"<dimension ref=\"A1\"></dimension ref=\"A1:K6\">",
       "an end tag with attributes, </dimension ref=\"A1:K6\"> (line 1)"},
      {"<a></a/>", "an end tag with attributes, </a/> (line 1)"},
      {"<a>\n<b></a>", "</a> where </b> belongs (line 2)"},
      {"<a><b>", "<b> is not closed (line 1)"},
      {"</a>", "an end tag </a> without its start (line 1)"},
      {"<a/><b/>", "a second root element, <b> (line 1)"},
      {"", "no root element"},
      {"<a>1 < 2</a>", "a < that begins no tag (line 1)"},
      {"<a b=\"1\"c=\"2\"/>", "a < that begins no tag (line 1)"},
      {"<a>&nbsp;</a>", "an & that begins no reference (line 1)"},
      {"<a>&#1;</a>", "an & that begins no reference (line 1)"},
      {"<a>&amp</a>", "an & that begins no reference (line 1)"},
      {"<a b=\"&x;\"/>", "an & that begins no reference in the value of b (line 1)"},
      {"<a b=\"1\" b=\"2\"/>", "the attribute b twice in <a> (line 1)"},
      {"<x:a/>", "the prefix of <x:a> is not declared (line 1)"},
      {"<a><x:b xmlns:x=\"u\"/><x:c/></a>", "the prefix of <x:c> is not declared (line 1)"},
      {"<a x:b=\"1\"/>", "the prefix of x:b is not declared (line 1)"},
      {"<a xmlns:x=\"\"/>", "the prefix x is declared empty (line 1)"},
      {"<1a/>", "a bad element name, 1a (line 1)"},
      {"<a:b:c/>", "a bad element name, a:b:c (line 1)"},
      {"x<a/>", "text outside the root element (line 1)"},
      {"<a/>\nx", "text outside the root element (line 1)"},
      {"<a>\x02</a>", "a character XML does not allow, U+0002 (line 1)"},
      {"<a><!-- a -- b --></a>", "a comment holding -- (line 1)"},
      {"<a/><![CDATA[x]]>", "CDATA outside the root element (line 1)"},
      {"<a/>\n<?xml version=\"1.0\"?>", "an XML declaration that is not at the start (line 2)"},
      // Bytes that are not UTF-8: a stray continuation byte, an overlong form,
      // an encoded surrogate, a code point beyond U+10FFFF, a sequence cut short.
      {"<a>\n\x80</a>", "bytes that are not UTF-8 (line 2)"},
      {"<a>\xC0\xBC</a>", "bytes that are not UTF-8 (line 1)"},
      {"<a>\xED\xA0\x80</a>", "bytes that are not UTF-8 (line 1)"},
      {"<a>\xF4\x90\x80\x80</a>", "bytes that are not UTF-8 (line 1)"},
      {"<a/>\xE2\x82", "bytes that are not UTF-8 (line 1)"},
      {"<a>\xEF\xBF\xBE</a>", "a character XML does not allow, U+FFFE (line 1)"},
      // Characters beyond U+FFFF in names and text; lines counted in
      // characters of several bytes.
      {"<\xF0\x9F\x98\x80 a\xF0\x9F\x98\x80=\"1\">\xF0\x9F\x98\x80</\xF0\x9F\x98\x80>", ""},
      {"<a>\xC3\xA9\n\xF0\x9F\x98\x80\n<b></a>", "</a> where </b> belongs (line 3)"},
      // Unicode's blanks end a name as any blank does.
      {"<a\xC2\xA0"
       "b=\"1\"\xE2\x80\xA8/>",
       ""},
      // A declaration's value with a reference to no character is a fault, not a stop.
      {"<a xmlns:p=\"&#x110000;\"/>",
       "an & that begins no reference in the value of xmlns:p (line 1)"},
  };
  for (const XmlCheckCase& c : cases) {
    EXPECT_EQ(xml_fault(c.document).value_or(""), c.fault) << c.document;
  }
}

TEST(XmlCheck, NamesFoundAgainAndEndTagsAreReadAsTheyWereTheFirstTime) {
  const std::vector<XmlCheckCase> cases = {
      // A name of eight bytes or more found before, then more of a name.
      {"<r><abcdefgh/><abcdefgh:x/></r>", "the prefix of <abcdefgh:x> is not declared (line 1)"},
      {"<r><abcdefgh/><abcdefgh:i:j/></r>", "a bad element name, abcdefgh:i:j (line 1)"},
      {"<r><abcdefghij/><abcdefgh\xC2\xB7/><abcdefgh\xC2\xA0/><abcdefgh1.-/></r>", ""},
      // An attribute's name found again as an element's, which ends at !.
      {"<r abcdefgh=\"1\"><abcdefgh!/></r>", "a < that begins no tag (line 1)"},
      // The same prefixed name, its prefix declared in one place only.
      {"<r><x xmlns:abcdefgh=\"u\"><abcdefgh:a/></x><abcdefgh:a/></r>",
       "the prefix of <abcdefgh:a> is not declared (line 1)"},
      {"<r><abcdefgh/><abcdefgh", "a < that begins no tag (line 1)"},
      // End tags that begin as the open element's name does.
      {"<r><abc></abcd></r>", "</abcd> where </abc> belongs (line 1)"},
      {"<r><abc></ab></r>", "</ab> where </abc> belongs (line 1)"},
      {"<r><abc></abc ></r>", ""},
      {"<r><abc></abc", "a < that begins no tag (line 1)"},
  };
  for (const XmlCheckCase& c : cases) {
    EXPECT_EQ(xml_fault(c.document).value_or(""), c.fault) << c.document;
  }
}

TEST(XmlCheck, FaultsAreFoundAtEveryOffsetOfTheBytesReadSeveralAtATime) {
  // Names of 1 to 17 bytes, compared a word at a time, differing at each byte.
  for (std::size_t length = 1; length <= 17; ++length) {
    const std::string name = std::string("abcdefghijklmnopq").substr(0, length);
    EXPECT_EQ(xml_fault("<" + name + "></" + name + ">"), std::nullopt) << name;
    for (std::size_t at = 0; at < length; ++at) {
      std::string other = name;
      other[at] = 'z';
      EXPECT_EQ(xml_fault("<" + name + "></" + other + ">").value_or(""),
                "</" + other + "> where </" + name + "> belongs (line 1)");
    }
  }
  // Characters and bytes at each offset of sixteen, in text and in values.
  for (std::size_t at = 0; at < 18; ++at) {
    const std::string pad(at, 'x');
    const std::string text = "<a b=\"" + pad + "&amp;\">" + pad;
    EXPECT_EQ(xml_fault(text + "\xF0\x9F\x98\x80&lt;</a>"), std::nullopt) << at;
    EXPECT_EQ(xml_fault(text + "\x01</a>").value_or(""),
              "a character XML does not allow, U+0001 (line 1)");
    EXPECT_EQ(xml_fault(text + "\x80</a>").value_or(""), "bytes that are not UTF-8 (line 1)");
    EXPECT_EQ(xml_fault(text + "\xE2\x82").value_or(""), "bytes that are not UTF-8 (line 1)");
    EXPECT_EQ(xml_fault(text + "&x</a>").value_or(""), "an & that begins no reference (line 1)");
    EXPECT_EQ(xml_fault("<a b=\"" + pad + "<\"/>").value_or(""), "a < in the value of b (line 1)");
    EXPECT_EQ(xml_fault("<a b=\"" + pad + "&x\"/>").value_or(""),
              "an & that begins no reference in the value of b (line 1)");
  }
}

TEST(XmlCheck, ADocumentEndingInANameSeenBeforeIsReadNoFurtherThanItsEnd) {
  // Each document ends with the first bytes of a longer name read before. It
  // is given as bytes with nothing after them, so that a read past the end
  // shows under the sanitizers (a string would have its terminator there).
  for (std::string document : {"<abcdefghij/><abcdefghi", "<r><abcdefghij/><abcdefghi",
                               "<x abcdefghij=\"1\"/><x abcdefghi"}) {
    std::unique_ptr<char[]> bytes(new char[document.size()]);
    std::memcpy(bytes.get(), document.data(), document.size());
    EXPECT_EQ(xml_fault(std::string_view(bytes.get(), document.size())).value_or(""),
              "a < that begins no tag (line 1)")
        << document;
  }
}

/// The check fed `document` cut at each of `cuts` (ascending), then finished.
std::optional<std::string> fed(const std::string& document, const std::vector<std::size_t>& cuts) {
  XmlCheck check;
  for (std::size_t cut : cuts) {
    // A copy, so that the check keeps no pointer into an earlier prefix.
    const std::string prefix = document.substr(0, cut);
    check.feed(prefix);
  }
  return check.finish(document);
}

TEST(XmlCheck, FedInPiecesGivesTheVerdictOfTheWholeDocument) {
  std::vector<std::string> documents = {
      "<?xml version=\"1.0\"?>\n<a x=\"1\"><!-- c --><b>&amp;&#x1F600;</b><![CDATA[<c>]]></a>",
      "\xEF\xBB\xBF<x:a xmlns:x=\"u\"><x:b/></x:a>",
      "<a><b></a>\n\x80",
      "<a>\n<b\x01></a>",
      "<r><abcdefghij/><abcdefgh\xC2\xB7/><abcdefgh\xC2\xA0/></r>",
      "<a>&amp</a>",
      "<a/>\xE2\x82",
      "<r><abcdefgh/><abcdefgh",
      "<a\xC2\xA0"
      "b=\"1\"\xE2\x80\xA8/>",
      "<a/><a/>\xF0\x9F\x98\x80",
      "<a><x:b xmlns:x=\"u\"/><x:c/></a>",
      "<a/>\n<?xml version=\"1.0\"?>"};
  for (const char* piece : {"<", ">", "/", "!--", "-->", "&", ";", "a", "x:", "=\"", "\"", " ",
                            "\xC3", "\xA9", "\n", "?"}) {
    documents.push_back(std::string("<a>") + piece + "</a>");
  }
  std::uint32_t seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245 + 12345, seed >> 16; };
  for (const std::string& document : documents) {
    const std::optional<std::string> whole = xml_fault(document);
    EXPECT_EQ(fed(document, {}), whole) << document;
    std::vector<std::size_t> every;
    for (std::size_t cut = 0; cut <= document.size(); ++cut) {
      EXPECT_EQ(fed(document, {cut}), whole) << document << " cut at " << cut;
      every.push_back(cut);
    }
    EXPECT_EQ(fed(document, every), whole) << document;
    for (int round = 0; round < 20; ++round) {
      std::vector<std::size_t> cuts;
      for (std::size_t at = next() % 4; at <= document.size(); at += 1 + next() % 6) {
        cuts.push_back(at);
      }
      EXPECT_EQ(fed(document, cuts), whole) << document;
    }
  }
}

}  // namespace
}  // namespace wasm
