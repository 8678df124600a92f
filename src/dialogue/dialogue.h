#ifndef VARVE_DIALOGUE_DIALOGUE_H_
#define VARVE_DIALOGUE_DIALOGUE_H_

#include <cstdint>
#include <string_view>

#include "console/console.h"

namespace dialogue {

/// The separator line written around every result (28 pairs of a hyphen and a blank).
inline constexpr std::string_view kSeparator =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - ";

/// A conversion direction of the menu: writes its prompt, reads a number into
/// `ne_number` or `am_number` until it is accepted, and writes the result.
using Conversion = void (*)(console::Console& console, std::int32_t& ne_number,
                            std::int32_t& am_number);

/// The conversion entered under menu number `choice`, or none.
Conversion conversion_for(std::int32_t choice);

/// The interactive dialogue: banner, menu, conversion, closing question.
class Dialogue {
 public:
  /// A dialogue on `console`, with every answer variable at 0.
  explicit Dialogue(console::Console& console) : console_(console) {}

  /// Runs the dialogue until the user declines another conversion or a
  /// console statement fails; the process ends inside.
  [[noreturn]] void run();

 private:
  console::Console& console_;
  // The answers live as long as the dialogue, not one conversion: a null
  // value (a lone comma) leaves its variable unchanged, so a null at the menu
  // repeats the previous choice, a null at the closing question repeats the
  // previous answer, and a null at a prompt reads the previous number again.
  std::int32_t choice_ = 0;
  std::int32_t ne_number_ = 0;
  std::int32_t am_number_ = 0;
  std::int32_t answer_ = 0;
};

/// Ends the process normally, with status 0 and nothing more written.
[[noreturn]] void end_program(console::System& system);

}  // namespace dialogue

#endif  // VARVE_DIALOGUE_DIALOGUE_H_
