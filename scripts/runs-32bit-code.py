#!/usr/bin/env python3
"""Tells whether this kernel runs 32-bit x86 programs itself.

IA32 emulation can be left out of a kernel, turned off at boot, or be missing from a virtual
machine's kernel; the kernel then refuses a 32-bit program with "Exec format error", or the 32-bit
code faults. The probe writes a minimal i386 program itself and runs it, so it needs no 32-bit
package. A kernel that hands 32-bit programs to a user-mode emulator (a binfmt_misc handler) counts
as one that runs none. scripts/wow64-root.sh asks it inside a user namespace whose binfmt_misc is
still empty, and registers qemu-i386 there when the answer is no.

Exit code: 0 it runs them; 1 it does not, for the reason on standard output's first line; 2 the probe
itself failed.
"""
import errno
import glob
import os
import struct
import subprocess
import sys
import tempfile

# An i386 executable's ELF header as binfmt_misc prints a handler's magic: class 32-bit, little
# endian, version 1, then e_type 2 (executable) and e_machine 3 (i386) at offset 16.
I386_MAGIC_START = "7f454c4601010100"
I386_TYPE_AND_MACHINE = "02000300"
PROBE_EXIT_CODE = 42
KERNEL_RUNS_NONE = "this kernel runs no 32-bit code"


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


def i386_exit_program(exit_code):
    """A static i386 ELF executable of one segment whose code is exit(exit_code) through int 0x80."""
    base = 0x08048000
    header_size, segment_header_size = 52, 32
    code = bytes([0x31, 0xDB,                    # xor ebx, ebx
                  0xB3, exit_code,               # mov bl, exit_code
                  0xB8, 0x01, 0x00, 0x00, 0x00,  # mov eax, 1 (exit)
                  0xCD, 0x80])                   # int 0x80
    size = header_size + segment_header_size + len(code)
    ident = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
    header = struct.pack("<16sHHIIIIIHHHHHH", ident, 2, 3, 1, base + header_size + segment_header_size,
                         header_size, 0, 0, header_size, segment_header_size, 1, 0, 0, 0)
    segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
    return header + segment + code


def kernel_refusal():
    """None where this kernel runs 32-bit code, else why it does not."""
    emulator = emulator_for_i386()
    if emulator:
        return "32-bit programs would run only through an emulator here: %s" % emulator
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "exit42")
        with open(path, "wb") as program:
            program.write(i386_exit_program(PROBE_EXIT_CODE))
        os.chmod(path, 0o700)
        try:
            result = subprocess.run([path], capture_output=True, timeout=30)
        except OSError as error:
            if error.errno == errno.ENOEXEC:
                return "the kernel refuses a 32-bit program: %s" % error
            raise
    if result.returncode < 0:
        return "a 32-bit program faults with signal %d" % -result.returncode
    if result.returncode != PROBE_EXIT_CODE:
        return "a 32-bit program ended with %d instead of %d" % (result.returncode, PROBE_EXIT_CODE)
    return None


def main():
    try:
        refusal = kernel_refusal()
    except (OSError, subprocess.SubprocessError) as error:
        print("the 32-bit probe itself failed: %s" % error, file=sys.stderr)
        return 2
    if refusal:
        print(KERNEL_RUNS_NONE)
        print(refusal)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
