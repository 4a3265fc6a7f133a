# Sourced by the tests that run Windows programs under Wine: a Wine prefix of their own,
# removed again at the end with every Wine process of it, and the helpers they share.
#
#   wine_prefix_start <name>   exports WINEPREFIX (a new folder /tmp/zarn-<name>-wine.*),
#                              WINEDEBUG and WINEDLLOVERRIDES, and cleans up on exit (it
#                              also ends the process named by wine_bg_pid, when set)
#   wine_prefix_boot           makes the prefix (wineboot -i) and gives the profile's
#                              Desktop, Documents and the like folders of their own
#   run PROGRAM ARGS...        wine PROGRAM, its output (without carriage returns) on the
#                              standard output; its exit status (at most WINE_RUN_TIMEOUT
#                              seconds, 120 unless set)
#   fail TEXT                  says FAILED: TEXT and exits 1
wine_bg_pid=
wine_prefix_start() {
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
    WINEPREFIX=$(mktemp -d "/tmp/zarn-$1-wine.XXXXXX")
    export WINEPREFIX
    trap wine_prefix_cleanup EXIT
}
wine_prefix_cleanup() {
    [ -n "$wine_bg_pid" ] && kill "$wine_bg_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
}
wine_prefix_boot() {
    timeout 300 wineboot -i >/dev/null 2>&1 </dev/null || fail "wineboot"
    timeout 120 wineserver -w >/dev/null 2>&1 </dev/null
    local d
    for d in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
    done
}
fail() { echo "FAILED: $*"; exit 1; }
# Wine's output goes to files: a pipe would stay open as long as any Wine process lives.
run() {
    local out rc
    out=$(mktemp /tmp/zarn-wine-out.XXXXXX)
    timeout "${WINE_RUN_TIMEOUT:-120}" wine "$@" >"$out" 2>&1 </dev/null
    rc=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return $rc
}
