# Times the R package's ne_to_am and am_to_ne over one million numbers against
# a plain R loop over the rows of `varve-batch table` for the same numbers, in
# one run, and reports the memory R used beside the size of the result; then
# the same numbers as text (a character vector, as read.csv gives a column
# with one cell such as "4282?") and as a factor.
#
#   Rscript bench/bindings_r.R [path/to/varve-batch] [count] [library]
#
# Needs the package installed (in `library`, default build-r/lib:
# R CMD INSTALL --library=build-r/lib build-r/varve_*.tar.gz after
# bindings/r/build.sh) and varve-batch built.

args <- commandArgs(trailingOnly = TRUE)
batch <- if (length(args) >= 1) args[[1]] else "build/varve-batch"
count <- if (length(args) >= 2) as.integer(args[[2]]) else 1000000L
library_dir <- if (length(args) >= 3) args[[3]] else "build-r/lib"
library(varve, lib.loc = c(library_dir, .libPaths()))

best_of <- function(runs, f) {
  times <- vapply(seq_len(runs), function(i) {
    t <- system.time(f(), gcFirst = TRUE)
    c(t[["elapsed"]], t[["user.self"]] + t[["sys.self"]])
  }, numeric(2))
  times[, which.min(times[1, ])]
}

# The reference: each number looked up in varve-batch's rows and its columns
# filled in one at a time by a plain loop.
loop_converter <- function(direction) {
  table <- utils::read.delim(text = system2(batch, c("table", direction), stdout = TRUE),
                             colClasses = c(sequence = "character", relation = "character"))
  table$false_couplets <- table$false_couplets == "true"
  first <- min(table$input)
  # The first row of each number, by its offset from the first number.
  at <- match(seq(first, max(table$input)), table$input)
  function(x) {
    n <- length(x)
    if (direction == "ne-to-am") {
      sequence <- relation <- character(n)
      ne_first <- ne_last <- am_first <- am_last <- integer(n)
      false_couplets <- logical(n)
      for (i in seq_len(n)) {
        k <- x[i] - first + 1L
        j <- if (k >= 1L && k <= length(at)) at[k] else NA_integer_
        sequence[i] <- table$sequence[j]
        relation[i] <- if (is.na(j)) "outside" else table$relation[j]
        ne_first[i] <- table$ne_first[j]
        ne_last[i] <- table$ne_last[j]
        am_first[i] <- table$am_first[j]
        am_last[i] <- table$am_last[j]
        false_couplets[i] <- table$false_couplets[j]
      }
      return(data.frame(sequence, relation, ne_first, ne_last, am_first, am_last,
                        false_couplets))
    }
    lc_relation <- uc_relation <- character(n)
    lc_first <- lc_last <- uc_first <- uc_last <- integer(n)
    false_couplets <- logical(n)
    for (i in seq_len(n)) {
      k <- x[i] - first + 1L
      j <- if (k >= 1L && k <= length(at)) at[k] else NA_integer_
      lc <- uc <- NA_integer_
      while (!is.na(j) && j <= nrow(table) && table$input[j] == x[i]) {
        if (table$sequence[j] == "LC") lc <- j else uc <- j
        j <- j + 1L
      }
      outside <- is.na(lc) && is.na(uc)
      lc_relation[i] <- if (outside) "outside" else table$relation[lc]
      lc_first[i] <- table$ne_first[lc]
      lc_last[i] <- table$ne_last[lc]
      uc_relation[i] <- if (outside) "outside" else table$relation[uc]
      uc_first[i] <- table$ne_first[uc]
      uc_last[i] <- table$ne_last[uc]
      false_couplets[i] <- if (outside) NA else any(table$false_couplets[c(lc, uc)], na.rm = TRUE)
    }
    data.frame(lc_relation, lc_first, lc_last, uc_relation, uc_first, uc_last, false_couplets)
  }
}

set.seed(1)
# Numbers over both chronologies' ranges, some outside.
x <- sample(2400:9099, count, replace = TRUE)
cat(sprintf("%d numbers, %s\n", count, R.version.string))
for (direction in c("ne-to-am", "am-to-ne")) {
  convert <- if (direction == "ne-to-am") ne_to_am else am_to_ne
  t <- best_of(3, function() convert(x))
  invisible(gc(reset = TRUE))
  before <- sum(gc()[, 2])
  result <- convert(x)
  peak <- sum(gc()[, 6]) - before
  size <- as.numeric(object.size(result)) / 2^20
  rm(result)
  reference <- loop_converter(direction)
  r <- best_of(1, function() reference(x))
  cat(sprintf(paste0("%s: varve %.3f s (cpu %.3f s); plain R loop %.3f s (cpu %.3f s), %.0fx; ",
                     "peak memory %.0f MiB for a result of %.0f MiB\n"),
              direction, t[1], t[2], r[1], r[2], r[1] / t[1], peak, size))
}
# The same numbers as text and as a factor, as read.csv gives a column.
text <- as.character(x)
labels <- factor(text)
for (direction in c("ne-to-am", "am-to-ne")) {
  convert <- if (direction == "ne-to-am") ne_to_am else am_to_ne
  t <- best_of(3, function() convert(text))
  f <- best_of(3, function() convert(labels))
  cat(sprintf("%s: character vector %.3f s (cpu %.3f s); factor %.3f s (cpu %.3f s)\n",
              direction, t[1], t[2], f[1], f[2]))
}
