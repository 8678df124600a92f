#include "batch/separator.h"

#include <algorithm>

namespace batch {

char recognise_separator(std::string_view first_line) {
  std::size_t counts[3] = {};
  constexpr char kSeparators[3] = {',', ';', '\t'};
  bool quoted = false;
  for (char c : first_line) {
    quoted ^= c == '"';
    for (int i = 0; i < 3; ++i) {
      counts[i] += !quoted && c == kSeparators[i];
    }
  }
  return kSeparators[std::max_element(counts, counts + 3) - counts];
}

char FirstLineHold::hold(std::string_view bytes) {
  std::size_t from = held_.size();
  held_.append(bytes);
  bool quoted = std::count(held_.begin(), held_.begin() + from, '"') % 2 != 0;
  for (std::size_t i = from; i < held_.size(); ++i) {
    char c = held_[i];
    quoted ^= c == '"';
    if ((!quoted && (c == '\n' || c == '\r')) || i >= longest_) {
      return recognise_separator(std::string_view(held_).substr(0, i));
    }
  }
  return 0;
}

}  // namespace batch
