# The shared table of table cases (helper-cases.R), as a user would run
# them: each case that names a reading in its bindings column is read with
# read.csv, each converted column is converted (an interval's two columns by
# ne_span or am_span), and the rows must be the added cells of varve-batch's
# output and each warning must name the same elements or pairs (by their row
# among the data) in the same words.

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
    numbers <- function(key) {
      if (is.na(reading[key])) integer() else as.integer(strsplit(reading[[key]], ",", fixed = TRUE)[[1]])
    }
    columns <- numbers("columns")
    span <- numbers("span")
    given <- rows_of(unescaped(fields[3]), sep, skip)[-1, , drop = FALSE]
    output <- rows_of(unescaped(fields[5]), sep, skip)[-1, , drop = FALSE]
    messages <- strsplit(unescaped(fields[6]), "\n", fixed = TRUE)[[1]]
    ne <- arguments[1] == "ne-to-am"
    expect_identical(nrow(output), nrow(given), label = name)
    # Each conversion: its call, what its warning names, and the column its
    # messages name; the columns' first, then the interval's.
    conversions <- lapply(columns, function(column) {
      list(function() (if (ne) ne_to_am else am_to_ne)(given[[column]]), "element", column)
    })
    if (length(span) == 2) {
      conversions <- c(conversions, list(list(
        function() (if (ne) ne_span else am_span)(given[[span[1]]], given[[span[2]]]),
        "pair", span[1])))
    }
    converted <- list()
    for (conversion in conversions) {
      said <- character(0)
      rows <- withCallingHandlers(conversion[[1]](), warning = function(w) {
        said <<- c(said, strsplit(conditionMessage(w), "\n", fixed = TRUE)[[1]])
        invokeRestart("muffleWarning")
      })
      what <- conversion[[2]]
      meant <- character(0)
      for (message in messages) {
        where <- regmatches(message, regexec("^line (\\d+), column (\\d+): (.*)$", message))[[1]]
        if (length(where) == 4 && as.integer(where[3]) == conversion[[3]] &&
            !startsWith(where[4], "note: ")) {
          meant <- c(meant, sprintf("%s %d: %s", what, as.integer(where[2]) - skip - 1, where[4]))
        }
      }
      expect_identical(said[startsWith(said, paste0(what, " "))], meant, label = name)
      converted <- c(converted, list(rows))
    }
    # The added cells end each row: the columns', then the interval's.
    total <- sum(vapply(converted, ncol, 0L))
    for (i in seq_len(nrow(given))) {
      got <- unlist(lapply(converted, function(rows) unname(vapply(rows[i, ], shown, ""))))
      expect_identical(got, unname(unlist(output[i, ncol(output) - total + seq_len(total)])),
                       label = sprintf("%s, row %d", name, i))
    }
  }
  cat(sprintf("table cases: %d run\n", length(cases)))
})
