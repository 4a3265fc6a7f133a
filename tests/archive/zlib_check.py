#!/usr/bin/env python3
"""Outside check of the archives the engine writes: the host build's archive_probe packs
a set of files, and this script walks the header chain by the format's layout and
decodes every file's data range with Python's own zlib, comparing it with the original.

    zlib_check.py <host archive_probe>
"""
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib


def dos(path):
    return "Z:" + path.replace("/", "\\")


def walk(archive, files, shared):
    """Follows the header chain by its offsets and decodes every file's data range."""
    with open(archive, "rb") as f:
        buf = f.read()
    count, multidisk = struct.unpack_from("<iB", buf, 0)
    failures = []
    if (count, multidisk) != (len(files), 0):
        failures.append("preamble %r" % ((count, multidisk),))
    pos = 5
    for i in range(count):
        rec = buf[pos:pos + 164]
        (number, _date, _last_disk, last_byte) = struct.unpack_from("<idBxxxi", rec, 0)
        name = rec[21:21 + rec[20]].decode("latin-1")
        next_header, file_size, data_start, compressed = struct.unpack_from("<iiii", rec, 124)
        host = name[2:].replace("\\", "/")
        data = buf[data_start:last_byte + 1]
        expect = files.get(os.path.basename(host))
        own = data_start == pos + 164 and next_header == last_byte + 1
        # A shared range lies before the record, with the record followed by the next.
        borrowed = shared and data_start + compressed <= pos and next_header == pos + 164
        if number != i + 1 or not (own or borrowed):
            failures.append("%s: number %d, data at %d, next %d" % (name, number, data_start, next_header))
        if compressed != len(data) or file_size != len(expect):
            failures.append("%s: sizes %d/%d" % (name, file_size, compressed))
        try:
            decoded = zlib.decompress(data)
        except zlib.error as e:
            failures.append("%s: %s" % (name, e))
            decoded = None
        if decoded is not None and decoded != expect:
            failures.append("%s: decodes to other bytes" % name)
        pos = next_header
    if pos != len(buf):
        failures.append("the chain ends at %d, the archive at %d" % (pos, len(buf)))
    return failures


def main():
    probe = sys.argv[1]
    rnd = random.Random(11)
    with tempfile.TemporaryDirectory(prefix="zarn-zlibcheck.") as work:
        env = dict(os.environ, ZARN_WINDOWS_ROOT=os.path.join(work, "root"))
        files = {
            "text.txt": b"".join(b"line %d of a text-like file\r\n" % i for i in range(20000)),
            "noise.bin": rnd.randbytes(300000),
            "empty.dat": b"",
            "mixed.bin": bytes(70000) + rnd.randbytes(5000) + b"abc" * 40000,
            "one.txt": b"x",
        }
        # Duplicates, stored once by the share pass.
        files["copy of text.txt"] = files["text.txt"]
        files["noise again.bin"] = files["noise.bin"]
        paths = []
        for name, data in files.items():
            p = os.path.join(work, name)
            with open(p, "wb") as f:
                f.write(data)
            paths.append(p)
        archive = os.path.join(work, "check.arc")
        run = subprocess.run([probe, "pack", dos(archive)] + [dos(p) for p in paths], env=env,
                             capture_output=True, text=True)
        if run.returncode != 0:
            print("archive_probe failed:", run.stdout, run.stderr)
            return 1

        failures = walk(archive, files, shared=False)
        # The same files, identical ones stored once: every record still decodes.
        shared = os.path.join(work, "shared.arc")
        run = subprocess.run([probe, "share", dos(archive), dos(shared)], env=env, capture_output=True, text=True)
        if run.returncode != 0 or not run.stdout.startswith("2 shared"):
            failures.append("archive_probe share: %s %s" % (run.stdout, run.stderr))
        else:
            failures += ["shared: " + f for f in walk(shared, files, shared=True)]
            if os.path.getsize(shared) >= os.path.getsize(archive):
                failures.append("the shared archive is no smaller")
            # And the engine reads it back too.
            out = os.path.join(work, "out")
            run = subprocess.run([probe, "unpack", dos(shared), dos(out)], env=env, capture_output=True, text=True)
            for name, data in files.items():
                p = os.path.join(out, name)
                if run.returncode != 0 or not os.path.exists(p) or open(p, "rb").read() != data:
                    failures.append("engine: %s %s %s" % (name, run.stdout, run.stderr))
        count = len(files)
        for f in failures:
            print(f)
        print("checked %d files: %s" % (count, "failed" if failures else "all decode to their originals"))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
