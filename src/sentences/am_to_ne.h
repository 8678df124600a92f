#ifndef VARVE_DIALOGUE_AM_TO_NE_H_
#define VARVE_DIALOGUE_AM_TO_NE_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "console/console.h"
#include "console/record_layout.h"
#include "dialogue/ne_to_am.h"

namespace dialogue {

/// "AM 7000 corresponds to: NE-UC 7318" with the label `corresponds`.
constexpr std::array<console::LayoutItem, 6> am_corresponds(std::string_view corresponds) {
  return {Skip(1), Literal("AM"), IntField(5), Skip(1), Literal(corresponds), IntField(5)};
}

/// The rest of the line that names the NE varves of a split or join.
inline constexpr console::LayoutItem kOfBraskoNe = Literal(" of Brasko original NE chronology.");

/// Two AM varves formed by splitting the NE varve that follows `label`.
constexpr std::array<console::LayoutItem, 11> am_split(std::string_view label) {
  return {Skip(1),       Literal("AM"), IntField(5),
          Literal("-"),  IntField(4),   Literal(" were formed by the splitting of"),
          RecordBreak(), Skip(2),       Literal(label),
          IntField(4),   kOfBraskoNe};
}

/// One AM varve formed by joining the NE run that follows `label`, whose first
/// number takes a field of `width`.
constexpr std::array<console::LayoutItem, 11> am_join(std::string_view label, int width) {
  return {Skip(1),       Literal("AM"), IntField(5),    Literal(" was formed by the joining of"),
          RecordBreak(), Skip(2),       Literal(label), IntField(width),
          Literal("-"),  IntField(4),   kOfBraskoNe};
}

inline constexpr std::array AmCorrespondsLcLayout = am_corresponds("corresponds to: NE-LC");
inline constexpr std::array AmCorrespondsUcLayout = am_corresponds("corresponds to: NE-UC");
inline constexpr std::array AmCorrespondsBothLayout{
    Skip(1),     Literal("AM"),         IntField(5), Skip(1), Literal("corresponds to: NE-LC"),
    IntField(5), Literal(" and NE-UC"), IntField(5),
};
inline constexpr std::array AmSplitLcLayout = am_split("NE-LC ");
inline constexpr std::array AmSplitUcLayout = am_split("NE-UC ");
// The LC join prints the run's first number in a field of 5 after "NE-LC",
// the UC join in a field of 4 after "NE-UC ": the same line for four digits.
inline constexpr std::array AmJoinLcLayout = am_join("NE-LC", 5);
inline constexpr std::array AmJoinUcLayout = am_join("NE-UC ", 4);

/// The answer to an AM number outside the accepted range.
inline constexpr std::string_view kAmOutsideMessage =
    "Your AM number is outside the AM range. Try again.";

/// Menu choice 2: asks for an AM number until one is accepted, leaves it in
/// `am_number` and writes its NE equivalents.
void convert_am_to_ne(console::Console& console, std::int32_t& ne_number, std::int32_t& am_number);

}  // namespace dialogue

#endif  // VARVE_DIALOGUE_AM_TO_NE_H_
