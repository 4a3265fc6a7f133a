#!/usr/bin/env bash
# The setup wizard in the terminal, driven by a script of the terminal's plain commands:
# every page in English, then the first page in German.
#
#   wizard_terminal.sh <wizard_demo>
set -u
demo=$1
ZARN_WINDOWS_ROOT=$(mktemp -d /tmp/zarn-wizard-term.XXXXXX)
export ZARN_WINDOWS_ROOT
trap 'rm -rf "$ZARN_WINDOWS_ROOT"' EXIT
fail() { echo "FAILED: $*"; echo "$out"; exit 1; }

out=$(printf '%s\n' 'click Next >' 'click Next >' 'check LicenceAcceptBox' 'dump' 'click Next >' \
    'type DestEdit C:\Zarn Test' 'dump' 'click Next >' 'uncheck GroupCheck1' 'dump' 'click Next >' 'dump' \
    'click Install' 'dump' 'uncheck FinishRunBox' 'click Finish' | "$demo" --quick 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
for want in 'Welcome to the setup of Zarn Demo' 'Version: 2.1' '[x] I accept the agreement' \
    'Space needed: 2.1 MB' 'Space free on C:' '(*) Custom' '[ ] Extra levels (640 KB)' 'Ready to install' \
    'C:\Zarn Test' '[ Install ]' 'Setup has finished' '[x] Start the game'; do
    grep -qF -- "$want" <<<"$out" || fail "no \"$want\""
done
# Next stays shut until the licence is accepted: the second click did nothing.
[ "$(grep -c 'Licence agreement' <<<"$out")" -ge 1 ] || fail "no licence page"
grep -qF 'error: "Next >" cannot be clicked now' <<<"$out" || fail "Next was open before the licence was accepted"

out=$(printf '%s\n' 'click Abbrechen' 'answer yes' | "$demo" --quick --german 2>&1)
rc=$?
[ "$rc" -eq 1 ] || fail "the cancelled German run ended with $rc"
for want in 'Willkommen bei der Installation von Zarn Demo' '< Zur' 'Weiter >' 'Abbrechen' \
    'Die Installation ist nicht abgeschlossen.'; do
    grep -qF -- "$want" <<<"$out" || fail "no \"$want\""
done
echo "wizard in the terminal: every page scripted, the licence gate, and German texts"
