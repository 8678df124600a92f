#ifndef VARVE_CONSOLE_OUTPUT_H_
#define VARVE_CONSOLE_OUTPUT_H_

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "console/system.h"
#include "sentences/record_layout.h"

namespace console {

/// The output channel: builds records in memory and hands each one to standard
/// output, ended by CR LF, the moment it is complete. A refused write or
/// exhausted memory ends the process through RunFailure.
class ConsoleOutput {
 public:
  /// Standard output and the process end of `system` serve this channel.
  explicit ConsoleOutput(System& system);

  /// Writes one list-directed record holding `text`: a blank, the text, CR LF.
  void write_text(std::string_view text);

  /// Writes the records that `layout` makes of `values`, one value per IntField.
  void write_layout(sentences::RecordLayout layout, std::span<const std::int32_t> values);

  /// As above, with the values listed in place.
  void write_layout(sentences::RecordLayout layout, std::initializer_list<std::int32_t> values) {
    write_layout(layout, std::span<const std::int32_t>(values.begin(), values.size()));
  }

 private:
  void hand_over(std::string& record);

  System& system_;
  std::string record_;  ///< The record being handed over, with its CR LF.
};

}  // namespace console

#endif  // VARVE_CONSOLE_OUTPUT_H_
