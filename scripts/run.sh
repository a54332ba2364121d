#!/usr/bin/env bash
# Builds everything and runs the program. The Windows program runs under Wine on the
# current display (or a virtual one, leaving a screenshot in build/shot.png); until
# that program exists, the native splitjoin tool demonstrates a split and a join.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

program=$(find "$build/windows" -name SplitJoin.exe -type f 2>/dev/null | head -n1 || true)

if [ -n "$program" ]; then
    . "$root/scripts/wine-env.sh"
    sj_start_display
    sj_start_wine
    echo "run: starting $program on display $DISPLAY"
    if [ -n "${SJ_XVFB_PID:-}" ]; then
        # No window manager runs on the virtual display: Wine's own desktop window
        # draws the title bars, so the screenshot shows the window as users see it.
        (cd "$(dirname "$program")" && exec wine explorer /desktop=SplitJoin,1280x800 "$program") &
    else
        (cd "$(dirname "$program")" && exec wine "$program") &
    fi
    pid=$!
    sleep 8
    xwd -root -silent | convert xwd:- "$build/shot.png" && echo "run: screenshot saved to $build/shot.png"
    if [ -z "${SJ_XVFB_PID:-}" ] && [ -t 0 ]; then
        echo "run: close the window to finish"
        wait "$pid" || true
    else
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    exit 0
fi

tool="$build/native/bin/splitjoin"
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
echo "run: the window is not built yet; demonstrating the engine with $tool"
head -c 5000000 /dev/urandom >"$demo/sample.bin"
mkdir "$demo/parts" "$demo/joined"
"$tool" split "$demo/sample.bin" --size floppy --out "$demo/parts"
"$tool" info "$demo/parts/sample_split002.bin"
"$tool" join "$demo/parts/sample_split002.bin" --out "$demo/joined"
cmp "$demo/sample.bin" "$demo/joined/sample.bin"
echo "run: the joined file equals the sample"
