# Spans against varve-batch's account of each span (`varve-batch span`) and its
# --lines mode, over a sample of ends in both directions; and rows that never
# shift, whatever the pairs hold.

batch_program <- function() {
  program <- Sys.getenv("VARVE_BATCH")
  skip_if(program == "" || !file.exists(program),
          "varve-batch not found: name the built program in VARVE_BATCH")
  program
}

# What `varve-batch span DIRECTION FIRST LAST` says, read back into the values
# of a span's row: per NE sequence its ends, durations, corrections (as the
# account words them) and the NE ends of the corrections its ends cut; or, for
# a span not converted, its one-line reason.
batch_span <- function(program, direction, first, last) {
  said <- suppressWarnings(system2(program, c("span", direction, first, last), stdout = TRUE,
                                   stderr = TRUE))
  status <- attr(said, "status")
  said <- sub("^varve-batch: ", "", said)
  if (!is.null(status)) {
    expect_identical(status, 1L)
    reasons <- paste(trimws(said[-1]), collapse = "; ")
    return(list(not_converted = paste(sub(":$", "", said[1]), reasons, sep = ": ")))
  }
  parts <- list()
  from_ne <- direction == "ne-to-am"
  headline <- if (from_ne) {
    "^NE-(LC|UC) (\\d+)(?:-(\\d+))? spans AM (\\d+)(?:-(\\d+))?$"
  } else {
    "^AM (\\d+)(?:-(\\d+))? spans NE-(LC|UC) (\\d+)(?:-(\\d+))?( \\(.*\\))?$"
  }
  i <- 1
  while (i <= length(said)) {
    m <- regmatches(said[i], regexec(headline, said[i]))[[1]]
    expect_true(length(m) > 0, label = said[i])
    ends <- function(a, b) as.integer(c(a, if (b == "") a else b))
    ne <- if (from_ne) ends(m[3], m[4]) else ends(m[5], m[6])
    am <- if (from_ne) ends(m[5], m[6]) else ends(m[2], m[3])
    sequence <- if (from_ne) m[2] else m[4]
    counts <- as.integer(regmatches(said[i + 1], gregexpr("\\d+", said[i + 1]))[[1]])
    part <- list(sequence = sequence, ne = ne, am = am,
                 ne_varves = counts[if (from_ne) 1 else 2],
                 am_varves = counts[if (from_ne) 2 else 1], corrections = character(),
                 first_cut = NA_character_, last_cut = NA_character_)
    i <- i + 2
    if (startsWith(said[i], "  corrections inside (")) {
      n <- as.integer(gsub("\\D", "", said[i]))
      part$corrections <- trimws(said[i + seq_len(n)])
      i <- i + n
    }
    i <- i + 1
    # An end note names the correction by its NE varves: "the join NE-LC
    # 5672-5676" from NE spans, "one half of NE-LC 3021" from AM spans.
    while (i <= length(said) && startsWith(said[i], "  the ")) {
      which <- if (startsWith(said[i], "  the first")) "first_cut" else "last_cut"
      part[[which]] <- regmatches(said[i], regexpr("NE-(LC|UC) [0-9-]+(?=(, split| *$))",
                                                   said[i], perl = TRUE))
      i <- i + 2
    }
    parts[[sequence]] <- part
  }
  list(not_converted = NA_character_, parts = parts)
}

# The account's words for a row of span_corrections().
correction_words <- function(rows) {
  if (nrow(rows) == 0) {
    return(character())
  }
  run <- function(a, b) ifelse(a == b, a, paste0(a, "-", b))
  paste0("NE-", rows$sequence, " ", run(rows$ne_first, rows$ne_last),
         ifelse(rows$relation == "split", " split into ", " joined into "), "AM ",
         run(rows$am_first, rows$am_last),
         ifelse(rows$false_couplets, ", false annual couplets", ""))
}

# Ends on splits, inside joins, on the false couplets, at the edges of the
# overlap and of the ranges, and outside them.
sample_ends <- list(
  "ne-to-am" = c(2400, 2500, 3021, 3700, 4282, 5594, 5673, 5676, 5680, 6460, 6461, 6560, 6745,
                 9000, 9001),
  "am-to-ne" = c(2499, 2500, 3021, 3022, 3713, 4294, 5691, 6244, 6245, 6357, 6468, 6469, 8700,
                 8701))

test_that("every pair of sample ends is what varve-batch span says, both ways", {
  program <- batch_program()
  for (direction in names(sample_ends)) {
    ends <- sample_ends[[direction]]
    # Each pair in order, and a few reversed.
    pairs <- expand.grid(first = ends, last = ends)
    pairs <- pairs[pairs$first <= pairs$last | pairs$last == ends[4], ]
    convert <- if (direction == "ne-to-am") ne_span else am_span
    rows <- suppressWarnings(convert(pairs$first, pairs$last))
    corrections <- span_corrections(pairs$first, pairs$last, direction)
    expect_identical(nrow(rows), nrow(pairs))
    prefix <- if (direction == "ne-to-am") function(s) "" else function(s) paste0(tolower(s), "_")
    for (i in seq_len(nrow(pairs))) {
      label <- paste(direction, pairs$first[i], pairs$last[i])
      said <- batch_span(program, direction, pairs$first[i], pairs$last[i])
      row <- rows[i, ]
      expect_identical(row$not_converted, said$not_converted, label = label)
      mine <- corrections[corrections$pair == i, ]
      if (!is.na(said$not_converted)) {
        expect_true(all(is.na(unlist(row[names(row) != "not_converted"]))), label = label)
        expect_identical(nrow(mine), 0L, label = label)
        next
      }
      for (sequence in c("LC", "UC")) {
        part <- said$parts[[sequence]]
        p <- prefix(sequence)
        if (direction == "ne-to-am") {
          if (is.null(part)) next
          expect_identical(row$sequence, sequence, label = label)
          got <- c(row$ne_first, row$ne_last, row$am_first, row$am_last)
        } else {
          got <- unlist(row[paste0(p, c("first", "last", "am_first", "am_last"))],
                        use.names = FALSE)
          if (is.null(part)) {
            expect_true(all(is.na(unlist(row[startsWith(names(row), p)]))), label = label)
            next
          }
        }
        expect_identical(got, c(part$ne, part$am), label = label)
        expect_identical(c(row[[paste0(p, "ne_varves")]], row[[paste0(p, "am_varves")]]),
                         c(part$ne_varves, part$am_varves), label = label)
        expect_identical(row[[paste0(p, "splits")]], sum(grepl(" split into ", part$corrections)),
                         label = label)
        expect_identical(row[[paste0(p, "joins")]], sum(grepl(" joined into ", part$corrections)),
                         label = label)
        expect_identical(correction_words(mine[mine$sequence == sequence, ]), part$corrections,
                         label = label)
        for (end in c("first_cut", "last_cut")) {
          cut <- row[[paste0(p, end)]]
          if (is.na(part[[end]])) {
            expect_identical(cut, NA_character_, label = paste(label, end))
          } else {
            expect_true(startsWith(cut, paste0(part[[end]], " ")), label = paste(label, end))
            marked <- mine[mine$sequence == sequence & mine$cut %in%
                             c(sub("_cut", "", end), "both"), ]
            expect_identical(correction_words(marked), cut, label = paste(label, end))
          }
        }
      }
      expect_identical(row$false_couplets,
                       any(grepl("false annual couplets", unlist(lapply(said$parts, `[[`,
                                                                        "corrections")))),
                       label = label)
    }
  }
})

test_that("span cells given to ne_to_am and am_to_ne are what varve-batch --lines gives", {
  program <- batch_program()
  cells <- c("5580-5700", " 3000 \u2013 3700 ", "5700-5580", "3000", "6200-6300", "6400-6600",
             "2400-2600", "9001-9100", "5673-5673", "x")
  for (direction in c("ne-to-am", "am-to-ne")) {
    input <- tempfile()
    writeLines(enc2utf8(cells), input, useBytes = TRUE)
    errors <- tempfile()
    # Exit status 1: some lines are not converted.
    lines <- suppressWarnings(system2(program, c(direction, "--lines", "--format", "csv", input),
                                      stdout = TRUE, stderr = errors))
    expected <- utils::read.csv(text = lines, colClasses = "character", na.strings = "")[-1]
    # The line mode's notes (a sequence covering part of an AM span, an end
    # inside a join) are not warned of here: ne_span and am_span give them.
    said <- sub("^varve-batch: line (\\d+):", "element \\1:",
                grep(": note: ", readLines(errors), fixed = TRUE, invert = TRUE, value = TRUE))
    convert <- if (direction == "ne-to-am") ne_to_am else am_to_ne
    warned <- warning_lines(convert(cells))
    rows <- suppressWarnings(convert(cells))
    shown <- as.data.frame(lapply(rows, function(column) {
      text <- as.character(column)
      if (is.logical(column)) tolower(text) else text
    }))
    expect_identical(shown, expected, label = direction)
    expect_identical(warned[grepl("^element ", warned)], said, label = direction)
    expect_identical(sum(grepl("^\\d+ spans? (is|are) not converted", warned)), 1L,
                     label = direction)
  }
})

test_that("rows never shift: missing ends, bad pairs and names keep their places", {
  first <- c(a = 5580, b = NA, c = 5700, d = 3000, e = 6400, f = 5673)
  last <- c(5700, 5700, 5580, NA, 6600, 5674)
  rows <- suppressWarnings(ne_span(first, last))
  expect_identical(attr(rows, "row.names"), names(first))
  # The top first is the same interval; one end missing is an incomplete one.
  expect_identical(rows$am_first, c(5599L, NA, 5599L, NA, NA, 5691L))
  expect_identical(is.na(rows$not_converted), c(TRUE, FALSE, TRUE, FALSE, FALSE, TRUE))
  expect_true(all(is.na(unlist(rows[c("b", "d"), names(rows) != "not_converted"]))))
  # Each row is the row of its own pair alone, wherever it stands.
  for (i in seq_along(first)) {
    expect_identical(rows[i, ], suppressWarnings(ne_span(first[i], last[i])),
                     label = names(first)[i])
  }
  expect_identical(warning_lines(ne_span(first, last))[1:3],
                   c("3 pairs are not converted; their not_converted column says why",
                     "pair 2: the first end is empty: an incomplete interval",
                     "pair 4: the last end is empty: an incomplete interval"))
  expect_identical(span_corrections(first, last)$pair, rep(c(1L, 3L, 6L), c(4, 4, 1)))
  # Text, factors and numbers read alike, an end at a time.
  expect_identical(suppressWarnings(am_span(factor(c("3022", "x", NA)), c(3712, 3712, 3712))),
                   suppressWarnings(am_span(c("3022", "x", ""), c("3712", "3712.0", "3712"))))
  expect_identical(nrow(am_span(integer(), character())), 0L)
  expect_identical(names(am_span(3000, 3000))[c(1, 11, 21, 22)],
                   c("lc_first", "uc_first", "false_couplets", "not_converted"))
})

test_that("pairs not converted are warned of, one as well as several, none not at all", {
  one <- "1 pair is not converted; its not_converted column says why"
  cases <- list(
    list(ne_span, c(3000, 5580), c(3700, 5700), NULL, integer()),
    # The top, the larger number, first: converted.
    list(ne_span, 5700, 5580, NULL, integer()),
    # An incomplete interval among converted ones, and a pair without either
    # end, which is no interval and not warned of.
    list(ne_span, c(3000, 5700, NA, NA), c(3700, 5580, 5700, NA), one, 3L),
    list(ne_span, c(6400, 5700, 3000), c(6600, NA, 3700),
         "2 pairs are not converted; their not_converted column says why", 1:2),
    list(am_span, c(3000, NA), c(3713, NA), NULL, integer()),
    list(am_span, c(3022, 9000), c(3712, 9100), one, 2L),
    list(am_span, "x", 3712, one, 1L),
    list(am_span, c("x", 3713, 3000), c(3712, NA, 3100),
         "2 pairs are not converted; their not_converted column says why", 1:2))
  for (i in seq_along(cases)) {
    case <- cases[[i]]
    convert <- case[[1]]
    warned <- warning_lines(convert(case[[2]], case[[3]]))
    expect_identical(warned[1], if (is.null(case[[4]])) NA_character_ else case[[4]],
                     label = paste("case", i))
    expect_identical(as.integer(sub("^pair (\\d+): .*", "\\1", warned[-1])), case[[5]],
                     label = paste("case", i))
    rows <- suppressWarnings(convert(case[[2]], case[[3]]))
    expect_identical(which(!is.na(rows$not_converted)), case[[5]], label = paste("case", i))
  }
})

test_that("ends of different lengths or types are refused", {
  expect_error(ne_span(c(3000, 4000), 5000), "same length, one end of each span, not 2 and 1")
  expect_error(am_span(3000, integer()), "not 1 and 0")
  expect_error(span_corrections(1:3, 1:2), "not 3 and 2")
  expect_error(ne_span(list(3000), 3700), "first must be a numeric, character or factor vector")
  expect_error(ne_span(3000, TRUE), "last must be a numeric, character or factor vector")
  expect_error(span_corrections(3000, 3700, "ne-am"))
})
