# What the package says a result rests on: the tables, as varve-batch names
# them, and the entry citation() gives.

test_that("tables_identity names the tables as varve-batch --version does", {
  program <- Sys.getenv("VARVE_BATCH")
  skip_if(program == "" || !file.exists(program),
          "varve-batch not found: name the built program in VARVE_BATCH")
  said <- system2(program, "--version", stdout = TRUE)
  tables <- tables_identity()
  expect_identical(names(tables), c("revision", "checksum"))
  expect_match(tables[["checksum"]], "^[0-9a-f]{8}$")
  expect_identical(said[2], sprintf("correspondence tables revision %s, checksum %s",
                                    tables[["revision"]], tables[["checksum"]]))
})

test_that("citation() gives the developers, the version and the tables, without a warning", {
  expect_no_warning(entry <- citation("varve"))
  expect_length(entry, 1)
  tables <- tables_identity()
  expect_identical(format(entry$author), "varve-convert developers")
  expect_match(entry$year, "^[0-9]{4}$")
  expect_identical(entry$note, sprintf(
    "Version %s, correspondence tables revision %s, checksum %s",
    as.character(utils::packageVersion("varve")), tables[["revision"]], tables[["checksum"]]))
  bibtex <- format(entry, style = "bibtex")
  # An entity as the author: braced, so that BibTeX takes no part of it for a surname.
  expect_match(bibtex, "author = {{varve-convert developers}}", fixed = TRUE)
  expect_match(format(entry, style = "text"), "^varve-convert developers \\([0-9]{4}\\)\\.")
})
