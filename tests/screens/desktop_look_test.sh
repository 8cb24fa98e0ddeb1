#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The screens under a dark desktop theme look as they do on a plain desktop:
#   desktop_look_test.sh TEST-PROGRAM
# Run on an X display (with_display.sh). The test program checks the designed colours, plain
# and under GTK's Adwaita-dark (through Qt's gtk3 platform theme), and the pictures of both
# runs must be the same pixel for pixel. Exit status 77 (skipped) without the gtk3 theme.
set -uo pipefail

program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/plain" "$work/dark"

themes=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null)/platformthemes
if [ ! -e "$themes/libqgtk3.so" ]; then
    echo "Qt's gtk3 platform theme (qt6-gtk-platformtheme) is not installed: skipped"
    exit 77
fi

env -u QT_QPA_PLATFORMTHEME NIRDAL_LOOK_DIR="$work/plain" "$program" || exit 1
QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark NIRDAL_LOOK_DIR="$work/dark" "$program" || exit 1

status=0
for picture in coefficients.png graph.png; do
    if cmp -s "$work/plain/$picture" "$work/dark/$picture"; then
        echo "$picture: the same under the dark theme"
    else
        echo "$picture: differs under the dark theme"
        status=1
    fi
done
exit $status
