#include <array>
#include <string_view>

#include "dialogue/conversion.h"
#include "sentences/ne_to_am.h"

namespace dialogue {
namespace {

constexpr std::array<std::string_view, 10> kPrompt{
    " ",
    "The NE chronology occurs in two sequences:",
    "  Lower Connecticut (LC) varves - NE 2700-6454",
    "  Upper Connecticut (UC) varves - NE 6568-9000",
    " ",
    "The sequences overlap and do not have the same",
    " numbering system.",
    " ",
    "Enter the NE number (integer) you would like to convert",
    " within either the LC or UC sequence above:",
};

}  // namespace

void convert_ne_to_am(console::Console& console, std::int32_t& ne_number, std::int32_t& am_number) {
  constexpr auto kDirection = chronology::Direction::kNeToAm;
  chronology::Link link =
      ask_for_number(console, kPrompt, sentences::kNeOutsideMessage, kDirection, ne_number)[0];
  write_results(console, kDirection, ne_number);
  // A single AM varve is kept, so that AM to NE can take it as a null answer.
  if (link.relation != chronology::Relation::kSplit) {
    am_number = link.am_first.value();
  }
}

}  // namespace dialogue
