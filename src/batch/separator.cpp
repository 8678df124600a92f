#include "batch/separator.h"

#include <algorithm>

namespace batch {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

char recognise_separator(std::string_view record) {
  std::size_t counts[3] = {};
  constexpr char kSeparators[3] = {',', ';', '\t'};
  bool quoted = false;
  for (char c : record) {
    quoted ^= c == '"';
    for (int i = 0; i < 3; ++i) {
      counts[i] += !quoted && c == kSeparators[i];
    }
  }
  return kSeparators[std::max_element(counts, counts + 3) - counts];
}

char separator_line(std::string_view line) {
  if (line.starts_with(kByteOrderMark)) {
    line.remove_prefix(kByteOrderMark.size());
  }
  for (char separator : {',', ';', '\t'}) {
    if (line.size() == 5 && line.starts_with("sep=") && line[4] == separator) {
      return separator;
    }
  }
  return 0;
}

SeparatorHold::SeparatorHold(std::size_t longest, std::size_t header_row)
    : longest_(longest), header_row_(header_row), records_(",;\t", longest) {}

bool SeparatorHold::decide(std::string_view body) {
  if (separator_ != 0) {
    return true;
  }
  if (seen_++ == 0 && (separator_ = separator_line(body)) != 0) {
    --seen_;  // A separator line is not a record of the table.
    return true;
  }
  if (seen_ == header_row_) {
    separator_ = recognise_separator(body);
  }
  return separator_ != 0;
}

char SeparatorHold::hold(std::string_view bytes) {
  held_.append(bytes);
  bool whole = records_.feed(bytes, [this](const CsvRecord& record) { decide(record.body); });
  if (separator_ == 0 && (!whole || held_.size() >= longest_)) {
    // A header row that long is taken as it is so far.
    separator_ = recognise_separator(std::string_view(held_).substr(0, longest_));
  }
  return separator_;
}

char SeparatorHold::at_end() {
  if (separator_ == 0) {
    records_.finish([this](const CsvRecord& record) { decide(record.body); });
  }
  if (separator_ == 0) {
    // The input ended before its header row: no record will be converted.
    separator_ = recognise_separator(held_);
  }
  return separator_;
}

std::string SeparatorHold::release() {
  std::string held = std::move(held_);
  held_.clear();
  return held;
}

}  // namespace batch
