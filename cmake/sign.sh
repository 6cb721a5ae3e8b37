#!/bin/sh
# sign.sh IN OUT PFX [PASSFILE]
# Authenticode-signs IN into OUT twice with the same certificate: a primary signature with a SHA-1
# digest, which Windows XP can verify, and a nested one with a SHA-256 digest, which Windows 7 and
# later require of new signatures. With NOX_SIGN_TIMESTAMP_URL set, both get an RFC 3161 time stamp
# from that authority, so they stay valid after the certificate expires. The password comes from
# PASSFILE, else from $NOX_SIGN_PASSWORD, and reaches osslsigncode through a pipe, never on a
# command line.
set -eu
in=$1 out=$2 pfx=$3 passfile=${4:-}
primary="$out.sha1.tmp"
tmp="$out.tmp"
rm -f "$primary" "$tmp"
trap 'rm -f "$primary" "$tmp"' EXIT
if [ -n "$passfile" ]; then
  password=$(cat "$passfile")
else
  password=${NOX_SIGN_PASSWORD:-}
fi
timestamp=${NOX_SIGN_TIMESTAMP_URL:-}

sign() {  # digest input output [-nest]
  digest=$1 input=$2 output=$3
  shift 3
  # shellcheck disable=SC2086
  printf '%s' "$password" | osslsigncode sign -pkcs12 "$pfx" -readpass /dev/stdin "$@" \
    -h "$digest" -n "NoxSetup Ethernet Drivers" ${timestamp:+-ts "$timestamp"} \
    -in "$input" -out "$output" >/dev/null
}
sign sha1 "$in" "$primary"
sign sha256 "$primary" "$tmp" -nest
mv -f "$tmp" "$out"
