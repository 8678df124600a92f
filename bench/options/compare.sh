#!/usr/bin/env bash
# Runs two builds of varve-batch over every argument list of corpus.txt (one
# list a line, in shell quoting), each with the same small standard input, and
# reports every list whose standard output, standard error or exit status
# differ. Run from anywhere:
#   bench/options/compare.sh OLD_VARVE_BATCH NEW_VARVE_BATCH
# Lists name files relative to the repository, where the programs run.
set -euo pipefail
old="$(realpath "$1")"
new="$(realpath "$2")"
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here/../.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf '3021\n4282,5\nx\n' >"$work/stdin"
run() {
  local program="$1" tag="$2"
  shift 2
  local status=0
  "$program" "$@" <"$work/stdin" >"$work/$tag.out" 2>"$work/$tag.err" || status=$?
  echo "$status" >"$work/$tag.status"
}
lists=0
differing=0
while IFS= read -r line; do
  eval "arguments=($line)"
  run "$old" old "${arguments[@]}"
  run "$new" new "${arguments[@]}"
  lists=$((lists + 1))
  for part in out err status; do
    if ! cmp -s "$work/old.$part" "$work/new.$part"; then
      differing=$((differing + 1))
      echo "differs ($part): $line"
      break
    fi
  done
done <"$here/corpus.txt"
echo "$lists argument lists, $differing differing"
[ "$differing" -eq 0 ]
