#ifndef VARVE_DIALOGUE_CONVERSION_H_
#define VARVE_DIALOGUE_CONVERSION_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "chronology/links.h"
#include "console/console.h"

namespace dialogue {

/// Writes `prompt` and reads a number into `number` until `direction` accepts
/// it, answering each refused number with a blank line and `rejected`.
/// Returns the links of the accepted number.
chronology::Links ask_for_number(console::Console& console,
                                 std::span<const std::string_view> prompt,
                                 std::string_view rejected, chronology::Direction direction,
                                 std::int32_t& number);

/// Writes the separator line, a blank line and the result records of the
/// accepted `number`, one write per record.
void write_results(console::Console& console, chronology::Direction direction, std::int32_t number);

}  // namespace dialogue

#endif  // VARVE_DIALOGUE_CONVERSION_H_
