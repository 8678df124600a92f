#ifndef VARVE_BATCH_SEPARATOR_H_
#define VARVE_BATCH_SEPARATOR_H_

// A CSV file's separator: set by a first line such as Excel's "sep=;", or
// recognised from the header row; and the input held back until it is known.

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/csv_reader.h"

namespace batch {

/// The separator that a record uses: the one of ',', ';' and tab found most
/// often outside quotes (',' when none is).
char recognise_separator(std::string_view record);

/// The separator that `line` sets when it is a separator line, "sep=," or
/// "sep=;" or "sep=" and a tab, after a byte-order mark or not; else 0.
char separator_line(std::string_view line);

/// The input held back while its separator is unknown: until its first line
/// is whole and is a separator line, or else until the header row (the
/// `header_row`-th record after any separator line, from 1) is whole.
class SeparatorHold {
 public:
  /// The header row is taken as whole once `longest` bytes are held.
  SeparatorHold(std::size_t longest, std::size_t header_row);

  /// Holds `bytes`; returns the separator once it is known, else 0.
  char hold(std::string_view bytes);

  /// The separator of what is held, when the input ends first.
  char at_end();

  /// Hands over all that is held.
  std::string release();

 private:
  /// Looks at one whole record; true once it decides the separator.
  bool decide(std::string_view body);

  std::size_t longest_;
  std::size_t header_row_;
  std::string held_;
  /// Splits records as any of the separators would, so that a title row's
  /// quotes are read as the file's own reader will read them.
  CsvReader records_;
  std::size_t seen_ = 0;  ///< The whole records seen.
  char separator_ = 0;
};

}  // namespace batch

#endif  // VARVE_BATCH_SEPARATOR_H_
