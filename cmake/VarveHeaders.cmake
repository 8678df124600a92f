# Each library exposes only its own folder of src/: its include root under the
# build tree holds a link to that one folder, so that a target can include
# "<folder>/..." only for the libraries it links. The folders are found beside
# this file, so that the tests' own project (tests/CMakeLists.txt) uses it too.
set(VARVE_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/../src")
function(varve_expose_headers target folder)
  set(root "${CMAKE_BINARY_DIR}/include/${folder}")
  if(NOT EXISTS "${root}/${folder}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${VARVE_SOURCE_ROOT}/${folder}" "${root}/${folder}" SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()
