// Compile-time proof that the AM table, read forwards, gives back every NE
// varve's own link: the half of tables_agree.cpp's proof that starts from AM,
// in a file of its own so that the two halves compile side by side.

#include "chronology/links.h"

namespace chronology {
namespace {

/// AM varves whose NE-UC varves (9001-9018) lie beyond the accepted NE range.
constexpr AmRange kAmBeyondNe{AmNumber{8683}, AmNumber{8700}};

/// True when, for every AM number from `first` to `last`, each NE varve of
/// each of its links gives back the very same link, except beyond the NE
/// range, where it gives none.
constexpr bool am_links_read_forwards(AmNumber first, AmNumber last) {
  for (AmNumber am = first; am <= last; ++am) {
    for (const Link& link : am_to_ne(am)) {
      for (NeNumber ne = link.ne_first; ne <= link.ne_last; ++ne) {
        Links forward = ne_to_am(ne);
        bool agrees =
            kAmBeyondNe.contains(am) ? forward.empty() : forward.size() == 1 && forward[0] == link;
        if (!agrees) {
          return false;
        }
      }
    }
  }
  return true;
}

// The AM table read forwards agrees everywhere but beyond the NE range. The
// ranges are checked in parts to stay within every compiler's budget for
// constant work.
static_assert(am_links_read_forwards(AmNumber{2500}, AmNumber{3500}));
static_assert(am_links_read_forwards(AmNumber{3501}, AmNumber{4500}));
static_assert(am_links_read_forwards(AmNumber{4501}, AmNumber{5500}));
static_assert(am_links_read_forwards(AmNumber{5501}, AmNumber{6600}));
static_assert(am_links_read_forwards(AmNumber{6601}, AmNumber{7600}));
static_assert(am_links_read_forwards(AmNumber{7601}, AmNumber{8700}));

}  // namespace
}  // namespace chronology
