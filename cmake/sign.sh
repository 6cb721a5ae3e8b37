#!/bin/sh
# sign.sh IN OUT PFX [PASSFILE]
# Authenticode-signs IN into OUT. The password comes from PASSFILE, else from $NOX_SIGN_PASSWORD,
# and reaches osslsigncode through a pipe, never on a command line.
set -eu
in=$1 out=$2 pfx=$3 passfile=${4:-}
tmp="$out.tmp"
rm -f "$tmp"
if [ -n "$passfile" ]; then
  password=$(cat "$passfile")
else
  password=${NOX_SIGN_PASSWORD:-}
fi
printf '%s' "$password" | osslsigncode sign -pkcs12 "$pfx" -readpass /dev/stdin \
  -h sha256 -n "NoxSetup Ethernet Drivers" -in "$in" -out "$tmp" >/dev/null
mv -f "$tmp" "$out"
