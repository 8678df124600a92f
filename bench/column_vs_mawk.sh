#!/usr/bin/env bash
# Times varve-batch's column mode against mawk over the same CSV file of
# 1,000,000 rows (by default) and 8 columns with NE numbers in column 3, both
# writing to /dev/null, best of three runs each, and reports varve-batch's peak
# memory for that file and for one ten times as long (flat memory: the same).
#
#   bench/column_vs_mawk.sh [path/to/varve-batch] [rows]
set -euo pipefail
. "$(dirname "$0")/timing.sh"
rows=${2:-1000000}
csv=$dir/samples.csv
# A header, then rows like a sample sheet: id, depth, NE number, five more.
mawk -v n="$rows" 'BEGIN { srand(1); print "id,core,ne,depth_cm,thickness_mm,site,colour,note"
  for (i = 1; i <= n; i++) {
    r = int(2500 + rand() * 6501); if (r > 6460 && r < 6560) r -= 100
    printf "S%07d,C%d,%d,%.1f,%.2f,Site %d,grey,ok\n", i, i % 40, r, rand() * 900, rand() * 20, i % 7
  } }' > "$csv"

run_batch() { "$batch" ne-to-am --column ne "$csv"; }
run_mawk() { mawk -F, -v OFS=, '{print $0, $3+15}' "$csv"; }

t_batch=$(best run_batch)
t_mawk=$(best run_mawk)
echo "rows:           $rows, 8 columns ($(wc -c < "$csv") bytes)"
echo "varve-batch:    ${t_batch} s"
echo "mawk:           ${t_mawk} s"
echo "speed-up:       $(ratio "$t_mawk" "$t_batch")x (target: at least 3x)"
if has_time; then
  peak=$(peak_kib "$batch" ne-to-am --column ne "$csv")
  for _ in 1 2 3 4 5 6 7 8 9 10; do tail -n +2 "$csv"; done > "$dir/long.csv"
  peak_long=$(peak_kib "$batch" ne-to-am --column 3 --no-header "$dir/long.csv")
  echo "peak memory:    ${peak} KiB; ${peak_long} KiB for $((rows * 10)) rows (target: flat)"
fi
