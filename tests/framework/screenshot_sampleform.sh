#!/usr/bin/env bash
# Shows the sample form under Wine, takes a screenshot of the display and checks that it
# is not blank.
#
#   bash tests/framework/screenshot_sampleform.sh <sampleform.exe> [screenshot.png]
#
# Uses $DISPLAY when it is set (an Xvfb started by the test runner), else starts one
# with xvfb-run. Uses $WINEPREFIX when set, else a fresh prefix that is removed again.
# Skips (exit 0) when Wine, Xvfb or ImageMagick are missing.
set -uo pipefail

exe=${1:?usage: screenshot_sampleform.sh <sampleform.exe> [screenshot.png]}
shot=${2:-${TMPDIR:-/tmp}/zarn-sampleform-$$.png}

for tool in wine import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed"
        exit 0
    fi
done
if [ -z "${DISPLAY:-}" ] && ! command -v xvfb-run >/dev/null; then
    echo "SKIPPED: no display and no xvfb-run"
    exit 0
fi
if [ ! -f "$exe" ]; then
    echo "no such program: $exe"
    exit 1
fi

own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix=$(mktemp -d "${TMPDIR:-/tmp}/zarn-shot-wine.XXXXXX")
    export WINEPREFIX=$own_prefix
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
cleanup() {
    if [ -n "$own_prefix" ]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$own_prefix"
    fi
}
trap cleanup EXIT

# The form stays open for 15 seconds and closes by itself; the screenshot is taken once
# the window has appeared (the first start of a prefix can take a while).
run_and_shoot() {
    wine "$1" 15 >/dev/null 2>&1 </dev/null &
    local pid=$! deviation=0
    for _ in $(seq 1 40); do
        sleep 0.5
        if ! kill -0 "$pid" 2>/dev/null; then break; fi
        import -window root "$2" 2>/dev/null || continue
        deviation=$(convert "$2" -format '%[fx:standard_deviation]' info: 2>/dev/null || echo 0)
        if awk -v d="$deviation" 'BEGIN { exit !(d > 0.01) }'; then
            # Let it finish painting, then take the final picture.
            sleep 1
            import -window root "$2" 2>/dev/null
            break
        fi
    done
    wait "$pid"
    echo "exit code $?"
}
if [ -n "${DISPLAY:-}" ]; then
    run_and_shoot "$exe" "$shot"
else
    # Again under a display of its own (the prefix made above is kept for that run).
    own_prefix_for_child=$own_prefix
    own_prefix=
    WINEPREFIX=$WINEPREFIX xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$exe" "$shot"
    rc=$?
    own_prefix=$own_prefix_for_child
    exit $rc
fi

if [ ! -s "$shot" ]; then
    echo "FAILED: no screenshot was taken"
    exit 1
fi
deviation=$(convert "$shot" -format '%[fx:standard_deviation]' info:)
echo "screenshot $shot, standard deviation $deviation"
if awk -v d="$deviation" 'BEGIN { exit !(d > 0.01) }'; then
    echo "PASSED: the sample form is on the screen"
    exit 0
fi
echo "FAILED: the screenshot is blank"
exit 1
