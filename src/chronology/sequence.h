#ifndef VARVE_CHRONOLOGY_SEQUENCE_H_
#define VARVE_CHRONOLOGY_SEQUENCE_H_

#include <array>
#include <cstddef>
#include <cstdint>

namespace chronology {

/// A varve number of either chronology.
using VarveNumber = std::int32_t;

/// The two separately numbered sequences of the NE chronology.
enum class Sequence : std::uint8_t {
  kLc,  ///< Lower Connecticut.
  kUc,  ///< Upper Connecticut.
};

/// An inclusive run of varve numbers, first to last.
struct Range {
  VarveNumber first;
  VarveNumber last;

  /// True when `n` lies in the run.
  constexpr bool contains(VarveNumber n) const { return first <= n && n <= last; }

  friend constexpr bool operator==(const Range&, const Range&) = default;
};

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
