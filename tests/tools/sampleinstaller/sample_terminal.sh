#!/usr/bin/env bash
# The host sample installer over a fresh host Windows: a run in the terminal front end
# driven by a script, a run cancelled in the first window, and a silent run; samplecheck
# checks the Windows after each.
#
#   sample_terminal.sh <sampleinstaller> <samplecheck> <payload folder>
set -u
installer=$1 check=$2 payload=$3
root=$(mktemp -d /tmp/zarn-sample.XXXXXX)
trap 'rm -rf "$root"' EXIT
export ZARN_WINDOWS_ROOT=$root LANG=C LC_ALL=C
src=$root/drive_c/ZARNSAMP
mkdir -p "$src" && cp "$payload"/* "$src"/ || { echo "FAILED: no payload in $payload"; exit 1; }
out=$root/screens.txt
fail() { echo "FAILED: $*"; echo "---- screens"; cat "$out"; exit 1; }
cd "$src" || exit 1

timeout 120 "$installer" >"$out" 2>&1 <<'SCRIPT'
click Install
answer ok
SCRIPT
rc=$?
[ "$rc" -eq 0 ] || fail "the first run ended with $rc"
grep -q 'Zarn Sample - Installation' "$out" || fail "no installer window"
grep -q 'has been installed in C:\\Program' "$out" || fail "no final message"
grep -q 'cannot load the COM server' "$out" || fail "no word on the unregistered COM server"
[ -f "$src/SAMPLE.ZRN" ] || fail "no archive in the loading folder"
"$check" 'C:\ZARNSAMP' 1 || fail "after the first run"

printf 'click Cancel\n' | timeout 60 "$installer" >"$out" 2>&1
rc=$?
[ "$rc" -eq 3 ] || fail "Cancel in the first window ended with $rc"
"$check" 'C:\ZARNSAMP' 1 || fail "after the cancelled run"

timeout 120 "$installer" /S >"$out" 2>&1 </dev/null
rc=$?
[ "$rc" -eq 0 ] || fail "the silent run ended with $rc"
"$check" 'C:\ZARNSAMP' 2 || fail "after the second run"
echo "sample installer: two runs in the terminal, counts at 2 and the log continued"
