#ifndef VARVE_CONSOLE_FAILURE_H_
#define VARVE_CONSOLE_FAILURE_H_

#include <string_view>

#include "console/system.h"

namespace console {

/// Storage for a record or value buffer could not be obtained.
inline constexpr FailureCode kBufferAllocationFailed = 10004;
/// A read needed another input record and standard input had ended.
inline constexpr FailureCode kReadPastEndOfFile = 10013;
/// The text of a value is not an optional sign followed by decimal digits.
inline constexpr FailureCode kIllegalNumericCharacter = 10016;

/// The kind of console statement that was running when a failure struck.
enum class StatementKind { kRead, kWrite };

/// The message line's text for `code`: the console services' own text for
/// 10000-10072, else the system's text, from its table or from `system`.
std::string_view failure_message(System& system, FailureCode code);

/// Writes the three-line failure report for `code` and `statement` on standard
/// error, one write per line, and ends the process with status -1.
[[noreturn]] void RunFailure(System& system, FailureCode code, StatementKind statement);

}  // namespace console

#endif  // VARVE_CONSOLE_FAILURE_H_
