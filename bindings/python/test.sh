#!/usr/bin/env bash
# Installs the varve module into a virtual environment made from Debian's
# python3 (build-python/venv, which sees Debian's numpy, pandas and pytest),
# with nothing fetched, and runs its tests against varve-batch (VARVE_BATCH,
# default build/varve-batch).
set -euo pipefail
repository="$(cd "$(dirname "$0")/../.." && pwd)"
venv="$repository/build-python/venv"
if [ ! -x "$venv/bin/python" ]; then
  /usr/bin/python3 -m venv --system-site-packages "$venv"
fi
"$venv/bin/pip" install --quiet --no-index --no-build-isolation "$repository/bindings/python"
export VARVE_BATCH="${VARVE_BATCH:-$repository/build/varve-batch}"
# From outside the source folder, so that the installed module is the one tested.
cd "$repository/build-python"
"$venv/bin/python" -m pytest -q -p no:cacheprovider "$repository/bindings/python/tests"
