#!/usr/bin/env python3
"""Outside check of zarc's parallel compression: the host build's zarc packs the same
files with --jobs 1, 2 and 3; Python's own zlib decodes every file's data range of the
archives made with more than one job (walking the header chain by the format's layout),
and those archives are at most 1 % larger than the one made with one job.

    zarc_zlib_check.py <host zarc>
"""
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib


def walk(buf):
    count, multidisk = struct.unpack_from("<iB", buf, 0)
    pos = 5
    for _ in range(count):
        rec = buf[pos:pos + 164]
        last_byte = struct.unpack_from("<i", rec, 16)[0]
        name = rec[21:21 + rec[20]].decode("latin-1")
        next_header, file_size, data_start, compressed = struct.unpack_from("<iiii", rec, 124)
        yield name, file_size, compressed, buf[data_start:last_byte + 1]
        pos = next_header


def main():
    zarc = sys.argv[1]
    rnd = random.Random(5)
    words = [b"archive ", b"header ", b"stream ", b"disk ", b"install ", b"file\r\n", b"of ", b"the "]
    files = {
        "text.txt": b"".join(rnd.choice(words) for _ in range(600000)),
        "noise.bin": rnd.randbytes(1500000),
        "mixed.bin": bytes(300000) + rnd.randbytes(200000) + b"".join(b"row %d;" % i for i in range(150000)),
        "records.dat": b"".join(struct.pack("<IIII", i, i % 251, (i * 7) % 4096, 0x400000 + i) for i in range(120000)),
        "small.txt": b"just a little",
        "empty.dat": b"",
    }
    failures = []
    with tempfile.TemporaryDirectory(prefix="zarn-zarccheck.") as work:
        env = dict(os.environ, ZARN_WINDOWS_ROOT=os.path.join(work, "root"))
        src = os.path.join(work, "files")
        os.mkdir(src)
        for name, data in files.items():
            with open(os.path.join(src, name), "wb") as f:
                f.write(data)
        sizes = {}
        for jobs in (1, 2, 3):
            archive = os.path.join(work, "j%d.arc" % jobs)
            run = subprocess.run([zarc, "create", archive, "--as", "C:\\CHECK", src, "--jobs", str(jobs), "-q"],
                                 env=env, capture_output=True, text=True)
            if run.returncode != 0:
                print("zarc --jobs %d failed:" % jobs, run.stdout, run.stderr)
                return 1
            with open(archive, "rb") as f:
                buf = f.read()
            sizes[jobs] = len(buf)
            seen = 0
            for name, file_size, compressed, data in walk(buf):
                seen += 1
                expect = files.get(name.rsplit("\\", 1)[-1])
                if expect is None or file_size != len(expect) or compressed != len(data):
                    failures.append("--jobs %d: %s: header does not match" % (jobs, name))
                    continue
                try:
                    decoded = zlib.decompress(data)
                except zlib.error as e:
                    failures.append("--jobs %d: %s: %s" % (jobs, name, e))
                    continue
                if decoded != expect:
                    failures.append("--jobs %d: %s decodes to other bytes" % (jobs, name))
            if seen != len(files):
                failures.append("--jobs %d: %d files in the archive" % (jobs, seen))
        for jobs in (2, 3):
            growth = sizes[jobs] / sizes[1] - 1
            print("--jobs %d: %d bytes, %+.3f %% against --jobs 1 (%d bytes)" % (jobs, sizes[jobs], growth * 100,
                                                                                sizes[1]))
            if growth > 0.01:
                failures.append("--jobs %d is %.2f %% larger than --jobs 1" % (jobs, growth * 100))
    for f in failures:
        print(f)
    print("every stream decodes with Python's zlib" if not failures else "failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
