#ifndef VARVE_BINDINGS_VARVE_COLUMNS_H_
#define VARVE_BINDINGS_VARVE_COLUMNS_H_

// What the R and Python bindings share: reading a value of the host language
// as a varve number, and the engine's links laid out as the columns of
// varve-batch's column mode. The tables and links come from the engine alone.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "chronology/links.h"

namespace varve_columns {

using chronology::Direction;
using chronology::Link;
using chronology::Links;
using chronology::Relation;
using chronology::Sequence;
using chronology::VarveNumber;

/// How a value was read.
enum class Reading : std::uint8_t {
  kNumber,   ///< A whole number, in `Input::number`.
  kMissing,  ///< NA or NaN: the row is missing throughout.
  kInvalid,  ///< Not a whole number (a fraction or an infinity).
};

/// A value read as a varve number.
struct Input {
  Reading reading;
  VarveNumber number = 0;
};

/// Reads a whole number of any size; one beyond 32 bits saturates to the
/// nearest 32-bit value, which lies outside every accepted range.
constexpr Input read_integer(std::int64_t value) {
  constexpr std::int64_t kLow = std::numeric_limits<VarveNumber>::min();
  constexpr std::int64_t kHigh = std::numeric_limits<VarveNumber>::max();
  return {Reading::kNumber, static_cast<VarveNumber>(value < kLow    ? kLow
                                                     : value > kHigh ? kHigh
                                                                     : value)};
}

/// Reads a floating-point value: NaN is missing, a fraction or an infinity is
/// invalid, and a whole number saturates as in `read_integer`.
inline Input read_double(double value) {
  if (std::isnan(value)) {
    return {Reading::kMissing};
  }
  if (!std::isfinite(value) || std::trunc(value) != value) {
    return {Reading::kInvalid};
  }
  constexpr double kLow = std::numeric_limits<VarveNumber>::min();
  constexpr double kHigh = std::numeric_limits<VarveNumber>::max();
  return {Reading::kNumber, static_cast<VarveNumber>(value < kLow    ? kLow
                                                     : value > kHigh ? kHigh
                                                                     : value)};
}

/// The codes of the relation columns: the engine's relations, then the two
/// that only a row can have, then none (a missing value, or no link).
enum class RelationCode : std::uint8_t {
  kCorresponds,
  kSplit,
  kJoined,
  kOutside,
  kInvalid,
  kNone,
};

/// The text of each relation code, as varve-batch writes it; none is empty.
inline constexpr std::array<std::string_view, 6> kRelationNames{
    chronology::relation_name(Relation::kCorresponds),
    chronology::relation_name(Relation::kSplit),
    chronology::relation_name(Relation::kJoined),
    "outside",
    "invalid",
    ""};

/// The text of each sequence, then of none.
inline constexpr std::array<std::string_view, 3> kSequenceNames{
    chronology::sequence_name(Sequence::kLc), chronology::sequence_name(Sequence::kUc), ""};

/// The code of an engine relation.
constexpr RelationCode code_of(Relation relation) {
  switch (relation) {
    case Relation::kCorresponds:
      return RelationCode::kCorresponds;
    case Relation::kSplit:
      return RelationCode::kSplit;
    case Relation::kJoined:
      break;
  }
  return RelationCode::kJoined;
}

/// The code of a row that has no link: missing, invalid or outside.
constexpr RelationCode unlinked_code(Reading reading) {
  return reading == Reading::kMissing   ? RelationCode::kNone
         : reading == Reading::kInvalid ? RelationCode::kInvalid
                                        : RelationCode::kOutside;
}

using chronology::by_sequence;
using chronology::BySequence;

}  // namespace varve_columns

#endif  // VARVE_BINDINGS_VARVE_COLUMNS_H_
