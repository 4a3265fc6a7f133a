#!/usr/bin/env bash
# The setup builder and the host runtime over fresh host Windows:
#   - a description error of each kind is reported with file, line and component, and
#     nothing is written;
#   - the tree's setup program (built from the shipped runtime, when the win32 build has
#     made it) installs silently, and again through the terminal back end's plain
#     commands, every file byte-identical; damaged and cut short it is refused.
#
#   setup_host.sh <zbuild> <zsetup> <work folder> <fake runtime PE>
set -u
zbuild=$1 zsetup=$2 work=$3 fake_pe=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAILED: $*"; exit 1; }
rm -rf "$work" && mkdir -p "$work/errors/src" "$work/fake-runtime"
export LANG=C LC_ALL=C ZARN_WINDOWS_ROOT=$work/root

# ---- description errors, one of each kind, against a runtime folder of stand-ins
for p in zsetup.exe zrestart.exe uninstall.exe; do cp "$fake_pe" "$work/fake-runtime/$p"; done
e=$work/errors
echo data >"$e/src/a.txt"
long=$(printf 'd%.0s' $(seq 1 95))
mkdir -p "$e/src/$long" && echo x >"$e/src/$long/long.txt"
head='object Setup: TSetupDescription
  object Product: TMainInstall
    ProductName = '"'"'Broken'"'"'
  end
  object Files: TInstallFileGroup
    Container = Product
  end'
# expect <name> <line> <component> <text>: the description on stdin.
expect() {
    local name=$1 line=$2 comp=$3 text=$4 out rc
    cat >"$e/$name.zis"
    out=$("$zbuild" "$e/$name.zis" --runtime "$work/fake-runtime" -o "$e/$name.exe" 2>&1)
    rc=$?
    [ $rc -eq 1 ] || fail "$name: exit $rc: $out"
    echo "$out" | grep -qF "$e/$name.zis:$line: $comp: $text" || fail "$name: expected '$name.zis:$line: $comp: $text', got: $out"
    [ ! -e "$e/$name.exe" ] || fail "$name: a setup program was written"
}
expect unknown-class 8 Extra "class TNoSuchThing not found" <<EOT
$head
  object Extra: TNoSuchThing
  end
end
EOT
expect unknown-property 10 Readme "property Colour does not exist in TInstallFile" <<EOT
$head
  object Readme: TInstallFile
    Container = Files
    Colour = 3
  end
end
EOT
# The missing file and the name too long are reported together, before anything.
cat >"$e/several.zis" <<EOT
$head
  object Missing: TInstallFile
    Container = Files
    IncludeFromDir = 'src'
    FileName = 'nothere.txt'
  end
  object Long: TInstallFolder
    Container = Files
    SourceDir = 'src\\$long'
  end
end
EOT
out=$("$zbuild" "$e/several.zis" --runtime "$work/fake-runtime" -o "$e/several.exe" 2>&1)
[ $? -eq 1 ] || fail "several: $out"
echo "$out" | grep -qF "several.zis:8: Missing: the source file src\\nothere.txt does not exist" || fail "missing file: $out"
echo "$out" | grep -qF "several.zis:13: Long: the stored name src\\$long\\long.txt has 108 characters" || fail "too long: $out"
echo "$out" | grep -q "2 errors; nothing written" || fail "several: $out"
[ ! -e "$e/several.exe" ] || fail "several: written"
expect twice 13 Again "the stored name SRC\\A.TXT is also First's (letter case does not count)" <<EOT
$head
  object First: TInstallFile
    Container = Files
    IncludeFromDir = 'src'
    FileName = 'a.txt'
  end
  object Again: TInstallFile
    Container = Files
    IncludeFromDir = 'SRC'
    FileName = 'A.TXT'
    DestName = 'b.txt'
  end
end
EOT
echo "description errors: file, line and component named, nothing written"

# Without the uninstall program, a folder's files (which have no component names) are
# still the author's, read from the description's folder.
mkdir -p "$e/plain" && echo plain >"$e/plain/a.txt" && echo more >"$e/plain/b.txt"
cat >"$e/nouninstaller.zis" <<EOT
object Setup: TSetupDescription
  AddUninstaller = False
  object Product: TMainInstall
    ProductName = 'Plain'
  end
  object Files: TInstallFileGroup
    Container = Product
  end
  object Tree: TInstallFolder
    Container = Files
    SourceDir = 'plain'
  end
end
EOT
out=$("$zbuild" -q "$e/nouninstaller.zis" --runtime "$work/fake-runtime" -o "$e/nouninstaller.exe" 2>&1) ||
    fail "AddUninstaller = False: $out"

# ---- the tree, through the shipped runtime
bash "$here/make_tree.sh" "$work/payload" || fail "the payload"
if ! "$zbuild" -q "$work/payload/tree.zis" -o "$work/setup.exe" 2>"$work/build.txt"; then
    if grep -q "the runtime .* is missing" "$work/build.txt"; then
        echo "no shipped runtime (build the win32 preset): the host install is left out"
        exit 0
    fi
    fail "zbuild: $(cat "$work/build.txt")"
fi
"$zbuild" -q "$work/payload/tree.zis" -o "$work/setup2.exe" || fail "the second build"
cmp "$work/setup.exe" "$work/setup2.exe" || fail "two builds differ"

"$zsetup" "$work/setup.exe" /S '/D=C:\Some' 'Folder' >"$work/silent.txt" 2>&1 || fail "silent install: $(cat "$work/silent.txt")"
bash "$here/compare_tree.sh" "$work/payload" "$work/root/drive_c/Some Folder" || fail "the silent install's files"
grep -qF '"UninstallString"="\"C:\\Some Folder\\UNINSTALL.EXE\" Zarn Tree Sample"' "$work/root/zarn-machine.reg" ||
    fail "no uninstall entry"

# The wizard in the terminal back end, scripted: the licence (read by zbuild from its
# file) accepted, the default folder, installed, finished.
rm -rf "$work/root"
timeout 120 "$zsetup" "$work/setup.exe" >"$work/screens.txt" 2>&1 <<'SCRIPT' || fail "interactive install: $(cat "$work/screens.txt")"
click Next >
check LicenceAcceptBox
dump
click Next >
click Next >
click Install
dump
click Finish
SCRIPT
grep -q "You may install it; it's a test." "$work/screens.txt" || fail "no licence text: $(cat "$work/screens.txt")"
grep -q "Setup has finished" "$work/screens.txt" || fail "no finish page: $(cat "$work/screens.txt")"
bash "$here/compare_tree.sh" "$work/payload" "$work/root/drive_c/Program Files/Zarn Tree Sample" || fail "the terminal install's files"

# Damaged and cut short: refused, and the new Windows gets no Program Files entry.
rm -rf "$work/root"
size=$(stat -c %s "$work/setup.exe")
cp "$work/setup.exe" "$work/damaged.exe"
printf 'X' | dd of="$work/damaged.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
head -c $((size - 100)) "$work/setup.exe" >"$work/truncated.exe"
for bad in damaged truncated; do
    out=$("$zsetup" "$work/$bad.exe" /S 2>&1)
    rc=$?
    [ $rc -eq 2 ] || fail "$bad: exit $rc: $out"
    echo "$out" | grep -q "The installer is damaged or incomplete." || fail "$bad: $out"
done
[ ! -e "$work/root/drive_c/Program Files/Zarn Tree Sample" ] || fail "a refused setup installed"
echo "host runtime: silent and terminal installs byte-identical, damaged and cut-short setups refused"

# Solid: smaller, installs byte-identical, leaves no unpacked archive behind. A damaged
# copy is refused by the package CRC with nothing written; one whose LZMA data is changed
# under a valid package CRC is caught while it installs: refused, its archive gone.
rm -rf "$work/root"
"$zbuild" -q --compression solid "$work/payload/tree.zis" -o "$work/solid.exe" || fail "the solid build"
[ "$(stat -c %s "$work/solid.exe")" -lt "$size" ] || fail "the solid setup is no smaller"
"$zsetup" "$work/solid.exe" /S '/D=C:\Solid' >"$work/solid.txt" 2>&1 || fail "solid install: $(cat "$work/solid.txt")"
bash "$here/compare_tree.sh" "$work/payload" "$work/root/drive_c/Solid" || fail "the solid install's files"
[ -z "$(find "$work/root" -iname 'zsp*')" ] || fail "the unpacked archive was left behind"
rm -rf "$work/root"
cp "$work/solid.exe" "$work/solid-flipped.exe"
printf 'X' | dd of="$work/solid-flipped.exe" bs=1 seek=$(($(stat -c %s "$work/solid.exe") / 2)) conv=notrunc status=none
out=$("$zsetup" "$work/solid-flipped.exe" /S '/D=C:\Solid' 2>&1)
rc=$?
[ $rc -eq 2 ] || fail "damaged solid: exit $rc: $out"
echo "$out" | grep -q "The installer is damaged or incomplete." || fail "damaged solid: $out"
[ ! -e "$work/root/drive_c/Solid" ] || fail "a damaged solid setup installed"
python3 "$here/damage_solid.py" "$work/solid.exe" "$work/solid-damaged.exe" || fail "damage_solid.py"
out=$("$zsetup" "$work/solid-damaged.exe" /S '/D=C:\Solid' 2>&1)
rc=$?
[ $rc -eq 2 ] || fail "forged solid: exit $rc: $out"
echo "$out" | grep -q "The installer is damaged or incomplete." || fail "forged solid: $out"
[ -z "$(find "$work/root" -iname 'zsp*' 2>/dev/null)" ] || fail "the forged solid setup left its archive"
echo "solid: installed byte-identical ($(stat -c %s "$work/solid.exe") bytes against $size), damaged LZMA refused"
