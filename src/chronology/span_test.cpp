#include "chronology/span.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace chronology {
namespace {

// The model works in plain integers, as a table's rows are written.
using VarveNumber = GivenNumber;
using Range = GivenRange;

// An independent model of spans: for each varve, the varves of the other
// chronology it shares, read straight from the rows of the tables (never
// through the lookups), and a span's conversion worked out varve by varve.

/// A correction as the model sees it: its relation and its NE and AM runs.
using ModelCorrection = std::tuple<Relation, VarveNumber, VarveNumber, VarveNumber, VarveNumber>;

/// What one sequence's part of a span should give.
struct ModelSpan {
  Sequence sequence = Sequence::kLc;
  Range ne{}, am{};
  bool whole = true;
  std::vector<ModelCorrection> corrections;
  bool first_cut = false, last_cut = false, false_couplets = false;
};

/// One varve's row of a table, as the model keeps it: the run of varves of
/// the other chronology it shares, and the whole correction it belongs to.
struct Share {
  bool present = false;
  Range other{};  ///< The varves of the other chronology this varve shares.
  Relation relation = Relation::kCorresponds;
  Range run{};  ///< Of a correction: the run of this chronology's varves it covers.
  bool false_couplets = false;
};

class Model {
 public:
  Model() {
    for (const NeRow& row : NeToAmTable) {
      for (VarveNumber n = plain(row.first); n <= plain(row.last); ++n) {
        Share& share = ne_[row.sequence][n];
        share.present = true;
        share.relation = row.relation;
        share.run = {plain(row.first), plain(row.last)};
        share.false_couplets = row.false_couplets;
        switch (row.relation) {
          case Relation::kCorresponds:
            share.other = {n + row.offset, n + row.offset};
            break;
          case Relation::kSplit:
            share.other = {plain(row.am), plain(row.am) + 1};
            break;
          case Relation::kJoined:
            share.other = {plain(row.am), plain(row.am)};
            break;
        }
      }
    }
    for (const AmRow& row : AmToNeTable) {
      for (std::size_t i = 0; i < row.count; ++i) {
        const AmEntry& e = row.entries[i];
        for (VarveNumber a = plain(row.first); a <= plain(row.last); ++a) {
          Share& share = am_[e.sequence][a];
          share.present = true;
          share.relation = e.relation;
          share.run = {plain(row.first), plain(row.last)};
          share.false_couplets = e.false_couplets;
          share.other = e.relation == Relation::kCorresponds
                            ? Range{a + e.offset, a + e.offset}
                            : plain(NeRange{e.ne_first, e.ne_last});
        }
      }
    }
  }

  /// The model's NE span, or none when its ends are not both in `sequence`.
  std::optional<ModelSpan> ne_span(Sequence sequence, VarveNumber first, VarveNumber last) const {
    return span(ne_.at(sequence), sequence, first, last, true);
  }

  /// The model's AM span within `sequence`'s AM varves, or none when it
  /// covers none of them.
  std::optional<ModelSpan> am_span(Sequence sequence, VarveNumber first, VarveNumber last) const {
    const std::map<VarveNumber, Share>& shares = am_.at(sequence);
    VarveNumber lo = std::max(first, shares.begin()->first);
    VarveNumber hi = std::min(last, shares.rbegin()->first);
    if (lo > hi) {
      return std::nullopt;
    }
    std::optional<ModelSpan> part = span(shares, sequence, lo, hi, false);
    part->whole = lo == first && hi == last;
    return part;
  }

  /// True when the NE varve `n` lies in `sequence`.
  bool has_ne(Sequence sequence, VarveNumber n) const { return ne_.at(sequence).contains(n); }

 private:
  /// The span `first`-`last` of one chronology's `shares`, varve by varve:
  /// `from_ne` when they are NE varves.
  static std::optional<ModelSpan> span(const std::map<VarveNumber, Share>& shares,
                                       Sequence sequence, VarveNumber first, VarveNumber last,
                                       bool from_ne) {
    if (!shares.contains(first) || !shares.contains(last)) {
      return std::nullopt;
    }
    std::set<VarveNumber> others;
    ModelSpan result;
    result.sequence = sequence;
    Range previous_run{0, -1};
    for (VarveNumber n = first; n <= last; ++n) {
      const Share& share = shares.at(n);
      for (VarveNumber o = share.other.first; o <= share.other.last; ++o) {
        others.insert(o);
      }
      if (share.relation != Relation::kCorresponds && !(share.run == previous_run)) {
        previous_run = share.run;
        Range ne = from_ne ? share.run : share.other;
        Range am = from_ne ? share.other : share.run;
        result.corrections.emplace_back(share.relation, ne.first, ne.last, am.first, am.last);
        result.false_couplets = result.false_couplets || share.false_couplets;
      }
    }
    // The shared varves must be one unbroken run.
    EXPECT_EQ(static_cast<std::size_t>(*others.rbegin() - *others.begin() + 1), others.size());
    Range own{first, last};
    Range other{*others.begin(), *others.rbegin()};
    result.ne = from_ne ? own : other;
    result.am = from_ne ? other : own;
    // An end cuts a correction that makes one varve of the other chronology
    // out of several of this one: a join seen from NE, a split seen from AM.
    Relation cuttable = from_ne ? Relation::kJoined : Relation::kSplit;
    const Share& at_first = shares.at(first);
    const Share& at_last = shares.at(last);
    result.first_cut = at_first.relation == cuttable && at_first.run.first < first;
    result.last_cut = at_last.relation == cuttable && at_last.run.last > last;
    return result;
  }

  std::map<Sequence, std::map<VarveNumber, Share>> ne_{{Sequence::kLc, {}}, {Sequence::kUc, {}}};
  std::map<Sequence, std::map<VarveNumber, Share>> am_{{Sequence::kLc, {}}, {Sequence::kUc, {}}};
};

const Model& model() {
  static const Model kModel;
  return kModel;
}

/// The engine's span as the model writes it.
ModelSpan as_model(const SequenceSpan& span) {
  ModelSpan result;
  result.sequence = span.sequence;
  result.ne = plain(span.ne);
  result.am = plain(span.am);
  result.whole = span.whole;
  for (const Link& link : span.corrections) {
    result.corrections.emplace_back(link.relation, plain(link.ne_first), plain(link.ne_last),
                                    plain(link.am_first), plain(link.am_last));
  }
  result.first_cut = span.first_cut.has_value();
  result.last_cut = span.last_cut.has_value();
  result.false_couplets = span.false_couplets;
  return result;
}

void expect_same(const ModelSpan& engine, const ModelSpan& expected, const std::string& what) {
  EXPECT_EQ(engine.sequence, expected.sequence) << what;
  EXPECT_EQ(engine.ne, expected.ne) << what;
  EXPECT_EQ(engine.am, expected.am) << what;
  EXPECT_EQ(engine.whole, expected.whole) << what;
  EXPECT_EQ(engine.corrections, expected.corrections) << what;
  EXPECT_EQ(engine.first_cut, expected.first_cut) << what;
  EXPECT_EQ(engine.last_cut, expected.last_cut) << what;
  EXPECT_EQ(engine.false_couplets, expected.false_couplets) << what;
}

/// NE ends: on splits, inside and at the ends of joins and of the false
/// couplets, at the edges of the LC/UC overlap and of the ranges, and plain.
const std::vector<VarveNumber> kNeEnds = {
    2499, 2500, 2501, 3000, 3020, 3021, 3022, 3191, 3700, 3701, 4280, 4281, 4282, 4283, 5580, 5594,
    5595, 5607, 5671, 5672, 5674, 5676, 5677, 5680, 5681, 5700, 5702, 6453, 6454, 6460, 6461, 6500,
    6559, 6560, 6561, 6562, 6673, 6674, 6675, 6744, 6745, 6951, 6952, 7000, 8999, 9000, 9001};

/// AM ends: on each half of splits, on joins and the false couplets, at the
/// edges of each sequence's coverage and of the range, and plain.
const std::vector<VarveNumber> kAmEnds = {
    2499, 2500, 2501, 3000, 3021, 3022, 3023, 3711, 3712, 3713, 3714, 4294, 5599, 5613, 5625,
    5626, 5690, 5691, 5692, 5695, 5714, 6242, 6243, 6244, 6245, 6246, 6356, 6357, 6358, 6359,
    6428, 6468, 6469, 6470, 6475, 6633, 6634, 6635, 8682, 8683, 8699, 8700, 8701};

TEST(SpanOf, NeSpansAgreeWithTheModelForEveryPairOfEnds) {
  std::size_t converted = 0;
  for (VarveNumber first : kNeEnds) {
    for (VarveNumber last : kNeEnds) {
      std::string what = "NE " + std::to_string(first) + "-" + std::to_string(last);
      // The ends in either order are one interval, held smaller first.
      SpanResult result = span_of(Direction::kNeToAm, first, last);
      VarveNumber lo = std::min(first, last), hi = std::max(first, last);
      ASSERT_EQ(result.given, (Range{lo, hi})) << what;
      ASSERT_EQ(span_fault(Direction::kNeToAm, first, last), result.fault) << what;
      std::optional<ModelSpan> expected;
      for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
        if (!expected) {
          expected = model().ne_span(sequence, lo, hi);
        }
      }
      ASSERT_EQ(result.converted(), expected.has_value()) << what;
      if (!expected) {
        continue;
      }
      ++converted;
      ASSERT_EQ(result.spans.size(), 1u) << what;
      expect_same(as_model(result.spans[0]), *expected, what);
    }
  }
  EXPECT_GT(converted, 1000u);
}

TEST(SpanOf, AmSpansAgreeWithTheModelForEveryPairOfEnds) {
  std::size_t converted = 0;
  for (VarveNumber first : kAmEnds) {
    for (VarveNumber last : kAmEnds) {
      std::string what = "AM " + std::to_string(first) + "-" + std::to_string(last);
      SpanResult result = span_of(Direction::kAmToNe, first, last);
      VarveNumber lo = std::min(first, last), hi = std::max(first, last);
      ASSERT_EQ(result.given, (Range{lo, hi})) << what;
      ASSERT_EQ(span_fault(Direction::kAmToNe, first, last), result.fault) << what;
      bool accepted = kAmRange.contains(AmNumber{first}) && kAmRange.contains(AmNumber{last});
      ASSERT_EQ(result.converted(), accepted) << what;
      if (!accepted) {
        continue;
      }
      ++converted;
      std::vector<ModelSpan> expected;
      for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
        if (std::optional<ModelSpan> part = model().am_span(sequence, lo, hi)) {
          expected.push_back(*part);
        }
      }
      ASSERT_EQ(result.spans.size(), expected.size()) << what;
      for (std::size_t i = 0; i < expected.size(); ++i) {
        expect_same(as_model(result.spans[i]), expected[i], what);
      }
    }
  }
  EXPECT_GT(converted, 1600u);
}

/// The varves of `run` that lie in `span`.
VarveNumber held(Range run, Range span) {
  return std::min(run.last, span.last) - std::max(run.first, span.first) + 1;
}

/// Seen from NE: AM varves = NE varves + one per split - (the joined varves
/// the span holds less one) per join. Seen from AM: NE varves = AM varves +
/// (the joined varves less one) per join - (the split's AM varves the span
/// holds less one) per split.
void expect_durations_balance(Direction direction, const SequenceSpan& span,
                              const std::string& what) {
  VarveNumber from_ne = span.ne_varves();
  VarveNumber from_am = span.am_varves();
  for (const Link& link : span.corrections) {
    if (link.relation == Relation::kSplit) {
      from_ne += 1;
      from_am -= held(plain(AmRange{link.am_first, link.am_last}), plain(span.am)) - 1;
    } else {
      from_ne -= held(plain(NeRange{link.ne_first, link.ne_last}), plain(span.ne)) - 1;
      from_am += link.ne_last - link.ne_first;
    }
  }
  if (direction == Direction::kNeToAm) {
    EXPECT_EQ(from_ne, span.am_varves()) << what;
  } else {
    EXPECT_EQ(from_am, span.ne_varves()) << what;
  }
}

TEST(SpanOf, DurationsBalanceTheCorrectionsInsideAnySpan) {
  std::mt19937 random(22);
  std::size_t checked = 0;
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::span<const Range> ranges = accepted_ranges(direction);
    for (int i = 0; i < 20000; ++i) {
      const Range& range = ranges[random() % ranges.size()];
      std::uniform_int_distribution<VarveNumber> number(range.first, range.last);
      VarveNumber a = number(random), b = number(random);
      SpanResult result = span_of(direction, std::min(a, b), std::max(a, b));
      std::string what = std::string(direction_name(direction)) + " " + std::to_string(a) + " " +
                         std::to_string(b);
      ASSERT_TRUE(result.converted()) << what;
      for (const SequenceSpan& span : result.spans) {
        expect_durations_balance(direction, span, what);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 40000u);
}

TEST(SpanOf, TheExamplesOfWellKnownSpans) {
  struct Example {
    Direction direction;
    Range given;
    Sequence sequence;
    Range ne, am;
  };
  const Example examples[] = {
      {Direction::kNeToAm, {3000, 3700}, Sequence::kLc, {3000, 3700}, {3000, 3713}},
      {Direction::kNeToAm, {5580, 5700}, Sequence::kLc, {5580, 5700}, {5599, 5714}},
      {Direction::kAmToNe, {3000, 3713}, Sequence::kLc, {3000, 3700}, {3000, 3713}},
      {Direction::kAmToNe, {5599, 5714}, Sequence::kLc, {5580, 5700}, {5599, 5714}},
      // A span inside one join is one AM varve.
      {Direction::kNeToAm, {5673, 5674}, Sequence::kLc, {5673, 5674}, {5691, 5691}},
      // One half of a split is one AM varve of one NE varve.
      {Direction::kAmToNe, {3022, 3022}, Sequence::kLc, {3021, 3021}, {3022, 3022}},
  };
  for (const Example& e : examples) {
    SpanResult result = span_of(e.direction, e.given.first, e.given.last);
    ASSERT_EQ(result.spans.size(), 1u) << e.given.first;
    EXPECT_EQ(result.spans[0].sequence, e.sequence) << e.given.first;
    EXPECT_EQ(plain(result.spans[0].ne), e.ne) << e.given.first;
    EXPECT_EQ(plain(result.spans[0].am), e.am) << e.given.first;
  }
  SequenceSpan in_join = span_of(Direction::kNeToAm, 5673, 5674).spans[0];
  EXPECT_EQ(in_join.first_cut, in_join.last_cut);
  EXPECT_TRUE(in_join.first_cut && in_join.first_cut->false_couplets);
}

TEST(SpanOf, SaysWhyASpanIsNotConvertedAndWhatLiesInside) {
  constexpr VarveNumber kMax = std::numeric_limits<VarveNumber>::max();
  constexpr VarveNumber kMin = std::numeric_limits<VarveNumber>::min();
  constexpr Sequence LC = Sequence::kLc;
  constexpr Sequence UC = Sequence::kUc;
  struct Case {
    Direction direction;
    Range given;
    SpanFault fault;
    EndPlace first, last;
    std::vector<SpanPart> inside;
  };
  constexpr EndPlace kIn = EndPlace::kAccepted;
  const Case cases[] = {
      // Ends given larger first: the places are those of the ends in order.
      {Direction::kNeToAm,
       {9001, 2499},
       SpanFault::kOutside,
       EndPlace::kBelow,
       EndPlace::kAbove,
       {{{2500, 6460}, LC}, {{6560, 9000}, UC}}},
      {Direction::kNeToAm,
       {6600, 6400},
       SpanFault::kSequencesDiffer,
       kIn,
       kIn,
       {{{6400, 6460}, LC}, {{6560, 6600}, UC}}},
      {Direction::kNeToAm,
       {6400, 6600},
       SpanFault::kSequencesDiffer,
       kIn,
       kIn,
       {{{6400, 6460}, LC}, {{6560, 6600}, UC}}},
      {Direction::kNeToAm,
       {6460, 6560},
       SpanFault::kSequencesDiffer,
       kIn,
       kIn,
       {{{6460, 6460}, LC}, {{6560, 6560}, UC}}},
      {Direction::kNeToAm,
       {6400, 6500},
       SpanFault::kOutside,
       kIn,
       EndPlace::kInGap,
       {{{6400, 6460}, LC}}},
      {Direction::kNeToAm,
       {6461, 6559},
       SpanFault::kOutside,
       EndPlace::kInGap,
       EndPlace::kInGap,
       {}},
      {Direction::kNeToAm,
       {6500, 9100},
       SpanFault::kOutside,
       EndPlace::kInGap,
       EndPlace::kAbove,
       {{{6560, 9000}, UC}}},
      {Direction::kNeToAm,
       {2400, 2600},
       SpanFault::kOutside,
       EndPlace::kBelow,
       kIn,
       {{{2500, 2600}, LC}}},
      {Direction::kNeToAm,
       {kMin, kMax},
       SpanFault::kOutside,
       EndPlace::kBelow,
       EndPlace::kAbove,
       {{{2500, 6460}, LC}, {{6560, 9000}, UC}}},
      {Direction::kNeToAm, {100, 200}, SpanFault::kOutside, EndPlace::kBelow, EndPlace::kBelow, {}},
      {Direction::kAmToNe,
       {8600, 8800},
       SpanFault::kOutside,
       kIn,
       EndPlace::kAbove,
       {{{8600, 8700}, std::nullopt}}},
      {Direction::kAmToNe,
       {-5, 2500},
       SpanFault::kOutside,
       EndPlace::kBelow,
       kIn,
       {{{2500, 2500}, std::nullopt}}},
      {Direction::kAmToNe,
       {8701, 8701},
       SpanFault::kOutside,
       EndPlace::kAbove,
       EndPlace::kAbove,
       {}},
  };
  for (const Case& c : cases) {
    SpanResult result = span_of(c.direction, c.given.first, c.given.last);
    std::string what = std::to_string(c.given.first) + "-" + std::to_string(c.given.last);
    EXPECT_EQ(result.fault, c.fault) << what;
    EXPECT_EQ(span_fault(c.direction, c.given.first, c.given.last), c.fault) << what;
    EXPECT_EQ(result.first_place, c.first) << what;
    EXPECT_EQ(result.last_place, c.last) << what;
    EXPECT_EQ(std::vector<SpanPart>(result.inside.begin(), result.inside.end()), c.inside) << what;
    EXPECT_TRUE(result.spans.empty()) << what;
  }
}

}  // namespace
}  // namespace chronology
