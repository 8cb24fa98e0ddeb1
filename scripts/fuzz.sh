#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets and runs each from its saved corpus in fuzz/corpus/<target>/.
#   bash scripts/fuzz.sh                     # about 20 seconds per target (the CI smoke run)
#   bash scripts/fuzz.sh 1800 roster         # 30 minutes of one target
#   NIRDAL_FUZZ_BUILD=0 bash scripts/fuzz.sh 1800 plot   # without building first, e.g. for
#                                            # a second run beside one that already built
# New inputs the run finds go to a scratch folder that is removed afterwards. A finding
# (crash, sanitizer report, failed expectation, an input that runs over 20 s) keeps its input
# and the report in build/fuzz/findings/<target>/, and the script exits with 1 once all
# targets have run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
only=${2:-}
findings=build/fuzz/findings

if [ "${NIRDAL_FUZZ_BUILD:-1}" != 0 ]; then
    bash scripts/setup.sh
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz --target nirdal_fuzzers
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
ran=0
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    [ -z "$only" ] || [ "$only" = "$target" ] || continue
    ran=1
    work=$scratch/$target
    mkdir -p "$work/new"
    echo "== ${target}_fuzz for ${seconds} s"
    # An input that runs the stability walk to its cap of samples takes 0.4 s in a release
    # build and over a second instrumented; once, on a loaded machine, 11 s. A hang runs on.
    if build/fuzz/fuzz/"${target}"_fuzz -max_total_time="$seconds" -print_final_stats=1 \
        -timeout=20 -artifact_prefix="$work/" "$work/new" "$corpus" >"$work/log" 2>&1; then
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
        echo "   ${executions:-0} executions in ${seconds} s, no finding"
    else
        rm -rf "${findings:?}/$target"
        mkdir -p "$findings/$target"
        cp "$work/log" "$findings/$target/report.txt"
        find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' \
            -o -name 'leak-*' \) -exec cp {} "$findings/$target/" \;
        grep -E 'ERROR|SUMMARY|runtime error|expectation failed|deadly signal|Test unit written' \
            "$work/log" | head -n 20 || true
        echo "   FINDING in $target: input and report in $findings/$target/"
        status=1
    fi
done
if [ "$ran" = 0 ]; then
    echo "no fuzz target named '$only' (one per folder of fuzz/corpus/)" >&2
    exit 2
fi
exit "$status"
