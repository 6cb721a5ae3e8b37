#!/bin/sh
# Sourced by the file tests: package NAME DRIVER_VERSION makes, under $work, a driver package of
# neutral files whose v2 driver carries a fixed file-version block with that version (major minor
# build revision), or none when the version is "none", and prints its folder.
package() {
  dir="$work/$1"
  mkdir -p "$dir/v2" "$dir/direct"
  for file in v2/NxNtSp50.cat v2/NxNtSp50.inf v2/ProtInstall.exe v2/W64N55.dll direct/NxNtSp50.SYS \
    direct/NxNtMp50.SYS direct/W32N55.DLL; do
    echo "vendor file $file" >"$dir/$file"
  done
  python3 - "$dir/v2/NxNtSp50.sys" "$2" <<'PY'
import struct, sys
path, version = sys.argv[1], sys.argv[2]
data = b"MZ vendor driver "
if version != "none":
    major, minor, build, revision = map(int, version.split("."))
    data += struct.pack("<IIII", 0xFEEF04BD, 0x10000, (major << 16) | minor, (build << 16) | revision)
open(path, "wb").write(data + b" end")
PY
  echo "$dir"
}

