#include "dialogue/ne_to_am.h"

#include <optional>

#include "chronology/ne_to_am_table.h"
#include "dialogue/dialogue.h"

namespace dialogue {
namespace {

using chronology::NeKind;

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

/// Asks until the NE number typed lies in an accepted range, and looks it up.
chronology::NeToAm read_ne_number(console::Console& console, std::int32_t& ne_number) {
  for (;;) {
    for (std::string_view text : kPrompt) {
      console.output.write_text(text);
    }
    console.input.read_integer(ne_number);
    console.output.write_text(" ");
    if (std::optional<chronology::NeToAm> link = chronology::ne_to_am(ne_number)) {
      return *link;
    }
    console.output.write_text(" ");
    console.output.write_text("Your NE number is outside the NE ranges. Try again.");
  }
}

}  // namespace

void convert_ne_to_am(console::Console& console, std::int32_t& ne_number, std::int32_t& am_number) {
  chronology::NeToAm link = read_ne_number(console, ne_number);
  console::ConsoleOutput& out = console.output;
  out.write_text(kSeparator);
  out.write_text(" ");
  auto version = static_cast<std::size_t>(link.sequence);
  switch (link.kind) {
    case NeKind::kOffset:
      out.write_layout(NeCorrespondsLayout[version], {link.ne_first, link.am_first});
      am_number = link.am_first;
      break;
    case NeKind::kSplit:
      out.write_layout(NeSplitLayout[version], {link.ne_first, link.am_first, link.am_last});
      break;
    case NeKind::kJoin:
    case NeKind::kJoinFalseCouplets:
      out.write_layout(NeJoinLayout[version], {link.ne_first, link.ne_last, link.am_first});
      am_number = link.am_first;
      if (link.kind == NeKind::kJoinFalseCouplets) {
        out.write_layout(FalseCoupletLayout, {link.ne_first, link.ne_last});
      }
      break;
  }
}

}  // namespace dialogue
