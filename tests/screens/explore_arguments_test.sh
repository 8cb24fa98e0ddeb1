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
    reason=${expected#"nirdal-cli analyse: --tf '$text': "}
    if [ "$code" -ne 2 ]; then
        echo "--explore $text: exit status $code, not 2"; status=1
    fi
    if [ "$message" != "nirdal: --explore '$text': $reason" ]; then
        echo "--explore $text: '$message', not nirdal-cli's reason '$reason'"; status=1
    fi
done
# A text that would retitle the terminal, 100,000 characters long: escaped and cut, said once.
long=$'1:1,1:\e]2;x\a'$(printf 'y%.0s' $(seq 100000))
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nirdal" --explore "$long" 2>&1)
case $message in
    *$'\e'* | *$'\a'*) echo "--explore echoes control characters raw"; status=1 ;;
esac
[ ${#message} -le 400 ] || { echo "--explore quotes ${#message} characters"; status=1; }
# Anything else on the command line is refused as well.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nirdal" --explain 1:1,1 2>/dev/null
[ $? -eq 2 ] || { echo "an unknown argument is not refused with status 2"; status=1; }
exit $status
