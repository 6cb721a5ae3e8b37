#!/usr/bin/env python3
"""damage-nested-signature.py IN OUT: copies a dual-signed file and changes one byte of the nested
signature's own signature value (near the end of the certificate table), leaving the file's content
and the primary signature as they were."""
import struct
import sys

data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
optional = pe + 24
magic = struct.unpack_from("<H", data, optional)[0]
directories = optional + (96 if magic == 0x10B else 112)
table, size = struct.unpack_from("<II", data, directories + 4 * 8)  # entry 4: the certificate table
if not table or not size:
    sys.exit("no certificate table")
length = struct.unpack_from("<I", data, table)[0]  # WIN_CERTIFICATE.dwLength, padding excluded
# The nested signature is the primary's last (unsigned) attribute, and its RSA value is its last
# field: a byte shortly before the end belongs to it.
data[table + length - 40] ^= 0x01
open(sys.argv[2], "wb").write(bytes(data))
