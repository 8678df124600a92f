#ifndef VARVE_BATCH_MESSAGE_SINK_H_
#define VARVE_BATCH_MESSAGE_SINK_H_

// How every mode hands a message for the user to its front end.

#include <functional>
#include <string_view>

namespace batch {

/// Takes one message: its text alone, without the program's name before it
/// or a line end after it, which the front end adds as it shows messages.
/// Modes call it between rows, never inside one.
using MessageSink = std::function<void(std::string_view message)>;

}  // namespace batch

#endif  // VARVE_BATCH_MESSAGE_SINK_H_
