#ifndef VARVE_BATCH_ADDED_TEXT_H_
#define VARVE_BATCH_ADDED_TEXT_H_

// The added cells as text: what the column and line modes append to a row,
// and the cells of every number, written once and looked up.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/rows.h"
#include "chronology/cell.h"
#include "table/added_cells.h"
#include "table/row_converter.h"
#include "table/span_cells.h"

namespace batch {

/// What an added cell holds, for a format that writes kinds apart.
enum class AddedKind { kName, kNumber, kFlag };

/// Calls `visit(name, kind, text)` for each added cell of `cells` in the
/// columns' order; `text` is empty for an empty cell.
template <class Visit>
void visit_added_text(const table::NumberCells& cells, Visit&& visit);

/// Appends one added cell as a JSON member, "name":value: an empty cell as
/// null, a name in quotes, a number or flag as it is.
void append_json_member(std::string& out, std::string_view name, AddedKind kind,
                        std::string_view text);

/// Appends the added cells of `cells`, each after the separator `sep`.
void append_added_cells(std::string& out, const table::NumberCells& cells, char sep);

/// The added cells of every value, each after its separator, made once per
/// number (when it is first met), so that a row costs a lookup and a copy.
class AddedCellsCache {
 public:
  AddedCellsCache(chronology::Direction direction, char separator);

  /// The added cells of a value read as `cell`, valid until the next call.
  std::string_view cells(const chronology::Cell& cell);

 private:
  /// Where a number's added cells lie in cells_; length 0 until first needed.
  struct Slice {
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
  };

  chronology::Direction direction_;
  char separator_;
  chronology::GivenNumber first_ = 0;  ///< The number of known_[0].
  std::vector<Slice> known_;
  std::string cells_;  ///< The added cells of the numbers met so far.
  std::string empty_, outside_, invalid_;
  std::string span_;  ///< The added cells of the last span, made anew for each.
};

/// Appends the cells of the interval row `row` of `direction`, each after the
/// separator `sep`: numbers as digits, flags as true or false, and text quoted
/// where it holds a separator, a quote or a line end (so that a file read with
/// any of the three separators keeps each sentence in its one cell).
void append_span_cells(std::string& out, chronology::Direction direction, const table::SpanRow& row,
                       char sep);

/// Appends one value of an interval's row after the separator `sep`, as
/// append_span_cells writes it.
void append_span_value(std::string& out, const table::SpanValue& value, char sep);

/// The added cells of each interval, each after its separator. A converted
/// interval of two numbers is put together from what each of its ends gives
/// (made once per number, when first met) and the corrections counted up to
/// each, so that a row costs a few lookups and copies, whatever its ends;
/// anything else is written from its row as append_span_cells writes it.
class SpanCellsCache {
 public:
  SpanCellsCache(chronology::Direction direction, char separator);

  /// The added cells of the interval `read`, valid until the next call.
  std::string_view cells(const table::ReadEnds& read);

 private:
  /// The most columns an interval's row has, in either direction.
  static constexpr std::size_t kMostSpanColumns = table::kAmSpanColumns.size();
  static_assert(table::kNeSpanColumns.size() <= kMostSpanColumns);

  /// Corrections counted along a sequence.
  struct Counts {
    std::int32_t splits = 0;
    std::int32_t joins = 0;
    std::int32_t false_couplets = 0;
  };

  /// What one varve gives as an end of its sequence's part of an interval.
  struct End {
    bool known = false;
    chronology::NeRange ne{};  ///< Of the varve alone.
    chronology::AmRange am{};  ///< Of the varve alone.
    Counts through;            ///< The corrections that start at or before it.
    Counts before;             ///< The corrections that end before it.
    std::uint32_t texts = 0;   ///< Where its column texts start in texts_.
    /// Where each column's text ends, from `texts`: held here, beside the
    /// rest, so that a row reads little memory besides its two ends'.
    std::array<std::uint16_t, kMostSpanColumns> ends{};
  };

  /// One NE sequence's part of the intervals: the numbers of the direction
  /// it covers, and the ends met among them.
  struct Part {
    chronology::Sequence sequence{};
    chronology::GivenRange covers{};
    std::vector<End> ends;
  };

  /// The end `n` of `part`, made when first needed.
  const End& end_of(Part& part, chronology::GivenNumber n) {
    const End& end = part.ends[static_cast<std::size_t>(n - part.covers.first)];
    return end.known ? end : make_ends(part, n);
  }
  /// Makes every end of `part`; returns the end `n`.
  const End& make_ends(Part& part, chronology::GivenNumber n);
  /// The text of column `k` for the end `end`.
  std::string_view text(const End& end, std::size_t k) const {
    std::uint16_t begin = k == 0 ? 0 : end.ends[k - 1];
    return std::string_view(texts_).substr(end.texts + begin, end.ends[k] - begin);
  }
  void append_converted(chronology::GivenNumber lo, chronology::GivenNumber hi);

  chronology::Direction direction_;
  char separator_;
  std::span<const table::SpanColumn> columns_;
  /// Which end of a sequence's part of an interval a column's value comes
  /// from: the smaller, the larger, or both (worked out from the two).
  enum class Role : std::uint8_t { kSmaller, kLarger, kBoth, kNone };
  /// The role of `field` in a converted interval's row.
  static Role role_of(table::SpanField field);
  std::array<Role, kMostSpanColumns> roles_{};  ///< Of each column.
  std::vector<Part> parts_;
  std::string texts_;  ///< Each end's column texts, one after another.
  std::string empty_;  ///< The cells of a row without either end.
  std::string text_;   ///< The cells of the last interval.
};

template <class Visit>
void visit_added_text(const table::NumberCells& cells, Visit&& visit) {
  struct Writer {
    Visit& visit;
    void operator()(std::string_view name, const table::AddedSequence& sequence) const {
      visit(name, AddedKind::kName,
            sequence ? chronology::sequence_name(*sequence) : std::string_view());
    }
    void operator()(std::string_view name, table::RelationCode relation) const {
      visit(name, AddedKind::kName, table::kRelationNames[static_cast<std::size_t>(relation)]);
    }
    void operator()(std::string_view name, const table::AddedNe& number) const {
      write(name, table::plain(number));
    }
    void operator()(std::string_view name, const table::AddedAm& number) const {
      write(name, table::plain(number));
    }
    void write(std::string_view name, std::optional<std::int32_t> number) const {
      std::string digits;
      if (number) {
        append_number(digits, *number);
      }
      visit(name, AddedKind::kNumber, std::string_view(digits));
    }
    void operator()(std::string_view name, const table::AddedFlag& flag) const {
      visit(name, AddedKind::kFlag,
            !flag   ? std::string_view()
            : *flag ? std::string_view("true")
                    : "false");
    }
  };
  table::visit_fields(cells, Writer{visit});
}

}  // namespace batch

#endif  // VARVE_BATCH_ADDED_TEXT_H_
