#ifndef VARVE_TESTS_CELL_CASES_H_
#define VARVE_TESTS_CELL_CASES_H_

// The table of cell cases (cell_cases.tsv beside this file), read for the C++
// tests: the engine's own, and those that drive varve-batch.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cell_cases {

/// What a case's cell should give.
struct Expected {
  enum class Kind { kNumber, kEmpty, kInvalid } kind = Kind::kEmpty;
  std::int32_t number = 0;  ///< kNumber: the number; a hint: the number it names.
  std::string hint;         ///< For kInvalid: "", "thousands" or "uncertain".
};

/// One case of the table.
struct Case {
  std::string cell;   ///< The cell's text, its escapes decoded.
  std::string where;  ///< "all", "plain" or "semicolon".
  Expected expected;
  std::string text;  ///< The line of the table, for messages.

  /// True when the case applies where the separator is `separator` (0: none).
  bool applies(char separator) const {
    return where == "all" || (where == "semicolon") == (separator == ';');
  }
};

/// Appends the UTF-8 bytes of `code`.
inline void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

/// `text` with the escapes of a JSON string decoded (\uXXXX in the BMP, \t, \n, \r, \\, \").
inline std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'u' && i + 4 < text.size()) {
      append_utf8(out, static_cast<std::uint32_t>(
                           std::stoul(std::string(text.substr(i + 1, 4)), nullptr, 16)));
      i += 4;
    } else {
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
  }
  return out;
}

/// The lines of the cases of a table of cases at `path`: those after its
/// header line, without blank lines and comments ('#' first).
inline std::vector<std::string> case_lines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("cannot read " + path);
  }
  std::vector<std::string> lines;
  bool header = true;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line[0] != '#' && !std::exchange(header, false)) {
      lines.push_back(line);
    }
  }
  return lines;
}

/// Every case of the table at `path`.
inline std::vector<Case> load(const std::string& path) {
  std::vector<Case> cases;
  for (const std::string& line : case_lines(path)) {
    std::size_t tab1 = line.find('\t');
    std::size_t tab2 = line.find('\t', tab1 + 1);
    if (tab1 == std::string::npos || tab2 == std::string::npos) {
      throw std::runtime_error("bad line in " + path + ": " + line);
    }
    Case c;
    c.text = line;
    c.cell = unescape(std::string_view(line).substr(0, tab1));
    c.where = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::istringstream expected(line.substr(tab2 + 1));
    std::string kind;
    expected >> kind;
    if (kind == "number") {
      c.expected.kind = Expected::Kind::kNumber;
      expected >> c.expected.number;
    } else if (kind == "invalid") {
      c.expected.kind = Expected::Kind::kInvalid;
      expected >> c.expected.hint >> c.expected.number;
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace cell_cases

#endif  // VARVE_TESTS_CELL_CASES_H_
