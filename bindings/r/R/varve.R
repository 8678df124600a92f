#' Convert varve numbers between the New England and North American chronologies
#'
#' The New England (NE) varve chronology comes as two separately numbered
#' sequences, Lower Connecticut (LC, accepted numbers 2500-6460) and Upper
#' Connecticut (UC, 6560-9000); the North American (AM) chronology is one
#' sequence (2500-8700). [ne_to_am()] and [am_to_ne()] convert a whole vector
#' at once, numbers or text such as a column read by [utils::read.csv()], and
#' give a data frame with one row per element, in order, with the columns of
#' `varve-batch`'s column mode; [varve_links()] gives the whole table of links.
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

convert <- function(x, direction) {
  if (!(is.numeric(x) || is.character(x) || is.factor(x) || (is.logical(x) && all(is.na(x))))) {
    stop("x must be a numeric, character or factor vector, not ", class(x)[1], call. = FALSE)
  }
  converted <- .varve_convert(x, direction)
  invalid <- converted$invalid
  if (invalid > 0) {
    warning(if (invalid == 1) {
      "1 value is not a whole number; its relation is \"invalid\""
    } else {
      sprintf("%.0f values are not whole numbers; their relation is \"invalid\"", invalid)
    }, "\n", converted$details, call. = FALSE)
  }
  result <- converted$frame
  # Names that tell the rows apart become row names; others would not.
  labels <- names(x)
  if (!is.null(labels) && !anyNA(labels) && all(nzchar(labels)) && !anyDuplicated(labels)) {
    attr(result, "row.names") <- labels
  }
  result
}
