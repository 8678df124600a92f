#ifndef VARVE_CHRONOLOGY_SEQUENCE_H_
#define VARVE_CHRONOLOGY_SEQUENCE_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "chronology/varve_number.h"

namespace chronology {

/// The two separately numbered sequences of the NE chronology.
enum class Sequence : std::uint8_t {
  kLc,  ///< Lower Connecticut.
  kUc,  ///< Upper Connecticut.
};

/// An inclusive run of numbers of one kind (`NeNumber`, `AmNumber` or
/// `GivenNumber`), first to last.
template <class Number>
struct Range {
  Number first{};
  Number last{};

  /// True when `n` lies in the run.
  constexpr bool contains(Number n) const { return first <= n && n <= last; }

  friend constexpr bool operator==(const Range&, const Range&) = default;
};

/// A run of NE varves.
using NeRange = Range<NeNumber>;
/// A run of AM varves.
using AmRange = Range<AmNumber>;
/// A run of numbers as given, of the chronology a direction reads.
using GivenRange = Range<GivenNumber>;

/// `range` as a run of integers, for code that handles either chronology's.
template <class Number>
constexpr GivenRange plain(const Range<Number>& range) {
  return {plain(range.first), plain(range.last)};
}

/// The one or two results of a lookup, in order; none outside the ranges.
template <class T>
struct UpToTwo {
  std::array<T, 2> items{};
  std::size_t count = 0;

  constexpr const T* begin() const { return items.data(); }
  constexpr const T* end() const { return items.data() + count; }
  constexpr bool empty() const { return count == 0; }
  constexpr std::size_t size() const { return count; }
  constexpr const T& operator[](std::size_t i) const { return items[i]; }
  /// Adds `item` after those already held.
  constexpr void push_back(const T& item) { items[count++] = item; }
};

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_SEQUENCE_H_
