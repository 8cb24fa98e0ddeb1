#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on a private X server (Xvfb) under a window manager:
#   with_display.sh MANAGER COMMAND [ARGUMENTS…]
# MANAGER is openbox, xfwm4, metacity or none (a bare server). The command runs with DISPLAY
# set and QT_QPA_PLATFORM=xcb; its exit status is the script's. Exit status 77 (skipped)
# when Xvfb or the window manager is not installed.
set -uo pipefail

manager=$1
shift

if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed: skipped"
    exit 77
fi
if [ "$manager" != none ] && ! { command -v "$manager" && command -v xprop; } >/dev/null; then
    echo "$manager (or xprop) is not installed: skipped"
    exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:"; cat "$work/xvfb.log"
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

case "$manager" in
    none) ;;
    openbox) openbox --sm-disable >"$work/wm.log" 2>&1 & pids+=($!) ;;
    xfwm4) dbus-run-session -- xfwm4 --compositor=off >"$work/wm.log" 2>&1 & pids+=($!) ;;
    metacity) dbus-run-session -- metacity >"$work/wm.log" 2>&1 & pids+=($!) ;;
    *) echo "unknown window manager $manager"; exit 2 ;;
esac
# A window manager announces itself on the root window once it manages the screen.
if [ "$manager" != none ]; then
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
    if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
        echo "$manager did not start:"; cat "$work/wm.log"
        exit 1
    fi
fi

echo "== $manager on $DISPLAY"
QT_QPA_PLATFORM=xcb "$@"
