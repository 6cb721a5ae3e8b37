#!/bin/sh
# Installs what is missing, builds both installers and every test, and runs all tests under Wine on a
# virtual display: the 64-bit tree, then the 32-bit tree (the shipped installer and its tests, under
# WoW64 in the same prefix and session) with the shipped installer's file checks, then the rich-text
# fuzz target. Exits non-zero on any failure; the last lines count what ran in each.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
scripts/install-deps.sh
scripts/build.sh

status=0
# Before the suite: whether the 32-bit tests can run here at all. Only two reasons skip them, both
# said in the last lines: a kernel that runs no 32-bit code, and a 32-bit Wine the package registry
# could not install (the reason install-deps.sh kept). Anything else fails the run.
runs_32bit=yes
probe_32bit=$(python3 scripts/runs-32bit-code.py) || case $? in
  1) runs_32bit=no ;;
  *) runs_32bit=broken status=1 ;;
esac
why_not_32bit=$(echo "$probe_32bit" | head -n 1)
[ -z "$probe_32bit" ] || echo "32-bit tests: $probe_32bit"

. "$root/scripts/wine-session.sh"
wine_session_start "$root/build/x86_64/wineprefix"

summary=""
passed_total=0 failed_total=0
# run_ctest LABEL CTEST-ARGS...: runs one CTest pass and keeps its count for the last lines.
run_ctest() {
  label=$1
  shift
  log=$(mktemp)
  ctest "$@" --output-on-failure 2>&1 | tee "$log" || true
  counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$counts" ]; then
    status=1
    summary="$summary$label: did not finish
"
    return
  fi
  set -- $counts
  [ "$1" -eq 0 ] || status=1
  passed_total=$((passed_total + $2 - $1)) failed_total=$((failed_total + $1))
  summary="$summary$label: $(($2 - $1)) passed, $1 failed
"
}

run_ctest "64-bit tests (build/x86_64)" --test-dir build/x86_64 -j "$(nproc)"
case $runs_32bit in
  yes) run_ctest "32-bit tests (build/i686, the shipped installer)" --test-dir build/i686 -j "$(nproc)" ;;
  *) run_ctest "32-bit file checks (build/i686, the shipped installer)" --test-dir build/i686/tests/files ;;
esac

# The rich-text engine, built natively with the sanitizers, under the fuzzer for a bounded time.
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$(nproc)"
run_ctest "fuzz (build/fuzz)" --test-dir build/fuzz

echo
printf '%s' "$summary"
case $runs_32bit in
  no) echo "32-bit tests NOT run: $why_not_32bit" ;;
  broken) echo "32-bit tests NOT run: 32-bit Wine does not start (see above)" ;;
esac
echo "total: $passed_total passed, $failed_total failed"
exit $status
