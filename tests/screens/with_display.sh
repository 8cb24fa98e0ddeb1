#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on a private X server (Xvfb) under a window manager:
#   with_display.sh MANAGER COMMAND [ARGUMENTS…]
# MANAGER is openbox, xfwm4, metacity or none (a bare server). The command runs with DISPLAY
# set and QT_QPA_PLATFORM=xcb; its exit status is the script's. Exit status 77 (skipped)
# when Xvfb or the window manager is not installed. The screen is 1280x1024 unless
# NIRDAL_SCREEN_SIZE gives another (1366x768).
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
stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

# Answers once the server at $DISPLAY takes a connection.
display_answers() { xprop -root -display "$DISPLAY" >/dev/null 2>&1; }

# Starts Xvfb on a free display (it picks one itself and writes its number) and waits until
# the server takes connections. Other X servers on the machine may start at the same time.
start_server() {
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 "${NIRDAL_SCREEN_SIZE:-1280x1024}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 200); do
        [ -s "$work/display" ] && break
        kill -0 "${pids[-1]}" 2>/dev/null || return 1
        sleep 0.05
    done
    [ -s "$work/display" ] || return 1
    export DISPLAY=":$(head -n1 "$work/display")"
    for _ in $(seq 100); do
        display_answers && return 0
        sleep 0.05
    done
    return 1
}

# Starts the window manager and waits until it announces itself on the root window.
start_manager() {
    case "$manager" in
        none) return 0 ;;
        openbox) openbox --sm-disable >"$work/wm.log" 2>&1 & pids+=($!) ;;
        xfwm4) dbus-run-session -- xfwm4 --compositor=off >"$work/wm.log" 2>&1 & pids+=($!) ;;
        metacity) dbus-run-session -- metacity >"$work/wm.log" 2>&1 & pids+=($!) ;;
    esac
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        kill -0 "${pids[-1]}" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

case "$manager" in
    none | openbox | xfwm4 | metacity) ;;
    *) echo "unknown window manager $manager"; exit 2 ;;
esac

# A server or manager that fails to come up (a display taken by another server in the
# same instant, a manager that lost its connection) is tried again from scratch.
ready=
for attempt in 1 2 3; do
    if start_server && start_manager; then
        ready=1
        break
    fi
    echo "attempt $attempt: the display did not come up:"
    cat "$work/xvfb.log" "$work/wm.log" 2>/dev/null
    stop_all
    rm -f "$work/wm.log"
    sleep 0.5
done
if [ -z "$ready" ]; then
    echo "no display with $manager after 3 attempts"
    exit 1
fi

echo "== $manager on $DISPLAY"
QT_QPA_PLATFORM=xcb "$@"
