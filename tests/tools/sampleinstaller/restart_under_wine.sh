#!/usr/bin/env bash
# The sample installer over files in use, then Windows restarted as Wine restarts it
# (wineboot -r works off PendingFileRenameOperations and RunOnce as Windows does): the new
# read-me replaces the one that was held open, its side file "README.1" is gone, and the
# COM server that was in use is registered after the restart and not before.
#
#   restart_under_wine.sh <sampleinstaller.exe> <winpilot.exe> <payload folder>
set -u
installer=$1 pilot=$2 payload=$3

. "$(dirname "$0")/../../support/wine_prefix.sh"
wine_prefix_start restart
# Whether a registry key exists (reg query's exit code).
has_key() { timeout 60 wine reg query "$1" >/dev/null 2>&1 </dev/null; }

wine_prefix_boot
run "$pilot" shellfolders >/dev/null || fail "the shell folders"

src=$WINEPREFIX/drive_c/ZARNSAMP
mkdir -p "$src"
cp "$payload"/* "$src"/ && cp "$installer" "$src/SAMPLE.EXE" || fail "no payload in $payload"
(cd "$src" && run SAMPLE.EXE /S) || fail "the first install ended with $?"

dest="$WINEPREFIX/drive_c/Program Files/Zarn Sample"
clsid='HKCR\CLSID\{5A41524E-0010-4C6F-8164-53616D706C65}'
has_key "$clsid" || fail "the first install did not register the COM class"
# The class goes, so that the second install's registration can be seen.
timeout 60 wine reg delete "$clsid" /f >/dev/null 2>&1 </dev/null

# A new read-me, installed while a program holds the old one and the COM server open.
printf 'The new read-me of the Zarn Sample.\r\n' >"$src/README.TXT"
(exec wine "$pilot" hold 300 'C:\Program Files\Zarn Sample\README.TXT' 'C:\Program Files\Zarn Sample\ZARNCOM.DLL' \
    >"$WINEPREFIX/hold.log" 2>&1 </dev/null) &
wine_bg_pid=$!
for _ in $(seq 1 100); do grep -q holding "$WINEPREFIX/hold.log" 2>/dev/null && break; sleep 0.2; done
grep -q holding "$WINEPREFIX/hold.log" || { cat "$WINEPREFIX/hold.log"; fail "the files could not be held"; }

(cd "$src" && run SAMPLE.EXE /S)
rc=$?
# 3010 (restart needed), as Linux sees a Windows exit code: its low 8 bits.
[ "$rc" -eq $((3010 % 256)) ] || fail "the install over files in use ended with $rc, not 3010 (restart needed)"
[ -f "$dest/README.1" ] || fail "no README.1 beside the file in use"
cmp -s "$dest/README.1" "$src/README.TXT" || fail "README.1 is not the new read-me"
has_key "$clsid" && fail "the COM server in use was registered before the restart"
has_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' || fail "no RunOnce key"

# The restart: every program ends, then Windows starts again.
kill "$wine_bg_pid" 2>/dev/null
wait "$wine_bg_pid" 2>/dev/null
wine_bg_pid=
wineserver -k >/dev/null 2>&1
timeout 60 wineserver -w >/dev/null 2>&1
timeout 300 wineboot -r >/dev/null 2>&1 </dev/null || fail "wineboot -r"
timeout 120 wineserver -w >/dev/null 2>&1 </dev/null

cmp -s "$dest/README.TXT" "$src/README.TXT" || fail "README.TXT does not hold the new contents after the restart"
[ -e "$dest/README.1" ] && fail "README.1 is still there after the restart"
[ -e "$dest/ZARNCOM.1" ] && fail "ZARNCOM.1 is still there after the restart"
has_key "$clsid" || fail "the COM server was not registered after the restart"
if timeout 60 wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' 2>/dev/null </dev/null |
    grep -qi 'Zarn restart'; then
    fail "the RunOnce entry is still there"
fi
has_key 'HKLM\Software\Zarn\RestartList\Zarn Sample' && fail "the restart list is still there"

# A second restart changes nothing.
timeout 300 wineboot -r >/dev/null 2>&1 </dev/null || fail "the second wineboot -r"
timeout 120 wineserver -w >/dev/null 2>&1 </dev/null
cmp -s "$dest/README.TXT" "$src/README.TXT" || fail "README.TXT changed at the second restart"
has_key "$clsid" || fail "the COM class is gone after the second restart"
echo "sample installer over files in use under Wine: exchanged and registered at the restart, once"
