#!/usr/bin/env bash
# The Windows sample installer under Wine, in a Wine prefix of its own on an X display
# (Xvfb): a run pressed through by winpilot as a person would click, with screenshots,
# then a silent run; samplecheck checks the prefix after each.
#
#   sample_under_wine.sh <sampleinstaller.exe> <winpilot.exe> <samplecheck.exe> <payload folder> <screenshot folder>
set -u
installer=$1 pilot=$2 check=$3 payload=$4 shots=$5

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
. "$(dirname "$0")/../../support/wine_prefix.sh"
wine_prefix_start sample
shot() { import -window root "$shots/$1.png" 2>/dev/null && echo "screenshot $shots/$1.png"; }

wine_prefix_boot
run "$pilot" shellfolders >/dev/null || fail "the shell folders"

src=$WINEPREFIX/drive_c/ZARNSAMP
mkdir -p "$src" "$shots" && rm -f "$shots"/*.png
cp "$payload"/* "$src"/ && cp "$installer" "$src/SAMPLE.EXE" || fail "no payload in $payload"

title="Zarn Sample - Installation"
(cd "$src" && exec wine SAMPLE.EXE >"$shots/run1.log" 2>&1 </dev/null) &
wine_bg_pid=$!
run "$pilot" wait "$title" 60 || fail "the installer's window did not appear"
sleep 1
shot 1-installer
run "$pilot" click "$title" "Install" || fail "Install"
run "$pilot" wait "Information" 120 || { run "$pilot" texts "$title"; shot error; fail "the final message did not come"; }
shot 2-installed
run "$pilot" click "Information" "OK" || fail "OK on the final message"
wait "$wine_bg_pid"
rc=$?
wine_bg_pid=
[ "$rc" -eq 0 ] || fail "the first run ended with $rc"
run "$check" 'C:\ZARNSAMP' 1 || fail "after the first run"

(cd "$src" && run SAMPLE.EXE /S) || fail "the silent run ended with $?"
run "$check" 'C:\ZARNSAMP' 2 || fail "after the second run"
echo "sample installer under Wine: two runs, COM class registered, counts at 2 and the log continued"
