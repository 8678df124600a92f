# The tables of cases that every front end runs (links to the repository's
# tests/cell_cases.tsv and tests/table_cases.tsv, copies in the built
# tarball): their case lines split into fields, and text written with the
# escapes of JSON strings decoded.

# The fields of each case of the table `name`, after its header; the test is
# skipped when the table is not there.
case_fields <- function(name) {
  path <- test_path(name)
  skip_if_not(file.exists(path), paste0("tests/testthat/", name, " not found"))
  lines <- readLines(path, encoding = "UTF-8")
  strsplit(lines[nzchar(lines) & !startsWith(lines, "#")][-1], "\t", fixed = TRUE)
}

# `text` with the escapes of JSON strings decoded.
unescaped <- function(text) {
  escapes <- gregexpr("\\\\(u[0-9A-Fa-f]{4}|.)", text)
  regmatches(text, escapes) <- lapply(regmatches(text, escapes), function(found) {
    vapply(found, function(e) {
      if (startsWith(e, "\\u")) intToUtf8(strtoi(substring(e, 3), 16L))
      else switch(e, "\\t" = "\t", "\\n" = "\n", "\\r" = "\r", substring(e, 2))
    }, "")
  })
  Encoding(text) <- "UTF-8"
  text
}
