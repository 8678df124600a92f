#ifndef VARVE_CHRONOLOGY_SHORT_NAMES_H_
#define VARVE_CHRONOLOGY_SHORT_NAMES_H_

// Short names for sequences and relations, for tables and lists of links
// that read better with them: `using namespace chronology::short_names;`.

#include <cstdint>

#include "chronology/link.h"

namespace chronology::short_names {

inline constexpr Sequence LC = Sequence::kLc;
inline constexpr Sequence UC = Sequence::kUc;
inline constexpr Relation kCorresponds = Relation::kCorresponds;
inline constexpr Relation kSplit = Relation::kSplit;
inline constexpr Relation kJoined = Relation::kJoined;

/// The link of the NE varves `ne_first`-`ne_last` of `sequence` to the AM
/// varves `am_first`-`am_last`, written as integers.
constexpr Link link(Sequence sequence, Relation relation, std::int32_t ne_first,
                    std::int32_t ne_last, std::int32_t am_first, std::int32_t am_last,
                    bool false_couplets = false) {
  return {sequence,           relation,          NeNumber{ne_first}, NeNumber{ne_last},
          AmNumber{am_first}, AmNumber{am_last}, false_couplets};
}

}  // namespace chronology::short_names

#endif  // VARVE_CHRONOLOGY_SHORT_NAMES_H_
