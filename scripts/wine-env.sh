# Sourced by the scripts: a private Wine prefix and, when no display is set, a
# virtual X display (Xvfb) that is stopped when the calling script exits.
# Expects $build (the build root) to be set.
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installers: nothing in this project needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

sj_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    local n
    for n in $(seq 91 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    SJ_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    trap sj_cleanup EXIT
}

# Stops what this script started: its display and, when no Wine server ran before it,
# the server (a server that was already running belongs to someone else's programs).
sj_cleanup() {
    [ -n "${SJ_XVFB_PID:-}" ] && kill "$SJ_XVFB_PID" 2>/dev/null
    [ -n "${SJ_KEEPER_PID:-}" ] && kill "$SJ_KEEPER_PID" 2>/dev/null
    [ -n "${SJ_OWN_WINESERVER:-}" ] && wineserver -k 2>/dev/null
    return 0
}

sj_start_wine() {
    mkdir -p "$WINEPREFIX"
    pgrep -f "/wineserver" >/dev/null 2>&1 || SJ_OWN_WINESERVER=1
    # A persistent server, then wineboot with its output thrown away: wineboot starts
    # Wine's background services, which would otherwise be started by the first test
    # program and inherit ctest's output pipe, so ctest would wait for them forever.
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wineboot --init >/dev/null 2>&1 </dev/null || true
    sj_install_wine_fonts
    sj_keep_desktop
}

# Wine's desktop process quits a second after the last window on it has gone, and the
# next program that needs a desktop starts it again and hands it its own standard
# output. Under ctest that output is a test's pipe, and ctest waits until the pipe
# closes, that is until the desktop quits, which it does not while other tests keep
# windows open: a test that passed then times out. A keeper program started here, with
# its output thrown away, holds the desktop until the script ends.
sj_keep_desktop() {
    local keeper="$build/windows/bin/wine_desktop_keeper.exe" dir
    [ -f "$keeper" ] || return 0
    dir=$(mktemp -d)
    (cd "$dir" && exec wine "$keeper" held) </dev/null >/dev/null 2>&1 &
    SJ_KEEPER_PID=$!
    trap sj_cleanup EXIT
    for _ in $(seq 1 200); do
        [ -e "$dir/held" ] && break
        sleep 0.1
    done
    [ -e "$dir/held" ] || echo "wine-env: the desktop keeper did not start; tests may wait on Wine's desktop" >&2
    rm -rf "$dir"
}

# Wine's own Tahoma, Tahoma Bold and Marlett (Debian's fonts-wine) in the prefix's
# Fonts folder. Debian's Wine does not look in the package's folder itself, and without
# them "Tahoma" and "MS Shell Dlg" fall back to whatever fontconfig offers (DejaVu Sans
# is far wider) and the caption buttons show letters instead of Marlett's glyphs. With
# the files in the prefix every machine draws the same text.
sj_install_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" name
    mkdir -p "$fonts"
    for name in tahoma.ttf tahomabd.ttf marlett.ttf; do
        if [ ! -f "/usr/share/wine/fonts/$name" ]; then
            echo "wine-env: /usr/share/wine/fonts/$name is missing: install Debian's fonts-wine" >&2
            continue
        fi
        cmp -s "/usr/share/wine/fonts/$name" "$fonts/$name" || cp "/usr/share/wine/fonts/$name" "$fonts/$name"
    done
}
