#!/bin/sh
# SPDX-License-Identifier: MIT
# usage: window_class_test.sh NIRDAL NIRDAL_CLI DESKTOP_ENTRY   (on an X display)
# Starts the program on a roster of one name and reads the class of its windows as the X
# server holds it (xprop WM_CLASS): a dock matches it against StartupWMClass of the entry.
set -eu

nirdal=$1 cli=$2 entry=$3
work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

command -v xwininfo >/dev/null || { echo "xwininfo (x11-utils) is not installed: skipped"; exit 77; }
expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$expected" ] || fail "$entry has no StartupWMClass"

export NIRDAL_ROOT="$work/root" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$NIRDAL_ROOT" "$HOME"
printf '251,Ivanov I.I.\n' | "$cli" roster --write >/dev/null
"$nirdal" >"$work/nirdal.log" 2>&1 &
pid=$!

# The top-level windows on a bare server are the root's children; the program's show its
# class as two strings, the instance and the class.
classes=
for _ in $(seq 100); do
    classes=$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' |
        while read -r window; do xprop -id "$window" WM_CLASS 2>/dev/null; done |
        grep '^WM_CLASS(STRING) = ' | sort -u) || true
    [ -n "$classes" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$work/nirdal.log" >&2; fail "nirdal ended at start"; }
    sleep 0.1
done
[ -n "$classes" ] || { cat "$work/nirdal.log" >&2; fail "no window of nirdal with a class"; }
echo "$classes"
echo "$classes" | while read -r line; do
    class=$(echo "$line" | sed 's/.*, "\(.*\)"$/\1/')
    [ "$class" = "$expected" ] || fail "window class \"$class\", StartupWMClass=$expected"
done
echo "ok: every window's class is $expected, as StartupWMClass in $(basename "$entry")"
