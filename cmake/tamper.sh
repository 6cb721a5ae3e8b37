#!/bin/sh
# tamper.sh IN OUT: copies a signed file and changes one byte of it, as damage or an attack
# after signing would.
set -eu
in=$1 out=$2
offset=100  # inside the DOS stub's message: hashed, but never run
cp -f "$in" "$out.tmp"
byte=$(od -An -tu1 -j "$offset" -N1 "$out.tmp" | tr -d ' ')
printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" | dd of="$out.tmp" bs=1 seek="$offset" conv=notrunc 2>/dev/null
mv -f "$out.tmp" "$out"
