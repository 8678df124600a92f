# The web page: the engine built for wasm32-wasi in a build of its own (the
# same libraries, with cmake/wasm32-wasi.cmake), then written with the page's
# HTML, CSS and JavaScript into the one file varve-convert.html. Its tests
# drive the page in headless Chromium against the native programs built here.
include(ExternalProject)
find_program(VARVE_NODE node REQUIRED)

set(VARVE_WASM "${CMAKE_BINARY_DIR}/wasm/varve-engine.wasm")
ExternalProject_Add(varve_web_engine
  SOURCE_DIR "${CMAKE_SOURCE_DIR}"
  BINARY_DIR "${CMAKE_BINARY_DIR}/wasm"
  CMAKE_ARGS
    "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/wasm32-wasi.cmake"
    -DCMAKE_BUILD_TYPE=Release
    "-DVARVE_WARNINGS_AS_ERRORS=${VARVE_WARNINGS_AS_ERRORS}"
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${VARVE_WASM}")

set(page "${CMAKE_BINARY_DIR}/varve-convert.html")
set(web "${CMAKE_SOURCE_DIR}/web")
add_custom_command(OUTPUT "${page}"
  COMMAND "${VARVE_NODE}" "${web}/build.mjs" "${VARVE_WASM}" "${PROJECT_VERSION}" "${page}"
  DEPENDS varve_web_engine "${VARVE_WASM}" "${web}/build.mjs" "${web}/engine.mjs"
    "${web}/page.mjs" "${web}/style.css" "${web}/varve-convert.html"
  COMMENT "Writing varve-convert.html")
add_custom_target(varve_web_page ALL DEPENDS "${page}")

enable_testing()
file(GLOB page_tests CONFIGURE_DEPENDS "${web}/*.test.mjs")
add_test(NAME web_page
  COMMAND "${VARVE_NODE}" --test ${page_tests}
  WORKING_DIRECTORY "${web}")
set_tests_properties(web_page PROPERTIES TIMEOUT 900 ENVIRONMENT
  "VARVE_PAGE=${page};VARVE_WASM=${VARVE_WASM};VARVE_CONVERT=$<TARGET_FILE:varve-convert>;VARVE_BATCH=$<TARGET_FILE:varve-batch>;VARVE_SCREENSHOT=${CMAKE_BINARY_DIR}/page.png")
