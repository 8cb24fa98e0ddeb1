#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a fresh Debian machine, builds the default preset and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
exec build/default/src/app/nirdal
