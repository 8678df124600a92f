#ifndef VARVE_CHRONOLOGY_SPAN_H_
#define VARVE_CHRONOLOGY_SPAN_H_

// Spans of varves: an interval of one chronology, its two ends given in
// either order, converted to the other, with its length in each, the corrections (splits and joins)
// inside it, and what makes an end inexact. Built on the links of the two ends and the rows of the
// tables between them; every front end turns the result into its rows or an account without working
// anything out again. Its compile-time checks are in span_checks.cpp, worked out
// once per build.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "chronology/links.h"

namespace chronology {

/// Where one end of a span lies among the accepted numbers of its direction.
enum class EndPlace : std::uint8_t {
  kAccepted,  ///< In an accepted range.
  kBelow,     ///< Below every accepted number.
  kInGap,     ///< Between the NE-LC and the NE-UC range.
  kAbove,     ///< Above every accepted number.
};

/// Why a span is not converted; kNone when it is.
enum class SpanFault : std::uint8_t {
  kNone,
  kOutside,          ///< An end lies outside the accepted ranges: the ends' places say which.
  kSequencesDiffer,  ///< The ends lie in different NE sequences.
};

/// A part of a span's numbers that lies in one accepted range.
struct SpanPart {
  GivenRange range;
  std::optional<Sequence> sequence;  ///< ne-to-am: the NE sequence of the range.

  friend constexpr bool operator==(const SpanPart&, const SpanPart&) = default;
};

namespace span_detail {

/// How many rows of the NE table are splits or joins.
constexpr std::size_t ne_corrections() {
  std::size_t count = 0;
  for (const NeRow& row : NeToAmTable) {
    count += row.relation != Relation::kCorresponds;
  }
  return count;
}

/// How many entries of the AM table are splits or joins.
constexpr std::size_t am_corrections() {
  std::size_t count = 0;
  for (const AmRow& row : AmToNeTable) {
    for (std::size_t i = 0; i < row.count; ++i) {
      count += row.entries[i].relation != Relation::kCorresponds;
    }
  }
  return count;
}

}  // namespace span_detail

/// The most corrections a span can hold: every split and join of a table.
inline constexpr std::size_t kMaxSpanCorrections =
    std::max(span_detail::ne_corrections(), span_detail::am_corrections());

/// The splits and joins inside a span, in order.
struct Corrections {
  std::array<Link, kMaxSpanCorrections> items{};
  std::size_t count = 0;

  constexpr const Link* begin() const { return items.data(); }
  constexpr const Link* end() const { return items.data() + count; }
  constexpr bool empty() const { return count == 0; }
  constexpr std::size_t size() const { return count; }
  constexpr const Link& operator[](std::size_t i) const { return items[i]; }
  /// Adds `link` after those already held.
  constexpr void push_back(const Link& link) { items[count++] = link; }
};

/// A span converted within one NE sequence.
struct SequenceSpan {
  Sequence sequence{};
  NeRange ne{};  ///< The NE varves of the span.
  AmRange am{};  ///< The AM varves of the span: am-to-ne, the part the sequence covers.
  /// am-to-ne: the sequence covers the whole AM span given, not only `am`.
  bool whole = true;
  Corrections corrections;  ///< Each split and join with a varve in the span, in order.
  /// The correction the first end cuts through, if any. ne-to-am: a join whose
  /// AM varve also holds NE varves before the span. am-to-ne: a split whose NE
  /// varve is also the AM varve before the span.
  std::optional<Link> first_cut;
  /// The correction the last end cuts through, as first_cut, after the span.
  std::optional<Link> last_cut;
  bool false_couplets = false;  ///< A false-couplet run lies in the span.

  /// The NE varves in the span.
  constexpr std::int32_t ne_varves() const { return ne.last - ne.first + 1; }
  /// The AM varves (years) in the span.
  constexpr std::int32_t am_varves() const { return am.last - am.first + 1; }
};

/// A span of one direction: converted, or why not.
struct SpanResult {
  Direction direction{};
  /// The span's ends in the chronology's order, the smaller first, whichever
  /// order they were given in, in the chronology of `direction`'s numbers.
  GivenRange given{};
  SpanFault fault = SpanFault::kNone;
  EndPlace first_place = EndPlace::kAccepted;
  EndPlace last_place = EndPlace::kAccepted;
  /// Not converted: the parts of the span that lie in accepted ranges, ascending.
  UpToTwo<SpanPart> inside;
  /// Converted: ne-to-am, the one sequence; am-to-ne, each sequence that
  /// covers part of the span, LC first.
  UpToTwo<SequenceSpan> spans;

  /// True when the span is converted.
  constexpr bool converted() const { return fault == SpanFault::kNone; }
};

namespace span_detail {

/// Where `n` lies among the accepted numbers of `direction`.
constexpr EndPlace place_of(Direction direction, GivenNumber n) {
  std::span<const GivenRange> ranges = accepted_ranges(direction);
  if (n < ranges.front().first) {
    return EndPlace::kBelow;
  }
  if (n > ranges.back().last) {
    return EndPlace::kAbove;
  }
  for (const GivenRange& range : ranges) {
    if (range.contains(n)) {
      return EndPlace::kAccepted;
    }
  }
  return EndPlace::kInGap;
}

/// The parts of `span` that lie in the accepted ranges of `direction`.
constexpr UpToTwo<SpanPart> parts_inside(Direction direction, GivenRange span) {
  UpToTwo<SpanPart> parts;
  std::span<const GivenRange> ranges = accepted_ranges(direction);
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    GivenRange part{std::max(span.first, ranges[i].first), std::min(span.last, ranges[i].last)};
    if (part.first <= part.last) {
      std::optional<Sequence> sequence;
      if (direction == Direction::kNeToAm) {
        sequence = i == 0 ? Sequence::kLc : Sequence::kUc;
      }
      parts.push_back({part, sequence});
    }
  }
  return parts;
}

/// The link of `am` to `sequence`; `am` must have one.
constexpr Link am_link(Sequence sequence, AmNumber am) {
  for (const Link& link : am_to_ne(am)) {
    if (link.sequence == sequence) {
      return link;
    }
  }
  return {};
}

/// The AM numbers that have a link to `sequence`: one unbroken run.
constexpr AmRange am_coverage(Sequence sequence) {
  AmRange covered{AmNumber{0}, AmNumber{-1}};
  for (const AmRow& row : AmToNeTable) {
    for (std::size_t i = 0; i < row.count; ++i) {
      if (row.entries[i].sequence == sequence) {
        covered.first = covered.last < covered.first ? row.first : covered.first;
        covered.last = row.last;
      }
    }
  }
  return covered;
}

/// True when every AM row from the first to the last that links to
/// `sequence` links to it, so that its coverage has no hole.
constexpr bool coverage_unbroken(Sequence sequence) {
  AmRange covered = am_coverage(sequence);
  for (const AmRow& row : AmToNeTable) {
    if (row.first < covered.first || row.last > covered.last) {
      continue;
    }
    bool links = false;
    for (std::size_t i = 0; i < row.count; ++i) {
      links = links || row.entries[i].sequence == sequence;
    }
    if (!links) {
      return false;
    }
  }
  return covered.first <= covered.last;
}

/// The NE span `ne`, whose ends lie in one sequence and have the links
/// `first` and `last`.
constexpr SequenceSpan ne_span(NeRange ne, const Link& first, const Link& last) {
  SequenceSpan span;
  span.sequence = first.sequence;
  span.ne = ne;
  span.am = {first.am_first, last.am_last};
  for (const NeRow& row : NeToAmTable) {
    if (row.sequence == span.sequence && row.relation != Relation::kCorresponds &&
        row.last >= ne.first && row.first <= ne.last) {
      Link link = ne_to_am(row.first)[0];
      span.corrections.push_back(link);
      span.false_couplets = span.false_couplets || link.false_couplets;
    }
  }
  if (first.relation == Relation::kJoined && first.ne_first < ne.first) {
    span.first_cut = first;
  }
  if (last.relation == Relation::kJoined && last.ne_last > ne.last) {
    span.last_cut = last;
  }
  return span;
}

/// The AM span `am` within the coverage of `sequence`.
constexpr SequenceSpan am_span(Sequence sequence, AmRange am, bool whole) {
  Link first = am_link(sequence, am.first);
  Link last = am_link(sequence, am.last);
  SequenceSpan span;
  span.sequence = sequence;
  span.ne = {first.ne_first, last.ne_last};
  span.am = am;
  span.whole = whole;
  for (const AmRow& row : AmToNeTable) {
    if (row.last < am.first || row.first > am.last) {
      continue;
    }
    for (std::size_t i = 0; i < row.count; ++i) {
      const AmEntry& entry = row.entries[i];
      if (entry.sequence == sequence && entry.relation != Relation::kCorresponds) {
        Link link = am_link(sequence, row.first);
        span.corrections.push_back(link);
        span.false_couplets = span.false_couplets || link.false_couplets;
      }
    }
  }
  if (first.relation == Relation::kSplit && first.am_first < am.first) {
    span.first_cut = first;
  }
  if (last.relation == Relation::kSplit && last.am_last > am.last) {
    span.last_cut = last;
  }
  return span;
}

}  // namespace span_detail

/// Why the span between the ends `a` and `b` of `direction` (in either order)
/// is not converted, or kNone: what span_of says, without converting it.
constexpr SpanFault span_fault(Direction direction, GivenNumber a, GivenNumber b) {
  if (span_detail::place_of(direction, a) != EndPlace::kAccepted ||
      span_detail::place_of(direction, b) != EndPlace::kAccepted) {
    return SpanFault::kOutside;
  }
  // ne-to-am: each accepted range is one NE sequence's (as parts_inside reads them).
  if (direction == Direction::kNeToAm &&
      accepted_ranges(direction)[0].contains(a) != accepted_ranges(direction)[0].contains(b)) {
    return SpanFault::kSequencesDiffer;
  }
  return SpanFault::kNone;
}

/// The span between the ends `a` and `b` of `direction`, in either order (a
/// core log lists the top, the younger and larger number, first), converted:
/// both ends in one NE sequence (ne-to-am) or in the AM range (am-to-ne).
/// Otherwise the result says why not and, where the span reaches past the
/// accepted numbers, which parts of it lie inside. Either way the result
/// holds the ends smaller first, so that its first end is the older one.
constexpr SpanResult span_of(Direction direction, GivenNumber a, GivenNumber b) {
  SpanResult result;
  result.direction = direction;
  GivenNumber first = std::min(a, b);
  GivenNumber last = std::max(a, b);
  result.given = {first, last};
  result.first_place = span_detail::place_of(direction, first);
  result.last_place = span_detail::place_of(direction, last);
  result.fault = span_fault(direction, a, b);
  if (!result.converted()) {
    result.inside = span_detail::parts_inside(direction, result.given);
    return result;
  }
  if (direction == Direction::kNeToAm) {
    NeRange ne{NeNumber{first}, NeNumber{last}};
    result.spans.push_back(span_detail::ne_span(ne, ne_to_am(ne.first)[0], ne_to_am(ne.last)[0]));
    return result;
  }
  AmRange am{AmNumber{first}, AmNumber{last}};
  for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
    AmRange covered = span_detail::am_coverage(sequence);
    AmRange part{std::max(am.first, covered.first), std::min(am.last, covered.last)};
    if (part.first <= part.last) {
      bool whole = part == am;
      result.spans.push_back(span_detail::am_span(sequence, part, whole));
    }
  }
  return result;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_SPAN_H_
