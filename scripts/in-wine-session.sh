#!/bin/sh
# in-wine-session.sh PREFIX COMMAND...: runs COMMAND with a Wine session on PREFIX (a virtual display
# and a persistent wineserver, scripts/wine-session.sh), and ends the session afterwards.
set -eu
prefix=$1
shift
. "$(cd "$(dirname "$0")" && pwd)/wine-session.sh"
wine_session_start "$prefix"
code=0
"$@" || code=$?
exit $code
