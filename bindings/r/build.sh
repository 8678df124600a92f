#!/usr/bin/env bash
# Builds the R package's source tarball the way R users do, R CMD build on
# this folder (the links to the engine's headers and the table of cell cases
# are copied into the tarball as files), so that it installs alone:
#   bindings/r/build.sh [--check] [OUTPUT_DIR]
# The tarball goes to OUTPUT_DIR (default build-r/ in the repository). With
# --check, it then runs R CMD check --no-manual on it; its tests compare with
# varve-batch (VARVE_BATCH, default build/varve-batch), which must be built.
# The package's maintainer (its cre) is VARVE_MAINTAINER, "Name <address>",
# when that is set: the release's one setting, which the Debian package names
# too. DESCRIPTION holds its default.
set -euo pipefail
check=false
if [ "${1-}" = --check ]; then
  check=true
  shift
fi
here="$(cd "$(dirname "$0")" && pwd)"
repository="$(cd "$here/../.." && pwd)"
out="$(mkdir -p "${1:-$repository/build-r}" && cd "${1:-$repository/build-r}" && pwd)"

version=$(sed -n 's/^Version: //p' "$here/DESCRIPTION")
tarball="$out/varve_$version.tar.gz"
rm -f "$tarball"
package="$here"
if [ -n "${VARVE_MAINTAINER:-}" ]; then
  # A copy of the package (the links to the engine followed) that names the
  # maintainer given, when DESCRIPTION names another.
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  cp -RL "$here" "$stage/varve"
  Rscript "$here/maintainer.R" "$stage/varve" "$VARVE_MAINTAINER"
  package="$stage/varve"
fi
cd "$out"
R CMD build --no-build-vignettes "$package"
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
  # R CMD check exits 0 on warnings and notes; they count as failures here.
  if grep -q "WARNING\|NOTE" "$out/varve.Rcheck/00check.log"; then
    grep -B 1 -A 8 "WARNING\|NOTE" "$out/varve.Rcheck/00check.log" >&2
    echo "R CMD check gave warnings or notes" >&2
    exit 1
  fi
  # What the tests said of themselves: how many cell and table cases they ran.
  for cases in "cell cases" "table cases"; do
    grep -h "^$cases:" "$out"/varve.Rcheck/tests/testthat.Rout* || {
      echo "the tests ran no $cases" >&2
      exit 1
    }
  done
fi
