#include "dialogue/conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "console/test_system.h"
#include "sentences/result_records.h"

namespace dialogue {
namespace {

using chronology::Direction;

TEST(WriteResults, WritesTheResultRecordsForEveryAcceptedNumber) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    for (chronology::GivenRange range : chronology::accepted_ranges(direction)) {
      for (chronology::GivenNumber n = range.first; n <= range.last; ++n) {
        console::TestSystem system;
        console::Console console(system);
        write_results(console, direction, n);
        std::string expected =
            " - - - - - - - - - - - - - - - - - - - - - - - - - - - - \r\n  \r\n";
        for (const std::string& record : sentences::result_records(direction, n)) {
          expected += record + "\r\n";
        }
        ASSERT_EQ(system.output, expected) << n;
      }
    }
  }
}

}  // namespace
}  // namespace dialogue
