# The package against varve-batch's table, and its handling of values that are
# missing, fractional, out of range or of another type.

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
    list("am-to-ne", NA_real_, NA_character_)
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

test_that("a warning counts the values that are not whole numbers", {
  expect_warning(ne_to_am(c(1.5, 4282, -2.25, NA, Inf)), "^3 values are not whole numbers")
  expect_warning(am_to_ne(0.5), "^1 value is not a whole number")
  expect_no_warning(ne_to_am(c(4282, 4282.0, NA, 1e10)))
})

test_that("empty input and wrong types", {
  empty <- am_to_ne(integer())
  expect_identical(nrow(empty), 0L)
  expect_identical(vapply(empty, typeof, ""),
                   c(lc_relation = "character", lc_first = "integer", lc_last = "integer",
                     uc_relation = "character", uc_first = "integer", uc_last = "integer",
                     false_couplets = "logical"))
  expect_error(ne_to_am("4282"), "numeric")
  expect_error(ne_to_am(factor(4282)), "numeric")
  expect_error(varve_links("ne-am"))
})
