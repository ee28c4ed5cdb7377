#!/usr/bin/env bash
# Builds the benchmark programs of the release preset and runs each of them.
# Every program measures against a baseline of the same run and ends with
# its table of ratios; at the end one table gathers the rows of all of them
# (bench_rig's release skew included). Extra arguments go to every program
# but bench_rig, for example
#   scripts/bench.sh --benchmark_filter=Card --benchmark_repetitions=3
# BENCH_RIG_ARGS holds bench_rig's own, for example "--rounds 5 --cameras 8".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vostrel_bench

summary=build/release/bench-summary.tsv
rm -f "$summary"
export VOSTREL_BENCH_SUMMARY="$PWD/$summary"
status=0
for program in build/release/bin/bench_*; do
  case "$program" in *_tests) continue ;; esac
  echo "=== $(basename "$program")"
  if [ "$(basename "$program")" = bench_rig ]; then
    # shellcheck disable=SC2086 # the options are meant to split
    "$program" ${BENCH_RIG_ARGS:-} || status=1
  else
    "$program" "$@" || status=1
  fi
done

echo
echo "=== Summary of all programs (ratios: subject / baseline time; a rate ratio is its inverse)"
if [ -s "$summary" ]; then
  awk -F '\t' '
    { program[NR] = $1; name[NR] = $2; value[NR] = $3
      if (length($1) > pw) pw = length($1)
      if (length($2) > nw) nw = length($2) }
    END { for (i = 1; i <= NR; i++) printf "%-*s  %-*s  %s\n", pw, program[i], nw, name[i], value[i] }
  ' "$summary"
else
  echo "(no rows)"
fi
exit $status
