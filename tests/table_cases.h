#ifndef VARVE_TESTS_TABLE_CASES_H_
#define VARVE_TESTS_TABLE_CASES_H_

// The table of table cases (table_cases.tsv beside this file), read for the
// tests that drive varve-batch.

#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cell_cases.h"

namespace table_cases {

/// One case of the table, its escapes decoded.
struct Case {
  std::string name;
  std::vector<std::string> arguments;
  std::string input;
  int status = 0;
  std::string output;
  std::string messages;  ///< The lines of standard error after "varve-batch: ", each ended.
  std::string bindings;  ///< "-", or how the bindings read the input.
};

/// Every case of the table at `path`.
inline std::vector<Case> load(const std::string& path) {
  std::vector<Case> cases;
  for (const std::string& line : cell_cases::case_lines(path)) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) {
      fields.push_back(field);
    }
    if (fields.size() == 6 && line.back() == '\t') {
      fields.emplace_back();
    }
    if (fields.size() != 7) {
      throw std::runtime_error("bad line in " + path + ": " + line);
    }
    Case c;
    c.name = fields[0];
    std::istringstream words(fields[1]);
    for (std::string word; words >> word;) {
      c.arguments.push_back(cell_cases::unescape(word));
    }
    c.input = cell_cases::unescape(fields[2]);
    c.status = std::stoi(fields[3]);
    c.output = cell_cases::unescape(fields[4]);
    std::string messages = cell_cases::unescape(fields[5]);
    c.messages = messages.empty() ? "" : messages + "\n";
    c.bindings = fields[6];
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace table_cases

#endif  // VARVE_TESTS_TABLE_CASES_H_
