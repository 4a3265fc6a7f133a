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

# Form reader: text form descriptions.
mkdir -p "$out/corpus-formreader"
fw=(classes streams graphics formreader resources)
fwsrcs=()
for f in "${fw[@]}"; do fwsrcs+=("$here/framework/$f.cpp"); done
clang++ "${flags[@]}" "$here/fuzz/fuzz_formreader.cpp" "${fwsrcs[@]}" "${srcs[@]}" -o "$out/fuzz_formreader"
printf "object F: TFuzzForm\n  object Item1: TFuzzItem\n    Caption = 'a'#13'b' +\n      'c'\n    Width = -\$10\n    Flag = True\n    Kind = fkTwo\n    Kinds = [fkOne, fkTwo]\n    Ratio = 1.5\n    Buddy = Item2\n    Data = {0A0B}\n    Font.Name = 'Arial'\n    Lines.Strings = ('x' 'y')\n    OnClick = Click\n  end\n  object Item2: TFuzzItem\n  end\nend\n" \
    > "$out/corpus-formreader/seed.dfm"
cp "$here"/resources/*.dfm "$out/corpus-formreader/" 2>/dev/null || true
echo "built $out/fuzz_formreader"

# Version resources: PE images and version blocks.
mkdir -p "$out/corpus-pe-version"
clang++ "${flags[@]}" "$here/fuzz/fuzz_pe_version.cpp" "$here/platform/host/version_pe.cpp" \
    "$here/platform/host/version_query.cpp" "${srcs[@]}" -o "$out/fuzz_pe_version"
cp "$here"/build/*/tests/registration/version-images/*.dll "$out/corpus-pe-version/" 2>/dev/null || true
echo "built $out/fuzz_pe_version"

# Language texts: the translator's ParseStrings (needs the whole framework and host platform).
mkdir -p "$out/corpus-parsestrings"
lsrcs=("$here"/localisation/*.cpp "$here"/framework/*.cpp "$here"/framework/ui/*.cpp "$here"/framework/ui/host/*.cpp
       "$here"/platform/*.cpp "$here"/platform/host/*.cpp)
clang++ "${flags[@]}" "$here/fuzz/fuzz_parsestrings.cpp" "${lsrcs[@]}" -o "$out/fuzz_parsestrings"
cp "$here"/tests/data/localisation/*.txt "$out/corpus-parsestrings/"
echo "built $out/fuzz_parsestrings"

# Archives: header tables and extraction (the engine, the version reader, zlib).
mkdir -p "$out/corpus-archive"
asrcs=("$here"/archive/*.cpp "$here"/registration/*.cpp "$here"/framework/*.cpp "$here"/framework/ui/*.cpp
       "$here"/framework/ui/host/*.cpp "$here"/platform/*.cpp "$here"/platform/host/*.cpp)
clang++ "${flags[@]}" "$here/fuzz/fuzz_archive.cpp" "${asrcs[@]}" -lz -o "$out/fuzz_archive"
cp "$here"/fuzz/corpus/archive/* "$out/corpus-archive/"
echo "built $out/fuzz_archive"
