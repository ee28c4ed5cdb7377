#!/usr/bin/env bash
# Runs the fuzzers of the fuzz preset on their seed corpora (fuzz/corpus).
#   scripts/fuzz.sh                   every target, 600 s each
#   scripts/fuzz.sh scenario 60       one target for 60 s
#   scripts/fuzz.sh all 120           every target, 120 s each
# Inputs a run finds go to build/fuzz/fuzz-work/<target>/corpus (the seeds stay
# as they are) and the inputs of a crash to build/fuzz/fuzz-work/<target>/crashes;
# each run's output is in build/fuzz/fuzz-work/<target>/last-run.log. The
# summary gives executions, edges covered (cov) and features (ft) per target.
# Extra libFuzzer options: VOSTREL_FUZZ_OPTIONS="-jobs=2 -workers=2" and so on.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

target=${1:-all}
seconds=${2:-600}

scripts/setup.sh >/dev/null || exit 1
cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j "${VOSTREL_JOBS:-$(nproc)}" || exit 1

build=$root/build/fuzz
targets=()
if [ "$target" = all ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
else
  targets=("$target")
fi

failed=0
summary=()
for name in "${targets[@]}"; do
  program=$build/bin/fuzz_$name
  if [ ! -x "$program" ]; then
    echo "fuzz: no target $name (targets: $(ls fuzz/corpus | tr '\n' ' '))" >&2
    exit 2
  fi
  work=$build/fuzz-work/$name
  mkdir -p "$work/corpus" "$work/crashes"
  echo "=== $name: $seconds s"
  # shellcheck disable=SC2086
  "$program" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/crashes/" \
    ${VOSTREL_FUZZ_OPTIONS:-} "$work/corpus" "fuzz/corpus/$name" >"$work/last-run.log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last-run.log" | tail -n1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$work/last-run.log" | tail -n1)
  inputs=$(find "$work/corpus" -type f | wc -l)
  if [ $status -ne 0 ]; then
    failed=1
    tail -n 40 "$work/last-run.log"
    summary+=("$name: FAILED after ${executions:-?} executions, $coverage (see $work/crashes)")
  else
    summary+=("$name: ${executions:-?} executions, $coverage, $inputs inputs found")
  fi
done

echo "=== summary ($seconds s per target)"
printf '  %s\n' "${summary[@]}"
exit $failed
