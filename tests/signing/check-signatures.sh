#!/bin/sh
# check-signatures.sh EXE PFX PASSFILE [TSA_CA [CA_FILE]]
# Passes when EXE carries exactly two Authenticode signatures by the certificate in PFX (the signer's
# SHA-256 fingerprint is the PFX certificate's), both verifying: the primary with a SHA-1 digest and a nested one with SHA-256. Given TSA_CA (the
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
# The signer of each signature is the certificate in PFX itself, by its SHA-256 fingerprint: a
# certificate that merely carries the same subject text is someone else's.
expected=$(openssl x509 -in "$work/signer.pem" -noout -fingerprint -sha256 | sed 's/^.*=//')
osslsigncode extract-signature -in "$exe" -out "$work/primary.der" >/dev/null 2>&1 ||
  fail "the signature cannot be extracted"
nested_at=$(openssl asn1parse -inform DER -in "$work/primary.der" |
  awk -F: '/:1.3.6.1.4.1.311.2.4.1/ { found = 1; next } found && /SEQUENCE/ { gsub(/ /, "", $1); print $1; exit }')
[ -n "$nested_at" ] || fail "no nested signature to extract"
openssl asn1parse -inform DER -in "$work/primary.der" -strparse "$nested_at" -noout -out "$work/nested.der" ||
  fail "the nested signature cannot be extracted"
# signer_fingerprint DER: the SHA-256 fingerprint of the certificate its signer information names.
signer_fingerprint() {
  serial=$(openssl pkcs7 -inform DER -in "$1" -print | sed -n '/signer_info:/,$ s/^ *serial: 0x//p' | head -n 1)
  openssl pkcs7 -inform DER -in "$1" -print_certs | awk -v dir="$work" '
    /BEGIN CERTIFICATE/ { n++; in_cert = 1 } in_cert { print > (dir "/cert" n ".pem") } /END CERTIFICATE/ { in_cert = 0 }'
  for cert in "$work"/cert*.pem; do
    if [ "$(openssl x509 -in "$cert" -noout -serial | sed 's/^serial=//')" = "$serial" ]; then
      openssl x509 -in "$cert" -noout -fingerprint -sha256 | sed 's/^.*=//'
    fi
  done
  rm -f "$work"/cert*.pem
}
for signature in primary nested; do
  [ "$(signer_fingerprint "$work/$signature.der")" = "$expected" ] ||
    fail "the $signature signature is not by the certificate in $pfx (SHA-256 $expected)"
done
if [ -n "$tsa_ca" ]; then
  [ "$(grep -c '^Timestamp Server Signature verification: ok' "$work/verify")" = 2 ] ||
    fail "not both signatures carry a time stamp that verifies"
fi
echo "$exe: SHA-1 primary and nested SHA-256 signature by $subject${tsa_ca:+, both time-stamped}"
