// The engine's links of whole R vectors (numbers, text or factors), as the
// columns of data frames.

#include <Rcpp.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chronology/links.h"
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

/// R strings of a list of names, held for the lifetime of the vector.
template <std::size_t N>
Rcpp::CharacterVector r_strings(const std::array<std::string_view, N>& names) {
  Rcpp::CharacterVector strings(N);
  for (std::size_t i = 0; i < N; ++i) {
    strings[i] = std::string(names[i]);
  }
  return strings;
}

/// Sets `out[i]` to the relation text of `code`, NA for none.
void set_relation(Rcpp::CharacterVector& out, R_xlen_t i, RelationCode code,
                  const Rcpp::CharacterVector& names) {
  SET_STRING_ELT(
      out, i,
      code == RelationCode::kNone ? NA_STRING : STRING_ELT(names, static_cast<R_xlen_t>(code)));
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

  /// The cell of element `i`, counted in `invalid` when it is not a number.
  Cell read(R_xlen_t i, InvalidCells& invalid) const {
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
  Cell label(std::size_t i, InvalidCells& invalid) const {
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

Rcpp::List ne_to_am_frame(const Column& x, R_xlen_t n, InvalidCells& invalid) {
  Rcpp::CharacterVector relations = r_strings(kRelationNames);
  Rcpp::CharacterVector sequences = r_strings(kSequenceNames);
  Rcpp::CharacterVector sequence(n), relation(n);
  Rcpp::IntegerVector ne_first(n), ne_last(n), am_first(n), am_last(n);
  Rcpp::LogicalVector false_couplets(n);
  for (R_xlen_t i = 0; i < n; ++i) {
    Cell cell = x.read(i, invalid);
    Links links = links_of_cell(Direction::kNeToAm, cell);
    if (links.empty()) {
      SET_STRING_ELT(sequence, i, NA_STRING);
      set_relation(relation, i, unlinked_code(cell.kind), relations);
      ne_first[i] = ne_last[i] = am_first[i] = am_last[i] = NA_INTEGER;
      false_couplets[i] = NA_LOGICAL;
      continue;
    }
    // An NE number lies in one sequence, so it has one link.
    const Link& link = links[0];
    SET_STRING_ELT(sequence, i, STRING_ELT(sequences, static_cast<R_xlen_t>(link.sequence)));
    set_relation(relation, i, code_of(link.relation), relations);
    ne_first[i] = link.ne_first;
    ne_last[i] = link.ne_last;
    am_first[i] = link.am_first;
    am_last[i] = link.am_last;
    false_couplets[i] = link.false_couplets;
  }
  return data_frame(
      Rcpp::List::create(sequence, relation, ne_first, ne_last, am_first, am_last, false_couplets),
      {"sequence", "relation", "ne_first", "ne_last", "am_first", "am_last", "false_couplets"}, n);
}

Rcpp::List am_to_ne_frame(const Column& x, R_xlen_t n, InvalidCells& invalid) {
  Rcpp::CharacterVector relations = r_strings(kRelationNames);
  Rcpp::CharacterVector lc_relation(n), uc_relation(n);
  Rcpp::IntegerVector lc_first(n), lc_last(n), uc_first(n), uc_last(n);
  Rcpp::LogicalVector false_couplets(n);
  for (R_xlen_t i = 0; i < n; ++i) {
    Cell cell = x.read(i, invalid);
    Links links = links_of_cell(Direction::kAmToNe, cell);
    if (links.empty()) {
      set_relation(lc_relation, i, unlinked_code(cell.kind), relations);
      set_relation(uc_relation, i, unlinked_code(cell.kind), relations);
      lc_first[i] = lc_last[i] = uc_first[i] = uc_last[i] = NA_INTEGER;
      false_couplets[i] = NA_LOGICAL;
      continue;
    }
    BySequence by = by_sequence(links);
    set_relation(lc_relation, i, by.lc ? code_of(by.lc->relation) : RelationCode::kNone, relations);
    lc_first[i] = by.lc ? by.lc->ne_first : NA_INTEGER;
    lc_last[i] = by.lc ? by.lc->ne_last : NA_INTEGER;
    set_relation(uc_relation, i, by.uc ? code_of(by.uc->relation) : RelationCode::kNone, relations);
    uc_first[i] = by.uc ? by.uc->ne_first : NA_INTEGER;
    uc_last[i] = by.uc ? by.uc->ne_last : NA_INTEGER;
    false_couplets[i] = by.false_couplets;
  }
  return data_frame(Rcpp::List::create(lc_relation, lc_first, lc_last, uc_relation, uc_first,
                                       uc_last, false_couplets),
                    {"lc_relation", "lc_first", "lc_last", "uc_relation", "uc_first", "uc_last",
                     "false_couplets"},
                    n);
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
  InvalidCells invalid(1);
  Rcpp::List frame = d == Direction::kNeToAm ? ne_to_am_frame(column, n, invalid)
                                             : am_to_ne_frame(column, n, invalid);
  return Rcpp::List::create(Rcpp::Named("frame") = frame,
                            Rcpp::Named("invalid") = static_cast<double>(invalid.count()),
                            Rcpp::Named("details") = invalid.details());
}

/// Every link of every accepted number of `direction`, as varve-batch's
/// table gives them.
// [[Rcpp::export(.varve_links)]]
Rcpp::List varve_links_table(std::string direction) {
  Direction d = direction_named(direction);
  std::vector<int> input, ne_first, ne_last, am_first, am_last;
  std::vector<std::string> sequence, relation;
  std::vector<bool> false_couplets;
  for (const chronology::Range& range : chronology::accepted_ranges(d)) {
    for (VarveNumber n = range.first; n <= range.last; ++n) {
      for (const Link& link : chronology::links_of(d, n)) {
        input.push_back(n);
        sequence.emplace_back(kSequenceNames[static_cast<std::size_t>(link.sequence)]);
        relation.emplace_back(kRelationNames[static_cast<std::size_t>(code_of(link.relation))]);
        ne_first.push_back(link.ne_first);
        ne_last.push_back(link.ne_last);
        am_first.push_back(link.am_first);
        am_last.push_back(link.am_last);
        false_couplets.push_back(link.false_couplets);
      }
    }
  }
  return data_frame(
      Rcpp::List::create(Rcpp::wrap(input), Rcpp::wrap(sequence), Rcpp::wrap(relation),
                         Rcpp::wrap(ne_first), Rcpp::wrap(ne_last), Rcpp::wrap(am_first),
                         Rcpp::wrap(am_last), Rcpp::wrap(false_couplets)),
      {"input", "sequence", "relation", "ne_first", "ne_last", "am_first", "am_last",
       "false_couplets"},
      static_cast<R_xlen_t>(input.size()));
}
