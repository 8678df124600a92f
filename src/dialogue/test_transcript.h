#ifndef VARVE_DIALOGUE_TEST_TRANSCRIPT_H_
#define VARVE_DIALOGUE_TEST_TRANSCRIPT_H_

// The dialogue's records as a user sees them, for tests to build whole
// transcripts from.

#include <initializer_list>
#include <string>
#include <string_view>

namespace dialogue::transcript {

/// The records `texts`, each ended by CR LF.
inline std::string lines(std::initializer_list<std::string_view> texts) {
  std::string out;
  for (std::string_view text : texts) {
    out.append(text).append("\r\n");
  }
  return out;
}

inline const std::string kSeparatorLine =
    " - - - - - - - - - - - - - - - - - - - - - - - - - - - - ";
inline const std::string kBanner = lines({" This program converts Brasko New England (NE) Varve",
                                          "  Chronology numbers to North American (AM) Varve",
                                          "  Chronology numbers and vice versa", "  "});
inline const std::string kMenu =
    lines({"  ", " Choices:", "  1 = Convert NE to AM numbers.", "  2 = Convert AM to NE numbers.",
           " Enter your choice from above, 1 or 2?"});
inline const std::string kSelectAgain = lines({" Please select again."});
inline const std::string kNePrompt =
    lines({"  ", " The NE chronology occurs in two sequences:",
           "   Lower Connecticut (LC) varves - NE 2700-6454",
           "   Upper Connecticut (UC) varves - NE 6568-9000", "  ",
           " The sequences overlap and do not have the same", "  numbering system.", "  ",
           " Enter the NE number (integer) you would like to convert",
           "  within either the LC or UC sequence above:"});
inline const std::string kNeRejected =
    lines({"  ", "  ", " Your NE number is outside the NE ranges. Try again."});
inline const std::string kAmPrompt =
    lines({"  ", " The AM chronology occurs as a single sequence:", "   AM 2700-8400", "  ",
           " Enter the AM number (integer) you would like to convert",
           "  to LC or UC sequence numbers of the NE chronology:"});
inline const std::string kAmRejected =
    lines({"  ", "  ", " Your AM number is outside the AM range. Try again."});
inline const std::string kClosing = lines(
    {"  ", kSeparatorLine, "  ", " Would you like to convert another varve chronology number?",
     " Select NO (0) or YES (1)?"});

/// The records of an accepted number: a blank, the separator, a blank, `result`.
inline std::string result(std::initializer_list<std::string_view> texts) {
  return lines({"  ", kSeparatorLine, "  "}) + lines(texts);
}

inline const std::string kEndOfFile =
    "? Run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n";
inline const std::string kIllegal =
    "? Run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n";

}  // namespace dialogue::transcript

#endif  // VARVE_DIALOGUE_TEST_TRANSCRIPT_H_
