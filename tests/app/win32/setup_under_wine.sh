#!/usr/bin/env bash
# The Windows setup.exe through a whole installation under Wine, on an X display
# (Xvfb), pressed through by winpilot as a person would click; keeps a screenshot of each
# wizard page and of the copy window, then checks what was installed.
#
#   setup_under_wine.sh <setup.exe> <winpilot.exe> <mksample (host build)> <screenshot folder>
set -u
setup_exe=$1 pilot=$2 mksample=$3 shots=$4

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
if [ ! -x "$mksample" ]; then
    echo "the host build's mksample is needed ($mksample): build the host preset first"
    exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$(mktemp -d /tmp/zarn-setup-wine.XXXXXX)
    own_prefix=$WINEPREFIX
    export WINEPREFIX
    timeout 300 wineboot -i >/dev/null 2>&1 </dev/null
fi
timeout 120 wineserver -w >/dev/null 2>&1 </dev/null

mkdir -p "$shots"
rm -f "$shots"/*.png
fail() {
    echo "FAILED: $*"
    [ -n "${setup_pid:-}" ] && kill "$setup_pid" 2>/dev/null
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
    [ -n "$own_prefix" ] && rm -rf "$own_prefix"
    exit 1
}
shot() { import -window root "$shots/$1.png" || fail "screenshot $1"; echo "screenshot $shots/$1.png"; }
# Wine's output goes to a file: a pipe would stay open as long as any Wine process
# started on the way (the desktop, services) lives.
pilot() {
    local out rc
    out=$(mktemp /tmp/zarn-pilot.XXXXXX)
    wine "$pilot" "$@" >"$out" 2>&1 </dev/null
    rc=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return $rc
}

# The sample Quake installation and the setup's source folder, in the prefix's drive C.
"$mksample" --root "$WINEPREFIX" --pak-mb 24 || fail "sample environment"
src=$WINEPREFIX/drive_c/SKYRCD
cp "$setup_exe" "$src/SETUP.EXE"

# Wine links the profile's Desktop and Documents to the Linux home folder: give the
# profile folders of its own, so that the installation stays inside the prefix.
for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
done
# A desktop shell records the user's folders at log-on; a fresh prefix has not yet.
pilot shellfolders || fail "the shell folders"

wizard="(demo version) - Installation"
(cd "$src" && exec wine SETUP.EXE >"$shots/setup.log" 2>&1 </dev/null) &
setup_pid=$!

pilot wait "$wizard" 60 || fail "the wizard did not appear"
sleep 1
shot 1-welcome
pilot click "$wizard" "Next >" || fail "Next on the welcome page"
sleep 1
shot 2-quake-location
pilot click "$wizard" "Next >" || fail "Next on the location page (is c:\\quake\\quake.exe found?)"
sleep 1
shot 3-ready
pilot click "$wizard" "Finish" || fail "Finish"
pilot wait "Installing files to your computer" 30 || fail "the copy window did not appear"
sleep 3
shot 4-copying
pilot wait "Confirm" 300 || { pilot texts "Installing files" ; shot error; fail "the final question did not come"; }
shot 5-question
pilot click "Confirm" "No" || fail "No on the final question"
pilot wait "Information" 20 || fail "the information box did not come"
pilot click "Information" "OK" || fail "OK on the information box"
for _ in $(seq 1 100); do
    kill -0 "$setup_pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$setup_pid" 2>/dev/null && fail "setup.exe did not end"

# What was installed.
game=$WINEPREFIX/drive_c/QUAKE/skyrdemo
[ -d "$game" ] || game=$WINEPREFIX/drive_c/quake/skyrdemo
count=0
while IFS= read -r -d '' f; do
    rel=${f#"$src"/}
    [ "$rel" = SETUP.EXE ] && continue
    cmp -s "$f" "$game/$rel" || fail "$rel differs or is missing"
    count=$((count + 1))
done < <(find "$src" -type f -print0)
[ "$count" -eq 60 ] || fail "expected 60 files, compared $count"
for c in bolt2 bolt3 invulner laser quaddama backpack lavaball; do
    [ ! -e "$WINEPREFIX/drive_c/QUAKE/id1/glquake/$c.ms2" ] || fail "cache $c.ms2 still there"
done
[ -e "$WINEPREFIX/drive_c/QUAKE/id1/glquake/player.ms2" ] || fail "player.ms2 was removed"
links=$(find "$WINEPREFIX/drive_c/users" -iname '*.lnk' -path '*Halvard Interactive*' | wc -l)
[ "$links" -eq 2 ] || fail "expected 2 links in the menu folder, found $links"
desk=$(find "$WINEPREFIX/drive_c/users" -ipath '*desktop*' -iname 'Skyreach  Embers of Orrin (demo).lnk' | head -n 1)
[ -n "$desk" ] || fail "no desktop link"
if command -v lnkinfo >/dev/null; then
    lnkinfo "$desk" | grep -i 'skyr.exe' >/dev/null || fail "the desktop link does not point at skyr.exe"
fi
WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
[ -n "$own_prefix" ] && rm -rf "$own_prefix"
echo "setup.exe installed 60 files, 3 links; screenshots in $shots"
