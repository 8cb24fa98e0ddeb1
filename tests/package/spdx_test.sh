#!/bin/sh
# SPDX-License-Identifier: MIT
# usage: spdx_test.sh SOURCE_DIR
# First the licence checker on a made-up tree whose missing lines are known, then on the
# project: every source file it lacks the line in is named.
set -eu

source_dir=$1
checker=$source_dir/scripts/spdx.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

tree=$work/tree
mkdir -p "$tree/src" "$tree/scripts" "$tree/packaging" "$tree/build" "$tree/docs/samples"
printf '// SPDX-License-Identifier: MIT\nint a;\n' >"$tree/src/good.cpp"
printf '// The licence comes too late.\n// SPDX-License-Identifier: MIT\n' >"$tree/src/late.h"
printf '#!/bin/sh\n# SPDX-License-Identifier: MIT\ntrue\n' >"$tree/scripts/good.sh"
printf '#!/bin/sh\ntrue\n' >"$tree/scripts/bare.sh"
printf 'project(x)\n' >"$tree/CMakeLists.txt"
printf '.TH X 1\n' >"$tree/packaging/x.1"
printf '<?xml version="1.0"?>\n<!-- SPDX-License-Identifier: MIT -->\n<a/>\n' >"$tree/packaging/x.xml"
printf 'int generated;\n' >"$tree/build/made.cpp"     # a build tree is not source
printf '251,A\n' >"$tree/docs/samples/class.csv"       # nor is data

status=0
sh "$checker" check "$tree" >"$work/found" 2>/dev/null || status=$?
[ "$status" = 1 ] || fail "the checker exits $status on a tree with bare files"
sed 's/.*: //' "$work/found" >"$work/named"
printf 'CMakeLists.txt\npackaging/x.1\nscripts/bare.sh\nsrc/late.h\n' >"$work/expected"
cmp -s "$work/named" "$work/expected" ||
    fail "the checker names $(tr '\n' ' ' <"$work/named"), not $(tr '\n' ' ' <"$work/expected")"

sh "$checker" add "$tree" >/dev/null
sh "$checker" check "$tree" >/dev/null || fail "the files are still bare after add"
[ "$(sed -n 1p "$tree/packaging/x.1")" = '.\" SPDX-License-Identifier: MIT' ] ||
    fail "the manual page got $(sed -n 1p "$tree/packaging/x.1")"
[ "$(sed -n 2p "$tree/scripts/bare.sh")" = '# SPDX-License-Identifier: MIT' ] ||
    fail "the script's line is not after its #! line"
[ "$(sed -n 1p "$tree/src/late.h")" = '// SPDX-License-Identifier: MIT' ] ||
    fail "the header's line is not first"
[ "$(sed -n 1p "$tree/build/made.cpp")" = 'int generated;' ] || fail "a build tree was changed"

# The project itself.
sh "$checker" check "$source_dir" || fail "source files without the licence line (see above)"
echo "ok: every source file begins with the licence line"
