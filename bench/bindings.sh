#!/usr/bin/env bash
# Builds and installs the R package (into build-r/lib) and the Python module
# (into build-python/venv), then times both over one million numbers, each
# beside a plain loop of its own language over varve-batch's table.
#
#   bench/bindings.sh [count]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}
cmake --build --preset default --target varve-batch > /dev/null
bindings/r/build.sh > /dev/null
mkdir -p build-r/lib
R CMD INSTALL --library=build-r/lib "$(ls -t build-r/varve_*.tar.gz | head -n 1)" > /dev/null 2>&1
[ -x build-python/venv/bin/python ] || /usr/bin/python3 -m venv --system-site-packages build-python/venv
build-python/venv/bin/pip install --quiet --no-index --no-build-isolation ./bindings/python
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
Rscript bench/bindings_r.R build/varve-batch "$count" build-r/lib
build-python/venv/bin/python bench/bindings_python.py build/varve-batch "$count"
