#!/bin/sh
# Installs what is missing, builds both installers and every test, and runs all tests: the 32-bit
# installer's file checks, then the 64-bit tests under Wine on a virtual display. Exits non-zero on
# any failure; the last lines are CTest's summary.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
# Runs in one tree take turns: they share its build, its Wine prefix and its server. The lock is
# held by flock itself, so no process this run leaves behind can keep holding it.
if [ -z "${NOX_TREE_LOCKED:-}" ]; then
  mkdir -p build
  NOX_TREE_LOCKED=1 exec flock -o build/.run.lock "$root/scripts/$(basename "$0")" "$@"
fi
scripts/install-deps.sh
scripts/build.sh

. "$root/scripts/wine-session.sh"
wine_session_start "$root/build/x86_64/wineprefix"

status=0
ctest --test-dir build/i686 --output-on-failure || status=1
ctest --test-dir build/x86_64 --output-on-failure -j "$(nproc)" || status=1
exit $status
