# Release packages, made by CPack from the install rules:
# - natively, the Debian package (CPackConfig.cmake) and the source archive
#   (CPackSourceConfig.cmake);
# - in the Windows cross build, the zip with the .exe files (CPackConfig.cmake
#   there). With VARVE_RELEASE_WINDOWS a native build makes that cross build
#   itself, in windows/, so that one workflow (the `release` preset) makes all
#   three.
# A build with VARVE_WEB writes the web page itself, and its packages always
# carry it. Otherwise the page named by VARVE_WEB_PAGE (by default the `web`
# preset's) is carried when it is there.

set(VARVE_WEB_PAGE "${PROJECT_SOURCE_DIR}/build-web/varve-convert.html" CACHE FILEPATH
  "The web page to carry in the packages, when this build does not write it")
option(VARVE_REQUIRE_WEB_PAGE "Stop when the web page to package is missing" OFF)
if(VARVE_BUILT_WEB_PAGE)
  set(VARVE_WEB_PAGE "${VARVE_BUILT_WEB_PAGE}")
  set(VARVE_REQUIRE_WEB_PAGE ON)
endif()
# The one setting for who maintains the packages: the Debian package's
# Maintainer and the R package's maintainer (bindings/r/build.sh). Its default
# is a reserved .invalid address that nobody can take for a real one.
set(VARVE_MAINTAINER "varve-convert developers <maintainers@varve-convert.invalid>" CACHE STRING
  "The packages' maintainer, as Name <address>")
if(NOT VARVE_MAINTAINER MATCHES "^[^<>@]*[^<>@ ] <[^<>@ ]+@[^<>@ ]+>$")
  message(FATAL_ERROR "VARVE_MAINTAINER is \"${VARVE_MAINTAINER}\": write it as Name <address>")
endif()

set(VARVE_README_WEB_PAGE "")
set(VARVE_README_WEB_SECTION "")
set(VARVE_README_DEBIAN_WEB_PAGE "")
if(VARVE_BUILT_WEB_PAGE OR EXISTS "${VARVE_WEB_PAGE}")
  message(STATUS "Packages carry the web page ${VARVE_WEB_PAGE}")
  if(WIN32)
    install(FILES "${VARVE_WEB_PAGE}" DESTINATION .)
  else()
    install(FILES "${VARVE_WEB_PAGE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/varve-convert)
  endif()
  set(VARVE_README_WEB_PAGE
    "  varve-convert.html  the same conversions in your web browser\n")
  set(VARVE_README_DEBIAN_WEB_PAGE "- [the web page](${CMAKE_INSTALL_FULL_DATADIR}/varve-convert/\
varve-convert.html):\n  the same conversions in a web browser, offline, in one file that can be\n\
  copied anywhere;\n")
  set(VARVE_README_WEB_SECTION [=[varve-convert.html: in the web browser
--------------------------------------

Double-click varve-convert.html to open it in your web browser. It works
offline, straight from this folder, and nothing you give it leaves your
computer. It does what both programs do:

- type one number, and its conversion appears at once, explained as
  varve-convert.exe explains it;
- type a span of varves such as 5580-5700 (or its first number in the first
  box and its last in the second): its span in the other chronology, how
  long it lasted in each, and the splits and joins inside it;
- paste a list of numbers, or a column copied from a spreadsheet (one row
  per line, blank lines kept, so that the result pastes back beside it);
  copy the result for the spreadsheet or download it as CSV;
- choose, or drop onto the page, a CSV, semicolon or tab separated file, or
  an Excel (.xlsx) or OpenDocument (.ods) workbook, and the column that
  holds the varve numbers (and, in a workbook, the sheet): the file comes
  back whole, with the conversion in new columns; in a workbook, every
  other sheet, cell, formula and style stays as it was;
- the chart shows how the two chronologies line up: where varves were split
  or joined, the false couplets, and the overlap of LC and UC.

Below the chart, the page says what each result means; its last line names
the correspondence tables it converts with (see "Citing a result").


]=])
elseif(VARVE_REQUIRE_WEB_PAGE)
  message(FATAL_ERROR "The web page ${VARVE_WEB_PAGE} is missing: build it first with "
    "cmake --workflow --preset web")
else()
  message(STATUS "Packages leave out the web page: ${VARVE_WEB_PAGE} has not been built "
    "(cmake --workflow --preset web)")
endif()

set(CPACK_PACKAGE_NAME varve-convert)
set(CPACK_PACKAGE_VENDOR "varve-convert developers")
set(CPACK_PACKAGE_CONTACT "${VARVE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "convert varve numbers between the NE and AM varve chronologies")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

# The user guide, as Markdown with its chart, which it shows by a relative
# link: beside the programs on Windows, with the documentation elsewhere
# (where the manual pages say it is).
set(VARVE_GUIDE_FILES docs/guide.md docs/chart.svg)

if(WIN32)
  # The zip: the .exe files, the page, the guide, README.txt and LICENSE.txt
  # with CR LF. In two steps, so that the lines of the values filled in get
  # CR LF too.
  configure_file(packaging/README-windows.txt.in packaging/README.txt @ONLY)
  configure_file(${PROJECT_BINARY_DIR}/packaging/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
    ${VARVE_GUIDE_FILES} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "varve-convert-${PROJECT_VERSION}-win64")
  include(CPack)
  return()
endif()

option(VARVE_RELEASE_WINDOWS "Also cross-build the Windows zip's contents, in windows/" OFF)
if(VARVE_RELEASE_WINDOWS)
  include(ExternalProject)
  ExternalProject_Add(windows_release
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/windows
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DVARVE_BUILD_TESTS=OFF
      -DVARVE_WEB_PAGE=${VARVE_WEB_PAGE}
      -DVARVE_REQUIRE_WEB_PAGE=${VARVE_REQUIRE_WEB_PAGE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  if(VARVE_BUILT_WEB_PAGE)
    # The cross build's configuration checks that the page is there.
    ExternalProject_Add_StepDependencies(windows_release configure varve_web_page)
  endif()
endif()

# The Debian package. Its README is written for it: every link in it names a
# file the package installs.
set(VARVE_DOCDIR ${CMAKE_INSTALL_DOCDIR})
configure_file(packaging/README-debian.md.in packaging/README.md @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
file(READ LICENSE licence)
file(CONFIGURE OUTPUT packaging/copyright CONTENT [=[varve-convert @PROJECT_VERSION@

Licence: MIT (Expat), as follows.

@licence@]=] @ONLY)
set(changelog "${PROJECT_BINARY_DIR}/packaging/changelog")
string(TIMESTAMP VARVE_RELEASE_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
file(CONFIGURE OUTPUT packaging/changelog CONTENT [=[varve-convert (@PROJECT_VERSION@) stable; urgency=medium

  * Release @PROJECT_VERSION@: see /usr/share/doc/varve-convert/CHANGELOG.md.

 -- @VARVE_MAINTAINER@  @VARVE_RELEASE_DATE@
]=] @ONLY)
add_custom_command(OUTPUT packaging/changelog.gz
  COMMAND ${VARVE_GZIP} -9nkf changelog
  DEPENDS ${changelog}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  ${PROJECT_BINARY_DIR}/packaging/README.md CHANGELOG.md ${VARVE_GUIDE_FILES}
  DESTINATION ${VARVE_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[varve-convert converts varve numbers between the New England (NE) varve
chronology, with its Lower Connecticut (LC) and Upper Connecticut (UC)
sequences, and the North American (AM) varve chronology, saying where varves
were split or joined and which are false annual couplets.
.
The package holds the interactive varve-convert, which converts one number at
a time, varve-batch, which converts whole lists of numbers as TSV, CSV or
JSON Lines for spreadsheets and scripts, and the user guide.]=])
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The source archive: the tree without build folders and local state.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME "varve-convert-${PROJECT_VERSION}")
set(CPACK_SOURCE_IGNORE_FILES
  "^${PROJECT_SOURCE_DIR}/build[^/]*/"
  "/\\\\.git$" "/\\\\.git/" "/\\\\.cache/" "/node_modules/" "/compile_commands\\\\.json$"
  "/\\\\.vscode/" "/\\\\.idea/" "~$" "\\\\.swp$"
  "^${PROJECT_SOURCE_DIR}/bindings/python/build/" "\\\\.egg-info/" "/__pycache__/"
  "/\\\\.pytest_cache/" "\\\\.Rcheck/")
include(CPack)

option(VARVE_RELEASE_FOLDER
  "Also build the R source package and the Python wheel, for the target release_folder" OFF)
if(VARVE_RELEASE_FOLDER)
  include(cmake/ReleaseFolder.cmake)
endif()
