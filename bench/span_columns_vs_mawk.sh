#!/usr/bin/env bash
# Times varve-batch's column mode with --span-columns (each row's top and
# bottom NE varve as one interval, with its account) against mawk adding two
# numbers to each row of the same CSV file of 1,000,000 rows (by default),
# both writing to /dev/null, best of three runs each; then the same for an AM
# file, and varve-batch's peak memory for the NE file and for one ten times as
# long (flat memory: the same).
#
#   bench/span_columns_vs_mawk.sh [path/to/varve-batch] [rows]
set -euo pipefail
. "$(dirname "$0")/timing.sh"
rows=${2:-1000000}
# A header, then rows like a sample sheet: id, core, the sample's top and
# bottom varve (top first, 0 to 40 varves apart, within one NE sequence),
# four more. The AM file's ends cross the LC/UC overlap too.
make_rows() {  # make_rows NAME LOW HIGH GAP_LOW GAP_HIGH
  mawk -v n="$rows" -v lo="$2" -v hi="$3" -v glo="$4" -v ghi="$5" 'BEGIN { srand(1)
    print "id,core,top,bottom,thickness_mm,site,colour,note"
    for (i = 1; i <= n; i++) {
      top = int(lo + rand() * (hi - lo + 1)); if (top > glo && top < ghi) top -= ghi - glo
      bottom = top - int(rand() * 41); if (top >= ghi && bottom < ghi) bottom = ghi
      if (bottom < lo) bottom = lo
      printf "S%07d,C%d,%d,%d,%.2f,Site %d,grey,ok\n", i, i % 40, top, bottom, rand() * 20, i % 7
    } }' > "$dir/$1"
}
make_rows ne.csv 2500 9000 6460 6560
make_rows am.csv 2500 8700 0 0

run_ne() { "$batch" ne-to-am --span-columns top,bottom "$dir/ne.csv"; }
run_am() { "$batch" am-to-ne --span-columns top,bottom "$dir/am.csv"; }
run_mawk() { mawk -F, -v OFS=, '{print $0, $3+15, $4+15}' "$dir/ne.csv"; }

t_ne=$(best run_ne)
t_am=$(best run_am)
t_mawk=$(best run_mawk)
echo "rows:             $rows, 8 columns ($(wc -c < "$dir/ne.csv") bytes)"
echo "mawk:             ${t_mawk} s  (print \$0, \$3+15, \$4+15)"
echo "ne-to-am spans:   ${t_ne} s  ($(ratio "$t_mawk" "$t_ne")x mawk; target: at least 1.5x)"
echo "am-to-ne spans:   ${t_am} s  ($(ratio "$t_mawk" "$t_am")x mawk)"
if has_time; then
  peak=$(peak_kib "$batch" ne-to-am --span-columns top,bottom "$dir/ne.csv")
  for _ in 1 2 3 4 5 6 7 8 9 10; do tail -n +2 "$dir/ne.csv"; done > "$dir/long.csv"
  peak_long=$(peak_kib "$batch" ne-to-am --span-columns 3,4 --no-header "$dir/long.csv")
  echo "peak memory:      ${peak} KiB; ${peak_long} KiB for $((rows * 10)) rows (target: flat)"
fi
