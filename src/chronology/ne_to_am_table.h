#ifndef VARVE_CHRONOLOGY_NE_TO_AM_TABLE_H_
#define VARVE_CHRONOLOGY_NE_TO_AM_TABLE_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "chronology/link.h"
#include "chronology/sequence.h"
#include "chronology/short_names.h"

namespace chronology {

/// A contiguous run of NE varves of one sequence that links to AM in one way.
struct NeRow {
  NeNumber first;  ///< First NE number of the run.
  NeNumber last;   ///< Last NE number of the run (equal to first for one varve).
  Sequence sequence;
  Relation relation;
  std::int32_t offset;  ///< kCorresponds: added to the NE number to give the AM number.
  AmNumber am;          ///< kSplit: the first AM varve of the pair; kJoined: the AM varve.
  bool false_couplets;  ///< kJoined: the run is also false annual couplets.
};

/// The AM varve `offset` on from the NE varve `ne`: a kCorresponds row's link.
constexpr AmNumber am_at(NeNumber ne, std::int32_t offset) {
  return AmNumber{ne.value() + offset};
}

/// A run of NE varves, each one AM varve `offset` further on.
constexpr NeRow ne_offset(std::int32_t first, std::int32_t last, Sequence s, std::int32_t offset) {
  return {NeNumber{first}, NeNumber{last}, s, Relation::kCorresponds, offset, AmNumber{}, false};
}
/// One NE varve split into the AM varves `am` and `am` + 1.
constexpr NeRow ne_split(std::int32_t ne, Sequence s, std::int32_t am) {
  return {NeNumber{ne}, NeNumber{ne}, s, Relation::kSplit, 0, AmNumber{am}, false};
}
/// A run of NE varves joined into the AM varve `am`.
constexpr NeRow ne_join(std::int32_t first, std::int32_t last, Sequence s, std::int32_t am) {
  return {NeNumber{first}, NeNumber{last}, s, Relation::kJoined, 0, AmNumber{am}, false};
}
/// A joined run of NE-LC varves that are also false annual couplets.
constexpr NeRow ne_join_false_couplets(std::int32_t first, std::int32_t last, std::int32_t am) {
  return {NeNumber{first}, NeNumber{last}, Sequence::kLc, Relation::kJoined, 0, AmNumber{am}, true};
}

/// Accepted NE-LC numbers (the user is shown 2700-6454).
inline constexpr NeRange kNeLcRange{NeNumber{2500}, NeNumber{6460}};
/// Accepted NE-UC numbers (the user is shown 6568-9000).
inline constexpr NeRange kNeUcRange{NeNumber{6560}, NeNumber{9000}};

/// The correspondence from NE to AM numbers, in ascending order of NE number.
inline constexpr auto NeToAmTable = [] {
  using namespace short_names;
  return std::array{
      ne_offset(2500, 3020, LC, 0),  ne_split(3021, LC, 3021),
      ne_offset(3022, 3190, LC, 1),  ne_split(3191, LC, 3192),
      ne_offset(3192, 3195, LC, 2),  ne_split(3196, LC, 3198),
      ne_offset(3197, 3228, LC, 3),  ne_split(3229, LC, 3232),
      ne_offset(3230, 3325, LC, 4),  ne_split(3326, LC, 3330),
      ne_offset(3327, 3377, LC, 5),  ne_split(3378, LC, 3383),
      ne_offset(3379, 3391, LC, 6),  ne_split(3392, LC, 3398),
      ne_offset(3393, 3470, LC, 7),  ne_split(3471, LC, 3478),
      ne_offset(3472, 3509, LC, 8),  ne_split(3510, LC, 3518),
      ne_offset(3511, 3580, LC, 9),  ne_split(3581, LC, 3590),
      ne_offset(3582, 3623, LC, 10), ne_split(3624, LC, 3634),
      ne_offset(3625, 3636, LC, 11), ne_split(3637, LC, 3648),
      ne_offset(3638, 3699, LC, 12), ne_split(3700, LC, 3712),
      ne_offset(3701, 4280, LC, 13), ne_join(4281, 4282, LC, 4294),
      ne_offset(4283, 4389, LC, 12), ne_split(4390, LC, 4402),
      ne_offset(4391, 4746, LC, 13), ne_split(4747, LC, 4760),
      ne_offset(4748, 5039, LC, 14), ne_split(5040, LC, 5054),
      ne_offset(5041, 5120, LC, 15), ne_split(5121, LC, 5136),
      ne_offset(5122, 5271, LC, 16), ne_split(5272, LC, 5288),
      ne_offset(5273, 5367, LC, 17), ne_split(5368, LC, 5385),
      ne_offset(5369, 5390, LC, 18), ne_split(5391, LC, 5409),
      ne_offset(5392, 5593, LC, 19), ne_join(5594, 5595, LC, 5613),
      ne_offset(5596, 5606, LC, 18), ne_split(5607, LC, 5625),
      ne_offset(5608, 5671, LC, 19), ne_join_false_couplets(5672, 5676, 5691),
      ne_offset(5677, 5679, LC, 15), ne_join(5680, 5681, LC, 5695),
      ne_offset(5682, 5701, LC, 14), ne_split(5702, LC, 5716),
      ne_offset(5703, 6460, LC, 15), ne_offset(6560, 6673, UC, -317),
      ne_split(6674, UC, 6357),      ne_offset(6675, 6743, UC, -316),
      ne_join(6744, 6745, UC, 6428), ne_offset(6746, 6950, UC, -317),
      ne_join(6951, 6952, UC, 6634), ne_offset(6953, 9000, UC, -318),
  };
}();

/// The first and last AM number that a row's NE varves link to.
constexpr AmRange am_span(const NeRow& row) {
  switch (row.relation) {
    case Relation::kCorresponds:
      return {am_at(row.first, row.offset), am_at(row.last, row.offset)};
    case Relation::kSplit:
      return {row.am, row.am + 1};
    case Relation::kJoined:
      break;
  }
  return {row.am, row.am};
}

/// The accepted range of NE numbers of a sequence.
constexpr NeRange accepted_range(Sequence s) {
  return s == Sequence::kLc ? kNeLcRange : kNeUcRange;
}

/// True when a row's relation fits its run: a split is one varve, a join
/// several, and only a join can be false couplets.
constexpr bool relation_fits(const NeRow& row) {
  switch (row.relation) {
    case Relation::kCorresponds:
      return row.first <= row.last && !row.false_couplets;
    case Relation::kSplit:
      return row.first == row.last && !row.false_couplets;
    case Relation::kJoined:
      break;
  }
  return row.first < row.last;
}

/// True when the rows of `table` are ascending and contiguous, cover the LC
/// and then the UC range exactly, have a relation that fits their numbers, and
/// link each sequence to an unbroken run of AM numbers.
template <std::size_t N>
constexpr bool is_valid_ne_table(const std::array<NeRow, N>& table) {
  if (N == 0 || table[0].sequence != Sequence::kLc || table[0].first != kNeLcRange.first) {
    return false;
  }
  for (std::size_t i = 0; i < N; ++i) {
    const NeRow& row = table[i];
    NeRange range = accepted_range(row.sequence);
    if (!relation_fits(row) || row.first < range.first || row.last > range.last) {
      return false;
    }
    if (i == 0) {
      continue;
    }
    const NeRow& before = table[i - 1];
    if (before.sequence == row.sequence) {
      if (row.first != before.last + 1 || am_span(row).first != am_span(before).last + 1) {
        return false;
      }
    } else if (before.sequence != Sequence::kLc || before.last != kNeLcRange.last ||
               row.first != kNeUcRange.first) {
      return false;
    }
  }
  return table[N - 1].sequence == Sequence::kUc && table[N - 1].last == kNeUcRange.last;
}

static_assert(is_valid_ne_table(NeToAmTable),
              "NeToAmTable must cover the accepted NE ranges in order, without gap or overlap");

/// Looks up the link of `ne` to AM: none when `ne` lies outside the accepted
/// NE ranges, else one.
constexpr Links ne_to_am(NeNumber ne) {
  Links links;
  auto row = std::upper_bound(NeToAmTable.begin(), NeToAmTable.end(), ne,
                              [](NeNumber n, const NeRow& r) { return n < r.first; });
  if (row == NeToAmTable.begin() || ne > (--row)->last) {
    return links;
  }
  AmRange am = am_span(*row);
  switch (row->relation) {
    case Relation::kCorresponds:
      links.push_back(
          {row->sequence, row->relation, ne, ne, am_at(ne, row->offset), am_at(ne, row->offset)});
      break;
    case Relation::kSplit:
      links.push_back({row->sequence, row->relation, ne, ne, am.first, am.last});
      break;
    case Relation::kJoined:
      links.push_back({row->sequence, row->relation, row->first, row->last, am.first, am.last,
                       row->false_couplets});
      break;
  }
  return links;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_NE_TO_AM_TABLE_H_
