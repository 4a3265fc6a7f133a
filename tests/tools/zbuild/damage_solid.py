#!/usr/bin/env python3
"""Damages the LZMA data of a solid setup program so that only the container's block
CRCs can tell: one byte in the middle of the first block's range-coded data is changed,
and the package header's CRC is computed again over the changed bytes.

    damage_solid.py <setup.exe> <damaged.exe>
"""
import struct
import sys
import zlib


def main():
    data = bytearray(open(sys.argv[1], "rb").read())
    # The payload starts where the image's last section ends.
    (pe,) = struct.unpack_from("<I", data, 60)
    (sections,) = struct.unpack_from("<H", data, pe + 6)
    (optional,) = struct.unpack_from("<H", data, pe + 20)
    start = 0
    for i in range(sections):
        raw_size, raw_pos = struct.unpack_from("<II", data, pe + 24 + optional + 40 * i + 16)
        if raw_size:
            start = max(start, raw_pos + raw_size)
    if data[start:start + 8] != b"ZARNPKG\x1a":
        sys.exit("no payload")
    (hsize, _version, compression, _r, doff, dsize, aoff, asize, _psize) = struct.unpack_from("<9I", data, start + 8)
    if compression != 1:
        sys.exit("not a solid payload")
    container = start + aoff
    if data[container:container + 4] != b"ZLZM":
        sys.exit("no container")
    (packed,) = struct.unpack_from("<Q", data, container + 20)
    lzma_data = container + 20 + 12 + 13
    # A byte in the middle of the range-coded data: the decoder still runs, to other bytes.
    data[lzma_data + packed // 2] ^= 0x55
    crc = zlib.crc32(bytes(data[start:start + 44]))
    ioff = isize = 0
    if hsize >= 56:
        crc = zlib.crc32(bytes(data[start + 48:start + 56]), crc)
        (ioff, isize) = struct.unpack_from("<II", data, start + 48)
    crc = zlib.crc32(bytes(data[start + doff:start + doff + dsize]), crc)
    crc = zlib.crc32(bytes(data[start + aoff:start + aoff + asize]), crc)
    crc = zlib.crc32(bytes(data[start + ioff:start + ioff + isize]), crc)
    struct.pack_into("<I", data, start + 44, crc)
    open(sys.argv[2], "wb").write(data)


if __name__ == "__main__":
    main()
