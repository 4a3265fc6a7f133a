#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest. Wine's output goes to a file, not a
# pipe (a pipe can keep the run open); the file is printed afterwards.
set -u
prog=$1; shift
out=$(mktemp /tmp/zarn-wine-out.XXXXXX)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/zarn-wineprefix}
wine "$prog" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
