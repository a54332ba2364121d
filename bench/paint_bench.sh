#!/usr/bin/env bash
# Face painting speed of the skin painters (see bench/paint_bench.cpp), in a Release
# build without sanitizers in build/bench. Usage: bash bench/paint_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_build="$root/build/bench"
cmake -S "$root" -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DSPLITJOIN_SANITIZE=OFF -DSPLITJOIN_TESTS=OFF \
    -DSPLITJOIN_DEPS_DIR="$root/build/deps" >/dev/null
cmake --build "$bench_build" --target paint_bench -j"$(nproc)" >/dev/null
"$bench_build/bin/paint_bench"
