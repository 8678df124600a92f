# The package against varve-batch's table and the shared table of cell cases,
# and its handling of values that are missing, fractional, out of range, text,
# factors or of another type.

batch_table <- function(direction) {
  program <- Sys.getenv("VARVE_BATCH")
  skip_if(program == "" || !file.exists(program),
          "varve-batch not found: name the built program in VARVE_BATCH")
  lines <- system2(program, c("table", direction), stdout = TRUE)
  table <- utils::read.delim(text = lines, colClasses = c(sequence = "character",
                                                          relation = "character"))
  table$false_couplets <- table$false_couplets == "true"
  table
}

test_that("varve_links is varve-batch's table in both directions", {
  for (direction in c("ne-to-am", "am-to-ne")) {
    expect_identical(varve_links(direction), batch_table(direction), label = direction)
  }
})

test_that("every accepted NE number converts as varve-batch's table gives it", {
  table <- batch_table("ne-to-am")
  expect_false(anyDuplicated(table$input) > 0)
  expected <- table[c("sequence", "relation", "ne_first", "ne_last", "am_first", "am_last",
                      "false_couplets")]
  expect_identical(ne_to_am(table$input), expected)
  expect_identical(ne_to_am(as.numeric(rev(table$input))), expected[rev(seq_len(nrow(table))), ],
                   ignore_attr = "row.names")
})

test_that("every accepted AM number converts as varve-batch's table gives it", {
  table <- batch_table("am-to-ne")
  numbers <- unique(table$input)
  side <- function(sequence) {
    rows <- table[table$sequence == sequence, ]
    at <- match(numbers, rows$input)
    list(relation = rows$relation[at], first = rows$ne_first[at], last = rows$ne_last[at],
         false_couplets = rows$false_couplets[at] %in% TRUE)
  }
  lc <- side("LC")
  uc <- side("UC")
  expected <- data.frame(lc_relation = lc$relation, lc_first = lc$first, lc_last = lc$last,
                         uc_relation = uc$relation, uc_first = uc$first, uc_last = uc$last,
                         false_couplets = lc$false_couplets | uc$false_couplets)
  expect_identical(am_to_ne(numbers), expected)
})

test_that("numbers outside, fractions and NA give their rows in order", {
  cases <- list(
    # direction, value, relation (of both sequences for am-to-ne)
    list("ne-to-am", 2499, "outside"),
    list("ne-to-am", 2500L, "corresponds"),
    list("ne-to-am", 6460, "corresponds"),
    list("ne-to-am", 6461L, "outside"),
    list("ne-to-am", 6559, "outside"),
    list("ne-to-am", 6560, "corresponds"),
    list("ne-to-am", 9000, "corresponds"),
    list("ne-to-am", 9001L, "outside"),
    list("ne-to-am", -.Machine$integer.max, "outside"),
    list("ne-to-am", 2^31 + 2500, "outside"),
    list("ne-to-am", 1e300, "outside"),
    list("ne-to-am", 4282.5, "invalid"),
    list("ne-to-am", Inf, "invalid"),
    list("ne-to-am", NaN, NA_character_),
    list("ne-to-am", NA_integer_, NA_character_),
    list("am-to-ne", 2499L, "outside"),
    list("am-to-ne", 8701, "outside"),
    list("am-to-ne", -Inf, "invalid"),
    list("am-to-ne", NA_real_, NA_character_),
    list("ne-to-am", "99999999999999999999", "outside"),
    list("ne-to-am", "-99999999999999999999", "outside"),
    list("ne-to-am", "4282?", "invalid"),
    list("ne-to-am", NA_character_, NA_character_),
    list("ne-to-am", "\u00a03000.0", "corresponds"),
    list("am-to-ne", "", NA_character_)
  )
  for (case in cases) {
    convert <- if (case[[1]] == "ne-to-am") ne_to_am else am_to_ne
    label <- paste(case[[1]], format(case[[2]]))
    rows <- suppressWarnings(convert(c(4282, case[[2]], 3021)))
    expect_identical(nrow(rows), 3L, label = label)
    relations <- grep("relation", names(rows))
    for (column in relations) {
      expect_identical(rows[[column]][2], case[[3]], label = label)
    }
    if (!identical(case[[3]], "corresponds")) {
      expect_true(all(is.na(unlist(rows[2, -relations]))), label = label)
    }
    expect_identical(rows[c(1, 3), ], convert(c(4282, 3021)), ignore_attr = "row.names",
                     label = label)
  }
  expect_true(all(is.na(unlist(ne_to_am(NA)))))
})

test_that("a warning counts the values that are not whole numbers and shows the first five", {
  expect_identical(warning_lines(ne_to_am(c(1.5, 4282, -2.25, NA, -Inf))), c(
    "3 values are not whole numbers; their relation is \"invalid\"",
    "element 1: not a whole number: '1.5'",
    "element 3: not a whole number: '-2.25'",
    "element 5: not a whole number: '-Inf'"))
  long <- paste0(strrep("7", 40), "x")
  x <- c("3000", "4,282", NA, "ca. 4282", paste0("x\001", "\u00e9"), "", long, "a", "b", "c")
  expect_identical(warning_lines(am_to_ne(x)), c(
    "7 values are not whole numbers; their relation is \"invalid\"",
    paste("element 2: not a whole number: '4,282'",
          "(a thousands separator? write 4282 without one to convert it)"),
    paste("element 4: not a whole number: 'ca. 4282'",
          "(4282 marked uncertain: write 4282 alone to convert it)"),
    "element 5: not a whole number: 'x\\x01\\xC3\\xA9'",
    paste0("element 7: not a whole number: '", strrep("7", 32), "...'"),
    "element 8: not a whole number: 'a'",
    "and 2 more"))
  expect_identical(warning_lines(ne_to_am(factor(c("3021", "4282?"))))[-1],
                   paste("element 2: not a whole number: '4282?'",
                         "(4282 marked uncertain: write 4282 alone to convert it)"))
  expect_match(warning_lines(am_to_ne(0.5)), "^1 value is not a whole number", all = FALSE)
  expect_no_warning(ne_to_am(c(4282, 4282.0, NA, 1e10)))
  expect_no_warning(ne_to_am(c("4282", " 4282.00 ", NA, "")))
})

# The table of cell cases that every front end runs.
cell_cases <- function() {
  fields <- case_fields("cell_cases.tsv")
  cell <- unescaped(vapply(fields, `[`, "", 1))
  expected <- strsplit(vapply(fields, `[`, "", 3), " ", fixed = TRUE)
  data.frame(cell = cell, where = vapply(fields, `[`, "", 2),
             kind = vapply(expected, `[`, "", 1),
             hint = vapply(expected, function(e) if (length(e) == 3) e[2] else "", ""),
             number = vapply(expected, function(e) {
               if (length(e) > 1) as.numeric(e[length(e)]) else NA
             }, 0),
             line = vapply(fields, paste, "", collapse = "\t"), stringsAsFactors = FALSE)
}

test_that("every case of the shared table reads as the engine reads a cell, both ways", {
  cases <- cell_cases()
  cases <- cases[cases$where %in% c("all", "plain"), ]
  hints <- c(thousands = "(a thousands separator? write %.0f without one to convert it)",
             uncertain = "(%1$.0f marked uncertain: write %1$.0f alone to convert it)")
  for (direction in c("ne-to-am", "am-to-ne")) {
    convert <- if (direction == "ne-to-am") ne_to_am else am_to_ne
    rows <- suppressWarnings(convert(cases$cell))
    expect_identical(nrow(rows), nrow(cases))
    relations <- grep("relation", names(rows))
    for (i in seq_len(nrow(cases))) {
      label <- paste(direction, cases$line[i])
      if (cases$kind[i] == "number") {
        expect_identical(rows[i, ], convert(cases$number[i]), ignore_attr = "row.names",
                         label = label)
      } else if (cases$kind[i] == "empty") {
        expect_true(all(is.na(unlist(rows[i, ]))), label = label)
      } else {
        expect_identical(unlist(rows[i, relations], use.names = FALSE),
                         rep("invalid", length(relations)), label = label)
        said <- warning_lines(convert(cases$cell[i]))[2]
        if (cases$hint[i] == "") {
          expect_no_match(said, "convert it", label = label)
        } else {
          expect_match(said, sprintf(hints[[cases$hint[i]]], cases$number[i]), fixed = TRUE,
                       label = label)
        }
      }
    }
  }
  cat(sprintf("cell cases: %d run in each direction\n", nrow(cases)))
})

test_that("a column read from a file converts as text or as a factor's labels", {
  file <- tempfile(fileext = ".csv")
  writeLines(c("sample,ne_varve", "S1,3021", "S2,3021.0", "S3,4282?", "S4,", "S5,4282",
               "S6,99999999999999999999"), file)
  want <- c("split", "split", "invalid", NA, "joined", "outside")
  for (as_factors in c(FALSE, TRUE)) {
    column <- utils::read.csv(file, stringsAsFactors = as_factors)$ne_varve
    expect_identical(suppressWarnings(ne_to_am(column))$relation, want, label = class(column))
  }
  # Text in Latin-1 is read as the same text in UTF-8; bytes as they are.
  latin1 <- "4\xa0282"
  Encoding(latin1) <- "latin1"
  expect_match(warning_lines(ne_to_am(latin1))[2], "'4\\xC2\\xA0282' (a thousands", fixed = TRUE)
  bytes <- "3021\xff"
  Encoding(bytes) <- "bytes"
  expect_identical(warning_lines(ne_to_am(bytes))[2], "element 1: not a whole number: '3021\\xFF'")
  # A factor's codes (here 2, 1, 2) are never taken for its numbers.
  expect_identical(ne_to_am(factor(c(4282, 3021, NA, 4282))), ne_to_am(c(4282, 3021, NA, 4282)))
  expect_identical(ne_to_am(factor("3021", levels = c("x", "3021", "y")))$relation, "split")
})

test_that("unique names become row names; other names give the default ones", {
  cases <- list(
    list(c(a = 3021, b = 4282), c("a", "b")),
    list(c(s1 = "3021", s2 = "x"), c("s1", "s2")),
    list(factor(c(s1 = "3021", s2 = "4282")), c("s1", "s2")),
    list(c(a = 3021, a = 4282), 1:2),
    list(stats::setNames(c(3021, 4282), c("a", NA)), 1:2),
    list(stats::setNames(c(3021, 4282), c("a", "")), 1:2),
    list(c(3021, 4282), 1:2)
  )
  for (case in cases) {
    for (convert in list(ne_to_am, am_to_ne)) {
      rows <- suppressWarnings(convert(case[[1]]))
      expect_identical(attr(rows, "row.names"), case[[2]], label = deparse(case[[1]]))
    }
  }
})

test_that("empty input and wrong types", {
  empty <- am_to_ne(integer())
  expect_identical(nrow(empty), 0L)
  expect_identical(vapply(empty, typeof, ""),
                   c(lc_relation = "character", lc_first = "integer", lc_last = "integer",
                     uc_relation = "character", uc_first = "integer", uc_last = "integer",
                     false_couplets = "logical"))
  expect_identical(nrow(ne_to_am(character())), 0L)
  for (x in list(list(4282), 4282 + 0i, as.Date("2020-01-01"), as.raw(1), TRUE)) {
    expect_error(ne_to_am(x), "must be a numeric, character or factor vector", label = class(x))
  }
  expect_error(ne_to_am(structure(2L, levels = "3021", class = "factor")), "outside its levels")
  expect_error(varve_links("ne-am"))
})
