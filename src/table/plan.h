#ifndef VARVE_TABLE_PLAN_H_
#define VARVE_TABLE_PLAN_H_

// What to do with a table: the conversions of one run, in one direction, each
// with the column it reads and the names of the columns it adds, made from
// what the user asked for and the table's header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chronology/links.h"
#include "table/header.h"

namespace table {

/// What a conversion reads from its columns.
enum class ConversionKind : std::uint8_t {
  kNumber,    ///< One column of numbers (or spans written in one cell).
  kInterval,  ///< Two columns, the ends of one interval each row, in either order.
};

/// One conversion of a plan.
struct Conversion {
  ConversionKind kind = ConversionKind::kNumber;
  /// The columns it reads, from 0: one for kNumber, the two ends for kInterval.
  std::vector<std::size_t> sources;
  std::vector<std::string> names;  ///< The names of the columns it adds, in order.
};

/// The conversions of one run over a table, in the order their columns are added.
struct Plan {
  chronology::Direction direction = chronology::Direction::kNeToAm;
  std::vector<Conversion> conversions;
};

/// What the user asks of a table.
struct PlanRequest {
  chronology::Direction direction = chronology::Direction::kNeToAm;
  std::vector<std::string> columns;  ///< Each column to convert, as find_column reads it.
  std::string prefix;                ///< Before the added names of a single conversion.
  /// A single conversion whose added names the header has already is named
  /// as several are, rather than a clash: for a front end without a prefix.
  bool named_after_source_on_clash = false;
  /// Each pair of columns to convert as an interval, after the columns.
  std::vector<std::array<std::string, 2>> intervals = {};
};

/// Why a plan could not be made.
enum class PlanFault : std::uint8_t {
  kNone,
  /// The request does not fit the table: a column not found, given twice, or
  /// both ends of an interval.
  kRequest,
  kClash,  ///< An added name is already a header of the table.
};

/// A plan, or why there is none.
struct PlanResult {
  Plan plan;
  PlanFault fault = PlanFault::kNone;
  std::string error;  ///< Empty when there is a plan.
};

/// The plan of `request` over a table with `header`: the columns' conversions,
/// then the intervals'. One conversion's added columns keep their own names
/// (after the prefix), and one that a header has already is a clash. Several
/// conversions' are named `<source>_<name>` (source_name; an interval's source
/// is its two columns' joined by '_'); where such a name is already a header,
/// or another conversion's, the source gets "_2", "_3" and so on until none
/// is, so that names never collide.
PlanResult make_plan(const Header& header, const PlanRequest& request);

}  // namespace table

#endif  // VARVE_TABLE_PLAN_H_
