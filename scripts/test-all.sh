#!/usr/bin/env bash
# Installs what is needed, builds every target and runs every test:
#   debug   native, AddressSanitizer + UBSan
#   win64   Windows x64 (mingw-w64), tests and the MSI package under Wine
#   win32   Windows x86 (mingw-w64), the same under Wine's WoW64; where the
#           machine runs no 32-bit programs, built only
#   release native release build
#   tsan    native, ThreadSanitizer (threaded test programs)
#   fuzz    clang with libFuzzer: each fuzzer runs 30 s on its seed corpus
#           (VOSTREL_FUZZ_SECONDS at configure time; scripts/fuzz.sh for longer)
# Usage: scripts/test-all.sh [preset...]   (default: all of them, in this order)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh || exit 1

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(debug win64 win32 release tsan fuzz)
jobs=${VOSTREL_JOBS:-$(nproc)}

failed=()
summary=()
start_all=$(date +%s)

# Seconds since a start (date +%s).
elapsed() { # start
  echo "$(($(date +%s) - $1)) s"
}

stop_wineserver() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
}
trap stop_wineserver EXIT

# 32-bit Windows programs need Debian's 32-bit Wine, which scripts/setup.sh
# installs where the kernel runs 32-bit programs.
wine_runs_32bit_programs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Both Windows presets share one WoW64 prefix (build/wineprefix).
start_wine() {
  export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  scripts/wine-prefix.sh "$WINEPREFIX"
  # A persistent server: without it every test waits for Wine's background
  # processes to let go of CTest's output pipe.
  wineserver -p
  # The first program of a server session starts Wine's background services
  # (winedevice, ...), which inherit that program's output handles and live
  # as long as the server: start them here, not inside a test whose output
  # pipe CTest would then wait for until the timeout.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

for preset in "${presets[@]}"; do
  t0=$(date +%s)
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    failed+=("$preset (build)")
    summary+=("$preset: BUILD FAILED ($(elapsed "$t0"))")
    continue
  fi
  built=$(elapsed "$t0")
  case "$preset" in
  win32 | win64)
    if [ "$preset" = win32 ] && ! wine_runs_32bit_programs; then
      summary+=("$preset: built, tests not run: no 32-bit Wine here (setup says why) ($(elapsed "$t0"))")
      continue
    fi
    start_wine
    ;;
  esac
  echo "=== $preset: test"
  t1=$(date +%s)
  if ctest --preset "$preset" -j "$jobs"; then
    summary+=("$preset: tests passed ($(elapsed "$t0"): build $built, tests $(elapsed "$t1"))")
  else
    failed+=("$preset (tests)")
    summary+=("$preset: TESTS FAILED ($(elapsed "$t0"): build $built, tests $(elapsed "$t1"))")
  fi
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
    unset WINEPREFIX
  fi
done

echo "=== summary ($(elapsed "$start_all"))"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all passed"
