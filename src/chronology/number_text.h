#ifndef VARVE_CHRONOLOGY_NUMBER_TEXT_H_
#define VARVE_CHRONOLOGY_NUMBER_TEXT_H_

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace chronology {

/// Converts a value text to an integer, or returns false when it is not an
/// optional sign followed by decimal digits. A sign alone gives 0; a value
/// beyond 32 bits saturates to the nearest representable one, which lies
/// outside every accepted range, so that it is never taken for another number.
constexpr bool convert_integer(std::string_view text, std::int32_t& result) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // The magnitude stops growing once it passes the largest one that can be
  // stored, so that an overlong value saturates instead of wrapping round.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    magnitude = std::min(magnitude * 10 + (c - '0'), kLimit);
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  result = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  return true;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_NUMBER_TEXT_H_
