#ifndef VARVE_CHRONOLOGY_CELL_H_
#define VARVE_CHRONOLOGY_CELL_H_

// What one cell of a user's data means: the one rule by which every front end
// that reads a user's values (varve-batch's list, line and column modes, the
// web page, the R and Python bindings) turns a cell's text, or a number of the
// host language, into a varve number, an empty cell, or a cell that is not a
// number. A cell that is not a number may carry a hint of what was perhaps
// meant; nothing is ever guessed into a number.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "chronology/sequence.h"

namespace chronology {

/// What a cell holds.
enum class CellKind : std::uint8_t {
  kNumber,   ///< A whole number, in `Cell::number`.
  kEmpty,    ///< Nothing, or only blanks; a missing value.
  kInvalid,  ///< Anything else.
  kSpan,     ///< A span of varves, from `Cell::first` to `Cell::last`.
};

/// What an invalid cell may have been meant as; `Cell::meant` holds the number.
enum class CellHint : std::uint8_t {
  kNone,
  kThousands,  ///< Digits in groups of three, as "4,282", "4.282" or "4 282".
  kUncertain,  ///< A number marked uncertain, as "4282?", "~4282" or "ca. 4282".
};

/// One cell, read: each field means one thing, and holds it for one kind of
/// cell only (0 otherwise). A number beyond 32 bits saturates to the nearest
/// 32-bit value, which lies outside every accepted range, so that it is never
/// taken for another one.
struct Cell {
  CellKind kind = CellKind::kEmpty;
  GivenNumber number = 0;           ///< kNumber: the number.
  CellHint hint = CellHint::kNone;  ///< kInvalid: what it was perhaps meant as.
  GivenNumber meant = 0;            ///< kInvalid with a hint: the number perhaps meant.
  GivenNumber first = 0;            ///< kSpan: its first number, as written.
  GivenNumber last = 0;             ///< kSpan: its last number, as written.

  friend constexpr bool operator==(const Cell&, const Cell&) = default;
};

namespace cell_detail {

/// The length of the blank that starts `text`: an ASCII blank or line end, a
/// no-break space, a thin space or a narrow no-break space; 0 when none.
constexpr std::size_t blank_at(std::string_view text) {
  if (text.empty()) {
    return 0;
  }
  char c = text.front();
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') {
    return 1;
  }
  if (text.starts_with("\xC2\xA0")) {
    return 2;
  }
  if (text.starts_with("\xE2\x80\x89") || text.starts_with("\xE2\x80\xAF")) {
    return 3;
  }
  return 0;
}

/// The length of the blank that ends `text`, as `blank_at`.
constexpr std::size_t blank_before_end(std::string_view text) {
  for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
    if (text.size() >= n && blank_at(text.substr(text.size() - n)) == n) {
      return n;
    }
  }
  return 0;
}

/// `text` without the blanks around it.
constexpr std::string_view trimmed(std::string_view text) {
  while (std::size_t n = blank_at(text)) {
    text.remove_prefix(n);
  }
  while (std::size_t n = blank_before_end(text)) {
    text.remove_suffix(n);
  }
  return text;
}

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

/// Accumulates decimal digits into a magnitude that stops growing past the
/// largest 32-bit one, so that an overlong number saturates.
struct Magnitude {
  static constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<GivenNumber>::max()} + 1;
  std::int64_t value = 0;

  constexpr void add(char digit) { value = std::min(value * 10 + (digit - '0'), kLimit); }

  /// The signed number, clamped to 32 bits.
  constexpr GivenNumber signed_value(bool negative) const {
    std::int64_t v = negative ? -value : value;
    return static_cast<GivenNumber>(std::clamp<std::int64_t>(
        v, std::numeric_limits<GivenNumber>::min(), std::numeric_limits<GivenNumber>::max()));
  }
};

/// Removes a leading '+' or '-' from `text`; true when it was '-'.
constexpr bool take_sign(std::string_view& text) {
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    text.remove_prefix(1);
  }
  return negative;
}

/// Reads a whole number: a sign, digits, and a fraction of zeros only after
/// '.' (or after ',' where `decimal_comma`), as spreadsheets write a whole
/// number in a column formatted with decimals. False for anything else.
constexpr bool whole_number(std::string_view text, bool decimal_comma, GivenNumber& number) {
  bool negative = take_sign(text);
  Magnitude magnitude;
  std::size_t digits = 0;
  while (digits < text.size() && is_digit(text[digits])) {
    magnitude.add(text[digits++]);
  }
  if (digits == 0) {
    return false;
  }
  text.remove_prefix(digits);
  if (!text.empty()) {
    char point = text.front();
    std::string_view fraction = text.substr(1);
    bool zeros = !fraction.empty() && fraction.find_first_not_of('0') == std::string_view::npos;
    if (!(point == '.' || (decimal_comma && point == ',')) || !zeros) {
      return false;
    }
  }
  number = magnitude.signed_value(negative);
  return true;
}

/// The thousands separators a hint is given for.
inline constexpr std::array<std::string_view, 7> kGroupSeparators = {
    ",", ".", " ", "'", "\xC2\xA0", "\xE2\x80\x89", "\xE2\x80\xAF"};

/// Reads digits written in groups of three with one thousands separator, as
/// "4,282" or "1 234 567": one to three digits, then groups of a separator
/// and three digits. False for anything else.
constexpr bool grouped_number(std::string_view text, GivenNumber& number) {
  bool negative = take_sign(text);
  Magnitude magnitude;
  std::size_t lead = 0;
  while (lead < text.size() && is_digit(text[lead])) {
    magnitude.add(text[lead++]);
  }
  if (lead == 0 || lead > 3 || lead == text.size()) {
    return false;
  }
  text.remove_prefix(lead);
  std::string_view separator;
  for (std::string_view candidate : kGroupSeparators) {
    if (text.starts_with(candidate)) {
      separator = candidate;
    }
  }
  if (separator.empty()) {
    return false;
  }
  while (!text.empty()) {
    if (!text.starts_with(separator) || text.size() < separator.size() + 3) {
      return false;
    }
    text.remove_prefix(separator.size());
    for (int i = 0; i < 3; ++i) {
      if (!is_digit(text[static_cast<std::size_t>(i)])) {
        return false;
      }
      magnitude.add(text[static_cast<std::size_t>(i)]);
    }
    text.remove_prefix(3);
  }
  number = magnitude.signed_value(negative);
  return true;
}

/// `a` and `b` are equal, ASCII letters compared without case.
constexpr bool same_letters(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

/// Marks that say a number is uncertain, before it and after it; longer ones
/// first, so that "ca." is taken whole before "ca".
inline constexpr std::array<std::string_view, 9> kUncertainBefore = {
    "approx.", "approx", "circa", "ca.", "ca", "c.", "~", "\xE2\x89\x88", "?"};
inline constexpr std::array<std::string_view, 2> kUncertainAfter = {"(?)", "?"};

/// Reads a number marked uncertain, as "4282?", "~4282" or "ca. 4282".
constexpr bool uncertain_number(std::string_view text, bool decimal_comma, GivenNumber& number) {
  bool marked = false;
  for (std::string_view mark : kUncertainBefore) {
    if (text.size() >= mark.size() && same_letters(text.substr(0, mark.size()), mark)) {
      text = trimmed(text.substr(mark.size()));
      marked = true;
      break;
    }
  }
  for (std::string_view mark : kUncertainAfter) {
    if (text.ends_with(mark)) {
      text = trimmed(text.substr(0, text.size() - mark.size()));
      marked = true;
      break;
    }
  }
  return marked && whole_number(text, decimal_comma, number);
}

/// The dashes that join the two numbers of a span: a hyphen and an en dash.
inline constexpr std::array<std::string_view, 2> kSpanDashes = {"-", "\xE2\x80\x93"};

/// Reads unsigned decimal digits that make up all of `text`; false for anything else.
constexpr bool digits_only(std::string_view text, GivenNumber& number) {
  Magnitude magnitude;
  for (char c : text) {
    if (!is_digit(c)) {
      return false;
    }
    magnitude.add(c);
  }
  number = magnitude.signed_value(false);
  return !text.empty();
}

/// Reads a span of varves: digits, a hyphen or an en dash, digits, with blanks
/// allowed around the dash. No sign: "-5" is a number, "5-" and "5--6" are
/// nothing.
constexpr bool span_numbers(std::string_view text, GivenNumber& first, GivenNumber& last) {
  std::size_t digits = 0;
  while (digits < text.size() && is_digit(text[digits])) {
    ++digits;
  }
  if (digits == 0 || !digits_only(text.substr(0, digits), first)) {
    return false;
  }
  std::string_view rest = trimmed(text.substr(digits));
  for (std::string_view dash : kSpanDashes) {
    if (rest.starts_with(dash)) {
      return digits_only(trimmed(rest.substr(dash.size())), last);
    }
  }
  return false;
}

}  // namespace cell_detail

/// Reads the text of one cell: a whole number, a span of varves such as
/// "5580-5700", an empty cell, or none of these. `separator` is the separator of the cell's
/// file (',', ';' or '\t'), or 0 where there is none (a pasted line, a value
/// of R or Python): where ';' separates cells, a decimal comma is the norm,
/// so that "3021,0" is the whole number 3021 there and nowhere else.
constexpr Cell read_cell(std::string_view text, char separator = 0) {
  // Most cells are a few plain digits: read those at once.
  if (!text.empty() && text.size() <= 9) {
    GivenNumber plain = 0;  // Nine digits at most: never past 32 bits.
    std::size_t digits = 0;
    while (digits < text.size() && cell_detail::is_digit(text[digits])) {
      plain = plain * 10 + (text[digits++] - '0');
    }
    if (digits == text.size()) {
      return {CellKind::kNumber, plain};
    }
  }
  text = cell_detail::trimmed(text);
  if (text.empty()) {
    return {CellKind::kEmpty};
  }
  GivenNumber number = 0;
  // Groups of three first: "4.000" may be 4 or 4000, so it is no number.
  if (cell_detail::grouped_number(text, number)) {
    return {CellKind::kInvalid, 0, CellHint::kThousands, number};
  }
  bool decimal_comma = separator == ';';
  if (cell_detail::whole_number(text, decimal_comma, number)) {
    return {CellKind::kNumber, number};
  }
  if (cell_detail::uncertain_number(text, decimal_comma, number)) {
    return {CellKind::kInvalid, 0, CellHint::kUncertain, number};
  }
  if (GivenNumber last = 0; cell_detail::span_numbers(text, number, last)) {
    return {CellKind::kSpan, 0, CellHint::kNone, 0, number, last};
  }
  return {CellKind::kInvalid};
}

/// Reads a whole number of any size of a host language, saturating to 32 bits.
constexpr Cell read_integer(std::int64_t value) {
  return {CellKind::kNumber, static_cast<GivenNumber>(std::clamp<std::int64_t>(
                                 value, std::numeric_limits<GivenNumber>::min(),
                                 std::numeric_limits<GivenNumber>::max()))};
}

/// Reads a floating-point number of a host language: NaN is an empty cell (a
/// missing value), an infinity or a fraction is not a number, and a whole
/// number saturates to 32 bits as in `read_cell`.
constexpr Cell read_real(double value) {
  if (value != value) {
    return {CellKind::kEmpty};
  }
  if (value - value != 0) {  // An infinity.
    return {CellKind::kInvalid};
  }
  // From 2^53 on every double is whole; below it the cast to 64 bits is exact.
  constexpr double kAllWhole = 9007199254740992.0;
  if (value >= kAllWhole || value <= -kAllWhole) {
    return read_integer(value < 0 ? std::numeric_limits<std::int64_t>::min()
                                  : std::numeric_limits<std::int64_t>::max());
  }
  auto whole = static_cast<std::int64_t>(value);
  return static_cast<double>(whole) == value ? read_integer(whole) : Cell{CellKind::kInvalid};
}

/// What a message says of an invalid cell shown as `shown` (already made safe
/// to show by the caller): "not a whole number: '4,282'", and the hint in
/// brackets when there is one.
inline std::string invalid_cell_message(std::string_view shown, const Cell& cell) {
  std::string message = "not a whole number: '" + std::string(shown) + "'";
  std::string meant = std::to_string(cell.meant);
  switch (cell.hint) {
    case CellHint::kNone:
      break;
    case CellHint::kThousands:
      message += " (a thousands separator? write " + meant + " without one to convert it)";
      break;
    case CellHint::kUncertain:
      message += " (" + meant + " marked uncertain: write " + meant + " alone to convert it)";
      break;
  }
  return message;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_CELL_H_
