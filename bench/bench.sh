#!/usr/bin/env bash
# Throughput and peak memory of splitjoin against coreutils split and cat on a 1 GiB
# file, with the 100mb and cd700 part sizes. Uses a Release build without sanitizers
# in build/bench; best of two rounds. Then the window's way of running jobs (worker
# thread, progress on) against the engine alone under Wine, from a Release Windows build
# in build/bench-windows (needs the native build's generators: scripts/build.sh native;
# SJ_BENCH_NO_WINDOW=1 leaves it out). Usage: bash bench/bench.sh [size-in-MiB]
# The skin painters have their own benchmark: bash bench/paint_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_build="$root/build/bench"
mib=${1:-1024}

cmake -S "$root" -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DSPLITJOIN_SANITIZE=OFF -DSPLITJOIN_TESTS=OFF \
    -DSPLITJOIN_DEPS_DIR="$root/build/deps" >/dev/null
cmake --build "$bench_build" --target splitjoin -j"$(nproc)" >/dev/null
tool="$bench_build/bin/splitjoin"
gnu_time=/usr/bin/time

work=$(mktemp -d /tmp/sj-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "bench: writing a ${mib} MiB sample in $work"
head -c "$((mib * 1024 * 1024))" /dev/urandom >"$work/sample.bin"
bytes=$(stat -c %s "$work/sample.bin")

# measure NAME COMMAND...: runs the command under GNU time; keeps the best time and the
# highest peak resident memory (KiB) over the rounds.
declare -A seconds peak
measure() {
    local name=$1 s m
    shift
    sync
    "$gnu_time" -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
    read -r s m <"$work/time.txt"
    if [ -z "${seconds[$name]:-}" ] || awk -v a="$s" -v b="${seconds[$name]}" 'BEGIN { exit !(a < b) }'; then
        seconds[$name]=$s
    fi
    if [ -z "${peak[$name]:-}" ] || [ "$m" -gt "${peak[$name]}" ]; then
        peak[$name]=$m
    fi
}

run_splitjoin() {
    rm -rf "$work/parts" && mkdir "$work/parts"
    measure "sj-split-$preset" "$tool" split "$work/sample.bin" --size "$preset" --out "$work/parts"
    measure "sj-join-$preset" "$tool" join "$work/parts/sample_split001.bin" --out "$work/parts"
    cmp "$work/sample.bin" "$work/parts/sample.bin"
    rm -rf "$work/parts"
}

run_coreutils() {
    rm -rf "$work/gnu" && mkdir "$work/gnu"
    measure "gnu-split-$preset" split -b "$size" "$work/sample.bin" "$work/gnu/part."
    measure "gnu-cat-$preset" sh -c "cat '$work'/gnu/part.* >'$work/gnu/joined.bin'"
    cmp "$work/sample.bin" "$work/gnu/joined.bin"
    rm -rf "$work/gnu"
}

rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { if (s <= 0) s = 0.01; printf "%8.1f MiB/s", b / s / 1048576 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a <= 0) a = 0.01; if (b <= 0) b = 0.01; printf "%5.2f", b / a }'; }

for preset in 100mb cd700; do
    case $preset in
    100mb) size=104857600 ;;
    cd700) size=734003200 ;;
    esac
    # Two rounds in alternating order, so neither side always runs on a colder cache.
    for round in 1 2; do
        if [ $round = 1 ]; then run_splitjoin; run_coreutils; else run_coreutils; run_splitjoin; fi
    done
done

printf '\n%-8s %-6s %14s %12s %14s %12s %8s\n' preset step splitjoin "peak KiB" coreutils "peak KiB" "ratio"
for preset in 100mb cd700; do
    for step in split join; do
        sj="sj-$step-$preset"
        if [ $step = split ]; then gnu="gnu-split-$preset"; else gnu="gnu-cat-$preset"; fi
        printf '%-8s %-6s %14s %12s %14s %12s %8s\n' "$preset" "$step" "$(rate "${seconds[$sj]}")" "${peak[$sj]}" \
            "$(rate "${seconds[$gnu]}")" "${peak[$gnu]}" "$(ratio "${seconds[$sj]}" "${seconds[$gnu]}")"
    done
done
echo "(ratio: coreutils time / splitjoin time; above 1 means splitjoin is faster)"

[ -n "${SJ_BENCH_NO_WINDOW:-}" ] && exit 0
rm -rf "$work" # the Wine helpers below take over the exit trap
# The window's path: split and join through the page's worker with the progress bar and
# the taskbar progress on, against TFileSplitter/TFileJointer alone in the same process.
export build="$root/build"
win_build="$build/bench-windows"
cmake -S "$root" -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSPLITJOIN_TESTS=OFF -DSPLITJOIN_DEPS_DIR="$build/deps" \
    -DSPLITJOIN_HOST_BIN="$build/native/bin" >/dev/null
cmake --build "$win_build" --target job_bench -j"$(nproc)" >/dev/null
# shellcheck source=../scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
sj_start_display
sj_start_wine
echo
(cd "$win_build/bin" && wine job_bench.exe "$mib" 2 2>/dev/null)
echo "(aim: ratio at least 0.95, worst answer within 50 ms)"
