# The release folder, build-release/packages: beside the Debian package, the
# Windows zip and the source archive, the web page on its own, the R source
# package, the Python wheel, and SHA256SUMS over all six. The page, the R
# package and the wheel are built with everything else; the target
# release_folder, the release workflow's last step, copies them in after the
# packages and writes SHA256SUMS. What the parts need is checked here, so
# that a machine without it stops at once with what to install.
if(NOT VARVE_BUILT_WEB_PAGE)
  message(FATAL_ERROR "The release folder carries the web page: configure with -DVARVE_WEB=ON")
endif()
set(VARVE_RELEASE_PYTHON /usr/bin/python3 CACHE FILEPATH
  "The Python that builds the release's wheel, with its pip, setuptools, wheel and pybind11")

find_program(VARVE_R R)
find_program(VARVE_RSCRIPT Rscript)
if(NOT VARVE_R OR NOT VARVE_RSCRIPT)
  message(FATAL_ERROR "The release carries the R source package, and R is not installed "
    "(Debian: apt-get install r-base-core r-cran-rcpp).")
endif()
execute_process(COMMAND "${VARVE_RELEASE_PYTHON}" -c
    "import setuptools, wheel, pybind11, numpy, pip"
  RESULT_VARIABLE failed ERROR_VARIABLE said OUTPUT_QUIET)
if(failed)
  string(REGEX MATCH "[^\n]*Error[^\n]*" said "${said}")
  message(FATAL_ERROR "The release carries a Python wheel, built offline by "
    "${VARVE_RELEASE_PYTHON}, which cannot: ${said}\n(Debian: apt-get install python3-pip "
    "python3-setuptools python3-wheel python3-pybind11 pybind11-dev python3-dev python3-numpy)")
endif()

set(parts "${CMAKE_BINARY_DIR}/release-parts")
set(r_package "${parts}/r/varve_${PROJECT_VERSION}.tar.gz")
set(wheel_stamp "${parts}/wheel.stamp")
file(GLOB_RECURSE engine_headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/chronology/*.h"
  "${PROJECT_SOURCE_DIR}/bindings/common/*.h" "${PROJECT_SOURCE_DIR}/src/sentences/span_account.*")
file(GLOB_RECURSE r_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/bindings/r/*")
file(GLOB python_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/bindings/python/*.py"
  "${PROJECT_SOURCE_DIR}/bindings/python/*.toml" "${PROJECT_SOURCE_DIR}/bindings/python/*.txt"
  "${PROJECT_SOURCE_DIR}/bindings/python/src/*" "${PROJECT_SOURCE_DIR}/bindings/python/varve/*")

# The R source package, with the engine's headers inside, so that it installs
# alone, and with the Debian package's maintainer as its own.
add_custom_command(OUTPUT "${r_package}"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${parts}/r"
  COMMAND "${CMAKE_COMMAND}" -E env "VARVE_MAINTAINER=${VARVE_MAINTAINER}"
    "${PROJECT_SOURCE_DIR}/bindings/r/build.sh" "${parts}/r"
  DEPENDS ${r_sources} ${engine_headers} "${PROJECT_SOURCE_DIR}/CMakeLists.txt"
    "${CMAKE_BINARY_DIR}/CMakeCache.txt"
  COMMENT "Building the R source package varve_${PROJECT_VERSION}.tar.gz"
  VERBATIM)
# The wheel, built offline against what the Python named has installed.
add_custom_command(OUTPUT "${wheel_stamp}"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${parts}/wheel"
  COMMAND "${VARVE_RELEASE_PYTHON}" -m pip wheel --no-index --no-build-isolation --no-deps
    --wheel-dir "${parts}/wheel" "${PROJECT_SOURCE_DIR}/bindings/python"
  COMMAND "${CMAKE_COMMAND}" -E touch "${wheel_stamp}"
  DEPENDS ${python_sources} ${engine_headers} "${PROJECT_SOURCE_DIR}/CMakeLists.txt"
  COMMENT "Building the Python wheel"
  VERBATIM)
add_custom_target(release_parts ALL DEPENDS "${r_package}" "${wheel_stamp}")

if(VARVE_BUILD_TESTS)
  # A maintainer other than the default becomes the R package's, beside the
  # developers as its authors.
  set(scratch "${CMAKE_BINARY_DIR}/r-maintainer-test")
  add_test(NAME r_package_names_the_release_maintainer
    COMMAND bash -c [=[set -e
rm -rf "$1" && VARVE_MAINTAINER='Release Team <release@varve-convert.invalid>' "$2" "$1" >/dev/null
fields=$(tar -xzOf "$1/varve_$3.tar.gz" varve/DESCRIPTION)
grep -qx 'Maintainer: Release Team <release@varve-convert.invalid>' <<< "$fields"
grep -q 'varve-convert developers \[aut\]' <<< "$fields"
tar -xzOf "$1/varve_$3.tar.gz" varve/man/varve-package.Rd | grep -qF 'Release Team \email{release@varve-convert.invalid}']=]
      r-maintainer-test "${scratch}" "${PROJECT_SOURCE_DIR}/bindings/r/build.sh"
      "${PROJECT_VERSION}")
endif()

add_custom_target(release_folder
  COMMAND "${CMAKE_COMMAND}" "-DPACKAGES=${CMAKE_BINARY_DIR}/packages" "-DPARTS=${parts}"
    "-DPAGE=${VARVE_BUILT_WEB_PAGE}" "-DVERSION=${PROJECT_VERSION}"
    -P "${PROJECT_SOURCE_DIR}/packaging/release_folder.cmake"
  COMMENT "Completing the release folder packages/ and its SHA256SUMS"
  VERBATIM)
add_dependencies(release_folder release_parts varve_web_page)
