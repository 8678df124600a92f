#ifndef VARVE_BATCH_HELP_H_
#define VARVE_BATCH_HELP_H_

// The texts varve-batch shows about its own use.

#include <string>
#include <string_view>

namespace batch {

/// The short usage, for a command line that is wrong: the usage lines alone.
extern const std::string_view kShortUsage;

/// The full usage, for --help: what the program does, the short usage, then
/// the commands, options, columns and messages.
extern const std::string kFullUsage;

}  // namespace batch

#endif  // VARVE_BATCH_HELP_H_
