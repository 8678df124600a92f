// Compile-time proof that the two correspondence tables tell the same story
// wherever both speak, with spot values of each kind. Kept out of the headers
// so that it is worked out once per build, not in every file that converts;
// the AM table read forwards is proved in tables_agree_am.cpp, so that the
// two halves compile side by side.

#include <array>

#include "chronology/links.h"
#include "chronology/short_names.h"

namespace chronology {
namespace {

/// NE varves whose AM varves the AM-to-NE direction gives in the other
/// sequence only: the edges of the overlap of LC and UC.
constexpr std::array kOneWayNe{
    SequenceRange{Sequence::kLc, {NeNumber{6454}, NeNumber{6460}}},  // AM 6469-6475: NE-UC only.
    SequenceRange{Sequence::kUc, {NeNumber{6560}, NeNumber{6561}}},  // AM 6243-6244: NE-LC only.
};

/// True when `link` of an NE number is one of the one-way edges.
constexpr bool is_one_way(const Link& link) {
  for (const SequenceRange& edge : kOneWayNe) {
    if (edge.sequence == link.sequence && edge.range.contains(link.ne_first)) {
      return true;
    }
  }
  return false;
}

/// True when, for every NE number from `first` to `last`, each of its AM
/// varves gives back the very same link, once, except on the one-way edges,
/// where it gives none.
constexpr bool ne_links_read_backwards(NeNumber first, NeNumber last) {
  for (NeNumber ne = first; ne <= last; ++ne) {
    for (const Link& link : ne_to_am(ne)) {
      for (AmNumber am = link.am_first; am <= link.am_last; ++am) {
        int matches = 0;
        for (const Link& back : am_to_ne(am)) {
          matches += back == link;
        }
        if (matches != (is_one_way(link) ? 0 : 1)) {
          return false;
        }
      }
    }
  }
  return true;
}

// The NE table read backwards agrees everywhere but on the documented edges.
// The ranges are checked in parts to stay within every compiler's budget for
// constant work.
static_assert(ne_links_read_backwards(NeNumber{2500}, NeNumber{3500}));
static_assert(ne_links_read_backwards(NeNumber{3501}, NeNumber{4500}));
static_assert(ne_links_read_backwards(NeNumber{4501}, NeNumber{5500}));
static_assert(ne_links_read_backwards(NeNumber{5501}, NeNumber{6460}));
static_assert(ne_links_read_backwards(NeNumber{6560}, NeNumber{7300}));
static_assert(ne_links_read_backwards(NeNumber{7301}, NeNumber{8100}));
static_assert(ne_links_read_backwards(NeNumber{8101}, NeNumber{9000}));

// Spot values, one of each kind and at the edges of the overlap.
namespace spot {
using namespace short_names;
static_assert(ne_to_am(NeNumber{2700})[0] == link(LC, kCorresponds, 2700, 2700, 2700, 2700));
static_assert(ne_to_am(NeNumber{3021})[0] == link(LC, kSplit, 3021, 3021, 3021, 3022));
static_assert(ne_to_am(NeNumber{4282})[0] == link(LC, kJoined, 4281, 4282, 4294, 4294));
static_assert(ne_to_am(NeNumber{5674})[0] == link(LC, kJoined, 5672, 5676, 5691, 5691, true));
static_assert(ne_to_am(NeNumber{6460})[0] == link(LC, kCorresponds, 6460, 6460, 6475, 6475));
static_assert(ne_to_am(NeNumber{6560})[0] == link(UC, kCorresponds, 6560, 6560, 6243, 6243));
static_assert(ne_to_am(NeNumber{9000})[0] == link(UC, kCorresponds, 9000, 9000, 8682, 8682));
static_assert(ne_to_am(NeNumber{2499}).empty() && ne_to_am(NeNumber{6461}).empty() &&
              ne_to_am(NeNumber{6559}).empty() && ne_to_am(NeNumber{9001}).empty());
static_assert(am_to_ne(AmNumber{6245}).size() == 2 &&
              am_to_ne(AmNumber{6245})[0] == link(LC, kCorresponds, 6230, 6230, 6245, 6245) &&
              am_to_ne(AmNumber{6245})[1] == link(UC, kCorresponds, 6562, 6562, 6245, 6245));
static_assert(am_to_ne(AmNumber{6358}).size() == 2 &&
              am_to_ne(AmNumber{6358})[1] == link(UC, kSplit, 6674, 6674, 6357, 6358));
static_assert(am_to_ne(AmNumber{6634}).size() == 1 &&
              am_to_ne(AmNumber{6634})[0] == link(UC, kJoined, 6951, 6952, 6634, 6634));
static_assert(am_to_ne(AmNumber{8700})[0] == link(UC, kCorresponds, 9018, 9018, 8700, 8700));
static_assert(am_to_ne(AmNumber{2499}).empty() && am_to_ne(AmNumber{8701}).empty());
}  // namespace spot

}  // namespace
}  // namespace chronology
