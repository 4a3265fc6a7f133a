#!/usr/bin/env bash
# Cross-check of the archive engine: the host build's archive_probe and the win32 build's
# archive_probe.exe (under Wine) pack the same files with the same stamps into archives
# that must be byte-identical, and each build extracts the other's archive to the
# original bytes and stamps.
#
#   crosscheck_archive.sh <host archive_probe> <win32 build folder> [version image folder]
#
# Exits 77 (skipped) when Wine or the win32 build is not there.
set -u
host_probe=$1
win32_build=${ZARN_WIN32_BUILD:-$2}
images=${3:-}
win_probe=$win32_build/tests/archive/archive_probe.exe

skip() { echo "skipped: $*"; exit 77; }
command -v wine >/dev/null 2>&1 || skip "wine is not installed"
[ -f "$win_probe" ] || skip "no $win_probe (build the win32 preset, or set ZARN_WIN32_BUILD)"
[ -x "$host_probe" ] || { echo "no host archive_probe at $host_probe"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-arccheck.XXXXXX")
export WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all
export ZARN_WINDOWS_ROOT=$work/root
# Both sides turn stamps into local date-times; Wine takes its time zone from TZ. A zone
# away from UTC, in winter, so the conversion is really exercised.
export TZ=Europe/Berlin
cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT
dos() { local p=$1; echo "Z:${p//\//\\}"; }

mkdir -p "$work/files" "$work/host-out" "$work/win-out"
f=$work/files
python3 -c 'import sys; sys.stdout.buffer.write(b"".join(b"row %d, text-like\r\n" % i for i in range(30000)))' >"$f/text.txt" 2>/dev/null ||
    seq 1 30000 | sed 's/$/, text-like/' >"$f/text.txt"
head -c 200000 /dev/urandom >"$f/noise.bin"
: >"$f/empty.dat"
[ -n "$images" ] && [ -f "$images/selfreg.dll" ] && cp "$images/selfreg.dll" "$f/SELFREG.DLL"
touch -d "2003-01-05 06:07:08" "$f"/*
names=()
for p in "$f"/*; do names+=("$(dos "$p")"); done

failed=0
"$host_probe" pack "$(dos "$work/host.arc")" "${names[@]}" >"$work/host-pack.log" 2>&1 ||
    { echo "host pack failed:"; cat "$work/host-pack.log"; failed=1; }
wine "$win_probe" pack "$(dos "$work/win.arc")" "${names[@]}" >"$work/win-pack.log" 2>&1 </dev/null ||
    { echo "win32 pack failed:"; cat "$work/win-pack.log"; failed=1; }
if ! cmp "$work/host.arc" "$work/win.arc"; then
    echo "the archives differ (host, then win32 listing):"
    "$host_probe" list "$(dos "$work/host.arc")"
    "$host_probe" list "$(dos "$work/win.arc")"
    failed=1
fi

"$host_probe" unpack "$(dos "$work/win.arc")" "$(dos "$work/host-out")" >"$work/host-unpack.log" 2>&1 ||
    { echo "host unpack failed:"; cat "$work/host-unpack.log"; failed=1; }
wine "$win_probe" unpack "$(dos "$work/host.arc")" "$(dos "$work/win-out")" >"$work/win-unpack.log" 2>&1 </dev/null ||
    { echo "win32 unpack failed:"; cat "$work/win-unpack.log"; failed=1; }
for p in "$f"/*; do
    n=$(basename "$p")
    for side in host-out win-out; do
        if ! cmp -s "$p" "$work/$side/$n"; then echo "$side/$n differs from the original"; failed=1; fi
        if [ "$(stat -c %Y "$p")" != "$(stat -c %Y "$work/$side/$n" 2>/dev/null)" ]; then
            echo "$side/$n: stamp $(stat -c %y "$work/$side/$n" 2>/dev/null), original $(stat -c %y "$p")"
            failed=1
        fi
    done
done
"$host_probe" list "$(dos "$work/host.arc")"
[ $failed -eq 0 ] && echo "host and win32 archives are identical and extract on both sides"
exit $failed
