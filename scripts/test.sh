#!/bin/sh
# Installs what is missing, builds both installers and every test, and runs all tests under Wine on a
# virtual display: the 64-bit tree with the host's Wine, then the 32-bit tree (the shipped installer
# and its tests, with the shipped installer's file checks) under WoW64 in the WoW64 root, then the
# rich-text fuzz target. Exits non-zero on any failure; the last lines count what ran in each, and
# say how the 32-bit tests ran.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
scripts/install-deps.sh
scripts/build.sh

status=0
# Before the suite: whether, and how, the 32-bit tests run here. They run in the WoW64 root
# (scripts/wow64-root.sh): natively where the kernel runs 32-bit code, through qemu-i386 where it
# does not. Only a root that cannot be made here, or a machine without user namespaces, keeps them
# from running, and the last lines say so; a root whose 32-bit Wine does not start fails the run.
runs_32bit=yes
how_32bit=$(scripts/wow64-root.sh check) || case $? in
  1) runs_32bit=no ;;
  *) runs_32bit=broken status=1 ;;
esac
how_32bit=$(echo "$how_32bit" | head -n 1)
echo "32-bit tests: $how_32bit"

. "$root/scripts/wine-session.sh"
wine_session_start "$root/build/x86_64/wineprefix"

summary=""
passed_total=0 failed_total=0
# run_ctest LABEL COMMAND...: runs one CTest pass (COMMAND ends in ctest and its arguments) and keeps
# its count for the last lines.
run_ctest() {
  label=$1
  shift
  log=$(mktemp)
  "$@" --output-on-failure 2>&1 | tee "$log" || true
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

run_ctest "64-bit tests (build/x86_64)" ctest --test-dir build/x86_64 -j "$(nproc)"
left_out=""
case $runs_32bit in
  yes)
    # Under the emulator a few cases cannot show what they check; they are named at the end.
    exclude=""
    case $how_32bit in
      under\ *)
        left_out=$(grep -v '^#' tests/not-under-emulator.txt | sed '/^$/d')
        exclude=$(echo "$left_out" | cut -f 1 | paste -s -d '|')
        ;;
    esac
    run_ctest "32-bit tests (build/i686, the shipped installer, $how_32bit)" \
      scripts/wow64-root.sh run scripts/in-wine-session.sh build/i686/wineprefix \
      ctest --test-dir build/i686 -j "$(nproc)" ${exclude:+-E "^($exclude)\$"}
    ;;
  *) run_ctest "32-bit file checks (build/i686, the shipped installer)" ctest --test-dir build/i686/tests/files ;;
esac

# The rich-text engine, built natively with the sanitizers, under the fuzzer for a bounded time.
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$(nproc)"
run_ctest "fuzz (build/fuzz)" ctest --test-dir build/fuzz

echo
printf '%s' "$summary"
case $runs_32bit in
  no) echo "32-bit tests NOT run: $how_32bit" ;;
  broken) echo "32-bit tests NOT run: the WoW64 root's 32-bit Wine does not start (see above)" ;;
esac
if [ -n "$left_out" ]; then
  echo "32-bit tests left out under the emulator: $(echo "$left_out" | wc -l)"
  echo "$left_out" | sed 's/\t/: /; s/^/  /'
fi
echo "total: $passed_total passed, $failed_total failed"
exit $status
