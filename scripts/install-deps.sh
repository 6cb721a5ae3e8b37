#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, skipping what is already there.
# 32-bit Wine (wine32:i386) sits beside the 64-bit one, so that a 64-bit prefix runs the shipped
# 32-bit installer under WoW64, as 64-bit Windows does.
set -eu
packages="cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine32:i386 xvfb
  xdotool x11-utils imagemagick osslsigncode openssl python3 googletest procps tzdata fonts-wine clang
  libclang-rt-14-dev"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
