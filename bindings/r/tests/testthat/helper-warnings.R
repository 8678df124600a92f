# The lines of the warning that `expr` gives, or "" when it gives none.
warning_lines <- function(expr) {
  strsplit(tryCatch({
    expr
    ""
  }, warning = conditionMessage), "\n")[[1]]
}
