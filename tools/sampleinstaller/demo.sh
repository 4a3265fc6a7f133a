#!/usr/bin/env bash
# Builds the host sample installer and runs it in this terminal over a fresh host Windows
# of its own (build/sample-root, made anew on every run): the product's files are put in
# C:\ZARNSAMP and the installer is started there, the folder it builds its archive in and
# installs from.
#
#   bash tools/sampleinstaller/demo.sh            by hand, in this terminal
#   bash tools/sampleinstaller/demo.sh /S         silent: no window, no question
#   bash tools/sampleinstaller/demo.sh < script   driven by plain commands (see README)
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)

echo "== building the host sample installer"
cmake --preset host >/dev/null
cmake --build --preset host --target sampleinstaller >/dev/null

export ZARN_WINDOWS_ROOT=$top/build/sample-root
rm -rf "$ZARN_WINDOWS_ROOT"
src=$ZARN_WINDOWS_ROOT/drive_c/ZARNSAMP
mkdir -p "$src"
cp build/host/tools/sampleinstaller/payload/* "$src"/

cd "$src"
set +e
"$top/build/host/tools/sampleinstaller/sampleinstaller" "$@"
rc=$?
set -e
cat <<EOT

The sample installer ended with exit code $rc. What it left, below $ZARN_WINDOWS_ROOT:
  the archive    drive_c/ZARNSAMP/SAMPLE.ZRN
  the product    drive_c/Program Files/Zarn Sample/ and Common Files/System/ZARNVEND.DLL
  links          the Programs folder's "Zarn Sample" and the Desktop, under drive_c/users/
  registry       zarn-machine.reg: ...\\Uninstall\\Zarn Sample (entry and file log),
                 ...\\SharedDLLs, ...\\Windows\\Help
EOT
exit $rc
