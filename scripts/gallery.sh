#!/usr/bin/env bash
# Pictures of the main window in every internal skin: docs/skins/<Skin_Name>.png, the
# thumbnails in docs/skins/thumbs/ and the README's table of them (section "Skins").
# Builds what is missing of the native side (the generators the Windows build runs),
# builds skin_gallery in build/windows and runs it under Wine, on a virtual display
# when none is set.
# Usage: bash scripts/gallery.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"
out="$root/docs/skins"

# The Windows build draws the skins, resources and pictures with the native build's
# generators: build them (all of the native side the first time).
if [ -d "$build/native" ]; then
    cmake --build "$build/native" --target skingen resgen artgen shadowgen -j"$(nproc)"
else
    bash "$root/scripts/build.sh" native
fi

cmake -S "$root" -B "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DSPLITJOIN_DEPS_DIR="$root/build/deps" -DSPLITJOIN_HOST_BIN="$build/native/bin" >/dev/null
cmake --build "$build/windows" --target skin_gallery -j"$(nproc)"

# Pictures of skins that no longer exist must not linger.
mkdir -p "$out/thumbs"
rm -f "$out"/*.png "$out"/thumbs/*.png "$out/index.txt"

# shellcheck source-path=SCRIPTDIR source=wine-env.sh
. "$root/scripts/wine-env.sh"
sj_start_display
sj_start_wine
(cd "$build/windows/bin" && wine skin_gallery.exe "$(winepath -w "$out")")

bash "$root/scripts/gallery-table.sh" "$out/index.txt" "$root/README.md"
