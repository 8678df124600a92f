#ifndef VARVE_CHRONOLOGY_LINKS_H_
#define VARVE_CHRONOLOGY_LINKS_H_

// The links between the two chronologies as plain records: which NE varve or
// run of one sequence goes with which AM varve or pair. Both directions are
// read from the correspondence tables; this is the view for programs that
// list conversions rather than print the dialogue's sentences.

#include <array>
#include <cstddef>
#include <optional>

#include "chronology/am_to_ne_table.h"
#include "chronology/ne_to_am_table.h"
#include "chronology/sequence.h"

namespace chronology {

/// How NE varves relate to AM varves in one link.
enum class Relation : std::uint8_t {
  kCorresponds,  ///< One NE varve is one AM varve.
  kSplit,        ///< One NE varve became two consecutive AM varves.
  kJoined,       ///< A run of NE varves became one AM varve.
};

/// One link between an NE varve (or joined run) of one sequence and an AM
/// varve (or split pair).
struct Link {
  Sequence sequence;
  Relation relation;
  VarveNumber ne_first;
  VarveNumber ne_last;
  VarveNumber am_first;
  VarveNumber am_last;
  bool false_couplets;  ///< The joined run is also false annual couplets.
};

/// The links of one number: none outside the accepted ranges, else one or two.
using Links = UpToTwo<Link>;

/// The link of an NE number to AM; none outside the accepted NE ranges.
constexpr Links links_from_ne(VarveNumber ne) {
  Links links;
  if (std::optional<NeToAm> r = ne_to_am(ne)) {
    Relation relation = r->kind == NeKind::kOffset  ? Relation::kCorresponds
                        : r->kind == NeKind::kSplit ? Relation::kSplit
                                                    : Relation::kJoined;
    links.items[links.count++] = {r->sequence,
                                  relation,
                                  r->ne_first,
                                  r->ne_last,
                                  r->am_first,
                                  r->am_last,
                                  r->kind == NeKind::kJoinFalseCouplets};
  }
  return links;
}

/// The links of an AM number to NE, one per NE sequence, in the order the
/// dialogue prints them; none outside the accepted AM range.
constexpr Links links_from_am(VarveNumber am) {
  Links links;
  for (const AmToNe& r : am_to_ne(am)) {
    Sequence sequence = sequence_of(r.kind);
    switch (r.kind) {
      case AmKind::kLcOffset:
      case AmKind::kUcOffset:
        links.items[links.count++] = {
            sequence, Relation::kCorresponds, r.ne_first, r.ne_last, r.am_first, r.am_last, false};
        break;
      case AmKind::kBothOffsets:
        links.items[links.count++] = {
            Sequence::kLc, Relation::kCorresponds, r.ne_first, r.ne_last, r.am_first, r.am_last,
            false};
        links.items[links.count++] = {
            Sequence::kUc, Relation::kCorresponds, r.ne_uc, r.ne_uc, r.am_first, r.am_last, false};
        break;
      case AmKind::kLcSplit:
      case AmKind::kUcSplit:
        links.items[links.count++] = {sequence,   Relation::kSplit, r.ne_first, r.ne_last,
                                      r.am_first, r.am_last,        false};
        break;
      case AmKind::kLcJoin:
      case AmKind::kUcJoin:
        links.items[links.count++] = {sequence,   Relation::kJoined, r.ne_first, r.ne_last,
                                      r.am_first, r.am_last,         false};
        break;
      case AmKind::kFalseCouplets:
        // A note on the joined run just listed, not a link of its own.
        if (links.count > 0) {
          links.items[links.count - 1].false_couplets = true;
        }
        break;
    }
  }
  return links;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_LINKS_H_
