#!/usr/bin/env bash
# The sample installed twice (silently) over a fresh host Windows, a file of the user's
# own put into its folder, then the uninstall started as package tools start it (the
# "QuietUninstallString"): afterwards the Windows root is as before the installation,
# except for the user's file with its folder and the program's temporary copy, which is
# deleted at the restart.
#
#   uninstall_host.sh <sampleinstaller> <payload folder>
set -u
installer=$1 payload=$2
fail() { echo "FAILED: $*"; exit 1; }

ZARN_WINDOWS_ROOT=$(mktemp -d /tmp/zarn-uninstall.XXXXXX)
export ZARN_WINDOWS_ROOT
trap 'rm -rf "$ZARN_WINDOWS_ROOT"' EXIT
src=$ZARN_WINDOWS_ROOT/drive_c/ZARNSAMP
mkdir -p "$src" && cp "$payload"/* "$src"/ || fail "no payload in $payload"
listing() { (cd "$ZARN_WINDOWS_ROOT/drive_c" && find . -path ./ZARNSAMP -prune -o -print | grep -v '^\./WINDOWS/TEMP/' | sort); }
# The root as a fresh Windows has it (the installer's media folder aside): the uninstall
# of a product that is not there sets it up, says so and removes nothing.
"$payload/UNINST.EXE" No Such Product /S >/dev/null 2>&1 && fail "an unknown product was removed"
before=$(listing)
(cd "$src" && "$installer" /S >/dev/null) || fail "the first installation"
(cd "$src" && "$installer" /S >/dev/null) || fail "the second installation"
dest="$ZARN_WINDOWS_ROOT/drive_c/Program Files/Zarn Sample"
echo "the user's own" >"$dest/MYNOTES.TXT"

reg=$ZARN_WINDOWS_ROOT/zarn-machine.reg
quiet=$(grep '^"QuietUninstallString"=' "$reg" | tr -d '\r' | sed 's/^"QuietUninstallString"="//; s/"$//; s/\\"/"/g; s/\\\\/\\/g')
[ "$quiet" = '"C:\Program Files\Zarn Sample\UNINST.EXE" Zarn Sample /S' ] || fail "QuietUninstallString is $quiet"
# The program by its host file, with the arguments the command line gives it.
out=$(cd / && "$dest/UNINST.EXE" Zarn Sample /S 2>&1)
rc=$?
echo "$out"
[ "$rc" -eq 0 ] || fail "the uninstall ended with $rc"
# Its copy in the temporary folder removes the program and its folder once it has ended.
for _ in $(seq 50); do [ -e "$dest/UNINST.EXE" ] || break; sleep 0.2; done
[ -e "$dest/UNINST.EXE" ] && fail "the uninstall program is still there"
[ "$(ls "$dest")" = MYNOTES.TXT ] || fail "left in the folder: $(ls "$dest")"
echo "$out" | grep -q 'C:\\Program Files\\Zarn Sample: kept' || fail "the closing message does not name the kept folder"

rm "$dest/MYNOTES.TXT" && rmdir "$dest"
after=$(listing)
[ "$before" = "$after" ] || fail "the root differs from before the installation: $(diff <(echo "$before") <(echo "$after"))"
grep -q 'Uninstall\\Zarn Sample' "$reg" && fail "the product key is still there"
grep -qi 'ZARNVEND\|ZARNCOM\|SAMPLE.HLP' "$reg" && fail "a count or help entry is still there"
grep -q 'PendingFileRenameOperations' "$reg" || fail "the temporary copy is not deleted at the restart"
echo "uninstall on the host: everything installed removed, the user's file kept"
