// Checks the manual pages against the programs: every option that a program's
// --help lists is in its page, and man renders each page without a warning.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "process.h"
#include "version.h"

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
/// \- as -, font changes (\fB, \fI, \fR, \fP) and \& removed.
std::string page_words(const std::string& roff) {
  std::istringstream lines(roff);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(".\\\"")) {
      continue;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        char next = line[i + 1];
        if (next == '-') {
          out += '-';
          ++i;
          continue;
        }
        if (next == '&') {
          ++i;
          continue;
        }
        if (next == 'f' && i + 2 < line.size()) {
          i += 2;
          continue;
        }
      }
      out += line[i];
    }
    out += '\n';
  }
  return out;
}

/// The options a usage text names: words such as --format or -h, after a
/// blank, a bracket, a bar, a parenthesis or a comma.
std::set<std::string> options_of(const std::string& usage) {
  std::set<std::string> options;
  auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  auto word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
  for (std::size_t i = 0; i < usage.size(); ++i) {
    bool after_boundary =
        i == 0 || std::string_view(" \t\n[|(,").find(usage[i - 1]) != std::string_view::npos;
    if (!after_boundary || usage[i] != '-') {
      continue;
    }
    std::size_t name = usage.compare(i, 2, "--") == 0 ? i + 2 : i + 1;
    if (name < usage.size() && letter(usage[name])) {
      std::size_t end = name;
      while (end < usage.size() && word_char(usage[end])) {
        ++end;
      }
      options.insert(usage.substr(i, end - i));
      i = end;
    }
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
    EXPECT_NE(r.output.find("varve-convert " + std::string(varve::kVersion)), std::string::npos)
        << page.name;
  }
}

}  // namespace
