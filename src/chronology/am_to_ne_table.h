#ifndef VARVE_CHRONOLOGY_AM_TO_NE_TABLE_H_
#define VARVE_CHRONOLOGY_AM_TO_NE_TABLE_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "chronology/link.h"
#include "chronology/sequence.h"

namespace chronology {

/// One link of a row's AM varves to one NE sequence, as the table holds it.
struct AmEntry {
  Sequence sequence;
  Relation relation;
  std::int32_t offset;  ///< kCorresponds: added to the AM number to give the NE number.
  NeNumber ne_first;    ///< kSplit: the NE varve; kJoined: the first of the run.
  NeNumber ne_last;     ///< kSplit: the NE varve; kJoined: the last of the run.
  bool false_couplets;  ///< kJoined: the run is also false annual couplets.
};

/// A contiguous run of AM varves with the same links, LC before UC.
struct AmRow {
  AmNumber first;
  AmNumber last;
  std::array<AmEntry, 2> entries;
  std::size_t count;  ///< Entries in use: 1 or 2.
};

/// A row with one link.
constexpr AmRow am_row(std::int32_t first, std::int32_t last, AmEntry only) {
  return {AmNumber{first}, AmNumber{last}, {only, only}, 1};
}
/// A row with a link to each sequence, LC first.
constexpr AmRow am_row(std::int32_t first, std::int32_t last, AmEntry lc, AmEntry uc) {
  return {AmNumber{first}, AmNumber{last}, {lc, uc}, 2};
}

/// The NE varve `offset` on from the AM varve `am`: a kCorresponds entry's link.
constexpr NeNumber ne_at(AmNumber am, std::int32_t offset) {
  return NeNumber{am.value() + offset};
}
/// Each AM varve is the NE-LC varve `offset` further on.
constexpr AmEntry lc_offset(std::int32_t offset) {
  return {Sequence::kLc, Relation::kCorresponds, offset, NeNumber{}, NeNumber{}, false};
}
/// Each AM varve is the NE-UC varve `offset` further on.
constexpr AmEntry uc_offset(std::int32_t offset) {
  return {Sequence::kUc, Relation::kCorresponds, offset, NeNumber{}, NeNumber{}, false};
}
/// The row's two AM varves were formed by splitting the NE-LC varve `ne`.
constexpr AmEntry lc_split(std::int32_t ne) {
  return {Sequence::kLc, Relation::kSplit, 0, NeNumber{ne}, NeNumber{ne}, false};
}
/// The row's two AM varves were formed by splitting the NE-UC varve `ne`.
constexpr AmEntry uc_split(std::int32_t ne) {
  return {Sequence::kUc, Relation::kSplit, 0, NeNumber{ne}, NeNumber{ne}, false};
}
/// The row's AM varve was formed by joining the NE-LC run `first`-`last`.
constexpr AmEntry lc_join(std::int32_t first, std::int32_t last) {
  return {Sequence::kLc, Relation::kJoined, 0, NeNumber{first}, NeNumber{last}, false};
}
/// The row's AM varve was formed by joining the NE-UC run `first`-`last`.
constexpr AmEntry uc_join(std::int32_t first, std::int32_t last) {
  return {Sequence::kUc, Relation::kJoined, 0, NeNumber{first}, NeNumber{last}, false};
}
/// As lc_join, for a run that also represents false annual couplets.
constexpr AmEntry lc_join_false_couplets(std::int32_t first, std::int32_t last) {
  return {Sequence::kLc, Relation::kJoined, 0, NeNumber{first}, NeNumber{last}, true};
}

/// Accepted AM numbers (the user is shown 2700-8400).
inline constexpr AmRange kAmRange{AmNumber{2500}, AmNumber{8700}};

/// The correspondence from AM to NE numbers, in ascending order of AM number.
/// It holds the links of NeToAmTable read backwards, but decides this
/// direction alone: at the edges of the overlap the two directions differ
/// (where they must agree is checked at compile time in tables_agree.cpp and
/// tables_agree_am.cpp).
inline constexpr std::array AmToNeTable{
    am_row(2500, 3020, lc_offset(0)),
    am_row(3021, 3022, lc_split(3021)),
    am_row(3023, 3191, lc_offset(-1)),
    am_row(3192, 3193, lc_split(3191)),
    am_row(3194, 3197, lc_offset(-2)),
    am_row(3198, 3199, lc_split(3196)),
    am_row(3200, 3231, lc_offset(-3)),
    am_row(3232, 3233, lc_split(3229)),
    am_row(3234, 3329, lc_offset(-4)),
    am_row(3330, 3331, lc_split(3326)),
    am_row(3332, 3382, lc_offset(-5)),
    am_row(3383, 3384, lc_split(3378)),
    am_row(3385, 3397, lc_offset(-6)),
    am_row(3398, 3399, lc_split(3392)),
    am_row(3400, 3477, lc_offset(-7)),
    am_row(3478, 3479, lc_split(3471)),
    am_row(3480, 3517, lc_offset(-8)),
    am_row(3518, 3519, lc_split(3510)),
    am_row(3520, 3589, lc_offset(-9)),
    am_row(3590, 3591, lc_split(3581)),
    am_row(3592, 3633, lc_offset(-10)),
    am_row(3634, 3635, lc_split(3624)),
    am_row(3636, 3647, lc_offset(-11)),
    am_row(3648, 3649, lc_split(3637)),
    am_row(3650, 3711, lc_offset(-12)),
    am_row(3712, 3713, lc_split(3700)),
    am_row(3714, 4293, lc_offset(-13)),
    am_row(4294, 4294, lc_join(4281, 4282)),
    am_row(4295, 4401, lc_offset(-12)),
    am_row(4402, 4403, lc_split(4390)),
    am_row(4404, 4759, lc_offset(-13)),
    am_row(4760, 4761, lc_split(4747)),
    am_row(4762, 5053, lc_offset(-14)),
    am_row(5054, 5055, lc_split(5040)),
    am_row(5056, 5135, lc_offset(-15)),
    am_row(5136, 5137, lc_split(5121)),
    am_row(5138, 5287, lc_offset(-16)),
    am_row(5288, 5289, lc_split(5272)),
    am_row(5290, 5384, lc_offset(-17)),
    am_row(5385, 5386, lc_split(5368)),
    am_row(5387, 5408, lc_offset(-18)),
    am_row(5409, 5410, lc_split(5391)),
    am_row(5411, 5612, lc_offset(-19)),
    am_row(5613, 5613, lc_join(5594, 5595)),
    am_row(5614, 5624, lc_offset(-18)),
    am_row(5625, 5626, lc_split(5607)),
    am_row(5627, 5690, lc_offset(-19)),
    am_row(5691, 5691, lc_join_false_couplets(5672, 5676)),
    am_row(5692, 5694, lc_offset(-15)),
    am_row(5695, 5695, lc_join(5680, 5681)),
    am_row(5696, 5715, lc_offset(-14)),
    am_row(5716, 5717, lc_split(5702)),
    am_row(5718, 6244, lc_offset(-15)),
    am_row(6245, 6356, lc_offset(-15), uc_offset(317)),
    am_row(6357, 6358, lc_offset(-15), uc_split(6674)),
    am_row(6359, 6427, lc_offset(-15), uc_offset(316)),
    am_row(6428, 6428, lc_offset(-15), uc_join(6744, 6745)),
    am_row(6429, 6468, lc_offset(-15), uc_offset(317)),
    am_row(6469, 6633, uc_offset(317)),
    am_row(6634, 6634, uc_join(6951, 6952)),
    am_row(6635, 8700, uc_offset(318)),
};

/// True when an entry fits the AM run of its row: a split names two AM
/// varves, a join one AM varve and several NE varves, and only a join can be
/// false couplets.
constexpr bool entry_fits(const AmRow& row, const AmEntry& entry) {
  switch (entry.relation) {
    case Relation::kCorresponds:
      return row.first <= row.last && !entry.false_couplets;
    case Relation::kSplit:
      return row.last == row.first + 1 && entry.ne_first == entry.ne_last && !entry.false_couplets;
    case Relation::kJoined:
      break;
  }
  return row.last == row.first && entry.ne_first < entry.ne_last;
}

/// True when the rows of `table` are ascending and contiguous, cover the
/// accepted AM range exactly, and each holds one link, or one to LC and one
/// to UC, that fit it.
template <std::size_t N>
constexpr bool is_valid_am_table(const std::array<AmRow, N>& table) {
  AmNumber next = kAmRange.first;
  for (const AmRow& row : table) {
    if (row.first != next || row.last < row.first || row.count < 1 || row.count > 2) {
      return false;
    }
    if (row.count == 2 &&
        (row.entries[0].sequence != Sequence::kLc || row.entries[1].sequence != Sequence::kUc)) {
      return false;
    }
    for (std::size_t i = 0; i < row.count; ++i) {
      if (!entry_fits(row, row.entries[i])) {
        return false;
      }
    }
    next = row.last + 1;
  }
  return next == kAmRange.last + 1;
}

static_assert(is_valid_am_table(AmToNeTable),
              "AmToNeTable must cover the accepted AM range in order, without gap or overlap");

/// Looks up the links of `am` to NE: none when `am` lies outside 2500-8700,
/// else one per NE sequence it links to, LC first.
constexpr Links am_to_ne(AmNumber am) {
  Links links;
  auto row = std::upper_bound(AmToNeTable.begin(), AmToNeTable.end(), am,
                              [](AmNumber n, const AmRow& r) { return n < r.first; });
  if (row == AmToNeTable.begin() || am > (--row)->last) {
    return links;
  }
  for (std::size_t i = 0; i < row->count; ++i) {
    const AmEntry& e = row->entries[i];
    switch (e.relation) {
      case Relation::kCorresponds:
        links.push_back({e.sequence, e.relation, ne_at(am, e.offset), ne_at(am, e.offset), am, am});
        break;
      case Relation::kSplit:
        links.push_back({e.sequence, e.relation, e.ne_first, e.ne_last, row->first, row->last});
        break;
      case Relation::kJoined:
        links.push_back({e.sequence, e.relation, e.ne_first, e.ne_last, am, am, e.false_couplets});
        break;
    }
  }
  return links;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_AM_TO_NE_TABLE_H_
