#ifndef VARVE_SENTENCES_AM_TO_NE_H_
#define VARVE_SENTENCES_AM_TO_NE_H_

#include <array>
#include <string_view>

#include "sentences/record_layout.h"

namespace sentences {

/// "AM 7000 corresponds to: NE-UC 7318" with the label `corresponds`.
constexpr std::array<LayoutItem, 6> am_corresponds_layout(std::string_view corresponds) {
  return {Skip(1), Literal("AM"), IntField(5), Skip(1), Literal(corresponds), IntField(5)};
}

/// The rest of the line that names the NE varves of a split or join.
inline constexpr LayoutItem kOfBraskoNe = Literal(" of Brasko original NE chronology.");

/// Two AM varves formed by splitting the NE varve that follows `label`.
constexpr std::array<LayoutItem, 11> am_split_layout(std::string_view label) {
  return {Skip(1),       Literal("AM"), IntField(5),
          Literal("-"),  IntField(4),   Literal(" were formed by the splitting of"),
          RecordBreak(), Skip(2),       Literal(label),
          IntField(4),   kOfBraskoNe};
}

/// One AM varve formed by joining the NE run that follows `label`, whose first
/// number takes a field of `width`.
constexpr std::array<LayoutItem, 11> am_join_layout(std::string_view label, int width) {
  return {Skip(1),       Literal("AM"), IntField(5),    Literal(" was formed by the joining of"),
          RecordBreak(), Skip(2),       Literal(label), IntField(width),
          Literal("-"),  IntField(4),   kOfBraskoNe};
}

/// An AM varve that corresponds to one NE-LC varve.
inline constexpr std::array AmCorrespondsLcLayout = am_corresponds_layout("corresponds to: NE-LC");
/// An AM varve that corresponds to one NE-UC varve.
inline constexpr std::array AmCorrespondsUcLayout = am_corresponds_layout("corresponds to: NE-UC");
/// An AM varve that corresponds to a varve of each NE sequence.
inline constexpr std::array AmCorrespondsBothLayout{
    Skip(1),     Literal("AM"),         IntField(5), Skip(1), Literal("corresponds to: NE-LC"),
    IntField(5), Literal(" and NE-UC"), IntField(5),
};
/// Two AM varves formed by splitting an NE-LC varve.
inline constexpr std::array AmSplitLcLayout = am_split_layout("NE-LC ");
/// Two AM varves formed by splitting an NE-UC varve.
inline constexpr std::array AmSplitUcLayout = am_split_layout("NE-UC ");
// The LC join prints the run's first number in a field of 5 after "NE-LC",
// the UC join in a field of 4 after "NE-UC ": the same line for four digits.
inline constexpr std::array AmJoinLcLayout = am_join_layout("NE-LC", 5);
inline constexpr std::array AmJoinUcLayout = am_join_layout("NE-UC ", 4);

/// The answer to an AM number outside the accepted range.
inline constexpr std::string_view kAmOutsideMessage =
    "Your AM number is outside the AM range. Try again.";

}  // namespace sentences

#endif  // VARVE_SENTENCES_AM_TO_NE_H_
