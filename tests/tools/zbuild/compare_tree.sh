#!/usr/bin/env bash
# compare_tree.sh <payload folder> <installed folder>: every file of the tree (less what
# the description leaves out) is installed byte for byte, and nothing else.
set -u
src=$1 dest=$2
bad=0 count=0
while read -r f; do
    count=$((count + 1))
    cmp -s "$src/tree/bin/$f" "$dest/bin/$f" || { echo "differs or missing: bin/$f"; bad=1; }
done < <(cd "$src/tree/bin" && find . -type f ! -name '*.bak' | sed 's|^\./||')
while read -r f; do
    count=$((count + 1))
    cmp -s "$src/tree/doc/$f" "$dest/doc/$f" || { echo "differs or missing: doc/$f"; bad=1; }
done < <(cd "$src/tree/doc" && find . -type f ! -path './scratch/*' | sed 's|^\./||')
cmp -s "$src/readme.txt" "$dest/README.TXT" || { echo "differs or missing: README.TXT"; bad=1; }
[ -f "$dest/UNINSTALL.EXE" ] || { echo "no UNINSTALL.EXE"; bad=1; }
[ ! -e "$dest/bin/leftover.bak" ] && [ ! -e "$dest/doc/scratch" ] || { echo "excluded files installed"; bad=1; }
installed=$(find "$dest" -type f | wc -l)
[ "$installed" -eq $((count + 2)) ] || { echo "$installed files installed, $((count + 2)) expected"; bad=1; }
[ $bad -eq 0 ] && echo "all $((count + 1)) files byte-identical"
exit $bad
