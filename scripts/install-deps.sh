#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, skipping what is already there.
# The 64-bit set comes first and on its own: everything but the shipped installer's own test runs
# needs only it. 32-bit Wine (wine32:i386) then goes beside it, so that a 64-bit prefix runs the
# shipped 32-bit installer under WoW64 as 64-bit Windows does, but only where this kernel runs 32-bit
# code at all. When that install fails, the reason is kept in build/wine32-unavailable.txt, which
# the probe (scripts/runs-32bit-code.py) reports in the test run's last lines.
set -eu
cd "$(dirname "$0")/.."
packages="cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb
  xdotool x11-utils imagemagick osslsigncode openssl python3 googletest procps tzdata fonts-wine clang
  libclang-rt-14-dev"
wine32_reason=build/wine32-unavailable.txt
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
updated=no
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  update_indexes
  updated=yes
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

mkdir -p build
if installed wine32:i386; then
  rm -f "$wine32_reason"
  exit 0
fi
# The probe needs no 32-bit package: it runs a tiny i386 program it writes itself.
if ! kernel=$(python3 scripts/runs-32bit-code.py --kernel-only); then
  echo "Not installing 32-bit Wine: $kernel"
  exit 0
fi
echo "Installing: wine32:i386"
log=$(mktemp)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  updated=no
fi
[ "$updated" = yes ] || update_indexes
if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends wine32:i386 >"$log" 2>&1; then
  rm -f "$wine32_reason"
else
  # apt's own words, the lines that say what it could not do.
  reason=$(grep -E '^(E:| [^ ].*: Depends:)' "$log" | head -n 4 | tr '\n' ' ' | sed 's/  */ /g; s/ $//')
  [ -n "$reason" ] || reason="apt-get install wine32:i386 failed: $(tail -n 1 "$log")"
  printf '%s\n' "$reason" >"$wine32_reason"
  echo "32-bit Wine could not be installed: $reason" >&2
  echo "The 32-bit tests will NOT run on this machine; the 64-bit ones will." >&2
fi
rm -f "$log"
