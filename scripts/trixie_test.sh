#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and tests the project on Debian 13 (trixie, Qt 6.8, GCC 14) from a clean clone:
#   sudo bash scripts/trixie_test.sh [WORK_DIR]
# A minimal trixie from Debian's mirror in WORK_DIR (build/trixie-test), a clone of the
# checked-out commit in it, then the README's set-up, the default preset's build and its
# tests, all inside. The compiler's warnings are counted in WORK_DIR/build.log and the
# tests' summary is in WORK_DIR/ctest.log. Needs root and the network; not part of the
# test suite.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
. "$source_dir/scripts/chroot_lib.sh"
require_root

work=$(mkdir -p "${1:-$source_dir/build/trixie-test}" && cd "${1:-$source_dir/build/trixie-test}" && pwd)
root=$work/trixie
trap unmount_chroot EXIT

echo "== a minimal Debian 13 in $root"
make_chroot trixie "$root" git,ca-certificates
git clone -q --no-local "$source_dir" "$root/src"
git -C "$root/src" checkout -q "$(git -C "$source_dir" rev-parse HEAD)"
in_chroot "$root" 'apt-get update -q >/dev/null'

echo "== set-up"
in_chroot "$root" 'cd /src && bash scripts/setup.sh' >"$work/setup.log" 2>&1 ||
    { tail -n 30 "$work/setup.log"; exit 1; }
in_chroot "$root" 'dpkg-query -W -f="\${Package} \${Version}\n" qt6-base-dev g++ cmake' | sed 's/^/  /'

echo "== build"
status=0
in_chroot "$root" 'cd /src && cmake --preset default && cmake --build --preset default' \
    >"$work/build.log" 2>&1 || status=$?
echo "  warnings: $(grep -c 'warning:' "$work/build.log" || true)"
grep 'warning:' "$work/build.log" | sort -u | head -n 20
[ "$status" -eq 0 ] || { tail -n 30 "$work/build.log"; exit 1; }

echo "== tests"
status=0
in_chroot "$root" 'cd /src && ctest --preset default -j2' >"$work/ctest.log" 2>&1 || status=$?
grep -E 'tests passed|tests failed|\*\*\*|Failed|Not Run' "$work/ctest.log" | tail -n 30
exit "$status"
