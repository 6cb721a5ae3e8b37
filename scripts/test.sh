#!/bin/sh
# Installs what is missing, builds both installers and every test, and runs all tests: the 32-bit
# installer's file checks, then the 64-bit tests under Wine on a virtual display. Exits non-zero on
# any failure; the last lines are CTest's summary.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
scripts/install-deps.sh
scripts/build.sh

. "$root/scripts/wine-session.sh"
wine_session_start "$root/build/x86_64/wineprefix"

status=0
ctest --test-dir build/i686 --output-on-failure || status=1
ctest --test-dir build/x86_64 --output-on-failure -j "$(nproc)" || status=1

# The rich-text engine, built natively with the sanitizers, under the fuzzer for a bounded time.
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$(nproc)"
ctest --test-dir build/fuzz --output-on-failure || status=1
exit $status
