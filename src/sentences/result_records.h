#ifndef VARVE_SENTENCES_RESULT_RECORDS_H_
#define VARVE_SENTENCES_RESULT_RECORDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "chronology/links.h"
#include "sentences/record_layout.h"

namespace sentences {

/// One result of a conversion as the dialogue writes it: a layout and the
/// values it lays out.
struct Result {
  RecordLayout layout;
  std::array<std::int32_t, 3> values{};
  std::size_t count = 0;  ///< Values in use.

  /// The values in use.
  std::span<const std::int32_t> value_span() const { return {values.data(), count}; }
};

/// The results of `number` in `direction`, in the order the dialogue writes
/// them; none when the number lies outside the accepted ranges.
std::vector<Result> results_of(chronology::Direction direction, chronology::GivenNumber number);

/// The dialogue's result records for `number` in `direction`: the lines it
/// writes after the separator line and its blank line, before the closing
/// question, as text without CR LF. None when the number lies outside the
/// accepted ranges. Throws std::bad_alloc when memory runs out.
std::vector<std::string> result_records(chronology::Direction direction,
                                        chronology::GivenNumber number);

}  // namespace sentences

#endif  // VARVE_SENTENCES_RESULT_RECORDS_H_
