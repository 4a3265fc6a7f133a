#!/usr/bin/env bash
# zarc as programs: the host build's zarc and the win32 build's zarc.exe under Wine read
# each other's archives and multi-disk sets (list, test, extract), write the same bytes
# with one job, give exit code 2 for a wrong command line, and Ctrl+C (SIGINT) stops the
# host program cleanly, leaving the old archive.
#
#   zarc_crosscheck.sh <host zarc> <win32 build folder>
#
# The Wine part is skipped (the rest still runs) when Wine or zarc.exe is not there.
set -u
zarc=$1
win32_build=${ZARN_WIN32_BUILD:-$2}
# The shipped program when the shipped build is there, else the one of the test build.
exe=$win32_build/shipped/tools/zarc/zarc.exe
[ -f "$exe" ] || exe=$win32_build/tools/zarc/zarc.exe
[ -x "$zarc" ] || { echo "no host zarc at $zarc"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-zarccross.XXXXXX")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ZARN_WINDOWS_ROOT=$work/root
export TZ=Europe/Berlin
have_wine=1
command -v wine >/dev/null 2>&1 || { echo "no wine: the Windows part is skipped"; have_wine=0; }
[ -f "$exe" ] || { echo "no $exe: the Windows part is skipped"; have_wine=0; }
cleanup() {
    [ $have_wine -eq 1 ] && wineserver -k >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
dos() { local p=$1; echo "Z:${p//\//\\}"; }
failed=0
fail() { echo "FAILED: $*"; failed=1; }
# win <log> <args...>: zarc.exe under Wine, output to a file, standard input from $win_in.
win_in=/dev/null
win() { local log=$1; shift; wine "$exe" "$@" >"$log" 2>&1 <"$win_in"; }
same_tree() {  # same_tree <original folder> <extracted folder> <what>
    local f
    for f in $(cd "$1" && find . -type f | sort); do
        cmp -s "$1/$f" "$2/$f" || { fail "$3: $f differs"; continue; }
        [ "$(stat -c %Y "$1/$f")" = "$(stat -c %Y "$2/$f")" ] || fail "$3: $f has another stamp"
    done
}

f=$work/files
mkdir -p "$f/sub"
seq 1 60000 | sed 's/$/, a line of text/' >"$f/text.txt"
head -c 700000 /dev/urandom >"$f/sub/noise.bin"
: >"$f/empty.dat"
echo small >"$f/sub/small.txt"
touch -d "2003-01-05 06:07:08" "$f"/* "$f"/sub/*

# ---- exit codes and help of the real program
"$zarc" >"$work/o" 2>&1; [ $? -eq 2 ] || fail "zarc without a command does not exit with 2"
"$zarc" list "$work/none.arc" >"$work/o" 2>&1; [ $? -eq 1 ] || fail "zarc list of a missing archive does not exit with 1"
"$zarc" extract --help >"$work/o" 2>&1 && grep -q "usage: zarc extract" "$work/o" || fail "zarc extract --help"

# ---- Ctrl+C: the host program stops at the next block and leaves the old archive
"$zarc" create "$work/old.arc" "$f/sub/small.txt" -q || fail "zarc create of the old archive"
cp "$work/old.arc" "$work/old.copy"
python3 -c 'import sys,random; r=random.Random(1); w=[b"abc ",b"install ",b"disk ",b"x\n"]; sys.stdout.buffer.write(b"".join(r.choice(w) for _ in range(6000000)))' >"$work/big.txt"
"$zarc" create "$work/old.arc" "$f/sub/small.txt" "$work/big.txt" --jobs 1 --level max >"$work/int.log" 2>&1 &
pid=$!
for _ in $(seq 1 200); do grep -q "added" "$work/int.log" && break; sleep 0.05; done
kill -INT $pid
wait $pid
rc=$?
[ $rc -eq 1 ] || fail "zarc after SIGINT exits with $rc"
grep -q "zarc: stopped;" "$work/int.log" || { fail "no 'stopped' message"; cat "$work/int.log"; }
cmp -s "$work/old.arc" "$work/old.copy" || fail "the old archive was changed"
ls "$work"/zrc*.tmp >/dev/null 2>&1 && fail "a temporary file was left"
rm -f "$work/big.txt"

# ---- host archive and set, read by the Windows program
"$zarc" create "$work/host.arc" --as 'C:\CROSS' "$f" --jobs 1 -q || fail "host create"
"$zarc" create "$work/hostset/game.arc" --as 'C:\CROSS' "$f" --disk-size 200K --jobs 2 -q || fail "host create of a set"
"$zarc" list "$work/hostset/game.arc" >"$work/hostset.list" || fail "host list of its set"
grep -q "4 files on 5 disks" "$work/hostset.list" || { fail "the host set is not 5 disks"; cat "$work/hostset.list"; }
if [ $have_wine -eq 1 ]; then
    win "$work/w-list.log" list "$(dos "$work/host.arc")" || fail "zarc.exe list of the host archive"
    grep -q 'C:\\CROSS\\sub\\noise.bin' "$work/w-list.log" || { fail "zarc.exe list"; cat "$work/w-list.log"; }
    win "$work/w-test.log" test "$(dos "$work/host.arc")" || { fail "zarc.exe test"; cat "$work/w-test.log"; }
    win "$work/w-x.log" extract "$(dos "$work/host.arc")" -d "$(dos "$work/w-out")" ||
        { fail "zarc.exe extract"; cat "$work/w-x.log"; }
    same_tree "$f" "$work/w-out" "zarc.exe extract of the host archive"
    # The set with disk 2 moved away: the folder is the answer to the question (disk 3 is
    # found where disk 1 was, without asking).
    mkdir -p "$work/moved" && mv "$work/hostset/game.2" "$work/moved/"
    dos "$work/moved" >"$work/answer"
    win_in=$work/answer win "$work/w-xs.log" extract "$(dos "$work/hostset/game.arc")" -d "$(dos "$work/w-set")" ||
        { fail "zarc.exe extract of the host set"; cat "$work/w-xs.log"; }
    grep -q "disk 2 (game.2) is not in" "$work/w-xs.log" || fail "zarc.exe did not ask for disk 2"
    same_tree "$f" "$work/w-set" "zarc.exe extract of the host set"

    # ---- Windows archive and set, read by the host program; one job writes the same bytes
    win "$work/w-c.log" create "$(dos "$work/win.arc")" --as 'C:\CROSS' "$(dos "$f")" --jobs 1 -q ||
        { fail "zarc.exe create"; cat "$work/w-c.log"; }
    cmp -s "$work/host.arc" "$work/win.arc" || fail "host and Windows archives of one job differ"
    win "$work/w-c2.log" create "$(dos "$work/win2.arc")" --as 'C:\CROSS' "$(dos "$f")" --jobs 2 -q ||
        { fail "zarc.exe create --jobs 2"; cat "$work/w-c2.log"; }
    win "$work/w-cs.log" create "$(dos "$work/winset/game.arc")" --as 'C:\CROSS' "$(dos "$f")" --disk-size 200K -q ||
        { fail "zarc.exe create of a set"; cat "$work/w-cs.log"; }
    for a in win2.arc winset/game.arc; do
        "$zarc" test "$work/$a" -q || fail "host test of the Windows $a"
        "$zarc" extract "$work/$a" -d "$work/h-out-${a%%/*}" -q || fail "host extract of the Windows $a"
        same_tree "$f" "$work/h-out-${a%%/*}" "host extract of the Windows $a"
    done
    win "$work/w-bad.log" create "$(dos "$work/x.arc")"
    [ $? -eq 2 ] || fail "zarc.exe with nothing to add does not exit with 2"
    # Damaged archives: the engine's exceptions travel up through the library to the
    # program's message and exit code 1 (the shipped program's unwind tables carry them).
    head -c 100 "$work/host.arc" >"$work/cut.arc"
    win "$work/w-cut.log" test "$(dos "$work/cut.arc")"
    rc=$?
    [ $rc -eq 1 ] && grep -q "Could not read the file headers" "$work/w-cut.log" ||
        { fail "zarc.exe test of a cut archive (exit code $rc)"; cat "$work/w-cut.log"; }
    python3 -c 'import sys; d=bytearray(open(sys.argv[1],"rb").read()); d[len(d)//2]^=0xff; open(sys.argv[2],"wb").write(d)' \
        "$work/host.arc" "$work/flip.arc"
    win "$work/w-flip.log" test "$(dos "$work/flip.arc")"
    rc=$?
    [ $rc -eq 1 ] && grep -q "DAMAGED" "$work/w-flip.log" ||
        { fail "zarc.exe test of a damaged archive (exit code $rc)"; cat "$work/w-flip.log"; }
fi

[ $failed -eq 0 ] && echo "zarc: host and Windows programs read each other's archives and sets"
exit $failed
