#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The analysis window at each scale factor on each classroom display, under openbox:
#   analysis_geometry_test.sh ANALYSIS_GEOMETRY_TESTS
set -uo pipefail
here=$(dirname "$0")
status=0
for display in 1024x768 1366x768 1920x1080; do
    NIRDAL_SCREEN_SIZE=$display "$here/with_display.sh" openbox bash -c '
        status=0
        for factor in 1 1.25 1.5 1.75 2; do
            echo "== QT_SCALE_FACTOR=$factor"
            QT_SCALE_FACTOR=$factor "$1" || status=1
        done
        exit $status' - "$1"
    code=$?
    [ $code -eq 77 ] && exit 77
    [ $code -eq 0 ] || status=1
done
exit $status
