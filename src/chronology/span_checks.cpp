// Compile-time checks of spans: that each NE sequence covers one unbroken run
// of AM numbers, on which converting an AM span relies, and spot values of
// every kind of span. Kept out of span.h so that they are worked out once per
// build, not in every file that includes it.

#include "chronology/span.h"

namespace chronology {
namespace {

static_assert(span_detail::coverage_unbroken(Sequence::kLc) &&
                  span_detail::coverage_unbroken(Sequence::kUc),
              "each NE sequence must cover one unbroken run of AM numbers");

// Spot checks: the lengths of two well-known spans, an end in a join and on a
// split half, and each way a span is not converted.
static_assert([] {
  SequenceSpan s = span_of(Direction::kNeToAm, 3000, 3700).spans[0];
  return plain(s.am) == GivenRange{3000, 3713} && s.ne_varves() == 701 && s.am_varves() == 714 &&
         s.corrections.size() == 13 && !s.first_cut && !s.last_cut;
}());
static_assert([] {
  SequenceSpan s = span_of(Direction::kNeToAm, 5580, 5700).spans[0];
  return plain(s.am) == GivenRange{5599, 5714} && s.ne_varves() == 121 && s.am_varves() == 116 &&
         s.corrections.size() == 4 && s.false_couplets;
}());
static_assert([] {
  SequenceSpan s = span_of(Direction::kNeToAm, 5673, 5680).spans[0];
  return plain(s.am) == GivenRange{5691, 5695} && s.first_cut &&
         s.first_cut->ne_first == NeNumber{5672} && s.last_cut &&
         s.last_cut->ne_last == NeNumber{5681};
}());
static_assert([] {
  SpanResult r = span_of(Direction::kAmToNe, 3022, 3712);
  const SequenceSpan& s = r.spans[0];
  return r.spans.size() == 1 && plain(s.ne) == GivenRange{3021, 3700} && s.first_cut && s.last_cut;
}());
static_assert([] {
  SpanResult r = span_of(Direction::kAmToNe, 6200, 6300);
  return r.spans.size() == 2 && r.spans[0].whole && !r.spans[1].whole &&
         plain(r.spans[1].am) == GivenRange{6245, 6300};
}());
static_assert(span_of(Direction::kNeToAm, 5700, 5580).given == GivenRange{5580, 5700} &&
              span_of(Direction::kNeToAm, 5700, 5580).spans[0].am ==
                  AmRange{AmNumber{5599}, AmNumber{5714}});
static_assert(span_of(Direction::kNeToAm, 6400, 6600).fault == SpanFault::kSequencesDiffer);
static_assert([] {
  SpanResult r = span_of(Direction::kNeToAm, 6400, 6500);
  return r.fault == SpanFault::kOutside && r.last_place == EndPlace::kInGap &&
         r.inside.size() == 1 && r.inside[0] == SpanPart{{6400, 6460}, Sequence::kLc};
}());
static_assert(span_of(Direction::kAmToNe, 2400, 2600).first_place == EndPlace::kBelow);
}  // namespace
}  // namespace chronology
