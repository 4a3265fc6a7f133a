#!/usr/bin/env bash
# Builds the host setup and runs it in the terminal over a fresh sample environment: a
# sample Quake installation in C:\QUAKE and the game's files in C:\SKYRCD, inside a host
# Windows root of its own (build/demo-root; made anew on every run).
#
#   bash tools/demo.sh              the whole installation, by hand, in this terminal
#   bash tools/demo.sh < script     the same, driven by plain commands (see README)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

# The host build's tools, when something is missing (the same step as the tests use).
bash .ci/packages host
echo "== building the host setup"
cmake --preset host >/dev/null
cmake --build --preset host --target setup mksample >/dev/null

export ZARN_WINDOWS_ROOT=$top/build/demo-root
rm -rf "$ZARN_WINDOWS_ROOT"
build/host/tools/mksample/mksample

cd "$ZARN_WINDOWS_ROOT/drive_c/SKYRCD"
set +e
"$top/build/host/app/setup"
rc=$?
set -e
cat <<EOT

The setup ended with exit code $rc. What it left, below $ZARN_WINDOWS_ROOT:
  game files     drive_c/QUAKE/skyrdemo/            (C:\\QUAKE\\skyrdemo)
  menu links     the Programs folder's "Halvard Interactive" and the Desktop, under drive_c/users/
  registry       zarn-machine.reg, zarn-user.reg   (REGEDIT4 text)
Inspect a link:  lnkinfo "\$(find $ZARN_WINDOWS_ROOT/drive_c -iname 'Readme.txt.lnk')"
EOT
exit $rc
