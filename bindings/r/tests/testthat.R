library(testthat)
library(varve)

test_check("varve")
