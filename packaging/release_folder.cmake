# Completes the release folder PACKAGES, where CPack has written the Debian
# package, the Windows zip and the source archive of VERSION: copies in the
# web page PAGE, the R source package and the wheel from PARTS, then writes
# SHA256SUMS over the six, so that `sha256sum -c SHA256SUMS` checks them
# there, and removes CPack's working folder, so that the folder holds only
# what is published. Anything missing, or any other file left there, stops it
# with its name.
#   cmake -DPACKAGES=... -DPARTS=... -DPAGE=... -DVERSION=... -P release_folder.cmake
foreach(variable PACKAGES PARTS PAGE VERSION)
  if(NOT ${variable})
    message(FATAL_ERROR "release_folder.cmake needs -D${variable}=...")
  endif()
endforeach()

# The one file that PATTERN matches in FOLDER, into OUT; stops when there are none or several.
function(one_file out folder pattern what)
  file(GLOB found LIST_DIRECTORIES false "${folder}/${pattern}")
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "The release lacks ${what}: ${count} files match ${folder}/${pattern}")
  endif()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

if(NOT EXISTS "${PAGE}")
  message(FATAL_ERROR "The release lacks the web page: ${PAGE} has not been built")
endif()
one_file(r_package "${PARTS}/r" "varve_${VERSION}.tar.gz" "the R source package")
one_file(wheel "${PARTS}/wheel" "varve-${VERSION}-*.whl" "the Python wheel")
file(COPY "${PAGE}" "${r_package}" "${wheel}" DESTINATION "${PACKAGES}")

get_filename_component(wheel "${wheel}" NAME)
set(artifacts varve-convert.html "varve_${VERSION}.tar.gz" "${wheel}")
foreach(pattern "varve-convert_${VERSION}_*.deb" "varve-convert-${VERSION}-win64.zip"
  "varve-convert-${VERSION}.tar.gz")
  one_file(package "${PACKAGES}" "${pattern}" "a package made by the release workflow's package steps")
  get_filename_component(package "${package}" NAME)
  list(APPEND artifacts "${package}")
endforeach()

list(SORT artifacts)
set(sums "")
foreach(artifact IN LISTS artifacts)
  file(SHA256 "${PACKAGES}/${artifact}" sum)
  string(APPEND sums "${sum}  ${artifact}\n")
endforeach()
file(WRITE "${PACKAGES}/SHA256SUMS" "${sums}")

# CPack's working folder is no part of the release.
file(REMOVE_RECURSE "${PACKAGES}/_CPack_Packages")
file(GLOB held LIST_DIRECTORIES true RELATIVE "${PACKAGES}" "${PACKAGES}/*")
list(REMOVE_ITEM held ${artifacts} SHA256SUMS)
if(held)
  list(JOIN held ", " held)
  message(FATAL_ERROR "The release folder ${PACKAGES} holds what is no part of the release: "
    "${held}; remove it and make the release again")
endif()
message(STATUS "The release folder ${PACKAGES}:\n${sums}")
