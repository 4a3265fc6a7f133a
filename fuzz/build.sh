#!/usr/bin/env bash
# Builds the libFuzzer targets (the sanitizer preset, clang) and runs each for a while
# from its seeds in fuzz/corpus/<name>/, as CI does.
#
#   bash fuzz/build.sh [seconds]     default 60
# One target by hand:
#   build/host-asan/fuzz/fuzz_regfile -max_total_time=60 fuzz/corpus/regfile
# (that adds what it finds to the seeds; give it a copy to keep them as they are).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan --target fuzzers
bash .ci/fuzz build/host-asan "${1:-60}"
