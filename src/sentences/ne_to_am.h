#ifndef VARVE_SENTENCES_NE_TO_AM_H_
#define VARVE_SENTENCES_NE_TO_AM_H_

#include <array>
#include <string_view>

#include "sentences/record_layout.h"

namespace sentences {

/// "NE-LC 2700 corresponds to: AM 2700" with the sequence's `label`.
constexpr std::array<LayoutItem, 6> ne_corresponds_layout(std::string_view label) {
  return {Skip(1),    Literal(label), IntField(5), Skip(1), Literal("corresponds to: AM"),
          IntField(5)};
}

/// An NE varve split into two AM varves, with the sequence's `label`.
constexpr std::array<LayoutItem, 10> ne_split_layout(std::string_view label) {
  return {Skip(1),
          Literal(label),
          IntField(5),
          Literal(" of Brasko original chronology was"),
          RecordBreak(),
          Skip(2),
          Literal("split and now corresponds to AM "),
          IntField(4),
          Literal("-"),
          IntField(4)};
}

/// A run of NE varves joined into one AM varve, with the sequence's `label`.
constexpr std::array<LayoutItem, 10> ne_join_layout(std::string_view label) {
  return {Skip(1),       Literal(label), IntField(5),
          Literal("-"),  IntField(4),    Literal(" of Brasko original chronology"),
          RecordBreak(), Skip(2),        Literal("have been joined and now correspond to AM"),
          IntField(5)};
}

/// Layouts of the NE-to-AM results, indexed by sequence: LC first, then UC.
inline constexpr std::array NeCorrespondsLayout{ne_corresponds_layout("NE-LC"),
                                                ne_corresponds_layout("NE-UC")};
inline constexpr std::array NeSplitLayout{ne_split_layout("NE-LC"), ne_split_layout("NE-UC")};
inline constexpr std::array NeJoinLayout{ne_join_layout("NE-LC"), ne_join_layout("NE-UC")};

/// The note on a joined NE-LC run that is also false annual couplets.
inline constexpr std::array FalseCoupletLayout{
    Skip(2),
    Literal("NE-LC "),
    IntField(4),
    Literal("-"),
    IntField(4),
    Literal(" represent false annual"),
    Literal(" couplets"),
    Literal(" formed"),
    RecordBreak(),
    Literal("   by flood events in the Hudson Valley."),
};

/// The answer to an NE number outside the accepted ranges.
inline constexpr std::string_view kNeOutsideMessage =
    "Your NE number is outside the NE ranges. Try again.";

}  // namespace sentences

#endif  // VARVE_SENTENCES_NE_TO_AM_H_
