#!/usr/bin/env bash
# The host setup through a whole installation in the terminal front end, driven by a
# script of plain commands on standard input, over a fresh sample environment.
#
#   terminal_install.sh <setup> <mksample>
set -u
setup=$1 mksample=$2
root=$(mktemp -d /tmp/zarn-terminal.XXXXXX)
trap 'rm -rf "$root"' EXIT
export ZARN_WINDOWS_ROOT=$root
"$mksample" --quiet --pak-mb 3 || { echo "FAILED: sample environment"; exit 1; }
out=$root/screens.txt
cd "$root/drive_c/SKYRCD" || exit 1
timeout 120 "$setup" >"$out" 2>&1 <<'SCRIPT'
# welcome page
dump
click Next >
# the Quake location: edit the proposed path, then put it back
type FilenameEdit c:\quake\nothing.exe
dump
type FilenameEdit C:\QUAKE\QUAKE.EXE
click Next >
# Next disabled itself on the last page: the focus went on to Finish, and Enter takes it
dump
key Enter
wait
answer no
answer ok
SCRIPT
rc=$?
fail() { echo "FAILED: $*"; echo "---- screens"; cat "$out"; exit 1; }
[ "$rc" -eq 0 ] || fail "setup exited with $rc"
grep -q 'Welcome to the Skyreach: Embers of Orrin Setup' "$out" || fail "no welcome page"
grep -q '( Next >  )' "$out" || fail "Next was not disabled for a missing file"
grep -q '{ Finish  }' "$out" || fail "Finish did not get the focus on the last page"
grep -q 'Installing files to your computer' "$out" || fail "no copy window"
grep -q 'Run Skyreach launcher now?' "$out" || fail "no final question"
game=$root/drive_c/QUAKE/skyrdemo
[ "$(find "$game" -type f | wc -l)" -eq 60 ] || fail "expected 60 installed files"
cmp -s "$root/drive_c/SKYRCD/pak0.pak" "$game/pak0.pak" || fail "pak0.pak differs"
[ ! -e "$root/drive_c/QUAKE/id1/glquake/bolt2.ms2" ] || fail "a cache is still there"
[ -e "$root/drive_c/QUAKE/id1/glquake/player.ms2" ] || fail "player.ms2 was removed"
[ "$(find "$root/drive_c/users" -iname '*.lnk' | wc -l)" -eq 3 ] || fail "expected 3 links"
echo "terminal installation: 60 files, 3 links, caches removed"
