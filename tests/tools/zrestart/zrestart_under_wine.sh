#!/usr/bin/env bash
# The shipped restart program under Wine, as Windows starts it after the restart: a restart
# list written with Wine's own reg tool holds a server to register (the sample's COM
# server), a file and a server that are gone, and a leftover file; zrestart works it off,
# registers the server, removes the file, the list and its RunOnce entry, and exits 0.
#
#   zrestart_under_wine.sh <zrestart.exe> <sample payload folder>
set -u
zrestart=$1 payload=$2

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
WINEPREFIX=$(mktemp -d /tmp/zarn-zrestart-wine.XXXXXX)
export WINEPREFIX
cleanup() {
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
timeout 300 wineboot -i >/dev/null 2>&1 </dev/null
out=$WINEPREFIX/out.log
reg() { wine reg "$@" >>"$out" 2>&1 </dev/null; }

dir=$WINEPREFIX/drive_c/zr
mkdir -p "$dir"
cp "$payload/ZARNCOM.DLL" "$dir/"
echo "left over" >"$dir/leftover.txt"
list='HKLM\Software\Zarn\RestartList\Demo'
clsid='HKCR\CLSID\{5A41524E-0010-4C6F-8164-53616D706C65}'
reg add "$list" /v Item1 /d '0|ComServer|C:\zr\ZARNCOM.DLL|0' /f || fail "reg add"
reg add "$list" /v Item2 /d '0|Gone|C:\zr\GONE.DLL|0' /f
reg add "$list" /v Item3 /d '1|C:\zr\leftover.txt' /f
reg add "$list" /v Item4 /d '1|C:\zr\never-there.txt' /f
reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Zarn restart: Demo' \
    /d '"C:\zr\ZRESTART.EXE" "Demo"' /f
reg query "$clsid" && fail "the server is registered before the restart program ran"

timeout 300 wine "$zrestart" Demo >>"$out" 2>&1 </dev/null
rc=$?
[ $rc -eq 0 ] || { cat "$out"; fail "zrestart exits with $rc"; }
[ -e "$dir/leftover.txt" ] && fail "the leftover file is still there"
[ -e "$dir/ZARNCOM.DLL" ] || fail "the server's own file was removed"
reg query "$clsid\\InprocServer32" || { cat "$out"; fail "the server was not registered"; }
reg query "$list" && fail "the restart list is still there"
reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Zarn restart: Demo' &&
    fail "the RunOnce entry is still there"
echo "zrestart: the restart list was worked off under Wine"
