#ifndef VARVE_BATCH_LIST_MODE_H_
#define VARVE_BATCH_LIST_MODE_H_

// The list mode of varve-batch without any I/O, so that every front end can
// run it: numbers come in as bytes of a stream or as command-line arguments,
// their rows are appended to the caller's buffer, and what is wrong with the
// input goes, a message at a time, to the caller's message sink.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "batch/message_sink.h"
#include "batch/rows.h"
#include "batch/tokens.h"
#include "table/reporter.h"

namespace batch {

/// How many bytes of a token that is too long a message shows.
inline constexpr std::size_t kShownTokenLength = 20;

/// Converts the numbers of one input stream, or of command-line arguments,
/// keeping the exit status: 1 once a token was not a whole number.
class ListMode {
 public:
  ListMode(Format format, Direction direction, MessageSink report);

  /// Converts the next piece of the input stream, appending rows to `out`.
  void feed(std::string_view bytes, std::string& out);

  /// Ends the input stream, converting a last token that had no line end.
  void finish(std::string& out);

  /// Converts the numbers of the command-line argument at `position`, split
  /// by the same rules as the stream; false when one of them was bad.
  bool convert_argument(std::string_view argument, int position, std::string& out);

  /// 0, or 1 once a token was not a whole number, a span that could not be
  /// converted, or too long.
  int exit_status() const { return reporter_.faults() > 0 ? 1 : 0; }

 private:
  /// Converts one token found at `place`: a line of the stream, or an
  /// argument's position as its row.
  void convert(const Token& token, const table::Place& place, std::string& out);

  Format format_;
  Direction direction_;
  RowCache rows_;
  /// Every message shown: a list is short, or its messages are the point.
  table::Reporter reporter_;
  Tokenizer stream_;
  /// The token before, when it was a number (length 0 otherwise), for the
  /// thousands-separator check.
  std::array<char, kMaxTokenLength> previous_{};
  std::size_t previous_length_ = 0;
  bool previous_warned_ = false;  ///< The token before ended a warned pair.
};

}  // namespace batch

#endif  // VARVE_BATCH_LIST_MODE_H_
