#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into fuzz-out/ (not part of the CI build).
#   bash fuzz/build.sh && ./fuzz-out/fuzz_regfile -max_total_time=60 fuzz-out/corpus-regfile
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/fuzz-out}
mkdir -p "$out" "$out/corpus-regfile"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -DZARN_HOST=1 -I"$here")
host=(regfile root files registry profile system)
srcs=()
for f in "${host[@]}"; do srcs+=("$here/platform/host/$f.cpp"); done
clang++ "${flags[@]}" "$here/fuzz/fuzz_regfile.cpp" "${srcs[@]}" -o "$out/fuzz_regfile"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"s"="x\\"y"\r\n"d"=dword:00000001\r\n"m"=hex(7):61,00,00\r\n' \
    > "$out/corpus-regfile/seed.reg"
echo "built $out/fuzz_regfile"
