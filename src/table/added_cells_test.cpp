#include "table/added_cells.h"

#include <gtest/gtest.h>

#include <string>

namespace table {
namespace {

/// The cells as "name=value" words: codes by their names, "-" where missing.
std::string words(const NumberCells& cells) {
  struct Word {
    std::string& out;
    void add(std::string_view name, const std::string& value) const {
      if (!out.empty()) {
        out += ' ';
      }
      out.append(name).append("=").append(value);
    }
    void operator()(std::string_view name, const AddedSequence& s) const {
      add(name, s ? std::string(kSequenceNames[static_cast<std::size_t>(*s)]) : "-");
    }
    void operator()(std::string_view name, RelationCode r) const {
      add(name, r == RelationCode::kNone
                    ? "-"
                    : std::string(kRelationNames[static_cast<std::size_t>(r)]));
    }
    void operator()(std::string_view name, const AddedNe& n) const { number(name, plain(n)); }
    void operator()(std::string_view name, const AddedAm& n) const { number(name, plain(n)); }
    void number(std::string_view name, std::optional<std::int32_t> n) const {
      add(name, n ? std::to_string(*n) : "-");
    }
    void operator()(std::string_view name, const AddedFlag& f) const {
      add(name, !f ? "-" : *f ? "true" : "false");
    }
  };
  std::string out;
  visit_fields(cells, Word{out});
  return out;
}

TEST(NumberCells, EachKindOfValueGivesItsNamedCells) {
  struct Case {
    Direction direction;
    const char* value;
    const char* cells;
  };
  const Case cases[] = {
      {Direction::kNeToAm, "3021",
       "sequence=LC relation=split ne_first=3021 ne_last=3021 am_first=3021 am_last=3022 "
       "false_couplets=false"},
      {Direction::kNeToAm, "5674",
       "sequence=LC relation=joined ne_first=5672 ne_last=5676 am_first=5691 am_last=5691 "
       "false_couplets=true"},
      {Direction::kNeToAm, "7000",
       "sequence=UC relation=corresponds ne_first=7000 ne_last=7000 am_first=6682 am_last=6682 "
       "false_couplets=false"},
      {Direction::kNeToAm, "6500",
       "sequence=- relation=outside ne_first=- ne_last=- am_first=- am_last=- false_couplets=-"},
      {Direction::kNeToAm, "4282?",
       "sequence=- relation=invalid ne_first=- ne_last=- am_first=- am_last=- false_couplets=-"},
      {Direction::kNeToAm, " ",
       "sequence=- relation=- ne_first=- ne_last=- am_first=- am_last=- false_couplets=-"},
      {Direction::kNeToAm, "5580-5700",
       "sequence=LC relation=span ne_first=5580 ne_last=5700 am_first=5599 am_last=5714 "
       "false_couplets=true"},
      {Direction::kNeToAm, "5700-6600",
       "sequence=- relation=invalid ne_first=- ne_last=- am_first=- am_last=- false_couplets=-"},
      // An AM number in the overlap links to both sequences; beyond it, to one.
      {Direction::kAmToNe, "6245",
       "lc_relation=corresponds lc_first=6230 lc_last=6230 uc_relation=corresponds uc_first=6562 "
       "uc_last=6562 false_couplets=false"},
      {Direction::kAmToNe, "7000",
       "lc_relation=- lc_first=- lc_last=- uc_relation=corresponds uc_first=7318 uc_last=7318 "
       "false_couplets=false"},
      {Direction::kAmToNe, "5691",
       "lc_relation=joined lc_first=5672 lc_last=5676 uc_relation=- uc_first=- uc_last=- "
       "false_couplets=true"},
      {Direction::kAmToNe, "2400",
       "lc_relation=outside lc_first=- lc_last=- uc_relation=outside uc_first=- uc_last=- "
       "false_couplets=-"},
      {Direction::kAmToNe, "6200 - 6500",
       "lc_relation=span lc_first=6185 lc_last=6453 uc_relation=span uc_first=6562 uc_last=6817 "
       "false_couplets=false"},
      {Direction::kAmToNe, "8600-8800",
       "lc_relation=invalid lc_first=- lc_last=- uc_relation=invalid uc_first=- uc_last=- "
       "false_couplets=-"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(words(number_cells(c.direction, chronology::read_cell(c.value))), c.cells) << c.value;
  }
}

}  // namespace
}  // namespace table
