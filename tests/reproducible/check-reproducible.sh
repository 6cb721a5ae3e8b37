#!/bin/sh
# check-reproducible.sh SOURCE_DIR INSTALLER OTHER_TREE
# Builds the unsigned 32-bit installer from SOURCE_DIR once more, in OTHER_TREE (another folder,
# another time), and passes when the result is byte for byte INSTALLER.
set -eu
source=$1 installer=$2 other=$3
cmake -S "$source" -B "$other" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
cmake --build "$other" --target NoxSetupUnsigned -j "$(nproc)" >/dev/null
if cmp "$installer" "$other/NoxSetup-unsigned.exe"; then
  echo "$installer and $other/NoxSetup-unsigned.exe are identical ($(stat -c %s "$installer") bytes)"
else
  cmp -l "$installer" "$other/NoxSetup-unsigned.exe" | head -n 20 >&2
  exit 1
fi
