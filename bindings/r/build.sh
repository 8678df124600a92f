#!/usr/bin/env bash
# Builds the R package's source tarball, with the engine's headers copied in
# (and the table of cell cases for its tests) so that it installs alone:
#   bindings/r/build.sh [--check] [OUTPUT_DIR]
# The tarball goes to OUTPUT_DIR (default build-r/ in the repository). With
# --check, it then runs R CMD check --no-manual on it; its tests compare with
# varve-batch (VARVE_BATCH, default build/varve-batch), which must be built.
set -euo pipefail
check=false
if [ "${1-}" = --check ]; then
  check=true
  shift
fi
here="$(cd "$(dirname "$0")" && pwd)"
repository="$(cd "$here/../.." && pwd)"
out="$(mkdir -p "${1:-$repository/build-r}" && cd "${1:-$repository/build-r}" && pwd)"

stage="$out/stage/varve"
rm -rf "$out/stage"
mkdir -p "$stage"
cp -R "$here/." "$stage/"
# The version lives in one place: the CMake project of the repository.
version=$(sed -n 's/^project(varve-convert VERSION \([0-9.]*\) .*/\1/p' "$repository/CMakeLists.txt")
sed -i "s/^Version: .*/Version: $version/" "$stage/DESCRIPTION"
mkdir -p "$stage/src/engine/chronology"
cp "$repository"/src/chronology/*.h "$stage/src/engine/chronology/"
cp "$repository/bindings/common/varve_columns.h" "$stage/src/engine/"
# The table of cell cases that every front end's tests run.
cp "$repository/tests/cell_cases.tsv" "$stage/tests/testthat/"

cd "$out"
R CMD build --no-build-vignettes "$stage"
tarball="$(ls -t "$out"/varve_*.tar.gz | head -n 1)"
echo "built $tarball"
if $check; then
  export VARVE_BATCH="${VARVE_BATCH:-$repository/build/varve-batch}"
  if [ ! -x "$VARVE_BATCH" ]; then
    echo "$VARVE_BATCH not found: build varve-batch first (cmake --workflow --preset default)" >&2
    exit 1
  fi
  # Offline: no CRAN queries, no remote checks.
  export _R_CHECK_CRAN_INCOMING_=false _R_CHECK_CRAN_INCOMING_REMOTE_=false
  R CMD check --no-manual --output="$out" "$tarball"
  # R CMD check exits 0 on warnings; they count as failures here.
  if grep -q "WARNING" "$out/varve.Rcheck/00check.log"; then
    echo "R CMD check gave warnings" >&2
    exit 1
  fi
  # What the tests said of themselves, such as how many cell cases they ran.
  grep -h "^cell cases:" "$out"/varve.Rcheck/tests/testthat.Rout* || {
    echo "the tests ran no cell cases" >&2
    exit 1
  }
fi
