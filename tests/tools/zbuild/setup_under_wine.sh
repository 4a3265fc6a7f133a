#!/usr/bin/env bash
# The setup builder and runtime under Wine, in a Wine prefix of their own:
#   - zbuild.exe builds a setup program from a description of a tree of over 400 files,
#     twice, with the same bytes (and the same bytes as the host's zbuild, when built);
#   - /S /D=C:\Some Folder installs it: every file byte-identical, the uninstall entry
#     read back with Wine's own reg;
#   - one byte changed, or the file cut short: refused with the message and exit 2, and
#     nothing new in the prefix;
#   - signed with osslsigncode (a certificate made here by openssl): verified, and it
#     still installs.
#
#   - the wizard pressed through by the window pilot, a screenshot of every page.
#
#   setup_under_wine.sh <zbuild.exe> <work folder> <winpilot.exe> <screenshot folder> [host zbuild]
set -u
zbuild=$1 work=$2 pilot=$3 shots=$4 host_zbuild=${5:-}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/wine_prefix.sh"
wine_prefix_start zbuild
WINE_RUN_TIMEOUT=300
dos() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }

rm -rf "$work" && mkdir -p "$work"
bash "$here/make_tree.sh" "$work/payload" || fail "the payload"
wine_prefix_boot

# Two builds under Wine, and the host's.
run "$zbuild" "$(dos "$work/payload/tree.zis")" -o "$(dos "$work/setup.exe")" || fail "zbuild.exe ended with $?"
run "$zbuild" --quiet "$(dos "$work/payload/tree.zis")" -o "$(dos "$work/setup2.exe")" >"$work/quiet.txt" ||
    fail "the second build"
[ ! -s "$work/quiet.txt" ] || fail "--quiet wrote: $(cat "$work/quiet.txt")"
cmp "$work/setup.exe" "$work/setup2.exe" || fail "two builds differ"
echo "two builds under Wine are byte-identical ($(stat -c %s "$work/setup.exe") bytes)"
if [ -n "$host_zbuild" ] && [ -x "$host_zbuild" ]; then
    ZARN_WINDOWS_ROOT=$work/host-root "$host_zbuild" -q "$work/payload/tree.zis" -o "$work/setup-host.exe" ||
        fail "the host zbuild ended with $?"
    cmp "$work/setup.exe" "$work/setup-host.exe" || fail "the host zbuild and zbuild.exe under Wine differ"
    echo "the host zbuild gives the same bytes"
else
    echo "no host zbuild: the comparison with it is left out"
fi

# Refused before anything is written.
size=$(stat -c %s "$work/setup.exe")
cp "$work/setup.exe" "$work/damaged.exe"
printf 'X' | dd of="$work/damaged.exe" bs=1 seek=$((size - 5000)) conv=notrunc status=none
head -c $((size - 3000)) "$work/setup.exe" >"$work/truncated.exe"
touch "$work/marker"
sleep 1
for bad in damaged truncated; do
    out=$(run "$work/$bad.exe" /S '/D=C:\Refused')
    rc=$?
    [ "$rc" -eq 2 ] || fail "the $bad setup ended with $rc: $out"
    echo "$out" | grep -q "The installer is damaged or incomplete." || fail "the $bad setup said: $out"
done
timeout 60 wineserver -w >/dev/null 2>&1
new=$(find "$WINEPREFIX/drive_c" -newer "$work/marker" -type f ! -path '*/Temp/*' ! -path '*/temp/*' | head)
[ -z "$new" ] || fail "the refused setups left files: $new"
[ ! -e "$WINEPREFIX/drive_c/Refused" ] || fail "the refused setups made their folder"
echo "damaged and truncated setups refused, nothing written"

# Silent, into a folder with a blank.
run "$work/setup.exe" /S '/D=C:\Some' 'Folder' || fail "the silent install ended with $?"
bash "$here/compare_tree.sh" "$work/payload" "$WINEPREFIX/drive_c/Some Folder" || fail "the installed files"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarn Tree Sample'
entry=$(run reg query "$key")
echo "$entry" | grep -q 'DisplayName.*REG_SZ.*Zarn Tree Sample' || fail "no DisplayName: $entry"
echo "$entry" | grep -q 'UninstallString.*C:\\Some Folder\\UNINSTALL.EXE' || fail "no UninstallString: $entry"
for want in 'DisplayVersion.*REG_SZ.*2\.1' 'Publisher.*REG_SZ.*Zarn' 'InstallLocation.*REG_SZ.*C:\\Some Folder' \
    'QuietUninstallString.*/S'; do
    echo "$entry" | grep -q "$want" || fail "no $want in the entry: $entry"
done
files=$(run reg query "$key\\Files")
echo "$files" | grep -q 'bin\\' || fail "no file log: $files"
lnk=$(echo "$files" | grep -o 'C:\\[^"]*Uninstall Zarn Tree Sample.LNK' | head -1)
[ -n "$lnk" ] || fail "no link to the uninstall program in the file log: $files"
[ -f "$(run winepath -u "$lnk")" ] || fail "the link $lnk is missing"
echo "installed silently; uninstall entry and file log in Wine's registry"

# Solid: installed byte-identical. A damaged copy is refused by the package CRC with
# nothing written; one whose LZMA data was changed under a recomputed package CRC is
# caught while it installs (by the file's own check or the block CRC): refused, and its
# unpacked archive is gone.
run "$zbuild" --quiet --compression solid "$(dos "$work/payload/tree.zis")" -o "$(dos "$work/solid.exe")" ||
    fail "the solid build ended with $?"
run "$work/solid.exe" /S '/D=C:\Solid Folder' || fail "the solid install ended with $?"
bash "$here/compare_tree.sh" "$work/payload" "$WINEPREFIX/drive_c/Solid Folder" || fail "the solid install's files"
cp "$work/solid.exe" "$work/solid-flipped.exe"
printf 'X' | dd of="$work/solid-flipped.exe" bs=1 seek=$(($(stat -c %s "$work/solid.exe") / 2)) conv=notrunc status=none
python3 "$here/damage_solid.py" "$work/solid.exe" "$work/solid-damaged.exe" || fail "damage_solid.py"
touch "$work/marker"
sleep 1
out=$(run "$work/solid-flipped.exe" /S '/D=C:\Refused')
rc=$?
[ "$rc" -eq 2 ] || fail "the damaged solid setup ended with $rc: $out"
echo "$out" | grep -q "The installer is damaged or incomplete." || fail "the damaged solid setup said: $out"
timeout 60 wineserver -w >/dev/null 2>&1
new=$(find "$WINEPREFIX/drive_c" -newer "$work/marker" -type f | head)
[ -z "$new" ] || fail "the damaged solid setup left files: $new"
out=$(run "$work/solid-damaged.exe" /S '/D=C:\Forged')
rc=$?
[ "$rc" -eq 2 ] || fail "the forged solid setup ended with $rc: $out"
echo "$out" | grep -q "The installer is damaged or incomplete." || fail "the forged solid setup said: $out"
timeout 60 wineserver -w >/dev/null 2>&1
left=$(find "$WINEPREFIX/drive_c" -iname 'zsp*' | head)
[ -z "$left" ] || fail "the forged solid setup left its archive: $left"
echo "solid: installed byte-identical ($(stat -c %s "$work/solid.exe") bytes), damaged refused with nothing left, forged LZMA refused"

# Signed after the build.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Zarn test signer" >/dev/null 2>&1 || fail "openssl"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Zarn Tree Sample" \
    -in "$work/setup.exe" -out "$work/signed.exe" >"$work/sign.txt" 2>&1 || fail "osslsigncode sign: $(cat "$work/sign.txt")"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >"$work/verify.txt" 2>&1 ||
    fail "osslsigncode verify: $(cat "$work/verify.txt")"
[ "$(stat -c %s "$work/signed.exe")" -gt "$size" ] || fail "signing added nothing"
run "$work/signed.exe" /S '/D=C:\Signed Folder' || fail "the signed setup ended with $?"
bash "$here/compare_tree.sh" "$work/payload" "$WINEPREFIX/drive_c/Signed Folder" || fail "the signed setup's files"
echo "signed by osslsigncode, verified, installed"

# The wizard, pressed through as a person would.
shot() { sleep 0.5; import -window root "$shots/$1.png" 2>/dev/null && echo "screenshot $shots/$1.png"; }
title="Setup - Zarn Tree Sample"
press() { run "$pilot" click "$title" "$1" || { run "$pilot" texts "$title"; fail "no \"$1\" to press"; }; }
showing() {
    for _ in $(seq 1 300); do
        run "$pilot" texts "$title" | grep -v hidden | grep -qF -- "$1" && return 0
        sleep 0.2
    done
    run "$pilot" texts "$title"
    fail "the wizard never showed \"$1\""
}
mkdir -p "$shots" && rm -f "$shots"/*.png
(exec wine "$work/setup.exe" >"$shots/run.log" 2>&1 </dev/null) &
setup_pid=$!
run "$pilot" wait "$title" 60 || fail "the wizard did not appear"
showing "Welcome to the setup of Zarn Tree Sample"
shot 1-welcome
press "Next >"
showing "Licence agreement"
shot 2-licence
press "I accept the agreement"
press "Next >"
showing "Space free on C:"
shot 3-destination
press "Next >"
showing "Ready to install"
shot 4-ready
press "Install"
showing "Setup has finished"
shot 5-finish
press "Finish"
wait "$setup_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "the wizard's run ended with $rc"
bash "$here/compare_tree.sh" "$work/payload" "$WINEPREFIX/drive_c/Program Files/Zarn Tree Sample" ||
    fail "the wizard's install"
echo "the wizard pressed through, every page in a screenshot, installed"

# The library's uninstall program, from the records the three installations left (one
# product: the log goes on). Each installation's own UNINSTALL.EXE is in no log; the one
# that runs removes itself.
run "$WINEPREFIX/drive_c/Program Files/Zarn Tree Sample/UNINSTALL.EXE" "Zarn Tree Sample" /S ||
    fail "the uninstall program ended with $?"
timeout 60 wineserver -w >/dev/null 2>&1
for d in "Program Files/Zarn Tree Sample" "Some Folder" "Signed Folder"; do
    left=$(find "$WINEPREFIX/drive_c/$d" -type f ! -path "*/Some Folder/UNINSTALL.EXE" \
        ! -path "*/Signed Folder/UNINSTALL.EXE" 2>/dev/null | head -3)
    [ -z "$left" ] || fail "left after the uninstall: $left"
done
run reg query "$key" >/dev/null 2>&1 && fail "the uninstall key is still there"
echo "the uninstall program removed all three installations and the uninstall key"
