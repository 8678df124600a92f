// The engine's links of whole R vectors (numbers, text or factors), and the
// spans of pairs of such vectors, as the columns of data frames.

#include <Rcpp.h>

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "chronology/links.h"
#include "chronology/tables_identity.h"
#include "span_columns.h"
#include "varve_columns.h"

using namespace varve_columns;

namespace {

/// The direction named as on varve-batch's command line.
Direction direction_named(const std::string& name) {
  if (std::optional<Direction> direction = chronology::direction_named(name)) {
    return *direction;
  }
  Rcpp::stop("direction must be \"ne-to-am\" or \"am-to-ne\", not \"" + name + "\"");
}

/// How a warning names the element at `index` (from 0): `what` and its
/// position from 1, as R counts.
auto position(const char* what) {
  return [what](std::size_t index) { return std::string(what) + " " + std::to_string(index + 1); };
}

/// R strings of a list of names, held for the lifetime of the vector.
template <std::size_t N>
Rcpp::CharacterVector r_strings(const std::array<std::string_view, N>& names) {
  Rcpp::CharacterVector strings(N);
  for (std::size_t i = 0; i < N; ++i) {
    strings[i] = std::string(names[i]);
  }
  return strings;
}

/// A data frame of `columns`, named `names`, with `rows` rows.
Rcpp::List data_frame(Rcpp::List columns, std::vector<std::string> names, R_xlen_t rows) {
  columns.attr("names") = Rcpp::wrap(names);
  columns.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -static_cast<int>(rows));
  columns.attr("class") = "data.frame";
  return columns;
}

/// The UTF-8 bytes of the R string `s`, valid until `vmaxset`; a string
/// marked as bytes is taken as it is, since R will not translate it.
std::string_view utf8_of(SEXP s) {
  if (Rf_getCharCE(s) == CE_BYTES) {
    return {CHAR(s), static_cast<std::size_t>(LENGTH(s))};
  }
  return Rf_translateCharUTF8(s);
}

/// Reads the elements of an R vector as cells: numbers as numbers, strings
/// and a factor's labels (never its codes) as text.
class Column {
 public:
  /// `x` is an integer, double, logical or character vector, or a factor.
  explicit Column(SEXP x) : x_(x) {
    if (!Rf_isFactor(x)) {
      return;
    }
    levels_ = Rf_getAttrib(x, R_LevelsSymbol);
    if (TYPEOF(levels_) != STRSXP) {
      Rcpp::stop("x is a factor without text levels");
    }
    // Each label is read once, however many elements share it.
    level_cells_.reserve(static_cast<std::size_t>(Rf_xlength(levels_)));
    for (R_xlen_t k = 0; k < Rf_xlength(levels_); ++k) {
      level_cells_.push_back(read_string(STRING_ELT(levels_, k)));
    }
  }

  /// The cell of element `i`, noted in `invalid` (Warnings or EndTexts).
  template <class Notes>
  Cell read(R_xlen_t i, Notes& invalid) const {
    auto index = static_cast<std::size_t>(i);
    switch (TYPEOF(x_)) {
      case REALSXP: {
        double value = REAL(x_)[i];
        Cell cell = chronology::read_real(value);
        invalid.note(index, cell, [&] { return shown_real(value, "Inf"); });
        return cell;
      }
      case STRSXP: {
        const void* vmax = vmaxget();
        std::string_view text = STRING_ELT(x_, i) == NA_STRING ? "" : utf8_of(STRING_ELT(x_, i));
        Cell cell = chronology::read_cell(text);
        invalid.note(index, cell, [&] { return text; });
        vmaxset(vmax);
        return cell;
      }
      case INTSXP:
        return levels_ == R_NilValue ? integer(INTEGER(x_)[i]) : label(index, invalid);
      default:
        return integer(LOGICAL(x_)[i]);
    }
  }

 private:
  /// An R integer or logical: NA is empty.
  static Cell integer(int value) {
    return value == NA_INTEGER ? Cell{CellKind::kEmpty} : chronology::read_integer(value);
  }

  /// A string's cell; NA is empty.
  static Cell read_string(SEXP s) {
    if (s == NA_STRING) {
      return {CellKind::kEmpty};
    }
    const void* vmax = vmaxget();
    Cell cell = chronology::read_cell(utf8_of(s));
    vmaxset(vmax);
    return cell;
  }

  /// The cell of the label of factor element `i`; NA is empty.
  template <class Notes>
  Cell label(std::size_t i, Notes& invalid) const {
    int code = INTEGER(x_)[i];
    if (code == NA_INTEGER) {
      return {CellKind::kEmpty};
    }
    if (code < 1 || static_cast<std::size_t>(code) > level_cells_.size()) {
      Rcpp::stop("x is a factor with a code outside its levels at element " +
                 std::to_string(i + 1));
    }
    const Cell& cell = level_cells_[static_cast<std::size_t>(code - 1)];
    invalid.note(i, cell, [&] {
      const void* vmax = vmaxget();
      std::string text(utf8_of(STRING_ELT(levels_, code - 1)));
      vmaxset(vmax);
      return text;
    });
    return cell;
  }

  SEXP x_;
  SEXP levels_ = R_NilValue;
  std::vector<Cell> level_cells_;
};

/// The added columns of `n` rows of `direction`, the i-th row's cells given
/// by `cells(i)`, as a data frame of the table model's cells by their names:
/// text for the sequence and relations, integers for the numbers, logical for
/// false couplets; NA where a cell is empty.
template <class Cells>
Rcpp::List cells_frame(Direction direction, R_xlen_t n, Cells cells) {
  Rcpp::CharacterVector relations = r_strings(kRelationNames);
  Rcpp::CharacterVector sequences = r_strings(kSequenceNames);
  Rcpp::List frame(static_cast<R_xlen_t>(table::kNumberCellCount));
  std::vector<std::string> names;
  visit_fields(table::no_cells(direction), [&](std::string_view name, const auto& value) {
    using Type = std::decay_t<decltype(value)>;
    auto at = static_cast<R_xlen_t>(names.size());
    if constexpr (std::is_same_v<Type, AddedFlag>) {
      frame[at] = Rcpp::LogicalVector(n);
    } else if constexpr (kIsAddedNumber<Type>) {
      frame[at] = Rcpp::IntegerVector(n);
    } else {
      frame[at] = Rcpp::CharacterVector(n);
    }
    names.emplace_back(name);
  });
  struct Store {
    SEXP column;
    R_xlen_t i;
    const Rcpp::CharacterVector& relations;
    const Rcpp::CharacterVector& sequences;
    void operator()(const AddedSequence& sequence) const {
      SET_STRING_ELT(
          column, i,
          sequence ? STRING_ELT(sequences, static_cast<R_xlen_t>(*sequence)) : NA_STRING);
    }
    void operator()(RelationCode code) const {
      SET_STRING_ELT(column, i,
                     code == RelationCode::kNone
                         ? NA_STRING
                         : STRING_ELT(relations, static_cast<R_xlen_t>(code)));
    }
    void operator()(const table::AddedNe& number) const { store(table::plain(number)); }
    void operator()(const table::AddedAm& number) const { store(table::plain(number)); }
    void store(std::optional<std::int32_t> number) const {
      INTEGER(column)[i] = number.value_or(NA_INTEGER);
    }
    void operator()(const AddedFlag& flag) const { LOGICAL(column)[i] = flag ? *flag : NA_LOGICAL; }
  };
  for (R_xlen_t i = 0; i < n; ++i) {
    R_xlen_t k = 0;
    visit_fields(cells(i), [&](std::string_view, const auto& value) {
      Store{frame[k++], i, relations, sequences}(value);
    });
  }
  return data_frame(frame, names, n);
}

/// The added columns of the `n` elements of `x`, as `cells_frame` gives them.
Rcpp::List added_frame(Direction direction, const Column& x, R_xlen_t n, Warnings& warnings) {
  return cells_frame(direction, n,
                     [&](R_xlen_t i) { return number_cells(direction, x.read(i, warnings)); });
}

/// An R vector of `n` elements for values of `type`.
SEXP value_column(ValueType type, R_xlen_t n) {
  switch (type) {
    case ValueType::kText:
      return Rcpp::CharacterVector(n);
    case ValueType::kInteger:
      return Rcpp::IntegerVector(n);
    case ValueType::kLogical:
      break;
  }
  return Rcpp::LogicalVector(n);
}

/// Stores `value` as element `i` of `column`, a vector of values of `type`.
void set_value(SEXP column, R_xlen_t i, ValueType type, const Value& value) {
  switch (type) {
    case ValueType::kText:
      SET_STRING_ELT(column, i, value.text ? Rf_mkCharCE(value.text->c_str(), CE_UTF8) : NA_STRING);
      break;
    case ValueType::kInteger:
      INTEGER(column)[i] = value.integer.value_or(NA_INTEGER);
      break;
    case ValueType::kLogical:
      LOGICAL(column)[i] = value.flag ? *value.flag : NA_LOGICAL;
      break;
  }
}

/// A data frame of `rows` rows, of the columns `columns` (each with a name
/// and a type), whose values `value(row, column)` gives.
template <class Columns, class Type, class ValueOf>
Rcpp::List value_frame(const Columns& columns, std::size_t rows, Type type, ValueOf value) {
  auto n = static_cast<R_xlen_t>(rows);
  Rcpp::List frame(static_cast<R_xlen_t>(columns.size()));
  std::vector<std::string> names;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    SEXP column = PROTECT(value_column(type(columns[k]), n));
    for (R_xlen_t i = 0; i < n; ++i) {
      set_value(column, i, type(columns[k]), value(static_cast<std::size_t>(i), columns[k]));
    }
    frame[static_cast<R_xlen_t>(k)] = column;
    UNPROTECT(1);
    names.emplace_back(columns[k].name);
  }
  return data_frame(frame, names, n);
}

/// The rows of the pairs of `first` and `last`, which have the same length
/// and type as `varve_convert` takes; bad pairs noted in `pairs`.
std::vector<SpanRow> span_rows(SEXP first, SEXP last, Direction direction, Warnings& pairs) {
  for (SEXP x : {first, last}) {
    if (TYPEOF(x) != INTSXP && TYPEOF(x) != REALSXP && TYPEOF(x) != LGLSXP && TYPEOF(x) != STRSXP) {
      Rcpp::stop("first and last must be numeric, character or factor vectors");
    }
  }
  R_xlen_t n = Rf_xlength(first);
  if (Rf_xlength(last) != n) {
    Rcpp::stop("first and last must have the same length");
  }
  if (n > std::numeric_limits<int>::max()) {
    Rcpp::stop("first and last are too long for a data frame");
  }
  Column firsts(first), lasts(last);
  EndTexts first_texts, last_texts;
  std::vector<SpanRow> rows;
  rows.reserve(static_cast<std::size_t>(n));
  for (R_xlen_t i = 0; i < n; ++i) {
    auto at = static_cast<std::size_t>(i);
    Cell a = firsts.read(i, first_texts);
    Cell b = lasts.read(i, last_texts);
    rows.push_back(span_row(direction, a, b, first_texts.at(at), last_texts.at(at)));
    if (!rows.back().not_converted.empty()) {
      pairs.add(at, rows.back().not_converted);
    }
  }
  return rows;
}

}  // namespace

/// The columns of varve-batch's column mode for each element of `x` (an
/// integer, double, logical or character vector, or a factor), as a data
/// frame, with how many elements were not numbers and the messages of the
/// first few.
// [[Rcpp::export(.varve_convert)]]
Rcpp::List varve_convert(SEXP x, std::string direction) {
  if (TYPEOF(x) != INTSXP && TYPEOF(x) != REALSXP && TYPEOF(x) != LGLSXP && TYPEOF(x) != STRSXP) {
    Rcpp::stop("x must be a numeric, character or factor vector");
  }
  R_xlen_t n = Rf_xlength(x);
  if (n > std::numeric_limits<int>::max()) {
    Rcpp::stop("x is too long for a data frame");
  }
  Direction d = direction_named(direction);
  Column column(x);
  Warnings invalid(d);
  Rcpp::List frame = added_frame(d, column, n, invalid);
  return Rcpp::List::create(Rcpp::Named("frame") = frame,
                            Rcpp::Named("invalid") = static_cast<double>(invalid.count()),
                            Rcpp::Named("spans") = static_cast<double>(invalid.spans()),
                            Rcpp::Named("details") = invalid.details(position("element")));
}

/// Every link of every accepted number of `direction`, as varve-batch's
/// table gives them.
// [[Rcpp::export(.varve_links)]]
Rcpp::List varve_links_table(std::string direction) {
  Direction d = direction_named(direction);
  std::vector<int> input;
  std::vector<table::NeToAmCells> rows;
  for (const chronology::GivenRange& range : chronology::accepted_ranges(d)) {
    for (chronology::GivenNumber n = range.first; n <= range.last; ++n) {
      for (const Link& link : chronology::links_of(d, n)) {
        input.push_back(n);
        rows.push_back(table::link_cells(link));
      }
    }
  }
  // The input, then a link's cells in the columns that ne-to-am adds, as
  // varve-batch's table has them.
  auto n = static_cast<R_xlen_t>(input.size());
  Rcpp::List cells = cells_frame(Direction::kNeToAm, n, [&rows](R_xlen_t i) {
    return NumberCells(rows[static_cast<std::size_t>(i)]);
  });
  Rcpp::List frame(cells.size() + 1);
  std::vector<std::string> names{"input"};
  frame[0] = Rcpp::wrap(input);
  for (std::string_view name : table::number_cell_names(Direction::kNeToAm)) {
    frame[static_cast<R_xlen_t>(names.size())] = cells[static_cast<R_xlen_t>(names.size()) - 1];
    names.emplace_back(name);
  }
  return data_frame(frame, names, n);
}

/// The span of each pair of `first` and `last` in `direction`, as a data
/// frame of the span columns, with how many pairs were not converted and the
/// messages of the first few.
// [[Rcpp::export(.varve_span)]]
Rcpp::List varve_span(SEXP first, SEXP last, std::string direction) {
  Direction d = direction_named(direction);
  Warnings pairs(d);
  std::vector<SpanRow> rows = span_rows(first, last, d, pairs);
  Rcpp::List frame = value_frame(
      span_columns(d), rows.size(), [](const SpanColumn& c) { return value_type(c.field); },
      [&rows](std::size_t i, const SpanColumn& c) { return span_value(rows[i], c); });
  return Rcpp::List::create(Rcpp::Named("frame") = frame,
                            Rcpp::Named("not_converted") = static_cast<double>(pairs.faults()),
                            Rcpp::Named("details") = pairs.details(position("pair")));
}

/// Each correction inside the span of each pair of `first` and `last` in
/// `direction`, a row each, the pair's position (from 1) first.
// [[Rcpp::export(.varve_span_corrections)]]
Rcpp::List varve_span_corrections(SEXP first, SEXP last, std::string direction) {
  Direction d = direction_named(direction);
  Warnings pairs(d);
  std::vector<SpanRow> rows = span_rows(first, last, d, pairs);
  std::vector<CorrectionRow> corrections;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    append_corrections(corrections, i + 1, rows[i]);
  }
  return value_frame(
      kCorrectionColumns, corrections.size(), [](const CorrectionColumn& c) { return c.type; },
      [&corrections](std::size_t i, const CorrectionColumn& c) {
        return correction_value(corrections[i], c);
      });
}

/// The revision and the checksum of the correspondence tables built in.
// [[Rcpp::export(.varve_tables_identity)]]
Rcpp::CharacterVector varve_tables_identity() {
  return Rcpp::CharacterVector::create(
      Rcpp::Named("revision") = std::string(chronology::kTables.name),
      Rcpp::Named("checksum") = std::string(chronology::kTablesChecksumText));
}
