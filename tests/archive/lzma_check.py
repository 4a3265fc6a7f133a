#!/usr/bin/env python3
"""Outside check of the solid LZMA container: the probe packs a payload in several blocks,
and this script walks the container by its documented layout, decodes every block with
Python's lzma (FORMAT_ALONE, and FORMAT_RAW from the properties) and checks its CRC-32.
The other way round, a container whose blocks Python's lzma encoded (raw LZMA1, with an
end marker) decodes through the probe's decoding stream.

    lzma_check.py <host lzma_probe>
"""
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib
import lzma


def dos(path):
    return "Z:" + path.replace("/", "\\")


def payload():
    rnd = random.Random(5)
    text = b"".join(b"line %d of a text-like file, with words %d\r\n" % (i, i % 97) for i in range(40000))
    noise = rnd.randbytes(400000)
    code = bytes(rnd.randrange(256) for _ in range(60000)) * 6  # repeats far apart
    return text + noise + bytes(100000) + code + text[:300000]


def walk(buf):
    """The blocks of a container: (CRC, the "alone" stream) each; raises on bad layout."""
    sig, version, total, count = struct.unpack_from("<4sIQI", buf, 0)
    assert (sig, version) == (b"ZLZM", 1), (sig, version)
    pos, blocks, summed = 20, [], 0
    for _ in range(count):
        packed, crc = struct.unpack_from("<QI", buf, pos)
        alone = buf[pos + 12:pos + 12 + packed]
        assert len(alone) == packed >= 13
        summed += struct.unpack_from("<Q", alone, 5)[0]
        blocks.append((crc, alone))
        pos += 12 + packed
    assert pos == len(buf), "the container ends at %d, the file at %d" % (pos, len(buf))
    assert summed == total
    return total, blocks


def raw_filters(alone):
    props, dict_size = alone[0], struct.unpack_from("<I", alone, 1)[0]
    lc, rest = props % 9, props // 9
    return [{"id": lzma.FILTER_LZMA1, "lc": lc, "lp": rest % 5, "pb": rest // 5, "dict_size": dict_size}]


def main():
    probe = sys.argv[1]
    data = payload()
    failures = []
    with tempfile.TemporaryDirectory(prefix="zarn-lzmacheck.") as work:
        env = dict(os.environ, ZARN_WINDOWS_ROOT=os.path.join(work, "root"))

        def run(*args):
            r = subprocess.run([probe] + [str(a) for a in args], env=env, capture_output=True, text=True)
            if r.returncode != 0:
                failures.append("lzma_probe %s: %s%s" % (" ".join(map(str, args)), r.stdout, r.stderr))
            return r.returncode == 0

        src = os.path.join(work, "payload.bin")
        with open(src, "wb") as f:
            f.write(data)
        # One block, and blocks of 512 KB on two jobs.
        for name, extra in (("one", [4096, 9, 1]), ("blocks", [1024, 6, 2, 512])):
            out = os.path.join(work, name + ".zlz")
            if not run("pack", dos(src), dos(out), *extra):
                continue
            with open(out, "rb") as f:
                buf = f.read()
            try:
                total, blocks = walk(buf)
            except AssertionError as e:
                failures.append("%s: bad layout %s" % (name, e))
                continue
            joined = b""
            for i, (crc, alone) in enumerate(blocks):
                plain = lzma.decompress(alone, format=lzma.FORMAT_ALONE)
                raw = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=raw_filters(alone))
                if raw.decompress(alone[13:], max_length=len(plain)) != plain:
                    failures.append("%s: block %d decodes otherwise as raw LZMA" % (name, i))
                if zlib.crc32(plain) != crc:
                    failures.append("%s: block %d CRC" % (name, i))
                joined += plain
            if joined != data or total != len(data):
                failures.append("%s: the blocks do not join to the payload" % name)
            print("%s: %d blocks, %d -> %d bytes, decoded by Python's lzma" % (name, len(blocks), len(data), len(buf)))

        # Python's lzma encodes, the decoding stream reads.
        pieces = [data[:700000], data[700000:]]
        container = struct.pack("<4sIQI", b"ZLZM", 1, len(data), len(pieces))
        for piece in pieces:
            filters = [{"id": lzma.FILTER_LZMA1, "preset": 6, "dict_size": 1 << 20}]
            body = lzma.compress(piece, format=lzma.FORMAT_RAW, filters=filters)
            f = filters[0]
            props = (2 * 5 + 0) * 9 + 3  # pb 2, lp 0, lc 3: the preset's
            alone = struct.pack("<BIQ", props, f["dict_size"], len(piece)) + body
            container += struct.pack("<QI", len(alone), zlib.crc32(piece)) + alone
        foreign = os.path.join(work, "python.zlz")
        with open(foreign, "wb") as f:
            f.write(container)
        back = os.path.join(work, "back.bin")
        if run("unpack", dos(foreign), dos(back)):
            with open(back, "rb") as f:
                if f.read() != data:
                    failures.append("Python's blocks decode to other bytes")
            print("python: %d blocks read back by the decoding stream" % len(pieces))
    for f in failures:
        print(f)
    print("failed" if failures else "all blocks decode on both sides")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
