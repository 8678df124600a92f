#!/usr/bin/env bash
# Fuzzes the dialogue for a while (60 seconds by default), starting from the
# committed seed corpus; what the fuzzer finds new goes to build-fuzz/corpus.
#
#   fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target varve_dialogue_fuzz
mkdir -p build-fuzz/corpus build-fuzz/crashes
build-fuzz/varve_dialogue_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/crashes/ build-fuzz/corpus fuzz/corpus
