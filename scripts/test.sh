#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a fresh Debian machine, then builds and runs the whole test suite twice: in the
# ordinary optimised build and under the address and undefined-behaviour sanitizers; then
# a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in default asan; do
    echo "== $preset build"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
bash scripts/fuzz.sh
