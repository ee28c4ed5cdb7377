#!/usr/bin/env bash
# Builds the benchmark programs of the release preset and runs each of them.
# Every program measures against a baseline of the same run and ends with
# its table of ratios. Extra arguments go to every program, for example
#   scripts/bench.sh --benchmark_filter=Card --benchmark_repetitions=3
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vostrel_bench
status=0
for program in build/release/bin/bench_*; do
  case "$program" in *_tests) continue ;; esac
  echo "=== $(basename "$program")"
  "$program" "$@" || status=1
done
exit $status
