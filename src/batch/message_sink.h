#ifndef VARVE_BATCH_MESSAGE_SINK_H_
#define VARVE_BATCH_MESSAGE_SINK_H_

// How every mode hands a message for the user to its front end.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace batch {

/// Takes one message: its text alone, without the program's name before it
/// or a line end after it, which the front end adds as it shows messages.
/// Modes call it between rows, never inside one.
using MessageSink = std::function<void(std::string_view message)>;

/// "line N", as messages name a line of the input.
inline std::string line_text(std::size_t line) {
  return "line " + std::to_string(line);
}

}  // namespace batch

#endif  // VARVE_BATCH_MESSAGE_SINK_H_
