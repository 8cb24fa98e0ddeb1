#!/usr/bin/env bash
# Builds the fuzz targets and runs each from its saved corpus.
#   bash scripts/fuzz.sh             # about 20 seconds per target (the CI smoke run)
#   bash scripts/fuzz.sh 1800 roster # 30 minutes of one target
# New inputs go to a scratch folder; a finding stops the run with the crashing input saved there.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
only=${2:-}

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    [ -z "$only" ] || [ "$only" = "$target" ] || continue
    echo "== ${target}_fuzz for ${seconds} s"
    mkdir -p "$scratch/$target"
    build/fuzz/fuzz/"${target}"_fuzz -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$scratch/$target/" -timeout=10 \
        "$scratch/$target" "$corpus" 2>&1 | grep -E '^(stat::number_of_executed_units|==|SUMMARY|Done)' || {
        echo "fuzz target $target found a fault; input kept in fuzz/findings/"
        mkdir -p fuzz/findings && cp "$scratch/$target"/crash-* "$scratch/$target"/timeout-* fuzz/findings/ 2>/dev/null || true
        exit 1
    }
done
