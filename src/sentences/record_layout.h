#ifndef VARVE_SENTENCES_RECORD_LAYOUT_H_
#define VARVE_SENTENCES_RECORD_LAYOUT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sentences {

/// One item of a record layout.
struct LayoutItem {
  /// What the item does to the record being built.
  enum class Kind { kLiteral, kSkip, kIntField, kRecordBreak };

  Kind kind;
  std::string_view text;  ///< kLiteral: the bytes copied into the record.
  int count = 0;          ///< kSkip: columns moved; kIntField: the field's width.
  int min_digits = 0;     ///< kIntField: digits printed at least.
};

/// Copies `text` into the record at the current column.
constexpr LayoutItem Literal(std::string_view text) {
  return {LayoutItem::Kind::kLiteral, text};
}

/// Moves the current column `count` places to the right.
constexpr LayoutItem Skip(int count) {
  return {LayoutItem::Kind::kSkip, {}, count};
}

/// Writes the next value right-justified in `width` columns, with at least
/// `min_digits` digits, or `width` asterisks when it does not fit.
constexpr LayoutItem IntField(int width, int min_digits = 1) {
  return {LayoutItem::Kind::kIntField, {}, width, min_digits};
}

/// Ends the current record and starts a new, empty one.
constexpr LayoutItem RecordBreak() {
  return {LayoutItem::Kind::kRecordBreak, {}};
}

/// A constant, ordered list of layout items.
using RecordLayout = std::span<const LayoutItem>;

/// The records that `layout` makes of `values`, as text without line ends:
/// the items in order, each IntField taking the next value, and the layout
/// starting over in a new record while values remain. After the last value,
/// the items up to the next IntField are carried out; a layout without fields
/// takes no values. Blanks a Skip leaves at the end of a record are dropped.
/// Throws std::bad_alloc when memory runs out.
std::vector<std::string> lay_out(RecordLayout layout, std::span<const std::int32_t> values);

}  // namespace sentences

#endif  // VARVE_SENTENCES_RECORD_LAYOUT_H_
