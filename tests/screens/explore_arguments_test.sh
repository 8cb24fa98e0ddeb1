#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# nirdal --explore with a bad transfer function: nirdal-cli's reason, exit status 2, and no
# window (the display is taken away, so any attempt to open one would end otherwise).
#   explore_arguments_test.sh NIRDAL NIRDAL-CLI
set -uo pipefail
nirdal=$1
cli=$2
status=0
for text in '1:abc' '1,2:1' ':1' '1:1,1:x'; do
    message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nirdal" --explore "$text" 2>&1)
    code=$?
    expected=$("$cli" analyse --tf "$text" 2>&1 | head -n1)
    reason=${expected#"nirdal-cli analyse: --tf $text: "}
    if [ "$code" -ne 2 ]; then
        echo "--explore $text: exit status $code, not 2"; status=1
    fi
    if [ "$message" != "nirdal: --explore $text: $reason" ]; then
        echo "--explore $text: '$message', not nirdal-cli's reason '$reason'"; status=1
    fi
done
# Anything else on the command line is refused as well.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nirdal" --explain 1:1,1 2>/dev/null
[ $? -eq 2 ] || { echo "an unknown argument is not refused with status 2"; status=1; }
exit $status
