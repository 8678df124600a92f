#ifndef VARVE_BATCH_ROWS_H_
#define VARVE_BATCH_ROWS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chronology/links.h"
#include "chronology/sequence.h"
#include "chronology/span.h"

namespace batch {

/// How rows are written: tab- or comma-separated under a line of column
/// names, or one JSON object per line, without one.
enum class Format { kTsv, kCsv, kJsonl };

using chronology::Direction;

/// Appends `n` in decimal.
void append_number(std::string& out, std::int32_t n);

/// Appends `text` as one quoted CSV field: in double quotes, each quote doubled.
void append_quoted(std::string& out, std::string_view text);

/// Appends `text` as the inside of a JSON string: quotes and backslashes
/// escaped, and each control byte (a vertical tab or form feed around a
/// number, say) as \u00XX, so that every row stays valid JSON.
void append_json_text(std::string& out, std::string_view text);

/// Appends the header line of `format` (nothing for JSON Lines).
void append_header(std::string& out, Format format);

/// Appends one row for `input` and `link`, or the `outside` row when `link`
/// is null. `input` is written as it is, neither quoted nor escaped: it must
/// be text that needs neither in `format`, as a value read as a number is.
void append_row(std::string& out, Format format, std::string_view input,
                const chronology::Link* link);

/// Appends the rows of the converted `span`, typed as `input` (digits, a dash
/// and digits): one per NE sequence, with the relation "span", the NE ends and
/// the AM ends.
void append_span_rows(std::string& out, Format format, std::string_view input,
                      const chronology::SpanResult& span);

/// The rows of every accepted number of one direction, formatted once, so
/// that converting a number is a lookup and two copies per row.
class RowCache {
 public:
  RowCache(Format format, Direction direction);

  /// Appends the rows of `number`, typed as `input`.
  void append_rows(std::string& out, std::string_view input, chronology::GivenNumber number) const {
    // Below the first number the difference wraps round to a large index.
    auto index = static_cast<std::uint32_t>(number) - static_cast<std::uint32_t>(first_);
    const Entry& entry = index < entries_.size() ? entries_[index] : outside_;
    std::string_view rest = entry.tails;
    for (std::size_t length : entry.lengths) {
      if (length == 0) {
        break;
      }
      out.append(head_prefix_);
      if (json_) {
        append_json_text(out, input);
      } else {
        out.append(input);
      }
      out.append(rest.substr(0, length));
      rest.remove_prefix(length);
    }
  }

 private:
  /// The rows of one number after its input field, one after another.
  struct Entry {
    std::string tails;
    std::array<std::size_t, 2> lengths{};  ///< Of each row's tail; 0 when none.
  };

  std::string head_prefix_;  ///< What comes before the input field.
  bool json_ = false;        ///< The input field is inside a JSON string.
  chronology::GivenNumber first_ = 0;
  std::vector<Entry> entries_;  ///< From first_ on; numbers in gaps are outside.
  Entry outside_;
};

}  // namespace batch

#endif  // VARVE_BATCH_ROWS_H_
