#!/usr/bin/env bash
# Builds the program (not the tests) and runs it under Wine. On a reachable display the
# program runs there until its window is closed; without one it runs on a virtual
# display and leaves a screenshot in build/shot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"

started=$(date +%s)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" program
echo "run: built in $(( $(date +%s) - started )) s"

program="$build/windows/bin/SplitJoin.exe"
[ -f "$program" ] || { echo "run: $program was not built" >&2; exit 1; }

. "$root/scripts/wine-env.sh"
sj_start_display
sj_start_wine
echo "run: starting $program on display $DISPLAY"
# The program draws its own frame, so it runs straight on the X display: no Wine
# desktop window is needed to draw title bars.
(cd "$(dirname "$program")" && exec wine "$program") &
pid=$!

if [ -z "${SJ_XVFB_PID:-}" ] && [ -t 0 ]; then
    echo "run: close the window to finish"
    wait "$pid" || true
    exit 0
fi

# Wait for the window to be mapped and painted, then take the screen. `import` shows
# what lies under the clear (alpha 0) pixels of layered windows; `xwd -root` does not.
for _ in $(seq 1 60); do
    xdotool search --name '^SplitJoin' >/dev/null 2>&1 && break
    sleep 0.5
done
sleep 3
import -window root "$build/shot.png" && echo "run: screenshot saved to $build/shot.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
