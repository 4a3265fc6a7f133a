#!/usr/bin/env bash
# Builds the sample installer from its description (sample.zis) with zbuild into one
# setup program, build/sample/sampleinstaller.exe, and runs it in this terminal through
# the host's setup runtime over a fresh host Windows of its own (build/sample-root, made
# anew on every run).
#
#   bash tools/sampleinstaller/demo.sh            by hand, in this terminal
#   bash tools/sampleinstaller/demo.sh /S         silent: no window, no question
#   bash tools/sampleinstaller/demo.sh < script   driven by plain commands (see README)
#
# zbuild packs the Windows runtime of the shipped win32 build: when it is not there yet,
# this builds it first (a few minutes the first time). The same sampleinstaller.exe runs
# on Windows and under Wine: wine build/sample/sampleinstaller.exe /S
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)

echo "== building the host zbuild and setup runtime"
cmake --preset host >/dev/null
cmake --build --preset host --target zbuild zsetup sampleinstaller_payload >/dev/null
if [ ! -f build/win32/shipped/runtime/zsetup.exe ]; then
    echo "== building the Windows runtime (the shipped win32 build)"
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target shipped >/dev/null
fi

export ZARN_WINDOWS_ROOT=$top/build/sample-root
rm -rf "$ZARN_WINDOWS_ROOT"
mkdir -p build/sample
build/host/tools/zbuild/zbuild build/host/tools/sampleinstaller/sample.zis -o build/sample/sampleinstaller.exe

set +e
build/host/tools/zsetup/zsetup build/sample/sampleinstaller.exe "$@"
rc=$?
set -e
cat <<EOT

The sample installer ended with exit code $rc (0 installed, 1 cancelled, 2 failed,
3010 a restart completes it). What it left, below $ZARN_WINDOWS_ROOT:
  the product    drive_c/Program Files/Zarn Sample/ and Common Files/System/ZARNVEND.DLL
  links          the Programs folder's "Zarn Sample" and the Desktop, under drive_c/users/
  registry       zarn-machine.reg: ...\\Uninstall\\Zarn Sample (entry and file log),
                 ...\\SharedDLLs, ...\\Windows\\Help
EOT
exit $rc
