#!/usr/bin/env python3
"""check-driver-package.py DIR: refuses a driver package that is not the vendor's current one.

The package folder holds v2/NxNtSp50.cat .inf .sys, v2/ProtInstall.exe, v2/W64N55.dll and
direct/NxNtSp50.SYS, direct/NxNtMp50.SYS, direct/i386/NxNtSp50.SYS, direct/i386/NxNtMp50.SYS,
direct/W32N55.DLL. It is refused when a file is missing, when the v2 driver's file version is not
5.70.100.0, when a program file is not a PE image for the machine of its role (a kernel loads only
drivers of its own machine, a process only libraries of its own), or when any file says it is a
stand-in (the project's own test fixtures do, in their text or in their version resource). Prints
why and exits 1; exits 0 silently.
"""
import os
import struct
import sys

FILES = ["v2/NxNtSp50.cat", "v2/NxNtSp50.inf", "v2/NxNtSp50.sys", "v2/ProtInstall.exe", "v2/W64N55.dll",
         "direct/NxNtSp50.SYS", "direct/NxNtMp50.SYS", "direct/i386/NxNtSp50.SYS", "direct/i386/NxNtMp50.SYS",
         "direct/W32N55.DLL"]
AMD64, I386 = 0x8664, 0x014C
MACHINE_NAMES = {AMD64: "AMD64", I386: "i386"}
# The v2 package runs on 64-bit Windows only; the direct pair comes in both; the 32-bit installer
# loads W32N55.DLL into its own process.
MACHINES = {"v2/NxNtSp50.sys": AMD64, "v2/ProtInstall.exe": AMD64, "v2/W64N55.dll": AMD64,
            "direct/NxNtSp50.SYS": AMD64, "direct/NxNtMp50.SYS": AMD64,
            "direct/i386/NxNtSp50.SYS": I386, "direct/i386/NxNtMp50.SYS": I386, "direct/W32N55.DLL": I386}
CURRENT_DRIVER = (5, 70, 100, 0)
# VS_FIXEDFILEINFO begins with this signature, then the structure version and the file version as
# two 32-bit words (major.minor, build.revision).
FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
STANDIN_MARKERS = [b"stand-in", "stand-in".encode("utf-16-le")]


def file_version(data):
    at = data.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0 or at + 16 > len(data):
        return None
    most, least = struct.unpack_from("<II", data, at + 8)
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


def pe_machine(data):
    """The COFF header's machine field, or None when the data is no PE image."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    (at,) = struct.unpack_from("<I", data, 0x3C)
    if at + 6 > len(data) or data[at:at + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, at + 4)[0]


def machine_name(machine):
    if machine is None:
        return "no PE image"
    return MACHINE_NAMES.get(machine, "machine 0x%04X" % machine)


def problems(folder):
    found = []
    for relative in FILES:
        path = os.path.join(folder, relative)
        try:
            with open(path, "rb") as handle:
                data = handle.read()
        except OSError:
            found.append("%s is missing" % relative)
            continue
        lowered = data.lower()
        if any(marker in lowered for marker in STANDIN_MARKERS):
            found.append("%s says it is a stand-in, not the vendor's file" % relative)
        expected = MACHINES.get(relative)
        machine = pe_machine(data)
        if expected is not None and machine != expected:
            found.append("%s is %s, not %s" % (relative, machine_name(machine), MACHINE_NAMES[expected]))
        if relative == "v2/NxNtSp50.sys":
            version = file_version(data)
            if version != CURRENT_DRIVER:
                shown = ".".join(map(str, version)) if version else "no version"
                found.append("%s is %s, not the current driver 5.70.100.0" % (relative, shown))
    return found


def main():
    if len(sys.argv) != 2:
        print("usage: check-driver-package.py DIR", file=sys.stderr)
        return 2
    found = problems(sys.argv[1])
    for problem in found:
        print("%s: %s" % (sys.argv[1], problem))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
