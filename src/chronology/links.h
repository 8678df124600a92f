#ifndef VARVE_CHRONOLOGY_LINKS_H_
#define VARVE_CHRONOLOGY_LINKS_H_

// The engine's one entry point for front ends: the links of a number in
// either direction and the accepted ranges. That the two tables agree is
// checked once, in tables_agree.cpp and tables_agree_am.cpp.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "chronology/am_to_ne_table.h"
#include "chronology/link.h"
#include "chronology/ne_to_am_table.h"
#include "chronology/sequence.h"

namespace chronology {

/// The directions of conversion.
enum class Direction : std::uint8_t {
  kNeToAm,  ///< From an NE-LC or NE-UC number to AM.
  kAmToNe,  ///< From an AM number to NE-LC, NE-UC or both.
};

/// A direction's name on every command line and in every binding.
constexpr std::string_view direction_name(Direction direction) {
  return direction == Direction::kNeToAm ? "ne-to-am" : "am-to-ne";
}

/// The direction called `name` (ne-to-am or am-to-ne), or none.
constexpr std::optional<Direction> direction_named(std::string_view name) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    if (name == direction_name(direction)) {
      return direction;
    }
  }
  return std::nullopt;
}

/// Accepted NE numbers as integers: the LC range, then the UC range.
inline constexpr std::array kNeRanges{plain(kNeLcRange), plain(kNeUcRange)};
/// Accepted AM numbers as integers.
inline constexpr std::array kAmRanges{plain(kAmRange)};

/// The accepted numbers of `direction` as given, ascending: for code that
/// handles either direction's numbers alike, as a message or a chart does.
constexpr std::span<const GivenRange> accepted_ranges(Direction direction) {
  return direction == Direction::kNeToAm ? std::span<const GivenRange>(kNeRanges)
                                         : std::span<const GivenRange>(kAmRanges);
}

/// The links of `number`, given in the chronology `direction` converts from:
/// an NE number for ne-to-am, an AM number for am-to-ne. None when it lies
/// outside.
constexpr Links links_of(Direction direction, GivenNumber number) {
  return direction == Direction::kNeToAm ? ne_to_am(NeNumber{number}) : am_to_ne(AmNumber{number});
}

/// An inclusive run of the varves of one NE sequence.
struct SequenceRange {
  Sequence sequence;
  NeRange range;
};

/// An AM number's links by NE sequence, as a table with a column group per
/// sequence shows them: each null when that sequence has no link.
struct BySequence {
  const Link* lc = nullptr;
  const Link* uc = nullptr;
  bool false_couplets = false;  ///< Either link's joined run is false annual couplets.
};

/// Sorts `links` (which must outlive the result) by sequence.
constexpr BySequence by_sequence(const Links& links) {
  BySequence result;
  for (const Link& link : links) {
    (link.sequence == Sequence::kLc ? result.lc : result.uc) = &link;
    result.false_couplets = result.false_couplets || link.false_couplets;
  }
  return result;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_LINKS_H_
