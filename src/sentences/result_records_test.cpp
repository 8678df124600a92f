#include "sentences/result_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sentences {
namespace {

using chronology::Direction;

struct RecordCase {
  Direction direction;
  chronology::GivenNumber number;
  std::vector<std::string> records;
};

TEST(ResultRecords, AreTheDialogueSentencesWithoutLineEnds) {
  const std::vector<RecordCase> cases = {
      {Direction::kNeToAm, 2700, {" NE-LC 2700 corresponds to: AM 2700"}},
      {Direction::kNeToAm,
       6674,
       {" NE-UC 6674 of Brasko original chronology was",
        "  split and now corresponds to AM 6357-6358"}},
      {Direction::kNeToAm,
       5674,
       {" NE-LC 5672-5676 of Brasko original chronology",
        "  have been joined and now correspond to AM 5691",
        "  NE-LC 5672-5676 represent false annual couplets formed",
        "   by flood events in the Hudson Valley."}},
      {Direction::kAmToNe, 6245, {" AM 6245 corresponds to: NE-LC 6230 and NE-UC 6562"}},
      {Direction::kAmToNe,
       6357,
       {" AM 6357 corresponds to: NE-LC 6342", " AM 6357-6358 were formed by the splitting of",
        "  NE-UC 6674 of Brasko original NE chronology."}},
      {Direction::kAmToNe,
       6428,
       {" AM 6428 corresponds to: NE-LC 6413", " AM 6428 was formed by the joining of",
        "  NE-UC 6744-6745 of Brasko original NE chronology."}},
      {Direction::kAmToNe,
       5691,
       {" AM 5691 was formed by the joining of",
        "  NE-LC 5672-5676 of Brasko original NE chronology.",
        "  NE-LC 5672-5676 represent false annual couplets formed",
        "   by flood events in the Hudson Valley."}},
      {Direction::kNeToAm, 2499, {}},
      {Direction::kNeToAm, 6500, {}},
      {Direction::kAmToNe, 8701, {}},
  };
  for (const RecordCase& c : cases) {
    EXPECT_EQ(result_records(c.direction, c.number), c.records) << c.number;
  }
}

}  // namespace
}  // namespace sentences
