#!/usr/bin/env bash
# The setup wizard as real windows under Wine, in a prefix of its own on an X display
# (Xvfb): pressed through by the window pilot with a screenshot of every page.
#
#   wizard_under_wine.sh <wizard_demo.exe> <winpilot.exe> <screenshot folder>
set -u
demo=$1 pilot=$2 shots=$3

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
. "$(dirname "$0")/../support/wine_prefix.sh"
wine_prefix_start wizard
shot() { sleep 0.5; import -window root "$shots/$1.png" 2>/dev/null && echo "screenshot $shots/$1.png"; }
title="Setup - Zarn Demo"
press() { run "$pilot" click "$title" "$1" || { run "$pilot" texts "$title"; fail "no \"$1\" to press"; }; }
# Waits until the window shows `text`.
showing() {
    for _ in $(seq 1 100); do
        run "$pilot" texts "$title" | grep -v hidden | grep -qF -- "$1" && return 0
        sleep 0.2
    done
    run "$pilot" texts "$title"
    fail "the window never showed \"$1\""
}

timeout 300 wineboot -i >/dev/null 2>&1 </dev/null || fail "wineboot"
timeout 120 wineserver -w >/dev/null 2>&1 </dev/null
mkdir -p "$shots" && rm -f "$shots"/*.png

(exec wine "$demo" >"$shots/run.log" 2>&1 </dev/null) &
wine_bg_pid=$!
run "$pilot" wait "$title" 60 || fail "the wizard did not appear"
showing "Welcome to the setup of Zarn Demo"
shot 1-welcome
press "Next >"
showing "Licence agreement"
# Next stays shut until the licence is accepted.
run "$pilot" texts "$title" | grep -F "Next >" | grep -q disabled || fail "Next is open before the licence was accepted"
press "I accept the agreement"
shot 2-licence
press "Next >"
showing "Space free on C:"
shot 3-destination
press "Next >"
showing "Extra levels (640 KB)"
press "Extra levels (640 KB)"
shot 4-components
press "Next >"
showing "Ready to install"
shot 5-ready
press "Install"
showing "Overall progress"
shot 6-progress
showing "Setup has finished"
shot 7-finish
press "Start the game"
press "Finish"
wait "$wine_bg_pid"
rc=$?
wine_bg_pid=
[ "$rc" -eq 0 ] || fail "the wizard ended with $rc"
echo "wizard under Wine: seven pages pressed through, screenshots in $shots"
