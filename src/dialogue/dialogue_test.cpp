#include "dialogue/dialogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/test_system.h"
#include "dialogue/conversion.h"
#include "dialogue/test_transcript.h"

namespace dialogue {
namespace {

using namespace transcript;

/// What a whole run wrote, and how it ended.
struct Session {
  std::string output;
  std::string error;
  int status = 1234;
};

Session run(const std::string& input) {
  console::TestSystem system(input);
  Session session;
  try {
    console::Console console(system);
    Dialogue(console).run();
  } catch (const console::ProcessExit& exit) {
    session.status = exit.status;
  }
  session.output = system.output;
  session.error = system.error;
  return session;
}

TEST(Dialogue, RunsTheWorkedExampleByteForByte) {
  Session s = run("1\n2700\n0\n");
  EXPECT_EQ(s.output,
            " This program converts Brasko New England (NE) Varve\r\n"
            "  Chronology numbers to North American (AM) Varve\r\n"
            "  Chronology numbers and vice versa\r\n"
            "  \r\n"
            "  \r\n"
            " Choices:\r\n"
            "  1 = Convert NE to AM numbers.\r\n"
            "  2 = Convert AM to NE numbers.\r\n"
            " Enter your choice from above, 1 or 2?\r\n"
            "  \r\n"
            " The NE chronology occurs in two sequences:\r\n"
            "   Lower Connecticut (LC) varves - NE 2700-6454\r\n"
            "   Upper Connecticut (UC) varves - NE 6568-9000\r\n"
            "  \r\n"
            " The sequences overlap and do not have the same\r\n"
            "  numbering system.\r\n"
            "  \r\n"
            " Enter the NE number (integer) you would like to convert\r\n"
            "  within either the LC or UC sequence above:\r\n"
            "  \r\n"
            " - - - - - - - - - - - - - - - - - - - - - - - - - - - - \r\n"
            "  \r\n"
            " NE-LC 2700 corresponds to: AM 2700\r\n"
            "  \r\n"
            " - - - - - - - - - - - - - - - - - - - - - - - - - - - - \r\n"
            "  \r\n"
            " Would you like to convert another varve chronology number?\r\n"
            " Select NO (0) or YES (1)?\r\n");
  EXPECT_EQ(s.error, "");
  EXPECT_EQ(s.status, 0);
}

struct Conversion {
  const char* typed;
  std::string result;
};

TEST(Dialogue, ConvertsNeToAm) {
  const std::vector<Conversion> cases = {
      {"2500", result({" NE-LC 2500 corresponds to: AM 2500"})},
      {"3020", result({" NE-LC 3020 corresponds to: AM 3020"})},
      {"3021", result({" NE-LC 3021 of Brasko original chronology was",
                       "  split and now corresponds to AM 3021-3022"})},
      {"3022", result({" NE-LC 3022 corresponds to: AM 3023"})},
      {"4280", result({" NE-LC 4280 corresponds to: AM 4293"})},
      {"4281", result({" NE-LC 4281-4282 of Brasko original chronology",
                       "  have been joined and now correspond to AM 4294"})},
      {"4282", result({" NE-LC 4281-4282 of Brasko original chronology",
                       "  have been joined and now correspond to AM 4294"})},
      {"4283", result({" NE-LC 4283 corresponds to: AM 4295"})},
      {"5674", result({" NE-LC 5672-5676 of Brasko original chronology",
                       "  have been joined and now correspond to AM 5691",
                       "  NE-LC 5672-5676 represent false annual couplets formed",
                       "   by flood events in the Hudson Valley."})},
      {"6454", result({" NE-LC 6454 corresponds to: AM 6469"})},
      {"6460", result({" NE-LC 6460 corresponds to: AM 6475"})},
      {"6560", result({" NE-UC 6560 corresponds to: AM 6243"})},
      {"6568", result({" NE-UC 6568 corresponds to: AM 6251"})},
      {"6673", result({" NE-UC 6673 corresponds to: AM 6356"})},
      {"6674", result({" NE-UC 6674 of Brasko original chronology was",
                       "  split and now corresponds to AM 6357-6358"})},
      {"6675", result({" NE-UC 6675 corresponds to: AM 6359"})},
      {"6744", result({" NE-UC 6744-6745 of Brasko original chronology",
                       "  have been joined and now correspond to AM 6428"})},
      {"7000", result({" NE-UC 7000 corresponds to: AM 6682"})},
      {"9000", result({" NE-UC 9000 corresponds to: AM 8682"})},
      {"2499\n2500", kNeRejected + kNePrompt + result({" NE-LC 2500 corresponds to: AM 2500"})},
      {"6461\n6559\n-7\n0\n9001\n4294967297\n9000",
       kNeRejected + kNePrompt + kNeRejected + kNePrompt + kNeRejected + kNePrompt + kNeRejected +
           kNePrompt + kNeRejected + kNePrompt + kNeRejected + kNePrompt +
           result({" NE-UC 9000 corresponds to: AM 8682"})},
  };
  for (const Conversion& c : cases) {
    Session s = run(std::string("1\n") + c.typed + "\n0\n");
    EXPECT_EQ(s.output, kBanner + kMenu + kNePrompt + c.result + kClosing) << c.typed;
    EXPECT_EQ(s.status, 0) << c.typed;
  }
}

TEST(Dialogue, ConvertsAmToNe) {
  const std::vector<Conversion> cases = {
      {"2500", result({" AM 2500 corresponds to: NE-LC 2500"})},
      {"7000", result({" AM 7000 corresponds to: NE-UC 7318"})},
      {"8700", result({" AM 8700 corresponds to: NE-UC 9018"})},
      {"6244", result({" AM 6244 corresponds to: NE-LC 6229"})},
      {"6245", result({" AM 6245 corresponds to: NE-LC 6230 and NE-UC 6562"})},
      {"6468", result({" AM 6468 corresponds to: NE-LC 6453 and NE-UC 6785"})},
      {"6469", result({" AM 6469 corresponds to: NE-UC 6786"})},
      {"3021", result({" AM 3021-3022 were formed by the splitting of",
                       "  NE-LC 3021 of Brasko original NE chronology."})},
      {"3022", result({" AM 3021-3022 were formed by the splitting of",
                       "  NE-LC 3021 of Brasko original NE chronology."})},
      {"4294", result({" AM 4294 was formed by the joining of",
                       "  NE-LC 4281-4282 of Brasko original NE chronology."})},
      {"5691", result({" AM 5691 was formed by the joining of",
                       "  NE-LC 5672-5676 of Brasko original NE chronology.",
                       "  NE-LC 5672-5676 represent false annual couplets formed",
                       "   by flood events in the Hudson Valley."})},
      {"6356", result({" AM 6356 corresponds to: NE-LC 6341 and NE-UC 6673"})},
      {"6357", result({" AM 6357 corresponds to: NE-LC 6342",
                       " AM 6357-6358 were formed by the splitting of",
                       "  NE-UC 6674 of Brasko original NE chronology."})},
      {"6358", result({" AM 6358 corresponds to: NE-LC 6343",
                       " AM 6357-6358 were formed by the splitting of",
                       "  NE-UC 6674 of Brasko original NE chronology."})},
      {"6359", result({" AM 6359 corresponds to: NE-LC 6344 and NE-UC 6675"})},
      {"6428",
       result({" AM 6428 corresponds to: NE-LC 6413", " AM 6428 was formed by the joining of",
               "  NE-UC 6744-6745 of Brasko original NE chronology."})},
      {"6429", result({" AM 6429 corresponds to: NE-LC 6414 and NE-UC 6746"})},
      {"6634", result({" AM 6634 was formed by the joining of",
                       "  NE-UC 6951-6952 of Brasko original NE chronology."})},
      {"2499\n8701\n2700", kAmRejected + kAmPrompt + kAmRejected + kAmPrompt +
                               result({" AM 2700 corresponds to: NE-LC 2700"})},
  };
  for (const Conversion& c : cases) {
    Session s = run(std::string("2\n") + c.typed + "\n0\n");
    EXPECT_EQ(s.output, kBanner + kMenu + kAmPrompt + c.result + kClosing) << c.typed;
    EXPECT_EQ(s.status, 0) << c.typed;
  }
}

struct Scenario {
  const char* name;
  std::string input;
  std::string output;
  std::string error;
  int status;
};

TEST(Dialogue, FollowsTheMenuAndTheClosingQuestion) {
  const std::string ne2700 = kNePrompt + result({" NE-LC 2700 corresponds to: AM 2700"}) + kClosing;
  const std::vector<Scenario> runs = {
      {"wrong choices", "0\n3\n-1\n1\n2700\n0\n",
       kBanner + kMenu + kSelectAgain + kMenu + kSelectAgain + kMenu + kSelectAgain + kMenu +
           ne2700,
       "", 0},
      {"a null first choice meets the starting value", ",\n1\n2700\n0\n",
       kBanner + kMenu + kSelectAgain + kMenu + ne2700, "", 0},
      {"rest of the menu line discarded", "1 2700\n2700\n0\n", kBanner + kMenu + ne2700, "", 0},
      {"answer 2 ends", "1\n2700\n2\n", kBanner + kMenu + ne2700, "", 0},
      {"answer -1 ends", "1\n2700\n-1\n", kBanner + kMenu + ne2700, "", 0},
      {"answer 1 goes on, a null answer repeats it", "1\n2700\n1\n/\n2700\n,\n,\n,\n0\n",
       kBanner + kMenu + ne2700 + kMenu + ne2700 + kMenu + ne2700, "", 0},
      {"null NE number converts the previous one again", "1\n2700\n1\n1\n,\n0\n",
       kBanner + kMenu + ne2700 + kMenu + ne2700, "", 0},
      {"null AM number after NE to AM converts the AM result", "1\n4282\n1\n2\n,\n0\n",
       kBanner + kMenu + kNePrompt +
           result({" NE-LC 4281-4282 of Brasko original chronology",
                   "  have been joined and now correspond to AM 4294"}) +
           kClosing + kMenu + kAmPrompt +
           result({" AM 4294 was formed by the joining of",
                   "  NE-LC 4281-4282 of Brasko original NE chronology."}) +
           kClosing,
       "", 0},
      {"a split leaves the AM number alone", "2\n7000\n1\n1\n3021\n1\n2\n/\n0\n",
       kBanner + kMenu + kAmPrompt + result({" AM 7000 corresponds to: NE-UC 7318"}) + kClosing +
           kMenu + kNePrompt +
           result({" NE-LC 3021 of Brasko original chronology was",
                   "  split and now corresponds to AM 3021-3022"}) +
           kClosing + kMenu + kAmPrompt + result({" AM 7000 corresponds to: NE-UC 7318"}) +
           kClosing,
       "", 0},
      {"empty input", "", kBanner + kMenu, kEndOfFile, -1},
      {"end of input at the NE prompt", "1\n", kBanner + kMenu + kNePrompt, kEndOfFile, -1},
      {"end of input at the closing question", "1\n2700\n", kBanner + kMenu + ne2700, kEndOfFile,
       -1},
      {"last line without LF", "1\n2700\n0", kBanner + kMenu + ne2700, kEndOfFile, -1},
      {"letter at the menu", "x\n", kBanner + kMenu, kIllegal, -1},
      {"letter at the NE prompt", "1\nx\n", kBanner + kMenu + kNePrompt, kIllegal, -1},
      {"letter at the AM prompt", "2\n12.5\n", kBanner + kMenu + kAmPrompt, kIllegal, -1},
      {"letter at the closing question", "1\n2700\nno\n", kBanner + kMenu + ne2700, kIllegal, -1},
  };
  for (const Scenario& r : runs) {
    Session s = run(r.input);
    EXPECT_EQ(s.output, r.output) << r.name;
    EXPECT_EQ(s.error, r.error) << r.name;
    EXPECT_EQ(s.status, r.status) << r.name;
  }
}

TEST(Dialogue, EntersNeToAmAsChoiceOneAndAmToNeAsChoiceTwo) {
  EXPECT_EQ(conversion_for(1), &convert_ne_to_am);
  EXPECT_EQ(conversion_for(2), &convert_am_to_ne);
  for (std::int32_t other : {-2147483647 - 1, -1, 0, 3, 2147483647}) {
    EXPECT_EQ(conversion_for(other), nullptr) << other;
  }
}

}  // namespace
}  // namespace dialogue
