#' Convert varve numbers between the New England and North American chronologies
#'
#' The New England (NE) varve chronology comes as two separately numbered
#' sequences, Lower Connecticut (LC, accepted numbers 2500-6460) and Upper
#' Connecticut (UC, 6560-9000); the North American (AM) chronology is one
#' sequence (2500-8700). [ne_to_am()] and [am_to_ne()] convert a whole vector
#' at once, numbers or text such as a column read by [utils::read.csv()], and
#' give a data frame with one row per element, in order, with the columns of
#' `varve-batch`'s column mode; [varve_links()] gives the whole table of links.
#' [ne_span()] and [am_span()] convert spans, pairs of first and last varves,
#' and give how long each lasted in both chronologies. [tables_identity()]
#' names the correspondence tables they all use, and `citation("varve")` gives
#' the entry to cite, with them.
#'
#' Most NE varves are one AM varve each (`"corresponds"`); some NE varves were
#' split into two consecutive AM varves (`"split"`), and some runs of NE
#' varves were joined into one AM varve (`"joined"`). One joined run, NE-LC
#' 5672-5676 (AM 5691), also represents false annual couplets formed by flood
#' events in the Hudson Valley.
#'
#' @examples
#' ne_to_am(c(3021, 4282))
#' am_to_ne(5691)
#' @keywords internal
#' @useDynLib varve, .registration = TRUE
#' @importFrom Rcpp evalCpp
"_PACKAGE"

#' Convert NE varve numbers to AM
#'
#' Gives the AM varve or varves of each NE number: accepted are NE-LC
#' 2500-6460 and NE-UC 6560-9000 (the two sequences do not overlap in their
#' numbers, so a number names its sequence). Every element gives one row, in
#' order, so that the result can be bound beside the data it came from.
#'
#' @param x A numeric, integer or character vector, or a factor, of NE-LC or
#'   NE-UC numbers: a column as [utils::read.csv()] gives it, which is text
#'   once one of its cells is, say, `"4282?"`. Text is read as `varve-batch`
#'   reads a cell: `"3021"` and `"3021.0"` are 3021, blanks around are
#'   ignored, and `"4,282"` or `"4282?"` are not whole numbers. A factor is
#'   read by its labels, never its codes.
#' @return A data frame with one row per element of `x`, in order, blanks and
#'   elements that are not numbers included, and these columns:
#'   * `sequence`: `"LC"` or `"UC"`, the NE sequence of the number.
#'   * `relation`: `"corresponds"` (one NE varve is one AM varve), `"split"`
#'     (one NE varve became two AM varves), `"joined"` (a run of NE varves
#'     became one AM varve), `"outside"` (not an accepted number) or
#'     `"invalid"` (not a whole number).
#'   * `ne_first`, `ne_last`: the NE varve, or the first and last of the
#'     joined run it belongs to.
#'   * `am_first`, `am_last`: the AM varve, or the first and last of a split
#'     pair.
#'   * `false_couplets`: `TRUE` when the joined run is also false annual
#'     couplets.
#'
#'   `NA` or blank text in `x` gives a row of `NA`; the other columns of an
#'   `"outside"` or `"invalid"` row are `NA`. A warning says how many values
#'   were not whole numbers and shows the first five with their positions in
#'   `x`, with what was perhaps meant (`"4,282"`: a thousands separator;
#'   `"4282?"`: a number marked uncertain). The names of `x` become the row
#'   names when they are all different, not empty and not `NA`.
#' @seealso [am_to_ne()] for the other direction, [varve_links()] for every
#'   link at once.
#' @examples
#' ne_to_am(c(3021, 4282, 5674, NA, 9500))
#'
#' samples <- data.frame(id = c("S1", "S2", "S3"), ne = c(3021L, 4282L, 7000L))
#' cbind(samples, ne_to_am(samples$ne))
#'
#' # Text, as a column read from a file: "4282?" is not a whole number.
#' ne_to_am(c(S1 = "3021", S2 = "3021.0", S3 = "4282?", S4 = ""))
#' @export
ne_to_am <- function(x) convert(x, "ne-to-am")

#' Convert AM varve numbers to NE
#'
#' Gives the NE varve or varves of each AM number: accepted are 2500-8700. An
#' AM varve can link to both NE sequences (AM 6245-6468 has an LC and a UC
#' varve), so each sequence has columns of its own; converting back with
#' [ne_to_am()] need not give the number you started with, since a split or
#' joined varve links to more than one number. Every element gives one row,
#' in order, so that the result can be bound beside the data it came from.
#'
#' @param x A numeric, integer or character vector, or a factor, of AM
#'   numbers: a column as [utils::read.csv()] gives it, which is text
#'   once one of its cells is, say, `"4282?"`. Text is read as `varve-batch`
#'   reads a cell: `"3021"` and `"3021.0"` are 3021, blanks around are
#'   ignored, and `"4,282"` or `"4282?"` are not whole numbers. A factor is
#'   read by its labels, never its codes.
#' @return A data frame with one row per element of `x`, in order, blanks and
#'   elements that are not numbers included, and these columns:
#'   * `lc_relation`, `uc_relation`: how the AM varve links to that NE
#'     sequence: `"corresponds"` (one AM varve is one NE varve), `"split"`
#'     (the AM varve is one of two made from one NE varve) or `"joined"` (a
#'     run of NE varves became it); `NA` when it has no link to that
#'     sequence; `"outside"` or `"invalid"` in both when the number is not
#'     accepted or not a whole number.
#'   * `lc_first`, `lc_last`: the NE-LC varve, or the first and last of the
#'     run joined into the AM varve; `NA` without an LC link.
#'   * `uc_first`, `uc_last`: likewise for NE-UC.
#'   * `false_couplets`: `TRUE` when a joined run is also false annual
#'     couplets.
#'
#'   `NA` or blank text in `x` gives a row of `NA`. A warning says how many
#'   values were not whole numbers and shows the first five, as for
#'   [ne_to_am()]. The names of `x` become the row names when they are all
#'   different, not empty and not `NA`.
#' @seealso [ne_to_am()] for the other direction, [varve_links()] for every
#'   link at once.
#' @examples
#' am_to_ne(c(3000, 5691, 6300, 7000, 2.5))
#' @export
am_to_ne <- function(x) convert(x, "am-to-ne")

#' Convert spans of NE varves to AM, with their durations
#'
#' Gives, for each pair of NE numbers `first[i]` and `last[i]`, in either
#' order, the AM span it covers and how long it lasted in each chronology. The splits and joins
#' inside a span change its length, so converting the two ends one by one is
#' not enough: NE-LC 3000-3700 holds 701 NE varves but spans 714 AM varves
#' (years), AM 3000-3713. Both ends must lie in one NE sequence (NE-LC
#' 2500-6460 or NE-UC 6560-9000); a core log's top, the larger number, may
#' come first. Every pair
#' gives one row, in order, so that the result can be bound beside the data
#' it came from.
#'
#' @param first,last The two NE ends of each span, in either order: numeric,
#'   integer or character vectors, or factors, of the same length, read as
#'   [ne_to_am()] reads its values.
#' @return A data frame with one row per pair, in order, and these columns:
#'   * `sequence`: `"LC"` or `"UC"`, the NE sequence of the span.
#'   * `ne_first`, `ne_last`: the NE ends, the smaller first.
#'   * `am_first`, `am_last`: the AM span, from the first AM varve of the
#'     smaller end's link to the last AM varve of the larger end's.
#'   * `ne_varves`, `am_varves`: the duration, as the number of NE varves
#'     and of AM varves (years) in the span.
#'   * `splits`, `joins`: how many splits and joins lie in the span
#'     ([span_corrections()] lists them).
#'   * `false_couplets`: `TRUE` when a run of false annual couplets lies in
#'     the span.
#'   * `first_cut`, `last_cut`: `NA` when that end (the smaller, the
#'     larger) is exact; else the join
#'     it cuts through, such as `"NE-LC 5672-5676 joined into AM 5691, false
#'     annual couplets"`: the AM varve at that end also holds NE varves
#'     outside the span.
#'   * `not_converted`: `NA` for a converted span; else why not: an end
#'     `NA` or blank (an incomplete interval) or not a whole number, ends in
#'     different NE sequences, or an end outside the accepted ranges (with
#'     the part of the span that lies inside).
#'
#'   A pair with both ends `NA` or blank gives a row of `NA`; the other columns
#'   of a pair not converted are `NA`, and a warning says how many there were
#'   and why for the first five, with their positions. The names of `first`
#'   become the row names when they are all different, not empty and not
#'   `NA`. Lengths that differ are an error.
#' @seealso [am_span()] for the other direction, [span_corrections()] for
#'   the splits and joins inside each span, [ne_to_am()] for single numbers
#'   (which also reads text such as `"5580-5700"` as a span).
#' @examples
#' ne_span(c(3000, 5580, 5673), c(3700, 5700, 5680))
#'
#' # Rates: a section of a core from its top and bottom varves.
#' cores <- data.frame(core = c("A", "B"), top = c(5580, 6600), bottom = c(5700, 6800))
#' spans <- ne_span(cores$top, cores$bottom)
#' cbind(cores, years = spans$am_varves)
#'
#' # The top first is the same span; pairs that are not converted say why.
#' suppressWarnings(ne_span(c(5700, 6400, 5700), c(5580, 6600, NA)))$not_converted
#' @export
ne_span <- function(first, last) span(first, last, "ne-to-am")

#' Convert spans of AM varves to NE, with their durations
#'
#' Gives, for each pair of AM numbers `first[i]` and `last[i]`, in either
#' order (accepted are
#' 2500-8700), the NE-LC and NE-UC spans it covers and how long each part
#' lasted. Where the two NE sequences overlap (AM 6245-6468) a span can
#' reach both; where it reaches past one sequence's coverage, that sequence's
#' columns give the part it covers. Every pair gives one row, in order.
#'
#' @param first,last The two AM ends of each span, in either order: numeric,
#'   integer or character vectors, or factors, of the same length, read as
#'   [am_to_ne()] reads its values.
#' @return A data frame with one row per pair, in order, and these columns
#'   for LC (`lc_`) and then for UC (`uc_`), all `NA` for a sequence that
#'   covers no varve of the span:
#'   * `lc_first`, `lc_last`: the NE-LC span.
#'   * `lc_am_first`, `lc_am_last`: the AM varves of the span that NE-LC
#'     covers: the whole span, or the part inside NE-LC's coverage.
#'   * `lc_ne_varves`, `lc_am_varves`: the duration of that part, in NE
#'     varves and in AM varves (years).
#'   * `lc_splits`, `lc_joins`: how many splits and joins lie in it.
#'   * `lc_first_cut`, `lc_last_cut`: `NA` when that end is exact; else the
#'     split it falls on half of, such as `"NE-LC 3021 split into AM
#'     3021-3022"`: the AM varve at that end shares its NE varve with the AM
#'     varve outside the span.
#'   * `uc_first` to `uc_last_cut`: likewise for NE-UC.
#'
#'   then `false_couplets` (`TRUE` when a run of false annual couplets lies
#'   in the span) and `not_converted` (`NA`, or why the pair is not
#'   converted: an end `NA` or blank (an incomplete interval), not a whole
#'   number, or outside AM 2500-8700, with the part inside).
#'
#'   Missing ends, pairs not converted, names and lengths are handled as by
#'   [ne_span()].
#' @seealso [ne_span()] for the other direction, [span_corrections()] for
#'   the splits and joins inside each span.
#' @examples
#' am_span(c(3000, 3022, 6200), c(3713, 3712, 6300))
#' @export
am_span <- function(first, last) span(first, last, "am-to-ne")

#' The splits and joins inside spans of varves
#'
#' Lists each split and join that lies in the span of each pair, one row per
#' correction: the long form of the `splits` and `joins` counted by
#' [ne_span()] and [am_span()], which joins back to their rows by `pair`.
#'
#' @param first,last The first and last varve of each span, as for
#'   [ne_span()] and [am_span()].
#' @param direction `"ne-to-am"` (the default), for NE spans, or
#'   `"am-to-ne"`, for AM spans.
#' @return A data frame with one row per correction, in the order of the
#'   pairs and, within a span, in order (LC's before UC's), with these
#'   columns:
#'   * `pair`: the position of the pair in `first` and `last`, from 1.
#'   * `sequence`, `relation`, `ne_first`, `ne_last`, `am_first`, `am_last`,
#'     `false_couplets`: the correction, as [varve_links()] gives it.
#'   * `cut`: `"first"`, `"last"` or `"both"` when that end of the span
#'     cuts through the correction (see `first_cut` in [ne_span()]), else
#'     `NA`.
#'
#'   A pair with no correction inside, missing or not converted has no row.
#' @seealso [ne_span()] and [am_span()], whose rows these belong to.
#' @examples
#' span_corrections(c(5580, 3000), c(5700, 3030))
#'
#' # Beside the spans they lie in.
#' spans <- ne_span(c(5580, 3000), c(5700, 3030))
#' corrections <- span_corrections(c(5580, 3000), c(5700, 3030))
#' merge(cbind(pair = seq_len(nrow(spans)), spans[c("ne_first", "ne_last")]), corrections,
#'       by = "pair", suffixes = c("_span", ""))
#' @export
span_corrections <- function(first, last, direction = c("ne-to-am", "am-to-ne")) {
  check_pair(first, last)
  .varve_span_corrections(first, last, match.arg(direction))
}

#' The whole table of links
#'
#' Every link of every accepted number of one direction (NE-LC 2500-6460 and
#' NE-UC 6560-9000 for `"ne-to-am"`, AM 2500-8700 for `"am-to-ne"`), as
#' `varve-batch table` gives it: one row per link, so two rows for an AM
#' number that links to both NE sequences (LC first).
#'
#' @param direction `"ne-to-am"` (the default) or `"am-to-ne"`.
#' @return A data frame of one row per link, with these columns:
#'   * `input`: the number converted, of the direction's first chronology.
#'   * `sequence`: `"LC"` or `"UC"`, the NE sequence of the link.
#'   * `relation`: `"corresponds"`, `"split"` or `"joined"`, as in
#'     [ne_to_am()] and [am_to_ne()].
#'   * `ne_first`, `ne_last`: the NE varve, or the joined run.
#'   * `am_first`, `am_last`: the AM varve, or the split pair.
#'   * `false_couplets`: `TRUE` when the joined run is also false annual
#'     couplets.
#' @seealso [ne_to_am()] and [am_to_ne()], which convert the numbers given.
#' @examples
#' links <- varve_links("am-to-ne")
#' links[links$relation != "corresponds", ][1:5, ]
#' table(varve_links()$relation)
#' @export
varve_links <- function(direction = c("ne-to-am", "am-to-ne")) {
  .varve_links(match.arg(direction))
}

#' The correspondence tables built in
#'
#' Names the correspondence tables that every conversion of this package uses:
#' their revision and a checksum of their rows (a CRC-32 of their values), as
#' `varve-batch --version` and the page's footer show them. Results with the
#' same revision and checksum come from the same tables, whichever program,
#' page or package converted them: name them when publishing converted
#' numbers. `citation("varve")` gives the entry to cite, with both.
#'
#' @return A character vector with the elements `revision` (the revision's
#'   name) and `checksum` (eight lowercase hexadecimal digits).
#' @seealso [utils::citation()]: `citation("varve")`.
#' @examples
#' tables_identity()
#' sprintf("correspondence tables revision %s, checksum %s",
#'         tables_identity()[["revision"]], tables_identity()[["checksum"]])
#' @export
tables_identity <- function() .varve_tables_identity()

check_values <- function(x, name) {
  if (!(is.numeric(x) || is.character(x) || is.factor(x) || (is.logical(x) && all(is.na(x))))) {
    stop(name, " must be a numeric, character or factor vector, not ", class(x)[1], call. = FALSE)
  }
}

convert <- function(x, direction) {
  check_values(x, "x")
  converted <- .varve_convert(x, direction)
  invalid <- converted$invalid
  spans <- converted$spans
  said <- c(
    if (invalid == 1) {
      "1 value is not a whole number; its relation is \"invalid\""
    } else if (invalid > 1) {
      sprintf("%.0f values are not whole numbers; their relation is \"invalid\"", invalid)
    },
    if (spans == 1) {
      "1 span is not converted; its relation is \"invalid\""
    } else if (spans > 1) {
      sprintf("%.0f spans are not converted; their relation is \"invalid\"", spans)
    })
  if (length(said) > 0) {
    warning(paste(said, collapse = "\n"), "\n", converted$details, call. = FALSE)
  }
  with_row_names(converted$frame, names(x))
}

# Names that tell the rows apart become row names; others would not.
with_row_names <- function(result, labels) {
  if (!is.null(labels) && !anyNA(labels) && all(nzchar(labels)) && !anyDuplicated(labels)) {
    attr(result, "row.names") <- labels
  }
  result
}

check_pair <- function(first, last) {
  check_values(first, "first")
  check_values(last, "last")
  if (length(first) != length(last)) {
    stop(sprintf("first and last must have the same length, one end of each span, not %.0f and %.0f",
                 length(first), length(last)), call. = FALSE)
  }
}

span <- function(first, last, direction) {
  check_pair(first, last)
  converted <- .varve_span(first, last, direction)
  count <- converted$not_converted
  if (count > 0) {
    warning(if (count == 1) {
      "1 pair is not converted; its not_converted column says why"
    } else {
      sprintf("%.0f pairs are not converted; their not_converted column says why", count)
    }, "\n", converted$details, call. = FALSE)
  }
  with_row_names(converted$frame, names(first))
}
