#!/usr/bin/env bash
# Skin speed of the program's windows under Wine on a virtual display (see
# bench/skin_bench.cpp): start to first paint, skin switch median over the internal
# skins, GDI objects over 200 switches. Uses a Release Windows build in
# build/bench-windows (the native build's generators must exist: scripts/build.sh native).
# Usage: bash bench/skin_bench.sh [warm-runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export build="$root/build"
bench_build="$build/bench-windows"
cmake -S "$root" -B "$bench_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSPLITJOIN_TESTS=OFF -DSPLITJOIN_DEPS_DIR="$build/deps" \
    -DSPLITJOIN_HOST_BIN="$build/native/bin" >/dev/null
cmake --build "$bench_build" --target skin_bench -j"$(nproc)" >/dev/null
# shellcheck source=../scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
sj_start_display
sj_start_wine
cd "$bench_build/bin"
wine skin_bench.exe "${1:-5}" 2>/dev/null
