#ifndef VARVE_CHRONOLOGY_SHORT_NAMES_H_
#define VARVE_CHRONOLOGY_SHORT_NAMES_H_

// Short names for sequences and relations, for tables and lists of links
// that read better with them: `using namespace chronology::short_names;`.

#include "chronology/link.h"

namespace chronology::short_names {

inline constexpr Sequence LC = Sequence::kLc;
inline constexpr Sequence UC = Sequence::kUc;
inline constexpr Relation kCorresponds = Relation::kCorresponds;
inline constexpr Relation kSplit = Relation::kSplit;
inline constexpr Relation kJoined = Relation::kJoined;

}  // namespace chronology::short_names

#endif  // VARVE_CHRONOLOGY_SHORT_NAMES_H_
