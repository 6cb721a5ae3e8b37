#!/bin/sh
# Configures and builds both installers: build/i686 (shipped) and build/x86_64 (runs under 64-bit Wine).
set -eu
cd "$(dirname "$0")/.."
for arch in i686 x86_64; do
  cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
  cmake --build "build/$arch" -j "$(nproc)"
done
