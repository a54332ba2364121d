#!/usr/bin/env bash
# Configures and builds one or both builds: scripts/build.sh [native|windows|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"
which=${1:-all}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
jobs=$(nproc)

if [ "$which" = native ] || [ "$which" = all ]; then
    cmake -S "$root" -B "$build/native" -DSPLITJOIN_WERROR=$werror -DSPLITJOIN_DEPS_DIR="$root/build/deps" >/dev/null
    cmake --build "$build/native" -j"$jobs"
fi
if [ "$which" = windows ] || [ "$which" = all ]; then
    cmake -S "$root" -B "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DSPLITJOIN_WERROR=$werror -DSPLITJOIN_DEPS_DIR="$root/build/deps" \
        -DSPLITJOIN_HOST_BIN="$build/native/bin" >/dev/null
    cmake --build "$build/windows" -j"$jobs"
fi
