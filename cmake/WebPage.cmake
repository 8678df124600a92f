# The web page: the engine built for wasm32-wasi in a build of its own (the
# same libraries, with cmake/wasm32-wasi.cmake), then written with the page's
# HTML, CSS and JavaScript into the one file varve-convert.html. Its tests
# drive the page in headless Chromium against the native programs built here.
#
# What the page needs is checked here, at configure time, so that a machine
# without it stops at once with what to install, rather than deep in the
# engine's own build or with a package that lacks the page.
include(ExternalProject)
option(VARVE_WEB_TESTS "Test the web page in headless Chromium (needs npm ci --prefix web)" ON)
set(VARVE_WASM_CXX clang++ CACHE STRING "The C++ compiler for the page's engine (wasm32-wasi)")
set(VARVE_WASM_SYSROOT /usr CACHE PATH "The sysroot with wasi-libc and libc++ for wasm32-wasi")
set(VARVE_WEB_PACKAGES "clang lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 \
libclang-rt-14-dev-wasm32 binaryen nodejs")

# Stops the configuration: the page cannot be built, for the reason given
# (the arguments, joined).
function(varve_web_page_missing)
  list(JOIN ARGV "" reason)
  message(FATAL_ERROR "varve-convert.html cannot be built: ${reason}\n"
    "The page needs clang's wasm32-wasi target, binaryen's wasm-opt and node; on Debian: "
    "apt-get install ${VARVE_WEB_PACKAGES}\n"
    "The release packages carry the page, so they are not made without it.")
endfunction()

find_program(VARVE_NODE node)
if(NOT VARVE_NODE OR NOT EXISTS "${VARVE_NODE}")
  varve_web_page_missing("node is not installed (it writes the page's one file).")
endif()

# binaryen's optimiser shrinks the engine that clang wrote: the page is one
# file, and the module is most of it.
find_program(VARVE_WASM_OPT wasm-opt)
if(NOT VARVE_WASM_OPT OR NOT EXISTS "${VARVE_WASM_OPT}")
  varve_web_page_missing("binaryen's wasm-opt is not installed (it shrinks the page's engine).")
endif()

find_program(VARVE_WASM_CXX_PATH "${VARVE_WASM_CXX}" NO_CACHE)
if(NOT VARVE_WASM_CXX_PATH)
  varve_web_page_missing("the compiler ${VARVE_WASM_CXX} is not installed.")
endif()
# A small module built as the engine's is: C++ with its standard library,
# compiled, then linked as a reactor. The compile step needs the C and C++
# libraries for wasm32-wasi, the link step the linker and the compiler's runtime.
set(probe "${CMAKE_BINARY_DIR}/wasm-probe")
file(WRITE "${probe}/probe.cpp" [=[#include <string>
extern "C" __attribute__((export_name("probe"))) int probe() {
  return static_cast<int>(std::string("wasm32").size());
}
]=])
set(wasm_flags --target=wasm32-wasi "--sysroot=${VARVE_WASM_SYSROOT}")
# Runs one step of the probe with the wasm32 compiler; when it fails, stops
# with `why` and the compiler's first error line, introduced by `who`.
function(varve_wasm_probe_step why who)
  execute_process(
    COMMAND "${VARVE_WASM_CXX_PATH}" ${wasm_flags} ${ARGN}
    WORKING_DIRECTORY "${probe}"
    RESULT_VARIABLE failed ERROR_VARIABLE said OUTPUT_QUIET)
  if(failed)
    string(REGEX MATCH "[^\n]*error[^\n]*" said "${said}")
    varve_web_page_missing("${why} ${who} said: ${said}")
  endif()
endfunction()
varve_wasm_probe_step("${VARVE_WASM_CXX} cannot compile C++ for wasm32-wasi with the sysroot \
${VARVE_WASM_SYSROOT}: its C and C++ libraries are missing (wasi-libc, \
libc++-14-dev-wasm32, libc++abi-14-dev-wasm32)." "The compiler"
  -std=c++20 -fno-exceptions -c probe.cpp -o probe.o)
varve_wasm_probe_step("${VARVE_WASM_CXX} cannot link a wasm32-wasi module: the linker or the \
compiler's runtime for it is missing (lld-14, libclang-rt-14-dev-wasm32)." "The linker"
  -mexec-model=reactor probe.o -o probe.wasm)
message(STATUS "The page's engine is built with ${VARVE_WASM_CXX_PATH} for wasm32-wasi")

set(VARVE_WASM_LINKED "${CMAKE_BINARY_DIR}/wasm/varve-engine.wasm")
set(VARVE_WASM "${CMAKE_BINARY_DIR}/varve-engine.wasm")
ExternalProject_Add(varve_web_engine
  SOURCE_DIR "${CMAKE_SOURCE_DIR}"
  BINARY_DIR "${CMAKE_BINARY_DIR}/wasm"
  CMAKE_ARGS
    "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/wasm32-wasi.cmake"
    "-DVARVE_WASM_CXX=${VARVE_WASM_CXX_PATH}"
    "-DVARVE_WASM_SYSROOT=${VARVE_WASM_SYSROOT}"
    -DCMAKE_BUILD_TYPE=Release
    "-DVARVE_WARNINGS_AS_ERRORS=${VARVE_WARNINGS_AS_ERRORS}"
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${VARVE_WASM_LINKED}")
add_custom_command(OUTPUT "${VARVE_WASM}"
  COMMAND "${VARVE_WASM_OPT}" -Oz "${VARVE_WASM_LINKED}" -o "${VARVE_WASM}"
  DEPENDS varve_web_engine "${VARVE_WASM_LINKED}"
  COMMENT "Shrinking the page's engine with wasm-opt -Oz")

set(VARVE_BUILT_WEB_PAGE "${CMAKE_BINARY_DIR}/varve-convert.html")
set(web "${CMAKE_SOURCE_DIR}/web")
file(GLOB page_modules CONFIGURE_DEPENDS "${web}/workbook/*.mjs" "${web}/page/*.mjs")
list(FILTER page_modules EXCLUDE REGEX "\\.test\\.mjs$")
add_custom_command(OUTPUT "${VARVE_BUILT_WEB_PAGE}"
  COMMAND "${VARVE_NODE}" "${web}/build.mjs" "${VARVE_WASM}" "${PROJECT_VERSION}"
    "${VARVE_BUILT_WEB_PAGE}"
  DEPENDS varve_web_engine "${VARVE_WASM}" "${web}/build.mjs" "${web}/engine.mjs"
    "${web}/page.mjs" "${web}/worker.mjs" "${web}/style.css" "${web}/varve-convert.html"
    ${page_modules}
  COMMENT "Writing varve-convert.html")
add_custom_target(varve_web_page ALL DEPENDS "${VARVE_BUILT_WEB_PAGE}")

if(NOT VARVE_WEB_TESTS)
  return()
endif()
# The tests drive Chromium with playwright-core, pinned by web/package-lock.json:
# installed into web/node_modules by npm ci when it is missing or older than
# the lock file.
set(installed "${web}/node_modules/.package-lock.json")
if(NOT EXISTS "${installed}" OR "${web}/package-lock.json" IS_NEWER_THAN "${installed}")
  find_program(VARVE_NPM npm)
  if(NOT VARVE_NPM OR NOT EXISTS "${VARVE_NPM}")
    message(FATAL_ERROR "The page's tests need web/node_modules, and npm is not installed "
      "(Debian: npm). Install it and run\n  npm ci --prefix web\n"
      "or configure with -DVARVE_WEB_TESTS=OFF to build the page without its tests.")
  endif()
  message(STATUS "web/node_modules is missing or older than web/package-lock.json: "
    "npm ci --prefix web")
  execute_process(COMMAND "${VARVE_NPM}" ci --prefix "${web}" --no-audit --no-fund
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "npm ci --prefix web failed (above); the page's tests need it.")
  endif()
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${web}/package-lock.json")

enable_testing()
file(GLOB page_tests CONFIGURE_DEPENDS "${web}/*.test.mjs" "${web}/workbook/*.test.mjs"
  "${web}/page/*.test.mjs")
add_test(NAME web_page
  COMMAND "${VARVE_NODE}" --test ${page_tests}
  WORKING_DIRECTORY "${web}")
set_tests_properties(web_page PROPERTIES TIMEOUT 900 ENVIRONMENT
  "VARVE_PAGE=${VARVE_BUILT_WEB_PAGE};VARVE_WASM=${VARVE_WASM};VARVE_CONVERT=$<TARGET_FILE:varve-convert>;VARVE_BATCH=$<TARGET_FILE:varve-batch>;VARVE_SCREENSHOT=${CMAKE_BINARY_DIR}/page.png")
