#!/bin/sh
# signing-test.sh CASE SOURCE_DIR INSTALLER UNSIGNED PFX PASSFILE
# The build's signatures, checked as a file (no Wine):
#   dual        INSTALLER carries a SHA-1 primary and a nested SHA-256 signature by the PFX's signer
#   damaged     a changed byte of content, or of the nested signature alone, fails the check
#   impostor    UNSIGNED signed with another certificate of the same subject text, whose chain is
#               trusted: the check refuses it, since the signer is not the PFX's certificate
#   timestamp   UNSIGNED signed by cmake/sign.sh with a time-stamping authority started here on the
#               loopback address: both signatures carry a time stamp that verifies
set -eu
case=$1 source=$2 installer=$3 unsigned=$4 pfx=$5 passfile=$6
check="$source/tests/signing/check-signatures.sh"
work=$(mktemp -d)
tsa_pid=""
cleanup() {
  [ -n "$tsa_pid" ] && kill "$tsa_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

case $case in
dual)
  "$check" "$installer" "$pfx" "$passfile"
  ;;
damaged)
  sh "$source/cmake/tamper.sh" "$installer" "$work/content.exe"
  python3 "$source/tests/signing/damage-nested-signature.py" "$installer" "$work/nested.exe"
  for damaged in content nested; do
    if "$check" "$work/$damaged.exe" "$pfx" "$passfile" >/dev/null 2>&1; then
      echo "a file with damaged $damaged passed the check" >&2
      exit 1
    fi
    echo "damaged $damaged: refused"
  done
  ;;
impostor)
  sh "$source/cmake/make-certificate.sh" "NOX RACING LIMITED" "$work/impostor.pfx" "$work/impostor.pass" >/dev/null 2>&1
  sh "$source/cmake/sign.sh" "$unsigned" "$work/impostor.exe" "$work/impostor.pfx" "$work/impostor.pass" >/dev/null
  openssl pkcs12 -in "$work/impostor.pfx" -passin "file:$work/impostor.pass" -nokeys -clcerts \
    -out "$work/impostor.pem" 2>/dev/null
  "$check" "$work/impostor.exe" "$work/impostor.pfx" "$work/impostor.pass" "" "$work/impostor.pem" >/dev/null ||
    { echo "the impostor's own signature does not verify" >&2; exit 1; }
  if "$check" "$work/impostor.exe" "$pfx" "$passfile" "" "$work/impostor.pem" >/dev/null 2>&1; then
    echo "a signature by another certificate with the maker's name passed the check" >&2
    exit 1
  fi
  echo "same name, other certificate: refused"
  ;;
timestamp)
  . "$source/tests/signing/local-tsa.sh"
  start_local_tsa "$source" "$work/tsa" || { echo "the local time-stamping authority did not start" >&2; exit 1; }
  NOX_SIGN_TIMESTAMP_URL=$tsa_url sh "$source/cmake/sign.sh" "$unsigned" "$work/stamped.exe" "$pfx" "$passfile"
  "$check" "$work/stamped.exe" "$pfx" "$passfile" "$tsa_ca_file"
  ;;
*)
  echo "unknown case $case" >&2
  exit 2
  ;;
esac
