#!/usr/bin/env bash
# Times varve-batch against mawk over the same file of NE numbers, one per line
# (10 million by default), both writing to /dev/null, best of three runs each,
# and reports varve-batch's peak memory.
#
#   bench/batch_vs_mawk.sh [path/to/varve-batch] [count]
set -euo pipefail
batch=${1:-build/varve-batch}
count=${2:-10000000}
command -v mawk >/dev/null || { echo "needs mawk (apt-get install mawk)" >&2; exit 2; }
[ -x "$batch" ] || { echo "no $batch: build it first (cmake --build --preset default)" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
numbers=$dir/numbers
# Accepted NE numbers, spread over both sequences.
mawk -v n="$count" 'BEGIN { srand(1); for (i = 0; i < n; i++) {
  r = int(2500 + rand() * 6501); if (r > 6460 && r < 6560) r -= 100; print r } }' > "$numbers"

. "$(dirname "$0")/timing.sh"

run_batch() { "$batch" ne-to-am < "$numbers"; }
run_mawk() { mawk '{print $1+15}' "$numbers"; }

t_batch=$(best run_batch)
t_mawk=$(best run_mawk)
echo "numbers:        $count ($(wc -c < "$numbers") bytes)"
echo "varve-batch:    ${t_batch} s"
echo "mawk:           ${t_mawk} s"
echo "speed-up:       $(mawk -v m="$t_mawk" -v b="$t_batch" 'BEGIN { printf "%.2f", m / b }')x (target: at least 3x)"
if [ -x /usr/bin/time ]; then
  peak=$( { /usr/bin/time -f '%M' "$batch" ne-to-am < "$numbers" > /dev/null; } 2>&1 )
  echo "peak memory:    ${peak} KiB (target: under 16 MiB)"
fi
