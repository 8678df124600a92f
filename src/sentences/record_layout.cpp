#include "sentences/record_layout.h"

#include <algorithm>
#include <cstddef>

namespace sentences {
namespace {

/// Builds records from layout items: a record in progress and the column
/// where the next character goes, which a Skip may move past its end.
class RecordBuilder {
 public:
  /// Carries out every item but an IntField, which the walk fills itself.
  void carry_out(const LayoutItem& item) {
    switch (item.kind) {
      case LayoutItem::Kind::kLiteral:
        put(item.text);
        break;
      case LayoutItem::Kind::kSkip:
        column_ += static_cast<std::size_t>(std::max(item.count, 0));
        break;
      case LayoutItem::Kind::kRecordBreak:
        end_record();
        break;
      case LayoutItem::Kind::kIntField:
        break;
    }
  }

  /// Writes `value` right-justified in `width` columns with at least
  /// `min_digits` digits, or `width` asterisks when it does not fit.
  void put_int(std::int32_t value, int width, int min_digits) {
    // The magnitude as unsigned, so that the most negative value has one too.
    std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[10];
    std::size_t count = 0;
    for (; magnitude != 0; magnitude /= 10) {
      digits[count++] = static_cast<char>('0' + magnitude % 10);
    }
    std::size_t zeros = min_digits > 0 && static_cast<std::size_t>(min_digits) > count
                            ? static_cast<std::size_t>(min_digits) - count
                            : 0;
    std::size_t length = (value < 0 ? 1 : 0) + zeros + count;
    std::size_t field = static_cast<std::size_t>(std::max(width, 0));
    if (length > field) {
      put_repeated('*', field);
      return;
    }
    put_repeated(' ', field - length);
    if (value < 0) {
      put("-");
    }
    put_repeated('0', zeros);
    std::reverse(digits, digits + count);
    put(std::string_view(digits, count));
  }

  /// Ends the record in progress and starts a new, empty one.
  void end_record() {
    records_.push_back(std::move(record_));
    record_.clear();
    column_ = 0;
  }

  /// The records ended so far.
  std::vector<std::string> take() { return std::move(records_); }

 private:
  void put(std::string_view bytes) {
    pad_to_column();
    std::size_t overlap = std::min(bytes.size(), record_.size() - column_);
    record_.replace(column_, overlap, bytes);
    column_ += bytes.size();
  }

  void put_repeated(char byte, std::size_t count) {
    pad_to_column();
    std::size_t overlap = std::min(count, record_.size() - column_);
    record_.replace(column_, overlap, count, byte);
    column_ += count;
  }

  /// Blanks left by a Skip reach the record only when something follows them.
  void pad_to_column() {
    if (column_ > record_.size()) {
      record_.append(column_ - record_.size(), ' ');
    }
  }

  std::vector<std::string> records_;
  std::string record_;
  std::size_t column_ = 0;
};

}  // namespace

std::vector<std::string> lay_out(RecordLayout layout, std::span<const std::int32_t> values) {
  auto is_field = [](const LayoutItem& item) { return item.kind == LayoutItem::Kind::kIntField; };
  if (std::none_of(layout.begin(), layout.end(), is_field)) {
    values = {};  // A layout without fields has no place for values.
  }
  RecordBuilder builder;
  std::size_t next = 0;  // The item where the walk goes on.
  for (std::int32_t value : values) {
    // Walk to the next IntField, restarting the layout in a new record when its
    // end is reached with values left.
    for (;; ++next) {
      if (next == layout.size()) {
        builder.end_record();
        next = 0;
      }
      if (is_field(layout[next])) {
        builder.put_int(value, layout[next].count, layout[next].min_digits);
        ++next;
        break;
      }
      builder.carry_out(layout[next]);
    }
  }
  // After the last value, everything up to the next IntField is carried out.
  for (; next < layout.size() && !is_field(layout[next]); ++next) {
    builder.carry_out(layout[next]);
  }
  builder.end_record();
  return builder.take();
}

}  // namespace sentences
