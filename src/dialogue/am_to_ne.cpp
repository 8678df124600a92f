#include "dialogue/am_to_ne.h"

#include "chronology/am_to_ne_table.h"
#include "dialogue/dialogue.h"

namespace dialogue {
namespace {

using chronology::AmKind;

constexpr std::array<std::string_view, 6> kPrompt{
    " ",
    "The AM chronology occurs as a single sequence:",
    "  AM 2700-8400",
    " ",
    "Enter the AM number (integer) you would like to convert",
    " to LC or UC sequence numbers of the NE chronology:",
};

/// Asks until the AM number typed lies in the accepted range, and looks it up.
chronology::AmToNeResults read_am_number(console::Console& console, std::int32_t& am_number) {
  for (;;) {
    for (std::string_view text : kPrompt) {
      console.output.write_text(text);
    }
    console.input.read_integer(am_number);
    console.output.write_text(" ");
    chronology::AmToNeResults results = chronology::am_to_ne(am_number);
    if (!results.empty()) {
      return results;
    }
    console.output.write_text(" ");
    console.output.write_text("Your AM number is outside the AM range. Try again.");
  }
}

}  // namespace

void convert_am_to_ne(console::Console& console, std::int32_t& /*ne_number*/,
                      std::int32_t& am_number) {
  chronology::AmToNeResults results = read_am_number(console, am_number);
  console::ConsoleOutput& out = console.output;
  out.write_text(kSeparator);
  out.write_text(" ");
  for (const chronology::AmToNe& r : results) {
    switch (r.kind) {
      case AmKind::kLcOffset:
        out.write_layout(AmCorrespondsLcLayout, {r.am_first, r.ne_first});
        break;
      case AmKind::kUcOffset:
        out.write_layout(AmCorrespondsUcLayout, {r.am_first, r.ne_first});
        break;
      case AmKind::kBothOffsets:
        out.write_layout(AmCorrespondsBothLayout, {r.am_first, r.ne_first, r.ne_uc});
        break;
      case AmKind::kLcSplit:
        out.write_layout(AmSplitLcLayout, {r.am_first, r.am_last, r.ne_first});
        break;
      case AmKind::kUcSplit:
        out.write_layout(AmSplitUcLayout, {r.am_first, r.am_last, r.ne_first});
        break;
      case AmKind::kLcJoin:
        out.write_layout(AmJoinLcLayout, {r.am_first, r.ne_first, r.ne_last});
        break;
      case AmKind::kUcJoin:
        out.write_layout(AmJoinUcLayout, {r.am_first, r.ne_first, r.ne_last});
        break;
      case AmKind::kFalseCouplets:
        out.write_layout(FalseCoupletLayout, {r.ne_first, r.ne_last});
        break;
    }
  }
}

}  // namespace dialogue
