#!/usr/bin/env bash
# Fuzzes each target for a share of the time given (150 seconds in all by
# default), starting from its committed seed corpus; what the fuzzer finds new
# goes to build-fuzz/corpus/TARGET, anything it breaks to build-fuzz/crashes.
#
#   fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-150}
# Each target with its seed corpus.
targets=("varve_dialogue_fuzz fuzz/corpus" "varve_column_fuzz fuzz/column_corpus"
  "varve_text_fuzz fuzz/text_corpus" "varve_list_fuzz fuzz/list_corpus"
  "varve_options_fuzz fuzz/options_corpus")
share=$((seconds / ${#targets[@]}))
cmake --preset fuzz >/dev/null
for entry in "${targets[@]}"; do
  read -r target seeds <<<"$entry"
  cmake --build --preset fuzz --target "$target"
  mkdir -p "build-fuzz/corpus/$target" build-fuzz/crashes
  "build-fuzz/$target" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/crashes/ "build-fuzz/corpus/$target" "$seeds"
done
