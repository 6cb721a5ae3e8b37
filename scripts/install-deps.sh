#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, skipping what is already there,
# and makes the WoW64 root (scripts/wow64-root.sh) in which the shipped 32-bit installer and its tests
# run: 64-bit and 32-bit Wine from one package index, in a cache folder outside the checkout. The
# host gets 64-bit packages only; its package architectures are never changed. When the root cannot
# be made, the reason is kept in build/wow64-root-unavailable.txt, and the test run's last lines
# say it.
set -eu
cd "$(dirname "$0")/.."
packages="cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb
  xdotool x11-utils imagemagick osslsigncode openssl python3 googletest procps tzdata fonts-wine clang
  libclang-rt-14-dev debootstrap util-linux"
root_reason=build/wow64-root-unavailable.txt
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# A mirror in the middle of a sync answers one index with the wrong size; a later try usually gets a
# whole one. An index that still fails leaves apt with the lists it had, which is enough for most
# packages: the install after it says so when it is not.
update_indexes() {
  for pause in 5 10 20 0; do
    if $sudo apt-get update -qq; then
      return 0
    fi
    [ "$pause" -eq 0 ] || { echo "apt-get update failed; trying again in $pause s" >&2; sleep "$pause"; }
  done
  echo "apt-get update still fails for some indexes; installing from the lists apt has" >&2
}

missing=""
for p in $packages; do
  installed "$p" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  update_indexes
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

mkdir -p build
rm -f build/wine32-unavailable.txt
if reason=$(scripts/wow64-root.sh ensure); then
  rm -f "$root_reason"
else
  reason=$(echo "$reason" | head -n 1)
  printf '%s\n' "$reason" >"$root_reason"
  echo "$reason" >&2
  echo "The 32-bit tests will NOT run on this machine; the 64-bit ones will." >&2
fi
