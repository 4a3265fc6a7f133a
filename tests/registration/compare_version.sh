#!/usr/bin/env bash
# Cross-check of the version reader: the host build's verdump and the win32 build's
# verdump.exe (the real API, under Wine) must print the same for every test image and
# every PE file that comes with Wine.
#
#   compare_version.sh <host verdump> <test image folder> <win32 build folder>
#
# Exits 77 (skipped) when Wine or the win32 build is not there.
set -u
host_dump=$1
images=$2
win32_build=${ZARN_WIN32_BUILD:-$3}
win_dump=$win32_build/tools/verdump/verdump.exe

skip() { echo "skipped: $*"; exit 77; }
command -v wine >/dev/null 2>&1 || skip "wine is not installed"
[ -f "$win_dump" ] || skip "no $win_dump (build the win32 preset, or set ZARN_WIN32_BUILD)"
[ -x "$host_dump" ] || { echo "no host verdump at $host_dump"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-vercheck.XXXXXX")
# A prefix of its own, so that ending its wineserver cannot disturb anyone else.
export WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all
export ZARN_WINDOWS_ROOT=$work/root
cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT

# Every file to compare, one per line: the test images, then Wine's PE files.
list=$work/list
: >"$list"
ls "$images"/*.dll >>"$list" 2>/dev/null
for d in /usr/lib/wine/*-windows /usr/lib/*/wine/*-windows /usr/lib64/wine/*-windows; do
    [ -d "$d" ] && find "$d" -maxdepth 1 -type f | sort >>"$list"
done
count=$(wc -l <"$list")
[ "$count" -gt 0 ] || { echo "nothing to compare"; exit 1; }

# In batches: a Windows command line holds at most 32767 characters.
split -l 120 "$list" "$work/batch."
failed=0
for batch in "$work"/batch.*; do
    args=()
    while IFS= read -r f; do args+=("Z:${f//\//\\}"); done <"$batch"
    "$host_dump" -o "$batch.host" "${args[@]}" || { echo "host verdump failed"; failed=1; }
    out_win="Z:${batch//\//\\}.win"
    wine "$win_dump" -o "$out_win" "${args[@]}" >"$batch.log" 2>&1 </dev/null ||
        { echo "verdump.exe failed:"; cat "$batch.log"; failed=1; }
    if ! cmp -s "$batch.host" "$batch.win"; then
        echo "differences (< host reader, > Windows API under Wine):"
        diff "$batch.host" "$batch.win" | head -60
        failed=1
    fi
done
with_info=$(cat "$work"/batch.*.host 2>/dev/null | grep -c '^info=yes')
echo "compared $count files ($with_info with version information)"
exit $failed
