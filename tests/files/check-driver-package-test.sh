#!/bin/sh
# check-driver-package-test.sh SOURCE_DIR STANDIN_PACKAGE
# The driver package check refuses what is not the vendor's current package: a missing file, a v2
# driver of another version or none, a file that says it is a stand-in (in text or in UTF-16, as a
# version resource has it), a program file for another machine than its role's; it takes a package
# without those. Configuring a build with the
# project's own stand-in package stops.
set -eu
source=$1 standins=$2
check="python3 $source/cmake/check-driver-package.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

. "$(dirname "$0")/package-fixture.sh"

expect() {  # expect accepted|refused NAME DIR [TEXT]
  if $check "$3" >"$work/out" 2>&1; then result=accepted; else result=refused; fi
  if [ "$result" != "$1" ] || { [ -n "${4:-}" ] && ! grep -q "$4" "$work/out"; }; then
    echo "FAIL: $2: $result, expected $1 ${4:+($4)}"
    sed 's/^/  /' "$work/out"
    failures=$((failures + 1))
  else
    echo "$2: $result"
  fi
}

expect accepted "the current driver" "$(package current 5.70.100.0)"
expect refused "a newer driver" "$(package newer 5.70.100.1)" "is 5.70.100.1, not the current driver"
expect refused "an older driver" "$(package older 5.70.20.2)" "is 5.70.20.2, not the current driver"
expect refused "a driver without a version" "$(package none none)" "is no version"
dir=$(package marked 5.70.100.0)
echo "; Stand-in for tests" >"$dir/v2/NxNtSp50.inf"
expect refused "a text stand-in" "$dir" "v2/NxNtSp50.inf says it is a stand-in"
dir=$(package wide 5.70.100.0)
printf 'S\0t\0a\0n\0d\0-\0i\0n\0' >>"$dir/direct/NxNtMp50.SYS"
expect refused "a version resource that says stand-in" "$dir" "direct/NxNtMp50.SYS says it is a stand-in"
dir=$(package missing 5.70.100.0)
rm "$dir/v2/W64N55.dll"
expect refused "a missing file" "$dir" "v2/W64N55.dll is missing"
dir=$(package missing-library 5.70.100.0)
rm "$dir/direct/W32N55.DLL"
expect refused "a package without the direct installation's library" "$dir" "direct/W32N55.DLL is missing"
dir=$(package library-64 5.70.100.0)
pe_file "$dir/direct/W32N55.DLL" AMD64
expect refused "a 64-bit W32N55.DLL" "$dir" "direct/W32N55.DLL is AMD64, not i386"
dir=$(package driver-32 5.70.100.0)
pe_file "$dir/v2/NxNtSp50.sys" i386 5.70.100.0
expect refused "an i386 v2 driver" "$dir" "v2/NxNtSp50.sys is i386, not AMD64"
dir=$(package direct-pair-swapped 5.70.100.0)
pe_file "$dir/direct/i386/NxNtMp50.SYS" AMD64
pe_file "$dir/direct/NxNtSp50.SYS" i386
expect refused "the direct pairs' machines swapped" "$dir" "direct/i386/NxNtMp50.SYS is AMD64, not i386"
grep -q "direct/NxNtSp50.SYS is i386, not AMD64" "$work/out" || {
  echo "FAIL: the 64-bit direct driver of the wrong machine is not named"
  failures=$((failures + 1))
}
dir=$(package not-an-image 5.70.100.0)
echo "vendor file" >"$dir/v2/ProtInstall.exe"
expect refused "a protocol installer that is no PE image" "$dir" "v2/ProtInstall.exe is no PE image, not AMD64"
expect refused "the project's stand-ins" "$standins" "says it is a stand-in"

if cmake -S "$source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-i686-w64-mingw32.cmake" \
  -DNOX_DRIVER_PACKAGE_DIR="$standins" >"$work/configure" 2>&1; then
  echo "FAIL: configuring with the stand-in package went through"
  failures=$((failures + 1))
elif grep -q "is not the vendor's current driver package" "$work/configure"; then
  echo "configuring with the stand-in package: refused"
else
  echo "FAIL: configuring with the stand-in package stopped for another reason"
  sed 's/^/  /' "$work/configure"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
