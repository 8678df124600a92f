#include "dialogue/conversion.h"

#include "dialogue/dialogue.h"
#include "sentences/result_records.h"

namespace dialogue {

chronology::Links ask_for_number(console::Console& console,
                                 std::span<const std::string_view> prompt,
                                 std::string_view rejected, chronology::Direction direction,
                                 std::int32_t& number) {
  for (;;) {
    for (std::string_view text : prompt) {
      console.output.write_text(text);
    }
    console.input.read_integer(number);
    console.output.write_text(" ");
    chronology::Links links = chronology::links_of(direction, number);
    if (!links.empty()) {
      return links;
    }
    console.output.write_text(" ");
    console.output.write_text(rejected);
  }
}

void write_results(console::Console& console, chronology::Direction direction,
                   std::int32_t number) {
  console.output.write_text(kSeparator);
  console.output.write_text(" ");
  for (const sentences::Result& r : sentences::results_of(direction, number)) {
    console.output.write_layout(r.layout, r.value_span());
  }
}

}  // namespace dialogue
