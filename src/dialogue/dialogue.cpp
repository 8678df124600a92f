#include "dialogue/dialogue.h"

#include <array>

#include "dialogue/conversion.h"

namespace dialogue {
namespace {

/// The conversion directions, keyed by menu number.
constexpr std::array<Conversion, 3> conversions{nullptr, convert_ne_to_am, convert_am_to_ne};

constexpr std::array<std::string_view, 4> kBanner{
    "This program converts Brasko New England (NE) Varve",
    " Chronology numbers to North American (AM) Varve",
    " Chronology numbers and vice versa",
    " ",
};

constexpr std::array<std::string_view, 5> kMenu{
    " ",
    "Choices:",
    " 1 = Convert NE to AM numbers.",
    " 2 = Convert AM to NE numbers.",
    "Enter your choice from above, 1 or 2?",
};

constexpr std::array<std::string_view, 5> kClosingQuestion{
    " ",
    kSeparator,
    " ",
    "Would you like to convert another varve chronology number?",
    "Select NO (0) or YES (1)?",
};

}  // namespace

Conversion conversion_for(std::int32_t choice) {
  return choice >= 0 && static_cast<std::size_t>(choice) < conversions.size() ? conversions[choice]
                                                                              : nullptr;
}

void Dialogue::run() {
  console::ConsoleOutput& out = console_.output;
  for (std::string_view text : kBanner) {
    out.write_text(text);
  }
  for (;;) {
    Conversion conversion = nullptr;
    while (conversion == nullptr) {
      for (std::string_view text : kMenu) {
        out.write_text(text);
      }
      console_.input.read_integer(choice_);
      conversion = conversion_for(choice_);
      if (conversion == nullptr) {
        out.write_text("Please select again.");
      }
    }
    conversion(console_, ne_number_, am_number_);
    for (std::string_view text : kClosingQuestion) {
      out.write_text(text);
    }
    console_.input.read_integer(answer_);
    if (answer_ != 1) {
      end_program(console_.system);
    }
  }
}

void end_program(console::System& system) {
  system.exit_process(0);
}

}  // namespace dialogue
