#!/usr/bin/env bash
# The uninstall program under Wine, in a Wine prefix of its own on an X display (Xvfb):
# the sample installed twice silently, a file of the user's own put into its folder, then
# the uninstall started as package tools start it (the "QuietUninstallString" through
# cmd), checked with Wine's own reg; then installed again and removed interactively,
# pressed through by winpilot with screenshots of the question and the closing message.
#
#   uninstall_under_wine.sh <sampleinstaller.exe> <winpilot.exe> <payload folder> <screenshot folder>
set -u
installer=$1 pilot=$2 payload=$3 shots=$4

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
. "$(dirname "$0")/../../support/wine_prefix.sh"
wine_prefix_start uninstall
shot() { import -window root "$shots/$1.png" 2>/dev/null && echo "screenshot $shots/$1.png"; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarn Sample'
clsid='HKCR\CLSID\{5A41524E-0010-4C6F-8164-53616D706C65}'

wine_prefix_boot
run "$pilot" shellfolders >/dev/null || fail "the shell folders"

src=$WINEPREFIX/drive_c/ZARNSAMP
dest="$WINEPREFIX/drive_c/Program Files/Zarn Sample"
mkdir -p "$src" "$shots" && rm -f "$shots"/*.png
cp "$payload"/* "$src"/ && cp "$installer" "$src/SAMPLE.EXE" || fail "no payload in $payload"
install() { (cd "$src" && run SAMPLE.EXE /S) >/dev/null || fail "the silent installation ended with $?"; }
installed() { find "$WINEPREFIX/drive_c" -path "$src" -prune -o \( -iname 'README.TXT' -o -iname 'SAMPLE.HLP' -o \
    -iname 'ZARNVEND.DLL' -o -iname 'ZARNCOM.DLL' -o -iname 'UNINST.EXE' -o -iname '*Zarn Sample*.LNK' -o \
    -iname 'Read me.LNK' \) -print; }
# Whether UNINST.EXE has gone (its copy in the temporary folder removes it once it has ended).
gone() { for _ in $(seq 200); do [ -e "$dest/UNINST.EXE" ] || return 0; sleep 0.2; done; return 1; }

install
install
run reg query "$clsid" >/dev/null || fail "the COM class was not registered"
echo "the user's own" >"$dest/MYNOTES.TXT"

quiet=$(run reg query "$key" /v QuietUninstallString | sed -n 's/.*QuietUninstallString[[:space:]]*REG_SZ[[:space:]]*//p')
[ "$quiet" = '"C:\Program Files\Zarn Sample\UNINST.EXE" Zarn Sample /S' ] || fail "QuietUninstallString is $quiet"
printf '@%s\r\n' "$quiet" >"$WINEPREFIX/drive_c/quiet.bat"
run cmd /c 'C:\quiet.bat' >"$shots/quiet.log"
rc=$?
cat "$shots/quiet.log"
[ "$rc" -eq 0 ] || fail "the silent uninstall ended with $rc"
gone || fail "UNINST.EXE is still there"
left=$(installed)
[ -z "$left" ] || fail "installed files left: $left"
[ "$(ls "$dest")" = MYNOTES.TXT ] || fail "the folder holds $(ls "$dest")"
[ -d "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zarn Sample" ] && fail "the link group is left"
run reg query "$key" >/dev/null 2>&1 && fail "the product key is still there"
run reg query "$clsid" >/dev/null 2>&1 && fail "the COM class is still registered"
shared=$(run reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' 2>/dev/null | grep -i zarn)
[ -z "$shared" ] || fail "SharedDLLs still counts: $shared"
run reg query 'HKLM\SOFTWARE\Microsoft\Windows\Help' /v SAMPLE.HLP >/dev/null 2>&1 && fail "the help entry is still there"

# Interactive: the question, the progress window, the closing message naming the kept
# folder.
install
# Started as Windows' list of programs starts it: its "UninstallString".
(cd / && exec wine 'C:\Program Files\Zarn Sample\UNINST.EXE' Zarn Sample >"$shots/interactive.log" 2>&1 </dev/null) &
wine_bg_pid=$!
run "$pilot" wait "Confirm" 60 || { shot error; fail "the question did not come"; }
sleep 1
shot 1-confirm
run "$pilot" click "Confirm" "Yes" || fail "Yes"
run "$pilot" wait "Information" 120 || { shot error; fail "the closing message did not come"; }
sleep 1
shot 2-closing
texts=$(run "$pilot" texts "Information")
echo "$texts"
run "$pilot" click "Information" "OK" || fail "OK on the closing message"
wait "$wine_bg_pid"
rc=$?
wine_bg_pid=
[ "$rc" -eq 0 ] || fail "the interactive uninstall ended with $rc"
echo "$texts" | grep -q 'Zarn Sample: kept' || fail "the closing message does not name the kept folder"
gone || fail "UNINST.EXE is still there after the interactive run"
left=$(installed)
[ -z "$left" ] || fail "installed files left after the interactive run: $left"
echo "uninstall under Wine: everything installed removed twice, the user's file kept"
