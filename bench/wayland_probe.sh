#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Where a Wayland compositor lets the program's X windows stand (through XWayland), and
# what they look like there:
#   timeout -k 5 120 bench/wayland_probe.sh COMPOSITOR PROGRAM [SCREENSHOT_DIR]
# COMPOSITOR: weston (headless), mutter or kwin (each drawing into a window of a private
# Xvfb, whose frame buffer is the screenshot), at 1024 × 768 with XWayland. The program
# walks the road by Return (title, selection, degree screen, coefficient entry); every
# window it shows is printed as X reports it (xwininfo), each time its place or size
# changes, beside the place the program asks for, and the screen is kept as
# SCREENSHOT_DIR/COMPOSITOR-N-WIDTHxHEIGHT.png when each screen has come. Weston does not
# tell its X clients where it shows them: there only the screenshots say where they stand.
set -uo pipefail

compositor=$1
program=$(realpath "$2")
shots=$(realpath -m "${3:-.}")
mkdir -p "$shots"

export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
root=$(mktemp -d)
groups=()
locks=()
cleanup() {
    # Each child runs in a process group of its own, so the compositor's helpers (XWayland,
    # its shell, dbus) go with it.
    for group in "${groups[@]}"; do kill -TERM -- "-$group" 2>/dev/null; done
    sleep 0.5
    for group in "${groups[@]}"; do kill -KILL -- "-$group" 2>/dev/null; done
    # A compositor killed leaves its XWayland's lock files behind.
    for lock in "${locks[@]}"; do rm -f "$lock"; done
    rm -rf "$XDG_RUNTIME_DIR" "$root"
}
trap cleanup EXIT
# A signal (from timeout) ends the script through its exit, so the cleanup runs.
trap 'exit 143' TERM INT

socket=wl-probe-$$
# The private X server a nested compositor draws into.
host_server() {
    mkdir "$root/fb"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -fbdir "$root/fb" -nolisten tcp \
        3>"$root/host" >"$root/host.log" 2>&1 &
    groups+=($!)
    for _ in $(seq 100); do [ -s "$root/host" ] && break; sleep 0.1; done
    host=:$(head -n 1 "$root/host")
}
case "$compositor" in
    weston)
        setsid weston --backend=headless-backend.so --use-pixman --xwayland --width=1024 \
            --height=768 --socket="$socket" --debug >"$root/compositor.log" 2>&1 &
        ;;
    mutter)
        host_server
        MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768 DISPLAY=$host setsid dbus-run-session -- \
            mutter --nested --wayland --wayland-display="$socket" >"$root/compositor.log" 2>&1 &
        ;;
    kwin)
        host_server
        # kwin_wayland carries a file capability that a container may refuse to run; a copy
        # without it works the same, told that it is kwin whatever its name.
        kwin=$(command -v kwin_wayland_nocap || command -v kwin_wayland)
        KWIN_FORCE_OWN_QPA=1 DISPLAY=$host setsid dbus-run-session -- "$kwin" \
            --x11-display "$host" --xwayland --width 1024 --height 768 --socket "$socket" \
            >"$root/compositor.log" 2>&1 &
        ;;
    *) echo "unknown compositor $compositor" >&2; exit 2 ;;
esac
groups+=($!)
compositor_group=$!
export WAYLAND_DISPLAY=$socket

# The X display of this compositor's XWayland: the lock file whose owner runs in the
# compositor's process group (other X servers may start on this machine meanwhile).
display=
for _ in $(seq 300); do
    locks=()
    for lock in /tmp/.X*-lock; do
        [ -e "$lock" ] || continue
        owner=$(tr -d ' \n' <"$lock" 2>/dev/null)
        [ "$(ps -o pgid= -p "$owner" 2>/dev/null | tr -d ' ')" = "$compositor_group" ] || continue
        n=${lock#/tmp/.X}
        # mutter keeps a second display for its own services: the first is the users'.
        [ -n "$display" ] || display=:${n%-lock}
        locks+=("$lock")
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
dpkg-query -W -f '${Package} ${Version}\n' "${compositor/kwin/kwin-wayland}" xwayland

# A white backdrop under the program's windows, so that what the pentagon cuts away shows
# as white and not as the colour a compositor may leave there.
setsid xmessage -geometry 1024x768+0+0 -bg white -fg white -buttons '' . >/dev/null 2>&1 &
groups+=($!)
sleep 1
NIRDAL_ROOT=$root setsid "$program" >"$root/program.log" 2>&1 &
groups+=($!)

# The program's visible windows as X reports them: "x,y w×h title" per line.
windows_now() {
    local id
    for id in $(xdotool search --onlyvisible --class nirdal 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | while read -r a b c d e; do
            case "$a $b $c" in
                "Absolute upper-left X:") x=$d ;;
                "Absolute upper-left Y:") y=$d ;;
                "Width: "*) w=$b ;;
                "Height: "*) printf '%s,%s %s×%s %s\n' "$x" "$y" "$w" "$b" \
                    "$(xdotool getwindowname "$id" 2>/dev/null)" ;;
            esac
        done
    done
}

# The whole screen as the compositor shows it, into SCREENSHOT_DIR.
shoot() {
    local name=$shots/$compositor-$1.png
    if [ "$compositor" = weston ]; then
        (cd "$XDG_RUNTIME_DIR" && weston-screenshooter >/dev/null 2>&1 &&
            mv wayland-screenshot-*.png "$name") || return
    else
        # Xvfb keeps its frame buffer as an XWD file: a header, a colour map, then rows of
        # 32-bit pixels in the server's byte order (blue, green, red, pad here).
        python3 - "$root/fb/Xvfb_screen0" "$name" <<'EOF' || return
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
fields = struct.unpack('>25I', data[:100])
header, width, height, line, colours = fields[0], fields[4], fields[5], fields[12], fields[19]
start = header + colours * 12
pixels = b''.join(data[start + y * line:start + y * line + width * 4] for y in range(height))
rgb = bytearray(width * height * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = pixels[2::4], pixels[1::4], pixels[0::4]
rows = b''.join(b'\0' + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
open(sys.argv[2], 'wb').write(b'\x89PNG\r\n\x1a\n'
    + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
EOF
    fi
    echo "           screenshot $name"
}

# Watches for a while, printing each window state once, as it first appears, with the
# seconds since the program started. Returns when a window of the given size has shown
# (after a second more, for a later move; the screen is then kept as a screenshot), or
# fails when the time is up.
declare -A seen
started=$SECONDS
watch_for() {
    local size=$1 until=$((SECONDS + $2)) line found=
    while [ $SECONDS -lt $until ]; do
        while read -r line; do
            [ -n "$line" ] || continue
            [ -n "${seen[$line]:-}" ] && continue
            seen[$line]=1
            printf '    %3ds  %s\n' $((SECONDS - started)) "$line"
        done < <(windows_now)
        if [ -n "$found" ]; then
            shoot "$size"
            return 0
        fi
        windows_now | grep -q " $size " && { found=1; sleep 1; continue; }
        sleep 0.1
    done
    echo "    no $size window within $2 s"
    return 1
}

echo "windows as they appeared, x,y as X reports the client area; the program asks for"
echo "the title (493×442) centred (265,163), the selection (707×299) at 0,0, the degree"
echo "pentagon (202×180) centred (411,294) and the coefficient entry (502×120) at 100,100:"
watch_for 493×442 15 || { tail -n 5 "$root/program.log"; exit 1; }
xdotool key Return    # the title: on to the selection
watch_for 707×299 8
xdotool key Return    # the selection: the surname under the cursor, on to degree entry
watch_for 202×180 8
xdotool key Return    # the degree screen: on to coefficient entry
watch_for 502×120 8
