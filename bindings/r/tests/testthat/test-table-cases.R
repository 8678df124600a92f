# The shared table of table cases (helper-cases.R), as a user would run
# them: each case that names a reading in its bindings column is read with
# read.csv, each converted column is converted, and its rows must be the added
# cells of varve-batch's output and its warning must name the same elements
# (by their row among the data) in the same words.

table_cases <- function() {
  fields <- case_fields("table_cases.tsv")
  fields[vapply(fields, `[`, "", 7) != "-"]
}

# The rows of `text` below its `skip` lines, the header first, as character
# columns padded with "" (read.csv's fill).
rows_of <- function(text, sep, skip) {
  read.csv(text = text, sep = sep, skip = skip, header = FALSE, colClasses = "character",
           fill = TRUE, quote = "\"", comment.char = "", na.strings = character(0),
           blank.lines.skip = FALSE, strip.white = FALSE, check.names = FALSE,
           encoding = "UTF-8")
}

# A result as varve-batch writes it.
shown <- function(value) {
  if (is.logical(value)) {
    ifelse(is.na(value), "", ifelse(value, "true", "false"))
  } else {
    ifelse(is.na(value), "", as.character(value))
  }
}

test_that("every table case gives varve-batch's cells and messages", {
  cases <- table_cases()
  for (fields in cases) {
    name <- fields[1]
    arguments <- strsplit(fields[2], " ", fixed = TRUE)[[1]]
    reading <- strsplit(strsplit(fields[7], " ", fixed = TRUE)[[1]], "=", fixed = TRUE)
    reading <- setNames(vapply(reading, `[`, "", 2), vapply(reading, `[`, "", 1))
    sep <- if (reading[["sep"]] == "tab") "\t" else reading[["sep"]]
    skip <- as.integer(reading[["skip"]])
    columns <- as.integer(strsplit(reading[["columns"]], ",", fixed = TRUE)[[1]])
    given <- rows_of(unescaped(fields[3]), sep, skip)[-1, , drop = FALSE]
    output <- rows_of(unescaped(fields[5]), sep, skip)[-1, , drop = FALSE]
    messages <- strsplit(unescaped(fields[6]), "\n", fixed = TRUE)[[1]]
    convert <- if (arguments[1] == "ne-to-am") ne_to_am else am_to_ne
    expect_identical(nrow(output), nrow(given), label = name)
    for (k in seq_along(columns)) {
      said <- character(0)
      rows <- withCallingHandlers(convert(given[[columns[k]]]), warning = function(w) {
        said <<- c(said, strsplit(conditionMessage(w), "\n", fixed = TRUE)[[1]])
        invokeRestart("muffleWarning")
      })
      width <- ncol(rows)
      first <- ncol(output) - width * (length(columns) - k + 1)
      for (i in seq_len(nrow(rows))) {
        expect_identical(unname(vapply(rows[i, ], shown, "")),
                         unname(unlist(output[i, first + seq_len(width)])),
                         label = sprintf("%s, row %d", name, i))
      }
      meant <- character(0)
      for (message in messages) {
        where <- regmatches(message, regexec("^line (\\d+), column (\\d+): (.*)$", message))[[1]]
        if (length(where) == 4 && as.integer(where[3]) == columns[k] &&
            !startsWith(where[4], "note: ")) {
          meant <- c(meant, sprintf("element %d: %s", as.integer(where[2]) - skip - 1, where[4]))
        }
      }
      expect_identical(said[startsWith(said, "element ")], meant, label = name)
    }
  }
  cat(sprintf("table cases: %d run\n", length(cases)))
})
