#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Where a Wayland compositor lets the program's X windows stand (through XWayland):
#   bench/wayland_probe.sh COMPOSITOR PROGRAM [SCREENSHOT_DIR]
# COMPOSITOR: weston, mutter or kwin, started headless at 1024 × 768 with XWayland. The
# program walks by keys to the title, the selection and the degree screen; for each window
# the position X reports (xwininfo) is printed beside the position the program asks for.
# Under weston, the compositor's own screenshot of the degree screen is kept in
# SCREENSHOT_DIR (weston-pentagon.png), to see whether the pentagon's shape holds.
set -uo pipefail

compositor=$1
program=$(realpath "$2")
shots=${3:-.}
mkdir -p "$shots"
shots=$(realpath "$shots")

export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
root=$(mktemp -d)
pids=()
cleanup() {
    rm -f "$root/watching"
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$XDG_RUNTIME_DIR" "$root"
}
trap cleanup EXIT

socket=wl-probe
ls -1 /tmp/.X*-lock >"$root/locks-before" 2>/dev/null
case "$compositor" in
    weston)
        weston --backend=headless-backend.so --use-pixman --xwayland --width=1024 \
            --height=768 --socket=$socket --debug >"$root/compositor.log" 2>&1 &
        ;;
    mutter)
        dbus-run-session -- mutter --wayland --headless --virtual-monitor 1024x768 \
            --wayland-display=$socket >"$root/compositor.log" 2>&1 &
        ;;
    kwin)
        # kwin_wayland carries a file capability that a container may refuse to run; a copy
        # without it works the same.
        kwin=$(command -v kwin_wayland_nocap || command -v kwin_wayland)
        dbus-run-session -- "$kwin" --virtual --xwayland --width 1024 --height 768 \
            --socket $socket >"$root/compositor.log" 2>&1 &
        ;;
    *) echo "unknown compositor $compositor" >&2; exit 2 ;;
esac
pids+=($!)
export WAYLAND_DISPLAY=$socket

# The compositor takes the first free X display for XWayland (a lock file appears), which may
# start only when the first X client connects.
display=
for _ in $(seq 200); do
    for lock in /tmp/.X*-lock; do
        grep -qxF "$lock" "$root/locks-before" 2>/dev/null && continue
        [ -e "$lock" ] || continue
        n=${lock#/tmp/.X}
        display=:${n%-lock}
    done
    # mutter's XWayland takes only clients with the cookie it keeps beside its socket.
    for cookie in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do
        [ -e "$cookie" ] && export XAUTHORITY=$cookie
    done
    [ -n "$display" ] && xprop -root -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done
[ -n "$display" ] || { echo "no XWayland under $compositor:"; tail "$root/compositor.log"; exit 1; }
export DISPLAY=$display
echo "== $compositor, XWayland on $DISPLAY"

NIRDAL_ROOT=$root "$program" >"$root/program.log" 2>&1 &
pids+=($!)

# Every window the program shows, as X reports it: "x,y w×h title", each once, in order.
watch_windows() {
    local id
    while [ -e "$root/watching" ]; do
        for id in $(xdotool search --onlyvisible --class nirdal 2>/dev/null); do
            xwininfo -id "$id" 2>/dev/null | awk -v name="$(xdotool getwindowname "$id" 2>/dev/null)" '
                /Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
                /Width:/{w=$2} /Height:/{h=$2} END{if (w) printf "%s,%s %s×%s %s\n", x, y, w, h, name}'
        done
        sleep 0.05
    done | awk '!seen[$0]++ {print; fflush()}' >"$root/windows"
}
touch "$root/watching"
watch_windows &

for _ in $(seq 100); do
    [ -s "$root/windows" ] && break
    sleep 0.1
done
[ -s "$root/windows" ] || { echo "the program shows no window:"; tail -n 5 "$root/program.log"; exit 1; }
sleep 1
xdotool key Return    # the title: on to the selection
sleep 1.5
xdotool key Return    # the selection: the surname under the cursor, on to degree entry
sleep 1.5
if [ "$compositor" = weston ]; then
    (cd "$XDG_RUNTIME_DIR" && weston-screenshooter && mv wayland-screenshot-*.png "$shots/weston-pentagon.png")
fi
echo "windows as they appeared (title centred, selection at 0,0, pentagon centred,"
echo "coefficient entry at 100,100 on a 1024 × 768 screen):"
sed 's/^/    /' "$root/windows"
