# A release configured on a machine that lacks part of what the page needs
# stops at configure time and says what is missing. Each case configures the
# release's options in a throwaway folder with one part made missing:
#   cmake -DSOURCE=<repository> -DSCRATCH=<folder> -P WebPage_test.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/empty-sysroot")

# Each case: a name, the options (joined by commas) that take the part away, and what the message
# must say. The checks stop at the first part missing, in the order node,
# wasm-opt, compiler; only the presence of node and wasm-opt is checked, so
# any program stands in for either (a machine that lacks them still tests the
# later checks). The sysroot's case needs clang++ itself.
set(node "-DVARVE_NODE=${CMAKE_COMMAND}")
set(wasm_opt "-DVARVE_WASM_OPT=${CMAKE_COMMAND}")
set(cases
  "no compiler|${node},${wasm_opt},-DVARVE_WASM_CXX=${SCRATCH}/no-such-clang++|the compiler [^ ]*/no-such-clang\\+\\+ is not installed"
  "empty sysroot|${node},${wasm_opt},-DVARVE_WASM_SYSROOT=${SCRATCH}/empty-sysroot|[^ ]*clang\\+\\+ cannot compile C\\+\\+ for wasm32-wasi with the sysroot [^ ]*/empty-sysroot: its C and C\\+\\+ libraries are missing \\(wasi-libc, libc\\+\\+-14-dev-wasm32, libc\\+\\+abi-14-dev-wasm32\\)\\. The compiler said: [^ ]*probe.cpp:[0-9:]+ fatal error: 'string' file not found"
  "no node|-DVARVE_NODE=${SCRATCH}/no-such-node|node is not installed"
  "no wasm-opt|${node},-DVARVE_WASM_OPT=${SCRATCH}/no-such-wasm-opt|binaryen's wasm-opt is not installed")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 name)
  list(GET case 1 options)
  string(REPLACE "," ";" options "${options}")
  list(GET case 2 expected)
  string(MAKE_C_IDENTIFIER "${name}" folder)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${SCRATCH}/${folder}"
      -DCMAKE_BUILD_TYPE=Release -DVARVE_BUILD_TESTS=OFF -DVARVE_WEB=ON -DVARVE_WEB_TESTS=OFF
      -DVARVE_RELEASE_WINDOWS=ON -DVARVE_RELEASE_FOLDER=ON ${options}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # CMake wraps a message's lines: compare with the spaces and line ends as one space.
  string(REGEX REPLACE "[ \n]+" " " said "${out} ${err}")
  if(result EQUAL 0)
    string(APPEND failures "${name}: configuring succeeded\n")
  endif()
  foreach(pattern "varve-convert.html cannot be built: ${expected}"
      "apt-get install clang lld-14 wasi-libc libc\\+\\+-14-dev-wasm32 libc\\+\\+abi-14-dev-wasm32 libclang-rt-14-dev-wasm32 binaryen nodejs"
      "The release packages carry the page, so they are not made without it\\.")
    if(NOT said MATCHES "${pattern}")
      string(APPEND failures "${name}: the output lacks /${pattern}/:\n${err}\n")
    endif()
  endforeach()
  if(said MATCHES "Generating done")
    string(APPEND failures "${name}: the build files were written\n")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
