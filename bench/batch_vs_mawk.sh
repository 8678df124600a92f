#!/usr/bin/env bash
# Times varve-batch against mawk over the same file of NE numbers, one per line
# (10 million by default), both writing to /dev/null, best of three runs each,
# and reports varve-batch's peak memory.
#
#   bench/batch_vs_mawk.sh [path/to/varve-batch] [count]
set -euo pipefail
. "$(dirname "$0")/timing.sh"
count=${2:-10000000}
numbers=$dir/numbers
# Accepted NE numbers, spread over both sequences.
mawk -v n="$count" 'BEGIN { srand(1); for (i = 0; i < n; i++) {
  r = int(2500 + rand() * 6501); if (r > 6460 && r < 6560) r -= 100; print r } }' > "$numbers"

run_batch() { "$batch" ne-to-am < "$numbers"; }
run_mawk() { mawk '{print $1+15}' "$numbers"; }

t_batch=$(best run_batch)
t_mawk=$(best run_mawk)
echo "numbers:        $count ($(wc -c < "$numbers") bytes)"
echo "varve-batch:    ${t_batch} s"
echo "mawk:           ${t_mawk} s"
echo "speed-up:       $(ratio "$t_mawk" "$t_batch")x (target: at least 3x)"
if has_time; then
  echo "peak memory:    $(peak_kib "$batch" ne-to-am < "$numbers") KiB (target: under 16 MiB)"
fi
