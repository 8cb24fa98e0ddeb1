#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills every writer at a random moment and checks that the file it was writing is byte for
# byte the old one or the new one: never corrupt, shortened or missing.
#
#   bench/kill_loop.sh [BUILD_DIR] [TRIES] [WRITER...]
#
# BUILD_DIR defaults to build/default, TRIES to 200, the writers to all of: png svg pdf
# report report-group plots assign. "report" kills nirdal-cli alone (its exporter must die
# with it), "report-group" the whole process group; so does "assign", whose class file,
# handout and key must be one draw: all old or all new, never mixed. A PDF holds the moment
# it was written (/CreationDate), which is masked before comparing. Prints a table: tries,
# old, new, corrupt, missing, mixed draws, temporary files left by the kills, and those still
# there after one more whole run (which must remove them).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/default}
tries=${2:-200}
shift $(($# > 2 ? 2 : $#))
writers=("$@")
[ ${#writers[@]} -gt 0 ] || writers=(png svg pdf report report-group plots assign)
cli=$(realpath "$build/src/cli/nirdal-cli")
[ -x "$cli" ] || { echo "no nirdal-cli in $build" >&2; exit 2; }

work=$(mktemp -d)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
set -m # each writer in a process group of its own
# Qt orders a PDF's fonts by a hash seeded at random in each process: seeded alike, two runs
# write the same bytes.
export QT_HASH_SEED=0

# A class of 60 students of two variants each, for the report and the plots; the old files
# are made from the same students with other variants.
make_class() { # $1: gain
    for s in $(seq 1 60); do
        echo "Студент$s,251,$1,1 3 3 1,0"
        echo "Студент$s,251,$(($1 + s % 7)),1 4 6 4 1,0.5"
    done
}
make_class 2 >"$work/old.csv"
make_class 5 >"$work/new.csv"
# assign draws for the 60 students of a roster of its own.
export NIRDAL_ROOT="$work/root"
for s in $(seq 1 60); do echo "25$((s % 3 + 1)),Студент$s"; done | "$cli" roster --write >/dev/null

# The command that writes $1 (the file or folder) for writer $2, from the old or new input
# $3, into the array command: started from it, nirdal-cli is the process started.
command_for() {
    local target=$1 writer=$2 input=$3 tf
    [ "$input" = old ] && tf=2:1,3,3,1 || tf=5:1,3,3,1:0.2
    case $writer in
    png | svg | pdf) command=("$cli" plot --tf "$tf" --tf 1:1,1 -o "$target") ;;
    report | report-group) command=("$cli" batch "$work/$input.csv" --report "$target") ;;
    plots) command=("$cli" batch "$work/$input.csv" --plots "$target") ;;
    assign)
        mkdir -p "$target"
        command=("$cli" assign docs/samples/template.txt --seed "$([ "$input" = old ] && echo 1 || echo 2)"
            -o "$target/class.csv" --handout "$target/handout.pdf" --key "$target/key.pdf") ;;
    esac
}

masked() { # the file with a PDF's moment of writing blanked
    perl -0777 -pe 's/CreationDate \(D:\d{14}Z\)/CreationDate (D:00000000000000Z)/g' "$1"
}

same() { # whether files $1 and $2 are the same, byte for byte (a PDF's date masked)
    if [[ $1 == *.pdf ]]; then
        cmp -s <(masked "$1") <(masked "$2")
    else
        cmp -s "$1" "$2"
    fi
}

# Temporary files of writes: .NAME.XXXXXX
temporaries() { find "$1" -maxdepth 1 -regextype posix-extended -regex '.*/\.[^/]+\.[A-Za-z0-9]{6}' | wc -l; }

printf '%-13s %6s %6s %6s %8s %8s %6s %10s %10s\n' writer tries old new corrupt missing mixed "temp left" "temp after"
for writer in "${writers[@]}"; do
    dir="$work/$writer"
    mkdir -p "$dir/ref"
    case $writer in
    png | svg | pdf) name="picture.$writer" ;;
    report | report-group) name="report.pdf" ;;
    plots) name="plots" ;;
    assign) name="draw" ;;
    esac
    # The old and the new content, and how long a whole write takes.
    command_for "$dir/ref/old-$name" "$writer" old
    "${command[@]}" >/dev/null 2>&1
    command_for "$dir/ref/new-$name" "$writer" new
    start=$(date +%s%N)
    "${command[@]}" >/dev/null 2>&1
    span_ms=$((($(date +%s%N) - start) / 1000000 + 5))

    old=0 new=0 corrupt=0 missing=0 mixed=0 leftover=0
    for try in $(seq 1 "$tries"); do
        rm -rf "${dir:?}/out"
        mkdir -p "$dir/out"
        cp -a "$dir/ref/old-$name" "$dir/out/$name"
        command_for "$dir/out/$name" "$writer" new
        "${command[@]}" >/dev/null 2>&1 &
        pid=$!
        delay=$((RANDOM * 32768 + RANDOM))
        sleep "$(awk -v d="$delay" -v s="$span_ms" 'BEGIN { printf "%.4f", (d % (s * 1000)) / 1e6 }')"
        if [ "$writer" = report ]; then
            kill -KILL "$pid" 2>/dev/null || true
        else
            kill -KILL -- "-$pid" 2>/dev/null || true
        fi
        wait "$pid" 2>/dev/null || true
        # The exporter goes with nirdal-cli; none may go on writing afterwards.
        for _ in $(seq 1 500); do kill -0 -- "-$pid" 2>/dev/null || break; sleep 0.01; done
        if kill -0 -- "-$pid" 2>/dev/null; then
            echo "try $try: a writer outlived nirdal-cli" >&2
            kill -KILL -- "-$pid" 2>/dev/null || true
        fi
        draw_old=0 draw_new=0
        if [ "$writer" = plots ] || [ "$writer" = assign ]; then
            files=$(cd "$dir/ref/old-$name" && ls)
            leftover=$((leftover + $(temporaries "$dir/out/$name")))
        else
            files=$name
            leftover=$((leftover + $(temporaries "$dir/out")))
        fi
        for f in $files; do
            if [ "$writer" = plots ] || [ "$writer" = assign ]; then
                got="$dir/out/$name/$f" was="$dir/ref/old-$name/$f" now="$dir/ref/new-$name/$f"
            else
                got="$dir/out/$name" was="$dir/ref/old-$name" now="$dir/ref/new-$name"
            fi
            if [ ! -e "$got" ]; then
                missing=$((missing + 1))
            elif same "$got" "$now"; then
                new=$((new + 1)) draw_new=1
            elif same "$got" "$was"; then
                old=$((old + 1)) draw_old=1
            else
                corrupt=$((corrupt + 1))
                cp "$got" "$dir/corrupt-$try-$(basename "$got")"
            fi
        done
        mixed=$((mixed + draw_old * draw_new))
    done
    # One whole run after the last kill removes what the kills left.
    command_for "$dir/out/$name" "$writer" new
    "${command[@]}" >/dev/null 2>&1
    if [ "$writer" = plots ] || [ "$writer" = assign ]; then after=$(temporaries "$dir/out/$name"); else after=$(temporaries "$dir/out"); fi
    count=$tries
    [ "$writer" = plots ] || [ "$writer" = assign ] && count="$tries×$(echo "$files" | wc -w)"
    printf '%-13s %6s %6d %6d %6d %8d %6d %10d %10d\n' "$writer" "$count" "$old" "$new" "$corrupt" \
        "$missing" "$mixed" "$leftover" "$after"
done
