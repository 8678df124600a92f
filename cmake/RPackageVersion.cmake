# The R package's DESCRIPTION names the version itself, since R CMD build reads
# it before anything of the package runs; configuring stops when it is not the
# project's, so that a new version cannot ship an R package with the old one.
# Included by the project; run alone on another file (as its test does) with
#   cmake -DDESCRIPTION=<file> -DVERSION=<x.y.z> -P cmake/RPackageVersion.cmake
if(NOT CMAKE_SCRIPT_MODE_FILE)
  set(DESCRIPTION "${CMAKE_CURRENT_LIST_DIR}/../bindings/r/DESCRIPTION")
  set(VERSION "${PROJECT_VERSION}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${DESCRIPTION}")
endif()
file(STRINGS "${DESCRIPTION}" version_line REGEX "^Version:")
if(NOT version_line STREQUAL "Version: ${VERSION}")
  cmake_path(NORMAL_PATH DESCRIPTION)
  message(FATAL_ERROR "${DESCRIPTION} has \"${version_line}\", but the project is version "
    "${VERSION}: write \"Version: ${VERSION}\" there")
endif()
