#include <array>
#include <string_view>

#include "dialogue/conversion.h"
#include "sentences/am_to_ne.h"

namespace dialogue {
namespace {

constexpr std::array<std::string_view, 6> kPrompt{
    " ",
    "The AM chronology occurs as a single sequence:",
    "  AM 2700-8400",
    " ",
    "Enter the AM number (integer) you would like to convert",
    " to LC or UC sequence numbers of the NE chronology:",
};

}  // namespace

void convert_am_to_ne(console::Console& console, std::int32_t& /*ne_number*/,
                      std::int32_t& am_number) {
  constexpr auto kDirection = chronology::Direction::kAmToNe;
  ask_for_number(console, kPrompt, sentences::kAmOutsideMessage, kDirection, am_number);
  write_results(console, kDirection, am_number);
}

}  // namespace dialogue
