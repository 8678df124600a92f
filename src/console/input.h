#ifndef VARVE_CONSOLE_INPUT_H_
#define VARVE_CONSOLE_INPUT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/system.h"

namespace console {

/// The input channel: turns the bytes of standard input into records (lines
/// ended by LF) and reads one integer per request by the list-directed rules.
/// Input that is not an integer, the end of input and exhausted memory end the
/// process through RunFailure.
class ConsoleInput {
 public:
  /// Standard input and the process end of `system` serve this channel.
  explicit ConsoleInput(System& system);

  /// Reads the first value of the next non-blank record into `target`, or
  /// leaves `target` as it was for a null value (a comma or slash), then
  /// discards the rest of that record. Values beyond 32 bits saturate.
  void read_integer(std::int32_t& target);

 private:
  void take_record();
  char next_byte();
  bool scan_value();
  [[noreturn]] void fail(FailureCode code);

  System& system_;
  std::array<char, 256> chunk_{};    ///< Bytes received and not yet consumed.
  std::size_t chunk_fill_ = 0;       ///< Bytes in chunk_.
  std::size_t chunk_position_ = 0;   ///< The next byte of chunk_ to consume.
  std::string record_;               ///< The current record, tabs expanded, CRs dropped.
  std::size_t record_position_ = 0;  ///< The next byte of record_ to scan.
  std::string value_;                ///< The text of the value being scanned.
};

}  // namespace console

#endif  // VARVE_CONSOLE_INPUT_H_
