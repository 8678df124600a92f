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

/// Menu choice 1: asks for an NE number until one is accepted and writes its
/// AM equivalent; a single AM result is also left in `am_number`.
void convert_ne_to_am(console::Console& console, std::int32_t& ne_number, std::int32_t& am_number);

/// Menu choice 2: asks for an AM number until one is accepted, leaves it in
/// `am_number` and writes its NE equivalents.
void convert_am_to_ne(console::Console& console, std::int32_t& ne_number, std::int32_t& am_number);

}  // namespace dialogue

#endif  // VARVE_DIALOGUE_CONVERSION_H_
