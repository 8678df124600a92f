#ifndef VARVE_BATCH_SEPARATOR_H_
#define VARVE_BATCH_SEPARATOR_H_

// Recognising a CSV file's separator from its first line, and holding the
// input back until that line is whole.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace batch {

/// The separator that the first line of a file uses: the one of ',', ';' and
/// tab found most often outside quotes (',' when none is).
char recognise_separator(std::string_view first_line);

/// The input held back while its first line (outside quotes) is incomplete.
class FirstLineHold {
 public:
  /// A first line is taken as whole once it reaches `longest` bytes.
  explicit FirstLineHold(std::size_t longest) : longest_(longest) {}

  /// Holds `bytes`; returns the separator once the first line is whole, else 0.
  char hold(std::string_view bytes);

  /// The separator of what is held, when the input ends first.
  char at_end() const { return recognise_separator(held_); }

  /// Hands over all that is held.
  std::string release() {
    std::string held = std::move(held_);
    held_.clear();
    return held;
  }

 private:
  std::size_t longest_;
  std::string held_;
};

}  // namespace batch

#endif  // VARVE_BATCH_SEPARATOR_H_
