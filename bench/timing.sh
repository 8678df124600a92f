# Shared by the benchmarks against mawk, sourced first with the script's
# arguments: checks for mawk and for the varve-batch given as $1
# (build/varve-batch when none), makes a scratch folder $dir that goes at exit,
# and times commands.

batch=${1:-build/varve-batch}
command -v mawk >/dev/null || { echo "needs mawk (apt-get install mawk)" >&2; exit 2; }
[ -x "$batch" ] || { echo "no $batch: build it first (cmake --build --preset default)" >&2; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

best() {  # best wall time of three runs of "$@", in seconds
  local best=999999
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    best=$(mawk -v a="$best" -v s="$start" -v e="$end" 'BEGIN { t = e - s; print (t < a ? t : a) }')
  done
  printf '%.3f' "$best"
}

ratio() {  # ratio A B: A divided by B, to two decimals
  mawk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

has_time() {  # true when GNU time is there to measure peak memory
  [ -x /usr/bin/time ]
}

peak_kib() {  # peak memory of "$@" in KiB, its output thrown away
  { /usr/bin/time -f '%M' "$@" > /dev/null; } 2>&1
}
