// Runs the built varve-convert through real pipes and compares what reaches
// its standard streams, byte for byte, and its exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dialogue/test_transcript.h"
#include "process.h"
#include "programs.h"

namespace {

using namespace dialogue::transcript;
using testing_process::Options;
using testing_process::Output;

/// The program under test (see programs.h).
const std::vector<std::string>& kProgram = testing_programs::convert_program();
using testing_programs::launched;

const std::string kEndOfFile =
    "? Run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n";
const std::string kIllegal =
    "? Run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n";
const std::string kNe2700 = kNePrompt + result({" NE-LC 2700 corresponds to: AM 2700"}) + kClosing;

struct Session {
  const char* name;
  std::string input;
  std::string output;
  std::string error;
  int status;
};

TEST(EndToEnd, SessionsThroughPipes) {
  const std::vector<Session> sessions = {
      {"worked example", "1\n2700\n0\n", kBanner + kMenu + kNe2700, "", 0},
      {"both directions", "2\n6357\n1\n1\n5674\n0\n",
       kBanner + kMenu + kAmPrompt +
           result({" AM 6357 corresponds to: NE-LC 6342",
                   " AM 6357-6358 were formed by the splitting of",
                   "  NE-UC 6674 of Brasko original NE chronology."}) +
           kClosing + kMenu + kNePrompt +
           result({" NE-LC 5672-5676 of Brasko original chronology",
                   "  have been joined and now correspond to AM 5691",
                   "  NE-LC 5672-5676 represent false annual couplets formed",
                   "   by flood events in the Hudson Valley."}) +
           kClosing,
       "", 0},
      {"wrong choices", "0\n3\n1\n2700\n0\n",
       kBanner + kMenu + kSelectAgain + kMenu + kSelectAgain + kMenu + kNe2700, "", 0},
      {"null values", ",\n1\n/5\n2700\n1\n,\n,\n0\n",
       kBanner + kMenu + kSelectAgain + kMenu + kNePrompt + kNeRejected + kNe2700 + kMenu + kNe2700,
       "", 0},
      {"odd spacing, tabs and CR LF", "\r\n\t \n  1  2700\r\n\t2700\t\r\n   0 \r\n",
       kBanner + kMenu + kNe2700, "", 0},
      {"a line of 20000 blanks and one of 150 tabs",
       std::string(20000, ' ') + "1\n" + std::string(150, '\t') + "2700\n0\n",
       kBanner + kMenu + kNe2700, "", 0},
      {"a number beyond 32 bits is not taken for another", "4294967297\n1\n4294969996\n2700\n0\n",
       kBanner + kMenu + kSelectAgain + kMenu + kNePrompt + kNeRejected + kNe2700, "", 0},
      {"empty input", "", kBanner + kMenu, kEndOfFile, 255},
      {"end of input at the NE prompt", "1\n", kBanner + kMenu + kNePrompt, kEndOfFile, 255},
      {"last line without LF", "1\n2700\n0", kBanner + kMenu + kNe2700, kEndOfFile, 255},
      {"illegal character at the menu", "one\n", kBanner + kMenu, kIllegal, 255},
      {"illegal character at the NE prompt", "1\n27OO\n", kBanner + kMenu + kNePrompt, kIllegal,
       255},
      {"illegal character at the AM prompt", "2\n7e3\n", kBanner + kMenu + kAmPrompt, kIllegal,
       255},
      {"illegal character at the closing question", "1\n2700\ny\n", kBanner + kMenu + kNe2700,
       kIllegal, 255},
  };
  for (const Session& s : sessions) {
    testing_process::Result r = testing_process::run(kProgram, s.input);
    EXPECT_EQ(r.output, s.output) << s.name;
    EXPECT_EQ(r.error, s.error) << s.name;
    EXPECT_EQ(r.status, s.status) << s.name;
  }
}

TEST(EndToEnd, HelpOrVersionAloneAnswersAnyOtherCommandLineStartsTheDialogue) {
  auto with = [](std::vector<std::string> arguments) {
    std::vector<std::string> command = kProgram;
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  };
  testing_process::Result help = testing_process::run(with({"--help"}), "1\n2700\n0\n");
  EXPECT_TRUE(help.output.starts_with("usage: varve-convert\n")) << help.output;
  EXPECT_NE(help.output.find("  --version  show the version\n"), std::string::npos);
  EXPECT_EQ(help.error, "");
  EXPECT_EQ(help.status, 0);

  testing_process::Result version = testing_process::run(with({"--version"}), "");
  // "varve-convert X.Y.Z": three numbers joined by dots.
  std::string number = version.output.substr(std::min<std::size_t>(version.output.size(), 14));
  EXPECT_TRUE(version.output.starts_with("varve-convert ") && number.ends_with("\n") &&
              number.find_first_not_of("0123456789.\n") == std::string::npos &&
              std::count(number.begin(), number.end(), '.') == 2 && !number.starts_with("."))
      << version.output;
  EXPECT_EQ(version.error, "");
  EXPECT_EQ(version.status, 0);

  // Anything else is no option: the dialogue runs exactly as without arguments.
  const std::vector<std::vector<std::string>> others = {
      {"-h"}, {"--HELP"}, {"help"}, {"--help", "--version"}, {"--version", "1"}, {"--help=yes"},
      {"--"}, {""},       {"2700"},
  };
  for (const std::vector<std::string>& arguments : others) {
    testing_process::Result r = testing_process::run(with(arguments), "1\n2700\n0\n");
    EXPECT_EQ(r.output, kBanner + kMenu + kNe2700) << arguments[0];
    EXPECT_EQ(r.error, "") << arguments[0];
    EXPECT_EQ(r.status, 0) << arguments[0];
    r = testing_process::run(with(arguments), "");
    EXPECT_EQ(r.output, kBanner + kMenu) << arguments[0];
    EXPECT_EQ(r.error, kEndOfFile) << arguments[0];
    EXPECT_EQ(r.status, 255) << arguments[0];
  }
}

TEST(EndToEnd, HelpThatCannotBeWrittenIsReported) {
  testing_process::Child child(
      [] {
        std::vector<std::string> command = kProgram;
        command.emplace_back("--help");
        return command;
      }(),
      {.output = Output::kFull});
  EXPECT_EQ(child.finish(), 1);
  EXPECT_TRUE(child.error.starts_with("varve-convert: cannot write standard output: "))
      << child.error;
}

struct Fault {
  const char* name;
  Options options;
  std::string output;
  std::string error;
};

TEST(EndToEnd, FaultsEndWithTheReportAndStatus255) {
  auto refused = [](const char* text) {
    return std::string("? System Error:\n? ") + text + "\n? WRITE(UNIT=*,...\n";
  };
  const std::vector<Fault> faults = {
      {"standard output on a full disk",
       {.output = Output::kFull},
       "",
       refused("There is not enough space on the disk.")},
      {"standard output closed",
       {.output = Output::kClosed},
       "",
       refused("Incorrect internal file identifier.")},
      {"standard output into a pipe without reader",
       {.output = Output::kClosedPipe},
       "",
       // Wine reports a pipe without reader as code 233, with its own text.
       refused(launched() ? "Pipe not connected." : "Pipe close in progress.")},
      {"standard input closed", {.close_input = true}, kBanner + kMenu, kEndOfFile},
      {"standard error closed", {.close_error = true}, kBanner + kMenu, ""},
  };
  for (const Fault& f : faults) {
    testing_process::Child child(kProgram, f.options);
    int status = child.finish(f.options.close_input ? "" : "x\n");
    EXPECT_EQ(child.output, f.output) << f.name;
    EXPECT_EQ(child.error, f.error) << f.name;
    EXPECT_EQ(status, 255) << f.name;
  }
}

TEST(EndToEnd, AFileSizeLimitIsARefusedWriteWithItsReport) {
  if (launched()) {
    GTEST_SKIP() << "Windows has no file-size limit";
  }
  const std::string input = "1\n2700\n1\n1\n2700\n1\n0\n";
  const std::string whole = kBanner + kMenu + kNe2700 + kMenu + kNe2700 + kMenu + kNe2700;
  const std::string path = ::testing::TempDir() + "varve_convert_file_size_limit.txt";
  Options options;
  options.output = Output::kFile;
  options.output_file = path.c_str();
  options.file_size_limit = 1024;
  ASSERT_GT(whole.size(), options.file_size_limit);
  testing_process::Child child(kProgram, options);
  EXPECT_EQ(child.finish(input), 255);
  EXPECT_EQ(child.error, "? System Error:\n? File too large\n? WRITE(UNIT=*,...\n");
  // What the system took before the limit stays written, and nothing more.
  std::ifstream file(path, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, whole.substr(0, options.file_size_limit));
  std::remove(path.c_str());
}

TEST(EndToEnd, ALineLargerThanMemoryEndsWithBufferAllocationFailed) {
  if (launched()) {
    GTEST_SKIP() << "Wine cannot start within a limited address space";
  }
#ifdef VARVE_SANITIZED
  GTEST_SKIP() << "the sanitizers' shadow memory does not fit a limited address space";
#endif
  Options options;
  options.address_space_limit = 64u << 20;
  testing_process::Child child(kProgram, options);
  std::string blanks(1u << 20, ' ');
  for (int i = 0; i < 256 && child.write_input(blanks); ++i) {
  }
  int status = child.finish();
  EXPECT_EQ(child.output, kBanner + kMenu);
  EXPECT_EQ(child.error, "? Run-time error:\n? Buffer allocation failed\n? READ(UNIT=*,...\n");
  EXPECT_EQ(status, 255);
}

TEST(EndToEnd, EachPromptIsWholeBeforeTheProgramWaits) {
  testing_process::Child child(kProgram, {});
  // The answers in turn, and everything the program writes after each.
  const std::vector<std::pair<std::string, std::string>> steps = {
      {"", kBanner + kMenu},
      {"1\n", kNePrompt},
      {"6500\n", kNeRejected + kNePrompt},
      {"2700\n", result({" NE-LC 2700 corresponds to: AM 2700"}) + kClosing},
      {"1\n", kMenu},
      {"2\n", kAmPrompt},
      {"7000\n", result({" AM 7000 corresponds to: NE-UC 7318"}) + kClosing},
  };
  std::string expected;
  for (const auto& [answer, reply] : steps) {
    ASSERT_TRUE(child.write_input(answer));
    expected += reply;
    child.collect(30000, reply);
    ASSERT_EQ(child.output, expected) << "after " << answer;
    // Waiting for the next answer, it writes nothing more.
    child.collect(150);
    ASSERT_EQ(child.output, expected) << "while waiting after " << answer;
  }
  // Stopped and continued while it waits for an answer (Ctrl-Z, then fg), it
  // goes on reading and loses nothing.
  child.signal(SIGSTOP);
  child.signal(SIGCONT);
  EXPECT_EQ(child.finish("0\n"), 0);
  EXPECT_EQ(child.output, expected);
  EXPECT_EQ(child.error, "");
}

}  // namespace
