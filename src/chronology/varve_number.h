#ifndef VARVE_CHRONOLOGY_VARVE_NUMBER_H_
#define VARVE_CHRONOLOGY_VARVE_NUMBER_H_

// The numbers of the two chronologies as distinct types. An NE varve and an AM
// varve are both 32-bit integers, and confusing one for the other is the very
// mistake conversion exists to prevent, so neither converts to the other nor
// to or from an integer without being asked: `NeNumber{4282}` makes one,
// `.value()` gives its integer back where a front end writes it. Within one
// chronology a number steps by a count of varves, and two numbers differ by
// one.

#include <cstdint>

namespace chronology {

/// A number as a user gave it, before a direction says which chronology it
/// belongs to: what a cell holds, and what direction-neutral code passes on.
using GivenNumber = std::int32_t;

/// A varve number of the chronology `Tag` names.
template <class Tag>
class VarveNumber {
 public:
  /// Varve number 0.
  constexpr VarveNumber() = default;
  /// The varve numbered `value`.
  constexpr explicit VarveNumber(std::int32_t value) : value_(value) {}

  /// The number as an integer.
  constexpr std::int32_t value() const { return value_; }

  /// Moves to the next varve.
  constexpr VarveNumber& operator++() {
    ++value_;
    return *this;
  }

  /// Moves `count` varves on.
  constexpr VarveNumber& operator+=(std::int32_t count) {
    value_ += count;
    return *this;
  }
  /// Moves `count` varves back.
  constexpr VarveNumber& operator-=(std::int32_t count) {
    value_ -= count;
    return *this;
  }

  /// The varve `count` further on.
  friend constexpr VarveNumber operator+(VarveNumber n, std::int32_t count) {
    return VarveNumber(n.value_ + count);
  }
  /// The varve `count` before.
  friend constexpr VarveNumber operator-(VarveNumber n, std::int32_t count) {
    return VarveNumber(n.value_ - count);
  }
  /// How many varves `a` lies after `b`.
  friend constexpr std::int32_t operator-(VarveNumber a, VarveNumber b) {
    return a.value_ - b.value_;
  }

  // Comparisons of the integers, written out rather than derived from <=>:
  // the tables' compile-time checks compare numbers millions of times, and
  // clang counts every step of a std::strong_ordering against its budget.
  friend constexpr bool operator==(VarveNumber a, VarveNumber b) { return a.value_ == b.value_; }
  friend constexpr bool operator<(VarveNumber a, VarveNumber b) { return a.value_ < b.value_; }
  friend constexpr bool operator>(VarveNumber a, VarveNumber b) { return a.value_ > b.value_; }
  friend constexpr bool operator<=(VarveNumber a, VarveNumber b) { return a.value_ <= b.value_; }
  friend constexpr bool operator>=(VarveNumber a, VarveNumber b) { return a.value_ >= b.value_; }

 private:
  std::int32_t value_ = 0;
};

/// Names the NE chronology (either sequence) in `VarveNumber`.
struct NeTag {};
/// Names the AM chronology in `VarveNumber`.
struct AmTag {};

/// A varve number of the NE chronology, of the LC or the UC sequence.
using NeNumber = VarveNumber<NeTag>;
/// A varve number of the AM chronology.
using AmNumber = VarveNumber<AmTag>;

/// The integer of `number`, or `number` itself where it is one already: for
/// code that writes numbers of either chronology as integers.
template <class Tag>
constexpr std::int32_t plain(VarveNumber<Tag> number) {
  return number.value();
}
/// As above, for a number that is an integer already.
constexpr std::int32_t plain(GivenNumber number) {
  return number;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_VARVE_NUMBER_H_
