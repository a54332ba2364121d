#!/usr/bin/env bash
# Configures and builds one or both builds: scripts/build.sh [native|windows|all|program]
# "program" builds only what running the Windows program needs: the native generators
# (skins, shadows, pictures, the product file) and the program with its supplied files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"
which=${1:-all}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
jobs=$(nproc)

native_targets=()
windows_targets=()
if [ "$which" = program ]; then
    native_targets=(--target shadowgen skingen artgen resgen)
    windows_targets=(--target SplitJoin)
fi

if [ "$which" = native ] || [ "$which" = all ] || [ "$which" = program ]; then
    cmake -S "$root" -B "$build/native" -DSPLITJOIN_WERROR=$werror -DSPLITJOIN_DEPS_DIR="$root/build/deps" >/dev/null
    cmake --build "$build/native" -j"$jobs" "${native_targets[@]}"
fi
if [ "$which" = windows ] || [ "$which" = all ] || [ "$which" = program ]; then
    cmake -S "$root" -B "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DSPLITJOIN_WERROR=$werror -DSPLITJOIN_DEPS_DIR="$root/build/deps" \
        -DSPLITJOIN_HOST_BIN="$build/native/bin" >/dev/null
    cmake --build "$build/windows" -j"$jobs" "${windows_targets[@]}"
fi
