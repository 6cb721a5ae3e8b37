#!/bin/sh
# sign-with-local-tsa.sh SOURCE_DIR IN OUT PFX PASSFILE
# Signs IN into OUT as the build signs (cmake/sign.sh), with both signatures time-stamped by a
# throw-away authority started on the loopback address for this one file.
set -eu
source=$1 in=$2 out=$3 pfx=$4 passfile=$5
work=$(mktemp -d)
tsa_pid=""
trap '[ -n "$tsa_pid" ] && kill "$tsa_pid" 2>/dev/null; rm -rf "$work"' EXIT
. "$source/tests/signing/local-tsa.sh"
start_local_tsa "$source" "$work/tsa" || { echo "the local time-stamping authority did not start" >&2; exit 1; }
NOX_SIGN_TIMESTAMP_URL=$tsa_url sh "$source/cmake/sign.sh" "$in" "$out" "$pfx" "$passfile"
