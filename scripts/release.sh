#!/bin/sh
# Builds the shipped 32-bit installer from a clean tree in a fresh build folder, signs it twice (SHA-1
# primary, nested SHA-256) and time-stamps both signatures, verifies the result with osslsigncode
# (signed by the certificate in the PKCS#12 file, by its SHA-256 fingerprint) and the shipped-file
# check, and writes into dist/: the installer, its SHA-256 sum and RELEASE.txt (version, commit,
# signer, digests, and every file of the driver package it carries with its SHA-256).
#
#   scripts/release.sh              the real release: needs NOX_DRIVER_PACKAGE_DIR (the vendor's
#                                   package; the build refuses the stand-ins and any other driver
#                                   version), NOX_SIGN_PKCS12 with NOX_SIGN_PASSWORD_FILE (a file only
#                                   its owner may read; or NOX_SIGN_PASSWORD, which goes into such a
#                                   file and not into the build's environment) and NOX_SIGN_TIMESTAMP_URL
#   scripts/release.sh --dry-run    the same with the development certificate, a time-stamping
#                                   authority started on the loopback address and, without
#                                   NOX_DRIVER_PACKAGE_DIR, the stand-in package; a tree with
#                                   uncommitted changes is allowed; RELEASE.txt says all of it
# Options: --dist DIR (default dist/; for a dry run dry-run/ in its build folder, never dist/),
# --build DIR (default build/release or build/release-dry-run). A dry run's installer is named
# NoxSetup-DRY-RUN-not-a-release.exe.
set -eu
# The password leaves the environment before any program starts, so that no child of this script,
# the build's included, ever sees it; it is written to an owner-only file further down.
password=${NOX_SIGN_PASSWORD:-}
unset NOX_SIGN_PASSWORD
cd "$(dirname "$0")/.."
root=$(pwd)

dry_run=no
dist=""
build=""
while [ $# -gt 0 ]; do
  case $1 in
  --dry-run) dry_run=yes ;;
  --dist) dist=$2; shift ;;
  --build) build=$2; shift ;;
  *) echo "usage: scripts/release.sh [--dry-run] [--dist DIR] [--build DIR]" >&2; exit 2 ;;
  esac
  shift
done
if [ -z "$build" ]; then
  build="$root/build/release"
  [ "$dry_run" = no ] || build="$build-dry-run"
fi
installer=NoxSetup.exe
if [ "$dry_run" = yes ]; then
  installer=NoxSetup-DRY-RUN-not-a-release.exe
  [ -n "$dist" ] || dist="$build/dry-run"
else
  [ -n "$dist" ] || dist="$root/dist"
fi

refuse() {
  echo "release: $1" >&2
  exit 1
}

# owner_only FILE WHAT: refuses a secret file that anyone but its owner may read or write.
owner_only() {
  [ -f "$1" ] || refuse "the $2 $1 does not exist"
  case $(stat -c %a "$1") in
  [0-7]00) ;;
  *) refuse "the $2 $1 may be read by others: chmod 600 it" ;;
  esac
}

if [ "$dry_run" = yes ]; then
  # A dry run carries stand-ins and a development signature: it never lands where releases go.
  [ "$(realpath -m "$dist")" != "$(realpath -m "$root/dist")" ] ||
    refuse "a dry run never writes to dist/, where releases go"
else
  [ -n "${NOX_DRIVER_PACKAGE_DIR:-}" ] ||
    refuse "NOX_DRIVER_PACKAGE_DIR names no driver package: a release carries the vendor's, never the stand-ins"
  [ -d "$NOX_DRIVER_PACKAGE_DIR" ] || refuse "the driver package $NOX_DRIVER_PACKAGE_DIR does not exist"
  problems=$(python3 cmake/check-driver-package.py "$NOX_DRIVER_PACKAGE_DIR") ||
    refuse "the driver package is not the vendor's current one:
$problems"
  [ -n "${NOX_SIGN_PKCS12:-}" ] || refuse "NOX_SIGN_PKCS12 names no certificate (or use --dry-run)"
  owner_only "$NOX_SIGN_PKCS12" "signing key file"
  [ -n "${NOX_SIGN_PASSWORD_FILE:-}$password" ] ||
    refuse "neither NOX_SIGN_PASSWORD_FILE nor NOX_SIGN_PASSWORD gives the certificate's password"
  [ -z "${NOX_SIGN_PASSWORD_FILE:-}" ] || owner_only "$NOX_SIGN_PASSWORD_FILE" "password file"
  [ -n "${NOX_SIGN_TIMESTAMP_URL:-}" ] || refuse "NOX_SIGN_TIMESTAMP_URL names no time-stamping authority"
fi

if commit=$(git rev-parse HEAD 2>/dev/null); then
  changes=$(git status --porcelain --untracked-files=normal)
  # Tools that stamp dates into what they make take the commit's time.
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
else
  [ "$dry_run" = yes ] || refuse "not a git checkout: a release names its commit"
  commit="unknown (not a git checkout)" changes=""
fi
if [ -n "$changes" ] && [ "$dry_run" = no ]; then
  refuse "the tree has uncommitted changes; a release is built from a clean tree"
fi

tsa_pid=""
work=$(mktemp -d)
cleanup() {
  [ -n "$tsa_pid" ] && kill "$tsa_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$dry_run" = yes ]; then
  # The development certificate the build makes, and a throw-away time-stamping authority.
  unset NOX_SIGN_PKCS12 NOX_SIGN_PASSWORD_FILE
  . "$root/tests/signing/local-tsa.sh"
  start_local_tsa "$root" "$work/tsa" || refuse "the local time-stamping authority did not start"
  NOX_SIGN_TIMESTAMP_URL=$tsa_url
  tsa_ca=$tsa_ca_file
  ca_file=""
else
  if [ -z "${NOX_SIGN_PASSWORD_FILE:-}" ]; then
    # The password goes into a file only this user may read (printf is the shell's own: no child).
    NOX_SIGN_PASSWORD_FILE="$work/password"
    (umask 077 && printf '%s' "$password" >"$NOX_SIGN_PASSWORD_FILE")
  fi
  # A certificate from a public CA, and that CA's time stamps: both checked against the system's CAs.
  tsa_ca=system
  ca_file=system
fi
export NOX_SIGN_TIMESTAMP_URL

scripts/install-deps.sh
[ "$dry_run" = yes ] || rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
  -DNOX_DRIVER_PACKAGE_DIR="${NOX_DRIVER_PACKAGE_DIR:-}" \
  -DNOX_SIGN_PKCS12="${NOX_SIGN_PKCS12:-}" -DNOX_SIGN_PASSWORD_FILE="${NOX_SIGN_PASSWORD_FILE:-}" \
  -DNOX_SIGN_TIMESTAMP_URL="$NOX_SIGN_TIMESTAMP_URL" >/dev/null || refuse "the build cannot be configured"

# The signed file is made afresh, so that it carries this run's time stamps.
rm -f "$build/NoxSetup.exe"
cmake --build "$build" --target NoxSetup -j "$(nproc)" >/dev/null

pfx=${NOX_SIGN_PKCS12:-$build/signing/maker-dev.pfx}
passfile=${NOX_SIGN_PASSWORD_FILE:-$build/signing/maker-dev.pass}
tests/signing/check-signatures.sh "$build/NoxSetup.exe" "$pfx" "$passfile" "$tsa_ca" "$ca_file" >/dev/null ||
  refuse "the signed installer does not verify"
tests/shipped/check-shipped-exe.sh "$build/NoxSetup.exe" i686-w64-mingw32-objdump \
  tests/shipped/newer-windows-imports.txt tests/shipped/imports.txt >/dev/null || refuse "the shipped-file check fails"
package=${NOX_DRIVER_PACKAGE_DIR:-$build/standins-out/package}

mkdir -p "$dist"
cp -f "$build/NoxSetup.exe" "$dist/$installer"
(cd "$dist" && sha256sum "$installer" >"$installer.sha256")

version=$(awk '/^#define NOX_VERSION_(MAJOR|MINOR|BUILD) / { v = v (v ? "." : "") $3 } END { print v }' app/Version.h)
osslsigncode verify -in "$dist/$installer" -ignore-timestamp >"$work/verify" 2>&1 || true
signer=$(sed -n 's/^[[:space:]]*Subject: //p' "$work/verify" | head -n 1)
digests=$(sed -n 's/^Calculated message digest : //p' "$work/verify" | tr -d ' ')
stamps=$(osslsigncode verify -in "$dist/$installer" -ignore-timestamp 2>/dev/null |
  sed -n 's/^[[:space:]]*Timestamp time: //p' | paste -sd ';' | sed 's/;/, /g')
{
  echo "NoxSetup $version$([ "$dry_run" = yes ] && echo ' - DRY RUN, development certificate, local time stamps')"
  echo "Commit:    $commit$([ -n "$changes" ] && echo ' (with uncommitted changes)')"
  echo "Signer:    $signer"
  echo "Signature: SHA-1 primary, file digest $(echo "$digests" | sed -n 1p)"
  echo "Signature: SHA-256 nested, file digest $(echo "$digests" | sed -n 2p)"
  echo "Stamped:   ${stamps:-no time stamp shown}"
  echo "SHA-256:   $(cut -d' ' -f1 "$dist/$installer.sha256")  $installer"
  if [ -n "${NOX_DRIVER_PACKAGE_DIR:-}" ]; then
    echo "Driver package, the vendor's, from $NOX_DRIVER_PACKAGE_DIR:"
  else
    echo "Driver package: the project's STAND-INS (dry run), not the vendor's:"
  fi
  for file in v2/NxNtSp50.cat v2/NxNtSp50.inf v2/NxNtSp50.sys v2/ProtInstall.exe v2/W64N55.dll \
    direct/NxNtSp50.SYS direct/NxNtMp50.SYS direct/i386/NxNtSp50.SYS direct/i386/NxNtMp50.SYS \
    direct/W32N55.DLL; do
    echo "Package:   $(sha256sum "$package/$file" | cut -d' ' -f1)  $file"
  done
} >"$dist/RELEASE.txt"
cat "$dist/RELEASE.txt"
