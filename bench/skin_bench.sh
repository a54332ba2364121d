#!/usr/bin/env bash
# Skin speed of the program's windows under Wine on a virtual display (see
# bench/skin_bench.cpp): start against a bare floor program, the show animation's first
# and final frames, the work before a skin switch's cross-fade and its late frames, GDI
# objects and windows over 200 switches and 50 About box cycles. Uses a Release Windows build in
# build/bench-windows (the native build's generators must exist: scripts/build.sh native).
# Usage: bash bench/skin_bench.sh [warm-runs [parts]]   (parts: see skin_bench.cpp)
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
wine skin_bench.exe "${1:-5}" "${2:-start,switch,about}" 2>/dev/null
