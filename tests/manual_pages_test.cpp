// Checks the manual pages against the programs: every option that a program's
// --help lists is in its page, and man renders each page without a warning.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"

namespace {

struct Page {
  const char* program;  ///< The built program.
  const char* name;     ///< The page's file name, e.g. varve-batch.1.
};

const std::vector<Page> kPages = {
    {VARVE_CONVERT_PATH, "varve-convert.1"},
    {VARVE_BATCH_PATH, "varve-batch.1"},
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The text of a roff page as a reader sees its words: comment lines dropped,
/// \- as -, font changes and zero-width escapes removed.
std::string page_words(const std::string& roff) {
  std::istringstream lines(roff);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with(".\\\"")) {
      out += line + '\n';
    }
  }
  out = std::regex_replace(out, std::regex(R"(\\f[BIRP])"), "");
  out = std::regex_replace(out, std::regex(R"(\\&)"), "");
  return std::regex_replace(out, std::regex(R"(\\-)"), "-");
}

/// The options a usage text names: words such as --format or -h.
std::set<std::string> options_of(const std::string& usage) {
  std::set<std::string> options;
  std::regex option(R"((?:^|[\s\[|(,])(--?[A-Za-z][A-Za-z0-9-]*))");
  for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
    options.insert((*it)[1]);
  }
  return options;
}

/// True when `text` holds `word` whole, not as part of a longer word.
bool has_word(const std::string& text, const std::string& word) {
  auto part_of_word = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
  };
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    bool starts = at == 0 || !part_of_word(text[at - 1]);
    std::size_t after = at + word.size();
    if (starts && (after == text.size() || !part_of_word(text[after]))) {
      return true;
    }
  }
  return false;
}

TEST(ManualPages, NameEveryOptionThatHelpLists) {
  for (const Page& page : kPages) {
    testing_process::Result help = testing_process::run({page.program, "--help"}, "");
    ASSERT_EQ(help.status, 0) << page.program;
    std::set<std::string> options = options_of(help.output);
    EXPECT_TRUE(options.contains("--help") && options.contains("--version")) << help.output;
    std::string words =
        page_words(read_file(std::string(VARVE_MAN_SOURCE_DIR "/") + page.name + ".in"));
    for (const std::string& option : options) {
      EXPECT_TRUE(has_word(words, option)) << page.name << " does not name " << option;
    }
  }
}

TEST(ManualPages, RenderWithoutWarnings) {
  const std::string man = VARVE_MAN_PROGRAM;
  if (man.empty()) {
    GTEST_SKIP() << "man was not found (Debian's man-db)";
  }
  for (const Page& page : kPages) {
    testing_process::Result r =
        testing_process::run({"/usr/bin/env", "MANWIDTH=80", man, "--warnings", "-l",
                              std::string(VARVE_MAN_BUILD_DIR "/") + page.name},
                             "");
    EXPECT_EQ(r.error, "") << page.name;
    EXPECT_EQ(r.status, 0) << page.name;
    EXPECT_NE(r.output.find("varve-convert " VARVE_VERSION), std::string::npos) << page.name;
  }
}

}  // namespace
