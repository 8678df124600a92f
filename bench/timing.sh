# Shared by the benchmark scripts (sourced): timing a command.

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
