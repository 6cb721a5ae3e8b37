#!/bin/sh
# Sourced by the file tests: package NAME DRIVER_VERSION makes, under $work, a driver package of
# neutral files, each program file a PE image for the machine of its role, whose v2 driver carries a
# fixed file-version block with that version (major minor build revision), or none when the version
# is "none", and prints its folder. pe_file PATH MACHINE [VERSION] writes one such image (MACHINE
# AMD64 or i386).
pe_file() {
  python3 - "$1" "$2" "${3:-none}" <<'PY'
import struct, sys
path, machine, version = sys.argv[1], sys.argv[2], sys.argv[3]
header = bytearray(b"MZ vendor image ".ljust(0x40, b"\0"))
struct.pack_into("<I", header, 0x3C, 0x40)
data = bytes(header) + b"PE\0\0" + struct.pack("<H", {"AMD64": 0x8664, "i386": 0x014C}[machine]) + b" vendor file "
if version != "none":
    major, minor, build, revision = map(int, version.split("."))
    data += struct.pack("<IIII", 0xFEEF04BD, 0x10000, (major << 16) | minor, (build << 16) | revision)
open(path, "wb").write(data + b" end")
PY
}

package() {
  dir="$work/$1"
  mkdir -p "$dir/v2" "$dir/direct/i386"
  for file in v2/NxNtSp50.cat v2/NxNtSp50.inf; do
    echo "vendor file $file" >"$dir/$file"
  done
  for file in v2/ProtInstall.exe v2/W64N55.dll direct/NxNtSp50.SYS direct/NxNtMp50.SYS; do
    pe_file "$dir/$file" AMD64
  done
  for file in direct/i386/NxNtSp50.SYS direct/i386/NxNtMp50.SYS direct/W32N55.DLL; do
    pe_file "$dir/$file" i386
  done
  pe_file "$dir/v2/NxNtSp50.sys" AMD64 "$2"
  echo "$dir"
}
