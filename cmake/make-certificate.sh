#!/bin/sh
# make-certificate.sh SUBJECT OUT.pfx OUT.pass
# A self-signed code-signing certificate with common name SUBJECT, for development and tests only.
set -eu
subject=$1 pfx=$2 passfile=$3
dir=$(dirname "$pfx")
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 077
openssl rand -hex 16 > "$passfile"
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -sha256 \
  -subj "/CN=$subject/O=$subject" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -name "$subject" \
  -passout "file:$passfile" -out "$pfx"
