#include "wasm/xml_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

// The document is read in two passes: first its bytes, which must be UTF-8
// holding only characters XML allows, then its markup, read where it lies
// in the bytes without a string made of anything but what a fault names.
// Blanks are the characters of JavaScript's \s (the page's own reader of
// the parts takes the same), so that a name ends at any of them; a name's
// characters are letters, _ and anything from U+00C0 on, and after its first
// also digits, . - and U+00B7.

namespace wasm {
namespace {

using Size = std::size_t;
constexpr Size kNone = std::string_view::npos;
/// Where the colon of a run that is no name lies.
constexpr Size kNoName = kNone - 1;

/// The number of bytes of the UTF-8 sequence that `lead` begins, in bytes
/// known to be UTF-8.
Size sequence_length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

/// The code point at `at` of `text`, which is known to be UTF-8 there.
char32_t code_point(std::string_view text, Size at) {
  auto byte = [&](Size i) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[at + i]));
  };
  char32_t lead = byte(0);
  if (lead < 0x80) {
    return lead;
  }
  if (lead < 0xE0) {
    return (lead & 0x1F) << 6 | (byte(1) & 0x3F);
  }
  if (lead < 0xF0) {
    return (lead & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
  }
  return (lead & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
}

/// The length of the UTF-8 sequence of two to four bytes at `at`, or 0 when
/// the bytes there are not UTF-8: a stray or missing continuation byte, an
/// overlong form, a surrogate or a code point beyond U+10FFFF.
Size valid_sequence(std::string_view text, Size at) {
  auto byte = [&](Size i) -> unsigned {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
  };
  auto follows = [&](Size i, unsigned low, unsigned high) {
    return byte(i) >= low && byte(i) <= high;
  };
  unsigned lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) {
    return follows(1, 0x80, 0xBF) ? 2 : 0;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    bool second = follows(1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF);
    return second && follows(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    bool second = follows(1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF);
    return second && follows(2, 0x80, 0xBF) && follows(3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

/// What a byte is to the reader, as bits of kAscii: bytes from 0x80 on are
/// read as the characters they begin.
enum : std::uint8_t {
  kBlank = 1,           ///< Tab to CR, and space.
  kEndsName = 2,        ///< A tag's name ends at it: / > ! ?
  kEndsAttribute = 4,   ///< An attribute's name ends at it: = / >
  kNameStart = 8,       ///< It may begin a part of a name: a letter or _.
  kNameCharacter = 16,  ///< It may continue a part of a name: those, digits, . and -.
  kHigh = 32,           ///< A byte from 0x80 on: part of a character beyond ASCII.
  kInName = 64,         ///< It may be in a name: a name character, : or from 0x80 on.
};

/// The bits of each byte, so that one look-up tells an ASCII byte's class
/// from a byte of a longer character. NUL, which the reader finds past the
/// end (the document holds none), ends every name.
constexpr std::array<std::uint8_t, 0x100> kAscii = [] {
  std::array<std::uint8_t, 0x100> bits{};
  for (char c : std::string_view("\t\n\v\f\r ")) {
    bits[static_cast<unsigned char>(c)] |= kBlank;
  }
  for (char c : std::string_view("/>!?")) {
    bits[static_cast<unsigned char>(c)] |= kEndsName;
  }
  for (char c : std::string_view("=/>")) {
    bits[static_cast<unsigned char>(c)] |= kEndsAttribute;
  }
  for (unsigned c = 0; c < 0x80; ++c) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    bits[c] |= letter ? kNameStart | kNameCharacter : 0;
    bits[c] |= (c >= '0' && c <= '9') || c == '.' || c == '-' ? kNameCharacter : 0;
  }
  for (unsigned c = 0x80; c < 0x100; ++c) {
    bits[c] = kHigh;
  }
  for (unsigned c = 0; c < 0x100; ++c) {
    bits[c] |= (bits[c] & (kNameCharacter | kHigh)) != 0 || c == ':' ? kInName : 0;
  }
  bits[0] |= kEndsName | kEndsAttribute;
  return bits;
}();

/// What a byte is to a reader of text and of attributes' values: a place
/// to stop at, as bits of kStops.
enum : std::uint8_t {
  kMarkup = 1,  ///< < and &, which a text or a value may not hold plainly.
  kQuote = 2,   ///< " and ', either of which may close a value.
};

/// The bits of each byte: most have none, and are passed over at once.
constexpr std::array<std::uint8_t, 0x100> kStops = [] {
  std::array<std::uint8_t, 0x100> bits{};
  bits['<'] = bits['&'] = kMarkup;
  bits['"'] = bits['\''] = kQuote;
  return bits;
}();

/// True when `a` and `b` hold the same bytes; names are short, so they are
/// compared here, eight or four bytes at a time (the last of them perhaps
/// compared twice), rather than by a call.
bool same(std::string_view a, std::string_view b) {
  const Size n = a.size();
  if (b.size() != n) {
    return false;
  }
  auto word = [](std::string_view text, Size at) {
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, text.data() + at, 8);
    return bytes;
  };
  auto half = [](std::string_view text, Size at) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, text.data() + at, 4);
    return bytes;
  };
  if (n >= 8) {
    for (Size i = 0; i + 8 < n; i += 8) {
      if (word(a, i) != word(b, i)) {
        return false;
      }
    }
    return word(a, n - 8) == word(b, n - 8);
  }
  if (n >= 4) {
    return half(a, 0) == half(b, 0) && half(a, n - 4) == half(b, n - 4);
  }
  // One to three bytes: the first, the middle and the last are all.
  return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
}

/// True for the blanks from U+0080 on: Unicode's spaces and U+FEFF.
bool unicode_space(char32_t c) {
  return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

/// True when `c` may begin a part of a name.
bool name_start(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         (c >= 0xC0 && c <= 0xFFFD) || c >= 0x10000;
}

/// True when `c` may continue a part of a name.
bool name_character(char32_t c) {
  return name_start(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 0xB7;
}

/// True for a character a reference may stand for: one XML allows.
bool allowed(std::uint32_t c) {
  if (c < 0x20) {
    return c == '\t' || c == '\n' || c == '\r';
  }
  return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
}

/// "U+" and `c` in at least four upper-case hexadecimal digits.
std::string unicode_name(char32_t c) {
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string digits;
  for (; c != 0 || digits.size() < 4; c >>= 4) {
    digits.insert(digits.begin(), kDigits[c & 0xF]);
  }
  return "U+" + digits;
}

/// A fault and where in the document it lies.
struct Located {
  Size at;
  std::string what;
};

/// The first place from `i` where `text` is not UTF-8 or holds a character
/// XML does not allow (a C0 control other than tab, LF and CR, U+FFFE,
/// U+FFFF), among the characters that start before `limit`; `i` is left at
/// the first character not read (at `limit` or past it, or the fault's).
std::optional<Located> bad_character(std::string_view text, Size& i, Size limit) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  const Size n = limit;
  while (i < n) {
    // Sixteen bytes at a time, then eight, while none is at or above 0x80
    // or below a space.
    auto plain = [](std::uint64_t word) { return word | (word - kOnes * 0x20); };
    for (std::uint64_t low = 0, high = 0; i + 16 <= n; i += 16) {
      std::memcpy(&low, text.data() + i, 8);
      std::memcpy(&high, text.data() + i + 8, 8);
      if (((plain(low) | plain(high)) & kHighBits) != 0) {
        break;
      }
    }
    for (std::uint64_t word = 0; i + 8 <= n; i += 8) {
      std::memcpy(&word, text.data() + i, 8);
      if ((plain(word) & kHighBits) != 0) {
        break;
      }
    }
    if (i >= n) {
      break;
    }
    auto c = static_cast<unsigned char>(text[i]);
    // A sequence is read in the whole text, which may go on past `limit`.
    Size length = c < 0x80 ? 1 : valid_sequence(text, i);
    if (length == 0) {
      return Located{i, "bytes that are not UTF-8"};
    }
    char32_t point = code_point(text, i);
    if (!allowed(point)) {
      return Located{i, "a character XML does not allow, " + unicode_name(point)};
    }
    i += length;
  }
  return std::nullopt;
}

/// What markup_at found at a <.
enum class Kind {
  kNothing,  ///< Nothing it reads: a < that begins no markup.
  kTag,      ///< An element's start or end tag.
  kOther,    ///< A comment, processing instruction, CDATA section or document type.
};

/// Reads one document, which bad_character has passed, from its start.
class Checker {
 public:
  /// Reads `text` from now on: the text read so far and more perhaps.
  void set_text(std::string_view text) { text_ = text; }

  /// Reads the markup on from where the last call stopped, in text that
  /// bad_character has passed; when `whole` is false the text may go on,
  /// and the reading stops before the first piece of text or markup it does
  /// not see whole. True when a fault is found (kept in fault_).
  bool read(bool whole);

  /// The fault read found.
  const std::string& fault() const { return fault_; }

  /// Keeps `words` as the fault, with the line of `at` (kNone: no line); true.
  bool fail(std::initializer_list<std::string_view> words, Size at);

 private:
  /// The byte at `i`, or 0 beyond the end (a NUL byte never reaches here).
  unsigned char byte(Size i) const {
    return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0;
  }
  /// The text from `from` to `to`.
  std::string_view part(Size from, Size to) const {
    return std::string_view(text_.data() + from, to - from);
  }
  /// Where the first `c` from `from` to `to` lies, or kNone.
  Size find(char c, Size from, Size to) const {
    Size at = from < to ? part(from, to).find(c) : kNone;
    return at == kNone ? kNone : from + at;
  }
  /// The length in bytes of the blank at `i`, or 0 when none is there.
  Size space_length(Size i) const {
    unsigned char c = byte(i);
    return (kAscii[c] & kHigh) == 0 ? kAscii[c] & kBlank : unicode_space_length(i);
  }
  /// The length in bytes of the blank from U+0080 on at `i`, or 0.
  Size unicode_space_length(Size i) const;
  /// Where the blanks from `i` on end.
  Size blanks(Size i) const {
    // Most often none is there.
    unsigned char c = byte(i);
    return (kAscii[c] & (kBlank | kHigh)) == 0 ? i : more_blanks(i);
  }
  /// Where the blanks from `i` on end, one of them there perhaps.
  Size more_blanks(Size i) const;
  /// Where a run of characters from `i` ends: at a blank, an ASCII
  /// character with one of the bits `stops`, or the end. `colon` is where
  /// the run's colon lies (kNone for none), or kNoName when the run is not a
  /// name XML with namespaces allows: one colon at most, between two parts.
  Size run(Size i, std::uint8_t stops, Size& colon);
  /// run, reading the run byte by byte.
  Size scan(Size i, std::uint8_t stops, Size& colon) const;
  /// Reads the markup that begins with the < at `p`: the tag's end, name
  /// and attributes, or the other markup's end.
  Kind markup_at(Size p);
  /// Where the first & from `from` to `to` that begins no reference to one of
  /// the five entities or to a character XML allows lies, or kNone.
  Size bad_reference(Size from, Size to) const;
  /// True when the prefix from `from` to `to` is bound by the declarations
  /// in scope (xml always is).
  bool bound(Size from, Size to);
  /// Forgets the declarations after the first `count` numbers of declared_.
  void undeclare(Size count);
  /// Fails when the comment, processing instruction, CDATA section or
  /// document type at `next` is not allowed there.
  bool other_fails(Size next, Size start);
  /// Fails when the start tag at `next`, its name from `from` to `to` with
  /// its colon at `colon`, is not well-formed; opens its element else,
  /// unless it closes itself.
  bool start_tag_fails(Size next, Size from, Size to, Size colon);

  std::string_view text_;
  std::string fault_;
  /// Whether read has begun, where the document's content starts (past any
  /// byte order mark), and where read goes on from.
  bool started_ = false;
  Size start_ = 0;
  Size at_ = 0;
  // The markup markup_at read last: its end, whether it is an end tag or a
  // self-closing one, where a tag's name (after < and any /) and attributes
  // (from the name's end) end, where the name's colon lies (as run gives
  // it), and where each attribute's name and value start and end and its
  // name's colon, and where its value's first < and first & lie (kNone for
  // none), kFound numbers each (`attributes_` of them in found_).
  static constexpr Size kFound = 7;
  Size end_ = 0;
  bool closing_ = false;
  /// True when the markup is an end tag that closes the open element.
  bool closes_open_ = false;
  bool empty_ = false;
  Size name_end_ = 0;
  Size attributes_end_ = 0;
  Size name_colon_ = kNone;
  std::vector<Size> found_;
  Size attributes_ = 0;
  /// An element open: where its name starts and ends, and the size of
  /// declared_ outside it.
  struct Open {
    Size from;
    Size to;
    Size outside;
  };
  /// The elements open, outermost first.
  std::vector<Open> open_;
  int roots_ = 0;
  /// The prefixes declared by the open elements' tags, outermost first, where
  /// each starts and ends; bumping `generation_` when they change makes the
  /// prefixes found bound (`known_`, a few of them) be looked up again.
  std::vector<Size> declared_;
  std::uint32_t generation_ = 1;
  /// A prefix found bound, where it starts and ends (positions, as the text
  /// may move between reads), and the declarations it was found bound in.
  struct Known {
    Size from = 0;
    Size to = 0;
    std::uint32_t generation = 0;
  };
  std::array<Known, 8> known_{};
  /// A name of eight bytes or more run found, kept by its first eight bytes
  /// (`head`): where it was, its length and its colon's offset (or kNone).
  struct Name {
    std::uint64_t head = 0;
    Size from = 0;
    Size size = 0;
    Size colon = kNone;
  };
  /// The names found last, two in each of 64 slots chosen by their first
  /// eight bytes (names often share them): a document's names repeat, and
  /// one found again is compared rather than read character by character.
  std::array<Name, 128> names_{};
};

Size Checker::unicode_space_length(Size i) const {
  return unicode_space(code_point(text_, i)) ? sequence_length(byte(i)) : 0;
}

Size Checker::more_blanks(Size i) const {
  for (Size length = space_length(i); length > 0; length = space_length(i)) {
    i += length;
  }
  return i;
}

Size Checker::run(Size i, std::uint8_t stops, Size& colon) {
  const Size n = text_.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
  // Only a run of at least eight bytes that may be a name is looked up: most
  // short ones show a byte that is in no name among their first eight.
  const bool looked_up = i <= n && n - i >= 8 &&
                         (kAscii[bytes[i + 1]] & kAscii[bytes[i + 3]] & kAscii[bytes[i + 5]] &
                          kAscii[bytes[i + 7]] & kInName) != 0;
  std::uint64_t head = 0;
  Size set = 0;
  if (looked_up) {
    std::memcpy(&head, text_.data() + i, 8);
    set = 2 * ((head * 0x9E3779B97F4A7C15U) >> 58);
    // The same bytes as a name found before, then a character a run ends
    // at, make the same run.
    for (Size way = set; way < set + 2; ++way) {
      const Name& known = names_[way];
      const Size end = i + known.size;
      if (known.size != 0 && known.head == head && end <= n &&
          (kAscii[byte(end)] & (stops | kBlank)) != 0 &&
          same(part(i + 8, end), part(known.from + 8, known.from + known.size))) {
        colon = known.colon == kNone ? kNone : i + known.colon;
        return end;
      }
    }
  }
  // A name of ASCII letters, digits, _ . and -, with a colon between two
  // parts perhaps, as most are, is read by a tight loop; others by scan.
  auto plain = [&](Size from) {
    for (++from; from < n && (kAscii[bytes[from]] & kNameCharacter) != 0; ++from) {
    }
    return from;
  };
  Size found = kNone;
  if (i < n && (kAscii[bytes[i]] & kNameStart) != 0) {
    Size end = plain(i);
    Size at = kNone;
    if (byte(end) == ':' && (kAscii[byte(end + 1)] & kNameStart) != 0) {
      at = end;
      end = plain(end + 1);
    }
    if ((kAscii[byte(end)] & (stops | kBlank)) != 0) {
      colon = at;
      found = end;
    }
  }
  if (found == kNone) {
    found = scan(i, stops, colon);
  }
  if (looked_up && colon != kNoName && found - i >= 8) {
    // Two names of a slot are kept, the older one replaced.
    names_[set + 1] = names_[set];
    names_[set] = {head, i, found - i, colon == kNone ? kNone : colon - i};
  }
  return found;
}

Size Checker::scan(Size i, std::uint8_t stops, Size& colon) const {
  const Size from = i;
  Size part = from;
  bool name = true;
  const Size n = text_.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
  for (unsigned char c = byte(i);; c = byte(i)) {
    const std::uint8_t bits = kAscii[c];
    if ((bits & kNameCharacter) != 0) {
      // A part's first character must begin a name; the ASCII characters
      // after it, most of most names, are passed over at once.
      name = name && (i != part || (bits & kNameStart) != 0);
      for (++i; i < n && (kAscii[bytes[i]] & kNameCharacter) != 0; ++i) {
      }
    } else if ((bits & kHigh) != 0) {
      if (unicode_space_length(i) > 0) {
        break;
      }
      char32_t point = code_point(text_, i);
      name = name && (i == part ? name_start(point) : name_character(point));
      i += sequence_length(c);
    } else if ((bits & (stops | kBlank)) != 0) {
      break;
    } else {
      name = name && c == ':' && i != part && part == from;
      part = c == ':' ? i + 1 : part;
      ++i;
    }
  }
  colon = !name || i == part ? kNoName : part > from ? part - 1 : kNone;
  return i;
}

Kind Checker::markup_at(Size p) {
  Size q = p + 1;
  closing_ = byte(q) == '/';
  if (closing_) {
    ++q;
  }
  attributes_ = 0;
  closes_open_ = false;
  // Most often an end tag closes the element open, its name read already:
  // the same bytes then >.
  if (closing_ && !open_.empty()) {
    const std::string_view open = part(open_.back().from, open_.back().to);
    const Size end = q + open.size();
    if (byte(end) == '>' && same(part(q, end), open)) {
      closes_open_ = true;
      name_end_ = attributes_end_ = end;
      name_colon_ = kNone;
      empty_ = false;
      end_ = end + 1;
      return Kind::kTag;
    }
  }
  // A name runs to a blank, /, >, ! or ?.
  name_end_ = run(q, kEndsName, name_colon_);
  if (name_end_ > q) {
    Size end = name_end_;
    const Size n = text_.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
    // Each attribute after blanks: a name, = and a value in either quote,
    // any characters but its quote.
    for (;;) {
      const Size attribute_start = blanks(end);
      if (attribute_start == end) {
        break;
      }
      Size attribute_colon = kNone;
      const Size attribute_end = run(attribute_start, kEndsAttribute, attribute_colon);
      if (attribute_end == attribute_start) {
        break;
      }
      Size r = blanks(attribute_end);
      if (byte(r) != '=') {
        break;
      }
      r = blanks(r + 1);
      const unsigned char quote = byte(r);
      if (quote != '"' && quote != '\'') {
        break;
      }
      // The value, read once for its closing quote, its first < and its first &.
      Size close = r + 1;
      Size less = kNone;
      Size amp = kNone;
      for (; close < n; ++close) {
        const unsigned char c = bytes[close];
        if (kStops[c] == 0) {
          continue;
        }
        if (c == quote) {
          break;
        }
        less = c == '<' && less == kNone ? close : less;
        amp = c == '&' && amp == kNone ? close : amp;
      }
      if (close == n) {
        break;
      }
      end = close + 1;
      if (found_.size() < attributes_ + kFound) {
        found_.resize(2 * (attributes_ + kFound));
      }
      Size* found = found_.data() + attributes_;
      found[0] = attribute_start;
      found[1] = attribute_end;
      found[2] = r + 1;
      found[3] = close;
      found[4] = attribute_colon;
      found[5] = less;
      found[6] = amp;
      attributes_ += kFound;
    }
    attributes_end_ = end;
    end = blanks(end);
    empty_ = byte(end) == '/';
    if (empty_) {
      ++end;
    }
    end_ = end + 1;
    return byte(end) == '>' ? Kind::kTag : Kind::kNothing;
  }
  // The markup other than tags, by how it opens and closes.
  for (std::string_view opening : {"<!--", "<?", "<![CDATA[", "<!DOCTYPE"}) {
    if (text_.substr(p, opening.size()) == opening) {
      std::string_view closing = opening[1] == '?'   ? "?>"
                                 : opening[2] == '-' ? "-->"
                                 : opening[2] == '[' ? "]]>"
                                                     : ">";
      Size close = text_.find(closing, p + opening.size());
      end_ = close + closing.size();
      return close == kNone ? Kind::kNothing : Kind::kOther;
    }
  }
  return Kind::kNothing;
}

Size Checker::bad_reference(Size from, Size to) const {
  for (Size at = find('&', from, to); at != kNone; at = find('&', at + 1, to)) {
    Size end = kNone;
    std::uint32_t code = ' ';
    if (byte(at + 1) == '#') {
      // A character's number: 1 to 6 hexadecimal digits after #x, or 1 to 7
      // decimal ones after #, then ;.
      const std::uint32_t base = byte(at + 2) == 'x' ? 16 : 10;
      const Size first = at + (base == 16 ? 3 : 2);
      Size r = first;
      code = 0;
      for (;; ++r) {
        unsigned char c = byte(r);
        std::uint32_t digit = c >= '0' && c <= '9' ? c - '0'
                              : base == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f'
                                  ? (c | 0x20) - 'a' + 10
                                  : base;
        if (digit == base) {
          break;
        }
        // Past seven digits the number is refused anyway: it stops growing.
        code = r - first < 7 ? code * base + digit : code;
      }
      if (r > first && r - first <= (base == 16 ? 6U : 7U) && byte(r) == ';') {
        end = r + 1;
      }
    } else {
      for (std::string_view name : {"lt;", "gt;", "amp;", "quot;", "apos;"}) {
        if (text_.substr(at + 1, name.size()) == name) {
          end = at + 1 + name.size();
        }
      }
    }
    if (end == kNone || end > to || !allowed(code)) {
      return at;
    }
  }
  return kNone;
}

bool Checker::bound(Size from, Size to) {
  std::string_view prefix = part(from, to);
  // One slot per prefix, by its length and first byte: a document uses a
  // few prefixes, and those most often fall in slots of their own.
  const auto first = prefix.empty() ? 0U : static_cast<unsigned char>(prefix[0]);
  Known& known = known_[(prefix.size() * 7 + first) % known_.size()];
  if (known.generation == generation_ && same(part(known.from, known.to), prefix)) {
    return true;
  }
  bool declared = prefix == "xml";
  for (Size i = declared_.size(); i > 0 && !declared; i -= 2) {
    declared = same(part(declared_[i - 2], declared_[i - 1]), prefix);
  }
  if (declared) {
    known = {from, to, generation_};
  }
  return declared;
}

void Checker::undeclare(Size count) {
  if (declared_.size() != count) {
    declared_.resize(count);
    ++generation_;
  }
}

bool Checker::fail(std::initializer_list<std::string_view> words, Size at) {
  for (std::string_view word : words) {
    fault_.append(word);
  }
  if (at != kNone) {
    auto line = std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    fault_.append(" (line ").append(std::to_string(line + 1)).append(")");
  }
  return true;
}

bool Checker::other_fails(Size next, Size start) {
  std::string_view markup = part(next, end_);
  // A comment's text is what lies between <!-- and -->.
  if ((markup.starts_with("<!--") && markup.substr(4, markup.size() - 7).find("--") != kNone) ||
      markup.ends_with("--->")) {
    return fail({"a comment holding --"}, next);
  }
  if (markup.starts_with("<![CDATA[") && open_.empty()) {
    return fail({"CDATA outside the root element"}, next);
  }
  if (markup.starts_with("<!DOCTYPE") && roots_ > 0) {
    return fail({"a document type after the root element"}, next);
  }
  if (markup.starts_with("<?xml") && space_length(next + 5) > 0 && next > start) {
    return fail({"an XML declaration that is not at the start"}, next);
  }
  return false;
}

bool Checker::start_tag_fails(Size next, Size from, Size to, Size colon) {
  std::string_view element = part(from, to);
  if (open_.empty() && roots_++ > 0) {
    return fail({"a second root element, <", element, ">"}, next);
  }
  // The tag's own declarations are in scope for its attributes and its name.
  const Size outside = declared_.size();
  for (Size a = 0; a < attributes_; a += kFound) {
    std::string_view name = part(found_[a], found_[a + 1]);
    if (name[0] == 'x' && name.starts_with("xmlns") && (name.size() == 5 || name[5] == ':')) {
      declared_.push_back(std::min(found_[a] + 6, found_[a + 1]));
      declared_.push_back(found_[a + 1]);
    }
  }
  if (declared_.size() != outside) {
    ++generation_;
  }
  for (Size a = 0; a < attributes_; a += kFound) {
    const Size name_from = found_[a];
    const Size name_to = found_[a + 1];
    const Size value_from = found_[a + 2];
    const Size value_to = found_[a + 3];
    std::string_view name = part(name_from, name_to);
    if (found_[a + 4] == kNoName) {
      return fail({"a bad attribute name, ", name}, next);
    }
    for (Size k = 0; k < a; k += kFound) {
      if (same(part(found_[k], found_[k + 1]), name)) {
        return fail({"the attribute ", name, " twice in <", element, ">"}, next);
      }
    }
    if (found_[a + 5] != kNone) {
      return fail({"a < in the value of ", name}, next);
    }
    if (const Size amp = found_[a + 6]; amp != kNone && bad_reference(amp, value_to) != kNone) {
      return fail({"an & that begins no reference in the value of ", name}, next);
    }
    const Size at = found_[a + 4];
    if (at != kNone) {
      bool declaring = at - name_from == 5 && name.starts_with("xmlns");
      if (!declaring && !bound(name_from, at)) {
        return fail({"the prefix of ", name, " is not declared"}, next);
      }
      if (declaring && value_to == value_from) {
        return fail({"the prefix ", part(at + 1, name_to), " is declared empty"}, next);
      }
    }
  }
  if (colon != kNone && !bound(from, colon)) {
    return fail({"the prefix of <", element, "> is not declared"}, next);
  }
  if (empty_) {
    undeclare(outside);
  } else {
    open_.push_back({from, to, outside});
  }
  return false;
}

bool Checker::read(bool whole) {
  const Size n = text_.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
  if (!started_) {
    // Whether a byte order mark begins the text is known from three bytes.
    if (!whole && n < 3) {
      return false;
    }
    started_ = true;
    start_ = at_ = text_.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  }
  const Size start = start_;
  for (Size& at = at_;;) {
    // The text up to the next markup, most often short: read at once for
    // the < and the first &.
    Size end = at;
    Size amp = n;
    for (; end < n; ++end) {
      const unsigned char c = bytes[end];
      if ((kStops[c] & kMarkup) == 0) {
        continue;
      }
      if (c == '<') {
        break;
      }
      amp = amp == n ? end : amp;
    }
    const Size next = end == n ? kNone : end;
    if (!whole && next == kNone) {
      return false;
    }
    const Kind kind = next == kNone ? Kind::kNothing : markup_at(next);
    // Markup not read whole may be cut short by the text's end; read again
    // from `at` with more text. Nothing read since `at` has changed the
    // state but names_, which holds what the bytes read show whatever follows.
    if (!whole && (kind == Kind::kNothing || end_ > n)) {
      return false;
    }
    if (next != kNone && kind == Kind::kNothing) {
      fail({"a < that begins no tag"}, next);
      return true;
    }
    // The text before this markup: good references, and only blanks outside the root.
    if (open_.empty() && blanks(at) < end) {
      fail({"text outside the root element"}, at);
      return true;
    }
    if (Size reference = open_.empty() || amp >= end ? kNone : bad_reference(amp, end);
        reference != kNone) {
      fail({"an & that begins no reference"}, reference);
      return true;
    }
    if (next == kNone) {
      break;
    }
    at = end_;
    if (kind == Kind::kOther) {
      if (other_fails(next, start)) {
        return true;
      }
      continue;
    }
    if (closes_open_) {
      undeclare(open_.back().outside);
      open_.pop_back();
      continue;
    }
    const Size from = next + (closing_ ? 2 : 1);
    const Size to = name_end_;
    std::string_view element = part(from, to);
    if (name_colon_ == kNoName) {
      fail({"a bad element name, ", element}, next);
    } else if (!closing_) {
      start_tag_fails(next, from, to, name_colon_);
    } else if (attributes_end_ > to || empty_) {
      fail({"an end tag with attributes, ", part(next, end_)}, next);
    } else if (open_.empty()) {
      fail({"an end tag </", element, "> without its start"}, next);
    } else if (std::string_view open = part(open_.back().from, open_.back().to);
               !same(open, element)) {
      fail({"</", element, "> where </", open, "> belongs"}, next);
    } else {
      undeclare(open_.back().outside);
      open_.pop_back();
    }
    if (!fault_.empty()) {
      return true;
    }
  }
  if (!open_.empty()) {
    fail({"<", part(open_.back().from, open_.back().to), "> is not closed"}, n);
    return true;
  }
  if (roots_ == 0) {
    return fail({"no root element"}, kNone);
  }
  return false;
}

}  // namespace

/// The check's state between pieces: the characters' pass ahead, the
/// markup's behind it, over the bytes that pass has passed.
struct XmlCheck::Reader {
  Checker markup;
  /// Where the characters' pass goes on from.
  Size checked = 0;
  /// The characters' fault, found before any of the markup's counts.
  std::optional<std::string> character_fault;
  /// True once the markup's fault is found: it stands unless the
  /// characters' pass finds one anywhere in the document.
  bool markup_failed = false;

  /// Reads the characters from `checked` on that start before `limit`.
  void read_characters(std::string_view document, Size limit) {
    if (std::optional<Located> bad = bad_character(document, checked, limit)) {
      auto line = std::count(document.begin(),
                             document.begin() + static_cast<std::ptrdiff_t>(bad->at), '\n');
      character_fault = bad->what + " (line " + std::to_string(line + 1) + ")";
    }
  }
};

XmlCheck::XmlCheck() : reader_(std::make_unique<Reader>()) {}
XmlCheck::~XmlCheck() = default;
XmlCheck::XmlCheck(XmlCheck&&) noexcept = default;
XmlCheck& XmlCheck::operator=(XmlCheck&&) noexcept = default;

void XmlCheck::feed(std::string_view document) {
  Reader& r = *reader_;
  if (r.character_fault) {
    return;
  }
  // A character starting three bytes or more before the end is whole.
  r.read_characters(document, document.size() >= 3 ? document.size() - 3 : 0);
  if (r.character_fault || r.markup_failed) {
    return;
  }
  r.markup.set_text(document.substr(0, r.checked));
  r.markup_failed = r.markup.read(false);
}

std::optional<std::string> XmlCheck::finish(std::string_view document) {
  Reader& r = *reader_;
  if (!r.character_fault) {
    r.read_characters(document, document.size());
  }
  if (r.character_fault) {
    return r.character_fault;
  }
  if (!r.markup_failed) {
    r.markup.set_text(document);
    r.markup_failed = r.markup.read(true);
  }
  if (r.markup_failed) {
    return r.markup.fault();
  }
  return std::nullopt;
}

std::optional<std::string> xml_fault(std::string_view document) {
  return XmlCheck().finish(document);
}

}  // namespace wasm
