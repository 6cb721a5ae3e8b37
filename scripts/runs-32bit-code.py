#!/usr/bin/env python3
"""Tells whether this kernel runs 32-bit x86 programs, as the 32-bit Wine needs.

IA32 emulation can be left out of a kernel, turned off at boot, or be missing from a virtual
machine's kernel; the kernel then refuses a 32-bit program with "Exec format error". The probe
starts the 32-bit Wine loader directly (a shell would take a binary the kernel refuses for a script
and run it as one). A kernel that hands 32-bit programs to a user-mode emulator (qemu through
binfmt_misc) counts as one that runs none: every Wine start takes a minute or more there.

Exit code: 0 runs them; 1 the kernel runs no 32-bit code (the reason on standard output);
2 anything else, which is a fault of the machine's set-up and not a reason to skip.
"""
import errno
import glob
import subprocess
import sys

WINE32_LOADER = "/usr/lib/wine/wine"
# An i386 executable's ELF header as binfmt_misc prints a handler's magic: class 32-bit, little
# endian, version 1, then e_type 2 (executable) and e_machine 3 (i386) at offset 16.
I386_MAGIC_START = "7f454c4601010100"
I386_TYPE_AND_MACHINE = "02000300"


def emulator_for_i386():
    for handler in glob.glob("/proc/sys/fs/binfmt_misc/*"):
        try:
            with open(handler) as entry:
                lines = entry.read().splitlines()
        except OSError:
            continue
        magic = next((line[len("magic "):] for line in lines if line.startswith("magic ")), "")
        if "enabled" in lines and magic.startswith(I386_MAGIC_START) and magic[32:40] == I386_TYPE_AND_MACHINE:
            return next((line[len("interpreter "):] for line in lines if line.startswith("interpreter ")), handler)
    return None


def main():
    emulator = emulator_for_i386()
    if emulator:
        print("32-bit programs would run only through an emulator here: %s" % emulator)
        return 1
    try:
        subprocess.run([WINE32_LOADER, "--version"], check=True, capture_output=True, timeout=60)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            print("the kernel refuses a 32-bit program: %s" % error)
            return 1
        print("32-bit Wine cannot start: %s" % error, file=sys.stderr)
        return 2
    except (subprocess.SubprocessError, ValueError) as error:
        print("32-bit Wine cannot start: %s" % error, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
