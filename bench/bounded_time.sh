#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs each hard case of the command line once and prints its processor time (user + system,
# children included), its exit status and the bound it must keep: an answer within 2 s, or a
# refusal up front (status 2) with the reason.
#
#   bench/bounded_time.sh [BUILD_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cli=$(realpath "$build/src/cli/nirdal-cli")
[ -x "$cli" ] || { echo "no nirdal-cli in $build" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export NIRDAL_ROOT="$work/root"
printf '251,Иванов И.И.\n251,Петров П.П.\n' | "$cli" roster --write >/dev/null

deg15=1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1
cat >"$work/never.txt" <<'TEMPLATE'
task  = a degree-15 loop that is never unstable
num   = K
den   = (T s + 1)^15
K     = 0.1 .. 0.9 step 0.1
T     = 0.5 .. 2 step 0.5
want  = unstable
TEMPLATE
mkfifo "$work/fifo.png" "$work/fifo.pdf"
# A link another account planted in a sticky folder open to all (root only: chown -h).
mkdir -m 1777 "$work/shared"
echo mine >"$work/victim"
ln -s "$work/victim" "$work/shared/plot.png"
chown -h nobody "$work/shared/plot.png" 2>/dev/null

run() { # $1: the case as the table names it, $2: its bound, the rest: the shell command
    local name=$1 bound=$2
    shift 2
    /usr/bin/time -o "$work/time" -f '%U %S' bash -c "$*" >/dev/null 2>"$work/errors"
    local status=$?
    local cpu
    cpu=$(tail -n1 "$work/time" | awk '{ printf "%.2f", $1 + $2 }')
    printf '| %-62s | %-12s | %6s s | %s |\n' "$name" "$bound" "$cpu" "$status"
}

printf '| %-62s | %-12s | %8s | %s |\n' case bound "CPU time" "exit status"
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..64})" "$(printf -- '-%.0s' {1..14})" "----------" "-------------"
run "plot --kind step, degree 15, delay 1e-300" "2 s" \
    "'$cli' plot --kind step --tf 1:$deg15:1e-300 -o '$work/a.png'"
run "plot --kind step --tf 2147483648:1,1" "2 s" \
    "'$cli' plot --kind step --tf 2147483648:1,1 -o '$work/b.png'"
run "step --until 1e-4931 --points 1000000 --format json" "2 s" \
    "'$cli' step --tf 1:1,1 --until 1e-4931 --points 1000000 --format json"
run "step degree 15, delay 1e-300 (default span)" "2 s" \
    "'$cli' step --tf 1:$deg15:1e-300"
run "bode --points 1000000 from 1e4931 to 1.1e4932" "2 s" \
    "'$cli' bode --tf 10:1,11,10,0 --from 1e4931 --to 1.1e4932 --points 1000000"
run "assign: degree-15 template no draw satisfies" "2 s" \
    "'$cli' assign '$work/never.txt' --seed 1 -o '$work/never.csv'"
run "roster --write < /dev/zero" "2 s" \
    "'$cli' roster --write -o '$work/x' </dev/zero"
run "plot -o FIFO nobody reads" "2 s" \
    "timeout 10 '$cli' plot --tf 1:1,1 -o '$work/fifo.png'"
run "assign --handout FIFO nobody reads" "2 s" \
    "timeout 10 '$cli' assign docs/samples/template.txt --seed 1 -o '$work/c.csv' --handout '$work/fifo.pdf'"
run "step --tf 2:1,3,3,1 --until 2 (not reached)" "2 s" \
    "'$cli' step --tf 2:1,3,3,1 --until 2"
run "step 0.9/(s+1)^15, delay 1, --until 100 (not reached)" "2 s" \
    "'$cli' step --tf 0.9:$deg15:1 --until 100"
run "plot --kind step --tf 2:1,3,3,1:-1 -o x.png" "2 s" \
    "'$cli' plot --kind step --tf 2:1,3,3,1:-1 -o '$work/x.png'"
run "step --until \$'\\e]2;x\\a' + 100,000 characters" "2 s" \
    "'$cli' step --tf 1:1,1 --until \$'\\e]2;x\\a'\$(head -c 100000 /dev/zero | tr '\\0' y)"
run "assign --handout X --key X" "2 s" \
    "'$cli' assign docs/samples/template.txt --seed 1 --handout '$work/x.pdf' --key '$work/x.pdf'"
run "plot -o a link another account planted in /tmp-like folder" "2 s" \
    "'$cli' plot --tf 1:1,1 -o '$work/shared/plot.png'"
run "assign -o ''" "2 s" \
    "'$cli' assign docs/samples/template.txt --seed 1 -o ''"
