# Tests of the Windows cross build, run under Wine: the unit tests as they are,
# the end-to-end tests by a host program that starts the .exe through Wine.
set(VARVE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE
  @ONLY)

# One Wine server for the whole run, started (with the prefix made on first
# use) before the tests and stopped after them.
set(VARVE_WINE_PERSIST 300)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-prefix.in ${CMAKE_BINARY_DIR}/wine-prefix.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE
  @ONLY)
add_test(NAME wine_prefix COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh start)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine_server_stop COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh stop)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine)

# A small program that crashes or writes a line as Wine does, on which the
# end-to-end tests prove their rule for Wine's own lines on standard error.
add_executable(varve_wine_probe tests/wine_probe.cpp)

# The unit tests, one binary per library, are added beside their libraries.

include(ExternalProject)
ExternalProject_Add(host_end_to_end_tests
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests
  BINARY_DIR ${CMAKE_BINARY_DIR}/host-tests
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
add_test(NAME end_to_end COMMAND ${CMAKE_BINARY_DIR}/host-tests/varve_end_to_end_tests)
set_tests_properties(end_to_end PROPERTIES ENVIRONMENT
  "VARVE_CONVERT=$<TARGET_FILE:varve-convert>;VARVE_LAUNCHER=${CMAKE_BINARY_DIR}/wine-run;VARVE_WINE_PROBE=$<TARGET_FILE:varve_wine_probe>")
add_test(NAME batch_end_to_end COMMAND ${CMAKE_BINARY_DIR}/host-tests/varve_batch_end_to_end_tests)
set_tests_properties(batch_end_to_end PROPERTIES ENVIRONMENT
  "VARVE_BATCH=$<TARGET_FILE:varve-batch>;VARVE_CONVERT=$<TARGET_FILE:varve-convert>;VARVE_LAUNCHER=${CMAKE_BINARY_DIR}/wine-run")
set_tests_properties(end_to_end batch_end_to_end
  PROPERTIES FIXTURES_REQUIRED wine)
