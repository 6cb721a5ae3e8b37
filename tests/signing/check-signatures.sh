#!/bin/sh
# check-signatures.sh EXE PFX PASSFILE [TSA_CA [CA_FILE]]
# Passes when EXE carries exactly two Authenticode signatures by the certificate in PFX, both
# verifying: the primary with a SHA-1 digest and a nested one with SHA-256. Given TSA_CA (the
# time-stamping authority's CA, or "system" for the system's CA bundle), both must also carry a time
# stamp that verifies against it. The signer's chain is checked against CA_FILE, "system", or by
# default the PFX's own certificate (a self-signed development certificate).
set -eu
exe=$1 pfx=$2 passfile=$3 tsa_ca=${4:-} ca_file=${5:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl pkcs12 -in "$pfx" -passin "file:$passfile" -nokeys -clcerts -out "$work/signer.pem" 2>/dev/null
subject=$(openssl x509 -in "$work/signer.pem" -noout -subject -nameopt compat | sed 's/^subject=//')

set -- -in "$exe"
case $ca_file in
"") set -- "$@" -CAfile "$work/signer.pem" ;;
system) ;;
*) set -- "$@" -CAfile "$ca_file" ;;
esac
case $tsa_ca in
"") set -- "$@" -ignore-timestamp ;;
system) ;;
*) set -- "$@" -TSA-CAfile "$tsa_ca" ;;
esac
osslsigncode verify "$@" >"$work/verify" 2>&1 || true

fail() {
  echo "$exe: $1" >&2
  sed 's/^/  /' "$work/verify" >&2
  exit 1
}
grep -q '^Number of verified signatures: 2$' "$work/verify" || fail "not exactly two signatures"
if [ "$(grep -c '^Signature verification: ok$' "$work/verify")" != 2 ] ||
  grep -q '^Signature verification: failed' "$work/verify"; then
  fail "not both signatures verify"
fi
digests=$(sed -n 's/^Message digest algorithm  : //p' "$work/verify" | tr '\n' ' ')
[ "$digests" = "SHA1 SHA256 " ] || fail "digests are '$digests', not the SHA-1 primary and the nested SHA-256"
[ "$(grep -c '^Signature Index: 0  (Primary Signature)' "$work/verify")" = 1 ] || fail "no primary signature"
[ "$(grep -c "Subject: $subject\$" "$work/verify")" -ge 2 ] || fail "not both signed by $subject"
if [ -n "$tsa_ca" ]; then
  [ "$(grep -c '^Timestamp Server Signature verification: ok' "$work/verify")" = 2 ] ||
    fail "not both signatures carry a time stamp that verifies"
fi
echo "$exe: SHA-1 primary and nested SHA-256 signature by $subject${tsa_ca:+, both time-stamped}"
