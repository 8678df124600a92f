#include "table/header.h"

#include <algorithm>
#include <utility>

#include "chronology/cell.h"
#include "chronology/shown_text.h"

namespace table {
namespace {

/// Columns listed by name in an error at most; the others are counted.
constexpr std::size_t kListedColumns = 30;

/// The column numbered by `text` (digits only, from 1), from 0; false for anything else.
bool column_number(std::string_view text, std::size_t& index) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string_view::npos) {
    return false;
  }
  std::size_t number = 0;
  for (char c : text) {
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  if (number == 0) {
    return false;
  }
  index = number - 1;
  return true;
}

/// "'name'" as a message quotes a header or a column the user named.
std::string quoted(std::string_view text) {
  // Appended, not "'" + ...: MinGW's GCC 12 warns falsely (-Wrestrict) on a
  // literal before a temporary string.
  std::string shown(1, '\'');
  shown.append(chronology::field_shown(text)).push_back('\'');
  return shown;
}

/// The columns, for an error: "1 'id', 2 'depth', ...", or how many there are.
std::string listing(const Header& header) {
  if (!header.named()) {
    return "the first row has " + std::to_string(header.width()) +
           (header.width() == 1 ? " column" : " columns");
  }
  std::string text = "the columns are ";
  for (std::size_t i = 0; i < header.width() && i < kListedColumns; ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(i + 1) + " " + quoted(header.name(i));
  }
  if (header.width() > kListedColumns) {
    text += ", and " + std::to_string(header.width() - kListedColumns) + " more";
  }
  return text;
}

/// The numbers (from 1) of `indexes`, as "2, 4 and 5".
std::string numbers_of(const std::vector<std::size_t>& indexes) {
  std::string text;
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    text += (k == 0                    ? ""
             : k + 1 == indexes.size() ? " and "
                                       : ", ") +
            std::to_string(indexes[k] + 1);
  }
  return text;
}

/// The columns whose header is `wanted` by `same`.
template <class Same>
std::vector<std::size_t> matches(const Header& header, std::string_view wanted, Same same) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < header.width(); ++i) {
    if (same(header.name(i), wanted)) {
      found.push_back(i);
    }
  }
  return found;
}

/// The column numbered `index` (from 0), or the error that it lies beyond the table.
FoundColumn numbered(const Header& header, std::size_t index) {
  if (index < header.width()) {
    return {index, {}};
  }
  return {0, "there is no column " + std::to_string(index + 1) + ": " + listing(header)};
}

}  // namespace

Header::Header(std::vector<std::string> names)
    : names_(std::move(names)), width_(names_.size()), named_(true) {}

Header Header::unnamed(std::size_t width) {
  Header header;
  header.width_ = width;
  return header;
}

FoundColumn find_column(const Header& header, std::string_view wanted) {
  std::size_t index = 0;
  if (wanted.starts_with('#') && column_number(wanted.substr(1), index)) {
    return numbered(header, index);
  }
  bool is_number = column_number(wanted, index);
  if (!header.named()) {
    return is_number ? numbered(header, index)
                     : FoundColumn{0, "without a header row a column is given by its number, not " +
                                          quoted(wanted)};
  }
  std::vector<std::size_t> exact =
      matches(header, wanted, [](std::string_view a, std::string_view b) { return a == b; });
  if (exact.size() > 1) {
    return {0, std::to_string(exact.size()) + " columns are named " + quoted(wanted) +
                   " (columns " + numbers_of(exact) + "): give the column's number, as #" +
                   std::to_string(exact[0] + 1)};
  }
  if (exact.size() == 1 && is_number && index != exact[0] && index < header.width()) {
    return {0, quoted(wanted) + " is the header of column " + std::to_string(exact[0] + 1) +
                   " and the number of column " + std::to_string(index + 1) + ": give #" +
                   std::to_string(index + 1) + " for column " + std::to_string(index + 1) +
                   ", or #" + std::to_string(exact[0] + 1) + " for the column headed " +
                   quoted(wanted)};
  }
  if (exact.size() == 1) {
    return {exact[0], {}};
  }
  if (is_number) {
    return numbered(header, index);
  }
  std::vector<std::size_t> alike = matches(header, wanted, chronology::cell_detail::same_letters);
  if (alike.size() == 1) {
    return {alike[0], {}};
  }
  if (alike.size() > 1) {
    return {0, std::to_string(alike.size()) + " columns are named " + quoted(wanted) +
                   " in some letter case (columns " + numbers_of(alike) +
                   "): give the name exactly, or the column's number"};
  }
  return {0, "the header has no column named " + quoted(wanted) + ": " + listing(header)};
}

std::string source_name(const Header& header, std::size_t index) {
  std::string name;
  bool gap = false;
  for (char c : header.name(index)) {
    bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!kept) {
      gap = true;
      continue;
    }
    if (gap && !name.empty()) {
      name.push_back('_');
    }
    gap = false;
    name.push_back(c);
  }
  return name.empty() ? std::string("c").append(std::to_string(index + 1)) : name;
}

}  // namespace table
