#ifndef VARVE_CHRONOLOGY_LINK_H_
#define VARVE_CHRONOLOGY_LINK_H_

#include <cstdint>
#include <string_view>

#include "chronology/sequence.h"

namespace chronology {

/// How NE varves relate to AM varves in one link.
enum class Relation : std::uint8_t {
  kCorresponds,  ///< One NE varve is one AM varve.
  kSplit,        ///< One NE varve became two consecutive AM varves.
  kJoined,       ///< A run of NE varves became one AM varve.
};

/// One link between an NE varve (or joined run) of one sequence and an AM
/// varve (or split pair): what every lookup of either direction returns.
struct Link {
  Sequence sequence;
  Relation relation;
  NeNumber ne_first;            ///< The NE varve, or the first of the joined run.
  NeNumber ne_last;             ///< The NE varve, or the last of the joined run.
  AmNumber am_first;            ///< The AM varve, or the first of the split pair.
  AmNumber am_last;             ///< The AM varve, or the second of the split pair.
  bool false_couplets = false;  ///< The joined run is also false annual couplets.

  friend constexpr bool operator==(const Link&, const Link&) = default;
};

/// The links of one number: none outside the accepted ranges, else one or two,
/// LC before UC.
using Links = UpToTwo<Link>;

/// A relation's name in every front end's output: corresponds, split or joined.
constexpr std::string_view relation_name(Relation relation) {
  switch (relation) {
    case Relation::kCorresponds:
      return "corresponds";
    case Relation::kSplit:
      return "split";
    case Relation::kJoined:
      break;
  }
  return "joined";
}

/// A sequence's short name: LC or UC.
constexpr std::string_view sequence_name(Sequence sequence) {
  return sequence == Sequence::kLc ? "LC" : "UC";
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_LINK_H_
