# Makes the R package in the folder PACKAGE name MAINTAINER ("Name <address>")
# as its maintainer (role cre) in DESCRIPTION and in the package's help page,
# keeping the project's developers as its authors:
#   Rscript maintainer.R PACKAGE MAINTAINER
args <- commandArgs(trailingOnly = TRUE)
if (length(args) != 2) stop("usage: Rscript maintainer.R PACKAGE MAINTAINER", call. = FALSE)
package <- args[1]
form <- "^\\s*([^<>@\"\\\\]*[^<>@\"\\\\ ])\\s+<([^<>@\"\\\\ ]+@[^<>@\"\\\\ ]+)>\\s*$"
parts <- regmatches(args[2], regexec(form, args[2]))[[1]]
if (length(parts) != 3) {
  stop(sprintf("the maintainer \"%s\" is not written as Name <address>", args[2]), call. = FALSE)
}
name <- parts[2]
address <- parts[3]
authors <- "varve-convert developers"

description <- file.path(package, "DESCRIPTION")
# Every field as written, Authors@R then written anew.
fields <- read.dcf(description, keep.white = colnames(read.dcf(description)))
# The developers, an entity, are the authors; the maintainer may be they too.
fields[, "Authors@R"] <- if (name == authors) {
  sprintf('person("%s", role = c("aut", "cre"),\n    email = "%s")', authors, address)
} else {
  sprintf('c(person("%s", role = "aut"),\n    person("%s", role = "cre", email = "%s"))',
          authors, name, address)
}
write.dcf(fields, description, keep.white = colnames(fields))

help <- file.path(package, "man", "varve-package.Rd")
lines <- readLines(help)
maintainer <- grep("^\\\\strong\\{Maintainer\\}:", lines)
lines[maintainer] <- sprintf("\\strong{Maintainer}: %s \\email{%s}", name, address)
writeLines(lines, help)
