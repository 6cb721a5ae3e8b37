#!/bin/sh
# Builds the test stand-ins for the driver vendor's components (none of them is the vendor's code) into
# OUTDIR, laid out as tests expect to find them:
#   OUTDIR/package/v2/      NxNtSp50.cat .inf .sys, ProtInstall.exe, W64N55.dll   (driver package, v2)
#   OUTDIR/package/direct/  NxNtSp50.SYS, NxNtMp50.SYS (64-bit), W32N55.DLL (32-bit) (older, direct install)
#   OUTDIR/package/direct/i386/  NxNtSp50.SYS, NxNtMp50.SYS (i386)                   (direct, 32-bit Windows)
#   OUTDIR/x64/ OUTDIR/x86/ W32N55.DLL                                             (NDIS library, both sizes)
#   OUTDIR/NxNtSp50-5.70.200.0.sys, OUTDIR/NxNtSp50-5.70.100.1.sys, OUTDIR/DriverServiceStandin.exe
# Usage: build-standins.sh OUTDIR
# Tools may be overridden with NOX_CXX64, NOX_CXX32, NOX_WINDRES64 and NOX_WINDRES32.
set -eu

if [ $# -ne 1 ]; then
    echo "Usage: $0 OUTDIR" >&2
    exit 2
fi

CXX64=${NOX_CXX64:-x86_64-w64-mingw32-g++-posix}
CXX32=${NOX_CXX32:-i686-w64-mingw32-g++-posix}
WINDRES64=${NOX_WINDRES64:-x86_64-w64-mingw32-windres}
WINDRES32=${NOX_WINDRES32:-i686-w64-mingw32-windres}
# A static runtime, so no stand-in needs a MinGW DLL beside it; no link time stamp, so that the
# installer that carries them builds byte for byte the same each time.
CXXFLAGS="-std=c++17 -Os -s -static -Wall -Wextra -Wl,--no-insert-timestamp"
# The linker would derive a DLL's base address from its (temporary, random) file name.
DLL_LINK_FLAGS="-Wl,--no-insert-timestamp -Wl,--disable-auto-image-base"

SOURCES=$(cd "$(dirname "$0")" && pwd)
OUTDIR=$1
mkdir -p "$OUTDIR/package/v2" "$OUTDIR/package/direct/i386" "$OUTDIR/x64" "$OUTDIR/x86"

# Everything is built here first and then renamed into place, so an interrupted build leaves no half
# file behind; being inside OUTDIR keeps the rename on one file system.
WORK=$(mktemp -d "$OUTDIR/.standins-build.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 1' HUP INT TERM

# place BUILT TARGET: moves a finished file to its place under OUTDIR.
place() {
    mv -f "$1" "$OUTDIR/$2"
}

# version_resource WINDRES OBJECT MAJOR MINOR BUILD REVISION [DESCRIPTION [FILETYPE]]
version_resource() {
    windres=$1 object=$2
    set -- "$3" "$4" "$5" "$6" "${7:-}" "${8:-}"
    "$windres" -O coff -o "$object" \
        -DVER_MAJOR="$1" -DVER_MINOR="$2" -DVER_BUILD="$3" -DVER_REVISION="$4" \
        ${5:+-DVER_DESCRIPTION="$5"} ${6:+-DVER_FILETYPE="$6"} \
        "$SOURCES/VersionResource.rc"
}

# driver_image NAME TARGET MAJOR MINOR BUILD REVISION [DESCRIPTION]: a 64-bit (AMD64) image holding nothing
# but a version resource, all the installer reads from a driver. Entry address 0 means no entry point, so
# even a loader that tried could run nothing. With image_bits=32 the image is i386, as a 32-bit kernel
# loads.
image_bits=64
driver_image() {
    name=$1 target=$2
    shift 2
    cxx=$CXX64 windres=$WINDRES64
    if [ "$image_bits" = 32 ]; then
        cxx=$CXX32 windres=$WINDRES32
    fi
    version_resource "$windres" "$WORK/$name.res.o" "$@"
    # shellcheck disable=SC2086 # DLL_LINK_FLAGS is split into its flags on purpose
    "$cxx" -Os -s -shared -nostdlib -Wl,-e,0 -Wl,--subsystem,native $DLL_LINK_FLAGS \
        -o "$WORK/$name" "$WORK/$name.res.o"
    place "$WORK/$name" "$target"
}

# ndis_library CXX WINDRES NAME TARGET: the NDIS library stand-in. Its .def file names the exports without
# stdcall decoration; --enable-stdcall-fixup lets the 32-bit linker bind them to the decorated symbols
# quietly, and --kill-at strips decoration from anything it would still publish.
ndis_library() {
    cxx=$1 windres=$2 name=$3 target=$4
    version_resource "$windres" "$WORK/$name.res.o" 5 70 100 0 "NDIS library stand-in" VFT_DLL
    # shellcheck disable=SC2086 # CXXFLAGS is split into its flags on purpose
    "$cxx" $CXXFLAGS $DLL_LINK_FLAGS -shared -Wl,--enable-stdcall-fixup,--kill-at -o "$WORK/$name" \
        "$SOURCES/NdisLibrary.cpp" "$SOURCES/NdisLibrary.def" "$WORK/$name.res.o"
    place "$WORK/$name" "$target"
}

# console_program NAME TARGET SOURCE: a 64-bit console program.
console_program() {
    # shellcheck disable=SC2086 # as above
    "$CXX64" $CXXFLAGS -o "$WORK/$1" "$SOURCES/$3"
    place "$WORK/$1" "$2"
}

# copy_text NAME TARGET: a text stand-in copied as it is.
copy_text() {
    cp "$SOURCES/$1" "$WORK/$1"
    place "$WORK/$1" "$2"
}

copy_text NxNtSp50.cat package/v2/NxNtSp50.cat
copy_text NxNtSp50.inf package/v2/NxNtSp50.inf
driver_image v2-NxNtSp50.sys package/v2/NxNtSp50.sys 5 70 100 0
console_program ProtInstall.exe package/v2/ProtInstall.exe ProtInstall.cpp
ndis_library "$CXX64" "$WINDRES64" W64N55.dll package/v2/W64N55.dll

driver_image direct-NxNtSp50.SYS package/direct/NxNtSp50.SYS 5 70 20 2 SPR
driver_image direct-NxNtMp50.SYS package/direct/NxNtMp50.SYS 5 70 20 2 MPR
image_bits=32
driver_image direct-i386-NxNtSp50.SYS package/direct/i386/NxNtSp50.SYS 5 70 20 2 SPR
driver_image direct-i386-NxNtMp50.SYS package/direct/i386/NxNtMp50.SYS 5 70 20 2 MPR
image_bits=64

driver_image NxNtSp50-5.70.200.0.sys NxNtSp50-5.70.200.0.sys 5 70 200 0
driver_image NxNtSp50-5.70.100.1.sys NxNtSp50-5.70.100.1.sys 5 70 100 1

ndis_library "$CXX64" "$WINDRES64" x64-W32N55.DLL x64/W32N55.DLL
ndis_library "$CXX32" "$WINDRES32" x86-W32N55.DLL x86/W32N55.DLL
# The direct package carries the library the shipped 32-bit installer loads.
cp "$OUTDIR/x86/W32N55.DLL" "$WORK/direct-W32N55.DLL"
place "$WORK/direct-W32N55.DLL" package/direct/W32N55.DLL

console_program DriverServiceStandin.exe DriverServiceStandin.exe DriverServiceStandin.cpp
